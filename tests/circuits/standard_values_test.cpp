// Standard series, membership tests, capacitor rounding and stepping, and the
// substitution of standard resistors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "analysis/StagePolynomials.h"
#include "analysis/WorkingVectors.h"
#include "circuits/StandardValues.h"

namespace tavrin::circuits {
namespace {

TEST(StandardValuesTest, SeriesAreTheIecListsInOrder) {
  struct Case {
    Series series;
    std::size_t size;
    int last;
  };
  for (const Case c : {Case{Series::E96, 96, 976}, Case{Series::E24, 24, 910}, Case{Series::E12, 12, 820}}) {
    const auto list = SeriesValues(c.series);
    ASSERT_EQ(list.size(), c.size);
    EXPECT_EQ(list.front(), 100);
    EXPECT_EQ(list.back(), c.last);
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));
    EXPECT_EQ(std::adjacent_find(list.begin(), list.end()), list.end());
  }
  // Each coarser series is a subset of the next finer one, except that E24 is not in E96.
  const auto e12 = SeriesValues(Series::E12);
  const auto e24 = SeriesValues(Series::E24);
  for (int v : e12) EXPECT_TRUE(std::binary_search(e24.begin(), e24.end(), v)) << v;
  // Spot values of E96, whose rounding differs from a plain geometric series.
  const auto e96 = SeriesValues(Series::E96);
  for (int v : {102, 137, 178, 249, 301, 499, 590, 681, 806, 909, 953}) {
    EXPECT_TRUE(std::binary_search(e96.begin(), e96.end(), v)) << v;
  }
  EXPECT_EQ(SeriesValues(Series::E24)[16], 470);
  EXPECT_EQ(SeriesValues(Series::E12)[8], 470);
}

