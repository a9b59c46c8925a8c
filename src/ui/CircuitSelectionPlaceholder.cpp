#include "ui/CircuitSelectionPlaceholder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "stages/Pairing.h"
#include "ui/StageLists.h"
#include "ui/TfmMain.h"

namespace tavrin::ui {

CircuitSelectionPlaceholder::CircuitSelectionPlaceholder(TfmMain& main, QWidget* parent)
    : QWidget(parent), main_(main) {
  setObjectName(QStringLiteral("CircuitSelectionPage"));
  setWindowTitle(QString::fromLatin1(kCaption));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(14, 10, 14, 10);
  auto* caption = new QLabel(QString::fromLatin1(kCaption));
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
  auto* strategy = new QPushButton(QStringLiteral("Strategy"));
  strategy->setObjectName(QStringLiteral("StrategyBtn"));
  auto* back = new QPushButton(QStringLiteral("Back"));
  back->setObjectName(QStringLiteral("BackBtn"));
  auto* close = new QPushButton(QStringLiteral("&Close"));
  close->setObjectName(QStringLiteral("CloseBtn"));
  for (QPushButton* b : {strategy, back, close}) b->setMinimumWidth(92);
  row->addWidget(strategy);
  row->addStretch(1);
  row->addWidget(back);
  row->addWidget(close);
  layout->addLayout(row);

  connect(back, &QPushButton::clicked, this, [this] { main_.BackFromCircuitSelection(); });
  connect(close, &QPushButton::clicked, this, [this] {
    if (main_.SavePrompt()) main_.ResetDesign();
  });
  connect(strategy, &QPushButton::clicked, this, [this] { main_.ShowStrategy(8); });
}

void CircuitSelectionPlaceholder::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
}

void CircuitSelectionPlaceholder::Refresh() {
  const core::DesignState& s = main_.State();
  QString text = QStringLiteral(
      "<p>The choice of a circuit for each stage follows here. The stages, in cascade order from the "
      "input:</p><table cellspacing=\"0\" cellpadding=\"3\">");
  for (int st = 1; st <= s.stageCount && st <= core::kMaxStages; ++st) {
    const core::Stage& stage = s.stages[static_cast<std::size_t>(st)];
    text += QStringLiteral("<tr><td align=\"right\">%1.</td><td><b>%2</b></td><td>%3</td><td>%4</td></tr>")
                .arg(st)
                .arg(QString::fromStdString(stages::StageTypeName(stage.type)).trimmed().toHtmlEscaped(),
                     StagePolesText(stage, s.frequencyUnit).toHtmlEscaped(),
                     StageZerosText(s, stage).toHtmlEscaped());
  }
  text += QStringLiteral("</table>");
  summary_->setText(text);
}

}  // namespace tavrin::ui
