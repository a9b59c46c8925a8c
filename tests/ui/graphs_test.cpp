// The response graphs window driven as a user drives it: the zoom and its refusals, the
// views, the approximation buttons, the tabs of a user-defined filter, the point
// calculator against the command line, the pole-zero texts and the axis configuration.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <cmath>

#include "UiTestSupport.h"
#include "core/NumberFormat.h"
#include "stages/UserDefined.h"
#include "ui/ResponsePlot.h"
#include "ui/TfmConfig.h"
#include "ui/TfmGraph.h"
#include "ui/TfmParEnt.h"
#include "ui/TfmPtCalc.h"

using tavrin::core::FilterKind;
using tavrin::ui::ResponsePlot;
using tavrin::ui::TfmGraph;
using uitest::Click;
using uitest::Find;

namespace {

// The curves and grid the graphs draw, to see that nothing moved.
QVector<double> Snapshot(const tavrin::core::DesignState& s) {
  QVector<double> v;
  for (int i = 0; i <= s.gridN; ++i) {
    v << s.frequencyGrid[static_cast<std::size_t>(i)].rad << s.timeGrid[static_cast<std::size_t>(i)];
    for (int slot = 0; slot < tavrin::core::kSlotCount; ++slot) {
      const auto& c = s.idealCurves[static_cast<std::size_t>(slot)][static_cast<std::size_t>(i)];
      v << c.gainDb << c.gainVv << c.phaseLag << c.delay << c.step << c.impulse;
    }
  }
  return v;
}

// The command line's answer at one frequency (Hz): the first point of a grid that starts there.
QJsonObject CliPoint(const QString& kind, const QString& approximation, double hz) {
  QProcess cli;
  cli.start(QStringLiteral(TAVRIN_CLI_PATH),
            {QStringLiteral("response"), kind, QStringLiteral("--approx"), approximation, QStringLiteral("--start"),
             QString::number(hz, 'g', 17), QStringLiteral("--end"), QString::number(hz * 2, 'g', 17),
             QStringLiteral("--json")});
  if (!cli.waitForFinished(30000)) return {};
  const QJsonDocument doc = QJsonDocument::fromJson(cli.readAllStandardOutput());
  return doc.object().value(QStringLiteral("points")).toArray().at(0).toObject();
}

// A button pressed as the keyboard or a click on its label does; the button must be enabled.
void Press(const QObject& root, const char* name) {
  auto* button = Find<QAbstractButton>(root, QString::fromLatin1(name));
  QVERIFY2(button && button->isEnabled(), name);
  button->click();
}

}  // namespace

class GraphsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void approximationButtonsAndOrders();
  void zoomTwiceThenUnzoom();
  void zoomByMouseAndItsRefusals();
  void viewSingleAndAll();
  void userDefinedFilterHasFourTabs();
  void pointCalculatorEqualsTheCommandLine();
  void highpassPhaseLeadHasNoMinusSign();
  void pointEntryRefusesWhatIsNotANumber();
  void poleZeroMarkersTellWhatTheyAre();
  void configureAxesCancelAndApply();
  void exportsOfTheVisibleTab();
  void tabChangeOfAnOrder20Bandpass();

 private:
  TfmGraph& Open(FilterKind kind);

  std::unique_ptr<uitest::Fixture> f_;
};

void GraphsTest::init() {
  f_ = std::make_unique<uitest::Fixture>();
  f_->Make().resize(1000, 700);
  f_->main->show();
}

void GraphsTest::cleanup() {
  f_.reset();
}

TfmGraph& GraphsTest::Open(FilterKind kind) {
  tavrin::ui::TfmMain& w = *f_->main;
  w.StartDesign(kind);
  w.RequirementsWindow()->CalcBtnClick();
  w.RequirementsWindow()->BitBtn1Click();
  TfmGraph& g = *w.GraphsWindow();
  [&] { QCOMPARE(w.Pages()->currentWidget(), static_cast<QWidget*>(&g)); }();
  return g;
}

