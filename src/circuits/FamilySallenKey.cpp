// Sallen-Key sections: one op-amp as a voltage follower or non-inverting amplifier with positive feedback
// through the RC network.
//
// Per member, the analysis evaluator: the stage's transfer function from its component
// values, ideal op-amps.
#include <array>
#include <cmath>

#include "circuits/CircuitEquations.h"
#include "circuits/DesignEquations.h"
#include "circuits/StandardValues.h"
#include "core/DesignState.h"

namespace tavrin::circuits {

namespace {

using enum CoefficientForm;
using enum Order;
using enum Output;
using namespace core;

constexpr AnalysisEntry kAnalysis[] = {
    // SLP01
    MakeEntry(ptSLP, 1, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * C[1] * C[2];
                e.den[1] = C[1] * (R[1] + R[2]);
                e.gain = T(1);
                return e;
              }),
    // SLP02
    MakeEntry(ptSLP, 2, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * C[1] * C[2];
                e.den[1] = C[1] * (R[1] + R[2]) - R[1] * C[2] * R[4] / R[3];
                e.gain = 1 + R[4] / R[3];
                return e;
              }),
    // SHP01
    MakeEntry(ptSHP, 1, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * C[1] * C[2];
                e.den[1] = R[2] * (C[1] + C[2]);
                e.gain = T(1);
                return e;
              }),
    // SHP02
    MakeEntry(ptSHP, 2, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * C[1] * C[2];
                e.den[1] = R[2] * (C[1] + C[2]) - R[1] * C[1] * R[4] / R[3];
                e.gain = 1 + R[4] / R[3];
                return e;
              }),
    // SBP03
    MakeEntry(ptSBP, 3, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[3] * S[1] * S[2] * (G[1] + G[2]);
                e.den[1] = S[2] * (G[1] + G[2]) + G[3] * (S[1] + S[2]) - G[2] * S[2] * (1 + R[5] / R[4]);
                e.gain = G[1] * S[2] * (1 + R[5] / R[4]) /
                         (S[2] * (G[1] + G[2]) + G[3] * (S[1] + S[2]) - G[2] * S[2] * (1 + R[5] / R[4]));
                return e;
              }),
    // SN01
    MakeEntry(ptSN, 1, Monic, Cubic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
                e.den[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]) + G[2] * G[3] / (C[1] * C[2]) -
                           G[3] * (G[1] + G[2]) * R[5] / (R[4] * C[1] * C[3]);
                e.den[2] =
                    G[2] * (C[1] + C[2]) / (C[1] * C[2]) + (G[1] + G[2]) / C[3] - G[3] * R[5] / (R[4] * C[1]);
                e.num[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
                e.num[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]);
                e.num[2] = (G[1] + G[2]) / C[3];
                e.gain = 1 + R[5] / R[4];
                return e;
              }),
};

// ---------------------------------------------------------------------------------------
// Design.  Every routine solves for the targets GbwTargets leaves in DesignWp/DesignQp, so
// that a predistorted stage is realised exactly; where the spread or the bandwidth
// coefficients need a ratio before those targets exist, it is taken at the stage's own Qp
// and the resistors are then solved again at Qd.

// C2 := C1, for the members and variants whose rule is equal capacitors.
void EqualCapacitors(CircuitRecord& cr) {
  cr.C2OnlyAllowed = false;
  Cv(cr, 2) = Cv(cr, 1);
  cr.CapRatio = 1;
}

// The amplifier of these circuits is an op-amp with the divider of gain A around it; with
// a single-pole op-amp, A(s) = 2 pi GBW / s, it gains A / (1 + s A / (2 pi GBW)).  The
// ideal denominator is linear in A, D = Da - A Db, so the built one is
// D + (s A / (2 pi GBW)) Da.  To first order in 1 / (2 pi GBW) the pole pair moves as if the
// quadratic's own coefficients had moved, once the s^3 and s^2 terms of the correction are
// reduced with D itself; that gives aw and aq in the sign of GbwTargets.  Coefficients in
// ascending powers of s, in any common scale.
struct GbwCoefficients {
  double aw = 0;
  double aq = 0;
};

