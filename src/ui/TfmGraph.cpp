#include "ui/TfmGraph.h"

#include <QButtonGroup>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <cmath>

#include "core/MathHelpers.h"
#include "core/NumberFormat.h"
#include "core/Paths.h"
#include "response/IdealResponse.h"
#include "response/ResponseSetup.h"
#include "response/TimeResponse.h"
#include "stages/UserDefined.h"
#include "ui/FileDialogs.h"
#include "ui/ResponsePlot.h"
#include "ui/TfmConfig.h"
#include "ui/TfmGraphParts.h"
#include "ui/TfmMain.h"
#include "ui/TfmPtCalc.h"
#include "ui/WaitCursor.h"

namespace tavrin::ui {

namespace {

using core::FrequencyUnit;
using graph::Text;

constexpr std::array<const char*, 6> kTabTexts = {"  Gain  ", "  Phase  ", "  Grp. Delay  ",
                                                  "  Step  ", "  Impulse  ", "  Pole-zero"};
constexpr std::array<const char*, core::kSlotCount> kRadioTexts = {
    " Butterworth ", " Chebyshev ", " Inverse Chebyshev", " Elliptic  (Cauer)  ", " Bessel (Thompson) "};

}  // namespace

TfmGraph::TfmGraph(TfmMain& main, QWidget* parent) : QWidget(parent), main_(main), state_(main.State()) {
  setObjectName(QStringLiteral("GraphsPage"));
  setWindowTitle(QString::fromUtf8(kCaption));
  BuildControls();
  ptCalc_ = new TfmPtCalc(state_, this);
  ptCalc_->SetOptions([this] { return PointOptionsNow(); });
}

TfmGraph::~TfmGraph() = default;

void TfmGraph::BuildControls() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(10, 8, 10, 8);
  caption_ = new QLabel(QString::fromUtf8(kCaption));
  caption_->setObjectName(QStringLiteral("Caption"));
  QFont bold = caption_->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.15);
  caption_->setFont(bold);
  outer->addWidget(caption_);

  auto* body = new QHBoxLayout;
  outer->addLayout(body, 1);

  // The graph: tabs over the plot, the section list beside it for a user-defined filter.
  auto* graphColumn = new QVBoxLayout;
  tabs_ = new QTabBar;
  tabs_->setObjectName(QStringLiteral("Tabs"));
  tabs_->setExpanding(false);
  tabs_->setDrawBase(true);
  for (const char* text : kTabTexts) tabs_->addTab(QString::fromLatin1(text));
  graphColumn->addWidget(tabs_);
  auto* plotRow = new QHBoxLayout;
  plot_ = new ResponsePlot;
  plotRow->addWidget(plot_, 1);
  sectionList_ = new QListWidget;
  sectionList_->setObjectName(QStringLiteral("SectionList"));
  sectionList_->setMaximumWidth(170);
  sectionList_->setVisible(false);
  plotRow->addWidget(sectionList_);
  graphColumn->addLayout(plotRow, 1);
  readout_ = new QLabel(QStringLiteral(" "));
  readout_->setObjectName(QStringLiteral("CursorReadout"));
  readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  graphColumn->addWidget(readout_);
  body->addLayout(graphColumn, 1);

  poleZeroInfo_ = new QLabel(plot_);
  poleZeroInfo_->setObjectName(QStringLiteral("PoleZeroInfo"));
  poleZeroInfo_->setStyleSheet(QStringLiteral(
      "QLabel { background: #ffffe8; border: 1px solid #808080; padding: 4px; color: black; }"));
  poleZeroInfo_->setVisible(false);

  // The controls.
  auto* side = new QVBoxLayout;
  side->setSpacing(8);
  approxGroup_ = new QGroupBox(QStringLiteral("Select Approximation"));
  approxGroup_->setObjectName(QStringLiteral("ApproxGroup"));
  auto* grid = new QGridLayout(approxGroup_);
  grid->setVerticalSpacing(2);
  radioGroup_ = new QButtonGroup(this);
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    auto* radio = new QRadioButton(QString::fromLatin1(kRadioTexts[static_cast<std::size_t>(slot)]));
    radio->setObjectName(QStringLiteral("ApproxRadio%1").arg(slot));
    QPalette palette = radio->palette();
    palette.setColor(QPalette::WindowText, ApproximationColor(slot));
    radio->setPalette(palette);
    auto* label = new QLabel;
    label->setObjectName(QStringLiteral("OrderLabel%1").arg(slot));
    grid->addWidget(radio, slot, 0);
    grid->addWidget(label, slot, 1);
    radioGroup_->addButton(radio, slot);
    radios_[static_cast<std::size_t>(slot)] = radio;
    orderLabels_[static_cast<std::size_t>(slot)] = label;
    connect(radio, &QRadioButton::clicked, this, [this, slot] { ApproximationClick(slot); });
  }
  side->addWidget(approxGroup_);

  auto* viewGroup = new QGroupBox(QStringLiteral("Display Approximations"));
  auto* viewLayout = new QVBoxLayout(viewGroup);
  viewAll_ = new QRadioButton(QStringLiteral("View all"));
  viewAll_->setObjectName(QStringLiteral("ViewAllBtn"));
  viewSingle_ = new QRadioButton(QStringLiteral("View single"));
  viewSingle_->setObjectName(QStringLiteral("ViewSingleBtn"));
  viewLayout->addWidget(viewAll_);
  viewLayout->addWidget(viewSingle_);
  connect(viewAll_, &QRadioButton::clicked, this, [this] { SetViewAll(true); });
  connect(viewSingle_, &QRadioButton::clicked, this, [this] { SetViewAll(false); });
  side->addWidget(viewGroup);

  auto* configGroup = new QGroupBox(QStringLiteral("Configure Graphs"));
  auto* configLayout = new QGridLayout(configGroup);
  zoom_ = new QPushButton(QStringLiteral("Zoom"));
  zoom_->setObjectName(QStringLiteral("ZoomBtn"));
  zoom_->setCheckable(true);
  zoom_->setToolTip(QStringLiteral("Zoom in on the gain: drag a rectangle from upper left to lower right"));
  unzoom_ = new QPushButton(QStringLiteral("Unzoom"));
  unzoom_->setObjectName(QStringLiteral("UnzoomBtn"));
  unzoom_->setToolTip(QStringLiteral("Back to the range before the last zoom"));
  configure_ = new QPushButton(QStringLiteral("Configure"));
  configure_->setObjectName(QStringLiteral("ConfigureBtn"));
  configure_->setToolTip(QStringLiteral("Axis ranges, scales, grid and 3 dB marker"));
  saveGraph_ = new QPushButton(QStringLiteral("Save graph..."));
  saveGraph_->setObjectName(QStringLiteral("SaveGraphBtn"));
  saveGraph_->setToolTip(QStringLiteral("Save the visible graph as a PNG picture or an SVG drawing"));
  exportData_ = new QPushButton(QStringLiteral("Export data..."));
  exportData_->setObjectName(QStringLiteral("ExportDataBtn"));
  exportData_->setToolTip(QStringLiteral("Save the curves of the visible tab as CSV"));
  configLayout->addWidget(zoom_, 0, 0);
  configLayout->addWidget(unzoom_, 0, 1);
  configLayout->addWidget(configure_, 1, 0, 1, 2);
  configLayout->addWidget(saveGraph_, 2, 0, 1, 2);
  configLayout->addWidget(exportData_, 3, 0, 1, 2);
  connect(zoom_, &QPushButton::clicked, this, &TfmGraph::ZoomBtnClick);
  connect(unzoom_, &QPushButton::clicked, this, &TfmGraph::UnzoomBtnClick);
  connect(configure_, &QPushButton::clicked, this, &TfmGraph::ConfigureBtnClick);
  connect(saveGraph_, &QPushButton::clicked, this, [this] {
    const QString file = SaveGraphDialog();
    if (!file.isEmpty()) SaveGraph(file, plot_->size());
  });
  connect(exportData_, &QPushButton::clicked, this, [this] {
    const QString file = ExportDataDialog();
    if (!file.isEmpty()) ExportData(file);
  });
  side->addWidget(configGroup);
  side->addStretch(1);

  auto* strategy = new QPushButton(QStringLiteral("Strategy"));
  strategy->setObjectName(QStringLiteral("StrategyBtn"));
  auto* back = new QPushButton(QStringLiteral("Back"));
  back->setObjectName(QStringLiteral("BackBtn"));
  next_ = new QPushButton(QStringLiteral("Next"));
  next_->setObjectName(QStringLiteral("NextBtn"));
  next_->setToolTip(QStringLiteral("Go on with the chosen approximation"));
  auto* close = new QPushButton(QStringLiteral("&Close"));
  close->setObjectName(QStringLiteral("CloseBtn"));
  auto* help = new QPushButton(QStringLiteral("Help"));
  help->setObjectName(QStringLiteral("HelpBtn"));
  auto* buttons = new QGridLayout;
  buttons->addWidget(strategy, 0, 0);
  buttons->addWidget(help, 0, 1);
  buttons->addWidget(close, 1, 1);
  buttons->addWidget(back, 2, 0);
  buttons->addWidget(next_, 2, 1);
  side->addLayout(buttons);
  body->addLayout(side);

  connect(strategy, &QPushButton::clicked, this, [this] { main_.ShowStrategy(3); });
  connect(help, &QPushButton::clicked, this, [this] { main_.ShowHelp(QStringLiteral("graphs.html")); });
  connect(back, &QPushButton::clicked, this, &TfmGraph::BackBtnClick);
  connect(next_, &QPushButton::clicked, this, &TfmGraph::NextBtnClick);
  connect(close, &QPushButton::clicked, this, [this] {
    if (main_.SavePrompt()) main_.ResetDesign();
  });
  connect(tabs_, &QTabBar::currentChanged, this, [this](int) {
    if (!setUpOnce_) return;
    poleZeroInfo_->hide();
    EvaluateTab();
  });
  connect(plot_, &ResponsePlot::areaClicked, this, &TfmGraph::PlotClicked);
  connect(plot_, &ResponsePlot::zoomDragged, this, &TfmGraph::ZoomDragged);
  connect(plot_, &ResponsePlot::zoomCancelled, this, [this] {
    state_.idealGraph.zoomArmed = false;
    state_.idealAxes.rangeLocked = false;
    plot_->SetZoomArmed(false);
    zoom_->setChecked(false);
  });
  connect(plot_, &ResponsePlot::hovered, this, &TfmGraph::UpdateReadout);
  connect(sectionList_, &QListWidget::currentRowChanged, this, [this](int) {
    if (CurrentTab() == Tab::PoleZero) DrawGraph();
  });
}

