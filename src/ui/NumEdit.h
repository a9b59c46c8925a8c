// The number fields of the entry windows.  They take only what a number of that field can
// hold: TNumEdit digits and the decimal point, TIntEdit digits alone.  Any other typed
// character is refused with a beep, so no sign or exponent ever gets in; Enter moves on to
// the next control as Tab does, which is how people fill in a column of values.
#pragma once

#include <QLineEdit>

namespace tavrin::ui {

class TNumEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TNumEdit(QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // The characters a user may type into the field.
  virtual bool Accepts(QChar c) const;
  void SetAllowed(const QString& pattern);
};

class TIntEdit : public TNumEdit {
  Q_OBJECT

 public:
  explicit TIntEdit(QWidget* parent = nullptr);

 protected:
  bool Accepts(QChar c) const override;
};

}  // namespace tavrin::ui
