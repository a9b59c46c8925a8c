// The tuning rows: rating and sequence of every circuit, and the steps read from them.
#include <gtest/gtest.h>

#include <string>

#include "circuits/Catalogue.h"
#include "circuits/TuningTable.h"

namespace tavrin::circuits {
namespace {

struct TuningCase {
  int index;
  const char* key;
  const char* rating;
  const char* sequence;
};

// Index, circuit, rating and sequence of the tuning table; SN01..SN09 follow as "NR".
// clang-format off
const TuningCase kRows[] = {
    {1, "FLP01", "EX", "R1"},
    {2, "FLP02", "EX", "R1"},
    {3, "FLP03", "EX", "R2"},
    {4, "FHP01", "EX", "R1"},
    {5, "FHP02", "EX", "R1"},
    {6, "FHP03", "EX", "R1"},
    {7, "FHP04", "EX", "R1"},
    {8, "SLP01", "FA", "C2QP01 R1WP"},
    {9, "SLP02", "GO", "R1WP00 R4QP"},
    {10, "SLP03", "GO", "R3WP00 R1QP"},
    {11, "SLP04", "FA", "R1WP01 R4QP"},
    {12, "SLP05", "GO", "R1WP00 R2QP"},
    {13, "SLP06", "PO", "R1WP01 C2QP"},
    {14, "SLP07", "GO", "R1WP00 R4QP"},
    {15, "SLP08", "EX", "R5WP00 R3QP"},
    {16, "SLP09", "EX", "R6WP00 R7QP"},
    {17, "SLP10", "GO", "R1WP00 R4QP"},
    {18, "SLP11", "GO", "R1WP00 R3QP"},
    {19, "SLP12", "GO", "R5WP00 R8QP"},
    {20, "SLP13", "GO", "R2WP00 R5QP"},
    {21, "SHP01", "GO", "R1QP00 C1WP"},
    {22, "SHP02", "GO", "R1WP00 R3QP"},
    {23, "SHP03", "GO", "R1WP00 C1QP"},
    {24, "SHP04", "GO", "R2WP00 R1QP"},
    {25, "SHP05", "GO", "R1WP00 R4QP"},
    {26, "SHP06", "EX", "R5WP00 R3QP"},
    {27, "SHP07", "EX", "R6WP00 R7QP"},
    {28, "SHP08", "GO", "R1WP00 R3QP"},
    {29, "SHP09", "GO", "R5WP00 R8QP"},
    {30, "SHP10", "GO", "R2WP00 R5QP"},
    {31, "SBP01", "GO", "R1QP00 C1WP"},
    {32, "SBP02", "GO", "C1WP00 R3QP"},
    {33, "SBP03", "GO", "R3WP00 R4QP"},
    {34, "SBP04", "GO", "R2QP00 C1WP"},
    {35, "SBP05", "GO", "R2WP00 R4QP"},
    {36, "SBP06", "GO", "R2WP00 R1QP"},
    {37, "SBP07", "GO", "R2WP00 R4QP"},
    {38, "SBP08", "EX", "R5WP00 R3QP"},
    {39, "SBP09", "EX", "R6WP00 R7QP"},
    {40, "SBP10", "GO", "R1WP00 R4QP"},
    {41, "SBP11", "GO", "R1WP00 R6QP"},
    {42, "SBP12", "GO", "R1WP00 R3QP"},
    {43, "SBP13", "GO", "R2WP00 R5QP"},
    {44, "SLPN01", "NR", ""},
    {45, "SLPN02", "FA", "C1QZ00 R1WZ00 R4WP00 R5QP"},
    {46, "SLPN03", "GO", "R1WP00 R4QP00 R3WZ00 R5QZ"},
    {47, "SLPN04", "PO", "R3WP01 C2WZ00 R1QP01 R2QZ"},
    {48, "SLPN05", "FA", "R3QZ02 R1WP02 C3WZ00 R4QP"},
    {49, "SLPN06", "EX", "R1WP00 R4QP00 R7WZ00 XXXX"},
    {50, "SLPN07", "EX", "R1WP00 R7QP00 R9WZ00 XXXX"},
    {51, "SLPN08", "GO", "R1WZ00 R2WP00 R3QP01 R7QZ"},
    {52, "SLPN09", "EX", "R7WP00 R6QP00 R3WZ00 R1QZ"},
    {53, "SLPN10", "EX", "R7WP00 R5QP00 C3QZ00 R1WZ"},
    {54, "SHPN01", "NR", ""},
    {55, "SHPN02", "FA", "R3WP00 R2WZ00 R6QZ01 R5QP"},
    {56, "SHPN03", "PO", "R7WP01 R5WZ00 R2QP01 R1QZ"},
    {57, "SHPN04", "FA", "R3WP01 C3QZ00 R6QP00 R1WZ"},
    {58, "SHPN05", "EX", "R1WP00 R4QP00 R7WZ00 XXXX"},
    {59, "SHPN06", "EX", "R1WP00 R7QP00 R9WZ00 XXXX"},
    {60, "SHPN07", "GO", "R1WZ00 R2WP00 R3QP01 R7QZ"},
    {61, "SHPN08", "EX", "R5WP00 R3WZ00 R6QP00 R1QZ"},
    {62, "SHPN09", "EX", "C3QZ00 R1WZ00 R7WP00 R5QP"},
};
// clang-format on

TEST(TuningTableTest, EveryRowHasItsRatingAndSequence) {
  for (const TuningCase& row : kRows) {
    SCOPED_TRACE(row.key);
    const CircuitAddress a = AddressOfKey(row.key);
    ASSERT_TRUE(a.valid());
    EXPECT_EQ(a.catalogueIndex, row.index);
    EXPECT_EQ(TuningRating(row.index), row.rating);
    const std::string sequence = row.sequence;
    EXPECT_EQ(TuningRow(row.index),
              sequence.empty() ? std::string(row.rating) : std::string(row.rating) + " " + sequence);
    EXPECT_EQ(TuningRecipeOf(row.index).sequence, sequence);
  }
  for (int index = 63; index <= 71; ++index) {
    EXPECT_EQ(TuningRow(index), "NR") << index;
    EXPECT_TRUE(TuningRecipeOf(index).steps.empty());
  }
  EXPECT_EQ(TuningRow(0), "");
  EXPECT_EQ(TuningRow(72), "");
  EXPECT_EQ(TuningRating(72), "");
}

TEST(TuningTableTest, RatingsHaveTheirNames) {
  EXPECT_EQ(TuningRatingName("EX"), "Excellent");
  EXPECT_EQ(TuningRatingName("GO"), "Good");
  EXPECT_EQ(TuningRatingName("FA"), "Fair");
  EXPECT_EQ(TuningRatingName("PO"), "Poor");
  EXPECT_EQ(TuningRatingName("NR"), "Not Recommended");
  EXPECT_EQ(TuningRatingName("XX"), "");
  EXPECT_EQ(TuningRatingName(TuningRating(AddressOfKey("SLP06").catalogueIndex)), "Poor");
}

TEST(TuningTableTest, StepsNameTheCircuitsOwnComponents) {
  for (int index = 1; index <= kCatalogueSize; ++index) {
    const CircuitAddress a = AddressOfIndex(index);
    const CircuitDescriptor& d = Descriptor(a.circuitId);
    const TuningRecipe r = TuningRecipeOf(index);
    SCOPED_TRACE(CircuitKey(a.stageType, a.number));
    if (r.rating == "NR") {
      EXPECT_EQ(r.slots, 0);
      continue;
    }
    // One step for first order, two for the all-pole types, four places for the notches.
    const int expectedSlots = a.stageType <= 1 ? 1 : a.stageType <= 4 ? 2 : 4;
    EXPECT_EQ(r.slots, expectedSlots);
    for (std::size_t k = 0; k < r.steps.size(); ++k) {
      const TuningStep& s = r.steps[k];
      ASSERT_EQ(s.component.size(), 2u);
      const int n = s.component[1] - '0';
      EXPECT_GE(n, 1);
      EXPECT_LE(n, s.component[0] == 'R' ? d.resistors : d.capacitors) << s.component;
      EXPECT_TRUE(s.component[0] == 'R' || s.component[0] == 'C');
      if (expectedSlots > 1) {
        EXPECT_TRUE(s.parameter == "WP" || s.parameter == "QP" || s.parameter == "WZ" || s.parameter == "QZ")
            << s.parameter;
      }
      const bool last = k + 1 == static_cast<std::size_t>(r.slots);
      EXPECT_EQ(s.link.empty(), last) << k;
    }
  }
}

TEST(TuningTableTest, LinksAndPlaceholdersAreRead) {
  const TuningRecipe slpn05 = TuningRecipeOf(AddressOfKey("SLPN05").catalogueIndex);
  ASSERT_EQ(slpn05.steps.size(), 4u);
  EXPECT_EQ(slpn05.steps[0].component, "R3");
  EXPECT_EQ(slpn05.steps[0].parameter, "QZ");
  EXPECT_EQ(slpn05.steps[0].link, "02");
  EXPECT_EQ(slpn05.steps[2].component, "C3");
  EXPECT_EQ(slpn05.steps[2].parameter, "WZ");
  EXPECT_EQ(slpn05.steps[2].link, "00");
  EXPECT_EQ(slpn05.steps[3].link, "");

  // "XXXX" fills the fourth place: three steps to draw.
  const TuningRecipe slpn06 = TuningRecipeOf(AddressOfKey("SLPN06").catalogueIndex);
  EXPECT_EQ(slpn06.slots, 4);
  ASSERT_EQ(slpn06.steps.size(), 3u);
  EXPECT_EQ(slpn06.steps[2].component, "R7");
  EXPECT_EQ(slpn06.steps[2].parameter, "WZ");

  const TuningRecipe flp03 = TuningRecipeOf(AddressOfKey("FLP03").catalogueIndex);
  ASSERT_EQ(flp03.steps.size(), 1u);
  EXPECT_EQ(flp03.steps[0].component, "R2");
  EXPECT_EQ(flp03.steps[0].parameter, "");

  for (const char* key : {"SLPN01", "SHPN01", "SN05"}) {
    const TuningRecipe r = TuningRecipeOf(AddressOfKey(key).catalogueIndex);
    EXPECT_EQ(r.rating, "NR") << key;
    EXPECT_TRUE(r.steps.empty()) << key;
  }
}

TEST(TuningTableTest, LabelIsIgnored) {
  const TuningRecipe r = ParseTuningRow("GO R1WP00 R4QP");
  EXPECT_EQ(r.rating, "GO");
  ASSERT_EQ(r.steps.size(), 2u);
  EXPECT_NE(std::string(kTuningTable[9]).find('{'), std::string::npos);
  EXPECT_EQ(TuningRow(9), "GO R1WP00 R4QP");
}

}  // namespace
}  // namespace tavrin::circuits
