// Gain spread: the frequencies where a stage's spread peaks, the seven variance terms of a
// designed stage, and the filter's root-sum-square.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "analysis/GainSpread.h"
#include "analysis/StagePolynomials.h"
#include "circuits/DesignHarness.h"
#include "circuits/DesignStage.h"
#include "core/DesignState.h"

namespace tavrin::analysis {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kWp = kTwoPi * 1000;
constexpr double kDb2 = 8.68 * 8.68;  // the gain sensitivity 8.68 squared

core::Stage MakeStage(int type, double wp, double qp, double wz = 0) {
  core::Stage st;
  st.type = static_cast<std::uint8_t>(type);
  st.wp = wp;
  st.Qp = qp;
  st.wz = wz;
  return st;
}

core::ComponentCharacteristics Tolerances(double r, double c) {
  core::ComponentCharacteristics ch;
  ch.RTolerance = r;
  ch.CTolerance = c;
  return ch;
}

// A designed circuit with the op-amp data the spread reads.
design_test::Designed Designed(const std::string& key, double qp, double wz = 0, double gbw = 1e6,
                               double gbwTolerance = 50) {
  design_test::Options o;
  o.gbw = gbw;
  design_test::Designed d = design_test::Design(key, kWp, qp, 1, wz, o);
  d.cr.OpAmpTolerance = gbwTolerance;
  return d;
}

struct InterestCase {
  int type;
  double qp;
  double upper;  // times wp; 0: none
  double lower;
};

TEST(FrequenciesOfInterestTest, PeakFrequenciesAndPoleFallbacks) {
  const double band = std::sqrt(1 + 1 / 4.0) - 0.5;  // the lower -3 dB edge at Qp = 1
  const InterestCase cases[] = {
      {core::ptSLP, 2, 1.302, 0.768},  // sqrt((8 +- sqrt 15) / 7)
      {core::ptSBP, 2, 1.302, 0.768},
      {core::ptSLP, 1, 0, 1},
      {core::ptSLP, std::numbers::sqrt2, 0, 1},  // not above sqrt 2
      {core::ptSLPN, 1, 0, 1},
      {core::ptSHPN, 1, 0, 1},
      {core::ptSHP, 1, 1, 0},
      {core::ptSBP, 1, 0, band},
      {core::ptSN, 1, 0, band},
      {core::ptFLP, 0, 0, 0},
      {core::ptFHP, 0, 0, 0},
  };
  for (const InterestCase& c : cases) {
    const FrequenciesOfInterest f = StageFrequencies(MakeStage(c.type, kWp, c.qp));
    const std::string where = "type " + std::to_string(c.type) + ", Qp " + std::to_string(c.qp);
    EXPECT_NEAR(f.upper / kWp, c.upper, 5e-4) << where;
    EXPECT_NEAR(f.lower / kWp, c.lower, 5e-4) << where;
  }
  EXPECT_NEAR(StageFrequencies(MakeStage(core::ptSLP, kWp, 2)).upper / kWp,
              std::sqrt((8 + std::sqrt(15.0)) / 7), 1e-12);

  core::DesignState state;
  state.stageCount = 2;
  state.stages[2] = MakeStage(core::ptSLP, kWp, 2);
  StageFrequenciesOfInterest(state, 2);
  EXPECT_NEAR(state.stageAnalysis[2].upperFrequency / kWp, 1.302, 5e-4);
  EXPECT_NEAR(state.stageAnalysis[2].lowerFrequency / kWp, 0.768, 5e-4);
}

// The unity-gain Sallen-Key lowpass with equal resistors: every component moves wp by
// -1/2, the two capacitors move Qp by +-1/2, the resistors not at all.  At wp with
// Qp = 0.707 both gain weights are 8.68, so the terms follow by hand.
TEST(StageSpreadTermsTest, SallenKeyLowpassAtItsPole) {
  const design_test::Designed d = Designed("SLP01", 0.707);
  ASSERT_FALSE(d.cr.DesignFailed);
  const SpreadTerms s = StageSpreadTerms(d.stage, d.cr, Tolerances(1, 1), kWp);
  const double t2 = 0.01 * 0.01;
  EXPECT_NEAR(s.term[kVwp], kDb2 * t2 * (4 * 0.25), 1e-9);
  EXPECT_NEAR(s.term[kVQ], kDb2 * t2 * (2 * 0.25), 1e-9);
  EXPECT_EQ(s.term[kVwz], 0);
  EXPECT_EQ(s.term[kVa], 0);
  EXPECT_EQ(s.term[kVb], 0);
  // aw = Qp, aq = -Qp for this circuit; x = wp / (2 pi GBW) = 1e-3; tGBW = 0.5.
  const double shift = 0.707 * 1e-3 * 0.5;
  EXPECT_NEAR(s.term[kAwp], kDb2 * shift * shift, 1e-12);
  EXPECT_NEAR(s.term[kAQ], kDb2 * shift * shift, 1e-12);
  EXPECT_NEAR(s.passive, kDb2 * t2 * 1.5, 1e-9);
  EXPECT_NEAR(s.total, std::sqrt(s.passive + s.active), 1e-15);
}

TEST(StageSpreadTermsTest, ActivePartFollowsWpOverGbwAndVanishesForAnIdealOpAmp) {
  const design_test::Designed d = Designed("SLP03", 2);
  ASSERT_FALSE(d.cr.DesignFailed);
  const core::ComponentCharacteristics ch = Tolerances(1, 1);
  const double w = StageFrequencies(d.stage).lower;
  core::CircuitRecord cr = d.cr;
  const SpreadTerms at1 = StageSpreadTerms(d.stage, cr, ch, w);
  cr.OpAmpGbw = 0.5e6;
  const SpreadTerms atHalf = StageSpreadTerms(d.stage, cr, ch, w);
  ASSERT_GT(at1.active, 0);
  EXPECT_NEAR(atHalf.active / at1.active, 4, 1e-9);  // the shifts grow as wp / GBW
  EXPECT_EQ(atHalf.passive, at1.passive);
  cr.OpAmpGbw = 1e15;
  const SpreadTerms ideal = StageSpreadTerms(d.stage, cr, ch, w);
  EXPECT_LT(ideal.active, 1e-15);
  EXPECT_NEAR(ideal.total, std::sqrt(ideal.passive), 1e-12);
  // The second pair of GBW factors is defined by no design, so a block that selects it has
  // no active part.
  EXPECT_EQ(StageSpreadTerms(d.stage, d.cr, ch, w, 2).active, 0);
  EXPECT_EQ(StageSpreadTerms(d.stage, d.cr, ch, w, 2).passive, at1.passive);
}

TEST(StageSpreadTermsTest, BandpassAtItsPoleSpreadsOnlyThroughTheCubicTerms) {
  const design_test::Designed plain = Designed("SBP01", 5);
  ASSERT_FALSE(plain.cr.DesignFailed);
  const SpreadTerms p = StageSpreadTerms(plain.stage, plain.cr, Tolerances(1, 1), kWp);
  EXPECT_EQ(p.total, 0);

  const design_test::Designed cubic = Designed("SBP07", 5);
  ASSERT_FALSE(cubic.cr.DesignFailed);
  ASSERT_TRUE(cubic.cr.Cubic);
  const SpreadTerms c = StageSpreadTerms(cubic.stage, cubic.cr, Tolerances(1, 1), kWp);
  EXPECT_EQ(c.term[kVwp], 0);
  EXPECT_EQ(c.term[kVQ], 0);
  EXPECT_EQ(c.active, 0);
  EXPECT_GT(c.term[kVa], 0);
  EXPECT_NEAR(c.total * c.total, c.term[kVa] + c.term[kVb], 1e-15);
}

// The extra pole is the real root of the designed circuit's denominator.
TEST(StageSpreadTermsTest, ExtraPoleIsTheRealRootOfTheCubicDenominator) {
  for (const char* key : {"SBP07", "SLPN05", "SN01"}) {
    const design_test::Designed d = Designed(key, 2, std::string(key) == "SN01" ? kWp : 1.5 * kWp);
    ASSERT_FALSE(d.cr.DesignFailed) << key;
    const double p = ExtraPole(d.cr, d.stage.type);
    ASSERT_GT(p, 0) << key;
    const StagePolynomials poly = design_test::Polynomials(d);
    const auto& b = poly.b;
    const double at = ((-b[3] * p + b[2]) * p - b[1]) * p + b[0];  // D(-p)
    EXPECT_NEAR(at / (b[3] * p * p * p), 0, 1e-9) << key;
  }
  EXPECT_EQ(ExtraPole(Designed("SLP01", 1).cr, core::ptSLP), 0);
}

TEST(StageSpreadTermsTest, ComponentsAtExactValuesDoNotSpread) {
  design_test::Designed d = Designed("SLP03", 1);
  ASSERT_FALSE(d.cr.DesignFailed);
  // As the design leaves them: computed values, none marked standard.
  circuits::SumStageSensitivities(d.cr, d.stage.type);
  const SpreadTerms s = StageSpreadTerms(d.stage, d.cr, Tolerances(1, 1), kWp);
  EXPECT_EQ(s.passive, 0);
  EXPECT_GT(s.active, 0);
}

TEST(StageSpreadTermsTest, ExactCapacitorsTakeTheCapacitorToleranceOut) {
  design_test::Designed d = Designed("SLP03", 1);
  ASSERT_FALSE(d.cr.DesignFailed);
  const SpreadTerms withC = StageSpreadTerms(d.stage, d.cr, Tolerances(1, 10), kWp);
  const SpreadTerms withoutC = StageSpreadTerms(d.stage, d.cr, Tolerances(1, 0), kWp);
  ASSERT_GT(withC.passive, withoutC.passive);
  d.cr.ExactTaken = true;
  const SpreadTerms exact = StageSpreadTerms(d.stage, d.cr, Tolerances(1, 10), kWp);
  EXPECT_EQ(exact.passive, withoutC.passive);
}

TEST(StageSpreadTermsTest, FirstOrderStageSpreadsThroughItsPoleOnly) {
  design_test::Designed d = Designed("FLP03", 0);
  d.stage.p = kWp;
  ASSERT_FALSE(d.cr.DesignFailed);
  const SpreadTerms s = StageSpreadTerms(d.stage, d.cr, Tolerances(1, 1), kWp);
  // One resistor and one capacitor set the corner, each by -1; the weight at wc is 4.34.
  EXPECT_NEAR(s.term[kVwp], 4.34 * 4.34 * 1e-4 * 2, 1e-9);
  EXPECT_EQ(s.active, 0);
  EXPECT_EQ(s.passive, s.term[kVwp]);
}

class FilterGainSpreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.stageCount = 2;
    state.characteristics = Tolerances(1, 1);
    Put(1, Designed("SLP03", 0.6));
    Put(2, Designed("SLPN06", 3, kTwoPi * 1300));
  }
  void Put(int s, const design_test::Designed& d) {
    state.stages[static_cast<std::size_t>(s)] = d.stage;
    state.circuits[static_cast<std::size_t>(s)] = d.cr;
  }
  core::DesignState state;
};

