// The stage windows as a user meets them: pairing by hand in the pairing window, ordering
// in the cascading window, the cascade criteria, and the Options menu switching between
// automatic and interactive while a design is under way.
#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>
#include <complex>

#include "../stages/StagesTestSupport.h"
#include "UiTestSupport.h"
#include "approx/SlotRoots.h"
#include "core/Settings.h"
#include "stages/Pairing.h"
#include "ui/TfmCirSel.h"
#include "ui/TfmACrit.h"
#include "ui/TfmCascade.h"
#include "ui/TfmPairs.h"
#include "ui/TfmParEnt.h"

using tavrin::core::FilterKind;
using tavrin::ui::TfmMain;
using uitest::Click;
using uitest::Edit;
using uitest::Find;
using uitest::Trigger;
using uitest::Type;

namespace {

constexpr int kElliptic = 3;
constexpr int kButterworth = 0;

// What the user types into the entry window, in kHz; an order > 0 is forced.
struct Requirements {
  FilterKind kind;
  const char* apb;
  const char* asb;
  const char* pass;
  const char* stop;
  const char* center;
  int order;
};

// Order 5: two pole pairs with two notches, and a real pole.
const Requirements kEllipticLowpass{FilterKind::Lowpass, "0.5", "40", "1", "1.5", "", 0};
// Butterworth of prototype order 3 on a band so wide that the real prototype pole becomes
// two real poles: pole entries 3 and 4 are single, the three zeros are single zeros at 0.
const Requirements kWideBandpass{FilterKind::Bandpass, "3", "30", "6", "18", "2", 6};
// Butterworth order 5: zero entries 1 and 2 are pairs at 0, entry 3 the single zero.
const Requirements kOddHighpass{FilterKind::Highpass, "0.5", "30", "1", "0.5", "", 5};

QTreeWidgetItem* Entry(QTreeWidget* list, int number) {
  for (int i = 0; i < list->topLevelItemCount(); ++i)
    if (list->topLevelItem(i)->data(0, Qt::UserRole).toInt() == number) return list->topLevelItem(i);
  return nullptr;
}

// A click on a list row, as the user selects (or deselects) it.
void ClickEntry(QTreeWidget* list, int number) {
  QTreeWidgetItem* item = Entry(list, number);
  QVERIFY2(item, qPrintable(QStringLiteral("%1 has no entry %2").arg(list->objectName()).arg(number)));
  list->scrollToItem(item);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

QStringList Column(const QTreeWidget* list, int column) {
  QStringList texts;
  for (int i = 0; i < list->topLevelItemCount(); ++i) texts << list->topLevelItem(i)->text(column);
  return texts;
}

QStringList Headers(const QTreeWidget* list) {
  QStringList texts;
  for (int c = 0; c < list->columnCount(); ++c) texts << list->headerItem()->text(c);
  return texts;
}

// The stages of the table, type and roots, for comparing pairings.
QStringList StageSignature(const tavrin::core::DesignState& s) {
  QStringList parts;
  for (int st = 1; st <= s.stageCount; ++st) {
    const tavrin::core::Stage& stage = s.stages[static_cast<std::size_t>(st)];
    parts << QStringLiteral("%1:p%2,%3 z%4,%5")
                 .arg(QString::fromStdString(stage.name).trimmed())
                 .arg(stage.pole1)
                 .arg(stage.pole2)
                 .arg(stage.zero1)
                 .arg(stage.zero2);
  }
  std::sort(parts.begin(), parts.end());
  return parts;
}

std::complex<double> SlotResponse(const tavrin::approx::SlotRoots& r, double w) {
  const std::complex<double> s(0.0, w);
  std::complex<double> h(r.gain, 0.0);
  for (const auto& z : r.zeros) h *= s - z;
  for (const auto& p : r.poles) h /= s - p;
  return h;
}

// The flatness of the partial cascade ending at `position`, worked out from the stage
// values alone: peak over the 351 points 0..2 wpb, divided by the least value up to wpb.
double LowpassFlatness(const tavrin::core::DesignState& s, int position) {
  double peak = 0;
  double least = 1e300;
  for (int i = 0; i <= 350; ++i) {
    const double w = 2.0 * s.spec.wpb * i / 350.0;
    double m = 1;
    for (int st = 1; st <= position; ++st)
      m *= std::abs(tavrin::stages::testing::StageResponse(s.stages[static_cast<std::size_t>(st)], w));
    peak = std::max(peak, m);
    if (i <= 175) least = std::min(least, m);
  }
  return peak / least;
}

}  // namespace

class PairingCascadingTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void handPairingCarriedThroughCascadingKeepsTheFilter();
  void refusalsChangeNothing_data();
  void refusalsChangeNothing();
  void undoGivesTheRootsBack();
  void twoSinglePolesJoinedByHandAreSymmetricNotch();
  void listsFollowTheFrequencyUnit();
  void upAndDownRecomputeFlatness();
  void criteriaRules();
  void criteriaCancelRestores();
  void optionsMenuSwitchesMidDesign();
  void hideThisWindowNextTime();
  void backWalksTheStepsInReverse();

