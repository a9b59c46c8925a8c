// The main window as the user meets it: menus, toolbar, status strip, the commands the
// design step allows, the settings it reads at start and writes at close, the save prompt.
#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <filesystem>
#include <memory>

#include "core/IniFile.h"
#include "core/Paths.h"
#include "ui/AboutBox.h"
#include "ui/Icons.h"
#include "ui/ScreenScale.h"
#include "ui/TfmMain.h"

using tavrin::core::FilterKind;
using tavrin::core::FrequencyUnit;
using tavrin::ui::AboutBox;
using tavrin::ui::TfmMain;

namespace {

// Answers the save prompt as a user would, without a modal box, and records what was asked.
class ScriptedMain : public TfmMain {
 public:
  QMessageBox::StandardButton answer = QMessageBox::Cancel;
  bool saveSucceeds = false;
  QStringList questions;
  int saves = 0;

 protected:
  QMessageBox::StandardButton AskSaveQuestion(const QString& text) override {
    questions << text;
    return answer;
  }
  bool SaveDesign(bool /*askName*/) override {
    ++saves;
    return saveSucceeds;
  }
};

template <typename T>
T* Find(const QObject& root, const QString& name) {
  T* found = root.findChild<T*>(name);
  if (!found) qWarning("nothing named %s", qPrintable(name));
  return found;
}

QImage Picture(const QIcon& icon) {
  return icon.pixmap(QSize(24, 24)).toImage();
}

// The text of a menu's items from a given item on; separators read "-".
QStringList ItemsFrom(const QMenu& menu, const QAction* first) {
  QStringList texts;
  bool started = false;
  for (const QAction* action : menu.actions()) {
    started = started || action == first;
    if (started) texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
  }
  return texts;
}

const QStringList kCommandsNeedingDesign = {"Savedesign1",      "Savedesignas1", "CloseDesign1",
                                            "Copytoclipboard1", "CopyBtn",       "SaveAsBtn"};
const QStringList kOutputCommands = {"Print1", "PrintBtn", "SavetoAsciiFile1", "AsciiBtn"};
const QStringList kTransferCommands = {"Showtransferfunction1", "TransferBtn"};
const QStringList kSpiceCommands = {"CreateSPICEnetlist1", "SpiceBtn"};
const QStringList kOpenCommands = {"open1", "OpenBtn"};
const QStringList kStartCommands = {"Lowpass1",     "Highpass1",     "Bandpass1",   "Bandstop1",
                                    "userdefined1", "LowpassBtn",    "HighpassBtn", "BandpassBtn",
                                    "BandstopBtn",  "UserDefinedBtn"};
const QStringList kKindButtons = {"LowpassBtn", "HighpassBtn", "BandpassBtn", "BandstopBtn",
                                  "UserDefinedBtn"};

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void startsAsUntitledWithTitleInStatusStrip();
  void commandsAtStepZero();
  void commandsFollowDesignStep_data();
  void commandsFollowDesignStep();
  void menuCaptions_data();
  void menuCaptions();
  void menuBarOrder();
  void toolbarHintsInOrder();
  void settingsReadAtStart_data();
  void settingsReadAtStart();
  void stagesTakeOpAmpCharacteristics();
  void recentFilesBeforeExit_data();
  void recentFilesBeforeExit();
  void unitButtonTogglesUnit();
  void optionItemsChangeState();
  void settingsWrittenAtClose();
  void savePromptAtClose_data();
  void savePromptAtClose();
  void startDesignPressesKind_data();
  void startDesignPressesKind();
  void cancelledPromptKeepsDesign();
  void missingSettingsFolderEndsStartup();
  void aboutBoxAndSplash();
  void screenScale_data();
  void screenScale();
  void windowFitsScreen();
  void screenshotIsWritten();

 private:
  std::filesystem::path SettingsFile() const;
  void WriteSettingsFile(const QByteArray& text) const;
  // Finds an action of the menus or the button of a toolbar command by its name.
  bool IsEnabled(const TfmMain& w, const QString& name) const;

  std::unique_ptr<QTemporaryDir> home_;
};

void MainWindowTest::init() {
  home_ = std::make_unique<QTemporaryDir>();
  QVERIFY(home_->isValid());
  qputenv("TAVRIN_HOME", home_->path().toLocal8Bit());
}

void MainWindowTest::cleanup() {
  home_.reset();
}

std::filesystem::path MainWindowTest::SettingsFile() const {
  const auto paths = tavrin::core::ResolvePaths();
  return paths ? tavrin::core::SettingsFilePath(*paths) : std::filesystem::path();
}