TEST(StandardValuesTest, ToleranceSelectsTheSeries) {
  struct Case {
    double tolerance;
    Series series;
    bool member;
  };
  const Case cases[] = {{0.1, Series::E96, true},   {1, Series::E96, true},    {1.01, Series::E24, true},
                        {5, Series::E24, true},     {5.01, Series::E12, true}, {10, Series::E12, true},
                        {10.5, Series::E12, false}, {20, Series::E12, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(SeriesFor(c.tolerance), c.series) << c.tolerance;
    EXPECT_EQ(HasMembershipSeries(c.tolerance), c.member) << c.tolerance;
  }
}

TEST(StandardValuesTest, ResistorMembershipDependsOnTheTolerance) {
  struct Case {
    double ohms;
    double tolerance;
    bool standard;
    int mantissa;  // the matched entry when standard
    int decade;
  };
  const Case cases[] = {
      {4990, 1, true, 499, 1},
      {4990, 5, false, 0, 1},
      {4700, 5, true, 470, 1},
      {4700, 10, true, 470, 1},
      {4700, 12, false, 0, 0},  // no series above 10 %
      {1, 1, true, 100, -2},    // 1 ohm
      {9.76e6, 1, true, 976, 4},
      {999.9995, 1, true, 100, 1},       // a hair under a decade meets the next 100
      {10000 * 1.0002, 1, false, 0, 2},  // two parts in 10^4 off is not at
      {4990.004, 1, true, 499, 1},       // within 0.001 of the mantissa
      {4990.02, 1, false, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ohms);
    SCOPED_TRACE(c.tolerance);
    const SeriesMatch m = IsStandardResistor(c.ohms, c.tolerance);
    EXPECT_EQ(m.standard, c.standard);
    if (c.standard) {
      EXPECT_EQ(SeriesValues(SeriesFor(c.tolerance))[static_cast<std::size_t>(m.index)], c.mantissa);
      EXPECT_EQ(m.decade, c.decade);
    }
  }
  EXPECT_FALSE(IsStandardResistor(0, 1).standard);
  EXPECT_FALSE(IsStandardResistor(-4990, 1).standard);
}

TEST(StandardValuesTest, CapacitorMembershipUsesE12) {
  struct Case {
    double farads;
    bool standard;
    int index;
    int decade;  // value = E12[index] / 10^decade
  };
  const Case cases[] = {
      {10e-9, true, 0, 10}, {1e-9, true, 0, 11},   {4.7e-9, true, 8, 11},   {10e-12, true, 0, 13},
      {1e-6, true, 0, 8},   {8.2e-6, true, 11, 8}, {4.75e-9, false, 0, 11}, {5.1e-9, false, 0, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.farads);
    const SeriesMatch m = IsStandardCapacitor(c.farads);
    EXPECT_EQ(m.standard, c.standard);
    EXPECT_EQ(m.decade, c.decade);
    if (c.standard) {
      EXPECT_EQ(m.index, c.index);
      EXPECT_DOUBLE_EQ(E12Capacitor(m.index, m.decade), c.farads);
    }
  }
  EXPECT_FALSE(IsStandardCapacitor(0).standard);
}

TEST(StandardValuesTest, NearestCapacitorRoundsAcrossTheDecade) {
  struct Case {
    double exact;
    double expected;
    int index;
    int decade;
  };
  const Case cases[] = {
      {8.9e-9, 8.2e-9, 11, 11},    {9.2e-9, 10e-9, 0, 10},  // the list's 1000 carries into the next decade
      {9.1e-9, 10e-9, 0, 10},                               // midway between 8.2 and 10 nF goes up
      {1.1e-9, 1.2e-9, 1, 11},                              // midway between 1 and 1.2 nF goes up
      {1.09e-9, 1e-9, 0, 11},      {8.2e-9, 8.2e-9, 11, 11}, {10e-9, 10e-9, 0, 10},
      {100.4e-12, 100e-12, 0, 12}, {3.3e-6, 3.3e-6, 6, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exact);
    const E12Choice n = NearestCapacitor(c.exact);
    EXPECT_EQ(n.index, c.index);
    EXPECT_EQ(n.decade, c.decade);
    EXPECT_NEAR(n.value, c.expected, c.expected * 1e-12);
  }
}

core::CircuitRecord WithC2(double c2) {
  core::CircuitRecord cr;
  cr.C[1].Value = 10e-9;
  cr.C[2].Value = c2;
  return cr;
}

TEST(StandardValuesTest, StepC2MovesThroughE12) {
  struct Case {
    double from;
    int mode;
    double to;
  };
  const Case cases[] = {
      {10e-9, kStepUp, 12e-9},
      {10e-9, kStepDown, 8.2e-9},
      {10e-9, kRoundUp, 10e-9},
      {11e-9, kStepUp, 12e-9},
      {11e-9, kRoundUp, 12e-9},
      {11e-9, kStepDown, 10e-9},
      {8.2e-9, kStepUp, 10e-9},
      {1e-6, kStepDown, 820e-9},
      {3.3e-9, kStepUp, 3.9e-9},
      // Between 820 and 1000 of a decade: up and round-up reach the next decade's 100,
      // down reaches 820.
      {9e-9, kStepUp, 10e-9},
      {9e-9, kRoundUp, 10e-9},
      {9e-9, kStepDown, 8.2e-9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    SCOPED_TRACE(c.mode);
    core::CircuitRecord cr = WithC2(c.from);
    StepC2(cr, c.mode);
    EXPECT_NEAR(cr.C[2].Value, c.to, c.to * 1e-12);
    EXPECT_DOUBLE_EQ(E12Capacitor(cr.C2Index, cr.C2Decade), cr.C[2].Value);
    EXPECT_GE(cr.C2Index, 0);
    EXPECT_LE(cr.C2Index, 11);
    EXPECT_DOUBLE_EQ(cr.CapRatio, cr.C[2].Value / 10e-9);
  }
}

TEST(StandardValuesTest, StepC2LeavesARecordWithoutC2Alone) {
  core::CircuitRecord cr = WithC2(0);
  cr.C2Index = 3;
  cr.CapRatio = 0;
  StepC2(cr, kStepUp);
  EXPECT_EQ(cr.C[2].Value, 0);
  EXPECT_EQ(cr.C2Index, 3);
  EXPECT_EQ(cr.CapRatio, 0);
}

TEST(StandardValuesTest, ResistorNeighboursCarryTheDecade) {
  struct Case {
    double ohms;
    Series series;
    double lower;
    double upper;
    double nearest;
  };
  const Case cases[] = {
      {4991, Series::E96, 4990, 5110, 4990}, {4800, Series::E24, 4700, 5100, 4700},
      {1100, Series::E12, 1000, 1200, 1200},  // midway: the upper one
      {980, Series::E96, 976, 1000, 976},    {995, Series::E24, 910, 1000, 1000},
      {0.9, Series::E12, 0.82, 1.0, 0.82},   {150e3 * 1.0002, Series::E12, 150e3, 180e3, 150e3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ohms);
    const Neighbours nb = SeriesNeighbours(c.ohms, c.series);
    EXPECT_NEAR(nb.lower, c.lower, c.lower * 1e-12);
    EXPECT_NEAR(nb.upper, c.upper, c.upper * 1e-12);
    EXPECT_NEAR(NearestStandardResistor(c.ohms, c.series), c.nearest, c.nearest * 1e-12);
  }
  const Neighbours same = SeriesNeighbours(4700, Series::E24);
  EXPECT_EQ(same.lower, 4700);
  EXPECT_EQ(same.upper, 4700);
}

TEST(StandardValuesTest, SensitivityCodesHaveTheirSlots) {
  // Slots hold codes 1, 2, 5, 4, 7, 6, 3.
  const int codeOfSlot[] = {0, 1, 2, 5, 4, 7, 6, 3};
  for (int slot = 1; slot <= 7; ++slot) EXPECT_EQ(SensSlotOfCode(codeOfSlot[slot]), slot);
  EXPECT_EQ(SensSlotOfCode(0), 0);
  EXPECT_EQ(SensSlotOfCode(8), 0);
}

core::CircuitRecord FourResistors() {
  core::CircuitRecord cr;
  cr.ResistorCount = 4;
  cr.R[1].Value = 4991;  // near 4990 (E96)
  cr.R[2].Value = 1234;  // user-assigned below
  cr.R[2].UserAssigned = true;
  cr.R[2].UserValue = 1200;
  cr.R[3].Value = 10000;  // already a series value
  cr.R[4].Value = 0;      // a position the design left unused
  cr.R[5].Value = 3333;   // beyond ResistorCount
  return cr;
}

TEST(StandardValuesTest, Strategy2TakesTheNearestSeriesValue) {
  core::CircuitRecord cr = FourResistors();
  const SubstitutionResult r = SubstituteStandardResistors(cr, 1, SubstStrategy::Strategy2);
  EXPECT_EQ(r.substituted, 1);
  EXPECT_EQ(r.combinations, 0);
  EXPECT_DOUBLE_EQ(cr.R[1].Value, 4990);
  EXPECT_DOUBLE_EQ(cr.R[1].PreStandardValue, 4991);
  EXPECT_TRUE(cr.R[1].IsStandard);
  // A user's value is not touched.
  EXPECT_DOUBLE_EQ(cr.R[2].Value, 1234);
  EXPECT_EQ(cr.R[2].PreStandardValue, 0);
  EXPECT_FALSE(cr.R[2].IsStandard);
  // A series value is kept and marked.
  EXPECT_DOUBLE_EQ(cr.R[3].Value, 10000);
  EXPECT_DOUBLE_EQ(cr.R[3].PreStandardValue, 10000);
  EXPECT_TRUE(cr.R[3].IsStandard);
  EXPECT_EQ(cr.R[4].Value, 0);
  EXPECT_FALSE(cr.R[4].IsStandard);
  EXPECT_DOUBLE_EQ(cr.R[5].Value, 3333);

  // At 5 % the same resistor goes to E24: 4991 lies between 4700 and 5100.
  core::CircuitRecord e24 = FourResistors();
  SubstituteStandardResistors(e24, 5, SubstStrategy::Strategy2);
  EXPECT_DOUBLE_EQ(e24.R[1].Value, 5100);
  // Above 10 % substitution still uses E12.
  core::CircuitRecord e12 = FourResistors();
  SubstituteStandardResistors(e12, 20, SubstStrategy::Strategy2);
  EXPECT_DOUBLE_EQ(e12.R[1].Value, 4700);
}

TEST(StandardValuesTest, Strategy1SearchesTheCombinationsOfTheListedResistors) {
  core::CircuitRecord cr;
  cr.ResistorCount = 5;
  const int wp = SensSlotOfCode(1);
  for (int i = 1; i <= 3; ++i) cr.R[static_cast<std::size_t>(i)].Value = 1050;  // 1000 / 1100 at 5 %
  // wp depends on R1 and R2 in the same sense, so the smallest error takes one up and
  // one down; Strategy 2 would round both up.
  cr.R[1].Sens[static_cast<std::size_t>(wp)] = 1;
  cr.R[2].Sens[static_cast<std::size_t>(wp)] = 1;
  cr.R[4].Value = 1060;  // not listed: nearest
  cr.R[5].Value = 1100;  // listed but already standard: kept and not counted

  CombinationSearchInput in;
  in.listed = {1, 2, 3, 5, 2, 11};  // a repeated or unknown number counts once or not at all
  in.w1 = 1;
  const SubstitutionResult r = SubstituteStandardResistors(cr, 5, SubstStrategy::Strategy1, &in);
  EXPECT_EQ(r.combinations, 8);
  EXPECT_EQ(r.substituted, 4);
  // Combination 1 (R1 up, R2 down) is the first with zero error; later ties do not replace it.
  EXPECT_DOUBLE_EQ(cr.R[1].Value, 1100);
  EXPECT_DOUBLE_EQ(cr.R[2].Value, 1000);
  EXPECT_DOUBLE_EQ(cr.R[3].Value, 1000);
  EXPECT_DOUBLE_EQ(cr.R[4].Value, 1100);
  EXPECT_DOUBLE_EQ(cr.R[5].Value, 1100);
  for (int i = 1; i <= 5; ++i) EXPECT_TRUE(cr.R[static_cast<std::size_t>(i)].IsStandard) << i;
}

TEST(StandardValuesTest, Strategy1WeighsTheParametersAndTheGain) {
  // E = W1 e_wp + W2 e_Qp + W3 e_wz + e_K with R1 moving Qp and R2 the gain.  At 5 %
  // R1 = 1020 has d = -20/1020 or +80/1020, R2 = 1040 has d = -40/1040 or +60/1040.
  struct Case {
    double w2;
    double r1;
    double r2;
  };
  const Case cases[] = {
      // |3 d1 + d2| is smallest for R1 down, R2 up (-0.0011), though 1040 is nearer 1000.
      {3, 1000, 1100},
      // Without the weight only the gain counts: R2 down; R1's choices tie and the first stays.
      {0, 1000, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.w2);
    core::CircuitRecord cr;
    cr.ResistorCount = 2;
    cr.R[1].Value = 1020;
    cr.R[2].Value = 1040;
    cr.R[1].Sens[static_cast<std::size_t>(SensSlotOfCode(2))] = 1;
    cr.R[2].Sens[static_cast<std::size_t>(SensSlotOfCode(3))] = 1;
    CombinationSearchInput in;
    in.listed = {1, 2};
    in.w2 = c.w2;
    in.w1 = in.w3 = 5;  // no wp or wz sensitivity here, so these weigh nothing
    EXPECT_EQ(SubstituteStandardResistors(cr, 5, SubstStrategy::Strategy1, &in).combinations, 4);
    EXPECT_DOUBLE_EQ(cr.R[1].Value, c.r1);
    EXPECT_DOUBLE_EQ(cr.R[2].Value, c.r2);
  }
}

// Built from standard resistors, a stage keeps its parameters within what one series step
// allows: every resistor moves by at most half a step of its series.
TEST(StandardValuesTest, Strategy2KeepsTheAnalysedStageCloseToItsDesign) {
  struct Case {
    double tolerance;
    double halfStep;  // half the widest gap of the series, relative to the value
  };
  for (const Case c : {Case{1, 0.014}, Case{5, 0.055}, Case{10, 0.11}}) {
    SCOPED_TRACE(c.tolerance);
    // SLP01, Sallen-Key lowpass with unity gain: wp = 1/sqrt(R1 R2 C1 C2).
    core::CircuitRecord cr;
    cr.CircuitNumber = 1;
    cr.ResistorCount = 2;
    cr.R[1].Value = 12345.6;
    cr.R[2].Value = 6789.1;
    cr.C[1].Value = 10e-9;
    cr.C[2].Value = 22e-9;
    const analysis::StageParameters exact = analysis::ParametersOf(
        analysis::BuildStagePolynomials(analysis::LoadWorkingVectors(cr), core::ptSLP, 1), core::ptSLP);
    SubstituteStandardResistors(cr, c.tolerance, SubstStrategy::Strategy2);
    for (int i = 1; i <= 2; ++i) {
      const core::ComponentEntry& r = cr.R[static_cast<std::size_t>(i)];
      EXPECT_TRUE(IsStandardResistor(r.Value, SeriesFor(c.tolerance)).standard) << r.Value;
      EXPECT_LE(std::fabs(r.Value / r.PreStandardValue - 1), c.halfStep) << i;
    }
    const analysis::StagePolynomials built =
        analysis::BuildStagePolynomials(analysis::LoadWorkingVectors(cr), core::ptSLP, 1);
    const analysis::StageParameters p = analysis::ParametersOf(built, core::ptSLP);
    ASSERT_TRUE(exact.wp && exact.Qp && p.wp && p.Qp);
    EXPECT_NEAR(*p.wp / *exact.wp, 1, c.halfStep);
    EXPECT_NEAR(*p.Qp / *exact.Qp, 1, c.halfStep);
    EXPECT_NE(*p.wp, *exact.wp);  // the values did change
    EXPECT_DOUBLE_EQ(built.K, 1);
  }
}

}  // namespace
}  // namespace tavrin::circuits