void GraphsTest::approximationButtonsAndOrders() {
  TfmGraph& g = Open(FilterKind::Bandpass);
  tavrin::core::DesignState& s = f_->main->State();
  // The bandpass the entry window proposes needs a Bessel of more than 20.
  QVERIFY(s.results[4].tooHigh);
  QCOMPARE(Find<QLabel>(g, "OrderLabel4")->text(), QStringLiteral("N > 20"));
  QVERIFY(!Find<QAbstractButton>(g, "ApproxRadio4")->isEnabled());
  QCOMPARE(Find<QLabel>(g, "OrderLabel3")->text(), QStringLiteral("N = %1").arg(s.results[3].order));
  // Choosing an approximation makes it the design's and marks the later steps stale.
  s.stepsStale = false;
  s.modified = false;
  Press(g, "ApproxRadio3");
  QCOMPARE(int(s.chosenSlot), 3);
  QCOMPARE(int(s.currentSlot), 3);
  QVERIFY(s.stepsStale);
  QVERIFY(s.modified);
  // An excluded approximation shows its order but cannot be chosen.
  s.approxSkip[1] = true;
  g.SetUp();
  QVERIFY(!Find<QAbstractButton>(g, "ApproxRadio1")->isEnabled());
  QCOMPARE(Find<QLabel>(g, "OrderLabel1")->text(), QStringLiteral("N = %1").arg(s.results[1].order));
}

void GraphsTest::zoomTwiceThenUnzoom() {
  TfmGraph& g = Open(FilterKind::Lowpass);
  tavrin::core::DesignState& s = f_->main->State();
  ResponsePlot& plot = *g.Plot();
  const QRect area = plot.PlotArea();
  const double start0 = s.idealAxes.freqStart, stop0 = s.idealAxes.freqStop;
  auto zoom = [&] {
    Click(g, "ZoomBtn");
    QVERIFY(s.idealGraph.zoomArmed);
    QVERIFY(s.idealAxes.rangeLocked);
    g.ZoomDragged(area.topLeft() + QPoint(area.width() / 4, area.height() / 8),
                  area.topLeft() + QPoint(area.width() * 3 / 4, area.height() / 2));
  };
  zoom();
  QCOMPARE(int(s.idealGraph.currentLevel), 1);
  QVERIFY(s.idealGraph.zoomed);
  QVERIFY(!s.idealGraph.zoomArmed);
  QVERIFY(s.idealAxes.freqStart > start0 && s.idealAxes.freqStop < stop0);
  // Zooming keeps the grid: the curve is drawn from the points inside the new range.
  QCOMPARE(s.frequencyGrid[0].hz, start0);
  zoom();
  QCOMPARE(int(s.idealGraph.currentLevel), 2);
  QVERIFY(!Find<QAbstractButton>(g, "ZoomBtn")->isEnabled());
  const double start2 = s.idealAxes.freqStart;

  // Unzoom off the gain tab does nothing.
  g.SelectTab(TfmGraph::Tab::Phase);
  g.UnzoomBtnClick();
  QCOMPARE(int(s.idealGraph.currentLevel), 2);
  QCOMPARE(s.idealAxes.freqStart, start2);

  g.SelectTab(TfmGraph::Tab::Gain);
  Click(g, "UnzoomBtn");
  QCOMPARE(int(s.idealGraph.currentLevel), 1);
  QVERIFY(Find<QAbstractButton>(g, "ZoomBtn")->isEnabled());
  QCOMPARE(s.idealAxes.freqStart, s.idealGraph.level[1].freqStart);
  Click(g, "UnzoomBtn");
  QCOMPARE(int(s.idealGraph.currentLevel), 0);
  QVERIFY(!s.idealGraph.zoomed);
  QCOMPARE(s.idealAxes.freqStart, start0);
  QCOMPARE(s.idealAxes.freqStop, stop0);
  QVERIFY(!Find<QAbstractButton>(g, "UnzoomBtn")->isEnabled());
}

