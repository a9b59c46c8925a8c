// The desktop program: the main window, the splash, the event loop.
//   tavrin                      the program
//   tavrin --screenshot FILE    starts up, writes a PNG of the main window to FILE, ends
#include <QApplication>
#include <QCommandLineParser>

#include "ui/AppInfo.h"
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
  parser.process(app);

  tavrin::ui::TfmMain window;
  if (window.StartupFailed()) {
    tavrin::ui::TfmMain::ShowStartupError(nullptr);
    return 1;
  }

  window.show();
  if (parser.isSet(screenshot)) return window.SaveScreenshot(parser.value(screenshot)) ? 0 : 1;

  window.ShowSplash();
  return QApplication::exec();
}
