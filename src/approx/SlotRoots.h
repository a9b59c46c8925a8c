// A transformed slot as plain roots: every pole and finite zero in rad/s, for readers that
// want H(s) = To * prod(s - z) / prod(s - p) rather than the coefficient tables.
#pragma once

#include <complex>
#include <vector>

#include "core/DesignState.h"

namespace tavrin::approx {

struct SlotRoots {
  std::vector<std::complex<double>> poles;  // both members of each pair, real parts negative
  std::vector<std::complex<double>> zeros;  // zeros at the origin repeated by multiplicity
  double gain = 0;                          // To
};

SlotRoots RootsOfSlot(const core::DesignState& state, int slot);
// The same into `out`, whose storage is reused: for callers that list the roots of many
// designs one after the other.
void RootsOfSlot(const core::DesignState& state, int slot, SlotRoots& out);

}  // namespace tavrin::approx
