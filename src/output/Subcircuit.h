// One stage's subcircuit, exactly as the netlist writer emits it.
#pragma once

#include <string>

#include "core/DesignState.h"

namespace tavrin::output {

// ".SUBCKT SLP1 1 2", the resistor lines (resistors of value 0 are left out), the
// capacitor lines, the op-amp lines each ending in " " + opAmpModel, ".ENDS SLP1"; every
// line ends with "\n".  Values are cr.R[i].Value and cr.C[j].Value in the netlist
// precision.  The compensation template set is used while cr.ActiveComp is set (a circuit
// without a compensation template keeps its standard one).  The template is that of
// (stageType, cr.CircuitNumber); an empty text when the catalogue has no such circuit.
std::string StageSubcircuit(const core::CircuitRecord& cr, int stageType, int stageNumber,
                            const std::string& opAmpModel);

}  // namespace tavrin::output
