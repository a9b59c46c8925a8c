// The user-defined filter window as the user meets it: the entries each kind of section
// asks for, every refusal with its message, adding, deleting and moving sections, the
// graph, the unit change, Next and Back, a design read back from its file, and the
// transfer-function window of a known design.
#include <qcustomplot.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "UiTestSupport.h"
#include "core/MathHelpers.h"
#include "core/NumberFormat.h"
#include "stages/UserDefined.h"
#include "ui/TfmCirSel.h"
#include "ui/TfmBlocks.h"
#include "ui/TfmGraph.h"
#include "ui/TfmTransfer.h"
#include "ui/TfmUser.h"

using tavrin::core::DesignState;
using tavrin::core::FilterKind;
using tavrin::core::FrequencyUnit;
using tavrin::ui::TfmUser;
using uitest::Click;
using uitest::Edit;
using uitest::Find;
using uitest::Type;

namespace {

// One section as the user enters it: the radio buttons of order, type and mode, then the
// five fields (empty: left as they are).
struct Typed {
  QString order;  // "RB1" first, "RB2" second
  QString type;   // "RB3".."RB6"
  QString mode;   // "RB7" Q, "RB8" poles
  QStringList fields;
};

QStringList ListLines(const TfmUser& u) {
  QStringList lines;
  auto* list = Find<QListWidget>(u, "ListBox1");
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

QStringList VisibleFieldLabels(const TfmUser& u) {
  QStringList labels;
  for (int i = 1; i <= 5; ++i) {
    auto* label = Find<QLabel>(u, QStringLiteral("Label%1").arg(i));
    if (label->isVisible()) labels << label->text();
  }
  return labels;
}

// The sections the command line builds from the same entries: tavrin-cli user runs
// StartUserDesign, AddSection for each --section and CommitUserDesign.
std::unique_ptr<DesignState> CommandLineDesign(FrequencyUnit unit,
                                               const std::vector<tavrin::stages::SectionEntry>& sections) {
  auto state = std::make_unique<DesignState>();
  tavrin::core::ResetDesign(*state);
  state->frequencyUnit = unit;
  tavrin::stages::StartUserDesign(*state);
  for (const auto& e : sections)
    if (tavrin::stages::AddSection(*state, e)) return nullptr;
  if (!tavrin::stages::CommitUserDesign(*state)) return nullptr;
  return state;
}

}  // namespace

class UserDefinedWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void opensEmpty();
  void entriesFollowOrderTypeAndMode_data();
  void entriesFollowOrderTypeAndMode();
  void refusals_data();
  void refusals();
  void orderLimitAndFirstOrderLimit();
  void sameStagesAndGainAsTheCommandLine();
  void addDeleteAndMove();
  void dragMovesTheSection();
  void graphAndReadOut();
  void unitChangeRefreshesTheWindow();
  void nextBackAndOnToCircuits();
  void readBackFromItsFile();
  void transferWindowOfAKnownDesign();
  void transferWindowGrowsForASecondBlock();
  void buildingBlocksMarks();

 private:
  TfmUser& Start();
  void Enter(const Typed& t);
  void Add(const Typed& t);
  TfmUser* u_ = nullptr;
  std::unique_ptr<uitest::Fixture> f_;
};

void UserDefinedWindowTest::init() {
  f_ = std::make_unique<uitest::Fixture>();
  tavrin::ui::TfmMain& w = f_->Make();
  w.show();
}

void UserDefinedWindowTest::cleanup() {
  u_ = nullptr;
  f_.reset();
}

TfmUser& UserDefinedWindowTest::Start() {
  tavrin::ui::TfmMain& w = *f_->main;
  QTest::mouseClick(Find<QToolButton>(w, "UserDefinedBtn"), Qt::LeftButton);
  u_ = w.UserWindow();
  return *u_;
}

void UserDefinedWindowTest::Enter(const Typed& t) {
  for (const QString& name : {t.order, t.type, t.mode})
    if (!name.isEmpty() && !Find<QRadioButton>(*u_, name)->isChecked()) Click(*u_, name);
  for (int i = 0; i < t.fields.size(); ++i)
    if (!t.fields[i].isEmpty()) Type(Edit(*u_, QStringLiteral("NumEdit%1").arg(i + 1)), t.fields[i]);
}

void UserDefinedWindowTest::Add(const Typed& t) {
  Enter(t);
  Click(*u_, "AddBtn");
}

