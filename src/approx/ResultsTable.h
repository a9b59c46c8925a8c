// The comparison table of the five results ("Calculation results"), as the texts every
// window and the command line show, and the per-slot figures it is made from.
#pragma once

#include <array>
#include <string>

#include "core/DesignState.h"

namespace tavrin::approx {

inline constexpr int kResultsRows = 8;
inline constexpr double kMaxUsablePoleQ = 300.0;  // a slot beyond it is excluded

struct ResultsCell {
  std::string text;
  bool red = false;
};

struct ResultsTable {
  std::string corner = "Approximation:";
  std::array<std::array<std::string, 2>, core::kSlotCount> columnHeaders{};  // two lines each
  std::array<std::string, kResultsRows> rowLabels{};
  std::array<std::array<ResultsCell, core::kSlotCount>, kResultsRows> cells{};  // [row][slot]
};

// Counts the zeros for the table, finds each slot's largest pole Q and excludes the slots
// above 300 (Calculate step 7; also run after a design file is opened).
void SummarizeSlots(core::DesignState& state);

// The table from the state as it is after SummarizeSlots.
ResultsTable BuildResultsTable(const core::DesignState& state);

// The table as aligned plain text, one line per row (two header lines first).
std::string FormatResultsTable(const ResultsTable& table);

}  // namespace tavrin::approx