void GraphsTest::zoomByMouseAndItsRefusals() {
  TfmGraph& g = Open(FilterKind::Lowpass);
  tavrin::core::DesignState& s = f_->main->State();
  ResponsePlot& plot = *g.Plot();
  const QRect area = plot.PlotArea();
  const QPoint upperLeft = area.topLeft() + QPoint(area.width() / 5, area.height() / 5);
  const QPoint lowerRight = area.topLeft() + QPoint(area.width() * 4 / 5, area.height() * 3 / 5);

  // Drawn from lower right to upper left: refused with the message, zoom mode ends.
  Click(g, "ZoomBtn");
  QTest::mousePress(&plot, Qt::LeftButton, {}, lowerRight);
  QTest::mouseMove(&plot, upperLeft);
  QTest::mouseRelease(&plot, Qt::LeftButton, {}, upperLeft);
  QCOMPARE(f_->presenter->Texts(), QStringList{QString::fromLatin1(TfmGraph::kZoomMessage)});
  QVERIFY(!s.idealGraph.zoomArmed);
  QVERIFY(!Find<QAbstractButton>(g, "ZoomBtn")->isChecked());
  QCOMPARE(int(s.idealGraph.currentLevel), 0);

  // A right click cancels zoom mode; a later left click is the point calculator's again.
  Click(g, "ZoomBtn");
  QVERIFY(s.idealGraph.zoomArmed);
  QTest::mouseClick(&plot, Qt::RightButton, {}, upperLeft);
  QVERIFY(!s.idealGraph.zoomArmed);
  QVERIFY(!s.idealAxes.rangeLocked);
  QVERIFY(!g.PointCalculator()->isVisible());

  // Drawn the right way with the mouse: the corners become the new limits.
  const double expectedTop = plot.YAt(upperLeft.y());
  const double expectedStart = plot.XAt(upperLeft.x());
  Click(g, "ZoomBtn");
  QTest::mousePress(&plot, Qt::LeftButton, {}, upperLeft);
  QTest::mouseMove(&plot, lowerRight);
  QTest::mouseRelease(&plot, Qt::LeftButton, {}, lowerRight);
  QCOMPARE(int(s.idealGraph.currentLevel), 1);
  QCOMPARE(s.idealAxes.freqStart, s.idealGraph.level[1].freqStart);
  QCOMPARE(s.idealAxes.dbTop, expectedTop);
  QCOMPARE(s.idealAxes.freqStart, expectedStart);
  QCOMPARE(f_->presenter->Texts().size(), 1);
}

void GraphsTest::viewSingleAndAll() {
  TfmGraph& g = Open(FilterKind::Bandpass);
  tavrin::core::DesignState& s = f_->main->State();
  Press(g, "ApproxRadio2");
  int available = 0;
  for (int slot = 0; slot < 5; ++slot) available += tavrin::core::SlotHasResult(s, slot) ? 1 : 0;
  QCOMPARE(int(g.Plot()->Series().size()), available);
  Press(g, "ViewSingleBtn");
  QVERIFY(!s.idealGraph.viewAll);
  QCOMPARE(int(g.Plot()->Series().size()), 1);
  QCOMPARE(g.Plot()->Series().front().id, 2);
  // The single view follows the choice, on every tab.
  Press(g, "ApproxRadio0");
  QCOMPARE(g.Plot()->Series().front().id, 0);
  g.SelectTab(TfmGraph::Tab::PoleZero);
  for (const auto& series : g.Plot()->Series()) QCOMPARE(series.id, 0);
  Press(g, "ViewAllBtn");
  g.SelectTab(TfmGraph::Tab::Step);
  QCOMPARE(int(g.Plot()->Series().size()), available);
}

void GraphsTest::userDefinedFilterHasFourTabs() {
  tavrin::ui::TfmMain& w = *f_->main;
  w.StartDesign(FilterKind::UserDefined);
  tavrin::core::DesignState& s = w.State();
  tavrin::stages::StartUserDesign(s);
  tavrin::stages::SectionEntry highpass;
  highpass.type = tavrin::stages::SectionType::Highpass;
  highpass.field = {"0.9", "1000", "", "", "1.0"};
  QVERIFY(!tavrin::stages::AddSection(s, highpass));
  QVERIFY(tavrin::stages::CommitUserDesign(s));
  w.ShowGraphs();
  TfmGraph& g = *w.GraphsWindow();
  auto* tabs = Find<QTabBar>(g, "Tabs");
  QCOMPARE(tabs->count(), 4);
  QCOMPARE(tabs->tabText(3), QStringLiteral("  Pole-zero"));
  g.SelectTab(TfmGraph::Tab::PoleZero);
  QCOMPARE(g.CurrentTab(), TfmGraph::Tab::PoleZero);
  QVERIFY(Find<QWidget>(g, "SectionList")->isVisible());
  // The step and impulse tabs come back for the next design from requirements (the user
  // design is not kept).
  f_->presenter->answers << QMessageBox::No;
  Open(FilterKind::Lowpass);
  QCOMPARE(tabs->count(), 6);
  QCOMPARE(tabs->tabText(3), QStringLiteral("  Step  "));
  QCOMPARE(g.CurrentTab(), TfmGraph::Tab::Gain);
}

