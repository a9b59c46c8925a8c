// Mikhael-Bhattacharyya sections: three op-amps whose inverting inputs share one node.
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
    // SLP11
    MakeEntry(ptSLP, 11, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * (G[2] + G[4]) / (R[5] * R[8] * C[1] * C[2]);
                e.den[1] = R[1] * R[7] / (R[3] * R[5] * R[6] * C[1]);
                e.gain = G[2] * (G[1] + G[5]) / (G[5] * (G[2] + G[4]));
                return e;
              }),
    // SHP08
    MakeEntry(ptSHP, 8, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[4] * G[5] * G[8] / (C[1] * C[2] * (G[1] + G[2]));
                e.den[1] = R[7] / (R[3] * R[5] * R[6] * C[1] * (G[1] + G[2]));
                e.gain = G[1] * (G[3] + G[7]) / (G[7] * (G[1] + G[2]));
                return e;
              }),
    // SBP11
    MakeEntry(ptSBP, 11, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] / (R[4] * R[5] * R[8] * C[1] * C[2]);
                e.den[1] = R[1] * R[7] * (G[2] + G[3]) / (R[5] * R[6] * C[1]);
                e.gain = G[2] * (G[1] + G[5]) / G[5] / (G[2] + G[3]);
                return e;
              }),
    // SLPN08
    MakeEntry(ptSLPN, 8, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[6] * G[9] * (G[4] + G[5]) / (C[1] * C[2] * (G[1] + G[2]));
                e.den[1] = G[3] * G[6] * G[7] / (G[8] * C[1] * (G[1] + G[2]));
                e.num[0] = G[4] * G[6] * G[9] / (G[1] * C[1] * C[2]);
                e.gain = G[1] * (G[3] + G[8]) / (G[8] * (G[1] + G[2]));
                return e;
              }),
    // SHPN07
    MakeEntry(ptSHPN, 7, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[6] * G[9] * (G[4] + G[5]) / (C[1] * C[2] * (G[1] + G[2]));
                e.den[1] = G[3] * G[6] * G[7] / (G[8] * C[1] * (G[1] + G[2]));
                e.num[0] = G[4] * G[6] * G[9] / (G[1] * C[1] * C[2]);
                e.gain = G[1] * (G[3] + G[8]) / (G[8] * (G[1] + G[2]));
                return e;
              }),
    // SN07
    MakeEntry(ptSN, 7, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[6] * G[9] * (G[4] + G[5]) / (C[1] * C[2] * (G[1] + G[2]));
                e.den[1] = G[3] * G[6] * G[7] / (G[8] * C[1] * (G[1] + G[2]));
                e.num[0] = G[4] * G[6] * G[9] / (G[1] * C[1] * C[2]);
                e.gain = G[1] * (G[3] + G[8]) / (G[8] * (G[1] + G[2]));
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> MikhaelBhattacharyyaAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> MikhaelBhattacharyyaDesigns() {
  return {};
}

}  // namespace tavrin::circuits
