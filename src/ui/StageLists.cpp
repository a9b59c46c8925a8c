#include "ui/StageLists.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>

#include "core/NumberFormat.h"
#include "stages/Pairing.h"

namespace tavrin::ui {

namespace {

bool Hz(core::FrequencyUnit unit) {
  return unit == core::FrequencyUnit::Hz;
}

QString Fixed(double x, int decimals) {
  return QString::fromStdString(core::TrimLeadingBlanks(core::FormatFixed(x, 1, decimals)));
}

bool FirstOrder(std::uint8_t type) {
  return type == core::ptFLP || type == core::ptFHP;
}

}  // namespace

QString FrequencyText(double w, core::FrequencyUnit unit) {
  return QString::fromStdString(core::FormatFrequency(w, unit));
}

QString QualityText(double q) {
  return Fixed(q, 3);
}

QString FlatnessText(double flatness) {
  return Fixed(flatness, 2);
}

QStringList PoleListHeaders(core::FrequencyUnit unit) {
  return {QStringLiteral("Pole"), QStringLiteral("-σ"), QStringLiteral("±jω"),
          Hz(unit) ? QStringLiteral("fp") : QStringLiteral("wp"), QStringLiteral("Q")};
}

QStringList PoleEntryTexts(const core::PolePairListEntry& entry, core::FrequencyUnit unit) {
  if (entry.kind == 1) {
    return {QStringLiteral("POLE PAIR"), QStringLiteral("-") + FrequencyText(entry.sigma, unit),
            QStringLiteral("± j ") + FrequencyText(entry.omega, unit), FrequencyText(entry.w0, unit),
            QualityText(entry.Q)};
  }
  // A real pole sits at -p: its frequency is p itself, and it has no Q of its own.
  return {QStringLiteral("SNGL POLE"), QStringLiteral("-") + FrequencyText(entry.sigma, unit), QString(),
          FrequencyText(entry.sigma, unit), QString()};
}

QStringList ZeroListHeaders(core::FrequencyUnit unit) {
  return {QStringLiteral("Zero"), Hz(unit) ? QStringLiteral("fz") : QStringLiteral("wz")};
}

QStringList ZeroEntryTexts(const core::ZeroPairListEntry& entry, core::FrequencyUnit unit) {
  return {entry.kind == 1 ? QStringLiteral("ZERO PAIR") : QStringLiteral("SNGL ZERO"),
          FrequencyText(entry.wz, unit)};
}

QStringList StageListHeaders(bool withFlatness) {
  QStringList headers = {QStringLiteral("Stage"), QStringLiteral("Type"), QStringLiteral("Poles"),
                         QStringLiteral("Zeros")};
  if (withFlatness) headers << QStringLiteral("Flatness");
  return headers;
}

QString StagePolesText(const core::Stage& stage, core::FrequencyUnit unit) {
  const QString fp = Hz(unit) ? QStringLiteral("  fp: ") : QStringLiteral("  wp: ");
  if (FirstOrder(stage.type)) return QStringLiteral("SNGL POLE") + fp + FrequencyText(stage.p, unit);
  const QString kind =
      stage.pole2 != 0 ? QStringLiteral("SNGL POLE + SNGL POLE") : QStringLiteral("POLE PAIR");
  return kind + fp + FrequencyText(stage.wp, unit) + QStringLiteral("  Q: ") + QualityText(stage.Qp);
}

QString StageZerosText(const core::DesignState& state, const core::Stage& stage) {
  const core::FrequencyUnit unit = state.frequencyUnit;
  const QString fz = Hz(unit) ? QStringLiteral("  fz: ") : QStringLiteral("  wz: ");
  QStringList kinds;
  QStringList frequencies;
  for (const int entry : {int{stage.zero1}, int{stage.zero2}}) {
    if (entry < 1 || entry > core::kMaxEntries) continue;
    const core::ZeroPairListEntry& z = state.zeroPairList[static_cast<std::size_t>(entry)];
    kinds << (z.kind == 1 ? QStringLiteral("ZERO PAIR") : QStringLiteral("SNGL ZERO"));
    frequencies << FrequencyText(z.wz, unit);
  }
  if (kinds.isEmpty()) return QString();
  // Two zeros split from one pair, or both at the origin, share their frequency: say it once.
  if (frequencies.size() == 2 && frequencies[0] == frequencies[1]) frequencies.removeLast();
  return kinds.join(QStringLiteral(" + ")) + fz + frequencies.join(QStringLiteral(", "));
}

QTreeWidget* MakeRootList(const char* objectName, QAbstractItemView::SelectionMode mode) {
  auto* list = new QTreeWidget;
  list->setObjectName(QString::fromLatin1(objectName));
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setAlternatingRowColors(true);
  list->setSelectionMode(mode);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setAllColumnsShowFocus(true);
  // Every column as wide as its widest text; a window that wants one column to take the
  // spare room says so.
  list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  list->header()->setStretchLastSection(false);
  list->header()->setSectionsMovable(false);
  return list;
}

void FillStageList(QTreeWidget& list, const core::DesignState& state, bool withFlatness) {
  list.clear();
  list.setHeaderLabels(StageListHeaders(withFlatness));
  if (withFlatness) list.headerItem()->setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
  // The zeros column takes the spare room, so a flatness stays at the right edge.
  list.header()->setSectionResizeMode(3, QHeaderView::Stretch);
  for (int s = 1; s <= state.stageCount && s <= core::kMaxStages; ++s) {
    const core::Stage& stage = state.stages[static_cast<std::size_t>(s)];
    QStringList texts = {QString::number(s),
                         QString::fromStdString(stages::StageTypeName(stage.type)).trimmed(),
                         StagePolesText(stage, state.frequencyUnit), StageZerosText(state, stage)};
    if (withFlatness) texts << FlatnessText(stage.flatness);
    auto* item = new QTreeWidgetItem(texts);
    item->setData(0, Qt::UserRole, s);
    item->setTextAlignment(0, Qt::AlignCenter);
    if (withFlatness) item->setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
    list.addTopLevelItem(item);
  }
}

std::vector<int> SelectedNumbers(const QTreeWidget& list) {
  std::vector<int> numbers;
  for (int i = 0; i < list.topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = list.topLevelItem(i);
    if (item->isSelected()) numbers.push_back(item->data(0, Qt::UserRole).toInt());
  }
  return numbers;
}

void SelectNumbers(QTreeWidget& list, const std::vector<int>& numbers) {
  for (int i = 0; i < list.topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = list.topLevelItem(i);
    const int number = item->data(0, Qt::UserRole).toInt();
    const bool selected = std::find(numbers.begin(), numbers.end(), number) != numbers.end();
    item->setSelected(selected);
    if (selected) list.setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
  }
}

}  // namespace tavrin::ui