 private:
  TfmMain& Main() { return *f_->main; }
  // Options menu: pairing and cascading modes, as the user picks them.
  void Modes(bool pairingInteractive, bool cascadingInteractive);
  // Start Design, the entries, Calculate, Next; then the approximation chosen in the
  // graphs and their Next.
  void DesignUpToStages(const Requirements& r, int slot);
  QTreeWidget* List(QWidget* window, const char* name) { return Find<QTreeWidget>(*window, name); }
  tavrin::ui::TfmACrit* OpenCriteria();

  std::unique_ptr<uitest::Fixture> f_;
  QWidget* graphs_ = nullptr;  // the page Next of the entry window shows
};

void PairingCascadingTest::init() {
  f_ = std::make_unique<uitest::Fixture>();
  f_->Make();
  f_->main->show();
  // The criteria as a first start gives them, whatever a test before left behind.
  f_->main->State().firstStageCriteria = tavrin::core::Settings::DefaultFirstStageCriteria();
  f_->main->State().lastStageCriteria = tavrin::core::Settings::DefaultLastStageCriteria();
  f_->main->State().useQ = false;
}

void PairingCascadingTest::cleanup() {
  f_.reset();
}

void PairingCascadingTest::Modes(bool pairingInteractive, bool cascadingInteractive) {
  Trigger(Main(), pairingInteractive ? "Userinteractive1" : "Automatic1");
  Trigger(Main(), cascadingInteractive ? "Userinteractive2" : "Automatic2");
}

void PairingCascadingTest::DesignUpToStages(const Requirements& r, int slot) {
  TfmMain& w = Main();
  w.StartDesign(r.kind);
  tavrin::ui::TfmParEnt& p = *w.RequirementsWindow();
  Type(Edit(p, "NumEdit1"), QString::fromLatin1(r.apb));
  Type(Edit(p, "NumEdit2"), QString::fromLatin1(r.asb));
  Type(Edit(p, "NumEdit3"), QString::fromLatin1(r.pass));
  Type(Edit(p, "NumEdit4"), QString::fromLatin1(r.stop));
  if (*r.center) Type(Edit(p, "NumEdit5"), QString::fromLatin1(r.center));
  if (r.order > 0) {
    Click(p, "CheckBox1");
    Type(Edit(p, "IntEdit1"), QString::number(r.order));
  }
  Click(p, "CalcBtn");
  QVERIFY2(f_->presenter->shown.isEmpty(), qPrintable(f_->presenter->Texts().join('|')));
  Click(p, "BitBtn1");
  graphs_ = w.Pages()->currentWidget();
  QVERIFY(graphs_ != &p);
  QVERIFY(tavrin::core::SlotHasResult(w.State(), slot));
  // The approximation's radio button in the graphs window, then its Next.
  Click(*graphs_, QStringLiteral("ApproxRadio%1").arg(slot));
  Click(*graphs_, "NextBtn");
}

tavrin::ui::TfmACrit* PairingCascadingTest::OpenCriteria() {
  Trigger(Main(), "Stagecascadingcriteria1");
  return Main().findChild<tavrin::ui::TfmACrit*>();
}

