// The graph window's clicks and exports: the point calculator or the pole-zero texts at a
// click, the read-out under the mouse, the picture and the CSV of the visible tab.
#include <QFile>
#include <QLabel>
#include <cmath>

#include "core/MathHelpers.h"
#include "core/NumberFormat.h"
#include "response/PointCalculator.h"
#include "stages/UserDefined.h"
#include "ui/FileDialogs.h"
#include "ui/ResponsePlot.h"
#include "ui/TfmGraph.h"
#include "ui/TfmGraphParts.h"
#include "ui/TfmMain.h"
#include "ui/TfmPtCalc.h"

namespace tavrin::ui {

using core::FrequencyUnit;
using graph::Number;
using graph::Text;

// ---------------------------------------------------------------------------------------
// Clicks, read-out, exports

response::ResponseTab TfmGraph::PointTab() const {
  switch (CurrentTab()) {
    case Tab::Phase:
      return response::ResponseTab::Phase;
    case Tab::Delay:
      return response::ResponseTab::Delay;
    case Tab::Step:
      return response::ResponseTab::Step;
    case Tab::Impulse:
      return response::ResponseTab::Impulse;
    default:
      return response::ResponseTab::Gain;
  }
}

response::PointOptions TfmGraph::PointOptionsNow() const {
  response::PointOptions o;
  o.viewAll = state_.idealGraph.viewAll;
  o.gainInDb = state_.idealGraph.gainInDb;
  o.phaseInDegrees = state_.idealGraph.phaseInDegrees;
  if (IsUserDefined()) o.userDefinedGain = [](core::DesignState& s) { stages::ComputeUserGainCurve(s, 0, 0); };
  return o;
}

void TfmGraph::PlotClicked(QPoint pixel) {
  const Tab tab = CurrentTab();
  if (tab == Tab::PoleZero) {
    poleZeroInfo_->hide();
    const std::optional<ResponsePlot::Hit> hit = plot_->HitTest(pixel, 3);
    if (!hit) return;
    const Root& r = markerRoots_[static_cast<std::size_t>(hit->series)][static_cast<std::size_t>(hit->point)];
    const bool hz = state_.frequencyUnit == FrequencyUnit::Hz;
    QStringList lines;
    lines << (IsUserDefined() ? QStringLiteral("User defined") : Text(core::ApproximationName(r.slot)));
    if (r.pole) {
      lines << (r.pair ? QStringLiteral("Pole pair") : QStringLiteral("Single pole"));
    } else if (r.pair) {
      lines << (r.multiplicity > 1 ? QStringLiteral("%1 zero pairs").arg(r.multiplicity) : QStringLiteral("Zero pair"));
    } else {
      lines << (r.multiplicity > 1 ? QStringLiteral("%1 single zeros").arg(r.multiplicity)
                                   : QStringLiteral("Single zero"));
    }
    QString root = r.pole ? QStringLiteral("p = ") : QStringLiteral("z = ");
    root += r.re != 0 ? QStringLiteral("-") + Number(std::fabs(r.re)) : QStringLiteral("0");
    root += (r.pair ? QStringLiteral("\u00b1") + QStringLiteral(" j") : QStringLiteral("+ j")) + Number(r.im);
    lines << root;
    if (r.pole && r.pair) {
      const double w0 = std::hypot(r.re, r.im);  // display unit
      const double q = w0 / (2 * std::fabs(r.re));
      const double w0Rad = hz ? w0 * core::kTwoPi : w0;
      lines << (hz ? QStringLiteral("f0 = ") : QStringLiteral("w0 = ")) +
                   Text(core::FormatFrequency(w0Rad, state_.frequencyUnit)) + QStringLiteral("   Q =") +
                   Text(core::FormatFixed(q, 8, 4));
    }
    poleZeroInfo_->setText(lines.join(QLatin1Char('\n')));
    poleZeroInfo_->adjustSize();
    QPoint at = pixel + QPoint(10, 10);
    at.setX(std::min(at.x(), plot_->width() - poleZeroInfo_->width() - 2));
    at.setY(std::min(at.y(), plot_->height() - poleZeroInfo_->height() - 2));
    poleZeroInfo_->move(at);
    poleZeroInfo_->show();
    poleZeroInfo_->raise();
    return;
  }
  const QRect area = plot_->PlotArea();
  const core::IdealAxes& ax = state_.idealAxes;
  double value = 0;
  if (tab == Tab::Step || tab == Tab::Impulse) {
    value = response::TimeAtPixel(pixel.x(), area.left(), area.width(), ax.timeSpan);
  } else {
    value = response::FrequencyAtPixel(pixel.x(), area.left(), area.width(), ax.freqStart, ax.freqStop,
                                       ax.logarithmic);
  }
  if (!ptCalc_->isVisible()) {
    const QPoint corner = mapToGlobal(QPoint(width() - 20, 60));
    ptCalc_->move(corner.x() - 300, corner.y());
  }
  ptCalc_->PickPoint(PointTab(), value);
}

QString TfmGraph::PoleZeroText() const {
  return poleZeroInfo_->isVisible() ? poleZeroInfo_->text() : QString();
}

void TfmGraph::UpdateReadout(std::optional<QPointF> value) {
  if (!value) {
    readout_->setText(QStringLiteral(" "));
    return;
  }
  const Tab tab = CurrentTab();
  const bool hz = state_.frequencyUnit == FrequencyUnit::Hz;
  QString x;
  if (tab == Tab::PoleZero) {
    readout_->setText(QStringLiteral("Re = %1    Im = %2  (%3)")
                          .arg(Number(value->x()), Number(value->y()), hz ? QStringLiteral("Hz") : QStringLiteral("rad/s")));
    return;
  }
  if (tab == Tab::Step || tab == Tab::Impulse) {
    x = QStringLiteral("t = %1 s").arg(Number(value->x() * core::Pow10(state_.idealAxes.timeExponent)));
  } else {
    const double f = value->x();
    x = QStringLiteral("f = ") + Text(core::FormatFrequency(hz ? f * core::kTwoPi : f, state_.frequencyUnit));
  }
  QString y;
  switch (tab) {
    case Tab::Gain:
      y = state_.idealGraph.gainInDb ? QStringLiteral("Gain = %1 dB").arg(Number(value->y()))
                                     : QStringLiteral("Gain = %1 V/V").arg(Number(value->y()));
      break;
    case Tab::Phase:
      y = QStringLiteral("Phase = %1 %2").arg(Number(value->y()), state_.idealGraph.phaseInDegrees ? QStringLiteral("deg") : QStringLiteral("rad"));
      break;
    case Tab::Delay:
      y = QStringLiteral("Delay = %1 s").arg(Number(value->y() * core::Pow10(state_.idealAxes.delayExponent)));
      break;
    case Tab::Step:
      y = QStringLiteral("Step = %1 V").arg(Number(value->y()));
      break;
    case Tab::Impulse:
      y = QStringLiteral("Impulse = %1 V").arg(Number(value->y() * core::Pow10(state_.idealAxes.impulseExponent)));
      break;
    case Tab::PoleZero:
      break;
  }
  readout_->setText(x + QStringLiteral("    ") + y + QStringLiteral("    (click for exact values)"));
}

bool TfmGraph::SaveGraph(const QString& fileName, const QSize& size) {
  return plot_->SaveImage(fileName, size);
}

QString TfmGraph::CsvData() const {
  const Tab tab = CurrentTab();
  const bool hz = state_.frequencyUnit == FrequencyUnit::Hz;
  QString xHeader;
  if (tab == Tab::Step || tab == Tab::Impulse) {
    xHeader = QStringLiteral("Time (X1e%1 s)").arg(state_.idealAxes.timeExponent);
  } else if (tab == Tab::PoleZero) {
    xHeader = hz ? QStringLiteral("Re[s] (Hz)") : QStringLiteral("Re[s] (rad/s)");
  } else {
    xHeader = hz ? QStringLiteral("Frequency (Hz)") : QStringLiteral("Frequency (rad/s)");
  }
  QString yUnit;
  switch (tab) {
    case Tab::Gain:
      yUnit = state_.idealGraph.gainInDb ? QStringLiteral("dB") : QStringLiteral("V/V");
      break;
    case Tab::Phase:
      yUnit = state_.idealGraph.phaseInDegrees ? QStringLiteral("degrees") : QStringLiteral("radians");
      break;
    case Tab::Delay:
      yUnit = QStringLiteral("X1e%1 s").arg(state_.idealAxes.delayExponent);
      break;
    case Tab::Step:
      yUnit = QStringLiteral("V");
      break;
    case Tab::Impulse:
      yUnit = QStringLiteral("X1e%1 V").arg(state_.idealAxes.impulseExponent);
      break;
    case Tab::PoleZero:
      yUnit = hz ? QStringLiteral("Im, Hz") : QStringLiteral("Im, rad/s");
      break;
  }
  return plot_->CsvText(xHeader, yUnit);
}

bool TfmGraph::ExportData(const QString& fileName) {
  QFile file(fileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const QByteArray bytes = CsvData().toUtf8();
  return file.write(bytes) == bytes.size();
}

QString TfmGraph::SaveGraphDialog() {
  FileDialogRequest request;
  request.caption = QStringLiteral("Save graph as");
  request.folder = main_.DesignsFolder();
  request.preset = QStringLiteral("graph.png");
  request.filter = QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg)");
  request.defaultSuffix = QStringLiteral("png");
  return main_.Dialogs().SaveFileName(this, request);
}

QString TfmGraph::ExportDataDialog() {
  FileDialogRequest request;
  request.caption = QStringLiteral("Export graph data");
  request.folder = main_.DesignsFolder();
  request.preset = QStringLiteral("graph.csv");
  request.filter = QStringLiteral("CSV table (*.csv)");
  request.defaultSuffix = QStringLiteral("csv");
  return main_.Dialogs().SaveFileName(this, request);
}


}  // namespace tavrin::ui
