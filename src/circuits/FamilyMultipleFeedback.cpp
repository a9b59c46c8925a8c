// Multiple-feedback (MFB) sections: one inverting op-amp with two feedback paths.
//
// Per member, the analysis evaluator: the stage's transfer function from its component
// values, ideal op-amps; and the design routine that solves those equations for the
// stage's targets.
#include <array>
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

constexpr AnalysisEntry kAnalysis[] = {
    // SLP03
    MakeEntry(ptSLP, 3, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[2] * G[3] * S[1] * S[2];
                e.den[1] = S[2] * (G[1] + G[2] + G[3]);
                e.gain = R[2] / R[1];
                return e;
              }),
    // SLP04
    MakeEntry(ptSLP, 4, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[3] * S[1] * S[2] * (G[2] - G[1] * R[4] / R[5]);
                e.den[1] = G[3] * (S[2] - S[1] * R[4] / R[5]) + S[2] * (G[1] + G[2]);
                e.gain = G[1] * (R[4] + R[5]) / (G[2] * R[5] - G[1] * R[4]);
                return e;
              }),
    // SHP03
    MakeEntry(ptSHP, 3, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = 1 / (R[1] * R[2] * C[2] * C[3]);
                e.den[1] = (C[1] + C[2] + C[3]) / (R[2] * C[2] * C[3]);
                e.gain = C[1] / C[2];
                return e;
              }),
    // SBP04
    MakeEntry(ptSBP, 4, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[2] * S[1] * S[2] * (G[1] + G[3]);
                e.den[1] = G[2] * (S[1] + S[2]);
                e.gain = G[1] * S[2] / (G[2] * (S[1] + S[2]));
                return e;
              }),
    // SBP05
    MakeEntry(ptSBP, 5, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[2] * S[1] * S[2] * (G[1] + G[3]);
                e.den[1] = G[2] * (S[1] + S[2]) - S[2] * (G[1] + G[3]) * R[4] / R[5];
                e.gain = G[1] * S[2] * (R[4] + R[5]) / R[5] /
                         (G[2] * (S[1] + S[2]) - S[2] * (G[1] + G[3]) * R[4] / R[5]);
                return e;
              }),
};

// ---------------------------------------------------------------------------------------
// Design

// One op-amp with A(s) = 2 pi GBW / s turns the ideal denominator d2 s^2 + d1 s + d0 into
// d2 s^2 + d1 s + d0 + (s / (2 pi GBW)) (e3 s^3 + e2 s^2 + e1 s).  To first order the pole
// pair stays a root of the quadratic that remains once s^3 and s^2 of the correction are
// reduced with the ideal denominator, which gives the relative shifts of wp and Qp per unit
// of wp / (2 pi GBW), in the sign convention of GbwTargets (wp (1 - aw x), Qp (1 - aq x)).
// d holds d0, d1, d2 and e holds e1, e2, e3, in any common scale.
struct GbwCoefficients {
  double aw = 0;
  double aq = 0;
};

GbwCoefficients SingleOpAmpShift(const std::array<double, 3>& d, const std::array<double, 3>& e) {
  const double b0 = d[0] / d[2];
  const double b1 = d[1] / d[2];
  const double f0 = e[0] / d[2];
  const double f1 = e[1] / d[2];
  const double f2 = e[2] / d[2];
  const double wp = std::sqrt(b0);
  const double dw = (f2 * b1 - f1) / 2;  // d(wp)/wp per 1/(2 pi GBW)
  const double db1 = f2 * (b1 * b1 - b0) - f1 * b1 + f0;
  return {-dw / wp, -(dw - db1 / b1) / wp};
}

// SLP03.  With R1 = R2 / K the gain is free; the capacitor ratio that makes both integrator
// resistors real is m = 4 Qd^2 (K + 1), taken from the Q the circuit is solved for so that
// a predistorted Qd is realised exactly.
void DesignSLP03(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double qp = ctx.target.Qp;
  const double k = cr.CircuitGain;
  if (cr.ActiveComp) cr.Predistort = false;
  cr.GbwCoefWp = (k + 1) * qp;
  cr.GbwCoefQp = -qp;
  GbwTargets(ctx);
  const double wd = cr.DesignWp;
  const double qd = cr.DesignQp;
  const double m = 4 * qd * qd * (k + 1);
  Cv(cr, 2) = m * Cv(cr, 1);
  cr.CapRatio = m;
  Rv(cr, 2) = 1 / (2 * qd * wd * Cv(cr, 1));
  Rv(cr, 1) = Rv(cr, 2) / k;
  Rv(cr, 3) = 1 / (Rv(cr, 2) * Cv(cr, 1) * Cv(cr, 2) * wd * wd);
  cr.DesignFailed = !(k > 0) || !PartsRealisable(cr);
}

