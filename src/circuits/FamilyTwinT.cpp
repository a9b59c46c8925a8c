// Twin-T sections: a twin-T network in the feedback of a follower and an amplifier; their true transfer
// function is third order.
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
    // SLP07
    MakeEntry(ptSLP, 7, Monic, Cubic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
                e.den[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]) +
                           (G[2] * G[3] / C[1] / C[2] + G[3] * (G[1] + G[2]) / C[1] / C[3]) *
                               (1 - R[4] / (R[4] + R[5]));
                e.den[2] = (G[1] + G[2]) / C[3] +
                           (G[2] * (C[1] + C[2]) / C[1] / C[2] + G[3] / C[1]) * (1 - R[4] / (R[4] + R[5]));
                e.num[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
                e.num[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]);
                e.gain = T(1);
                return e;
              }),
    // SHP05
    MakeEntry(ptSHP, 5, Monic, Cubic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
                e.den[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]) +
                           (G[2] * G[3] / C[1] / C[2] + G[3] * (G[1] + G[2]) / C[1] / C[3]) *
                               (1 - R[4] / (R[4] + R[5]));
                e.den[2] = (G[1] + G[2]) / C[3] +
                           (G[2] * (C[1] + C[2]) / C[1] / C[2] + G[3] / C[1]) * (1 - R[4] / (R[4] + R[5]));
                e.num[2] = (G[1] + G[2]) / C[3];
                e.gain = T(1);
                return e;
              }),
    // SBP07.  The follower buffers the twin-T's junction and the inverting amplifier
    // (gain K = R5/R4) drives the network's shunt arms; the input reaches the junction
    // through the same network.  So the numerator carries the same factor
    // 1/(1 + K) = R4/(R4 + R5) as the feedback terms of the denominator, with a positive
    // sign: the output's inversion is the Inverting flag, applied once.
    MakeEntry(ptSBP, 7, Monic, Cubic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
                e.den[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]) +
                           (G[1] * G[3] / (C[1] * C[2]) + G[3] * (G[1] + G[2]) / (C[2] * C[3])) * R[4] /
                               (R[4] + R[5]);
                e.den[2] = (G[1] + G[2]) / C[3] +
                           (G[1] * (C[1] + C[2]) / (C[1] * C[2]) + G[3] / C[2]) * R[4] / (R[4] + R[5]);
                e.num[1] = (G[1] * G[3] / (C[1] * C[2]) + G[3] * (G[1] + G[2]) / (C[2] * C[3])) * R[4] /
                           (R[4] + R[5]);
                e.num[2] = (G[1] * (C[1] + C[2]) / (C[1] * C[2]) + G[3] / C[2]) * R[4] / (R[4] + R[5]);
                e.gain = R[5] / R[4];
                return e;
              }),
    // SLPN05
    MakeEntry(ptSLPN, 5, Monic, Cubic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[1] * G[2] * G[3] / C[1] / C[2] / (C[3] + C[4]);
                e.den[1] =
                    G[1] * G[2] * (C[1] + C[3] + C[4]) / C[1] / C[2] / (C[3] + C[4]) +
                    (G[2] / C[1] + (G[1] + G[2]) / C[2]) * G[3] * (1 - R[4] / (R[4] + R[5])) / (C[3] + C[4]);
                e.den[2] = G[3] * (1 - R[4] / (R[4] + R[5])) / (C[3] + C[4]) +
                           G[2] * (C[1] + C[3] + C[4]) * (1 - R[4] / (R[4] + R[5])) / C[1] / (C[3] + C[4]) +
                           (G[1] + G[2]) / C[2];
                e.num[0] = G[1] * G[2] * G[3] / C[1] / C[2] / C[3];
                e.num[1] = G[1] * G[2] * (C[1] + C[3] + C[4]) / C[1] / C[2] / C[3];
                e.num[2] = (G[1] + G[2]) / C[2];
                e.gain = C[3] / (C[3] + C[4]);
                return e;
              }),
    // SHPN04.  Exact while C1 = C2 (the set-up ratio 1, which no adjustment of this
    // circuit changes): three terms of the denominator are written with C1 where the
    // built circuit has C2.
    MakeEntry(ptSHPN, 4, Monic, Cubic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[3] * G[4] * G[5] * (G[1] + G[2]) / (C[1] * C[2] * C[3] * (G[1] + G[2] + G[3]));
                e.den[1] = G[3] * G[4] * (G[1] + G[2]) * (C[1] + C[2]) /
                               (C[1] * C[2] * C[3] * (G[1] + G[2] + G[3])) +
                           (G[4] * G[5] / C[1] / C[2] + G[4] * G[5] / C[1] / C[3] +
                            G[3] * G[5] * (G[1] + G[2]) / (C[1] * C[3] * (G[1] + G[2] + G[3]))) *
                               (1 - R[6] / (R[6] + R[7]));
                e.den[2] = G[4] / C[3] + G[3] * (G[1] + G[2]) / C[3] / (G[1] + G[2] + G[3]) +
                           (G[5] / C[1] + G[4] * (C[1] + C[2]) / C[1] / C[2]) * (1 - R[6] / (R[6] + R[7]));
                e.num[0] = G[1] * G[3] * G[4] * G[5] / (C[1] * C[2] * C[3] * (G[1] + G[2] + G[3]));
                e.num[1] = G[1] * G[3] * G[4] * (C[1] + C[2]) / (C[1] * C[2] * C[3] * (G[1] + G[2] + G[3]));
                e.num[2] = G[4] / C[3] + G[3] * (G[1] + G[2]) / (C[3] * (G[1] + G[2] + G[3]));
                e.gain = T(1);
                return e;
              }),
    // SN03
    MakeEntry(ptSN, 3, Monic, Cubic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
                e.den[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]) +
                           (G[2] * G[3] / C[1] / C[2] + G[3] * (G[1] + G[2]) / C[1] / C[3]) *
                               (1 - R[4] / (R[4] + R[5]));
                e.den[2] = (G[1] + G[2]) / C[3] +
                           (G[2] * (C[1] + C[2]) / C[1] / C[2] + G[3] / C[1]) * (1 - R[4] / (R[4] + R[5]));
                e.num[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
                e.num[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]);
                e.num[2] = (G[1] + G[2]) / C[3];
                e.gain = T(1);
                return e;
              }),
    // SN04
    MakeEntry(ptSN, 4, Monic, Cubic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
                e.den[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]) +
                           (G[2] * G[3] / C[1] / C[2] + G[3] * (G[1] + G[2]) / C[1] / C[3]) *
                               (1 - R[4] / (R[4] + R[5]));
                e.den[2] = (G[1] + G[2]) / C[3] +
                           (G[2] * (C[1] + C[2]) / C[1] / C[2] + G[3] / C[1]) * (1 - R[4] / (R[4] + R[5]));
                e.num[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
                e.num[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]);
                e.num[2] = (G[1] + G[2]) / C[3];
                e.gain = T(1);
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> TwinTAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> TwinTDesigns() {
  return {};
}

}  // namespace tavrin::circuits
