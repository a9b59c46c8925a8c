// The final response: what the built filter does with the values chosen, curve by curve,
// for a range of stages, against the ideal transfer function it was designed to be.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/FinalResponse.h"
#include "analysis/StagePolynomials.h"
#include "analysis/WorkingVectors.h"
#include "approx/ApproxTestSupport.h"
#include "circuits/BuiltFilterSupport.h"
#include "circuits/Adjustment.h"
#include "circuits/BuiltFilter.h"
#include "circuits/CalculationWorkflow.h"
#include "circuits/Catalogue.h"
#include "circuits/GainDistribution.h"
#include "core/MathHelpers.h"
#include "core/NumberFormat.h"
#include "core/RecordParts.h"
#include "response/IdealResponse.h"
#include "response/ResponseSetup.h"
#include "stages/Cascading.h"

namespace tavrin {
namespace {

using analysis::FinalSelection;
using approx::testing::Calc;
using approx::testing::Entries;
using approx::testing::Forced;
using core::FilterKind;
using built_filter_test::RotatedCodes;

using core::At;

// A calculated design, slot chosen, paired, cascaded and built; null when the slot has no
// result.  The final axes are those Calculate leaves: the ideal graph's default range.
std::unique_ptr<core::DesignState> BuiltDesign(const approx::SpecEntries& e, int slot,
                                               const circuits::FilterBuildOptions& o = {}) {
  approx::testing::Run run = Calc(e);
  if (run.outcome.status != approx::CalculateStatus::Completed || !core::SlotHasResult(*run.state, slot))
    return nullptr;
  core::DesignState& s = *run.state;
  response::SetUpResponseAxes(s);
  core::SetCurrentSlot(s, slot);
  s.chosenSlot = static_cast<std::int16_t>(slot);
  stages::PairAndCascade(s);
  if (circuits::BuildFilter(s, o).has_value()) return nullptr;
  analysis::ComputeFinalPointTable(s);
  return std::move(run.state);
}


bool AnyFailed(const core::DesignState& st) {
  for (int s = 1; s <= st.stageCount; ++s)
    if (st.circuits[At(s)].DesignFailed) return true;
  return false;
}

// The cascade's complex response from the values the filter is built with, stage by stage
// through the analysis alone.
std::complex<double> BuiltResponse(const core::DesignState& st, int first, int last, double w) {
  std::complex<double> h = 1;
  for (int s = first; s <= last; ++s) {
    const core::CircuitRecord& cr = st.circuits[At(s)];
    h *= analysis::StageResponse(
        analysis::BuildStagePolynomials(analysis::LoadBuiltValues(cr), st.stages[At(s)], cr), w);
  }
  return h;
}

double WrapAngle(double x) {
  return std::remainder(x, 2 * core::kPi);
}

// What the built filter's gain is relative to the ideal gain: cascading scales the stages
// so that the cascade peaks at 1 over its evaluation points, and the overall gain goes on
// top of that; a filter of gain-constrained circuits only keeps what they give.  The shape
// is the approximation's either way.
double IdealScale(const core::DesignState& st, int slot) {
  double evalPeak = 0;
  for (double point : st.evalFrequencies)
    evalPeak = std::max(evalPeak, response::IdealGainAt(st, slot, std::abs(point)) / st.spec.overallGain);
  return circuits::ActualGainOf(st) / (st.spec.overallGain * evalPeak);
}

struct SpecCase {
  FilterKind kind;
  const char* apb;
  const char* asb;
  const char* pass;
  const char* stop;
  const char* center;
};

const std::vector<SpecCase>& SpecCases() {
  static const std::vector<SpecCase> cases = {
      {FilterKind::Lowpass, "0.5", "40", "1000", "2000", "2"},
      {FilterKind::Highpass, "1", "50", "5000", "2000", "2"},
      {FilterKind::Bandpass, "0.5", "40", "2000", "6000", "10000"},
      {FilterKind::Bandstop, "0.5", "40", "6000", "2000", "10000"},
  };
  return cases;
}

// ---------------------------------------------------------------------------------------
// Which value of each component each curve loads

// Every field of every component holds a different number, so a curve that reads the
// wrong field shows it.
core::CircuitRecord DistinctFields() {
  core::CircuitRecord cr;
  for (int i = 1; i <= core::kResistors; ++i) {
    core::ComponentEntry& r = cr.R[At(i)];
    r.Value = 1000.0 + i;
    r.ExactValue = 2000.0 + i;
    r.PreStandardValue = i == 4 ? 0 : 3000.0 + i;  // R4 was never substituted
  }
  // R2 is assigned by the user at 5 times its computed value.
  cr.R[2].UserAssigned = true;
  cr.R[2].UserValue = 5 * cr.R[2].Value;
  for (int j = 1; j <= core::kCapacitors; ++j) {
    cr.C[At(j)].Value = 1e-9 * j;
    cr.C[At(j)].ExactValue = 2e-9 * j;
  }
  return cr;
}

enum class From { Value, Exact, PreStandard };

TEST(FinalCurveValues, EachCurveLoadsTheFieldsItsRowNames) {
  struct Case {
    const char* what;
    bool exactC, standardR, user;
    int curve;
    From resistors;   // R1, R3 (and R4 unless it falls back to Value)
    bool exactCaps;   // capacitors from Value (exact C) rather than ExactValue
    bool userLoaded;  // R2 carries its user factor
  };
  const std::vector<Case> cases = {
      {"curve 1", true, true, false, 1, From::Exact, false, false},
      {"curve 2 with curve 3 shown", true, true, false, 2, From::PreStandard, true, false},
      {"curve 2 alone", true, false, false, 2, From::Value, true, false},
      {"curve 3 after curve 2", true, true, false, 3, From::Value, true, false},
      {"curve 3 without exact C takes curve 1's capacitors", false, true, false, 3, From::Value, false,
       false},
      {"user values in curve 1 without substitutions", false, false, true, 1, From::Exact, false, true},
      {"user values in curve 2 without standard R", true, false, true, 2, From::Value, true, true},
      {"user values skip curve 1 when curve 2 takes them", true, false, true, 1, From::Exact, false, false},
      {"user values in curve 3 with standard R", true, true, true, 3, From::Value, true, true},
      {"user values skip curve 2 when curve 3 takes them", true, true, true, 2, From::PreStandard, true,
       false},
      {"user values in curve 3 without exact C", false, true, true, 3, From::Value, false, true},
  };
  const core::CircuitRecord cr = DistinctFields();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FinalSelection sel;
    sel.exactC = c.exactC;
    sel.standardR = c.standardR;
    sel.userAssigned = c.user;
    const analysis::WorkingVectors v = analysis::LoadCurveValues(cr, c.curve, sel);
    auto expected = [&](int i) {
      const core::ComponentEntry& r = cr.R[At(i)];
      double x = c.resistors == From::Exact                                    ? r.ExactValue
                 : c.resistors == From::PreStandard && r.PreStandardValue != 0 ? r.PreStandardValue
                                                                               : r.Value;
      if (i == 2 && c.userLoaded) x *= 5;
      return x;
    };
    for (int i = 1; i <= core::kResistors; ++i) {
      EXPECT_DOUBLE_EQ(v.R[At(i)], expected(i)) << "R" << i;
      EXPECT_DOUBLE_EQ(v.G[At(i)], 1 / expected(i)) << "G" << i;
    }
    for (int j = 1; j <= core::kCapacitors; ++j) {
      const double want = c.exactCaps ? cr.C[At(j)].Value : cr.C[At(j)].ExactValue;
      EXPECT_EQ(v.C[At(j)], want) << "C" << j;
      EXPECT_DOUBLE_EQ(v.S[At(j)], 1 / want) << "S" << j;
    }
  }
  // In the curve where the user's values are in force the assigned resistor is exactly its
  // typed value, as the netlist writes it.
  FinalSelection all;
  all.userAssigned = true;
  EXPECT_EQ(analysis::LoadCurveValues(cr, 3, all).R[2], cr.R[2].UserValue);
}

TEST(FinalCurveValues, CaptionsAndStageRange) {
  EXPECT_STREQ(analysis::FinalCurveCaption(1), " Standard C, exact R");
  EXPECT_STREQ(analysis::FinalCurveCaption(2), " Exact C substitution");
  EXPECT_STREQ(analysis::FinalCurveCaption(3), " Standard R substitution");
  EXPECT_STREQ(analysis::FinalCurveCaption(4), " User-assigned R values");
  core::DesignState st;
  st.stageCount = 4;
  struct Case {
    int first, last, wantFirst, wantLast;
  };
  for (const Case& c :
       std::vector<Case>{{1, 0, 1, 4}, {2, 2, 2, 2}, {3, 9, 3, 4}, {0, 2, 1, 2}, {3, 2, 2, 3}}) {
    FinalSelection sel;
    sel.firstStage = c.first;
    sel.lastStage = c.last;
    const analysis::StageRange r = analysis::ResolveStageRange(st, sel);
    EXPECT_EQ(r.first, c.wantFirst) << c.first << ".." << c.last;
    EXPECT_EQ(r.last, c.wantLast) << c.first << ".." << c.last;
  }
}

// ---------------------------------------------------------------------------------------
// The grid

TEST(FinalGrid, FollowsTheIdealGridRuleAndStartsOnTheIdealRange) {
  auto st = BuiltDesign(Entries(FilterKind::Lowpass, "0.5", "40", "1000", "2000"), 0);
  ASSERT_TRUE(st);
  // Calculate's default range is the final graph's too.
  EXPECT_EQ(st->finalAxes.freqStart, st->idealAxes.freqStart);
  EXPECT_EQ(st->finalAxes.freqStop, st->idealAxes.freqStop);
  const std::vector<core::FrequencyPoint> grid = analysis::DefaultFinalGrid(*st);
  ASSERT_EQ(grid.size(), 351u);
  for (int i = 0; i <= 350; ++i) {
    EXPECT_EQ(grid[At(i)].rad, st->frequencyGrid[At(i)].rad) << i;
    EXPECT_EQ(grid[At(i)].hz, st->frequencyGrid[At(i)].hz) << i;
    EXPECT_EQ(st->finalPoints[At(i)].rad, grid[At(i)].rad) << i;
  }
  // Linear spacing in rad/s: equal steps, hertz derived.
  core::FinalAxes lin;
  lin.freqStart = 100;
  lin.freqStop = 1100;
  lin.logarithmic = false;
  const auto g = analysis::FinalGrid(lin, core::FrequencyUnit::RadPerSec, 10);
  ASSERT_EQ(g.size(), 11u);
  for (int i = 0; i <= 10; ++i) {
    EXPECT_DOUBLE_EQ(g[At(i)].rad, 100.0 + 100.0 * i);
    EXPECT_DOUBLE_EQ(g[At(i)].hz, g[At(i)].rad / (2 * core::kPi));
  }
  // A state whose final axes were never set takes the ideal range.
  st->finalAxes = core::FinalAxes{};
  analysis::ComputeFinalPointTable(*st);
  EXPECT_EQ(st->finalAxes.freqStart, st->idealAxes.freqStart);
  EXPECT_EQ(st->finalPoints[350].rad, st->frequencyGrid[350].rad);
}

// ---------------------------------------------------------------------------------------
// Exact values: the built filter is the ideal one

struct Agreement {
  int designs = 0;
  std::set<std::string> codes;
  double gain = 0;   // relative
  double phase = 0;  // radians
  double delay = 0;  // relative to the curve's largest delay
};

void CompareWithIdeal(core::DesignState& st, int slot, Agreement& a, const std::string& where) {
  FinalSelection sel;  // all three curves
  analysis::ComputeFinalCurves(st, sel);
  const std::vector<int> notches = analysis::NotchPointIndices(st);
  int inverting = 0;
  for (int s = 1; s <= st.stageCount; ++s) {
    a.codes.insert(circuits::CircuitKey(st.stages[At(s)].type & 0x7F, st.circuits[At(s)].CircuitNumber));
    if (st.circuits[At(s)].Inverting) ++inverting;
  }
  const double gainScale = IdealScale(st, slot);
  double delayScale = 0;
  for (int i = 0; i <= 350; ++i)
    delayScale = std::max(delayScale, response::IdealDelayAt(st, slot, st.finalPoints[At(i)].rad));
  for (int curve = 1; curve <= 3; ++curve) {
    for (int i = 0; i <= 350; ++i) {
      const double w = st.finalPoints[At(i)].rad;
      const core::FinalCurvePoint& p = st.finalCurves[At(i)];
      const double ideal = response::IdealGainAt(st, slot, w) * gainScale;
      if (std::find(notches.begin(), notches.end(), i) != notches.end()) {
        EXPECT_EQ(p.gainVv[At(curve - 1)], 0.0) << where << " notch point " << i;
        continue;
      }
      const double g = std::abs(p.gainVv[At(curve - 1)] / ideal - 1);
      a.gain = std::max(a.gain, g);
      EXPECT_LT(g, 1e-9) << where << " curve " << curve << " point " << i;
      // The plotted phase leaves out the inversions; the ideal lag is that of the poles
      // and zeros alone, so the two agree up to whole turns.
      const double lag = response::IdealPhaseLagAt(st, slot, w) * core::kPi / 180;
      const double ph = std::abs(WrapAngle(p.phaseRad[At(curve - 1)] + lag));
      a.phase = std::max(a.phase, ph);
      EXPECT_LT(ph, 1e-9) << where << " curve " << curve << " point " << i;
      // And with the inversions, the phase is that of the built cascade itself.
      const double built = std::arg(BuiltResponse(st, 1, st.stageCount, w));
      EXPECT_LT(std::abs(WrapAngle(p.phaseRad[At(curve - 1)] + inverting * core::kPi - built)), 1e-9)
          << where << " point " << i;
      const double d = std::abs(p.delay[At(curve - 1)] - response::IdealDelayAt(st, slot, w)) / delayScale;
      a.delay = std::max(a.delay, d);
      EXPECT_LT(d, 1e-8) << where << " curve " << curve << " point " << i;
    }
  }
  ++a.designs;
}

TEST(FinalResponse, ExactValuesGiveTheIdealResponseOfTheApproximation) {
  Agreement a;
  std::map<int, int> next;
  const std::vector<int> lowOrders = {1, 2, 3, 5, 8};
  const std::vector<int> bandOrders = {2, 4, 6};
  const std::vector<std::string> gains = {"1", "10", "0.5"};
  for (const SpecCase& c : SpecCases()) {
    const bool band = c.kind == FilterKind::Bandpass || c.kind == FilterKind::Bandstop;
    for (int order : band ? bandOrders : lowOrders) {
      for (int slot = 0; slot < core::kSlotCount; ++slot) {
        approx::SpecEntries e = Forced(Entries(c.kind, c.apb, c.asb, c.pass, c.stop, c.center), order);
        e.gain = gains[At((order + slot) % 3)];
        // Half the designs take the rated circuits, half walk the catalogue.
        circuits::FilterBuildOptions o;
        if ((order + slot) % 2 == 1) {
          auto probe = BuiltDesign(e, slot);
          if (!probe) continue;
          o.circuits = RotatedCodes(*probe, next);
        }
        auto st = BuiltDesign(e, slot, o);
        if (!st || AnyFailed(*st)) continue;
        CompareWithIdeal(*st, slot, a,
                         "kind " + std::to_string(static_cast<int>(c.kind)) + " order " +
                             std::to_string(order) + " slot " + std::to_string(slot));
      }
    }
  }
  EXPECT_GE(a.designs, 60);
  EXPECT_GE(a.codes.size(), 50u);
  std::printf("[ exact values ] %d designs, %zu circuits: gain %.2e rel, phase %.2e rad, delay %.2e rel\n",
              a.designs, a.codes.size(), a.gain, a.phase, a.delay);
}

// Standard resistors move the response, a little: the figures are reported.
TEST(FinalResponse, StandardResistorsStayCloseToTheIdealResponse) {
  double worstPass = 0;     // dB, where the ideal is within 3 dB of its peak
  double worstOverall = 0;  // largest |built - ideal| over the grid, relative to the peak
  int designs = 0;
  for (const SpecCase& c : SpecCases()) {
    for (int slot = 0; slot < core::kSlotCount; ++slot) {
      const bool band = c.kind == FilterKind::Bandpass || c.kind == FilterKind::Bandstop;
      auto st =
          BuiltDesign(Forced(Entries(c.kind, c.apb, c.asb, c.pass, c.stop, c.center), band ? 4 : 5), slot);
      ASSERT_TRUE(st);
      if (AnyFailed(*st)) continue;
      // The gain level of the exact design; substitution moves the stage gains too.
      const double scale = IdealScale(*st, slot);
      circuits::SetStandardResistors(*st, true);
      FinalSelection sel;
      analysis::ComputeFinalGain(*st, sel);
      const std::vector<int> notches = analysis::NotchPointIndices(*st);
      double peak = 0;
      for (int i = 0; i <= 350; ++i)
        peak = std::max(peak, scale * response::IdealGainAt(*st, slot, st->finalPoints[At(i)].rad));
      double pass = 0;
      double overall = 0;
      for (int i = 0; i <= 350; ++i) {
        if (std::find(notches.begin(), notches.end(), i) != notches.end()) continue;
        const double ideal = scale * response::IdealGainAt(*st, slot, st->finalPoints[At(i)].rad);
        const core::FinalCurvePoint& p = st->finalCurves[At(i)];
        // Curves 1 and 2 keep the exact resistors.
        EXPECT_NEAR(p.gainVv[0], ideal, 1e-9 * ideal) << "slot " << slot << " point " << i;
        EXPECT_NEAR(p.gainVv[1], ideal, 1e-9 * ideal) << "slot " << slot << " point " << i;
        overall = std::max(overall, std::abs(p.gainVv[2] - ideal) / peak);
        if (ideal >= peak / std::sqrt(2.0))
          pass = std::max(pass, std::abs(20 * std::log10(p.gainVv[2] / ideal)));
      }
      const std::string where =
          "kind " + std::to_string(static_cast<int>(c.kind)) + " slot " + std::to_string(slot);
      EXPECT_GT(overall, 1e-6) << where << ": substitution changed nothing";
      EXPECT_LT(pass, 1.5) << where;
      EXPECT_LT(overall, 0.2) << where;
      worstPass = std::max(worstPass, pass);
      worstOverall = std::max(worstOverall, overall);
      ++designs;
    }
  }
  EXPECT_GE(designs, 18);
  std::printf("[ standard R ] %d designs: passband within %.4f dB, everywhere within %.4f of the peak gain\n",
              designs, worstPass, worstOverall);
}

// ---------------------------------------------------------------------------------------
// The stage range and the notch points

TEST(FinalResponse, OneStageShownIsThatStagesOwnResponseWithoutNotchPoints) {
  // An elliptic lowpass has notch stages: KHN notches here, with standard resistors that
  // move their zeros off the grid points.
  const approx::SpecEntries e = Forced(Entries(FilterKind::Lowpass, "0.5", "50", "1000", "1500"), 5);
  auto probe = BuiltDesign(e, 3);
  ASSERT_TRUE(probe);
  circuits::FilterBuildOptions o;
  o.standardR = true;
  for (int s = 1; s <= probe->stageCount; ++s) {
    const int type = probe->stages[At(s)].type & 0x7F;
    o.circuits.push_back(type == core::ptSLPN ? "SLPN06" : circuits::CircuitKey(type, 1));
  }
  auto st = BuiltDesign(e, 3, o);
  ASSERT_TRUE(st);
  ASSERT_FALSE(AnyFailed(*st));
  ASSERT_GE(st->stageCount, 3);
  int notch = 0;
  for (int s = 2; s <= st->stageCount && notch == 0; ++s)
    if (core::IsNotchType(st->stages[At(s)].type & 0x7F)) notch = s;
  ASSERT_GT(notch, 0);

  FinalSelection one;
  one.userAssigned = true;
  one.firstStage = notch;
  one.lastStage = notch;
  analysis::ComputeFinalGain(*st, one);
  const std::vector<int> points = analysis::NotchPointIndices(*st);
  ASSERT_FALSE(points.empty());
  for (int i = 0; i <= 350; ++i) {
    const double w = st->finalPoints[At(i)].rad;
    const double want = std::abs(BuiltResponse(*st, notch, notch, w));
    EXPECT_NEAR(st->finalCurves[At(i)].gainVv[2], want, 1e-12 * want) << i;
    EXPECT_GT(st->finalCurves[At(i)].gainVv[2], 0) << i;
  }

  // All stages: the cascade, with the grid point nearest each notch forced to 0 and its
  // neighbours at the finite floor the rounded values leave.
  FinalSelection all;
  all.userAssigned = true;
  analysis::ComputeFinalGain(*st, all);
  for (int i = 0; i <= 350; ++i) {
    const double g = st->finalCurves[At(i)].gainVv[2];
    if (std::find(points.begin(), points.end(), i) != points.end()) {
      EXPECT_EQ(g, 0.0) << i;
      continue;
    }
    const double want = std::abs(BuiltResponse(*st, 1, st->stageCount, st->finalPoints[At(i)].rad));
    EXPECT_NEAR(g, want, 1e-12 * want) << i;
    EXPECT_GT(g, 0) << i;
  }
  // The forced point is the one nearest the notch stage's zero on the logarithmic grid.
  const double wz = st->stages[At(notch)].wz;
  const double w0 = st->finalPoints[0].rad, wn = st->finalPoints[350].rad;
  const long nearest = std::lround(350 * std::log(wz / w0) / std::log(wn / w0));
  EXPECT_NE(std::find(points.begin(), points.end(), static_cast<int>(nearest)), points.end());
}

// ---------------------------------------------------------------------------------------
// Group delay

TEST(FinalResponse, DelayIsTheSlopeOfThePhase) {
  int designs = 0;
  for (const SpecCase& c : SpecCases()) {
    for (int slot : {0, 3}) {
      circuits::FilterBuildOptions o;
      o.standardR = true;
      auto st = BuiltDesign(Forced(Entries(c.kind, c.apb, c.asb, c.pass, c.stop, c.center), 4), slot, o);
      ASSERT_TRUE(st);
      if (AnyFailed(*st)) continue;
      ++designs;
      const auto grid = analysis::DefaultFinalGrid(*st);
      const auto points = analysis::FinalResponsePoints(*st, 3, 1, 0, grid);
      double scale = 0;
      for (const auto& p : points) scale = std::max(scale, std::abs(p.delay));
      for (std::size_t i = 0; i < points.size(); i += 7) {
        const double w = points[i].rad;
        const double h = w * 1e-6;
        const double slope = WrapAngle(std::arg(BuiltResponse(*st, 1, st->stageCount, w + h)) -
                                       std::arg(BuiltResponse(*st, 1, st->stageCount, w - h))) /
                             (2 * h);
        EXPECT_NEAR(points[i].delay, -slope, 1e-6 * scale)
            << "kind " << static_cast<int>(c.kind) << " point " << i;
      }
    }
  }
  EXPECT_EQ(designs, 8);
}

TEST(FinalResponse, DelaysAboveTenSecondsTakeThePreviousPoint) {
  // A Bessel lowpass at 0.05 rad/s delays the low frequencies by far more than 10 s.
  auto st = BuiltDesign(Forced(Entries(FilterKind::Lowpass, "3", "20", "0.05", "0.2"), 4), 4);
  ASSERT_TRUE(st);
  FinalSelection sel;
  const double top = analysis::ComputeFinalDelay(*st, sel);
  const auto raw = analysis::FinalResponsePoints(*st, 1, 1, 0, analysis::DefaultFinalGrid(*st));
  ASSERT_GT(raw.front().delay, 10.0);
  ASSERT_LT(raw.back().delay, 10.0);
  double largestBelow = 0;
  double previous = 0;
  for (int i = 0; i <= 350; ++i) {
    const double shown = st->finalCurves[At(i)].delay[0];
    const double want = raw[At(i)].delay > 10.0 ? previous : raw[At(i)].delay;
    EXPECT_EQ(shown, want) << i;
    EXPECT_LE(shown, 10.0) << i;
    previous = shown;
    if (raw[At(i)].delay < 10.0) largestBelow = std::max(largestBelow, raw[At(i)].delay);
  }
  EXPECT_EQ(top, largestBelow);
}

// ---------------------------------------------------------------------------------------
// The point calculator

TEST(FinalPointValue, OneLinePerShownCurveInTheGraphsUnits) {
  circuits::FilterBuildOptions o;
  o.standardR = true;
  auto st = BuiltDesign(Forced(Entries(FilterKind::Highpass, "1", "50", "5000", "2000"), 4), 1, o);
  ASSERT_TRUE(st);
  FinalSelection sel;
  analysis::ComputeFinalCurves(*st, sel);
  const int i = 123;
  const double w = st->finalPoints[At(i)].rad;
  const core::FinalCurvePoint& p = st->finalCurves[At(i)];

  auto lines = analysis::FinalPointValue(*st, analysis::FinalTab::Gain, w, sel);
  ASSERT_EQ(lines.size(), 3u);
  for (int c = 1; c <= 3; ++c) {
    EXPECT_EQ(lines[At(c - 1)].curve, c);
    EXPECT_EQ(lines[At(c - 1)].text,
              core::FormatScientific(20 * std::log10(p.gainVv[At(c - 1)]), 8, 7) + "  dB");
  }
  st->finalGraph.gainInDb = false;
  st->finalGraph.phaseInDegrees = false;
  sel.exactC = false;
  lines = analysis::FinalPointValue(*st, analysis::FinalTab::Gain, w, sel);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].curve, 3);
  EXPECT_EQ(lines[0].text, core::FormatScientific(p.gainVv[0], 8, 7) + "  V/V");
  lines = analysis::FinalPointValue(*st, analysis::FinalTab::Phase, w, sel);
  EXPECT_EQ(lines[0].text, core::FormatScientific(p.phaseRad[0], 8, 7) + "  rad");
  st->finalGraph.phaseInDegrees = true;
  lines = analysis::FinalPointValue(*st, analysis::FinalTab::Phase, w, sel);
  EXPECT_EQ(lines[0].text, core::FormatScientific(p.phaseRad[0] * 180 / core::kPi, 8, 7) + "  deg");
  lines = analysis::FinalPointValue(*st, analysis::FinalTab::Delay, w, sel);
  EXPECT_EQ(lines[0].text, core::FormatScientific(p.delay[0], 8, 7) + "  sec");
  // A highpass well below its passband leads: the phase line has no minus sign.
  lines = analysis::FinalPointValue(*st, analysis::FinalTab::Phase, st->finalPoints[0].rad, sel);
  EXPECT_EQ(lines[0].text.substr(0, 1), " ");
}

