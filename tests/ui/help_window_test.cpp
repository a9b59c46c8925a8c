// The help window with its pages, and the guidance window of the Strategy buttons: the
// three Help commands, every Help and Strategy button, contents, search, and pages whose
// links and pictures all resolve.
#include <QDirIterator>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <QTreeWidget>

#include "UiTestSupport.h"
#include "core/Paths.h"
#include "ui/TfmGraph.h"
#include "ui/HelpBrowser.h"
#include "ui/HelpWindow.h"
#include "ui/TfmParEnt.h"
#include "ui/TfmStrategy.h"

using tavrin::ui::HelpBrowser;
using tavrin::ui::HelpWindow;
using tavrin::ui::TfmStrategy;
using uitest::Click;
using uitest::Find;

namespace {

QString HelpFolder() {
  return QString::fromStdString((tavrin::core::ResolvePaths()->programData / "help").string());
}

QString Read(const QString& file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList HelpPages() {
  QStringList pages;
  QDirIterator it(HelpFolder(), {QStringLiteral("*.html")}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) pages << QDir(HelpFolder()).relativeFilePath(it.next());
  pages.sort();
  return pages;
}

int WordCount(const QString& html) {
  return static_cast<int>(QTextDocumentFragment::fromHtml(html)
                              .toPlainText()
                              .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)
                              .size());
}

}  // namespace

class HelpWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void helpCommands_data();
  void helpCommands();
  void everyPageResolves();
  void contentsListsThePages();
  void search_data();
  void search();
  void helpButtonOpensItsPage();
  void strategyTopics();
  void strategyButtons_data();
  void strategyButtons();
  void strategyNavigation();
  void helpClosesWithTheProgram();

 private:
  std::unique_ptr<uitest::Fixture> f_;
};

void HelpWindowTest::init() {
  f_ = std::make_unique<uitest::Fixture>();
  f_->Make();
}

void HelpWindowTest::cleanup() {
  f_.reset();
}

void HelpWindowTest::helpCommands_data() {
  QTest::addColumn<QString>("command");
  QTest::addColumn<QString>("page");
  QTest::addColumn<int>("tab");
  QTest::newRow("Contents") << "Contents1"
                            << "index.html" << 0;
  QTest::newRow("Topic Search") << "TopicSearch1"
                                << "index.html" << 1;
  QTest::newRow("How to Use Help") << "HowtoUseHelp1"
                                   << "using-help.html" << 0;
}

void HelpWindowTest::helpCommands() {
  QFETCH(QString, command);
  QFETCH(QString, page);
  QFETCH(int, tab);
  tavrin::ui::TfmMain& w = *f_->main;
  w.show();
  QVERIFY(Find<QAction>(w, command)->isEnabled());
  uitest::Trigger(w, command);
  HelpWindow* help = w.Help();
  QVERIFY(help);
  QVERIFY(help->isVisible());
  QCOMPARE(help->CurrentPage(), page);
  QCOMPARE(Find<QTabWidget>(*help, "HelpTabs")->currentIndex(), tab);
  // One help window, however often it is asked for.
  uitest::Trigger(w, "Contents1");
  QCOMPARE(w.findChildren<HelpWindow*>().size(), 1);
}

void HelpWindowTest::everyPageResolves() {
  const QStringList pages = HelpPages();
  // Contents, getting started, requirements, approximations, results, converter, help on
  // help, and the thirteen guidance pages.
  QVERIFY2(pages.size() >= 20, qPrintable(pages.join(QLatin1Char(' '))));
  tavrin::ui::TfmMain& w = *f_->main;
  static const QRegularExpression link(QStringLiteral("<a\\s+href=\"([^\"#:]+)\""));
  for (const QString& page : pages) {
    w.ShowHelp(page);
    QCOMPARE(w.Help()->CurrentPage(), page);
    // A browser of its own per page, so every picture it asks for is this page's.
    HelpBrowser browser;
    browser.SetFolder(tavrin::core::ResolvePaths()->programData / "help");
    browser.setSource(QUrl::fromLocalFile(HelpFolder() + QLatin1Char('/') + page));
    browser.resize(700, 500);
    browser.grab();
    QVERIFY2(browser.MissingImages().isEmpty(),
             qPrintable(page + QLatin1Char(' ') + browser.MissingImages().join(' ')));
    const QString html = Read(HelpFolder() + QLatin1Char('/') + page);
    QVERIFY2(WordCount(html) > 100, qPrintable(page));
    QVERIFY2(!tavrin::ui::PageTitle(html, QString()).isEmpty(), qPrintable(page));
    const QString dir = QFileInfo(HelpFolder() + QLatin1Char('/') + page).absolutePath();
    for (auto it = link.globalMatch(html); it.hasNext();) {
      const QString target = it.next().captured(1);
      QVERIFY2(QFileInfo::exists(dir + QLatin1Char('/') + target),
               qPrintable(page + QStringLiteral(" -> ") + target));
    }
  }
}

