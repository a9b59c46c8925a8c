// Scultety notch sections: single-amplifier notches.
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
    // SLPN02.  The divider at the amplifier's non-inverting input (R3 from the input, R4
    // to ground, R5 from the output) enters as x = G3 / (G4 + G5) = R4 R5 / (R3 (R4 + R5)),
    // which takes C3's share out of the zero pair's s^2 and s terms.  The design's notch
    // condition x = C2 (R1 + R2) / (R1 C1 + C3 (R1 + R2)) makes the s-term (index 1, the
    // notch depth) vanish.
    MakeEntry(ptSLPN, 2, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                const T x = R[4] * R[5] / (R[3] * (R[4] + R[5]));
                e.den[0] = R[1] * R[2] * C[1] * (C[2] + C[3]);
                e.den[1] = (C[2] + C[3]) * (R[1] + R[2]) - R[1] * R[5] * C[1] * (R[3] + R[4]) / R[3] / R[4];
                e.num[0] = R[1] * R[2] * C[1] * (C[2] - C[3] * x);
                e.num[1] = C[2] * (R[1] + R[2]) - (R[1] * C[1] + C[3] * (R[1] + R[2])) * x;
                e.gain = ((1 + R[5] / R[4]) * C[2] - C[3] * R[5] / R[3]) / (C[2] + C[3]);
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

// ---------------------------------------------------------------------------------------
// Design.  Values are normalised to C1 = 1 and wd = 1 (resistors in units of
// R0 = 1 / (C1 wd), capacitors of C1) except the fixed resistor and the one it pairs with,
// which are taken as ratios; z = wz / wd.

// With a single-pole op-amp the normalised ideal denominator s^2 + s/Qd + 1 gains
// s (d2 s^2 + d1 s + d0) x, x = wd / (2 pi GBW); reducing that modulo the ideal pair gives
// the first-order shift of its coefficients, and so aw and aq.
void PairShift(CircuitRecord& cr, double d2, double d1, double d0, double qd) {
  const double e0 = d2 / qd - d1;
  const double e1 = d2 * (1 / (qd * qd) - 1) - d1 / qd + d0;
  cr.GbwCoefWp = -e0 / 2;
  cr.GbwCoefQp = e1 * qd - e0 / 2;
}

// SLPN02.  With R1 = R2 = r, C2 + C3 = w = 1 / r^2 sets wp; the zero frequency takes
// C3 = w (z^2 - 1) / (z^2 + 2 w); with u = R5 / R3 and v = R5 / R4 the Q equation asks for
// u + v = 2 w - 1 / (r Qd) and the vanishing s-term of the zero pair for
// u / (1 + v) = 2 w / z^2.  v > 0 needs r < 2 Qd (1 - 1/z^2): the usual r = sqrt(2 Qd)
// meets it only for (wz/wd)^2 > 1 / (1 - 1/sqrt(2 Qd)) (above 4.8 at Qd = 0.8), so below
// that r is brought down to half the bound, which realises every wz above wd.  The gain
// follows: K = (1 + v) / z^2, the DC gain 1 + v.
struct SLPN02Solution {
  double r = 0, c2 = 0, c3 = 0, u = 0, v = 0;
};

SLPN02Solution SolveSLPN02(double qd, double z) {
  SLPN02Solution s;
  const double z2 = z * z;
  s.r = std::min(std::sqrt(2 * qd), qd * (1 - 1 / z2));
  const double w = 1 / (s.r * s.r);
  s.c3 = w * (z2 - 1) / (z2 + 2 * w);
  s.c2 = w - s.c3;
  const double sum = 2 * w - 1 / (s.r * qd);
  const double x = 2 * w / z2;
  s.v = (sum - x) / (1 + x);
  s.u = x * (1 + s.v);
  return s;
}

// The coefficients are those of the op-amp with its non-inverting input at the RC
// network's node (R2, C2, C3) and its inverting input at the divider R3, R4, R5, the one
// arrangement of the two in which its loop is stable (the ideal equations cannot tell
// them apart): d(s) is then the noise gain 1 + u + v times the network's
// s^2 + r (1 + 2w) s + 1, and aq = -aw.
void DesignSLPN02(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  cr.DesignFailed = false;
  const double z = ctx.target.wz / ctx.target.wp;
  if (!(ctx.target.Qp > 0) || !(z > 1)) {
    cr.DesignFailed = true;
    return;
  }
  const SLPN02Solution own = SolveSLPN02(ctx.target.Qp, z);
  const double noise = 1 + own.u + own.v;
  const double d1 = noise * own.r * (1 + 2 / (own.r * own.r));
  PairShift(cr, noise, d1, noise, ctx.target.Qp);
  GbwTargets(ctx);
  const double zd = ctx.target.wz / cr.DesignWp;
  if (!(cr.DesignQp > 0) || !(zd > 1)) {
    cr.DesignFailed = true;
    return;
  }
  const SLPN02Solution s = SolveSLPN02(cr.DesignQp, zd);
  const double c1 = Cv(cr, 1);
  const double r0 = 1 / (c1 * cr.DesignWp);
  Rv(cr, 1) = s.r * r0;
  Rv(cr, 2) = s.r * r0;
  Rv(cr, 5) = 10000 / cr.ResistorScale;
  Rv(cr, 3) = Rv(cr, 5) / s.u;
  Rv(cr, 4) = Rv(cr, 5) / s.v;
  Cv(cr, 2) = s.c2 * c1;
  Cv(cr, 3) = s.c3 * c1;
  cr.CapRatio = s.c2;
  FixGain(cr, (1 + s.v) / (zd * zd));
  cr.DesignFailed = !PartsRealisable(cr);
}

// SHPN02.  With Rp = R1 || R4, alpha = R4 / (R1 + R4) the input's share at the
// non-inverting input, gamma = R6 / (K R2) and K = 1 + R6 / R5, C2 = c C1:
//   R3 Rp c = 1                                   (wp)
//   alpha - (1 - alpha) gamma = z^2               (wz)
//   R3 z^2 (1 + c) = c gamma Rp                   (no s-term in the zero pair)
//   R3 (1 + c) - c Rp (K (1 + gamma) - 1) = 1/Qd  (Qp)
// leave (c Rp)^2 = z^2 (1 + c) / gamma and
//   (K - 1)(1 + gamma) = gamma (1 - z^2) / z^2 - 1 / (Qd c Rp),
// positive for every wz below wd once c is large enough.  alpha = (1 + z^2) / 2 makes
// gamma = 1 (R2 = R5 || R6); C2 stays at the set-up ratio unless Qd needs more, in which
// case it grows until 1 / (Qd c Rp) is half of gamma (1 - z^2) / z^2, so K - 1 keeps half
// its room.
struct SHPN02Solution {
  double c = 0, rp = 0, alpha = 0, gamma = 0, k = 0;
};

bool SolveSHPN02(double qd, double z, double m, SHPN02Solution& s) {
  const double z2 = z * z;
  if (!(z2 < 1) || !(z > 0) || !(qd > 0) || !(m > 0)) return false;
  s.alpha = (1 + z2) / 2;
  s.gamma = (s.alpha - z2) / (1 - s.alpha);
  const double room = s.gamma * (1 - z2) / z2;
  const double p = z2 / s.gamma;
  s.c = std::max(m, 4 / (qd * qd * room * room * p) - 1);
  const double crp = std::sqrt(p * (1 + s.c));
  s.rp = crp / s.c;
  s.k = 1 + (room - 1 / (qd * crp)) / (1 + s.gamma);
  return s.k > 1;
}

// The op-amp's non-inverting input is the RC network's node and its inverting input the
// divider R2, R5, R6: d(s) is the noise gain K (1 + gamma) times the network's
// s^2 + (1 / (c Rp) + 1 / Rp + c Rp) s + 1.
void DesignSHPN02(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  cr.DesignFailed = false;
  const double c1 = Cv(cr, 1);
  const double m = Cv(cr, 2) / c1;
  SHPN02Solution s;
  if (!SolveSHPN02(ctx.target.Qp, ctx.target.wz / ctx.target.wp, m, s)) {
    cr.DesignFailed = true;
    return;
  }
  const double noise = s.k * (1 + s.gamma);
  PairShift(cr, noise, noise * (1 / (s.c * s.rp) + 1 / s.rp + s.c * s.rp), noise, ctx.target.Qp);
  GbwTargets(ctx);
  if (!SolveSHPN02(cr.DesignQp, ctx.target.wz / cr.DesignWp, m, s)) {
    cr.DesignFailed = true;
    return;
  }
  const double r0 = 1 / (c1 * cr.DesignWp);
  Rv(cr, 1) = s.rp / s.alpha * r0;
  Rv(cr, 4) = s.rp / (1 - s.alpha) * r0;
  Rv(cr, 3) = r0 / (s.c * s.rp);
  Rv(cr, 6) = 10000 / cr.ResistorScale;
  Rv(cr, 5) = Rv(cr, 6) / (s.k - 1);
  Rv(cr, 2) = Rv(cr, 6) / (s.k * s.gamma);
  Cv(cr, 2) = s.c * c1;
  cr.CapRatio = s.c;
  FixGain(cr, 1 + Rv(cr, 6) / Rv(cr, 5));
  cr.DesignFailed = !PartsRealisable(cr);
}

constexpr DesignEntry kDesigns[] = {
    {ptSLPN, 2, &DesignSLPN02},
    {ptSHPN, 2, &DesignSHPN02},
};

}  // namespace

std::span<const AnalysisEntry> ScultetyAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> ScultetyDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
