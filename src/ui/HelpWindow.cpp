#include "ui/HelpWindow.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/HelpBrowser.h"

namespace tavrin::ui {

namespace {

QString PathText(const std::filesystem::path& p) {
  return QString::fromStdString(p.string());
}

QString ReadText(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll());
}

constexpr int kPageRole = Qt::UserRole + 1;

}  // namespace

HelpWindow::HelpWindow(const std::filesystem::path& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), folder_(folder) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Tavrin Help"));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  auto* bar = new QWidget;
  bar->setObjectName(QStringLiteral("HelpBar"));
  auto* barLayout = new QHBoxLayout(bar);
  barLayout->setContentsMargins(8, 6, 8, 6);
  auto tool = [this](QStyle::StandardPixmap icon, const QString& text, const char* name) {
    auto* b = new QToolButton;
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(style()->standardIcon(icon));
    b->setText(text);
    b->setToolTip(text);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    return b;
  };
  backBtn_ = tool(QStyle::SP_ArrowBack, QStringLiteral("Back"), "BackBtn");
  forwardBtn_ = tool(QStyle::SP_ArrowForward, QStringLiteral("Forward"), "ForwardBtn");
  QToolButton* home = tool(QStyle::SP_DirHomeIcon, QStringLiteral("Contents"), "ContentsBtn");
  barLayout->addWidget(backBtn_);
  barLayout->addWidget(forwardBtn_);
  barLayout->addWidget(home);
  barLayout->addStretch(1);
  layout->addWidget(bar);

  auto* splitter = new QSplitter;
  splitter->setObjectName(QStringLiteral("HelpSplitter"));
  side_ = new QTabWidget;
  side_->setObjectName(QStringLiteral("HelpTabs"));
  contents_ = new QTreeWidget;
  contents_->setObjectName(QStringLiteral("ContentsTree"));
  contents_->setHeaderHidden(true);
  contents_->setRootIsDecorated(true);
  contents_->setStyleSheet(QStringLiteral("QTreeWidget::item { padding: 3px 2px; }"));
  side_->addTab(contents_, QStringLiteral("Contents"));

  auto* search = new QWidget;
  auto* searchLayout = new QVBoxLayout(search);
  searchLayout->setContentsMargins(6, 6, 6, 6);
  searchEdit_ = new QLineEdit;
  searchEdit_->setObjectName(QStringLiteral("SearchEdit"));
  searchEdit_->setPlaceholderText(QStringLiteral("Type a word to look for"));
  searchEdit_->setClearButtonEnabled(true);
  searchResults_ = new QListWidget;
  searchResults_->setObjectName(QStringLiteral("SearchResults"));
  searchResults_->setStyleSheet(QStringLiteral("QListWidget::item { padding: 3px 2px; }"));
  searchLayout->addWidget(searchEdit_);
  searchLayout->addWidget(searchResults_, 1);
  side_->addTab(search, QStringLiteral("Search"));

  browser_ = new HelpBrowser;
  browser_->setObjectName(QStringLiteral("HelpBrowser"));
  browser_->SetFolder(folder_);
  splitter->addWidget(side_);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({250, 710});
  layout->addWidget(splitter, 1);

  connect(backBtn_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forwardBtn_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(home, &QToolButton::clicked, this, &HelpWindow::ShowContents);
  connect(browser_, &QTextBrowser::backwardAvailable, backBtn_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forwardBtn_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::FollowSource);
  connect(searchEdit_, &QLineEdit::textChanged, this, &HelpWindow::RunSearch);
  connect(searchEdit_, &QLineEdit::returnPressed, this, [this] {
    if (searchResults_->count() > 0) ShowPage(searchResults_->item(0)->data(kPageRole).toString());
  });
  auto open = [this](const QString& page) {
    if (!page.isEmpty()) ShowPage(page);
  };
  connect(searchResults_, &QListWidget::itemActivated, this,
          [open](QListWidgetItem* item) { open(item->data(kPageRole).toString()); });
  connect(searchResults_, &QListWidget::itemClicked, this,
          [open](QListWidgetItem* item) { open(item->data(kPageRole).toString()); });
  connect(contents_, &QTreeWidget::itemClicked, this,
          [open](QTreeWidgetItem* item) { open(item->data(0, kPageRole).toString()); });
  connect(contents_, &QTreeWidget::itemActivated, this,
          [open](QTreeWidgetItem* item) { open(item->data(0, kPageRole).toString()); });
  backBtn_->setEnabled(false);
  forwardBtn_->setEnabled(false);

  LoadPages();
  BuildContentsTree();
  resize(960, 680);
}

