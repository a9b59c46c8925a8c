// The schematic painter on real paint devices: it keeps to the area it is given at any
// size, draws in the inks the script asks for, writes the failure text with the window's
// name in red, and saves SVG and PNG files.
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdlib>

#include "circuits/Catalogue.h"
#include "circuits/Schematic.h"
#include "circuits/SchematicScripts.h"
#include "ui/SchematicPainter.h"

using namespace tavrin;

namespace {

circuits::SchematicDrawing Drawing(const char* code, bool compensated = false) {
  const circuits::CircuitAddress at = circuits::AddressOfKey(code);
  return circuits::ParseSchematic(circuits::FindScript(
      compensated ? circuits::ScriptList::ActiveComp : circuits::ScriptListFor(at.stageType, false), code));
}

// Long values, so the labels are as wide as they get.
circuits::SchematicValues WideValues() {
  circuits::SchematicValues v;
  for (auto& r : v.resistor) r = {"123.4K", true};
  for (auto& c : v.capacitor) c = {"47.5nF", true};
  return v;
}

bool IsBlue(QRgb p) {
  return qBlue(p) > 150 && qRed(p) < 90 && qGreen(p) < 90;
}
bool IsGreen(QRgb p) {
  return qGreen(p) > 90 && qRed(p) < 90 && qBlue(p) < 90;
}
bool IsRed(QRgb p) {
  return qRed(p) > 150 && qGreen(p) < 90 && qBlue(p) < 90;
}

template <typename F>
int CountPixels(const QImage& image, F&& pred, QRect* bounds = nullptr) {
  int n = 0;
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (pred(image.pixel(x, y))) {
        ++n;
        box = box.united(QRect(x, y, 1, 1));
      }
    }
  }
  if (bounds) *bounds = box;
  return n;
}

QImage White(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

}  // namespace

class SchematicPainterTest : public QObject {
  Q_OBJECT

 private slots:
  void keepsToItsAreaAtAnySize_data() {
    QTest::addColumn<QRectF>("area");
    QTest::newRow("wide") << QRectF(100, 200, 500, 300);
    QTest::newRow("tall") << QRectF(50, 40, 300, 600);
    QTest::newRow("small") << QRectF(10, 10, 165, 120);
  }

  void keepsToItsAreaAtAnySize() {
    QFETCH(QRectF, area);
    const circuits::SchematicValues values = WideValues();
    for (const char* code : {"SLP08", "SLP12", "FHP04"}) {
      QImage image = White(800, 800);
      {
        QPainter p(&image);
        tavrin::ui::SchematicPainter(p).Paint(Drawing(code), area, &values);
      }
      QRect inked;
      const int n = CountPixels(
          image, [](QRgb px) { return px != qRgb(255, 255, 255); }, &inked);
      QVERIFY2(n > 500, code);
      QVERIFY2(area.adjusted(-1, -1, 1, 1).contains(QRectF(inked)), code);
      // The 33 x 24 grid is fitted whole: the drawing spreads over most of the area's
      // limiting side.
      const double unit = tavrin::ui::SchematicPainter::UnitFor(area);
      QVERIFY2(inked.width() > 20 * unit, code);
    }
  }

  void inksAreTheScriptsOwn() {
    QImage plain = White(990, 720);
    QImage compensated = White(990, 720);
    {
      QPainter p(&plain);
      tavrin::ui::SchematicPainter(p).Paint(Drawing("SLP01"), QRectF(0, 0, 990, 720));
      QPainter q(&compensated);
      tavrin::ui::SchematicPainter(q).Paint(Drawing("SLP01", true), QRectF(0, 0, 990, 720));
    }
    QCOMPARE(CountPixels(plain, IsBlue), 0);
    QVERIFY(CountPixels(compensated, IsBlue) > 200);  // the compensating op amp and its wires
    QVERIFY(CountPixels(plain, IsGreen) > 20);        // "V i" and "V o"
    QCOMPARE(CountPixels(plain, IsRed), 0);
  }

  void failureTextNamesTheWindowInRedOnTheThirdLine() {
    QImage image = White(660, 480);
    {
      QPainter p(&image);
      p.fillRect(image.rect(), Qt::gray);  // cleared to white by the failure drawing
      tavrin::ui::SchematicPainter(p).PaintDesignFailure(QRectF(image.rect()), 3);
    }
    QCOMPARE(image.pixel(5, 5), qRgb(255, 255, 255));
    QRect red, black;
    QVERIFY(CountPixels(image, IsRed, &red) > 50);
    QVERIFY(CountPixels(
                image, [](QRgb px) { return qGray(px) < 60; }, &black) > 200);
    // Three lines from a third of the height down, centred; the red words on the last.
    QVERIFY(black.top() >= 160 && black.top() < 200);
    QVERIFY(red.top() > black.top() + 25);
    QVERIFY(std::abs((black.left() + black.right()) / 2 - 330) < 12);
  }

  void savesSvgPngAndPdf() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const circuits::SchematicDrawing d = Drawing("SLP03");
    const circuits::SchematicValues values = WideValues();
    const QString svg = dir.filePath(QStringLiteral("slp03.svg"));
    QVERIFY(tavrin::ui::SaveSchematicSvg(d, &values, svg, 660));
    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("<svg"));
    QVERIFY(text.contains("SLP03"));
    const QString png = dir.filePath(QStringLiteral("slp03.png"));
    QVERIFY(tavrin::ui::SaveSchematicPng(d, &values, png, 660));
    const QImage image(png);
    QCOMPARE(image.size(), QSize(660, 480));
    // A printer is one more paint device: the schematic fills its page.
    const QString pdf = dir.filePath(QStringLiteral("slp03.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QPainter painter;
    QVERIFY(painter.begin(&printer));
    tavrin::ui::SchematicPainter(painter).Paint(d, printer.pageLayout().paintRectPixels(printer.resolution()),
                                                &values);
    QVERIFY(painter.end());
    QVERIFY(QFileInfo(pdf).size() > 1000);
  }

  void viewShowsTheSchematicOrTheFailure() {
    tavrin::ui::SchematicView view;
    QCOMPARE(view.heightForWidth(660), 480);
    view.resize(660, 480);
    view.SetSchematic(Drawing("FLP02"), WideValues());
    const QImage drawn = view.grab().toImage();
    QVERIFY(CountPixels(drawn, [](QRgb px) { return qGray(px) < 60; }) > 500);
    QCOMPARE(CountPixels(drawn, IsRed), 0);
    view.SetDesignFailure(2);
    QVERIFY(CountPixels(view.grab().toImage(), IsRed) > 50);
  }
};

QTEST_MAIN(SchematicPainterTest)
#include "schematic_painter_test.moc"