// ---------------------------------------------------------------------------------------
// Showing and setting up

bool TfmGraph::IsUserDefined() const {
  return state_.spec.kind == core::FilterKind::UserDefined;
}

bool TfmGraph::Available(int slot) const {
  if (slot < 0 || slot > state_.lastSlot || slot >= core::kSlotCount) return false;
  if (IsUserDefined()) return slot == 0;
  return core::SlotHasResult(state_, slot);
}

void TfmGraph::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The pole-zero scale depends on the plot's size, known only once shown.
  if (setUpOnce_ && CurrentTab() == Tab::PoleZero) DrawGraph();
}

void TfmGraph::hideEvent(QHideEvent* event) {
  ptCalc_->hide();
  QWidget::hideEvent(event);
}

void TfmGraph::ShowWindow() {
  if (!setUpOnce_ || state_.stepsStale || state_.designStep < 3) {
    SetUp();
  } else {
    ConvertUnitIfNeeded();
    DrawGraph();
  }
}

void TfmGraph::AdjustTabs() {
  const bool user = IsUserDefined();
  const bool hasTimeTabs = tabs_->count() == 6;
  const QSignalBlocker block(tabs_);
  if (user && hasTimeTabs) {
    tabs_->removeTab(4);
    tabs_->removeTab(3);
  } else if (!user && !hasTimeTabs) {
    tabs_->insertTab(3, QString::fromLatin1(kTabTexts[3]));
    tabs_->insertTab(4, QString::fromLatin1(kTabTexts[4]));
  }
}

