// Deliyannis bandpass sections: the multiple-feedback bandpass, the second with positive
// feedback through a divider.
//
// Per member, the analysis evaluator: the stage's transfer function from its component
// values, ideal op-amps.
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
    // SBP01
    MakeEntry(ptSBP, 1, TimeConstant, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * C[1] * C[2];
                e.den[1] = R[1] * (C[1] + C[2]);
                e.gain = R[2] * C[1] / (R[1] * (C[1] + C[2]));
                return e;
              }),
    // SBP02
    MakeEntry(ptSBP, 2, TimeConstant, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[2] * C[1] * C[2];
                e.den[1] = R[1] * (C[1] + C[2]) - R[2] * C[1] * R[3] / R[4];
                e.gain = R[2] * C[1] * (1 + R[3] / R[4]) / (R[1] * (C[1] + C[2]) - R[2] * C[1] * R[3] / R[4]);
                return e;
              }),
};

// ---------------------------------------------------------------------------------------
// Design.  The gain of both members follows from the Q asked of them; each is solved for
// the targets GbwTargets leaves in DesignWp/DesignQp and reports the gain it realises.

// SBP01.  tau1 = R1 (C1 + C2) fixes R1, tau2 then R2, and the centre gain is what is left:
// K = (m + 1) Qd^2 / m (2 Qd^2 with equal capacitors).
void DesignSBP01(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double qp = ctx.target.Qp;
  const double c1 = Cv(cr, 1);
  cr.DesignFailed = false;
  if (cr.ActiveComp) cr.Predistort = false;
  if (!cr.C2Variable) Cv(cr, 2) = c1;
  const double m = Cv(cr, 2) / c1;
  cr.CapRatio = m;
  cr.GbwCoefWp = (m + 1) * qp / (2 * m);
  cr.GbwCoefQp = -cr.GbwCoefWp;
  GbwTargets(ctx);
  const double wd = cr.DesignWp;
  const double qd = cr.DesignQp;
  const double k = (m + 1) * qd * qd / m;
  FixGain(cr, k);
  Rv(cr, 1) = qd / (c1 * wd * k * m);
  Rv(cr, 2) = (m + 1) * qd / (c1 * wd * m);
  cr.DesignFailed = !PartsRealisable(cr);
}

// SBP02.  With C2 = m C1, R2 = x^2 R1 and the positive feedback r = R3/R4 (R4 the scale
// resistor), the analysis gives R1 = 1 / (x sqrt(m) C1 wd) for wp, and for Qp
//   r = (m + 1 - x sqrt(m) / Qd) / x^2,
// leaving the centre gain K = x (1 + r) Qd / sqrt(m).
//   default (C1 = C2):     x^2 = 2 Qd
//   " C1=C2 : R1=R2":      x = 1, r = 2 - 1/Qd, K = 3 Qd - 1
//   C2 variable:           the set-up ratio and x = sqrt(2 Qd) (m + 1) / (2 sqrt(m)), which
//                          is the default at m = 1 and keeps r > 0 for every Qd > 1/2.
// The op-amp works at the noise gain N = 1 + r; from its single-pole model
// aw = N (y - 1/Qp) / 2 with y = (m + x^2 + 1) / (sqrt(m) x), and aq = -aw.
double SBP02Ratio(const CircuitRecord& cr, double qd) {
  const double m = cr.C[2].Value / cr.C[1].Value;
  if (cr.EqualComponents) return 1;
  return std::sqrt(2 * qd) * (m + 1) / (2 * std::sqrt(m));
}

double SBP02Feedback(double m, double x, double qd) {
  return (m + 1 - x * std::sqrt(m) / qd) / (x * x);
}

bool SolveSBP02(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double qp = ctx.target.Qp;
  const double c1 = Cv(cr, 1);
  const double m = Cv(cr, 2) / c1;
  const double rm = std::sqrt(m);
  cr.CapRatio = m;
  const double x = SBP02Ratio(cr, qp);
  const double y = (m + x * x + 1) / (rm * x);
  cr.GbwCoefWp = (1 + SBP02Feedback(m, x, qp)) * (y - 1 / qp) / 2;
  cr.GbwCoefQp = -cr.GbwCoefWp;
  GbwTargets(ctx);
  const double qd = cr.DesignQp;
  if (!(qd > 0.5)) return false;
  const double xd = SBP02Ratio(cr, qd);
  const double r = SBP02Feedback(m, xd, qd);
  Rv(cr, 1) = 1 / (xd * rm * c1 * cr.DesignWp);
  Rv(cr, 2) = xd * xd * Rv(cr, 1);
  Rv(cr, 3) = r * Rv(cr, 4);
  FixGain(cr, xd * (1 + r) * qd / rm);
  return r > 0 && PartsRealisable(cr);
}

void DesignSBP02(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  cr.DesignFailed = false;
  cr.ResistorCount = 4;
  if (cr.ActiveComp) cr.Predistort = false;
  bool done = false;
  if (!cr.EqualComponents && cr.C2Variable) {
    cr.C2OnlyAllowed = true;
    done = SolveSBP02(ctx) && ResistorSpread(cr) <= 2000;
  }
  if (!done) {
    // Equal components, the default, and the fallback of a C2-variable design that failed
    // or spread its resistors beyond 2000 to 1.
    cr.C2OnlyAllowed = false;
    Cv(cr, 2) = Cv(cr, 1);
    done = SolveSBP02(ctx);
  }
  if (!done) {
    cr.DesignFailed = true;
    return;
  }
  if (cr.ActiveComp) AppendCompensationCopies(cr, 4, 3);
  cr.DesignFailed = !PartsRealisable(cr);
}

constexpr DesignEntry kDesigns[] = {
    {ptSBP, 1, &DesignSBP01},
    {ptSBP, 2, &DesignSBP02},
};

}  // namespace

std::span<const AnalysisEntry> DeliyannisAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> DeliyannisDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
