// The circuit selection window driven as the user drives it: stage tabs, the candidate
// browser, Select, the include check and the panel it shows, held against the command line.
#include <QCheckBox>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QtTest>
#include <cmath>

#include "UiTestSupport.h"
#include "circuits/Catalogue.h"
#include "core/NumberFormat.h"
#include "core/Settings.h"
#include "ui/SchematicPainter.h"
#include "ui/TfmCirSel.h"
#include "ui/TfmParEnt.h"

using tavrin::core::FilterKind;
using tavrin::ui::TfmCirSel;
using tavrin::ui::TfmMain;
using uitest::Click;
using uitest::Edit;
using uitest::Find;
using uitest::Trigger;
using uitest::Type;

namespace {

std::size_t At(int i) {
  return static_cast<std::size_t>(i);
}

QString Label(const QObject& root, const char* name) {
  return Find<QLabel>(root, QString::fromLatin1(name))->text();
}

// The ratings of one stage as the command line prints them for the same requirements.
QJsonObject CliRating(int stage) {
  QProcess cli;
  cli.start(QStringLiteral(TAVRIN_CLI_PATH),
            {QStringLiteral("design"), QStringLiteral("lowpass"), QStringLiteral("--apb"),
             QStringLiteral("0.5"), QStringLiteral("--asb"), QStringLiteral("40"), QStringLiteral("--pass"),
             QStringLiteral("1"), QStringLiteral("--stop"), QStringLiteral("1.5"), QStringLiteral("--approx"),
             QStringLiteral("Elliptic"), QStringLiteral("--rate"), QString::number(stage),
             QStringLiteral("--json")});
  if (!cli.waitForFinished(60000)) return {};
  return QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
}

// Pure red pixels: the failure text is drawn in red, a schematic has none.
int RedPixels(QWidget& w) {
  const QImage image = w.grab().toImage();
  int red = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 200 && c.green() < 60 && c.blue() < 60) ++red;
    }
  return red;
}

}  // namespace

class CircuitSelectionTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void selectingEveryStageEnablesNext();
  void reselectingDiscardsTheStageAdjustments();
  void excludingRatesAgain();
  void failedCandidateShowsFailureAndStaysSelectable();
  void panelShowsWhatTheCommandLinePrints();
  void unitChangeRedrawsTheStageLine();
  void schematicIsSavedAsSvgAndPng();

 private:
  TfmMain& Main() { return *f_->main; }
  TfmCirSel& Window() { return *Main().CircuitSelectionWindow(); }
  // The elliptic lowpass of order 5 (a real pole and two notch stages), paired and
  // cascaded automatically with the criteria the command line uses, up to this window.
  void DesignUpToSelection();

  std::unique_ptr<uitest::Fixture> f_;
};

void CircuitSelectionTest::init() {
  f_ = std::make_unique<uitest::Fixture>();
  f_->Make();
  f_->main->show();
  f_->main->State().firstStageCriteria = tavrin::core::DecodeCriteria("11121314", "11121314");
  f_->main->State().lastStageCriteria = tavrin::core::DecodeCriteria("01010101", "01010101");
  f_->main->State().useQ = false;
}

void CircuitSelectionTest::cleanup() {
  f_.reset();
}

void CircuitSelectionTest::DesignUpToSelection() {
  TfmMain& w = Main();
  Trigger(w, "Automatic1");
  Trigger(w, "Automatic2");
  w.StartDesign(FilterKind::Lowpass);
  tavrin::ui::TfmParEnt& p = *w.RequirementsWindow();
  Type(Edit(p, "NumEdit1"), QStringLiteral("0.5"));
  Type(Edit(p, "NumEdit2"), QStringLiteral("40"));
  Type(Edit(p, "NumEdit3"), QStringLiteral("1"));
  Type(Edit(p, "NumEdit4"), QStringLiteral("1.5"));
  Click(p, "CalcBtn");
  Click(p, "BitBtn1");
  QWidget* graphs = w.Pages()->currentWidget();
  Click(*graphs, "ApproxRadio3");
  Click(*graphs, "NextBtn");
  QCOMPARE(w.Pages()->currentWidget(), static_cast<QWidget*>(w.CircuitSelectionWindow()));
  QCOMPARE(int(w.State().stageCount), 3);
}