void TfmGraph::SetUpApproximationButtons() {
  const bool user = IsUserDefined();
  approxGroup_->setTitle(user ? QStringLiteral("User-defined filter") : QStringLiteral("Select Approximation"));
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    QRadioButton* radio = radios_[static_cast<std::size_t>(slot)];
    QLabel* label = orderLabels_[static_cast<std::size_t>(slot)];
    const core::ApproxResult& r = state_.results[static_cast<std::size_t>(slot)];
    const bool shown = !user || slot == 0;
    radio->setVisible(shown);
    label->setVisible(shown);
    if (!shown) continue;
    radio->setText(user ? QStringLiteral(" User defined") : QString::fromLatin1(kRadioTexts[static_cast<std::size_t>(slot)]));
    if (!user && r.tooHigh) {
      label->setText(QStringLiteral("N > %1").arg(core::kMaxOrder));
    } else {
      label->setText(QStringLiteral("N = %1").arg(r.order));
    }
    radio->setEnabled(Available(slot));
    label->setEnabled(Available(slot));
  }
  // The chosen approximation stays chosen when it can be; otherwise the last available.
  int chosen = state_.chosenSlot;
  if (!Available(chosen)) {
    for (int slot = 0; slot <= state_.lastSlot && slot < core::kSlotCount; ++slot)
      if (Available(slot)) chosen = slot;
    if (chosen != state_.chosenSlot && Available(chosen)) {
      state_.modified = true;
      state_.stepsStale = true;
    }
  }
  if (Available(chosen)) {
    state_.chosenSlot = static_cast<std::int16_t>(chosen);
    core::SetCurrentSlot(state_, chosen);
    radios_[static_cast<std::size_t>(chosen)]->setChecked(true);
  }
}

