#include "ui/AboutBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/Icons.h"

namespace tavrin::ui {

namespace {

QLabel* MakeLabel(const QString& text, int pointSizeDelta, bool bold, const QString& name) {
  auto* label = new QLabel(text);
  label->setObjectName(name);
  label->setAlignment(Qt::AlignCenter);
  label->setWordWrap(true);
  QFont font = label->font();
  font.setPointSizeF(font.pointSizeF() + pointSizeDelta);
  font.setBold(bold);
  label->setFont(font);
  return label;
}

}  // namespace

AboutBox::AboutBox(Mode mode, QWidget* parent) : QDialog(parent), mode_(mode) {
  setObjectName(mode == Mode::Splash ? QStringLiteral("SplashBox") : QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About Tavrin"));
  setFixedWidth(460);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Base);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(36, 28, 36, 24);
  layout->setSpacing(6);

  auto* logo = new QLabel;
  logo->setObjectName(QStringLiteral("Logo"));
  logo->setAlignment(Qt::AlignCenter);
  logo->setPixmap(MakeIcon(IconId::About).pixmap(QSize(72, 72), devicePixelRatioF()));
  layout->addWidget(logo);
  layout->addSpacing(6);

  layout->addWidget(MakeLabel(QStringLiteral("Tavrin"), 12, true, QStringLiteral("ProgramName")));
  layout->addWidget(MakeLabel(QStringLiteral("Version 3.0"), 1, false, QStringLiteral("Version")));
  layout->addSpacing(8);
  layout->addWidget(MakeLabel(QStringLiteral("Active analog filter design with operational amplifiers"), 0,
                              false, QStringLiteral("Purpose")));
  auto* steps =
      MakeLabel(QStringLiteral("From the filter requirements through the approximations and stages "
                               "to component values, their analysis and a SPICE netlist."),
                -1, false, QStringLiteral("Steps"));
  steps->setForegroundRole(QPalette::PlaceholderText);
  layout->addWidget(steps);
  layout->addSpacing(10);

  if (mode == Mode::About) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKBtn"));
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    return;
  }

  setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
  splashTimer_ = new QTimer(this);
  splashTimer_->setSingleShot(true);
  splashTimer_->setInterval(kSplashMilliseconds);
  connect(splashTimer_, &QTimer::timeout, this, &QDialog::accept);
  splashTimer_->start();
}

void AboutBox::mousePressEvent(QMouseEvent* event) {
  if (mode_ == Mode::Splash) {
    event->accept();
    accept();
    return;
  }
  QDialog::mousePressEvent(event);
}

void AboutBox::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (mode_ != Mode::Splash) return;
  // Without a frame the splash needs its own edge and a band of the program's colour.
  QPainter p(this);
  p.setPen(QPen(QColor(0x1d, 0x6f, 0xd8), 1));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.fillRect(QRect(0, 0, width(), 5), QColor(0x1d, 0x6f, 0xd8));
}

}  // namespace tavrin::ui
