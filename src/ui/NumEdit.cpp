#include "ui/NumEdit.h"

#include <QKeyEvent>
#include <QRegularExpressionValidator>

#include "ui/MessageBoxes.h"

namespace tavrin::ui {

TNumEdit::TNumEdit(QWidget* parent) : QLineEdit(parent) {
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // Pasted text meets the same rule as typed text.
  SetAllowed(QStringLiteral("[0-9.]*"));
}

void TNumEdit::SetAllowed(const QString& pattern) {
  setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), this));
}

bool TNumEdit::Accepts(QChar c) const {
  return c.isDigit() || c == QLatin1Char('.');
}

void TNumEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    focusNextChild();
    event->accept();
    return;
  }
  // Shortcuts (copy, paste, select all) and editing keys are not typed characters.
  const Qt::KeyboardModifiers command = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  const QString text = event->text();
  if (!(event->modifiers() & command) && text.size() == 1 && text.at(0).isPrint() && !Accepts(text.at(0))) {
    Beep();
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

TIntEdit::TIntEdit(QWidget* parent) : TNumEdit(parent) {
  SetAllowed(QStringLiteral("[0-9]*"));
}

bool TIntEdit::Accepts(QChar c) const {
  return c.isDigit();
}

}  // namespace tavrin::ui
