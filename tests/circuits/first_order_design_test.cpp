// The first-order circuits: the designed values analysed give back the corner and the
// gain each circuit's rule settles on, over the whole range a stage can ask for.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "circuits/DesignHarness.h"

namespace tavrin::circuits {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// The gain each circuit realises for the one asked of it.
struct GainRule {
  const char* key;
  double (*gain)(double requested);
  bool (*constrained)(double requested);  // GainConstrained
};

double Unity(double) {
  return 1;
}
double AtLeast1Point1(double k) {
  return k <= 1.1 ? 1.1 : k;
}
double Free(double k) {
  return k;
}
bool Always(double) {
  return true;
}
bool Never(double) {
  return false;
}
bool UpTo1Point1(double k) {
  return k <= 1.1;
}

TEST(FirstOrderDesignTest, AnalysisOfTheDesignedValuesGivesTheCornerAndGain) {
  const GainRule rules[] = {
      {"FLP01", Unity, Always}, {"FLP02", AtLeast1Point1, UpTo1Point1}, {"FLP03", Free, Never},
      {"FHP01", Unity, Always}, {"FHP02", AtLeast1Point1, UpTo1Point1}, {"FHP03", Free, Never},
      {"FHP04", Free, Never},
  };
  for (const GainRule& rule : rules) {
    const CircuitAddress at = AddressOfKey(rule.key);
    for (double f = 10; f <= 1e6 * 1.0001; f *= std::sqrt(10.0)) {
      for (double k : {0.5, 1.0, 1.1, 1.3, 2.0, 4.7, 10.0}) {
        SCOPED_TRACE(std::string(rule.key) + " at " + std::to_string(f) + " Hz, gain " + std::to_string(k));
        const double wc = kTwoPi * f;
        const design_test::Designed d = design_test::Design(at, wc, 0, k);
        ASSERT_TRUE(d.ran);
        ASSERT_FALSE(d.cr.DesignFailed);
        const double expectedGain = rule.gain(k);
        EXPECT_NEAR(d.cr.CircuitGain / expectedGain, 1, 1e-12);
        EXPECT_EQ(d.cr.GainConstrained, rule.constrained(k));
        for (int i = 1; i <= d.cr.ResistorCount; ++i)
          EXPECT_TRUE(d.cr.R[i].Value > 0 && std::isfinite(d.cr.R[i].Value));
        for (int j = 1; j <= d.cr.CapacitorCount; ++j)
          EXPECT_TRUE(d.cr.C[j].Value > 0 && std::isfinite(d.cr.C[j].Value));
        const analysis::StagePolynomials p = design_test::Polynomials(d);
        const analysis::StageParameters par = analysis::ParametersOf(p, at.stageType);
        ASSERT_TRUE(par.wp.has_value());
        EXPECT_NEAR(*par.wp / wc, 1, 1e-9);
        EXPECT_NEAR(p.K / d.cr.CircuitGain, 1, 1e-9);
        EXPECT_EQ(d.cr.DesignWp, wc);
        EXPECT_EQ(d.cr.GbwCoefWp, 0);
        EXPECT_EQ(d.cr.MinGbw, 0);
      }
    }
  }
}

TEST(FirstOrderDesignTest, CapacitorsAndScaleResistorAreTheSetUpsExceptWhereTheGainNeedsOne) {
  // C1 from the set-up (10 nF up to 31000 rad/s); FHP03 sets its gain with C2 = C1 / K.
  const design_test::Designed hp3 = design_test::Design("FHP03", 1000, 0, 4);
  EXPECT_NEAR(hp3.cr.C[1].Value, 10e-9, 1e-21);
  EXPECT_NEAR(hp3.cr.C[2].Value, 2.5e-9, 1e-21);
  EXPECT_NEAR(hp3.cr.CapRatio, 0.25, 1e-15);
  EXPECT_NEAR(hp3.cr.R[1].Value, 1 / (2.5e-9 * 1000), 1e-6);
  // FLP02's R3 is the scale resistor: 10 kOhm, kept exactly, and R2 = R3 / (K - 1).
  const design_test::Designed lp2 = design_test::Design("FLP02", 1000, 0, 1.5);
  EXPECT_EQ(lp2.cr.R[3].Value, 10e3);
  EXPECT_NEAR(lp2.cr.R[2].Value, 20e3, 1e-9);
}

TEST(FirstOrderDesignTest, ACornerOrGainThatCannotBeBuiltFails) {
  for (const char* key : {"FLP01", "FLP02", "FLP03", "FHP01", "FHP02", "FHP03", "FHP04"}) {
    SCOPED_TRACE(key);
    EXPECT_TRUE(design_test::Design(key, 0, 0, 2).cr.DesignFailed) << "no corner";
  }
  for (const char* key : {"FLP03", "FHP03", "FHP04"}) {  // the gain is a ratio of parts
    SCOPED_TRACE(key);
    EXPECT_TRUE(design_test::Design(key, 1000, 0, 0).cr.DesignFailed) << "zero gain";
    EXPECT_TRUE(design_test::Design(key, 1000, 0, -2).cr.DesignFailed) << "negative gain";
  }
  // A gain the follower or the non-inverting stage cannot give is raised, not refused.
  EXPECT_FALSE(design_test::Design("FLP02", 1000, 0, -2).cr.DesignFailed);
}

}  // namespace
}  // namespace tavrin::circuits
