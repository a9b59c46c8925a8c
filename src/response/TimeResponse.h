// Step and impulse responses of the ideal filter, in closed form from a partial-fraction
// expansion whose residues come from distances and angles between the roots.
#pragma once

#include "core/DesignState.h"

namespace tavrin::response {

// TimeGrid points 0..N: t_i = i * span * 10^e / N.
void ComputeTimeGrid(core::DesignState& state);

// The working pole entries of the current slot (entry 0 the step's pole at the origin,
// then the pairs, then the single poles) and their residues of H(s)/s.  Returns the index
// of the last entry in use.
int ComputeResidues(core::DesignState& state);

// Each evaluates the current slot at time points first..last into its curve records; a
// run over more than one point widens the axis when the curve needs it.
void ComputeStepResponse(core::DesignState& state, int first, int last);
void ComputeImpulseResponse(core::DesignState& state, int first, int last);

// Chooses the time axis (exponent, maximum, tick, span) from the slowest approximation.
void DefaultTimeAxis(core::DesignState& state);

// Axis captions of the time graphs.
std::string TimeAxisTitle(const core::DesignState& state);     // "Time (X1e-3 s)"
std::string ImpulseAxisTitle(const core::DesignState& state);  // "Impulse Response (X1e3 volts)"
inline constexpr const char* kStepAxisTitle = "Step Response (volts)";

// The limits the graph window sets when the step or impulse view is selected, so that
// the first run sets the axis.
void ResetStepAxis(core::DesignState& state);
void ResetImpulseAxis(core::DesignState& state);

}  // namespace tavrin::response
