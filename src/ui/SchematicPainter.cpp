#include "ui/SchematicPainter.h"

#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainterPath>
#include <QSvgGenerator>
#include <algorithm>

namespace tavrin::ui {

namespace {

using circuits::GridRect;
using circuits::Ink;
using circuits::Side;

const QColor kBlue(0, 0, 200);
const QColor kTextGreen(0, 128, 0);

QFont SchematicFont() {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setStyleHint(QFont::SansSerif);
  // Sized through the painter's transform, so the text scales with the drawing on any
  // device; a large nominal size keeps the glyph metrics smooth.
  font.setPixelSize(100);
  return font;
}

}  // namespace

SchematicPainter::SchematicPainter(QPainter& painter) : p_(painter) {}

double SchematicPainter::UnitFor(const QRectF& area) {
  return std::min(area.width() / circuits::kGridWidth, area.height() / circuits::kGridHeight);
}

QPointF SchematicPainter::At(double x, double y) const {
  return origin_ + QPointF(x * unit_, y * unit_);
}

QRectF SchematicPainter::Rect(const GridRect& r) const {
  return QRectF(At(r.left, r.top), At(r.right, r.bottom));
}

QPen SchematicPainter::Pen(Ink ink, double widthUnits) const {
  QPen pen(ink == Ink::Blue ? kBlue : QColor(Qt::black));
  pen.setWidthF(std::max(1.0, widthUnits * unit_));
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

void SchematicPainter::Paint(const circuits::SchematicDrawing& d, const QRectF& area,
                             const circuits::SchematicValues* values) {
  unit_ = UnitFor(area);
  origin_ = area.topLeft() + QPointF((area.width() - unit_ * circuits::kGridWidth) / 2,
                                     (area.height() - unit_ * circuits::kGridHeight) / 2);
  p_.save();
  p_.setRenderHint(QPainter::Antialiasing, true);
  p_.setBrush(Qt::NoBrush);
  for (const circuits::Wire& w : d.wires) {
    p_.setPen(Pen(w.ink));
    p_.drawLine(At(w.a.x, w.a.y), At(w.b.x, w.b.y));
  }
  for (const circuits::Part& part : d.parts) DrawPart(part, values);
  for (const circuits::OpAmp& amp : d.opAmps) DrawOpAmp(amp);
  for (const circuits::Ground& g : d.grounds) DrawGround(g);
  for (const circuits::Dot& dot : d.dots) {
    p_.setPen(Qt::NoPen);
    p_.setBrush(dot.ink == Ink::Blue ? kBlue : QColor(Qt::black));
    p_.drawEllipse(At(dot.at.x, dot.at.y), circuits::kDotRadius * unit_, circuits::kDotRadius * unit_);
  }
  for (const circuits::Terminal& t : d.terminals) {
    p_.setPen(Pen(t.ink));
    p_.setBrush(Qt::white);
    p_.drawEllipse(At(t.at.x, t.at.y), circuits::kTerminalRadius * unit_, circuits::kTerminalRadius * unit_);
  }
  p_.setBrush(Qt::NoBrush);
  for (const circuits::Text& t : d.texts) DrawText(t);
  p_.restore();
}

void SchematicPainter::DrawPart(const circuits::Part& part, const circuits::SchematicValues* values) {
  const QPointF a = At(part.pin1.x, part.pin1.y);
  const QPointF b = At(part.pin2.x, part.pin2.y);
  const QPointF along = (b - a) / std::hypot(b.x() - a.x(), b.y() - a.y());  // unit vector pin1 -> pin2
  const QPointF across(-along.y(), along.x());
  const QPointF mid = (a + b) / 2;
  p_.setPen(Pen(part.ink));
  if (part.kind == circuits::PartKind::Resistor) {
    const double half = (circuits::kResistorLength / 2.0 - circuits::kResistorBodyStart) * unit_;
    const double amp = circuits::kResistorAmplitude * unit_;
    const QPointF start = mid - along * half;
    const QPointF end = mid + along * half;
    QPainterPath zig(a);
    zig.lineTo(start);
    // Three full periods over the body.
    for (int k = 0; k < 6; ++k) {
      const double t = (2 * k + 1) / 12.0;
      zig.lineTo(start + along * (2 * half * t) + across * (k % 2 == 0 ? amp : -amp));
    }
    zig.lineTo(end);
    zig.lineTo(b);
    p_.drawPath(zig);
  } else {
    const double gap = circuits::kCapacitorPlateGap / 2 * unit_;
    const double plate = circuits::kCapacitorPlateHalf * unit_;
    p_.drawLine(a, mid - along * gap);
    p_.drawLine(mid + along * gap, b);
    p_.setPen(Pen(part.ink, 0.12));
    p_.drawLine(mid - along * gap + across * plate, mid - along * gap - across * plate);
    p_.drawLine(mid + along * gap + across * plate, mid + along * gap - across * plate);
  }
  const circuits::PartValue* value = values ? values->Of(part) : nullptr;
  QStringList lines{QString::fromStdString(circuits::LabelName(part, value))};
  if (value && !value->text.empty()) lines << QString::fromStdString(value->text);
  DrawLines(lines, circuits::LabelBox(part), part.labelSide, 0.62,
            part.ink == Ink::Blue ? kBlue : QColor(Qt::black));
}

void SchematicPainter::DrawOpAmp(const circuits::OpAmp& amp) {
  const double dir = amp.facesRight ? 1 : -1;
  const double x = circuits::InputX(amp);
  const double y = circuits::MiddleY(amp);
  const double base = x + dir * circuits::kOpAmpBaseOffset;
  const double apex = x + dir * circuits::kOpAmpApexOffset;
  p_.setPen(Pen(amp.ink));
  p_.setBrush(Qt::white);
  const QPointF triangle[] = {At(base, y - circuits::kOpAmpHalfHeight), At(apex, y),
                              At(base, y + circuits::kOpAmpHalfHeight)};
  p_.drawPolygon(triangle, 3);
  p_.setBrush(Qt::NoBrush);
  p_.drawLine(At(x, amp.plus.y), At(base, amp.plus.y));
  p_.drawLine(At(x, amp.minus.y), At(base, amp.minus.y));
  p_.drawLine(At(apex, y), At(amp.out.x, y));
  // The signs sit just inside the base, drawn as strokes so they stay crisp at any size.
  const double sx = base + dir * 0.45;
  const double s = 0.22;
  p_.setPen(Pen(amp.ink, 0.06));
  p_.drawLine(At(sx - s, amp.plus.y), At(sx + s, amp.plus.y));
  p_.drawLine(At(sx, amp.plus.y - s), At(sx, amp.plus.y + s));
  p_.drawLine(At(sx - s, amp.minus.y), At(sx + s, amp.minus.y));
}

void SchematicPainter::DrawGround(const circuits::Ground& g) {
  p_.setPen(Pen(g.ink));
  const double halves[] = {8.0 / 6, 4.0 / 6, 1.0 / 6};
  for (int k = 0; k < 3; ++k) {
    const double y = g.at.y + k * 0.5;
    p_.drawLine(At(g.at.x - halves[k], y), At(g.at.x + halves[k], y));
  }
}

void SchematicPainter::DrawText(const circuits::Text& t) {
  const GridRect box = circuits::TextBox(t);
  QFont font = SchematicFont();
  const double size = 0.75;  // grid units
  const double scale = size * unit_ / font.pixelSize();
  // "V i": a V with its index set low and smaller, as the voltage symbol is written.
  const bool indexed = t.text.size() == 3 && t.text[1] == ' ' && t.text[0] != ' ';
  const QString main = indexed ? QString(QChar(t.text[0])) : QString::fromStdString(t.text);
  const QString index = indexed ? QString(QChar(t.text[2])) : QString();
  QFont small = font;
  small.setPixelSize(font.pixelSize() * 7 / 10);
  const QFontMetricsF fm(font, p_.device());
  const QFontMetricsF fs(small, p_.device());
  const double width = (fm.horizontalAdvance(main) + fs.horizontalAdvance(index)) * scale;
  const QRectF r = Rect(box);
  double left = r.center().x() - width / 2;
  if (t.side == Side::Left) left = r.right() - width;
  if (t.side == Side::Right) left = r.left();
  const double baseline = r.center().y() + fm.capHeight() * scale / 2;
  p_.save();
  p_.setPen(kTextGreen);
  p_.translate(left, baseline);
  p_.scale(scale, scale);
  p_.setFont(font);
  p_.drawText(QPointF(0, 0), main);
  p_.setFont(small);
  p_.drawText(QPointF(fm.horizontalAdvance(main), fm.capHeight() * 0.35), index);
  p_.restore();
}

void SchematicPainter::DrawLines(const QStringList& lines, const GridRect& box, Side side, double sizeUnits,
                                 const QColor& colour) {
  const QFont font = SchematicFont();
  const QFontMetricsF fm(font, p_.device());
  const QRectF r = Rect(box);
  double widest = 0;
  for (const QString& line : lines) widest = std::max(widest, fm.horizontalAdvance(line));
  const double lineHeight = r.height() / 2;
  // The nominal size, made smaller where a long value would leave its box.
  double scale = sizeUnits * unit_ / font.pixelSize();
  if (widest * scale > r.width()) scale = r.width() / widest;
  const double total = lineHeight * static_cast<double>(lines.size());
  double top = r.top() + (r.height() - total) / 2;
  if (side == Side::Up) top = r.bottom() - total;
  if (side == Side::Down) top = r.top();
  p_.save();
  p_.setPen(colour);
  p_.setFont(font);
  for (const QString& line : lines) {
    const double w = fm.horizontalAdvance(line) * scale;
    double left = r.center().x() - w / 2;
    if (side == Side::Left) left = r.right() - w;
    if (side == Side::Right) left = r.left();
    const double baseline = top + lineHeight / 2 + fm.capHeight() * scale / 2;
    p_.save();
    p_.translate(left, baseline);
    p_.scale(scale, scale);
    p_.drawText(QPointF(0, 0), line);
    p_.restore();
    top += lineHeight;
  }
  p_.restore();
}

void SchematicPainter::PaintDesignFailure(const QRectF& area, int stage) {
  p_.save();
  p_.fillRect(area, Qt::white);
  p_.setRenderHint(QPainter::Antialiasing, true);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::max(8, static_cast<int>(area.width() / 40)));
  p_.setFont(font);
  const QFontMetricsF fm(font, p_.device());
  const double step = fm.lineSpacing() * 1.3;
  double baseline = area.top() + area.height() / 3 + fm.ascent();
  const QString first = QStringLiteral("Tavrin has been unable to actualize this circuit.");
  const QString second =
      QStringLiteral("Please select another circuit topology for Stage ") + QString::number(stage);
  const QString lead = QStringLiteral("in the previous ");
  const QString window = QStringLiteral("Select Filter Circuits ");
  const QString tail = QStringLiteral("window.");
  p_.setPen(Qt::black);
  for (const QString& line : {first, second}) {
    p_.drawText(QPointF(area.center().x() - fm.horizontalAdvance(line) / 2, baseline), line);
    baseline += step;
  }
  double x = area.center().x() - fm.horizontalAdvance(lead + window + tail) / 2;
  p_.drawText(QPointF(x, baseline), lead);
  x += fm.horizontalAdvance(lead);
  p_.setPen(Qt::red);
  p_.drawText(QPointF(x, baseline), window);
  x += fm.horizontalAdvance(window);
  p_.setPen(Qt::black);
  p_.drawText(QPointF(x, baseline), tail);
  p_.restore();
}

QImage RenderSchematic(const circuits::SchematicDrawing& drawing, const circuits::SchematicValues* values,
                       int width) {
  const int height = width * circuits::kGridHeight / circuits::kGridWidth;
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  SchematicPainter(painter).Paint(drawing, QRectF(0, 0, width, height), values);
  return image;
}

bool SaveSchematicPng(const circuits::SchematicDrawing& drawing, const circuits::SchematicValues* values,
                      const QString& fileName, int width) {
  return RenderSchematic(drawing, values, width).save(fileName, "PNG");
}

bool SaveSchematicSvg(const circuits::SchematicDrawing& drawing, const circuits::SchematicValues* values,
                      const QString& fileName, int width) {
  const int height = width * circuits::kGridHeight / circuits::kGridWidth;
  QSvgGenerator svg;
  svg.setFileName(fileName);
  svg.setSize(QSize(width, height));
  svg.setViewBox(QRect(0, 0, width, height));
  svg.setTitle(QString::fromStdString(drawing.code));
  QPainter painter;
  if (!painter.begin(&svg)) return false;
  painter.fillRect(QRectF(0, 0, width, height), Qt::white);
  SchematicPainter(painter).Paint(drawing, QRectF(0, 0, width, height), values);
  return painter.end();
}

SchematicView::SchematicView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("SchematicView"));
  setAutoFillBackground(false);
  QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
}

void SchematicView::SetSchematic(const circuits::SchematicDrawing& drawing,
                                 const circuits::SchematicValues& values) {
  drawing_ = drawing;
  values_ = values;
  hasValues_ = true;
  failedStage_ = 0;
  update();
}

void SchematicView::SetSchematic(const circuits::SchematicDrawing& drawing) {
  drawing_ = drawing;
  hasValues_ = false;
  failedStage_ = 0;
  update();
}

void SchematicView::SetDesignFailure(int stage) {
  failedStage_ = stage;
  update();
}

void SchematicView::Clear() {
  drawing_ = {};
  hasValues_ = false;
  failedStage_ = 0;
  update();
}

QSize SchematicView::sizeHint() const {
  return {660, heightForWidth(660)};
}

int SchematicView::heightForWidth(int width) const {
  return width * circuits::kGridHeight / circuits::kGridWidth;
}

void SchematicView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  SchematicPainter schematic(painter);
  if (failedStage_ > 0) {
    schematic.PaintDesignFailure(QRectF(rect()), failedStage_);
  } else {
    schematic.Paint(drawing_, QRectF(rect()), hasValues_ ? &values_ : nullptr);
  }
}

}  // namespace tavrin::ui
