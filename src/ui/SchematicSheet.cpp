#include "ui/SchematicSheet.h"

#include <QPainter>
#include <cmath>
#include <numbers>
#include <optional>

#include "circuits/Catalogue.h"
#include "circuits/DesignStage.h"
#include "circuits/SchematicLabels.h"
#include "circuits/SchematicScripts.h"
#include "circuits/SetUpCircuit.h"
#include "ui/SchematicPainter.h"

namespace tavrin::ui {

namespace {

struct Cell {
  std::string code;
  bool activeComp = false;
};

std::vector<Cell> Cells() {
  std::vector<Cell> cells;
  for (circuits::ScriptList list : circuits::kScriptLists) {
    for (const std::string& code : circuits::ScriptCodesIn(circuits::ScriptListText(list))) {
      cells.push_back({code, list == circuits::ScriptList::ActiveComp});
    }
  }
  return cells;
}

// A stage of 1 kHz, moderate Q, modest gain: what a typical design of the type looks like,
// so the labels show values of a usual length.
std::optional<circuits::SchematicValues> TypicalValues(const circuits::CircuitAddress& at, bool activeComp) {
  core::Stage stage;
  stage.type = static_cast<std::uint8_t>(at.stageType);
  const double wp = 2 * std::numbers::pi * 1000;
  const bool first = at.stageType == core::ptFLP || at.stageType == core::ptFHP;
  stage.wp = wp;
  stage.p = first ? wp : 0;
  stage.Qp = first ? 0 : (at.stageType == core::ptSBP ? 3 : 0.9);
  stage.wz = at.stageType == core::ptSLPN ? 1.6 * wp : at.stageType == core::ptSHPN ? wp / 1.6 : wp;
  core::CircuitRecord cr;
  cr.Fresh = true;
  cr.CircuitId = static_cast<std::int16_t>(at.circuitId);
  cr.CircuitNumber = static_cast<std::int16_t>(at.number);
  cr.CircuitNumberCopy = cr.CircuitNumber;
  core::StageComponentSetEntry memory, saved;
  circuits::SetUpCircuit(cr, wp, false, memory, saved);
  cr.ActiveComp = activeComp;
  cr.RequestedGain = 1.5;
  cr.CircuitGain = 1.5;
  if (!circuits::DesignStage(cr, stage) || cr.DesignFailed) return std::nullopt;
  return circuits::SchematicValuesOf(cr);
}

}  // namespace

QImage SchematicContactSheet(int columns, int cellWidth) {
  const std::vector<Cell> cells = Cells();
  const int title = cellWidth / 14;
  const int drawingHeight = cellWidth * circuits::kGridHeight / circuits::kGridWidth;
  const int cellHeight = title + drawingHeight;
  const int rows = std::max(1, (static_cast<int>(cells.size()) + columns - 1) / columns);
  QImage sheet(columns * cellWidth, rows * cellHeight, QImage::Format_RGB32);
  sheet.fill(Qt::white);
  QPainter p(&sheet);
  p.setRenderHint(QPainter::Antialiasing, true);
  QFont bold(QStringLiteral("Liberation Sans"));
  bold.setPixelSize(title * 11 / 20);
  bold.setBold(true);
  QFont plain = bold;
  plain.setBold(false);
  plain.setPixelSize(title * 2 / 5);
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const int col = static_cast<int>(i) % columns;
    const int row = static_cast<int>(i) / columns;
    const QRect cell(col * cellWidth, row * cellHeight, cellWidth, cellHeight);
    const Cell& c = cells[i];
    const circuits::CircuitAddress at = circuits::AddressOfKey(c.code);
    p.setPen(QColor(200, 200, 200));
    p.drawRect(cell.adjusted(0, 0, -1, -1));
    p.setPen(Qt::black);
    p.setFont(bold);
    const QString code =
        QString::fromStdString(c.code) + (c.activeComp ? QStringLiteral(" (compensated)") : QString());
    const QRect titleRect(cell.left() + title / 3, cell.top(), cellWidth - title / 3, title);
    p.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, code);
    const int codeWidth = QFontMetrics(bold).horizontalAdvance(code + QStringLiteral("  "));
    p.setFont(plain);
    p.drawText(titleRect.adjusted(codeWidth, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromStdString(circuits::Caption(at.catalogueIndex)));
    const circuits::SchematicDrawing drawing = circuits::ParseSchematic(circuits::FindScript(
        c.activeComp ? circuits::ScriptList::ActiveComp : circuits::ScriptListFor(at.stageType, false),
        c.code));
    const std::optional<circuits::SchematicValues> values = TypicalValues(at, c.activeComp);
    SchematicPainter(p).Paint(drawing, QRectF(cell.left(), cell.top() + title, cellWidth, drawingHeight),
                              values ? &*values : nullptr);
  }
  return sheet;
}

bool SaveSchematicContactSheet(const QString& fileName) {
  return SchematicContactSheet().save(fileName, "PNG");
}

}  // namespace tavrin::ui
