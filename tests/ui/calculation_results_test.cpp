// Calculate from the entry window and what follows from it: the results table of
// the five approximations, Next and Back, edits that take Next away, the clipboard, the
// save prompt in front of a new design, and the unit switch rewriting the entries.
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "UiTestSupport.h"
#include "ui/TfmGraph.h"
#include "ui/ResultsGrid.h"
#include "ui/TfmParEnt.h"

using tavrin::core::FilterKind;
using tavrin::ui::TfmParEnt;
using uitest::Click;
using uitest::Edit;
using uitest::Find;
using uitest::Items;
using uitest::Type;

namespace {

const QStringList kRowLabels = {"Order",        "Circuit stages", "Passband ripple", "Pole pairs",
                                "Single poles", "Zero pairs",     "Single zeros",    "Max. pole Qp"};

QStringList Column(const tavrin::ui::ResultsGrid& grid, int slot) {
  QStringList cells;
  for (int row = 0; row < 8; ++row) cells << grid.CellText(row, slot);
  return cells;
}

}  // namespace

class CalculationResultsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void lowpassDefaultsFillTheTable();
  void bandstopDefaults();
  void excludedSlotsShowRed_data();
  void excludedSlotsShowRed();
  void editDisablesNext_data();
  void editDisablesNext();
  void nextHandsOverAndBackKeepsResults();
  void copyToClipboardTakesTheResults();
  void savePromptCancelKeepsDesign();
  void savePromptAnswers_data();
  void savePromptAnswers();
  void realSavePromptBox();
  void reinitializeQuestionPastCircuits();
  void unitSwitchConvertsEntries_data();
  void unitSwitchConvertsEntries();
  void closeDesignFromTheWindow();
  void refusalAfterResults_data();
  void refusalAfterResults();

 private:
  TfmParEnt& Start(FilterKind kind);
  std::unique_ptr<uitest::Fixture> f_;
};

void CalculationResultsTest::init() {
  f_ = std::make_unique<uitest::Fixture>();
  f_->Make();
}

void CalculationResultsTest::cleanup() {
  f_.reset();
}

TfmParEnt& CalculationResultsTest::Start(FilterKind kind) {
  f_->main->StartDesign(kind);
  return *f_->main->RequirementsWindow();
}

void CalculationResultsTest::lowpassDefaultsFillTheTable() {
  TfmParEnt& p = Start(FilterKind::Lowpass);
  tavrin::ui::TfmMain& w = *f_->main;
  w.show();
  Click(p, "CalcBtn");
  QVERIFY(f_->presenter->shown.isEmpty());

  auto* tabs = Find<QTabWidget>(p, "TabCtrl1");
  QCOMPARE(tabs->count(), 2);
  QCOMPARE(tabs->tabText(1), QStringLiteral("Calculation results"));
  QVERIFY(p.ResultsShown());

  const tavrin::ui::ResultsGrid& grid = *p.Results();
  QCOMPARE(grid.horizontalHeaderItem(0)->text(), QStringLiteral("Approximation:"));
  const QStringList headings = {"Butter-\nworth", "Cheby-\nshev", "Inverse\nCheby.", "Elliptic\n",
                                "Bessel\n"};
  for (int slot = 0; slot < 5; ++slot) QCOMPARE(grid.Heading(slot), headings[slot]);
  for (int row = 0; row < 8; ++row) QCOMPARE(grid.item(row, 0)->text(), kRowLabels[row]);

  // Apb 0.5 dB, Asb 30 dB, 1 kHz / 2 kHz.  Bessel's gentle, Gaussian-like skirt cannot fall
  // from 0.5 dB to 30 dB within one octave at any order up to the limit.
  QCOMPARE(Column(grid, 0), (QStringList{"7", "4", "0 dB", "3", "1", "0", "0", "2.2"}));
  QCOMPARE(Column(grid, 1), (QStringList{"4", "2", "0.5 dB", "2", "0", "0", "0", "2.9"}));
  QCOMPARE(Column(grid, 2), (QStringList{"4", "2", "0 dB", "2", "0", "2", "0", "1.6"}));
  QCOMPARE(Column(grid, 3), (QStringList{"3", "2", "0.5 dB", "1", "1", "1", "0", "2.0"}));
  QCOMPARE(Column(grid, 4), (QStringList{">20", "---", "---", "---", "---", "---", "---", "---"}));
  for (int row = 0; row < 8; ++row)
    for (int slot = 0; slot < 5; ++slot) QVERIFY(!grid.CellIsRed(row, slot));

  QVERIFY(Find<QPushButton>(p, "BitBtn1")->isEnabled());
  const auto& s = w.State();
  QVERIFY(s.modified);
  QVERIFY(s.stepsStale);
  QCOMPARE(int(s.designStep), 0);
  QCOMPARE(s.spec.overallGain, 1.0);
  for (const char* name : {"Savedesign1", "Savedesignas1", "CloseDesign1", "Copytoclipboard1"})
    QVERIFY2(Find<QAction>(w, name)->isEnabled(), name);
  for (const char* name : {"CopyBtn", "SaveAsBtn"}) QVERIFY2(Find<QToolButton>(w, name)->isEnabled(), name);
  QVERIFY(!Find<QAction>(w, "Showtransferfunction1")->isEnabled());
  QVERIFY(!Find<QToolButton>(w, "TransferBtn")->isEnabled());
}

