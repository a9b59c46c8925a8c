// The one plot of the program: every response graph (the ideal approximations, the built
// filter, the spread envelope, printed pages) is drawn through it, so that axes, curves,
// the zoom rectangle, hit testing and exports behave the same everywhere.
#pragma once

#include <QColor>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QVector>
#include <optional>
#include <qcustomplot.h>
#include <vector>

class QPainter;
class QRubberBand;

namespace tavrin::ui {

// One curve, or one set of markers when `shape` is not ssNone (pole-zero plots).
struct PlotSeries {
  QVector<double> x;
  QVector<double> y;
  QColor color = Qt::black;
  Qt::PenStyle style = Qt::SolidLine;
  double width = 1.6;
  QCPScatterStyle::ScatterShape shape = QCPScatterStyle::ssNone;
  double markerSize = 9;
  QString name;  // column title of an export
  int id = -1;   // the caller's key (an approximation's slot, a section)
};

struct PlotAxes {
  double xMin = 0;
  double xMax = 1;
  bool xLog = false;
  double yMin = 0;
  double yMax = 1;
  QString xTitle;
  QString yTitle;
  bool horizontalGrid = true;
  bool verticalGrid = true;
  // Pole-zero plots: both axes through the origin drawn as lines.
  bool originLines = false;
};

// The curve style of each approximation: colour on screen, dashes so that the curves stay
// apart on a grey printout too.
QColor ApproximationColor(int slot);
Qt::PenStyle ApproximationPenStyle(int slot);

class ResponsePlot : public QCustomPlot {
  Q_OBJECT

 public:
  explicit ResponsePlot(QWidget* parent = nullptr);

  void SetAxes(const PlotAxes& axes);
  const PlotAxes& Axes() const { return axes_; }
  void SetSeries(std::vector<PlotSeries> series);
  const std::vector<PlotSeries>& Series() const { return series_; }
  // A dotted horizontal line (the -3 dB level); none when empty.
  void SetLevelLine(std::optional<double> y);
  std::optional<double> LevelLine() const { return level_; }
  // Redraws after the setters above.
  void Redraw();

  // The plot area in widget pixels, and the conversions between pixels and values.
  QRect PlotArea() const;
  // Whether a pixel lies on the plot area, its right and bottom edges included (the last
  // pixel column is the stop of the axis).
  bool InPlotArea(const QPoint& pixel) const;
  double XAt(double pixelX) const;
  double YAt(double pixelY) const;
  double PixelX(double x) const;
  double PixelY(double y) const;

  // While armed, a left drag draws a rubber band; the release reports the rectangle (it
  // may be drawn the wrong way, the receiver decides) and a right click cancels.
  void SetZoomArmed(bool armed);
  bool ZoomArmed() const { return zoomArmed_; }
  // Cursor shown over the plot area while not zooming.
  void SetAreaCursor(const QCursor& cursor);

  // The marker of a marker series within `radius` pixels of a point, nearest first; the
  // series index and the point index.
  struct Hit {
    int series = -1;
    int point = -1;
  };
  std::optional<Hit> HitTest(const QPoint& pixel, double radius) const;

  // Draws the whole plot into `target` of any painter (screen, image, printer, SVG).
  void Render(QPainter& painter, const QRectF& target);
  bool SaveImage(const QString& fileName, const QSize& size);  // PNG, or SVG by the suffix
  // The series as CSV: the x column and one y column per series (series must share x).
  QString CsvText(const QString& xHeader, const QString& yUnit) const;

 signals:
  // A left click in the plot area while not zooming, with the pixel.
  void areaClicked(QPoint pixel);
  // The mouse over the plot area (values), or left it (nullopt).
  void hovered(std::optional<QPointF> value);
  // A zoom drag ended: its start and end pixels.
  void zoomDragged(QPoint from, QPoint to);
  void zoomCancelled();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void ApplyAxes();
  void ApplySeries();
  void ApplyLevel();

  PlotAxes axes_;
  std::vector<PlotSeries> series_;
  std::optional<double> level_;
  QCPItemStraightLine* levelItem_ = nullptr;
  QCPItemStraightLine* xOrigin_ = nullptr;
  QCPItemStraightLine* yOrigin_ = nullptr;
  bool zoomArmed_ = false;
  bool dragging_ = false;
  QPoint dragStart_;
  QRubberBand* band_ = nullptr;
  QCursor areaCursor_{Qt::CrossCursor};
};

}  // namespace tavrin::ui
