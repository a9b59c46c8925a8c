// The cost of one whole Calculate: entries parsed, five slots designed and transformed,
// the results table built (the Bessel root table read from its file, as every Calculate
// does).
#include <benchmark/benchmark.h>

#include <memory>

#include "approx/BesselRootTable.h"
#include "approx/Calculate.h"

namespace {

using namespace tavrin;

approx::CalculateRequest Request(core::FilterKind kind) {
  approx::CalculateRequest r;
  r.entries = approx::DefaultEntries(kind, core::FrequencyUnit::Hz, false);
  r.besselTable = approx::DefaultBesselRootTablePath();
  return r;
}

void Run(benchmark::State& bs, const approx::CalculateRequest& request) {
  auto state = std::make_unique<core::DesignState>();
  for (auto _ : bs) {
    const approx::CalculateOutcome out = approx::Calculate(*state, request);
    if (out.status != approx::CalculateStatus::Completed) bs.SkipWithError("Calculate did not complete");
    benchmark::DoNotOptimize(state->results);
  }
}

// The entry window's lowpass defaults: 0.5 dB / 30 dB, 1 kHz / 2 kHz.
void BM_CalculateTypicalLowpass(benchmark::State& bs) {
  Run(bs, Request(core::FilterKind::Lowpass));
}
BENCHMARK(BM_CalculateTypicalLowpass);

// A bandpass forced to final order 20: every slot has ten prototype pairs to transform.
void BM_CalculateBandpassOrder20(benchmark::State& bs) {
  approx::CalculateRequest r = Request(core::FilterKind::Bandpass);
  r.entries.forceOrder = true;
  r.entries.order = "20";
  Run(bs, r);
}
BENCHMARK(BM_CalculateBandpassOrder20);

// A computed bandpass that lands on final order 20 for Butterworth (prototype order 10).
void BM_CalculateBandpassComputed(benchmark::State& bs) {
  approx::CalculateRequest r = Request(core::FilterKind::Bandpass);
  r.entries.asb = "60";
  r.entries.stop = "2";
  Run(bs, r);
}
BENCHMARK(BM_CalculateBandpassComputed);

}  // namespace