void CalculationResultsTest::bandstopDefaults() {
  TfmParEnt& p = Start(FilterKind::Bandstop);
  Click(p, "CalcBtn");
  QVERIFY(f_->presenter->shown.isEmpty());
  const tavrin::ui::ResultsGrid& grid = *p.Results();
  // Band designs double the prototype order; each pole pair brings its own notch.
  QCOMPARE(Column(grid, 0), (QStringList{"14", "7", "0 dB", "7", "0", "7", "0", "5.7"}));
  QCOMPARE(Column(grid, 3), (QStringList{"6", "3", "0.5 dB", "3", "0", "3", "0", "4.7"}));
  QVERIFY(Find<QPushButton>(p, "BitBtn1")->isEnabled());
}

void CalculationResultsTest::excludedSlotsShowRed_data() {
  QTest::addColumn<QString>("pass");
  QTest::addColumn<QString>("stop");
  QTest::addColumn<QStringList>("orders");
  QTest::addColumn<QList<int>>("red");
  QTest::addColumn<bool>("next");
  // A narrow bandpass needs high pole Qs; above 300 a slot is kept in view but cannot be used.
  QTest::newRow("Chebyshev out") << "0.03"
                                 << "0.06" << QStringList{"14", "8", "8", "6", ">20"} << QList<int>{1}
                                 << true;
  QTest::newRow("nothing usable") << "0.05"
                                  << "0.06" << QStringList{">20", "18", "18", "10", ">20"}
                                  << QList<int>{1, 2, 3} << false;
}

void CalculationResultsTest::excludedSlotsShowRed() {
  QFETCH(QString, pass);
  QFETCH(QString, stop);
  QFETCH(QStringList, orders);
  QFETCH(QList<int>, red);
  QFETCH(bool, next);
  TfmParEnt& p = Start(FilterKind::Bandpass);
  Type(Edit(p, "NumEdit3"), pass);
  Type(Edit(p, "NumEdit4"), stop);
  Click(p, "CalcBtn");
  const tavrin::ui::ResultsGrid& grid = *p.Results();
  for (int slot = 0; slot < 5; ++slot) {
    QCOMPARE(grid.CellText(0, slot), orders[slot]);
    const bool excluded = red.contains(slot);
    QCOMPARE(grid.CellIsRed(7, slot), excluded);
    if (excluded) {
      QCOMPARE(grid.CellText(7, slot), QStringLiteral(">300"));
      for (int row = 1; row < 7; ++row) QCOMPARE(grid.CellText(row, slot), QStringLiteral("---"));
    }
  }
  QCOMPARE(Find<QPushButton>(p, "BitBtn1")->isEnabled(), next);
  QVERIFY(Find<QLabel>(p, "ResultsNote")->text().contains(QStringLiteral("300")));
}

void CalculationResultsTest::editDisablesNext_data() {
  QTest::addColumn<QString>("control");
  QTest::addColumn<QString>("input");
  QTest::addColumn<QString>("restore");  // what makes the entries valid again, if anything
  const std::pair<const char*, const char*> fields[] = {
      {"NumEdit1", "0.4"}, {"NumEdit2", "35"}, {"NumEdit3", "1.1"}, {"NumEdit4", "2.5"},
      {"NumEdit5", "3"},   {"NumEdit6", "3"},  {"IntEdit1", "8"}};
  for (const auto& [field, text] : fields) QTest::newRow(field) << field << text << "";
  for (const char* box : {"CB1", "CB2", "CB3"})
    QTest::newRow(box) << box << "Hz"
                       << "kHz";
  QTest::newRow("CB4") << "CB4"
                       << "V/V"
                       << "";
  QTest::newRow("CheckBox1") << "CheckBox1"
                             << ""
                             << "";
}