GbwCoefficients AmplifierShift(const std::array<double, 3>& d, const std::array<double, 3>& da, double a) {
  const double b0 = d[0] / d[2];
  const double b1 = d[1] / d[2];
  const double f0 = a * da[0] / d[2];
  const double f1 = a * da[1] / d[2];
  const double f2 = a * da[2] / d[2];
  const double wp = std::sqrt(b0);
  const double lnB0 = -(f1 - f2 * b1);                            // d ln b0 per 1/(2 pi GBW)
  const double lnB1 = (f0 - f1 * b1 + f2 * (b1 * b1 - b0)) / b1;  // d ln b1
  const double lnWp = lnB0 / 2;
  return {-lnWp / wp, -(lnWp - lnB1) / wp};
}

// SLP01: unity-gain follower, so only the capacitor ratio sets Q.
void DesignSLP01(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double qp = ctx.target.Qp;
  const double c1 = Cv(cr, 1);
  cr.DesignFailed = false;
  FixGain(cr, 1);
  cr.C2OnlyAllowed = false;
  if (cr.ActiveComp) cr.Predistort = false;
  if (!cr.C2Variable) {
    cr.GbwCoefWp = qp;
    cr.GbwCoefQp = -qp;
    GbwTargets(ctx);
    const double qd = cr.DesignQp;
    Cv(cr, 2) = 4 * qd * qd * c1;
    cr.CapRatio = Cv(cr, 2) / c1;
    Rv(cr, 1) = 1 / (2 * qd * cr.DesignWp * c1);
    Rv(cr, 2) = Rv(cr, 1);
  } else {
    // A decade ratio above 4 Qp^2 leaves the resistors a real ratio x^2 = R2/R1.
    double m = 10;
    while (4 * qp * qp >= m && m < 1e6) m *= 10;
    Cv(cr, 2) = m * c1;
    cr.CapRatio = m;
    const double rm = std::sqrt(m);
    auto ratio = [rm](double q) {
      const double a = rm / (2 * q);
      return a > 1 ? a + std::sqrt(a * a - 1) : 0.0;
    };
    const double x = ratio(qp);
    if (x == 0) {
      cr.DesignFailed = true;
      return;
    }
    const double y = (m + x * x + 1) / (rm * x);
    cr.GbwCoefWp = (y - 1 / qp) / 2;
    cr.GbwCoefQp = -cr.GbwCoefWp;
    GbwTargets(ctx);
    const double xd = ratio(cr.DesignQp);
    if (xd == 0) {
      cr.DesignFailed = true;
      return;
    }
    Rv(cr, 2) = rm * xd / (Cv(cr, 2) * cr.DesignWp);
    Rv(cr, 1) = Rv(cr, 2) / (xd * xd);
  }
  cr.DesignFailed = !PartsRealisable(cr);
}

// SLP02 and SHP02: gain K = 1 + R4/R3, R4 the scale resistor.

void SallenKeyGainPair(CircuitRecord& cr, double k) {
  Rv(cr, 3) = Rv(cr, 4) / (k - 1);
  FixGain(cr, 1 + Rv(cr, 4) / Rv(cr, 3));
}

// The bandwidth coefficients of the gain-K Sallen-Key lowpass with C2 = m C1 and
// R2 = x^2 R1: AmplifierShift of its denominator gives aw = K (y - 1/Qp) / 2 with
// y = (m + x^2 + 1) / (sqrt(m) x), and aq = -aw.  The op-amp works at the noise gain K, so
// the follower's coefficient (K = 1, SLP01) grows by that factor.
void SallenKeyCoefficients(CircuitRecord& cr, double qp, double k, double y) {
  cr.GbwCoefWp = k * (y - 1 / qp) / 2;
  cr.GbwCoefQp = -cr.GbwCoefWp;
}