void PairingCascadingTest::handPairingCarriedThroughCascadingKeepsTheFilter() {
  Modes(true, true);
  DesignUpToStages(kEllipticLowpass, kElliptic);
  TfmMain& w = Main();
  tavrin::core::DesignState& s = w.State();
  QCOMPARE(w.Pages()->currentWidget(), w.PairingWindow());
  QCOMPARE(int(s.designStep), 3);
  QWidget* pairs = w.PairingWindow();
  QTreeWidget* poles = List(pairs, "PoleList");
  QTreeWidget* zeros = List(pairs, "ZeroList");
  QCOMPARE(Column(poles, 0), (QStringList{"POLE PAIR", "POLE PAIR", "SNGL POLE"}));
  QCOMPARE(Column(zeros, 0), (QStringList{"ZERO PAIR", "ZERO PAIR"}));
  QCOMPARE(Headers(poles), (QStringList{"Pole", "-σ", "±jω", "fp", "Q"}));

  // The automatic way gives each pole pair, highest Q first, the nearest notch.
  auto automatic = std::make_unique<tavrin::core::DesignState>(s);
  tavrin::stages::AutoPair(*automatic);
  QCOMPARE(automatic->stages[1].zero1, std::int16_t{2});

  // By hand the other way round: the high-Q pair takes the far notch.
  ClickEntry(poles, 1);
  ClickEntry(zeros, 1);
  Click(*pairs, "AddBtn");
  QCOMPARE(int(s.designStep), 3);
  ClickEntry(poles, 2);
  ClickEntry(zeros, 2);
  Click(*pairs, "AddBtn");
  ClickEntry(poles, 3);
  Click(*pairs, "AddBtn");
  QVERIFY2(f_->presenter->shown.isEmpty(), qPrintable(f_->presenter->Texts().join('|')));
  QCOMPARE(int(s.designStep), 4);
  QCOMPARE(poles->topLevelItemCount(), 0);
  QCOMPARE(zeros->topLevelItemCount(), 0);
  QVERIFY(StageSignature(s) != StageSignature(*automatic));
  QTreeWidget* stageList = List(pairs, "StageList");
  QCOMPARE(Column(stageList, 1), (QStringList{"SLPN", "SLPN", "FLP"}));
  QVERIFY(stageList->topLevelItem(0)->text(2).startsWith(QStringLiteral("POLE PAIR  fp: ")));
  QVERIFY(stageList->topLevelItem(0)->text(2).contains(QStringLiteral("  Q: ")));
  QVERIFY(stageList->topLevelItem(0)->text(3).startsWith(QStringLiteral("ZERO PAIR  fz: ")));
  QVERIFY(stageList->topLevelItem(2)->text(2).startsWith(QStringLiteral("SNGL POLE  fp: ")));
  QCOMPARE(stageList->topLevelItem(2)->text(3), QString());

  Click(*pairs, "NextBtn");
  QCOMPARE(w.Pages()->currentWidget(), w.CascadingWindow());
  Click(*w.CascadingWindow(), "CascadeBtn");
  // Default criteria put the first-order lowpass first.
  QCOMPARE(Column(List(w.CascadingWindow(), "StageList"), 1).first(), QStringLiteral("FLP"));
  Click(*w.CascadingWindow(), "NextBtn");
  QCOMPARE(w.Pages()->currentWidget(), w.CircuitSelectionWindow());
  QCOMPARE(int(s.designStep), 5);

  // The stages, To included, multiply back to the elliptic filter: their product over the
  // approximation's transfer function is one constant at every frequency.
  const tavrin::approx::SlotRoots roots = tavrin::approx::RootsOfSlot(s, kElliptic);
  const double wp = s.spec.wpb;
  std::complex<double> first;
  for (double f : {0.05, 0.4, 0.93, 1.2, 1.6, 2.7, 9.0}) {
    std::complex<double> product(1.0, 0.0);
    for (int st = 1; st <= s.stageCount; ++st)
      product *= tavrin::stages::testing::StageResponse(s.stages[static_cast<std::size_t>(st)], f * wp);
    const std::complex<double> ratio = product / SlotResponse(roots, f * wp);
    if (f == 0.05) first = ratio;
    QVERIFY2(std::abs(ratio / first - 1.0) < 1e-9, qPrintable(QStringLiteral("at %1 wp").arg(f)));
  }
  // A real constant: the cascade adds no phase of its own.
  QVERIFY(std::abs(first.imag()) < 1e-9 * std::abs(first));
}

