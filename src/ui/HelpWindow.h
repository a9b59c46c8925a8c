// The help window: Tavrin's own HTML pages, with a contents list, a topic search over the
// titles and text of every page, and back and forward through the pages read.
#pragma once

#include <QWidget>
#include <filesystem>

class QLineEdit;
class QUrl;
class QListWidget;
class QTabWidget;
class QTreeWidget;
class QToolButton;

namespace tavrin::ui {

class HelpBrowser;

class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kContentsPage = "index.html";
  static constexpr const char* kHelpOnHelpPage = "using-help.html";

  HelpWindow(const std::filesystem::path& folder, QWidget* parent = nullptr);

  void ShowContents();
  void ShowSearch();
  // A page by its file name inside the help folder ("results.html", "strategy/slew-rate.html").
  void ShowPage(const QString& page);
  // The file shown, relative to the help folder.
  QString CurrentPage() const;

  struct Hit {
    QString page;
    QString title;
  };
  // The pages whose title or text holds every word of the query, best first.
  QList<Hit> Search(const QString& query) const;
  int PageCount() const { return static_cast<int>(pages_.size()); }

 private:
  struct Page {
    QString file;
    QString title;
    QString text;
  };

  void LoadPages();
  void BuildContentsTree();
  void RunSearch();
  void FollowSource(const QUrl& source);
  void Present();

  std::filesystem::path folder_;
  QList<Page> pages_;
  HelpBrowser* browser_ = nullptr;
  QTabWidget* side_ = nullptr;
  QTreeWidget* contents_ = nullptr;
  QLineEdit* searchEdit_ = nullptr;
  QListWidget* searchResults_ = nullptr;
  QToolButton* backBtn_ = nullptr;
  QToolButton* forwardBtn_ = nullptr;
};

}  // namespace tavrin::ui
