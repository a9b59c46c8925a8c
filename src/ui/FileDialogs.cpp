#include "ui/FileDialogs.h"

#include <QFileDialog>

namespace tavrin::ui {

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const FileDialogRequest& request, bool save) {
  auto dialog = std::make_unique<QFileDialog>(parent, request.caption, request.folder);
  dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // The overwrite question is the program's own, asked after the dialog has closed.
  dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
  dialog->setNameFilter(request.filter);
  dialog->setDefaultSuffix(request.defaultSuffix);
  if (!request.preset.isEmpty()) dialog->selectFile(request.preset);
  return dialog;
}

namespace {

QString Run(QWidget* parent, const FileDialogRequest& request, bool save) {
  const std::unique_ptr<QFileDialog> dialog = MakeFileDialog(parent, request, save);
  if (dialog->exec() != QDialog::Accepted) return {};
  const QStringList files = dialog->selectedFiles();
  return files.isEmpty() ? QString() : files.front();
}

}  // namespace

QString FileDialogs::SaveFileName(QWidget* parent, const FileDialogRequest& request) {
  return Run(parent, request, true);
}

QString FileDialogs::OpenFileName(QWidget* parent, const FileDialogRequest& request) {
  return Run(parent, request, false);
}

}  // namespace tavrin::ui