// Equal resistors, C2 = 2 Qd C1 and the gain that settles Q: K - 1 = (1 - 1/sqrt(2 Qd)) / Qd
// (1.25 at Qd = 2).  The coefficients are those of the ratio m = 2 Qp at the stage's Q.
void SLP02Default(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double qp = ctx.target.Qp;
  const double c1 = Cv(cr, 1);
  cr.C2OnlyAllowed = false;
  const double m = 2 * qp;
  SallenKeyCoefficients(cr, qp, 1 + (1 - 1 / std::sqrt(m)) / qp, (m + 2) / std::sqrt(m));
  GbwTargets(ctx);
  const double qd = cr.DesignQp;
  if (!(qd > 0.5)) {
    cr.DesignFailed = true;
    return;
  }
  const double root = std::sqrt(2 * qd);
  Cv(cr, 2) = 2 * qd * c1;
  cr.CapRatio = Cv(cr, 2) / c1;
  Rv(cr, 1) = 1 / (root * cr.DesignWp * c1);
  Rv(cr, 2) = Rv(cr, 1);
  SallenKeyGainPair(cr, 1 + (1 - 1 / root) / qd);
}

// " C1=C2 : R1=R2": the gain alone sets Q, K = 3 - 1/Qd.
void SallenKeyEqual(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  EqualCapacitors(cr);
  SallenKeyCoefficients(cr, ctx.target.Qp, 3 - 1 / ctx.target.Qp, 3);
  GbwTargets(ctx);
  const double qd = cr.DesignQp;
  if (!(2 - 1 / qd > 0)) {
    cr.DesignFailed = true;
    return;
  }
  Rv(cr, 1) = 1 / (cr.DesignWp * Cv(cr, 1));
  Rv(cr, 2) = Rv(cr, 1);
  SallenKeyGainPair(cr, 3 - 1 / qd);
}

// C2 variable: the resistor ratio x^2 = R2/R1 with x = b + sqrt((m + 1)/3 + b^2),
// b = sqrt(m) / (6 Qp), and the gain K = (m + x^2 + 1 - sqrt(m) x / Qd) / m that completes
// Q.  C2 steps down through E12 until that gain exceeds 1.  Returns false when no step
// gets there.
bool SLP02Variable(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double qp = ctx.target.Qp;
  const double c1 = Cv(cr, 1);
  cr.C2OnlyAllowed = true;
  auto gain = [](double m, double x, double q) { return (m + x * x + 1 - std::sqrt(m) * x / q) / m; };
  double m = Cv(cr, 2) / c1;
  double x = 0;
  for (int step = 0;; ++step) {
    if (!(m > 0) || step > 200) return false;
    const double b = std::sqrt(m) / (6 * qp);
    x = b + std::sqrt((m + 1) / 3 + b * b);
    if (gain(m, x, qp) > 1) break;
    StepC2(cr, kStepDown);
    m = Cv(cr, 2) / c1;
  }
  cr.CapRatio = m;
  const double rm = std::sqrt(m);
  SallenKeyCoefficients(cr, qp, gain(m, x, qp), (m + x * x + 1) / (rm * x));
  GbwTargets(ctx);
  const double k = gain(m, x, cr.DesignQp);
  if (!(k > 1)) return false;
  Rv(cr, 2) = rm * x / (Cv(cr, 2) * cr.DesignWp);
  Rv(cr, 1) = Rv(cr, 2) / (x * x);
  SallenKeyGainPair(cr, k);
  return PartsRealisable(cr);
}

// SLP02 and SHP02 take their variants in one order: equal components when chosen, else
// C2 variable when chosen, giving way to the default when it fails or spreads the
// resistors beyond 2000 to 1.
void DesignGainPairMember(DesignContext& ctx, bool (*variable)(DesignContext&),
                          void (*standard)(DesignContext&)) {
  CircuitRecord& cr = ctx.cr;
  cr.DesignFailed = false;
  cr.ResistorCount = 4;
  if (cr.ActiveComp) cr.Predistort = false;
  if (cr.EqualComponents) {
    SallenKeyEqual(ctx);
  } else if (!cr.C2Variable || !variable(ctx) || ResistorSpread(cr) > 2000) {
    cr.DesignFailed = false;
    standard(ctx);
  }
  if (cr.DesignFailed) return;
  if (cr.ActiveComp) AppendCompensationCopies(cr, 4, 3);
  cr.DesignFailed = !PartsRealisable(cr);
}

void DesignSLP02(DesignContext& ctx) {
  DesignGainPairMember(ctx, SLP02Variable, SLP02Default);
}

