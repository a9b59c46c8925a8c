// The whole filter from its stages to components: properties over many designs, and the
// calculation's own rules (gain resolution, standard resistors, the step list, leaving).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "analysis/GainSensitivity.h"
#include "analysis/StagePolynomials.h"
#include "analysis/WorkingVectors.h"
#include "approx/ApproxTestSupport.h"
#include "circuits/BuiltFilterSupport.h"
#include "circuits/Adjustment.h"
#include "circuits/BuiltFilter.h"
#include "circuits/CalculationWorkflow.h"
#include "circuits/Catalogue.h"
#include "circuits/DesignStage.h"
#include "circuits/GainDistribution.h"
#include "circuits/Inventory.h"
#include "circuits/Ratings.h"
#include "circuits/StandardValues.h"
#include "stages/Cascading.h"

namespace tavrin {
namespace {

using approx::testing::Calc;
using approx::testing::Entries;
using approx::testing::Forced;
using core::FilterKind;
using built_filter_test::Cascaded;
using built_filter_test::RotatedCodes;

std::size_t At(int k) {
  return static_cast<std::size_t>(k);
}

bool FirstOrder(int type) {
  return type == core::ptFLP || type == core::ptFHP;
}

bool Notch(int type) {
  return type == core::ptSLPN || type == core::ptSHPN || type == core::ptSN;
}


analysis::StagePolynomials Built(const core::DesignState& st, int s) {
  const core::CircuitRecord& cr = st.circuits[At(s)];
  return analysis::BuildStagePolynomials(analysis::LoadBuiltValues(cr), st.stages[At(s)], cr);
}

double CascadePeak(const core::DesignState& st) {
  double peak = 0;
  // Cascading judged the stages on these points with negative ones taken as their
  // magnitude, so the same points are used here.
  for (double point : st.evalFrequencies) {
    const double w = std::abs(point);
    std::complex<double> h = 1;
    for (int s = 1; s <= st.stageCount; ++s) h *= analysis::StageResponse(Built(st, s), w);
    peak = std::max(peak, std::abs(h));
  }
  return peak;
}

struct Sweep {
  std::set<std::string> codesUsed;
  int designs = 0;
  int gainChecked = 0;
  int stagesChecked = 0;
  int stagesFailed = 0;
  double worstTarget = 0;
  double worstGain = 0;
  double worstPeak = 0;
};


void CheckExactBuild(const core::DesignState& st, Sweep& sweep, const std::string& where) {
  bool anyFree = false;
  bool anyFailed = false;
  double highest = 0;
  for (int s = 1; s <= st.stageCount; ++s) {
    const core::Stage& stage = st.stages[At(s)];
    const core::CircuitRecord& cr = st.circuits[At(s)];
    const int type = stage.type & 0x7F;
    highest = std::max(highest, cr.Level);
    sweep.codesUsed.insert(circuits::CircuitKey(type, cr.CircuitNumber));
    if (cr.DesignFailed) {
      ++sweep.stagesFailed;
      anyFailed = true;
      continue;
    }
    if (!cr.GainConstrained) anyFree = true;
    ++sweep.stagesChecked;
    const analysis::StageParameters p = analysis::ParametersOf(Built(st, s), type);
    const auto rel = [&](std::optional<double> got, double want, const char* what) {
      ASSERT_TRUE(got.has_value()) << where << " stage " << s << " " << what;
      const double e = std::abs(*got / want - 1);
      sweep.worstTarget = std::max(sweep.worstTarget, e);
      EXPECT_LT(e, 1e-9) << where << " stage " << s << " " << circuits::CircuitKey(type, cr.CircuitNumber) << " "
                         << what << " " << *got << " vs " << want;
    };
    if (FirstOrder(type)) {
      rel(p.wp, analysis::FirstOrderPole(stage), "wc");
    } else {
      rel(p.wp, stage.wp, "wp");
      rel(p.Qp, stage.Qp, "Qp");
      if (Notch(type)) rel(p.wz, stage.wz, "wz");
    }
    // Capacitors come from E12 through the scaling, and the scaling leaves the largest of
    // the stage's own resistors just below 100 kOhm.
    EXPECT_TRUE(circuits::IsStandardCapacitor(cr.C[1].Value).standard) << where << " stage " << s;
    if (!FirstOrder(type)) {
      const int own = cr.HasScalePair ? circuits::ScaleResistorIndex(cr) - 2 : circuits::ScaleResistorIndex(cr);
      double largest = 0;
      for (int i = 1; i <= own; ++i) largest = std::max(largest, cr.R[At(i)].Value);
      if (own > 0) {
        EXPECT_LE(largest, 1e5 * (1 + 1e-12)) << where << " stage " << s;
        // One E12 step is at most 1.23; a circuit whose rule puts C1 between two E12 values
        // takes a longer first step onto the grid.
        EXPECT_GT(largest, 1e5 / 1.5) << where << " stage " << s << " "
                                      << circuits::CircuitKey(type, cr.CircuitNumber);
      }
    }
  }
  EXPECT_NEAR(highest, 100, 1e-9) << where;
  if (anyFailed || !anyFree) return;
  ++sweep.gainChecked;
  const double gain = circuits::ActualGainOf(st);
  const double g = std::abs(gain / st.spec.overallGain - 1);
  sweep.worstGain = std::max(sweep.worstGain, g);
  EXPECT_LT(g, 1e-9) << where << " actual gain " << gain;
  const double peak = std::abs(CascadePeak(st) / st.spec.overallGain - 1);
  sweep.worstPeak = std::max(sweep.worstPeak, peak);
  EXPECT_LT(peak, 1e-9) << where << " cascade peak";
}

struct SpecCase {
  FilterKind kind;
  const char* apb;
  const char* asb;
  const char* pass;
  const char* stop;
  const char* center;
};

TEST(BuiltFilter, EveryStageMeetsItsTargetsAndTheFilterItsGain) {
  const std::vector<SpecCase> specs = {
      {FilterKind::Lowpass, "0.5", "40", "1000", "2000", "2"},
      {FilterKind::Highpass, "1", "50", "5000", "2000", "2"},
      {FilterKind::Bandpass, "0.5", "40", "2000", "6000", "10000"},
      {FilterKind::Bandstop, "0.5", "40", "6000", "2000", "10000"},
  };
  const std::vector<std::string> gains = {"0.1", "1", "10", "100"};  // -20 .. +40 dB
  Sweep sweep;
  std::map<int, int> next;
  for (const SpecCase& c : specs) {
    const bool band = c.kind == FilterKind::Bandpass || c.kind == FilterKind::Bandstop;
    for (int order = band ? 1 : 1; order <= (band ? 10 : 20); ++order) {
      for (int slot = 0; slot < core::kSlotCount; ++slot) {
        approx::SpecEntries e = Forced(Entries(c.kind, c.apb, c.asb, c.pass, c.stop, c.center), order);
        e.gain = gains[At((order + slot) % 4)];
        auto st = Cascaded(e, slot);
        if (!st) continue;
        circuits::FilterBuildOptions o;
        // Half the designs take the rated choice, half walk the catalogue.
        if ((order + slot) % 2 == 0) o.circuits = RotatedCodes(*st, next);
        const auto refused = circuits::BuildFilter(*st, o);
        ASSERT_FALSE(refused.has_value()) << *refused;
        ++sweep.designs;
        CheckExactBuild(*st, sweep,
                        "kind " + std::to_string(static_cast<int>(c.kind)) + " order " + std::to_string(order) +
                            " slot " + std::to_string(slot));
      }
    }
  }
  EXPECT_EQ(sweep.codesUsed.size(), 71u);
  EXPECT_GT(sweep.designs, 200);
  EXPECT_GT(sweep.gainChecked, sweep.designs / 2);
  std::printf("[ sweep    ] %d designs (%d with every stage built and a free stage), %d stages built, %d failed;"
              " worst target %.2e, gain %.2e, peak %.2e; %zu circuits\n",
              sweep.designs, sweep.gainChecked, sweep.stagesChecked, sweep.stagesFailed, sweep.worstTarget,
              sweep.worstGain, sweep.worstPeak, sweep.codesUsed.size());
}

TEST(BuiltFilter, StandardPartsAreSeriesMembers) {
  const std::vector<SpecCase> specs = {
      {FilterKind::Lowpass, "0.5", "60", "1000", "2000", "2"},
      {FilterKind::Bandstop, "0.5", "40", "6000", "2000", "10000"},
  };
  for (const SpecCase& c : specs) {
    for (double tol : {1.0, 5.0, 10.0}) {
      for (int strategy : {1, 2}) {
        auto st = Cascaded(Entries(c.kind, c.apb, c.asb, c.pass, c.stop, c.center), 3);
        ASSERT_TRUE(st);
        circuits::FilterBuildOptions o;
        o.standardR = true;
        o.allCapsStandard = true;
        o.rTolerance = tol;
        o.strategy = strategy;
        ASSERT_FALSE(circuits::BuildFilter(*st, o).has_value());
        for (int s = 1; s <= st->stageCount; ++s) {
          const core::CircuitRecord& cr = st->circuits[At(s)];
          for (int i = 1; i <= cr.ResistorCount; ++i) {
            const core::ComponentEntry& r = cr.R[At(i)];
            if (!(r.Value > 0)) continue;
            EXPECT_TRUE(circuits::IsStandardResistor(r.Value, tol).standard)
                << "tol " << tol << " strategy " << strategy << " stage " << s << " R" << i << " " << r.Value;
            EXPECT_TRUE(r.IsStandard);
            EXPECT_GT(r.PreStandardValue, 0);
          }
          for (int j = 1; j <= cr.CapacitorCount; ++j)
            EXPECT_TRUE(circuits::IsStandardCapacitor(cr.C[At(j)].Value).standard) << "stage " << s << " C" << j;
        }
      }
    }
  }
}

TEST(BuiltFilter, AUserAssignedResistorSurvivesRecalculationAndSubstitution) {
  auto st = Cascaded(Entries(FilterKind::Lowpass, "0.5", "40", "1000", "2000"), 0);
  ASSERT_TRUE(st);
  circuits::FilterBuildOptions o;
  o.circuits.assign(static_cast<std::size_t>(st->stageCount), "");
  for (int s = 1; s <= st->stageCount; ++s)
    o.circuits[At(s - 1)] = FirstOrder(st->stages[At(s)].type & 0x7F) ? "FLP03" : "SLP03";
  ASSERT_FALSE(circuits::BuildFilter(*st, o).has_value());
  const int s = st->stageCount;  // a second-order stage
  const circuits::ResistorOutcome out = circuits::AdjustResistor(*st, s, 1, "4.75K");
  ASSERT_TRUE(out.applied);
  core::CircuitRecord& cr = st->circuits[At(s)];
  ASSERT_TRUE(cr.R[1].UserAssigned);
  const double gainWithUser = cr.CircuitGain;
  circuits::ComputeAllStages(*st, true);
  EXPECT_TRUE(cr.R[1].UserAssigned);
  EXPECT_EQ(cr.R[1].UserValue, 4750);
  EXPECT_NEAR(cr.CircuitGain, gainWithUser, 1e-12 * gainWithUser);
  circuits::SetStandardResistors(*st, true);
  EXPECT_TRUE(cr.R[1].UserAssigned);
  EXPECT_EQ(cr.R[1].UserValue, 4750);
  EXPECT_EQ(cr.R[1].PreStandardValue, 0);
  EXPECT_TRUE(cr.R[1].IsStandard);  // 4.75 kOhm is an E96 value (4.7 kOhm is not)
  // The analysis, and so the gain, sees the user's value.
  const analysis::StagePolynomials built = Built(*st, s);
  EXPECT_NEAR(cr.CircuitGain, built.K, 1e-9 * built.K);
}

TEST(BuiltFilter, WithTheResistorInventoryOnlyStockedValuesAreSubstituted) {
  for (int strategy : {1, 2}) {
    auto st = Cascaded(Entries(FilterKind::Lowpass, "0.5", "60", "1000", "2000"), 3);
    ASSERT_TRUE(st);
    // Half the E96 values are out of stock: every other one, in every decade.
    circuits::SetDefaultInventory(st->inventory);
    for (int decade = 0; decade < circuits::kResistorDecades; ++decade)
      for (int index = 1; index < 96; index += 2)
        circuits::SetInStock(st->inventory, circuits::InventoryBlock::E96, decade, index, false);
    st->useResInventory = true;
    circuits::FilterBuildOptions o;
    o.standardR = true;
    o.strategy = strategy;
    ASSERT_FALSE(circuits::BuildFilter(*st, o).has_value());
    int checked = 0;
    for (int s = 1; s <= st->stageCount; ++s) {
      const core::CircuitRecord& cr = st->circuits[At(s)];
      for (int i = 1; i <= cr.ResistorCount; ++i) {
        const double v = cr.R[At(i)].Value;
        if (!(v > 0)) continue;
        ++checked;
        EXPECT_TRUE(circuits::ResistorInStock(st->inventory, 1, v))
            << "strategy " << strategy << " stage " << s << " R" << i << " " << v;
        // The value taken is a neighbour in stock: never further than two series steps.
        EXPECT_LT(std::abs(std::log(v / cr.R[At(i)].PreStandardValue)), std::log(1.025 * 1.025 * 1.025));
      }
    }
    EXPECT_GT(checked, 5);
  }
}

// Two to four second-order lowpass stages of a hand-made cascade, every To = 1.
std::unique_ptr<core::DesignState> HandCascade(const std::vector<std::string>& codes, double overallGain) {
  auto st = std::make_unique<core::DesignState>();
  core::ResetDesign(*st);
  st->spec.kind = FilterKind::Lowpass;
  st->spec.overallGain = overallGain;
  st->stageCount = static_cast<std::int16_t>(codes.size());
  for (std::size_t k = 1; k <= codes.size(); ++k) {
    const circuits::CircuitAddress at = circuits::AddressOfKey(codes[k - 1]);
    core::Stage& stage = st->stages[k];
    stage.type = static_cast<std::uint8_t>(at.stageType);
    stage.name = circuits::TypeCode(at.stageType);
    stage.wp = 2000.0 * static_cast<double>(k);
    stage.Qp = FirstOrder(at.stageType) ? 0 : 0.6 + 0.3 * static_cast<double>(k);
    stage.p = FirstOrder(at.stageType) ? stage.wp : 0;
    stage.To = 1;
  }
  circuits::FilterBuildOptions o;
  o.circuits = codes;
  const auto refused = circuits::BuildFilter(*st, o);
  EXPECT_FALSE(refused.has_value()) << *refused;
  return st;
}

TEST(GainResolution, ConstrainedStagesHandTheirShortfallOn) {
  struct Case {
    std::vector<std::string> codes;
    double overall;
    std::vector<double> circuitGains;
    double actual;
  };
  const double r8 = 2 * std::sqrt(2.0);
  const std::vector<Case> cases = {
      // a unity-gain first stage: the next free stage takes its shortfall
      {{"SLP01", "SLP03"}, 4, {1, 4}, 4},
      // a unity-gain last stage: the free stages before it share its shortfall equally
      {{"SLP03", "SLP04", "SLP01"}, 8, {r8, r8, 1}, 8},
      // nothing can make up for a single constrained stage
      {{"SLP01"}, 2, {1}, 1},
      // a run of two constrained stages in the middle, taken up by the stage after it
      {{"SLP03", "SLP01", "SLP06", "SLP04"}, 16, {2, 1, 1, 8}, 16},
  };
  for (const Case& c : cases) {
    auto st = HandCascade(c.codes, c.overall);
    for (std::size_t k = 0; k < c.circuitGains.size(); ++k)
      EXPECT_NEAR(st->circuits[k + 1].CircuitGain, c.circuitGains[k], 1e-9 * c.circuitGains[k])
          << c.codes[0] << "... stage " << k + 1;
    EXPECT_NEAR(circuits::ActualGainOf(*st), c.actual, 1e-9 * c.actual) << c.codes[0];
  }
}

TEST(StandardResistors, SwitchingOffBringsTheExactValuesBack) {
  auto exact = Cascaded(Entries(FilterKind::Lowpass, "0.5", "60", "1000", "2000"), 1);
  auto st = Cascaded(Entries(FilterKind::Lowpass, "0.5", "60", "1000", "2000"), 1);
  ASSERT_TRUE(exact && st);
  ASSERT_FALSE(circuits::BuildFilter(*exact, {}).has_value());
  circuits::FilterBuildOptions o;
  o.standardR = true;
  ASSERT_FALSE(circuits::BuildFilter(*st, o).has_value());
  int moved = 0;
  for (int s = 1; s <= st->stageCount; ++s)
    for (int i = 1; i <= st->circuits[At(s)].ResistorCount; ++i)
      if (st->circuits[At(s)].R[At(i)].Value != exact->circuits[At(s)].R[At(i)].Value) ++moved;
  EXPECT_GT(moved, 0);
  circuits::SetStandardResistors(*st, false);
  for (int s = 1; s <= st->stageCount; ++s) {
    for (int i = 1; i <= st->circuits[At(s)].ResistorCount; ++i) {
      const core::ComponentEntry& r = st->circuits[At(s)].R[At(i)];
      EXPECT_NEAR(r.Value, exact->circuits[At(s)].R[At(i)].Value, 1e-9 * r.Value) << "stage " << s << " R" << i;
      EXPECT_FALSE(r.IsStandard);
      EXPECT_EQ(r.PreStandardValue, 0);
    }
  }
}

TEST(StandardResistors, CaptionNamesTheTolerance) {
  const std::vector<std::pair<double, const char*>> cases = {
      {0.1, " Standard 1%"}, {1, " Standard 1%"}, {2, " Standard 5%"},
      {5, " Standard 5%"},   {10, " Standard 10%"}, {20, " Standard 10%"},
  };
  for (const auto& [tol, caption] : cases) EXPECT_EQ(circuits::StandardOptionCaption(tol), caption) << tol;
}

TEST(LeavingForward, WarnsOnceNamingTheStagesWithoutExactOrStandardCapacitors) {
  auto st = HandCascade({"SLP03", "SLP03", "SLP03", "SLP03"}, 1);
  for (int s = 1; s <= 4; ++s)
    for (int j = 1; j <= 2; ++j) st->circuits[At(s)].C[At(j)].Value = 1e-8;
  // Every capacitor standard: the exact curve may be shown, nothing to warn about.
  circuits::LeavingCheck none = circuits::CheckLeavingForward(*st);
  EXPECT_TRUE(none.exactCurve);
  EXPECT_FALSE(none.warning);
  st->circuits[1].ExactTaken = true;
  st->circuits[2].C[2].Value = 1.1e-8;
  st->circuits[4].C[1].Value = 1.1e-8;
  const circuits::LeavingCheck first = circuits::CheckLeavingForward(*st);
  EXPECT_FALSE(first.exactCurve);
  ASSERT_TRUE(first.warning);
  EXPECT_EQ(first.warning->text, "Stages 2, 4 do not have all capacitors set to exact values or standard values");
  EXPECT_EQ(first.warning->buttons, approx::MessageButtons::IgnoreCancel);
  const circuits::LeavingCheck second = circuits::CheckLeavingForward(*st);
  EXPECT_FALSE(second.warning);
  EXPECT_FALSE(second.exactCurve);

  auto one = HandCascade({"SLP03", "SLP03"}, 1);
  for (int s = 1; s <= 2; ++s)
    for (int j = 1; j <= 2; ++j) one->circuits[At(s)].C[At(j)].Value = 1e-8;
  one->circuits[1].ExactTaken = true;
  one->circuits[2].C[1].Value = 1.1e-8;
  EXPECT_EQ(circuits::CheckLeavingForward(*one).warning->text,
            "Stage 2 does not have all capacitors set to exact values or standard values");
  // Nobody adjusted anything: no warning, and no exact-capacitor curve either.
  auto untouched = HandCascade({"SLP03", "SLP03"}, 1);
  for (int s = 1; s <= 2; ++s)
    for (int j = 1; j <= 2; ++j) untouched->circuits[At(s)].C[At(j)].Value = 1e-8;
  untouched->circuits[2].C[1].Value = 1.1e-8;
  const circuits::LeavingCheck quiet = circuits::CheckLeavingForward(*untouched);
  EXPECT_FALSE(quiet.warning);
  EXPECT_FALSE(quiet.exactCurve);
}

TEST(CalculationSteps, VariationsOnlyWhenSomeCircuitHasOne) {
  const auto withVariant = HandCascade({"SLP01", "SLP03"}, 1);
  ASSERT_TRUE(withVariant->circuits[1].C2VariableAvailable);
  const auto all = circuits::OfferedSteps(*withVariant);
  ASSERT_EQ(all.size(), 10u);
  EXPECT_EQ(all.front(), circuits::CalcStep::Variations);

  const auto without = HandCascade({"SLP03", "SLP03"}, 1);
  ASSERT_FALSE(without->circuits[1].C2VariableAvailable);
  const auto nine = circuits::OfferedSteps(*without);
  ASSERT_EQ(nine.size(), 9u);
  EXPECT_EQ(nine.front(), circuits::CalcStep::FreqResponse);
  EXPECT_STREQ(circuits::AllSteps()[1].name, "Freq. Response");
  EXPECT_EQ(circuits::AllSteps().size(), 10u);
}

TEST(CalculationSteps, AVariationIsRememberedForItsStage) {
  auto st = HandCascade({"SLP01", "SLP01"}, 1);
  ASSERT_TRUE(circuits::SetC2Variable(*st, 1, true));
  EXPECT_TRUE(st->circuits[1].C2Variable);
  EXPECT_FALSE(st->circuits[2].C2Variable);
  // Back to the selection window and Next again: the calculation reopens from memory.
  st->useCapMemory = true;
  circuits::OpenCalculation(*st);
  EXPECT_TRUE(st->circuits[1].C2Variable);
  EXPECT_FALSE(st->circuits[2].C2Variable);
  EXPECT_FALSE(st->circuits[1].DesignFailed);
  const double c2OverC1 = st->circuits[1].C[2].Value / st->circuits[1].C[1].Value;
  EXPECT_GT(c2OverC1, 4 * st->stages[1].Qp * st->stages[1].Qp);  // the variant's larger ratio
}

TEST(Compensation, RemediesFollowTheStageAndTheCircuit) {
  auto st = HandCascade({"FLP03", "SBP09", "SLP03"}, 1);
  EXPECT_FALSE(circuits::SetCompensation(*st, 1, circuits::Compensation::Predistortion));
  EXPECT_TRUE(circuits::SetCompensation(*st, 1, circuits::Compensation::Neither));
  ASSERT_TRUE(circuits::SetCompensation(*st, 2, circuits::Compensation::Predistortion));
  EXPECT_TRUE(st->circuits[2].Predistort);
  const bool available = st->circuits[2].ActiveCompAvailable;
  EXPECT_EQ(circuits::SetCompensation(*st, 2, circuits::Compensation::ActiveCompensation), available);
  if (available) {
    EXPECT_FALSE(st->circuits[2].Predistort);
    EXPECT_TRUE(st->circuits[2].ActiveComp);
  }
}

}  // namespace
}  // namespace tavrin
