#include "ui/TfmStrategy.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/HelpBrowser.h"

namespace tavrin::ui {

const std::array<TfmStrategy::Topic, TfmStrategy::kTopicCount>& TfmStrategy::Topics() {
  static const std::array<Topic, kTopicCount> topics = {{
      {"Useful Freq.Range", "frequency-range.html"},
      {"Gain/Attenuation", "gain-attenuation.html"},
      {"Passband Ripple", "passband-ripple.html"},
      {"Approximations", "approximations.html"},
      {"Allpole and Notch", "allpole-notch.html"},
      {"Gain ZOOM", "gain-zoom.html"},
      {"Gain Spread", "gain-spread.html"},
      {"Reducing Spread", "reducing-spread.html"},
      {"Selecting Circuits", "selecting-circuits.html"},
      {"Circuit Design", "circuit-design.html"},
      {"Freq. Compensation", "frequency-compensation.html"},
      {"Slew Rate", "slew-rate.html"},
      {"Adjusting capacitor values", "adjusting-capacitors.html"},
  }};
  return topics;
}

TfmStrategy::TfmStrategy(const std::filesystem::path& folder, QWidget* parent)
    : QDialog(parent), folder_(folder) {
  setObjectName(QStringLiteral("TfmStrategy"));
  setWindowTitle(QStringLiteral("Design Strategy"));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  auto* splitter = new QSplitter;
  list_ = new QListWidget;
  list_->setObjectName(QStringLiteral("PageList"));
  for (const Topic& topic : Topics()) list_->addItem(QString::fromUtf8(topic.title));
  list_->setStyleSheet(
      QStringLiteral("QListWidget { padding: 4px; }"
                     "QListWidget::item { padding: 5px 8px; border-radius: 4px; color: #2c3e50; }"
                     "QListWidget::item:hover { background: #eaf2fd; }"
                     "QListWidget::item:selected { background: #1d6fd8; color: white; }"));
  list_->setMinimumWidth(list_->sizeHintForColumn(0) + 44);
  list_->setMaximumWidth(list_->sizeHintForColumn(0) + 70);
  view_ = new HelpBrowser;
  view_->setObjectName(QStringLiteral("PageView"));
  view_->SetFolder(folder_);
  splitter->addWidget(list_);
  splitter->addWidget(view_);
  splitter->setStretchFactor(1, 1);
  layout->addWidget(splitter, 1);

  auto* row = new QHBoxLayout;
  previous_ = new QPushButton(QStringLiteral("Previous"));
  previous_->setObjectName(QStringLiteral("PreviousBtn"));
  next_ = new QPushButton(QStringLiteral("Next"));
  next_->setObjectName(QStringLiteral("NextBtn"));
  auto* close = new QPushButton(QStringLiteral("&Close"));
  close->setObjectName(QStringLiteral("CloseBtn"));
  for (QPushButton* b : {previous_, next_, close}) b->setAutoDefault(false);
  row->addWidget(previous_);
  row->addWidget(next_);
  row->addStretch(1);
  row->addWidget(close);
  layout->addLayout(row);

  connect(list_, &QListWidget::currentRowChanged, this, &TfmStrategy::ShowPage);
  connect(previous_, &QPushButton::clicked, this, [this] { ShowPage(CurrentPage() - 1); });
  connect(next_, &QPushButton::clicked, this, [this] { ShowPage(CurrentPage() + 1); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  resize(960, 640);
}

int TfmStrategy::CurrentPage() const {
  return list_->currentRow();
}

void TfmStrategy::ShowPage(int index) {
  index = std::clamp(index, 0, kTopicCount - 1);
  const Topic& topic = Topics()[static_cast<std::size_t>(index)];
  if (list_->currentRow() != index) {
    const QSignalBlocker quiet(list_);
    list_->setCurrentRow(index);
  }
  const QString file = QString::fromStdString((folder_ / topic.file).string());
  if (QFileInfo::exists(file)) {
    view_->setSource(QUrl::fromLocalFile(file));
  } else {
    view_->setHtml(QStringLiteral("<h1>%1</h1><p>This page is not in the program's help folder.</p>")
                       .arg(QString::fromUtf8(topic.title).toHtmlEscaped()));
  }
  previous_->setEnabled(index > 0);
  next_->setEnabled(index < kTopicCount - 1);
}

}  // namespace tavrin::ui