void MainWindowTest::WriteSettingsFile(const QByteArray& text) const {
  QFile file(QString::fromStdString(SettingsFile().string()));
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(text);
}

bool MainWindowTest::IsEnabled(const TfmMain& w, const QString& name) const {
  if (name.endsWith(QLatin1String("Btn"))) {
    const auto* button = Find<QToolButton>(w, name);
    return button && button->isEnabled();
  }
  const auto* action = Find<QAction>(w, name);
  return action && action->isEnabled();
}

void MainWindowTest::startsAsUntitledWithTitleInStatusStrip() {
  TfmMain w;
  QVERIFY(!w.StartupFailed());
  QCOMPARE(w.windowTitle(), QStringLiteral("[Untitled]"));
  const auto* title = Find<QLabel>(w, "StatusTitle");
  QVERIFY(title);
  QCOMPARE(title->text(), QStringLiteral("Tavrin V3.0"));
  QCOMPARE(title->parentWidget(), w.statusBar());
  QVERIFY(qobject_cast<QStackedWidget*>(w.centralWidget()));
  QCOMPARE(int(w.State().designStep), 0);
}

void MainWindowTest::commandsAtStepZero() {
  TfmMain w;
  for (const QStringList& group :
       {kCommandsNeedingDesign, kOutputCommands, kTransferCommands, kSpiceCommands}) {
    for (const QString& name : group) QVERIFY2(!IsEnabled(w, name), qPrintable(name));
  }
  for (const QStringList& group : {kOpenCommands, kStartCommands}) {
    for (const QString& name : group) QVERIFY2(IsEnabled(w, name), qPrintable(name));
  }
  for (const QString& name : kKindButtons)
    QVERIFY2(!Find<QToolButton>(w, name)->isChecked(), qPrintable(name));
}

void MainWindowTest::commandsFollowDesignStep_data() {
  QTest::addColumn<int>("step");
  QTest::addColumn<bool>("available");
  QTest::addColumn<bool>("circuitWindow");
  QTest::addColumn<bool>("design");
  QTest::addColumn<bool>("output");
  QTest::addColumn<bool>("transfer");
  QTest::addColumn<bool>("spice");
  QTest::newRow("after Calculate") << 0 << true << false << true << false << false << false;
  QTest::newRow("graphs shown") << 2 << true << false << true << false << false << false;
  QTest::newRow("approximation chosen") << 3 << true << false << true << true << false << false;
  QTest::newRow("paired") << 4 << true << false << true << true << false << false;
  QTest::newRow("cascaded") << 5 << true << false << true << true << true << false;
  QTest::newRow("circuit calculation shown") << 7 << true << true << true << true << true << true;
  QTest::newRow("circuit calculation hidden") << 8 << true << false << true << true << true << false;
}

void MainWindowTest::commandsFollowDesignStep() {
  QFETCH(int, step);
  QFETCH(bool, available);
  QFETCH(bool, circuitWindow);
  QFETCH(bool, design);
  QFETCH(bool, output);
  QFETCH(bool, transfer);
  QFETCH(bool, spice);
  TfmMain w;
  w.State().designStep = static_cast<std::int16_t>(step);
  w.SetCircuitCalculationShown(circuitWindow);
  w.SetDesignAvailable(available);

  const std::pair<bool, const QStringList*> groups[] = {{design, &kCommandsNeedingDesign},
                                                        {output, &kOutputCommands},
                                                        {transfer, &kTransferCommands},
                                                        {spice, &kSpiceCommands}};
  for (const auto& [expected, names] : groups) {
    for (const QString& name : *names) QVERIFY2(IsEnabled(w, name) == expected, qPrintable(name));
  }

  // Starting afresh takes every command back to where a new program starts.
  w.ResetDesign();
  for (const QStringList& group :
       {kCommandsNeedingDesign, kOutputCommands, kTransferCommands, kSpiceCommands}) {
    for (const QString& name : group) QVERIFY2(!IsEnabled(w, name), qPrintable(name));
  }
  for (const QString& name : kOpenCommands) QVERIFY2(IsEnabled(w, name), qPrintable(name));
}

