// Multiple-feedback (MFB) sections: one inverting op-amp with two feedback paths.
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
    // SLP03
    MakeEntry(ptSLP, 3, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[2] * G[3] * S[1] * S[2];
                e.den[1] = S[2] * (G[1] + G[2] + G[3]);
                e.gain = R[2] / R[1];
                return e;
              }),
    // SLP04
    MakeEntry(ptSLP, 4, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[3] * S[1] * S[2] * (G[2] - G[1] * R[4] / R[5]);
                e.den[1] = G[3] * (S[2] - S[1] * R[4] / R[5]) + S[2] * (G[1] + G[2]);
                e.gain = G[1] * (R[4] + R[5]) / (G[2] * R[5] - G[1] * R[4]);
                return e;
              }),
    // SHP03
    MakeEntry(ptSHP, 3, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = 1 / (R[1] * R[2] * C[2] * C[3]);
                e.den[1] = (C[1] + C[2] + C[3]) / (R[2] * C[2] * C[3]);
                e.gain = C[1] / C[2];
                return e;
              }),
    // SBP04
    MakeEntry(ptSBP, 4, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[2] * S[1] * S[2] * (G[1] + G[3]);
                e.den[1] = G[2] * (S[1] + S[2]);
                e.gain = G[1] * S[2] / (G[2] * (S[1] + S[2]));
                return e;
              }),
    // SBP05
    MakeEntry(ptSBP, 5, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[2] * S[1] * S[2] * (G[1] + G[3]);
                e.den[1] = G[2] * (S[1] + S[2]) - S[2] * (G[1] + G[3]) * R[4] / R[5];
                e.gain = G[1] * S[2] * (R[4] + R[5]) / R[5] /
                         (G[2] * (S[1] + S[2]) - S[2] * (G[1] + G[3]) * R[4] / R[5]);
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> MultipleFeedbackAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> MultipleFeedbackDesigns() {
  return {};
}

}  // namespace tavrin::circuits
