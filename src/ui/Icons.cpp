#include "ui/Icons.h"

#include <QFont>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

namespace tavrin::ui {

namespace {

// Every picture is drawn on a 24 x 24 grid and scaled to the requested size.
constexpr qreal kGrid = 24.0;

struct Colours {
  QColor ink;         // outlines and text
  QColor accent;      // the one strong colour of a picture
  QColor accentFill;  // light fill behind the accent
  QColor paper;       // sheets, labels
  QColor muted;       // secondary lines
  QColor warm;        // the pencil, the only warm colour
};

Colours ColoursFor(QIcon::Mode mode) {
  if (mode == QIcon::Disabled) {
    return {QColor(0xa3, 0xa9, 0xb0), QColor(0xb4, 0xba, 0xc1), QColor(0xec, 0xee, 0xf0),
            QColor(0xf8, 0xf8, 0xf9), QColor(0xc8, 0xcc, 0xd1), QColor(0xdd, 0xdf, 0xe2)};
  }
  return {QColor(0x2c, 0x3e, 0x50), QColor(0x1d, 0x6f, 0xd8), QColor(0xd6, 0xe6, 0xfb),
          QColor(0xff, 0xff, 0xff), QColor(0x8a, 0x97, 0xa6), QColor(0xf5, 0xb0, 0x41)};
}

QPen Stroke(const QColor& colour, qreal width = 1.5) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet of paper with a folded top-right corner.
void DrawSheet(QPainter& p, const Colours& c, QRectF r) {
  const qreal fold = 4.5;
  QPainterPath sheet;
  sheet.moveTo(r.left(), r.top());
  sheet.lineTo(r.right() - fold, r.top());
  sheet.lineTo(r.right(), r.top() + fold);
  sheet.lineTo(r.right(), r.bottom());
  sheet.lineTo(r.left(), r.bottom());
  sheet.closeSubpath();
  p.setPen(Stroke(c.ink));
  p.setBrush(c.paper);
  p.drawPath(sheet);
  QPainterPath corner;
  corner.moveTo(r.right() - fold, r.top());
  corner.lineTo(r.right() - fold, r.top() + fold);
  corner.lineTo(r.right(), r.top() + fold);
  p.setBrush(c.accentFill);
  p.drawPath(corner);
}

// Axes of a magnitude plot and the response curve with a light area below it.
void DrawResponse(QPainter& p, const Colours& c, const QPainterPath& curve) {
  const qreal axisY = 20.5;
  QPainterPath area = curve;
  area.lineTo(curve.currentPosition().x(), axisY);
  area.lineTo(curve.elementAt(0).x, axisY);
  area.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(c.accentFill);
  p.drawPath(area);

  p.setBrush(Qt::NoBrush);
  p.setPen(Stroke(c.accent, 2.0));
  p.drawPath(curve);

  p.setPen(Stroke(c.ink, 1.5));
  p.drawLine(QPointF(3, 3), QPointF(3, axisY));
  p.drawLine(QPointF(3, axisY), QPointF(21.5, axisY));
}

void DrawLowpass(QPainter& p, const Colours& c) {
  QPainterPath curve(QPointF(3.5, 7));
  curve.lineTo(9.5, 7);
  curve.cubicTo(13, 7, 13.5, 17.5, 18, 18.5);
  curve.lineTo(21, 19);
  DrawResponse(p, c, curve);
}

void DrawHighpass(QPainter& p, const Colours& c) {
  QPainterPath curve(QPointF(3.5, 19));
  curve.lineTo(6.5, 18.5);
  curve.cubicTo(11, 17.5, 11.5, 7, 15, 7);
  curve.lineTo(21, 7);
  DrawResponse(p, c, curve);
}

void DrawBandpass(QPainter& p, const Colours& c) {
  QPainterPath curve(QPointF(3.5, 19));
  curve.cubicTo(7.5, 18.5, 8.5, 7, 12.25, 7);
  curve.cubicTo(16, 7, 17, 18.5, 21, 19);
  DrawResponse(p, c, curve);
}

void DrawBandstop(QPainter& p, const Colours& c) {
  QPainterPath curve(QPointF(3.5, 7));
  curve.lineTo(7, 7);
  curve.cubicTo(10, 7, 11, 18.5, 12.25, 18.5);
  curve.cubicTo(13.5, 18.5, 14.5, 7, 17.5, 7);
  curve.lineTo(21, 7);
  DrawResponse(p, c, curve);
}

// Poles and zeros on the s-plane: the user places them section by section.
void DrawUserDefined(QPainter& p, const Colours& c) {
  p.setPen(Stroke(c.muted, 1.25));
  p.drawLine(QPointF(2.5, 12), QPointF(21.5, 12));
  p.drawLine(QPointF(16, 2.5), QPointF(16, 21.5));
  p.setPen(Stroke(c.accent, 1.8));
  for (const QPointF centre : {QPointF(8.5, 6.5), QPointF(8.5, 17.5)}) {
    p.drawLine(centre + QPointF(-2.3, -2.3), centre + QPointF(2.3, 2.3));
    p.drawLine(centre + QPointF(-2.3, 2.3), centre + QPointF(2.3, -2.3));
  }
  p.setPen(Stroke(c.ink, 1.6));
  p.setBrush(c.paper);
  p.drawEllipse(QPointF(16, 4.5), 2.2, 2.2);
  p.drawEllipse(QPointF(16, 19.5), 2.2, 2.2);
}

void DrawClipboard(QPainter& p, const Colours& c) {
  p.setPen(Stroke(c.ink));
  p.setBrush(c.paper);
  p.drawRoundedRect(QRectF(4.5, 4, 15, 18), 2, 2);
  p.setBrush(c.accent);
  p.setPen(Stroke(c.accent, 1.2));
  p.drawRoundedRect(QRectF(8.5, 2.25, 7, 4), 1.2, 1.2);
  // A little response curve: what gets copied is a picture of the design.
  QPainterPath curve(QPointF(7.5, 11));
  curve.lineTo(10.5, 11);
  curve.cubicTo(13, 11, 13.5, 18.5, 16.5, 18.5);
  p.setBrush(Qt::NoBrush);
  p.setPen(Stroke(c.accent, 1.6));
  p.drawPath(curve);
}

// A diskette: still the picture everybody reads as "save".
void DrawDiskette(QPainter& p, const Colours& c, QRectF r) {
  const qreal cut = r.width() * 0.2;
  QPainterPath body;
  body.moveTo(r.left() + 1.5, r.top());
  body.lineTo(r.right() - cut, r.top());
  body.lineTo(r.right(), r.top() + cut);
  body.lineTo(r.right(), r.bottom() - 1.5);
  body.quadTo(r.right(), r.bottom(), r.right() - 1.5, r.bottom());
  body.lineTo(r.left() + 1.5, r.bottom());
  body.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - 1.5);
  body.lineTo(r.left(), r.top() + 1.5);
  body.quadTo(r.left(), r.top(), r.left() + 1.5, r.top());
  p.setPen(Stroke(c.ink));
  p.setBrush(c.accent);
  p.drawPath(body);
  const qreal w = r.width();
  const qreal h = r.height();
  p.setPen(Qt::NoPen);
  p.setBrush(c.paper);
  p.drawRect(QRectF(r.left() + w * 0.25, r.top() + 0.75, w * 0.45, h * 0.3));
  p.setBrush(c.accent);
  p.drawRect(QRectF(r.left() + w * 0.52, r.top() + 1.75, w * 0.1, h * 0.18));
  p.setBrush(c.paper);
  p.setPen(Stroke(c.ink, 1.0));
  p.drawRoundedRect(QRectF(r.left() + w * 0.18, r.top() + h * 0.55, w * 0.64, h * 0.45 - 1.5), 0.8, 0.8);
}

void DrawSave(QPainter& p, const Colours& c) {
  DrawDiskette(p, c, QRectF(3, 3, 18, 18));
}

void DrawSaveAs(QPainter& p, const Colours& c) {
  DrawDiskette(p, c, QRectF(2, 2, 16, 16));
  // A pencil across the corner: saved under a name the user writes.
  p.save();
  p.translate(17.5, 17.5);
  p.rotate(-45);
  p.setPen(Stroke(c.ink, 1.2));
  p.setBrush(c.warm);
  p.drawRect(QRectF(-1.8, -7, 3.6, 9));
  QPainterPath tip;
  tip.moveTo(-1.8, 2);
  tip.lineTo(1.8, 2);
  tip.lineTo(0, 5.5);
  tip.closeSubpath();
  p.setBrush(c.paper);
  p.drawPath(tip);
  p.restore();
}

void DrawPrint(QPainter& p, const Colours& c) {
  p.setPen(Stroke(c.ink));
  p.setBrush(c.paper);
  p.drawRect(QRectF(7, 2.5, 10, 7));
  p.setBrush(c.accentFill);
  p.drawRoundedRect(QRectF(2.5, 8.5, 19, 9.5), 2, 2);
  p.setBrush(c.paper);
  p.drawRect(QRectF(7, 14, 10, 7.5));
  p.setPen(Stroke(c.muted, 1.0));
  p.drawLine(QPointF(9, 17), QPointF(15, 17));
  p.drawLine(QPointF(9, 19.2), QPointF(13.5, 19.2));
  p.setPen(Qt::NoPen);
  p.setBrush(c.accent);
  p.drawEllipse(QPointF(18.3, 11.5), 1.1, 1.1);
}

void DrawOpen(QPainter& p, const Colours& c) {
  QPainterPath back;
  back.moveTo(2.5, 19.5);
  back.lineTo(2.5, 5);
  back.quadTo(2.5, 4, 3.5, 4);
  back.lineTo(8.5, 4);
  back.lineTo(10.5, 6.5);
  back.lineTo(18, 6.5);
  back.quadTo(19, 6.5, 19, 7.5);
  back.lineTo(19, 10);
  p.setPen(Stroke(c.ink));
  p.setBrush(c.accentFill);
  p.drawPath(back);
  QPainterPath front;
  front.moveTo(2.5, 19.5);
  front.lineTo(6, 10.5);
  front.lineTo(22, 10.5);
  front.lineTo(18.5, 19.5);
  front.closeSubpath();
  p.setBrush(c.accent);
  p.drawPath(front);
}

void DrawClose(QPainter& p, const Colours& c) {
  DrawSheet(p, c, QRectF(4, 2.5, 14, 19));
  p.setPen(Qt::NoPen);
  p.setBrush(c.accent);
  p.drawEllipse(QPointF(17, 17), 5, 5);
  p.setPen(Stroke(c.paper, 1.6));
  p.drawLine(QPointF(15, 15), QPointF(19, 19));
  p.drawLine(QPointF(15, 19), QPointF(19, 15));
}

// A sheet carrying an op-amp: the circuit written out for the simulator.
void DrawSpice(QPainter& p, const Colours& c) {
  DrawSheet(p, c, QRectF(3.5, 2, 17, 20));
  QPainterPath amp;
  amp.moveTo(8.5, 7.5);
  amp.lineTo(8.5, 17.5);
  amp.lineTo(16, 12.5);
  amp.closeSubpath();
  p.setPen(Stroke(c.accent, 1.5));
  p.setBrush(c.accentFill);
  p.drawPath(amp);
  p.drawLine(QPointF(5.5, 10), QPointF(8.5, 10));
  p.drawLine(QPointF(5.5, 15), QPointF(8.5, 15));
  p.drawLine(QPointF(16, 12.5), QPointF(18.5, 12.5));
  p.setPen(Stroke(c.ink, 1.0));
  p.drawLine(QPointF(9.7, 10), QPointF(11.3, 10));
  p.drawLine(QPointF(9.7, 15), QPointF(11.3, 15));
  p.drawLine(QPointF(10.5, 14.2), QPointF(10.5, 15.8));
}

// A sheet of text columns: the design's numbers written out as plain text.
void DrawAscii(QPainter& p, const Colours& c) {
  DrawSheet(p, c, QRectF(3.5, 2, 17, 20));
  p.setPen(Stroke(c.muted, 1.3));
  for (int row = 0; row < 4; ++row) {
    const qreal y = 8 + row * 3;
    p.drawLine(QPointF(6.5, y), QPointF(9.5, y));
    p.drawLine(QPointF(11.5, y), QPointF(row % 2 == 0 ? 17.5 : 15.5, y));
  }
  QFont font(QStringLiteral("Liberation Sans"));
  font.setBold(true);
  font.setPixelSize(7);
  p.setFont(font);
  p.setPen(Qt::NoPen);
  p.setBrush(c.accent);
  p.drawRoundedRect(QRectF(10, 15.5, 12, 7.5), 1.5, 1.5);
  p.setPen(c.paper);
  p.drawText(QRectF(10, 15.5, 12, 7.5), Qt::AlignCenter, QStringLiteral("A"));
}

void DrawUnit(QPainter& p, const Colours& c, bool hertz) {
  p.setPen(Stroke(c.accent, 1.4));
  p.setBrush(c.accentFill);
  p.drawRoundedRect(QRectF(1.5, 2.5, 21, 19), 3.5, 3.5);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setBold(true);
  p.setPen(c.ink);
  if (hertz) {
    font.setPixelSize(12);
    p.setFont(font);
    p.drawText(QRectF(1.5, 2.5, 21, 19), Qt::AlignCenter, QStringLiteral("Hz"));
    return;
  }
  // rad/s as a small fraction, so it fits the same square as "Hz".
  font.setPixelSize(8);
  p.setFont(font);
  p.drawText(QRectF(1.5, 3.2, 21, 8.5), Qt::AlignCenter, QStringLiteral("rad"));
  p.drawText(QRectF(1.5, 12.6, 21, 8.5), Qt::AlignCenter, QStringLiteral("s"));
  p.setPen(Stroke(c.ink, 1.2));
  p.drawLine(QPointF(6, 12), QPointF(18, 12));
}

void DrawTransfer(QPainter& p, const Colours& c) {
  p.setPen(Stroke(c.muted, 1.2));
  p.setBrush(c.paper);
  p.drawRoundedRect(QRectF(1.5, 3, 21, 18), 3, 3);
  QFont font(QStringLiteral("Liberation Serif"));
  font.setItalic(true);
  font.setBold(true);
  font.setPixelSize(11);
  p.setFont(font);
  p.setPen(c.accent);
  p.drawText(QRectF(1.5, 3, 21, 18), Qt::AlignCenter, QStringLiteral("T(s)"));
}

// The program's own mark: a lowpass curve on a blue tile.
void DrawAbout(QPainter& p, const Colours& c) {
  p.setPen(Qt::NoPen);
  p.setBrush(c.accent);
  p.drawRoundedRect(QRectF(1, 1, 22, 22), 5, 5);
  QPainterPath curve(QPointF(4.5, 8));
  curve.lineTo(10, 8);
  curve.cubicTo(13.5, 8, 14, 18, 19.5, 18.5);
  p.setPen(Stroke(c.paper, 2.2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(curve);
}

void DrawIcon(QPainter& p, IconId id, const Colours& c) {
  switch (id) {
    case IconId::CopyToClipboard:
      DrawClipboard(p, c);
      break;
    case IconId::SaveDesign:
      DrawSave(p, c);
      break;
    case IconId::SaveDesignAs:
      DrawSaveAs(p, c);
      break;
    case IconId::Print:
      DrawPrint(p, c);
      break;
    case IconId::OpenDesign:
      DrawOpen(p, c);
      break;
    case IconId::CloseDesign:
      DrawClose(p, c);
      break;
    case IconId::SpiceNetlist:
      DrawSpice(p, c);
      break;
    case IconId::Lowpass:
      DrawLowpass(p, c);
      break;
    case IconId::Highpass:
      DrawHighpass(p, c);
      break;
    case IconId::Bandpass:
      DrawBandpass(p, c);
      break;
    case IconId::Bandstop:
      DrawBandstop(p, c);
      break;
    case IconId::UserDefined:
      DrawUserDefined(p, c);
      break;
    case IconId::UnitHz:
      DrawUnit(p, c, true);
      break;
    case IconId::UnitRadPerSec:
      DrawUnit(p, c, false);
      break;
    case IconId::AsciiFile:
      DrawAscii(p, c);
      break;
    case IconId::TransferFunction:
      DrawTransfer(p, c);
      break;
    case IconId::About:
      DrawAbout(p, c);
      break;
  }
}

class PaintedIconEngine final : public QIconEngine {
 public:
  explicit PaintedIconEngine(IconId id) : id_(id) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    // Keep the picture square and centred whatever rectangle the button offers.
    const int side = std::min(rect.width(), rect.height());
    painter->translate(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0);
    painter->scale(side / kGrid, side / kGrid);
    DrawIcon(*painter, id_, ColoursFor(mode));
    painter->restore();
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter painter(&pm);
    paint(&painter, QRect(QPoint(0, 0), size), mode, state);
    return pm;
  }

  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
    QPixmap pm = pixmap(size, mode, state);
    pm.setDevicePixelRatio(scale);
    return pm;
  }

  QIconEngine* clone() const override { return new PaintedIconEngine(id_); }

  QString key() const override { return QStringLiteral("tavrin-painted"); }

 private:
  IconId id_;
};

}  // namespace

QIcon MakeIcon(IconId id) {
  return QIcon(new PaintedIconEngine(id));
}

}  // namespace tavrin::ui
