#include "ui/ResponsePlot.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPicture>
#include <QRubberBand>
#include <QSvgGenerator>
#include <array>
#include <cmath>

namespace tavrin::ui {

namespace {

// Frequencies read best as 10, 100, 1k, 10k: the engineering suffix instead of 1e+04.
class EngineeringLogTicker : public QCPAxisTickerLog {
 protected:
  QString getTickLabel(double tick, const QLocale& /*locale*/, QChar /*formatChar*/, int /*precision*/) override {
    static constexpr std::array<std::pair<double, const char*>, 4> kSuffixes = {
        {{1e9, "G"}, {1e6, "M"}, {1e3, "k"}, {1, ""}}};
    const double magnitude = std::fabs(tick);
    for (const auto& [scale, suffix] : kSuffixes) {
      if (magnitude >= scale * 0.999) {
        return QString::number(tick / scale, 'g', 4) + QLatin1String(suffix);
      }
    }
    return QString::number(tick, 'g', 4);
  }
};

QPen GridPen(bool sub) {
  QPen pen(sub ? QColor(232, 232, 232) : QColor(200, 200, 200));
  pen.setStyle(Qt::SolidLine);
  pen.setWidthF(0);
  return pen;
}

}  // namespace

QColor ApproximationColor(int slot) {
  switch (slot) {
    case 0:
      return QColor(0, 0, 255);  // Butterworth
    case 1:
      return QColor(0, 128, 0);  // Chebyshev
    case 2:
      return QColor(255, 0, 0);  // Inverse Chebyshev
    case 3:
      return QColor(128, 0, 128);  // Elliptic
    default:
      return QColor(0, 0, 0);  // Bessel
  }
}

Qt::PenStyle ApproximationPenStyle(int slot) {
  switch (slot) {
    case 0:
      return Qt::SolidLine;
    case 1:
      return Qt::DashLine;
    case 2:
      return Qt::DotLine;
    case 3:
      return Qt::DashDotLine;
    default:
      return Qt::DashDotDotLine;
  }
}

ResponsePlot::ResponsePlot(QWidget* parent) : QCustomPlot(parent) {
  setObjectName(QStringLiteral("Plot"));
  setMinimumSize(320, 240);
  setBackground(Qt::white);
  axisRect()->setBackground(Qt::white);
  QFont labelFont = font();
  labelFont.setPointSizeF(std::max(9.0, labelFont.pointSizeF()));
  QFont tickFont = labelFont;
  tickFont.setPointSizeF(labelFont.pointSizeF() - 0.5);
  for (QCPAxis* axis : {xAxis, yAxis}) {
    axis->setLabelFont(labelFont);
    axis->setTickLabelFont(tickFont);
    axis->grid()->setPen(GridPen(false));
    axis->grid()->setSubGridPen(GridPen(true));
    axis->grid()->setZeroLinePen(Qt::NoPen);
  }
  // A frame around the plot area, as on paper.
  xAxis2->setVisible(true);
  yAxis2->setVisible(true);
  xAxis2->setTickLabels(false);
  yAxis2->setTickLabels(false);
  connect(xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), xAxis2, qOverload<const QCPRange&>(&QCPAxis::setRange));
  connect(yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), yAxis2, qOverload<const QCPRange&>(&QCPAxis::setRange));

  levelItem_ = new QCPItemStraightLine(this);
  QPen dotted(QColor(60, 60, 60));
  dotted.setStyle(Qt::CustomDashLine);
  dotted.setDashPattern({1, 2});  // every third pixel
  levelItem_->setPen(dotted);
  levelItem_->setVisible(false);
  levelItem_->setClipToAxisRect(true);

  for (QCPItemStraightLine** line : {&xOrigin_, &yOrigin_}) {
    *line = new QCPItemStraightLine(this);
    (*line)->setPen(QPen(QColor(120, 120, 120), 0));
    (*line)->setVisible(false);
  }

  band_ = new QRubberBand(QRubberBand::Rectangle, this);
  setMouseTracking(true);
  setCursor(Qt::ArrowCursor);
}

void ResponsePlot::SetAxes(const PlotAxes& axes) {
  axes_ = axes;
  ApplyAxes();
}

void ResponsePlot::SetSeries(std::vector<PlotSeries> series) {
  series_ = std::move(series);
  ApplySeries();
}

