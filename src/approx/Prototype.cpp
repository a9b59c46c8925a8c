#include "approx/Prototype.h"

#include <cmath>

#include "approx/OrderEstimation.h"

namespace tavrin::approx {

bool BeginPrototype(core::DesignState& state, int slot, int& order, bool* exactInteger) {
  const core::FilterSpec& spec = state.spec;
  bool exact = false;
  if (spec.forceOrder) {
    order = ForcedPrototypeOrder(spec);
  } else {
    const OrderEstimate e =
        ComputedOrder(static_cast<core::Approximation>(slot), spec.apb, spec.asb, spec.selectivity);
    order = e.order;
    exact = e.exactInteger;
  }
  if (exactInteger) *exactInteger = exact;
  return SetOrderFields(state, slot, order);
}

double WritePrototypePair(core::DesignState& state, int slot, int k, double sigma, double omega) {
  core::PoleRoot& root = state.poleRoots[slot][k];
  root.sigmaNorm = sigma;
  root.omegaNorm = omega;
  core::PolePair& pair = state.polePairs[slot][k];
  pair.b0Norm = sigma * sigma + omega * omega;
  pair.b1Norm = 2.0 * sigma;
  pair.w0 = std::sqrt(pair.b0Norm);
  pair.Q = pair.w0 / pair.b1Norm;
  return pair.b0Norm;
}

}  // namespace tavrin::approx
