// Sallen-Key sections: one op-amp as a voltage follower or non-inverting amplifier with positive feedback
// through the RC network.
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
    // SLP01
    MakeEntry(ptSLP, 1, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * C[1] * C[2];
                e.den[1] = C[1] * (R[1] + R[2]);
                e.gain = T(1);
                return e;
              }),
    // SLP02
    MakeEntry(ptSLP, 2, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * C[1] * C[2];
                e.den[1] = C[1] * (R[1] + R[2]) - R[1] * C[2] * R[4] / R[3];
                e.gain = 1 + R[4] / R[3];
                return e;
              }),
    // SHP01
    MakeEntry(ptSHP, 1, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * C[1] * C[2];
                e.den[1] = R[2] * (C[1] + C[2]);
                e.gain = T(1);
                return e;
              }),
    // SHP02
    MakeEntry(ptSHP, 2, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * C[1] * C[2];
                e.den[1] = R[2] * (C[1] + C[2]) - R[1] * C[1] * R[4] / R[3];
                e.gain = 1 + R[4] / R[3];
                return e;
              }),
    // SBP03
    MakeEntry(ptSBP, 3, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[3] * S[1] * S[2] * (G[1] + G[2]);
                e.den[1] = S[2] * (G[1] + G[2]) + G[3] * (S[1] + S[2]) - G[2] * S[2] * (1 + R[5] / R[4]);
                e.gain = G[1] * S[2] * (1 + R[5] / R[4]) /
                         (S[2] * (G[1] + G[2]) + G[3] * (S[1] + S[2]) - G[2] * S[2] * (1 + R[5] / R[4]));
                return e;
              }),
    // SN01
    MakeEntry(ptSN, 1, Monic, Cubic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
                e.den[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]) + G[2] * G[3] / (C[1] * C[2]) -
                           G[3] * (G[1] + G[2]) * R[5] / (R[4] * C[1] * C[3]);
                e.den[2] =
                    G[2] * (C[1] + C[2]) / (C[1] * C[2]) + (G[1] + G[2]) / C[3] - G[3] * R[5] / (R[4] * C[1]);
                e.num[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
                e.num[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]);
                e.num[2] = (G[1] + G[2]) / C[3];
                e.gain = 1 + R[5] / R[4];
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> SallenKeyAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> SallenKeyDesigns() {
  return {};
}

}  // namespace tavrin::circuits
