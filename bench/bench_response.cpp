// The cost of the curves the response graphs draw: gain, phase and delay of all five
// slots on the 351-point screen grid, and the step and impulse responses.
#include <benchmark/benchmark.h>

#include <memory>

#include "approx/BesselRootTable.h"
#include "approx/Calculate.h"
#include "response/IdealResponse.h"
#include "response/ResponseSetup.h"
#include "response/TimeResponse.h"

namespace {

using namespace tavrin;

std::unique_ptr<core::DesignState> Designed(core::FilterKind kind) {
  auto state = std::make_unique<core::DesignState>();
  approx::CalculateRequest r;
  r.entries = approx::DefaultEntries(kind, core::FrequencyUnit::Hz, false);
  r.besselTable = approx::DefaultBesselRootTablePath();
  approx::Calculate(*state, r, response::ResponseHooks());
  return state;
}

template <typename F>
void ForEachSlot(core::DesignState& s, F&& f) {
  for (int slot = 0; slot <= s.lastSlot; ++slot) {
    if (!core::SlotHasResult(s, slot)) continue;
    core::SetCurrentSlot(s, slot);
    f();
  }
}

void BM_FrequencyCurvesFiveSlots(benchmark::State& bs) {
  auto s = Designed(static_cast<core::FilterKind>(bs.range(0)));
  for (auto _ : bs) {
    ForEachSlot(*s, [&] {
      response::ComputeIdealGain(*s, 0, core::kScreenGridN);
      response::ComputeIdealPhase(*s, 0, core::kScreenGridN);
      response::ComputeIdealDelay(*s, 0, core::kScreenGridN);
    });
    benchmark::DoNotOptimize(s->idealCurves);
  }
}
BENCHMARK(BM_FrequencyCurvesFiveSlots)->Arg(0)->Arg(2);  // lowpass, bandpass defaults

void BM_TimeCurvesFiveSlots(benchmark::State& bs) {
  auto s = Designed(static_cast<core::FilterKind>(bs.range(0)));
  for (auto _ : bs) {
    ForEachSlot(*s, [&] {
      response::ComputeStepResponse(*s, 0, core::kScreenGridN);
      response::ComputeImpulseResponse(*s, 0, core::kScreenGridN);
    });
    benchmark::DoNotOptimize(s->idealCurves);
  }
}
BENCHMARK(BM_TimeCurvesFiveSlots)->Arg(0)->Arg(2);

}  // namespace