void PairingCascadingTest::refusalsChangeNothing_data() {
  QTest::addColumn<int>("design");  // 0 wide bandpass, 1 odd highpass
  QTest::addColumn<QList<int>>("poles");
  QTest::addColumn<QList<int>>("zeros");
  QTest::addColumn<QString>("message");
  QTest::newRow("two pole pairs") << 0 << QList<int>{1, 2} << QList<int>{} << "Too many poles selected.";
  QTest::newRow("a pair and a single pole")
      << 0 << QList<int>{1, 3} << QList<int>{1} << "Too many poles selected.";
  QTest::newRow("three poles") << 0 << QList<int>{1, 3, 4} << QList<int>{} << "Too many poles selected.";
  QTest::newRow("three zeros") << 0 << QList<int>{1} << QList<int>{1, 2, 3} << "Too many zeros selected.";
  QTest::newRow("two zeros for two single poles")
      << 0 << QList<int>{3, 4} << QList<int>{1, 2} << "Too many zeros selected.";
  QTest::newRow("two zeros, one a pair")
      << 1 << QList<int>{1} << QList<int>{1, 3} << "Too many zeros selected.";
  QTest::newRow("zeros without a pole")
      << 0 << QList<int>{} << QList<int>{1} << "Pole or pole pair not selected";
  QTest::newRow("nothing selected") << 1 << QList<int>{} << QList<int>{} << "Pole or pole pair not selected";
  QTest::newRow("single pole, two zeros")
      << 0 << QList<int>{3} << QList<int>{1, 2} << "Too many zeros selected";
  QTest::newRow("single pole, a zero pair")
      << 1 << QList<int>{3} << QList<int>{1} << "Too many zeros selected";
}

void PairingCascadingTest::refusalsChangeNothing() {
  QFETCH(int, design);
  QFETCH(QList<int>, poles);
  QFETCH(QList<int>, zeros);
  QFETCH(QString, message);
  Modes(true, false);
  DesignUpToStages(design == 0 ? kWideBandpass : kOddHighpass, kButterworth);
  TfmMain& w = Main();
  QWidget* pairs = w.PairingWindow();
  QCOMPARE(w.Pages()->currentWidget(), pairs);
  QVERIFY(f_->presenter->shown.isEmpty());
  const QStringList poleTexts = Column(List(pairs, "PoleList"), 0);
  const QStringList zeroTexts = Column(List(pairs, "ZeroList"), 0);
  f_->presenter->shown.clear();

  for (int e : poles) ClickEntry(List(pairs, "PoleList"), e);
  for (int e : zeros) ClickEntry(List(pairs, "ZeroList"), e);
  Click(*pairs, "AddBtn");
  QCOMPARE(f_->presenter->Texts(), QStringList{message});
  QCOMPARE(f_->presenter->shown.first().kind, tavrin::approx::MessageKind::Error);
  QCOMPARE(f_->presenter->shown.first().buttons, tavrin::approx::MessageButtons::Ok);
  QCOMPARE(int(w.State().stageCount), 0);
  QCOMPARE(List(pairs, "StageList")->topLevelItemCount(), 0);
  QCOMPARE(Column(List(pairs, "PoleList"), 0), poleTexts);
  QCOMPARE(Column(List(pairs, "ZeroList"), 0), zeroTexts);
  QCOMPARE(int(w.State().designStep), 3);
  // The selection stays for the user to correct.
  QCOMPARE(int(List(pairs, "PoleList")->selectedItems().size()), int(poles.size()));

  // With roots left, Next refuses too and the window stays.
  f_->presenter->shown.clear();
  Click(*pairs, "NextBtn");
  QCOMPARE(f_->presenter->Texts(), QStringList{"Pole-zero pairing not complete!"});
  QCOMPARE(w.Pages()->currentWidget(), pairs);
}

