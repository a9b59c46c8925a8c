// The file dialogs of the design commands.  The main window asks through this one object,
// so a test can answer with a file name of its own without a modal dialog.
#pragma once

#include <QString>

#include <memory>

class QFileDialog;
class QWidget;

namespace tavrin::ui {

struct FileDialogRequest {
  QString caption;
  QString folder;         // where the dialog starts
  QString preset;         // the name shown in the name field
  QString filter;         // Qt filter text: "name (patterns)" entries separated by ";;"
  QString defaultSuffix;  // added to a name typed without one
};

// The dialog as the commands show it, not yet run.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const FileDialogRequest& request, bool save);

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // The chosen path, or an empty string when the user cancelled.  The save dialog does not
  // ask about overwriting: the caller does, in its own words.
  virtual QString SaveFileName(QWidget* parent, const FileDialogRequest& request);
  virtual QString OpenFileName(QWidget* parent, const FileDialogRequest& request);
};

}  // namespace tavrin::ui
