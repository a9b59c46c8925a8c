// The interactive cascading window: the stages in cascade order (stage 1 takes the filter's
// input) with the flatness of the response at each stage's output.  The user moves stages
// with Up and Down, or lets "Cascade" order them by the criteria.  A page of the main window.
#pragma once

#include <QWidget>

class QLabel;
class QTreeWidget;

namespace tavrin::ui {

class TfmMain;

class TfmCascade : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Order (cascade) stages to optimize response";

  explicit TfmCascade(TfmMain& main, QWidget* parent = nullptr);

  // Rebuilds the stage list from the design, in the current frequency unit; the selected
  // stage stays selected.
  void Refresh();
  // The selected stage (0 = none).
  int SelectedStage() const;

  // Handlers, named after their buttons.
  void UpBtnClick();
  void DownBtnClick();
  void CascadeBtnClick();
  void CriteriaBtnClick();
  void NextBtnClick();
  void BackBtnClick();
  void CloseBtnClick();
  void StrategyBtnClick();
  void HelpBtnClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* BuildButtons();
  void Select(int stage);

  TfmMain& main_;
  QTreeWidget* stages_ = nullptr;
  QLabel* order_ = nullptr;
};

}  // namespace tavrin::ui
