// Berka-Herpy sections: three-op-amp biquads.
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
    // SLP12.  Exact while R1 R6 = R2 R5 (the design makes R1..R7 all R0); otherwise
    // the built circuit has a numerator s-term that a lowpass stage does not model.
    MakeEntry(ptSLP, 12, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[5] * R[7] * R[9] * C[1] * C[2] / R[6];
                e.den[1] = R[5] * R[7] * R[9] * C[1] / (R[6] * R[8]);
                e.gain = T(1);
                return e;
              }),
    // SHP09.  Exact while R1 R5 (R7 + R8) + R2 R5 R7 = R2 R6 R8, which the design
    // (R2 = 2 R0, R7 = Qd R0 / 3, R8 = Qd R0) satisfies; otherwise the built circuit has a
    // numerator s-term that a highpass stage does not model.
    MakeEntry(ptSHP, 9, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[5] * R[7] * R[9] * C[1] * C[2] / R[6];
                e.den[1] = R[5] * R[7] * R[9] * C[1] / (R[6] * R[8]);
                e.gain = T(1);
                return e;
              }),
    // SBP12.  The input reaches the output through XA1 (non-inverting, via R6/R7) and
    // the lossy integrator XA3 (inverting), so at the centre frequency the output is in
    // antiphase with the input: the circuit inverts.
    MakeEntry(ptSBP, 12, TimeConstant, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * R[4] * C[1] * C[2] / R[5];
                e.den[1] = R[1] * R[2] * R[4] * C[1] / R[3] / R[5];
                e.gain = R[3] * R[7] * (R[4] + R[5]) / (R[1] * R[4] * (R[6] + R[7]));
                return e;
              }),
    // SLPN09.  The zero pair is taken without its s-term, exact while
    // R1 (R3 R6 R9 + R4 R5 R8 + R4 R6 R8 + R4 R6 R9) + R2 R4 R5 R8 = R2 R3 R6 R8, the
    // condition for a true notch that the design meets.
    MakeEntry(ptSLPN, 9, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[5] * R[7] * R[8] * C[1] * C[2] / R[9];
                e.den[1] = R[5] * R[7] * R[8] * C[1] / R[6] / R[9];
                e.num[0] = R[4] * R[5] * R[7] * R[8] * C[1] * C[2] / (R[9] * (R[3] + R[4]));
                e.gain = R[4] / (R[3] + R[4]);
                return e;
              }),
    // SHPN08.  The zero pair is taken without its s-term, exact while
    // R1 (R3 R5 R8 + R3 R6 R8 + R4 R5 R8 + R4 R6 R8 + R4 R6 R9) + R2 R5 R8 (R3 + R4)
    // = R2 R3 R6 R9, the condition for a true notch that the design meets.
    MakeEntry(ptSHPN, 8, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[5] * R[7] * R[8] * C[1] * C[2] / R[9];
                e.den[1] = R[5] * R[7] * R[8] * C[1] / R[6] / R[9];
                e.num[0] = R[5] * R[7] * R[8] * C[1] * C[2] * (R[3] + R[4]) / R[4] / R[9];
                e.gain = T(1);
                return e;
              }),
    // SN08.  Exact for a true notch at wz = wp: R2/R3 = R4/R5 (this K then equals
    // the built circuit's R5/(R4+R5)) and R8 = (R2/R3) R9 (R6 + R7)/R6 (no s-term in the
    // zero pair).
    MakeEntry(ptSN, 8, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[6] * R[8] * R[10] * C[1] * C[2] / R[7];
                e.den[1] = R[6] * R[8] * R[10] * C[1] / R[9] / R[7];
                e.num[0] =
                    R[5] * R[6] * R[8] * R[10] * C[1] * C[2] * (R[2] + R[3]) / (R[3] * R[7] * (R[4] + R[5]));
                e.gain = R[3] / (R[2] + R[3]);
                return e;
              }),
};

}  // namespace

std::span<const AnalysisEntry> BerkaHerpyAnalysis() {
  return kAnalysis;
}

// Design routines of this family are added here as they are written.
std::span<const DesignEntry> BerkaHerpyDesigns() {
  return {};
}

}  // namespace tavrin::circuits
