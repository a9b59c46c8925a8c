// The all-pole prototypes normalized to a passband edge of 1 rad/s with exactly apb of
// attenuation there: Butterworth (slot 0) and Chebyshev (slot 1).
#pragma once

#include "core/DesignState.h"

namespace tavrin::approx {

// Each returns false when the slot turned out tooHigh (nothing else is written then).
bool DesignButterworth(core::DesignState& state);
bool DesignChebyshev(core::DesignState& state);

}  // namespace tavrin::approx