// SHP01: the dual of SLP01 with equal capacitors; the resistor ratio R1/R2 = 4 Qd^2 sets Q.
void DesignSHP01(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double qp = ctx.target.Qp;
  const double c1 = Cv(cr, 1);
  cr.DesignFailed = false;
  FixGain(cr, 1);
  if (cr.ActiveComp) cr.Predistort = false;
  EqualCapacitors(cr);
  cr.GbwCoefWp = qp;
  cr.GbwCoefQp = -qp;
  GbwTargets(ctx);
  const double qd = cr.DesignQp;
  Rv(cr, 2) = 1 / (2 * qd * cr.DesignWp * c1);
  Rv(cr, 1) = 4 * qd * qd * Rv(cr, 2);
  cr.DesignFailed = !PartsRealisable(cr);
}

// The SHP02 denominator as built, tau2 s^2 + tau1 s + 1 with
// tau1 = R2 (C1 + C2) - R1 C1 (K - 1), and its part without the amplifier.
GbwCoefficients SHP02Shift(const CircuitRecord& cr, double k) {
  const double r1 = cr.R[1].Value, r2 = cr.R[2].Value, c1 = cr.C[1].Value, c2 = cr.C[2].Value;
  const double tau2 = r1 * r2 * c1 * c2;
  const double passive = r2 * (c1 + c2) + r1 * c1;
  return AmplifierShift({1, passive - k * r1 * c1, tau2}, {1, passive, tau2}, k);
}

// SHP02 default: equal capacitors, R1 = 2 Qd R2 and the gain of SLP02's default.
void SolveSHP02Default(CircuitRecord& cr, double wd, double qd) {
  const double root = std::sqrt(2 * qd);
  Rv(cr, 2) = 1 / (Cv(cr, 1) * wd * root);
  Rv(cr, 1) = 2 * qd * Rv(cr, 2);
  SallenKeyGainPair(cr, 1 + (1 - 1 / root) / qd);
}

void SHP02Default(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  EqualCapacitors(cr);
  if (!(ctx.target.Qp > 0.5)) {
    cr.DesignFailed = true;
    return;
  }
  SolveSHP02Default(cr, ctx.target.wp, ctx.target.Qp);
  const GbwCoefficients a = SHP02Shift(cr, cr.CircuitGain);
  cr.GbwCoefWp = a.aw;
  cr.GbwCoefQp = a.aq;
  GbwTargets(ctx);
  if (!(cr.DesignQp > 0.5)) {
    cr.DesignFailed = true;
    return;
  }
  SolveSHP02Default(cr, cr.DesignWp, cr.DesignQp);
}

// SHP02 with C2 variable keeps the requested gain (at least 1.05) and the set-up ratio m;
// with R1 = x / (sqrt(m) C1 wd) and R2 = R1 / x^2 the Q leaves
// (K - 1) x^2 + (sqrt(m) / Qd) x - (m + 1) = 0, whose positive root always exists.
void SolveSHP02Variable(CircuitRecord& cr, double wd, double qd, double k) {
  const double c1 = Cv(cr, 1);
  const double m = Cv(cr, 2) / c1;
  const double rm = std::sqrt(m);
  const double p = rm / qd;
  const double x = 2 * (m + 1) / (p + std::sqrt(p * p + 4 * (k - 1) * (m + 1)));
  Rv(cr, 1) = x / (rm * c1 * wd);
  Rv(cr, 2) = Rv(cr, 1) / (x * x);
  Rv(cr, 3) = Rv(cr, 4) / (k - 1);
}

bool SHP02Variable(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  cr.C2OnlyAllowed = true;
  cr.CapRatio = Cv(cr, 2) / Cv(cr, 1);
  double k = cr.CircuitGain;
  cr.GainConstrained = !(k >= 1.05);
  if (cr.GainConstrained) {
    k = 1.05;
    cr.CircuitGain = k;
    cr.SecondGain = k;
  }
  SolveSHP02Variable(cr, ctx.target.wp, ctx.target.Qp, k);
  const GbwCoefficients a = SHP02Shift(cr, k);
  cr.GbwCoefWp = a.aw;
  cr.GbwCoefQp = a.aq;
  GbwTargets(ctx);
  SolveSHP02Variable(cr, cr.DesignWp, cr.DesignQp, k);
  cr.CircuitGain = 1 + Rv(cr, 4) / Rv(cr, 3);
  return PartsRealisable(cr);
}