void GraphsTest::pointCalculatorEqualsTheCommandLine() {
  TfmGraph& g = Open(FilterKind::Bandpass);
  tavrin::core::DesignState& s = f_->main->State();
  const QVector<double> before = Snapshot(s);
  ResponsePlot& plot = *g.Plot();
  const QRect area = plot.PlotArea();

  // The left and right edges of the logarithmic axis are its start and stop.
  QTest::mouseClick(&plot, Qt::LeftButton, {}, QPoint(area.left(), area.center().y()));
  tavrin::ui::TfmPtCalc& calc = *g.PointCalculator();
  QVERIFY(calc.isVisible());
  QCOMPARE(calc.Caption(), QStringLiteral("Frequency (Hz):"));
  QCOMPARE(calc.EntryText().toDouble(), s.idealAxes.freqStart);
  QTest::mouseClick(&plot, Qt::LeftButton, {}, QPoint(area.left() + area.width(), area.center().y()));
  QCOMPARE(calc.EntryText(), QString::fromStdString(tavrin::core::TrimLeadingBlanks(
                                 tavrin::response::FrequencyEntryText(s.idealAxes.freqStop))));

  // At a point in the passband every drawn approximation has a line, in the window's digits.
  QTest::mouseClick(&plot, Qt::LeftButton, {}, area.center());
  const double hz = tavrin::core::ParseReal(calc.EntryText().toStdString());
  const QStringList lines = calc.Lines();
  QCOMPARE(lines.size(), int(g.Plot()->Series().size()));
  const QJsonObject elliptic = CliPoint(QStringLiteral("bandpass"), QStringLiteral("Elliptic"), hz);
  QVERIFY(!elliptic.isEmpty());
  const QString expected =
      QString::fromStdString(tavrin::core::FormatScientific(elliptic.value(QStringLiteral("db")).toDouble(), 8, 7)) +
      QStringLiteral("  dB");
  QCOMPARE(lines.at(3), expected);
  QCOMPARE(Snapshot(s), before);

  // The phase tab: the same point, the phase line, and the curves still as they were.
  g.SelectTab(TfmGraph::Tab::Phase);
  const QVector<double> phaseBefore = Snapshot(s);
  calc.PickPoint(tavrin::response::ResponseTab::Phase, hz);
  const double lag = -elliptic.value(QStringLiteral("phaseDeg")).toDouble();
  const QString phase = QString::fromStdString(lag > 0 ? "-" + tavrin::core::FormatScientific(lag, 8, 7)
                                                       : tavrin::core::FormatScientific(-lag, 8, 7)) +
                        QStringLiteral("  deg");
  QCOMPARE(calc.Lines().at(3), phase);
  QCOMPARE(Snapshot(s), phaseBefore);

  // View single: one line whatever the number of approximations.
  Press(g, "ViewSingleBtn");
  calc.CalcBtnClick();
  QCOMPARE(calc.Lines().size(), 1);
}

void GraphsTest::highpassPhaseLeadHasNoMinusSign() {
  TfmGraph& g = Open(FilterKind::Highpass);
  tavrin::core::DesignState& s = f_->main->State();
  Press(g, "ApproxRadio0");
  Press(g, "ViewSingleBtn");
  g.SelectTab(TfmGraph::Tab::Phase);
  // Far below the passband a highpass leads: a positive phase, written without a sign.
  tavrin::ui::TfmPtCalc& calc = *g.PointCalculator();
  calc.PickPoint(tavrin::response::ResponseTab::Phase, s.idealAxes.freqStart);
  const QStringList lines = calc.Lines();
  QCOMPARE(lines.size(), 1);
  for (const QString& line : lines) {
    QVERIFY2(!line.trimmed().startsWith(QLatin1Char('-')), qPrintable(line));
    QVERIFY2(line.endsWith(QStringLiteral("  deg")), qPrintable(line));
    QVERIFY(line.trimmed().split(QLatin1Char(' ')).front().toDouble() > 0);
  }
}

void GraphsTest::pointEntryRefusesWhatIsNotANumber() {
  TfmGraph& g = Open(FilterKind::Lowpass);
  tavrin::ui::TfmPtCalc& calc = *g.PointCalculator();
  calc.PickPoint(tavrin::response::ResponseTab::Gain, 1000);
  auto* edit = Find<QLineEdit>(calc, "PointEdit");
  edit->clear();
  QTest::keyClicks(edit, QStringLiteral("1a.5.2-x-3 e"));
  QCOMPARE(edit->text(), QStringLiteral("1.52-3"));
  edit->clear();
  QTest::keyClicks(edit, QStringLiteral("250"));
  QTest::keyClick(edit, Qt::Key_Return);
  QCOMPARE(calc.Lines().size(), int(g.Plot()->Series().size()));
}