TEST_F(FilterGainSpreadTest, RootSumSquareOfTheStagesWithEveryBlockWritten) {
  const double w = kTwoPi * 900;
  const double s1 = StageSpreadTerms(state, 1, state.circuits[1], w).total;
  const double s2 = StageSpreadTerms(state, 2, state.circuits[2], w).total;
  ASSERT_GT(s1, 0);
  ASSERT_GT(s2, 0);
  EXPECT_NEAR(FilterGainSpread(state, w), std::hypot(s1, s2), 1e-15);
  for (int s : {1, 2}) {
    const core::StageAnalysisEntry& e = state.stageAnalysis[static_cast<std::size_t>(s)];
    EXPECT_EQ(e.lastFrequency, w);
    const core::CircuitRating& block =
        e.candidate[static_cast<std::size_t>(state.circuits[static_cast<std::size_t>(s)].CircuitNumber)];
    EXPECT_EQ(block.TotalSpread, s == 1 ? s1 : s2);
    // The total is the square root of the sum: squared again it may differ in the last bit.
    EXPECT_DOUBLE_EQ(block.PassiveVariance + block.ActiveVariance, block.TotalSpread * block.TotalSpread);
  }
}

TEST_F(FilterGainSpreadTest, NotchNullAddsNothingThroughWz) {
  // At the notch's own zero the gain is nil: the wz term has nothing to move, the rest stays finite.
  const double w = state.stages[2].wz;
  const double spread = FilterGainSpread(state, w);
  EXPECT_TRUE(std::isfinite(spread));
  EXPECT_EQ(state.stageAnalysis[2]
                .candidate[static_cast<std::size_t>(state.circuits[2].CircuitNumber)]
                .SpreadTerms[kVwz],
            0);
}

TEST_F(FilterGainSpreadTest, StageWithoutCircuitOrFrequencyGivesNothing) {
  EXPECT_EQ(StageGainSpread(state, 1).total, 0);  // no frequency recorded yet
  state.circuits[1].CircuitNumber = 0;
  RecordStageGainSensitivities(state, 1, kWp);
  EXPECT_EQ(StageGainSpread(state, 1).total, 0);
}

}  // namespace
}  // namespace tavrin::analysis
