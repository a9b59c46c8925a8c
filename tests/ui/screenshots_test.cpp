// The pictures the program takes of its own windows (tavrin --screenshot --scene): each
// scene sets its window up and writes a PNG of it.
#include "ui/Screenshots.h"

#include <QImage>

#include "UiTestSupport.h"

class ScreenshotsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    f_ = std::make_unique<uitest::Fixture>();
    f_->Make();
  }
  void cleanup() { f_.reset(); }

  void everySceneIsPictured_data() {
    QTest::addColumn<QString>("scene");
    for (const QString& scene : tavrin::ui::ScreenshotScenes()) QTest::newRow(qPrintable(scene)) << scene;
  }

  void everySceneIsPictured() {
    QFETCH(QString, scene);
    const QString file = f_->HomePath() + QStringLiteral("/") + scene + QStringLiteral(".png");
    QVERIFY(tavrin::ui::SaveSceneScreenshot(*f_->main, scene, file));
    const QImage picture(file);
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() >= 300 && picture.height() >= 80);
    // The scenes run on the program's own defaults: no box had to be answered.
    QVERIFY2(f_->presenter->shown.isEmpty(), qPrintable(f_->presenter->Texts().join('|')));
  }

  void unknownSceneIsRefused() {
    QVERIFY(!tavrin::ui::SaveSceneScreenshot(*f_->main, QStringLiteral("nothing"),
                                             f_->HomePath() + QStringLiteral("/x.png")));
  }

 private:
  std::unique_ptr<uitest::Fixture> f_;
};

QTEST_MAIN(ScreenshotsTest)
#include "screenshots_test.moc"
