// Designing one stage: its circuit's routine, then what every design shares afterwards.
//
// The dispatcher clears the gain sensitivities, runs the routine of (stage type, circuit
// number), limits a scale pair to 100 kOhm, derives every component's sensitivities from
// the circuit's analysis evaluator by exact differentiation, zeroes those of the resistors
// active compensation appends (copies beyond the circuit's own), and forms the stage's
// sensitivity sums.  It never moves a value the routine computed: a resistor that comes
// out at a series value keeps it exactly, and whether it counts as a standard part is
// decided where parts are marked (MarkResistorStandard), not by its value.
#pragma once

#include <vector>

#include "circuits/StandardValues.h"
#include "core/DesignState.h"

namespace tavrin::circuits {

// Designs the stage with the circuit of cr (cr.CircuitNumber within the stage's type), as
// SetUpCircuit prepared it.  Returns false when that circuit has no design routine; the
// record is then left as it was.  A failed design (DesignFailed) keeps what it computed.
bool DesignStage(core::CircuitRecord& cr, const core::Stage& stage);
// Stage s (1..stageCount) of a design.
bool DesignStage(core::DesignState& state, int stage);

// The scale resistor of a record with a scale pair: the last of the circuit's own resistors
// (active compensation appends copies after it); its partner is the one before.
int ScaleResistorIndex(const core::CircuitRecord& cr);

// The steps after the routine, each on its own.

// While either resistor of the scale pair exceeds 100 kOhm the scale resistor steps down
// the E24 series (ScaleIndex, ScaleDecade: 10 kOhm is index 0, decade 3) and its partner
// follows in proportion, so the gain the pair sets is unchanged.  With active
// compensation the pair sits before the two compensation resistors, whose copies follow.
void LimitScalePair(core::CircuitRecord& cr);

// All seven Sens slots of every component from the circuit's analysis equations at its
// current values, in code order 1, 2, 5, 4, 7, 6, 3 (SensSlotOfCode):
//   1 wp (first order: the pole), 2 Qp, 3 the gain constant K, 4 wz of a notch,
//   7 notch depth: d(numerator s-coefficient)/d(ln x), scaled so that its smallest
//     non-zero magnitude over the stage's components is 1,
//   5 the extra real pole of a cubic circuit, 6 the extra real zero of a cubic numerator.
// Slots of components the circuit does not have, and all slots of a failed design, are 0.
void FillSensitivities(core::CircuitRecord& cr, int stageType);

// The stage's sums (SumWp ... SumSqPb) from its components' slots and IsStandard marks.
void SumStageSensitivities(core::CircuitRecord& cr, int stageType);
// The same for stage s (1..stageCount) of a design.
void SumStageSensitivities(core::DesignState& state, int stage);

// The resistors that set the stage's parameters: those with a non-zero wp, Qp, K or wz
// sensitivity, in ascending order.
std::vector<int> ParameterResistors(const core::CircuitRecord& cr);

// Strategy 1's input: the parameter resistors and the stage's gain-deviation weights at
// its characteristic frequency (wp; a first-order stage's pole).  A weight that does not
// exist there (the wz weight at the null of a notch tuned to wp) is 0.
CombinationSearchInput StageCombinationSearch(const core::CircuitRecord& cr, const core::Stage& stage);

}  // namespace tavrin::circuits
