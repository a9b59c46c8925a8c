#include "ui/TfmCirSel.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "circuits/Catalogue.h"
#include "circuits/Ratings.h"
#include "circuits/Schematic.h"
#include "circuits/SchematicScripts.h"
#include "core/NumberFormat.h"
#include "ui/FileDialogs.h"
#include "ui/SchematicPainter.h"
#include "ui/TfmMain.h"

namespace tavrin::ui {

namespace {

std::size_t At(int i) {
  return static_cast<std::size_t>(i);
}

QString Text(const std::string& s) {
  return QString::fromStdString(s);
}

int TypeOf(const core::DesignState& s, int stage) {
  return s.stages[At(stage)].type & 0x7F;
}

const QColor kPassiveColour(52, 101, 164);
const QColor kActiveColour(230, 145, 56);
const QColor kChosenColour(0, 120, 0);

// A colour swatch in front of a legend check box, so the legend reads like the bars.
QString Swatch(const QColor& c) {
  return QStringLiteral("QCheckBox { color: %1; font-weight: bold; }").arg(c.name());
}

}  // namespace

// The gain-spread bars of every candidate of the stage, one row each, the current one
// framed: a passive part and an active part, both scaled by the largest total of the stage
// so that the bars of one stage compare at a glance.
class SpreadBars : public QWidget {
 public:
  SpreadBars(const core::DesignState& state, QWidget* parent) : QWidget(parent), state_(state) {
    setObjectName(QStringLiteral("SpreadBars"));
    setMinimumHeight(120);
  }

  void SetStage(int stage, int current) {
    stage_ = stage;
    current_ = current;
    const int rows = circuits::CircuitCount(TypeOf(state_, stage_));
    setMinimumHeight(std::max(1, rows) * RowHeight() + 4);
    update();
  }

  QString BarText(int n) const {
    const core::CircuitRating& r = state_.stageAnalysis[At(stage_)].candidate[At(n)];
    if (r.DesignFailed) return QStringLiteral("N/A");
    if (!r.Included) return QString::fromLatin1(circuits::kExcludedText);
    return Text(core::TrimZeros(core::FormatFixed(Shown(r), 0, 2))) + QStringLiteral(" dB");
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    const int type = TypeOf(state_, stage_);
    const int rows = circuits::CircuitCount(type);
    const core::StageAnalysisEntry& entry = state_.stageAnalysis[At(stage_)];
    const QFontMetrics fm(font());
    const int keyWidth = fm.horizontalAdvance(QStringLiteral("MMMM00 "));
    const int textWidth = fm.horizontalAdvance(QStringLiteral("Excluded "));
    const int barLeft = keyWidth;
    const int barWidth = std::max(10, width() - keyWidth - textWidth - 6);
    double scale = 0;
    for (int n = 1; n <= rows; ++n) {
      const core::CircuitRating& r = entry.candidate[At(n)];
      if (!r.DesignFailed && r.Included) scale = std::max(scale, Shown(r));
    }
    scale = std::max(scale, entry.maxTotal > 0 && state_.ratingShowPassive && state_.ratingShowActive
                                ? entry.maxTotal
                                : scale);
    for (int n = 1; n <= rows; ++n) {
      const core::CircuitRating& r = entry.candidate[At(n)];
      const int y = 2 + (n - 1) * RowHeight();
      const QRect row(0, y, width(), RowHeight());
      if (n == current_) p.fillRect(row, QColor(255, 250, 215));
      p.setPen(palette().color(QPalette::WindowText));
      p.drawText(QRect(2, y, keyWidth - 4, RowHeight()), Qt::AlignVCenter | Qt::AlignLeft,
                 Text(circuits::CircuitKey(type, n)));
      const QString label = BarText(n);
      if (!r.DesignFailed && r.Included && scale > 0) {
        const double passive = state_.ratingShowPassive ? r.PassiveVariance : 0;
        const double active = state_.ratingShowActive ? r.ActiveVariance : 0;
        const double shown = passive + active;
        const double length = std::sqrt(shown) / scale * barWidth;
        const double passiveLength = shown > 0 ? length * passive / shown : 0;
        const int h = RowHeight() - 6;
        p.fillRect(QRectF(barLeft, y + 3, passiveLength, h), kPassiveColour);
        p.fillRect(QRectF(barLeft + passiveLength, y + 3, length - passiveLength, h), kActiveColour);
      } else {
        p.setPen(r.DesignFailed ? Qt::red : Qt::gray);
      }
      p.drawText(QRect(barLeft + barWidth + 4, y, textWidth + 2, RowHeight()),
                 Qt::AlignVCenter | Qt::AlignLeft, label);
    }
    if (current_ >= 1 && current_ <= rows) {
      p.setPen(QPen(Qt::darkGray, 1, Qt::DotLine));
      p.drawRect(QRect(0, 2 + (current_ - 1) * RowHeight(), width() - 1, RowHeight() - 1));
    }
  }

