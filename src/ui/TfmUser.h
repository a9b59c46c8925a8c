// The user-defined filter window: the user builds a filter section by section, each a
// first- or second-order stage typed by its Q and frequencies or by its poles, sees every
// section and the whole filter in a small gain graph, and goes on to the response graphs.
// It is a page of the main window.
//
// Controls (object names): RB1 "First", RB2 "Second"; RB3..RB6 "Lowpass", "Highpass",
// "Bandpass", "Bandstop"; RB7 " Qp,wp,wz", RB8 " poles"; NumEdit1..NumEdit5 the entries in
// the order of stages::SectionField (Q or p, wp, wz, the pole's imaginary part, To);
// AddBtn, DeleteBtn, SB1 (up), SB2 (down); ListBox1 the sections, OrderText under it;
// GainGraph; Result1..Result4 the read-out of a click in the graph; BitBtn1 Next,
// BitBtn2 Strategy, BitBtn3 Close, BitBtn4 Help.
#pragma once

#include <QWidget>
#include <array>
#include <vector>

#include "core/DesignState.h"
#include "stages/UserDefined.h"

class QCPGraph;
class QCPItemText;
class QCustomPlot;
class QGridLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace tavrin::ui {

class FractionLabel;
class TfmMain;
class TNumEdit;

class TfmUser : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Create one or more 1st or 2nd order stage(s)";

  explicit TfmUser(TfmMain& main, QWidget* parent = nullptr);

  // Start Design > User defined: an empty filter and the entries of a new section.
  void OpenNew();
  // A design file was read: the sections of the design, as they were saved.
  void RestoreDesign();
  // The display unit changed: labels, unit caption and graph follow; the read-out goes.
  void RefreshForUnit();

  // The section the entries describe now.
  stages::SectionEntry Entry() const;
  // "T(s) = numerator / denominator" as the preview shows it.
  QString PreviewText() const;
  // The four read-out captions of the graph.
  QStringList ResultCaptions() const;
  // A click in the graph at a frequency in the display unit: the read-out of that point.
  void ReadOut(double frequency);
  QCustomPlot* Graph() const { return graph_; }
  // The curves shown: all sections, and the selected section alone (V/V over the graph's
  // frequencies in the display unit).
  const std::vector<double>& CurveFrequencies() const { return frequencies_; }
  const std::vector<double>& FilterCurve() const { return filterCurve_; }
  const std::vector<double>& SectionCurve() const { return sectionCurve_; }
  // The selected section, 1-based; 0 when none is.
  int SelectedSection() const;
  void SelectSection(int section);

  // Handlers, named after their controls.
  void AddBtnClick();
  void DeleteBtnClick();
  void SB1Click();      // up
  void SB2Click();      // down
  void BitBtn1Click();  // Next
  void BitBtn2Click();  // Strategy
  void BitBtn3Click();  // Close
  void BitBtn4Click();  // Help

 protected:
  // The unit may have changed while another window was shown.
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  QWidget* BuildEntryPanel();
  QWidget* BuildSectionPanel();
  QWidget* BuildButtons();
  void ResetEntries();
  // Order, type and mode decide the labels, the fields shown and what may be chosen.
  void UpdateEntryControls();
  void UpdateAddEnabled();
  void UpdatePreview();
  void UpdateListButtons();
  // The list, the order and the graph from the design.
  void Rebuild(int select);
  void UpdateGraph();
  void ClearReadOut();
  void SectionsEdited(int select);
  void RowsDropped(int from, int to);

  TfmMain& main_;

  QRadioButton* RB1 = nullptr;
  QRadioButton* RB2 = nullptr;
  QRadioButton* RB3 = nullptr;
  QRadioButton* RB4 = nullptr;
  QRadioButton* RB5 = nullptr;
  QRadioButton* RB6 = nullptr;
  QRadioButton* RB7 = nullptr;
  QRadioButton* RB8 = nullptr;
  std::array<TNumEdit*, 5> edits_{};
  std::array<QLabel*, 5> labels_{};
  QLabel* unitCaption_ = nullptr;
  QGridLayout* dataGrid_ = nullptr;
  FractionLabel* preview_ = nullptr;
  QPushButton* AddBtn = nullptr;
  QPushButton* DeleteBtn = nullptr;
  QToolButton* SB1 = nullptr;
  QToolButton* SB2 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QLabel* orderText_ = nullptr;
  QCustomPlot* graph_ = nullptr;
  QCPGraph* filterGraph_ = nullptr;
  QCPGraph* sectionGraph_ = nullptr;
  QCPItemText* emptyNote_ = nullptr;
  std::array<QLabel*, 4> results_{};
  QLabel* readOutHint_ = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QPushButton* BitBtn3 = nullptr;
  QPushButton* BitBtn4 = nullptr;

  std::vector<double> frequencies_;
  std::vector<double> filterCurve_;
  std::vector<double> sectionCurve_;
  bool rebuilding_ = false;
  core::FrequencyUnit drawnUnit_ = core::FrequencyUnit::Hz;
};

}  // namespace tavrin::ui