void UserDefinedWindowTest::opensEmpty() {
  tavrin::ui::TfmMain& w = *f_->main;
  TfmUser& u = Start();
  QCOMPARE(w.Pages()->currentWidget(), &u);
  QCOMPARE(Find<QLabel>(u, "Caption")->text(),
           QStringLiteral("Create one or more 1st or 2nd order stage(s)"));
  QCOMPARE(int(w.State().spec.kind), int(FilterKind::UserDefined));
  QCOMPARE(int(w.State().lastSlot), 0);
  QCOMPARE(int(w.State().designStep), 1);
  QVERIFY(ListLines(u).isEmpty());
  QCOMPARE(Find<QLabel>(u, "OrderText")->text(), QStringLiteral(" Filter order = 0"));
  // A second-order lowpass by Q is where a new section starts; To is 1.0.
  QVERIFY(Find<QRadioButton>(u, "RB2")->isChecked());
  QVERIFY(Find<QRadioButton>(u, "RB3")->isChecked());
  QVERIFY(Find<QRadioButton>(u, "RB7")->isChecked());
  QCOMPARE(Edit(u, "NumEdit5")->text(), QStringLiteral("1.0"));
  QVERIFY(!Find<QPushButton>(u, "AddBtn")->isEnabled());
  QVERIFY(!Find<QPushButton>(u, "BitBtn1")->isEnabled());
  QVERIFY(!Find<QPushButton>(u, "DeleteBtn")->isEnabled());
  // No pairing or cascading for a user-defined filter, and no other design meanwhile.
  QVERIFY(!Find<QMenu>(w, "Polezeropairing1")->menuAction()->isEnabled());
  QVERIFY(!Find<QMenu>(w, "Stagecascading1")->menuAction()->isEnabled());
  QVERIFY(!Find<QAction>(w, "open1")->isEnabled());
  QVERIFY(!Find<QAction>(w, "Showtransferfunction1")->isEnabled());
  // The graph waits for a section: its axis title is grey.
  QCPAxis* x = u.Graph()->xAxis;
  QCOMPARE(x->label(), QStringLiteral("Log Frequency  (Hz)      "));
  QVERIFY(x->labelColor() != u.palette().color(QPalette::WindowText));
}

void UserDefinedWindowTest::entriesFollowOrderTypeAndMode_data() {
  QTest::addColumn<QString>("unit");
  QTest::addColumn<QString>("order");
  QTest::addColumn<QString>("type");
  QTest::addColumn<QString>("mode");
  QTest::addColumn<QStringList>("labels");
  QTest::addColumn<QString>("preview");
  QTest::newRow("Q lowpass Hz") << "Hz1"
                                << "RB2"
                                << "RB3"
                                << "RB7" << QStringList{"Q =", "fp=", "To ="}
                                << QString::fromUtf8("T(s) = To fp² / (s² + (fp/Q)s + fp²)");
  QTest::newRow("Q bandstop rad/s") << "rads1"
                                    << "RB2"
                                    << "RB6"
                                    << "RB7" << QStringList{"Q =", "wp=", "wz=", "To ="}
                                    << QString::fromUtf8("T(s) = To (s² + wz²) / (s² + (wp/Q)s + wp²)");
  QTest::newRow("Q bandpass rad/s") << "rads1"
                                    << "RB2"
                                    << "RB5"
                                    << "RB7" << QStringList{"Q =", "wp=", "To ="}
                                    << QString::fromUtf8("T(s) = To (wp/Q)s / (s² + (wp/Q)s + wp²)");
  QTest::newRow("poles highpass") << "Hz1"
                                  << "RB2"
                                  << "RB4"
                                  << "RB8" << QStringList{"p = -", "+/- j", "To ="}
                                  << QString::fromUtf8("T(s) = To s² / (s - p) (s - p*)");
  QTest::newRow("poles bandstop") << "Hz1"
                                  << "RB2"
                                  << "RB6"
                                  << "RB8" << QStringList{"p = -", "z = +/-j", "+/- j", "To ="}
                                  << QString::fromUtf8("T(s) = To (s - z) (s - z*) / (s - p) (s - p*)");
  QTest::newRow("first lowpass") << "Hz1"
                                 << "RB1"
                                 << "RB3"
                                 << "" << QStringList{"p = -", "To ="}
                                 << QStringLiteral("T(s) = -To p / (s - p)");
  QTest::newRow("first highpass") << "Hz1"
                                  << "RB1"
                                  << "RB4"
                                  << "" << QStringList{"p = -", "To ="}
                                  << QStringLiteral("T(s) = To s / (s - p)");
}