 private:
  int RowHeight() const { return QFontMetrics(font()).height() + 6; }
  double Shown(const core::CircuitRating& r) const {
    return std::sqrt((state_.ratingShowPassive ? r.PassiveVariance : 0) +
                     (state_.ratingShowActive ? r.ActiveVariance : 0));
  }

  const core::DesignState& state_;
  int stage_ = 1;
  int current_ = 1;
};

TfmCirSel::TfmCirSel(TfmMain& main, QWidget* parent) : QWidget(parent), main_(main) {
  setObjectName(QStringLiteral("CircuitSelectionPage"));
  setWindowTitle(QString::fromLatin1(kCaption));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 10, 14, 10);
  auto* caption = new QLabel(QString::fromLatin1(kCaption));
  caption->setObjectName(QStringLiteral("Caption"));
  QFont big = caption->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.2);
  caption->setFont(big);
  layout->addWidget(caption);

  tabs_ = new QTabBar;
  tabs_->setObjectName(QStringLiteral("StageTabs"));
  tabs_->setExpanding(false);
  tabs_->setDrawBase(true);
  layout->addWidget(tabs_);

  // The browser: the circuit's name and the four moves.
  auto* browse = new QHBoxLayout;
  first_ = new QPushButton(QStringLiteral("|<"));
  first_->setObjectName(QStringLiteral("FirstBtn"));
  first_->setToolTip(QStringLiteral("First circuit"));
  previous_ = new QPushButton(QStringLiteral("<"));
  previous_->setObjectName(QStringLiteral("PreviousBtn"));
  previous_->setToolTip(QStringLiteral("Previous circuit"));
  nextCandidate_ = new QPushButton(QStringLiteral(">"));
  nextCandidate_->setObjectName(QStringLiteral("NextCircuitBtn"));
  nextCandidate_->setToolTip(QStringLiteral("Next circuit"));
  last_ = new QPushButton(QStringLiteral(">|"));
  last_->setObjectName(QStringLiteral("LastBtn"));
  last_->setToolTip(QStringLiteral("Last circuit"));
  for (QPushButton* b : {first_, previous_, nextCandidate_, last_}) b->setFixedWidth(40);
  position_ = new QLabel;
  position_->setObjectName(QStringLiteral("Position"));
  position_->setAlignment(Qt::AlignCenter);
  position_->setMinimumWidth(position_->fontMetrics().horizontalAdvance(QStringLiteral(" 13 of 13 ")));
  circuitCaption_ = new QLabel;
  circuitCaption_->setObjectName(QStringLiteral("CircuitCaption"));
  QFont bold = circuitCaption_->font();
  bold.setBold(true);
  circuitCaption_->setFont(bold);
  browse->addWidget(first_);
  browse->addWidget(previous_);
  browse->addWidget(position_);
  browse->addWidget(nextCandidate_);
  browse->addWidget(last_);
  browse->addSpacing(12);
  browse->addWidget(circuitCaption_, 1);
  layout->addLayout(browse);

  auto* body = new QHBoxLayout;
  // Left: the stage line and the schematic.
  auto* left = new QVBoxLayout;
  auto* lineRow = new QHBoxLayout;
  stageLine_ = new QLabel;
  stageLine_->setObjectName(QStringLiteral("StageLine"));
  polarity_ = new QLabel;
  polarity_->setObjectName(QStringLiteral("Polarity"));
  lineRow->addWidget(stageLine_, 1);
  lineRow->addWidget(polarity_);
  left->addLayout(lineRow);
  auto* frame = new QFrame;
  frame->setFrameShape(QFrame::StyledPanel);
  frame->setStyleSheet(QStringLiteral("QFrame { background: white; }"));
  auto* frameLayout = new QVBoxLayout(frame);
  frameLayout->setContentsMargins(2, 2, 2, 2);
  schematic_ = new SchematicView;
  schematic_->setObjectName(QStringLiteral("Schematic"));
  schematic_->setMinimumSize(340, 220);
  noSchematic_ = new QLabel(QString::fromLatin1(kNoSchematicText));
  noSchematic_->setObjectName(QStringLiteral("NoSchematic"));
  noSchematic_->setAlignment(Qt::AlignCenter);
  noSchematic_->setMinimumSize(340, 220);
  frameLayout->addWidget(schematic_, 1);
  frameLayout->addWidget(noSchematic_, 1);
  left->addWidget(frame, 1);
  body->addLayout(left, 3);

  // Right: the information panel.
  auto* panel = new QFrame;
  panel->setObjectName(QStringLiteral("InfoPanel"));
  panel->setFrameShape(QFrame::StyledPanel);
  auto* grid = new QGridLayout(panel);
  grid->setVerticalSpacing(3);
  int row = 0;
  const auto heading = [&](const char* text) {
    auto* l = new QLabel(QString::fromLatin1(text));
    l->setFont(bold);
    grid->addWidget(l, row++, 0, 1, 2);
  };
  const auto value = [&](const char* name) {
    auto* l = new QLabel;
    l->setObjectName(QString::fromLatin1(name));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
  };
  heading(circuits::kComponentSpreadCaption);
  spread_ = value("SpreadText");
  grid->addWidget(spread_, row++, 0, 1, 2);
  heading(circuits::kComponentCountCaption);
  count_ = value("CountText");
  grid->addWidget(count_, row++, 0, 1, 2);
  grid->addWidget(new QLabel(QString::fromLatin1(circuits::kDesiredGainLabel)), row, 0);
  desiredGain_ = value("DesiredGain");
  grid->addWidget(desiredGain_, row++, 1);
  grid->addWidget(new QLabel(QString::fromLatin1(circuits::kActualGainLabel)), row, 0);
  actualGain_ = value("ActualGain");
  grid->addWidget(actualGain_, row++, 1);
  grid->addWidget(new QLabel(QString::fromLatin1(circuits::kEaseOfTuningLabel)), row, 0);
  ease_ = value("EaseOfTuning");
  grid->addWidget(ease_, row++, 1);
  heading(circuits::kMinGbwCaption);
  grid->addWidget(new QLabel(QString::fromLatin1(circuits::kMinGbwLabel)), row, 0);
  minGbw_ = value("MinGbw");
  grid->addWidget(minGbw_, row++, 1);
  warning_ = value("WarningBox");
  warning_->setAlignment(Qt::AlignCenter);
  warning_->setStyleSheet(
      QStringLiteral("QLabel { color: red; font-weight: bold; border: 2px solid red; padding: 4px; }"));
  grid->addWidget(warning_, 0, 2, 4, 1, Qt::AlignTop | Qt::AlignRight);
  included_ = new QCheckBox(QStringLiteral("Included in the comparison"));
  included_->setObjectName(QStringLiteral("IncludedChk"));
  grid->addWidget(included_, row++, 0, 1, 3);
  auto* spreadHead = new QHBoxLayout;
  auto* spreadCaption = new QLabel(QString::fromLatin1(circuits::kGainSpreadCaption));
  spreadCaption->setFont(bold);
  spreadHead->addWidget(spreadCaption);
  spreadHead->addSpacing(8);
  spreadHead->addWidget(new QLabel(QString::fromLatin1(circuits::kGainSpreadGbwLabel)));
  gbw_ = value("GbwText");
  spreadHead->addWidget(gbw_);
  spreadHead->addStretch(1);
  grid->addLayout(spreadHead, row++, 0, 1, 3);
  auto* legend = new QHBoxLayout;
  showPassive_ = new QCheckBox(QStringLiteral("Passive"));
  showPassive_->setObjectName(QStringLiteral("ShowPassiveChk"));
  showPassive_->setStyleSheet(Swatch(kPassiveColour));
  showActive_ = new QCheckBox(QStringLiteral("Active"));
  showActive_->setObjectName(QStringLiteral("ShowActiveChk"));
  showActive_->setStyleSheet(Swatch(kActiveColour));
  legend->addWidget(showPassive_);
  legend->addWidget(showActive_);
  legend->addStretch(1);
  grid->addLayout(legend, row++, 0, 1, 3);
  bars_ = new SpreadBars(main_.State(), panel);
  grid->addWidget(bars_, row++, 0, 1, 3);
  activeZero_ = value("ActiveZeroNote");
  activeZero_->setText(QString::fromLatin1(circuits::kActiveSpreadZeroText));
  activeZero_->setWordWrap(true);
  grid->addWidget(activeZero_, row++, 0, 1, 3);
  grid->setRowStretch(row, 1);
  grid->setColumnStretch(1, 1);
  panel->setMinimumWidth(300);
  body->addWidget(panel, 2);
  layout->addLayout(body, 1);

  note_ = new QLabel;
  note_->setObjectName(QStringLiteral("NextNote"));
  note_->setWordWrap(true);
  note_->setStyleSheet(QStringLiteral("QLabel { color: #204a87; }"));
  note_->hide();
  layout->addWidget(note_);

  auto* buttons = new QHBoxLayout;
  select_ = new QPushButton(QStringLiteral("Select"));
  select_->setObjectName(QStringLiteral("SelectBtn"));
  auto* components = new QPushButton(QStringLiteral("Components"));
  components->setObjectName(QStringLiteral("ComponentsBtn"));
  components->setToolTip(QString::fromLatin1(kComponentsTip));
  components->setEnabled(false);
  auto* save = new QPushButton(QStringLiteral("Save..."));
  save->setObjectName(QStringLiteral("SaveSchematicBtn"));
  save->setToolTip(QStringLiteral("Save the schematic shown as a PNG picture or an SVG drawing"));
  auto* strategy = new QPushButton(QStringLiteral("Strategy"));
  strategy->setObjectName(QStringLiteral("StrategyBtn"));
  auto* help = new QPushButton(QStringLiteral("Help"));
  help->setObjectName(QStringLiteral("HelpBtn"));
  auto* back = new QPushButton(QStringLiteral("Back"));
  back->setObjectName(QStringLiteral("BackBtn"));
  next_ = new QPushButton(QStringLiteral("Next"));
  next_->setObjectName(QStringLiteral("NextBtn"));
  auto* close = new QPushButton(QStringLiteral("&Close"));
  close->setObjectName(QStringLiteral("CloseBtn"));
  for (QPushButton* b : {select_, components, strategy, help, back, next_, close}) b->setMinimumWidth(80);
  buttons->addWidget(select_);
  buttons->addWidget(components);
  buttons->addWidget(save);
  buttons->addStretch(1);
  buttons->addWidget(strategy);
  buttons->addWidget(help);
  buttons->addSpacing(16);
  buttons->addWidget(back);
  buttons->addWidget(next_);
  buttons->addWidget(close);
  layout->addLayout(buttons);

  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
    if (index >= 0 && index + 1 != stage_) ShowStage(index + 1);
  });
  connect(save, &QPushButton::clicked, this, [this] {
    FileDialogRequest request;
    request.caption = QStringLiteral("Save schematic as");
    request.folder = main_.DesignsFolder();
    request.preset = QString::fromStdString(circuits::CircuitKey(TypeOf(main_.State(), stage_), candidate_)) +
                     QStringLiteral(".svg");
    request.filter = QStringLiteral("SVG drawing (*.svg);;PNG picture (*.png)");
    request.defaultSuffix = QStringLiteral("svg");
    const QString file = main_.Dialogs().SaveFileName(this, request);
    if (!file.isEmpty()) SaveSchematic(file);
  });
  connect(first_, &QPushButton::clicked, this, [this] { ShowCandidate(1); });
  connect(previous_, &QPushButton::clicked, this, [this] { ShowCandidate(candidate_ - 1); });
  connect(nextCandidate_, &QPushButton::clicked, this, [this] { ShowCandidate(candidate_ + 1); });
  connect(last_, &QPushButton::clicked, this,
          [this] { ShowCandidate(circuits::CircuitCount(TypeOf(main_.State(), stage_))); });
  connect(included_, &QCheckBox::clicked, this, [this] { ToggleIncluded(); });
  connect(showPassive_, &QCheckBox::clicked, this, [this] {
    circuits::ToggleShowPassive(main_.State());
    ShowPanel();
  });
  connect(showActive_, &QCheckBox::clicked, this, [this] {
    circuits::ToggleShowActive(main_.State());
    ShowPanel();
  });
  connect(select_, &QPushButton::clicked, this, [this] { Select(); });
  connect(next_, &QPushButton::clicked, this, [this] {
    note_->setText(QStringLiteral(
        "Every stage has its circuit. The calculation of the components is the next step; its window "
        "is not part of this version yet, so the design stays here."));
    note_->show();
  });
  connect(back, &QPushButton::clicked, this, [this] { main_.BackFromCircuitSelection(); });
  connect(close, &QPushButton::clicked, this, [this] {
    if (main_.SavePrompt()) main_.ResetDesign();
  });
  connect(strategy, &QPushButton::clicked, this, [this] { main_.ShowStrategy(8); });
  connect(help, &QPushButton::clicked, this,
          [this] { main_.ShowHelp(QStringLiteral("circuit-selection.html")); });
}

