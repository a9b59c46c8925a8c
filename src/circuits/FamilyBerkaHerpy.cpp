// Berka-Herpy sections: three-op-amp biquads.
//
// Per member, the analysis evaluator: the stage's transfer function from its component
// values, ideal op-amps; and the design routine that solves those equations for the stage's
// targets.
#include <algorithm>
#include <cmath>

#include "circuits/CircuitEquations.h"
#include "circuits/DesignEquations.h"
#include "core/DesignState.h"

namespace tavrin::circuits {

namespace {

using enum CoefficientForm;
using enum Order;
using enum Output;
using namespace core;

// SLP12 and SHP09 are one network, their loop one denominator.
template <class T>
void BhLoop(const Vectors<T>& v, CircuitEquations<T>& e) {
  [[maybe_unused]] const auto& [R, G, C, S] = v;
  e.den[0] = R[5] * R[7] * R[9] * C[1] * C[2] / R[6];
  e.den[1] = R[5] * R[7] * R[9] * C[1] / (R[6] * R[8]);
  e.gain = T(1);
}

// The notch members' loop (SLPN09, SHPN08; SN08 names its resistors one higher).
template <class T>
void BhNotchLoop(const Vectors<T>& v, CircuitEquations<T>& e) {
  [[maybe_unused]] const auto& [R, G, C, S] = v;
  e.den[0] = R[5] * R[7] * R[8] * C[1] * C[2] / R[9];
  e.den[1] = R[5] * R[7] * R[8] * C[1] / R[6] / R[9];
}

constexpr AnalysisEntry kAnalysis[] = {
    // SLP12.  The input reaches the loop twice, through the divider R1/R2 and directly at
    // the second amplifier; the two meet in the numerator as an s-term
    // C1 R9 (R1 R6 - R2 R5) / (R6 (R1 + R2)) relative to the DC term, which the design
    // cancels with R1 R6 = R2 R5 and standard or user values bring back.
    MakeEntry(ptSLP, 12, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                BhLoop(v, e);
                e.num[1] = C[1] * R[9] * (R[1] * R[6] - R[2] * R[5]) / (R[6] * (R[1] + R[2]));
                return e;
              }),
    // SHP09.  As SLP12, the two input paths leave an s-term, relative to the s^2 term
    // (R5 R7 (R1 + R2) + R8 (R1 R5 - R2 R6)) / (C2 R5 R7 R8 (R1 + R2)); the design's
    // R1 R5 (R7 + R8) + R2 R5 R7 = R2 R6 R8 (R2 = 2 R0, R7 = Qd R0 / 3, R8 = Qd R0) cancels it.
    MakeEntry(ptSHP, 9, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                BhLoop(v, e);
                e.num[1] = (R[5] * R[7] * (R[1] + R[2]) + R[8] * (R[1] * R[5] - R[2] * R[6])) /
                           (C[2] * R[5] * R[7] * R[8] * (R[1] + R[2]));
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
    // SLPN09.  The zero pair's s-term (tau1 of the numerator) is what the notch depth
    // rests on: zero under the design's condition
    // R1 (R3 R6 R9 + R4 R5 R8 + R4 R6 R8 + R4 R6 R9) + R2 R4 R5 R8 = R2 R3 R6 R8, small and
    // of either sign once values are rounded.
    MakeEntry(ptSLPN, 9, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                BhNotchLoop(v, e);
                e.num[0] = R[4] * R[5] * R[7] * R[8] * C[1] * C[2] / (R[9] * (R[3] + R[4]));
                e.num[1] = C[1] * R[7] *
                           (R[1] * R[6] * R[9] * (R[3] + R[4]) + R[4] * R[5] * R[8] * (R[1] + R[2]) +
                            R[6] * R[8] * (R[1] * R[4] - R[2] * R[3])) /
                           (R[6] * R[9] * (R[1] + R[2]) * (R[3] + R[4]));
                e.gain = R[4] / (R[3] + R[4]);
                return e;
              }),
    // SHPN08.  As SLPN09; the design's condition for a true notch is
    // R1 (R3 R5 R8 + R3 R6 R8 + R4 R5 R8 + R4 R6 R8 + R4 R6 R9) + R2 R5 R8 (R3 + R4)
    // = R2 R3 R6 R9.
    MakeEntry(ptSHPN, 8, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                BhNotchLoop(v, e);
                e.num[0] = R[5] * R[7] * R[8] * C[1] * C[2] * (R[3] + R[4]) / R[4] / R[9];
                e.num[1] = C[1] * R[7] *
                           (R[5] * R[8] * (R[1] + R[2]) * (R[3] + R[4]) + R[1] * R[6] * R[8] * (R[3] + R[4]) +
                            R[6] * R[9] * (R[1] * R[4] - R[2] * R[3])) /
                           (R[4] * R[6] * R[9] * (R[1] + R[2]));
                e.gain = T(1);
                return e;
              }),
    // SN08.  The input divider R4/R5 sets the high-frequency gain R5/(R4 + R5); the
    // design's R2/R3 = R4/R5 puts the zero on the pole and R8 = (R2/R3) R9 (R6 + R7)/R6
    // takes the s-term out of the zero pair.
    MakeEntry(ptSN, 8, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[6] * R[8] * R[10] * C[1] * C[2] / R[7];
                e.den[1] = R[6] * R[8] * R[10] * C[1] / R[9] / R[7];
                e.num[0] =
                    R[5] * R[6] * R[8] * R[10] * C[1] * C[2] * (R[2] + R[3]) / (R[3] * R[7] * (R[4] + R[5]));
                e.num[1] = -C[1] * R[10] *
                           (R[2] * R[7] * R[9] * (R[4] + R[5]) +
                            R[6] * (R[2] + R[3]) * (R[4] * R[9] - R[5] * R[8])) /
                           (R[3] * R[7] * R[9] * (R[4] + R[5]));
                e.gain = R[5] / (R[4] + R[5]);
                return e;
              }),
};

