// Every box the program shows goes through one presenter: the engine hands back a
// message (text, kind, buttons, beep, field), the windows pass it here.  A test puts a
// presenter of its own in place and answers without a modal box.
#pragma once

#include <QMessageBox>
#include <functional>

#include "approx/Messages.h"

class QWidget;

namespace tavrin::ui {

// The box's title for each kind of message.
QString MessageTitle(approx::MessageKind kind);

// The system beep.  A test can watch it to see that a refusal beeps before its box.
void Beep();
void SetBeepObserver(std::function<void()> observer);

class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  // Shows the box and returns the button the user pressed (Ok, Cancel, Yes, No).
  virtual QMessageBox::StandardButton Present(QWidget* parent, const approx::Message& message);
};

// Beeps first when the message asks for it, then presents it.
QMessageBox::StandardButton ShowMessage(MessagePresenter& presenter, QWidget* parent,
                                        const approx::Message& message);

// Small helpers for the window's own messages.
approx::Message MakeMessage(const std::string& text, approx::MessageKind kind,
                            approx::MessageButtons buttons = approx::MessageButtons::Ok, bool beep = false);

}  // namespace tavrin::ui
