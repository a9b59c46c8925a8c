// The component values of one stage as the analysis equations read them.
//
// R1..R11 with their conductances G = 1/R and C1..C4 with their inverses S = 1/C are
// always set together, so an equation may use whichever of a pair reads better.  Index 0
// is unused: entry k is component k, as on the schematic and in the netlist.
#pragma once

#include <array>
#include <span>

#include "analysis/Dual.h"
#include "core/DesignState.h"

namespace tavrin::analysis {

inline constexpr int kVectorResistors = 11;
inline constexpr int kVectorCapacitors = 4;

template <typename T>
struct WorkingVectorsT {
  std::array<T, kVectorResistors + 1> R{};
  std::array<T, kVectorResistors + 1> G{};
  std::array<T, kVectorCapacitors + 1> C{};
  std::array<T, kVectorCapacitors + 1> S{};
};

using WorkingVectors = WorkingVectorsT<double>;

// An empty position (value 0) gets a zero reciprocal rather than an infinity: no
// equation reads a position its circuit does not have, and the floating-point flags
// that callers watch around a computation stay clean.
template <typename T>
T Reciprocal(const T& x) {
  return ValueOf(x) == 0 ? T(0) : 1 / x;
}

template <typename T>
void SetResistor(WorkingVectorsT<T>& v, int i, const T& ohms) {
  v.R[i] = ohms;
  v.G[i] = Reciprocal(ohms);
}

template <typename T>
void SetCapacitor(WorkingVectorsT<T>& v, int j, const T& farads) {
  v.C[j] = farads;
  v.S[j] = Reciprocal(farads);
}

// Resistors R1.. and capacitors C1.. in order; missing ones stay 0.
WorkingVectors MakeWorkingVectors(std::span<const double> resistors, std::span<const double> capacitors);

// The values in force of a stage's circuit record (each component's Value).
WorkingVectors LoadWorkingVectors(const core::CircuitRecord& cr);

// The values the filter is built with: a user-assigned resistor's own value stands in for
// the computed one.
WorkingVectors LoadBuiltValues(const core::CircuitRecord& cr);

// Names one component of a stage: resistor Rk or capacitor Ck.
struct ComponentRef {
  bool capacitor = false;
  int index = 0;
};

// The same values as duals whose derivatives are those with respect to one component:
// d/dx of that component is 1 (its reciprocal gets -1/x^2), every other derivative is 0.
WorkingVectorsT<Dual> SeedDerivative(const WorkingVectors& v, ComponentRef which);

}  // namespace tavrin::analysis
