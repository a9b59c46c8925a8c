// The entry window: the user types the attenuations, the edge frequencies (or
// bandwidths and center) and the overall gain of a lowpass, highpass, bandpass or bandstop
// filter, presses Calculate and compares the five approximations in the results tab.
// It is a page of the main window; the main window opens it for a kind.
#pragma once

#include <QWidget>
#include <array>

#include "approx/Calculate.h"
#include "core/DesignState.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace tavrin::ui {

class ResultsGrid;
class TfmMain;
class TIntEdit;
class TNumEdit;
class TolerancePicture;

class TfmParEnt : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Enter frequency, attenuation and gain values.";
  static constexpr const char* kTemplateTab = "Magnitude response";
  static constexpr const char* kResultsTab = "Calculation results";

  explicit TfmParEnt(TfmMain& main, QWidget* parent = nullptr);

  // Sets the window up for a new design of the kind, with the default entries.
  void OpenForKind(core::FilterKind kind);
  // The display unit changed: labels and unit boxes follow, and every frequency entry is
  // rewritten so that it names the same frequency in the new unit.
  void RefreshForUnit();
  // A design file was read: the window shows its requirements as they were entered, its
  // units and forced order, and the results table drawn again from the restored slots.
  void RestoreDesign();
  // A design was dropped: no results any more, the template shows.
  void ResetResults();
  // Tells the main window whether its copy button has something to copy here.
  void UpdateCopyCommand();

  // The entries as typed, for Calculate.
  approx::SpecEntries Entries() const;
  bool ResultsShown() const;
  bool NextEnabled() const;
  // The results table drawn for the clipboard.
  QPixmap ResultsPicture();
  ResultsGrid* Results() const { return results_; }

  // Handlers, named after their controls.
  void CalcBtnClick();
  void BitBtn1Click();  // Next
  void BitBtn2Click();  // Strategy
  void BitBtn3Click();  // Close
  void BitBtn4Click();  // Help
  void CheckBox1Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  QWidget* BuildEntryPanel();
  QWidget* BuildTabs();
  QWidget* BuildButtons();
  void SetLabels();
  void FillUnitBoxes();
  void SetGainDefault();
  void ApplyForceOrder(bool forced);
  void SetNextEnabled(bool enabled);
  void EditMade();
  void ShowResultsTab(bool select);
  void UpdatePicture();
  void ShowOutcome(const approx::CalculateOutcome& outcome);
  void ShowTable(const approx::ResultsTable& table);
  void SetKindHeader(core::FilterKind kind);
  QWidget* FieldFor(approx::EntryField field) const;

  TfmMain& main_;

  QLabel* caption_ = nullptr;
  QLabel* kindTitle_ = nullptr;
  QLabel* kindIcon_ = nullptr;
  TNumEdit* NumEdit1 = nullptr;
  TNumEdit* NumEdit2 = nullptr;
  TNumEdit* NumEdit3 = nullptr;
  TNumEdit* NumEdit4 = nullptr;
  TNumEdit* NumEdit5 = nullptr;
  TNumEdit* NumEdit6 = nullptr;
  TIntEdit* IntEdit1 = nullptr;
  QComboBox* CB1 = nullptr;
  QComboBox* CB2 = nullptr;
  QComboBox* CB3 = nullptr;
  QComboBox* CB4 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QLabel* apbLabel_ = nullptr;
  QLabel* asbLabel_ = nullptr;
  QLabel* apbUnit_ = nullptr;
  QLabel* asbUnit_ = nullptr;
  QLabel* passLabel_ = nullptr;
  QLabel* stopLabel_ = nullptr;
  QLabel* centerLabel_ = nullptr;
  QLabel* gainLabel_ = nullptr;
  QTabWidget* TabCtrl1 = nullptr;
  QWidget* templatePage_ = nullptr;
  QWidget* resultsPage_ = nullptr;
  TolerancePicture* picture_ = nullptr;
  ResultsGrid* results_ = nullptr;
  QLabel* resultsNote_ = nullptr;
  QPushButton* CalcBtn = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QPushButton* BitBtn3 = nullptr;
  QPushButton* BitBtn4 = nullptr;
};

}  // namespace tavrin::ui
