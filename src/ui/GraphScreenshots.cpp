#include "ui/GraphScreenshots.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QTimer>

#include "stages/UserDefined.h"
#include "ui/ResponsePlot.h"
#include "ui/TfmConfig.h"
#include "ui/TfmGraph.h"
#include "ui/TfmMain.h"
#include "ui/TfmParEnt.h"
#include "ui/TfmPtCalc.h"

namespace tavrin::ui {

namespace {

void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

// The design of the scenes: the bandpass the entry window proposes, Elliptic chosen,
// every approximation drawn.
TfmGraph& OpenBandpassGraphs(TfmMain& main) {
  main.StartDesign(core::FilterKind::Bandpass);
  main.RequirementsWindow()->CalcBtnClick();
  main.RequirementsWindow()->BitBtn1Click();
  TfmGraph& graphs = *main.GraphsWindow();
  graphs.SetViewAll(true);
  graphs.ApproximationClick(static_cast<int>(core::Approximation::Elliptic));
  Settle();
  return graphs;
}

// A user-defined filter of three sections: a lowpass pole pair, a first-order lowpass and
// a notch above the band.
void OpenUserGraphs(TfmMain& main) {
  main.StartDesign(core::FilterKind::UserDefined);
  core::DesignState& s = main.State();
  stages::StartUserDesign(s);
  stages::SectionEntry pair;
  pair.field = {"1.3", "1000", "", "", "1.0"};
  stages::SectionEntry real;
  real.order = 1;
  real.mode = stages::EntryMode::Poles;
  real.field = {"1200", "", "", "", "1.0"};
  stages::SectionEntry notch;
  notch.type = stages::SectionType::Bandstop;
  notch.field = {"2", "3000", "4000", "", "1.0"};
  for (const stages::SectionEntry& e : {pair, real, notch}) stages::AddSection(s, e);
  stages::CommitUserDesign(s);
  main.ShowGraphs();
  Settle();
}

bool Save(QWidget& widget, const QString& fileName) {
  Settle();
  return widget.grab().save(fileName, "PNG");
}

// The whole main window with a tool window drawn where it stands beside the graph.
bool SaveWithTool(TfmMain& main, QWidget& tool, const QString& fileName) {
  Settle();
  QPixmap picture = main.grab();
  const QPixmap toolPicture = tool.grab();
  QPainter painter(&picture);
  const QPoint at(picture.width() - toolPicture.width() - 24, 90);
  painter.fillRect(QRect(at + QPoint(3, 3), toolPicture.size()), QColor(0, 0, 0, 60));
  painter.drawPixmap(at, toolPicture);
  painter.setPen(QColor(90, 90, 90));
  painter.drawRect(QRect(at, toolPicture.size()).adjusted(0, 0, -1, -1));
  painter.end();
  return picture.save(fileName, "PNG");
}

}  // namespace

QStringList GraphScenes() {
  return {QStringLiteral("graphs-gain"),    QStringLiteral("graphs-gain-zoomed"), QStringLiteral("graphs-phase"),
          QStringLiteral("graphs-delay"),   QStringLiteral("graphs-step"),        QStringLiteral("graphs-impulse"),
          QStringLiteral("graphs-polezero"), QStringLiteral("graphs-user"),       QStringLiteral("point-calculator"),
          QStringLiteral("configure-axes")};
}

bool SaveGraphScene(TfmMain& main, const QString& scene, const QString& fileName, bool& handled) {
  handled = GraphScenes().contains(scene);
  if (!handled) return false;
  if (scene == QLatin1String("graphs-user")) {
    OpenUserGraphs(main);
    return Save(main, fileName);
  }
  TfmGraph& graphs = OpenBandpassGraphs(main);
  ResponsePlot& plot = *graphs.Plot();
  if (scene == QLatin1String("graphs-gain")) return Save(main, fileName);
  if (scene == QLatin1String("graphs-gain-zoomed")) {
    // The passband and its edges, from 0 dB down to -60 dB.
    const core::IdealAxes& ax = main.State().idealAxes;
    const double centre = std::sqrt(ax.freqStart * ax.freqStop);
    graphs.ZoomBtnClick();
    const QPoint from(static_cast<int>(plot.PixelX(centre / 1.6)), static_cast<int>(plot.PixelY(2)));
    const QPoint to(static_cast<int>(plot.PixelX(centre * 1.6)), static_cast<int>(plot.PixelY(-60)));
    graphs.ZoomDragged(from, to);
    return Save(main, fileName);
  }
  if (scene == QLatin1String("graphs-phase")) graphs.SelectTab(TfmGraph::Tab::Phase);
  if (scene == QLatin1String("graphs-delay")) graphs.SelectTab(TfmGraph::Tab::Delay);
  if (scene == QLatin1String("graphs-step")) graphs.SelectTab(TfmGraph::Tab::Step);
  if (scene == QLatin1String("graphs-impulse")) graphs.SelectTab(TfmGraph::Tab::Impulse);
  if (scene == QLatin1String("graphs-polezero")) {
    graphs.SelectTab(TfmGraph::Tab::PoleZero);
    Settle();
    graphs.DrawGraph();
    // The elliptic pole nearest the jw axis, clicked.
    const auto& series = plot.Series();
    for (std::size_t i = 0; i < series.size(); ++i) {
      if (series[i].id != static_cast<int>(core::Approximation::Elliptic) || series[i].x.isEmpty()) continue;
      if (series[i].shape != QCPScatterStyle::ssCross) continue;
      int best = 0;
      for (int k = 0; k < series[i].x.size(); ++k)
        if (series[i].x[k] > series[i].x[best] && series[i].y[k] > 0) best = k;
      graphs.PlotClicked(QPoint(static_cast<int>(plot.PixelX(series[i].x[best])),
                                static_cast<int>(plot.PixelY(series[i].y[best]))));
      break;
    }
    return Save(main, fileName);
  }
  if (scene == QLatin1String("point-calculator")) {
    const QRect area = plot.PlotArea();
    graphs.PlotClicked(QPoint(area.center().x(), area.center().y()));
    return SaveWithTool(main, *graphs.PointCalculator(), fileName);
  }
  if (scene == QLatin1String("configure-axes")) {
    TfmConfig config(main.State(), &main);
    config.show();
    const bool saved = SaveWithTool(main, config, fileName);
    config.reject();
    return saved;
  }
  return Save(main, fileName);
}

}  // namespace tavrin::ui
