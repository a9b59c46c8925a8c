// Stage cascading: the order of the stages and every stage's gain constant To, chosen so
// that each partial cascade keeps a peak gain of 1 over the evaluation frequencies.
#pragma once

#include <vector>

#include "core/DesignState.h"

namespace tavrin::stages {

// The 351 evaluation frequencies and the passband window of the accepted filter.
void SetEvaluationWindow(core::DesignState& state);

// A stage's normalized magnitude at w (rad/s); the sign of w does not matter.
double StageMagnitude(const core::Stage& stage, double w);

// Stage s's own response, its partial cascade after stage prev (prev == s: the cascade
// starts with s), its flatness, scale factor k and To.  The passband minimum takes the
// evaluation frequencies inside the window, a point on either end included however its
// rounding fell (within 1e-12 of the window's size).
void EvaluateStage(core::DesignState& state, int s, int prev);

// The flattest of candidates scored in order, and the candidates tied with it (within
// 1e-5: a tie never replaces the earlier winner).  The first candidate is taken however
// large its flatness, so no position of the cascade is ever left empty.
struct Selection {
  int best = -1;
  std::vector<int> ties;  // the winner first, then every candidate tied with it
};
Selection PickFlattest(const std::vector<double>& flatness);

// Orders the stage table by the criteria and then recomputes the cascade.
void AutoCascade(core::DesignState& state);

// Evaluates every stage with its predecessor in the present order.
void RecomputeCascade(core::DesignState& state);

// "Up" / "Down" of the cascading window; false (and no change) at either end.
bool MoveStageUp(core::DesignState& state, int s);
bool MoveStageDown(core::DesignState& state, int s);

// The automatic steps after an approximation is accepted: evaluation window, root lists,
// pairing and cascading of the current slot.
void PairAndCascade(core::DesignState& state);

}  // namespace tavrin::stages
