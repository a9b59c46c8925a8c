#include "ui/Screenshots.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>

#include "stages/Workflow.h"
#include "ui/FileDialogs.h"
#include "ui/GraphScreenshots.h"
#include "ui/HelpWindow.h"
#include "ui/SchematicSheet.h"
#include "ui/TfmACrit.h"
#include "ui/TfmCascade.h"
#include "ui/TfmCirSel.h"
#include "ui/TfmDbConv.h"
#include "ui/TfmMain.h"
#include "ui/TfmPairs.h"
#include "ui/TfmParEnt.h"
#include "ui/TfmStrategy.h"
#include "ui/TfmTransfer.h"
#include "ui/TfmUser.h"

namespace tavrin::ui {

namespace {

void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

bool Save(QWidget& widget, const QString& fileName) {
  Settle();
  return widget.grab().save(fileName, "PNG");
}

}  // namespace

QStringList ScreenshotScenes() {
  return QStringList{QStringLiteral("main"),
          QStringLiteral("requirements"),
          QStringLiteral("requirements-highpass"),
          QStringLiteral("requirements-bandpass"),
          QStringLiteral("requirements-bandstop"),
          QStringLiteral("results-lowpass"),
          QStringLiteral("results-bandstop"),
          QStringLiteral("save-dialog"),
          QStringLiteral("open-dialog"),
          QStringLiteral("dbconv"),
          QStringLiteral("help"),
          QStringLiteral("strategy"),
          QStringLiteral("user-defined"),
          QStringLiteral("transfer"),
          QStringLiteral("schematics"),
          QStringLiteral("pairing"),
          QStringLiteral("cascading"),
          QStringLiteral("criteria"),
          QStringLiteral("selection")} +
         GraphScenes();
}

namespace {

// Enters sections in the user-defined window as a user does: the radio buttons (by
// object name), the values in NumEdit1..5 (empty: left alone), then Add.
void EnterSections(TfmUser& user, const QList<QStringList>& sections) {
  for (const QStringList& section : sections) {
    for (int i = 0; i < 3; ++i)
      if (auto* button = user.findChild<QAbstractButton*>(section[i])) button->click();
    for (int f = 0; f < 5; ++f)
      if (!section[3 + f].isEmpty())
        user.findChild<QWidget*>(QStringLiteral("NumEdit%1").arg(f + 1))->setProperty("text", section[3 + f]);
    if (auto* add = user.findChild<QAbstractButton*>(QStringLiteral("AddBtn"))) add->click();
  }
}

bool SaveUserDefinedScene(TfmMain& main, const QString& fileName) {
  main.StartDesign(core::FilterKind::UserDefined);
  TfmUser& user = *main.UserWindow();
  // A third-order lowpass with a notch above its band, in Hz: a pole pair, a real pole
  // and a notch, entered by Q and frequency.
  EnterSections(user, {{"RB2", "RB3", "RB7", "1.3", "1000", "", "", "1.0"},
                       {"RB1", "RB3", "", "1200", "", "", "", "1.0"},
                       {"RB2", "RB6", "RB7", "2", "3000", "4000", "", "1.0"}});
  user.SelectSection(1);
  user.ReadOut(1000);
  return Save(main, fileName);
}

bool SaveTransferScene(TfmMain& main, const QString& fileName) {
  main.StartDesign(core::FilterKind::Lowpass);
  main.RequirementsWindow()->CalcBtnClick();
  // The automatic pairing and cascading of the elliptic approximation give the stages.
  core::DesignState& s = main.State();
  s.pairingAutomatic = s.cascadingAutomatic = true;
  stages::NextFromIdealGraphs(s, static_cast<int>(core::Approximation::Elliptic));
  main.UpdateCommandStates();
  main.ShowTransferFunction();
  return Save(*main.TransferWindow(), fileName);
}

}  // namespace

namespace {

void ClickButton(QWidget& window, const char* name) {
  if (auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(name))) button->click();
}

// An elliptic lowpass of order 5 (two notch stages and a first-order stage) taken to the
// stage windows, with the Options menu set for pairing and cascading by hand.
void StartStageScene(TfmMain& main, bool pairByHand) {
  for (const char* name : {pairByHand ? "Userinteractive1" : "Automatic1", "Userinteractive2"})
    if (auto* action = main.findChild<QAction*>(QString::fromLatin1(name))) action->trigger();
  main.StartDesign(core::FilterKind::Lowpass);
  TfmParEnt& entry = *main.RequirementsWindow();
  entry.findChild<QWidget*>(QStringLiteral("NumEdit2"))->setProperty("text", QStringLiteral("40"));
  entry.findChild<QWidget*>(QStringLiteral("NumEdit4"))->setProperty("text", QStringLiteral("1.5"));
  entry.CalcBtnClick();
  entry.BitBtn1Click();
  // The Elliptic radio button of the graphs, then their Next.
  QWidget& graphs = *main.Pages()->currentWidget();
  ClickButton(graphs, "ApproxRadio3");
  ClickButton(graphs, "NextBtn");
}

// Clicks list rows by their entry numbers, as the user selects them.
void SelectRows(QWidget& window, const char* list, std::initializer_list<int> entries) {
  auto* tree = window.findChild<QTreeWidget*>(QString::fromLatin1(list));
  if (!tree) return;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = tree->topLevelItem(i);
    for (int e : entries)
      if (item->data(0, Qt::UserRole).toInt() == e) item->setSelected(true);
  }
}