void CircuitSelectionTest::selectingEveryStageEnablesNext() {
  DesignUpToSelection();
  TfmCirSel& win = Window();
  auto* tabs = Find<QTabBar>(win, "StageTabs");
  auto* next = Find<QPushButton>(win, "NextBtn");
  QCOMPARE(tabs->count(), 3);
  QCOMPARE(tabs->tabText(0), QStringLiteral("Stage 1"));
  for (int k = 1; k <= 3; ++k) {
    tabs->setCurrentIndex(k - 1);
    QCOMPARE(win.CurrentStage(), k);
    QVERIFY(!next->isEnabled());
    QCOMPARE(tabs->tabToolTip(k - 1), QStringLiteral("No circuit chosen yet"));
    // The browser's ends: first and previous off on the first candidate, next and last on the last.
    QVERIFY(!Find<QPushButton>(win, "FirstBtn")->isEnabled());
    QVERIFY(!Find<QPushButton>(win, "PreviousBtn")->isEnabled());
    Click(win, "LastBtn");
    const int count = tavrin::circuits::CircuitCount(Main().State().stages[At(k)].type & 0x7F);
    QCOMPARE(win.CurrentCandidate(), count);
    QVERIFY(!Find<QPushButton>(win, "NextCircuitBtn")->isEnabled());
    QVERIFY(!Find<QPushButton>(win, "LastBtn")->isEnabled());
    Click(win, "PreviousBtn");
    Click(win, "SelectBtn");
    QCOMPARE(int(Main().State().circuits[At(k)].CircuitNumber), count - 1);
    QVERIFY(tabs->tabToolTip(k - 1).startsWith(QStringLiteral("Circuit chosen")));
  }
  QVERIFY(next->isEnabled());
  QCOMPARE(int(Main().State().designStep), 6);
  Click(win, "NextBtn");
  QVERIFY(Find<QLabel>(win, "NextNote")->isVisible());
  // Components waits for the characteristics window, and says so.
  auto* components = Find<QPushButton>(win, "ComponentsBtn");
  QVERIFY(!components->isEnabled());
  QCOMPARE(components->toolTip(), QString::fromLatin1(TfmCirSel::kComponentsTip));
}

void CircuitSelectionTest::reselectingDiscardsTheStageAdjustments() {
  DesignUpToSelection();
  TfmCirSel& win = Window();
  tavrin::core::DesignState& s = Main().State();
  win.ShowStage(2);
  win.ShowCandidate(2);
  Click(win, "SelectBtn");
  tavrin::core::CircuitRecord& cr = s.circuits[At(2)];
  // What the calculation window would have left behind on this stage and the filter.
  cr.ExactTaken = true;
  cr.C2Variable = true;
  cr.ActiveComp = true;
  cr.Predistort = true;
  cr.Fresh = false;
  cr.OpAmpGbw = 123e6;
  s.standardResistors = true;
  Click(win, "NextCircuitBtn");
  Click(win, "SelectBtn");
  QCOMPARE(int(cr.CircuitNumber), 3);
  QVERIFY(!cr.ExactTaken && !cr.C2Variable && !cr.ActiveComp && !cr.Predistort);
  QVERIFY(cr.Fresh);
  QVERIFY(!s.standardResistors);
  const double minGbw = s.stageAnalysis[At(2)].candidate[At(3)].MinGbw;
  QCOMPARE(cr.MinGbw, minGbw);
  QCOMPARE(cr.OpAmpGbw, std::max(minGbw, 1e6));
}

void CircuitSelectionTest::excludingRatesAgain() {
  DesignUpToSelection();
  TfmCirSel& win = Window();
  tavrin::core::DesignState& s = Main().State();
  win.ShowStage(2);
  const tavrin::core::StageAnalysisEntry& entry = s.stageAnalysis[At(2)];
  // Exclude the candidate with the largest spread: the scale of the bars must come down.
  int widest = 1;
  for (int n = 1; n <= 10; ++n)
    if (entry.candidate[At(n)].TotalSpread > entry.candidate[At(widest)].TotalSpread) widest = n;
  const double before = entry.maxTotal;
  QCOMPARE(before, entry.candidate[At(widest)].TotalSpread);
  win.ShowCandidate(widest);
  auto* include = Find<QCheckBox>(win, "IncludedChk");
  QVERIFY(include->isChecked());
  QCOMPARE(include->toolTip(), QStringLiteral("Exclude circuit"));
  QVERIFY(win.BarText(widest).endsWith(QStringLiteral(" dB")));
  include->click();
  QVERIFY(!entry.candidate[At(widest)].Included);
  QCOMPARE(win.BarText(widest), QStringLiteral("Excluded"));
  QCOMPARE(include->toolTip(), QStringLiteral("Include circuit"));
  QVERIFY(entry.maxTotal < before);
  include->click();
  QVERIFY(entry.candidate[At(widest)].Included);
  QCOMPARE(entry.maxTotal, before);

  // The legend: hiding the active part while the passive part is hidden shows the passive again.
  auto* passive = Find<QCheckBox>(win, "ShowPassiveChk");
  auto* active = Find<QCheckBox>(win, "ShowActiveChk");
  passive->click();
  QVERIFY(!passive->isChecked() && active->isChecked());
  QCOMPARE(passive->toolTip(), QStringLiteral("Show Passive"));
  active->click();
  QVERIFY(passive->isChecked() && !active->isChecked());
  QCOMPARE(active->toolTip(), QStringLiteral("Show Active"));
}

