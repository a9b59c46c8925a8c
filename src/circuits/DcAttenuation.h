// The circuits whose input divider attenuates the signal at DC (the single-amplifier
// lowpass notches): which two resistors form the divider, how much it takes away, and the
// note the schematic's information marker shows.
#pragma once

#include <optional>
#include <string>

#include "core/DesignState.h"

namespace tavrin::circuits {

// The divider takes the input across `series` to the node that `shunt` holds to ground:
// the DC gain is reduced by (R[series] + R[shunt]) / R[shunt].
struct DcDivider {
  int series = 0;
  int shunt = 0;
};

// The divider of (stage type, n), or nothing for a circuit without one.
std::optional<DcDivider> DcInputDivider(int stageType, int circuitNumber);

// The attenuation factor (>= 1) of the divider with the record's values; 0 when the circuit
// has no divider or its values are unusable.
double DcAttenuationFactor(const core::CircuitRecord& cr, int stageType, int circuitNumber);

// "DC input attenuated 6.02dB by resistors R3 and R6.", or empty without a divider.
std::string DcAttenuationMessage(const core::CircuitRecord& cr, int stageType, int circuitNumber);

}  // namespace tavrin::circuits
