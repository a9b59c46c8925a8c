#include "circuits/BuiltFilter.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

#include "circuits/CalculationWorkflow.h"
#include "circuits/Catalogue.h"
#include "circuits/GainDistribution.h"
#include "circuits/Ratings.h"
#include "circuits/StandardValues.h"
#include "core/NumberFormat.h"
#include "core/RecordParts.h"

namespace tavrin::circuits {

namespace {

using core::At;

std::string TypeName(int type) {
  return core::TrimTrailingBlanks(TypeCode(type));
}

std::optional<std::string> ChooseCircuits(core::DesignState& state, const std::vector<std::string>& codes) {
  const int stages = state.stageCount;
  if (codes.empty()) {
    for (int s = 1; s <= stages; ++s) {
      RateCandidates(state, s);
      // With no candidate that designs at all the first circuit is taken: the stage then
      // shows why it cannot be built, as it would in the window.
      const int best = BestCandidate(state, s);
      SelectCircuit(state, s, best > 0 ? best : 1);
    }
    return std::nullopt;
  }
  if (static_cast<int>(codes.size()) != stages)
    return std::to_string(codes.size()) + " circuit code(s) given for " + std::to_string(stages) +
           " stage(s); give one code per stage in cascade order.";
  for (int s = 1; s <= stages; ++s) {
    std::string code = codes[At(s - 1)];
    std::transform(code.begin(), code.end(), code.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const CircuitAddress at = AddressOfKey(code);
    const int type = state.stages[At(s)].type & 0x7F;
    if (at.circuitId == 0)
      return "\"" + codes[At(s - 1)] + "\" is not a circuit of the catalogue (FLP01 .. SN09).";
    if (at.stageType != type)
      return "stage " + std::to_string(s) + " is a " + TypeName(type) + " stage; " + code + " is a " +
             TypeName(at.stageType) + " circuit.";
    RateCandidates(state, s);
    SelectCircuit(state, s, at.number);
  }
  return std::nullopt;
}

std::optional<std::string> ApplyRemedy(core::DesignState& state, bool all, const std::vector<int>& stages,
                                       Compensation c) {
  if (all) {
    for (int s = 1; s <= state.stageCount; ++s) SetCompensation(state, s, c);
    return std::nullopt;
  }
  for (int s : stages) {
    if (s < 1 || s > state.stageCount)
      return "stage " + std::to_string(s) + " does not exist (1.." + std::to_string(state.stageCount) + ").";
    if (SetCompensation(state, s, c)) continue;
    const int type = state.stages[At(s)].type & 0x7F;
    const bool first = type == core::ptFLP || type == core::ptFHP;
    return "stage " + std::to_string(s) + " cannot take it: " +
           (first ? "a first-order stage has no op-amp remedy." : "its circuit has no active-compensation variant.");
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> BuildFilter(core::DesignState& state, const FilterBuildOptions& o) {
  state.characteristics.RTolerance = o.rTolerance;
  state.characteristics.CTolerance = o.cTolerance;
  state.substStrategy = static_cast<std::int16_t>(o.strategy == 2 ? 2 : 1);
  state.allCapsStandard = o.allCapsStandard;
  StartAfresh(state);
  if (auto e = ChooseCircuits(state, o.circuits)) return e;
  if (o.gbwHz)
    for (int s = 1; s <= state.stageCount; ++s) state.circuits[At(s)].OpAmpGbw = *o.gbwHz;
  if (auto e = ApplyRemedy(state, o.predistortAll, o.predistort, Compensation::Predistortion)) return e;
  if (auto e = ApplyRemedy(state, o.activeCompAll, o.activeComp, Compensation::ActiveCompensation)) return e;
  OpenCalculation(state);
  if (!o.stageGains.empty()) {
    for (const auto& [s, gain] : o.stageGains) {
      if (s < 1 || s > state.stageCount)
        return "stage " + std::to_string(s) + " does not exist (1.." + std::to_string(state.stageCount) + ").";
      if (!(gain > 0)) return "a stage gain must be above 0 V/V.";
      FixStageGain(state, s, gain);
    }
    // As the gain window's OK: the filter recomputed for the fixed gains.
    ComputeAllStages(state, false);
    for (int s = 1; s <= state.stageCount; ++s)
      for (core::ComponentEntry& r : state.circuits[At(s)].R) MarkResistorStandard(r, o.rTolerance);
  }
  if (o.standardR) SetStandardResistors(state, true);
  ActualOverallGain(state);
  return std::nullopt;
}

}  // namespace tavrin::circuits
