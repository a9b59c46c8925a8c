// The Bessel (Thompson) prototype, slot 4: the poles of the chosen order come from the
// root table and are rescaled so that 1 rad/s has apb of attenuation.
#pragma once

#include "approx/BesselRootTable.h"
#include "core/DesignState.h"

namespace tavrin::approx {

// Attenuation of order n's table poles at w, relative to apb: positive below the
// frequency with apb of attenuation, negative above it.
double BesselRelativeAttenuation(const BesselRootTable& table, int order, double w, double apb);

// The frequency at which order n's table poles have apb of attenuation, found by doubling
// and bisection to within 1e-4 dB.
double BesselEdgeFrequency(const BesselRootTable& table, int order, double apb);

// Designs the slot from the table.  Returns false when the slot turned out tooHigh.
bool DesignBessel(core::DesignState& state, const BesselRootTable& table);

}  // namespace tavrin::approx
