// The pole-zero tab of the graph window: the roots of the drawn approximations (or of a
// user-defined filter's sections) on one scale, and what a click on a marker tells.
#include <QLabel>
#include <QListWidget>
#include <cmath>

#include "core/MathHelpers.h"
#include "core/NumberFormat.h"
#include "core/RecordParts.h"
#include "ui/ResponsePlot.h"
#include "ui/TfmGraph.h"
#include "ui/TfmGraphParts.h"

namespace tavrin::ui {

using core::FrequencyUnit;
using core::IsNotchType;

// The roots of one approximation (or of the user-defined filter's sections) in the display
// unit: poles with their real part negative, zero pairs once with their multiplicity.
void TfmGraph::DrawPoleZero() {
  const bool hz = state_.frequencyUnit == FrequencyUnit::Hz;
  const double unit = hz ? 1 / core::kTwoPi : 1.0;
  const core::GraphConfig& g = state_.idealGraph;
  std::vector<std::vector<Root>> sets;  // per drawn group: poles and zeros
  std::vector<int> setSlot;
  std::vector<bool> highlighted;

  auto addZero = [](std::vector<Root>& roots, Root z) {
    for (Root& r : roots) {
      if (!r.pole && r.pair == z.pair && std::fabs(r.im - z.im) <= 1e-9 * std::max(1.0, z.im)) {
        r.multiplicity += z.multiplicity;
        return;
      }
    }
    roots.push_back(z);
  };

  if (IsUserDefined()) {
    const int selected = sectionList_->currentRow() + 1;
    for (int st = 1; st <= state_.stageCount; ++st) {
      if (selected > 0 && st != selected && !g.viewAll) continue;
      const core::Stage& stage = state_.stages[static_cast<std::size_t>(st)];
      std::vector<Root> roots;
      const std::uint8_t type = stage.type & 0x7F;
      if (type == core::ptFLP || type == core::ptFHP) {
        roots.push_back(Root{0, true, -stage.p * unit, 0, 1, false});
        if (type == core::ptFHP) addZero(roots, Root{0, false, 0, 0, 1, false});
      } else {
        const double sigma = stage.wp / (2 * stage.Qp);
        const double d = 1 - 1 / (4 * stage.Qp * stage.Qp);
        if (d > 0) {
          roots.push_back(Root{0, true, -sigma * unit, stage.wp * std::sqrt(d) * unit, 1, true});
        } else {
          const double spread = stage.wp * std::sqrt(-d);
          roots.push_back(Root{0, true, (-sigma + spread) * unit, 0, 1, false});
          roots.push_back(Root{0, true, (-sigma - spread) * unit, 0, 1, false});
        }
        if (type == core::ptSHP) addZero(roots, Root{0, false, 0, 0, 1, true});
        if (type == core::ptSBP) addZero(roots, Root{0, false, 0, 0, 1, false});
        if (IsNotchType(type)) addZero(roots, Root{0, false, 0, stage.wz * unit, 1, true});
      }
      sets.push_back(std::move(roots));
      setSlot.push_back(0);
      highlighted.push_back(selected > 0 && st == selected);
    }
  } else {
    for (int slot = 0; slot <= state_.lastSlot && slot < core::kSlotCount; ++slot) {
      if (!Available(slot)) continue;
      if (!g.viewAll && slot != state_.chosenSlot) continue;
      const core::ApproxResult& r = state_.results[static_cast<std::size_t>(slot)];
      std::vector<Root> roots;
      for (int k = 1; k <= r.polePairs && k <= core::kMaxEntries; ++k) {
        const core::PoleRoot& p = state_.poleRoots[static_cast<std::size_t>(slot)][static_cast<std::size_t>(k)];
        roots.push_back(Root{slot, true, -p.sigma * unit, p.omega * unit, 1, p.omega != 0});
      }
      if (r.hasRealPole) roots.push_back(Root{slot, true, -r.realPole * unit, 0, 1, false});
      if (r.hasSecondRealPole) roots.push_back(Root{slot, true, -r.secondRealPole * unit, 0, 1, false});
      for (int k = 1; k <= r.zeroPairs && k <= core::kMaxEntries; ++k) {
        const double wz = state_.zeroRoots[static_cast<std::size_t>(slot)][static_cast<std::size_t>(k)].wz;
        addZero(roots, Root{slot, false, 0, wz * unit, 1, true});
      }
      const int singles = core::SingleZerosAtOrigin(state_, slot);
      if (singles > 0) addZero(roots, Root{slot, false, 0, 0, singles, false});
      sets.push_back(std::move(roots));
      setSlot.push_back(slot);
      highlighted.push_back(false);
    }
  }

  double reMax = 0, imMax = 0;
  for (const auto& roots : sets) {
    for (const Root& r : roots) {
      if (r.pole) reMax = std::max(reMax, std::fabs(r.re));
      imMax = std::max(imMax, r.im);
    }
  }
  if (imMax == 0) imMax = reMax;
  if (imMax == 0) imMax = 1;

  // One scale on both axes: the largest imaginary part 30 % of the height from the real
  // axis, the origin at 65 % of the width and half the height.
  PlotAxes axes;
  axes.xTitle = XTitle();
  axes.yTitle = YTitle();
  axes.horizontalGrid = g.gridLinesHorizontal;
  axes.verticalGrid = g.gridLinesVertical;
  axes.originLines = true;
  auto fit = [&] {
    const QRect area = plot_->PlotArea();
    const double w = std::max(area.width(), 10), h = std::max(area.height(), 10);
    const double perPixel = imMax / (0.3 * h);
    axes.xMin = -0.65 * w * perPixel;
    axes.xMax = 0.35 * w * perPixel;
    axes.yMin = -0.5 * h * perPixel;
    axes.yMax = 0.5 * h * perPixel;
    plot_->SetAxes(axes);
  };

  std::vector<PlotSeries> series;
  markerRoots_.clear();
  for (std::size_t i = 0; i < sets.size(); ++i) {
    PlotSeries poles, zeros;
    const QColor color = IsUserDefined() ? (highlighted[i] ? QColor(220, 0, 0) : ApproximationColor(0))
                                         : ApproximationColor(setSlot[i]);
    for (PlotSeries* s : {&poles, &zeros}) {
      s->color = color;
      s->id = setSlot[i];
      s->width = highlighted[i] ? 2.6 : 1.6;
      s->markerSize = highlighted[i] ? 12 : 9;
    }
    poles.shape = QCPScatterStyle::ssCross;
    zeros.shape = QCPScatterStyle::ssCircle;
    std::vector<Root> poleRoots, zeroRoots;
    for (const Root& r : sets[i]) {
      PlotSeries& s = r.pole ? poles : zeros;
      std::vector<Root>& keep = r.pole ? poleRoots : zeroRoots;
      s.x.push_back(r.re);
      s.y.push_back(r.im);
      keep.push_back(r);
      if (r.pair && r.im != 0) {
        s.x.push_back(r.re);
        s.y.push_back(-r.im);
        keep.push_back(r);
      }
    }
    series.push_back(std::move(poles));
    markerRoots_.push_back(std::move(poleRoots));
    series.push_back(std::move(zeros));
    markerRoots_.push_back(std::move(zeroRoots));
  }
  plot_->SetAreaCursor(QCursor(Qt::CrossCursor));
  plot_->SetSeries(std::move(series));
  plot_->SetLevelLine(std::nullopt);
  fit();
  plot_->Redraw();
  fit();  // the tick labels of the first pass may have moved the plot area
  plot_->Redraw();
}


}  // namespace tavrin::ui
