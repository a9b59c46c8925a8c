// Helpers shared by the prototype routines: the order step every routine starts with,
// and writing one normalized pole pair into the slot's tables.
#pragma once

#include "core/DesignState.h"

namespace tavrin::approx {

// The order of the slot's lowpass prototype (forced, or by the approximation's rule),
// written into its record.  `exactInteger` tells whether a computed estimate had no
// fractional part.  Returns false when the slot is tooHigh and its design ends.
bool BeginPrototype(core::DesignState& state, int slot, int& order, bool* exactInteger = nullptr);

// Pole pair k of the normalized prototype from its root -sigma +/- j omega.  Returns
// b0Norm, the factor the gain constant picks up.
double WritePrototypePair(core::DesignState& state, int slot, int k, double sigma, double omega);

}  // namespace tavrin::approx