void HelpWindow::LoadPages() {
  const QString root = PathText(folder_);
  QDirIterator it(root, {QStringLiteral("*.html")}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString file = it.next();
    const QString html = ReadText(file);
    Page page;
    page.file = QDir(root).relativeFilePath(file);
    page.title = PageTitle(html, QFileInfo(file).completeBaseName());
    page.text = QTextDocumentFragment::fromHtml(html).toPlainText().simplified();
    pages_.push_back(page);
  }
  std::sort(pages_.begin(), pages_.end(), [](const Page& a, const Page& b) { return a.file < b.file; });
}

void HelpWindow::BuildContentsTree() {
  // The contents page is the one list of topics; the tree follows its headings and links.
  const QString html = ReadText(PathText(folder_ / kContentsPage));
  static const QRegularExpression token(
      QStringLiteral("<h2[^>]*>(.*?)</h2>|<a\\s+href=\"([^\":#]+\\.html)\"[^>]*>(.*?)</a>"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  auto plain = [](const QString& s) { return QTextDocumentFragment::fromHtml(s).toPlainText().simplified(); };
  auto* top = new QTreeWidgetItem(contents_, {QStringLiteral("Contents")});
  top->setData(0, kPageRole, QString::fromLatin1(kContentsPage));
  QTreeWidgetItem* section = nullptr;
  for (auto it = token.globalMatch(html); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    if (!m.captured(1).isEmpty()) {
      section = new QTreeWidgetItem(contents_, {plain(m.captured(1))});
      section->setFlags(Qt::ItemIsEnabled);
      QFont bold = section->font(0);
      bold.setBold(true);
      section->setFont(0, bold);
      continue;
    }
    auto* item = section ? new QTreeWidgetItem(section, {plain(m.captured(3))})
                         : new QTreeWidgetItem(contents_, {plain(m.captured(3))});
    item->setData(0, kPageRole, m.captured(2));
  }
  contents_->expandAll();
}

QList<HelpWindow::Hit> HelpWindow::Search(const QString& query) const {
  const QStringList words = query.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
  QList<Hit> hits;
  if (words.isEmpty()) return hits;
  QList<std::pair<int, Hit>> scored;
  for (const Page& page : pages_) {
    int score = 0;
    bool all = true;
    for (const QString& w : words) {
      const int inTitle = static_cast<int>(page.title.count(w, Qt::CaseInsensitive));
      const int inText = static_cast<int>(page.text.count(w, Qt::CaseInsensitive));
      if (inTitle + inText == 0) {
        all = false;
        break;
      }
      score += 20 * inTitle + inText;
    }
    if (all) scored.push_back({score, Hit{page.file, page.title}});
  }
  std::stable_sort(scored.begin(), scored.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (const auto& s : scored) hits.push_back(s.second);
  return hits;
}

void HelpWindow::RunSearch() {
  searchResults_->clear();
  for (const Hit& hit : Search(searchEdit_->text())) {
    auto* item = new QListWidgetItem(hit.title, searchResults_);
    item->setData(kPageRole, hit.page);
    item->setToolTip(hit.page);
  }
  if (!searchEdit_->text().trimmed().isEmpty() && searchResults_->count() == 0) {
    auto* none = new QListWidgetItem(QStringLiteral("No page holds all these words."), searchResults_);
    none->setFlags(Qt::NoItemFlags);
  }
}

void HelpWindow::Present() {
  show();
  raise();
  activateWindow();
}

void HelpWindow::ShowContents() {
  side_->setCurrentIndex(0);
  ShowPage(QString::fromLatin1(kContentsPage));
}

void HelpWindow::ShowSearch() {
  if (browser_->source().isEmpty()) ShowPage(QString::fromLatin1(kContentsPage));
  side_->setCurrentIndex(1);
  Present();
  searchEdit_->setFocus();
  searchEdit_->selectAll();
}

void HelpWindow::ShowPage(const QString& page) {
  const QString file = PathText(folder_ / page.toStdString());
  if (QFileInfo::exists(file)) {
    browser_->setSource(QUrl::fromLocalFile(file));
  } else {
    browser_->setHtml(
        QStringLiteral("<h1>Page not found</h1><p>The help page <b>%1</b> is not in the "
                       "help folder <tt>%2</tt>. The program may not be installed completely.</p>")
            .arg(page.toHtmlEscaped(), PathText(folder_).toHtmlEscaped()));
  }
  Present();
}

QString HelpWindow::CurrentPage() const {
  const QUrl source = browser_->source();
  if (!source.isLocalFile()) return {};
  return QDir(PathText(folder_)).relativeFilePath(source.toLocalFile());
}

void HelpWindow::FollowSource(const QUrl& source) {
  // The contents tree marks the page being read.  The browser tells the new address
  // before it answers it from source().
  const QString page =
      source.isLocalFile() ? QDir(PathText(folder_)).relativeFilePath(source.toLocalFile()) : QString();
  for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
    if ((*it)->data(0, kPageRole).toString() == page) {
      contents_->setCurrentItem(*it);
      return;
    }
  }
  contents_->clearSelection();
}

}  // namespace tavrin::ui
