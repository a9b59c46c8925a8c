// The stage steps' share of the design workflow: what "Next" of the ideal graphs, of the
// pairing window and of the cascading window does to the design, and which window follows.
#pragma once

#include <optional>

#include "approx/Messages.h"
#include "core/DesignState.h"

namespace tavrin::stages {

enum class StageWindow { Pairing, Cascading, CircuitSelection };

// "Next" of the ideal graphs for a set of requirements design: approximation `slot` becomes
// current; stale or early designs redo the automatic steps, others keep their stages.
StageWindow NextFromIdealGraphs(core::DesignState& state, int slot);

// "Next" of the pairing window: refused while roots are unpaired.
struct PairingNext {
  std::optional<approx::Message> refusal;
  StageWindow window = StageWindow::Cascading;
};
PairingNext NextFromPairing(core::DesignState& state);

// "Next" of the cascading window.
StageWindow NextFromCascading(core::DesignState& state);

// The criteria window edits a copy; OK writes it back once both lists are unique, Cancel
// simply drops the copy.
struct CriteriaEdit {
  core::StageCriteria first{};
  core::StageCriteria last{};
  bool useQ = false;
};
CriteriaEdit OpenCriteria(const core::DesignState& state);
std::optional<approx::Message> AcceptCriteria(core::DesignState& state, const CriteriaEdit& edit);

}  // namespace tavrin::stages