void PairingCascadingTest::undoGivesTheRootsBack() {
  Modes(true, true);
  DesignUpToStages(kEllipticLowpass, kElliptic);
  TfmMain& w = Main();
  QWidget* pairs = w.PairingWindow();
  QTreeWidget* stageList = List(pairs, "StageList");

  Click(*pairs, "UndoBtn");
  QCOMPARE(f_->presenter->Texts(), QStringList{"No pole-zero pair selected."});

  Click(*pairs, "AutoAddAllBtn");
  QCOMPARE(int(w.State().designStep), 4);
  QCOMPARE(stageList->topLevelItemCount(), 3);
  // Undo of the middle stage: its pole and zero come back, the last stage moves up to 2.
  const QString last = stageList->topLevelItem(2)->text(2);
  ClickEntry(stageList, 2);
  Click(*pairs, "UndoBtn");
  QCOMPARE(f_->presenter->shown.size(), 1);
  QCOMPARE(int(w.State().designStep), 3);
  QCOMPARE(Column(stageList, 0), (QStringList{"1", "2"}));
  QCOMPARE(stageList->topLevelItem(1)->text(2), last);
  QCOMPARE(Column(List(pairs, "PoleList"), 0), QStringList{"POLE PAIR"});
  QCOMPARE(Column(List(pairs, "ZeroList"), 0), QStringList{"ZERO PAIR"});
  // The next Add takes number 3 again, and Undo All starts over.
  ClickEntry(List(pairs, "PoleList"), 2);
  Click(*pairs, "AddBtn");
  QCOMPARE(Column(stageList, 0), (QStringList{"1", "2", "3"}));
  QCOMPARE(w.State().stageCount, std::int16_t{3});
  Click(*pairs, "UndoAllBtn");
  QCOMPARE(stageList->topLevelItemCount(), 0);
  QCOMPARE(List(pairs, "PoleList")->topLevelItemCount(), 3);
  QCOMPARE(List(pairs, "ZeroList")->topLevelItemCount(), 2);
}

void PairingCascadingTest::twoSinglePolesJoinedByHandAreSymmetricNotch() {
  Modes(true, true);
  DesignUpToStages(kWideBandpass, kButterworth);
  QWidget* pairs = Main().PairingWindow();
  QCOMPARE(Column(List(pairs, "PoleList"), 0),
           (QStringList{"POLE PAIR", "POLE PAIR", "SNGL POLE", "SNGL POLE"}));
  QCOMPARE(Column(List(pairs, "ZeroList"), 0), (QStringList{"SNGL ZERO", "SNGL ZERO", "SNGL ZERO"}));
  // No zero at all, and still a symmetric notch: the stage type of two real poles.
  ClickEntry(List(pairs, "PoleList"), 3);
  ClickEntry(List(pairs, "PoleList"), 4);
  Click(*pairs, "AddBtn");
  QVERIFY(f_->presenter->shown.isEmpty());
  QTreeWidget* stageList = List(pairs, "StageList");
  QCOMPARE(Column(stageList, 1), QStringList{"SN"});
  QVERIFY(stageList->topLevelItem(0)->text(2).startsWith(QStringLiteral("SNGL POLE + SNGL POLE  fp: ")));
}

void PairingCascadingTest::listsFollowTheFrequencyUnit() {
  Modes(true, true);
  DesignUpToStages(kEllipticLowpass, kElliptic);
  TfmMain& w = Main();
  QWidget* pairs = w.PairingWindow();
  ClickEntry(List(pairs, "PoleList"), 1);
  ClickEntry(List(pairs, "ZeroList"), 2);
  Click(*pairs, "AddBtn");
  ClickEntry(List(pairs, "PoleList"), 3);  // stays selected across the switch
  const double w0 = w.State().polePairList[2].w0;

  QTest::mouseClick(Find<QToolButton>(w, "UnitBtn"), Qt::LeftButton);
  QTreeWidget* poles = List(pairs, "PoleList");
  QCOMPARE(Headers(poles), (QStringList{"Pole", "-σ", "±jω", "wp", "Q"}));
  QCOMPARE(Headers(List(pairs, "ZeroList")), (QStringList{"Zero", "wz"}));
  // The same pole frequency, now in Krad/s.
  auto shownValue = [&](const QString& unit) {
    QString text = poles->topLevelItem(0)->text(3);
    if (!text.endsWith(unit)) return -1.0;
    text.chop(unit.size());
    return text.toDouble();
  };
  QVERIFY(std::abs(shownValue(QStringLiteral(" Krad/s")) * 1000.0 - w0) < 0.5);
  QTreeWidget* stageList = List(pairs, "StageList");
  QVERIFY(stageList->topLevelItem(0)->text(2).startsWith(QStringLiteral("POLE PAIR  wp: ")));
  QVERIFY(stageList->topLevelItem(0)->text(3).startsWith(QStringLiteral("ZERO PAIR  wz: ")));
  QVERIFY(Entry(poles, 3)->isSelected());

  QTest::mouseClick(Find<QToolButton>(w, "UnitBtn"), Qt::LeftButton);
  QVERIFY(std::abs(shownValue(QStringLiteral(" Hz")) - w0 / (2 * M_PI)) < 5e-4);
  QVERIFY(stageList->topLevelItem(0)->text(2).startsWith(QStringLiteral("POLE PAIR  fp: ")));
}

