// Fliege sections: two op-amps and a two-capacitor network.
//
// Per member, the analysis evaluator: the stage's transfer function from its component
// values, ideal op-amps; and the design routine that solves those equations for the
// stage's targets.
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
    // SLP05
    MakeEntry(ptSLP, 5, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * R[3] * R[4] * C[1] * C[2] / R[5];
                e.den[1] = R[1] * R[3] * R[4] * C[2] / (R[2] * R[5]);
                e.gain = 1 + R[4] / R[5];
                return e;
              }),
    // SHP04
    MakeEntry(ptSHP, 4, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[2] * R[3] * R[5] * C[1] * C[2] / R[4];
                e.den[1] = R[2] * R[3] * R[5] * C[2] / (R[1] * R[4]);
                e.gain = 1 + R[4] / R[5];
                return e;
              }),
    // SBP06
    MakeEntry(ptSBP, 6, TimeConstant, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[2] * R[3] * R[5] * C[1] * C[2] / R[4];
                e.den[1] = R[2] * R[3] * R[5] * C[2] / R[4] / R[1];
                e.gain = 1 + R[4] / R[5];
                return e;
              }),
    // SLPN04
    MakeEntry(ptSLPN, 4, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[3] * G[4] * G[6] / (G[5] * C[3] * (C[1] + C[2]));
                e.den[1] = (G[1] + G[2]) / (C[1] + C[2]);
                e.num[0] = G[3] * G[4] * G[6] / (G[5] * C[3] * (C[1] - C[2] * G[6] / G[5]));
                e.num[1] = (G[1] - G[2] * G[6] / G[5]) / (C[1] - C[2] * G[6] / G[5]);
                e.gain = (C[1] - C[2] * G[6] / G[5]) / (C[1] + C[2]);
                return e;
              }),
    // SHPN03
    MakeEntry(ptSHPN, 3, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[3] * G[4] * (G[5] + G[7]) / G[6] / C[1] / C[2];
                e.den[1] = (G[1] + G[2]) / C[1];
                e.num[0] = G[3] * G[4] * G[5] / (C[1] * C[2] * (G[6] + G[7]));
                e.num[1] = (G[1] * G[7] + G[1] * G[6] - G[2] * G[5]) / C[1] / (G[6] + G[7]);
                e.gain = 1 + G[7] / G[6];
                return e;
              }),
    // SN02
    MakeEntry(ptSN, 2, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[3] * G[4] * G[6] / (G[5] * C[1] * C[2]);
                e.den[1] = (G[1] + G[2]) / C[1];
                e.num[0] = G[3] * G[4] * G[6] / G[5] / C[1] / C[2];
                e.num[1] = G[1] / C[1] - G[2] * G[6] / G[5] / C[1];
                e.gain = T(1);
                return e;
              }),
};

// ---------------------------------------------------------------------------------------
// Design.  The Fliege sections have equal capacitors and a gain of 1 + R4/R5 = 2 fixed by
// equal divider resistors.  tau2 is then the product of two resistors and C1 C2, so two
// resistors of R0 = 1/(C1 wd) set wp, and the one resistor that tau1 alone divides by sets
// Q at Qd R0.  A finite GBW lowers wp by twice x and leaves Q, to first order.

// Every resistor positive and finite, every capacitor positive: the capacitors here are C1
// and finite multiples of it, and an infinite C1 has already made R0 vanish.
bool LoopPartsRealisable(CircuitRecord& cr) {
  bool ok = true;
  for (int k = 1; k <= cr.ResistorCount; ++k) ok = ok && Rv(cr, k) > 0 && std::isfinite(Rv(cr, k));
  for (int k = 1; k <= cr.CapacitorCount; ++k) ok = ok && Cv(cr, k) > 0;
  return ok;
}

// Equal capacitors, the fixed gain of 2 and the design targets; returns R0.
double SetUpFliege(DesignContext& ctx) {
  FixGain(ctx.cr, 2);
  return EqualCapacitorLoop(ctx, 2, 0);
}

// The lowpass and the highpass differ only in the resistor that sets Q: R2 and R1.
void DesignFliegeWithQResistor(DesignContext& ctx, int qResistor) {
  CircuitRecord& cr = ctx.cr;
  const double r0 = SetUpFliege(ctx);
  for (int k = 1; k <= 5; ++k) Rv(cr, k) = r0;
  Rv(cr, qResistor) = cr.DesignQp * r0;
  cr.DesignFailed = !LoopPartsRealisable(cr);
}

void DesignSLP05(DesignContext& ctx) {
  DesignFliegeWithQResistor(ctx, 2);
}
void DesignSHP04(DesignContext& ctx) {
  DesignFliegeWithQResistor(ctx, 1);
}