// ---------------------------------------------------------------------------------------
// The inverting-output note

TEST(FinalResponse, InvertingOutputNote) {
  // SLP03 inverts, SLP01 does not.
  struct Case {
    std::vector<int> circuits;  // SLP circuit number per stage
    std::string second;         // empty: no note
  };
  const std::vector<Case> cases = {
      {{1, 1, 1}, ""},
      {{1, 3, 1}, "due to the inverting output of stage 2."},
      {{3, 1, 3, 1}, ""},
      {{3, 1, 3, 3}, "due to the inverting outputs of stages 1,3,4."},
      {{3}, "due to the inverting output of stage 1."},
  };
  for (const Case& c : cases) {
    core::DesignState st;
    st.stageCount = static_cast<std::int16_t>(c.circuits.size());
    for (int s = 1; s <= st.stageCount; ++s) {
      st.stages[At(s)].type = core::ptSLP;
      st.circuits[At(s)].CircuitNumber = static_cast<std::int16_t>(c.circuits[At(s - 1)]);
    }
    const std::vector<std::string> note = analysis::InvertingOutputNote(st);
    if (c.second.empty()) {
      EXPECT_TRUE(note.empty()) << c.circuits.size() << " stages";
      continue;
    }
    ASSERT_EQ(note.size(), 2u);
    EXPECT_EQ(note[0], "Note:  There is an additional 180 degrees phase shift");
    EXPECT_EQ(note[1], c.second);
  }
}

