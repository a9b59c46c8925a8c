#include "approx/InverseChebyshevElliptic.h"

#include <cmath>

#include "approx/OrderEstimation.h"
#include "approx/Prototype.h"
#include "core/MathHelpers.h"

namespace tavrin::approx {

using core::kPi;

namespace {

constexpr double kSeriesEnd = 1e-6;  // a series ends after the first term at most this large
constexpr int kMaxTerms = 200;       // never reached: the terms fall like q^(m^2)

int Sign(int m) {
  return m % 2 == 0 ? 1 : -1;
}

// q^e for the integer exponents of the series.
double PowQ(double q, int e) {
  return std::pow(q, static_cast<double>(e));
}

}  // namespace

double SinPiRational(long num, long den) {
  const long period = 2 * den;
  long r = num % period;
  if (r < 0) r += period;
  if (r % den == 0) return 0.0;
  return std::sin(kPi * static_cast<double>(r) / static_cast<double>(den));
}

double CosPiRational(long num, long den) {
  const long period = 2 * den;
  long r = num % period;
  if (r < 0) r += period;
  if ((2 * r) % den == 0 && ((2 * r) / den) % 2 != 0) return 0.0;
  return std::cos(kPi * static_cast<double>(r) / static_cast<double>(den));
}

bool DesignInverseChebyshev(core::DesignState& state) {
  constexpr int slot = static_cast<int>(core::Approximation::InverseChebyshev);
  int n = 0;
  bool exact = false;
  if (!BeginPrototype(state, slot, n, &exact)) return false;
  core::ApproxResult& r = state.results[slot];
  const double epsilon = InverseChebyshevEpsilon(state.spec, n, exact);
  const double a = core::ASinh(1.0 / epsilon) / n;
  const double sh = core::Sinh(a);
  const double ch = core::Cosh(a);
  double gain = 1.0;
  if (r.hasRealPole) {
    r.realPoleNorm = 1.0 / sh;
    gain *= r.realPoleNorm;
  }
  for (int k = 1; k <= r.polePairs; ++k) {
    const double phi = (2.0 * k - 1.0) * kPi / (2.0 * n);
    // The Chebyshev pole of the same index, inverted.
    const double s = sh * std::sin(phi);
    const double c = ch * std::cos(phi);
    const double d = s * s + c * c;
    const double sigma = s / d;
    const double omega = c / d;
    core::PoleRoot& root = state.poleRoots[slot][k];
    root.sigmaNorm = sigma;
    root.omegaNorm = omega;
    core::PolePair& pair = state.polePairs[slot][k];
    pair.w0 = std::sqrt(sigma * sigma + omega * omega);
    pair.Q = pair.w0 / (2.0 * sigma);
    pair.b1Norm = pair.w0 / pair.Q;
    pair.b0Norm = pair.w0 * pair.w0;
    const double wz = 1.0 / std::cos(phi);
    state.zeroRoots[slot][k].wzNorm = wz;
    state.zeroPairs[slot][k].wz2Norm = wz * wz;
    gain *= pair.b0Norm / state.zeroPairs[slot][k].wz2Norm;
  }
  r.gainNorm = gain;
  return true;
}

bool DesignElliptic(core::DesignState& state) {
  constexpr int slot = static_cast<int>(core::Approximation::Elliptic);
  int n = 0;
  if (!BeginPrototype(state, slot, n)) return false;
  core::ApproxResult& r = state.results[slot];
  const core::FilterSpec& spec = state.spec;
  const double k = spec.normFrequency / spec.selectivity;
  const double q = EllipticNome(spec.selectivity);
  const double q4 = std::sqrt(std::sqrt(q));

  // (10^(apb/20) + 1) / (10^(apb/20) - 1), with the small difference taken directly.
  const double rippleMinusOne = std::expm1(spec.apb / 20.0 * std::log(10.0));
  const double lambda = std::log((2.0 + rippleMinusOne) / rippleMinusOne) / (2.0 * n);

  double s1 = 0;
  for (int m = 0; m < kMaxTerms; ++m) {
    const double term = Sign(m) * PowQ(q, m * (m + 1)) * core::Sinh((2.0 * m + 1.0) * lambda);
    s1 += term;
    if (std::fabs(term) <= kSeriesEnd) break;
  }
  double s2 = 0;
  for (int m = 1; m < kMaxTerms; ++m) {
    const double term = Sign(m) * PowQ(q, m * m) * core::Cosh(2.0 * m * lambda);
    s2 += term;
    if (std::fabs(term) <= kSeriesEnd) break;
  }
  const double sigma0 = 2.0 * q4 * s1 / (1.0 + 2.0 * s2);
  r.realPoleNorm = sigma0;
  double gain = (n % 2 != 0) ? sigma0 : core::Pow10(-spec.apb / 20.0);
  const double w2 = (1.0 + k * sigma0 * sigma0) * (1.0 + sigma0 * sigma0 / k);

  // mu = i for odd N, i - 1/2 for even N, kept as the fraction muNum / muDen.
  const long muDen = (n % 2 != 0) ? 1 : 2;
  for (int i = 1; i <= r.polePairs; ++i) {
    const long muNum = (n % 2 != 0) ? i : 2L * i - 1;
    const long den = muDen * n;
    double t1 = 0;
    for (int m = 0; m < kMaxTerms; ++m) {
      const double trig = SinPiRational((2L * m + 1) * muNum, den);
      const double term = Sign(m) * PowQ(q, m * (m + 1)) * trig;
      t1 += term;
      if (trig != 0.0 && std::fabs(term) <= kSeriesEnd) break;
    }
    double t2 = 0;
    for (int m = 1; m < kMaxTerms; ++m) {
      const double trig = CosPiRational(2L * m * muNum, den);
      const double term = Sign(m) * PowQ(q, m * m) * trig;
      t2 += term;
      if (trig != 0.0 && std::fabs(term) <= kSeriesEnd) break;
    }
    const double omegaI = 2.0 * q4 * t1 / (1.0 + 2.0 * t2);
    const double v2 = (1.0 - k * omegaI * omegaI) * (1.0 - omegaI * omegaI / k);
    const double denom = 1.0 + sigma0 * sigma0 * omegaI * omegaI;
    core::PolePair& pair = state.polePairs[slot][i];
    pair.b1Norm = 2.0 * sigma0 * std::sqrt(v2) / denom;
    pair.b0Norm = (sigma0 * sigma0 * v2 + omegaI * omegaI * w2) / (denom * denom);
    core::ZeroPair& zp = state.zeroPairs[slot][i];
    zp.wz2Norm = 1.0 / (omegaI * omegaI);
    pair.w0 = std::sqrt(pair.b0Norm);
    pair.Q = pair.w0 / pair.b1Norm;
    gain *= pair.b0Norm / zp.wz2Norm;
    core::PoleRoot& root = state.poleRoots[slot][i];
    root.sigmaNorm = pair.w0 / (2.0 * pair.Q);
    root.omegaNorm = std::sqrt(pair.w0 * pair.w0 - root.sigmaNorm * root.sigmaNorm);
    state.zeroRoots[slot][i].wzNorm = std::sqrt(zp.wz2Norm);
  }
  r.gainNorm = gain;
  return true;
}

}  // namespace tavrin::approx
