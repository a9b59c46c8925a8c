#include "analysis/GainSpread.h"

#include <cmath>
#include <cstddef>
#include <numbers>

#include "analysis/StagePolynomials.h"
#include "analysis/WorkingVectors.h"
#include "core/RecordParts.h"

namespace tavrin::analysis {

namespace {

using core::At;
using core::IsFirstOrderType;
using core::IsNotchType;

// A weight that does not exist at the frequency moves nothing.
double Finite(double x) {
  return std::isfinite(x) ? x : 0.0;
}

// S^2 (tR^2 sum over resistors + tC^2 sum over capacitors).
double Passive(double weight, const core::SensitivitySum& squares, double tR, double tC) {
  return weight * weight * (tR * tR * squares.R + tC * tC * squares.C);
}

bool ValidStage(const core::DesignState& state, int stage) {
  return stage >= 1 && stage <= state.stageCount && stage <= core::kMaxStages;
}

}  // namespace

FrequenciesOfInterest StageFrequencies(const core::Stage& stage) {
  FrequenciesOfInterest f;
  const int type = stage.type & 0x7F;
  const double wp = stage.wp;
  const double q = stage.Qp;
  if (IsFirstOrderType(type) || !(wp > 0) || !(q > 0)) return f;
  if (q > std::numbers::sqrt2) {
    const double q2 = 2 * q * q;
    const double root = std::sqrt(4 * q * q - 1);
    f.upper = wp * std::sqrt((q2 + root) / (q2 - 1));
    f.lower = wp * std::sqrt((q2 - root) / (q2 - 1));
    return f;
  }
  switch (type) {
    case core::ptSHP:
      f.upper = wp;
      break;
    case core::ptSBP:
    case core::ptSN:
      // the lower -3 dB edge of the band
      f.lower = wp * (std::sqrt(1 + 1 / (4 * q * q)) - 1 / (2 * q));
      break;
    default:  // lowpass and the lowpass / highpass notches
      f.lower = wp;
      break;
  }
  return f;
}

FrequenciesOfInterest StageFrequenciesOfInterest(core::DesignState& state, int stage) {
  if (!ValidStage(state, stage)) return {};
  const FrequenciesOfInterest f = StageFrequencies(state.stages[At(stage)]);
  core::StageAnalysisEntry& entry = state.stageAnalysis[At(stage)];
  entry.upperFrequency = f.upper;
  entry.lowerFrequency = f.lower;
  return f;
}

double ExtraPole(const core::CircuitRecord& cr, int stageType) {
  const int type = stageType & 0x7F;
  if (!cr.Cubic || IsFirstOrderType(type) || cr.DesignFailed) return 0;
  const StagePolynomials p = BuildStagePolynomials(LoadWorkingVectors(cr), type, cr.CircuitNumber);
  if (p.b[3] == 0) return 0;
  const StageParameters at = ParametersOf(p, type);
  if (!at.wp || !(*at.wp > 0)) return 0;
  const double pole = p.b[0] / (p.b[3] * *at.wp * *at.wp);
  return pole > 0 && std::isfinite(pole) ? pole : 0;
}

GbwFactors SelectedGbwFactors(const core::CircuitRecord& cr, int selector) {
  if (selector == 1) return {cr.GbwCoefWp, cr.GbwCoefQp};
  return {};
}

SpreadTerms StageSpreadTerms(const core::Stage& stage, const core::CircuitRecord& cr,
                             const core::ComponentCharacteristics& characteristics, double w, int selector) {
  SpreadTerms s;
  if (!(w > 0)) return s;
  const int type = stage.type & 0x7F;
  const double tR = characteristics.RTolerance / 100;
  const double tC = cr.ExactTaken ? 0.0 : characteristics.CTolerance / 100;
  const GainSensitivities g = StageGainSensitivities(stage, w, cr.Cubic ? ExtraPole(cr, type) : 0);
  const double sWp = Finite(g.wp);
  const double sQ = Finite(g.Qp);
  const double sWz = Finite(g.wz);
  const double sP = Finite(g.pole);

  auto& t = s.term;
  t[kVwp] = Passive(sWp, cr.SumSqWp, tR, tC);
  if (cr.Cubic) {
    t[kVa] = Passive(sP, cr.SumSqPa, tR, tC);
    t[kVb] = Passive(sP, cr.SumSqPb, tR, tC);
  }
  if (!IsFirstOrderType(type)) {
    t[kVQ] = Passive(sQ, cr.SumSqQp, tR, tC);
    if (IsNotchType(type)) t[kVwz] = Passive(sWz, cr.SumSqWz, tR, tC);
    if (cr.OpAmpGbw > 0) {
      // the relative shift of wp and Qp per unit of wp / (2 pi GBW), scattered by the GBW tolerance
      const GbwFactors f = SelectedGbwFactors(cr, selector);
      const double x = stage.wp / (2 * std::numbers::pi * cr.OpAmpGbw);
      const double tGbw = cr.OpAmpTolerance / 100;
      t[kAwp] = sWp * sWp * (f.aw * x) * (f.aw * x) * tGbw * tGbw;
      t[kAQ] = sQ * sQ * (f.aq * x) * (f.aq * x) * tGbw * tGbw;
    }
  }
  s.passive = t[kVwp] + t[kVQ] + t[kVwz] + t[kVa] + t[kVb];
  s.active = t[kAwp] + t[kAQ];
  s.total = std::sqrt(s.passive + s.active);
  return s;
}

SpreadTerms StageSpreadTerms(const core::DesignState& state, int stage, const core::CircuitRecord& cr,
                             double w, int selector) {
  if (!ValidStage(state, stage)) return {};
  return StageSpreadTerms(state.stages[At(stage)], cr, state.characteristics, w, selector);
}

GainSensitivities RecordStageGainSensitivities(core::DesignState& state, int stage, double w) {
  if (!ValidStage(state, stage) || !(w > 0)) return {};
  const core::Stage& st = state.stages[At(stage)];
  const core::CircuitRecord& cr = state.circuits[At(stage)];
  const GainSensitivities g =
      StageGainSensitivities(st, w, cr.CircuitNumber > 0 ? ExtraPole(cr, st.type) : 0);
  core::StageAnalysisEntry& entry = state.stageAnalysis[At(stage)];
  entry.gainSensitivity = {g.wp, g.Qp, g.wz, g.pole};
  entry.lastFrequency = w;
  return g;
}

SpreadTerms StageGainSpread(core::DesignState& state, int stage) {
  if (!ValidStage(state, stage)) return {};
  const core::CircuitRecord& cr = state.circuits[At(stage)];
  core::StageAnalysisEntry& entry = state.stageAnalysis[At(stage)];
  const int n = cr.CircuitNumber;
  if (n < 1 || n > core::kCircuitSlots || !(entry.lastFrequency > 0)) return {};
  core::CircuitRating& block = entry.candidate[At(n)];
  const SpreadTerms s = StageSpreadTerms(state, stage, cr, entry.lastFrequency, block.GbwPairSelector);
  block.SpreadTerms = s.term;
  block.PassiveVariance = s.passive;
  block.ActiveVariance = s.active;
  block.TotalSpread = s.total;
  return s;
}

double FilterGainSpread(core::DesignState& state, double w) {
  double sum = 0;
  for (int s = 1; s <= state.stageCount && s <= core::kMaxStages; ++s) {
    RecordStageGainSensitivities(state, s, w);
    const double total = StageGainSpread(state, s).total;
    sum += total * total;
  }
  return std::sqrt(sum);
}

}  // namespace tavrin::analysis