// SBP06.  The divider is the scale pair: R4 takes the scale resistor R5's value, and
// v = 1 + R4/R5 (the gain, 2) scales the integrator resistors.
void DesignSBP06(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double r0 = SetUpFliege(ctx);
  Rv(cr, 4) = Rv(cr, 5);
  const double root = std::sqrt(Rv(cr, 4) / Rv(cr, 5));  // sqrt(v - 1)
  Rv(cr, 2) = root * r0;
  Rv(cr, 3) = root * r0;
  Rv(cr, 1) = Rv(cr, 2) * cr.DesignQp / root;
  cr.DesignFailed = !LoopPartsRealisable(cr);
}

// The notch members.  The input reaches the output twice, through the network at the
// integrator's input and through the divider R5/R6 at the amplifier's, and the zero pair is
// their difference.  Where the circuit lets it choose, the zero is put at wz itself and the
// poles at wd: with predistortion the gain the zero implies follows wd, and CircuitGain says
// so.  A finite GBW lowers wp by twice x in these as in the others.
void SetUpFliegeNotch(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  cr.GbwCoefWp = 2;
  cr.GbwCoefQp = 0;
  GbwTargets(ctx);
}

// SN02 (its zero sits on wd whatever the parts) and SLPN04, which is SN02 with C2 added
// from the input divider's node to ground.  Its equations give
// K = (C1 - C2 R5/R6) / (C1 + C2) and wz^2 = wp^2 / K, so with SN02's equal divider R5 = R6
// the zero sets C2 = C1 (1 - K) / (1 + K); with h = (K + 1) / 2 that is C1 (1/h - 1), and
// the integrating capacitor C1/h keeps SN02's R3 = R4 = h / (C1 wd) and R1 = R2 = 2 Qd R3.
// K below 1 needs wz above wd: a lowpass notch with its zero below the poles has no
// positive C2.
void DesignFliegeNotch(DesignContext& ctx, bool lowpass) {
  CircuitRecord& cr = ctx.cr;
  SetUpFliegeNotch(ctx);
  const double wd = cr.DesignWp;
  const double k = lowpass ? (wd / ctx.target.wz) * (wd / ctx.target.wz) : 1.0;
  FixGain(cr, k);
  const double h = (k + 1) / 2;
  if (lowpass) Cv(cr, 2) = (1 / h - 1) * Cv(cr, 1);
  Cv(cr, lowpass ? 3 : 2) = Cv(cr, 1) / h;
  cr.CapRatio = Cv(cr, 2) / Cv(cr, 1);
  const double r3 = h / (Cv(cr, 1) * wd);
  for (int i = 3; i <= 6; ++i) Rv(cr, i) = r3;
  Rv(cr, 1) = 2 * cr.DesignQp * r3;
  Rv(cr, 2) = Rv(cr, 1);
  cr.DesignFailed = !LoopPartsRealisable(cr);
}

void DesignSLPN04(DesignContext& ctx) {
  DesignFliegeNotch(ctx, true);
}
void DesignSN02(DesignContext& ctx) {
  DesignFliegeNotch(ctx, false);
}

// SHPN03: with R3 = R4 = R5 = R0 and C2 = C1, wp = wd asks G6 = G5 + G7; then
// wz^2 / wp^2 = G5 / (G5 + 2 G7), so G7 = G0 ((wd/wz)^2 - 1) / 2, and K = 1 + G7/G6 comes to
// 2 wd^2 / (wd^2 + wz^2).  The zero pair loses its s-term for G2 = G1 (wd/wz)^2, and
// G1 + G2 = C1 wd / Qd sets Q.  A zero at or above wd leaves G7 no positive value: the
// divider can only pull the zero below the poles.
void DesignSHPN03(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double r0 = EqualCapacitorLoop(ctx, 2, 0);
  const double ratio = (cr.DesignWp / ctx.target.wz) * (cr.DesignWp / ctx.target.wz);
  FixGain(cr, 2 * ratio / (ratio + 1));
  const double g7 = (ratio - 1) / (2 * r0);
  for (int i = 3; i <= 5; ++i) Rv(cr, i) = r0;
  Rv(cr, 6) = 1 / (1 / r0 + g7);
  Rv(cr, 7) = 1 / g7;
  Rv(cr, 1) = r0 * (ratio + 1) * cr.DesignQp;
  Rv(cr, 2) = r0 * (1 / ratio + 1) * cr.DesignQp;
  cr.DesignFailed = !LoopPartsRealisable(cr);
}

constexpr DesignEntry kDesigns[] = {
    {ptSLP, 5, &DesignSLP05},   {ptSHP, 4, &DesignSHP04},   {ptSBP, 6, &DesignSBP06},
    {ptSLPN, 4, &DesignSLPN04}, {ptSHPN, 3, &DesignSHPN03}, {ptSN, 2, &DesignSN02},
};

}  // namespace

std::span<const AnalysisEntry> FliegeAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> FliegeDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
