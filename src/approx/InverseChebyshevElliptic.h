// The prototypes with finite transmission zeros: Inverse Chebyshev (slot 2), normalized
// to a stopband edge of 1 rad/s, and Elliptic (slot 3), normalized to a geometric mean of
// the band edges of 1 rad/s (passband edge sqrt(k), stopband edge 1/sqrt(k), k = 1/K).
#pragma once

#include "core/DesignState.h"

namespace tavrin::approx {

// Each returns false when the slot turned out tooHigh.
bool DesignInverseChebyshev(core::DesignState& state);
bool DesignElliptic(core::DesignState& state);

// The elliptic series with the pair index in a sine or cosine: sin and cos of pi * num/den,
// exactly 0 where the angle makes them 0 (so such a term is recognised as a zero term and
// does not end its series).
double SinPiRational(long num, long den);
double CosPiRational(long num, long den);

}  // namespace tavrin::approx
