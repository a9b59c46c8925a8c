// Saving and reopening designs from the main window: Save Design As with its dialog and
// overwrite question, Save Design, Open Design, the recent files of the File menu, and the
// entry window restored from the file as it was when the design was saved.
#include <QCheckBox>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <vector>

#include "UiTestSupport.h"
#include "core/DesignFile.h"
#include "ui/TfmGraph.h"
#include "ui/ResultsGrid.h"
#include "ui/TfmParEnt.h"

using tavrin::core::FilterKind;
using tavrin::ui::TfmMain;
using tavrin::ui::TfmParEnt;
using uitest::Choose;
using uitest::Click;
using uitest::Edit;
using uitest::Find;
using uitest::Trigger;
using uitest::Type;

namespace {

QStringList Table(const tavrin::ui::ResultsGrid& grid) {
  QStringList cells;
  for (int row = 0; row < 8; ++row) {
    for (int slot = 0; slot < 5; ++slot) cells << grid.CellText(row, slot);
  }
  return cells;
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

QStringList RecentCaptions(const TfmMain& w) {
  QStringList captions;
  for (int i = 1; i <= 4; ++i) {
    auto* action = w.findChild<QAction*>(QStringLiteral("RecentFile%1").arg(i));
    if (action) captions << action->text();
  }
  return captions;
}

// The entries of the window, in field order, with the unit boxes and the forced order.
QStringList Entries(const TfmParEnt& p) {
  QStringList e;
  // A field the kind hides, or the forced order takes out of use, is not an entry.
  for (const char* name : {"NumEdit1", "NumEdit2", "NumEdit3", "NumEdit4", "NumEdit5", "NumEdit6"}) {
    const QLineEdit* edit = Edit(p, QString::fromLatin1(name));
    e << (edit->isVisibleTo(&p) && edit->isEnabled() ? edit->text() : QStringLiteral("-"));
  }
  for (const char* name : {"CB1", "CB2", "CB3", "CB4"}) {
    e << Find<QComboBox>(p, QString::fromLatin1(name))->currentText();
  }
  e << (Find<QCheckBox>(p, "CheckBox1")->isChecked() ? QStringLiteral("forced ") + Edit(p, "IntEdit1")->text()
                                                      : QStringLiteral("free"));
  return e;
}

}  // namespace

class DesignFileTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void saveAsCloseAndReopenFromRecentList_data();
  void saveAsCloseAndReopenFromRecentList();
  void saveAsDialogAndCancel();
  void overwriteQuestion();
  void saveWritesToTheDesignsFile();
  void openDesignThroughTheDialog();
  void recentListHasNoDuplicatesAndHoldsFour();
  void recentEntryAsksAboutTheDesignInHand();
  void foreignFileIsRefusedAndResets();
  void damagedFileLeavesTheDesign();
  void restoredBeyondTheChoiceOfApproximation();
  void unitSwitchBeforeSavingKeepsTheFrequencies();
  void savePromptYesSavesAndGoesOn();

 private:
  TfmParEnt& Start(FilterKind kind);
  QString Path(const QString& name) const { return dir_->filePath(name); }
  // Calculates the window's requirements and saves them under the name.
  void CalculateAndSave(const QString& name);
  std::unique_ptr<uitest::Fixture> f_;
  std::unique_ptr<QTemporaryDir> dir_;
};

void DesignFileTest::init() {
  f_ = std::make_unique<uitest::Fixture>();
  f_->Make();
  // Shown, as a user has it: the forced-order box answers only a visible window.
  f_->main->show();
  dir_ = std::make_unique<QTemporaryDir>();
}

void DesignFileTest::cleanup() {
  f_.reset();
  dir_.reset();
}

TfmParEnt& DesignFileTest::Start(FilterKind kind) {
  f_->main->StartDesign(kind);
  return *f_->main->RequirementsWindow();
}

void DesignFileTest::CalculateAndSave(const QString& name) {
  Click(*f_->main->RequirementsWindow(), "CalcBtn");
  f_->dialogs->answers = {Path(name)};
  Trigger(*f_->main, "Savedesignas1");
}

