// The response graphs of the approximations (or of a user-defined filter): gain, phase,
// group delay, step and impulse responses and the pole-zero map, side by side in their
// colours, with a two-step zoom on the gain, exact values at a click, and the choice of
// the approximation the design goes on with.
#pragma once

#include <QWidget>
#include <array>
#include <optional>

#include "core/DesignState.h"
#include "response/PointCalculator.h"
#include "ui/TfmConfig.h"

class QAbstractButton;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabBar;

namespace tavrin::ui {

class ResponsePlot;
class TfmMain;
class TfmPtCalc;

class TfmGraph : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "View frequency and time responses, select Approximation:";
  static constexpr const char* kZoomMessage =
      "Draw zoom rectangle from upper left to lower right, holding down left mouse button as you draw.";

  enum class Tab { Gain, Phase, Delay, Step, Impulse, PoleZero };

  explicit TfmGraph(TfmMain& main, QWidget* parent = nullptr);
  ~TfmGraph() override;

  // Showing the window: set up afresh when the design has changed or not yet passed this
  // window, otherwise shown as it was left.
  void ShowWindow();
  void SetUp();
  // After a change of the display unit: the frequency axis is converted and the visible
  // tab recomputed.
  void RefreshForUnit();

  Tab CurrentTab() const;
  void SelectTab(Tab tab);
  // Evaluates the visible tab for every available approximation, then draws it.
  void EvaluateTab();
  void DrawGraph();

  // The approximation buttons, the view and the zoom: what the controls do.
  void ApproximationClick(int slot);
  void SetViewAll(bool all);
  void ZoomBtnClick();
  void UnzoomBtnClick();
  void ConfigureBtnClick();
  // After Apply of "Configure Axes": recomputes what the changes need and redraws.
  void ConfigurationApplied(const TfmConfig::Changes& changes);
  void NextBtnClick();
  void BackBtnClick();
  // The end of a zoom drag, in plot pixels.
  void ZoomDragged(QPoint from, QPoint to);
  // A left click on the plot: the point calculator, or the pole-zero texts.
  void PlotClicked(QPoint pixel);

  // Exports of the visible graph: a picture (PNG or SVG by the suffix) and its data as CSV.
  bool SaveGraph(const QString& fileName, const QSize& size);
  bool ExportData(const QString& fileName);
  QString CsvData() const;

  ResponsePlot* Plot() const { return plot_; }
  TfmPtCalc* PointCalculator() const { return ptCalc_; }
  // The text of the last pole-zero marker clicked (empty when none).
  QString PoleZeroText() const;
  bool IsUserDefined() const;
  bool Available(int slot) const;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void BuildControls();
  void AdjustTabs();
  void SetUpApproximationButtons();
  void UpdateZoomButtons();
  void StoreLevel(int level);
  void RestoreLevel(int level);
  void ResetTabLimits();
  void EvaluateGainOnly();
  void ConvertUnitIfNeeded();
  void DrawPoleZero();
  void UpdateReadout(std::optional<QPointF> value);
  response::ResponseTab PointTab() const;
  response::PointOptions PointOptionsNow() const;
  QString XTitle() const;
  QString YTitle() const;
  QString SaveGraphDialog();
  QString ExportDataDialog();

  TfmMain& main_;
  core::DesignState& state_;
  core::FrequencyUnit axesUnit_ = core::FrequencyUnit::Hz;
  bool setUpOnce_ = false;

  QLabel* caption_ = nullptr;
  QTabBar* tabs_ = nullptr;
  ResponsePlot* plot_ = nullptr;
  QListWidget* sectionList_ = nullptr;
  QLabel* readout_ = nullptr;
  QLabel* poleZeroInfo_ = nullptr;
  QGroupBox* approxGroup_ = nullptr;
  std::array<QRadioButton*, core::kSlotCount> radios_{};
  std::array<QLabel*, core::kSlotCount> orderLabels_{};
  QButtonGroup* radioGroup_ = nullptr;
  QRadioButton* viewAll_ = nullptr;
  QRadioButton* viewSingle_ = nullptr;
  QPushButton* zoom_ = nullptr;
  QPushButton* unzoom_ = nullptr;
  QPushButton* configure_ = nullptr;
  QPushButton* saveGraph_ = nullptr;
  QPushButton* exportData_ = nullptr;
  QPushButton* next_ = nullptr;
  TfmPtCalc* ptCalc_ = nullptr;

  // The pole-zero markers drawn: per series, per point, the root it stands for.
  struct Root {
    int slot = 0;
    bool pole = true;
    double re = 0;       // real part (negative for a stable pole), display unit
    double im = 0;       // imaginary part >= 0, display unit
    int multiplicity = 1;
    bool pair = false;
  };
  std::vector<std::vector<Root>> markerRoots_;
};

}  // namespace tavrin::ui
