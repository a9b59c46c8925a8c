// Friend's single-amplifier biquads (SAB): lowpass and highpass notches with one op-amp.
//
// Per member, the analysis evaluator: the stage's transfer function from its component
// values, ideal op-amps.
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

// ---------------------------------------------------------------------------------------
// Design.  Conductances are in units of C1 wd (g = R0 / R with R0 = 1 / (C1 wd)), C2 = m C1,
// and z = wz / wd.  Both members share the shape of their equations:
//   p = g1 + g4              the input divider at C2's node,
//   A                        the conductance that closes the pole pair (SLPN01: g2 - a g5,
//                            SHPN01: g5 - a g2), with A p = m for wp,
//   a = G7 / (G3 + G6)       the share of the output fed back to the non-inverting input,
//   K = G3 / (G3 + G6)       the input's share there, below 1 by construction.
// The Q equation leaves a = m ((m + 1) / p - 1 / Qd) / p, the zero pair's frequency fixes
// the conductances at the inverting input, and its s-term vanishes with
// g1 = K ((m + 1) z^2 A + p) / (1 + a).  So g4 = p - g1 stays positive only while
//   K < F(p) = (p^2 + m (m + 1) - m p / Qd) / (p^2 + z^2 m (m + 1)),
// the one constraint on the gain; R3 and R6 follow from a and K with R7 fixed.
//
// p is the one free choice.  p = sqrt(m) makes A = p (the RC network at its least spread);
// below Qd = 2 sqrt(m) / (m + 1) it is lowered to (m + 1) Qd / 2 so that a keeps a
// positive margin, where sqrt(m) would leave none at Qd = sqrt(m) / (m + 1).

struct SabSolution {
  double g1 = 0, g2 = 0, g4 = 0, g5 = 0;
  double a = 0;
};

double SabBalancedDivider(double m, double qd) {
  return std::min(std::sqrt(m), (m + 1) * qd / 2);
}

double SabGainLimit(double m, double qd, double z, double p) {
  const double mm = m * (m + 1);
  return (p * p + mm - m * p / qd) / (p * p + z * z * mm);
}

double SabFeedback(double m, double qd, double p) {
  return m * ((m + 1) / p - 1 / qd) / p;
}

// The first-order op-amp coefficients of the solution.  With a single-pole op-amp the
// ideal denominator s^2 + s/Qd + 1 (normalised) gains s d(s) x, x = wd / (2 pi GBW), with
// d(s) = (1 + a) (s^2 + ((g1 + g2 + g4 + g5) / m + g2 + g5) s + p (g2 + g5) / m), the
// noise gain 1 + a times the RC network's own polynomial; reducing s d(s) modulo the ideal
// pair gives the shift of its two coefficients, and so of wp and Qp.
void SabCoefficients(CircuitRecord& cr, const SabSolution& g, double m, double qd) {
  const double p = g.g1 + g.g4;
  const double d2 = 1 + g.a;
  const double d1 = d2 * ((p + g.g2 + g.g5) / m + g.g2 + g.g5);
  const double d0 = d2 * p * (g.g2 + g.g5) / m;
  const double e0 = d2 / qd - d1;
  const double e1 = d2 * (1 / (qd * qd) - 1) - d1 / qd + d0;
  cr.GbwCoefWp = -e0 / 2;
  cr.GbwCoefQp = -(e0 / 2 - e1 * qd);
}

// SLPN01 at the balanced divider; false when no positive solution exists.
bool SolveSLPN01(double m, double qd, double z, double k, SabSolution& g) {
  const double p = SabBalancedDivider(m, qd);
  const double a = SabFeedback(m, qd, p);
  const double big = m / p;      // A = g2 - a g5
  const double b = z * z * big;  // g2 + g5
  g.a = a;
  g.g5 = (b - big) / (1 + a);
  g.g2 = b - g.g5;
  g.g1 = k * ((m + 1) * b + p) / (1 + a);
  g.g4 = p - g.g1;
  return a > 0 && g.g5 > 0 && g.g4 > 0;
}

// SHPN01's zero pair below the poles lets F exceed 1 near p = 0 (F(0) = 1 / z^2), so every
// K below 1 is reachable: the balanced divider when F leaves 5 percent over K, otherwise the
// p on the falling side of F where K is 0.95 of F, the smaller root of
// (1 - c) p^2 - (m / Qd) p + m (m + 1) (1 - c z^2) = 0 with c = K / 0.95.
double SHPN01Divider(double m, double qd, double z, double k) {
  const double p0 = SabBalancedDivider(m, qd);
  const double c = k / 0.95;
  if (SabGainLimit(m, qd, z, p0) >= c) return p0;
  const double lin = m / qd;
  const double con = m * (m + 1) * (1 - c * z * z);
  const double disc = lin * lin - 4 * (1 - c) * con;
  return disc >= 0 && con > 0 ? 2 * con / (lin + std::sqrt(disc)) : 0.0;
}

