// How strongly a stage's gain at one frequency reacts to its parameters: the dB change of
// |H(jw)| per unit relative change of wp, Qp, wz and of a cubic circuit's extra real pole.
// The gain spread weights its component variances by these, and the standard-resistor
// search weighs the parameter errors of a candidate combination with them.
#pragma once

#include "core/DesignState.h"

namespace tavrin::analysis {

struct GainSensitivities {
  double wp = 0;  // for a first-order stage: its pole wc
  double Qp = 0;
  double wz = 0;    // notch types
  double pole = 0;  // the extra real pole of a cubic circuit
};

// The pole of a first-order stage: its real pole p, or wp where a stage carries only that.
double FirstOrderPole(const core::Stage& stage);

// At w rad/s (w > 0), from the stage's own wp, Qp and wz; extraPole is the cubic circuit's
// real pole in rad/s, 0 for the others.  At a notch's null (w = wz) the wz figure is
// infinite: the gain there is zero and has no dB value to move.
GainSensitivities StageGainSensitivities(const core::Stage& stage, double w, double extraPole = 0);

}  // namespace tavrin::analysis
