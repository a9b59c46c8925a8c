// The lowpass prototype order of each approximation and the bookkeeping it fixes.
#pragma once

#include "core/DesignState.h"

namespace tavrin::approx {

// A(x) = 10^(x/10) - 1 for an attenuation x in dB.
double AttenuationFactor(double dB);

// Rounds an order estimate up to the next integer, but takes an estimate within 1e-9 of
// an integer as that integer: a set of requirements worked out to need exactly order 5 then
// gets 5 rather than 6 because of the last bit of a logarithm.  Huge estimates (a
// selectivity barely above 1) are clamped well above any limit.
struct OrderEstimate {
  int order = 0;
  bool exactInteger = false;  // the estimate had no fractional part
};
OrderEstimate RoundOrderUp(double estimate);

// The nome q of the elliptic approximation for selectivity K, computed without the
// cancellation in 1 - sqrt(k'), so it stays exact and positive for very large K.
double EllipticNome(double selectivity);

// The order rule of Butterworth, Chebyshev, Inverse Chebyshev and Elliptic (the Bessel
// order comes from its search).
OrderEstimate ComputedOrder(core::Approximation approximation, double apb, double asb, double selectivity);

// The prototype order a forced final order gives: halved for bandpass and bandstop.
int ForcedPrototypeOrder(const core::FilterSpec& spec);

bool IsBandKind(core::FilterKind kind);

// Writes order, polePairs (and zeroPairs for Inverse Chebyshev and Elliptic) and
// hasRealPole, and marks the slot tooHigh when the order is beyond the limit.  Returns
// true while the slot is to be designed.
bool SetOrderFields(core::DesignState& state, int slot, int order);

// The stopband ripple factor of the Inverse Chebyshev prototype.  With a forced order it
// also replaces asb by the stopband attenuation the order achieves.
double InverseChebyshevEpsilon(core::FilterSpec& spec, int order, bool exactInteger);

}  // namespace tavrin::approx
