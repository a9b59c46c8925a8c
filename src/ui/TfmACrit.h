// The cascade criteria ("Criteria; Automatic mode"): which stage types automatic
// cascading puts first and last, in what priority, and how the stages between are ordered.
// A modal dialog that edits a copy: OK checks the priorities and writes them to the
// design's preferences, Cancel leaves everything as it was.
#pragma once

#include <QDialog>
#include <array>

#include "stages/Workflow.h"

class QAbstractButton;
class QCheckBox;
class QRadioButton;
class QToolButton;

namespace tavrin::ui {

class TfmMain;

class TfmACrit : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Criteria; Automatic mode";
  static constexpr std::array<const char*, 4> kFirstStageTexts = {"1st order lowpass", "2nd order lowpass",
                                                                  "lowpass notch", "bandpass"};
  static constexpr std::array<const char*, 4> kLastStageTexts = {"1st order highpass", "2nd order highpass",
                                                                 "highpass notch", "bandpass"};

  explicit TfmACrit(TfmMain& main, QWidget* parent = nullptr);

  // The criteria as edited so far.
  const stages::CriteriaEdit& Edit() const { return edit_; }

  // Handlers: an entry's box, an entry's priority (list 0 first stage, 1 last stage;
  // entry 0..3), the order of the remaining stages, OK and Cancel.
  void CheckClick(int list, int entry);
  void PriorityClick(int list, int entry);
  void RemainingClick();
  void OKBtnClick();
  void CancelBtnClick();

 private:
  struct Row {
    QCheckBox* check = nullptr;
    QToolButton* priority = nullptr;
  };
  QWidget* BuildList(int list);
  void Show();
  core::StageCriteria& Criteria(int list);

  TfmMain& main_;
  stages::CriteriaEdit edit_;
  std::array<std::array<Row, 4>, 2> rows_{};
  QRadioButton* increasingQ_ = nullptr;
  QRadioButton* maximumFlatness_ = nullptr;
};

// One line that says what the criteria ask for, for the cascading window.
QString CriteriaSummary(const core::StageCriteria& first, const core::StageCriteria& last, bool useQ);

}  // namespace tavrin::ui