void MainWindowTest::menuCaptions_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("caption");
  const char* rows[][2] = {
      {"File1", "&File"},
      {"open1", "&Open Design..."},
      {"Savedesign1", "&Save Design"},
      {"Savedesignas1", "Save &Design As..."},
      {"CloseDesign1", "&Close Design"},
      {"Copytoclipboard1", "Copy &to Clipboard"},
      {"SavetoAsciiFile1", "Save data to &Ascii File"},
      {"CreateSPICEnetlist1", "Save SPICE &Netlist"},
      {"Print1", "&Print"},
      {"Exit1", "E&xit"},
      {"StartDesign1", "&Start Design"},
      {"Lowpass1", "&Lowpass"},
      {"Highpass1", "&Highpass"},
      {"Bandpass1", "&Bandpass"},
      {"Bandstop1", "Band&stop"},
      {"userdefined1", "&User defined"},
      {"Options1", "&Options"},
      {"Polezeropairing1", "&Pole-zero pairing"},
      {"Automatic1", "&Automatic"},
      {"Userinteractive1", "&User-interactive"},
      {"Stagecascading1", "&Stage cascading"},
      {"Automatic2", "&Automatic"},
      {"Userinteractive2", "&User-interactive"},
      {"Stagecascadingcriteria1", "Stage &cascading criteria"},
      {"Frequencyunits1", "&Frequency units"},
      {"Hz1", "Hz"},
      {"rads1", "rad/s"},
      {"Componentcharacteristics1", "C&omponent characteristics"},
      {"Allcapacitorsstandardvalues1", "&All capacitors standard values"},
      {"Showtransferfunction1", "Show &transfer function"},
      {"Inventory1", "&Inventory"},
      {"Capacitor1", "&Capacitor"},
      {"Enable1", "&Enable"},
      {"Edit1", "E&dit"},
      {"Resistor1", "&Resistor"},
      {"Enable2", "&Enable"},
      {"Edit2", "E&dit"},
      {"N1percent1", "&1 percent"},
      {"N5percent1", "&5 percent"},
      {"N10percent1", "1&0 percent"},
      {"Tools1", "&Tools"},
      {"dBVV1", "&dB<-->V/V"},
      {"Resistorvalues1", "&Resistor values "},
      {"Help1", "&Help"},
      {"Contents1", "&Contents"},
      {"TopicSearch1", "&Topic Search"},
      {"HowtoUseHelp1", "&How to Use Help"},
      {"AboutTavrin1", "&About Tavrin"},
  };
  for (const auto& row : rows)
    QTest::newRow(row[0]) << QString::fromUtf8(row[0]) << QString::fromUtf8(row[1]);
}

void MainWindowTest::menuCaptions() {
  QFETCH(QString, name);
  QFETCH(QString, caption);
  TfmMain w;
  if (const auto* menu = w.findChild<QMenu*>(name)) {
    QCOMPARE(menu->title(), caption);
    return;
  }
  const auto* action = Find<QAction>(w, name);
  QVERIFY(action);
  QCOMPARE(action->text(), caption);
}

void MainWindowTest::menuBarOrder() {
  TfmMain w;
  QStringList titles;
  for (const QAction* action : w.menuBar()->actions()) titles << action->text();
  QCOMPARE(titles, (QStringList{"&File", "&Start Design", "&Options", "&Inventory", "&Tools", "&Help"}));

  // Items sit in the submenu they belong to, and the radio pairs exclude each other.
  const std::pair<const char*, QStringList> membership[] = {
      {"Polezeropairing1", {"Automatic1", "Userinteractive1"}},
      {"Stagecascading1", {"Automatic2", "Userinteractive2"}},
      {"Frequencyunits1", {"Hz1", "rads1"}},
      {"Capacitor1", {"Enable1", "Edit1"}},
      {"Edit2", {"N1percent1", "N5percent1", "N10percent1"}},
  };
  for (const auto& [menuName, items] : membership) {
    const auto* menu = Find<QMenu>(w, menuName);
    QVERIFY(menu);
    for (const QString& item : items) {
      QVERIFY2(menu->actions().contains(Find<QAction>(w, item)), qPrintable(item));
    }
  }
  for (const char* name : {"Automatic1", "Automatic2", "Hz1"}) {
    const auto* action = Find<QAction>(w, name);
    QVERIFY2(action->actionGroup() && action->actionGroup()->isExclusive(), name);
  }
  for (const char* name : {"Enable1", "Enable2", "Allcapacitorsstandardvalues1"}) {
    QVERIFY2(Find<QAction>(w, name)->isCheckable(), name);
  }
}