void UserDefinedWindowTest::entriesFollowOrderTypeAndMode() {
  QFETCH(QString, unit);
  QFETCH(QString, order);
  QFETCH(QString, type);
  QFETCH(QString, mode);
  QFETCH(QStringList, labels);
  QFETCH(QString, preview);
  Find<QAction>(*f_->main, unit)->trigger();
  TfmUser& u = Start();
  Enter({order, type, mode, {}});
  QCOMPARE(VisibleFieldLabels(u), labels);
  QCOMPARE(u.PreviewText(), preview);
  const bool hz = unit == QLatin1String("Hz1");
  QCOMPARE(Find<QLabel>(u, "UnitCaption")->text(), hz ? QStringLiteral("  Hz  ") : QStringLiteral(" rad/s "));
  QCOMPARE(Find<QRadioButton>(u, "RB7")->text(),
           hz ? QStringLiteral(" Qp,fp,fz") : QStringLiteral(" Qp,wp,wz"));
  // A first-order section is a real pole: no bandpass, no bandstop, no Q.
  const bool first = order == QLatin1String("RB1");
  for (const char* name : {"RB5", "RB6", "RB7"}) QCOMPARE(Find<QRadioButton>(u, name)->isEnabled(), !first);
  if (first) QVERIFY(Find<QRadioButton>(u, "RB8")->isChecked());

  // Add waits until every field shown holds text.
  auto* add = Find<QPushButton>(u, "AddBtn");
  QVERIFY(!add->isEnabled());
  for (int i = 1; i <= 5; ++i) {
    QLineEdit* edit = Edit(u, QStringLiteral("NumEdit%1").arg(i));
    if (edit->isVisible() && edit->text().isEmpty()) Type(edit, QStringLiteral("3"));
  }
  QVERIFY(add->isEnabled());
  Type(Edit(u, "NumEdit5"), QString());
  QVERIFY(!add->isEnabled());
}

void UserDefinedWindowTest::refusals_data() {
  QTest::addColumn<QStringList>("entry");  // order, type, mode, then the fields
  QTest::addColumn<QString>("message");
  QTest::addColumn<QString>("focus");
  QTest::newRow("Q of 0.5") << QStringList{"RB2", "RB3", "RB7", "0.5", "100", "", "", "1.0"}
                            << "Q must be >0.5."
                            << "NumEdit1";
  QTest::newRow("Q zero") << QStringList{"RB2", "RB3", "RB7", "0", "100", "", "", "1.0"}
                          << "Value must be non-zero."
                          << "NumEdit1";
  QTest::newRow("wp zero") << QStringList{"RB2", "RB4", "RB7", "2", "0", "", "", "1.0"}
                           << "Value must be non-zero."
                           << "NumEdit2";
  QTest::newRow("wz zero") << QStringList{"RB2", "RB6", "RB7", "2", "100", "0", "", "1.0"}
                           << "Value must be non-zero."
                           << "NumEdit3";
  QTest::newRow("imaginary part zero")
      << QStringList{"RB2", "RB5", "RB8", "50", "", "", "0", "1.0"} << "Value must be non-zero."
      << "NumEdit4";
  QTest::newRow("To zero") << QStringList{"RB1", "RB4", "", "30", "", "", "", "0"}
                           << "Value must be non-zero."
                           << "NumEdit5";
}

void UserDefinedWindowTest::refusals() {
  QFETCH(QStringList, entry);
  QFETCH(QString, message);
  QFETCH(QString, focus);
  f_->ShowActive();
  TfmUser& u = Start();
  Add({entry[0], entry[1], entry[2], entry.mid(3)});
  QCOMPARE(f_->presenter->Texts(), QStringList{message});
  QCOMPARE(f_->presenter->shown.front().kind, tavrin::approx::MessageKind::Warning);
  // A refused entry beeps before its box, leaves everything as typed and adds nothing.
  QCOMPARE(f_->log, (QStringList{"beep", "box:" + message}));
  QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Edit(u, focus)));
  QCOMPARE(int(f_->main->State().stageCount), 0);
  QVERIFY(ListLines(u).isEmpty());
  QCOMPARE(Edit(u, "NumEdit5")->text(), entry[7]);
}

void UserDefinedWindowTest::orderLimitAndFirstOrderLimit() {
  const QString limit =
      QStringLiteral("Unable to add section as maximum filter order of 20 will be exceeded.");
  TfmUser& u = Start();
  for (int i = 0; i < 9; ++i)
    Add({"RB2", "RB3", "RB7", {"0.8", QString::number(100 * (i + 1)), "", "", "1.0"}});
  Add({"RB1", "RB3", "", {"50", "", "", "", "1.0"}});
  QCOMPARE(Find<QLabel>(u, "OrderText")->text(), QStringLiteral(" Filter order = 19"));
  QVERIFY(f_->presenter->shown.isEmpty());
  // At 19 a second-order section would make 21; a first-order one still fits.
  Add({"RB2", "RB3", "RB7", {"0.8", "100", "", "", "1.0"}});
  QCOMPARE(f_->presenter->Texts(), QStringList{limit});
  QCOMPARE(f_->log.count(QStringLiteral("beep")), 0);
  Add({"RB1", "RB4", "", {"60", "", "", "", "1.0"}});
  QCOMPARE(ListLines(u).size(), 11);
  QCOMPARE(Find<QLabel>(u, "OrderText")->text(), QStringLiteral(" Filter order = 20"));
  Add({"RB2", "RB3", "RB7", {"0.8", "100", "", "", "1.0"}});
  QCOMPARE(f_->presenter->Texts(), (QStringList{limit, limit}));

  // Two real poles are all a filter holds: a third first-order section is refused.
  Click(u, "BitBtn3");  // Close: the design was never committed, nothing to ask
  Start();
  Add({"RB1", "RB3", "", {"10", "", "", "", "1.0"}});
  Add({"RB1", "RB4", "", {"20", "", "", "", "1.0"}});
  Add({"RB1", "RB4", "", {"30", "", "", "", "1.0"}});
  QCOMPARE(f_->presenter->Texts().last(),
           QStringLiteral("Unable to add section: a filter holds at most two first-order sections."));
  QCOMPARE(ListLines(*u_).size(), 2);
}