void ResponsePlot::SetLevelLine(std::optional<double> y) {
  level_ = y;
  ApplyLevel();
}

void ResponsePlot::Redraw() {
  replot(QCustomPlot::rpImmediateRefresh);
}

void ResponsePlot::ApplyAxes() {
  if (axes_.xLog) {
    xAxis->setScaleType(QCPAxis::stLogarithmic);
    xAxis2->setScaleType(QCPAxis::stLogarithmic);
    auto ticker = QSharedPointer<EngineeringLogTicker>::create();
    ticker->setSubTickCount(8);
    xAxis->setTicker(ticker);
    xAxis2->setTicker(ticker);
  } else {
    xAxis->setScaleType(QCPAxis::stLinear);
    xAxis2->setScaleType(QCPAxis::stLinear);
    auto ticker = QSharedPointer<QCPAxisTicker>::create();
    ticker->setTickCount(8);
    xAxis->setTicker(ticker);
    xAxis2->setTicker(ticker);
  }
  xAxis->setRange(axes_.xMin, axes_.xMax);
  yAxis->setRange(axes_.yMin, axes_.yMax);
  xAxis->setLabel(axes_.xTitle);
  yAxis->setLabel(axes_.yTitle);
  xAxis->grid()->setVisible(axes_.verticalGrid);
  xAxis->grid()->setSubGridVisible(axes_.verticalGrid && axes_.xLog);
  yAxis->grid()->setVisible(axes_.horizontalGrid);
  xOrigin_->setVisible(axes_.originLines);
  yOrigin_->setVisible(axes_.originLines);
  if (axes_.originLines) {
    xOrigin_->point1->setCoords(0, 0);
    xOrigin_->point2->setCoords(1, 0);
    yOrigin_->point1->setCoords(0, 0);
    yOrigin_->point2->setCoords(0, 1);
  }
}

void ResponsePlot::ApplySeries() {
  clearGraphs();
  for (const PlotSeries& s : series_) {
    QCPGraph* graph = addGraph();
    QPen pen(s.color);
    pen.setWidthF(s.width);
    pen.setStyle(s.style);
    graph->setPen(pen);
    if (s.shape != QCPScatterStyle::ssNone) {
      graph->setLineStyle(QCPGraph::lsNone);
      QPen markerPen(s.color);
      markerPen.setWidthF(s.width);
      graph->setScatterStyle(QCPScatterStyle(s.shape, markerPen, Qt::NoBrush, s.markerSize));
    }
    graph->setData(s.x, s.y, s.shape == QCPScatterStyle::ssNone);
    graph->setAdaptiveSampling(false);
  }
}

void ResponsePlot::ApplyLevel() {
  const bool shown = level_.has_value();
  levelItem_->setVisible(shown);
  if (shown) {
    levelItem_->point1->setCoords(axes_.xMin, *level_);
    levelItem_->point2->setCoords(axes_.xMax, *level_);
  }
}

QRect ResponsePlot::PlotArea() const {
  return axisRect()->rect();
}

bool ResponsePlot::InPlotArea(const QPoint& pixel) const {
  const QRect area = PlotArea();
  return pixel.x() >= area.left() && pixel.x() <= area.left() + area.width() && pixel.y() >= area.top() &&
         pixel.y() <= area.top() + area.height();
}

double ResponsePlot::XAt(double pixelX) const {
  return xAxis->pixelToCoord(pixelX);
}

double ResponsePlot::YAt(double pixelY) const {
  return yAxis->pixelToCoord(pixelY);
}

double ResponsePlot::PixelX(double x) const {
  return xAxis->coordToPixel(x);
}

double ResponsePlot::PixelY(double y) const {
  return yAxis->coordToPixel(y);
}

void ResponsePlot::SetZoomArmed(bool armed) {
  zoomArmed_ = armed;
  if (!armed) {
    dragging_ = false;
    band_->hide();
  }
  unsetCursor();
  setCursor(Qt::ArrowCursor);
}

void ResponsePlot::SetAreaCursor(const QCursor& cursor) {
  areaCursor_ = cursor;
}

