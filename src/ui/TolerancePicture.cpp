#include "ui/TolerancePicture.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavrin::ui {

namespace {

using core::FilterKind;

const QColor kInk(0x2c, 0x3e, 0x50);
const QColor kAccent(0x1d, 0x6f, 0xd8);
const QColor kZoneFill(0xee, 0xf1, 0xf5);
const QColor kZoneHatch(0xb4, 0xbf, 0xcc);
const QColor kGuide(0x9a, 0xa8, 0xb8);
const QColor kMuted(0x5f, 0x6e, 0x80);

// Heights as fractions of the plot, from its top: the 0 dB line, the passband limit and
// the stopband limit.  They are not to scale; the picture explains, it does not measure.
constexpr double kY0 = 0.10;
constexpr double kYApb = 0.25;
constexpr double kYAsb = 0.66;

// Horizontal positions of the edges: lowpass passband and stopband edge, and the half
// widths of the bands around the center of bandpass and bandstop.
constexpr double kLowEdge = 0.40;
constexpr double kHighEdge = 0.58;
constexpr double kHalfNarrow = 0.11;
constexpr double kHalfWide = 0.24;

// A response that meets a lowpass template with edges xp and xs: equiripple in the
// passband, then a steady fall that is below the stopband limit at xs.
double LowpassShape(double x, double xp, double xs) {
  if (x <= xp) return kY0 + (kYApb - kY0) * (0.5 - 0.5 * std::cos(3.0 * std::numbers::pi * x / xp));
  // A knee at the edge that turns into a steady slope, as a response looks on a log axis.
  const double t = (x - xp) / (xs - xp);
  const double knee = std::sqrt(10.0) - 1.0;
  return kYApb + (kYAsb + 0.07 - kYApb) * (std::sqrt(1.0 + 9.0 * t * t) - 1.0) / knee;
}

double Shape(FilterKind kind, double x) {
  const double d = std::abs(x - 0.5);
  switch (kind) {
    case FilterKind::Highpass:
      return LowpassShape(1.0 - x, 1.0 - kHighEdge, 1.0 - kLowEdge);
    case FilterKind::Bandpass:
      return LowpassShape(d, kHalfNarrow, kHalfWide);
    case FilterKind::Bandstop:
      return LowpassShape(0.5 - d, 0.5 - kHalfWide, 0.5 - kHalfNarrow);
    default:
      return LowpassShape(x, kLowEdge, kHighEdge);
  }
}

struct Zone {
  double left;
  double right;
  bool stopband;  // forbidden above the stopband limit; otherwise below the passband limit
};

std::vector<Zone> Zones(FilterKind kind) {
  switch (kind) {
    case FilterKind::Highpass:
      return {{0.0, kLowEdge, true}, {kHighEdge, 1.0, false}};
    case FilterKind::Bandpass:
      return {{0.0, 0.5 - kHalfWide, true},
              {0.5 + kHalfWide, 1.0, true},
              {0.5 - kHalfNarrow, 0.5 + kHalfNarrow, false}};
    case FilterKind::Bandstop:
      return {{0.0, 0.5 - kHalfWide, false},
              {0.5 + kHalfWide, 1.0, false},
              {0.5 - kHalfNarrow, 0.5 + kHalfNarrow, true}};
    default:
      return {{0.0, kLowEdge, false}, {kHighEdge, 1.0, true}};
  }
}

// A symbol with a subscript, such as f with "pb" below the line.  Returns its width.
qreal SymbolWidth(const QFont& font, const QString& main, const QString& sub) {
  QFont small = font;
  small.setPointSizeF(font.pointSizeF() * 0.72);
  return QFontMetricsF(font).horizontalAdvance(main) + QFontMetricsF(small).horizontalAdvance(sub);
}

void DrawSymbol(QPainter& p, QPointF baseLeft, const QString& main, const QString& sub) {
  const QFont font = p.font();
  QFont small = font;
  small.setPointSizeF(font.pointSizeF() * 0.72);
  p.drawText(baseLeft, main);
  const qreal w = QFontMetricsF(font).horizontalAdvance(main);
  p.setFont(small);
  p.drawText(baseLeft + QPointF(w, QFontMetricsF(font).ascent() * 0.28), sub);
  p.setFont(font);
}

void DrawSymbolCentred(QPainter& p, QPointF baseCentre, const QString& main, const QString& sub) {
  DrawSymbol(p, baseCentre - QPointF(SymbolWidth(p.font(), main, sub) / 2, 0), main, sub);
}

void DrawArrowHead(QPainter& p, QPointF tip, double direction) {
  const QPointF back(-direction * 6, 0);
  QPainterPath head;
  head.moveTo(tip);
  head.lineTo(tip + back + QPointF(0, -3));
  head.lineTo(tip + back + QPointF(0, 3));
  head.closeSubpath();
  p.fillPath(head, p.pen().color());
}

}  // namespace

