// The whole-filter calculation: what every option change in the calculation window costs
// on a ten-stage filter (a 20th-order Butterworth lowpass, every stage a Sallen-Key or
// multiple-feedback circuit as the ratings choose).
#include <benchmark/benchmark.h>

#include <memory>

#include "approx/BesselRootTable.h"
#include "approx/Calculate.h"
#include "circuits/BuiltFilter.h"
#include "circuits/CalculationWorkflow.h"
#include "stages/Cascading.h"

namespace {

using namespace tavrin;

std::unique_ptr<core::DesignState> TenStages() {
  auto state = std::make_unique<core::DesignState>();
  approx::CalculateRequest r;
  r.entries = approx::DefaultEntries(core::FilterKind::Lowpass, core::FrequencyUnit::Hz, false);
  r.entries.forceOrder = true;
  r.entries.order = "20";
  r.besselTable = approx::DefaultBesselRootTablePath();
  approx::Calculate(*state, r);
  core::SetCurrentSlot(*state, 0);
  state->chosenSlot = 0;
  stages::PairAndCascade(*state);
  circuits::BuildFilter(*state, {});
  return state;
}

// One recomputation keeping the capacitors, as after the component characteristics or a
// strategy change.
void BM_ComputeAllStagesTenStages(benchmark::State& bs) {
  auto state = TenStages();
  if (state->stageCount != 10) bs.SkipWithError("not ten stages");
  for (auto _ : bs) {
    circuits::ComputeAllStages(*state, true);
    benchmark::DoNotOptimize(state->circuits);
  }
}
BENCHMARK(BM_ComputeAllStagesTenStages)->Unit(benchmark::kMicrosecond);

// The " Standard 1%" option switched on: a recomputation with every resistor substituted.
void BM_StandardResistorsOnTenStages(benchmark::State& bs) {
  auto state = TenStages();
  for (auto _ : bs) {
    state->standardResistors = false;
    circuits::SetStandardResistors(*state, true);
    benchmark::DoNotOptimize(state->circuits);
  }
}
BENCHMARK(BM_StandardResistorsOnTenStages)->Unit(benchmark::kMicrosecond);

// A fresh calculation as the window opens it: every stage designed and its capacitors scaled.
void BM_ComputeAllStagesAfresh(benchmark::State& bs) {
  auto state = TenStages();
  for (auto _ : bs) {
    circuits::ComputeAllStages(*state, false);
    benchmark::DoNotOptimize(state->circuits);
  }
}
BENCHMARK(BM_ComputeAllStagesAfresh)->Unit(benchmark::kMicrosecond);

}  // namespace
