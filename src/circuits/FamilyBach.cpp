// The Bach lowpass: two followers with the RC ladder between them.
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
    // SLP06
    MakeEntry(ptSLP, 6, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[1] * G[2] * S[1] * S[2];
                e.den[1] = G[1] * S[2];
                e.gain = T(1);
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> BachAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> BachDesigns() {
  return {};
}

}  // namespace tavrin::circuits