void CircuitSelectionTest::failedCandidateShowsFailureAndStaysSelectable() {
  DesignUpToSelection();
  TfmCirSel& win = Window();
  tavrin::core::DesignState& s = Main().State();
  win.ShowStage(2);
  auto* view = win.findChild<tavrin::ui::SchematicView*>(QStringLiteral("Schematic"));
  QVERIFY(view);
  QCOMPARE(RedPixels(*view), 0);
  // None of this design's candidates fails; the ratings are marked as a failed design marks them.
  tavrin::core::CircuitRating& r = s.stageAnalysis[At(2)].candidate[At(2)];
  r.DesignFailed = true;
  r.Included = false;
  win.ShowCandidate(2);
  QCOMPARE(Label(win, "SpreadText"), QStringLiteral("R= N/A     C= N/A"));
  QCOMPARE(Label(win, "WarningBox"), QStringLiteral("Circuit\nnot\nsuitable"));
  QCOMPARE(win.BarText(2), QStringLiteral("N/A"));
  QVERIFY(!Find<QCheckBox>(win, "IncludedChk")->isEnabled());
  QVERIFY(RedPixels(*view) > 0);
  auto* select = Find<QPushButton>(win, "SelectBtn");
  QVERIFY(select->isEnabled());
  select->click();
  QCOMPARE(int(s.circuits[At(2)].CircuitNumber), 2);
}

void CircuitSelectionTest::panelShowsWhatTheCommandLinePrints() {
  DesignUpToSelection();
  TfmCirSel& win = Window();
  const tavrin::core::DesignState& s = Main().State();
  // Both parts of the bars shown: the op amps of the command line's stages carry the same
  // tolerance as the window's.
  QVERIFY(s.ratingShowPassive && s.ratingShowActive);
  for (int k = 1; k <= 3; ++k) {
    const QJsonObject cli = CliRating(k);
    QVERIFY2(!cli.isEmpty(), "the command line gave no ratings");
    QCOMPARE(cli.value(QStringLiteral("type")).toString(),
             QString::fromStdString(tavrin::core::TrimTrailingBlanks(s.stages[At(k)].name)));
    win.ShowStage(k);
    const QJsonArray candidates = cli.value(QStringLiteral("candidates")).toArray();
    for (int n = 1; n <= candidates.size(); ++n) {
      const QJsonObject c = candidates.at(n - 1).toObject();
      win.ShowCandidate(n);
      const QString where =
          QStringLiteral("stage %1 %2").arg(k).arg(c.value(QStringLiteral("code")).toString());
      QVERIFY2(
          Find<QLabel>(win, "CircuitCaption")->text().startsWith(c.value(QStringLiteral("code")).toString()),
          qPrintable(where));
      const auto spread = [](const QJsonValue& v) {
        const int x = v.toInt();
        return x >= 5000 ? QStringLiteral(">5000:1") : QStringLiteral("%1:1").arg(x);
      };
      QCOMPARE(Label(win, "SpreadText"), QStringLiteral("R= %1    C= %2")
                                             .arg(spread(c.value(QStringLiteral("resistorSpread"))),
                                                  spread(c.value(QStringLiteral("capacitorSpread")))));
      QCOMPARE(Label(win, "CountText"), QStringLiteral("R:%1    C:%2    OA:%3")
                                            .arg(c.value(QStringLiteral("resistors")).toInt())
                                            .arg(c.value(QStringLiteral("capacitors")).toInt())
                                            .arg(c.value(QStringLiteral("opAmps")).toInt()));
      // Five significant digits on the panel; a notch stage shows its DC gain, so compare
      // the ratio of actual to desired, which that factor leaves alone.
      const double desired = Label(win, "DesiredGain").toDouble();
      const double actual = Label(win, "ActualGain").toDouble();
      const double cliRatio = c.value(QStringLiteral("circuitGain")).toDouble() /
                              c.value(QStringLiteral("requestedGain")).toDouble();
      QVERIFY2(std::abs(actual / desired - cliRatio) < 1e-3 * cliRatio, qPrintable(where));
      const bool red = Find<QLabel>(win, "ActualGain")->styleSheet().contains(QStringLiteral("red"));
      QCOMPARE(red, std::abs(actual - desired) > 0.001);
      const double gbwHz = c.value(QStringLiteral("minGbw")).toDouble();
      const QString minGbw = Label(win, "MinGbw");
      if (minGbw != QStringLiteral("N/A")) {
        QVERIFY2(minGbw.endsWith(QStringLiteral(" MHz")), qPrintable(minGbw));
        QVERIFY2(std::abs(minGbw.chopped(4).toDouble() * 1e6 - gbwHz) <= 0.006e6, qPrintable(where + minGbw));
      } else {
        const int type = s.stages[At(k)].type & 0x7F;
        QVERIFY(type == tavrin::core::ptFLP || type == tavrin::core::ptFHP);
      }
      const bool spreadWarning = c.value(QStringLiteral("resistorSpread")).toInt() > 1000 ||
                                 c.value(QStringLiteral("capacitorSpread")).toInt() > 1000;
      QCOMPARE(Find<QLabel>(win, "WarningBox")->isVisible(), spreadWarning);
      // The bar gives the total spread, to two decimals.
      const double cliSpread = c.value(QStringLiteral("totalSpread")).toDouble();
      QVERIFY2(std::abs(win.BarText(n).chopped(3).toDouble() - cliSpread) <= 0.0051,
               qPrintable(where + win.BarText(n)));
    }
  }
}

