// The entry window as the user meets it: what each kind of design opens with,
// the labels of each kind and display unit, the key filters of the number fields, the
// forced order, and every refusal of Calculate with its message, beep and focus.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "UiTestSupport.h"
#include "ui/ResultsGrid.h"
#include "ui/TfmParEnt.h"
#include "ui/TolerancePicture.h"

using tavrin::approx::MessageKind;
using tavrin::core::FilterKind;
using tavrin::ui::TfmParEnt;
using uitest::Click;
using uitest::Edit;
using uitest::Find;
using uitest::Items;
using uitest::Type;

class RequirementsWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void startEachKind_data();
  void startEachKind();
  void labelsByKindAndUnit_data();
  void labelsByKindAndUnit();
  void gainDefaultFollowsGraphSetting();
  void keyFilters_data();
  void keyFilters();
  void enterMovesToNextField();
  void forceOrderTogglesStopband();
  void refusals_data();
  void refusals();
  void gainUnitChangeResetsGain();

 private:
  TfmParEnt& Start(const QString& command);
  std::unique_ptr<uitest::Fixture> f_;
};

void RequirementsWindowTest::init() {
  f_ = std::make_unique<uitest::Fixture>();
}

void RequirementsWindowTest::cleanup() {
  f_.reset();
}

TfmParEnt& RequirementsWindowTest::Start(const QString& command) {
  tavrin::ui::TfmMain& w = f_->main ? *f_->main : f_->Make();
  if (command.endsWith(QLatin1String("Btn"))) {
    QTest::mouseClick(Find<QToolButton>(w, command), Qt::LeftButton);
  } else {
    Find<QAction>(w, command)->trigger();
  }
  return *w.RequirementsWindow();
}

void RequirementsWindowTest::startEachKind_data() {
  QTest::addColumn<QString>("command");
  QTest::addColumn<int>("kind");
  QTest::addColumn<QString>("title");
  QTest::addColumn<QString>("pass");
  QTest::addColumn<QString>("stop");
  QTest::addColumn<bool>("center");
  QTest::newRow("Lowpass menu") << "Lowpass1" << int(FilterKind::Lowpass) << "Lowpass filter"
                                << "1"
                                << "2" << false;
  QTest::newRow("Highpass menu") << "Highpass1" << int(FilterKind::Highpass) << "Highpass filter"
                                 << "2"
                                 << "1" << false;
  QTest::newRow("Bandpass menu") << "Bandpass1" << int(FilterKind::Bandpass) << "Bandpass filter"
                                 << "1"
                                 << "2" << true;
  QTest::newRow("Bandstop menu") << "Bandstop1" << int(FilterKind::Bandstop) << "Bandstop filter"
                                 << "2"
                                 << "1" << true;
  QTest::newRow("Highpass button") << "HighpassBtn" << int(FilterKind::Highpass) << "Highpass filter"
                                   << "2"
                                   << "1" << false;
  QTest::newRow("Bandstop button") << "BandstopBtn" << int(FilterKind::Bandstop) << "Bandstop filter"
                                   << "2"
                                   << "1" << true;
}

