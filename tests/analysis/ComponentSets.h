// Random component sets for the analysis tests, with or without the relations that some
// circuits' designs establish between their components.
#pragma once

#include <array>
#include <cmath>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "analysis/WorkingVectors.h"
#include "circuits/Catalogue.h"

namespace tavrin::analysis_test {

struct CircuitCase {
  int type = 0;
  int n = 0;
  std::string key;
  int resistors = 0;
  int capacitors = 0;
};

inline void PrintTo(const CircuitCase& c, std::ostream* os) {
  *os << c.key;
}

inline std::vector<CircuitCase> AllCircuitCases() {
  std::vector<CircuitCase> cases;
  for (int type = 0; type < circuits::kStageTypeCount; ++type) {
    for (int n = 1; n <= circuits::CircuitCount(type); ++n) {
      const circuits::CircuitDescriptor& d = circuits::Descriptor(circuits::CircuitIdOf(type, n));
      cases.push_back({type, n, circuits::CircuitKey(type, n), d.resistors, d.capacitors});
    }
  }
  return cases;
}

// R[1..10] and C[1..4]; index 0 unused, positions beyond the circuit's counts 0.
struct ComponentSet {
  std::array<double, 11> R{};
  std::array<double, 5> C{};

  analysis::WorkingVectors Vectors() const {
    analysis::WorkingVectors v;
    for (int i = 1; i <= 10; ++i) analysis::SetResistor(v, i, R[i]);
    for (int j = 1; j <= 4; ++j) analysis::SetCapacitor(v, j, C[j]);
    return v;
  }
};

// Some designs always establish relations between components (equal inverter resistors,
// the no-s-term condition of a notch, ...) that simplify their circuit's transfer function;
// the analysis holds with or without them, and sets that keep them stand for designed
// values.  Each relation is imposed by recomputing one component from the others, which
// stay random (where the recomputed value would not be positive, one other component is
// first moved out of the way); the returned text names the relation for failure messages.
inline std::string ImposeDesignRelations(const std::string& key, ComponentSet& s) {
  auto& R = s.R;
  auto& C = s.C;
  if (key == "SLP08" || key == "SBP10" || key == "SLPN06" || key == "SHPN05" || key == "SN05" ||
      key == "SLPN07" || key == "SHPN06" || key == "SN06") {
    R[6] = R[5];
    return "R6 = R5";
  }
  if (key == "SLP10") {
    R[5] = R[6];
    return "R5 = R6";
  }
  if (key == "SLP12") {
    R[6] = R[2] * R[5] / R[1];
    return "R1 R6 = R2 R5";
  }
  if (key == "SHP09") {
    R[6] = (R[1] * R[5] * (R[7] + R[8]) + R[2] * R[5] * R[7]) / (R[2] * R[8]);
    return "R1 R5 (R7 + R8) + R2 R5 R7 = R2 R6 R8";
  }
  if (key == "SLPN02") {
    const double x = C[2] * (R[1] + R[2]) / (R[1] * C[1] + C[3] * (R[1] + R[2]));
    if (R[4] <= 1.5 * x * R[3]) R[4] = 3 * x * R[3];
    R[5] = x * R[3] * R[4] / (R[4] - x * R[3]);
    return "R4 R5 / (R3 (R4 + R5)) = C2 (R1 + R2) / (R1 C1 + C3 (R1 + R2))";
  }
  if (key == "SLPN09") {
    if (R[3] * R[6] <= 1.2 * R[4] * R[5]) R[3] = 3 * R[4] * R[5] / R[6];
    R[1] = R[2] * R[8] * (R[3] * R[6] - R[4] * R[5]) /
           (R[3] * R[6] * R[9] + R[4] * R[5] * R[8] + R[4] * R[6] * R[8] + R[4] * R[6] * R[9]);
    return "R1 (R3 R6 R9 + R4 R5 R8 + R4 R6 R8 + R4 R6 R9) + R2 R4 R5 R8 = R2 R3 R6 R8";
  }
  if (key == "SHPN08") {
    if (R[3] * R[6] * R[9] <= 1.2 * R[5] * R[8] * (R[3] + R[4]))
      R[9] = 3 * R[5] * R[8] * (R[3] + R[4]) / (R[3] * R[6]);
    R[1] = R[2] * (R[3] * R[6] * R[9] - R[5] * R[8] * (R[3] + R[4])) /
           (R[3] * R[5] * R[8] + R[3] * R[6] * R[8] + R[4] * R[5] * R[8] + R[4] * R[6] * R[8] +
            R[4] * R[6] * R[9]);
    return "R1 (R3 R5 R8 + R3 R6 R8 + R4 R5 R8 + R4 R6 R8 + R4 R6 R9) + R2 R5 R8 (R3 + R4) = R2 R3 R6 R9";
  }
  if (key == "SN08") {
    const double rho = R[2] / R[3];
    R[4] = rho * R[5];
    R[8] = rho * R[9] * (R[6] + R[7]) / R[6];
    return "R2/R3 = R4/R5, R8 = (R2/R3) R9 (R6 + R7) / R6";
  }
  if (key == "SHPN04") {
    C[2] = C[1];
    return "C2 = C1";
  }
  return {};
}

// Resistors log-uniform in 1 kOhm .. 100 kOhm, capacitors in 1 nF .. 100 nF.
inline ComponentSet RandomComponents(std::mt19937_64& rng, const CircuitCase& c, bool withRelations = true) {
  std::uniform_real_distribution<double> decade(0.0, 2.0);
  ComponentSet s;
  for (int i = 1; i <= c.resistors; ++i) s.R[i] = 1e3 * std::pow(10.0, decade(rng));
  for (int j = 1; j <= c.capacitors; ++j) s.C[j] = 1e-9 * std::pow(10.0, decade(rng));
  if (withRelations) ImposeDesignRelations(c.key, s);
  return s;
}

}  // namespace tavrin::analysis_test
