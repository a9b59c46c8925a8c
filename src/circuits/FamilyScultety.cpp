// Scultety notch sections: single-amplifier notches.
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
    // SLPN02.  The zero pair and K are exact while the zero pair has no s-term,
    // R4 R5 / (R3 (R4 + R5)) = C2 (R1 + R2) / (R1 C1 + C3 (R1 + R2)) (the design's notch
    // condition); index 1 itself is exact for any values and measures the notch depth.
    MakeEntry(ptSLPN, 2, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * C[1] * (C[2] + C[3]);
                e.den[1] = (C[2] + C[3]) * (R[1] + R[2]) - R[1] * R[5] * C[1] * (R[3] + R[4]) / R[3] / R[4];
                e.num[0] = R[1] * R[1] * R[2] * C[1] * C[1] * C[2] / (R[1] * C[1] + C[3] * (R[1] + R[2]));
                e.num[1] = C[2] * (R[1] + R[2]) -
                           (R[1] * C[1] + C[3] * (R[1] + R[2])) * R[4] * R[5] / R[3] / (R[4] + R[5]);
                e.gain =
                    (1 + R[5] / R[4]) / ((1 + C[3] * (R[1] + R[2]) / R[1] / C[1]) * (C[2] + C[3]) / C[2]);
                return e;
              }),
    // SHPN02
    MakeEntry(ptSHPN, 2, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[3] * R[4] * C[1] * C[2] / (R[1] + R[4]);
                e.den[1] = R[3] * (C[1] + C[2]) -
                           R[1] * R[4] * R[6] * C[2] * (R[2] + R[5]) / (R[2] * R[5] * (R[1] + R[4]));
                e.num[0] =
                    R[1] * R[3] * R[4] * C[1] * C[2] / (R[1] + R[4]) /
                    (R[4] / (R[1] + R[4]) - R[1] * R[5] * R[6] / (R[2] * (R[5] + R[6]) * (R[1] + R[4])));
                e.num[1] = R[3] *
                           ((C[1] + C[2]) / R[1] - (C[1] / R[4] + C[2] * (R[3] + R[4]) / R[3] / R[4]) * R[5] *
                                                       R[6] / (R[2] * (R[5] + R[6]))) /
                           (1 / R[1] - R[5] * R[6] / (R[2] * R[4] * (R[5] + R[6])));
                e.gain = 1 + R[6] / R[5];
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> ScultetyAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> ScultetyDesigns() {
  return {};
}

}  // namespace tavrin::circuits
