// Turns a slot's normalized lowpass prototype into the poles, zeros and gain constant of
// the filter asked for: lowpass, highpass, bandpass or bandstop at the user's frequencies.
#pragma once

#include <string>

#include "core/DesignState.h"

namespace tavrin::approx {

// Transforms the slot in place (the prototype columns stay, or for bandpass and bandstop
// are pre-scaled and inverted in place; the other columns receive the result).
void TransformSlot(core::DesignState& state, int slot);

// The gain constant To = gainNorm x scale^N of an all-pole lowpass or bandpass as text,
// mantissa and exponent kept apart so that To never has to exist as one number:
// "1.00000 E+6".  `mantissa` receives the mantissa.
std::string AllPoleGainText(double gainNorm, double scale, int order, double* mantissa = nullptr);

// The true gain constant To of H(s) = To * prod(s - z) / prod(s - p) of a transformed
// slot, as one number (it can overflow to infinity only for absurd frequencies).
double TrueGainConstant(const core::DesignState& state, int slot);

}  // namespace tavrin::approx