void GraphsTest::poleZeroMarkersTellWhatTheyAre() {
  // A fourth-order Butterworth highpass: two pole pairs and four zeros at the origin.
  tavrin::ui::TfmMain& w = *f_->main;
  w.StartDesign(FilterKind::Highpass);
  auto& p = *w.RequirementsWindow();
  Find<QCheckBox>(p, "CheckBox1")->click();
  uitest::Type(uitest::Edit(p, "IntEdit1"), QStringLiteral("4"));
  p.CalcBtnClick();
  p.BitBtn1Click();
  TfmGraph& g = *w.GraphsWindow();
  Press(g, "ApproxRadio0");
  Press(g, "ViewSingleBtn");
  g.SelectTab(TfmGraph::Tab::PoleZero);
  g.DrawGraph();
  ResponsePlot& plot = *g.Plot();
  const auto& series = plot.Series();
  QCOMPARE(int(series.size()), 2);  // poles, zeros
  const auto& poles = series[0];
  const auto& zeros = series[1];
  QCOMPARE(zeros.x.size(), 1);  // the zeros share one marker at the origin
  g.PlotClicked(QPoint(int(std::lround(plot.PixelX(zeros.x[0]))), int(std::lround(plot.PixelY(zeros.y[0])))));
  QCOMPARE(g.PoleZeroText(), QStringLiteral("Butterworth\n2 zero pairs\nz = 0\u00b1 j0"));

  // A pole pair: its root, f0 and Q in the display unit.
  int upper = 0;
  for (int k = 0; k < poles.y.size(); ++k)
    if (poles.y[k] > poles.y[upper]) upper = k;
  g.PlotClicked(QPoint(int(std::lround(plot.PixelX(poles.x[upper]))) + 2, int(std::lround(plot.PixelY(poles.y[upper])))));
  const QStringList text = g.PoleZeroText().split(QLatin1Char('\n'));
  QCOMPARE(text.size(), 4);
  QCOMPARE(text[1], QStringLiteral("Pole pair"));
  QVERIFY2(text[2].startsWith(QStringLiteral("p = -")) && text[2].contains(QStringLiteral("\u00b1 j")),
           qPrintable(text[2]));
  QVERIFY2(text[3].startsWith(QStringLiteral("f0 = ")) && text[3].contains(QStringLiteral("   Q =")), qPrintable(text[3]));
  // Butterworth poles lie on one circle: f0 is the passband edge, Q of the outer pair 1.3066.
  QVERIFY2(text[3].endsWith(QStringLiteral("1.3066")), qPrintable(text[3]));
  // Four pixels away is no hit.
  g.PlotClicked(QPoint(int(std::lround(plot.PixelX(poles.x[upper]))) + 5, int(std::lround(plot.PixelY(poles.y[upper])))));
  QVERIFY(g.PoleZeroText().isEmpty());
}

void GraphsTest::configureAxesCancelAndApply() {
  TfmGraph& g = Open(FilterKind::Lowpass);
  tavrin::core::DesignState& s = f_->main->State();
  const tavrin::core::IdealAxes axes = s.idealAxes;
  const tavrin::core::GraphConfig graph = s.idealGraph;
  auto sameAxes = [&] {
    const tavrin::core::IdealAxes& a = s.idealAxes;
    return a.freqStart == axes.freqStart && a.freqStop == axes.freqStop && a.logarithmic == axes.logarithmic &&
           a.dbTop == axes.dbTop && a.dbBottom == axes.dbBottom && a.vvTop == axes.vvTop &&
           a.timeSpan == axes.timeSpan;
  };
  {
    tavrin::ui::TfmConfig config(s, f_->main.get());
    Find<QSlider>(config, "FreqStartSlider")->setValue(0);
    Find<QRadioButton>(config, "LinearRadio")->click();
    Find<QRadioButton>(config, "VvRadio")->click();
    Find<QSlider>(config, "TimeSlider")->setValue(3);
    Find<QCheckBox>(config, "GridCheck")->setChecked(false);
    Find<QCheckBox>(config, "MarkerCheck")->setChecked(false);
    Click(config, "CancelBtn");
  }
  QVERIFY(sameAxes());
  QCOMPARE(s.idealGraph.gainInDb, graph.gainInDb);
  QCOMPARE(s.idealGraph.gridLinesHorizontal, graph.gridLinesHorizontal);
  QCOMPARE(s.idealGraph.marker3dB, graph.marker3dB);

  {
    tavrin::ui::TfmConfig config(s, f_->main.get());
    Find<QRadioButton>(config, "LinearRadio")->click();
    Find<QSlider>(config, "TimeSlider")->setValue(3);
    Find<QCheckBox>(config, "GridCheck")->setChecked(false);
    Click(config, "ApplyBtn");
    const auto changes = config.Applied();
    QVERIFY(changes.frequencyGrid);
    QVERIFY(changes.timeGrid);
    QVERIFY(!changes.gainUnit);
  }
  QVERIFY(!s.idealAxes.logarithmic);
  QVERIFY(!s.idealGraph.gridLinesHorizontal && !s.idealGraph.gridLinesVertical);
  QCOMPARE(s.idealGraph.level[0].freqStart, s.idealAxes.freqStart);
  QCOMPARE(s.idealAxes.freqStart, axes.freqStart);  // a thumb not moved keeps its exact limit
  // The window recomputes what Apply names: the grid is linear now, the time grid follows.
  g.ConfigurationApplied({true, true, false});
  const double step = s.frequencyGrid[1].hz - s.frequencyGrid[0].hz;
  QVERIFY(std::fabs((s.frequencyGrid[200].hz - s.frequencyGrid[199].hz) / step - 1) < 1e-9);
  QCOMPARE(s.timeGrid[s.gridN], s.idealAxes.timeSpan * std::pow(10.0, s.idealAxes.timeExponent));
  QVERIFY(!g.Plot()->Axes().xLog);
}

