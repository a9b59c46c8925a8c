#include "ui/TfmBlocks.h"

#include <qcustomplot.h>

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <vector>

#include "core/NumberFormat.h"
#include "response/IdealResponse.h"

namespace tavrin::ui {

namespace {

constexpr int kPoints = 351;
constexpr double kLow = 1.0, kHigh = 100.0;

// The sample section of each sketch, on the axis from 1 to 100: poles at 10, a Q that
// makes the shape plain, zeros on either side of the pole for the notches.
core::Stage Sample(int order, int type) {
  core::Stage st;
  st.To = 1.0;
  if (order == 1) {
    st.type = type == 1 ? core::ptFHP : core::ptFLP;
    st.p = 10;
    return st;
  }
  st.wp = 10;
  st.Qp = 1.5;
  switch (type) {
    case 0:
      st.type = core::ptSLP;
      break;
    case 1:
      st.type = core::ptSHP;
      break;
    case 2:
      st.type = core::ptSBP;
      st.Qp = 2;
      break;
    case 3:
      st.type = core::ptSLPN;
      st.wz = 16;
      break;
    case 4:
      st.type = core::ptSHPN;
      st.wz = 6;
      break;
    default:
      st.type = core::ptSN;
      st.wz = 10;
      st.Qp = 2;
      break;
  }
  return st;
}

double At(int i) {
  return kLow * std::pow(kHigh / kLow, static_cast<double>(i) / (kPoints - 1));
}

// Frequencies where the gain crosses the level, refined between the grid points.
std::vector<double> Crossings(const core::Stage& st, double level) {
  std::vector<double> found;
  for (int i = 0; i + 1 < kPoints; ++i) {
    double a = At(i), b = At(i + 1);
    const bool above = response::SectionGainAt(st, a) >= level;
    if (above == (response::SectionGainAt(st, b) >= level)) continue;
    for (int k = 0; k < 50; ++k) {
      const double m = std::sqrt(a * b);
      if ((response::SectionGainAt(st, m) >= level) == above) {
        a = m;
      } else {
        b = m;
      }
    }
    found.push_back(std::sqrt(a * b));
  }
  return found;
}

}  // namespace

TfmBlocks::TfmBlocks(core::FrequencyUnit unit, QWidget* parent) : QDialog(parent), unit_(unit) {
  setObjectName(QStringLiteral("TfmBlocks"));
  setWindowTitle(QString::fromUtf8(kCaption));
  setModal(true);

  auto* layout = new QVBoxLayout(this);
  auto* body = new QHBoxLayout;
  layout->addLayout(body, 1);

  auto* choices = new QVBoxLayout;
  auto* orderBox = new QGroupBox(QStringLiteral("Order:"));
  auto* o = new QVBoxLayout(orderBox);
  first_ = new QRadioButton(QStringLiteral(" First"));
  first_->setObjectName(QStringLiteral("RB1"));
  second_ = new QRadioButton(QStringLiteral(" Second"));
  second_->setObjectName(QStringLiteral("RB2"));
  o->addWidget(first_);
  o->addWidget(second_);
  auto* orders = new QButtonGroup(this);
  orders->addButton(first_);
  orders->addButton(second_);
  choices->addWidget(orderBox);

  auto* typeBox = new QGroupBox(QStringLiteral("Section type:"));
  auto* t = new QVBoxLayout(typeBox);
  const char* captions[] = {" Lowpass", " Highpass", " Bandpass", " Lowpass", " Highpass", " Notch"};
  auto* types = new QButtonGroup(this);
  for (int i = 0; i < 6; ++i) {
    types_[i] = new QRadioButton(QString::fromUtf8(captions[i]));
    types_[i]->setObjectName(QStringLiteral("RB%1").arg(i + 3));
    types->addButton(types_[i]);
    if (i == 3) t->addWidget(new QLabel(QStringLiteral(" Bandstop:")));
    if (i >= 3) {
      auto* indented = new QHBoxLayout;
      indented->addSpacing(18);
      indented->addWidget(types_[i]);
      t->addLayout(indented);
    } else {
      t->addWidget(types_[i]);
    }
  }
  choices->addWidget(typeBox);
  choices->addStretch(1);
  body->addLayout(choices);

  plot_ = new QCustomPlot;
  plot_->setObjectName(QStringLiteral("BlocksPlot"));
  plot_->setMinimumSize(520, 340);
  plot_->xAxis->setScaleType(QCPAxis::stLogarithmic);
  auto ticker = QSharedPointer<QCPAxisTickerLog>::create();
  ticker->setSubTickCount(8);
  plot_->xAxis->setTicker(ticker);
  plot_->xAxis->setNumberFormat(QStringLiteral("gb"));
  plot_->xAxis->grid()->setSubGridVisible(true);
  plot_->xAxis->setLabel(unit == core::FrequencyUnit::Hz ? QStringLiteral("Log Frequency (Hz)   ")
                                                         : QStringLiteral("Log Frequency (rad/s)   "));
  plot_->yAxis->setLabel(QStringLiteral("Gain (V/V)"));
  plot_->xAxis->setRange(kLow, kHigh);
  plot_->addGraph()->setPen(QPen(QColor(29, 111, 216), 2.2));
  auto* right = new QVBoxLayout;
  right->addWidget(plot_, 1);
  note_ = new QLabel;
  note_->setObjectName(QStringLiteral("BlockNote"));
  note_->setWordWrap(true);
  note_->setMinimumHeight(2 * note_->fontMetrics().height() + 4);
  right->addWidget(note_);
  body->addLayout(right, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  second_->setChecked(true);
  types_[0]->setChecked(true);
  for (QRadioButton* b : {first_, second_})
    connect(b, &QRadioButton::toggled, this, [this](bool on) {
      if (on) Redraw();
    });
  for (QRadioButton* b : types_)
    connect(b, &QRadioButton::toggled, this, [this](bool on) {
      if (on) Redraw();
    });
  Redraw();
}

void TfmBlocks::Choose(int order, int type) {
  (order == 1 ? first_ : second_)->setChecked(true);
  if (type >= 0 && type < 6 && types_[type]->isEnabled()) types_[type]->setChecked(true);
}

void TfmBlocks::Redraw() {
  const bool first = first_->isChecked();
  // A first-order section is low- or highpass only.
  if (first && !types_[0]->isChecked() && !types_[1]->isChecked()) {
    types_[0]->setChecked(true);
    return;  // the toggle redraws
  }
  for (int i = 2; i < 6; ++i) types_[i]->setEnabled(!first);
  int type = 0;
  for (int i = 0; i < 6; ++i)
    if (types_[i]->isChecked()) type = i;
  const core::Stage st = Sample(first ? 1 : 2, type);

  QVector<double> x, y;
  double top = 0;
  for (int i = 0; i < kPoints; ++i) {
    x.push_back(At(i));
    y.push_back(response::SectionGainAt(st, At(i)));
    top = std::max(top, y.back());
  }
  plot_->clearItems();
  plot_->graph(0)->setData(x, y, true);
  plot_->yAxis->setRange(0, std::ceil(top * 1.2 * 2) / 2);

  const bool hz = unit_ == core::FrequencyUnit::Hz;
  marks_.clear();
  const QPen markPen(QColor(0x8a, 0x96, 0xa3), 1, Qt::DashLine);
  auto vertical = [&](double f, const QString& label, int row) {
    auto* line = new QCPItemStraightLine(plot_);
    line->setPen(markPen);
    line->point1->setCoords(f, 0);
    line->point2->setCoords(f, 1);
    auto* text = new QCPItemText(plot_);
    text->setText(label);
    text->setColor(QColor(0x1d, 0x4f, 0x91));
    text->setPositionAlignment(Qt::AlignHCenter | Qt::AlignTop);
    text->position->setTypeX(QCPItemPosition::ptPlotCoords);
    text->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    text->position->setCoords(f, 0.02 + 0.06 * row);
    text->setBrush(QColor(255, 255, 255, 230));
    marks_ << label + QStringLiteral(" at ") + QString::number(f, 'g', 4);
  };
  auto level = [&](double v, const QString& label) {
    auto* line = new QCPItemStraightLine(plot_);
    line->setPen(QPen(QColor(0xc0, 0x5a, 0x1a), 1, Qt::DotLine));
    line->point1->setCoords(kLow, v);
    line->point2->setCoords(kHigh, v);
    auto* text = new QCPItemText(plot_);
    text->setText(label);
    text->setColor(QColor(0xc0, 0x5a, 0x1a));
    text->setPositionAlignment(Qt::AlignLeft | Qt::AlignBottom);
    text->position->setCoords(1.08, v);
    text->setBrush(QColor(255, 255, 255, 230));
    marks_ << label + QStringLiteral(" at ") + QString::number(v, 'g', 4);
  };
  const QString fp = hz ? QStringLiteral("fp") : QStringLiteral("wp");
  const QString fz = hz ? QStringLiteral("fz") : QStringLiteral("wz");
  const QString fc = hz ? QStringLiteral("fc") : QStringLiteral("wc");
  level(st.To, QStringLiteral("To"));
  const bool notchWithZeroAside = st.type == core::ptSLPN || st.type == core::ptSHPN;
  if (!notchWithZeroAside) level(0.7 * st.To, QStringLiteral("0.7*To"));
  if (first) {
    vertical(st.p, fc, 0);
  } else if (st.type == core::ptSN) {
    vertical(st.wp, fp + QStringLiteral(" = ") + fz, 0);
  } else {
    vertical(st.wp, fp, 0);
    if (notchWithZeroAside) vertical(st.wz, fz, 0);
  }
  // The corners: where the gain passes 0.7 To (a first-order corner is its pole).
  if (!first && !notchWithZeroAside)
    for (double f : Crossings(st, st.To / std::sqrt(2.0))) vertical(f, fc, 1);
  plot_->replot();

  // What the sketch says about the values typed for such a section.
  QString note;
  if (first) {
    note = type == 1 ? QStringLiteral(
                           "A first-order highpass: the gain rises 6 dB per octave up to its pole p, the "
                           "corner %1, and is To above it.")
                     : QStringLiteral(
                           "A first-order lowpass: the gain is To up to its pole p, the corner %1, and "
                           "falls 6 dB per octave above it.");
    note = note.arg(fc);
  } else if (st.type == core::ptSLP || st.type == core::ptSHP) {
    note = QStringLiteral(
               "A second-order %1: the gain is To %2, peaks near %3 when Q is above 0.7 and "
               "changes 12 dB per octave beyond the corner %4.")
               .arg(st.type == core::ptSLP ? QStringLiteral("lowpass") : QStringLiteral("highpass"),
                    st.type == core::ptSLP ? QStringLiteral("at low frequencies")
                                           : QStringLiteral("at high frequencies"),
                    fp, fc);
  } else if (st.type == core::ptSBP) {
    note = QStringLiteral("A bandpass: the gain is To at %1; the band between the corners %2 is %1/Q wide.")
               .arg(fp, fc);
  } else if (st.type == core::ptSN) {
    note = QStringLiteral(
               "A notch (%1 = %2): the gain is To on both sides and zero at %2; the corners %3 lie %2/Q "
               "apart.")
               .arg(fz, fp, fc);
  } else {
    note = QStringLiteral(
               "A %1 notch (%2 %3 %4): the gain is zero at %2 and To at high frequencies; at low "
               "frequencies it is To (%2/%4)².")
               .arg(st.type == core::ptSLPN ? QStringLiteral("lowpass") : QStringLiteral("highpass"), fz,
                    st.type == core::ptSLPN ? QStringLiteral("above") : QStringLiteral("below"), fp);
  }
  note_->setText(note);
}

}  // namespace tavrin::ui