void TfmGraph::SetUp() {
  core::GraphConfig& g = state_.idealGraph;
  g.zoomArmed = false;
  g.zoomed = false;
  g.currentLevel = 0;
  state_.idealAxes.rangeLocked = false;
  plot_->SetZoomArmed(false);
  zoom_->setChecked(false);
  axesUnit_ = state_.frequencyUnit;
  AdjustTabs();
  SetUpApproximationButtons();
  (g.viewAll ? viewAll_ : viewSingle_)->setChecked(true);
  sectionList_->clear();
  if (IsUserDefined()) {
    for (int s = 1; s <= state_.stageCount; ++s) {
      QString line = Text(stages::SectionListLine(state_, s));
      line.replace(QLatin1Char('\t'), QStringLiteral("  "));
      sectionList_->addItem(line);
    }
  }
  setUpOnce_ = true;
  {
    const QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(0);
  }
  poleZeroInfo_->hide();
  EvaluateTab();
  StoreLevel(0);
  UpdateZoomButtons();
}

void TfmGraph::ConvertUnitIfNeeded() {
  if (axesUnit_ == state_.frequencyUnit) return;
  const double factor = state_.frequencyUnit == FrequencyUnit::Hz ? 1 / core::kTwoPi : core::kTwoPi;
  core::IdealAxes& ax = state_.idealAxes;
  ax.freqStart *= factor;
  ax.freqStop *= factor;
  ax.freqLimitLow *= factor;
  ax.freqLimitHigh *= factor;
  // The zoom levels keep their frequencies in the display unit too, so unzooming after a
  // unit change returns to the same range.
  for (core::GraphZoomLevel& level : state_.idealGraph.level) {
    level.freqStart *= factor;
    level.freqStop *= factor;
  }
  axesUnit_ = state_.frequencyUnit;
  response::ComputeFrequencyGrid(state_);
}

void TfmGraph::RefreshForUnit() {
  if (!setUpOnce_) return;
  ConvertUnitIfNeeded();
  EvaluateTab();
}

// ---------------------------------------------------------------------------------------
// Tabs and evaluation

TfmGraph::Tab TfmGraph::CurrentTab() const {
  const int index = tabs_->currentIndex();
  if (IsUserDefined() && tabs_->count() == 4) {
    static constexpr std::array<Tab, 4> kUserTabs = {Tab::Gain, Tab::Phase, Tab::Delay, Tab::PoleZero};
    return kUserTabs[static_cast<std::size_t>(std::clamp(index, 0, 3))];
  }
  return static_cast<Tab>(std::clamp(index, 0, 5));
}

void TfmGraph::SelectTab(Tab tab) {
  int index = static_cast<int>(tab);
  if (tabs_->count() == 4) {
    if (tab == Tab::Step || tab == Tab::Impulse) return;
    if (tab == Tab::PoleZero) index = 3;
  }
  tabs_->setCurrentIndex(index);
}

void TfmGraph::ResetTabLimits() {
  core::IdealAxes& ax = state_.idealAxes;
  ax.phaseTop = 0;
  ax.phaseBottom = 1000;
  ax.delayTop = 0;
  ax.stepMin = 0;
  ax.stepMax = 0;
  ax.impulseMax = -10000;
  ax.impulseMin = 1000;
  ax.impulseExponent = 0;
}

