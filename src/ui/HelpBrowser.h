// The page view of the help and guidance windows: our HTML pages with their SVG drawings
// rendered sharp at the screen's pixel density.
#pragma once

#include <QTextBrowser>
#include <filesystem>

namespace tavrin::ui {

class HelpBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  explicit HelpBrowser(QWidget* parent = nullptr);

  // The folder the pages and their pictures are found in, and the style they share.
  void SetFolder(const std::filesystem::path& folder);

  QVariant loadResource(int type, const QUrl& name) override;

  // The pictures a page asked for that could not be drawn; a test looks at it.
  const QStringList& MissingImages() const { return missingImages_; }
  void ClearMissingImages() { missingImages_.clear(); }

 private:
  QStringList missingImages_;
};

// The stylesheet every page uses, from help.css in the help folder (empty when missing).
QString HelpStyleSheet(const std::filesystem::path& helpFolder);

// A page's <title>, or its file name when it has none.
QString PageTitle(const QString& html, const QString& fallback);

}  // namespace tavrin::ui