void RequirementsWindowTest::startEachKind() {
  QFETCH(QString, command);
  QFETCH(int, kind);
  QFETCH(QString, title);
  QFETCH(QString, pass);
  QFETCH(QString, stop);
  QFETCH(bool, center);
  TfmParEnt& p = Start(command);
  tavrin::ui::TfmMain& w = *f_->main;
  w.show();

  QCOMPARE(w.Pages()->currentWidget(), &p);
  QCOMPARE(int(w.State().spec.kind), kind);
  QCOMPARE(Find<QLabel>(p, "KindTitle")->text(), title);
  QCOMPARE(Find<QLabel>(p, "Caption")->text(),
           QStringLiteral("Enter frequency, attenuation and gain values."));
  QCOMPARE(int(Find<tavrin::ui::TolerancePicture>(p, "TemplatePicture")->Kind()), kind);

  QCOMPARE(Edit(p, "NumEdit1")->text(), QStringLiteral("0.5"));
  QCOMPARE(Edit(p, "NumEdit2")->text(), QStringLiteral("30"));
  QCOMPARE(Edit(p, "NumEdit3")->text(), pass);
  QCOMPARE(Edit(p, "NumEdit4")->text(), stop);
  QCOMPARE(Edit(p, "NumEdit5")->isVisible(), center);
  QCOMPARE(Find<QComboBox>(p, "CB3")->isVisible(), center);
  QCOMPARE(Find<QLabel>(p, "CenterLabel")->isVisible(), center);
  if (center) QCOMPARE(Edit(p, "NumEdit5")->text(), QStringLiteral("2"));
  for (const char* box : {"CB1", "CB2", "CB3"})
    QCOMPARE(Find<QComboBox>(p, box)->currentText(), QStringLiteral("kHz"));
  QCOMPARE(Items(Find<QComboBox>(p, "CB4")), (QStringList{"V/V", "dB"}));

  // The field lengths the entries are made for.
  const std::pair<const char*, int> lengths[] = {
      {"NumEdit1", 5}, {"NumEdit2", 5}, {"NumEdit3", 6}, {"NumEdit4", 6}, {"IntEdit1", 2}};
  for (const auto& [name, length] : lengths) QCOMPARE(Edit(p, name)->maxLength(), length);

  auto* force = Find<QCheckBox>(p, "CheckBox1");
  QCOMPARE(force->text(), QStringLiteral("Force Filter Order:"));
  QVERIFY(!force->isChecked());
  QVERIFY(Edit(p, "IntEdit1")->text().isEmpty());
  QVERIFY(!Edit(p, "IntEdit1")->isEnabled());
  QVERIFY(Edit(p, "NumEdit2")->isEnabled() && Edit(p, "NumEdit4")->isEnabled());
  QVERIFY(Find<QComboBox>(p, "CB2")->isEnabled());

  auto* tabs = Find<QTabWidget>(p, "TabCtrl1");
  QCOMPARE(tabs->count(), 1);
  QCOMPARE(tabs->tabText(0), QStringLiteral("Magnitude response"));
  QVERIFY(!Find<QPushButton>(p, "BitBtn1")->isEnabled());
  QVERIFY(Find<QPushButton>(p, "CalcBtn")->isEnabled());
  // While the design is open another cannot be opened, and nothing can be saved yet.
  QVERIFY(!Find<QAction>(w, "open1")->isEnabled());
  QVERIFY(!Find<QAction>(w, "Savedesign1")->isEnabled());
  QVERIFY(!Find<QToolButton>(w, "CopyBtn")->isEnabled());
}

void RequirementsWindowTest::labelsByKindAndUnit_data() {
  QTest::addColumn<QString>("command");
  QTest::addColumn<bool>("radians");
  QTest::addColumn<QStringList>("labels");
  QTest::addColumn<QStringList>("units");
  const QStringList hz{"Hz", "kHz"};
  const QStringList rad{"rad/s", "krad/s"};
  QTest::newRow("lowpass Hz") << "Lowpass1" << false
                              << QStringList{"Passband Frequency (fpb):", "Stopband Frequency (fsb):"} << hz;
  QTest::newRow("highpass rad/s") << "Highpass1" << true
                                  << QStringList{"Passband Frequency (wpb):", "Stopband Frequency (wsb):"}
                                  << rad;
  QTest::newRow("bandpass Hz") << "Bandpass1" << false
                               << QStringList{"Passband Bandwidth (Bpb):", "Stopband Bandwidth (Bsb):",
                                              "Center Frequency (f0):"}
                               << hz;
  QTest::newRow("bandstop rad/s") << "Bandstop1" << true
                                  << QStringList{"Passband Bandwidth (Bpb):", "Stopband Bandwidth (Bsb):",
                                                 "Center Frequency (w0):"}
                                  << rad;
}

void RequirementsWindowTest::labelsByKindAndUnit() {
  QFETCH(QString, command);
  QFETCH(bool, radians);
  QFETCH(QStringList, labels);
  QFETCH(QStringList, units);
  tavrin::ui::TfmMain& w = f_->Make();
  // The unit chosen before the design starts is the one its window opens in.
  Find<QAction>(w, radians ? "rads1" : "Hz1")->trigger();
  TfmParEnt& p = Start(command);
  const char* names[] = {"PassLabel", "StopLabel", "CenterLabel"};
  for (int i = 0; i < labels.size(); ++i) QCOMPARE(Find<QLabel>(p, names[i])->text(), labels[i]);
  for (const char* box : {"CB1", "CB2", "CB3"}) {
    QCOMPARE(Items(Find<QComboBox>(p, box)), units);
    QCOMPARE(Find<QComboBox>(p, box)->currentIndex(), 1);
  }
}

