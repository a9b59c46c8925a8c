#include "ui/TfmConfig.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

#include "core/MathHelpers.h"
#include "core/NumberFormat.h"

namespace tavrin::ui {

namespace {

constexpr int kGainSteps = 20;  // 200 dB in 10 dB steps; V/V in twentieths of the top
constexpr int kTimeSteps = 20;  // the span in ticks, up to twice the longest time

QSlider* MakeSlider(const char* name) {
  auto* slider = new QSlider(Qt::Horizontal);
  slider->setObjectName(QString::fromLatin1(name));
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setPageStep(1);
  slider->setMinimumWidth(260);
  return slider;
}

QString Short(double x) {
  return QString::number(x, 'g', 4);
}

}  // namespace

TfmConfig::TfmConfig(core::DesignState& state, QWidget* parent)
    : QDialog(parent), state_(state), axes_(state.idealAxes), graph_(state.idealGraph) {
  setObjectName(QStringLiteral("TfmConfig"));
  setWindowTitle(QStringLiteral("Configure Axes"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);

  auto* freqGroup = new QGroupBox(QStringLiteral("Frequency axis"));
  auto* freqLayout = new QGridLayout(freqGroup);
  freqStart_ = MakeSlider("FreqStartSlider");
  freqStop_ = MakeSlider("FreqStopSlider");
  freqText_ = new QLabel;
  freqText_->setObjectName(QStringLiteral("FreqText"));
  log_ = new QRadioButton(QStringLiteral(" logarithmic"));
  log_->setObjectName(QStringLiteral("LogRadio"));
  linear_ = new QRadioButton(QStringLiteral(" linear"));
  linear_->setObjectName(QStringLiteral("LinearRadio"));
  freqLayout->addWidget(new QLabel(QStringLiteral("Start")), 0, 0);
  freqLayout->addWidget(freqStart_, 0, 1);
  freqLayout->addWidget(log_, 0, 2);
  freqLayout->addWidget(new QLabel(QStringLiteral("Stop")), 1, 0);
  freqLayout->addWidget(freqStop_, 1, 1);
  freqLayout->addWidget(linear_, 1, 2);
  freqLayout->addWidget(freqText_, 2, 1);
  layout->addWidget(freqGroup);

  auto* gainGroup = new QGroupBox(QStringLiteral("Attenuation axis"));
  auto* gainLayout = new QGridLayout(gainGroup);
  gainTop_ = MakeSlider("GainTopSlider");
  gainBottom_ = MakeSlider("GainBottomSlider");
  gainText_ = new QLabel;
  gainText_->setObjectName(QStringLiteral("GainText"));
  db_ = new QRadioButton(QStringLiteral(" log (dB)"));
  db_->setObjectName(QStringLiteral("DbRadio"));
  vv_ = new QRadioButton(QStringLiteral(" linear (V/V)"));
  vv_->setObjectName(QStringLiteral("VvRadio"));
  gainLayout->addWidget(new QLabel(QStringLiteral("Top")), 0, 0);
  gainLayout->addWidget(gainTop_, 0, 1);
  gainLayout->addWidget(db_, 0, 2);
  gainLayout->addWidget(new QLabel(QStringLiteral("Bottom")), 1, 0);
  gainLayout->addWidget(gainBottom_, 1, 1);
  gainLayout->addWidget(vv_, 1, 2);
  gainLayout->addWidget(gainText_, 2, 1);
  layout->addWidget(gainGroup);

  auto* timeGroup = new QGroupBox(QStringLiteral("Time axis (ms)"));
  auto* timeLayout = new QHBoxLayout(timeGroup);
  time_ = MakeSlider("TimeSlider");
  timeText_ = new QLabel;
  timeText_->setObjectName(QStringLiteral("TimeText"));
  timeLayout->addWidget(time_, 1);
  timeLayout->addWidget(timeText_);
  layout->addWidget(timeGroup);

  auto* checks = new QHBoxLayout;
  auto* gridGroup = new QGroupBox(QStringLiteral("Grid "));
  auto* gridLayout = new QVBoxLayout(gridGroup);
  grid_ = new QCheckBox(QStringLiteral(" show grid lines"));
  grid_->setObjectName(QStringLiteral("GridCheck"));
  gridLayout->addWidget(grid_);
  auto* markerGroup = new QGroupBox(QStringLiteral("3dB Marker"));
  auto* markerLayout = new QVBoxLayout(markerGroup);
  marker_ = new QCheckBox(QStringLiteral(" show 3dB attenuation"));
  marker_->setObjectName(QStringLiteral("MarkerCheck"));
  markerLayout->addWidget(marker_);
  checks->addWidget(gridGroup);
  checks->addWidget(markerGroup);
  layout->addLayout(checks);

  auto* buttons = new QDialogButtonBox;
  QPushButton* apply = buttons->addButton(QStringLiteral("Apply"), QDialogButtonBox::AcceptRole);
  apply->setObjectName(QStringLiteral("ApplyBtn"));
  QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("CancelBtn"));
  layout->addWidget(buttons);
  connect(apply, &QPushButton::clicked, this, &TfmConfig::ApplyBtnClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  BuildLadders();
  LoadSliders();
  for (QSlider* s : {freqStart_, freqStop_, gainBottom_, gainTop_, time_})
    connect(s, &QSlider::valueChanged, this, [this] { UpdateTexts(); });
  // The two thumbs of a range never cross.
  connect(freqStart_, &QSlider::valueChanged, this, [this](int v) {
    if (freqStop_->value() <= v) freqStop_->setValue(std::min(v + 1, freqStop_->maximum()));
  });
  connect(freqStop_, &QSlider::valueChanged, this, [this](int v) {
    if (freqStart_->value() >= v) freqStart_->setValue(std::max(v - 1, 0));
  });
  connect(gainBottom_, &QSlider::valueChanged, this, [this](int v) {
    if (gainTop_->value() <= v) gainTop_->setValue(std::min(v + 1, kGainSteps));
  });
  connect(gainTop_, &QSlider::valueChanged, this, [this](int v) {
    if (gainBottom_->value() >= v) gainBottom_->setValue(std::max(v - 1, 0));
  });
  auto gainUnitChanged = [this] {
    graph_.gainInDb = db_->isChecked();
    LoadSliders();
  };
  connect(db_, &QRadioButton::clicked, this, gainUnitChanged);
  connect(vv_, &QRadioButton::clicked, this, gainUnitChanged);
  UpdateTexts();
}

void TfmConfig::BuildLadders() {
  // The frequency ladder covers the range the design allows, widened to hold the present
  // limits (a zoomed range can sit between two rungs).
  double low = axes_.freqLimitLow > 0 ? axes_.freqLimitLow : axes_.freqStart;
  double high = axes_.freqLimitHigh > low ? axes_.freqLimitHigh : axes_.freqStop;
  if (axes_.freqStart > 0) low = std::min(low, axes_.freqStart);
  high = std::max(high, axes_.freqStop);
  if (!(low > 0)) low = high > 0 ? high / 1000 : 1;
  // From the largest rung at or below `low` to the smallest at or above `high`.
  std::vector<double> rungs;
  const int eFirst = static_cast<int>(std::floor(std::log10(low))) - 1;
  const int eLast = static_cast<int>(std::ceil(std::log10(high))) + 1;
  for (int e = eFirst; e <= eLast; ++e)
    for (int m = 1; m <= 9; ++m) rungs.push_back(m * core::Pow10(e));
  frequencies_.clear();
  for (std::size_t i = 0; i < rungs.size(); ++i) {
    const bool belowLow = i + 1 < rungs.size() && rungs[i + 1] <= low * (1 + 1e-9);
    const bool aboveHigh = i > 0 && rungs[i - 1] >= high * (1 - 1e-9);
    if (!belowLow && !aboveHigh) frequencies_.push_back(rungs[i]);
  }
  if (frequencies_.size() < 2) frequencies_ = {low, high};
  freqStart_->setRange(0, FrequencyPositions() - 1);
  freqStop_->setRange(0, FrequencyPositions() - 1);
  dbTop_ = axes_.dbTop;
  vvTop_ = axes_.vvTop > 0 ? axes_.vvTop : 1;
  gainBottom_->setRange(0, kGainSteps);
  gainTop_->setRange(0, kGainSteps);
  time_->setRange(1, kTimeSteps);
}

double TfmConfig::FrequencyAt(int position) const {
  return frequencies_[static_cast<std::size_t>(std::clamp(position, 0, FrequencyPositions() - 1))];
}

int TfmConfig::NearestFrequency(double f) const {
  int best = 0;
  double bestDistance = 1e300;
  for (int i = 0; i < FrequencyPositions(); ++i) {
    const double d = std::fabs(std::log(FrequencyAt(i) / f));
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

double TfmConfig::GainAt(int position) const {
  if (graph_.gainInDb) return dbTop_ - 10.0 * (kGainSteps - position);
  return vvTop_ * position / kGainSteps;
}

double TfmConfig::TimeSpanAt(int position) const {
  return position * (axes_.timeTick > 0 ? axes_.timeTick : axes_.timeMax / 10);
}

void TfmConfig::LoadSliders() {
  const QSignalBlocker b1(freqStart_), b2(freqStop_), b3(gainBottom_), b4(gainTop_), b5(time_);
  freqStart_->setValue(NearestFrequency(axes_.freqStart > 0 ? axes_.freqStart : FrequencyAt(0)));
  freqStop_->setValue(NearestFrequency(axes_.freqStop));
  if (freqStop_->value() <= freqStart_->value()) freqStop_->setValue(freqStart_->value() + 1);
  (axes_.logarithmic ? log_ : linear_)->setChecked(true);
  (graph_.gainInDb ? db_ : vv_)->setChecked(true);
  if (graph_.gainInDb) {
    gainTop_->setValue(kGainSteps);
    gainBottom_->setValue(std::clamp(kGainSteps - static_cast<int>(std::lround((dbTop_ - axes_.dbBottom) / 10)), 0,
                                     kGainSteps - 1));
  } else {
    gainTop_->setValue(std::clamp(static_cast<int>(std::lround(axes_.vvTop / vvTop_ * kGainSteps)), 1, kGainSteps));
    gainBottom_->setValue(
        std::clamp(static_cast<int>(std::lround(axes_.vvBottom / vvTop_ * kGainSteps)), 0, gainTop_->value() - 1));
  }
  const double tick = TimeSpanAt(1);
  time_->setValue(std::clamp(tick > 0 ? static_cast<int>(std::lround(axes_.timeSpan / tick)) : 4, 1, kTimeSteps));
  loadedGainTop_ = gainTop_->value();
  loadedGainBottom_ = gainBottom_->value();
  grid_->setChecked(graph_.gridLinesHorizontal || graph_.gridLinesVertical);
  marker_->setChecked(graph_.marker3dB);
  UpdateTexts();
}

void TfmConfig::UpdateTexts() {
  const QString unit = state_.frequencyUnit == core::FrequencyUnit::Hz ? QStringLiteral("Hz") : QStringLiteral("rad/s");
  freqText_->setText(QStringLiteral("%1 to %2 %3").arg(Short(FrequencyAt(freqStart_->value())),
                                                       Short(FrequencyAt(freqStop_->value())), unit));
  const QString gainUnit = graph_.gainInDb ? QStringLiteral("dB") : QStringLiteral("V/V");
  gainText_->setText(QStringLiteral("%1 to %2 %3").arg(Short(GainAt(gainBottom_->value())),
                                                       Short(GainAt(gainTop_->value())), gainUnit));
  const double ms = TimeSpanAt(time_->value()) * core::Pow10(axes_.timeExponent) * 1000;
  timeText_->setText(QStringLiteral("%1 ms").arg(Short(ms)));
}

void TfmConfig::ApplyBtnClick() {
  core::IdealAxes& ax = state_.idealAxes;
  core::GraphConfig& g = state_.idealGraph;
  const double start = FrequencyAt(freqStart_->value());
  const double stop = FrequencyAt(freqStop_->value());
  const bool logarithmic = log_->isChecked();
  // Positions the user did not move keep the exact limits (a zoomed range stays as it was).
  const bool startMoved = freqStart_->value() != NearestFrequency(axes_.freqStart > 0 ? axes_.freqStart : start);
  const bool stopMoved = freqStop_->value() != NearestFrequency(axes_.freqStop);
  const double newStart = startMoved ? start : axes_.freqStart;
  const double newStop = stopMoved ? stop : axes_.freqStop;
  applied_.frequencyGrid = logarithmic != axes_.logarithmic || newStart != axes_.freqStart || newStop != axes_.freqStop;
  ax.freqStart = newStart;
  ax.freqStop = newStop;
  ax.logarithmic = logarithmic;
  g.logFrequency = logarithmic;

  applied_.gainUnit = db_->isChecked() != state_.idealGraph.gainInDb;
  g.gainInDb = db_->isChecked();
  const double top = GainAt(gainTop_->value());
  const double bottom = GainAt(gainBottom_->value());
  const bool gainMoved = applied_.gainUnit || gainTop_->value() != loadedGainTop_ ||
                         gainBottom_->value() != loadedGainBottom_;
  if (!gainMoved) {
    // The limits stay exactly as they were (a zoomed range is not on the ladder).
  } else if (g.gainInDb) {
    ax.dbTop = top;
    ax.dbBottom = bottom;
    ax.vvTop = std::pow(10.0, 0.05 * top);
    ax.vvBottom = std::pow(10.0, 0.05 * bottom);
  } else {
    ax.vvTop = top;
    ax.vvBottom = bottom;
    ax.dbTop = 20 * std::log10(top);
    ax.dbBottom = bottom > 0 ? 20 * std::log10(bottom) : ax.dbBottom;
  }
  const double span = TimeSpanAt(time_->value());
  applied_.timeGrid = span != axes_.timeSpan;
  ax.timeSpan = span;
  g.gridLinesHorizontal = g.gridLinesVertical = grid_->isChecked();
  g.marker3dB = marker_->isChecked();

  core::GraphZoomLevel& level = g.level[static_cast<std::size_t>(std::clamp<int>(g.currentLevel, 0, 2))];
  level.freqStart = ax.freqStart;
  level.freqStop = ax.freqStop;
  level.vvBottom = ax.vvBottom;
  level.vvTop = ax.vvTop;
  level.dbBottom = ax.dbBottom;
  level.dbTop = ax.dbTop;
  accept();
}

}  // namespace tavrin::ui
