// The dB <--> V/V converter of the Tools menu: in-place conversion both ways, its two
// refusals, its key filter, and the four edge cases a user runs into first.
#include <QPushButton>
#include <QToolButton>

#include "UiTestSupport.h"
#include "ui/TfmDbConv.h"

using tavrin::approx::MessageKind;
using tavrin::ui::TfmDbConv;
using uitest::Click;
using uitest::Edit;
using uitest::Find;

class DbConverterTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void opensFromToolsMenu();
  void conversions_data();
  void conversions();
  void pressedButtonDoesNothing();
  void keyFilter_data();
  void keyFilter();
  void closeButtonCloses();

 private:
  TfmDbConv& Open();
  std::unique_ptr<uitest::Fixture> f_;
};

void DbConverterTest::init() {
  f_ = std::make_unique<uitest::Fixture>();
  f_->Make();
}

void DbConverterTest::cleanup() {
  f_.reset();
}

TfmDbConv& DbConverterTest::Open() {
  f_->main->show();
  Find<QAction>(*f_->main, "dBVV1")->trigger();
  auto* converter = f_->main->findChild<TfmDbConv*>();
  Q_ASSERT(converter);
  return *converter;
}

void DbConverterTest::opensFromToolsMenu() {
  QVERIFY(Find<QAction>(*f_->main, "dBVV1")->isEnabled());
  TfmDbConv& c = Open();
  QVERIFY(c.isVisible());
  QVERIFY(c.isModal());
  QLineEdit* field = Edit(c, "NumEdit1");
  QCOMPARE(field->text(), QStringLiteral("0.0000"));
  QCOMPARE(field->maxLength(), 20);
  QVERIFY(field->alignment() & Qt::AlignRight);
  QCOMPARE(field->selectedText(), QStringLiteral("0.0000"));
  QVERIFY(QTest::qWaitFor([&] { return QApplication::focusWidget() == field; }));
  auto* db = Find<QToolButton>(c, "SpeedButton1");
  auto* vv = Find<QToolButton>(c, "SpeedButton2");
  QCOMPARE(db->text(), QStringLiteral("dB"));
  QCOMPARE(vv->text(), QStringLiteral("V/V"));
  QVERIFY(db->isChecked() && !vv->isChecked());
  QCOMPARE(c.Units(), 1);
  // The design is not the converter's business.
  QCOMPARE(int(f_->main->State().designStep), 0);
  QVERIFY(!f_->main->State().modified);
}

void DbConverterTest::conversions_data() {
  QTest::addColumn<QStringList>("steps");  // "type:TEXT", "dB", "V/V"
  QTest::addColumn<QString>("text");
  QTest::addColumn<int>("units");
  QTest::addColumn<QStringList>("log");  // beeps and boxes, in order
  QTest::newRow("6 dB and back") << QStringList{"type:6", "V/V"} << " 1.995262E+0" << 2 << QStringList{};
  QTest::newRow("6 dB back gives 6") << QStringList{"type:6", "V/V", "dB"} << "6" << 1 << QStringList{};
  QTest::newRow("-800 dB refused") << QStringList{"type:-800", "V/V"} << "-800" << 1
                                   << QStringList{"beep", "box:dB limited here to +/- 700"};
  QTest::newRow("700 dB is the limit")
      << QStringList{"type:700", "V/V"} << " 1.000000E+35" << 2 << QStringList{};
  QTest::newRow("0 V/V") << QStringList{"V/V", "type:0", "dB"} << "-20000" << 1 << QStringList{};
  QTest::newRow("-2 V/V") << QStringList{"V/V", "type:-2", "dB"} << "6.0206" << 1
                          << QStringList{"box:Negative sign ignored"};
  QTest::newRow("exponent typed") << QStringList{"V/V", "type:1E3", "dB"} << "60" << 1 << QStringList{};
  QTest::newRow("an edited result is read as typed")
      << QStringList{"type:6", "V/V", "type:2", "dB"} << "6.0206" << 1 << QStringList{};
}

void DbConverterTest::conversions() {
  QFETCH(QStringList, steps);
  QFETCH(QString, text);
  QFETCH(int, units);
  QFETCH(QStringList, log);
  TfmDbConv& c = Open();
  QLineEdit* field = Edit(c, "NumEdit1");
  for (const QString& step : steps) {
    if (step.startsWith(QLatin1String("type:"))) {
      uitest::Type(field, step.mid(5));
    } else {
      Click(c, step == QLatin1String("dB") ? QStringLiteral("SpeedButton1") : QStringLiteral("SpeedButton2"));
    }
  }
  QCOMPARE(field->text(), text);
  QCOMPARE(c.Units(), units);
  QCOMPARE(Find<QToolButton>(c, "SpeedButton1")->isChecked(), units == 1);
  QCOMPARE(Find<QToolButton>(c, "SpeedButton2")->isChecked(), units == 2);
  QCOMPARE(f_->log, log);
  for (const uitest::Shown& s : f_->presenter->shown) {
    QCOMPARE(int(s.kind), int(MessageKind::Information));
    QCOMPARE(int(s.buttons), int(tavrin::approx::MessageButtons::Ok));
  }
  // A conversion leaves the caret after the new text, ready for the next one.
  if (log.isEmpty()) QCOMPARE(field->cursorPosition(), int(text.size()));
}

void DbConverterTest::pressedButtonDoesNothing() {
  TfmDbConv& c = Open();
  QLineEdit* field = Edit(c, "NumEdit1");
  uitest::Type(field, "12");
  Click(c, "SpeedButton1");
  QCOMPARE(field->text(), QStringLiteral("12"));
  QCOMPARE(c.Units(), 1);
  QVERIFY(Find<QToolButton>(c, "SpeedButton1")->isChecked());
  Click(c, "SpeedButton2");
  const QString vv = field->text();
  Click(c, "SpeedButton2");
  QCOMPARE(field->text(), vv);
  QCOMPARE(c.Units(), 2);
}

void DbConverterTest::keyFilter_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("text");
  QTest::newRow("signs, point and exponents") << "+1.5e-3E"
                                              << "+1.5e-3E";
  QTest::newRow("letters, blanks, commas") << "1a 2,x3"
                                           << "123";
}

void DbConverterTest::keyFilter() {
  QFETCH(QString, typed);
  QFETCH(QString, text);
  TfmDbConv& c = Open();
  QVERIFY(QTest::qWaitForWindowActive(&c));
  QLineEdit* field = Edit(c, "NumEdit1");
  field->clear();
  QTest::keyClicks(field, typed);
  QCOMPARE(field->text(), text);
  QVERIFY(f_->log.isEmpty());  // the converter refuses quietly

  // Enter and Ctrl+Tab are swallowed: the window stays, the text too.
  QTest::keyClick(field, Qt::Key_Return);
  QTest::keyClick(field, Qt::Key_Tab, Qt::ControlModifier);
  QVERIFY(c.isVisible());
  QCOMPARE(field->text(), text);
  QCOMPARE(QApplication::focusWidget(), field);
}

void DbConverterTest::closeButtonCloses() {
  QPointer<TfmDbConv> c = &Open();
  Click(*c, "CloseBtn");
  QVERIFY(QTest::qWaitFor([&] { return !c || !c->isVisible(); }));
}

QTEST_MAIN(DbConverterTest)
#include "db_converter_test.moc"