void DesignSHP02(DesignContext& ctx) {
  // The equal-component highpass starts its pair from the fixed 10 kOhm, which follows
  // the capacitors through ResistorScale.
  if (ctx.cr.EqualComponents) Rv(ctx.cr, 4) = 10000 / ctx.cr.ResistorScale;
  DesignGainPairMember(ctx, SHP02Variable, SHP02Default);
}

// SBP03.  With A = 1 + R5/R4 the amplifier's gain, and conductances in units of C1 wd
// (g1, g2, g3; ga = g1 + g2), the analysis asks for
//   g3 ga / m = 1                                        (wp)
//   ga / m + g3 (m + 1) / m - g2 A / m = 1 / Qd            (Qp)
//   g1 A / m = K / Qd                                     (gain at wp)
// which leaves (m + 1)/m g3^2 + (K - 1)/Qd g3 - (A - 1) = 0 for g3.  With A > 1 it has one
// positive root; g2 = m / g3 - g1 must stay positive.  Default: equal capacitors and
// R3 = R0 (g3 = 1), so A = 3 + (K - 1)/Qd; C2 variable: the set-up ratio and R4 = 2 R5
// (A = 3/2).
struct SBP03Solution {
  double g1 = 0;
  double g2 = 0;
  double g3 = 0;
};

SBP03Solution SolveSBP03(double m, double a, double qd, double k) {
  const double p = (m + 1) / m;
  const double u = (k - 1) / qd;
  const double disc = std::sqrt(u * u + 4 * p * (a - 1));
  // The form without cancellation for either sign of u.
  const double g3 = u >= 0 ? 2 * (a - 1) / (u + disc) : (disc - u) / (2 * p);
  const double g1 = k * m / (a * qd);
  return {g1, m / g3 - g1, g3};
}

void ApplySBP03(CircuitRecord& cr, const SBP03Solution& g, double a, double wd) {
  const double unit = Cv(cr, 1) * wd;
  Rv(cr, 1) = 1 / (g.g1 * unit);
  Rv(cr, 2) = 1 / (g.g2 * unit);
  Rv(cr, 3) = 1 / (g.g3 * unit);
  Rv(cr, 4) = Rv(cr, 5) / (a - 1);
}

double SBP03Amplifier(const CircuitRecord& cr, double qd, double k) {
  return cr.C2Variable ? 1.5 : 3 + (k - 1) / qd;
}

GbwCoefficients SBP03Shift(const CircuitRecord& cr, double a) {
  const double g1 = 1 / cr.R[1].Value, g2 = 1 / cr.R[2].Value, g3 = 1 / cr.R[3].Value;
  const double s1 = 1 / cr.C[1].Value, s2 = 1 / cr.C[2].Value;
  const double b0 = g3 * s1 * s2 * (g1 + g2);
  const double passive = s2 * (g1 + g2) + g3 * (s1 + s2);
  return AmplifierShift({b0, passive - a * g2 * s2, 1}, {b0, passive, 1}, a);
}

void DesignSBP03(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double k = cr.CircuitGain;
  cr.DesignFailed = false;
  cr.GainConstrained = false;
  cr.ResistorCount = 5;
  if (cr.ActiveComp) cr.Predistort = false;
  if (!cr.C2Variable) Cv(cr, 2) = Cv(cr, 1);
  const double m = Cv(cr, 2) / Cv(cr, 1);
  cr.CapRatio = m;
  auto solve = [&](double wd, double qd) {
    const double a = SBP03Amplifier(cr, qd, k);
    const SBP03Solution g = SolveSBP03(m, a, qd, k);
    if (!(k > 0) || !(a > 1) || !(g.g2 > 0)) return false;
    ApplySBP03(cr, g, a, wd);
    return true;
  };
  if (!solve(ctx.target.wp, ctx.target.Qp)) {
    cr.DesignFailed = true;
    return;
  }
  const GbwCoefficients c = SBP03Shift(cr, SBP03Amplifier(cr, ctx.target.Qp, k));
  cr.GbwCoefWp = c.aw;
  cr.GbwCoefQp = c.aq;
  GbwTargets(ctx);
  if (!solve(cr.DesignWp, cr.DesignQp)) {
    cr.DesignFailed = true;
    return;
  }
  if (cr.ActiveComp) AppendCompensationCopies(cr, 5, 4);
  cr.DesignFailed = !PartsRealisable(cr);
}

