// The desktop program: the main window, the splash, the event loop.
//   tavrin                      the program
//   tavrin --screenshot FILE    starts up, writes a PNG of the main window to FILE, ends
//   tavrin --screenshot FILE --scene NAME
//                               the same for a window in a known state (requirements, results-lowpass,
//                               results-bandstop, dbconv, help, strategy)
#include <QApplication>
#include <QCommandLineParser>

#include "ui/AppInfo.h"
#include "ui/Screenshots.h"
#include "ui/TfmMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tavrin"));
  QApplication::setApplicationVersion(QStringLiteral(TAVRIN_VERSION));
  QApplication::setApplicationDisplayName(QString::fromLatin1(tavrin::ui::kApplicationTitle));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Active analog filter design"));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Write a picture of the main window to <file> and end."),
                                      QStringLiteral("file"));
  parser.addOption(screenshot);
  const QCommandLineOption scene(QStringLiteral("scene"),
                                 QStringLiteral("With --screenshot: the window to picture (%1).")
                                     .arg(tavrin::ui::ScreenshotScenes().join(QStringLiteral(", "))),
                                 QStringLiteral("name"), QStringLiteral("main"));
  parser.addOption(scene);
  parser.process(app);

  tavrin::ui::TfmMain window;
  if (window.StartupFailed()) {
    tavrin::ui::TfmMain::ShowStartupError(nullptr);
    return 1;
  }

  window.show();
  if (parser.isSet(screenshot)) {
    return tavrin::ui::SaveSceneScreenshot(window, parser.value(scene), parser.value(screenshot)) ? 0 : 1;
  }

  window.ShowSplash();
  return QApplication::exec();
}