void RequirementsWindowTest::gainDefaultFollowsGraphSetting() {
  tavrin::ui::TfmMain& w = f_->Make();
  TfmParEnt& p = Start("Lowpass1");
  QCOMPARE(Edit(p, "NumEdit6")->text(), QStringLiteral("0"));
  QCOMPARE(Find<QComboBox>(p, "CB4")->currentText(), QStringLiteral("dB"));

  // With the graphs in V/V the gain is asked for in V/V.
  w.State().idealGraph.gainInDb = false;
  Start("Bandpass1");
  QCOMPARE(Edit(p, "NumEdit6")->text(), QStringLiteral("1.0"));
  QCOMPARE(Find<QComboBox>(p, "CB4")->currentText(), QStringLiteral("V/V"));
}

void RequirementsWindowTest::keyFilters_data() {
  QTest::addColumn<QString>("field");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("beeps");
  QTest::newRow("number takes digits and a point") << "NumEdit3"
                                                   << "12.5"
                                                   << "12.5" << 0;
  QTest::newRow("no sign, exponent, letter or blank") << "NumEdit3"
                                                      << "-1e2 x+"
                                                      << "12" << 5;
  QTest::newRow("attenuation stops at five characters") << "NumEdit1"
                                                        << "123456"
                                                        << "12345" << 0;
  QTest::newRow("order takes digits only") << "IntEdit1"
                                           << "1.2"
                                           << "12" << 1;
  QTest::newRow("order stops at two digits") << "IntEdit1"
                                             << "123"
                                             << "12" << 0;
}

void RequirementsWindowTest::keyFilters() {
  QFETCH(QString, field);
  QFETCH(QString, typed);
  QFETCH(QString, text);
  QFETCH(int, beeps);
  TfmParEnt& p = Start("Lowpass1");
  if (field == QLatin1String("IntEdit1")) Find<QCheckBox>(p, "CheckBox1")->setChecked(true);
  QLineEdit* edit = Edit(p, field);
  edit->setEnabled(true);
  edit->clear();
  f_->log.clear();
  QTest::keyClicks(edit, typed);
  QCOMPARE(edit->text(), text);
  QCOMPARE(f_->log.count(QStringLiteral("beep")), beeps);

  // Backspace is an editing key, not a refused character.
  QTest::keyClick(edit, Qt::Key_Backspace);
  QCOMPARE(edit->text(), text.chopped(1));
  QCOMPARE(f_->log.count(QStringLiteral("beep")), beeps);
}

void RequirementsWindowTest::enterMovesToNextField() {
  TfmParEnt& p = Start("Lowpass1");
  QVERIFY(f_->ShowActive());
  QLineEdit* apb = Edit(p, "NumEdit1");
  apb->setFocus();
  QTest::keyClick(apb, Qt::Key_Return);
  QCOMPARE(apb->text(), QStringLiteral("0.5"));
  QCOMPARE(QApplication::focusWidget(), Edit(p, "NumEdit2"));
  QTest::keyClick(Edit(p, "NumEdit2"), Qt::Key_Enter);
  QCOMPARE(QApplication::focusWidget(), Edit(p, "NumEdit3"));
  QVERIFY(f_->log.isEmpty());
}

void RequirementsWindowTest::forceOrderTogglesStopband() {
  TfmParEnt& p = Start("Lowpass1");
  QVERIFY(f_->ShowActive());
  Click(p, "CalcBtn");
  QVERIFY(Find<QPushButton>(p, "BitBtn1")->isEnabled());

  Click(p, "CheckBox1");
  QVERIFY(f_->main->State().spec.forceOrder);
  QVERIFY(!Find<QPushButton>(p, "BitBtn1")->isEnabled());
  for (const char* name : {"NumEdit2", "NumEdit4", "CB2", "AsbLabel", "AsbUnit", "StopLabel"})
    QVERIFY2(!Find(p, name)->isEnabled(), name);
  QVERIFY(Edit(p, "IntEdit1")->isEnabled());
  QCOMPARE(QApplication::focusWidget(), Edit(p, "IntEdit1"));

  // A forced order gives every approximation that order.
  QTest::keyClicks(Edit(p, "IntEdit1"), "5");
  Click(p, "CalcBtn");
  QVERIFY(f_->presenter->shown.isEmpty());
  auto* results = p.Results();
  for (int slot = 0; slot < 5; ++slot) QCOMPARE(results->CellText(0, slot), QStringLiteral("5"));

  Click(p, "CheckBox1");
  QVERIFY(!f_->main->State().spec.forceOrder);
  for (const char* name : {"NumEdit2", "NumEdit4", "CB2", "AsbLabel", "AsbUnit", "StopLabel"})
    QVERIFY2(Find(p, name)->isEnabled(), name);
  QVERIFY(!Edit(p, "IntEdit1")->isEnabled());
}