// SLP04.  The divider R4/R5 lifts the non-inverting input by r = R4/R5 of the output.  With
// u = G2 - r G1 the gain fixes G1 = K u / (1 + r), the pole frequency G3 = wd^2 C1 C2 / u,
// and the Q leaves a quadratic in u:
//   (K + 1)/C2 u^2 - (wd/Qd) u + wd^2 C1 (1 - r m) = 0.
// Its square root is real for every target once r m = 1 (the positive feedback then takes
// R3's share of the damping), so C2 stays at the set-up ratio and r = 1/m; the root kept
// is the larger, u = wd C2 / (Qd (K + 1)).
void SolveSLP04(CircuitRecord& cr, double wd, double qd, double k) {
  const double c1 = Cv(cr, 1);
  const double c2 = Cv(cr, 2);
  const double r = c1 / c2;
  const double u = wd * c2 / (qd * (k + 1));
  const double g1 = u * k / (1 + r);
  Rv(cr, 1) = 1 / g1;
  Rv(cr, 2) = 1 / (u + r * g1);
  Rv(cr, 3) = u / (wd * wd * c1 * c2);
  Rv(cr, 4) = r * Rv(cr, 5);
}

void DesignSLP04(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double qp = ctx.target.Qp;
  const double k = cr.CircuitGain;
  if (cr.ActiveComp) cr.Predistort = false;
  const double m = Cv(cr, 2) / Cv(cr, 1);
  cr.CapRatio = m;
  // From SingleOpAmpShift applied to this solution (the op-amp sees the divider as well).
  cr.GbwCoefWp = qp * (k + 1) * (m + 1) * (m + 1) / (2 * m * m);
  cr.GbwCoefQp = qp * (m + 1) * (k * (m - 1) - (m + 1)) / (2 * m * m);
  GbwTargets(ctx);
  SolveSLP04(cr, cr.DesignWp, cr.DesignQp, k);
  if (cr.ActiveComp) AppendCompensationCopies(cr, 5, 4);
  cr.DesignFailed = !(k > 0) || !PartsRealisable(cr);
}

// SHP03.  Fixed gain C1/C2, which the set-up ratio makes 1; C3 = C1.
void DesignSHP03(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double qp = ctx.target.Qp;
  if (cr.ActiveComp) cr.Predistort = false;
  Cv(cr, 3) = Cv(cr, 1);
  const double c1 = Cv(cr, 1);
  const double c2 = Cv(cr, 2);
  const double c3 = Cv(cr, 3);
  const double m = c2 / c1;
  cr.CapRatio = m;
  FixGain(cr, c1 / c2);
  cr.GbwCoefWp = (qp * qp * (m + 2) - 1) / (2 * qp * m);
  cr.GbwCoefQp = -(qp * qp * (m + 4) - 1) / (2 * qp * m);
  GbwTargets(ctx);
  const double wd = cr.DesignWp;
  Rv(cr, 2) = (c1 + c2 + c3) * cr.DesignQp / (c3 * c2 * wd);
  Rv(cr, 1) = 1 / (c3 * c2 * Rv(cr, 2) * wd * wd);
  cr.DesignFailed = !PartsRealisable(cr);
}

// SBP04.  The gain is bounded by what R3 can still absorb, (m + 1) Qp^2 / m; a gain at or
// beyond it is cut to 0.9 of it.
void DesignSBP04(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double qp = ctx.target.Qp;
  if (cr.ActiveComp) cr.Predistort = false;
  const double c1 = Cv(cr, 1);
  const double m = Cv(cr, 2) / c1;
  cr.CapRatio = m;
  const double limit = (m + 1) * qp * qp / m;
  cr.GainConstrained = cr.CircuitGain >= limit;
  if (cr.GainConstrained) cr.CircuitGain = 0.9 * limit;
  const double k = cr.CircuitGain;
  cr.GbwCoefWp = (m + 1) * qp / (2 * m);
  cr.GbwCoefQp = -cr.GbwCoefWp;
  GbwTargets(ctx);
  const double wd = cr.DesignWp;
  const double qd = cr.DesignQp;
  Rv(cr, 1) = qd / (c1 * wd * k * m);
  Rv(cr, 2) = (m + 1) * qd / (c1 * wd * m);
  Rv(cr, 3) = 1 / (((m + 1) * qd - k * m / qd) * c1 * wd);
  cr.DesignFailed = !(k > 0) || !PartsRealisable(cr);
}

