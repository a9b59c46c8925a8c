// The circuit selection window: for each stage of the cascade the user browses every
// catalogue circuit of the stage's type, compares their ratings beside the schematic,
// leaves circuits out of the comparison and chooses one.  The ratings and every text of
// the panel come from the engine (circuits/Ratings.h); this window only lays them out.
#pragma once

#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QTabBar;

namespace tavrin::ui {

class SchematicView;
class SpreadBars;
class TfmMain;

class TfmCirSel : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Select circuit schematic for each stage";
  static constexpr const char* kNoSchematicText = "No schematic drawn for this circuit yet";
  static constexpr const char* kComponentsTip = "Component characteristics come with the calculation window";

  explicit TfmCirSel(TfmMain& main, QWidget* parent = nullptr);

  // Shown by the workflow: starts the choices afresh when an earlier step changed or no
  // filter was completed yet, otherwise shows the choices as they stand.
  void Open();
  // Redraws from the state (after a change of frequency unit, for instance).
  void Refresh();

  int CurrentStage() const { return stage_; }
  int CurrentCandidate() const { return candidate_; }
  void ShowStage(int stage);
  void ShowCandidate(int n);
  // The text of candidate n's bar: its total spread in dB, "Excluded" or "N/A".
  QString BarText(int n) const;
  // "Save schematic...": the shown candidate's drawing as a PNG picture or an SVG drawing
  // (by the suffix); false when it has none or the file cannot be written.
  bool SaveSchematic(const QString& fileName) const;

 private:
  void RebuildTabs();
  void MarkTabs();
  void ShowPanel();
  void Select();
  void ToggleIncluded();

  TfmMain& main_;
  int stage_ = 1;
  int candidate_ = 1;

  QTabBar* tabs_ = nullptr;
  QLabel* circuitCaption_ = nullptr;
  QLabel* position_ = nullptr;
  QPushButton* first_ = nullptr;
  QPushButton* previous_ = nullptr;
  QPushButton* nextCandidate_ = nullptr;
  QPushButton* last_ = nullptr;
  QLabel* stageLine_ = nullptr;
  QLabel* polarity_ = nullptr;
  SchematicView* schematic_ = nullptr;
  QLabel* noSchematic_ = nullptr;
  QLabel* spread_ = nullptr;
  QLabel* count_ = nullptr;
  QLabel* desiredGain_ = nullptr;
  QLabel* actualGain_ = nullptr;
  QLabel* ease_ = nullptr;
  QLabel* minGbw_ = nullptr;
  QLabel* gbw_ = nullptr;
  QLabel* warning_ = nullptr;
  QCheckBox* included_ = nullptr;
  QCheckBox* showPassive_ = nullptr;
  QCheckBox* showActive_ = nullptr;
  SpreadBars* bars_ = nullptr;
  QLabel* activeZero_ = nullptr;
  QPushButton* select_ = nullptr;
  QPushButton* next_ = nullptr;
  QLabel* note_ = nullptr;
};

}  // namespace tavrin::ui