std::optional<ResponsePlot::Hit> ResponsePlot::HitTest(const QPoint& pixel, double radius) const {
  std::optional<Hit> best;
  double bestDistance = radius;
  for (std::size_t s = 0; s < series_.size(); ++s) {
    const PlotSeries& series = series_[s];
    if (series.shape == QCPScatterStyle::ssNone) continue;
    for (int i = 0; i < series.x.size(); ++i) {
      const double dx = PixelX(series.x[i]) - pixel.x();
      const double dy = PixelY(series.y[i]) - pixel.y();
      const double d = std::hypot(dx, dy);
      if (d <= bestDistance) {
        bestDistance = d;
        best = Hit{static_cast<int>(s), i};
      }
    }
  }
  return best;
}

void ResponsePlot::Render(QPainter& painter, const QRectF& target) {
  // QCustomPlot draws only through its own painter: record the plot as a picture (vector
  // commands, so a printer or an SVG file keeps its sharpness) and play it into the target.
  // It lays itself out for the size it renders at; the screen layout returns at the next replot.
  const QSize size = target.size().toSize();
  QPicture picture;
  QCPPainter recorder;
  if (!recorder.begin(&picture)) return;
  toPainter(&recorder, size.width(), size.height());
  recorder.end();
  painter.drawPicture(target.topLeft(), picture);
}

bool ResponsePlot::SaveImage(const QString& fileName, const QSize& size) {
  if (QFileInfo(fileName).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0) {
    QSvgGenerator generator;
    generator.setFileName(fileName);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(QStringLiteral("Tavrin graph"));
    QCPPainter painter;
    if (!painter.begin(&generator)) return false;
    toPainter(&painter, size.width(), size.height());
    painter.end();
    return QFileInfo::exists(fileName);
  }
  return savePng(fileName, size.width(), size.height());
}

QString ResponsePlot::CsvText(const QString& xHeader, const QString& yUnit) const {
  QString text = QLatin1Char('"') + xHeader + QLatin1Char('"');
  int rows = 0;
  for (const PlotSeries& s : series_) {
    text += QStringLiteral(",\"%1 (%2)\"").arg(s.name, yUnit);
    rows = std::max(rows, static_cast<int>(s.x.size()));
  }
  text += QLatin1String("\r\n");
  for (int i = 0; i < rows; ++i) {
    const PlotSeries* first = series_.empty() ? nullptr : &series_.front();
    if (!first || i >= first->x.size()) break;
    text += QString::number(first->x[i], 'g', QLocale::FloatingPointShortest);
    for (const PlotSeries& s : series_) {
      text += QLatin1Char(',');
      if (i < s.y.size() && std::isfinite(s.y[i])) text += QString::number(s.y[i], 'g', QLocale::FloatingPointShortest);
    }
    text += QLatin1String("\r\n");
  }
  return text;
}

void ResponsePlot::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->pos();
  if (zoomArmed_) {
    if (event->button() == Qt::RightButton) {
      dragging_ = false;
      band_->hide();
      emit zoomCancelled();
    } else if (event->button() == Qt::LeftButton && InPlotArea(p)) {
      dragging_ = true;
      dragStart_ = p;
      band_->setGeometry(QRect(p, QSize()));
      band_->show();
    }
    event->accept();
    return;
  }
  if (event->button() == Qt::LeftButton && InPlotArea(p)) emit areaClicked(p);
  QCustomPlot::mousePressEvent(event);
}

void ResponsePlot::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->pos();
  if (dragging_) band_->setGeometry(QRect(dragStart_, p).normalized());
  const bool inside = InPlotArea(p);
  if (zoomArmed_) {
    setCursor(inside ? Qt::CrossCursor : Qt::ArrowCursor);
  } else {
    setCursor(inside ? areaCursor_ : QCursor(Qt::ArrowCursor));
  }
  emit hovered(inside ? std::optional<QPointF>(QPointF(XAt(p.x()), YAt(p.y()))) : std::nullopt);
  QCustomPlot::mouseMoveEvent(event);
}

void ResponsePlot::mouseReleaseEvent(QMouseEvent* event) {
  if (dragging_ && event->button() == Qt::LeftButton) {
    dragging_ = false;
    band_->hide();
    emit zoomDragged(dragStart_, event->pos());
    event->accept();
    return;
  }
  QCustomPlot::mouseReleaseEvent(event);
}

void ResponsePlot::leaveEvent(QEvent* event) {
  emit hovered(std::nullopt);
  QCustomPlot::leaveEvent(event);
}

}  // namespace tavrin::ui
