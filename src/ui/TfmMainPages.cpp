// The main window's part in moving between the design windows and in opening help, the
// guidance pages and the tools.
#include <QStackedWidget>

#include "ui/GraphsPlaceholder.h"
#include "ui/HelpWindow.h"
#include "ui/TfmDbConv.h"
#include "ui/TfmMain.h"
#include "ui/TfmParEnt.h"
#include "ui/TfmStrategy.h"

namespace tavrin::ui {

// ---------------------------------------------------------------------------------------
// The design windows

void TfmMain::ShowRequirements() {
  pages_->setCurrentWidget(parEnt_);
  parEnt_->UpdateCopyCommand();
}

void TfmMain::ShowGraphs() {
  pages_->setCurrentWidget(graphs_);
  graphs_->Refresh();
  SetCopyTargetHidden(false);
}

void TfmMain::RefreshDesignWindows() {
  QWidget* page = pages_->currentWidget();
  if (page == parEnt_) {
    parEnt_->RefreshForUnit();
  } else if (page == graphs_) {
    graphs_->Refresh();
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
