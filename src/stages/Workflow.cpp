#include "stages/Workflow.h"

#include "stages/Cascading.h"
#include "stages/Criteria.h"
#include "stages/Pairing.h"

namespace tavrin::stages {

StageWindow NextFromIdealGraphs(core::DesignState& state, int slot) {
  core::SetCurrentSlot(state, slot);
  state.chosenSlot = static_cast<std::int16_t>(slot);
  if (!state.stepsStale && state.designStep > 3)
    return state.designStep >= 5 ? StageWindow::CircuitSelection : StageWindow::Cascading;
  SetEvaluationWindow(state);
  BuildRootLists(state);
  if (!state.pairingAutomatic) {
    if (state.stepsStale) state.designStep = 3;
    return StageWindow::Pairing;
  }
  AutoPair(state);
  if (!state.cascadingAutomatic) {
    state.designStep = 4;
    return StageWindow::Cascading;
  }
  AutoCascade(state);
  state.designStep = 5;
  return StageWindow::CircuitSelection;
}

PairingNext NextFromPairing(core::DesignState& state) {
  PairingNext next;
  next.refusal = CheckPairingComplete(state);
  if (next.refusal) return next;
  if (state.cascadingAutomatic) {
    AutoCascade(state);
    state.designStep = 5;
    next.window = StageWindow::CircuitSelection;
  } else {
    // The cascading window shows every stage's flatness and To for the order as it stands.
    RecomputeCascade(state);
    next.window = StageWindow::Cascading;
  }
  return next;
}

StageWindow NextFromCascading(core::DesignState& state) {
  state.designStep = 5;
  return StageWindow::CircuitSelection;
}

CriteriaEdit OpenCriteria(const core::DesignState& state) {
  return CriteriaEdit{state.firstStageCriteria, state.lastStageCriteria, state.useQ};
}

std::optional<approx::Message> AcceptCriteria(core::DesignState& state, const CriteriaEdit& edit) {
  if (auto refusal = CheckCriteria(edit.first, edit.last)) return refusal;
  state.firstStageCriteria = edit.first;
  state.lastStageCriteria = edit.last;
  state.useQ = edit.useQ;
  return std::nullopt;
}

}  // namespace tavrin::stages
