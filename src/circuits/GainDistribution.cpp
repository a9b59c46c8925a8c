#include "circuits/GainDistribution.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "circuits/DesignStage.h"
#include "core/RecordParts.h"

namespace tavrin::circuits {

namespace {

using core::At;

int StagesOf(const core::DesignState& state) {
  return std::clamp<int>(state.stageCount, 0, core::kMaxStages);
}

bool IsLowpassNotch(const core::Stage& stage) {
  return (stage.type & 0x7F) == core::ptSLPN;
}

// (wz/wp)^2 of a lowpass notch, 1 for every other stage or where it is not defined.
double DcFactor(const core::Stage& stage) {
  if (!IsLowpassNotch(stage) || !(stage.wp > 0) || !(stage.wz > 0)) return 1;
  const double r = stage.wz / stage.wp;
  return r * r;
}

// Designs stage s again for the gain its record asks.
void Redesign(core::DesignState& state, int s) {
  core::CircuitRecord& cr = state.circuits[At(s)];
  cr.DesignFailed = false;
  DesignStage(state, s);
}

}  // namespace

double OptimalGain(const core::DesignState& state, int stage) {
  const core::Stage& st = state.stages[At(stage)];
  if (state.spec.kind == core::FilterKind::UserDefined) return st.To;
  const int n = std::max(1, StagesOf(state));
  return st.To * std::pow(10.0, std::log10(state.spec.overallGain) / n);
}

void ResolveGainConstraints(core::DesignState& state) {
  const int n = StagesOf(state);
  auto& cr = state.circuits;
  // Every restart adds one constrained stage; the bound only guards against a design
  // routine that would flip its flag back.
  for (int pass = 0; pass <= n + 1; ++pass) {
    // The trailing run of constrained stages cannot pass its shortfall forward: it goes
    // in equal shares to the free stages before it.
    int trailing = 0;
    double shortfall = 1;
    for (int s = n; s >= 1 && cr[At(s)].GainConstrained; --s) {
      ++trailing;
      shortfall *= cr[At(s)].RequestedGain / cr[At(s)].CircuitGain;
    }
    const int m = n - trailing;
    int constrained = 0;
    for (int s = 1; s <= m; ++s)
      if (cr[At(s)].GainConstrained) ++constrained;
    if (trailing > 0 && m > 0 && m > constrained) {
      const double share = std::pow(10.0, std::log10(shortfall) / (m - constrained));
      for (int s = 1; s <= m; ++s)
        if (!cr[At(s)].GainConstrained) cr[At(s)].CircuitGain *= share;
    }

    bool restart = false;
    double carried = 1;
    for (int j = 1; j <= m && !restart; ++j) {
      core::CircuitRecord& c = cr[At(j)];
      if (c.GainConstrained) carried *= c.RequestedGain / c.CircuitGain;
      if (j > 1 && cr[At(j - 1)].GainConstrained && !c.GainConstrained) {
        c.CircuitGain *= carried;
        carried = 1;
      }
      if (c.GainConstrained) continue;
      Redesign(state, j);
      if (c.GainConstrained) {
        state.designedGain[At(j)] = c.CircuitGain;
        for (int s = 1; s <= n; ++s) cr[At(s)].CircuitGain = state.designedGain[At(s)];
        restart = true;
      }
    }
    if (!restart) return;
  }
}

void StageLevels(core::DesignState& state) {
  const int n = StagesOf(state);
  if (n == 0) return;
  std::array<double, core::kMaxStages + 1> p{};
  double product = 1;
  for (int s = 1; s <= n; ++s) {
    const core::CircuitRecord& c = state.circuits[At(s)];
    const double asked = (s == 1 && c.UserGainFixed) ? c.UserGain : c.RequestedGain;
    product *= c.CircuitGain / asked;
    p[At(s)] = product;
  }
  int highest = 1;
  double best = 0;
  for (int s = 1; s <= n; ++s) {
    if (p[At(s)] > best) {
      best = p[At(s)];
      highest = s;
    }
  }
  for (int s = 1; s <= n; ++s) {
    const double level = 100.0 * p[At(s)] / p[At(highest)];
    state.circuits[At(s)].Level = std::isfinite(level) ? level : 0;
  }
}

double ActualOverallGain(core::DesignState& state) {
  for (int s = 1; s <= StagesOf(state); ++s) {
    core::CircuitRecord& c = state.circuits[At(s)];
    c.GainRatio = c.CircuitGain / c.RequestedGain;
    c.AdjustPending = false;
  }
  return ActualGainOf(state);
}

double ActualGainOf(const core::DesignState& state) {
  double gain = state.spec.overallGain;
  for (int s = 1; s <= StagesOf(state); ++s) gain *= state.circuits[At(s)].GainRatio;
  return gain;
}

double DisplayedGain(const core::Stage& stage, double recordGain) {
  return recordGain * DcFactor(stage);
}

double RecordGainOf(const core::Stage& stage, double displayedGain) {
  return displayedGain / DcFactor(stage);
}

void FixStageGain(core::DesignState& state, int stage, double displayedGain) {
  core::CircuitRecord& c = state.circuits[At(stage)];
  if (!c.UserGainFixed) c.SavedGain = c.CircuitGain;
  c.UserGain = RecordGainOf(state.stages[At(stage)], displayedGain);
  c.UserGainFixed = true;
}

void ReleaseStageGain(core::DesignState& state, int stage) {
  core::CircuitRecord& c = state.circuits[At(stage)];
  c.CircuitGain = c.SavedGain;
  c.UserGainFixed = false;
}

bool StageGainsAdjustable(const core::DesignState& state) {
  for (int s = 1; s <= StagesOf(state); ++s) {
    const core::CircuitRecord& c = state.circuits[At(s)];
    if (!c.GainConstrained || c.UserGainFixed) return true;
  }
  return false;
}

}  // namespace tavrin::circuits
