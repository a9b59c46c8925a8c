// The input dividers of the single-amplifier lowpass notches and the note that names them.
#include <gtest/gtest.h>

#include <tuple>

#include "DesignHarness.h"
#include "circuits/Catalogue.h"
#include "circuits/DcAttenuation.h"

namespace tavrin::circuits {
namespace {

core::CircuitRecord WithResistors(std::initializer_list<std::pair<int, double>> values) {
  core::CircuitRecord cr;
  for (const auto& [k, v] : values) cr.R[static_cast<std::size_t>(k)].Value = v;
  return cr;
}

TEST(DcAttenuationTest, OnlyTheThreeDividerCircuitsHaveOne) {
  int found = 0;
  for (int type = 0; type < kStageTypeCount; ++type) {
    for (int n = 1; n <= CircuitCount(type); ++n) {
      if (DcInputDivider(type, n)) {
        ++found;
        EXPECT_EQ(type, core::ptSLPN) << CircuitKey(type, n);
        EXPECT_LE(n, 3) << CircuitKey(type, n);
        // Both divider resistors exist in the circuit.
        const DcDivider d = *DcInputDivider(type, n);
        EXPECT_LE(std::max(d.series, d.shunt), Descriptor(CircuitIdOf(type, n)).resistors);
      }
    }
  }
  EXPECT_EQ(found, 3);
}

TEST(DcAttenuationTest, FactorAndNoteFollowTheDividerValues) {
  struct Case {
    int n;
    core::CircuitRecord cr;
    double factor;
    const char* note;
  };
  const Case cases[] = {
      {1, WithResistors({{3, 10000}, {6, 10000}}), 2.0, "DC input attenuated 6.02dB by resistors R3 and R6."},
      {2, WithResistors({{3, 90000}, {4, 10000}}), 10.0, "DC input attenuated 20.00dB by resistors R3 and R4."},
      {3, WithResistors({{5, 0}, {6, 4700}}), 1.0, "DC input attenuated 0.00dB by resistors R5 and R6."},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(DcAttenuationFactor(c.cr, core::ptSLPN, c.n), c.factor) << c.n;
    EXPECT_EQ(DcAttenuationMessage(c.cr, core::ptSLPN, c.n), c.note) << c.n;
  }
}

TEST(DcAttenuationTest, NoNoteWithoutADividerOrWithUnusableValues) {
  const core::CircuitRecord cr = WithResistors({{3, 10000}, {6, 10000}});
  EXPECT_EQ(DcAttenuationMessage(cr, core::ptSLPN, 4), "");
  EXPECT_EQ(DcAttenuationFactor(cr, core::ptSLP, 1), 0);
  const core::CircuitRecord open = WithResistors({{3, 10000}, {6, 0}});
  EXPECT_EQ(DcAttenuationFactor(open, core::ptSLPN, 1), 0);
  EXPECT_EQ(DcAttenuationMessage(open, core::ptSLPN, 1), "");
}

// A designed stage carries its divider's factor, taken from the values it ends with.
TEST(DcAttenuationTest, DesignedStagesCarryTheirFactor) {
  const double wp = 2 * 3.14159265358979323846 * 1e3;
  for (const auto& [n, series, shunt] : {std::tuple{1, 3, 6}, std::tuple{2, 3, 4}, std::tuple{3, 5, 6}}) {
    const design_test::Designed d =
        design_test::Design(AddressOfKey(CircuitKey(core::ptSLPN, n)), wp, 2.0, 0.8, 1.6 * wp);
    ASSERT_TRUE(d.ran) << n;
    ASSERT_FALSE(d.cr.DesignFailed) << n;
    const double r1 = d.cr.R[static_cast<std::size_t>(series)].Value;
    const double r2 = d.cr.R[static_cast<std::size_t>(shunt)].Value;
    EXPECT_DOUBLE_EQ(d.cr.DcAttenuation, (r1 + r2) / r2) << n;
    EXPECT_GT(d.cr.DcAttenuation, 1) << n;
  }
  // Other circuits have none.
  EXPECT_EQ(design_test::Design("SLPN04", wp, 2.0, 0.8, 1.6 * wp).cr.DcAttenuation, 0);
}

}  // namespace
}  // namespace tavrin::circuits
