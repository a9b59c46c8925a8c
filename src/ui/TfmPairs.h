// The interactive pairing window: the user picks a pole pair (or a real pole, or two real
// poles) and the zeros that go with it, and "Add" makes them one stage; "Undo" gives a
// stage's roots back.  Next leads on once every root is in a stage.  A page of the main
// window; the engine's pairing routines do the work, the window shows their lists.
#pragma once

#include <QWidget>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace tavrin::ui {

class TfmMain;

class TfmPairs : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Pair zeros and poles to create 1st and 2nd order stages";

  explicit TfmPairs(TfmMain& main, QWidget* parent = nullptr);

  // Rebuilds the three lists from the design, in the current frequency unit.  Entries
  // that stay listed keep their selection.
  void Refresh();

  // The list entries (entry numbers of the pole and zero lists) now selected, and the
  // selected stage (0 = none).
  std::vector<int> SelectedPoles() const;
  std::vector<int> SelectedZeros() const;
  int SelectedStage() const;

  // Handlers, named after their buttons.
  void AddBtnClick();
  void UndoBtnClick();
  void AutoAddAllBtnClick();
  void UndoAllBtnClick();
  void NextBtnClick();
  void BackBtnClick();
  void CloseBtnClick();
  void StrategyBtnClick();
  void HelpBtnClick();
  void HideCheckClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* BuildLists();
  QWidget* BuildButtons();
  void Changed();

  TfmMain& main_;
  QTreeWidget* poles_ = nullptr;
  QTreeWidget* zeros_ = nullptr;
  QTreeWidget* stages_ = nullptr;
  QLabel* remaining_ = nullptr;
  QCheckBox* hide_ = nullptr;
  QPushButton* next_ = nullptr;
};

}  // namespace tavrin::ui
