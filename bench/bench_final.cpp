// The final response of a ten-stage filter (a 20th-order Butterworth lowpass, circuits as
// the ratings choose) on the screen grid of 351 points: what the final-response window
// computes whenever it is shown or one of its controls changes.
#include <benchmark/benchmark.h>

#include <memory>

#include "analysis/FinalResponse.h"
#include "approx/BesselRootTable.h"
#include "approx/Calculate.h"
#include "circuits/BuiltFilter.h"
#include "circuits/CalculationWorkflow.h"
#include "response/ResponseSetup.h"
#include "stages/Cascading.h"

namespace {

using namespace tavrin;

std::unique_ptr<core::DesignState> TenStages(bool standardR, bool predistort) {
  auto state = std::make_unique<core::DesignState>();
  approx::CalculateRequest r;
  r.entries = approx::DefaultEntries(core::FilterKind::Lowpass, core::FrequencyUnit::Hz, false);
  r.entries.forceOrder = true;
  r.entries.order = "20";
  r.besselTable = approx::DefaultBesselRootTablePath();
  approx::Calculate(*state, r, response::ResponseHooks());
  core::SetCurrentSlot(*state, 0);
  state->chosenSlot = 0;
  stages::PairAndCascade(*state);
  circuits::FilterBuildOptions o;
  o.standardR = standardR;
  o.predistortAll = predistort;
  circuits::BuildFilter(*state, o);
  analysis::ComputeFinalPointTable(*state);
  return state;
}

void CheckShape(benchmark::State& bs, const core::DesignState& state) {
  if (state.stageCount != 10 || state.gridN != 350) bs.SkipWithError("not ten stages on 351 points");
}

// The gain of one curve: the smallest unit of work.
void BM_FinalGainOneCurve(benchmark::State& bs) {
  auto state = TenStages(true, false);
  CheckShape(bs, *state);
  analysis::FinalSelection sel;
  sel.exactC = false;
  sel.standardR = false;
  for (auto _ : bs) {
    analysis::ComputeFinalGain(*state, sel);
    benchmark::DoNotOptimize(state->finalCurves);
  }
}
BENCHMARK(BM_FinalGainOneCurve)->Unit(benchmark::kMicrosecond);

// Gain, phase and delay of the three curves: the window being shown.
void BM_FinalResponseThreeCurves(benchmark::State& bs) {
  auto state = TenStages(true, false);
  CheckShape(bs, *state);
  analysis::FinalSelection sel;
  sel.userAssigned = true;
  for (auto _ : bs) {
    benchmark::DoNotOptimize(analysis::ComputeFinalCurves(*state, sel));
    benchmark::DoNotOptimize(state->finalCurves);
  }
}
BENCHMARK(BM_FinalResponseThreeCurves)->Unit(benchmark::kMicrosecond);

// The command line's points: one curve, every quantity.
void BM_FinalResponsePoints(benchmark::State& bs) {
  auto state = TenStages(true, false);
  CheckShape(bs, *state);
  const auto grid = analysis::DefaultFinalGrid(*state);
  for (auto _ : bs) benchmark::DoNotOptimize(analysis::FinalResponsePoints(*state, 3, 1, 0, grid));
}
BENCHMARK(BM_FinalResponsePoints)->Unit(benchmark::kMicrosecond);

// Every stage predistorted: the three curves plus the neutralisation (the filter
// recomputed without predistortion and put back).
void BM_FinalResponseNeutralised(benchmark::State& bs) {
  auto state = TenStages(true, true);
  CheckShape(bs, *state);
  if (!analysis::AnyStagePredistorts(*state)) bs.SkipWithError("no stage predistorts");
  analysis::FinalSelection sel;
  for (auto _ : bs) {
    benchmark::DoNotOptimize(analysis::ComputeFinalCurves(*state, sel));
    benchmark::DoNotOptimize(state->finalCurves);
  }
}
BENCHMARK(BM_FinalResponseNeutralised)->Unit(benchmark::kMicrosecond);

}  // namespace
