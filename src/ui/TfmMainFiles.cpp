// The main window's design file commands: Save Design, Save Design As, Open Design, the
// recent files, and the restoring of the design windows after a file was read.
#include <QAction>
#include <QFileInfo>
#include <QStackedWidget>
#include <algorithm>

#include "core/DesignFile.h"
#include "core/Paths.h"
#include "response/ResponseSetup.h"
#include "stages/UserDefined.h"
#include "ui/TfmGraph.h"
#include "ui/TfmMain.h"
#include "ui/TfmParEnt.h"
#include "ui/TfmUser.h"
#include "ui/WaitCursor.h"

namespace tavrin::ui {

namespace {

constexpr const char* kSaveFilter = "design file (*.zd3)";
// Both formats in one entry, as the first choice; the patterns follow Qt's own notation.
constexpr const char* kOpenFilter = "design file (*.zd2,*.zd3) (*.zd3 *.zd2);;All files (*.*) (*)";
constexpr const char* kOverwriteQuestion = "File already exists. OK to overwrite?";

std::filesystem::path PathOf(const QString& name) {
  return std::filesystem::path(name.toStdString());
}

}  // namespace

QString TfmMain::DesignsFolder() const {
  if (!paths_) return {};
  return QString::fromStdString(core::DefaultFolder(*paths_, "Designs").string());
}

void TfmMain::AddRecentFile(const std::string& path) {
  std::vector<std::string>& list = settings_.recentFiles;
  list.erase(std::remove(list.begin(), list.end(), path), list.end());
  list.insert(list.begin(), path);
  if (list.size() > static_cast<std::size_t>(core::kRecentFileCount)) list.resize(core::kRecentFileCount);
  RebuildRecentFileMenu();
}

// ---------------------------------------------------------------------------------------
// Saving

FileDialogRequest TfmMain::SaveDesignRequest() const {
  FileDialogRequest request;
  request.caption = QStringLiteral("Save Design As");
  request.folder = DesignsFolder();
  request.preset = state_->fileName.empty() ? QStringLiteral("*.zd3") : QString::fromStdString(state_->fileName);
  request.filter = QString::fromLatin1(kSaveFilter);
  request.defaultSuffix = QStringLiteral("zd3");
  return request;
}

FileDialogRequest TfmMain::OpenDesignRequest() const {
  FileDialogRequest request;
  request.caption = QStringLiteral("Open Design");
  request.folder = DesignsFolder();
  request.filter = QString::fromLatin1(kOpenFilter);
  request.defaultSuffix = QStringLiteral("zd3");
  return request;
}

bool TfmMain::SaveDesignAs() {
  QString name = fileDialogs_->SaveFileName(this, SaveDesignRequest());
  if (name.isEmpty()) return false;
  if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".zd3");

  if (QFileInfo::exists(name) &&
      ShowMessage(*presenter_, this,
                  MakeMessage(kOverwriteQuestion, approx::MessageKind::Warning, approx::MessageButtons::OkCancel)) !=
          QMessageBox::Ok) {
    return false;
  }
  return WriteDesign(name);
}

bool TfmMain::WriteDesign(const QString& path) {
  std::string error;
  {
    WaitCursor busy;
    error = core::WriteDesignFile(PathOf(path), *state_);
  }
  if (!error.empty()) {
    ShowMessage(*presenter_, this, MakeMessage(error, approx::MessageKind::Error));
    return false;
  }
  state_->fileName = path.toStdString();
  AddRecentFile(state_->fileName);
  UpdateWindowTitle();
  return true;
}

// ---------------------------------------------------------------------------------------
// Opening

void TfmMain::OpenDesign() {
  const QString name = fileDialogs_->OpenFileName(this, OpenDesignRequest());
  if (!name.isEmpty()) OpenDesignFile(name);
}

void TfmMain::OpenRecentFile(const QString& path) {
  // Whatever is in hand is asked about first, named or not, and Cancel keeps it.
  if (!SavePrompt()) return;
  OpenDesignFile(path);
}

bool TfmMain::OpenDesignFile(const QString& path) {
  core::DesignReadResult read;
  {
    WaitCursor busy;
    read = core::ReadDesignFile(PathOf(path), *state_);
    if (read.ok()) {
      state_->fileName = path.toStdString();
      AddRecentFile(state_->fileName);
      UpdateWindowTitle();
      RestoreDesignWindows(read);
    }
  }
  if (read.ok()) {
    emit designOpened(path);
    return true;
  }
  ShowMessage(*presenter_, this, MakeMessage(read.message, approx::MessageKind::Error));
  // Not a design file at all: the design goes, as after Close Design.  A damaged one was
  // read into a copy, so the design in hand is still whole and stays.
  if (read.status == core::DesignReadStatus::InvalidMagic) ResetDesign();
  return false;
}

void TfmMain::RestoreDesignWindows(const core::DesignReadResult& read) {
  core::DesignState& s = *state_;
  const core::FilterKind kind = s.spec.kind;

  SetPressedKind(kind);
  SetFrequencyUnit(s.frequencyUnit);
  if (read.pairingModeChanged) {
    (s.pairingAutomatic ? pairingAutomatic_ : pairingInteractive_)->setChecked(true);
    emit pairingModeChanged(s.pairingAutomatic);
  }
  if (read.cascadingModeChanged) {
    (s.cascadingAutomatic ? cascadingAutomatic_ : cascadingInteractive_)->setChecked(true);
    emit cascadingModeChanged(s.cascadingAutomatic);
  }
  Allcapacitorsstandardvalues1_->setChecked(s.allCapsStandard);
  designOpen_ = true;
  designAvailable_ = true;
  circuitCalculationShown_ = false;

  if (kind != core::FilterKind::UserDefined) parEnt_->RestoreDesign();

  if (kind == core::FilterKind::UserDefined) {
    // A user-defined filter's graphs come from its sections, over their own range.
    if (s.designStep >= 2) stages::PrepareUserGraphs(s);
    core::SetCurrentSlot(s, 0);
    user_->RestoreDesign();
  } else if (s.designStep >= 3) {
    // The graphs are not in the file: they are drawn again from the restored slots.
    response::SetUpResponseAxes(s);
    response::StoreGainLevel(s);
    for (int slot = 0; slot <= s.lastSlot && slot < core::kSlotCount; ++slot) {
      if (core::SlotHasResult(s, slot)) response::ComputeSlotIdealGain(s, slot);
    }
    core::SetCurrentSlot(s, s.chosenSlot);
  }

  if (kind == core::FilterKind::UserDefined) {
    ShowUserDefined();
  } else {
    ShowRequirements();
  }
  UpdateCommandStates();
}

}  // namespace tavrin::ui