// ---------------------------------------------------------------------------------------
// Design.  C2 = C1 and R0 = 1/(C1 wd) throughout; one resistor of the lossy integrator sets
// Q (R8 in the lowpass and highpass, R3 in the bandpass).

// SLP12: all resistors R0 but R8 = Qd R0.  R1 R6 = R2 R5 keeps the numerator free of an
// s-term.
void DesignSLP12(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  FixGain(cr, 1);
  const double r0 = EqualCapacitorLoop(ctx, 1, 0);
  for (int k = 1; k <= 9; ++k) Rv(cr, k) = r0;
  Rv(cr, 8) = cr.DesignQp * r0;
  cr.DesignFailed = !PartsRealisable(cr);
}

// SHP09: R2 = 2 R0, R7 = Qd R0 / 3 and R8 = Qd R0 meet R1 R5 (R7 + R8) + R2 R5 R7 = R2 R6 R8,
// which removes the s-term a highpass numerator must not have; R9 = R0^2 / R7 then restores
// wp.  Its first-order shifts under single-pole op-amps, from the node equations, are
// Q/6 + 3/(2Q) and Q/6 - 3/(2Q).
void DesignSHP09(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  FixGain(cr, 1);
  const double q = ctx.target.Qp;
  const double r0 = EqualCapacitorLoop(ctx, q / 6 + 3 / (2 * q), q / 6 - 3 / (2 * q));
  const double qd = cr.DesignQp;
  for (int k = 1; k <= 6; ++k) Rv(cr, k) = r0;
  Rv(cr, 2) = 2 * r0;
  Rv(cr, 7) = qd * r0 / 3;
  Rv(cr, 8) = qd * r0;
  Rv(cr, 9) = r0 * r0 / Rv(cr, 7);
  cr.DesignFailed = !PartsRealisable(cr);
}

