// The Boctor lowpass notch: one op-amp with a resistive divider at its non-inverting input.
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
    // SLPN03
    MakeEntry(ptSLPN, 3, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[1] * G[2] / C[1] / C[2];
                e.den[1] = (G[1] + G[2] + G[4]) / C[2];
                e.num[0] = G[3] * (G[1] + G[2] + G[4]) / C[1] / C[2] + G[2] * G[4] / C[1] / C[2] +
                           G[1] * G[2] / C[1] / C[2];
                e.num[1] = G[3] / C[1] + (G[1] + G[2] + G[4]) / C[2] + G[2] / C[1] -
                           G[2] * (G[5] + G[6]) / G[5] / C[1];
                e.gain = G[5] / (G[5] + G[6]);
                return e;
              }),
};

// ---------------------------------------------------------------------------------------
// Design.  Conductances in units of C1 wd, C2 = c C1, z = wz / wd.  With R1 = R2 the
// equations give, in turn,
//   g1 = g2 = sqrt(c)                          (wp)
//   g4 = c / Qd - 2 sqrt(c)                    (Qp)
//   g3 = Qd (z^2 + 1) - sqrt(c)                (wz)
//   K = sqrt(c) / (Qd (z^2 + 1) + 1 / Qd)      (no s-term in the zero pair)
// so the capacitor ratio must put sqrt(c) strictly between 2 Qd and Qd (z^2 + 1), a range
// that is never empty for wz above wd.  The ratio is taken at its geometric middle,
// c = 2 Qd^2 (z^2 + 1), rounded to a whole number when that stays 5 percent inside the
// range (a ratio one can build from equal parts), and the divider R5, R6 at the
// non-inverting input sets K, with R6 the scale resistor.
struct BoctorSolution {
  double c = 0, g = 0, g3 = 0, g4 = 0, k = 0;
};

BoctorSolution SolveSLPN03(double qd, double z) {
  BoctorSolution s;
  const double top = qd * (z * z + 1);
  const double middle = 2 * qd * top;
  const double whole = std::round(middle);
  const double root = std::sqrt(whole);
  s.c = whole >= 1 && root >= 1.05 * 2 * qd && root <= top / 1.05 ? whole : middle;
  s.g = std::sqrt(s.c);
  s.g4 = s.c / qd - 2 * s.g;
  s.g3 = top - s.g;
  s.k = s.g / (top + 1 / qd);
  return s;
}

// With a single-pole op-amp the normalised ideal denominator s^2 + s/Qd + 1 gains
// s (s^2 + d1 s + d0) x, x = wd / (2 pi GBW), with the RC network's
// d1 = (g1 + g2 + g4) / c + g2 + g3 and d0 = (g3 g4 + g2 g4 + g2 g3 + g1 g3 + g1 g2) / c;
// reducing it modulo the ideal pair gives the shift of its coefficients.
void BoctorCoefficients(CircuitRecord& cr, const BoctorSolution& s, double qd) {
  const double g = s.g;
  const double d1 = (2 * g + s.g4) / s.c + g + s.g3;
  const double d0 = (s.g3 * s.g4 + g * s.g4 + 2 * g * s.g3 + g * g) / s.c;
  const double e0 = 1 / qd - d1;
  const double e1 = 1 / (qd * qd) - 1 - d1 / qd + d0;
  cr.GbwCoefWp = -e0 / 2;
  cr.GbwCoefQp = e1 * qd - e0 / 2;
}

// SLPN03: K = R6 / (R5 + R6), set by the design.  Compensation adds an op-amp but no
// resistor, and replaces predistortion.
void DesignSLPN03(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  cr.DesignFailed = false;
  cr.ResistorCount = 6;
  if (cr.ActiveComp) cr.Predistort = false;
  const auto valid = [](double qd, double z) { return qd > 0 && z > 1; };
  if (!valid(ctx.target.Qp, ctx.target.wz / ctx.target.wp)) {
    cr.DesignFailed = true;
    return;
  }
  BoctorCoefficients(cr, SolveSLPN03(ctx.target.Qp, ctx.target.wz / ctx.target.wp), ctx.target.Qp);
  GbwTargets(ctx);
  const double z = ctx.target.wz / cr.DesignWp;
  if (!valid(cr.DesignQp, z)) {
    cr.DesignFailed = true;
    return;
  }
  const BoctorSolution s = SolveSLPN03(cr.DesignQp, z);
  const double c1 = Cv(cr, 1);
  const double r0 = 1 / (c1 * cr.DesignWp);
  Cv(cr, 2) = s.c * c1;
  cr.CapRatio = s.c;
  Rv(cr, 1) = r0 / s.g;
  Rv(cr, 2) = r0 / s.g;
  Rv(cr, 3) = r0 / s.g3;
  Rv(cr, 4) = r0 / s.g4;
  Rv(cr, 5) = Rv(cr, 6) * (1 / s.k - 1);
  FixGain(cr, Rv(cr, 6) / (Rv(cr, 5) + Rv(cr, 6)));
  cr.DesignFailed = !PartsRealisable(cr);
}

constexpr DesignEntry kDesigns[] = {
    {ptSLPN, 3, &DesignSLPN03},
};

}  // namespace

std::span<const AnalysisEntry> BoctorAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> BoctorDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