void CalculationResultsTest::editDisablesNext() {
  QFETCH(QString, control);
  QFETCH(QString, input);
  QFETCH(QString, restore);
  TfmParEnt& p = Start(FilterKind::Bandpass);
  f_->main->show();
  if (control == QLatin1String("IntEdit1")) {
    Click(p, "CheckBox1");
    Type(Edit(p, "IntEdit1"), "6");
  }
  Click(p, "CalcBtn");
  auto* next = Find<QPushButton>(p, "BitBtn1");
  QVERIFY(next->isEnabled());

  auto* box = p.findChild<QComboBox*>(control);
  if (box) {
    uitest::Choose(box, input);
  } else if (control == QLatin1String("CheckBox1")) {
    Click(p, control);
    Type(Edit(p, "IntEdit1"), "4");
  } else {
    Type(Edit(p, control), input);
  }
  QVERIFY(!next->isEnabled());
  QVERIFY(f_->main->State().nextDisabled);

  // Only a fresh Calculate gives Next back.
  if (box && !restore.isEmpty()) {
    uitest::Choose(box, restore);
    QVERIFY(!next->isEnabled());
  }
  Click(p, "CalcBtn");
  QVERIFY2(next->isEnabled(), qPrintable(f_->presenter->Texts().join(QLatin1Char('|'))));
}

void CalculationResultsTest::nextHandsOverAndBackKeepsResults() {
  TfmParEnt& p = Start(FilterKind::Lowpass);
  tavrin::ui::TfmMain& w = *f_->main;
  Click(p, "CalcBtn");
  w.State().currentSlot = 3;
  Click(p, "BitBtn1");
  QCOMPARE(w.Pages()->currentWidget(), w.GraphsWindow());
  QCOMPARE(int(w.State().designStep), 2);
  QCOMPARE(int(w.State().currentSlot), 0);
  QVERIFY(w.State().allPole);
  QCOMPARE(Find<QLabel>(*w.GraphsWindow(), "OrderLabel3")->text(), QStringLiteral("N = 3"));
  QVERIFY(Find<QAbstractButton>(*w.GraphsWindow(), "ApproxRadio3")->isEnabled());

  // Back shows the entry window as it was left; nothing is stale any more.
  Click(*w.GraphsWindow(), "BackBtn");
  QCOMPARE(w.Pages()->currentWidget(), &p);
  QVERIFY(!w.State().stepsStale);
  QVERIFY(p.ResultsShown());
  QCOMPARE(p.Results()->CellText(0, 0), QStringLiteral("7"));
  QVERIFY(Find<QPushButton>(p, "BitBtn1")->isEnabled());

  // Next without a change keeps the step and slot the graphs had.
  w.State().designStep = 3;
  w.State().currentSlot = 2;
  Click(p, "BitBtn1");
  QCOMPARE(int(w.State().designStep), 3);
  QCOMPARE(int(w.State().currentSlot), 2);
}

void CalculationResultsTest::copyToClipboardTakesTheResults() {
  TfmParEnt& p = Start(FilterKind::Lowpass);
  tavrin::ui::TfmMain& w = *f_->main;
  w.show();
  Click(p, "CalcBtn");
  auto* copyButton = Find<QToolButton>(w, "CopyBtn");
  QVERIFY(copyButton->isEnabled());
  QGuiApplication::clipboard()->clear();
  QTest::mouseClick(copyButton, Qt::LeftButton);
  const QImage picture = QGuiApplication::clipboard()->image();
  QVERIFY(!picture.isNull());
  // The whole table, however little of it the window shows.
  const QSize table = p.Results()->sizeHint() * p.Results()->devicePixelRatio();
  QCOMPARE(picture.size(), table);

  // The template is no result: the button waits, the menu copies nothing.
  auto* tabs = Find<QTabWidget>(p, "TabCtrl1");
  tabs->setCurrentIndex(0);
  QVERIFY(!copyButton->isEnabled());
  QGuiApplication::clipboard()->clear();
  Find<QAction>(w, "Copytoclipboard1")->trigger();
  QVERIFY(QGuiApplication::clipboard()->image().isNull());
  tabs->setCurrentIndex(1);
  QVERIFY(copyButton->isEnabled());
}

