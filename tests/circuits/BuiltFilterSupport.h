// Shared by the tests of whole built filters: a calculated design carried through pairing
// and cascading, and a walk through the catalogue that gives every stage the next circuit
// of its type.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "approx/ApproxTestSupport.h"
#include "circuits/Catalogue.h"
#include "core/DesignState.h"
#include "stages/Cascading.h"

namespace tavrin::built_filter_test {

// Calculated, slot chosen, paired and cascaded; null when the slot has no result.
inline std::unique_ptr<core::DesignState> Cascaded(const approx::SpecEntries& e, int slot) {
  approx::testing::Run run = approx::testing::Calc(e);
  if (run.outcome.status != approx::CalculateStatus::Completed || !core::SlotHasResult(*run.state, slot))
    return nullptr;
  core::SetCurrentSlot(*run.state, slot);
  run.state->chosenSlot = static_cast<std::int16_t>(slot);
  stages::PairAndCascade(*run.state);
  return std::move(run.state);
}

// Every stage of a type takes the next circuit of that type in turn, so a long enough sweep
// builds every circuit of the catalogue somewhere.
inline std::vector<std::string> RotatedCodes(const core::DesignState& st, std::map<int, int>& next) {
  std::vector<std::string> codes;
  for (int s = 1; s <= st.stageCount; ++s) {
    const int type = st.stages[static_cast<std::size_t>(s)].type & 0x7F;
    codes.push_back(circuits::CircuitKey(type, next[type]++ % circuits::CircuitCount(type) + 1));
  }
  return codes;
}

}  // namespace tavrin::built_filter_test