// SBP12 (the output is in antiphase with the input at the centre frequency): the gain is
// K = 2 a Qd R0 / (R6 + R0) with the pair R1 = R0 / a, R2 = a R0, which leaves wp and Q
// alone.  With a = 1 (all of R1, R2, R4, R5, R7 = R0), R6 = (2 Qd / K - 1) R0 reaches no
// further than K < 2 Qd; a larger gain takes a = K / Qd instead, which makes R6 = R0.  The
// coefficients follow a:  aw = (a^2 + 1) / (2a), aq = (1 - a^2) / (2a).
void DesignSBP12(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  cr.GainConstrained = !(cr.CircuitGain > 1);
  if (cr.GainConstrained) cr.CircuitGain = 1.1;
  const double k = cr.CircuitGain;
  const double aCoef = k < 2 * ctx.target.Qp ? 1.0 : k / ctx.target.Qp;
  const double r0 =
      EqualCapacitorLoop(ctx, (aCoef * aCoef + 1) / (2 * aCoef), (1 - aCoef * aCoef) / (2 * aCoef));
  const double qd = cr.DesignQp;
  const double a = 2 * qd / k - 1 > 0 ? 1.0 : k / qd;
  for (int i : {4, 5, 7}) Rv(cr, i) = r0;
  Rv(cr, 1) = r0 / a;
  Rv(cr, 2) = a * r0;
  Rv(cr, 3) = qd * r0;
  Rv(cr, 6) = (2 * a * qd / k - 1) * r0;
  cr.DesignFailed = !PartsRealisable(cr);
}

// The notch members keep the loop of SLP12 (wp from R5 R7 R8 / R9, Q from R6 = Qd R0) and
// take the zero from the input divider R3/R4 (R2/R3 and R4/R5 in SN08).  The input's
// second path, through R1/R2 into the first amplifier, is what removes the s-term of the
// zero pair; its no-s-term condition fixes R1 last.

// SLPN09: wz^2 / wp^2 = 1 + R3/R4, K = R4 / (R3 + R4) = (wd/wz)^2.  The condition
// R1 (R3 R6 R9 + R4 R5 R8 + R4 R6 R8 + R4 R6 R9) + R2 R4 R5 R8 = R2 R3 R6 R8 leaves R1 a
// positive value only while R5 < R3 R6 / R4 = ((wz/wd)^2 - 1) Qd R0.  R5 = R0 is kept from
// ((wz/wd)^2 - 1) Qd = 2 on, half the bound or less; closer zeros or lower Qs take R5 and R9
// down together (with R7, R8 fixed wp follows R9 / R5) to half the bound, so R1 keeps a
// margin rather than vanishing.  With R5 = R9 = b R0 the node equations give
// aw = (b + 1/b)/2 and aq = (1/b - b)(Qp - 1/2), 1 and 0 for the plain loop's b = 1; b for
// the coefficients is taken at the targets.  A zero at or below wd has no divider to give
// it; such a target keeps b = 1, so that no infinite coefficient reaches the GBW figures of
// a design that fails anyway.
double Slpn09Loop(double wp, double qp, double wz) {
  const double b = ((wz / wp) * (wz / wp) - 1) * qp / 2;
  return b > 0 ? std::min(1.0, b) : 1.0;
}

void DesignSLPN09(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double b = Slpn09Loop(ctx.target.wp, ctx.target.Qp, ctx.target.wz);
  const double r0 = EqualCapacitorLoop(ctx, (b + 1 / b) / 2, (1 / b - b) * (ctx.target.Qp - 0.5));
  const double ratio = (ctx.target.wz / cr.DesignWp) * (ctx.target.wz / cr.DesignWp);
  FixGain(cr, 1 / ratio);
  for (int k : {2, 4, 7, 8}) Rv(cr, k) = r0;
  Rv(cr, 3) = (ratio - 1) * r0;
  Rv(cr, 6) = cr.DesignQp * r0;
  Rv(cr, 5) = Slpn09Loop(cr.DesignWp, cr.DesignQp, ctx.target.wz) * r0;
  Rv(cr, 9) = Rv(cr, 5);
  const double r3 = Rv(cr, 3);
  const double r4 = Rv(cr, 4);
  const double r5 = Rv(cr, 5);
  const double r6 = Rv(cr, 6);
  const double r8 = Rv(cr, 8);
  const double r9 = Rv(cr, 9);
  Rv(cr, 1) =
      Rv(cr, 2) * r8 * (r3 * r6 - r4 * r5) / (r3 * r6 * r9 + r4 * r5 * r8 + r4 * r6 * r8 + r4 * r6 * r9);
  cr.DesignFailed = !PartsRealisable(cr);
}

