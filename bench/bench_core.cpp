// Costs of the helpers every table, report and file goes through.
#include <benchmark/benchmark.h>

#include "core/NumberFormat.h"
#include "core/SixByteReal.h"

namespace {

using namespace tavrin::core;

void BM_FormatScientific(benchmark::State& state) {
  double x = 1234.5;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatScientific(x, 7, 5));
    x *= 1.0001;
  }
}
BENCHMARK(BM_FormatScientific);

void BM_FormatCapacitance(benchmark::State& state) {
  double c = 4.7e-9;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatCapacitance(c));
    c *= 1.0001;
  }
}
BENCHMARK(BM_FormatCapacitance);

void BM_SixByteRoundTrip(benchmark::State& state) {
  double x = 3.14159;
  for (auto _ : state) {
    benchmark::DoNotOptimize(RoundToSixByteReal(x));
    x *= 1.0001;
  }
}
BENCHMARK(BM_SixByteRoundTrip);

}  // namespace