void DesignFileTest::saveAsCloseAndReopenFromRecentList_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<bool>("radians");
  QTest::addColumn<bool>("forced");
  QTest::newRow("lowpass, Hz, V/V") << int(FilterKind::Lowpass) << false << false;
  QTest::newRow("highpass, forced order") << int(FilterKind::Highpass) << false << true;
  QTest::newRow("bandpass, rad/s") << int(FilterKind::Bandpass) << true << false;
  QTest::newRow("bandstop, rad/s, forced") << int(FilterKind::Bandstop) << true << true;
}

void DesignFileTest::saveAsCloseAndReopenFromRecentList() {
  QFETCH(int, kind);
  QFETCH(bool, radians);
  QFETCH(bool, forced);
  TfmMain& w = *f_->main;
  if (radians) Trigger(w, "rads1");
  TfmParEnt& p = Start(static_cast<FilterKind>(kind));
  Type(Edit(p, "NumEdit1"), "0.25");
  Choose(Find<QComboBox>(p, "CB1"), radians ? "rad/s" : "Hz");
  Type(Edit(p, "NumEdit3"), kind == int(FilterKind::Bandpass)   ? "350"
                            : kind == int(FilterKind::Bandstop) ? "2500"
                                                                : "1250");
  if (forced) {
    QTest::mouseClick(Find<QCheckBox>(p, "CheckBox1"), Qt::LeftButton);
    Type(Edit(p, "IntEdit1"), kind >= int(FilterKind::Bandpass) ? "6" : "5");
  }
  Type(Edit(p, "NumEdit6"), "2.5");

  Click(p, "CalcBtn");
  QVERIFY(p.ResultsShown());
  const QStringList entries = Entries(p);
  const QStringList table = Table(*p.Results());

  const QString file = Path(QStringLiteral("design.zd3"));
  f_->dialogs->answers = {file};
  Trigger(w, "Savedesignas1");
  QVERIFY(QFile::exists(file));
  QCOMPARE(w.windowTitle(), QStringLiteral(": ") + file);
  QCOMPARE(RecentCaptions(w), QStringList{QStringLiteral("&1 ") + file});
  QVERIFY(!w.State().modified);

  Trigger(w, "CloseDesign1");
  QVERIFY(w.Pages()->currentWidget() != &p);
  QCOMPARE(w.windowTitle(), QStringLiteral("[Untitled]"));
  QVERIFY(Find<QAction>(w, "open1")->isEnabled());
  QVERIFY(!Find<QAction>(w, "Savedesign1")->isEnabled());

  Trigger(w, "RecentFile1");
  QTRY_COMPARE(w.Pages()->currentWidget(), &p);
  QCOMPARE(Entries(p), entries);
  QVERIFY(p.ResultsShown());
  QCOMPARE(Table(*p.Results()), table);
  QCOMPARE(w.windowTitle(), QStringLiteral(": ") + file);
  QCOMPARE(RecentCaptions(w), QStringList{QStringLiteral("&1 ") + file});
  for (const char* name : {"Savedesign1", "Savedesignas1", "CloseDesign1", "Copytoclipboard1"}) {
    QVERIFY2(Find<QAction>(w, QString::fromLatin1(name))->isEnabled(), name);
  }
  QVERIFY(!Find<QAction>(w, "open1")->isEnabled());
  QVERIFY(!Find<QAction>(w, "Print1")->isEnabled());
  const char* button = kind == int(FilterKind::Lowpass)    ? "LowpassBtn"
                       : kind == int(FilterKind::Highpass) ? "HighpassBtn"
                       : kind == int(FilterKind::Bandpass) ? "BandpassBtn"
                                                           : "BandstopBtn";
  QVERIFY(Find<QToolButton>(w, QString::fromLatin1(button))->isChecked());

  // Nothing past the results was saved: Next starts the steps again from them.
  QVERIFY(Find<QPushButton>(p, "BitBtn1")->isEnabled());
  QVERIFY(w.State().stepsStale);

  // Saved again, the reopened design gives the same file; only the flag that records
  // whether the design was modified when it was saved differs.
  const QString again = Path(QStringLiteral("again.zd3"));
  f_->dialogs->answers = {again};
  Trigger(w, "Savedesignas1");
  QByteArray first = Bytes(file);
  QByteArray second = Bytes(again);
  QCOMPARE(second.size(), first.size());
  constexpr int kModifiedFlag = 13 + 21;
  QCOMPARE(first[kModifiedFlag], '1');
  QCOMPARE(second[kModifiedFlag], '0');
  first[kModifiedFlag] = second[kModifiedFlag] = '0';
  for (int i = 0; i < first.size(); ++i) {
    QVERIFY2(first[i] == second[i], qPrintable(QStringLiteral("byte %1 differs").arg(i)));
  }

  Click(p, "BitBtn1");
  QCOMPARE(w.Pages()->currentWidget(), w.GraphsWindow());

}

