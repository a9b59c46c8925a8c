// First-order lowpass and highpass sections: an RC pole with a follower, a non-inverting gain stage or an
// inverting amplifier.
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
    // FLP01
    MakeEntry(ptFLP, 1, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = 1 / (R[1] * C[1]);
                e.gain = T(1);
                return e;
              }),
    // FLP02
    MakeEntry(ptFLP, 2, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = 1 / (R[1] * C[1]);
                e.gain = 1 + R[3] / R[2];
                return e;
              }),
    // FLP03
    MakeEntry(ptFLP, 3, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = 1 / (R[2] * C[1]);
                e.gain = R[2] / R[1];
                return e;
              }),
    // FHP01
    MakeEntry(ptFHP, 1, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = 1 / (R[1] * C[1]);
                e.gain = T(1);
                return e;
              }),
    // FHP02
    MakeEntry(ptFHP, 2, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = 1 / (R[1] * C[1]);
                e.gain = 1 + R[3] / R[2];
                return e;
              }),
    // FHP03
    MakeEntry(ptFHP, 3, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = 1 / (R[1] * C[2]);
                e.gain = C[1] / C[2];
                return e;
              }),
    // FHP04
    MakeEntry(ptFHP, 4, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = 1 / (R[1] * C[1]);
                e.gain = R[2] / R[1];
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> FirstOrderAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> FirstOrderDesigns() {
  return {};
}

}  // namespace tavrin::circuits
