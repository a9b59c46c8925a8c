// Friend's single-amplifier biquads (SAB): lowpass and highpass notches with one op-amp.
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
    // SLPN01
    MakeEntry(ptSLPN, 1, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = S[1] * S[2] * (G[2] - G[5] * G[7] / (G[3] + G[6])) * (G[1] + G[4]);
                e.den[1] = (S[1] + S[2]) * (G[2] - G[5] * G[7] / (G[3] + G[6])) -
                           S[2] * (G[1] + G[4]) * G[7] / (G[3] + G[6]);
                e.num[0] = S[1] * S[2] * (G[2] + G[5]) * (G[1] + G[4]);
                e.num[1] = (G[2] + G[5]) * (S[1] + S[2]) + S[2] * (G[1] + G[4]) -
                           G[1] * S[2] * (G[3] + G[6] + G[7]) / G[3];
                e.gain = G[3] / (G[3] + G[6]);
                return e;
              }),
    // SHPN01
    MakeEntry(ptSHPN, 1, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = S[1] * S[2] * (G[5] - G[2] * G[7] / (G[3] + G[6])) * (G[1] + G[4]);
                e.den[1] = (S[1] + S[2]) * (G[5] - G[2] * G[7] / (G[3] + G[6])) -
                           S[2] * (G[1] + G[4]) * G[7] / (G[3] + G[6]);
                e.num[0] = S[1] * S[2] *
                           (G[2] + G[5] - G[2] * (G[3] + G[6]) * (1 + G[7] / (G[3] + G[6])) / G[3]) *
                           (G[1] + G[4]);
                e.num[1] =
                    (G[2] + G[5]) * (S[1] + S[2]) + S[2] * (G[1] + G[4]) -
                    (G[2] * (S[1] + S[2]) + G[1] * S[2]) * (G[3] + G[6]) * (1 + G[7] / (G[3] + G[6])) / G[3];
                e.gain = G[3] / (G[3] + G[6]);
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> FriendSabAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> FriendSabDesigns() {
  return {};
}

}  // namespace tavrin::circuits