void PairingCascadingTest::upAndDownRecomputeFlatness() {
  Modes(false, true);
  DesignUpToStages(kEllipticLowpass, kElliptic);
  TfmMain& w = Main();
  tavrin::core::DesignState& s = w.State();
  QWidget* cascade = w.CascadingWindow();
  QCOMPARE(w.Pages()->currentWidget(), cascade);
  QCOMPARE(int(s.designStep), 4);
  QTreeWidget* list = List(cascade, "StageList");
  QCOMPARE(Headers(list).last(), QStringLiteral("Flatness"));

  auto checkFlatness = [&] {
    for (int st = 1; st <= s.stageCount; ++st) {
      const double expected = LowpassFlatness(s, st);
      QVERIFY2(std::abs(s.stages[static_cast<std::size_t>(st)].flatness / expected - 1) < 1e-9,
               qPrintable(QStringLiteral("stage %1").arg(st)));
      QCOMPARE(list->topLevelItem(st - 1)->text(4), QString::number(expected, 'f', 2));
    }
  };
  // Straight from automatic pairing the list shows the flatness of the order it lists.
  checkFlatness();
  const QStringList types = Column(list, 1);
  QCOMPARE(types, (QStringList{"SLPN", "SLPN", "FLP"}));

  s.modified = false;
  s.stepsStale = false;
  ClickEntry(list, 3);
  Click(*cascade, "UpBtn");
  QCOMPARE(Column(list, 1), (QStringList{"SLPN", "FLP", "SLPN"}));
  QCOMPARE(w.CascadingWindow()->SelectedStage(), 2);
  QVERIFY(s.modified);
  QVERIFY(s.stepsStale);
  checkFlatness();
  Click(*cascade, "UpBtn");
  Click(*cascade, "UpBtn");  // at the top already: nothing moves
  QCOMPARE(Column(list, 1), (QStringList{"FLP", "SLPN", "SLPN"}));
  checkFlatness();
  Click(*cascade, "DownBtn");
  QCOMPARE(Column(list, 1), (QStringList{"SLPN", "FLP", "SLPN"}));
  checkFlatness();

  Click(*cascade, "CascadeBtn");
  QCOMPARE(Column(list, 1).first(), QStringLiteral("FLP"));
  checkFlatness();
  Click(*cascade, "NextBtn");
  QCOMPARE(w.Pages()->currentWidget(), w.CircuitSelectionWindow());
  QCOMPARE(int(s.designStep), 5);
}