void TfmCirSel::Open() {
  core::DesignState& s = main_.State();
  note_->hide();
  if (circuits::NeedsFreshStart(s)) {
    circuits::StartAfresh(s);
    RebuildTabs();
    ShowStage(1);
    return;
  }
  // The choices stand, but ratings are never saved: rate the stage shown again.
  if (tabs_->count() != s.stageCount) RebuildTabs();
  ShowStage(std::clamp(stage_, 1, std::max(1, static_cast<int>(s.stageCount))));
}

void TfmCirSel::Refresh() {
  const core::DesignState& s = main_.State();
  if (tabs_->count() != s.stageCount) RebuildTabs();
  stage_ = std::clamp(stage_, 1, std::max(1, static_cast<int>(s.stageCount)));
  ShowPanel();
}

void TfmCirSel::RebuildTabs() {
  const QSignalBlocker block(tabs_);
  while (tabs_->count() > 0) tabs_->removeTab(0);
  for (int k = 1; k <= main_.State().stageCount && k <= core::kMaxStages; ++k)
    tabs_->addTab(QStringLiteral("Stage %1").arg(k));
  MarkTabs();
}

void TfmCirSel::MarkTabs() {
  const core::DesignState& s = main_.State();
  for (int k = 1; k <= tabs_->count(); ++k) {
    const bool chosen = s.circuits[At(k)].CircuitNumber >= 1;
    tabs_->setTabTextColor(k - 1, chosen ? kChosenColour : QColor(Qt::red));
    tabs_->setTabToolTip(
        k - 1, chosen ? QStringLiteral("Circuit chosen: %1")
                            .arg(Text(circuits::CircuitKey(TypeOf(s, k), s.circuits[At(k)].CircuitNumber)))
                      : QStringLiteral("No circuit chosen yet"));
  }
}