void DesignFileTest::saveAsDialogAndCancel() {
  TfmMain& w = *f_->main;
  Start(FilterKind::Lowpass);
  Click(*w.RequirementsWindow(), "CalcBtn");
  f_->dialogs->answers.clear();
  Trigger(w, "Savedesignas1");
  QCOMPARE(f_->dialogs->saveRequests.size(), 1);
  const tavrin::ui::FileDialogRequest& r = f_->dialogs->saveRequests.front();
  QCOMPARE(r.preset, QStringLiteral("*.zd3"));
  QCOMPARE(r.defaultSuffix, QStringLiteral("zd3"));
  QCOMPARE(r.filter, QStringLiteral("design file (*.zd3)"));
  QVERIFY(r.folder.endsWith(QStringLiteral("Designs")));
  QVERIFY(QFileInfo(r.folder).isDir());
  // Cancelled: nothing written, nothing renamed.
  QCOMPARE(w.windowTitle(), QStringLiteral("[Untitled]"));
  QVERIFY(QDir(r.folder).entryList(QDir::Files).isEmpty());
  QVERIFY(RecentCaptions(w).isEmpty());
  QVERIFY(w.State().modified);

  // A name typed without its extension gets it; the next dialog offers the name in use.
  f_->dialogs->answers = {Path(QStringLiteral("plain"))};
  Trigger(w, "Savedesignas1");
  QVERIFY(QFile::exists(Path(QStringLiteral("plain.zd3"))));
  Trigger(w, "Savedesignas1");
  QCOMPARE(f_->dialogs->saveRequests.last().preset, Path(QStringLiteral("plain.zd3")));
}

void DesignFileTest::overwriteQuestion() {
  TfmMain& w = *f_->main;
  Start(FilterKind::Lowpass);
  const QString file = Path(QStringLiteral("taken.zd3"));
  {
    QFile other(file);
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("somebody else's file");
  }
  Click(*w.RequirementsWindow(), "CalcBtn");

  f_->presenter->answers = {QMessageBox::Cancel};
  f_->dialogs->answers = {file};
  Trigger(w, "Savedesignas1");
  QCOMPARE(f_->presenter->Texts(), QStringList{QStringLiteral("File already exists. OK to overwrite?")});
  QCOMPARE(int(f_->presenter->shown[0].kind), int(tavrin::approx::MessageKind::Warning));
  QCOMPARE(int(f_->presenter->shown[0].buttons), int(tavrin::approx::MessageButtons::OkCancel));
  QCOMPARE(Bytes(file), QByteArray("somebody else's file"));
  QCOMPARE(w.windowTitle(), QStringLiteral("[Untitled]"));

  f_->presenter->answers = {QMessageBox::Ok};
  f_->dialogs->answers = {file};
  Trigger(w, "Savedesignas1");
  QCOMPARE(std::size_t(Bytes(file).size()), tavrin::core::DesignFileSize(0, false));
  QCOMPARE(w.windowTitle(), QStringLiteral(": ") + file);
}

