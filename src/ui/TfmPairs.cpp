#include "ui/TfmPairs.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "stages/Pairing.h"
#include "ui/MessageBoxes.h"
#include "ui/StageLists.h"
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

QGroupBox* Group(const char* title, const char* name, QWidget* list, QLabel* hint) {
  auto* box = Named(new QGroupBox(QString::fromLatin1(title)), name);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(8, 6, 8, 8);
  layout->setSpacing(4);
  layout->addWidget(list, 1);
  if (hint) layout->addWidget(hint);
  return box;
}

}  // namespace

TfmPairs::TfmPairs(TfmMain& main, QWidget* parent) : QWidget(parent), main_(main) {
  setObjectName(QStringLiteral("TfmPairs"));
  setWindowTitle(QString::fromLatin1(kCaption));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 10, 14, 10);
  layout->setSpacing(8);

  auto* title = Named(new QLabel(QStringLiteral("Pole-zero pairing")), "Title");
  QFont titleFont = title->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
  titleFont.setBold(true);
  title->setFont(titleFont);
  layout->addWidget(title);
  auto* caption = Named(Hint(QString::fromLatin1(kCaption)), "Caption");
  layout->addWidget(caption);

  layout->addWidget(BuildLists(), 1);
  layout->addWidget(BuildButtons());
}

QWidget* TfmPairs::BuildLists() {
  auto* panel = new QWidget;
  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(6);

  poles_ = MakeRootList("PoleList", QAbstractItemView::MultiSelection);
  zeros_ = MakeRootList("ZeroList", QAbstractItemView::MultiSelection);
  stages_ = MakeRootList("StageList", QAbstractItemView::SingleSelection);

  auto* roots = new QHBoxLayout;
  roots->setSpacing(10);
  roots->addWidget(Group("Poles", "PoleGroup", poles_,
                         Hint(QStringLiteral("Click to select: one pole pair, one single pole, or two single "
                                             "poles for a second-order stage."))),
                   3);
  roots->addWidget(Group("Zeros", "ZeroGroup", zeros_,
                         Hint(QStringLiteral("Click the zeros that go with it, or none for an all-pole "
                                             "stage."))),
                   2);
  column->addLayout(roots, 3);

  auto* addRow = new QHBoxLayout;
  addRow->setSpacing(8);
  auto* add = Named(new QPushButton(QStringLiteral("Add")), "AddBtn");
  add->setToolTip(QStringLiteral("Make the selected poles and zeros one stage"));
  // Add is the step the window is for: it stands out like Calculate does in the entry window.
  add->setStyleSheet(QStringLiteral(
      "QPushButton { background: #1d6fd8; color: white; font-weight: bold; border: 1px solid #1a5fb8;"
      " border-radius: 4px; padding: 4px 14px; }"
      "QPushButton:hover { background: #2a7de6; }"
      "QPushButton:pressed { background: #185fbd; }"));
  auto* autoAll = Named(new QPushButton(QStringLiteral("Auto Add All")), "AutoAddAllBtn");
  autoAll->setToolTip(QStringLiteral("Pair every root the automatic way, replacing the stages made so far"));
  remaining_ = Named(new QLabel, "RemainingLabel");
  remaining_->setWordWrap(true);
  for (QPushButton* b : {add, autoAll}) b->setMinimumWidth(110);
  addRow->addWidget(add);
  addRow->addWidget(autoAll);
  addRow->addSpacing(8);
  addRow->addWidget(remaining_, 1);
  column->addLayout(addRow);

  auto* stageRow = new QHBoxLayout;
  stageRow->setSpacing(10);
  stageRow->addWidget(Group("Stages", "StageGroup", stages_, nullptr), 1);
  auto* undoColumn = new QVBoxLayout;
  undoColumn->setSpacing(6);
  undoColumn->addSpacing(18);
  auto* undo = Named(new QPushButton(QStringLiteral("Undo")), "UndoBtn");
  undo->setToolTip(QStringLiteral("Give the selected stage's poles and zeros back to the lists"));
  auto* undoAll = Named(new QPushButton(QStringLiteral("Undo All")), "UndoAllBtn");
  undoAll->setToolTip(QStringLiteral("Start the pairing over"));
  for (QPushButton* b : {undo, undoAll}) {
    b->setMinimumWidth(110);
    undoColumn->addWidget(b);
  }
  undoColumn->addStretch(1);
  stageRow->addLayout(undoColumn);
  column->addLayout(stageRow, 2);

  connect(add, &QPushButton::clicked, this, &TfmPairs::AddBtnClick);
  connect(autoAll, &QPushButton::clicked, this, &TfmPairs::AutoAddAllBtnClick);
  connect(undo, &QPushButton::clicked, this, &TfmPairs::UndoBtnClick);
  connect(undoAll, &QPushButton::clicked, this, &TfmPairs::UndoAllBtnClick);
  return panel;
}