void TfmGraph::EvaluateGainOnly() {
  const int n = state_.gridN;
  for (int slot = 0; slot <= state_.lastSlot && slot < core::kSlotCount; ++slot) {
    if (!Available(slot)) continue;
    core::SetCurrentSlot(state_, slot);
    if (IsUserDefined()) {
      stages::ComputeUserGainCurve(state_, 0, n);
      response::MarkTransmissionZeros(state_);
    } else {
      response::ComputeIdealGain(state_, 0, n);
      if (!state_.allPole) response::MarkTransmissionZeros(state_);
    }
  }
  core::SetCurrentSlot(state_, state_.chosenSlot);
}

void TfmGraph::EvaluateTab() {
  {
    const WaitCursor busy;
    ResetTabLimits();
    const Tab tab = CurrentTab();
    const int n = state_.gridN;
    if (tab == Tab::Gain) {
      EvaluateGainOnly();
    } else if (tab != Tab::PoleZero) {
      for (int slot = 0; slot <= state_.lastSlot && slot < core::kSlotCount; ++slot) {
        if (!Available(slot)) continue;
        core::SetCurrentSlot(state_, slot);
        switch (tab) {
          case Tab::Phase:
            response::ComputeIdealPhase(state_, 0, n);
            break;
          case Tab::Delay:
            response::ComputeIdealDelay(state_, 0, n);
            break;
          case Tab::Step:
            response::ComputeStepResponse(state_, 0, n);
            break;
          case Tab::Impulse:
            response::ComputeImpulseResponse(state_, 0, n);
            break;
          default:
            break;
        }
      }
      core::SetCurrentSlot(state_, state_.chosenSlot);
    }
  }
  DrawGraph();
}

// ---------------------------------------------------------------------------------------
// Drawing

QString TfmGraph::XTitle() const {
  const Tab tab = CurrentTab();
  if (tab == Tab::Step || tab == Tab::Impulse) return Text(response::TimeAxisTitle(state_));
  if (tab == Tab::PoleZero) return QStringLiteral("Re[s]");
  return state_.frequencyUnit == FrequencyUnit::Hz ? QStringLiteral("Frequency  (Hz)")
                                                  : QStringLiteral("Frequency  (rad/s)");
}

QString TfmGraph::YTitle() const {
  const core::IdealAxes& ax = state_.idealAxes;
  switch (CurrentTab()) {
    case Tab::Gain:
      return state_.idealGraph.gainInDb ? QStringLiteral("Gain  (dB)") : QStringLiteral("Gain  (Vo/Vin)");
    case Tab::Phase:
      return state_.idealGraph.phaseInDegrees ? QStringLiteral("Phase (degrees)") : QStringLiteral("Phase (radians)");
    case Tab::Delay:
      return QStringLiteral("Delay (X1e%1 s)").arg(ax.delayExponent);
    case Tab::Step:
      return QString::fromLatin1(response::kStepAxisTitle);
    case Tab::Impulse:
      return Text(response::ImpulseAxisTitle(state_));
    case Tab::PoleZero:
      return QStringLiteral("Im[s]");
  }
  return QString();
}

