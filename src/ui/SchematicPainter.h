// Draws a circuit schematic (a parsed script, Schematic.h) on any QPainter: a window, a
// printer, an SVG generator or an image.  Wires, dots, terminals and grounds as the script
// says; zig-zag resistors, two-plate capacitors, triangle op amps with their inputs marked
// + and -; each part labelled with its name and, when values are given, its value as the
// program writes it, after the inventory bullet where it is marked.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QWidget>

#include "circuits/Schematic.h"
#include "circuits/SchematicLabels.h"

namespace tavrin::ui {

class SchematicPainter {
 public:
  explicit SchematicPainter(QPainter& painter);

  // The grid fills as much of area as it can at 33 x 24 units, centred in it.
  static double UnitFor(const QRectF& area);

  // Draws the drawing into area; values (may be null) add the parts' values to the labels.
  void Paint(const circuits::SchematicDrawing& drawing, const QRectF& area,
             const circuits::SchematicValues* values = nullptr);

  // What the schematic area shows when the stage could not be designed: white, and three
  // centred lines from a third of its height, "Select Filter Circuits " in red.
  void PaintDesignFailure(const QRectF& area, int stage);

 private:
  QPointF At(double x, double y) const;
  QRectF Rect(const circuits::GridRect& r) const;
  QPen Pen(circuits::Ink ink, double widthUnits = 0.07) const;
  void DrawPart(const circuits::Part& part, const circuits::SchematicValues* values);
  void DrawOpAmp(const circuits::OpAmp& amp);
  void DrawGround(const circuits::Ground& ground);
  void DrawText(const circuits::Text& text);
  // Lines fitted into box (grid units), aligned towards what they belong to.
  void DrawLines(const QStringList& lines, const circuits::GridRect& box, circuits::Side side,
                 double sizeUnits, const QColor& colour);

  QPainter& p_;
  QPointF origin_;
  double unit_ = 1;
};

// The schematic alone as a picture of the given width (its height follows the grid).
QImage RenderSchematic(const circuits::SchematicDrawing& drawing, const circuits::SchematicValues* values,
                       int width);
bool SaveSchematicPng(const circuits::SchematicDrawing& drawing, const circuits::SchematicValues* values,
                      const QString& fileName, int width = 990);
bool SaveSchematicSvg(const circuits::SchematicDrawing& drawing, const circuits::SchematicValues* values,
                      const QString& fileName, int width = 990);

// One schematic in a window: the drawing with its values, or the failure text of a stage
// that could not be designed.
class SchematicView : public QWidget {
  Q_OBJECT

 public:
  explicit SchematicView(QWidget* parent = nullptr);

  void SetSchematic(const circuits::SchematicDrawing& drawing, const circuits::SchematicValues& values);
  void SetSchematic(const circuits::SchematicDrawing& drawing);
  void SetDesignFailure(int stage);
  void Clear();

  QSize sizeHint() const override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  circuits::SchematicDrawing drawing_;
  circuits::SchematicValues values_;
  bool hasValues_ = false;
  int failedStage_ = 0;  // 0: draw the schematic
};

}  // namespace tavrin::ui
