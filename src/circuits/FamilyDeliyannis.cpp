// Deliyannis bandpass sections: the multiple-feedback bandpass, the second with positive
// feedback through a divider.
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
    // SBP01
    MakeEntry(ptSBP, 1, TimeConstant, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * C[1] * C[2];
                e.den[1] = R[1] * (C[1] + C[2]);
                e.gain = R[2] * C[1] / (R[1] * (C[1] + C[2]));
                return e;
              }),
    // SBP02
    MakeEntry(ptSBP, 2, TimeConstant, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * C[1] * C[2];
                e.den[1] = R[1] * (C[1] + C[2]) - R[2] * C[1] * R[3] / R[4];
                e.gain = R[2] * C[1] * (1 + R[3] / R[4]) / (R[1] * (C[1] + C[2]) - R[2] * C[1] * R[3] / R[4]);
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> DeliyannisAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> DeliyannisDesigns() {
  return {};
}

}  // namespace tavrin::circuits