void TfmGraph::DrawGraph() {
  if (!setUpOnce_) return;
  const Tab tab = CurrentTab();
  sectionList_->setVisible(IsUserDefined() && tab == Tab::PoleZero);
  if (tab == Tab::PoleZero) {
    DrawPoleZero();
    return;
  }
  const core::IdealAxes& ax = state_.idealAxes;
  const core::GraphConfig& g = state_.idealGraph;
  const bool hz = state_.frequencyUnit == FrequencyUnit::Hz;
  const bool time = tab == Tab::Step || tab == Tab::Impulse;
  const double timeScale = core::Pow10(-ax.timeExponent);
  const double radians = g.phaseInDegrees ? 1.0 : core::kPi / 180.0;
  const double delayScale = core::Pow10(-ax.delayExponent);
  const double impulseScale = core::Pow10(-ax.impulseExponent);

  PlotAxes axes;
  axes.xTitle = XTitle();
  axes.yTitle = YTitle();
  axes.horizontalGrid = g.gridLinesHorizontal;
  axes.verticalGrid = g.gridLinesVertical;
  if (time) {
    axes.xMin = 0;
    axes.xMax = ax.timeSpan;
  } else {
    axes.xMin = ax.freqStart;
    axes.xMax = ax.freqStop;
    axes.xLog = ax.logarithmic;
  }
  switch (tab) {
    case Tab::Gain:
      axes.yMin = g.gainInDb ? ax.dbBottom : ax.vvBottom;
      axes.yMax = g.gainInDb ? ax.dbTop : ax.vvTop;
      break;
    case Tab::Phase:
      axes.yMin = -ax.phaseTop * radians;
      axes.yMax = -ax.phaseBottom * radians;
      break;
    case Tab::Delay:
      axes.yMin = 0;
      axes.yMax = ax.delayTop * delayScale;
      break;
    case Tab::Step:
      axes.yMin = ax.stepMin;
      axes.yMax = ax.stepMax;
      break;
    case Tab::Impulse:
      axes.yMin = ax.impulseMin;
      axes.yMax = ax.impulseMax;
      break;
    case Tab::PoleZero:
      break;
  }
  if (!(axes.yMax > axes.yMin)) axes.yMax = axes.yMin + 1;

  std::vector<PlotSeries> series;
  const int n = state_.gridN;
  for (int slot = 0; slot <= state_.lastSlot && slot < core::kSlotCount; ++slot) {
    if (!Available(slot)) continue;
    if (!g.viewAll && slot != state_.chosenSlot) continue;
    PlotSeries s;
    s.id = slot;
    s.color = ApproximationColor(slot);
    s.style = IsUserDefined() ? Qt::SolidLine : ApproximationPenStyle(slot);
    s.name = IsUserDefined() ? QStringLiteral("User defined") : Text(core::ApproximationName(slot));
    s.x.reserve(n + 1);
    s.y.reserve(n + 1);
    for (int i = 0; i <= n; ++i) {
      const core::CurveRecord& c = response::CurveAt(state_, slot, i);
      const auto index = static_cast<std::size_t>(i);
      double x = 0, y = 0;
      if (time) {
        x = state_.timeGrid[index] * timeScale;
      } else {
        x = hz ? state_.frequencyGrid[index].hz : state_.frequencyGrid[index].rad;
      }
      switch (tab) {
        case Tab::Gain:
          y = g.gainInDb ? c.gainDb : c.gainVv;
          break;
        case Tab::Phase:
          y = -c.phaseLag * radians;
          break;
        case Tab::Delay:
          y = c.delay * delayScale;
          break;
        case Tab::Step:
          y = c.step;
          break;
        case Tab::Impulse:
          y = c.impulse * impulseScale;
          break;
        case Tab::PoleZero:
          break;
      }
      s.x.push_back(x);
      s.y.push_back(y);
    }
    series.push_back(std::move(s));
  }

  std::optional<double> level;
  if (tab == Tab::Gain && g.marker3dB) {
    const double vv = state_.spec.overallGain / std::sqrt(2.0);
    const double y = g.gainInDb ? 20 * std::log10(vv) : vv;
    if (y > axes.yMin && y < axes.yMax) level = y;
  }
  markerRoots_.clear();
  plot_->SetAreaCursor(QCursor(Qt::PointingHandCursor));
  plot_->SetAxes(axes);
  plot_->SetSeries(std::move(series));
  plot_->SetLevelLine(level);
  plot_->Redraw();
  UpdateZoomButtons();
}

// ---------------------------------------------------------------------------------------
// Approximations and view

void TfmGraph::ApproximationClick(int slot) {
  if (!Available(slot)) return;
  core::SetCurrentSlot(state_, slot);
  state_.chosenSlot = static_cast<std::int16_t>(slot);
  radios_[static_cast<std::size_t>(slot)]->setChecked(true);
  state_.modified = true;
  state_.stepsStale = true;
  if (!state_.idealGraph.viewAll) DrawGraph();
}

void TfmGraph::SetViewAll(bool all) {
  state_.idealGraph.viewAll = all;
  viewAll_->setChecked(all);
  viewSingle_->setChecked(!all);
  DrawGraph();
}

void TfmGraph::NextBtnClick() {
  ptCalc_->hide();
  main_.ContinueFromGraphs();
}

void TfmGraph::BackBtnClick() {
  ptCalc_->hide();
  main_.BackFromGraphs();
}

// ---------------------------------------------------------------------------------------
// Zoom

void TfmGraph::StoreLevel(int level) {
  const core::IdealAxes& ax = state_.idealAxes;
  core::GraphZoomLevel& l = state_.idealGraph.level[static_cast<std::size_t>(level)];
  l.freqStart = ax.freqStart;
  l.freqStop = ax.freqStop;
  l.vvBottom = ax.vvBottom;
  l.vvTop = ax.vvTop;
  l.dbBottom = ax.dbBottom;
  l.dbTop = ax.dbTop;
}

