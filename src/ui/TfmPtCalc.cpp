#include "ui/TfmPtCalc.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>

#include "core/NumberFormat.h"
#include "ui/ResponsePlot.h"

namespace tavrin::ui {

namespace {

// Digits, one point and one minus sign; nothing else gets into the field, typed or pasted.
class PointValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& /*pos*/) const override {
    int points = 0, minus = 0;
    for (const QChar c : input) {
      if (c == QLatin1Char('.')) {
        ++points;
      } else if (c == QLatin1Char('-')) {
        ++minus;
      } else if (!c.isDigit() || c.unicode() > 127) {
        return Invalid;
      }
    }
    return points <= 1 && minus <= 1 ? Acceptable : Invalid;
  }
};

bool IsTimeTab(response::ResponseTab tab) {
  return tab == response::ResponseTab::Step || tab == response::ResponseTab::Impulse;
}

}  // namespace

TfmPtCalc::TfmPtCalc(core::DesignState& state, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), state_(state) {
  setObjectName(QStringLiteral("TfmPtCalc"));
  setWindowTitle(QStringLiteral("Point calculator"));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  group_ = new QGroupBox;
  group_->setObjectName(QStringLiteral("PointGroup"));
  auto* row = new QHBoxLayout(group_);
  edit_ = new QLineEdit;
  edit_->setObjectName(QStringLiteral("PointEdit"));
  edit_->setValidator(new PointValidator(edit_));
  edit_->setMinimumWidth(120);
  calc_ = new QPushButton(QStringLiteral("Calc"));
  calc_->setObjectName(QStringLiteral("CalcBtn"));
  calc_->setAutoDefault(false);
  row->addWidget(edit_, 1);
  row->addWidget(calc_);
  layout->addWidget(group_);
  linesLayout_ = new QVBoxLayout;
  linesLayout_->setSpacing(2);
  layout->addLayout(linesLayout_);
  layout->addStretch(1);
  connect(calc_, &QPushButton::clicked, this, &TfmPtCalc::CalcBtnClick);
  connect(edit_, &QLineEdit::returnPressed, this, &TfmPtCalc::CalcBtnClick);
}

void TfmPtCalc::PickPoint(response::ResponseTab tab, double value) {
  tab_ = tab;
  group_->setTitle(QString::fromStdString(response::PointCaption(state_, tab)));
  const std::string text = IsTimeTab(tab) ? response::TimeEntryText(value) : response::FrequencyEntryText(value);
  edit_->setText(QString::fromStdString(core::TrimLeadingBlanks(text)));
  if (!isVisible()) show();
  CalcBtnClick();
}

void TfmPtCalc::CalcBtnClick() {
  group_->setTitle(QString::fromStdString(response::PointCaption(state_, tab_)));
  const double value = core::ParseReal(edit_->text().toStdString());
  ShowLines(response::EvaluatePoint(state_, tab_, value, options_ ? options_() : response::PointOptions{}));
}

void TfmPtCalc::ShowLines(const std::vector<response::PointLine>& lines) {
  for (QLabel* label : lines_) label->deleteLater();
  lines_.clear();
  QFont mono = font();
  mono.setFamily(QStringLiteral("Liberation Mono"));
  mono.setStyleHint(QFont::Monospace);
  for (const response::PointLine& line : lines) {
    auto* label = new QLabel(QString::fromStdString(line.text));
    label->setObjectName(QStringLiteral("PointLine%1").arg(line.slot));
    label->setFont(mono);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ApproximationColor(line.slot));
    label->setPalette(palette);
    if (state_.spec.kind != core::FilterKind::UserDefined)
      label->setToolTip(QString::fromStdString(core::ApproximationName(line.slot)));
    linesLayout_->addWidget(label);
    lines_.push_back(label);
  }
  adjustSize();
}

QString TfmPtCalc::Caption() const {
  return group_->title();
}

QString TfmPtCalc::EntryText() const {
  return edit_->text();
}

QStringList TfmPtCalc::Lines() const {
  QStringList out;
  for (const QLabel* label : lines_) out << label->text();
  return out;
}

}  // namespace tavrin::ui
