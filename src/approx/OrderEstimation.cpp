#include "approx/OrderEstimation.h"

#include <cmath>

#include "core/MathHelpers.h"

namespace tavrin::approx {

using core::Approximation;

namespace {
constexpr double kIntegerTolerance = 1e-9;
constexpr double kOrderCeiling = 9999.0;  // far above the limit, and inside 16 bits
}  // namespace

double AttenuationFactor(double dB) {
  return core::Pow10(dB / 10.0) - 1.0;
}

OrderEstimate RoundOrderUp(double estimate) {
  OrderEstimate out;
  // A NaN estimate has already raised the invalid-operation flag; it must not reach the
  // integer conversion.
  if (!(estimate < kOrderCeiling)) {
    out.order = static_cast<int>(kOrderCeiling);
    return out;
  }
  const double nearest = std::round(estimate);
  if (nearest >= 1.0 && std::fabs(estimate - nearest) <= kIntegerTolerance) {
    out.order = static_cast<int>(nearest);
    out.exactInteger = true;
    return out;
  }
  const double whole = std::trunc(estimate);
  out.order = static_cast<int>(whole) + (estimate - whole > 0 ? 1 : 0);
  if (out.order < 1 && estimate > 0) out.order = 1;
  return out;
}

double EllipticNome(double selectivity) {
  const double k = 1.0 / selectivity;
  const double kPrime = std::sqrt((1.0 - k) * (1.0 + k));
  // (1 - sqrt(k')) / (2 (1 + sqrt(k'))) rewritten with 1 - k' = k^2 / (1 + k').
  const double sqrtKPrime = std::sqrt(kPrime);
  const double q0 = k * k / (2.0 * (1.0 + kPrime) * (1.0 + sqrtKPrime) * (1.0 + sqrtKPrime));
  const double q04 = q0 * q0 * q0 * q0;
  return q0 * (1.0 + q04 * (2.0 + q04 * (15.0 + 150.0 * q04)));
}

OrderEstimate ComputedOrder(Approximation approximation, double apb, double asb, double selectivity) {
  const double d = AttenuationFactor(asb) / AttenuationFactor(apb);
  const double k = selectivity;
  switch (approximation) {
    case Approximation::Butterworth:
      return RoundOrderUp(std::log(d) / (2.0 * std::log(k)));
    case Approximation::Chebyshev:
    case Approximation::InverseChebyshev:
      return RoundOrderUp(core::ACosh(std::sqrt(d)) / core::ACosh(k));
    case Approximation::Elliptic:
      return RoundOrderUp(core::Log10(16.0 * d) / core::Log10(1.0 / EllipticNome(k)));
    case Approximation::Bessel:
      break;
  }
  return {};
}

bool IsBandKind(core::FilterKind kind) {
  return kind == core::FilterKind::Bandpass || kind == core::FilterKind::Bandstop;
}

int ForcedPrototypeOrder(const core::FilterSpec& spec) {
  return IsBandKind(spec.kind) ? spec.forcedOrder / 2 : spec.forcedOrder;
}

bool SetOrderFields(core::DesignState& state, int slot, int order) {
  core::ApproxResult& r = state.results[slot];
  const auto a = static_cast<Approximation>(slot);
  r.order = static_cast<std::int16_t>(order);
  r.polePairs = static_cast<std::int16_t>(order / 2);
  if (a == Approximation::InverseChebyshev || a == Approximation::Elliptic) r.zeroPairs = r.polePairs;
  r.hasRealPole = order % 2 != 0;
  const int finalOrder = IsBandKind(state.spec.kind) ? 2 * order : order;
  r.tooHigh = order > core::kMaxOrder || finalOrder > core::kMaxOrder;
  return !r.tooHigh;
}

double InverseChebyshevEpsilon(core::FilterSpec& spec, int order, bool exactInteger) {
  double epsilon = 0;
  if (spec.forceOrder || !exactInteger) {
    epsilon =
        1.0 / (core::Cosh(order * core::ACosh(spec.selectivity)) * std::sqrt(AttenuationFactor(spec.apb)));
  } else {
    epsilon = 1.0 / std::sqrt(AttenuationFactor(spec.asb));
  }
  if (spec.forceOrder) spec.asb = 10.0 * core::Log10(1.0 / (epsilon * epsilon) + 1.0);
  return epsilon;
}

}  // namespace tavrin::approx