void RequirementsWindowTest::refusals_data() {
  QTest::addColumn<QString>("command");
  QTest::addColumn<QStringList>("entries");  // "field=text", typed in this order
  QTest::addColumn<QString>("order");        // forced order; null when not forced
  QTest::addColumn<QStringList>("messages");
  QTest::addColumn<int>("kind");
  QTest::addColumn<QString>("focus");
  QTest::addColumn<bool>("next");  // Next afterwards

  const int warning = int(MessageKind::Warning);
  const int error = int(MessageKind::Error);
  const QString invalid = QStringLiteral("Invalid Number.");
  const QString none;
  QTest::newRow("zero passband attenuation") << "Lowpass1" << QStringList{"NumEdit1=0"} << none
                                             << QStringList{invalid} << warning << "NumEdit1" << false;
  QTest::newRow("a lone point") << "Lowpass1" << QStringList{"NumEdit2=."} << none << QStringList{invalid}
                                << warning << "NumEdit2" << false;
  QTest::newRow("empty passband edge") << "Highpass1" << QStringList{"NumEdit3="} << none
                                       << QStringList{invalid} << warning << "NumEdit3" << false;
  QTest::newRow("two points") << "Lowpass1" << QStringList{"NumEdit4=1.2.3"} << none << QStringList{invalid}
                              << warning << "NumEdit4" << false;
  QTest::newRow("zero center") << "Bandpass1" << QStringList{"NumEdit5=0"} << none << QStringList{invalid}
                               << warning << "NumEdit5" << false;
  QTest::newRow("first bad field wins") << "Lowpass1" << QStringList{"NumEdit4=0", "NumEdit2=0"} << none
                                        << QStringList{invalid} << warning << "NumEdit2" << false;
  QTest::newRow("lowpass edges equal")
      << "Lowpass1" << QStringList{"NumEdit4=1"} << none
      << QStringList{"Stopband frequency must exceed passband frequency."} << warning << "" << false;
  QTest::newRow("highpass edges equal")
      << "Highpass1" << QStringList{"NumEdit4=2"} << none
      << QStringList{"Passband frequency must exceed stopband frequency."} << warning << "" << false;
  QTest::newRow("bandpass bands equal")
      << "Bandpass1" << QStringList{"NumEdit4=1"} << none
      << QStringList{"Stopband bandwidth must exceed passband bandwidth."} << warning << "" << false;
  QTest::newRow("bandstop bands equal")
      << "Bandstop1" << QStringList{"NumEdit4=2"} << none
      << QStringList{"Passband bandwidth must exceed stopband bandwidth."} << warning << "" << false;
  QTest::newRow("attenuations equal")
      << "Lowpass1" << QStringList{"NumEdit2=0.5"} << none
      << QStringList{"Stopband attenuation must exceed passband attenuation."} << warning << "" << false;
  QTest::newRow("every broken rule is told")
      << "Lowpass1" << QStringList{"NumEdit2=0.2", "NumEdit4=0.5"} << none
      << QStringList{"Stopband attenuation must exceed passband attenuation.",
                     "Stopband frequency must exceed passband frequency."}
      << warning << "" << false;
  QTest::newRow("above 100 MHz")
      << "Lowpass1" << QStringList{"NumEdit3=200000", "NumEdit4=300000"} << none
      << QStringList{"All edge and center frequencies are limited to a maximum of 100MHz (628Mrad/s)."}
      << warning << "" << false;
  QTest::newRow("center above 100 MHz")
      << "Bandstop1" << QStringList{"NumEdit5=200000"} << none
      << QStringList{"All edge and center frequencies are limited to a maximum of 100MHz (628Mrad/s)."}
      << warning << "" << false;
  QTest::newRow("forced order missing")
      << "Lowpass1" << QStringList{} << "" << QStringList{"An integer number must be entered."} << warning
      << "IntEdit1" << false;
  QTest::newRow("forced order 21") << "Lowpass1" << QStringList{} << "21"
                                   << QStringList{"Maximum order is 20."} << warning << "IntEdit1" << false;
  QTest::newRow("odd bandpass order")
      << "Bandpass1" << QStringList{} << "7" << QStringList{"Order must be an even number."} << warning
      << "IntEdit1" << false;
  QTest::newRow("odd bandstop order")
      << "Bandstop1" << QStringList{} << "5" << QStringList{"Order must be an even number."} << warning
      << "IntEdit1" << false;
  // The gain is checked after the results are drawn: they stand and Next stays enabled.
  QTest::newRow("61 dB") << "Lowpass1" << QStringList{"NumEdit6=61"} << none
                         << QStringList{"Maximum allowable overall gain is 60dB (1000V/V)."} << error
                         << "NumEdit6" << true;
  QTest::newRow("0.05 V/V") << "Lowpass1" << QStringList{"CB4=V/V", "NumEdit6=0.05"} << none
                            << QStringList{"Minimum allowable overall gain is 0.1V/V."} << error << "NumEdit6"
                            << true;
  QTest::newRow("1001 V/V") << "Highpass1" << QStringList{"CB4=V/V", "NumEdit6=1001"} << none
                            << QStringList{"Maximum allowable overall gain is 60dB (1000V/V)."} << error
                            << "NumEdit6" << true;
}

