#include "response/ResponseSetup.h"

#include <cmath>

#include "core/MathHelpers.h"
#include "response/IdealResponse.h"
#include "response/TimeResponse.h"

namespace tavrin::response {

using core::DesignState;
using core::FilterKind;

void SetUpResponseAxes(DesignState& s) {
  const bool lowOrHigh = s.spec.kind == FilterKind::Lowpass || s.spec.kind == FilterKind::Highpass;
  double start = lowOrHigh ? 0.1 * s.spec.wpb : 0.5 * s.spec.w0;
  double stop = lowOrHigh ? 10 * s.spec.wpb : 2 * s.spec.w0;
  if (s.frequencyUnit == core::FrequencyUnit::Hz) {
    start /= core::kTwoPi;
    stop /= core::kTwoPi;
  }
  double m = start;
  int e = 0;
  while (m >= 10) {
    m /= 10;
    ++e;
  }
  while (m < 0.99999 && m != 0) {
    m *= 10;
    --e;
  }
  core::IdealAxes& ax = s.idealAxes;
  ax.freqStart = std::trunc(m * 1.001) * core::Pow10(e);
  ax.freqStop = stop;
  ax.freqLimitLow = core::Pow10(e - 2);
  ax.freqLimitHigh = core::Pow10(e + 3);
  s.finalAxes.freqStart = ax.freqStart;
  s.finalAxes.freqStop = ax.freqStop;
  s.finalAxes.freqLimitLow = ax.freqLimitLow;
  s.finalAxes.freqLimitHigh = ax.freqLimitHigh;
  ComputeFrequencyGrid(s);
  DefaultTimeAxis(s);
  ComputeTimeGrid(s);
}

void StoreGainLevel(DesignState& s) {
  s.idealAxes.level3dBVv = s.spec.overallGain / std::sqrt(2.0);
  s.idealAxes.level3dBDb = 20 * core::Log10(s.idealAxes.level3dBVv);
}

void ComputeSlotIdealGain(DesignState& s, int slot) {
  core::SetCurrentSlot(s, slot);
  ComputeIdealGain(s, 0, core::kScreenGridN);
  if (!s.allPole) MarkTransmissionZeros(s);
}

approx::CalculateHooks ResponseHooks(approx::CalculateHooks hooks) {
  hooks.setUpResponseAxes = SetUpResponseAxes;
  hooks.storeGainLevel = StoreGainLevel;
  hooks.computeIdealGain = ComputeSlotIdealGain;
  return hooks;
}

}  // namespace tavrin::response