void UserDefinedWindowTest::sameStagesAndGainAsTheCommandLine() {
  tavrin::ui::TfmMain& w = *f_->main;
  Find<QAction>(w, "rads1")->trigger();
  TfmUser& u = Start();
  Add({"RB2", "RB6", "RB7", {"2", "1000", "1500", "", "1.0"}});
  Add({"RB1", "RB3", "", {"300", "", "", "", "2"}});
  Click(u, "BitBtn1");

  // tavrin-cli user --section "2 bandstop q q=2 wp=1000 wz=1500" --section "1 lowpass poles p=300 to=2"
  tavrin::stages::SectionEntry notch, lowpass;
  notch.order = 2;
  notch.type = tavrin::stages::SectionType::Bandstop;
  notch.mode = tavrin::stages::EntryMode::QWpWz;
  notch.field = {"2", "1000", "1500", "", "1.0"};
  lowpass.order = 1;
  lowpass.type = tavrin::stages::SectionType::Lowpass;
  lowpass.mode = tavrin::stages::EntryMode::Poles;
  lowpass.field = {"300", "", "", "", "2"};
  const auto cli = CommandLineDesign(FrequencyUnit::RadPerSec, {notch, lowpass});
  QVERIFY(cli);

  const DesignState& s = w.State();
  QCOMPARE(int(s.stageCount), int(cli->stageCount));
  QCOMPARE(int(s.results[0].order), int(cli->results[0].order));
  QCOMPARE(s.results[0].gain, cli->results[0].gain);
  QCOMPARE(s.spec.overallGain, cli->spec.overallGain);
  for (int k = 1; k <= s.stageCount; ++k) {
    const auto& a = s.stages[static_cast<std::size_t>(k)];
    const auto& b = cli->stages[static_cast<std::size_t>(k)];
    QCOMPARE(int(a.type), int(b.type));
    QVERIFY(a.name == b.name);
    QCOMPARE(a.wp, b.wp);
    QCOMPARE(a.Qp, b.Qp);
    QCOMPARE(a.wz, b.wz);
    QCOMPARE(a.p, b.p);
    QCOMPARE(a.To, b.To);
  }
  QCOMPARE(int(s.stages[1].type), int(tavrin::core::ptSLPN));
  QCOMPARE(int(s.stages[2].type), int(tavrin::core::ptFLP));
  QCOMPARE(s.idealAxes.freqStart, cli->idealAxes.freqStart);
  QCOMPARE(s.idealAxes.freqStop, cli->idealAxes.freqStop);
  // The graphs mark the grid point nearest the notch as a full notch; everywhere else the
  // gain is the command line's.
  int notches = 0;
  for (int i = 0; i <= tavrin::core::kScreenGridN; ++i) {
    QCOMPARE(s.frequencyGrid[static_cast<std::size_t>(i)].rad,
             cli->frequencyGrid[static_cast<std::size_t>(i)].rad);
    if (s.idealCurves[0][i].gainVv == 0 && cli->idealCurves[0][i].gainVv < 0.01) {
      ++notches;
      continue;
    }
    QCOMPARE(s.idealCurves[0][i].gainVv, cli->idealCurves[0][i].gainVv);
  }
  QVERIFY(notches <= 1);
  // The window's own graph draws the same gain.
  for (std::size_t i = 0; i < u.CurveFrequencies().size(); i += 50)
    QCOMPARE(u.FilterCurve()[i],
             tavrin::stages::ComputeUserGain(*cli, 1, cli->stageCount, u.CurveFrequencies()[i]));
}