// SHPN08: wp^2 / wz^2 = 1 + R3/R4 with the gain fixed at 1.  The condition
// R1 (R3 R5 R8 + R3 R6 R8 + R4 R5 R8 + R4 R6 R8 + R4 R6 R9) + R2 R5 R8 (R3 + R4) = R2 R3 R6 R9
// leaves R1 a positive value only while R9 > R5 R8 (R3 + R4) / (R3 R6); R9 = R0 is kept
// while it is twice the bound or more, and beyond that R9 and R7 rise together (with R5, R8
// fixed wp follows R9 / R7) to twice the bound.  With R7 = R9 = b R0 the node equations give
// aw = 1 and aq = -Qp (b - 1/b), 0 for the plain loop's b = 1; b for the coefficients is
// taken at the targets.  A zero at or above wd has no divider to give it.
double Shpn08Loop(double wp, double qp, double wz) {
  const double ratio = (wp / wz) * (wp / wz);
  const double b = 2 * ratio / ((ratio - 1) * qp);
  return b > 0 && std::isfinite(b) ? std::max(1.0, b) : 1.0;
}

void DesignSHPN08(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  FixGain(cr, 1);
  const double b = Shpn08Loop(ctx.target.wp, ctx.target.Qp, ctx.target.wz);
  const double r0 = EqualCapacitorLoop(ctx, 1, -ctx.target.Qp * (b - 1 / b));
  const double ratio = (cr.DesignWp / ctx.target.wz) * (cr.DesignWp / ctx.target.wz);
  for (int k : {2, 4, 5, 8}) Rv(cr, k) = r0;
  Rv(cr, 3) = (ratio - 1) * r0;
  Rv(cr, 6) = cr.DesignQp * r0;
  const double r3 = Rv(cr, 3);
  const double r4 = Rv(cr, 4);
  const double r5 = Rv(cr, 5);
  const double r6 = Rv(cr, 6);
  const double r8 = Rv(cr, 8);
  const double r9 = Shpn08Loop(cr.DesignWp, cr.DesignQp, ctx.target.wz) * r0;
  Rv(cr, 9) = r9;
  Rv(cr, 7) = r9;
  Rv(cr, 1) = Rv(cr, 2) * (r3 * r6 * r9 - r5 * r8 * (r3 + r4)) /
              (r3 * r5 * r8 + r3 * r6 * r8 + r4 * r5 * r8 + r4 * r6 * r8 + r4 * r6 * r9);
  cr.DesignFailed = !PartsRealisable(cr);
}

// SN08: K = R3 / (R2 + R3) = 2 Qp / (2 Qp + 1) takes R2/R3 = 1/(2 Qp), and the second
// divider R4/R5 copies it, which puts the zero on wp.  R8 = (R2/R3) R9 (R6 + R7) / R6 then
// removes the s-term; with R9 = Qd R0 setting Q, R10 = R0^2 / R8 restores wp.  Without
// predistortion R8 = R10 = R0.  R1 only loads the input.
void DesignSN08(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double qp = ctx.target.Qp;
  FixGain(cr, 2 * qp / (2 * qp + 1));
  const double r0 = EqualCapacitorLoop(ctx, 1, 0);
  const double qd = cr.DesignQp;
  const double rho = 1 / (2 * qp);
  Rv(cr, 1) = r0;
  Rv(cr, 2) = Rv(cr, 1) / (2 * qd);
  Rv(cr, 3) = Rv(cr, 2) / rho;
  Rv(cr, 4) = Rv(cr, 2);
  Rv(cr, 5) = Rv(cr, 3);
  Rv(cr, 6) = r0;
  Rv(cr, 7) = r0;
  Rv(cr, 9) = qd * r0;
  Rv(cr, 8) = rho * Rv(cr, 9) * (Rv(cr, 6) + Rv(cr, 7)) / Rv(cr, 6);
  Rv(cr, 10) = r0 * r0 / Rv(cr, 8);
  cr.DesignFailed = !PartsRealisable(cr);
}

constexpr DesignEntry kDesigns[] = {
    {ptSLP, 12, &DesignSLP12},  {ptSHP, 9, &DesignSHP09},   {ptSBP, 12, &DesignSBP12},
    {ptSLPN, 9, &DesignSLPN09}, {ptSHPN, 8, &DesignSHPN08}, {ptSN, 8, &DesignSN08},
};

}  // namespace

std::span<const AnalysisEntry> BerkaHerpyAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> BerkaHerpyDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