QWidget* TfmPairs::BuildButtons() {
  auto* bar = Named(new QWidget, "ButtonBar");
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 4, 0, 0);
  row->setSpacing(8);
  auto* help = Named(new QPushButton(QStringLiteral("Help")), "HelpBtn");
  auto* strategy = Named(new QPushButton(QStringLiteral("Strategy")), "StrategyBtn");
  hide_ = Named(new QCheckBox(QStringLiteral(" Hide this window next time")), "HideCheck");
  hide_->setToolTip(QStringLiteral("Pair automatically from now on (Options > Pole-zero pairing)"));
  auto* back = Named(new QPushButton(QStringLiteral("Back")), "BackBtn");
  next_ = Named(new QPushButton(QStringLiteral("Next")), "NextBtn");
  auto* close = Named(new QPushButton(QStringLiteral("&Close")), "CloseBtn");
  for (QPushButton* b : {help, strategy, back, next_, close}) b->setMinimumWidth(92);
  row->addWidget(help);
  row->addWidget(strategy);
  row->addSpacing(12);
  row->addWidget(hide_);
  row->addStretch(1);
  row->addWidget(back);
  row->addWidget(next_);
  row->addWidget(close);

  connect(help, &QPushButton::clicked, this, &TfmPairs::HelpBtnClick);
  connect(strategy, &QPushButton::clicked, this, &TfmPairs::StrategyBtnClick);
  connect(hide_, &QCheckBox::clicked, this, &TfmPairs::HideCheckClick);
  connect(back, &QPushButton::clicked, this, &TfmPairs::BackBtnClick);
  connect(next_, &QPushButton::clicked, this, &TfmPairs::NextBtnClick);
  connect(close, &QPushButton::clicked, this, &TfmPairs::CloseBtnClick);
  return bar;
}

void TfmPairs::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
}

void TfmPairs::Refresh() {
  const core::DesignState& s = main_.State();
  const core::FrequencyUnit unit = s.frequencyUnit;
  const std::vector<int> poles = SelectedPoles();
  const std::vector<int> zeros = SelectedZeros();

  int polesLeft = 0;
  poles_->clear();
  poles_->setHeaderLabels(PoleListHeaders(unit));
  for (int c = 1; c < 5; ++c) poles_->headerItem()->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
  for (int j = 1; j <= s.pairingCounter1 && j <= core::kMaxEntries; ++j) {
    const core::PolePairListEntry& e = s.polePairList[static_cast<std::size_t>(j)];
    if (!e.available) continue;
    ++polesLeft;
    auto* item = new QTreeWidgetItem(PoleEntryTexts(e, unit));
    item->setData(0, Qt::UserRole, j);
    for (int c = 1; c < 5; ++c) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    poles_->addTopLevelItem(item);
  }
  int zerosLeft = 0;
  zeros_->clear();
  zeros_->setHeaderLabels(ZeroListHeaders(unit));
  zeros_->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  for (int j = 1; j <= s.pairingCounter2 && j <= core::kMaxEntries; ++j) {
    const core::ZeroPairListEntry& e = s.zeroPairList[static_cast<std::size_t>(j)];
    if (!e.available) continue;
    ++zerosLeft;
    auto* item = new QTreeWidgetItem(ZeroEntryTexts(e, unit));
    item->setData(0, Qt::UserRole, j);
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    zeros_->addTopLevelItem(item);
  }
  SelectNumbers(*poles_, poles);
  SelectNumbers(*zeros_, zeros);

  const int stage = SelectedStage();
  FillStageList(*stages_, s, false);
  SelectNumbers(*stages_, {stage});

  if (polesLeft == 0 && zerosLeft == 0) {
    remaining_->setText(QStringLiteral("<b>Every pole and zero is in a stage.</b> Press Next to go on."));
  } else {
    remaining_->setText(QStringLiteral("Still to pair: %1 of %2 pole entries, %3 of %4 zero entries.")
                            .arg(polesLeft)
                            .arg(s.pairingCounter1)
                            .arg(zerosLeft)
                            .arg(s.pairingCounter2));
  }
  const QSignalBlocker quiet(hide_);
  hide_->setChecked(s.pairingAutomatic);
}

std::vector<int> TfmPairs::SelectedPoles() const {
  return SelectedNumbers(*poles_);
}

std::vector<int> TfmPairs::SelectedZeros() const {
  return SelectedNumbers(*zeros_);
}

int TfmPairs::SelectedStage() const {
  const std::vector<int> selected = SelectedNumbers(*stages_);
  return selected.empty() ? 0 : selected.front();
}

void TfmPairs::Changed() {
  Refresh();
  main_.UpdateCommandStates();
}

void TfmPairs::AddBtnClick() {
  core::DesignState& s = main_.State();
  if (const auto refusal = stages::AddStage(s, SelectedPoles(), SelectedZeros())) {
    ShowMessage(main_.Presenter(), this, *refusal);
    return;
  }
  Changed();
}

void TfmPairs::UndoBtnClick() {
  if (const auto refusal = stages::UndoStage(main_.State(), SelectedStage())) {
    ShowMessage(main_.Presenter(), this, *refusal);
    return;
  }
  stages_->clearSelection();
  Changed();
}

void TfmPairs::AutoAddAllBtnClick() {
  {
    WaitCursor busy;
    stages::AutoAddAll(main_.State());
  }
  poles_->clearSelection();
  zeros_->clearSelection();
  stages_->clearSelection();
  Changed();
}

void TfmPairs::UndoAllBtnClick() {
  stages::UndoAll(main_.State());
  poles_->clearSelection();
  zeros_->clearSelection();
  stages_->clearSelection();
  Changed();
}

void TfmPairs::NextBtnClick() {
  main_.ContinueFromPairing();
}

void TfmPairs::BackBtnClick() {
  main_.BackFromPairing();
}

void TfmPairs::CloseBtnClick() {
  if (main_.SavePrompt()) main_.ResetDesign();
}

void TfmPairs::StrategyBtnClick() {
  main_.ShowStrategy(4);
}

void TfmPairs::HelpBtnClick() {
  main_.ShowHelp(QStringLiteral("pairing.html"));
}

void TfmPairs::HideCheckClick() {
  main_.SetPairingAutomatic(hide_->isChecked());
}

}  // namespace tavrin::ui