void UserDefinedWindowTest::addDeleteAndMove() {
  tavrin::ui::TfmMain& w = *f_->main;
  TfmUser& u = Start();
  Add({"RB2", "RB3", "RB7", {"0.8", "1000", "", "", "2"}});
  Add({"RB1", "RB4", "", {"10", "", "", "", "1.0"}});
  Add({"RB2", "RB5", "RB7", {"4", "300", "", "", "3"}});
  QCOMPARE(ListLines(u),
           (QStringList{QString::fromUtf8("1.  \tLowpass\t2º"), QString::fromUtf8("2.  \tHighpass\t1º"),
                        QString::fromUtf8("3.  \tBandpass\t2º")}));
  QCOMPARE(Find<QLabel>(u, "OrderText")->text(), QStringLiteral(" Filter order = 5"));
  QCOMPARE(w.State().results[0].gain, 6.0);
  QVERIFY(w.State().stepsStale);
  QVERIFY(Find<QPushButton>(u, "BitBtn1")->isEnabled());

  // The new section is selected; it is last, so it cannot move down.
  QCOMPARE(u.SelectedSection(), 3);
  QVERIFY(!Find<QToolButton>(u, "SB2")->isEnabled());
  QVERIFY(Find<QToolButton>(u, "SB1")->isEnabled());
  Click(u, "SB1");
  QCOMPARE(ListLines(u)[1], QString::fromUtf8("2.  \tBandpass\t2º"));
  QCOMPARE(int(w.State().stages[2].type), int(tavrin::core::ptSBP));
  QVERIFY(w.State().userStages[2].field[tavrin::stages::kFieldTo] == "3");
  QCOMPARE(u.SelectedSection(), 2);
  Click(u, "SB1");
  QCOMPARE(u.SelectedSection(), 1);
  QVERIFY(!Find<QToolButton>(u, "SB1")->isEnabled());
  Click(u, "SB2");
  QCOMPARE(ListLines(u)[0], QString::fromUtf8("1.  \tLowpass\t2º"));

  // Delete takes the selected section out: K loses its To and the list closes up.
  u.SelectSection(1);
  Click(u, "DeleteBtn");
  QCOMPARE(ListLines(u),
           (QStringList{QString::fromUtf8("1.  \tBandpass\t2º"), QString::fromUtf8("2.  \tHighpass\t1º")}));
  QCOMPARE(Find<QLabel>(u, "OrderText")->text(), QStringLiteral(" Filter order = 3"));
  QCOMPARE(w.State().results[0].gain, 3.0);
  QCOMPARE(w.State().spec.overallGain, 3.0);
  Click(u, "DeleteBtn");
  Click(u, "DeleteBtn");
  QVERIFY(ListLines(u).isEmpty());
  QVERIFY(!Find<QPushButton>(u, "DeleteBtn")->isEnabled());
  QVERIFY(!Find<QPushButton>(u, "BitBtn1")->isEnabled());
  QCOMPARE(int(w.State().results[0].order), 0);
}

void UserDefinedWindowTest::dragMovesTheSection() {
  tavrin::ui::TfmMain& w = *f_->main;
  TfmUser& u = Start();
  for (const char* wp : {"100", "200", "300"}) Add({"RB2", "RB3", "RB7", {"1", wp, "", "", "1.0"}});
  auto* list = Find<QListWidget>(u, "ListBox1");
  QVERIFY(list->dragDropMode() == QAbstractItemView::InternalMove);
  // What a drop of the first row below the last does to the list's model.
  QVERIFY(list->model()->moveRow(QModelIndex(), 0, QModelIndex(), 3));
  QTRY_COMPARE(w.State().stages[3].wp, 100.0 * 2 * tavrin::core::kPi);
  QCOMPARE(w.State().stages[1].wp, 200.0 * 2 * tavrin::core::kPi);
  QCOMPARE(ListLines(u)[2], QString::fromUtf8("3.  \tLowpass\t2º"));
  QCOMPARE(u.SelectedSection(), 3);
}

void UserDefinedWindowTest::graphAndReadOut() {
  tavrin::ui::TfmMain& w = *f_->main;
  Find<QAction>(w, "Hz1")->trigger();
  TfmUser& u = Start();
  Add({"RB2", "RB5", "RB7", {"5", "1000", "", "", "2"}});
  Add({"RB1", "RB3", "", {"4000", "", "", "", "1.0"}});
  u.SelectSection(1);
  const DesignState& s = w.State();
  // A decade below the lowest section to a decade above the highest, in Hz.
  QCOMPARE(u.CurveFrequencies().front(), 100.0);
  QCOMPARE(u.CurveFrequencies().back(), 40000.0);
  QCOMPARE(int(u.CurveFrequencies().size()), tavrin::core::kScreenGridN + 1);
  for (std::size_t i = 0; i < u.CurveFrequencies().size(); i += 70) {
    const double rad = u.CurveFrequencies()[i] * 2 * tavrin::core::kPi;
    QCOMPARE(u.FilterCurve()[i], tavrin::stages::ComputeUserGain(s, 1, 2, rad));
    QCOMPARE(u.SectionCurve()[i], tavrin::stages::ComputeUserGain(s, 1, 1, rad));
  }
  QCOMPARE(u.Graph()->xAxis->label(), QStringLiteral("Log Frequency  (Hz)      "));
  QCOMPARE(u.Graph()->xAxis->labelColor(), u.palette().color(QPalette::WindowText));
  // At the bandpass centre the section gives its To: 2 V/V, 6.02 dB.
  u.ReadOut(1000);
  const QStringList captions = u.ResultCaptions();
  QCOMPARE(captions[0], QStringLiteral("f = 1000 Hz"));
  QCOMPARE(captions[3], QStringLiteral("Section 1: 6.02 dB"));
  QVERIFY2(captions[1].startsWith(QStringLiteral("All sections: 5.")), qPrintable(captions[1]));
}

