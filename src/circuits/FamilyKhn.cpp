// KHN state-variable sections: a summing amplifier and two integrators, the output taken from one of them or
// from a fourth summing amplifier (the notch members).
//
// Per member, the analysis evaluator: the stage's transfer function from its component
// values, ideal op-amps; and the design routine that solves those equations for the stage's
// targets.
#include "circuits/CircuitEquations.h"
#include "circuits/DesignEquations.h"
#include "core/DesignState.h"

namespace tavrin::circuits {

namespace {

using enum CoefficientForm;
using enum Order;
using enum Output;
using namespace core;

// SLPN06, SHPN05 and SN05 are one network and share its equations.  The fourth amplifier
// sums the highpass node (via R8) and the lowpass node (via R7), never the bandpass node,
// so the zero pair has no s-term whatever the values.  Its weights do not involve the
// ratio R6/R5 of the loop's lowpass feedback: the zero's tau2 is R1 R2 R7 C1 C2 / R8 and
// the high-frequency gain R4 R9 (R5 + R6) / (R5 R8 (R3 + R4)).
constexpr auto kKhnNotchNonInvertingInput = []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
  [[maybe_unused]] const auto& [R, G, C, S] = v;
  CircuitEquations<T> e;
  e.den[0] = R[1] * R[2] * R[5] * C[1] * C[2] / R[6];
  e.den[1] = R[2] * R[3] * C[2] * (R[5] + R[6]) / (R[6] * (R[3] + R[4]));
  e.num[0] = R[1] * R[2] * R[7] * C[1] * C[2] / R[8];
  e.gain = R[4] * R[9] * (R[5] + R[6]) / (R[5] * R[8] * (R[3] + R[4]));
  return e;
};

// SLPN07, SHPN06 and SN06 are one network and share its equations.  As above, the output
// summer takes the highpass node (R9) and the lowpass node (R8) only: the zero is
// R9 / (R1 R2 R8 C1 C2) and the high-frequency gain R6 R10 / (R3 R9) for any values.
constexpr auto kKhnNotchInvertingInput = []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
  [[maybe_unused]] const auto& [R, G, C, S] = v;
  CircuitEquations<T> e;
  e.den[0] = R[6] / (R[1] * R[2] * R[5] * C[1] * C[2]);
  e.den[1] = (1 + R[6] / R[5] + R[6] / R[3]) / (1 + R[7] / R[4]) / (R[1] * C[1]);
  e.num[0] = R[9] / (R[1] * R[2] * R[8] * C[1] * C[2]);
  e.gain = R[6] * R[10] / (R[3] * R[9]);
  return e;
};