void GraphsTest::exportsOfTheVisibleTab() {
  TfmGraph& g = Open(FilterKind::Bandpass);
  QTemporaryDir dir;
  const QString png = dir.filePath(QStringLiteral("g.png"));
  const QString svg = dir.filePath(QStringLiteral("g.svg"));
  const QString csv = dir.filePath(QStringLiteral("g.csv"));
  QVERIFY(g.SaveGraph(png, QSize(800, 500)));
  QVERIFY(g.SaveGraph(svg, QSize(800, 500)));
  QCOMPARE(QImage(png).size(), QSize(800, 500));
  QFile svgFile(svg);
  QVERIFY(svgFile.open(QIODevice::ReadOnly));
  QVERIFY(svgFile.readAll().contains("<svg"));
  f_->dialogs->answers << csv;
  Click(g, "ExportDataBtn");
  QFile csvFile(csv);
  QVERIFY(csvFile.open(QIODevice::ReadOnly));
  const QStringList rows = QString::fromUtf8(csvFile.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  const tavrin::core::DesignState& s = f_->main->State();
  QCOMPARE(rows.size(), s.gridN + 2);
  QVERIFY2(rows[0].startsWith(QStringLiteral("\"Frequency (Hz)\",\"Butterworth (dB)\"")), qPrintable(rows[0]));
  const QStringList first = rows[1].split(QLatin1Char(','));
  QCOMPARE(first[0].toDouble(), s.frequencyGrid[0].hz);
  QCOMPARE(first[1].toDouble(), s.idealCurves[0][0].gainDb);
}

void GraphsTest::tabChangeOfAnOrder20Bandpass() {
  // Five approximations of order 20: a tab change evaluates and redraws all of them.
  tavrin::ui::TfmMain& w = *f_->main;
  w.StartDesign(FilterKind::Bandpass);
  auto& p = *w.RequirementsWindow();
  Find<QCheckBox>(p, "CheckBox1")->click();
  uitest::Type(uitest::Edit(p, "IntEdit1"), QStringLiteral("20"));
  p.CalcBtnClick();
  p.BitBtn1Click();
  TfmGraph& g = *w.GraphsWindow();
  for (int slot = 0; slot < 5; ++slot) QCOMPARE(int(w.State().results[static_cast<std::size_t>(slot)].order), 20);
  QElapsedTimer timer;
  for (const TfmGraph::Tab tab : {TfmGraph::Tab::Phase, TfmGraph::Tab::Delay, TfmGraph::Tab::Step,
                                   TfmGraph::Tab::Impulse, TfmGraph::Tab::PoleZero, TfmGraph::Tab::Gain}) {
    timer.start();
    g.SelectTab(tab);
    qInfo("tab %d: evaluated and drawn in %.2f ms", int(tab), double(timer.nsecsElapsed()) / 1e6);
    QCOMPARE(int(g.Plot()->Series().size()), tab == TfmGraph::Tab::PoleZero ? 10 : 5);
  }
}

QTEST_MAIN(GraphsTest)
#include "graphs_test.moc"
