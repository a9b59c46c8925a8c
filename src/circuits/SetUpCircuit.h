// Preparing a stage's CircuitRecord from its circuit's descriptor before every design.
#pragma once

#include "core/DesignState.h"

namespace tavrin::circuits {

// Above this pole frequency a stage starts from C1 = 1 nF instead of 10 nF.
inline constexpr double kSmallC1AboveWp = 31000.0;  // rad/s

struct SetUpResult {
  bool equalComponentsAvailable = false;  // " C1=C2 : R1=R2" may be offered for the stage
};

// Copies the descriptor of cr.CircuitId into the record, takes the remembered " C2
// variable" choice, puts the scale resistor and the starting capacitors in place, and then
// either stores the capacitor choice in the stage's capacitor memory (a Fresh stage; the
// saved copy follows) or restores the user's last choice from it.
// A CircuitId without a descriptor leaves the record untouched and reports nothing offered.
SetUpResult SetUpCircuit(core::CircuitRecord& cr, double stageWp, bool rememberedC2Variable,
                         core::StageComponentSetEntry& memory, core::StageComponentSetEntry& memorySaved);

// The same for stage s (1..stageCount) of a design.
SetUpResult SetUpCircuit(core::DesignState& state, int stage, bool rememberedC2Variable);

}  // namespace tavrin::circuits
