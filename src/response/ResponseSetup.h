// What Calculate prepares for the response graphs once the approximations exist: the
// default frequency range, the grids, the time axis, the -3 dB level and every slot's
// ideal gain.
#pragma once

#include "approx/Calculate.h"
#include "core/DesignState.h"

namespace tavrin::response {

// Default range (a decade each side of the passband edge, an octave each side of the
// center), the start rounded down to its leading digit; then both grids and the time axis.
void SetUpResponseAxes(core::DesignState& state);
void StoreGainLevel(core::DesignState& state);
// The slot's ideal gain over the whole screen grid, with its notches marked.
void ComputeSlotIdealGain(core::DesignState& state, int slot);

// Calculate's hooks wired to the functions above.
approx::CalculateHooks ResponseHooks(approx::CalculateHooks hooks = {});

}  // namespace tavrin::response