void UserDefinedWindowTest::unitChangeRefreshesTheWindow() {
  tavrin::ui::TfmMain& w = *f_->main;
  Find<QAction>(w, "rads1")->trigger();
  TfmUser& u = Start();
  Enter({"RB2", "RB6", "RB7", {"2", "1000", "2000", "", "1.0"}});
  Click(u, "AddBtn");
  u.ReadOut(1500);
  QVERIFY(!u.ResultCaptions()[0].isEmpty());
  const double radStart = u.CurveFrequencies().front();
  QCOMPARE(VisibleFieldLabels(u), (QStringList{"Q =", "wp=", "wz=", "To ="}));

  QTest::mouseClick(Find<QToolButton>(w, "UnitBtn"), Qt::LeftButton);
  QVERIFY(w.State().frequencyUnit == FrequencyUnit::Hz);
  QCOMPARE(VisibleFieldLabels(u), (QStringList{"Q =", "fp=", "fz=", "To ="}));
  QCOMPARE(Find<QLabel>(u, "UnitCaption")->text(), QStringLiteral("  Hz  "));
  QCOMPARE(Find<QRadioButton>(u, "RB7")->text(), QStringLiteral(" Qp,fp,fz"));
  QCOMPARE(u.Graph()->xAxis->label(), QStringLiteral("Log Frequency  (Hz)      "));
  QCOMPARE(u.ResultCaptions(), (QStringList{"", "", "", ""}));
  QCOMPARE(u.PreviewText(), QString::fromUtf8("T(s) = To (s² + fz²) / (s² + (fp/Q)s + fp²)"));
  // The same section, its range now in Hz (the start rounded down to one digit).
  QVERIFY(u.CurveFrequencies().front() <= radStart / (2 * tavrin::core::kPi));
  // The typed text stays as typed; the stored section stays in rad/s.
  QCOMPARE(Edit(u, "NumEdit2")->text(), QStringLiteral("1000"));
  QCOMPARE(w.State().stages[1].wp, 1000.0);

  Find<QAction>(w, "rads1")->trigger();
  QCOMPARE(u.Graph()->xAxis->label(), QStringLiteral("Log Frequency  (rad/s)"));
  QCOMPARE(u.CurveFrequencies().front(), radStart);

  // A unit changed while the graphs were shown is the window's unit when it comes back.
  Click(u, "BitBtn1");
  QTest::mouseClick(Find<QToolButton>(w, "UnitBtn"), Qt::LeftButton);
  w.BackFromGraphs();
  QCOMPARE(VisibleFieldLabels(u), (QStringList{"Q =", "fp=", "fz=", "To ="}));
  QCOMPARE(u.Graph()->xAxis->label(), QStringLiteral("Log Frequency  (Hz)      "));
}

void UserDefinedWindowTest::nextBackAndOnToCircuits() {
  tavrin::ui::TfmMain& w = *f_->main;
  TfmUser& u = Start();
  Add({"RB2", "RB4", "RB7", {"0.9", "500", "", "", "1.0"}});
  Click(u, "BitBtn1");
  DesignState& s = w.State();
  QCOMPARE(w.Pages()->currentWidget(), static_cast<QWidget*>(w.GraphsWindow()));
  QCOMPARE(int(s.designStep), 2);
  QVERIFY(s.spec.kind == FilterKind::UserDefined);
  QVERIFY(s.modified);
  QVERIFY(Find<QAction>(w, "Savedesign1")->isEnabled());
  QVERIFY(!Find<QAction>(w, "Showtransferfunction1")->isEnabled());

  // Back: the window as it was; Next again without a change keeps the graphs' range.
  w.BackFromGraphs();
  QCOMPARE(w.Pages()->currentWidget(), static_cast<QWidget*>(&u));
  QVERIFY(!s.stepsStale);
  s.idealAxes.freqStart = 7;  // as a zoom would leave it
  Click(u, "BitBtn1");
  QCOMPARE(s.idealAxes.freqStart, 7.0);
  // A change commits the design afresh.
  w.BackFromGraphs();
  Add({"RB1", "RB3", "", {"5000", "", "", "", "1.0"}});
  Click(u, "BitBtn1");
  QVERIFY(s.idealAxes.freqStart != 7.0);

  // Next of the graphs goes straight to the circuits: the sections are the stages.
  w.ContinueFromGraphs();
  QCOMPARE(int(s.designStep), 3);
  QCOMPARE(w.Pages()->currentWidget(), static_cast<QWidget*>(w.CircuitSelectionWindow()));
  QVERIFY(Find<QAction>(w, "Showtransferfunction1")->isEnabled());
  QVERIFY(Find<QToolButton>(w, "TransferBtn")->isEnabled());
}

