// The ideal transfer function of the current approximation evaluated on the frequency
// grid: gain, phase lag and group delay, with the axis ranging of the graphs.
#pragma once

#include "core/DesignState.h"

namespace tavrin::response {

// Fills FrequencyGrid points 0..N from the start, stop and spacing of the ideal axes.
void ComputeFrequencyGrid(core::DesignState& state);

// Each evaluates the current slot at grid points first..last (inclusive) into its curve
// records.  A run over more than one point widens the axis ranges when the curve needs it.
void ComputeIdealGain(core::DesignState& state, int first, int last);
void ComputeIdealPhase(core::DesignState& state, int first, int last);
void ComputeIdealDelay(core::DesignState& state, int first, int last);

// The gain axis ranging of a grid run (only widens; callers that store the gain curve
// themselves, such as a user-defined filter's, call it after their run).
void RangeGainAxes(core::DesignState& state, int slot, int first, int last);

// After a whole-grid gain run of a slot with finite zeros: the grid point nearest each
// transmission zero becomes a full notch (0 V/V, -200 dB).
void MarkTransmissionZeros(core::DesignState& state);

// The three values at one angular frequency (rad/s) for a slot, without touching the
// tables; the grid functions store exactly these.
// A user-defined filter's slot 0 is its sections in cascade: the gain is their product.
double IdealGainAt(const core::DesignState& state, int slot, double w);
double IdealPhaseLagAt(const core::DesignState& state, int slot, double w);  // degrees
double IdealDelayAt(const core::DesignState& state, int slot, double w);     // seconds

// The gain (V/V) of one section of a user-defined filter at w rad/s, its To included.
double SectionGainAt(const core::Stage& stage, double w);

// The record point i of a slot's curve is written to: the screen table, or the print
// table while print resolution is on.
core::CurveRecord& CurveAt(core::DesignState& state, int slot, int i);
const core::CurveRecord& CurveAt(const core::DesignState& state, int slot, int i);

// Print resolution: the grids get n intervals (at most 1200) and the curves their own
// table; leaving it returns to the screen's 350 and recomputes both grids.
void EnterPrintResolution(core::DesignState& state, int n);
void LeavePrintResolution(core::DesignState& state);

inline constexpr double kGainFloorDb = -400.0;
inline constexpr double kNotchDb = -200.0;

}  // namespace tavrin::response