// SN01: a twin-T whose capacitor arm's shunt resistor R3 returns to the output, into the
// amplifier K = 1 + R5/R4.  With C2 = m C1, h = 1/m, R1 = R0, R2 = h R0, R3 = R0 / (1 + m)
// and C3 = (1 + m) C1 the network is nulled at 1 / (R0 C1) (G3 C3 = (G1 + G2)(C1 + C2)),
// its real pole and zero both lie at -1 / (R0 C1), and 1/Q = (1 + m)(2 - K):
// K = 2 - 1 / ((1 + m) Qd), inside (1, 2) once (1 + m) Qd > 1.  The amplifier's op-amp
// at noise gain K shifts the pair by aw = (1 + m) K^2 / 2, aq = -aw (the real pole drops
// out of the first-order shift).  As in the twin-T notches the null is set by the passive
// network alone, so the network stays tuned to wz and only Q is predistorted.

// The ratio the set-up (or the user's C2) gives is kept when it reaches a gain above 1;
// otherwise the first larger of these E12 ratios that does.
constexpr std::array<double, 7> kSN01Ratios = {1.0, 2.2, 4.7, 10.0, 22.0, 47.0, 100.0};

double SN01Gain(double m, double q) {
  return 2 - 1 / ((1 + m) * q);
}

bool SN01GainUsable(double k) {
  return k > 1 && k < 2 && std::isfinite(k);
}

void DesignSN01(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double qp = ctx.target.Qp;
  const double wz = ctx.target.wz > 0 ? ctx.target.wz : ctx.target.wp;
  const double c1 = Cv(cr, 1);
  cr.DesignFailed = false;
  cr.GainConstrained = true;
  const double setUp = c1 > 0 && Cv(cr, 2) > 0 ? Cv(cr, 2) / c1 : 1.0;
  std::array<double, kSN01Ratios.size() + 1> candidates{};
  std::size_t count = 0;
  candidates[count++] = setUp;
  for (double m : kSN01Ratios)
    if (m > setUp) candidates[count++] = m;
  double m = 0;
  double k = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const double trial = candidates[i];
    const double kp = SN01Gain(trial, qp);
    if (!SN01GainUsable(kp)) continue;
    cr.GbwCoefWp = (1 + trial) * kp * kp / 2;
    cr.GbwCoefQp = -cr.GbwCoefWp;
    GbwTargets(ctx);
    const double kd = SN01Gain(trial, cr.DesignQp);
    if (SN01GainUsable(kd)) {
      m = trial;
      k = kd;
      break;
    }
  }
  if (m == 0) {
    cr.DesignFailed = true;
    return;
  }
  cr.DesignWp = wz;
  FixGain(cr, k);
  const double r0 = 1 / (c1 * wz);
  Cv(cr, 2) = m * c1;
  Cv(cr, 3) = (1 + m) * c1;
  cr.CapRatio = m;
  Rv(cr, 1) = r0;
  Rv(cr, 2) = r0 / m;
  Rv(cr, 3) = r0 / (1 + m);
  Rv(cr, 4) = Rv(cr, 5) / (k - 1);
  cr.DesignFailed = !PartsRealisable(cr);
}

constexpr DesignEntry kDesigns[] = {
    {ptSLP, 1, &DesignSLP01}, {ptSLP, 2, &DesignSLP02}, {ptSHP, 1, &DesignSHP01},
    {ptSHP, 2, &DesignSHP02}, {ptSBP, 3, &DesignSBP03}, {ptSN, 1, &DesignSN01},
};

}  // namespace

std::span<const AnalysisEntry> SallenKeyAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> SallenKeyDesigns() {
  return kDesigns;
}
}  // namespace tavrin::circuits