void CalculationResultsTest::savePromptCancelKeepsDesign() {
  TfmParEnt& p = Start(FilterKind::Lowpass);
  tavrin::ui::TfmMain& w = *f_->main;
  Type(Edit(p, "NumEdit3"), "1.5");
  Click(p, "CalcBtn");
  const QString order = p.Results()->CellText(0, 0);

  f_->presenter->answers = {QMessageBox::Cancel};
  QTest::mouseClick(Find<QToolButton>(w, "HighpassBtn"), Qt::LeftButton);
  QCOMPARE(f_->presenter->Texts(), QStringList{QStringLiteral("Do you wish to save this design?")});
  QCOMPARE(int(f_->presenter->shown[0].kind), int(tavrin::approx::MessageKind::Confirmation));
  QCOMPARE(int(f_->presenter->shown[0].buttons), int(tavrin::approx::MessageButtons::YesNoCancel));

  QCOMPARE(w.Pages()->currentWidget(), &p);
  QVERIFY(w.State().spec.kind == FilterKind::Lowpass);
  QCOMPARE(Find<QLabel>(p, "KindTitle")->text(), QStringLiteral("Lowpass filter"));
  QCOMPARE(Edit(p, "NumEdit3")->text(), QStringLiteral("1.5"));
  QVERIFY(p.ResultsShown());
  QCOMPARE(p.Results()->CellText(0, 0), order);
  QVERIFY(Find<QPushButton>(p, "BitBtn1")->isEnabled());
  QVERIFY(Find<QToolButton>(w, "LowpassBtn")->isChecked());
  QVERIFY(!Find<QToolButton>(w, "HighpassBtn")->isChecked());
  QVERIFY(w.State().modified);
}

void CalculationResultsTest::savePromptAnswers_data() {
  QTest::addColumn<int>("answer");
  QTest::addColumn<QStringList>("boxes");
  QTest::addColumn<bool>("started");
  const QString question = QStringLiteral("Do you wish to save this design?");
  QTest::newRow("No starts the new design") << int(QMessageBox::No) << QStringList{question} << true;
  // Yes opens the save dialog; cancelling it cancels the new design too.
  QTest::newRow("Yes, then no file name") << int(QMessageBox::Yes) << QStringList{question} << false;
}

void CalculationResultsTest::savePromptAnswers() {
  QFETCH(int, answer);
  QFETCH(QStringList, boxes);
  QFETCH(bool, started);
  TfmParEnt& p = Start(FilterKind::Lowpass);
  Click(p, "CalcBtn");
  f_->presenter->answers = {static_cast<QMessageBox::StandardButton>(answer)};
  Find<QAction>(*f_->main, "Bandpass1")->trigger();
  QCOMPARE(f_->presenter->Texts(), boxes);
  QCOMPARE(f_->main->State().spec.kind == FilterKind::Bandpass, started);
  QCOMPARE(p.ResultsShown(), !started);
  QCOMPARE(Find<QTabWidget>(p, "TabCtrl1")->count(), started ? 1 : 2);
  if (started) QCOMPARE(Edit(p, "NumEdit5")->text(), QStringLiteral("2"));
}

void CalculationResultsTest::realSavePromptBox() {
  // The program's own presenter: a real box with the question and Yes, No, Cancel.
  tavrin::ui::TfmMain& w = *f_->main;
  w.SetMessagePresenter(std::make_unique<tavrin::ui::MessagePresenter>());
  TfmParEnt& p = Start(FilterKind::Lowpass);
  w.show();
  Click(p, "CalcBtn");
  QString text;
  QString title;
  QMessageBox::StandardButtons buttons;
  QTimer::singleShot(0, this, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    text = box->text();
    title = box->windowTitle();
    buttons = box->standardButtons();
    box->button(QMessageBox::Cancel)->click();
  });
  Click(p, "BitBtn3");
  QCOMPARE(text, QStringLiteral("Do you wish to save this design?"));
  QCOMPARE(title, QStringLiteral("Confirm"));
  QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  QCOMPARE(w.Pages()->currentWidget(), &p);
}