void UserDefinedWindowTest::readBackFromItsFile() {
  tavrin::ui::TfmMain& w = *f_->main;
  Find<QAction>(w, "Hz1")->trigger();
  TfmUser& u = Start();
  Add({"RB2", "RB5", "RB8", {"100", "", "", "600", "2"}});
  Add({"RB1", "RB4", "", {"20", "", "", "", "1.0"}});
  Add({"RB1", "RB4", "", {"40", "", "", "", "1.0"}});
  Click(u, "BitBtn1");
  const QString file = f_->HomePath() + QStringLiteral("/user.zd3");
  QVERIFY(w.WriteDesign(file));
  const QStringList lines = ListLines(u);
  const double start = w.State().idealAxes.freqStart;
  const double gainAtStart = w.State().idealCurves[0][0].gainVv;

  Click(u, "BitBtn3");  // Close; the design was just saved
  QVERIFY(f_->presenter->shown.isEmpty());
  QCOMPARE(w.Pages()->currentWidget()->objectName(), QStringLiteral("StartPage"));
  QVERIFY(w.OpenDesignFile(file));
  QCOMPARE(w.Pages()->currentWidget(), static_cast<QWidget*>(&u));
  QCOMPARE(ListLines(u), lines);
  QCOMPARE(Find<QLabel>(u, "OrderText")->text(), QStringLiteral(" Filter order = 4"));
  QVERIFY(w.PressedKind() == FilterKind::UserDefined);
  // The graphs are drawn again over the sections' own range.
  QCOMPARE(w.State().idealAxes.freqStart, start);
  QCOMPARE(w.State().idealCurves[0][0].gainVv, gainAtStart);
  QVERIFY(Find<QPushButton>(u, "BitBtn1")->isEnabled());
}

void UserDefinedWindowTest::transferWindowOfAKnownDesign() {
  tavrin::ui::TfmMain& w = *f_->main;
  Find<QAction>(w, "rads1")->trigger();
  TfmUser& u = Start();
  Add({"RB2", "RB3", "RB7", {"0.8", "1000", "", "", "2"}});
  Add({"RB1", "RB4", "", {"100", "", "", "", "1.0"}});
  Click(u, "BitBtn1");
  w.ContinueFromGraphs();
  QTest::mouseClick(Find<QToolButton>(w, "TransferBtn"), Qt::LeftButton);
  tavrin::ui::TfmTransfer* t = w.TransferWindow();
  QVERIFY(t->isVisible());
  QCOMPARE(t->windowTitle(), QStringLiteral("Stage Transfer Functions"));
  // Every opening starts in hertz.
  QVERIFY(t->Unit() == FrequencyUnit::Hz);
  QVERIFY(Find<QRadioButton>(*t, "HzBtn")->isChecked());

  tavrin::ui::TransferTableTexts x = t->Texts();
  QCOMPARE(x.title, QStringLiteral("User Defined Filter  N=3  --  Biquadratic Coefficients"));
  QCOMPARE(x.poleLabel, QStringLiteral("fp"));
  QCOMPARE(int(x.blocks.size()), 1);
  QCOMPARE(x.blocks[0].header, (QStringList{"Stage", "1", "2"}));
  auto row = [&](int r) { return x.blocks[0].rows[static_cast<std::size_t>(r)]; };
  // fp = 1000/2pi = 159.15494 Hz, F = fp^2, E = fp/Q.
  QCOMPARE(row(0), (QStringList{"To", "2.00000000E+0", "1.00000000E+0"}));
  QCOMPARE(row(6), (QStringList{"F", "2.5330296E+4", "1.5915494E+1"}));
  QCOMPARE(row(5), (QStringList{"E", "1.9894368E+2", "1.0"}));
  QCOMPARE(row(7), (QStringList{"fp", "1.5915494E+2", "----"}));

  Click(*t, "RadBtn");
  x = t->Texts();
  QCOMPARE(x.poleLabel, QStringLiteral("wp"));
  QCOMPARE(row(1), (QStringList{"A", "0", "0"}));
  QCOMPARE(row(2), (QStringList{"B", "0", "1.0"}));
  QCOMPARE(row(3), (QStringList{"C", "1.0000000E+6", "0"}));
  QCOMPARE(row(4), (QStringList{"D", "1.0", "0"}));
  QCOMPARE(row(5), (QStringList{"E", "1.2500000E+3", "1.0"}));
  QCOMPARE(row(6), (QStringList{"F", "1.0000000E+6", "1.0000000E+2"}));
  QCOMPARE(row(7), (QStringList{"wp", "1.0000000E+3", "----"}));
  QCOMPARE(row(8), (QStringList{"Qp", "8.0000000E-1", "----"}));
  QCOMPARE(row(9), (QStringList{"wz", "----", "----"}));
  // The unit stays while the window is open; the menu command brings it forward as it is.
  Find<QAction>(w, "Showtransferfunction1")->trigger();
  QVERIFY(t->Unit() == FrequencyUnit::RadPerSec);
  // Closing the design takes the window away.
  f_->presenter->answers = {QMessageBox::No};
  uitest::Trigger(w, "CloseDesign1");
  QVERIFY(!t->isVisible());
}

