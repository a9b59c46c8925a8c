#include "response/IdealResponse.h"

#include <algorithm>
#include <cmath>

#include "core/MathHelpers.h"
#include "response/TimeResponse.h"

namespace tavrin::response {

using core::ApproxResult;
using core::DesignState;
using core::FilterKind;
using core::kPi;
using core::Log10;
using core::Pow10;

namespace {

bool IsAllPole(int slot) {
  const auto a = static_cast<core::Approximation>(slot);
  return a == core::Approximation::Butterworth || a == core::Approximation::Chebyshev ||
         a == core::Approximation::Bessel;
}

// The all-pole prototypes keep their gain constant normalized: each pole pair brings
// back the passband scale (wp^2 for a lowpass, the bandwidth for a bandpass).
double PairScale(const DesignState& s, int slot) {
  if (!IsAllPole(slot)) return 1.0;
  if (s.spec.kind == FilterKind::Lowpass) return s.spec.wpb * s.spec.wpb;
  if (s.spec.kind == FilterKind::Bandpass) return s.spec.bp;
  return 1.0;
}

double SinglePoleScale(const DesignState& s, int slot) {
  return IsAllPole(slot) && s.spec.kind == FilterKind::Lowpass ? s.spec.wpb : 1.0;
}

}  // namespace

// Only what a grid run may widen; the graph window resets the limits when it needs to.
void RangeGainAxes(DesignState& s, int slot, int first, int last) {
  core::IdealAxes& ax = s.idealAxes;
  double vmax = 0;
  for (int i = first; i <= last; ++i) vmax = std::max(vmax, CurveAt(s, slot, i).gainVv);
  if (vmax <= ax.vvTop) return;
  double m = 1.05 * vmax;
  int e = 0;
  while (m < 1) {
    m *= 10;
    --e;
  }
  while (m > 9.9999999) {
    m *= 0.1;
    ++e;
  }
  const double tenM = 10 * m;
  int n = static_cast<int>(tenM);
  if (tenM > n) ++n;
  if (n > 10 && n <= 20) {
    if (n % 2 == 1) ++n;
  } else if (n > 20 && n <= 50) {
    n = (n + 4) / 5 * 5;
  } else if (n > 50 && n < 100) {
    n = (n + 9) / 10 * 10;
  }
  ax.vvTop = n / 10.0 * Pow10(e);
  ax.vvBottom = 0;
  ax.dbTop = std::ceil(20 * Log10(ax.vvTop) / 10) * 10;
  // A user-defined filter has no stopband attenuation to show: it gets 40 dB, as a forced order does.
  const bool fixedSpan = s.spec.forceOrder || s.spec.kind == FilterKind::UserDefined;
  ax.dbBottom = fixedSpan ? ax.dbTop - 40 : -s.spec.asb - 10;
  ax.dbBottom = std::max(ax.dbBottom, -180.0);
}


core::CurveRecord& CurveAt(DesignState& s, int slot, int i) {
  return s.printResolution ? s.printCurves[static_cast<std::size_t>(i)] : s.idealCurves[slot][i];
}

const core::CurveRecord& CurveAt(const DesignState& s, int slot, int i) {
  return s.printResolution ? s.printCurves[static_cast<std::size_t>(i)] : s.idealCurves[slot][i];
}

void EnterPrintResolution(DesignState& s, int n) {
  s.gridN = static_cast<std::int16_t>(std::clamp(n, 1, core::kMaxPrintGridN));
  s.printCurves.assign(static_cast<std::size_t>(s.gridN) + 1, core::CurveRecord{});
  s.printResolution = true;
  ComputeFrequencyGrid(s);
  ComputeTimeGrid(s);
}

void LeavePrintResolution(DesignState& s) {
  s.printResolution = false;
  s.printCurves.clear();
  s.printCurves.shrink_to_fit();
  s.gridN = core::kScreenGridN;
  ComputeFrequencyGrid(s);
  ComputeTimeGrid(s);
}

void ComputeFrequencyGrid(DesignState& s) {
  const core::IdealAxes& ax = s.idealAxes;
  const int n = s.gridN;
  const double fa = ax.freqStart, fb = ax.freqStop;
  const bool hz = s.frequencyUnit == core::FrequencyUnit::Hz;
  for (int i = 0; i <= n; ++i) {
    const double f = ax.logarithmic ? fa * Pow10((Log10(fb) - Log10(fa)) * i / n) : fa + (fb - fa) * i / n;
    core::FrequencyPoint& p = s.frequencyGrid[static_cast<std::size_t>(i)];
    p.hz = hz ? f : f / core::kTwoPi;
    p.rad = hz ? core::kTwoPi * f : f;
  }
}

double SectionGainAt(const core::Stage& st, double w) {
  if (st.type == core::ptFLP) return st.To * st.p / std::sqrt(w * w + st.p * st.p);
  if (st.type == core::ptFHP) return st.To * w / std::sqrt(w * w + st.p * st.p);
  const double wp2 = st.wp * st.wp, damping = st.wp * w / st.Qp;
  const double d = std::sqrt((wp2 - w * w) * (wp2 - w * w) + damping * damping);
  switch (st.type) {
    case core::ptSLP:
      return st.To * wp2 / d;
    case core::ptSHP:
      return st.To * w * w / d;
    case core::ptSBP:
      return st.To * damping / d;
    default:
      return st.To * std::fabs(st.wz * st.wz - w * w) / d;
  }
}

double IdealGainAt(const DesignState& s, int slot, double w) {
  if (s.spec.kind == FilterKind::UserDefined && slot == 0) {
    // Its K and G are not the constant of a product of roots: each section keeps its own scale.
    double v = 1.0;
    for (int k = 1; k <= s.stageCount && k <= core::kMaxStages; ++k)
      v *= SectionGainAt(s.stages[static_cast<std::size_t>(k)], w);
    return v;
  }
  const ApproxResult& r = s.results[slot];
  const double w2 = w * w;
  double h = r.gain * s.spec.overallGain;
  const double scale = PairScale(s, slot);
  for (int k = 1; k <= r.polePairs; ++k) {
    const double a = s.polePairs[slot][k].b1, b = s.polePairs[slot][k].b0;
    h /= std::sqrt(w2 * (w2 + a * a - 2 * b) + b * b);
    h *= scale;
    if (k <= r.zeroPairs) h *= std::fabs(s.zeroPairs[slot][k].wz2 - w2);
  }
  if (r.zeroPairs > r.polePairs) h *= std::fabs(s.zeroPairs[slot][r.zeroPairs].wz2 - w2);
  if (r.hasRealPole && !r.hasSecondRealPole) {
    h /= std::sqrt(w2 + r.realPole * r.realPole);
    h *= SinglePoleScale(s, slot);
  }
  if (r.hasRealPole && r.hasSecondRealPole)
    h /= std::sqrt(w2 + r.realPole * r.realPole) * std::sqrt(w2 + r.secondRealPole * r.secondRealPole);
  if (r.hasSingleZero) h *= w;
  return h;
}

double IdealPhaseLagAt(const DesignState& s, int slot, double w) {
  const ApproxResult& r = s.results[slot];
  double phi = 0;
  for (int k = 1; k <= r.polePairs; ++k) {
    const double sigma = s.poleRoots[slot][k].sigma, omega = s.poleRoots[slot][k].omega;
    phi += std::atan((w - omega) / sigma) + std::atan((w + omega) / sigma);
  }
  for (int k = 1; k <= r.zeroPairs; ++k)
    if (s.zeroRoots[slot][k].wz < w) phi -= kPi;
  if (r.hasRealPole) phi += std::atan(w / r.realPole);
  if (r.hasRealPole && r.hasSecondRealPole) phi += std::atan(w / r.secondRealPole);
  phi -= core::SingleZerosAtOrigin(s, slot) * kPi / 2;
  return phi * 180 / kPi;
}

double IdealDelayAt(const DesignState& s, int slot, double w) {
  const ApproxResult& r = s.results[slot];
  double tau = 0;
  for (int k = 1; k <= r.polePairs; ++k) {
    const double sigma = s.poleRoots[slot][k].sigma, omega = s.poleRoots[slot][k].omega;
    const double lo = (w - omega) / sigma, hi = (w + omega) / sigma;
    tau += (1 / sigma) / (1 + lo * lo) + (1 / sigma) / (1 + hi * hi);
  }
  const auto single = [w](double p) { return (1 / p) / (1 + w * w / (p * p)); };
  if (r.hasRealPole) tau += single(r.realPole);
  if (r.hasRealPole && r.hasSecondRealPole) tau += single(r.secondRealPole);
  return tau;
}

void ComputeIdealGain(DesignState& s, int first, int last) {
  const int slot = s.currentSlot;
  for (int i = first; i <= last; ++i) {
    core::CurveRecord& c = CurveAt(s, slot, i);
    c.gainVv = IdealGainAt(s, slot, s.frequencyGrid[static_cast<std::size_t>(i)].rad);
    c.gainDb = c.gainVv > 1e-20 ? 20 * Log10(c.gainVv) : kGainFloorDb;
  }
  if (first != last && !s.idealAxes.rangeLocked) RangeGainAxes(s, slot, first, last);
}

void ComputeIdealPhase(DesignState& s, int first, int last) {
  const int slot = s.currentSlot;
  for (int i = first; i <= last; ++i)
    CurveAt(s, slot, i).phaseLag = IdealPhaseLagAt(s, slot, s.frequencyGrid[static_cast<std::size_t>(i)].rad);
  if (first == last || last > s.gridN) return;
  double top = 0, bottom = 1000;
  for (int i = first; i <= last; ++i) {
    top = std::max(top, CurveAt(s, slot, i).phaseLag);
    bottom = std::min(bottom, CurveAt(s, slot, i).phaseLag);
  }
  core::IdealAxes& ax = s.idealAxes;
  ax.phaseTop = std::ceil(std::max(ax.phaseTop, top) / 180) * 180;
  const double b = std::min(ax.phaseBottom, bottom);
  ax.phaseBottom = b >= 0 ? std::trunc(b / 180) * 180 : std::floor(b / 180) * 180;
}

void ComputeIdealDelay(DesignState& s, int first, int last) {
  const int slot = s.currentSlot;
  for (int i = first; i <= last; ++i)
    CurveAt(s, slot, i).delay = IdealDelayAt(s, slot, s.frequencyGrid[static_cast<std::size_t>(i)].rad);
  if (first == last || last > s.gridN) return;
  double dmax = 0;
  for (int i = first; i <= last; ++i) dmax = std::max(dmax, CurveAt(s, slot, i).delay);
  core::IdealAxes& ax = s.idealAxes;
  if (dmax <= ax.delayTop) return;
  double x = dmax;
  int e = 0;
  while (x <= 1) {
    x *= 10;
    --e;
  }
  // A delay above 10 s stays in seconds: the loop leaves e at 0 and the step is 1.
  const double step = x <= 2 ? 0.2 : x <= 5 ? 0.5 : 1.0;
  ax.delayTop = (std::trunc(x / step) + 1) * step * Pow10(e);
  ax.delayExponent = static_cast<std::int16_t>(e);
}

void MarkTransmissionZeros(DesignState& s) {
  const int slot = s.currentSlot;
  constexpr int n = core::kScreenGridN;
  if (s.gridN != n) return;  // the marks belong to the screen's grid
  const double w0 = s.frequencyGrid[0].rad, wn = s.frequencyGrid[n].rad;
  const ApproxResult& r = s.results[slot];
  for (int k = 1; k <= r.zeroPairs; ++k) {
    const double wz = s.zeroRoots[slot][k].wz;
    if (wz == 0 || wz < w0 || wz > wn) continue;
    const double pos = s.idealAxes.logarithmic ? n * (Log10(wz) - Log10(w0)) / (Log10(wn) - Log10(w0))
                                               : n * (wz - w0) / (wn - w0);
    const int i = std::clamp(static_cast<int>(std::lround(pos)), 0, n);
    CurveAt(s, slot, i).gainVv = 0;
    CurveAt(s, slot, i).gainDb = kNotchDb;
  }
}

}  // namespace tavrin::response