bool SaveStageScene(TfmMain& main, const QString& scene, const QString& fileName) {
  if (scene == QLatin1String("pairing")) {
    // One stage made, the next one selected and ready for Add.
    StartStageScene(main, true);
    TfmPairs& pairs = *main.PairingWindow();
    SelectRows(pairs, "PoleList", {1});
    SelectRows(pairs, "ZeroList", {2});
    ClickButton(pairs, "AddBtn");
    SelectRows(pairs, "PoleList", {2});
    SelectRows(pairs, "ZeroList", {1});
    return Save(main, fileName);
  }
  StartStageScene(main, false);
  TfmCascade& cascade = *main.CascadingWindow();
  SelectRows(cascade, "StageList", {3});
  if (scene == QLatin1String("cascading")) return Save(main, fileName);
  if (scene == QLatin1String("selection")) {
    ClickButton(cascade, "NextBtn");
    // The third circuit of the first stage forces its own gain: the panel shows it in red.
    main.CircuitSelectionWindow()->ShowCandidate(3);
    return Save(main, fileName);
  }
  ClickButton(cascade, "CriteriaBtn");
  auto* criteria = main.findChild<TfmACrit*>();
  return criteria && Save(*criteria, fileName);
}

}  // namespace

bool SaveSceneScreenshot(TfmMain& main, const QString& scene, const QString& fileName) {
  if (!main.isVisible()) main.show();
  Settle();
  bool graphScene = false;
  const bool graphSaved = SaveGraphScene(main, scene, fileName, graphScene);
  if (graphScene) return graphSaved;
  if (scene == QLatin1String("main")) return Save(main, fileName);
  if (scene.startsWith(QLatin1String("requirements"))) {
    const QString kind = scene.section(QLatin1Char('-'), 1);
    if (kind.isEmpty() || kind == QLatin1String("lowpass")) {
      main.StartDesign(core::FilterKind::Lowpass);
    } else if (kind == QLatin1String("highpass")) {
      main.StartDesign(core::FilterKind::Highpass);
    } else if (kind == QLatin1String("bandpass")) {
      main.StartDesign(core::FilterKind::Bandpass);
    } else if (kind == QLatin1String("bandstop")) {
      main.StartDesign(core::FilterKind::Bandstop);
    } else {
      return false;
    }
    return Save(main, fileName);
  }
  if (scene == QLatin1String("results-lowpass") || scene == QLatin1String("results-bandstop")) {
    main.StartDesign(scene.endsWith(QLatin1String("lowpass")) ? core::FilterKind::Lowpass
                                                              : core::FilterKind::Bandstop);
    main.RequirementsWindow()->CalcBtnClick();
    return Save(main, fileName);
  }
  if (scene == QLatin1String("save-dialog") || scene == QLatin1String("open-dialog")) {
    const bool save = scene.startsWith(QLatin1String("save"));
    if (save) {
      main.StartDesign(core::FilterKind::Lowpass);
      main.RequirementsWindow()->CalcBtnClick();
    }
    const std::unique_ptr<QFileDialog> dialog =
        MakeFileDialog(&main, save ? main.SaveDesignRequest() : main.OpenDesignRequest(), save);
    dialog->show();
    return Save(*dialog, fileName);
  }
  if (scene == QLatin1String("dbconv")) {
    TfmDbConv converter(main.Presenter(), &main);
    converter.show();
    converter.findChild<QWidget*>(QStringLiteral("NumEdit1"))->setProperty("text", QStringLiteral("6"));
    if (auto* vv = converter.findChild<QAbstractButton*>(QStringLiteral("SpeedButton2"))) vv->click();
    return Save(converter, fileName);
  }
  if (scene == QLatin1String("help")) {
    main.ShowHelp(QStringLiteral("approximations.html"));
    return Save(*main.Help(), fileName);
  }
  if (scene == QLatin1String("schematics")) return SaveSchematicContactSheet(fileName);
  if (scene == QLatin1String("user-defined")) return SaveUserDefinedScene(main, fileName);
  if (scene == QLatin1String("transfer")) return SaveTransferScene(main, fileName);
  if (scene == QLatin1String("pairing") || scene == QLatin1String("cascading") ||
      scene == QLatin1String("criteria") || scene == QLatin1String("selection"))
    return SaveStageScene(main, scene, fileName);
  if (scene == QLatin1String("strategy")) {
    main.ShowStrategy(2);
    auto* window = main.findChild<TfmStrategy*>();
    return window && Save(*window, fileName);
  }
  return false;
}

}  // namespace tavrin::ui