void DesignFileTest::saveWritesToTheDesignsFile() {
  TfmMain& w = *f_->main;
  TfmParEnt& p = Start(FilterKind::Lowpass);
  // Without a name yet, Save is Save As.
  CalculateAndSave(QStringLiteral("lp.zd3"));
  const QString file = Path(QStringLiteral("lp.zd3"));
  QVERIFY(QFile::exists(file));
  QCOMPARE(f_->dialogs->saveRequests.size(), 1);

  Type(Edit(p, "NumEdit2"), "45");
  Click(p, "CalcBtn");
  QVERIFY(w.State().modified);
  Trigger(w, "Savedesign1");
  QCOMPARE(f_->dialogs->saveRequests.size(), 1);  // no dialog this time
  QVERIFY(!w.State().modified);

  tavrin::core::DesignState read;
  QVERIFY(tavrin::core::ReadDesignFile(file.toStdString(), read).ok());
  QCOMPARE(read.spec.asbEntered, 45.0);
}

void DesignFileTest::openDesignThroughTheDialog() {
  TfmMain& w = *f_->main;
  Start(FilterKind::Bandpass);
  CalculateAndSave(QStringLiteral("bp.zd3"));
  const QStringList table = Table(*w.RequirementsWindow()->Results());
  Trigger(w, "CloseDesign1");

  // A cancelled dialog opens nothing.
  Trigger(w, "open1");
  QCOMPARE(f_->dialogs->openRequests.size(), 1);
  const tavrin::ui::FileDialogRequest& r = f_->dialogs->openRequests.front();
  QVERIFY(r.folder.endsWith(QStringLiteral("Designs")));
  QVERIFY(r.filter.startsWith(QStringLiteral("design file (*.zd2,*.zd3)")));
  QVERIFY(r.filter.contains(QStringLiteral("*.zd3 *.zd2")));
  QVERIFY(r.filter.contains(QStringLiteral("All files (*.*)")));
  QVERIFY(w.Pages()->currentWidget() != w.RequirementsWindow());

  f_->dialogs->answers = {Path(QStringLiteral("bp.zd3"))};
  Trigger(w, "open1");
  QCOMPARE(w.Pages()->currentWidget(), w.RequirementsWindow());
  QCOMPARE(Table(*w.RequirementsWindow()->Results()), table);
  QVERIFY(w.State().spec.kind == FilterKind::Bandpass);
  QVERIFY(!Find<QAction>(w, "open1")->isEnabled());
  QVERIFY(!Find<QToolButton>(w, "OpenBtn")->isEnabled());
}

void DesignFileTest::recentListHasNoDuplicatesAndHoldsFour() {
  TfmMain& w = *f_->main;
  Start(FilterKind::Lowpass);
  Click(*w.RequirementsWindow(), "CalcBtn");
  QStringList files;
  for (int i = 1; i <= 5; ++i) {
    files << Path(QStringLiteral("d%1.zd3").arg(i));
    f_->dialogs->answers = {files.last()};
    Trigger(w, "Savedesignas1");
  }
  QCOMPARE(RecentCaptions(w), (QStringList{"&1 " + files[4], "&2 " + files[3], "&3 " + files[2], "&4 " + files[1]}));

  // Reopening an entry moves it to the top, once.
  Trigger(w, "RecentFile3");
  QTRY_COMPARE(RecentCaptions(w).first(), "&1 " + files[2]);
  QCOMPARE(RecentCaptions(w), (QStringList{"&1 " + files[2], "&2 " + files[4], "&3 " + files[3], "&4 " + files[1]}));
  Trigger(w, "RecentFile1");
  QTest::qWait(20);
  QCOMPARE(RecentCaptions(w), (QStringList{"&1 " + files[2], "&2 " + files[4], "&3 " + files[3], "&4 " + files[1]}));
  QCOMPARE(w.windowTitle(), ": " + files[2]);

  // The list outlives the program.
  w.close();
  f_->Make();
  QCOMPARE(RecentCaptions(*f_->main), (QStringList{"&1 " + files[2], "&2 " + files[4], "&3 " + files[3], "&4 " + files[1]}));
  // An '&' in a path is shown, not taken as an accelerator.
  Start(FilterKind::Lowpass);
  const QString odd = Path(QStringLiteral("R&D.zd3"));
  CalculateAndSave(QStringLiteral("R&D.zd3"));
  QCOMPARE(RecentCaptions(*f_->main).first(), "&1 " + QString(odd).replace("&", "&&"));
}

