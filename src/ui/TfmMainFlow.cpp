// The main window's part in the step flow: which window follows Next and Back of each
// design window, and what the engine does to the design on the way.
#include <QAction>
#include <QStackedWidget>

#include "stages/Cascading.h"
#include "stages/Workflow.h"
#include "ui/TfmCirSel.h"
#include "ui/MessageBoxes.h"
#include "ui/TfmACrit.h"
#include "ui/TfmCascade.h"
#include "ui/TfmMain.h"
#include "ui/TfmPairs.h"
#include "ui/TfmParEnt.h"
#include "ui/WaitCursor.h"

namespace tavrin::ui {

namespace {

void ShowStageWindow(TfmMain& main, stages::StageWindow window) {
  switch (window) {
    case stages::StageWindow::Pairing:
      main.ShowPairing();
      break;
    case stages::StageWindow::Cascading:
      main.ShowCascading();
      break;
    case stages::StageWindow::CircuitSelection:
      main.ShowCircuitSelection();
      break;
  }
}

}  // namespace

void TfmMain::ContinueFromGraphs() {
  core::DesignState& s = *state_;
  if (s.spec.kind == core::FilterKind::UserDefined) {
    // The sections are the stages already: no pairing or cascading, straight on to the
    // circuits.  A design that went further and came back unchanged keeps its step.
    if (s.stepsStale || s.designStep < 3) s.designStep = 3;
    UpdateCommandStates();
    ShowCircuitSelection();
    return;
  }

  // A set of requirements: the approximation chosen in the graphs goes on to pairing.
  if (!core::SlotHasResult(s, s.chosenSlot)) return;
  stages::StageWindow window;
  {
    WaitCursor busy;
    window = stages::NextFromIdealGraphs(s, s.chosenSlot);
    // Freshly paired stages reach the cascading window in pairing order, with no
    // flatness yet: the window shows the figures of the order it lists.
    if (window == stages::StageWindow::Cascading && s.stepsStale) stages::RecomputeCascade(s);
  }
  ShowStageWindow(*this, window);
}

void TfmMain::BackFromGraphs() {
  // Going back leaves the entry window as it was, results included.
  state_->stepsStale = false;
  if (state_->spec.kind == core::FilterKind::UserDefined) {
    ShowUserDefined();
    return;
  }
  ShowRequirements();
}

// ---------------------------------------------------------------------------------------
// The stage windows

void TfmMain::ShowPairing() {
  pages_->setCurrentWidget(pairs_);
  pairs_->Refresh();
  SetCopyTargetHidden(false);
  UpdateCommandStates();
}

void TfmMain::ShowCascading() {
  // A design read from a file brings its stages but not the frequencies they are judged
  // at; they follow from the requirements alone, so they can be set again at any time.
  if (state_->evalFrequencies[core::kEvalPoints - 1] <= 0) stages::SetEvaluationWindow(*state_);
  pages_->setCurrentWidget(cascade_);
  cascade_->Refresh();
  SetCopyTargetHidden(false);
  UpdateCommandStates();
}

void TfmMain::ShowCircuitSelection() {
  pages_->setCurrentWidget(cirSel_);
  cirSel_->Open();
  SetCopyTargetHidden(false);
  UpdateCommandStates();
}

void TfmMain::ContinueFromPairing() {
  stages::PairingNext next;
  {
    WaitCursor busy;
    next = stages::NextFromPairing(*state_);
  }
  if (next.refusal) {
    ShowMessage(*presenter_, pairs_, *next.refusal);
    return;
  }
  ShowStageWindow(*this, next.window);
}

void TfmMain::BackFromPairing() {
  // Back shows the graphs as they were left.
  state_->stepsStale = false;
  ShowGraphs();
}

void TfmMain::ContinueFromCascading() {
  ShowStageWindow(*this, stages::NextFromCascading(*state_));
}

void TfmMain::BackFromCascading() {
  state_->stepsStale = false;
  if (state_->pairingAutomatic) {
    ShowGraphs();
  } else {
    ShowPairing();
  }
}

void TfmMain::BackFromCircuitSelection() {
  // Back goes to the window the design came through last.
  state_->stepsStale = false;
  if (state_->spec.kind == core::FilterKind::UserDefined ||
      (state_->pairingAutomatic && state_->cascadingAutomatic)) {
    ShowGraphs();
  } else if (!state_->cascadingAutomatic) {
    ShowCascading();
  } else {
    ShowPairing();
  }
}

TfmACrit* TfmMain::ShowCriteria() {
  auto* dialog = new TfmACrit(*this, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
  return dialog;
}

void TfmMain::SetPairingAutomatic(bool automatic) {
  state_->pairingAutomatic = automatic;
  (automatic ? pairingAutomatic_ : pairingInteractive_)->setChecked(true);
}

namespace {

// The design is somewhere between the graphs and the circuits: the stage windows can
// take each other's place.  The entry window and a user-defined design stay as they are.
bool InStageSteps(const QWidget* page, const QWidget* startPage, const QWidget* entryPage,
                  const core::DesignState& s) {
  return page != startPage && page != entryPage && s.spec.kind != core::FilterKind::UserDefined;
}

}  // namespace

void TfmMain::PairingModeSwitched(bool automatic) {
  if (automatic) {
    if (pages_->currentWidget() == pairs_) ShowGraphs();
    return;
  }
  // Stages exist once pairing was done; the window shows how they were paired.
  if (state_->designStep >= 4 && InStageSteps(pages_->currentWidget(), startPage_, parEnt_, *state_))
    ShowPairing();
}

void TfmMain::CascadingModeSwitched(bool automatic) {
  if (automatic) {
    if (pages_->currentWidget() == cascade_) ShowGraphs();
    return;
  }
  if (state_->designStep >= 5 && InStageSteps(pages_->currentWidget(), startPage_, parEnt_, *state_))
    ShowCascading();
}

}  // namespace tavrin::ui