void TfmGraph::RestoreLevel(int level) {
  core::IdealAxes& ax = state_.idealAxes;
  const core::GraphZoomLevel& l = state_.idealGraph.level[static_cast<std::size_t>(level)];
  ax.freqStart = l.freqStart;
  ax.freqStop = l.freqStop;
  ax.vvBottom = l.vvBottom;
  ax.vvTop = l.vvTop;
  ax.dbBottom = l.dbBottom;
  ax.dbTop = l.dbTop;
}

void TfmGraph::UpdateZoomButtons() {
  const core::GraphConfig& g = state_.idealGraph;
  zoom_->setEnabled(g.currentLevel < 2);
  zoom_->setChecked(g.zoomArmed);
  unzoom_->setEnabled(g.currentLevel >= 1);
}

void TfmGraph::ZoomBtnClick() {
  core::GraphConfig& g = state_.idealGraph;
  if (CurrentTab() != Tab::Gain || g.currentLevel >= 2) {
    zoom_->setChecked(false);
    return;
  }
  g.zoomArmed = !g.zoomArmed;
  state_.idealAxes.rangeLocked = g.zoomArmed;
  plot_->SetZoomArmed(g.zoomArmed);
  zoom_->setChecked(g.zoomArmed);
  ptCalc_->hide();
}

void TfmGraph::ZoomDragged(QPoint from, QPoint to) {
  core::GraphConfig& g = state_.idealGraph;
  core::IdealAxes& ax = state_.idealAxes;
  auto endZoomMode = [&] {
    g.zoomArmed = false;
    ax.rangeLocked = false;
    plot_->SetZoomArmed(false);
    zoom_->setChecked(false);
  };
  if (to.x() - from.x() < 1 || to.y() - from.y() < 1) {
    endZoomMode();
    ShowMessage(main_.Presenter(), this,
                MakeMessage(kZoomMessage, approx::MessageKind::Information, approx::MessageButtons::Ok));
    return;
  }
  StoreLevel(g.currentLevel);
  const double vvTopFound = ax.vvTop;
  ax.freqStart = plot_->XAt(from.x());
  ax.freqStop = plot_->XAt(to.x());
  const double top = plot_->YAt(from.y());
  const double bottom = plot_->YAt(to.y());
  if (g.gainInDb) {
    ax.dbTop = top;
    ax.dbBottom = bottom;
    ax.vvTop = std::min(std::pow(10.0, 0.05 * top), vvTopFound);
    ax.vvBottom = std::pow(10.0, 0.05 * bottom);
  } else {
    ax.vvTop = top;
    ax.vvBottom = std::max(0.0, bottom);
    ax.dbTop = 20 * std::log10(ax.vvTop);
    ax.dbBottom = ax.vvBottom > 0 ? 20 * std::log10(ax.vvBottom) : response::kNotchDb;
  }
  EvaluateGainOnly();  // on the grid as it is, with the ranging still locked
  endZoomMode();
  g.zoomed = true;
  ++g.currentLevel;
  StoreLevel(g.currentLevel);
  DrawGraph();
}

void TfmGraph::UnzoomBtnClick() {
  core::GraphConfig& g = state_.idealGraph;
  if (CurrentTab() != Tab::Gain || g.currentLevel < 1) return;
  RestoreLevel(g.currentLevel - 1);
  response::ComputeFrequencyGrid(state_);
  EvaluateGainOnly();
  --g.currentLevel;
  if (g.currentLevel == 0) g.zoomed = false;
  DrawGraph();
}

void TfmGraph::ConfigureBtnClick() {
  TfmConfig config(state_, this);
  if (config.exec() == QDialog::Accepted) {
    ConfigurationApplied(config.Applied());
  } else {
    // Cancel left every limit and setting as it was.
    DrawGraph();
  }
}

void TfmGraph::ConfigurationApplied(const TfmConfig::Changes& changes) {
  if (changes.frequencyGrid) response::ComputeFrequencyGrid(state_);
  if (changes.timeGrid) response::ComputeTimeGrid(state_);
  if (changes.frequencyGrid || changes.timeGrid || changes.gainUnit) {
    EvaluateTab();
  } else {
    DrawGraph();
  }
}

}  // namespace tavrin::ui