void DesignFileTest::recentEntryAsksAboutTheDesignInHand() {
  TfmMain& w = *f_->main;
  Start(FilterKind::Highpass);
  CalculateAndSave(QStringLiteral("hp.zd3"));
  Trigger(w, "CloseDesign1");

  // An unsaved lowpass is in hand: the question comes, and Cancel keeps it.
  TfmParEnt& p = Start(FilterKind::Lowpass);
  Click(p, "CalcBtn");
  f_->presenter->answers = {QMessageBox::Cancel};
  Trigger(w, "RecentFile1");
  QTRY_COMPARE(f_->presenter->Texts(), QStringList{QStringLiteral("Do you wish to save this design?")});
  QVERIFY(w.State().spec.kind == FilterKind::Lowpass);
  QCOMPARE(w.windowTitle(), QStringLiteral("[Untitled]"));

  // No: the file replaces it.
  f_->presenter->answers = {QMessageBox::No};
  Trigger(w, "RecentFile1");
  QTRY_VERIFY(w.State().spec.kind == FilterKind::Highpass);
  QCOMPARE(w.windowTitle(), ": " + Path(QStringLiteral("hp.zd3")));
  QVERIFY(Find<QToolButton>(w, "HighpassBtn")->isChecked());
  QVERIFY(!Find<QToolButton>(w, "LowpassBtn")->isChecked());
}

void DesignFileTest::foreignFileIsRefusedAndResets() {
  TfmMain& w = *f_->main;
  TfmParEnt& p = Start(FilterKind::Lowpass);
  CalculateAndSave(QStringLiteral("good.zd3"));
  const QString foreign = Path(QStringLiteral("foreign.zd3"));
  {
    QByteArray bytes = Bytes(Path(QStringLiteral("good.zd3")));
    bytes[0] = 'P';
    QFile out(foreign);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bytes);
  }
  QVERIFY(w.OpenDesignFile(foreign) == false);
  QCOMPARE(f_->presenter->Texts(), QStringList{QStringLiteral("Invalid Tavrin design file")});
  QCOMPARE(int(f_->presenter->shown[0].kind), int(tavrin::approx::MessageKind::Error));
  QVERIFY(w.Pages()->currentWidget() != &p);
  QCOMPARE(w.windowTitle(), QStringLiteral("[Untitled]"));
  QVERIFY(Find<QAction>(w, "open1")->isEnabled());
  QCOMPARE(RecentCaptions(w), QStringList{"&1 " + Path(QStringLiteral("good.zd3"))});
}

void DesignFileTest::damagedFileLeavesTheDesign() {
  TfmMain& w = *f_->main;
  TfmParEnt& p = Start(FilterKind::Bandstop);
  CalculateAndSave(QStringLiteral("bs.zd3"));
  const QString cut = Path(QStringLiteral("cut.zd3"));
  {
    const QByteArray bytes = Bytes(Path(QStringLiteral("bs.zd3")));
    QFile out(cut);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bytes.left(3000));
  }
  Type(Edit(p, "NumEdit1"), "0.7");
  Click(p, "CalcBtn");
  const QStringList table = Table(*p.Results());
  const QStringList entries = Entries(p);

  QVERIFY(!w.OpenDesignFile(cut));
  QCOMPARE(f_->presenter->shown.size(), 1);
  QVERIFY2(f_->presenter->shown[0].text.startsWith(cut), qPrintable(f_->presenter->shown[0].text));
  QCOMPARE(w.Pages()->currentWidget(), &p);
  QCOMPARE(Table(*p.Results()), table);
  QCOMPARE(Entries(p), entries);
  QCOMPARE(w.State().spec.apbEntered, 0.7);
  QCOMPARE(w.windowTitle(), ": " + Path(QStringLiteral("bs.zd3")));

  // A file that has gone away says so and stays in the list.
  QVERIFY(!w.OpenDesignFile(Path(QStringLiteral("gone.zd3"))));
  QVERIFY(f_->presenter->shown.last().text.contains(QStringLiteral("gone.zd3")));
  QCOMPARE(w.State().spec.apbEntered, 0.7);
}