void PairingCascadingTest::criteriaRules() {
  TfmMain& w = Main();
  tavrin::ui::TfmACrit* dialog = OpenCriteria();
  QVERIFY(dialog);
  QVERIFY(dialog->isModal());
  QCOMPARE(dialog->windowTitle(), QStringLiteral("Criteria; Automatic mode"));
  auto priority = [&](const char* name) { return Find<QToolButton>(*dialog, name); };
  auto priorities = [&](const char* list) {
    QStringList texts;
    for (int e = 1; e <= 4; ++e)
      texts << Find<QToolButton>(*dialog, QStringLiteral("%1Priority%2").arg(QLatin1String(list)).arg(e))
                   ->text();
    return texts;
  };
  QCOMPARE(priorities("First"), (QStringList{"1", "2", "3", "4"}));
  QCOMPARE(priorities("Last"), (QStringList{"–", "–", "–", "–"}));
  QVERIFY(!priority("LastPriority1")->isEnabled());
  QVERIFY(Find<QRadioButton>(*dialog, "RB2")->isChecked());
  QCOMPARE(Find<QRadioButton>(*dialog, "RB1")->text(), QStringLiteral(" increasing Qp"));
  QCOMPARE(Find<QRadioButton>(*dialog, "RB2")->text(), QStringLiteral(" maximum flatness"));

  // Disabling "2nd order lowpass" closes its gap; enabling it again puts it last.
  Click(*dialog, "FirstCheck2");
  QCOMPARE(priorities("First"), (QStringList{"1", "–", "2", "3"}));
  QVERIFY(!priority("FirstPriority2")->isEnabled());
  Click(*dialog, "FirstCheck2");
  QCOMPARE(priorities("First"), (QStringList{"1", "4", "2", "3"}));
  // A priority cycles through the enabled count and round to 1.
  QStringList seen;
  for (int i = 0; i < 4; ++i) {
    Click(*dialog, "FirstPriority1");
    seen << priority("FirstPriority1")->text();
  }
  QCOMPARE(seen, (QStringList{"2", "3", "4", "1"}));

  // Two entries at priority 2: OK refuses and the dialog stays.
  Click(*dialog, "FirstPriority1");
  Click(*dialog, "LastCheck4");
  Click(*dialog, "LastCheck1");
  QCOMPARE(priorities("Last"), (QStringList{"2", "–", "–", "1"}));
  Click(*dialog, "RB1");
  Click(*dialog, "OKBtn");
  QCOMPARE(f_->presenter->Texts(), QStringList{"First stage priorities must be unique."});
  QCOMPARE(f_->presenter->shown.first().kind, tavrin::approx::MessageKind::Error);
  QVERIFY(dialog->isVisible());
  QVERIFY(!w.State().useQ);
  QVERIFY(!w.State().lastStageCriteria[0].enabled);

  // First list mended (1 -> 2 -> 3 -> 4 -> 1), the last list now clashes.
  for (int i = 0; i < 3; ++i) Click(*dialog, "FirstPriority1");
  Click(*dialog, "LastPriority1");
  QCOMPARE(priorities("Last"), (QStringList{"1", "–", "–", "1"}));
  Click(*dialog, "OKBtn");
  QCOMPARE(f_->presenter->Texts().last(), QStringLiteral("Last stage priorities must be unique."));
  QVERIFY(dialog->isVisible());

  Click(*dialog, "LastPriority4");
  QPointer<tavrin::ui::TfmACrit> open(dialog);
  Click(*dialog, "OKBtn");
  QCOMPARE(f_->presenter->shown.size(), 2);
  QVERIFY(open.isNull() || !open->isVisible());
  const tavrin::core::DesignState& s = w.State();
  QVERIFY(s.useQ);
  QCOMPARE(tavrin::core::EncodeCriteria(s.firstStageCriteria), std::string("11141213"));
  QCOMPARE(tavrin::core::EncodeCriteria(s.lastStageCriteria), std::string("11010112"));
}

void PairingCascadingTest::criteriaCancelRestores() {
  TfmMain& w = Main();
  const std::string first = tavrin::core::EncodeCriteria(w.State().firstStageCriteria);
  const std::string last = tavrin::core::EncodeCriteria(w.State().lastStageCriteria);
  tavrin::ui::TfmACrit* dialog = OpenCriteria();
  QVERIFY(dialog);
  Click(*dialog, "FirstCheck1");
  Click(*dialog, "LastCheck3");
  Click(*dialog, "RB1");
  Click(*dialog, "CancelBtn");
  QVERIFY(f_->presenter->shown.isEmpty());
  QCOMPARE(tavrin::core::EncodeCriteria(w.State().firstStageCriteria), first);
  QCOMPARE(tavrin::core::EncodeCriteria(w.State().lastStageCriteria), last);
  QVERIFY(!w.State().useQ);
  QTest::qWait(0);  // the closed dialog goes
  // Opened again, it shows the criteria as they were.
  dialog = OpenCriteria();
  QVERIFY(dialog);
  QVERIFY(Find<QCheckBox>(*dialog, "FirstCheck1")->isChecked());
  QVERIFY(!Find<QCheckBox>(*dialog, "LastCheck3")->isChecked());
  QVERIFY(Find<QRadioButton>(*dialog, "RB2")->isChecked());
}

