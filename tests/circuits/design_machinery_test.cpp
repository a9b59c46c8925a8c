// What every design shares: the dispatcher's post-steps (scale-pair limiting,
// sensitivities from the analysis equations, the sums), which values count as standard
// parts, the op-amp bandwidth targets, and the input of the standard-resistor search.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "analysis/ComponentSets.h"
#include "analysis/GainSensitivity.h"
#include "circuits/DesignEquations.h"
#include "circuits/DesignHarness.h"
#include "circuits/StandardValues.h"

namespace tavrin::circuits {
namespace {

using design_test::Design;
using design_test::Sens;
constexpr double kTwoPi = 2 * std::numbers::pi;

TEST(DesignRoutinesTest, EveryFirstOrderLowpassHighpassAndBandpassCircuitHasOne) {
  for (const char* key : design_test::kOrderOneToBandpass) {
    const CircuitAddress at = AddressOfKey(key);
    ASSERT_TRUE(at.valid()) << key;
    EXPECT_NE(FindDesign(at.stageType, at.number), nullptr) << key << " has no design routine yet";
  }
}

TEST(DesignRoutinesTest, ACircuitWithoutRoutineLeavesTheRecordAlone) {
  core::CircuitRecord cr;
  cr.CircuitNumber = 14;  // beyond the lowpass circuits
  cr.R[1].Value = 123;
  core::Stage st;
  st.type = core::ptSLP;
  st.wp = 1000;
  st.Qp = 1;
  EXPECT_FALSE(DesignStage(cr, st));
  EXPECT_EQ(cr.R[1].Value, 123);
  EXPECT_FALSE(cr.DesignFailed);
}

// ---------------------------------------------------------------------------------------
// Op-amp bandwidth targets

TEST(GbwTargetsTest, RecommendedGbwRoundsDownToAHalfStepOfItsLeadingDigit) {
  struct Case {
    double aw, aq, wp, expected;
  };
  const Case cases[] = {
      {1, -1, kTwoPi * 1000, 20000},    // g = 20000: k = 4, 2.0
      {1, -1, kTwoPi * 1300, 25000},    // 26000 -> 2.6 -> 2.5
      {-2, 0.5, kTwoPi * 10e3, 400e3},  // the larger coefficient counts, by magnitude
      {0.5, -2, kTwoPi * 10e3, 400e3},    {1, 0, kTwoPi * 3.7e6 / 20, 3.5e6},
      {1, 0, kTwoPi * 3.2e6 / 20, 3e6},   {1, 0, kTwoPi * 9.99e6 / 20, 9.5e6},
      {1, 0, kTwoPi * 12.4e6 / 20, 10e6}, {0.01, 0, kTwoPi * 4, 0.5},  // below 1: not scaled, 0.8 -> 0.5
      {0.01, 0, kTwoPi * 2, 0},                                        // 0.4 -> 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_NEAR(RecommendedGbw(c.aw, c.aq, c.wp), c.expected, 1e-9 * (1 + c.expected));
  }
}

TEST(GbwTargetsTest, PredistortionShiftsTheTargetsByTheCoefficientsTimesWpOverGbw) {
  core::CircuitRecord cr;
  cr.OpAmpGbw = 1e6;
  cr.GbwCoefWp = 1.5;
  cr.GbwCoefQp = -2;
  const double wp = kTwoPi * 10e3;  // wp / (2 pi GBW) = 0.01
  DesignContext ctx{cr, {core::ptSLP, wp, 2.0, 0}};
  cr.Predistort = true;
  GbwTargets(ctx);
  EXPECT_NEAR(cr.DesignWp, wp * (1 + 1.5 * 0.01), 1e-9 * wp);
  EXPECT_NEAR(cr.DesignQp, 2.0 * (1 - 2 * 0.01), 1e-12);
  // deviation = x sqrt((aq / 2Qp)^2 + aw^2)
  EXPECT_NEAR(cr.GbwDeviation, 0.01 * std::sqrt(0.25 + 2.25), 1e-12);
  EXPECT_NEAR(cr.MinGbw, 400e3, 1e-6);  // 20 x 2 x 10 kHz

  cr.Predistort = false;
  GbwTargets(ctx);
  EXPECT_EQ(cr.DesignWp, wp);
  EXPECT_EQ(cr.DesignQp, 2.0);

  cr.Predistort = true;
  cr.OpAmpGbw = 1e30;  // an ideal op-amp needs no predistortion
  GbwTargets(ctx);
  EXPECT_NEAR(cr.DesignWp, wp, 1e-12 * wp);
  EXPECT_NEAR(cr.DesignQp, 2.0, 1e-12);
}

TEST(GbwTargetsTest, PredistortedSallenKeyLowpassIsDesignedForTheShiftedTargets) {
  const CircuitAddress at = AddressOfKey("SLP01");
  if (FindDesign(at.stageType, at.number) == nullptr) GTEST_SKIP() << "SLP01 has no design routine yet";
  design_test::Options o;
  o.predistort = true;
  o.gbw = 1e6;
  const double wp = kTwoPi * 10e3;
  const design_test::Designed d = Design(at, wp, 1.0, 1.0, 0, o);
  ASSERT_FALSE(d.cr.DesignFailed);
  const double aw = d.cr.GbwCoefWp;
  const double aq = d.cr.GbwCoefQp;
  EXPECT_NE(aw, 0);
  EXPECT_NEAR(d.cr.DesignWp, wp * (1 + aw * 0.01), 1e-9 * wp);
  EXPECT_NEAR(d.cr.DesignQp, 1.0 * (1 + aq * 0.01), 1e-9);
  // The components realise the shifted targets, which the op-amp then pulls back.
  const analysis::StageParameters par = analysis::ParametersOf(design_test::Polynomials(d), at.stageType);
  ASSERT_TRUE(par.wp && par.Qp);
  EXPECT_NEAR(*par.wp / d.cr.DesignWp, 1, 1e-9);
  EXPECT_NEAR(*par.Qp / d.cr.DesignQp, 1, 1e-9);
}

// ---------------------------------------------------------------------------------------
// Scale pair

// A record whose scale pair (R3 partner, R4 scale) stands at the given values, the scale
// resistor recorded at 10 kOhm as the set-up leaves it.
core::CircuitRecord ScalePairRecord(double r3, double r4, int resistors = 4) {
  core::CircuitRecord cr;
  cr.HasScalePair = true;
  cr.ResistorCount = static_cast<std::int16_t>(resistors);
  cr.ScaleIndex = 0;
  cr.ScaleDecade = 3;
  cr.R[1].Value = 1000;
  cr.R[2].Value = 2000;
  cr.R[3].Value = r3;
  cr.R[4].Value = r4;
  return cr;
}

TEST(ScalePairTest, TheScaleResistorStepsDownE24UntilBothAreAtMost100kOhm) {
  struct Case {
    double r3;
    double scale;  // where R4 ends
    int index;
    int decade;
  };
  const Case cases[] = {
      {100e3, 10e3, 0, 3},      // at the limit: nothing moves
      {100.5e3, 9.1e3, 23, 2},  // one step, from the head of the decade into the one below
      {250e3, 3.9e3, 14, 2},    // 4.3 kOhm would leave R3 at 107.5 kOhm
      {1.2e6, 820, 22, 1},      // through a whole decade
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.r3);
    core::CircuitRecord cr = ScalePairRecord(c.r3, 10e3);
    LimitScalePair(cr);
    EXPECT_NEAR(cr.R[4].Value, c.scale, 1e-9 * c.scale);
    EXPECT_EQ(cr.ScaleIndex, c.index);
    EXPECT_EQ(cr.ScaleDecade, c.decade);
    EXPECT_NEAR(cr.R[3].Value / cr.R[4].Value, c.r3 / 10e3, 1e-12 * c.r3 / 10e3);  // the gain they set
    EXPECT_LE(cr.R[3].Value, 100e3);
    EXPECT_EQ(cr.R[1].Value, 1000);
    EXPECT_EQ(cr.R[2].Value, 2000);
  }
}

TEST(ScalePairTest, ALargeScaleResistorIsBroughtDownToo) {
  core::CircuitRecord cr = ScalePairRecord(20e3, 150e3);
  cr.ScaleIndex = 4;  // 150 kOhm
  cr.ScaleDecade = 4;
  LimitScalePair(cr);
  EXPECT_NEAR(cr.R[4].Value, 100e3, 1e-6);
  EXPECT_NEAR(cr.R[3].Value, 20e3 * 100.0 / 150.0, 1e-6);
}

TEST(ScalePairTest, APositionThatDoesNotNameTheResistorIsTakenFromItsValue) {
  core::CircuitRecord cr = ScalePairRecord(300e3, 47e3);  // recorded as 10 kOhm, stands at 47 kOhm
  LimitScalePair(cr);
  EXPECT_NEAR(cr.R[4].Value, 15e3, 1e-6);  // 47k 43k 39k 36k 33k 30k 27k 24k 22k 20k 18k 16k 15k
  EXPECT_LE(cr.R[3].Value, 100e3);
  EXPECT_NEAR(cr.R[3].Value / cr.R[4].Value, 300.0 / 47.0, 1e-12);
}

TEST(ScalePairTest, CompensationCopiesFollowTheirOriginals) {
  core::CircuitRecord cr = ScalePairRecord(250e3, 10e3, 6);
  cr.ActiveComp = cr.ActiveCompAvailable = true;
  cr.R[5].Value = cr.R[4].Value;
  cr.R[6].Value = cr.R[3].Value;
  LimitScalePair(cr);
  EXPECT_NEAR(cr.R[4].Value, 3.9e3, 1e-9);
  EXPECT_EQ(cr.R[5].Value, cr.R[4].Value);
  EXPECT_EQ(cr.R[6].Value, cr.R[3].Value);
}

TEST(ScalePairTest, AFailedDesignsValuesAreLeftAlone) {
  core::CircuitRecord cr = ScalePairRecord(std::numeric_limits<double>::infinity(), 10e3);
  LimitScalePair(cr);  // must return, not walk the series for ever
  EXPECT_EQ(cr.R[4].Value, 10e3);
  cr = ScalePairRecord(-5e5, 10e3);
  LimitScalePair(cr);
  EXPECT_EQ(cr.R[4].Value, 10e3);
}

TEST(ScalePairTest, SallenKeyLowpassAtHighQKeepsItsGain) {
  const CircuitAddress at = AddressOfKey("SLP02");
  if (FindDesign(at.stageType, at.number) == nullptr) GTEST_SKIP() << "SLP02 has no design routine yet";
  // Default variant: R3 = R4 Qd / (1 - 1/sqrt(2 Qd)), 237 kOhm at Qp = 20 with R4 = 10 kOhm.
  const design_test::Designed d = Design(at, kTwoPi * 1000, 20, 1);
  ASSERT_FALSE(d.cr.DesignFailed);
  const int n = d.cr.ResistorCount;
  EXPECT_LE(d.cr.R[n].Value, 100e3);
  EXPECT_LE(d.cr.R[n - 1].Value, 100e3);
  EXPECT_LT(d.cr.R[n].Value, 10e3);
  EXPECT_TRUE(IsStandardResistor(d.cr.R[n].Value, Series::E24).standard) << d.cr.R[n].Value;
  const double designedGain = 1 + 1 / (20 / (1 - 1 / std::sqrt(40.0)));
  EXPECT_NEAR(design_test::Polynomials(d).K / designedGain, 1, 1e-9);
}

// ---------------------------------------------------------------------------------------
// Values that come out standard

// A computed value is never a standard part, whatever value it has: only the user or the
// standard substitution makes a resistor one.  The mark is set and cleared by the same rule.
TEST(StandardMarkTest, OnlyPartsTheUserOrTheSubstitutionChoseAreStandard) {
  struct Case {
    const char* what;
    double value;
    double preStandard;  // > 0: the substitution gave the resistor its value
    bool user;
    double userValue;
    double tolerance;
    bool standard;
  };
  const Case cases[] = {
      {"computed, exactly at an E96 value", 4990, 0, false, 0, 1, false},
      {"computed, exactly at an E12 value", 10e3, 0, false, 0, 10, false},
      {"substituted into E96", 4990, 5012.3, false, 0, 1, true},
      {"kept by the substitution, already in E96", 4990, 4990, false, 0, 1, true},
      {"substituted into E96, tolerance since moved to 5 %", 4990, 5012.3, false, 0, 5, false},
      {"substituted into E24", 4700, 4650, false, 0, 5, true},
      {"substituted into E12 above 10 %", 4700, 4650, false, 0, 20, true},
      {"user value in E96", 1234.5, 0, true, 4990, 1, true},
      {"user value off the series", 4990, 0, true, 5000, 1, false},
      {"user value in E12, tolerance above 10 %", 1000, 0, true, 4700, 20, false},
      {"user value decides, not a substituted Value", 4990, 5012.3, true, 5050, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (bool before : {false, true}) {
      core::ComponentEntry r;
      r.Value = c.value;
      r.PreStandardValue = c.preStandard;
      r.UserAssigned = c.user;
      r.UserValue = c.userValue;
      r.IsStandard = before;
      MarkResistorStandard(r, c.tolerance);
      EXPECT_EQ(r.IsStandard, c.standard);
      EXPECT_EQ(r.Value, c.value);
    }
  }
}

TEST(StandardMarkTest, TheSubstitutionMarksWhatItChose) {
  core::CircuitRecord cr;
  cr.ResistorCount = 3;
  cr.R[1].Value = 5012.3;  // takes 4990
  cr.R[2].Value = 4990;    // already a series value: kept, and now a chosen part
  cr.R[3].Value = 7777;
  cr.R[3].UserAssigned = true;
  cr.R[3].UserValue = 7777;  // not E96
  SubstituteStandardResistors(cr, 1, SubstStrategy::Strategy2);
  EXPECT_EQ(cr.R[1].Value, 4990);
  EXPECT_TRUE(cr.R[1].IsStandard);
  EXPECT_TRUE(cr.R[2].IsStandard);
  EXPECT_FALSE(cr.R[3].IsStandard);
  for (int i = 1; i <= 3; ++i) {
    core::ComponentEntry again = cr.R[static_cast<std::size_t>(i)];
    MarkResistorStandard(again, 1);
    EXPECT_EQ(again.IsStandard, cr.R[static_cast<std::size_t>(i)].IsStandard) << "R" << i;
  }
}

TEST(StandardMarkTest, TheDispatcherLeavesSeriesValuesWhereTheDesignPutThem) {
  // R1 = 1 / (10 nF x 10000 rad/s) is 10 kOhm, an E96 value, and no standard part.
  const design_test::Designed exact = Design("FLP01", 1e4, 0, 1);
  EXPECT_NEAR(exact.cr.R[1].Value, 10e3, 1e-12 * 10e3);
  EXPECT_FALSE(exact.cr.R[1].IsStandard);
  const design_test::Designed off = Design("FLP01", kTwoPi * 1000, 0, 1);
  EXPECT_NEAR(off.cr.R[1].Value, 1 / (10e-9 * kTwoPi * 1000), 1e-9);
  // FLP02 at gain 3: R2 = 5 kOhm from the 10 kOhm scale resistor; K is 3 exactly.
  const design_test::Designed pair = Design("FLP02", kTwoPi * 1000, 0, 3);
  EXPECT_EQ(pair.cr.R[3].Value, 10e3);
  EXPECT_NEAR(pair.cr.R[2].Value, 5e3, 1e-12 * 5e3);
  EXPECT_NEAR(design_test::Polynomials(pair).K, 3, 1e-12);
  for (int i = 1; i <= pair.cr.ResistorCount; ++i)
    EXPECT_FALSE(pair.cr.R[static_cast<std::size_t>(i)].IsStandard);
}

// ---------------------------------------------------------------------------------------
// Sensitivities and their sums

TEST(SensitivityTest, FirstOrderSlotsHoldTheClosedForms) {
  struct Case {
    const char* key;
    double gain;
    std::vector<double> wcR, kR;  // per resistor
    std::vector<double> wcC, kC;  // per capacitor
  };
  // FLP02 at K = 4: R2 = R3 / 3, so S_K(R2) = -R3 / (R2 + R3) = -0.75.
  const Case cases[] = {
      {"FLP01", 1, {-1}, {0}, {-1}, {0}},
      {"FLP02", 4, {-1, 0, 0}, {0, -0.75, 0.75}, {-1}, {0}},
      {"FLP03", 2, {0, -1}, {-1, 1}, {-1}, {0}},
      {"FHP01", 1, {-1}, {0}, {-1}, {0}},
      {"FHP02", 4, {-1, 0, 0}, {0, -0.75, 0.75}, {-1}, {0}},
      {"FHP03", 2, {-1}, {0}, {0, -1}, {1, -1}},
      {"FHP04", 2, {-1, 0}, {-1, 1}, {-1}, {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const design_test::Designed d = Design(c.key, kTwoPi * 700, 0, c.gain);
    ASSERT_TRUE(d.ran);
    ASSERT_FALSE(d.cr.DesignFailed);
    ASSERT_EQ(d.cr.ResistorCount, static_cast<int>(c.wcR.size()));
    ASSERT_EQ(d.cr.CapacitorCount, static_cast<int>(c.wcC.size()));
    for (std::size_t i = 0; i < c.wcR.size(); ++i) {
      const core::ComponentEntry& r = d.cr.R[i + 1];
      EXPECT_NEAR(Sens(r, 1), c.wcR[i], 1e-12) << "S_wc(R" << i + 1 << ")";
      EXPECT_NEAR(Sens(r, 3), c.kR[i], 1e-12) << "S_K(R" << i + 1 << ")";
      for (int code : {2, 4, 5, 6, 7}) EXPECT_EQ(Sens(r, code), 0) << "code " << code;
    }
    for (std::size_t j = 0; j < c.wcC.size(); ++j) {
      const core::ComponentEntry& cap = d.cr.C[j + 1];
      EXPECT_NEAR(Sens(cap, 1), c.wcC[j], 1e-12) << "S_wc(C" << j + 1 << ")";
      EXPECT_NEAR(Sens(cap, 3), c.kC[j], 1e-12) << "S_K(C" << j + 1 << ")";
    }
  }
}

TEST(SensitivityTest, TheSlotsAreInCodeOrder1_2_5_4_7_6_3) {
  core::CircuitRecord cr;
  cr.CircuitNumber = 3;  // FLP03: K = R2/R1, so S_K(R1) = -1 lands in slot 7
  cr.R[1].Value = 1000;
  cr.R[2].Value = 2000;
  cr.ResistorCount = 2;
  cr.CapacitorCount = 1;
  cr.C[1].Value = 1e-8;
  FillSensitivities(cr, core::ptFLP);
  EXPECT_NEAR(cr.R[1].Sens[7], -1, 1e-12);
  EXPECT_NEAR(cr.R[2].Sens[1], -1, 1e-12);  // wc = 1 / (R2 C1)
  EXPECT_NEAR(cr.R[2].Sens[7], 1, 1e-12);
}

TEST(SensitivitySumsTest, FirstOrderLowpassSumsAndTheirStandardValueSquares) {
  const design_test::Designed d = Design("FLP01", kTwoPi * 1000, 0, 1);
  // The dispatcher flags every component while it sums, then clears the flags again.
  EXPECT_NEAR(d.cr.SumWp.R, -1, 1e-12);
  EXPECT_NEAR(d.cr.SumWp.C, -1, 1e-12);
  EXPECT_NEAR(d.cr.SumWp.Total, -2, 1e-12);
  EXPECT_NEAR(d.cr.SumSqWp.R, 1, 1e-12);
  EXPECT_NEAR(d.cr.SumSqWp.C, 1, 1e-12);
  EXPECT_FALSE(d.cr.R[1].IsStandard);
  EXPECT_FALSE(d.cr.C[1].IsStandard);

  // A component at an exact, non-standard value moves the signed sums but does not spread.
  core::CircuitRecord cr = d.cr;
  cr.R[1].IsStandard = false;
  cr.C[1].IsStandard = true;
  SumStageSensitivities(cr, core::ptFLP);
  EXPECT_NEAR(cr.SumWp.R, -1, 1e-12);
  EXPECT_EQ(cr.SumSqWp.R, 0);
  EXPECT_NEAR(cr.SumSqWp.C, 1, 1e-12);
  EXPECT_NEAR(cr.SumSqWp.Total, 1, 1e-12);
  EXPECT_EQ(cr.SumQp.Total, 0);  // a first-order stage has no Q
}

TEST(SensitivitySumsTest, NotchCapacitorSquaresTakeEveryFlaggedCapacitor) {
  core::CircuitRecord cr;
  cr.ResistorCount = 1;
  cr.CapacitorCount = 3;
  const int wz = SensSlotOfCode(4);
  const int qp = SensSlotOfCode(2);
  cr.R[1].Sens[static_cast<std::size_t>(wz)] = 0.25;
  cr.C[1].Sens[static_cast<std::size_t>(wz)] = -0.5;
  cr.C[2].Sens[static_cast<std::size_t>(wz)] = -0.5;
  cr.C[3].Sens[static_cast<std::size_t>(wz)] = 2;
  cr.C[3].Sens[static_cast<std::size_t>(qp)] = 3;
  cr.C[1].IsStandard = cr.C[2].IsStandard = true;
  SumStageSensitivities(cr, core::ptSN);
  EXPECT_NEAR(cr.SumWz.C, 1, 1e-12);
  EXPECT_NEAR(cr.SumSqWz.C, 0.5, 1e-12);  // C1 and C2; C3 is not flagged
  EXPECT_NEAR(cr.SumWz.Total, 1.25, 1e-12);
  EXPECT_NEAR(cr.SumQp.C, 3, 1e-12);
  EXPECT_EQ(cr.SumSqQp.C, 0);
  SumStageSensitivities(cr, core::ptSLP);  // not a notch: no wz sums
  EXPECT_EQ(cr.SumWz.Total, 0);
}

TEST(SensitivityTest, ActiveCompensationResistorsCarryNone) {
  for (const char* key : design_test::kOrderOneToBandpass) {
    const CircuitAddress at = AddressOfKey(key);
    if (FindDesign(at.stageType, at.number) == nullptr) continue;
    if (!Descriptor(at.circuitId).activeCompAvailable) continue;
    SCOPED_TRACE(key);
    design_test::Options o;
    o.activeComp = true;
    const design_test::Designed d = Design(at, kTwoPi * 2000, 1.2, 2, 0, o);
    if (d.cr.DesignFailed) continue;
    // Only the copies compensation appends carry none; the circuit's own keep theirs (a
    // follower's compensation appends no resistor at all).
    const int own = Descriptor(at.circuitId).resistors;
    for (int i = own + 1; i <= d.cr.ResistorCount; ++i)
      for (int slot = 1; slot <= 7; ++slot) EXPECT_EQ(d.cr.R[i].Sens[slot], 0) << "R" << i;
    EXPECT_NE(
        design_test::Sens(d.cr.R[1], 1) + design_test::Sens(d.cr.R[1], 2) + design_test::Sens(d.cr.R[1], 3),
        0)
        << "R1 sets the stage";
  }
}

// ---------------------------------------------------------------------------------------
// Every circuit with a routine: the slots against central differences of the analysis

// The quantities the slots are sensitivities of, read from the analysis in plain doubles.
struct Quantities {
  double wp = 0, Qp = 0, K = 0, wz = 0, pole = 0, zero = 0, sTerm = 0;
};

Quantities Measure(const core::CircuitRecord& cr, int type) {
  const analysis::StagePolynomials p =
      analysis::BuildStagePolynomials(analysis::LoadWorkingVectors(cr), type, cr.CircuitNumber);
  const analysis::StageParameters par = analysis::ParametersOf(p, type);
  Quantities q;
  q.K = p.K;
  q.wp = par.wp.value_or(0);
  q.Qp = par.Qp.value_or(0);
  q.wz = par.wz.value_or(0);
  // The real root beside a quadratic factor s^2 + q1 s + q0 of a monic cubic is -c0 / q0.
  if (p.b[3] != 0 && q.wp > 0) q.pole = std::abs(p.b[0] / p.b[3] / (q.wp * q.wp));
  if (p.a[3] != 0 && q.wz > 0) {
    const double r = -p.a[0] / p.a[3] / (q.wz * q.wz);
    q.zero = std::abs(r);
    q.sTerm = p.a[2] / p.a[3] + r;
  } else if (p.a[2] != 0) {
    q.sTerm = p.a[1] / p.a[2];
  }
  return q;
}

// Every slot of every component of cr against central differences of the analysis.
void ExpectSlotsAreTheAnalysisDerivatives(const core::CircuitRecord& cr, int type) {
  constexpr double h = 1e-5;
  const double logStep = std::log1p(h) - std::log1p(-h);
  const bool notch = type == core::ptSLPN || type == core::ptSHPN || type == core::ptSN;
  const int nr = cr.ResistorCount;
  const int components = nr + cr.CapacitorCount;
  const auto at = [nr](auto& r, int k) -> auto& {
    return k > nr ? r.C[static_cast<std::size_t>(k - nr)] : r.R[static_cast<std::size_t>(k)];
  };
  std::vector<double> depth(static_cast<std::size_t>(components + 1));
  for (int k = 1; k <= components; ++k) {
    const core::ComponentEntry& e = at(cr, k);
    if (!(e.Value > 0)) continue;
    core::CircuitRecord up = cr, down = cr;
    at(up, k).Value = e.Value * (1 + h);
    at(down, k).Value = e.Value * (1 - h);
    const Quantities qu = Measure(up, type), qd = Measure(down, type);
    // Relative change, whatever the sign (random values may leave Qp negative).
    const auto fd = [&](double a, double b) {
      return a * b > 0 ? (std::log(std::abs(a)) - std::log(std::abs(b))) / logStep : 0.0;
    };
    const std::string name = (k > nr ? "C" + std::to_string(k - nr) : "R" + std::to_string(k));
    const auto expect = [&](int code, double expected, const char* what) {
      EXPECT_NEAR(Sens(e, code), expected, 1e-6 * std::max(1.0, std::abs(expected)))
          << what << "(" << name << ")";
    };
    expect(1, fd(qu.wp, qd.wp), "S_wp");
    expect(3, fd(std::abs(qu.K), std::abs(qd.K)), "S_K");
    if (type != core::ptFLP && type != core::ptFHP) expect(2, fd(qu.Qp, qd.Qp), "S_Qp");
    if (notch) expect(4, fd(qu.wz, qd.wz), "S_wz");
    expect(5, fd(qu.pole, qd.pole), "S_pa");
    expect(6, fd(qu.zero, qd.zero), "S_pb");
    depth[static_cast<std::size_t>(k)] = notch ? (qu.sTerm - qd.sTerm) / (2 * h) : 0;
  }
  // The notch depth is scaled so that its smallest non-zero magnitude is 1: the figures
  // keep the proportions of the derivatives, which is what is compared (relative to the
  // largest, where the differences are precise).
  if (!notch) return;
  std::size_t largest = 0;
  for (std::size_t k = 1; k < depth.size(); ++k)
    if (std::abs(depth[k]) > std::abs(depth[largest])) largest = k;
  if (depth[largest] == 0) return;
  const double top = Sens(at(cr, static_cast<int>(largest)), 7);
  ASSERT_NE(top, 0) << "notch depth of the component it depends on most";
  double smallest = 0;
  for (int k = 1; k <= components; ++k) {
    const double v = Sens(at(cr, k), 7);
    EXPECT_NEAR(v / top, depth[static_cast<std::size_t>(k)] / depth[largest], 1e-6)
        << "notch depth, component " << k;
    if (v != 0 && (smallest == 0 || std::abs(v) < smallest)) smallest = std::abs(v);
  }
  EXPECT_NEAR(smallest, 1, 1e-12);
}

TEST(SensitivityTest, EverySlotIsTheDerivativeOfTheAnalysisEquations) {
  struct Point {
    double wp, qp, gain, wzOverWp;
  };
  const Point points[] = {
      {kTwoPi * 1000, 0.707, 1, 1.6}, {kTwoPi * 40e3, 4, 2.2, 2.5}, {kTwoPi * 30, 12, 0.6, 1.2}};
  int checked = 0;
  for (int type = 0; type < kStageTypeCount; ++type) {
    for (int n = 1; n <= CircuitCount(type); ++n) {
      if (FindDesign(type, n) == nullptr) continue;
      const CircuitAddress at = AddressOfId(CircuitIdOf(type, n));
      const CircuitDescriptor& desc = Descriptor(at.circuitId);
      std::vector<design_test::Options> variants(1);
      if (desc.c2VariableAvailable) variants.push_back({.c2Variable = true});
      if (EqualComponentsOffered(desc)) variants.push_back({.equalComponents = true});
      if (desc.activeCompAvailable) variants.push_back({.activeComp = true});
      const bool notch = type == core::ptSLPN || type == core::ptSHPN || type == core::ptSN;
      for (const Point& pt : points) {
        for (const design_test::Options& o : variants) {
          double wz = 0;
          if (notch)
            wz = type == core::ptSN     ? pt.wp
                 : type == core::ptSHPN ? pt.wp / pt.wzOverWp
                                        : pt.wp * pt.wzOverWp;
          const design_test::Designed d = Design(at, pt.wp, pt.qp, pt.gain, wz, o);
          if (d.cr.DesignFailed) continue;
          SCOPED_TRACE(CircuitKey(type, n) + " at wp " + std::to_string(pt.wp) + ", Qp " +
                       std::to_string(pt.qp) + (o.c2Variable ? ", C2 variable" : "") +
                       (o.equalComponents ? ", C1=C2" : "") + (o.activeComp ? ", compensated" : ""));
          ++checked;
          ExpectSlotsAreTheAnalysisDerivatives(d.cr, type);
        }
      }
    }
  }
  EXPECT_GE(checked, 7 * 3) << "the first-order circuits alone give 21 designed points";
  RecordProperty("designed_points", checked);
}

// The same for every evaluator of the catalogue at component values of no design, so the
// read-back of wz, the notch depth and the cubic circuits' extra pole and zero is held to
// the analysis before their routines exist.
TEST(SensitivityTest, EveryEvaluatorsSlotsAtArbitraryValues) {
  std::mt19937_64 rng(0x5e45u);
  for (const analysis_test::CircuitCase& c : analysis_test::AllCircuitCases()) {
    for (int t = 0; t < 3; ++t) {
      SCOPED_TRACE(c.key + " set " + std::to_string(t));
      const analysis_test::ComponentSet s = analysis_test::RandomComponents(rng, c);
      core::CircuitRecord cr;
      cr.CircuitNumber = static_cast<std::int16_t>(c.n);
      cr.CircuitId = static_cast<std::int16_t>(CircuitIdOf(c.type, c.n));
      cr.ResistorCount = static_cast<std::int16_t>(c.resistors);
      cr.CapacitorCount = static_cast<std::int16_t>(c.capacitors);
      for (std::size_t i = 1; i <= 10; ++i) cr.R[i].Value = s.R[i];
      for (std::size_t j = 1; j <= 4; ++j) cr.C[j].Value = s.C[j];
      FillSensitivities(cr, c.type);
      ExpectSlotsAreTheAnalysisDerivatives(cr, c.type);
    }
  }
}

// ---------------------------------------------------------------------------------------
// The standard-resistor search's input

TEST(CombinationSearchTest, ListsTheParameterResistorsAndWeighsAtTheCharacteristicFrequency) {
  const design_test::Designed d = Design("FLP02", kTwoPi * 1000, 0, 3);
  const CombinationSearchInput in = StageCombinationSearch(d.cr, d.stage);
  EXPECT_EQ(in.listed, (std::vector<int>{1, 2, 3}));
  EXPECT_NEAR(in.w1, 8.68 / 2, 1e-12);  // a first-order lowpass at its corner
  EXPECT_EQ(in.w2, 0);
  EXPECT_EQ(in.w3, 0);

  // Three listed resistors, none at a series value: 2^3 combinations.
  core::CircuitRecord cr = d.cr;
  cr.R[1].Value = 15123;
  cr.R[2].Value = 4987;
  cr.R[3].Value = 10070;
  const SubstitutionResult r = SubstituteStandardResistors(cr, 1, SubstStrategy::Strategy1, &in);
  EXPECT_EQ(r.combinations, 8);
  EXPECT_EQ(r.substituted, 3);
  // A resistor already at a series value keeps it and is not searched.
  cr = d.cr;
  cr.R[1].Value = 15123;
  cr.R[2].Value = 4987;
  cr.R[3].Value = 10000;
  EXPECT_EQ(SubstituteStandardResistors(cr, 1, SubstStrategy::Strategy1, &in).combinations, 4);
  EXPECT_EQ(cr.R[3].Value, 10000);
}

TEST(CombinationSearchTest, ANotchAtItsOwnNullGivesNoWzWeight) {
  core::Stage st;
  st.type = core::ptSN;
  st.wp = 1000;
  st.Qp = 2;
  st.wz = 1000;
  const analysis::GainSensitivities g = analysis::StageGainSensitivities(st, 1000);
  EXPECT_TRUE(std::isinf(g.wz));
  core::CircuitRecord cr;
  const CombinationSearchInput in = StageCombinationSearch(cr, st);
  EXPECT_EQ(in.w3, 0);
  EXPECT_NEAR(in.w2, 8.68, 1e-12);
}

}  // namespace
}  // namespace tavrin::circuits
