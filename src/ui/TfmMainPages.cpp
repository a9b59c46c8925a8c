// The main window's part in moving between the design windows and in opening help, the
// guidance pages and the tools.
#include <QStackedWidget>

#include "ui/TfmCirSel.h"
#include "ui/TfmGraph.h"
#include "ui/HelpWindow.h"
#include "ui/TfmCascade.h"
#include "ui/TfmDbConv.h"
#include "ui/TfmMain.h"
#include "ui/TfmPairs.h"
#include "ui/TfmParEnt.h"
#include "ui/TfmStrategy.h"
#include "ui/TfmTransfer.h"
#include "ui/TfmUser.h"

namespace tavrin::ui {

// ---------------------------------------------------------------------------------------
// The design windows

void TfmMain::ShowRequirements() {
  pages_->setCurrentWidget(parEnt_);
  parEnt_->UpdateCopyCommand();
}

void TfmMain::ShowGraphs() {
  pages_->setCurrentWidget(graphs_);
  graphs_->ShowWindow();
  SetCopyTargetHidden(false);
}

void TfmMain::ShowUserDefined() {
  pages_->setCurrentWidget(user_);
  SetCopyTargetHidden(false);
}

void TfmMain::ShowTransferFunction() {
  // The window keeps its place beside the design; asking again brings it to the front
  // with the stages as they are now.
  if (transfer_->isVisible()) transfer_->Refresh();
  transfer_->show();
  transfer_->raise();
  transfer_->activateWindow();
}

void TfmMain::RefreshDesignWindows() {
  QWidget* page = pages_->currentWidget();
  if (page == parEnt_) {
    parEnt_->RefreshForUnit();
  } else if (page == user_) {
    user_->RefreshForUnit();
  } else if (page == graphs_) {
    graphs_->RefreshForUnit();
  } else if (page == pairs_) {
    pairs_->Refresh();
  } else if (page == cascade_) {
    cascade_->Refresh();
  } else if (page == cirSel_) {
    cirSel_->Refresh();
  }
}

// ---------------------------------------------------------------------------------------
// Help, guidance, tools

std::filesystem::path TfmMain::HelpFolder() const {
  const std::optional<core::Paths> paths = paths_ ? paths_ : core::ResolvePaths();
  return paths ? paths->programData / "help" : std::filesystem::path("help");
}

HelpWindow* TfmMain::Help() const {
  return help_;
}

void TfmMain::ShowHelp(const QString& page) {
  if (!help_) help_ = new HelpWindow(HelpFolder(), this);
  help_->ShowPage(page);
}

void TfmMain::ShowHelpContents() {
  if (!help_) help_ = new HelpWindow(HelpFolder(), this);
  help_->ShowContents();
}

void TfmMain::ShowHelpSearch() {
  if (!help_) help_ = new HelpWindow(HelpFolder(), this);
  help_->ShowSearch();
}

void TfmMain::ShowHelpOnHelp() {
  ShowHelp(QString::fromLatin1(HelpWindow::kHelpOnHelpPage));
}

void TfmMain::ShowStrategy(int page) {
  auto* window = new TfmStrategy(HelpFolder() / "strategy", this);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->ShowPage(page);
  window->open();
}

void TfmMain::ShowDbConverter() {
  auto* converter = new TfmDbConv(*presenter_, this);
  converter->setAttribute(Qt::WA_DeleteOnClose);
  converter->open();
}

}  // namespace tavrin::ui
