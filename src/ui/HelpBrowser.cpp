#include "ui/HelpBrowser.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTextDocument>
#include <algorithm>
#include <cmath>

namespace tavrin::ui {

namespace {

QString PathText(const std::filesystem::path& p) {
  return QString::fromStdString(p.string());
}

}  // namespace

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent) {
  setOpenExternalLinks(true);
  setFrameShape(QFrame::NoFrame);
  document()->setDocumentMargin(18);
}

void HelpBrowser::SetFolder(const std::filesystem::path& folder) {
  setSearchPaths({PathText(folder)});
  // Pages of a subfolder share the stylesheet of the help folder.
  QString css = HelpStyleSheet(folder);
  if (css.isEmpty()) css = HelpStyleSheet(folder.parent_path());
  document()->setDefaultStyleSheet(css);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
  if (type != QTextDocument::ImageResource) return QTextBrowser::loadResource(type, name);
  QString file = name.isLocalFile() ? name.toLocalFile() : name.path();
  if (QFileInfo(file).isRelative()) {
    // The document's own address, not the browser's: while a new page is being loaded the
    // old one may still ask for its pictures.
    QUrl base(document()->metaInformation(QTextDocument::DocumentUrl));
    if (!base.isLocalFile()) base = source();
    const QString dir = base.isLocalFile() ? QFileInfo(base.toLocalFile()).absolutePath()
                                           : (searchPaths().isEmpty() ? QString() : searchPaths().first());
    file = dir + QLatin1Char('/') + file;
  }
  if (!file.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
    const QVariant v = QTextBrowser::loadResource(type, name);
    if (v.isNull()) missingImages_ << name.toString();
    return v;
  }
  QSvgRenderer svg(file);
  if (!svg.isValid()) {
    missingImages_ << name.toString();
    return {};
  }
  // Drawn at the screen's density, shown at the drawing's own size.
  const qreal ratio = std::max<qreal>(1.0, devicePixelRatioF());
  const QSize size = svg.defaultSize();
  QImage image(QSize(static_cast<int>(std::ceil(size.width() * ratio)),
                     static_cast<int>(std::ceil(size.height() * ratio))),
               QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p);
  }
  image.setDevicePixelRatio(ratio);
  return image;
}

QString HelpStyleSheet(const std::filesystem::path& helpFolder) {
  QFile file(PathText(helpFolder / "help.css"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QString PageTitle(const QString& html, const QString& fallback) {
  static const QRegularExpression title(
      QStringLiteral("<title>(.*?)</title>"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  const QRegularExpressionMatch m = title.match(html);
  return m.hasMatch() ? m.captured(1).simplified() : fallback;
}

}  // namespace tavrin::ui