void UserDefinedWindowTest::transferWindowGrowsForASecondBlock() {
  tavrin::ui::TfmMain& w = *f_->main;
  TfmUser& u = Start();
  for (int i = 1; i <= 5; ++i) Add({"RB2", "RB3", "RB7", {"0.8", QString::number(100 * i), "", "", "1.0"}});
  Click(u, "BitBtn1");
  w.ContinueFromGraphs();
  w.ShowTransferFunction();
  tavrin::ui::TfmTransfer* t = w.TransferWindow();
  QCOMPARE(int(t->Texts().blocks.size()), 1);
  auto* canvas = Find<QWidget>(*t, "TransferCanvas");
  const int fiveHigh = canvas->minimumHeight();
  const int windowHigh = t->height();
  t->hide();

  w.BackFromCircuitSelection();
  w.BackFromGraphs();
  Add({"RB2", "RB4", "RB7", {"0.8", "700", "", "", "1.0"}});
  Add({"RB2", "RB6", "RB7", {"3", "800", "900", "", "1.0"}});
  Click(u, "BitBtn1");
  w.ContinueFromGraphs();
  w.ShowTransferFunction();
  const tavrin::ui::TransferTableTexts x = t->Texts();
  QCOMPARE(int(x.blocks.size()), 2);
  QCOMPARE(x.blocks[0].header, (QStringList{"Stage", "1", "2", "3", "4", "5"}));
  QCOMPARE(x.blocks[1].header, (QStringList{"Stage", "6", "7"}));
  QCOMPARE(x.blocks[1].rows[9].value(2), QStringLiteral("9.0000000E+2"));  // fz, typed in Hz
  // The second block makes the table taller; the window grows with it as far as the screen allows.
  QVERIFY(canvas->minimumHeight() > fiveHigh + 8 * QFontMetrics(t->font()).height());
  QVERIFY(t->height() >= windowHigh);
}

void UserDefinedWindowTest::buildingBlocksMarks() {
  tavrin::ui::TfmBlocks hz(FrequencyUnit::Hz);
  QCOMPARE(hz.windowTitle(), QStringLiteral("The building blocks"));
  QCOMPARE(hz.Plot()->xAxis->label(), QStringLiteral("Log Frequency (Hz)   "));
  hz.Choose(2, 2);  // a bandpass: its centre and a corner on either side
  QStringList marks = hz.Marks();
  QVERIFY2(marks.contains(QStringLiteral("fp at 10")), qPrintable(marks.join('|')));
  QCOMPARE(marks.filter(QStringLiteral("fc at")).size(), 2);
  QVERIFY(marks.contains(QStringLiteral("To at 1")));
  QVERIFY(marks.contains(QStringLiteral("0.7*To at 0.7")));
  // First order: the corner is the pole, and no bandpass or bandstop is offered.
  hz.Choose(1, 0);
  QCOMPARE(hz.Marks().filter(QStringLiteral("fc at 10")).size(), 1);
  QVERIFY(!hz.findChild<QRadioButton*>(QStringLiteral("RB5"))->isEnabled());

  tavrin::ui::TfmBlocks rad(FrequencyUnit::RadPerSec);
  QCOMPARE(rad.Plot()->xAxis->label(), QStringLiteral("Log Frequency (rad/s)   "));
  rad.Choose(2, 3);  // a lowpass notch: the zero above the pole
  QVERIFY(rad.Marks().contains(QStringLiteral("wp at 10")));
  QVERIFY(rad.Marks().contains(QStringLiteral("wz at 16")));
}

QTEST_MAIN(UserDefinedWindowTest)
#include "user_defined_test.moc"
