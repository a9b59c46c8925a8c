#include "approx/ButterworthChebyshev.h"

#include <cmath>

#include "approx/OrderEstimation.h"
#include "approx/Prototype.h"
#include "core/MathHelpers.h"

namespace tavrin::approx {

using core::kPi;

bool DesignButterworth(core::DesignState& state) {
  constexpr int slot = static_cast<int>(core::Approximation::Butterworth);
  int n = 0;
  if (!BeginPrototype(state, slot, n)) return false;
  core::ApproxResult& r = state.results[slot];
  const double eps = std::sqrt(AttenuationFactor(state.spec.apb));
  // The poles lie on a circle of radius eps^(-1/N), which puts exactly apb at 1 rad/s.
  const double radius = 1.0 / std::exp(std::log(eps) / n);
  double gain = 1.0;
  for (int k = 1; k <= r.polePairs; ++k) {
    const double theta = (kPi / 2.0) * (1.0 + (2.0 * k - 1.0) / n);
    gain *= WritePrototypePair(state, slot, k, std::fabs(radius * std::cos(theta)), radius * std::sin(theta));
  }
  if (r.hasRealPole) {
    const double theta = (kPi / 2.0) * (1.0 + (2.0 * (r.polePairs + 1) - 1.0) / n);
    r.realPoleNorm = std::fabs(radius * std::cos(theta));
    gain *= r.realPoleNorm;
  }
  r.gainNorm = gain;
  return true;
}

bool DesignChebyshev(core::DesignState& state) {
  constexpr int slot = static_cast<int>(core::Approximation::Chebyshev);
  int n = 0;
  if (!BeginPrototype(state, slot, n)) return false;
  core::ApproxResult& r = state.results[slot];
  const double apb = state.spec.apb;
  const double eps = std::sqrt(AttenuationFactor(apb));
  const double a = core::ASinh(1.0 / eps) / n;
  const double sh = core::Sinh(a);
  const double ch = core::Cosh(a);
  // Even orders start at the bottom of the ripple, so their DC gain is the ripple's depth.
  double gain = (n % 2 != 0) ? 1.0 : core::Pow10(-apb / 20.0);
  for (int k = 1; k <= r.polePairs; ++k) {
    const double phi = (2.0 * k - 1.0) * kPi / (2.0 * n);
    gain *= WritePrototypePair(state, slot, k, sh * std::sin(phi), ch * std::cos(phi));
  }
  if (r.hasRealPole) {
    r.realPoleNorm = std::fabs(sh * std::sin((2.0 * (r.polePairs + 1) - 1.0) * kPi / (2.0 * n)));
    gain *= r.realPoleNorm;
  }
  r.gainNorm = gain;
  return true;
}

}  // namespace tavrin::approx