void CircuitSelectionTest::unitChangeRedrawsTheStageLine() {
  DesignUpToSelection();
  TfmCirSel& win = Window();
  win.ShowStage(2);
  win.ShowCandidate(4);
  Click(win, "SelectBtn");
  Trigger(Main(), "Hz1");
  QVERIFY2(Label(win, "StageLine").contains(QStringLiteral("fp=")), qPrintable(Label(win, "StageLine")));
  QVERIFY(Label(win, "StageLine").contains(QStringLiteral("fz=")));
  Trigger(Main(), "rads1");
  QVERIFY2(Label(win, "StageLine").contains(QStringLiteral("wp=")), qPrintable(Label(win, "StageLine")));
  QVERIFY(Label(win, "StageLine").contains(QStringLiteral("wz=")));
  // The redraw keeps the stage, the candidate shown and the choice.
  QCOMPARE(win.CurrentStage(), 2);
  QCOMPARE(win.CurrentCandidate(), 4);
  QCOMPARE(int(Main().State().circuits[At(2)].CircuitNumber), 4);
  win.ShowStage(1);
  QVERIFY2(Label(win, "StageLine").startsWith(QStringLiteral("wc=")), qPrintable(Label(win, "StageLine")));
  QCOMPARE(Label(win, "MinGbw"), QStringLiteral("N/A"));
}

void CircuitSelectionTest::schematicIsSavedAsSvgAndPng() {
  DesignUpToSelection();
  TfmCirSel& win = Window();
  win.ShowStage(2);
  win.ShowCandidate(3);
  QTemporaryDir dir;
  const QString svg = dir.filePath(QStringLiteral("SLPN03.svg"));
  f_->dialogs->answers << svg;
  uitest::Click(win, QStringLiteral("SaveSchematicBtn"));
  QCOMPARE(f_->dialogs->saveRequests.size(), 1);
  QCOMPARE(f_->dialogs->saveRequests.front().preset, QStringLiteral("SLPN03.svg"));
  QFile file(svg);
  QVERIFY(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  QVERIFY(text.contains("<svg"));
  QVERIFY(text.contains("R6"));  // the labels are text in the drawing
  const QString png = dir.filePath(QStringLiteral("s.png"));
  QVERIFY(win.SaveSchematic(png));
  QVERIFY(!QImage(png).isNull());
}

QTEST_MAIN(CircuitSelectionTest)
#include "circuit_selection_test.moc"