void CalculationResultsTest::reinitializeQuestionPastCircuits() {
  TfmParEnt& p = Start(FilterKind::Highpass);
  Click(p, "CalcBtn");
  auto& s = f_->main->State();
  s.designStep = 6;
  s.stepsStale = false;
  Type(Edit(p, "NumEdit4"), "1.5");

  f_->presenter->answers = {QMessageBox::Cancel};
  Click(p, "CalcBtn");
  QCOMPARE(f_->presenter->Texts(), QStringList{QStringLiteral("This will re-initialize your design.")});
  QCOMPARE(int(f_->presenter->shown[0].buttons), int(tavrin::approx::MessageButtons::OkCancel));
  QVERIFY(!s.stepsStale);
  QCOMPARE(s.spec.stopEntered, 1.0);

  f_->presenter->answers = {QMessageBox::Ok};
  Click(p, "CalcBtn");
  QVERIFY(s.stepsStale);
  QCOMPARE(s.spec.stopEntered, 1.5);
}

void CalculationResultsTest::unitSwitchConvertsEntries_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<QString>("command");    // how the unit is switched
  QTest::addColumn<QStringList>("typed");  // NumEdit3, NumEdit4, NumEdit5
  QTest::addColumn<QStringList>("units");  // CB1, CB2, CB3 before the switch
  QTest::addColumn<QStringList>("shown");  // the fields afterwards, all in the second unit
  QTest::addColumn<QString>("passLabel");
  const QStringList kilo{"kHz", "kHz", "kHz"};
  QTest::newRow("lowpass by the button")
      << int(FilterKind::Lowpass) << "UnitBtn" << QStringList{"1", "2", "2"} << kilo
      << QStringList{"6.283", "12.566", "12.566"} << "Passband Frequency (wpb):";
  QTest::newRow("lowpass by the menu")
      << int(FilterKind::Lowpass) << "rads1" << QStringList{"1.5", "3", "2"} << kilo
      << QStringList{"9.425", "18.850", "12.566"} << "Passband Frequency (wpb):";
  QTest::newRow("hertz become kilo") << int(FilterKind::Highpass) << "UnitBtn" << QStringList{"500", "2", "2"}
                                     << QStringList{"Hz", "kHz", "kHz"}
                                     << QStringList{"3.142", "12.566", "12.566"}
                                     << "Passband Frequency (wpb):";
  QTest::newRow("bandpass with its center")
      << int(FilterKind::Bandpass) << "UnitBtn" << QStringList{"1", "2", "2"} << kilo
      << QStringList{"6.283", "12.566", "12.566"} << "Passband Bandwidth (Bpb):";
  QTest::newRow("a field without a number stays")
      << int(FilterKind::Lowpass) << "UnitBtn" << QStringList{"", "2", "2"} << kilo
      << QStringList{"", "12.566", "12.566"} << "Passband Frequency (wpb):";
  QTest::newRow("decimals give way to length")
      << int(FilterKind::Lowpass) << "UnitBtn" << QStringList{"100", "200", "2"} << kilo
      << QStringList{"628.32", "1256.6", "12.566"} << "Passband Frequency (wpb):";
}