void MainWindowTest::toolbarHintsInOrder() {
  const std::pair<const char*, const char*> buttons[] = {
      {"CopyBtn", "Copy to Clipboard"},
      {"SaveAsBtn", "Save Design as.."},
      {"PrintBtn", "Print"},
      {"OpenBtn", "Open Design"},
      {"SpiceBtn", "Save SPICE Netlist"},
      {"LowpassBtn", "Lowpass Filter"},
      {"HighpassBtn", "Highpass Filter"},
      {"BandpassBtn", "Bandpass Filter"},
      {"BandstopBtn", "Bandstop Filter"},
      {"UserDefinedBtn", "User-Defined Filter"},
      {"UnitBtn", "Toggle Hz..Rad/s"},
      {"AsciiBtn", "Filter Data to ASCII File"},
      {"TransferBtn", "Show Transfer Function"},
  };
  TfmMain w;
  const auto* toolbar = w.findChild<QToolBar*>();
  QVERIFY(toolbar);
  QStringList order;
  for (QAction* action : toolbar->actions()) {
    if (!action->isSeparator()) order << toolbar->widgetForAction(action)->objectName();
  }
  QStringList expectedOrder;
  for (const auto& [name, hint] : buttons) {
    expectedOrder << QString::fromLatin1(name);
    const auto* button = Find<QToolButton>(w, name);
    QVERIFY(button);
    QCOMPARE(button->toolTip(), QString::fromLatin1(hint));
    QCOMPARE(button->statusTip(), QString::fromLatin1(hint));
    QVERIFY2(!button->icon().isNull(), name);
  }
  QCOMPARE(order, expectedOrder);
  for (const QString& name : kKindButtons)
    QVERIFY2(Find<QToolButton>(w, name)->isCheckable(), qPrintable(name));
}

void MainWindowTest::settingsReadAtStart_data() {
  QTest::addColumn<QByteArray>("file");
  QTest::addColumn<QString>("checked");
  QTest::addColumn<QString>("unchecked");
  QTest::newRow("rad/s") << QByteArray("[Settings]\nFrequency units=rad/s\n") << "rads1"
                         << "Hz1";
  QTest::newRow("hertz") << QByteArray("[Settings]\nFrequency units=hertz\n") << "Hz1"
                         << "rads1";
  QTest::newRow("manual pairing") << QByteArray("[Settings]\nPole-Zero pairing=Manual\n")
                                  << "Userinteractive1"
                                  << "Automatic1";
  QTest::newRow("automatic pairing") << QByteArray("[Settings]\nPole-Zero pairing=Automatic\n")
                                     << "Automatic1"
                                     << "Userinteractive1";
  QTest::newRow("manual cascading") << QByteArray("[Settings]\nStage cascading=Manual\n")
                                    << "Userinteractive2"
                                    << "Automatic2";
  QTest::newRow("capacitor inventory")
      << QByteArray("[Component inventory]\nUsecap=TRUE\nUseres=FALSE\n") << "Enable1"
      << "Enable2";
  QTest::newRow("resistor inventory")
      << QByteArray("[Component inventory]\nUsecap=FALSE\nUseres=TRUE\n") << "Enable2"
      << "Enable1";
  QTest::newRow("all capacitors standard")
      << QByteArray("[Component Characteristics]\nAllCapsStnd=TRUE\n") << "Allcapacitorsstandardvalues1"
      << "";
  QTest::newRow("not all capacitors standard")
      << QByteArray("[Component Characteristics]\nAllCapsStnd=FALSE\n") << ""
      << "Allcapacitorsstandardvalues1";
}

void MainWindowTest::settingsReadAtStart() {
  QFETCH(QByteArray, file);
  QFETCH(QString, checked);
  QFETCH(QString, unchecked);
  WriteSettingsFile(file);
  TfmMain w;
  if (!checked.isEmpty()) QVERIFY(Find<QAction>(w, checked)->isChecked());
  if (!unchecked.isEmpty()) QVERIFY(!Find<QAction>(w, unchecked)->isChecked());

  // The unit button shows the picture of the unit in force.
  const bool radians = w.State().frequencyUnit == FrequencyUnit::RadPerSec;
  QCOMPARE(radians, Find<QAction>(w, "rads1")->isChecked());
  const auto unitPicture = radians ? tavrin::ui::IconId::UnitRadPerSec : tavrin::ui::IconId::UnitHz;
  QCOMPARE(Picture(Find<QToolButton>(w, "UnitBtn")->icon()), Picture(tavrin::ui::MakeIcon(unitPicture)));
}

void MainWindowTest::stagesTakeOpAmpCharacteristics() {
  WriteSettingsFile("[Component Characteristics]\nOpTolerance=40\nOpTempCoeff=3E-3\nNoise=15\n");
  TfmMain w;
  for (int s = 1; s <= tavrin::core::kMaxStages; ++s) {
    const auto& circuit = w.State().circuits[s];
    QCOMPARE(circuit.OpAmpGbw, 1e6);
    QCOMPARE(circuit.OpAmpTolerance, 40.0);
    QCOMPARE(circuit.OpAmpTempCoeff, 3e-3);
    QCOMPARE(circuit.Noise, 15.0);
  }
}