bool SolveSHPN01(double m, double qd, double z, double k, SabSolution& g) {
  const double p = SHPN01Divider(m, qd, z, k);
  if (!(p > 0) || !(k < 1)) return false;
  const double a = SabFeedback(m, qd, p);
  const double big = m / p;  // A = g5 - a g2
  g.a = a;
  g.g2 = (1 - z * z) * big * k / ((1 + a) * (1 - k));
  g.g5 = big + a * g.g2;
  g.g1 = k * ((m + 1) * z * z * big + p) / (1 + a);
  g.g4 = p - g.g1;
  return a > 0 && g.g2 > 0 && g.g4 > 0;
}

void ApplySab(CircuitRecord& cr, const SabSolution& g, double k, double wd) {
  const double r0 = 1 / (Cv(cr, 1) * wd);
  const double r7 = 10000 / cr.ResistorScale;
  Rv(cr, 1) = r0 / g.g1;
  Rv(cr, 2) = r0 / g.g2;
  Rv(cr, 4) = r0 / g.g4;
  Rv(cr, 5) = r0 / g.g5;
  Rv(cr, 7) = r7;
  Rv(cr, 3) = r7 * g.a / k;
  Rv(cr, 6) = r7 * g.a / (1 - k);
}

using SabSolver = bool (*)(double m, double qd, double z, double k, SabSolution& g);
using SabLimit = double (*)(double m, double qd, double z);

// SLPN01's gain limit: 0.95 of F at the balanced divider.
double SLPN01Limit(double m, double qd, double z) {
  return 0.95 * SabGainLimit(m, qd, z, SabBalancedDivider(m, qd));
}

// Both members once the gain rule has left K in CircuitGain: the coefficients from the
// solution at the stage's own Qp, the targets, the solution at Qd (where a limit, if the
// member has one, is applied again so its margin survives predistortion), the values, and
// the compensation pair (the second op-amp's divider repeats R6 and R7).
void DesignSab(DesignContext& ctx, SabSolver solve, SabLimit limit) {
  CircuitRecord& cr = ctx.cr;
  const double m = Cv(cr, 2) / Cv(cr, 1);
  cr.CapRatio = m;
  double k = cr.CircuitGain;
  SabSolution g;
  if (!(k > 0) || !(m > 0) || !solve(m, ctx.target.Qp, ctx.target.wz / ctx.target.wp, k, g)) {
    cr.DesignFailed = true;
    return;
  }
  SabCoefficients(cr, g, m, ctx.target.Qp);
  GbwTargets(ctx);
  const double z = ctx.target.wz / cr.DesignWp;
  if (limit != nullptr && k > limit(m, cr.DesignQp, z)) {
    k = limit(m, cr.DesignQp, z);
    FixGain(cr, k);
  }
  if (!solve(m, cr.DesignQp, z, k, g)) {
    cr.DesignFailed = true;
    return;
  }
  ApplySab(cr, g, k, cr.DesignWp);
  if (cr.ActiveComp) AppendCompensationCopies(cr, 6, 7);
  cr.DesignFailed = !PartsRealisable(cr);
}

void PrepareSab(CircuitRecord& cr) {
  cr.DesignFailed = false;
  cr.GainConstrained = false;
  cr.ResistorCount = 7;
  if (cr.ActiveComp) cr.Predistort = false;
}

// SLPN01: the requested gain, held to the limit at the stage's own Qp and wz / wp.  The
// divider R3, R6 attenuates the input at DC by 1 / K.
void DesignSLPN01(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  PrepareSab(cr);
  const double own = SLPN01Limit(Cv(cr, 2) / Cv(cr, 1), ctx.target.Qp, ctx.target.wz / ctx.target.wp);
  if (cr.CircuitGain > own) FixGain(cr, own);
  DesignSab(ctx, SolveSLPN01, SLPN01Limit);
}

// SHPN01: the requested gain, replaced by 1/1.1 when it is not below 1.
void DesignSHPN01(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  PrepareSab(cr);
  if (!(cr.CircuitGain < 1)) FixGain(cr, 1 / 1.1);
  DesignSab(ctx, SolveSHPN01, nullptr);
}

constexpr DesignEntry kDesigns[] = {
    {ptSLPN, 1, &DesignSLPN01},
    {ptSHPN, 1, &DesignSHPN01},
};

}  // namespace

std::span<const AnalysisEntry> FriendSabAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> FriendSabDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
