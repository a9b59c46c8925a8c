#include "ui/TfmCascade.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "stages/Cascading.h"
#include "ui/StageLists.h"
#include "ui/TfmACrit.h"
#include "ui/TfmMain.h"
#include "ui/WaitCursor.h"

namespace tavrin::ui {

namespace {

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QLabel* Hint(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  label->setForegroundRole(QPalette::PlaceholderText);
  return label;
}

}  // namespace

TfmCascade::TfmCascade(TfmMain& main, QWidget* parent) : QWidget(parent), main_(main) {
  setObjectName(QStringLiteral("TfmCascade"));
  setWindowTitle(QString::fromLatin1(kCaption));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 10, 14, 10);
  layout->setSpacing(8);

  auto* title = Named(new QLabel(QStringLiteral("Stage cascading")), "Title");
  QFont titleFont = title->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
  titleFont.setBold(true);
  title->setFont(titleFont);
  layout->addWidget(title);
  layout->addWidget(Named(Hint(QString::fromLatin1(kCaption)), "Caption"));

  auto* body = new QHBoxLayout;
  body->setSpacing(10);
  auto* group = Named(new QGroupBox(QStringLiteral("Stages, input first")), "StageGroup");
  auto* g = new QVBoxLayout(group);
  g->setContentsMargins(8, 6, 8, 8);
  g->setSpacing(4);
  stages_ = MakeRootList("StageList", QAbstractItemView::SingleSelection);
  g->addWidget(stages_, 1);
  g->addWidget(Named(
      Hint(QStringLiteral("Flatness: the highest gain at the stage's output divided by the lowest gain in "
                          "the passband there (1.00 is perfectly flat). Large values mean a stage must "
                          "handle a peaking signal: keep them small, above all early in the cascade.")),
      "FlatnessHint"));
  body->addWidget(group, 1);

  auto* side = new QVBoxLayout;
  side->setSpacing(6);
  side->addSpacing(18);
  auto* up = Named(new QPushButton(QStringLiteral("Up")), "UpBtn");
  up->setToolTip(QStringLiteral("Move the selected stage one place towards the input"));
  auto* down = Named(new QPushButton(QStringLiteral("Down")), "DownBtn");
  down->setToolTip(QStringLiteral("Move the selected stage one place towards the output"));
  auto* cascade = Named(new QPushButton(QStringLiteral("Cascade")), "CascadeBtn");
  cascade->setToolTip(QStringLiteral("Order the stages automatically by the criteria"));
  auto* criteria = Named(new QPushButton(QStringLiteral("Criteria")), "CriteriaBtn");
  criteria->setToolTip(QStringLiteral("Choose what automatic ordering puts first and last"));
  for (QPushButton* b : {up, down, cascade, criteria}) b->setMinimumWidth(110);
  side->addWidget(up);
  side->addWidget(down);
  side->addSpacing(14);
  side->addWidget(cascade);
  side->addWidget(criteria);
  side->addStretch(1);
  body->addLayout(side);
  layout->addLayout(body, 1);

  order_ = Named(new QLabel, "CriteriaLabel");
  order_->setWordWrap(true);
  layout->addWidget(order_);
  layout->addWidget(BuildButtons());

  connect(up, &QPushButton::clicked, this, &TfmCascade::UpBtnClick);
  connect(down, &QPushButton::clicked, this, &TfmCascade::DownBtnClick);
  connect(cascade, &QPushButton::clicked, this, &TfmCascade::CascadeBtnClick);
  connect(criteria, &QPushButton::clicked, this, &TfmCascade::CriteriaBtnClick);
}

QWidget* TfmCascade::BuildButtons() {
  auto* bar = Named(new QWidget, "ButtonBar");
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 4, 0, 0);
  row->setSpacing(8);
  auto* help = Named(new QPushButton(QStringLiteral("Help")), "HelpBtn");
  auto* strategy = Named(new QPushButton(QStringLiteral("Strategy")), "StrategyBtn");
  auto* back = Named(new QPushButton(QStringLiteral("Back")), "BackBtn");
  auto* next = Named(new QPushButton(QStringLiteral("Next")), "NextBtn");
  auto* close = Named(new QPushButton(QStringLiteral("&Close")), "CloseBtn");
  for (QPushButton* b : {help, strategy, back, next, close}) b->setMinimumWidth(92);
  row->addWidget(help);
  row->addWidget(strategy);
  row->addStretch(1);
  row->addWidget(back);
  row->addWidget(next);
  row->addWidget(close);
  connect(help, &QPushButton::clicked, this, &TfmCascade::HelpBtnClick);
  connect(strategy, &QPushButton::clicked, this, &TfmCascade::StrategyBtnClick);
  connect(back, &QPushButton::clicked, this, &TfmCascade::BackBtnClick);
  connect(next, &QPushButton::clicked, this, &TfmCascade::NextBtnClick);
  connect(close, &QPushButton::clicked, this, &TfmCascade::CloseBtnClick);
  return bar;
}

void TfmCascade::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
}

void TfmCascade::Refresh() {
  const core::DesignState& s = main_.State();
  const int selected = SelectedStage();
  FillStageList(*stages_, s, true);
  Select(selected);
  order_->setText(QStringLiteral("<b>Cascade</b> orders by the criteria: ") +
                  CriteriaSummary(s.firstStageCriteria, s.lastStageCriteria, s.useQ).toHtmlEscaped());
}

int TfmCascade::SelectedStage() const {
  const std::vector<int> selected = SelectedNumbers(*stages_);
  return selected.empty() ? 0 : selected.front();
}

void TfmCascade::Select(int stage) {
  SelectNumbers(*stages_, {stage});
}

void TfmCascade::UpBtnClick() {
  const int stage = SelectedStage();
  if (!stages::MoveStageUp(main_.State(), stage)) return;
  Refresh();
  Select(stage - 1);
}

void TfmCascade::DownBtnClick() {
  const int stage = SelectedStage();
  if (!stages::MoveStageDown(main_.State(), stage)) return;
  Refresh();
  Select(stage + 1);
}

void TfmCascade::CascadeBtnClick() {
  core::DesignState& s = main_.State();
  {
    WaitCursor busy;
    stages::AutoCascade(s);
    stages::RecomputeCascade(s);
  }
  s.modified = true;
  s.stepsStale = true;
  stages_->clearSelection();
  Refresh();
}

void TfmCascade::CriteriaBtnClick() {
  TfmACrit* dialog = main_.ShowCriteria();
  // The line under the list says what Cascade will do: it follows the dialog's OK.
  connect(dialog, &QDialog::accepted, this, &TfmCascade::Refresh);
}

void TfmCascade::NextBtnClick() {
  main_.ContinueFromCascading();
}

void TfmCascade::BackBtnClick() {
  main_.BackFromCascading();
}

void TfmCascade::CloseBtnClick() {
  if (main_.SavePrompt()) main_.ResetDesign();
}

void TfmCascade::StrategyBtnClick() {
  main_.ShowStrategy(7);
}

void TfmCascade::HelpBtnClick() {
  main_.ShowHelp(QStringLiteral("cascading.html"));
}

}  // namespace tavrin::ui