void MainWindowTest::recentFilesBeforeExit_data() {
  QTest::addColumn<QStringList>("files");
  QTest::addColumn<QStringList>("captions");
  QTest::newRow("none") << QStringList{} << QStringList{};
  QTest::newRow("two") << QStringList{"first.zd3", "second.zd3"}
                       << QStringList{"&1 %1/first.zd3", "&2 %1/second.zd3"};
  QTest::newRow("ampersand in a name") << QStringList{"R&C.zd3"} << QStringList{"&1 %1/R&&C.zd3"};
}

void MainWindowTest::recentFilesBeforeExit() {
  QFETCH(QStringList, files);
  QFETCH(QStringList, captions);
  QByteArray text("[Recent file list]\n");
  for (int i = 0; i < files.size(); ++i) {
    text += QStringLiteral("File%1=%2/%3\n").arg(i + 1).arg(home_->path(), files[i]).toUtf8();
  }
  WriteSettingsFile(text);
  TfmMain w;

  QStringList expected{QStringLiteral("&Print"), QStringLiteral("-")};
  for (const QString& caption : captions) expected << caption.arg(home_->path());
  if (!captions.isEmpty()) expected << QStringLiteral("-");
  expected << QStringLiteral("E&xit");
  const auto* fileMenu = Find<QMenu>(w, "File1");
  QCOMPARE(ItemsFrom(*fileMenu, Find<QAction>(w, "Print1")), expected);

  // Rebuilding keeps one set of entries, not a second copy.
  w.RebuildRecentFileMenu();
  QCOMPARE(ItemsFrom(*fileMenu, Find<QAction>(w, "Print1")), expected);
}

void MainWindowTest::unitButtonTogglesUnit() {
  WriteSettingsFile("[Settings]\nFrequency units=hertz\n");
  TfmMain w;
  QSignalSpy changed(&w, &TfmMain::frequencyUnitChanged);
  auto* button = Find<QToolButton>(w, "UnitBtn");
  auto* hz = Find<QAction>(w, "Hz1");
  auto* rads = Find<QAction>(w, "rads1");

  QTest::mouseClick(button, Qt::LeftButton);
  QVERIFY(w.State().frequencyUnit == FrequencyUnit::RadPerSec);
  QVERIFY(rads->isChecked() && !hz->isChecked());
  QCOMPARE(Picture(button->icon()), Picture(tavrin::ui::MakeIcon(tavrin::ui::IconId::UnitRadPerSec)));
  QCOMPARE(changed.takeFirst().at(0).toBool(), true);  // the button refreshes always

  QTest::mouseClick(button, Qt::LeftButton);
  QVERIFY(w.State().frequencyUnit == FrequencyUnit::Hz);
  QVERIFY(hz->isChecked() && !rads->isChecked());
  QCOMPARE(Picture(button->icon()), Picture(tavrin::ui::MakeIcon(tavrin::ui::IconId::UnitHz)));
  changed.clear();

  // The menu refreshes the design windows only once a design step was reached.
  rads->trigger();
  QVERIFY(w.State().frequencyUnit == FrequencyUnit::RadPerSec);
  QCOMPARE(changed.takeFirst().at(0).toBool(), false);
  w.State().designStep = 2;
  hz->trigger();
  QVERIFY(w.State().frequencyUnit == FrequencyUnit::Hz);
  QCOMPARE(changed.takeFirst().at(0).toBool(), true);
}