void HelpWindowTest::contentsListsThePages() {
  tavrin::ui::TfmMain& w = *f_->main;
  w.ShowHelpContents();
  auto* tree = Find<QTreeWidget>(*w.Help(), "ContentsTree");
  QStringList linked;
  for (QTreeWidgetItemIterator it(tree); *it; ++it) {
    const QString page = (*it)->data(0, Qt::UserRole + 1).toString();
    if (!page.isEmpty()) linked << page;
  }
  // Every page can be reached from the contents.
  for (const QString& page : HelpPages()) QVERIFY2(linked.contains(page), qPrintable(page));

  // Clicking a topic opens it.
  const auto found =
      tree->findItems(QStringLiteral("The results table"), Qt::MatchContains | Qt::MatchRecursive);
  QCOMPARE(found.size(), 1);
  const QRect r = tree->visualItemRect(found.first());
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, r.center());
  QCOMPARE(w.Help()->CurrentPage(), QStringLiteral("results.html"));
  QCOMPARE(tree->currentItem(), found.first());
  // Back returns to the contents, and the tree follows.
  Click(*w.Help(), "BackBtn");
  QCOMPARE(w.Help()->CurrentPage(), QStringLiteral("index.html"));
  QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Contents"));
}

void HelpWindowTest::search_data() {
  QTest::addColumn<QString>("query");
  QTest::addColumn<QString>("first");  // the best page; empty when none is found
  QTest::addColumn<QString>("alsoFound");
  QTest::newRow("title word") << "ripple"
                              << "strategy/passband-ripple.html"
                              << "approximations.html";
  QTest::newRow("a message") << "Invalid Number"
                             << "requirements.html"
                             << "";
  QTest::newRow("two words anywhere") << "Bessel delay"
                                      << ""
                                      << "approximations.html";
  QTest::newRow("case does not matter") << "SLEW RATE"
                                        << "strategy/slew-rate.html"
                                        << "";
  QTest::newRow("nothing") << "xylophone"
                           << ""
                           << "";
}

void HelpWindowTest::search() {
  QFETCH(QString, query);
  QFETCH(QString, first);
  QFETCH(QString, alsoFound);
  tavrin::ui::TfmMain& w = *f_->main;
  uitest::Trigger(w, "TopicSearch1");
  HelpWindow& help = *w.Help();
  auto* edit = Find<QLineEdit>(help, "SearchEdit");
  auto* results = Find<QListWidget>(help, "SearchResults");
  QTest::keyClicks(edit, query);

  const QList<HelpWindow::Hit> hits = help.Search(query);
  QStringList found;
  for (const auto& hit : hits) found << hit.page;
  if (!first.isEmpty()) QCOMPARE(found.value(0), first);
  if (!alsoFound.isEmpty()) QVERIFY2(found.contains(alsoFound), qPrintable(found.join(' ')));
  if (first.isEmpty() && alsoFound.isEmpty()) {
    QVERIFY(hits.isEmpty());
    QCOMPARE(results->count(), 1);
    QCOMPARE(results->item(0)->text(), QStringLiteral("No page holds all these words."));
    return;
  }
  QCOMPARE(results->count(), hits.size());
  // Enter opens the best page.
  QTest::keyClick(edit, Qt::Key_Return);
  QCOMPARE(help.CurrentPage(), found.first());
}

