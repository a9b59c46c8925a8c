// Tow-Thomas sections: a lossy integrator, an integrator and a unity inverter in one loop.
//
// Per member, the analysis evaluator: the stage's transfer function from its component
// values, ideal op-amps.
#include "circuits/CircuitEquations.h"
#include "circuits/DesignEquations.h"
#include "core/DesignState.h"

namespace tavrin::circuits {

namespace {

using enum CoefficientForm;
using enum Order;
using enum Output;
using namespace core;

constexpr AnalysisEntry kAnalysis[] = {
    // SLP10.  Exact while R5 = R6: the unity inverter (R5/R6) is taken as exactly -1.
    MakeEntry(ptSLP, 10, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = 1 / (R[1] * R[2] * C[1] * C[2]);
                e.den[1] = 1 / (R[4] * C[1]);
                e.gain = R[1] / R[3];
                return e;
              }),
    // SBP10.  Exact while R5 = R6: the unity inverter (R6/R5) is taken as exactly -1.
    MakeEntry(ptSBP, 10, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = 1 / (R[1] * R[2] * C[1] * C[2]);
                e.den[1] = 1 / (R[4] * C[1]);
                e.gain = R[4] / R[3];
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> TowThomasAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> TowThomasDesigns() {
  return {};
}

}  // namespace tavrin::circuits
