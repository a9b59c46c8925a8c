#include "response/PointCalculator.h"

#include <cmath>

#include "core/MathHelpers.h"
#include "core/NumberFormat.h"
#include "response/IdealResponse.h"
#include "response/TimeResponse.h"

namespace tavrin::response {

using core::DesignState;
using core::FormatScientific;

namespace {

std::string ValueLine(const core::CurveRecord& c, ResponseTab tab, const PointOptions& o) {
  switch (tab) {
    case ResponseTab::Gain:
      return o.gainInDb ? FormatScientific(c.gainDb, 8, 7) + "  dB" : FormatScientific(c.gainVv, 8, 7) + "  V/V";
    case ResponseTab::Phase: {
      const double lag = o.phaseInDegrees ? c.phaseLag : c.phaseLag * core::kPi / 180;
      const std::string unit = o.phaseInDegrees ? "  deg" : "  rad";
      // The display shows the phase, the negated lag.
      return (lag > 0 ? "-" + FormatScientific(lag, 8, 7) : FormatScientific(-lag, 8, 7)) + unit;
    }
    case ResponseTab::Delay:
      return FormatScientific(c.delay, 8, 7) + "  sec";
    case ResponseTab::Step:
      return FormatScientific(c.step, 8, 7) + "  volts";
    case ResponseTab::Impulse:
      return FormatScientific(c.impulse, 8, 7) + "  volts";
  }
  return std::string();
}

void EvaluateAtPointZero(DesignState& s, ResponseTab tab, const PointOptions& o) {
  const bool user = s.spec.kind == core::FilterKind::UserDefined;
  switch (tab) {
    case ResponseTab::Gain:
      if (user && o.userDefinedGain)
        o.userDefinedGain(s);
      else
        ComputeIdealGain(s, 0, 0);
      break;
    case ResponseTab::Phase:
      ComputeIdealPhase(s, 0, 0);
      break;
    case ResponseTab::Delay:
      ComputeIdealDelay(s, 0, 0);
      break;
    case ResponseTab::Step:
      ComputeStepResponse(s, 0, 0);
      break;
    case ResponseTab::Impulse:
      ComputeImpulseResponse(s, 0, 0);
      break;
  }
}

bool IsTimeTab(ResponseTab tab) { return tab == ResponseTab::Step || tab == ResponseTab::Impulse; }

}  // namespace

std::vector<PointLine> EvaluatePoint(DesignState& s, ResponseTab tab, double value, const PointOptions& o) {
  const core::FrequencyPoint savedPoint = s.frequencyGrid[0];
  const double savedTime = s.timeGrid[0];
  const std::int16_t savedCurrent = s.currentSlot;
  const bool savedAllPole = s.allPole;
  if (IsTimeTab(tab)) {
    s.timeGrid[0] = value * core::Pow10(s.idealAxes.timeExponent);
  } else {
    const bool hz = s.frequencyUnit == core::FrequencyUnit::Hz;
    s.frequencyGrid[0].rad = hz ? value * core::kTwoPi : value;
    s.frequencyGrid[0].hz = hz ? value : value / core::kTwoPi;
  }

  std::vector<PointLine> lines;
  const bool user = s.spec.kind == core::FilterKind::UserDefined;
  for (int slot = 0; slot <= s.lastSlot; ++slot) {
    const bool shown = user ? slot == 0 : (o.viewAll ? core::SlotHasResult(s, slot) : slot == s.chosenSlot);
    if (!shown) continue;
    core::SetCurrentSlot(s, slot);
    const core::CurveRecord saved = s.idealCurves[slot][0];
    EvaluateAtPointZero(s, tab, o);
    lines.push_back(PointLine{slot, ValueLine(s.idealCurves[slot][0], tab, o)});
    s.idealCurves[slot][0] = saved;
  }

  s.frequencyGrid[0] = savedPoint;
  s.timeGrid[0] = savedTime;
  s.currentSlot = savedCurrent;
  s.allPole = savedAllPole;
  return lines;
}

double FrequencyAtPixel(double x, double left, double width, double start, double stop, bool logarithmic) {
  const double fraction = (x - left) / width;
  if (logarithmic) return core::Pow10(core::Log10(start) + fraction * (core::Log10(stop) - core::Log10(start)));
  return start + fraction * (stop - start);
}

double TimeAtPixel(double x, double left, double width, double span) { return (x - left) / width * span; }

std::string FrequencyEntryText(double f) {
  const int decimals = f >= 1000 ? 0 : f >= 100 ? 1 : f >= 10 ? 2 : f >= 1 ? 3 : 4;
  return core::FormatFixed(f, 3, decimals);
}

std::string TimeEntryText(double t) { return core::FormatFixed(t, 3, 3); }

std::string PointCaption(const DesignState& s, ResponseTab tab) {
  if (IsTimeTab(tab)) return "Time (X1e" + std::to_string(s.idealAxes.timeExponent) + " s)";
  return s.frequencyUnit == core::FrequencyUnit::Hz ? "Frequency (Hz):" : "Frequency (rad/s):";
}

}  // namespace tavrin::response
