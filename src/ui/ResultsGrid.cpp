#include "ui/ResultsGrid.h"

#include <QHeaderView>
#include <QScrollBar>

namespace tavrin::ui {

namespace {

const QColor kRed(0xc6, 0x28, 0x28);

QString Text(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

ResultsGrid::ResultsGrid(QWidget* parent) : QTableWidget(approx::kResultsRows, core::kSlotCount + 1, parent) {
  setObjectName(QStringLiteral("ResultsGrid"));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::NoSelection);
  setFocusPolicy(Qt::NoFocus);
  setAlternatingRowColors(true);
  setShowGrid(false);
  setWordWrap(false);
  verticalHeader()->hide();
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setStyleSheet(
      QStringLiteral("QTableWidget { border: 1px solid #d3dae3; gridline-color: #e3e8ee; "
                     "alternate-background-color: #f4f7fa; }"
                     "QHeaderView::section { background: #e8eef5; color: #2c3e50; border: none;"
                     " border-bottom: 1px solid #c9d3de; padding: 4px 8px; font-weight: bold; }"));
  SetTable(approx::ResultsTable{});
}

void ResultsGrid::SetTable(const approx::ResultsTable& table) {
  auto* corner = new QTableWidgetItem(Text(table.corner));
  corner->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setHorizontalHeaderItem(0, corner);
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    const auto& lines = table.columnHeaders[static_cast<std::size_t>(slot)];
    QString heading = Text(lines[0]);
    // A one-line heading gets an empty second line so every heading is two lines high.
    heading += QLatin1Char('\n') + Text(lines[1]);
    setHorizontalHeaderItem(slot + 1, new QTableWidgetItem(heading));
  }
  QFont labelFont = font();
  labelFont.setBold(true);
  for (int row = 0; row < approx::kResultsRows; ++row) {
    auto* label = new QTableWidgetItem(Text(table.rowLabels[static_cast<std::size_t>(row)]));
    label->setFont(labelFont);
    label->setForeground(QColor(0x2c, 0x3e, 0x50));
    label->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setItem(row, 0, label);
    for (int slot = 0; slot < core::kSlotCount; ++slot) {
      const approx::ResultsCell& cell =
          table.cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(slot)];
      auto* item = new QTableWidgetItem(Text(cell.text));
      item->setTextAlignment(Qt::AlignCenter);
      if (cell.red) {
        item->setForeground(kRed);
        QFont bold = font();
        bold.setBold(true);
        item->setFont(bold);
      }
      setItem(row, slot + 1, item);
    }
  }
  FitColumns();
}

QString ResultsGrid::CellText(int row, int slot) const {
  const QTableWidgetItem* it = item(row, slot + 1);
  return it ? it->text() : QString();
}

bool ResultsGrid::CellIsRed(int row, int slot) const {
  const QTableWidgetItem* it = item(row, slot + 1);
  return it && it->foreground().color() == kRed;
}

QString ResultsGrid::Heading(int slot) const {
  const QTableWidgetItem* it = horizontalHeaderItem(slot + 1);
  return it ? it->text() : QString();
}

void ResultsGrid::FitColumns() {
  const QFontMetrics fm(font());
  // The labels keep their width; the five approximations share the rest equally, so
  // the table reads as a comparison.
  horizontalHeader()->setMinimumSectionSize(SlotColumnWidth());
  horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  for (int c = 1; c <= core::kSlotCount; ++c)
    horizontalHeader()->setSectionResizeMode(c, QHeaderView::Stretch);
  for (int r = 0; r < rowCount(); ++r) setRowHeight(r, fm.height() + 12);
  // As large as its rows and columns, never with a scroll bar of its own: the page around
  // it scrolls when the window is small.
  setFixedHeight(sizeHint().height());
  setMinimumWidth(sizeHint().width());
  updateGeometry();
}

int ResultsGrid::SlotColumnWidth() const {
  return QFontMetrics(font()).horizontalAdvance(QStringLiteral("Elliptic")) + 28;
}

QSize ResultsGrid::sizeHint() const {
  const int labels = std::max(sizeHintForColumn(0), horizontalHeader()->sectionSizeHint(0)) + 16;
  const int width = 2 * frameWidth() + labels + core::kSlotCount * SlotColumnWidth();
  int height = 2 * frameWidth() + horizontalHeader()->sizeHint().height();
  for (int r = 0; r < rowCount(); ++r) height += rowHeight(r);
  return {width, height};
}

QPixmap ResultsGrid::CopyPicture() {
  // The picture is of the whole table, not of the part the window happens to show.
  const QSize full = sizeHint();
  const QSize before = size();
  const Qt::ScrollBarPolicy h = horizontalScrollBarPolicy();
  const Qt::ScrollBarPolicy v = verticalScrollBarPolicy();
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  resize(full);
  const QPixmap picture = grab(QRect(QPoint(0, 0), full));
  resize(before);
  setHorizontalScrollBarPolicy(h);
  setVerticalScrollBarPolicy(v);
  return picture;
}

}  // namespace tavrin::ui