void RequirementsWindowTest::refusals() {
  QFETCH(QString, command);
  QFETCH(QStringList, entries);
  QFETCH(QString, order);
  QFETCH(QStringList, messages);
  QFETCH(int, kind);
  QFETCH(QString, focus);
  QFETCH(bool, next);

  TfmParEnt& p = Start(command);
  QVERIFY(f_->ShowActive());
  for (const QString& entry : entries) {
    const QString name = entry.section(QLatin1Char('='), 0, 0);
    const QString text = entry.section(QLatin1Char('='), 1);
    if (auto* box = p.findChild<QComboBox*>(name)) {
      uitest::Choose(box, text);
    } else {
      Type(Edit(p, name), text);
    }
  }
  if (!order.isNull()) {
    Click(p, "CheckBox1");
    Type(Edit(p, "IntEdit1"), order);
  }
  QStringList typed;
  for (const char* name :
       {"NumEdit1", "NumEdit2", "NumEdit3", "NumEdit4", "NumEdit5", "NumEdit6", "IntEdit1"})
    typed << Edit(p, name)->text();
  f_->log.clear();
  Click(p, "CalcBtn");

  // Entry refusals beep before their box; the gain errors are errors, without a beep.
  QStringList expected;
  for (const QString& m : messages) {
    if (kind == int(MessageKind::Warning)) expected << QStringLiteral("beep");
    expected << QStringLiteral("box:") + m;
  }
  QCOMPARE(f_->log, expected);
  for (const uitest::Shown& s : f_->presenter->shown) {
    QCOMPARE(int(s.kind), kind);
    QCOMPARE(int(s.buttons), int(tavrin::approx::MessageButtons::Ok));
  }
  if (!focus.isEmpty()) QCOMPARE(QApplication::focusWidget(), Edit(p, focus));
  // The entries stay as typed.
  QStringList after;
  for (const char* name :
       {"NumEdit1", "NumEdit2", "NumEdit3", "NumEdit4", "NumEdit5", "NumEdit6", "IntEdit1"})
    after << Edit(p, name)->text();
  QCOMPARE(after, typed);
  QCOMPARE(Find<QPushButton>(p, "BitBtn1")->isEnabled(), next);
  QCOMPARE(p.ResultsShown(), next);
  // Nothing can be saved from a refused Calculate.
  QVERIFY(!Find<QAction>(*f_->main, "Savedesign1")->isEnabled());
}

void RequirementsWindowTest::gainUnitChangeResetsGain() {
  TfmParEnt& p = Start("Lowpass1");
  Click(p, "CalcBtn");
  QVERIFY(Find<QPushButton>(p, "BitBtn1")->isEnabled());
  auto* unit = Find<QComboBox>(p, "CB4");
  uitest::Choose(unit, "V/V");
  QCOMPARE(Edit(p, "NumEdit6")->text(), QStringLiteral("1"));
  QVERIFY(!Find<QPushButton>(p, "BitBtn1")->isEnabled());
  uitest::Choose(unit, "dB");
  QCOMPARE(Edit(p, "NumEdit6")->text(), QStringLiteral("0"));
}

QTEST_MAIN(RequirementsWindowTest)
#include "entry_window_test.moc"
