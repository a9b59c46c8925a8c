// Fliege sections: two op-amps and a two-capacitor network.
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
    // SLP05
    MakeEntry(ptSLP, 5, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[3] * R[4] * C[1] * C[2] / R[5];
                e.den[1] = R[1] * R[3] * R[4] * C[2] / (R[2] * R[5]);
                e.gain = 1 + R[4] / R[5];
                return e;
              }),
    // SHP04
    MakeEntry(ptSHP, 4, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[2] * R[3] * R[5] * C[1] * C[2] / R[4];
                e.den[1] = R[2] * R[3] * R[5] * C[2] / (R[1] * R[4]);
                e.gain = 1 + R[4] / R[5];
                return e;
              }),
    // SBP06
    MakeEntry(ptSBP, 6, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[2] * R[3] * R[5] * C[1] * C[2] / R[4];
                e.den[1] = R[2] * R[3] * R[5] * C[2] / R[4] / R[1];
                e.gain = 1 + R[4] / R[5];
                return e;
              }),
    // SLPN04
    MakeEntry(ptSLPN, 4, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[3] * G[4] * G[6] / (G[5] * C[3] * (C[1] + C[2]));
                e.den[1] = (G[1] + G[2]) / (C[1] + C[2]);
                e.num[0] = G[3] * G[4] * G[6] / (G[5] * C[3] * (C[1] - C[2] * G[6] / G[5]));
                e.num[1] = (G[1] - G[2] * G[6] / G[5]) / (C[1] - C[2] * G[6] / G[5]);
                e.gain = (C[1] - C[2] * G[6] / G[5]) / (C[1] + C[2]);
                return e;
              }),
    // SHPN03
    MakeEntry(ptSHPN, 3, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[3] * G[4] * (G[5] + G[7]) / G[6] / C[1] / C[2];
                e.den[1] = (G[1] + G[2]) / C[1];
                e.num[0] = G[3] * G[4] * G[5] / (C[1] * C[2] * (G[6] + G[7]));
                e.num[1] = (G[1] * G[7] + G[1] * G[6] - G[2] * G[5]) / C[1] / (G[6] + G[7]);
                e.gain = 1 + G[7] / G[6];
                return e;
              }),
    // SN02
    MakeEntry(ptSN, 2, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[3] * G[4] * G[6] / (G[5] * C[1] * C[2]);
                e.den[1] = (G[1] + G[2]) / C[1];
                e.num[0] = G[3] * G[4] * G[6] / G[5] / C[1] / C[2];
                e.num[1] = G[1] / C[1] - G[2] * G[6] / G[5] / C[1];
                e.gain = T(1);
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> FliegeAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> FliegeDesigns() {
  return {};
}

}  // namespace tavrin::circuits
