#include "circuits/CalculationWorkflow.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "analysis/GainSpread.h"
#include "analysis/StagePolynomials.h"
#include "analysis/WorkingVectors.h"
#include "circuits/Adjustment.h"
#include "circuits/Catalogue.h"
#include "circuits/DesignStage.h"
#include "circuits/GainDistribution.h"
#include "circuits/Ratings.h"
#include "circuits/SetUpCircuit.h"
#include "circuits/StandardValues.h"
#include "core/RecordParts.h"

namespace tavrin::circuits {

namespace {

using core::At;
using core::ResistorsOf;
using core::CapacitorsOf;
using core::IsFirstOrderType;

int StagesOf(const core::DesignState& state) {
  return std::clamp<int>(state.stageCount, 0, core::kMaxStages);
}

int TypeOf(const core::DesignState& state, int s) {
  return state.stages[At(s)].type & 0x7F;
}

// The gain the stage's components give, user-assigned resistors in force when asked.
double AnalysedGain(const core::DesignState& state, int s, bool builtValues) {
  const core::CircuitRecord& cr = state.circuits[At(s)];
  const analysis::WorkingVectors v = builtValues ? analysis::LoadBuiltValues(cr) : analysis::LoadWorkingVectors(cr);
  return analysis::StageGain(v, state.stages[At(s)], cr);
}

bool AllFresh(const core::DesignState& state) {
  for (int s = 1; s <= StagesOf(state); ++s)
    if (!state.circuits[At(s)].Fresh) return false;
  return true;
}

// The remembered capacitor changes of an adjusted stage are re-applied through the
// adjustment itself, so its resistors follow them exactly as they did the first time.
void ReapplyCapacitorChanges(core::DesignState& state, int s) {
  core::CircuitRecord& cr = state.circuits[At(s)];
  for (int j = 1; j <= CapacitorsOf(cr); ++j) {
    if (cr.C[At(j)].Change != 0) {
      AdjustCapacitor(state, s, j, std::nullopt);
      return;
    }
  }
}

void RestoreFromMemory(core::DesignState& state, int s) {
  core::CircuitRecord& cr = state.circuits[At(s)];
  const core::StageComponentSetEntry& memory = state.componentSet[At(s)];
  const double tol = state.characteristics.RTolerance;
  for (int i = 1; i <= ResistorsOf(cr); ++i) {
    core::ComponentEntry& r = cr.R[At(i)];
    r.ExactValue = r.Value;
    r.Change = 0;
    MarkResistorStandard(r, tol);
  }
  for (int j = 1; j <= CapacitorsOf(cr); ++j) {
    core::ComponentEntry& c = cr.C[At(j)];
    c.Value = memory.Value[At(j)];
    c.Change = c.Value - c.ExactValue;
    c.IsStandard = IsStandardCapacitor(c.Value).standard;
  }
  if (cr.ExactTaken) ReapplyCapacitorChanges(state, s);
  if (cr.HasScalePair) {
    const int n = ScaleResistorIndex(cr);
    if (n >= 2) {
      if (cr.ScaleResistor > 0.1) cr.R[At(n)].Value = cr.R[At(n)].ExactValue = cr.ScaleResistor;
      if (cr.ScalePartner > 0.1) cr.R[At(n - 1)].Value = cr.R[At(n - 1)].ExactValue = cr.ScalePartner;
    }
  }
}

void SnapCapacitorsToE12(core::DesignState& state, int s) {
  core::CircuitRecord& cr = state.circuits[At(s)];
  for (int j = 1; j <= CapacitorsOf(cr); ++j) {
    core::ComponentEntry& c = cr.C[At(j)];
    c.IsStandard = IsStandardCapacitor(c.Value).standard;
    if (c.IsStandard) continue;
    c.Value = NearestCapacitor(c.ExactValue).value;
    c.Change = c.Value - c.ExactValue;
    c.IsStandard = true;
    cr.ExactTaken = true;
    AdjustCapacitor(state, s, j, std::nullopt);
  }
}

void SettleResistors(core::DesignState& state, int s) {
  core::CircuitRecord& cr = state.circuits[At(s)];
  const double tol = state.characteristics.RTolerance;
  const int nr = ResistorsOf(cr);
  if (!cr.ExactTaken)
    for (int i = 1; i <= nr; ++i) cr.R[At(i)].ExactValue = cr.R[At(i)].Value;
  if (state.standardResistors) {
    for (int i = 1; i <= nr; ++i) {
      core::ComponentEntry& r = cr.R[At(i)];
      if (r.UserAssigned) continue;
      r.PreStandardValue = r.Value;
      r.IsStandard = true;
    }
    const SubstStrategy strategy = state.substStrategy == 2 ? SubstStrategy::Strategy2 : SubstStrategy::Strategy1;
    const CombinationSearchInput search = StageCombinationSearch(cr, state.stages[At(s)]);
    SubstituteStandardResistors(cr, tol, strategy, &search,
                                state.useResInventory ? &state.inventory : nullptr);
  } else {
    for (int i = 1; i <= nr; ++i) {
      cr.R[At(i)].PreStandardValue = 0;
      cr.R[At(i)].IsStandard = false;
    }
  }
  for (int i = 1; i <= nr; ++i) {
    core::ComponentEntry& r = cr.R[At(i)];
    if (!r.UserAssigned) continue;
    r.IsStandard = IsStandardResistor(r.UserValue, tol).standard;
  }
  for (int j = 1; j <= CapacitorsOf(cr); ++j) cr.C[At(j)].IsStandard = IsStandardCapacitor(cr.C[At(j)].Value).standard;
  SumStageSensitivities(state, s);
}

}  // namespace

void ComputeAllStages(core::DesignState& state, bool restoreCaps) {
  const int n = StagesOf(state);
  const bool allFresh = AllFresh(state);

  for (int s = 1; s <= n; ++s) {
    core::CircuitRecord& cr = state.circuits[At(s)];
    if (!cr.UserGainFixed) cr.RequestedGain = OptimalGain(state, s);
    cr.CircuitGain = cr.UserGainFixed ? cr.UserGain : cr.RequestedGain;
  }

  for (int s = 1; s <= n; ++s) {
    core::CircuitRecord& cr = state.circuits[At(s)];
    state.currentStage = static_cast<std::int16_t>(s);
    cr.CircuitId = static_cast<std::int16_t>(IdBase(TypeOf(state, s)) + cr.CircuitNumber);
    SetUpCircuit(state, s, state.rememberedC2Variable[At(s)]);
    if (restoreCaps) {
      const core::StageComponentSetEntry& memory = state.componentSet[At(s)];
      for (int j = 1; j <= core::kCapacitors; ++j) cr.C[At(j)].Value = cr.C[At(j)].ExactValue = memory.ExactValue[At(j)];
    }
    cr.DcAttenuation = 0;
    DesignStage(state, s);
    state.designedGain[At(s)] = cr.CircuitGain;
    cr.CircuitGain = AnalysedGain(state, s, false);
  }

  ResolveGainConstraints(state);

  for (int s = 1; s <= n; ++s) {
    const bool fresh = state.circuits[At(s)].Fresh;
    const bool scale = restoreCaps ? (fresh && !allFresh)
                                   : (!state.sensShown && !state.neutralisingPredistortion);
    if (scale) AutoScaleCapacitors(state, s);
  }
  StageLevels(state);

  if (restoreCaps)
    for (int s = 1; s <= n; ++s) RestoreFromMemory(state, s);
  if (state.allCapsStandard)
    for (int s = 1; s <= n; ++s) SnapCapacitorsToE12(state, s);
  for (int s = 1; s <= n; ++s) SettleResistors(state, s);
  for (int s = 1; s <= n; ++s) state.circuits[At(s)].CircuitGain = AnalysedGain(state, s, true);
  // The spread figures of every stage's own circuit, where its candidates are compared.
  for (int s = 1; s <= n; ++s) {
    analysis::RecordStageGainSensitivities(state, s, RatingFrequency(state, s));
    analysis::StageGainSpread(state, s);
  }
  for (int s = 1; s <= n; ++s) state.circuits[At(s)].Fresh = false;
  state.sensShown = false;
}

void OpenCalculation(core::DesignState& state) {
  ComputeAllStages(state, state.useCapMemory || !AllFresh(state));
  state.currentStage = 1;
  state.currentStep = 1;
  state.useCapMemory = false;
}

std::string StandardOptionCaption(double rTolerancePercent) {
  if (rTolerancePercent <= 1) return " Standard 1%";
  if (rTolerancePercent <= 5) return " Standard 5%";
  return " Standard 10%";
}

void SetStandardResistors(core::DesignState& state, bool on) {
  if (!on) {
    UndoStandardSubstitution(state);
    for (int s = 1; s <= StagesOf(state); ++s)
      for (core::ComponentEntry& r : state.circuits[At(s)].R) r.IsStandard = false;
  }
  state.standardResistors = on;
  ComputeAllStages(state, true);
}

void SetSubstitutionStrategy(core::DesignState& state, int strategy) {
  state.substStrategy = static_cast<std::int16_t>(strategy == 2 ? 2 : 1);
  if (!state.standardResistors) return;
  SetStandardResistors(state, false);
  SetStandardResistors(state, true);
}

bool SetAllCapsStandard(core::DesignState& state, bool on) {
  const bool before = state.allCapsStandard;
  const int current = std::clamp<int>(state.currentStage, 1, std::max(1, StagesOf(state)));
  state.allCapsStandard = on;
  for (int s = 1; s <= StagesOf(state); ++s) state.circuits[At(s)].ExactTaken = false;
  ComputeAllStages(state, true);
  state.currentStage = static_cast<std::int16_t>(current);
  if (StagesOf(state) > 0 && state.circuits[At(current)].DesignFailed) {
    state.allCapsStandard = before;
    ComputeAllStages(state, true);
    state.currentStage = static_cast<std::int16_t>(current);
    return false;
  }
  return true;
}

bool C2VariableOffered(const core::DesignState& state, int stage) {
  return state.circuits[At(stage)].C2VariableAvailable;
}

bool EqualComponentsOffered(const core::DesignState& state, int stage) {
  const core::CircuitRecord& cr = state.circuits[At(stage)];
  return cr.C2VariableAvailable && cr.HasScalePair && cr.ResistorCount == 4 && !cr.C2Variable;
}

namespace {

// A variation designs the stage afresh: its adjustments go, its capacitors start again.
void RedesignVariation(core::DesignState& state, int stage) {
  core::CircuitRecord& cr = state.circuits[At(stage)];
  cr.ExactTaken = false;
  cr.Fresh = true;
  cr.ScaleResistor = 0;
  cr.ScalePartner = 0;
  ComputeAllStages(state, false);
  WriteCapacitorMemory(state, stage);
  state.currentStage = static_cast<std::int16_t>(stage);
}

}  // namespace

bool SetC2Variable(core::DesignState& state, int stage, bool on) {
  if (stage < 1 || stage > StagesOf(state) || !C2VariableOffered(state, stage)) return false;
  core::CircuitRecord& cr = state.circuits[At(stage)];
  state.rememberedC2Variable[At(stage)] = on;
  cr.C2Variable = on;
  if (on) cr.EqualComponents = false;
  RedesignVariation(state, stage);
  return true;
}

bool SetEqualComponents(core::DesignState& state, int stage, bool on) {
  if (stage < 1 || stage > StagesOf(state)) return false;
  core::CircuitRecord& cr = state.circuits[At(stage)];
  if (on && !EqualComponentsOffered(state, stage)) return false;
  cr.EqualComponents = on;
  RedesignVariation(state, stage);
  return true;
}

bool CompensationAllowed(const core::DesignState& state, int stage, Compensation c) {
  if (stage < 1 || stage > StagesOf(state)) return false;
  if (c == Compensation::Neither) return true;
  if (IsFirstOrderType(TypeOf(state, stage))) return false;
  return c == Compensation::Predistortion || state.circuits[At(stage)].ActiveCompAvailable;
}

bool SetCompensation(core::DesignState& state, int stage, Compensation c) {
  if (!CompensationAllowed(state, stage, c)) return false;
  core::CircuitRecord& cr = state.circuits[At(stage)];
  cr.Predistort = c == Compensation::Predistortion;
  cr.ActiveComp = c == Compensation::ActiveCompensation;
  state.modified = true;
  return true;
}

Compensation CompensationOf(const core::DesignState& state, int stage) {
  const core::CircuitRecord& cr = state.circuits[At(stage)];
  if (cr.ActiveComp) return Compensation::ActiveCompensation;
  if (cr.Predistort) return Compensation::Predistortion;
  return Compensation::Neither;
}

void ApplyComponentCharacteristics(core::DesignState& state) {
  const double t = state.characteristics.RTolerance;
  if (t != 1 && t != 5 && t != 10 && state.standardResistors) UndoStandardSubstitution(state);
  // The capacitors as they stand, exact values kept apart, so the recomputation keeps
  // every stage's choice and adjustment.
  for (int s = 1; s <= StagesOf(state); ++s) WriteCapacitorMemory(state, s, false);
  state.modified = true;
  ComputeAllStages(state, true);
}

const std::vector<StepText>& AllSteps() {
  static const std::vector<StepText> steps = {
      {CalcStep::Variations, "Variations",
       "Select from design variation(s) that use the same circuit topology."},
      {CalcStep::FreqResponse, "Freq. Response",
       "Click on the 'Next' button to view the filter frequency responses. If the gain response is not as "
       "anticipated,  choose a different topology for the affected stage. "},
      {CalcStep::Gain, "Gain",
       "Check out overall filter gain and dynamic range summary. Change stage circuit topology as required."},
      {CalcStep::Components, "Components", "Set component tolerances and op amp GBW(s)."},
      {CalcStep::Compensation, "Compensation",
       "Help offset distortion due to op amp frequency response using either Predistortion or Active "
       "Compensation (some circuits only)."},
      {CalcStep::AdjustValues, "Adjust Values", "Values adjusted for currently displayed stage ONLY."},
      {CalcStep::ExactCValues, "Exact C Values",
       "Position cursor over capacitor (cursor design will change) and click . Value can be adjusted within +/- "
       "12% range."},
      {CalcStep::StandardRValues, "Standard R Values",
       "Substitute EIA standard resistor values for ALL stages. Locks in capacitor values while enabled!"},
      {CalcStep::UserAssignedR, "User-Assigned R",
       "Change the value of any resistor. Position cursor over resistor (cursor design will change) and click ."},
      {CalcStep::FinalResponse, "Final Response",
       "Click on the 'Next' button to view the frequency responses and the effect of setting exact capacitor "
       "values and standard resistor values."},
  };
  return steps;
}

std::vector<CalcStep> OfferedSteps(const core::DesignState& state) {
  bool variants = false;
  for (int s = 1; s <= StagesOf(state); ++s)
    if (state.circuits[At(s)].C2VariableAvailable || state.rememberedC2Variable[At(s)]) variants = true;
  std::vector<CalcStep> offered;
  for (const StepText& t : AllSteps())
    if (t.step != CalcStep::Variations || variants) offered.push_back(t.step);
  return offered;
}

LeavingCheck CheckLeavingForward(core::DesignState& state) {
  LeavingCheck check;
  std::vector<int> offending;
  int adjusted = 0;
  for (int s = 1; s <= StagesOf(state); ++s) {
    const core::CircuitRecord& cr = state.circuits[At(s)];
    if (cr.ExactTaken) {
      ++adjusted;
      continue;
    }
    bool standard = true;
    for (int j = 1; j <= CapacitorsOf(cr); ++j)
      if (!IsStandardCapacitor(cr.C[At(j)].Value).standard) standard = false;
    if (!standard) offending.push_back(s);
  }
  if (offending.empty()) {
    check.exactCurve = true;
    return check;
  }
  if (adjusted == 0 || state.capacitorWarningGiven) return check;
  std::string text = offending.size() == 1 ? "Stage " : "Stages ";
  for (std::size_t k = 0; k < offending.size(); ++k) {
    if (k > 0) text += ", ";
    text += std::to_string(offending[k]);
  }
  text += offending.size() == 1 ? " does not " : " do not ";
  text += "have all capacitors set to exact values or standard values";
  check.warning = approx::Message{text, approx::MessageKind::Warning, approx::MessageButtons::IgnoreCancel};
  state.capacitorWarningGiven = true;
  return check;
}

}  // namespace tavrin::circuits