TolerancePicture::TolerancePicture(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TemplatePicture"));
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TolerancePicture::SetKind(FilterKind kind) {
  kind_ = kind;
  update();
}

void TolerancePicture::SetRadians(bool radians) {
  radians_ = radians;
  update();
}

void TolerancePicture::SetStopbandFaint(bool faint) {
  stopbandFaint_ = faint;
  update();
}

void TolerancePicture::SetValues(const Values& values) {
  values_ = values;
  update();
}

QSize TolerancePicture::sizeHint() const {
  return {440, 300};
}

QSize TolerancePicture::minimumSizeHint() const {
  return {300, 220};
}

void TolerancePicture::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QFont font = this->font();
  p.setFont(font);
  const QFontMetricsF fm(font);
  const qreal line = fm.height();

  const bool band = kind_ == FilterKind::Bandpass || kind_ == FilterKind::Bandstop;
  const QRectF plot = QRectF(rect()).adjusted(fm.horizontalAdvance(QStringLiteral("0.000 dB")) + 14, line + 8,
                                              -18, -(2.6 * line + 10));
  if (plot.width() < 40 || plot.height() < 40) return;
  auto at = [&](double x, double y) {
    return QPointF(plot.left() + x * plot.width(), plot.top() + y * plot.height());
  };
  const QString f = radians_ ? QStringLiteral("\u03c9") : QStringLiteral("f");
  const int faintAlpha = stopbandFaint_ ? 70 : 255;
  auto faint = [&](QColor c, bool stopband) {
    if (stopband) c.setAlpha(faintAlpha);
    return c;
  };

  // The forbidden areas: light fill with a hatch, as on a drawing.
  for (const Zone& z : Zones(kind_)) {
    const QRectF area =
        z.stopband ? QRectF(at(z.left, 0), at(z.right, kYAsb)) : QRectF(at(z.left, kYApb), at(z.right, 1));
    p.fillRect(area, faint(kZoneFill, z.stopband));
    QBrush hatch(faint(kZoneHatch, z.stopband), Qt::BDiagPattern);
    p.fillRect(area, hatch);
    p.setPen(QPen(faint(kGuide, z.stopband), 1.2));
    if (z.stopband) {
      p.drawLine(at(z.left, kYAsb), at(z.right, kYAsb));
      if (z.left > 0) p.drawLine(at(z.left, 0), at(z.left, kYAsb));
      if (z.right < 1) p.drawLine(at(z.right, 0), at(z.right, kYAsb));
    } else {
      p.drawLine(at(z.left, kYApb), at(z.right, kYApb));
      if (z.left > 0) p.drawLine(at(z.left, kYApb), at(z.left, 1));
      if (z.right < 1) p.drawLine(at(z.right, kYApb), at(z.right, 1));
      // Above 0 dB is out of bounds in the passband too.
      const QRectF top(at(z.left, 0), at(z.right, kY0));
      p.fillRect(top, kZoneFill);
      p.fillRect(top, QBrush(kZoneHatch, Qt::BDiagPattern));
    }
  }

  // The 0 dB line and the two limits, across the whole plot, dashed.
  p.setPen(QPen(kGuide, 1, Qt::DashLine));
  p.drawLine(at(0, kY0), at(1, kY0));
  p.drawLine(at(0, kYApb), at(1, kYApb));
  p.setPen(QPen(faint(kGuide, true), 1, Qt::DashLine));
  p.drawLine(at(0, kYAsb), at(1, kYAsb));

  // A response that meets the template.
  QPainterPath curve;
  const int steps = std::max(60, static_cast<int>(plot.width()));
  for (int i = 0; i <= steps; ++i) {
    const double x = static_cast<double>(i) / steps;
    const QPointF pt = at(x, Shape(kind_, x));
    if (i == 0) {
      curve.moveTo(pt);
    } else {
      curve.lineTo(pt);
    }
  }
  p.save();
  p.setClipRect(plot.adjusted(0, -4, 0, -1));
  p.setPen(QPen(kAccent, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(curve);
  p.restore();

  // Axes with arrows.
  p.setPen(QPen(kInk, 1.4));
  p.drawLine(plot.bottomLeft(), plot.topLeft() + QPointF(0, -line * 0.6));
  p.drawLine(plot.bottomLeft(), plot.bottomRight() + QPointF(10, 0));
  DrawArrowHead(p, plot.bottomRight() + QPointF(12, 0), 1.0);
  {
    QPainterPath up;
    const QPointF tip = plot.topLeft() + QPointF(0, -line * 0.6 - 2);
    up.moveTo(tip);
    up.lineTo(tip + QPointF(-3, 6));
    up.lineTo(tip + QPointF(3, 6));
    up.closeSubpath();
    p.fillPath(up, kInk);
  }
  p.setPen(kMuted);
  p.drawText(QPointF(plot.left() + 6, plot.top() - line * 0.35), QStringLiteral("Gain (dB)"));
  p.drawText(QPointF(plot.right() + 12 - fm.horizontalAdvance(QStringLiteral("log ") + f),
                     plot.bottom() + 5 + fm.ascent()),
             QStringLiteral("log ") + f);

  // Attenuation labels at the left, with the typed values under the symbols.
  auto leftLabel = [&](double y, const QString& main, const QString& sub, const QString& value,
                       bool stopband) {
    const QPointF mid = at(0, y);
    p.setPen(faint(kInk, stopband));
    const qreal w = SymbolWidth(p.font(), main, sub);
    DrawSymbol(
        p, QPointF(plot.left() - 8 - w, mid.y() + fm.ascent() * 0.35 - (value.isEmpty() ? 0 : line * 0.45)),
        main, sub);
    if (!value.isEmpty() && !(stopband && stopbandFaint_)) {
      p.setPen(kMuted);
      p.drawText(
          QPointF(plot.left() - 8 - fm.horizontalAdvance(value), mid.y() + fm.ascent() * 0.35 + line * 0.55),
          value);
    }
  };
  p.setPen(kInk);
  p.drawText(QPointF(plot.left() - 8 - fm.horizontalAdvance(QStringLiteral("0")),
                     at(0, kY0).y() + fm.ascent() * 0.35),
             QStringLiteral("0"));
  leftLabel(kYApb, QStringLiteral("A"), QStringLiteral("pb"), values_.apb, false);
  leftLabel(kYAsb, QStringLiteral("A"), QStringLiteral("sb"), values_.asb, true);

  // Frequency labels under the axis: edges for lowpass and highpass, the center for the bands.
  auto tick = [&](double x, const QString& sub, const QString& value, bool stopband) {
    const QPointF base = at(x, 1);
    p.setPen(QPen(faint(kInk, stopband), 1.4));
    p.drawLine(base, base + QPointF(0, 5));
    DrawSymbolCentred(p, base + QPointF(0, 5 + fm.ascent()), f, sub);
    if (!value.isEmpty() && !(stopband && stopbandFaint_)) {
      p.setPen(kMuted);
      p.drawText(base + QPointF(-fm.horizontalAdvance(value) / 2, 5 + fm.ascent() + line), value);
    }
  };
  if (!band) {
    const bool low = kind_ == FilterKind::Lowpass;
    tick(low ? kLowEdge : kHighEdge, QStringLiteral("pb"), values_.pass, false);
    tick(low ? kHighEdge : kLowEdge, QStringLiteral("sb"), values_.stop, true);
    return;
  }
  tick(0.5, QStringLiteral("0"), values_.center, false);
  p.setPen(QPen(kGuide, 1, Qt::DotLine));
  p.drawLine(at(0.5, kY0), at(0.5, 1));

  // The two bandwidths as dimension lines inside the plot.
  auto dimension = [&](double halfWidth, double y, const QString& sub, const QString& value, bool stopband) {
    const QPointF a = at(0.5 - halfWidth, y);
    const QPointF b = at(0.5 + halfWidth, y);
    const QColor ink = faint(kInk, stopband);
    p.setPen(QPen(ink, 1.1));
    p.drawLine(a, b);
    DrawArrowHead(p, a, -1.0);
    DrawArrowHead(p, b, 1.0);
    QString text = QStringLiteral("B");
    const QString shown = (stopband && stopbandFaint_) ? QString() : value;
    const qreal w = SymbolWidth(p.font(), text, sub) +
                    (shown.isEmpty() ? 0 : fm.horizontalAdvance(QLatin1Char(' ') + shown));
    const QRectF box(a.x() + (b.x() - a.x() - w) / 2 - 4,
                     y * plot.height() + plot.top() - fm.ascent() / 2 - 3, w + 8, fm.ascent() + 6);
    p.fillRect(box, palette().color(QPalette::Base));
    p.setPen(ink);
    const QPointF base(box.left() + 4, box.top() + 3 + fm.ascent() * 0.85);
    DrawSymbol(p, base, text, sub);
    if (!shown.isEmpty()) {
      p.setPen(kMuted);
      p.drawText(base + QPointF(SymbolWidth(p.font(), text, sub), 0), QLatin1Char(' ') + shown);
    }
  };
  const bool bandpass = kind_ == FilterKind::Bandpass;
  dimension(bandpass ? kHalfNarrow : kHalfWide, 0.80, QStringLiteral("pb"), values_.pass, false);
  dimension(bandpass ? kHalfWide : kHalfNarrow, 0.92, QStringLiteral("sb"), values_.stop, true);
}

}  // namespace tavrin::ui
