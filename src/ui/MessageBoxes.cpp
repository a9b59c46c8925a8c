#include "ui/MessageBoxes.h"

#include <QApplication>
#include <utility>

namespace tavrin::ui {

namespace {

std::function<void()>& BeepObserver() {
  static std::function<void()> observer;
  return observer;
}

QMessageBox::Icon IconFor(approx::MessageKind kind) {
  switch (kind) {
    case approx::MessageKind::Warning:
      return QMessageBox::Warning;
    case approx::MessageKind::Error:
      return QMessageBox::Critical;
    case approx::MessageKind::Information:
      return QMessageBox::Information;
    case approx::MessageKind::Confirmation:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsFor(approx::MessageButtons buttons) {
  switch (buttons) {
    case approx::MessageButtons::Ok:
      return QMessageBox::Ok;
    case approx::MessageButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case approx::MessageButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case approx::MessageButtons::IgnoreCancel:
      return QMessageBox::Ignore | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

}  // namespace

QString MessageTitle(approx::MessageKind kind) {
  switch (kind) {
    case approx::MessageKind::Warning:
      return QStringLiteral("Warning");
    case approx::MessageKind::Error:
      return QStringLiteral("Error");
    case approx::MessageKind::Information:
      return QStringLiteral("Information");
    case approx::MessageKind::Confirmation:
      return QStringLiteral("Confirm");
  }
  return {};
}

void Beep() {
  if (BeepObserver()) BeepObserver()();
  QApplication::beep();
}

void SetBeepObserver(std::function<void()> observer) {
  BeepObserver() = std::move(observer);
}

QMessageBox::StandardButton MessagePresenter::Present(QWidget* parent, const approx::Message& message) {
  QMessageBox box(IconFor(message.kind), MessageTitle(message.kind), QString::fromStdString(message.text),
                  ButtonsFor(message.buttons), parent);
  box.setObjectName(QStringLiteral("MessageBox"));
  // The first button is the safe default: OK, or Yes for the save question.
  box.setDefaultButton(message.buttons == approx::MessageButtons::YesNoCancel ? QMessageBox::Yes
                                                                              : QMessageBox::Ok);
  const int answer = box.exec();
  return static_cast<QMessageBox::StandardButton>(answer);
}

QMessageBox::StandardButton ShowMessage(MessagePresenter& presenter, QWidget* parent,
                                        const approx::Message& message) {
  if (message.beep) Beep();
  return presenter.Present(parent, message);
}

approx::Message MakeMessage(const std::string& text, approx::MessageKind kind, approx::MessageButtons buttons,
                            bool beep) {
  approx::Message m;
  m.text = text;
  m.kind = kind;
  m.buttons = buttons;
  m.beep = beep;
  return m;
}

}  // namespace tavrin::ui
