// The point calculator: the exact value of the shown response at one frequency or instant,
// one line per approximation drawn, instead of reading it off the curve.  A tool window
// beside the graphs; every click on a curve tab moves its point.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

#include "core/DesignState.h"
#include "response/PointCalculator.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace tavrin::ui {

class TfmPtCalc : public QDialog {
  Q_OBJECT

 public:
  TfmPtCalc(core::DesignState& state, QWidget* parent = nullptr);

  // How the lines are evaluated: the graph window's display settings and, for a
  // user-defined filter, its section gain.
  void SetOptions(std::function<response::PointOptions()> options) { options_ = std::move(options); }

  // Opens (or updates) the calculator at a point picked on the graph: `value` is a
  // frequency in the display unit, or a time in units of 10^e seconds.
  void PickPoint(response::ResponseTab tab, double value);
  // Parses the entry field and computes ("Calc" and Enter).
  void CalcBtnClick();
  response::ResponseTab Tab() const { return tab_; }

  // What the window shows, for tests and the clipboard.
  QString Caption() const;
  QString EntryText() const;
  QStringList Lines() const;

 private:
  void ShowLines(const std::vector<response::PointLine>& lines);

  core::DesignState& state_;
  std::function<response::PointOptions()> options_;
  response::ResponseTab tab_ = response::ResponseTab::Gain;
  QGroupBox* group_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QPushButton* calc_ = nullptr;
  QVBoxLayout* linesLayout_ = nullptr;
  QList<QLabel*> lines_;
};

}  // namespace tavrin::ui