void PairingCascadingTest::optionsMenuSwitchesMidDesign() {
  Modes(true, false);
  DesignUpToStages(kEllipticLowpass, kElliptic);
  TfmMain& w = Main();
  const tavrin::core::DesignState& s = w.State();
  QCOMPARE(w.Pages()->currentWidget(), w.PairingWindow());

  // Automatic takes the pairing window away; the graphs take its place.
  Trigger(w, "Automatic1");
  QVERIFY(s.pairingAutomatic);
  QVERIFY(w.Pages()->currentWidget() != w.PairingWindow());
  QWidget* graphs = w.Pages()->currentWidget();
  QCOMPARE(graphs, graphs_);
  // Back to interactive before any stage exists: nothing to restore yet.
  Trigger(w, "Userinteractive1");
  QCOMPARE(w.Pages()->currentWidget(), graphs);

  // Through to the circuits with automatic pairing and cascading.
  Trigger(w, "Automatic1");
  Click(*graphs_, "NextBtn");
  QCOMPARE(w.Pages()->currentWidget(), w.CircuitSelectionWindow());
  QCOMPARE(int(s.designStep), 5);
  const QStringList stages = StageSignature(s);

  // Interactive cascading brings the cascading window back with the stages as they are.
  Trigger(w, "Userinteractive2");
  QCOMPARE(w.Pages()->currentWidget(), w.CascadingWindow());
  QCOMPARE(List(w.CascadingWindow(), "StageList")->topLevelItemCount(), 3);
  QCOMPARE(StageSignature(s), stages);
  Trigger(w, "Automatic2");
  QCOMPARE(w.Pages()->currentWidget(), graphs);

  // So does interactive pairing: every root is already in a stage.
  Trigger(w, "Userinteractive1");
  QCOMPARE(w.Pages()->currentWidget(), w.PairingWindow());
  QCOMPARE(List(w.PairingWindow(), "PoleList")->topLevelItemCount(), 0);
  QCOMPARE(List(w.PairingWindow(), "StageList")->topLevelItemCount(), 3);
  QCOMPARE(StageSignature(s), stages);

  // From the entry window a mode switch moves nothing.
  w.ShowRequirements();
  Trigger(w, "Userinteractive2");
  QCOMPARE(w.Pages()->currentWidget(), static_cast<QWidget*>(w.RequirementsWindow()));
}

void PairingCascadingTest::hideThisWindowNextTime() {
  Modes(true, true);
  DesignUpToStages(kEllipticLowpass, kElliptic);
  TfmMain& w = Main();
  auto* hide = Find<QCheckBox>(*w.PairingWindow(), "HideCheck");
  QCOMPARE(hide->text(), QStringLiteral(" Hide this window next time"));
  QVERIFY(!hide->isChecked());
  Click(*w.PairingWindow(), "HideCheck");
  QVERIFY(w.State().pairingAutomatic);
  QVERIFY(Find<QAction>(w, "Automatic1")->isChecked());
  // This time the window stays and pairing goes on by hand.
  QCOMPARE(w.Pages()->currentWidget(), w.PairingWindow());
  Click(*w.PairingWindow(), "AutoAddAllBtn");
  Click(*w.PairingWindow(), "NextBtn");
  QCOMPARE(w.Pages()->currentWidget(), w.CascadingWindow());
}

void PairingCascadingTest::backWalksTheStepsInReverse() {
  Modes(true, true);
  DesignUpToStages(kEllipticLowpass, kElliptic);
  TfmMain& w = Main();
  Click(*w.PairingWindow(), "AutoAddAllBtn");
  Click(*w.PairingWindow(), "NextBtn");
  Click(*w.CascadingWindow(), "NextBtn");
  QCOMPARE(w.Pages()->currentWidget(), w.CircuitSelectionWindow());
  auto* stageTabs = Find<QTabBar>(*w.CircuitSelectionWindow(), "StageTabs");
  QCOMPARE(stageTabs->count(), int(w.State().stageCount));
  QCOMPARE(stageTabs->tabText(stageTabs->count() - 1), QStringLiteral("Stage %1").arg(w.State().stageCount));

  Click(*w.CircuitSelectionWindow(), "BackBtn");
  QCOMPARE(w.Pages()->currentWidget(), w.CascadingWindow());
  QVERIFY(!w.State().stepsStale);
  Click(*w.CascadingWindow(), "BackBtn");
  QCOMPARE(w.Pages()->currentWidget(), w.PairingWindow());
  Click(*w.PairingWindow(), "BackBtn");
  QCOMPARE(w.Pages()->currentWidget(), graphs_);
  // Nothing changed on the way back: Next goes straight to the step reached, stages kept.
  const QStringList stages = StageSignature(w.State());
  Click(*graphs_, "NextBtn");
  QCOMPARE(w.Pages()->currentWidget(), w.CircuitSelectionWindow());
  QCOMPARE(StageSignature(w.State()), stages);
}

QTEST_MAIN(PairingCascadingTest)
#include "pairing_cascading_test.moc"
