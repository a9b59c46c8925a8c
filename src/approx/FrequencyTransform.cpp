#include "approx/FrequencyTransform.h"

#include <cmath>

#include "approx/OrderEstimation.h"
#include "core/MathHelpers.h"
#include "core/NumberFormat.h"

namespace tavrin::approx {

using core::Approximation;
using core::FilterKind;

namespace {

constexpr int kInverseChebyshevSlot = static_cast<int>(Approximation::InverseChebyshev);

bool IsAllPole(int slot) {
  const auto a = static_cast<Approximation>(slot);
  return a == Approximation::Butterworth || a == Approximation::Chebyshev || a == Approximation::Bessel;
}

// LP and HP scale: the frequency the prototype's 1 rad/s stands for.
double PrototypeScale(const core::FilterSpec& spec, int slot) {
  switch (static_cast<Approximation>(slot)) {
    case Approximation::InverseChebyshev:
      return spec.wsb;
    case Approximation::Elliptic:
      return std::sqrt(spec.wpb * spec.wsb);
    default:
      return spec.wpb;
  }
}

// The Elliptic slot of order one takes what it shares with the Inverse Chebyshev slot,
// which the same requirements have given order one as well.
bool EllipticCopiesFirstOrder(const core::DesignState& state, int slot) {
  if (static_cast<Approximation>(slot) != Approximation::Elliptic || state.results[slot].order != 1)
    return false;
  const core::ApproxResult& inv = state.results[kInverseChebyshevSlot];
  return !inv.tooHigh && inv.order == (IsBandKind(state.spec.kind) ? 2 : 1);
}

void Lowpass(core::DesignState& state, int slot) {
  core::ApproxResult& r = state.results[slot];
  const double s = PrototypeScale(state.spec, slot);
  const bool allPole = IsAllPole(slot);
  if (r.hasRealPole) {
    r.realPole = s * r.realPoleNorm;
    if (!allPole) r.gain = s * r.gainNorm;
  }
  for (int k = 1; k <= r.polePairs; ++k) {
    core::PolePair& pp = state.polePairs[slot][k];
    pp.b1 = s * pp.b1Norm;
    pp.b0 = s * s * pp.b0Norm;
    pp.w0 = std::sqrt(pp.b0);
    core::PoleRoot& root = state.poleRoots[slot][k];
    root.sigma = s * root.sigmaNorm;
    root.omega = s * root.omegaNorm;
  }
  if (!allPole) {
    for (int k = 1; k <= r.zeroPairs; ++k) {
      state.zeroPairs[slot][k].wz2 = s * s * state.zeroPairs[slot][k].wz2Norm;
      state.zeroRoots[slot][k].wz = s * state.zeroRoots[slot][k].wzNorm;
    }
  }
  if (state.spec.forceOrder && EllipticCopiesFirstOrder(state, slot)) {
    r.realPole = state.results[kInverseChebyshevSlot].realPole;
    r.gain = state.results[kInverseChebyshevSlot].gain;
  }
  if (allPole) {
    r.gainText = AllPoleGainText(r.gainNorm, s, r.order, &r.gainNorm);
  } else {
    r.gainText = core::FormatScientific(r.gain, 7, 5);
  }
}

void Highpass(core::DesignState& state, int slot) {
  core::ApproxResult& r = state.results[slot];
  const double s = PrototypeScale(state.spec, slot);
  const bool allPole = IsAllPole(slot);
  const auto a = static_cast<Approximation>(slot);
  if (r.hasRealPole) {
    r.realPole = s / r.realPoleNorm;
    r.hasSingleZero = true;
    r.singleZero = 0;
    if (state.spec.forceOrder && EllipticCopiesFirstOrder(state, slot))
      r.realPole = state.results[kInverseChebyshevSlot].realPole;
  }
  r.zeroPairs = r.polePairs;
  for (int k = 1; k <= r.polePairs; ++k) {
    core::PolePair& pp = state.polePairs[slot][k];
    pp.b1 = s * pp.b1Norm / pp.b0Norm;
    pp.b0 = s * s / pp.b0Norm;
    pp.w0 = std::sqrt(pp.b0);
    core::PoleRoot& root = state.poleRoots[slot][k];
    root.sigma = s * root.sigmaNorm / pp.b0Norm;
    root.omega = s * root.omegaNorm / pp.b0Norm;
    core::ZeroPair& zp = state.zeroPairs[slot][k];
    core::ZeroRoot& zr = state.zeroRoots[slot][k];
    if (allPole) {
      zp.wz2 = 0;
      zr.wz = 0;
    } else {
      zp.wz2 = s * s / zp.wz2Norm;
      zr.wz = std::sqrt(zp.wz2);
    }
  }
  const bool evenRipple = r.order % 2 == 0 && (a == Approximation::Chebyshev || a == Approximation::Elliptic);
  r.gain = evenRipple ? core::Pow10(-state.spec.apb / 20.0) : 1.0;
  r.gainText.clear();
}

// The prototype's real pole p becomes the last pole entry, s^2 + B p s + w0^2.  A band so
// wide that this factor has real roots (Q below 1/2) keeps them as two real poles, which
// then drop out of the pole-pair count.
void RealPoleToLastEntry(core::DesignState& state, int slot, double p, bool bandstop) {
  core::ApproxResult& r = state.results[slot];
  const core::FilterSpec& spec = state.spec;
  const int n = r.order;
  const double w02 = spec.w0 * spec.w0;
  core::PolePair& pp = state.polePairs[slot][n];
  pp.b1 = spec.bp * p;
  pp.b0 = w02;
  pp.w0 = std::sqrt(pp.b0);
  pp.Q = pp.w0 / pp.b1;
  r.hasRealPole = false;
  r.singleZero = 0;
  if (pp.Q < 0.5) {
    const double half = pp.b1 / 2;
    const double far = half + std::sqrt((half - pp.w0) * (half + pp.w0));
    r.hasRealPole = true;
    r.realPole = pp.b0 / far;
    r.hasSecondRealPole = true;
    r.secondRealPole = far;
  }
  core::ZeroPair& zp = state.zeroPairs[slot][n];
  if (bandstop) {
    zp.wz2 = w02;
  } else {
    zp.wz2 = 0;
    r.hasSingleZero = true;
    r.singleZero = 0;
  }
  state.zeroRoots[slot][n].wz = std::sqrt(zp.wz2);
}

void Band(core::DesignState& state, int slot, bool bandstop) {
  core::ApproxResult& r = state.results[slot];
  const core::FilterSpec& spec = state.spec;
  const auto a = static_cast<Approximation>(slot);
  const bool allPole = IsAllPole(slot);
  const int n = r.order;
  const int pairs = r.polePairs;
  const double bw = spec.bp;
  const double w02 = spec.w0 * spec.w0;
  const double sel = spec.selectivity;
  const bool copyFirstOrder = EllipticCopiesFirstOrder(state, slot);
  auto& pp = state.polePairs[slot];
  auto& zp = state.zeroPairs[slot];

  // 1. Both zero-carrying prototypes move to a passband edge of 1 rad/s.
  if (copyFirstOrder) {
    r.realPoleNorm = state.results[kInverseChebyshevSlot].realPoleNorm;
    r.gain = state.results[kInverseChebyshevSlot].gain;
  } else if (a == Approximation::InverseChebyshev || a == Approximation::Elliptic) {
    const double f = a == Approximation::InverseChebyshev ? sel : std::sqrt(sel);
    r.realPoleNorm *= f;
    for (int k = 1; k <= pairs; ++k) {
      pp[k].b1Norm *= f;
      pp[k].b0Norm *= f * f;
      zp[k].wz2Norm *= f * f;
    }
    if (n % 2 != 0) r.gain *= f * bw;
  }

  // 2. A bandstop is the bandpass of the inverted (highpass) prototype.  The copied first
  // order pole was inverted by the Inverse Chebyshev slot already.
  if (bandstop) {
    if (r.hasRealPole && !copyFirstOrder) r.realPoleNorm = 1.0 / r.realPoleNorm;
    for (int k = 1; k <= pairs; ++k) {
      pp[k].b1Norm = pp[k].b1Norm / pp[k].b0Norm;
      pp[k].b0Norm = 1.0 / pp[k].b0Norm;
      if (!allPole) zp[k].wz2Norm = 1.0 / zp[k].wz2Norm;
    }
  }

  // 3. The real pole becomes the last pole entry.
  if (r.hasRealPole) RealPoleToLastEntry(state, slot, r.realPoleNorm, bandstop);

  // 4. and 5. Each prototype pair gives two pairs of equal Q, arithmetically symmetric
  // around w0 on a log scale (omega1 * omega2 = w0^2), and each prototype zero two zeros.
  for (int k = 1; k <= pairs; ++k) {
    const int mirror = 2 * pairs + 1 - k;
    const double beta1 = pp[k].b1Norm;
    const double beta0 = pp[k].b0Norm;
    const double x = bw * bw * beta0 + 4.0 * w02;
    const double y = (spec.w0 * bw * beta1) * (spec.w0 * bw * beta1);
    const double root = std::sqrt(x * x / 4.0 - y);
    const double z = x / 2.0 + root;
    // z/4 - w0^2 written so that a narrow band does not lose it to cancellation.
    const double zMinus =
        bw * bw *
        (beta0 / 2.0 +
         (bw * bw * beta0 * beta0 / 4.0 + w02 * (2.0 * beta0 - beta1 * beta1)) / (root + 2.0 * w02));
    const double omega1 = std::sqrt(z) / 2.0 + std::sqrt(zMinus) / 2.0;
    const double omega2 = w02 / omega1;
    const double q = (omega1 + omega2) / (bw * beta1);
    pp[k].b1 = omega1 / q;
    pp[k].b0 = omega1 * omega1;
    pp[k].w0 = std::sqrt(pp[k].b0);
    pp[k].Q = q;
    pp[mirror].b1 = omega2 / q;
    pp[mirror].b0 = omega2 * omega2;
    pp[mirror].w0 = omega2;
    pp[mirror].Q = q;

    if (allPole) {
      zp[k].wz2 = zp[mirror].wz2 = bandstop ? w02 : 0.0;
    } else {
      // X = 1 + d, Y = sqrt(X^2 - 1) = sqrt(d (2 + d)), X - Y = 1 / (X + Y).
      const double d = bw * bw * zp[k].wz2Norm / (2.0 * w02);
      const double sum = 1.0 + d + std::sqrt(d * (2.0 + d));
      zp[k].wz2 = w02 * sum;
      zp[mirror].wz2 = w02 / sum;
    }
  }

  // 6. Root forms.
  for (int k = 1; k <= 2 * pairs; ++k) {
    core::PoleRoot& pr = state.poleRoots[slot][k];
    pr.sigma = pp[k].b1 / 2.0;
    pr.omega = std::sqrt(pp[k].b0 - pr.sigma * pr.sigma);
    state.zeroRoots[slot][k].wz = std::sqrt(zp[k].wz2);
  }
  if (n % 2 != 0 && !r.hasSecondRealPole) {
    core::PoleRoot& pr = state.poleRoots[slot][n];
    pr.sigma = pp[n].b1 / 2.0;
    pr.omega = std::sqrt(pp[n].b0 - pr.sigma * pr.sigma);
  }

  // 7. Zero counts.
  if (bandstop) {
    r.zeroPairs = static_cast<std::int16_t>(n);
  } else {
    r.zeroPairs = static_cast<std::int16_t>(allPole ? pairs : 2 * pairs);
  }

  // 8. and 9. Gain.
  if (bandstop) {
    const bool evenRipple = n % 2 == 0 && (a == Approximation::Chebyshev || a == Approximation::Elliptic);
    r.gain = evenRipple ? core::Pow10(-spec.apb / 20.0) : 1.0;
  }
  if (allPole && !bandstop) {
    r.gainText = AllPoleGainText(r.gainNorm, bw, n, &r.gainNorm);
  } else {
    r.gainText = core::FormatScientific(r.gain, 7, 5);
  }

  // 10.
  r.polePairs = static_cast<std::int16_t>(n - (r.hasSecondRealPole ? 1 : 0));
  r.order = static_cast<std::int16_t>(2 * n);
}

}  // namespace

std::string AllPoleGainText(double gainNorm, double scale, int order, double* mantissa) {
  double x = scale;
  int e = 0;
  while (x > 1) {
    x /= 10;
    ++e;
  }
  double m = gainNorm * std::pow(x, order);
  int f = 0;
  if (std::isfinite(m) && m > 0) {
    while (m >= 10) {
      m /= 10;
      ++f;
    }
    while (m < 1) {
      m *= 10;
      --f;
    }
  }
  const int exponent = order * e + f;
  if (mantissa) *mantissa = m;
  return core::FormatFixed(m, 7, 5) + (exponent >= 0 ? " E+" : " E") + std::to_string(exponent);
}

void TransformSlot(core::DesignState& state, int slot) {
  core::ApproxResult& r = state.results[slot];
  r.gain = r.gainNorm;
  switch (state.spec.kind) {
    case FilterKind::Lowpass:
      Lowpass(state, slot);
      break;
    case FilterKind::Highpass:
      Highpass(state, slot);
      break;
    case FilterKind::Bandpass:
      Band(state, slot, false);
      break;
    case FilterKind::Bandstop:
      Band(state, slot, true);
      break;
    case FilterKind::UserDefined:
      break;
  }
}

double TrueGainConstant(const core::DesignState& state, int slot) {
  const core::ApproxResult& r = state.results[slot];
  const core::FilterKind kind = state.spec.kind;
  if (IsAllPole(slot) && kind == FilterKind::Lowpass) return r.gain * std::pow(state.spec.wpb, r.order);
  if (IsAllPole(slot) && kind == FilterKind::Bandpass) return r.gain * std::pow(state.spec.bp, r.order / 2);
  return r.gain;
}

}  // namespace tavrin::approx
