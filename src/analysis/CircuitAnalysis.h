// The analysis dispatcher: one circuit's coefficients from the working vectors.
#pragma once

#include <vector>

#include "analysis/WorkingVectors.h"
#include "circuits/CircuitEquations.h"

namespace tavrin::analysis {

// Which result is asked for; an index 0..2 goes with the two coefficient kinds.
enum class AnalysisQuantity : int { Denominator = 0, Numerator = 1, Gain = 2 };

// The entry of (stage type, n), or nullptr for a circuit outside the catalogue.
const circuits::AnalysisEntry* FindAnalysis(int stageType, int circuitNumber);

// Every evaluator, in stage-type and circuit-number order.
std::vector<const circuits::AnalysisEntry*> AllAnalyses();

// One coefficient or the gain constant of the circuit (stageType, circuitNumber) for the
// components in v.  timeConstantForm is cleared, then set when the circuit returns its
// coefficients in time-constant form (tau2 s^2 + tau1 s + 1); that is a fixed property
// of each circuit.  A coefficient the circuit does not define, an index outside 0..2 or
// a circuit outside the catalogue gives 0.
double AnalyseCircuit(const WorkingVectors& v, int stageType, int circuitNumber, AnalysisQuantity quantity,
                      int index, bool& timeConstantForm);
double AnalyseCircuit(const WorkingVectors& v, int stageType, int circuitNumber, AnalysisQuantity quantity,
                      int index);

// The form the circuit's evaluator answers in; false outside the catalogue.
bool TimeConstantForm(int stageType, int circuitNumber);

}  // namespace tavrin::analysis