// ---------------------------------------------------------------------------------------
// Predistortion neutralised, and the design left as it was

bool Same(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

#define SAME(field) \
  EXPECT_TRUE(Same(static_cast<double>(a.field), static_cast<double>(b.field))) << where << #field

void ExpectSameComponent(const core::ComponentEntry& a, const core::ComponentEntry& b,
                         const std::string& where) {
  SAME(Value);
  SAME(ExactValue);
  SAME(PreStandardValue);
  SAME(UserValue);
  SAME(UserAssigned);
  SAME(IsStandard);
  SAME(Change);
  SAME(TempChange);
  for (int k = 0; k <= core::kSensSlots; ++k) SAME(Sens[At(k)]);
}

void ExpectSameSums(const core::SensitivitySum& a, const core::SensitivitySum& b, const std::string& where) {
  SAME(R);
  SAME(C);
  SAME(Total);
}

void ExpectSameRecord(const core::CircuitRecord& a, const core::CircuitRecord& b, const std::string& where) {
  // clang-format off
  SAME(Fresh); SAME(CircuitId); SAME(CircuitNumber); SAME(CircuitNumberCopy); SAME(RequestedGain);
  SAME(CircuitGain); SAME(GainRatio); SAME(OpAmpGbw); SAME(OpAmpTolerance); SAME(OpAmpTempCoeff);
  for (std::size_t k = 0; k < a.OptionReal.size(); ++k) SAME(OptionReal[k]);
  SAME(OptionByte); SAME(C2VariableAvailable); SAME(C2Variable); SAME(EqualComponents); SAME(Predistort);
  SAME(VariantByte); SAME(ExtraOptionByte); SAME(HasScalePair); SAME(ScaleResistor); SAME(ScalePartner);
  SAME(DesignFailed); SAME(AdjustPending); SAME(Cubic); SAME(Inverting); SAME(DesignQp); SAME(DesignWp);
  SAME(ResistorCount); SAME(CapacitorCount); SAME(OpAmpCount); SAME(GainConstrained); SAME(SecondGain);
  SAME(SavedGain); SAME(UserGain); SAME(Level); SAME(UserGainFixed); SAME(DcAttenuation); SAME(ResistorScale);
  SAME(CapRatio); SAME(C1Index); SAME(C1Decade); SAME(C2Index); SAME(C2Decade); SAME(C2OnlyAllowed);
  SAME(ScaleIndex); SAME(ScaleDecade); SAME(ActiveCompAvailable); SAME(ActiveComp); SAME(ActiveCompSchematic);
  SAME(ExactTaken); SAME(GbwDeviation); SAME(GbwCoefWp); SAME(GbwCoefQp); SAME(MinGbw); SAME(Noise);
  SAME(Analysed); SAME(Loaded);
  // clang-format on
  for (int i = 1; i <= core::kResistors; ++i)
    ExpectSameComponent(a.R[At(i)], b.R[At(i)], where + " R" + std::to_string(i) + " ");
  for (int j = 1; j <= core::kCapacitors; ++j)
    ExpectSameComponent(a.C[At(j)], b.C[At(j)], where + " C" + std::to_string(j) + " ");
  for (auto [x, y] : {std::pair{&a.SumWp, &b.SumWp},
                      {&a.SumQp, &b.SumQp},
                      {&a.SumWz, &b.SumWz},
                      {&a.SumPa, &b.SumPa},
                      {&a.SumPb, &b.SumPb},
                      {&a.SumSqWp, &b.SumSqWp},
                      {&a.SumSqQp, &b.SumSqQp},
                      {&a.SumSqWz, &b.SumSqWz},
                      {&a.SumSqPa, &b.SumSqPa},
                      {&a.SumSqPb, &b.SumSqPb}})
    ExpectSameSums(*x, *y, where + " sums ");
}

void ExpectSameMemory(const core::StageComponentSetEntry& a, const core::StageComponentSetEntry& b,
                      const std::string& where) {
  SAME(C1Index);
  SAME(C1Decade);
  SAME(C2Index);
  SAME(C2Decade);
  SAME(CapRatio);
  for (int j = 1; j <= core::kCapacitors; ++j) {
    SAME(Value[At(j)]);
    SAME(ExactValue[At(j)]);
  }
}

void ExpectSameRatings(const core::StageAnalysisEntry& a, const core::StageAnalysisEntry& b,
                       const std::string& where) {
  for (std::size_t n = 0; n < a.candidate.size(); ++n) {
    const std::string w = where + " candidate " + std::to_string(n) + " ";
    const core::CircuitRating& x = a.candidate[n];
    const core::CircuitRating& y = b.candidate[n];
    EXPECT_TRUE(Same(x.CircuitGain, y.CircuitGain)) << w;
    EXPECT_TRUE(Same(x.RequestedGain, y.RequestedGain)) << w;
    EXPECT_TRUE(Same(x.TotalSpread, y.TotalSpread)) << w;
    EXPECT_TRUE(Same(x.MinGbw, y.MinGbw)) << w;
    EXPECT_EQ(x.DesignFailed, y.DesignFailed) << w;
    for (std::size_t t = 0; t < x.SpreadTerms.size(); ++t)
      EXPECT_TRUE(Same(x.SpreadTerms[t], y.SpreadTerms[t])) << w;
  }
  SAME(maxTotal);
  SAME(upperFrequency);
  SAME(lowerFrequency);
  SAME(lastFrequency);
  for (std::size_t t = 0; t < a.gainSensitivity.size(); ++t) SAME(gainSensitivity[t]);
}

void ExpectSameDesign(const core::DesignState& a, const core::DesignState& b) {
  const std::string where = "";
  for (int s = 1; s <= core::kCircuitSlots; ++s)
    ExpectSameRecord(a.circuits[At(s)], b.circuits[At(s)], "stage " + std::to_string(s));
  for (int s = 1; s <= core::kMaxStages; ++s) {
    const std::string w = "stage " + std::to_string(s);
    ExpectSameMemory(a.componentSet[At(s)], b.componentSet[At(s)], w + " memory ");
    ExpectSameMemory(a.componentSetSaved[At(s)], b.componentSetSaved[At(s)], w + " saved memory ");
    ExpectSameRatings(a.stageAnalysis[At(s)], b.stageAnalysis[At(s)], w);
    EXPECT_TRUE(Same(a.designedGain[At(s)], b.designedGain[At(s)])) << w;
    const core::Stage& x = a.stages[At(s)];
    const core::Stage& y = b.stages[At(s)];
    EXPECT_TRUE(Same(x.wp, y.wp) && Same(x.Qp, y.Qp) && Same(x.wz, y.wz) && Same(x.k, y.k) &&
                Same(x.To, y.To))
        << w;
    for (int i = 1; i <= core::kResistors; ++i) {
      EXPECT_TRUE(Same(a.userResistors[At(s)].value[At(i)], b.userResistors[At(s)].value[At(i)])) << w;
      EXPECT_EQ(a.userResistors[At(s)].assigned[At(i)], b.userResistors[At(s)].assigned[At(i)]) << w;
    }
  }
  SAME(stageCount);
  SAME(neutralisingPredistortion);
  SAME(sensShown);
  SAME(currentStage);
  SAME(currentStep);
  SAME(standardResistors);
  SAME(substStrategy);
  SAME(allCapsStandard);
  SAME(useCapMemory);
  SAME(modified);
  SAME(stepsStale);
  SAME(designStep);
  SAME(userResistorValues);
  SAME(gridN);
}

#undef SAME

// A filter whose op-amps are slow enough for predistortion to matter, every stage that can
// take it predistorted.
std::unique_ptr<core::DesignState> PredistortedDesign(bool predistort) {
  circuits::FilterBuildOptions o;
  o.gbwHz = 100e3;
  o.predistortAll = predistort;
  o.circuits = {"SLP01", "SLP04", "SLP02"};
  return BuiltDesign(Forced(Entries(FilterKind::Lowpass, "1", "40", "6000", "12000"), 6), 1, o);
}

// The same with every kind of stored value at stake: a capacitor of stage 3 adjusted, a
// resistor of stage 2 assigned by the user, standard resistors on.
std::unique_ptr<core::DesignState> AdjustedDesign(bool predistort) {
  auto st = PredistortedDesign(predistort);
  if (!st) return nullptr;
  char entry[32];
  std::snprintf(entry, sizeof entry, "%.4fn", st->circuits[3].C[1].Value * 1.05e9);
  if (!circuits::AdjustCapacitor(*st, 3, 1, std::string(entry)).applied) return nullptr;
  // As the window does after a capacitor click: the memory keeps the adjusted capacitor
  // beside the exact one, so recomputations re-apply the adjustment.
  circuits::WriteCapacitorMemory(*st, 3, false);
  if (!circuits::AdjustResistor(*st, 2, 1, "12.7K").applied) return nullptr;
  circuits::SetStandardResistors(*st, true);
  const core::ComponentEntry& c1 = st->circuits[3].C[1];
  if (!st->circuits[3].ExactTaken || c1.Value == c1.ExactValue || !st->circuits[2].R[1].UserAssigned)
    return nullptr;
  return st;
}

// How far the curve's gain is from a constant multiple of the ideal gain: 0 for the
// approximation's shape at any gain level.
double ShapeError(const core::DesignState& st, int slot, int curve) {
  double lo = 0;
  double hi = 0;
  for (int i = 0; i <= 350; ++i) {
    const double r = st.finalCurves[At(i)].gainVv[At(curve - 1)] /
                     response::IdealGainAt(st, slot, st.finalPoints[At(i)].rad);
    lo = i == 0 ? r : std::min(lo, r);
    hi = i == 0 ? r : std::max(hi, r);
  }
  return hi / lo - 1;
}

TEST(PredistortionNeutralisation, ShowsTheUndistortedDesignAndLeavesTheDesignAsItWas) {
  auto st = PredistortedDesign(true);
  auto plain = PredistortedDesign(false);
  ASSERT_TRUE(st && plain);
  ASSERT_FALSE(AnyFailed(*st));
  ASSERT_TRUE(analysis::AnyStagePredistorts(*st));
  const int slot = 1;
  const core::DesignState before = *st;

  // The values the design holds are detuned for the slow op-amps: evaluated with ideal
  // op-amps they leave the approximation's shape by far more than rounding.
  const auto held = analysis::FinalResponsePoints(*st, 3, 1, 0, analysis::DefaultFinalGrid(*st));
  double lo = 1e300, hi = 0;
  for (const auto& p : held) {
    lo = std::min(lo, p.vv / response::IdealGainAt(*st, slot, p.rad));
    hi = std::max(hi, p.vv / response::IdealGainAt(*st, slot, p.rad));
  }
  EXPECT_GT(hi / lo - 1, 1e-2);

  // In the window every curve is the filter designed without predistortion.
  FinalSelection sel;
  analysis::ComputeFinalCurves(*st, sel);
  analysis::ComputeFinalCurves(*plain, sel);
  for (int curve = 1; curve <= 3; ++curve) {
    for (int i = 0; i <= 350; ++i) {
      const core::FinalCurvePoint& p = st->finalCurves[At(i)];
      const core::FinalCurvePoint& q = plain->finalCurves[At(i)];
      const std::size_t c = At(curve - 1);
      EXPECT_NEAR(p.gainVv[c], q.gainVv[c], 1e-9 * q.gainVv[c]) << "curve " << curve << " point " << i;
      EXPECT_NEAR(p.phaseRad[c], q.phaseRad[c], 1e-9) << "curve " << curve << " point " << i;
      EXPECT_NEAR(p.delay[c], q.delay[c], 1e-9 * std::abs(q.delay[c])) << "curve " << curve << " point " << i;
    }
    EXPECT_LT(ShapeError(*st, slot, curve), 1e-9) << "curve " << curve;
  }
  ExpectSameDesign(before, *st);

  // Each computation brackets its own neutralisation.
  analysis::ComputeFinalGain(*st, sel);
  analysis::ComputeFinalPhase(*st, sel);
  analysis::ComputeFinalDelay(*st, sel);
  analysis::FinalPointValue(*st, analysis::FinalTab::Gain, st->finalPoints[100].rad, sel);
  analysis::FinalResponsePoints(*st, 2, 1, 0, analysis::DefaultFinalGrid(*st), true);
  ExpectSameDesign(before, *st);
}

TEST(PredistortionNeutralisation, AdjustedStagesAreUndistortedInEveryCurveAndComeBackAsTheyWere) {
  auto st = AdjustedDesign(true);
  ASSERT_TRUE(st);
  const int slot = 1;
  const core::DesignState before = *st;

  FinalSelection sel;
  sel.userAssigned = true;
  analysis::ComputeFinalCurves(*st, sel);
  // The adjusted stage's exact design (curve 1) and its design on the adjusted capacitor
  // (curve 2) are both undetuned; curve 3 carries the standard and user values.
  EXPECT_LT(ShapeError(*st, slot, 1), 1e-9);
  EXPECT_LT(ShapeError(*st, slot, 2), 1e-9);
  EXPECT_GT(ShapeError(*st, slot, 3), 1e-4);
  ExpectSameDesign(before, *st);

  bool changedInside = false;
  try {
    analysis::PredistortionNeutralisation neutral(*st);
    EXPECT_TRUE(neutral.active());
    EXPECT_TRUE(st->neutralisingPredistortion);
    for (int s = 1; s <= st->stageCount; ++s) EXPECT_FALSE(st->circuits[At(s)].Predistort) << s;
    for (int s = 1; s <= st->stageCount; ++s)
      for (int i = 1; i <= core::kResistors; ++i)
        if (st->circuits[At(s)].R[At(i)].Value != before.circuits[At(s)].R[At(i)].Value) changedInside = true;
    throw std::runtime_error("left early");
  } catch (const std::runtime_error&) {
  }
  EXPECT_TRUE(changedInside);
  ExpectSameDesign(before, *st);

  // Without a predistorted stage nothing is recomputed at all.
  for (int s = 1; s <= st->stageCount; ++s) st->circuits[At(s)].Predistort = false;
  analysis::PredistortionNeutralisation idle(*st);
  EXPECT_FALSE(idle.active());
  EXPECT_FALSE(st->neutralisingPredistortion);
}

// The command line's points: curve 3 is the values the netlist writes, user-assigned
// resistors included; the phase leaves out the inversions as the phase graph does.
TEST(FinalResponsePoints, CurveThreeIsTheValuesInForce) {
  auto st = AdjustedDesign(false);
  ASSERT_TRUE(st);
  int inverting = 0;
  for (int s = 1; s <= st->stageCount; ++s)
    if (st->circuits[At(s)].Inverting) ++inverting;
  const auto grid = analysis::DefaultFinalGrid(*st);
  const auto points = analysis::FinalResponsePoints(*st, 3, 1, 0, grid);
  ASSERT_EQ(points.size(), 351u);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const std::complex<double> h = BuiltResponse(*st, 1, st->stageCount, points[i].rad);
    EXPECT_EQ(points[i].rad, grid[i].rad);
    EXPECT_EQ(points[i].hz, grid[i].hz);
    EXPECT_NEAR(points[i].vv, std::abs(h), 1e-12 * std::abs(h)) << i;
    EXPECT_DOUBLE_EQ(points[i].db, 20 * std::log10(points[i].vv)) << i;
    EXPECT_NEAR(WrapAngle((points[i].phaseDeg * core::kPi / 180) + inverting * core::kPi - std::arg(h)), 0,
                1e-9)
        << i;
  }
  // Stages 2..3 alone.
  const auto tail = analysis::FinalResponsePoints(*st, 3, 2, 3, grid);
  for (std::size_t i = 0; i < tail.size(); i += 10) {
    const double want = std::abs(BuiltResponse(*st, 2, 3, tail[i].rad));
    EXPECT_NEAR(tail[i].vv, want, 1e-12 * want) << i;
  }
}

}  // namespace
}  // namespace tavrin
