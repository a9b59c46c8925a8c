#include "response/TimeResponse.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/MathHelpers.h"
#include "response/IdealResponse.h"

namespace tavrin::response {

using core::ApproxResult;
using core::ATan2;
using core::DesignState;
using core::FilterKind;
using core::kPi;
using core::Pow10;

namespace {

// Terms that have decayed by this many time constants are left out.
constexpr double kDecayLimit = 50.0;

bool IsAllPole(int slot) {
  const auto a = static_cast<core::Approximation>(slot);
  return a == core::Approximation::Butterworth || a == core::Approximation::Chebyshev ||
         a == core::Approximation::Bessel;
}

struct Layout {
  int pairs = 0;          // entries 1..pairs
  int firstSingle = 0;    // entry of the first single pole, 0 when none
  int singles = 0;        // number of single poles
  int last = 0;           // last entry in use
};

Layout WorkingEntries(DesignState& s, int slot) {
  const ApproxResult& r = s.results[slot];
  Layout l;
  l.pairs = std::clamp<int>(r.polePairs, 0, core::kMaxEntries);
  auto& roots = s.poleRoots[slot];
  roots[0].sigma = 0;
  roots[0].omega = 0;
  l.last = l.pairs;
  const auto append = [&](double p) {
    if (l.last >= core::kMaxEntries) return;
    ++l.last;
    roots[l.last].sigma = p;
    roots[l.last].omega = 0;
    if (l.firstSingle == 0) l.firstSingle = l.last;
    ++l.singles;
  };
  if (r.hasRealPole) append(r.realPole);
  if (r.hasRealPole && r.hasSecondRealPole) append(r.secondRealPole);
  return l;
}

// Tick of an axis whose span has been brought to (1, 10].
double TickStep(double x) {
  if (x == 1) return 0.1;
  if (x <= 2) return 0.2;
  if (x <= 5) return 0.5;
  return 1.0;
}

void RangeStepAxis(DesignState& s, int slot, int first, int last) {
  double ymax = 0, ymin = 100;
  for (int i = first; i <= last; ++i) {
    ymax = std::max(ymax, CurveAt(s, slot, i).step);
    ymin = std::min(ymin, CurveAt(s, slot, i).step);
  }
  core::IdealAxes& ax = s.idealAxes;
  if (ymax - ymin <= ax.stepMax - ax.stepMin) return;
  double x = ymax - ymin;
  int e = 0;
  while (x <= 1) {
    x *= 10;
    --e;
  }
  const double tick = TickStep(x) * Pow10(e);
  ax.stepMax = (std::trunc(ymax / tick) + 1) * tick;
  ax.stepMin = (std::trunc(ymin / tick) - (ymin != 0 ? 1 : 0)) * tick;
  if (ax.stepMin > 0) ax.stepMin = 0;
}

void RangeImpulseAxis(DesignState& s, int slot, int first, int last) {
  double hmax = 0, hmin = 1000;
  for (int i = first; i <= last; ++i) {
    hmax = std::max(hmax, CurveAt(s, slot, i).impulse);
    hmin = std::min(hmin, CurveAt(s, slot, i).impulse);
  }
  core::IdealAxes& ax = s.idealAxes;
  const double unit = Pow10(ax.impulseExponent);
  if (!(hmax > ax.impulseMax * unit || hmin < ax.impulseMin * unit)) return;
  double x = hmax - hmin;
  int e = 0;
  while (x > 10) {
    x *= 0.1;
    ++e;
  }
  while (x <= 1) {
    x *= 10;
    --e;
  }
  const double step = TickStep(x);
  const double tick = step * Pow10(e);
  ax.impulseExponent = static_cast<std::int16_t>(e);
  ax.impulseMax = (std::trunc(hmax / tick) + 1) * step;
  ax.impulseMin = std::min(0.0, (std::trunc(hmin / tick) - (hmin != 0 ? 1 : 0)) * step);
}

}  // namespace

void ComputeTimeGrid(DesignState& s) {
  const int n = s.gridN;
  const double dt = s.idealAxes.timeSpan * Pow10(s.idealAxes.timeExponent) / n;
  for (int i = 0; i <= n; ++i) s.timeGrid[static_cast<std::size_t>(i)] = i * dt;
}

int ComputeResidues(DesignState& s) {
  const int slot = s.currentSlot;
  const ApproxResult& r = s.results[slot];
  const Layout l = WorkingEntries(s, slot);
  auto& roots = s.poleRoots[slot];
  const double pairScale = !IsAllPole(slot)                       ? 1.0
                           : s.spec.kind == FilterKind::Lowpass   ? s.spec.wpb * s.spec.wpb
                           : s.spec.kind == FilterKind::Bandpass  ? s.spec.bp
                                                                  : 1.0;
  const double singleScale = IsAllPole(slot) && s.spec.kind == FilterKind::Lowpass ? s.spec.wpb : 1.0;
  const int zeroPairs = std::clamp<int>(r.zeroPairs, 0, core::kMaxEntries);

  for (int q = 0; q <= l.last; ++q) {
    const double sq = roots[q].sigma, wq = roots[q].omega;
    double mag = r.gain, ang = 0;
    if (r.hasSingleZero) {
      const double z = r.singleZero;
      if (q == 0 && sq == 0 && z == 0) {
        mag = 0;  // the zero at the origin cancels the step's pole
      } else {
        mag *= std::hypot(z - sq, wq);
        ang += ATan2(wq, z - sq);
      }
    }
    const auto zeroFactor = [&](int k) {
      const double wz = s.zeroRoots[slot][k].wz;
      mag *= std::hypot(sq, wq - wz) * std::hypot(sq, wq + wz);
      ang += ATan2(wq - wz, -sq) + ATan2(wq + wz, -sq);
    };
    for (int k = 1; k <= l.pairs; ++k) {
      const double sk = roots[k].sigma, wk = roots[k].omega;
      if (k != q) {
        mag /= std::hypot(sk - sq, wk - wq) * std::hypot(sk - sq, wk + wq);
        ang -= ATan2(wq - wk, sk - sq) + ATan2(wq + wk, sk - sq);
      } else {
        mag /= 2 * wq;
        ang -= kPi / 2;
      }
      if (k <= zeroPairs) zeroFactor(k);
      mag *= pairScale;
    }
    // A zero pair without a partner pole pair belongs to the numerator all the same.
    for (int k = l.pairs + 1; k <= zeroPairs; ++k) zeroFactor(k);
    if (q != 0) {
      mag /= std::hypot(sq, wq);
      ang -= ATan2(wq, -sq);
    }
    for (int m = l.firstSingle; l.singles > 0 && m < l.firstSingle + l.singles; ++m) {
      const double p = roots[m].sigma;
      if (m != q) {
        mag /= std::hypot(p - sq, wq);
        ang -= ATan2(wq, p - sq);
      }
      mag *= singleScale;
    }
    roots[q].residueMagnitude = mag;
    roots[q].residueAngle = ang;
  }
  return l.last;
}

void ComputeStepResponse(DesignState& s, int first, int last) {
  const int slot = s.currentSlot;
  Layout l;
  l.last = ComputeResidues(s);
  l.pairs = std::clamp<int>(s.results[slot].polePairs, 0, core::kMaxEntries);
  const auto& roots = s.poleRoots[slot];
  for (int i = first; i <= last; ++i) {
    const double t = s.timeGrid[static_cast<std::size_t>(i)];
    double y = roots[0].residueMagnitude * std::cos(roots[0].residueAngle);
    for (int q = 1; q <= l.last; ++q) {
      const double sigma = roots[q].sigma;
      if (sigma * t >= kDecayLimit) continue;
      if (q <= l.pairs)
        y += 2 * roots[q].residueMagnitude * std::exp(-sigma * t) * std::cos(roots[q].omega * t + roots[q].residueAngle);
      else
        y += roots[q].residueMagnitude * std::exp(-sigma * t) * std::cos(roots[q].residueAngle);
    }
    CurveAt(s, slot, i).step = y * s.spec.overallGain;
  }
  if (first != last) RangeStepAxis(s, slot, first, last);
}

void ComputeImpulseResponse(DesignState& s, int first, int last) {
  const int slot = s.currentSlot;
  Layout l;
  l.last = ComputeResidues(s);
  l.pairs = std::clamp<int>(s.results[slot].polePairs, 0, core::kMaxEntries);
  const auto& roots = s.poleRoots[slot];
  for (int i = first; i <= last; ++i) {
    const double t = s.timeGrid[static_cast<std::size_t>(i)];
    double h = 0;
    for (int q = 1; q <= l.last; ++q) {
      const double sigma = roots[q].sigma;
      if (sigma * t >= kDecayLimit) continue;
      const double decay = std::exp(-sigma * t);
      if (q <= l.pairs) {
        const double arg = roots[q].omega * t + roots[q].residueAngle;
        h -= 2 * roots[q].residueMagnitude * decay * (sigma * std::cos(arg) + roots[q].omega * std::sin(arg));
      } else {
        h -= roots[q].residueMagnitude * sigma * decay * std::cos(roots[q].residueAngle);
      }
    }
    CurveAt(s, slot, i).impulse = h * s.spec.overallGain;
  }
  if (first != last) RangeImpulseAxis(s, slot, first, last);
}

void DefaultTimeAxis(DesignState& s) {
  double longest = 0;
  for (int slot = 0; slot <= s.lastSlot; ++slot) {
    if (!core::SlotHasResult(s, slot)) continue;
    const ApproxResult& r = s.results[slot];
    const int p = r.polePairs;
    double ta = 0;
    if (p >= 1) {
      const double sigma = s.poleRoots[slot][std::min(p, core::kMaxEntries)].sigma;
      ta = (199.0 - 19.0 * p) / ((p <= 2 ? 12.0 : 18.0) * sigma);
    } else if (r.realPole > 0) {
      ta = 40 / r.realPole;
    }
    longest = std::max(longest, ta);
  }
  double x = longest / 3;
  int e = 0;
  if (x > 0) {
    while (x <= 1) {
      x *= 10;
      --e;
    }
    while (x > 10) {
      x *= 0.1;
      ++e;
    }
  }
  core::IdealAxes& ax = s.idealAxes;
  ax.timeExponent = static_cast<std::int16_t>(e);
  if (x <= 2) {
    ax.timeMax = 2;
    ax.timeTick = 0.2;
  } else if (x <= 5) {
    ax.timeMax = 5;
    ax.timeTick = 0.5;
  } else {
    ax.timeMax = 10;
    ax.timeTick = 1;
  }
  ax.timeSpan = 0.4 * ax.timeMax;
}

std::string TimeAxisTitle(const DesignState& s) {
  return "Time (X1e" + std::to_string(s.idealAxes.timeExponent) + " s)";
}

std::string ImpulseAxisTitle(const DesignState& s) {
  return "Impulse Response (X1e" + std::to_string(s.idealAxes.impulseExponent) + " volts)";
}

void ResetStepAxis(DesignState& s) {
  s.idealAxes.stepMax = 0;
  s.idealAxes.stepMin = 0;
}

void ResetImpulseAxis(DesignState& s) {
  s.idealAxes.impulseMax = -10000;
  s.idealAxes.impulseMin = 1000;
  s.idealAxes.impulseExponent = 0;
}

}  // namespace tavrin::response
