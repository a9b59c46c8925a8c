// The Boctor lowpass notch: one op-amp with a resistive divider at its non-inverting input.
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
    // SLPN03
    MakeEntry(ptSLPN, 3, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[1] * G[2] / C[1] / C[2];
                e.den[1] = (G[1] + G[2] + G[4]) / C[2];
                e.num[0] = G[3] * (G[1] + G[2] + G[4]) / C[1] / C[2] + G[2] * G[4] / C[1] / C[2] +
                           G[1] * G[2] / C[1] / C[2];
                e.num[1] = G[3] / C[1] + (G[1] + G[2] + G[4]) / C[2] + G[2] / C[1] -
                           G[2] * (G[5] + G[6]) / G[5] / C[1];
                e.gain = G[5] / (G[5] + G[6]);
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> BoctorAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> BoctorDesigns() {
  return {};
}

}  // namespace tavrin::circuits