void MainWindowTest::optionItemsChangeState() {
  WriteSettingsFile("[Settings]\nPole-Zero pairing=Automatic\nStage cascading=Automatic\n");
  TfmMain w;
  auto& s = w.State();
  const std::pair<const char*, bool tavrin::core::DesignState::*> checks[] = {
      {"Enable1", &tavrin::core::DesignState::useCapInventory},
      {"Enable2", &tavrin::core::DesignState::useResInventory},
      {"Allcapacitorsstandardvalues1", &tavrin::core::DesignState::allCapsStandard},
  };
  for (const auto& [name, flag] : checks) {
    const bool before = s.*flag;
    Find<QAction>(w, name)->trigger();
    QVERIFY2(s.*flag == !before, name);
    Find<QAction>(w, name)->trigger();
    QVERIFY2(s.*flag == before, name);
  }

  const std::tuple<const char*, bool tavrin::core::DesignState::*, bool> radios[] = {
      {"Userinteractive1", &tavrin::core::DesignState::pairingAutomatic, false},
      {"Automatic1", &tavrin::core::DesignState::pairingAutomatic, true},
      {"Userinteractive2", &tavrin::core::DesignState::cascadingAutomatic, false},
      {"Automatic2", &tavrin::core::DesignState::cascadingAutomatic, true},
  };
  for (const auto& [name, flag, value] : radios) {
    Find<QAction>(w, name)->trigger();
    QVERIFY2(s.*flag == value, name);
  }

  // A capacitor taken at its exact value becomes standard again with the option.
  s.circuits[3].ExactTaken = true;
  s.circuits[11].ExactTaken = true;
  Find<QAction>(w, "Allcapacitorsstandardvalues1")->trigger();
  QVERIFY(!s.circuits[3].ExactTaken && !s.circuits[11].ExactTaken);
}

void MainWindowTest::settingsWrittenAtClose() {
  WriteSettingsFile("[Settings]\nFrequency units=hertz\nPole-Zero pairing=Automatic\n");
  {
    TfmMain w;
    w.show();
    w.move(123, 45);
    Find<QAction>(w, "rads1")->trigger();
    Find<QAction>(w, "Userinteractive1")->trigger();
    Find<QAction>(w, "Enable2")->trigger();
    QVERIFY(w.close());
    QCOMPARE(QStringLiteral("%1,%2").arg(w.pos().x()).arg(w.pos().y()), QStringLiteral("123,45"));
  }
  tavrin::core::IniFile ini;
  QVERIFY(ini.Load(SettingsFile()));
  QCOMPARE(ini.Read("Settings", "Frequency units", ""), std::string("rad/s"));
  QCOMPARE(ini.Read("Settings", "Pole-Zero pairing", ""), std::string("Manual"));
  QCOMPARE(ini.Read("Component inventory", "Useres", ""), std::string("TRUE"));
  QCOMPARE(ini.Read("General", "Mainposn", ""), std::string("123,45"));

  // And the next start reads them back.
  TfmMain again;
  QVERIFY(Find<QAction>(again, "rads1")->isChecked());
  QVERIFY(Find<QAction>(again, "Userinteractive1")->isChecked());
  QVERIFY(Find<QAction>(again, "Enable2")->isChecked());
}

void MainWindowTest::savePromptAtClose_data() {
  QTest::addColumn<bool>("modified");
  QTest::addColumn<int>("step");
  QTest::addColumn<QString>("fileName");
  QTest::addColumn<int>("answer");
  QTest::addColumn<bool>("saveSucceeds");
  QTest::addColumn<QString>("question");
  QTest::addColumn<int>("saves");
  QTest::addColumn<bool>("closes");
  const int yes = QMessageBox::Yes;
  const int no = QMessageBox::No;
  const int cancel = QMessageBox::Cancel;
  const QString fresh = QStringLiteral("Do you wish to save this design?");
  const QString changes = QStringLiteral("Do you wish to save the changes?");
  QTest::newRow("unmodified") << false << 5 << "" << cancel << false << "" << 0 << true;
  QTest::newRow("no design step") << true << 0 << "" << cancel << false << "" << 0 << true;
  QTest::newRow("new design, Cancel") << true << 2 << "" << cancel << false << fresh << 0 << false;
  QTest::newRow("named design, No") << true << 3 << "lp.zd3" << no << false << changes << 0 << true;
  QTest::newRow("Yes and saved") << true << 2 << "" << yes << true << fresh << 1 << true;
  QTest::newRow("Yes but not saved") << true << 6 << "lp.zd3" << yes << false << changes << 1 << false;
}

void MainWindowTest::savePromptAtClose() {
  QFETCH(bool, modified);
  QFETCH(int, step);
  QFETCH(QString, fileName);
  QFETCH(int, answer);
  QFETCH(bool, saveSucceeds);
  QFETCH(QString, question);
  QFETCH(int, saves);
  QFETCH(bool, closes);

  ScriptedMain w;
  w.show();
  w.answer = static_cast<QMessageBox::StandardButton>(answer);
  w.saveSucceeds = saveSucceeds;
  w.State().modified = modified;
  w.State().designStep = static_cast<std::int16_t>(step);
  w.State().fileName = fileName.toStdString();
  std::filesystem::remove(SettingsFile());

  QCOMPARE(w.close(), closes);
  QCOMPARE(w.questions, question.isEmpty() ? QStringList{} : QStringList{question});
  QCOMPARE(w.saves, saves);
  QCOMPARE(w.isVisible(), !closes);
  // The settings are written only when the program really ends.
  QCOMPARE(std::filesystem::exists(SettingsFile()), closes);
}

