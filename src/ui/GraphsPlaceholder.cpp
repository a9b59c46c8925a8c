#include "ui/GraphsPlaceholder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/NumberFormat.h"
#include "ui/TfmMain.h"

namespace tavrin::ui {

GraphsPlaceholder::GraphsPlaceholder(TfmMain& main, QWidget* parent) : QWidget(parent), main_(main) {
  setObjectName(QStringLiteral("GraphsPage"));
  setWindowTitle(QString::fromUtf8(kCaption));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 10, 14, 10);
  auto* caption = new QLabel(QString::fromUtf8(kCaption));
  caption->setObjectName(QStringLiteral("Caption"));
  QFont font = caption->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.2);
  caption->setFont(font);
  layout->addWidget(caption);

  summary_ = new QLabel;
  summary_->setObjectName(QStringLiteral("Summary"));
  summary_->setTextFormat(Qt::RichText);
  summary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  summary_->setWordWrap(true);
  layout->addWidget(summary_, 1);

  auto* row = new QHBoxLayout;
  auto* back = new QPushButton(QStringLiteral("Back"));
  back->setObjectName(QStringLiteral("BackBtn"));
  auto* next = new QPushButton(QStringLiteral("Next"));
  next->setObjectName(QStringLiteral("NextBtn"));
  next->setEnabled(false);
  auto* close = new QPushButton(QStringLiteral("&Close"));
  close->setObjectName(QStringLiteral("CloseBtn"));
  auto* strategy = new QPushButton(QStringLiteral("Strategy"));
  strategy->setObjectName(QStringLiteral("StrategyBtn"));
  row->addWidget(strategy);
  row->addStretch(1);
  row->addWidget(back);
  row->addWidget(next);
  row->addWidget(close);
  layout->addLayout(row);

  // Going back leaves the entry window as it was, results included.
  connect(back, &QPushButton::clicked, this, [this] {
    main_.State().stepsStale = false;
    main_.ShowRequirements();
  });
  connect(close, &QPushButton::clicked, this, [this] {
    if (main_.SavePrompt()) main_.ResetDesign();
  });
  connect(strategy, &QPushButton::clicked, this, [this] { main_.ShowStrategy(3); });
}

void GraphsPlaceholder::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
}

void GraphsPlaceholder::Refresh() {
  const core::DesignState& s = main_.State();
  if (s.spec.kind == core::FilterKind::UserDefined) {
    // A user-defined filter has one function of its own, no approximations to choose from.
    summary_->setText(QStringLiteral("<p>The response graphs of the user-defined filter follow here.</p>"
                                     "<ul><li><b>User-defined filter</b>: N = %1</li></ul>")
                          .arg(s.results[0].order));
    return;
  }
  QString text = QStringLiteral(
      "<p>The response graphs of the approximations follow here. "
      "These approximations can be chosen:</p><ul>");
  for (int slot = 0; slot <= s.lastSlot && slot < core::kSlotCount; ++slot) {
    const QString name = QString::fromStdString(core::ApproximationName(slot));
    const core::ApproxResult& r = s.results[static_cast<std::size_t>(slot)];
    if (r.tooHigh) {
      text += QStringLiteral("<li>%1: N &gt; %2</li>").arg(name).arg(core::kMaxOrder);
    } else if (!core::SlotHasResult(s, slot)) {
      text += QStringLiteral("<li>%1: N = %2 (pole Q too high)</li>").arg(name).arg(r.order);
    } else {
      text += QStringLiteral("<li><b>%1</b>: N = %2</li>").arg(name).arg(r.order);
    }
  }
  text += QStringLiteral("</ul>");
  summary_->setText(text);
}

}  // namespace tavrin::ui
