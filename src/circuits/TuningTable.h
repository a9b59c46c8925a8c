// The tuning recipe of each circuit: an "Ease of Tuning" rating and the order in which
// components trim the stage parameters.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "circuits/Catalogue.h"

namespace tavrin::circuits {

// Row i belongs to CatalogueIndex i; entry 0 is unused.
extern const std::array<const char*, kCatalogueSize + 1> kTuningTable;

// The row without its label (the "{" and what follows, and the blanks before it); empty
// outside 1..71.
std::string TuningRow(int catalogueIndex);
// "EX", "GO", "FA", "PO" or "NR"; empty outside 1..71.
std::string TuningRating(int catalogueIndex);
// "Excellent", "Good", "Fair", "Poor", "Not Recommended"; empty for anything else.
std::string TuningRatingName(const std::string& rating);

struct TuningStep {
  std::string component;  // "R1".."R9", "C1".."C3"
  std::string parameter;  // "WP", "QP", "WZ", "QZ"; empty for a first-order corner
  std::string link;       // "00", "01", "02"; empty for the last step
};

struct TuningRecipe {
  std::string rating;
  std::string sequence;           // the text after the rating; empty for "NR"
  int slots = 0;                  // step places in the sequence: 1, 2 or 4 ("XXXX" fills an unused fourth)
  std::vector<TuningStep> steps;  // the steps to draw, without "XXXX"
};
TuningRecipe ParseTuningRow(const std::string& row);
TuningRecipe TuningRecipeOf(int catalogueIndex);

}  // namespace tavrin::circuits
