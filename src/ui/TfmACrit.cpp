#include "ui/TfmACrit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "stages/Criteria.h"
#include "ui/MessageBoxes.h"
#include "ui/TfmMain.h"

namespace tavrin::ui {

namespace {

constexpr std::array<const char*, 2> kListNames = {"First", "Last"};

std::size_t At(int i) {
  return static_cast<std::size_t>(i);
}

// The enabled entries' texts, in the order automatic cascading tries them.
QString Preference(const core::StageCriteria& criteria, const std::array<const char*, 4>& texts) {
  std::vector<std::pair<int, int>> enabled;  // priority, entry
  for (int e = 0; e < 4; ++e)
    if (criteria[At(e)].enabled) enabled.emplace_back(criteria[At(e)].priority, e);
  std::stable_sort(enabled.begin(), enabled.end());
  QStringList names;
  for (const auto& [priority, entry] : enabled) names << QString::fromLatin1(texts[At(entry)]);
  return names.isEmpty() ? QStringLiteral("no preference") : names.join(QStringLiteral(", "));
}

}  // namespace

QString CriteriaSummary(const core::StageCriteria& first, const core::StageCriteria& last, bool useQ) {
  return QStringLiteral("First stage: %1.  Last stage: %2.  The stages between: %3.")
      .arg(Preference(first, TfmACrit::kFirstStageTexts), Preference(last, TfmACrit::kLastStageTexts),
           useQ ? QStringLiteral("increasing Qp") : QStringLiteral("maximum flatness"));
}

TfmACrit::TfmACrit(TfmMain& main, QWidget* parent)
    : QDialog(parent), main_(main), edit_(stages::OpenCriteria(main.State())) {
  setObjectName(QStringLiteral("TfmACrit"));
  setWindowTitle(QString::fromLatin1(kCaption));
  setModal(true);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 12, 14, 12);
  layout->setSpacing(10);

  auto* intro = new QLabel(QStringLiteral(
      "When Tavrin orders the stages itself, it puts first a stage of the ticked type with the best "
      "priority (1 is tried first) that the filter has, and likewise last. Tick a type to use it; click its "
      "number to change its priority."));
  intro->setObjectName(QStringLiteral("Intro"));
  intro->setWordWrap(true);
  intro->setMinimumWidth(440);
  layout->addWidget(intro);

  auto* lists = new QHBoxLayout;
  lists->setSpacing(10);
  lists->addWidget(BuildList(0));
  lists->addWidget(BuildList(1));
  layout->addLayout(lists);

  auto* remaining = new QGroupBox(QStringLiteral("Remaining stages"));
  remaining->setObjectName(QStringLiteral("RemainingGroup"));
  auto* r = new QHBoxLayout(remaining);
  increasingQ_ = new QRadioButton(QStringLiteral(" increasing Qp"));
  increasingQ_->setObjectName(QStringLiteral("RB1"));
  maximumFlatness_ = new QRadioButton(QStringLiteral(" maximum flatness"));
  maximumFlatness_->setObjectName(QStringLiteral("RB2"));
  r->addWidget(maximumFlatness_);
  r->addWidget(increasingQ_);
  r->addStretch(1);
  layout->addWidget(remaining);
  connect(increasingQ_, &QRadioButton::clicked, this, &TfmACrit::RemainingClick);
  connect(maximumFlatness_, &QRadioButton::clicked, this, &TfmACrit::RemainingClick);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setObjectName(QStringLiteral("OKBtn"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setObjectName(QStringLiteral("CancelBtn"));
  for (QPushButton* b : {ok, cancel}) {
    b->setMinimumWidth(92);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &TfmACrit::OKBtnClick);
  connect(cancel, &QPushButton::clicked, this, &TfmACrit::CancelBtnClick);

  Show();
}

QWidget* TfmACrit::BuildList(int list) {
  auto* box = new QGroupBox(list == 0 ? QStringLiteral("First stage") : QStringLiteral("Last stage"));
  box->setObjectName(QString::fromLatin1(kListNames[At(list)]) + QStringLiteral("Group"));
  auto* grid = new QGridLayout(box);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(4);
  auto* typeHeading = new QLabel(QStringLiteral("Stage type"));
  auto* priorityHeading = new QLabel(QStringLiteral("Priority"));
  for (QLabel* heading : {typeHeading, priorityHeading})
    heading->setForegroundRole(QPalette::PlaceholderText);
  grid->addWidget(typeHeading, 0, 0);
  grid->addWidget(priorityHeading, 0, 1, Qt::AlignHCenter);
  const auto& texts = list == 0 ? kFirstStageTexts : kLastStageTexts;
  for (int e = 0; e < 4; ++e) {
    Row& row = rows_[At(list)][At(e)];
    const QString name = QString::fromLatin1(kListNames[At(list)]);
    row.check = new QCheckBox(QString::fromLatin1(texts[At(e)]));
    row.check->setObjectName(name + QStringLiteral("Check%1").arg(e + 1));
    row.priority = new QToolButton;
    row.priority->setObjectName(name + QStringLiteral("Priority%1").arg(e + 1));
    row.priority->setFixedSize(34, 24);
    row.priority->setToolTip(QStringLiteral("Click for the next priority"));
    grid->addWidget(row.check, e + 1, 0);
    grid->addWidget(row.priority, e + 1, 1, Qt::AlignHCenter);
    connect(row.check, &QCheckBox::clicked, this, [this, list, e] { CheckClick(list, e); });
    connect(row.priority, &QToolButton::clicked, this, [this, list, e] { PriorityClick(list, e); });
  }
  grid->setColumnStretch(0, 1);
  return box;
}

core::StageCriteria& TfmACrit::Criteria(int list) {
  return list == 0 ? edit_.first : edit_.last;
}

void TfmACrit::Show() {
  for (int list = 0; list < 2; ++list) {
    const core::StageCriteria& criteria = Criteria(list);
    for (int e = 0; e < 4; ++e) {
      const core::StageCriterion& c = criteria[At(e)];
      Row& row = rows_[At(list)][At(e)];
      const QSignalBlocker quiet(row.check);
      row.check->setChecked(c.enabled);
      // A type that is not used has no priority to speak of.
      row.priority->setText(c.enabled ? QString::number(c.priority) : QStringLiteral("–"));
      row.priority->setEnabled(c.enabled);
    }
  }
  const QSignalBlocker quietQ(increasingQ_);
  const QSignalBlocker quietF(maximumFlatness_);
  increasingQ_->setChecked(edit_.useQ);
  maximumFlatness_->setChecked(!edit_.useQ);
}

void TfmACrit::CheckClick(int list, int entry) {
  stages::ToggleCriterion(Criteria(list), entry);
  Show();
}

void TfmACrit::PriorityClick(int list, int entry) {
  stages::CyclePriority(Criteria(list), entry);
  Show();
}

void TfmACrit::RemainingClick() {
  edit_.useQ = increasingQ_->isChecked();
}

void TfmACrit::OKBtnClick() {
  if (const auto refusal = stages::AcceptCriteria(main_.State(), edit_)) {
    ShowMessage(main_.Presenter(), this, *refusal);
    return;
  }
  accept();
}

void TfmACrit::CancelBtnClick() {
  reject();
}

}  // namespace tavrin::ui
