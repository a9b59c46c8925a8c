#include "analysis/WorkingVectors.h"

#include <algorithm>

namespace tavrin::analysis {

WorkingVectors MakeWorkingVectors(std::span<const double> resistors, std::span<const double> capacitors) {
  WorkingVectors v;
  const int nr = std::min(static_cast<int>(resistors.size()), kVectorResistors);
  const int nc = std::min(static_cast<int>(capacitors.size()), kVectorCapacitors);
  for (int i = 1; i <= nr; ++i) SetResistor(v, i, resistors[i - 1]);
  for (int j = 1; j <= nc; ++j) SetCapacitor(v, j, capacitors[j - 1]);
  return v;
}

WorkingVectors LoadWorkingVectors(const core::CircuitRecord& cr) {
  WorkingVectors v;
  for (int i = 1; i <= core::kResistors; ++i) SetResistor(v, i, cr.R[i].Value);
  for (int j = 1; j <= core::kCapacitors; ++j) SetCapacitor(v, j, cr.C[j].Value);
  return v;
}

WorkingVectors LoadBuiltValues(const core::CircuitRecord& cr) {
  WorkingVectors v = LoadWorkingVectors(cr);
  for (int i = 1; i <= core::kResistors; ++i)
    if (cr.R[i].UserAssigned && cr.R[i].UserValue > 0) SetResistor(v, i, cr.R[i].UserValue);
  return v;
}

WorkingVectorsT<Dual> SeedDerivative(const WorkingVectors& v, ComponentRef which) {
  WorkingVectorsT<Dual> d;
  for (int i = 1; i <= kVectorResistors; ++i) {
    const double seed = (!which.capacitor && which.index == i) ? 1.0 : 0.0;
    SetResistor(d, i, Dual(v.R[i], seed));
  }
  for (int j = 1; j <= kVectorCapacitors; ++j) {
    const double seed = (which.capacitor && which.index == j) ? 1.0 : 0.0;
    SetCapacitor(d, j, Dual(v.C[j], seed));
  }
  return d;
}

}  // namespace tavrin::analysis