void CalculationResultsTest::unitSwitchConvertsEntries() {
  QFETCH(int, kind);
  QFETCH(QString, command);
  QFETCH(QStringList, typed);
  QFETCH(QStringList, units);
  QFETCH(QStringList, shown);
  QFETCH(QString, passLabel);
  TfmParEnt& p = Start(static_cast<FilterKind>(kind));
  tavrin::ui::TfmMain& w = *f_->main;
  const char* fields[] = {"NumEdit3", "NumEdit4", "NumEdit5"};
  const char* boxes[] = {"CB1", "CB2", "CB3"};
  for (int i = 0; i < 3; ++i) {
    Type(Edit(p, fields[i]), typed[i]);
    uitest::Choose(Find<QComboBox>(p, boxes[i]), units[i]);
  }
  Type(Edit(p, "NumEdit6"), "6");
  Click(p, "CalcBtn");
  const bool nextBefore = Find<QPushButton>(p, "BitBtn1")->isEnabled();
  const double wpb = w.State().spec.wpb;

  if (command.endsWith(QLatin1String("Btn"))) {
    QTest::mouseClick(Find<QToolButton>(w, command), Qt::LeftButton);
  } else {
    Find<QAction>(w, command)->trigger();
  }
  QVERIFY(w.State().frequencyUnit == tavrin::core::FrequencyUnit::RadPerSec);
  for (int i = 0; i < 3; ++i) {
    QCOMPARE(Items(Find<QComboBox>(p, boxes[i])), (QStringList{"rad/s", "krad/s"}));
    QCOMPARE(Find<QComboBox>(p, boxes[i])->currentText(), QStringLiteral("krad/s"));
    QCOMPARE(Edit(p, fields[i])->text(), shown[i]);
  }
  QCOMPARE(Find<QLabel>(p, "PassLabel")->text(), passLabel);
  // The gain has nothing to do with frequency units, and the results still hold.
  QCOMPARE(Edit(p, "NumEdit6")->text(), QStringLiteral("6"));
  QCOMPARE(Find<QPushButton>(p, "BitBtn1")->isEnabled(), nextBefore);
  QCOMPARE(w.State().spec.wpb, wpb);

  // And back: the same frequencies in kHz, three decimals.
  Find<QAction>(w, "Hz1")->trigger();
  QCOMPARE(Find<QComboBox>(p, "CB1")->currentText(), QStringLiteral("kHz"));
  if (!typed[0].isEmpty()) {
    double back = Edit(p, "NumEdit3")->text().toDouble();
    double first = typed[0].toDouble() * (units[0] == QLatin1String("Hz") ? 0.001 : 1.0);
    QVERIFY2(std::abs(back - first) < 0.001, qPrintable(Edit(p, "NumEdit3")->text()));
  }
}

void CalculationResultsTest::closeDesignFromTheWindow() {
  TfmParEnt& p = Start(FilterKind::Bandstop);
  tavrin::ui::TfmMain& w = *f_->main;
  Click(p, "CalcBtn");
  f_->presenter->answers = {QMessageBox::No};
  Click(p, "BitBtn3");
  QCOMPARE(f_->presenter->Texts(), QStringList{QStringLiteral("Do you wish to save this design?")});
  QVERIFY(w.Pages()->currentWidget() != &p);
  QCOMPARE(int(w.State().designStep), 0);
  QVERIFY(!w.State().modified);
  QVERIFY(Find<QAction>(w, "open1")->isEnabled());
  QVERIFY(!Find<QAction>(w, "Savedesign1")->isEnabled());
  QVERIFY(!Find<QToolButton>(w, "BandstopBtn")->isChecked());
  QCOMPARE(Find<QTabWidget>(p, "TabCtrl1")->count(), 1);
}

void CalculationResultsTest::refusalAfterResults_data() {
  QTest::addColumn<QStringList>("entries");  // "field=text"
  QTest::addColumn<bool>("resultsStay");
  // A field that is no number stops before anything is touched: the results still hold.
  QTest::newRow("not a number") << QStringList{"NumEdit3=0"} << true;
  // A broken rule clears the approximations: nothing is left to show or to save.
  QTest::newRow("a broken rule") << QStringList{"NumEdit2=0.5"} << false;
  QTest::newRow("every order above 20") << QStringList{"NumEdit2=200", "NumEdit4=1.0001"} << false;
}

void CalculationResultsTest::refusalAfterResults() {
  QFETCH(QStringList, entries);
  QFETCH(bool, resultsStay);
  TfmParEnt& p = Start(FilterKind::Lowpass);
  tavrin::ui::TfmMain& w = *f_->main;
  Click(p, "CalcBtn");
  QVERIFY(p.ResultsShown());
  for (const QString& entry : entries) Type(Edit(p, entry.section('=', 0, 0)), entry.section('=', 1));
  Click(p, "CalcBtn");
  QCOMPARE(Find<QTabWidget>(p, "TabCtrl1")->count(), resultsStay ? 2 : 1);
  QCOMPARE(Find<QAction>(w, "Savedesign1")->isEnabled(), resultsStay);
  QVERIFY(!Find<QPushButton>(p, "BitBtn1")->isEnabled());
  for (const QString& entry : entries)
    QCOMPARE(Edit(p, entry.section('=', 0, 0))->text(), entry.section('=', 1));
}

QTEST_MAIN(CalculationResultsTest)
#include "calculation_results_test.moc"
