#include "circuits/SetUpCircuit.h"

#include <cmath>

#include "circuits/Catalogue.h"
#include "circuits/StandardValues.h"

namespace tavrin::circuits {

SetUpResult SetUpCircuit(core::CircuitRecord& cr, double stageWp, bool rememberedC2Variable,
                         core::StageComponentSetEntry& memory, core::StageComponentSetEntry& memorySaved) {
  if (!IsValidCircuitId(cr.CircuitId)) return {};
  const CircuitDescriptor& d = Descriptor(cr.CircuitId);

  cr.C2OnlyAllowed = d.c2Only == 1;
  cr.CapRatio = d.ratio;
  cr.ResistorCount = static_cast<std::int16_t>(d.resistors);
  cr.CapacitorCount = static_cast<std::int16_t>(d.capacitors);
  cr.HasScalePair = d.scalePair;
  cr.C2VariableAvailable = d.c2VariableAvailable;
  cr.GainConstrained = d.gainConstrained;
  cr.OpAmpCount = static_cast<std::int16_t>(d.opAmps);
  cr.Cubic = d.cubic;
  cr.Inverting = d.inverting;
  cr.ActiveCompAvailable = d.activeCompAvailable;
  cr.ActiveCompSchematic = static_cast<std::int16_t>(d.activeCompSchematic);

  cr.C2Variable = rememberedC2Variable;
  SetUpResult result;
  result.equalComponentsAvailable = cr.C2VariableAvailable && cr.HasScalePair && cr.ResistorCount == 4;

  if (cr.Fresh) cr.ResistorScale = 1;
  if (cr.HasScalePair) {
    // 10 kOhm, the first E24 value of its decade.
    cr.ScaleIndex = 0;
    cr.ScaleDecade = 3;
    if (cr.ScaleResistor < 1 || cr.Fresh) {
      cr.ScaleResistor = 10000;
      cr.R[static_cast<std::size_t>(cr.ResistorCount)].Value = 10000;
    }
  }

  cr.C1Index = 0;
  cr.C1Decade = stageWp > kSmallC1AboveWp ? 11 : 10;
  cr.C[1].Value = E12Capacitor(cr.C1Index, cr.C1Decade);
  cr.C[2].Value = cr.CapRatio * cr.C[1].Value;

  const long m = std::lround(cr.CapRatio);
  if (m == 0) {
    cr.C2Index = 0;
    cr.C2Decade = 0;
  } else {
    if (m == 1) {
      cr.C2Index = cr.C1Index;
      cr.C2Decade = cr.C1Decade;
    } else if (m == 5) {
      cr.C2Index = static_cast<std::int16_t>(cr.C1Index + 8);  // 470
      cr.C2Decade = cr.C1Decade;
    } else if (m == 10) {
      cr.C2Index = cr.C1Index;
      cr.C2Decade = cr.C1Decade - 1;
    } else {
      const E12Choice c2 = NearestCapacitor(cr.C[2].Value);
      cr.C2Index = static_cast<std::int16_t>(c2.index);
      cr.C2Decade = c2.decade;
    }
    cr.C[2].Value = E12Capacitor(cr.C2Index, cr.C2Decade);
    cr.CapRatio = cr.C[2].Value / cr.C[1].Value;
  }

  if (cr.Fresh) {
    memory.C1Index = cr.C1Index;
    memory.C1Decade = cr.C1Decade;
    memory.C2Index = cr.C2Index;
    memory.C2Decade = cr.C2Decade;
    memory.CapRatio = cr.CapRatio;
    for (std::size_t j = 1; j <= static_cast<std::size_t>(core::kCapacitors); ++j) {
      cr.C[j].ExactValue = cr.C[j].Value;
      memory.Value[j] = cr.C[j].Value;
      memory.ExactValue[j] = cr.C[j].ExactValue;
    }
    memorySaved = memory;
  } else {
    cr.C1Index = memory.C1Index;
    cr.C1Decade = memory.C1Decade;
    cr.C2Index = memory.C2Index;
    cr.C2Decade = memory.C2Decade;
    cr.CapRatio = memory.CapRatio;
    for (std::size_t j = 1; j <= static_cast<std::size_t>(core::kCapacitors); ++j) {
      cr.C[j].Value = memory.Value[j];
      cr.C[j].ExactValue = memory.ExactValue[j];
    }
  }
  return result;
}

SetUpResult SetUpCircuit(core::DesignState& state, int stage, bool rememberedC2Variable) {
  if (stage < 1 || stage > core::kMaxStages) return {};
  const auto s = static_cast<std::size_t>(stage);
  return SetUpCircuit(state.circuits[s], state.stages[s].wp, rememberedC2Variable, state.componentSet[s],
                      state.componentSetSaved[s]);
}

}  // namespace tavrin::circuits