void MainWindowTest::startDesignPressesKind_data() {
  QTest::addColumn<QString>("command");
  QTest::addColumn<QString>("button");
  QTest::addColumn<int>("kind");
  QTest::addColumn<int>("lastSlot");
  QTest::newRow("Lowpass menu") << "Lowpass1"
                                << "LowpassBtn" << int(FilterKind::Lowpass) << 4;
  QTest::newRow("Bandstop button") << "BandstopBtn"
                                   << "BandstopBtn" << int(FilterKind::Bandstop) << 4;
  QTest::newRow("User defined menu") << "userdefined1"
                                     << "UserDefinedBtn" << int(FilterKind::UserDefined) << 0;
  QTest::newRow("User defined button") << "UserDefinedBtn"
                                       << "UserDefinedBtn" << int(FilterKind::UserDefined) << 0;
}

void MainWindowTest::startDesignPressesKind() {
  QFETCH(QString, command);
  QFETCH(QString, button);
  QFETCH(int, kind);
  QFETCH(int, lastSlot);
  TfmMain w;
  QSignalSpy started(&w, &TfmMain::designStarted);
  if (command.endsWith(QLatin1String("Btn"))) {
    QTest::mouseClick(Find<QToolButton>(w, command), Qt::LeftButton);
  } else {
    Find<QAction>(w, command)->trigger();
  }

  QCOMPARE(started.size(), 1);
  QCOMPARE(int(started.at(0).at(0).value<FilterKind>()), kind);
  for (const QString& name : kKindButtons) {
    QVERIFY2(Find<QToolButton>(w, name)->isChecked() == (name == button), qPrintable(name));
  }
  QCOMPARE(int(w.State().spec.kind), kind);
  QCOMPARE(int(w.State().lastSlot), lastSlot);
  for (const QString& name : kOpenCommands) QVERIFY2(!IsEnabled(w, name), qPrintable(name));
  const bool userDefined = kind == int(FilterKind::UserDefined);
  QCOMPARE(Find<QMenu>(w, "Polezeropairing1")->menuAction()->isEnabled(), !userDefined);
  QCOMPARE(Find<QMenu>(w, "Stagecascading1")->menuAction()->isEnabled(), !userDefined);

  w.ResetDesign();
  for (const QString& name : kKindButtons)
    QVERIFY2(!Find<QToolButton>(w, name)->isChecked(), qPrintable(name));
  for (const QString& name : kOpenCommands) QVERIFY2(IsEnabled(w, name), qPrintable(name));
  QVERIFY(Find<QMenu>(w, "Polezeropairing1")->menuAction()->isEnabled());
  QCOMPARE(w.windowTitle(), QStringLiteral("[Untitled]"));
}

void MainWindowTest::cancelledPromptKeepsDesign() {
  ScriptedMain w;
  w.StartDesign(FilterKind::Lowpass);
  auto& s = w.State();
  s.designStep = 3;
  s.modified = true;
  s.results[0].order = 5;

  w.answer = QMessageBox::Cancel;
  QTest::mouseClick(Find<QToolButton>(w, "HighpassBtn"), Qt::LeftButton);
  QCOMPARE(w.questions, QStringList{QStringLiteral("Do you wish to save this design?")});
  QCOMPARE(int(s.designStep), 3);
  QVERIFY(s.spec.kind == FilterKind::Lowpass);
  QCOMPARE(int(s.results[0].order), 5);
  QVERIFY(s.modified);
  QVERIFY(Find<QToolButton>(w, "LowpassBtn")->isChecked());
  QVERIFY(!Find<QToolButton>(w, "HighpassBtn")->isChecked());

  // Answering No drops the old design and starts the new one.
  w.answer = QMessageBox::No;
  Find<QAction>(w, "Highpass1")->trigger();
  QCOMPARE(int(s.designStep), 0);
  QVERIFY(s.spec.kind == FilterKind::Highpass);
  QCOMPARE(int(s.results[0].order), 0);
  QVERIFY(Find<QToolButton>(w, "HighpassBtn")->isChecked());
  QVERIFY(!Find<QToolButton>(w, "LowpassBtn")->isChecked());
}

