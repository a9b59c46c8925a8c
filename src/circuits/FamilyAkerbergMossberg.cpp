// Akerberg-Mossberg sections: a two-integrator loop of three op-amps.
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

// SLPN10, SHPN09 and SN09 are one network and share its equations.
constexpr auto kAmNotch = []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
  [[maybe_unused]] const auto& [R, G, C, S] = v;
  CircuitEquations<T> e;
  e.den[0] = R[3] / (R[2] * R[4] * R[7] * C[1] * C[2]);
  e.den[1] = 1 / (R[5] * C[2]);
  e.num[0] = R[3] / (R[1] * R[2] * R[4] * C[1] * C[3]);
  e.gain = C[3] / C[2];
  return e;
};

constexpr AnalysisEntry kAnalysis[] = {
    // SLP13
    MakeEntry(ptSLP, 13, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[3] / (R[2] * R[4] * R[6] * C[1] * C[2]);
                e.den[1] = 1 / (R[5] * C[2]);
                e.gain = R[6] / R[1];
                return e;
              }),
    // SHP10
    MakeEntry(ptSHP, 10, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[3] / (R[2] * R[4] * R[6] * C[1] * C[3]);
                e.den[1] = 1 / (R[5] * C[1]);
                e.gain = C[2] / C[1];
                return e;
              }),
    // SBP13
    MakeEntry(ptSBP, 13, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[3] / (R[2] * R[4] * R[6] * C[1] * C[2]);
                e.den[1] = 1 / (R[5] * C[2]);
                e.gain = R[5] / R[1];
                return e;
              }),
    // SLPN10
    MakeEntry(ptSLPN, 10, Monic, Quadratic, Inverting,
              kAmNotch),
    // SHPN09
    MakeEntry(ptSHPN, 9, Monic, Quadratic, Inverting,
              kAmNotch),
    // SN09
    MakeEntry(ptSN, 9, Monic, Quadratic, Inverting,
              kAmNotch),
};

// ---------------------------------------------------------------------------------------
// Design.  The loop resistors R2, R3, R4, R6 are all R0 = 1/(C1 wd) with equal integrating
// capacitors, the damping resistor R5 = Qd R0 sets Q, and the input element alone sets the
// gain, so every requested gain is realised.

// The loop, integrating on C1 and `loopCap`, with the member's own first-order shifts of
// wp and Q under single-pole op-amps (from its node equations; they depend on how the
// gain is taken off).
enum class AmMember { Lowpass, Highpass, Bandpass };

void DesignAmLoop(DesignContext& ctx, int loopCap, AmMember member) {
  CircuitRecord& cr = ctx.cr;
  const double k = cr.CircuitGain;
  const double q = ctx.target.Qp;
  Cv(cr, loopCap) = Cv(cr, 1);
  switch (member) {
    case AmMember::Lowpass:
      cr.GbwCoefWp = 1 + k / 2;
      cr.GbwCoefQp = k / 2;
      break;
    case AmMember::Bandpass:
      cr.GbwCoefWp = 1 + k / (2 * q);
      cr.GbwCoefQp = -k / (2 * q);
      break;
    case AmMember::Highpass:
      cr.GbwCoefWp = 1 - k / (2 * q);
      cr.GbwCoefQp = q / k - k * q + k / (2 * q);
      break;
  }
  GbwTargets(ctx);
  const double r0 = 1 / (Cv(cr, 1) * cr.DesignWp);
  for (int i : {2, 3, 4, 6}) Rv(cr, i) = r0;
  Rv(cr, 5) = cr.DesignQp * r0;
}

// SLP13 and SBP13: the input resistor R1 against the feedback resistor the output is
// taken across (R6 for the lowpass, the damping R5 for the bandpass), K = R[ref] / R1.
void DesignAmResistorInput(DesignContext& ctx, int ref) {
  CircuitRecord& cr = ctx.cr;
  DesignAmLoop(ctx, 2, ref == 6 ? AmMember::Lowpass : AmMember::Bandpass);
  cr.CapRatio = 1;
  Rv(cr, 1) = Rv(cr, ref) / cr.CircuitGain;
  cr.DesignFailed = !PartsRealisable(cr);
}

