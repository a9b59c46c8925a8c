// The decibel converter of the Tools menu: a gain typed in dB or V/V is converted in place
// by pressing the other unit's button.  It does not touch the design.
#pragma once

#include <QDialog>
#include <QLineEdit>

class QToolButton;

namespace tavrin::ui {

class MessagePresenter;

// The converter's field takes what a number with sign and exponent needs, and nothing
// else: not even Enter, which would otherwise close the window.
class GainEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit GainEdit(QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

class TfmDbConv : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kLimitMessage = "dB limited here to +/- 700";
  static constexpr const char* kNegativeMessage = "Negative sign ignored";

  TfmDbConv(MessagePresenter& presenter, QWidget* parent = nullptr);

  // 1 while the text is in dB, 2 while it is in V/V.
  int Units() const { return units_; }

  void SpeedButton1Click();  // dB
  void SpeedButton2Click();  // V/V

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void SetConverted(const QString& text, double value);
  // The number the field stands for: the exact result of the last conversion while the
  // text is still the one it produced, so converting back and forth does not drift.
  double FieldValue() const;

  MessagePresenter& presenter_;
  GainEdit* NumEdit1 = nullptr;
  QToolButton* SpeedButton1 = nullptr;
  QToolButton* SpeedButton2 = nullptr;
  int units_ = 1;
  QString convertedText_;
  double convertedValue_ = 0;
};

}  // namespace tavrin::ui