// SBP05.  As SBP04 with the divider R4/R5 (r = R4/R5) feeding the output back to the
// non-inverting input.  In units of wd C1: G2 = g, G1 + G3 = m / g (the pole frequency),
// r = ((m + 1) g^2 - m g / Qd) / m (the Q) and G1 = K m / (Qd (1 + r)) (the gain).  The
// free g sets how much Q the positive feedback has to make up: the sensitivity of Q to
// R4/R5 is Qd (m + 1) g / m - 1.  g = 2m / (m + 1) keeps it at 2 Qd - 1, as with equal
// capacitors (to which it reduces for m = 1), and spreads G1 + G3 from G2 by only
// (m + 1)^2 / (4m); r = (2m / (m + 1)) (2 - 1/Qd) is positive for every Qd above 1/2.
// As K grows R1 takes more of G1 + G3 and R3 grows without bound; a gain that would make
// R3 more than twice R1 there takes the g of R3 = 2 R1 instead, the larger root of
//   2 Qd (m + 1) / m g^2 - (3 K + 2) g + 2 Qd = 0,
// which is real exactly then and lies above the first g, so every gain is realised.  The
// equal-capacitor variant has its gain limit instead and keeps g = 1 throughout.
void SolveSBP05(CircuitRecord& cr, double wd, double qd, double k, bool highGainBranch) {
  const double c1 = Cv(cr, 1);
  const double m = Cv(cr, 2) / c1;
  auto ratio = [&](double g) { return ((m + 1) * g * g - m * g / qd) / m; };
  double g = 2 * m / (m + 1);
  double g1 = k * m / (qd * (1 + ratio(g)));
  if (highGainBranch && g1 > 2 * (m / g) / 3) {
    const double a = 2 * qd * (m + 1) / m;
    const double b = 3 * k + 2;
    g = (b + std::sqrt(b * b - 4 * a * 2 * qd)) / (2 * a);
    g1 = k * m / (qd * (1 + ratio(g)));
  }
  const double unit = wd * c1;
  Rv(cr, 2) = 1 / (g * unit);
  Rv(cr, 1) = 1 / (g1 * unit);
  Rv(cr, 3) = 1 / ((m / g - g1) * unit);
  Rv(cr, 4) = ratio(g) * Rv(cr, 5);
}

// The op-amp's view of SBP05 as built (coefficients of its ideal denominator and of the
// correction a single-pole op-amp adds).
GbwCoefficients SBP05Shift(CircuitRecord& cr) {
  const double r1 = Rv(cr, 1), r2 = Rv(cr, 2), r3 = Rv(cr, 3), r4 = Rv(cr, 4), r5 = Rv(cr, 5);
  const double c1 = Cv(cr, 1), c2 = Cv(cr, 2);
  const std::array<double, 3> d = {
      r5 * (r1 + r3),
      c1 * (r1 * r3 * r5 - r1 * r2 * r4 - r2 * r3 * r4) + c2 * r1 * r3 * r5,
      c1 * c2 * r1 * r2 * r3 * r5,
  };
  const std::array<double, 3> e = {
      (r1 + r3) * (r4 + r5),
      (r4 + r5) * (c1 * (r1 * r2 + r1 * r3 + r2 * r3) + c2 * r1 * r3),
      c1 * c2 * r1 * r2 * r3 * (r4 + r5),
  };
  return SingleOpAmpShift(d, e);
}

void DesignSBP05(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double wp = ctx.target.wp;
  const double qp = ctx.target.Qp;
  if (cr.ActiveComp) cr.Predistort = false;
  if (!cr.C2Variable) {
    // Equal capacitors leave R3 a share of the input only while K < 3 Qp - 1; a gain at
    // or beyond that is cut to 0.9 of it.
    Cv(cr, 2) = Cv(cr, 1);
    const double limit = 3 * qp - 1;
    cr.GainConstrained = cr.CircuitGain >= limit;
    if (cr.GainConstrained) cr.CircuitGain = 0.9 * limit;
    cr.GbwCoefWp = limit * limit / (2 * qp * qp);
    cr.GbwCoefQp = -cr.GbwCoefWp;
  } else {
    // The coefficients of the design at the stage's own targets; predistortion moves the
    // values by a first-order amount, which leaves them unchanged to that order.
    SolveSBP05(cr, wp, qp, cr.CircuitGain, true);
    const GbwCoefficients a = SBP05Shift(cr);
    cr.GbwCoefWp = a.aw;
    cr.GbwCoefQp = a.aq;
  }
  cr.CapRatio = Cv(cr, 2) / Cv(cr, 1);
  const double k = cr.CircuitGain;
  GbwTargets(ctx);
  SolveSBP05(cr, cr.DesignWp, cr.DesignQp, k, cr.C2Variable);
  if (cr.ActiveComp) AppendCompensationCopies(cr, 5, 4);
  cr.DesignFailed = !(k > 0) || !PartsRealisable(cr);
}

constexpr DesignEntry kDesigns[] = {
    {ptSLP, 3, &DesignSLP03}, {ptSLP, 4, &DesignSLP04}, {ptSHP, 3, &DesignSHP03},
    {ptSBP, 4, &DesignSBP04}, {ptSBP, 5, &DesignSBP05},
};

}  // namespace

std::span<const AnalysisEntry> MultipleFeedbackAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> MultipleFeedbackDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