void MainWindowTest::missingSettingsFolderEndsStartup() {
  // A plain file where the program's folders should go: no settings folder can be made.
  const QString blocker = home_->filePath(QStringLiteral("blocker"));
  {
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
  }
  qputenv("TAVRIN_HOME", blocker.toLocal8Bit());
  TfmMain w;
  QVERIFY(w.StartupFailed());

  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QTimer::singleShot(0, this, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    box->accept();
  });
  TfmMain::ShowStartupError(nullptr);
  QCOMPARE(title, QStringLiteral("Error"));
  QCOMPARE(text, QStringLiteral("Could Not Find Windows Directory"));
  QCOMPARE(icon, QMessageBox::Critical);
  QVERIFY(w.close());
}

void MainWindowTest::aboutBoxAndSplash() {
  TfmMain w;
  w.show();
  Find<QAction>(w, "AboutTavrin1")->trigger();
  QPointer<AboutBox> about = w.findChild<AboutBox*>();
  QVERIFY(about);
  QVERIFY(about->isVisible());
  QCOMPARE(about->DisplayMode(), AboutBox::Mode::About);
  auto* ok = Find<QPushButton>(*about, "OKBtn");
  QVERIFY(ok);
  QTest::mouseClick(ok, Qt::LeftButton);
  QVERIFY(!about || !about->isVisible());

  QPointer<AboutBox> splash = w.ShowSplash();
  QVERIFY(splash->isVisible());
  QCOMPARE(splash->windowModality(), Qt::ApplicationModal);
  QVERIFY(!splash->findChild<QPushButton*>());
  QTest::mouseClick(splash, Qt::LeftButton);
  QVERIFY(!splash || !splash->isVisible());
}

void MainWindowTest::screenScale_data() {
  QTest::addColumn<int>("width");
  QTest::addColumn<int>("height");
  QTest::addColumn<bool>("largeFonts");
  QTest::addColumn<int>("scale");
  QTest::addColumn<int>("mainPercent");
  QTest::newRow("640x480 is not scaled") << 640 << 480 << false << 100 << 100;
  QTest::newRow("640x400") << 640 << 400 << false << 100 << 109;
  QTest::newRow("799") << 799 << 600 << false << 100 << 109;
  QTest::newRow("800") << 800 << 600 << false << 110 << 120;
  QTest::newRow("1023") << 1023 << 768 << false << 110 << 120;
  QTest::newRow("1024") << 1024 << 768 << false << 133 << 145;
  QTest::newRow("1199") << 1199 << 900 << false << 133 << 145;
  QTest::newRow("1200") << 1200 << 900 << false << 160 << 174;
  QTest::newRow("1599") << 1599 << 900 << false << 160 << 174;
  QTest::newRow("1600") << 1600 << 1200 << false << 193 << 210;
  QTest::newRow("large fonts 800") << 800 << 600 << true << 100 << 109;
  QTest::newRow("large fonts 1023") << 1023 << 768 << true << 100 << 109;
  QTest::newRow("large fonts 1024") << 1024 << 768 << true << 112 << 122;
  QTest::newRow("large fonts 1200") << 1200 << 900 << true << 124 << 135;
  QTest::newRow("large fonts 1600") << 1600 << 1200 << true << 133 << 145;
  QTest::newRow("large fonts 640x480") << 640 << 480 << true << 100 << 100;
}

void MainWindowTest::screenScale() {
  QFETCH(int, width);
  QFETCH(int, height);
  QFETCH(bool, largeFonts);
  QFETCH(int, scale);
  QFETCH(int, mainPercent);
  QCOMPARE(tavrin::ui::ScreenScale(width, largeFonts), scale);
  QCOMPARE(tavrin::ui::MainWindowPercent(width, height, largeFonts), mainPercent);
  // Whatever the percent, the first size stays on the screen.
  const QSize available(width, height - 40);
  const QSize size = tavrin::ui::MainWindowSize(mainPercent, available);
  QVERIFY(size.width() <= available.width() && size.height() <= available.height());
}

void MainWindowTest::windowFitsScreen() {
  TfmMain w;
  w.show();
  const QRect available = w.screen()->availableGeometry();
  QVERIFY(available.contains(w.geometry()));
  const auto* toolbar = w.findChild<QToolBar*>();
  QVERIFY(toolbar->sizeHint().width() <= w.width());
}

void MainWindowTest::screenshotIsWritten() {
  TfmMain w;
  const QString file = home_->filePath(QStringLiteral("main.png"));
  QVERIFY(w.SaveScreenshot(file));
  QImage picture(file);
  QVERIFY(!picture.isNull());
  QCOMPARE(picture.size(), w.size() * w.devicePixelRatio());
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
