// KHN state-variable sections: a summing amplifier and two integrators, the output taken from one of them or
// from a fourth summing amplifier (the notch members).
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
    // SLP08.  Exact while R5 = R6 (the design makes both R0): the lowpass output is
    // weighted R6/(R5+R6) at the summer, the gain below is written with R5.
    MakeEntry(ptSLP, 8, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * R[5] * C[1] * C[2] / R[6];
                e.den[1] = R[2] * C[2] * (R[5] + R[6]) * R[3] / R[6] / (R[3] + R[4]);
                e.gain = (R[5] + R[6]) * R[4] / R[5] / (R[3] + R[4]);
                return e;
              }),
    // SLP09
    MakeEntry(ptSLP, 9, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[6] / (R[1] * R[2] * R[5] * C[1] * C[2]);
                e.den[1] = (1 + R[6] / R[5] + R[6] / R[3]) / (1 + R[7] / R[4]) / (R[1] * C[1]);
                e.gain = R[5] / R[3];
                return e;
              }),
    // SHP06
    MakeEntry(ptSHP, 6, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * R[5] * C[1] * C[2] / R[6];
                e.den[1] = R[2] * R[3] * C[2] * (R[5] + R[6]) / R[6] / (R[3] + R[4]);
                e.gain = R[4] * (R[5] + R[6]) / (R[5] * (R[3] + R[4]));
                return e;
              }),
    // SHP07
    MakeEntry(ptSHP, 7, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[6] / (R[1] * R[2] * R[5] * C[1] * C[2]);
                e.den[1] = (1 + R[6] / R[5] + R[6] / R[3]) / (1 + R[7] / R[4]) / (R[1] * C[1]);
                e.gain = R[6] / R[3];
                return e;
              }),
    // SBP08
    MakeEntry(ptSBP, 8, TimeConstant, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * R[5] * C[1] * C[2] / R[6];
                e.den[1] = R[2] * R[3] * C[2] * (R[5] + R[6]) / (R[6] * (R[3] + R[4]));
                e.gain = R[4] / R[3];
                return e;
              }),
    // SBP09
    MakeEntry(ptSBP, 9, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[6] / (R[1] * R[2] * R[5] * C[1] * C[2]);
                e.den[1] = (1 + R[6] / R[5] + R[6] / R[3]) / (1 + R[7] / R[4]) / (R[1] * C[1]);
                e.gain = R[6] * (1 + R[7] / R[4]) / R[3] / (1 + R[6] / R[5] + R[6] / R[3]);
                return e;
              }),
    // SLPN06.  Exact while R5 = R6 (the design makes both R0): K and the zero are
    // written with the ratio R6/R5 that only the denominator has.
    MakeEntry(ptSLPN, 6, TimeConstant, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * R[5] * C[1] * C[2] / R[6];
                e.den[1] = R[2] * R[3] * C[2] * (R[5] + R[6]) / (R[6] * (R[3] + R[4]));
                e.num[0] = R[1] * R[2] * R[5] * R[7] * C[1] * C[2] / R[6] / R[8];
                e.gain = R[4] * R[9] * (R[5] + R[6]) / (R[6] * R[8] * (R[3] + R[4]));
                return e;
              }),
    // SLPN07.  Exact while R5 = R6 (the design makes R1..R6 all R0): the high-frequency
    // gain of the built circuit is R6 R10/(R3 R9), K below is written with R5.
    MakeEntry(ptSLPN, 7, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[6] / (R[1] * R[2] * R[5] * C[1] * C[2]);
                e.den[1] = (1 + R[6] / R[5] + R[6] / R[3]) / (1 + R[7] / R[4]) / (R[1] * C[1]);
                e.num[0] = R[6] * R[9] / (R[1] * R[2] * R[5] * R[8] * C[1] * C[2]);
                e.gain = R[5] * R[10] / R[9] / R[3];
                return e;
              }),
    // SHPN05.  Exact while R5 = R6, as SLPN06.
    MakeEntry(ptSHPN, 5, TimeConstant, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * R[5] * C[1] * C[2] / R[6];
                e.den[1] = R[2] * R[3] * C[2] * (R[5] + R[6]) / (R[6] * (R[3] + R[4]));
                e.num[0] = R[1] * R[2] * R[5] * R[7] * C[1] * C[2] / R[6] / R[8];
                e.gain = R[4] * R[9] * (R[5] + R[6]) / (R[6] * R[8] * (R[3] + R[4]));
                return e;
              }),
    // SHPN06.  Exact while R5 = R6, as SLPN07.
    MakeEntry(ptSHPN, 6, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[6] / (R[1] * R[2] * R[5] * C[1] * C[2]);
                e.den[1] = (1 + R[6] / R[5] + R[6] / R[3]) / (1 + R[7] / R[4]) / (R[1] * C[1]);
                e.num[0] = R[6] * R[9] / (R[1] * R[2] * R[5] * R[8] * C[1] * C[2]);
                e.gain = R[5] * R[10] / R[9] / R[3];
                return e;
              }),
    // SN05.  Exact while R5 = R6, as SLPN06.
    MakeEntry(ptSN, 5, TimeConstant, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * R[5] * C[1] * C[2] / R[6];
                e.den[1] = R[2] * R[3] * C[2] * (R[5] + R[6]) / (R[6] * (R[3] + R[4]));
                e.num[0] = R[1] * R[2] * R[5] * R[7] * C[1] * C[2] / R[6] / R[8];
                e.gain = R[4] * R[9] * (R[5] + R[6]) / (R[6] * R[8] * (R[3] + R[4]));
                return e;
              }),
    // SN06.  Exact while R5 = R6, as SLPN07.
    MakeEntry(ptSN, 6, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[6] / (R[1] * R[2] * R[5] * C[1] * C[2]);
                e.den[1] = (1 + R[6] / R[5] + R[6] / R[3]) / (1 + R[7] / R[4]) / (R[1] * C[1]);
                e.num[0] = R[6] * R[9] / (R[1] * R[2] * R[5] * R[8] * C[1] * C[2]);
                e.gain = R[5] * R[10] / R[9] / R[3];
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> KhnAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> KhnDesigns() {
  return {};
}

}  // namespace tavrin::circuits
