#include "ui/TfmDbConv.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "core/MathHelpers.h"
#include "core/NumberFormat.h"
#include "ui/MessageBoxes.h"

namespace tavrin::ui {

GainEdit::GainEdit(QWidget* parent) : QLineEdit(parent) {
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setMaxLength(20);
}

void GainEdit::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Tab && (event->modifiers() & Qt::ControlModifier)) {
    event->accept();
    return;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    event->accept();
    return;
  }
  const Qt::KeyboardModifiers command = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
  const QString text = event->text();
  if (!(event->modifiers() & command) && text.size() == 1 && text.at(0).isPrint()) {
    const QChar c = text.at(0);
    const bool allowed = c.isDigit() || QStringLiteral("+-.Ee").contains(c);
    if (!allowed) {
      event->accept();
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

TfmDbConv::TfmDbConv(MessagePresenter& presenter, QWidget* parent) : QDialog(parent), presenter_(presenter) {
  setObjectName(QStringLiteral("TfmDbConv"));
  setWindowTitle(QStringLiteral("dB <--> V/V"));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 14, 16, 12);
  layout->setSpacing(10);

  auto* hint = new QLabel(QStringLiteral("Type a gain, then press the other unit to convert it."));
  hint->setObjectName(QStringLiteral("Hint"));
  hint->setForegroundRole(QPalette::PlaceholderText);
  layout->addWidget(hint);

  auto* row = new QHBoxLayout;
  row->setSpacing(6);
  NumEdit1 = new GainEdit;
  NumEdit1->setObjectName(QStringLiteral("NumEdit1"));
  NumEdit1->setText(QStringLiteral("0.0000"));
  QFont mono = NumEdit1->font();
  mono.setPointSizeF(mono.pointSizeF() * 1.25);
  NumEdit1->setFont(mono);
  NumEdit1->setMinimumWidth(QFontMetrics(mono).horizontalAdvance(QStringLiteral(" 1.995262E+300")) + 24);
  row->addWidget(NumEdit1, 1);

  auto unitButton = [](const char* caption, const char* name) {
    auto* b = new QToolButton;
    b->setObjectName(QString::fromLatin1(name));
    b->setText(QString::fromLatin1(caption));
    b->setCheckable(true);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumSize(52, 30);
    return b;
  };
  SpeedButton1 = unitButton("dB", "SpeedButton1");
  SpeedButton2 = unitButton("V/V", "SpeedButton2");
  auto* group = new QButtonGroup(this);
  group->setExclusive(true);
  group->addButton(SpeedButton1);
  group->addButton(SpeedButton2);
  SpeedButton1->setChecked(true);
  row->addWidget(SpeedButton1);
  row->addWidget(SpeedButton2);
  layout->addLayout(row);

  // The unit in force reads at a glance: the pressed button carries the accent colour.
  const QString segment = QStringLiteral(
      "QToolButton { border: 1px solid #b8c4d2; background: #f7f9fb; color: #2c3e50; padding: 4px 10px;"
      " font-weight: bold; }"
      "QToolButton:hover { background: #eaf2fd; }"
      "QToolButton:checked { background: #1d6fd8; border-color: #1d6fd8; color: white; }");
  SpeedButton1->setStyleSheet(segment + QStringLiteral("QToolButton { border-top-left-radius: 5px;"
                                                       " border-bottom-left-radius: 5px; }"));
  SpeedButton2->setStyleSheet(segment + QStringLiteral("QToolButton { border-top-right-radius: 5px;"
                                                       " border-bottom-right-radius: 5px; }"));
  row->setSpacing(0);
  row->insertSpacing(1, 8);

  auto* formula = new QLabel(QStringLiteral("V/V = 10^(dB/20)     dB = 20 log\u2081\u2080(V/V)"));
  formula->setObjectName(QStringLiteral("Formula"));
  formula->setForegroundRole(QPalette::PlaceholderText);
  layout->addWidget(formula);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* close = new QPushButton(QStringLiteral("&Close"));
  close->setObjectName(QStringLiteral("CloseBtn"));
  close->setAutoDefault(false);
  buttons->addWidget(close);
  layout->addLayout(buttons);

  connect(SpeedButton1, &QToolButton::clicked, this, &TfmDbConv::SpeedButton1Click);
  connect(SpeedButton2, &QToolButton::clicked, this, &TfmDbConv::SpeedButton2Click);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  setMinimumWidth(400);
  setFixedHeight(sizeHint().height());
}

void TfmDbConv::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  NumEdit1->setFocus();
  NumEdit1->selectAll();
}

double TfmDbConv::FieldValue() const {
  if (!convertedText_.isEmpty() && NumEdit1->text() == convertedText_) return convertedValue_;
  return core::ParseReal(NumEdit1->text().toStdString());
}

void TfmDbConv::SetConverted(const QString& text, double value) {
  NumEdit1->setText(text);
  NumEdit1->end(false);
  NumEdit1->setFocus();
  convertedText_ = text;
  convertedValue_ = value;
}

void TfmDbConv::SpeedButton2Click() {
  if (units_ == 2) return;
  const double db = FieldValue();
  if (std::abs(db) > 700) {
    ShowMessage(
        presenter_, this,
        MakeMessage(kLimitMessage, approx::MessageKind::Information, approx::MessageButtons::Ok, true));
    SpeedButton1->setChecked(true);
    return;
  }
  const double vv = core::Pow10(0.05 * db);
  SetConverted(QString::fromStdString(core::FormatScientific(vv, 15, 6)), vv);
  units_ = 2;
}

void TfmDbConv::SpeedButton1Click() {
  if (units_ == 1) return;
  const double vv = FieldValue();
  if (vv < 0) ShowMessage(presenter_, this, MakeMessage(kNegativeMessage, approx::MessageKind::Information));
  const double db = 20.0 * core::Log10(std::abs(vv));
  SetConverted(QString::fromStdString(core::TrimZeros(core::FormatFixed(db, 10, 6))), db);
  units_ = 1;
}

}  // namespace tavrin::ui