void DesignSLP13(DesignContext& ctx) {
  DesignAmResistorInput(ctx, 6);
}
void DesignSBP13(DesignContext& ctx) {
  DesignAmResistorInput(ctx, 5);
}

// SHP10: the input capacitor C2 against the integrating C1, K = C2 / C1, so C2 follows the
// gain.  R1 sits at a virtual ground and enters only through the op-amps' finite gain; it
// takes C2 R2 / C3.
void DesignSHP10(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  DesignAmLoop(ctx, 3, AmMember::Highpass);
  Cv(cr, 2) = cr.CircuitGain * Cv(cr, 3);
  cr.CapRatio = Cv(cr, 2) / Cv(cr, 1);
  Rv(cr, 1) = Cv(cr, 2) * Rv(cr, 2) / Cv(cr, 3);
  cr.DesignFailed = !PartsRealisable(cr);
}

// SLPN10, SHPN09 and SN09 share one circuit: the loop of R2, R3, R4, R7 with the damping
// R5 across C2, the input fed to the first integrator through R1 and to the second through
// C3.  K = C3/C2 and wz^2 = R3 / (R1 R2 R4 C1 C3); no path gives the zero pair an s-term.
// C2 keeps the set-up's (or the user's) ratio m, so R7 = R0/m and R5 = Qd / (wd C2) keep
// wp and Q on target for any m, and C3 = K C2 makes the gain exact; with the set-up's m = 1
// these are the loop values R0 and Qd R0.  R6, from XA2's virtual ground, matters only
// through the op-amps' finite gain and takes R0/K.  Every gain and zero is realised.
// Under single-pole op-amps the input elements load the integrators' summing nodes, so the
// shifts depend on the gain and on where the zero sits (z = wz/wp), as the node equations
// give them:  aw = (m + 1/m)/2 + K (m z^2 - 1/Qp)/2,  aq = (m - 1/m)/2 + K (m z^2 + 1/Qp)/2.
void DesignAmNotch(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double k = cr.CircuitGain;
  cr.GainConstrained = false;
  const double m = Cv(cr, 2) / Cv(cr, 1);
  if (!(m > 0)) {
    cr.DesignFailed = true;
    return;
  }
  const double z2 = (ctx.target.wz / ctx.target.wp) * (ctx.target.wz / ctx.target.wp);
  const double q = ctx.target.Qp;
  cr.GbwCoefWp = (m + 1 / m) / 2 + k * (m * z2 - 1 / q) / 2;
  cr.GbwCoefQp = (m - 1 / m) / 2 + k * (m * z2 + 1 / q) / 2;
  GbwTargets(ctx);
  cr.CapRatio = m;
  const double r0 = 1 / (Cv(cr, 1) * cr.DesignWp);
  for (int i : {2, 3, 4}) Rv(cr, i) = r0;
  Rv(cr, 7) = r0 / m;
  Rv(cr, 5) = cr.DesignQp / (cr.DesignWp * Cv(cr, 2));
  Cv(cr, 3) = k * Cv(cr, 2);
  const double wz = ctx.target.wz;
  Rv(cr, 1) = Rv(cr, 3) / (Rv(cr, 2) * Rv(cr, 4) * Cv(cr, 1) * Cv(cr, 3) * wz * wz);
  Rv(cr, 6) = r0 / k;
  cr.DesignFailed = !PartsRealisable(cr);
}

constexpr DesignEntry kDesigns[] = {
    {ptSLP, 13, &DesignSLP13},    {ptSHP, 10, &DesignSHP10},   {ptSBP, 13, &DesignSBP13},
    {ptSLPN, 10, &DesignAmNotch}, {ptSHPN, 9, &DesignAmNotch}, {ptSN, 9, &DesignAmNotch},
};

}  // namespace

std::span<const AnalysisEntry> AkerbergMossbergAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> AkerbergMossbergDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