void TfmCirSel::ShowStage(int stage) {
  core::DesignState& s = main_.State();
  if (stage < 1 || stage > s.stageCount) return;
  stage_ = stage;
  {
    const QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(stage - 1);
  }
  circuits::RateCandidates(s, stage_);
  // The stage's own circuit is the one to look at first; a stage not chosen yet starts
  // with the first circuit of its type.
  candidate_ = std::max(1, static_cast<int>(s.circuits[At(stage_)].CircuitNumber));
  ShowPanel();
}

bool TfmCirSel::SaveSchematic(const QString& fileName) const {
  const std::string_view script = circuits::ScriptFor(TypeOf(main_.State(), stage_), candidate_, false);
  if (script.empty()) return false;
  const circuits::SchematicDrawing drawing = circuits::ParseSchematic(script);
  if (fileName.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
    return SaveSchematicPng(drawing, nullptr, fileName);
  return SaveSchematicSvg(drawing, nullptr, fileName);
}

void TfmCirSel::ShowCandidate(int n) {
  const int count = circuits::CircuitCount(TypeOf(main_.State(), stage_));
  if (n < 1 || n > count) return;
  candidate_ = n;
  ShowPanel();
}

QString TfmCirSel::BarText(int n) const {
  return bars_->BarText(n);
}

void TfmCirSel::ShowPanel() {
  const core::DesignState& s = main_.State();
  if (s.stageCount < 1) return;
  const int type = TypeOf(s, stage_);
  const int count = circuits::CircuitCount(type);
  candidate_ = std::clamp(candidate_, 1, std::max(1, count));
  const core::Stage& stage = s.stages[At(stage_)];
  const core::CircuitRating& r = s.stageAnalysis[At(stage_)].candidate[At(candidate_)];

  first_->setEnabled(candidate_ > 1);
  previous_->setEnabled(candidate_ > 1);
  nextCandidate_->setEnabled(candidate_ < count);
  last_->setEnabled(candidate_ < count);
  position_->setText(QStringLiteral("%1 of %2").arg(candidate_).arg(count));
  const bool chosenHere = s.circuits[At(stage_)].CircuitNumber == candidate_;
  circuitCaption_->setText(QStringLiteral("%1   %2%3")
                               .arg(Text(circuits::CircuitKey(type, candidate_)),
                                    Text(circuits::Caption(circuits::CatalogueIndex(type, candidate_))),
                                    chosenHere ? QStringLiteral("   (chosen)") : QString()));

  const circuits::StageLine line = circuits::StageLineText(stage, r.Inverting, s.frequencyUnit);
  stageLine_->setText(Text(line.parameters));
  polarity_->setText(Text(line.polarity));

  const std::string_view script = circuits::ScriptFor(type, candidate_, false);
  if (r.DesignFailed) {
    schematic_->SetDesignFailure(stage_);
    schematic_->show();
    noSchematic_->hide();
  } else if (script.empty()) {
    schematic_->Clear();
    schematic_->hide();
    noSchematic_->show();
  } else {
    schematic_->SetSchematic(circuits::ParseSchematic(script));
    schematic_->show();
    noSchematic_->hide();
  }

  spread_->setText(Text(circuits::ComponentSpreadLine(r)));
  count_->setText(Text(circuits::ComponentCountLine(r)));
  const circuits::GainDisplay gains = circuits::GainTexts(r, stage);
  desiredGain_->setText(Text(gains.desired));
  actualGain_->setText(Text(gains.actual));
  actualGain_->setStyleSheet(gains.actualColour == circuits::kPanelRed
                                 ? QStringLiteral("QLabel { color: red; }")
                                 : QStringLiteral("QLabel { color: black; }"));
  ease_->setText(Text(circuits::EaseOfTuningText(type, candidate_)));
  minGbw_->setText(Text(circuits::MinGbwText(type, r.MinGbw)));
  gbw_->setText(Text(circuits::GbwText(s.circuits[At(stage_)].OpAmpGbw)));

  QStringList words;
  for (const std::string& w : circuits::WarningWords(r)) words << Text(w);
  warning_->setText(words.join(QLatin1Char('\n')));
  warning_->setVisible(!words.isEmpty());

  {
    const QSignalBlocker b1(included_), b2(showPassive_), b3(showActive_);
    included_->setChecked(r.Included);
    included_->setEnabled(!r.DesignFailed);
    included_->setToolTip(Text(circuits::IncludeHint(r)));
    showPassive_->setChecked(s.ratingShowPassive);
    showPassive_->setToolTip(Text(circuits::PassiveHint(s)));
    showActive_->setChecked(s.ratingShowActive);
    showActive_->setToolTip(Text(circuits::ActiveHint(s)));
  }
  activeZero_->setVisible(circuits::ActiveSpreadZeroForAll(s, stage_));
  bars_->SetStage(stage_, candidate_);

  MarkTabs();
  bool all = s.stageCount >= 1;
  for (int k = 1; k <= s.stageCount && k <= core::kMaxStages; ++k)
    all = all && s.circuits[At(k)].CircuitNumber >= 1;
  next_->setEnabled(all);
}

void TfmCirSel::Select() {
  circuits::SelectCircuit(main_.State(), stage_, candidate_);
  ShowPanel();
}

void TfmCirSel::ToggleIncluded() {
  circuits::ToggleIncluded(main_.State(), stage_, candidate_);
  ShowPanel();
}

}  // namespace tavrin::ui