void HelpWindowTest::helpButtonOpensItsPage() {
  tavrin::ui::TfmMain& w = *f_->main;
  w.StartDesign(tavrin::core::FilterKind::Lowpass);
  Click(*w.RequirementsWindow(), "BitBtn4");
  QVERIFY(w.Help() && w.Help()->isVisible());
  QCOMPARE(w.Help()->CurrentPage(), QStringLiteral("requirements.html"));
}

void HelpWindowTest::strategyTopics() {
  const QStringList titles = {
      "Useful Freq.Range",         "Gain/Attenuation", "Passband Ripple",    "Approximations",
      "Allpole and Notch",         "Gain ZOOM",        "Gain Spread",        "Reducing Spread",
      "Selecting Circuits",        "Circuit Design",   "Freq. Compensation", "Slew Rate",
      "Adjusting capacitor values"};
  TfmStrategy window(tavrin::core::ResolvePaths()->programData / "help" / "strategy");
  auto* list = Find<QListWidget>(window, "PageList");
  QCOMPARE(list->count(), titles.size());
  auto* view = window.View();
  for (int i = 0; i < titles.size(); ++i) {
    QCOMPARE(list->item(i)->text(), titles[i]);
    view->ClearMissingImages();
    list->setCurrentRow(i);
    QCOMPARE(window.CurrentPage(), i);
    // The page shown is the topic's own: its title is the list's.
    QCOMPARE(view->documentTitle(), titles[i]);
    QVERIFY2(view->MissingImages().isEmpty(), qPrintable(titles[i]));
    QVERIFY2(view->toPlainText().size() > 600, qPrintable(titles[i]));
  }
}

void HelpWindowTest::strategyButtons_data() {
  QTest::addColumn<QString>("window");
  QTest::addColumn<QString>("button");
  QTest::addColumn<int>("page");
  QTest::newRow("requirements") << "TfmParEnt"
                                 << "BitBtn2" << 0;
  QTest::newRow("graphs") << "GraphsPage"
                          << "StrategyBtn" << 3;
}

void HelpWindowTest::strategyButtons() {
  QFETCH(QString, window);
  QFETCH(QString, button);
  QFETCH(int, page);
  tavrin::ui::TfmMain& w = *f_->main;
  w.show();
  w.StartDesign(tavrin::core::FilterKind::Highpass);
  if (window == QLatin1String("GraphsPage")) {
    Click(*w.RequirementsWindow(), "CalcBtn");
    Click(*w.RequirementsWindow(), "BitBtn1");
  }
  Click(*Find<QWidget>(w, window), button);
  auto* strategy = w.findChild<TfmStrategy*>();
  QVERIFY(strategy);
  QVERIFY(strategy->isVisible());
  QVERIFY(strategy->isModal());
  QCOMPARE(strategy->CurrentPage(), page);
  QPointer<TfmStrategy> guard = strategy;
  Click(*strategy, "CloseBtn");
  QVERIFY(QTest::qWaitFor([&] { return !guard || !guard->isVisible(); }));
}

void HelpWindowTest::strategyNavigation() {
  TfmStrategy window(tavrin::core::ResolvePaths()->programData / "help" / "strategy");
  window.ShowPage(0);
  auto* previous = Find<QPushButton>(window, "PreviousBtn");
  auto* next = Find<QPushButton>(window, "NextBtn");
  QVERIFY(!previous->isEnabled());
  QTest::mouseClick(next, Qt::LeftButton);
  QCOMPARE(window.CurrentPage(), 1);
  QCOMPARE(window.View()->documentTitle(), QStringLiteral("Gain/Attenuation"));
  window.ShowPage(TfmStrategy::kTopicCount - 1);
  QVERIFY(!next->isEnabled());
  QTest::mouseClick(previous, Qt::LeftButton);
  QCOMPARE(window.CurrentPage(), TfmStrategy::kTopicCount - 2);
}

void HelpWindowTest::helpClosesWithTheProgram() {
  tavrin::ui::TfmMain& w = *f_->main;
  w.show();
  w.ShowHelpContents();
  QPointer<HelpWindow> help = w.Help();
  QVERIFY(help->isVisible());
  QVERIFY(w.close());
  QVERIFY(!help || !help->isVisible());
}

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
