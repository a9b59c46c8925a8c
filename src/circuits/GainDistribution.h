// How the filter's overall gain is shared among its stages.
//
// Cascading gives every stage a gain constant To that keeps each partial cascade at a peak
// of 1; the distribution puts the overall gain on top in equal dB shares, then settles the
// conflicts with circuits that force or clamp their gain by handing the shortfall on to
// stages that can take it.  Gains are magnitudes in V/V.  A lowpass-notch stage keeps its
// high-frequency gain in the record; every place a user reads or types such a gain sees the
// DC gain instead, (wz/wp)^2 times larger.
#pragma once

#include "core/DesignState.h"

namespace tavrin::circuits {

// The stage's equal share: To for a user-defined filter (its sections carry their own
// gains), otherwise To x overallGain^(1/N), N the number of stages.
double OptimalGain(const core::DesignState& state, int stage);

// Redistributes the gain that constrained stages cannot give (each CircuitGain is the gain
// asked of the circuit; designedGain the gain its design returned).  Free stages that
// receive a share are designed again; a stage that becomes constrained on the way restarts
// the resolution, so it ends after at most N passes.
void ResolveGainConstraints(core::DesignState& state);

// Level of every stage: the relative signal level at its output in percent of the
// highest one.
void StageLevels(core::DesignState& state);

// GainRatio of every stage and the overall gain the circuits produce.
double ActualOverallGain(core::DesignState& state);
// The last ActualOverallGain without changing anything: overallGain x the product of the ratios.
double ActualGainOf(const core::DesignState& state);

// A stage's gain as windows show it (lowpass notch: the DC gain), and back from an entry.
double DisplayedGain(const core::Stage& stage, double recordGain);
double RecordGainOf(const core::Stage& stage, double displayedGain);

// The user fixes (or releases) a stage's gain; `displayedGain` as the user typed it.  The
// first fix keeps the gain the stage had in SavedGain so a reset can bring it back.
void FixStageGain(core::DesignState& state, int stage, double displayedGain);
void ReleaseStageGain(core::DesignState& state, int stage);

// "Adjust stage gains" has something to offer: some stage is free or already user-fixed.
bool StageGainsAdjustable(const core::DesignState& state);

}  // namespace tavrin::circuits
