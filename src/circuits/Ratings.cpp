#include "circuits/Ratings.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "analysis/GainSensitivity.h"
#include "analysis/GainSpread.h"
#include "circuits/Catalogue.h"
#include "circuits/DesignEquations.h"
#include "circuits/DesignStage.h"
#include "circuits/GainDistribution.h"
#include "circuits/SetUpCircuit.h"
#include "circuits/TuningTable.h"
#include "core/NumberFormat.h"
#include "core/RecordParts.h"

namespace tavrin::circuits {

namespace {

using core::At;
using core::IsFirstOrderType;

constexpr double kSpreadCap = 2000000000.0;
constexpr int kSpreadShownUpTo = 5000;  // from here on the panel only says ">5000"
constexpr int kSpreadWarningAbove = 1000;
constexpr double kGainMatch = 0.001;
constexpr double kOneMegahertz = 1e6;
constexpr double kSpreadTieBand = 1.10;  // totals within 10 percent of the smallest rate alike

bool ValidStage(const core::DesignState& state, int stage) {
  return stage >= 1 && stage <= state.stageCount && stage <= core::kMaxStages;
}

int TypeOfStage(const core::DesignState& state, int stage) {
  return StageTypeOf(state.stages[At(stage)].type);
}

// The components as a stage starts out before any design: resistors and capacitors at
// 0.001, capacitors counted standard, nothing user-assigned, no sensitivities.
void ClearComponents(core::CircuitRecord& cr) {
  for (std::size_t i = 1; i <= static_cast<std::size_t>(core::kResistors); ++i) {
    core::ComponentEntry& r = cr.R[i];
    r.Value = 0.001;
    r.ExactValue = 0;
    r.PreStandardValue = 0;
    r.UserValue = 0;
    r.UserAssigned = false;
    r.IsStandard = false;
    r.Change = 0;
    r.Sens.fill(0);
  }
  for (std::size_t j = 1; j <= static_cast<std::size_t>(core::kCapacitors); ++j) {
    core::ComponentEntry& c = cr.C[j];
    c.Value = 0.001;
    c.ExactValue = 0;
    c.Change = 0;
    c.IsStandard = true;
    c.Sens.fill(0);
  }
}

// What choosing a circuit discards: adjustments and compensation, which belonged to the
// circuit chosen before.
void ClearChoiceOptions(core::CircuitRecord& cr) {
  cr.ExactTaken = false;
  cr.C2Variable = false;
  cr.ActiveComp = false;
  cr.Predistort = false;
}

bool Usable(const core::CircuitRating& r) {
  return r.Included && !r.DesignFailed;
}

// Judged on the figures the panel shows (a lowpass notch's DC gains).
bool GainRealised(const core::CircuitRating& r, const core::Stage& stage) {
  return std::abs(DisplayedGain(stage, r.CircuitGain) - DisplayedGain(stage, r.RequestedGain)) <= kGainMatch;
}

bool SpreadWarning(const core::CircuitRating& r) {
  return r.ResistorSpread > kSpreadWarningAbove || r.CapacitorSpread > kSpreadWarningAbove;
}

std::string SpreadFigure(std::int32_t spread) {
  return spread < kSpreadShownUpTo ? std::to_string(spread) + ":1" : ">5000:1";
}

std::string Trimmed(double x, int decimals) {
  return core::TrimLeadingBlanks(core::FormatFixed(x, 1, decimals));
}

}  // namespace

double RatingFrequency(const core::DesignState& state, int stage) {
  if (!ValidStage(state, stage)) return 0;
  const core::Stage& st = state.stages[At(stage)];
  const int type = StageTypeOf(st.type);
  if (IsFirstOrderType(type)) return analysis::FirstOrderPole(st);
  const analysis::FrequenciesOfInterest f = analysis::StageFrequencies(st);
  const double w = type == core::ptSHP ? f.upper : f.lower;
  return w > 0 ? w : st.wp;
}

double CapacitorSpread(const core::CircuitRecord& cr) {
  double largest = 0;
  double smallest = 0;
  const int count = std::min<int>(cr.CapacitorCount, core::kCapacitors);
  for (int k = 1; k <= count; ++k) {
    const double v = cr.C[At(k)].Value;
    if (k == 1 || v > largest) largest = v;
    if (k == 1 || v < smallest) smallest = v;
  }
  if (!(smallest > 0)) return kSpreadCap;
  const double ratio = largest / smallest;
  return ratio > kSpreadCap ? kSpreadCap : std::round(ratio);
}

void RateCandidates(core::DesignState& state, int stage) {
  if (!ValidStage(state, stage)) return;
  const auto s = At(stage);
  const core::Stage& st = state.stages[s];
  const int type = TypeOfStage(state, stage);
  const int count = CircuitCount(type);
  core::StageAnalysisEntry& entry = state.stageAnalysis[s];

  const double requested = OptimalGain(state, stage);
  analysis::StageFrequenciesOfInterest(state, stage);
  const double w = RatingFrequency(state, stage);
  analysis::RecordStageGainSensitivities(state, stage, w);

  for (int n = 1; n <= core::kCircuitSlots; ++n) {
    core::CircuitRating& r = entry.candidate[At(n)];
    if (n > count) {
      r = {};
      continue;
    }
    // The candidate is designed as selecting it would design it, on copies: the stage's
    // record and its capacitor memory (the user's capacitor choices) stay as they are.
    core::CircuitRecord cr = state.circuits[s];
    core::StageComponentSetEntry memory = state.componentSet[s];
    core::StageComponentSetEntry memorySaved = state.componentSetSaved[s];
    cr.CircuitNumber = static_cast<std::int16_t>(n);
    cr.CircuitNumberCopy = cr.CircuitNumber;
    cr.CircuitId = static_cast<std::int16_t>(CircuitIdOf(type, n));
    cr.Fresh = true;
    ClearChoiceOptions(cr);
    ClearComponents(cr);
    cr.ScaleResistor = 0;
    cr.ScalePartner = 0;
    cr.AdjustPending = false;
    SetUpCircuit(cr, st.wp, state.rememberedC2Variable[s], memory, memorySaved);
    cr.DesignFailed = false;
    cr.DcAttenuation = 0;
    cr.RequestedGain = requested;
    cr.CircuitGain = requested;
    const bool designed = DesignStage(cr, st);

    r.ResistorCount = cr.ResistorCount;
    r.CapacitorCount = cr.CapacitorCount;
    r.OpAmpCount = cr.OpAmpCount;
    r.RequestedGain = requested;
    r.CircuitGain = cr.CircuitGain;
    r.DesignFailed = cr.DesignFailed || !designed;
    r.Inverting = cr.Inverting;
    r.MinGbw = cr.MinGbw;
    r.SpreadTerms.fill(0);
    r.PassiveVariance = 0;
    r.ActiveVariance = 0;
    r.TotalSpread = 0;
    r.ResistorSpread = 0;
    r.CapacitorSpread = 0;
    if (r.DesignFailed) {
      r.Included = false;
      continue;
    }
    r.ResistorSpread = static_cast<std::int32_t>(ResistorSpread(cr));
    r.CapacitorSpread = static_cast<std::int32_t>(CapacitorSpread(cr));
    if (!r.Included) continue;
    const analysis::SpreadTerms t =
        analysis::StageSpreadTerms(st, cr, state.characteristics, w, r.GbwPairSelector);
    r.SpreadTerms = t.term;
    r.PassiveVariance = t.passive;
    r.ActiveVariance = t.active;
    r.TotalSpread = t.total;
  }

  entry.maxTerm.fill(0);
  entry.maxTotal = 0;
  for (int n = 1; n <= count; ++n) {
    const core::CircuitRating& r = entry.candidate[At(n)];
    if (!Usable(r)) continue;
    for (std::size_t k = 0; k < entry.maxTerm.size(); ++k)
      entry.maxTerm[k] = std::max(entry.maxTerm[k], r.SpreadTerms[k]);
    entry.maxTotal = std::max(entry.maxTotal, r.TotalSpread);
  }
}

bool NeedsFreshStart(const core::DesignState& state) {
  return state.designStep < 6 || state.stepsStale;
}

void StartAfresh(core::DesignState& state) {
  for (int stage = 1; stage <= state.stageCount && stage <= core::kMaxStages; ++stage) {
    const auto s = At(stage);
    core::CircuitRecord& cr = state.circuits[s];
    cr.DesignFailed = false;
    ClearChoiceOptions(cr);
    cr.EqualComponents = false;
    cr.UserGainFixed = false;
    cr.UserGain = 0;
    cr.DcAttenuation = 0;
    cr.ScaleResistor = 0;
    cr.ScalePartner = 0;
    // A variant belongs to the circuit it was chosen for; kept, the set-up would bring
    // " C2 variable" straight back into whatever circuit is chosen next.
    state.rememberedC2Variable[s] = false;
    state.equalComponentsAvailable[s] = false;
    ClearComponents(cr);
    cr.Fresh = true;
    cr.CircuitNumber = 0;
    cr.CircuitNumberCopy = 1;
    for (core::CircuitRating& r : state.stageAnalysis[s].candidate) r.Included = true;
    if (state.designStep < 6)
      cr.CircuitId = static_cast<std::int16_t>(CircuitIdOf(TypeOfStage(state, stage), 1));
  }
  state.standardResistors = false;
}

bool SelectCircuit(core::DesignState& state, int stage, int n) {
  if (!ValidStage(state, stage)) return false;
  const int type = TypeOfStage(state, stage);
  if (n < 1 || n > CircuitCount(type)) return false;
  const auto s = At(stage);
  core::CircuitRecord& cr = state.circuits[s];
  cr.CircuitNumber = static_cast<std::int16_t>(n);
  cr.CircuitNumberCopy = cr.CircuitNumber;
  cr.Fresh = true;
  cr.CircuitId = static_cast<std::int16_t>(CircuitIdOf(type, n));
  ClearChoiceOptions(cr);
  state.standardResistors = false;
  // The next computation starts from this circuit's own capacitors, not the memory's.
  state.useCapMemory = false;
  cr.MinGbw = state.stageAnalysis[s].candidate[At(n)].MinGbw;
  cr.OpAmpGbw = std::max(cr.MinGbw, kOneMegahertz);
  state.modified = true;

  bool all = true;
  for (int k = 1; k <= state.stageCount && k <= core::kMaxStages; ++k)
    all = all && state.circuits[At(k)].CircuitNumber >= 1;
  if (all && state.designStep < 6) state.designStep = 6;
  return all;
}

void ToggleIncluded(core::DesignState& state, int stage, int n) {
  if (!ValidStage(state, stage) || n < 1 || n > CircuitCount(TypeOfStage(state, stage))) return;
  core::CircuitRating& r = state.stageAnalysis[At(stage)].candidate[At(n)];
  r.Included = !r.Included && !r.DesignFailed;
  RateCandidates(state, stage);
}

void ToggleShowPassive(core::DesignState& state) {
  state.ratingShowPassive = !state.ratingShowPassive;
  if (!state.ratingShowPassive && !state.ratingShowActive) state.ratingShowActive = true;
}

void ToggleShowActive(core::DesignState& state) {
  state.ratingShowActive = !state.ratingShowActive;
  if (!state.ratingShowActive && !state.ratingShowPassive) state.ratingShowPassive = true;
}

int BestCandidate(const core::DesignState& state, int stage) {
  if (!ValidStage(state, stage)) return 0;
  const core::Stage& st = state.stages[At(stage)];
  const core::StageAnalysisEntry& entry = state.stageAnalysis[At(stage)];
  std::vector<int> pool;
  for (int n = 1; n <= CircuitCount(StageTypeOf(st.type)); ++n)
    if (Usable(entry.candidate[At(n)])) pool.push_back(n);
  // Keeps the candidates that pass a test, unless none does.
  const auto prefer = [&](auto&& passes) {
    std::vector<int> kept;
    for (int n : pool)
      if (passes(entry.candidate[At(n)])) kept.push_back(n);
    if (!kept.empty()) pool = std::move(kept);
  };
  prefer([](const core::CircuitRating& r) { return !SpreadWarning(r); });
  prefer([&st](const core::CircuitRating& r) { return GainRealised(r, st); });
  double least = 0;
  for (std::size_t k = 0; k < pool.size(); ++k) {
    const double total = entry.candidate[At(pool[k])].TotalSpread;
    if (k == 0 || total < least) least = total;
  }
  prefer([least](const core::CircuitRating& r) { return r.TotalSpread <= least * kSpreadTieBand; });
  int fewest = 0;
  for (std::size_t k = 0; k < pool.size(); ++k) {
    const int amps = entry.candidate[At(pool[k])].OpAmpCount;
    if (k == 0 || amps < fewest) fewest = amps;
  }
  prefer([fewest](const core::CircuitRating& r) { return r.OpAmpCount == fewest; });
  return pool.empty() ? 0 : pool.front();
}

// ---------------------------------------------------------------------------------------

std::string ResistorSpreadText(const core::CircuitRating& rating) {
  if (rating.DesignFailed) return "R= N/A ";
  return "R= " + SpreadFigure(rating.ResistorSpread);
}

std::string CapacitorSpreadText(const core::CircuitRating& rating) {
  if (rating.DesignFailed) return "    C= N/A";
  return "    C= " + SpreadFigure(rating.CapacitorSpread);
}

std::string ComponentSpreadLine(const core::CircuitRating& rating) {
  return ResistorSpreadText(rating) + CapacitorSpreadText(rating);
}

std::string ComponentCountLine(const core::CircuitRating& rating) {
  return "R:" + std::to_string(rating.ResistorCount) + "    C:" + std::to_string(rating.CapacitorCount) +
         "    OA:" + std::to_string(rating.OpAmpCount);
}

std::string GainText(double gain) {
  return core::RoundDigits(core::TrimZeros(core::FormatFixed(gain, 7, 4)), 5);
}

GainDisplay GainTexts(const core::CircuitRating& rating, const core::Stage& stage) {
  GainDisplay d;
  d.desired = GainText(DisplayedGain(stage, rating.RequestedGain));
  d.actual = GainText(DisplayedGain(stage, rating.CircuitGain));
  d.actualColour = GainRealised(rating, stage) ? kPanelBlack : kPanelRed;
  return d;
}

std::string EaseOfTuningText(int stageType, int n) {
  return TuningRatingName(TuningRating(CatalogueIndex(stageType, n)));
}

std::string GbwText(double hz) {
  if (hz > 1e9) return Trimmed(hz * 1e-9, 2) + " GHz";
  const int decimals = hz >= 1e7 ? 0 : hz >= 1e5 ? 2 : 3;
  return Trimmed(hz * 1e-6, decimals) + " MHz";
}

std::string MinGbwText(int stageType, double hz) {
  return IsFirstOrderType(StageTypeOf(stageType)) ? "N/A" : GbwText(hz);
}

std::vector<std::string> WarningWords(const core::CircuitRating& rating) {
  if (rating.DesignFailed) return {"Circuit", "not", "suitable"};
  if (rating.ResistorSpread > kSpreadWarningAbove) return {"Resistor", "spread", "warning"};
  if (rating.CapacitorSpread > kSpreadWarningAbove) return {"Capacitor", "spread", "warning"};
  return {};
}

bool ActiveSpreadZeroForAll(const core::DesignState& state, int stage) {
  if (!ValidStage(state, stage)) return true;
  const core::StageAnalysisEntry& entry = state.stageAnalysis[At(stage)];
  for (int n = 1; n <= CircuitCount(TypeOfStage(state, stage)); ++n) {
    const core::CircuitRating& r = entry.candidate[At(n)];
    if (Usable(r) && r.ActiveVariance > 0) return false;
  }
  return true;
}

std::string IncludeHint(const core::CircuitRating& rating) {
  return rating.Included ? "Exclude circuit" : "Include circuit";
}

std::string PassiveHint(const core::DesignState& state) {
  return state.ratingShowPassive ? "Hide Passive" : "Show Passive";
}

std::string ActiveHint(const core::DesignState& state) {
  return state.ratingShowActive ? "Hide Active" : "Show Active";
}

StageLine StageLineText(const core::Stage& stage, bool inverting, core::FrequencyUnit unit) {
  const int type = StageTypeOf(stage.type);
  const bool hz = unit == core::FrequencyUnit::Hz;
  StageLine line;
  line.polarity = inverting ? "Inverting" : "Non-inverting";
  if (IsFirstOrderType(type)) {
    line.parameters =
        std::string(hz ? "fc=" : "wc=") + core::FormatFrequency(analysis::FirstOrderPole(stage), unit);
    return line;
  }
  line.parameters = "Q=" + core::TrimZeros(core::FormatFixed(stage.Qp, 7, 3)) + (hz ? "    fp=" : "    wp=") +
                    core::FormatFrequency(stage.wp, unit);
  if (type == core::ptSLPN || type == core::ptSHPN || type == core::ptSN)
    line.parameters += (hz ? "    fz=" : "    wz=") + core::FormatFrequency(stage.wz, unit);
  return line;
}

}  // namespace tavrin::circuits