constexpr AnalysisEntry kAnalysis[] = {
    // SLP08.  The lowpass output is fed back to the summer through R5 against R6 from
    // the summer's own output, so the DC gain is R4 (R5 + R6) / (R6 (R3 + R4)).
    MakeEntry(ptSLP, 8, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * R[5] * C[1] * C[2] / R[6];
                e.den[1] = R[2] * C[2] * (R[5] + R[6]) * R[3] / R[6] / (R[3] + R[4]);
                e.gain = R[4] * (R[5] + R[6]) / (R[6] * (R[3] + R[4]));
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
    // SLPN06
    MakeEntry(ptSLPN, 6, TimeConstant, Quadratic, Inverting,
              kKhnNotchNonInvertingInput),
    // SLPN07
    MakeEntry(ptSLPN, 7, Monic, Quadratic, NonInverting,
              kKhnNotchInvertingInput),
    // SHPN05
    MakeEntry(ptSHPN, 5, TimeConstant, Quadratic, Inverting,
              kKhnNotchNonInvertingInput),
    // SHPN06
    MakeEntry(ptSHPN, 6, Monic, Quadratic, NonInverting,
              kKhnNotchInvertingInput),
    // SN05
    MakeEntry(ptSN, 5, TimeConstant, Quadratic, Inverting,
              kKhnNotchNonInvertingInput),
    // SN06
    MakeEntry(ptSN, 6, Monic, Quadratic, NonInverting,
              kKhnNotchInvertingInput),
};

// ---------------------------------------------------------------------------------------
// Design.  Both integrators get R0 = 1/(C1 wd) with C2 = C1, which puts wp in place on its
// own; Q is then set by one resistor and the gain follows from Q, so every member has its
// gain set by the design.

// Shared by both input variants: equal capacitors, the bandwidth coefficients and the
// design targets; returns R0.  The coefficients are each variant's own first-order shift
// of wp and Q under single-pole op-amps, from its node equations.
double SetUpKhnLoop(DesignContext& ctx, bool invertingInput) {
  const double qp = ctx.target.Qp;
  if (invertingInput) return EqualCapacitorLoop(ctx, 1 - 2 / qp, 2 / qp - 5 * qp);
  return EqualCapacitorLoop(ctx, 1 - 3 / (2 * qp), 3 / (2 * qp) - 4 * qp);
}

// Every member's gain is the one the built circuit has at the Q it is solved for, so that
// CircuitGain and the analysis agree when predistortion moves Qd away from Qp.

enum class KhnOutput { Lowpass, Highpass, Bandpass };

// Non-inverting input: R3 (from the input) and R4 (from the bandpass node) meet at the
// summer's non-inverting input, so their ratio alone sets Q: R4 = (2 Qd - 1) R0, which
// leaves no circuit for Q <= 0.5.

void DesignKhnNonInverting(DesignContext& ctx, KhnOutput output) {
  CircuitRecord& cr = ctx.cr;
  const double r0 = SetUpKhnLoop(ctx, false);
  const double qd = cr.DesignQp;
  for (int k : {1, 2, 3, 5, 6}) Rv(cr, k) = r0;
  Rv(cr, 4) = (2 * qd - 1) * r0;
  FixGain(cr, output == KhnOutput::Bandpass ? 2 * qd - 1 : 2 - 1 / qd);
  cr.DesignFailed = !(qd > 0.5) || !PartsRealisable(cr);
}

// Inverting input: the input and the two feedback paths meet at the summer's inverting node
// and the divider R7/R4 feeds the bandpass node back to its non-inverting input:
// R7 = (3 Qd - 1) R0, realisable for Qd above 1/3.
void DesignKhnInverting(DesignContext& ctx, KhnOutput output) {
  CircuitRecord& cr = ctx.cr;
  const double r0 = SetUpKhnLoop(ctx, true);
  const double qd = cr.DesignQp;
  for (int k = 1; k <= 6; ++k) Rv(cr, k) = r0;
  Rv(cr, 7) = (3 * qd - 1) * r0;
  FixGain(cr, output == KhnOutput::Bandpass ? qd : 1.0);
  cr.DesignFailed = !(qd > 1.0 / 3.0) || !PartsRealisable(cr);
}

void DesignSLP08(DesignContext& ctx) {
  DesignKhnNonInverting(ctx, KhnOutput::Lowpass);
}
void DesignSHP06(DesignContext& ctx) {
  DesignKhnNonInverting(ctx, KhnOutput::Highpass);
}
void DesignSBP08(DesignContext& ctx) {
  DesignKhnNonInverting(ctx, KhnOutput::Bandpass);
}
void DesignSLP09(DesignContext& ctx) {
  DesignKhnInverting(ctx, KhnOutput::Lowpass);
}
void DesignSHP07(DesignContext& ctx) {
  DesignKhnInverting(ctx, KhnOutput::Highpass);
}
void DesignSBP09(DesignContext& ctx) {
  DesignKhnInverting(ctx, KhnOutput::Bandpass);
}

// The notch members add a fourth amplifier outside the loop that sums the highpass and
// lowpass outputs, so their poles, and with them aw and aq, are those of the lowpass member
// with the same input; their gain is free.  The zero is the ratio of the two summing
// resistors against wd^2, and the gain the summer's feedback resistor.

// Non-inverting input: R7 from the lowpass and R8 from the highpass output give
// wz^2 = wd^2 R8 / R7.  The highpass output carries (2 Qd - 1) / Qd of the input, which R9
// makes up to K.  The highpass notch scales R7 rather than R8, so that with wz below wd
// neither summing resistor drops below R0.
void DesignKhnNotchNonInverting(DesignContext& ctx, bool highpassNotch) {
  CircuitRecord& cr = ctx.cr;
  cr.GainConstrained = false;
  const double r0 = SetUpKhnLoop(ctx, false);
  const double qd = cr.DesignQp;
  const double k = cr.CircuitGain;
  const double zz = (ctx.target.wz / cr.DesignWp) * (ctx.target.wz / cr.DesignWp);
  for (int i : {1, 2, 3, 5, 6}) Rv(cr, i) = r0;
  Rv(cr, 4) = (2 * qd - 1) * r0;
  if (highpassNotch) {
    Rv(cr, 8) = r0;
    Rv(cr, 7) = r0 / zz;
  } else {
    Rv(cr, 7) = r0;
    Rv(cr, 8) = zz * r0;
  }
  Rv(cr, 9) = Rv(cr, 8) * qd * k / (2 * qd - 1);
  cr.DesignFailed = !(qd > 0.5) || !(zz > 0) || !PartsRealisable(cr);
}

// Inverting input: the highpass output carries the input at unity, so R10 = K R9; R8 from
// the lowpass and R9 from the highpass output give wz^2 = wd^2 R9 / R8.  The highpass notch
// takes R8 = R7, so that R9 = (wz/wd)^2 R8, which wz below wd makes the smaller, grows with
// Q like R7 instead of staying a fraction of R0.
void DesignKhnNotchInverting(DesignContext& ctx, bool highpassNotch) {
  CircuitRecord& cr = ctx.cr;
  cr.GainConstrained = false;
  const double r0 = SetUpKhnLoop(ctx, true);
  const double qd = cr.DesignQp;
  const double k = cr.CircuitGain;
  const double zz = (ctx.target.wz / cr.DesignWp) * (ctx.target.wz / cr.DesignWp);
  for (int i = 1; i <= 6; ++i) Rv(cr, i) = r0;
  Rv(cr, 7) = (3 * qd - 1) * r0;
  Rv(cr, 8) = highpassNotch ? Rv(cr, 7) : r0;
  Rv(cr, 9) = zz * Rv(cr, 8);
  Rv(cr, 10) = k * Rv(cr, 9);
  cr.DesignFailed = !(qd > 1.0 / 3.0) || !(zz > 0) || !PartsRealisable(cr);
}

void DesignSLPN06(DesignContext& ctx) {
  DesignKhnNotchNonInverting(ctx, false);
}
void DesignSHPN05(DesignContext& ctx) {
  DesignKhnNotchNonInverting(ctx, true);
}
void DesignSN05(DesignContext& ctx) {
  DesignKhnNotchNonInverting(ctx, false);
}
void DesignSLPN07(DesignContext& ctx) {
  DesignKhnNotchInverting(ctx, false);
}
void DesignSHPN06(DesignContext& ctx) {
  DesignKhnNotchInverting(ctx, true);
}
void DesignSN06(DesignContext& ctx) {
  DesignKhnNotchInverting(ctx, false);
}

constexpr DesignEntry kDesigns[] = {
    {ptSLP, 8, &DesignSLP08},   {ptSLP, 9, &DesignSLP09},   {ptSHP, 6, &DesignSHP06},
    {ptSHP, 7, &DesignSHP07},   {ptSBP, 8, &DesignSBP08},   {ptSBP, 9, &DesignSBP09},
    {ptSLPN, 6, &DesignSLPN06}, {ptSLPN, 7, &DesignSLPN07}, {ptSHPN, 5, &DesignSHPN05},
    {ptSHPN, 6, &DesignSHPN06}, {ptSN, 5, &DesignSN05},     {ptSN, 6, &DesignSN06},
};

}  // namespace

std::span<const AnalysisEntry> KhnAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> KhnDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
