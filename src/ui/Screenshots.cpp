#include "ui/Screenshots.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include "ui/FileDialogs.h"
#include "ui/HelpWindow.h"
#include "ui/TfmDbConv.h"
#include "ui/TfmMain.h"
#include "ui/TfmParEnt.h"
#include "ui/TfmStrategy.h"

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
  return {QStringLiteral("main"),
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
          QStringLiteral("strategy")};
}

bool SaveSceneScreenshot(TfmMain& main, const QString& scene, const QString& fileName) {
  if (!main.isVisible()) main.show();
  Settle();
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
  if (scene == QLatin1String("strategy")) {
    main.ShowStrategy(2);
    auto* window = main.findChild<TfmStrategy*>();
    return window && Save(*window, fileName);
  }
  return false;
}

}  // namespace tavrin::ui