void DesignFileTest::restoredBeyondTheChoiceOfApproximation() {
  TfmMain& w = *f_->main;
  TfmParEnt& p = Start(FilterKind::Lowpass);
  Click(p, "CalcBtn");
  Click(p, "BitBtn1");
  // The graphs' choice of an approximation, as the graphs window will make it.
  tavrin::core::DesignState& s = w.State();
  s.designStep = 3;
  s.chosenSlot = 1;
  const QString file = Path(QStringLiteral("chosen.zd3"));
  f_->dialogs->answers = {file};
  Trigger(w, "Savedesignas1");
  Trigger(w, "CloseDesign1");
  QCOMPARE(int(s.designStep), 0);

  QVERIFY(w.OpenDesignFile(file));
  QCOMPARE(w.Pages()->currentWidget(), &p);
  QCOMPARE(int(s.designStep), 3);
  QCOMPARE(int(s.currentSlot), 1);
  QVERIFY(s.frequencyGrid[1].rad > 0);
  QVERIFY(s.idealCurves[1][1].gainVv > 0);
  QVERIFY(Find<QPushButton>(p, "BitBtn1")->isEnabled());
  QVERIFY(Find<QAction>(w, "Print1")->isEnabled());
  QVERIFY(Find<QAction>(w, "SavetoAsciiFile1")->isEnabled());
  QVERIFY(!Find<QAction>(w, "Showtransferfunction1")->isEnabled());
  QVERIFY(!s.stepsStale);
}

void DesignFileTest::unitSwitchBeforeSavingKeepsTheFrequencies() {
  TfmMain& w = *f_->main;
  TfmParEnt& p = Start(FilterKind::Lowpass);
  Type(Edit(p, "NumEdit3"), "1.5");
  Click(p, "CalcBtn");
  const double wpb = w.State().spec.wpb;
  // The display turns to rad/s after Calculate: the fields and what is saved follow it.
  Trigger(w, "rads1");
  QCOMPARE(Edit(p, "NumEdit3")->text(), QStringLiteral("9.425"));
  const QString file = Path(QStringLiteral("units.zd3"));
  f_->dialogs->answers = {file};
  Trigger(w, "Savedesignas1");
  Trigger(w, "CloseDesign1");
  Trigger(w, "Hz1");

  QVERIFY(w.OpenDesignFile(file));
  QCOMPARE(Edit(p, "NumEdit3")->text(), QStringLiteral("9.425"));
  QCOMPARE(Find<QComboBox>(p, "CB1")->currentText(), QStringLiteral("krad/s"));
  QVERIFY(Find<QAction>(w, "rads1")->isChecked());
  QVERIFY(std::abs(w.State().spec.passEntered * 1000.0 - wpb) < 1e-9 * wpb);
}

void DesignFileTest::savePromptYesSavesAndGoesOn() {
  TfmMain& w = *f_->main;
  TfmParEnt& p = Start(FilterKind::Lowpass);
  Click(p, "CalcBtn");
  const QString file = Path(QStringLiteral("prompted.zd3"));
  f_->presenter->answers = {QMessageBox::Yes};
  f_->dialogs->answers = {file};
  Trigger(w, "Highpass1");
  QCOMPARE(f_->presenter->Texts(), QStringList{QStringLiteral("Do you wish to save this design?")});
  QVERIFY(QFile::exists(file));
  QVERIFY(w.State().spec.kind == FilterKind::Highpass);
  QCOMPARE(w.windowTitle(), QStringLiteral("[Untitled]"));

  tavrin::core::DesignState read;
  QVERIFY(tavrin::core::ReadDesignFile(file.toStdString(), read).ok());
  QVERIFY(read.spec.kind == FilterKind::Lowpass);
}

QTEST_MAIN(DesignFileTest)
#include "design_file_test.moc"
