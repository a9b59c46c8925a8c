// Twin-T sections: a twin-T network in the feedback of a follower and an amplifier; their true transfer
// function is third order.
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

// The twin-T whose shunt arms the amplifier R4/R5 drives, as SLP07, SHP05, SN03 and SN04
// build it: their denominators are one; only what reaches the output differs.
template <class T>
void TwinTDenominator(const Vectors<T>& v, CircuitEquations<T>& e) {
  [[maybe_unused]] const auto& [R, G, C, S] = v;
  e.den[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
  e.den[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]) +
             (G[2] * G[3] / C[1] / C[2] + G[3] * (G[1] + G[2]) / C[1] / C[3]) *
                 (1 - R[4] / (R[4] + R[5]));
  e.den[2] = (G[1] + G[2]) / C[3] +
             (G[2] * (C[1] + C[2]) / C[1] / C[2] + G[3] / C[1]) * (1 - R[4] / (R[4] + R[5]));
}

// SN03 and SN04 are one network and share its equations.
constexpr auto kTwinTNotch = []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
  [[maybe_unused]] const auto& [R, G, C, S] = v;
  CircuitEquations<T> e;
  TwinTDenominator(v, e);
  e.num[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
  e.num[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]);
  e.num[2] = (G[1] + G[2]) / C[3];
  e.gain = T(1);
  return e;
};

constexpr AnalysisEntry kAnalysis[] = {
    // SLP07
    MakeEntry(ptSLP, 7, Monic, Cubic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                TwinTDenominator(v, e);
                e.num[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
                e.num[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]);
                e.gain = T(1);
                return e;
              }),
    // SHP05
    MakeEntry(ptSHP, 5, Monic, Cubic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                TwinTDenominator(v, e);
                e.num[2] = (G[1] + G[2]) / C[3];
                e.gain = T(1);
                return e;
              }),
    // SBP07.  The follower buffers the twin-T's junction and the inverting amplifier
    // (gain K = R5/R4) drives the network's shunt arms; the input reaches the junction
    // through the same network.  So the numerator carries the same factor
    // 1/(1 + K) = R4/(R4 + R5) as the feedback terms of the denominator, with a positive
    // sign: the output's inversion is the Inverting flag, applied once.
    MakeEntry(ptSBP, 7, Monic, Cubic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[1] * G[2] * G[3] / (C[1] * C[2] * C[3]);
                e.den[1] = G[1] * G[2] * (C[1] + C[2]) / (C[1] * C[2] * C[3]) +
                           (G[1] * G[3] / (C[1] * C[2]) + G[3] * (G[1] + G[2]) / (C[2] * C[3])) * R[4] /
                               (R[4] + R[5]);
                e.den[2] = (G[1] + G[2]) / C[3] +
                           (G[1] * (C[1] + C[2]) / (C[1] * C[2]) + G[3] / C[2]) * R[4] / (R[4] + R[5]);
                e.num[1] = (G[1] * G[3] / (C[1] * C[2]) + G[3] * (G[1] + G[2]) / (C[2] * C[3])) * R[4] /
                           (R[4] + R[5]);
                e.num[2] = (G[1] * (C[1] + C[2]) / (C[1] * C[2]) + G[3] / C[2]) * R[4] / (R[4] + R[5]);
                e.gain = R[5] / R[4];
                return e;
              }),
    // SLPN05
    MakeEntry(ptSLPN, 5, Monic, Cubic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[1] * G[2] * G[3] / C[1] / C[2] / (C[3] + C[4]);
                e.den[1] =
                    G[1] * G[2] * (C[1] + C[3] + C[4]) / C[1] / C[2] / (C[3] + C[4]) +
                    (G[2] / C[1] + (G[1] + G[2]) / C[2]) * G[3] * (1 - R[4] / (R[4] + R[5])) / (C[3] + C[4]);
                e.den[2] = G[3] * (1 - R[4] / (R[4] + R[5])) / (C[3] + C[4]) +
                           G[2] * (C[1] + C[3] + C[4]) * (1 - R[4] / (R[4] + R[5])) / C[1] / (C[3] + C[4]) +
                           (G[1] + G[2]) / C[2];
                e.num[0] = G[1] * G[2] * G[3] / C[1] / C[2] / C[3];
                e.num[1] = G[1] * G[2] * (C[1] + C[3] + C[4]) / C[1] / C[2] / C[3];
                e.num[2] = (G[1] + G[2]) / C[2];
                e.gain = C[3] / (C[3] + C[4]);
                return e;
              }),
    // SHPN04.  The shunt arms R5 and C3 hang from the follower of the output divider
    // R6/R7; R5 meets the junction of C1 and C2, so three of the terms this feedback adds
    // carry C2 (the capacitor from the input to that junction).  With the design's C2 = C1
    // they read the same with C1.
    MakeEntry(ptSHPN, 4, Monic, Cubic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[3] * G[4] * G[5] * (G[1] + G[2]) / (C[1] * C[2] * C[3] * (G[1] + G[2] + G[3]));
                e.den[1] = G[3] * G[4] * (G[1] + G[2]) * (C[1] + C[2]) /
                               (C[1] * C[2] * C[3] * (G[1] + G[2] + G[3])) +
                           (G[4] * G[5] / C[1] / C[2] + G[4] * G[5] / C[2] / C[3] +
                            G[3] * G[5] * (G[1] + G[2]) / (C[2] * C[3] * (G[1] + G[2] + G[3]))) *
                               (1 - R[6] / (R[6] + R[7]));
                e.den[2] = G[4] / C[3] + G[3] * (G[1] + G[2]) / C[3] / (G[1] + G[2] + G[3]) +
                           (G[5] / C[2] + G[4] * (C[1] + C[2]) / C[1] / C[2]) * (1 - R[6] / (R[6] + R[7]));
                e.num[0] = G[1] * G[3] * G[4] * G[5] / (C[1] * C[2] * C[3] * (G[1] + G[2] + G[3]));
                e.num[1] = G[1] * G[3] * G[4] * (C[1] + C[2]) / (C[1] * C[2] * C[3] * (G[1] + G[2] + G[3]));
                e.num[2] = G[4] / C[3] + G[3] * (G[1] + G[2]) / (C[3] * (G[1] + G[2] + G[3]));
                e.gain = T(1);
                return e;
              }),
    // SN03
    MakeEntry(ptSN, 3, Monic, Cubic, NonInverting,
              kTwinTNotch),
    // SN04
    MakeEntry(ptSN, 4, Monic, Cubic, NonInverting,
              kTwinTNotch),
};

// ---------------------------------------------------------------------------------------
// Design of the all-pole members.  The twin-T is balanced (R1 = R2 = R0 = 1 / (C1 wd),
// R3 = R0/2, C2 = C1, C3 = 2 C1), which makes its cubic denominator
// (s + wd) (s^2 + 4 k wd s + wd^2) with k the share of the amplifier's output the network's
// shunt arms see; the real pole then cancels against the numerator and the stage is the
// target biquad exactly.  Q = 1 / (4 k) sets the amplifier.  C2 is kept equal to C1, the
// only value for which those equations balance the network.

void BalanceTwinT(CircuitRecord& cr) {
  const double c1 = Cv(cr, 1);
  Cv(cr, 2) = c1;
  Cv(cr, 3) = 2 * c1;
  cr.CapRatio = 1;
  const double r0 = 1 / (c1 * cr.DesignWp);
  Rv(cr, 1) = r0;
  Rv(cr, 2) = r0;
  Rv(cr, 3) = r0 / 2;
}

// Runs the shared part of the three members; false when 4 Qd - 1 leaves no amplifier.
bool TwinTCommon(DesignContext& ctx, double aw) {
  CircuitRecord& cr = ctx.cr;
  cr.DesignFailed = false;
  cr.GbwCoefWp = aw;
  cr.GbwCoefQp = -aw;
  GbwTargets(ctx);
  BalanceTwinT(cr);
  return 4 * cr.DesignQp - 1 > 0;
}

bool TwinTValuesRealisable(CircuitRecord& cr) {
  bool ok = true;
  for (int k = 1; k <= 5; ++k) ok = ok && Rv(cr, k) > 0 && std::isfinite(Rv(cr, k));
  return ok && Cv(cr, 1) > 0 && std::isfinite(Cv(cr, 1));
}

// SLP07 and SHP05: unity gain; R4 = (4 Qd - 1) R5 with R5 the scale resistor, so
// k = R5 / (R4 + R5) = 1 / (4 Qd).
void DesignFollowerTwinT(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  FixGain(cr, 1);
  if (!TwinTCommon(ctx, 4 - 1 / ctx.target.Qp)) {
    cr.DesignFailed = true;
    return;
  }
  Rv(cr, 4) = Rv(cr, 5) * (4 * cr.DesignQp - 1);
  cr.DesignFailed = !TwinTValuesRealisable(cr);
}

// SBP07: the inverting amplifier R5/R4 drives the shunt arms, k = R4 / (R4 + R5), and its
// gain is the centre gain, K = R5/R4 = 4 Qd - 1.
void DesignSBP07(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double qp = ctx.target.Qp;
  cr.GainConstrained = true;
  if (!TwinTCommon(ctx, 2 - 1 / (8 * qp * qp))) {
    cr.DesignFailed = true;
    return;
  }
  const double k = 4 * cr.DesignQp - 1;
  Rv(cr, 4) = Rv(cr, 5) / k;
  cr.CircuitGain = k;
  cr.SecondGain = k;
  cr.DesignFailed = !TwinTValuesRealisable(cr);
}

// ---------------------------------------------------------------------------------------
// Design of the notch members.  The balance above is kept, so the real pole still lies at
// -wd; each member places its zero pair by a ratio that leaves a real zero at -wd as well,
// and the stage is the target notch biquad exactly (the s-term of the zero pair is zero).
// In all three amplifier arrangements the bandwidth coefficients are those of the
// all-pole members' amplifier, aq = -aw: the zero-setting parts sit outside the loop.

void SetCoefficients(DesignContext& ctx, double aw) {
  ctx.cr.GbwCoefWp = aw;
  ctx.cr.GbwCoefQp = -aw;
  GbwTargets(ctx);
}

// SLPN05: the series capacitor arm of the T is split into C3 from the input and C4 to
// ground, C3 + C4 = C1.  The zero pair then sits at wd sqrt(C1 / C3), and the stage's gain
// above the notch is the divider C3 / C1; below it, unity.  C4 needs wd < wz.
void DesignSLPN05(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double wz = ctx.target.wz;
  cr.DesignFailed = false;
  FixGain(cr, (ctx.target.wp / wz) * (ctx.target.wp / wz));
  SetCoefficients(ctx, 4 - 1 / ctx.target.Qp);
  const double c1 = Cv(cr, 1);
  const double wd = cr.DesignWp;
  const double r0 = 1 / (c1 * wd);
  Cv(cr, 2) = 2 * c1;
  cr.CapRatio = 2;
  Cv(cr, 3) = (wd / wz) * (wd / wz) * c1;
  Cv(cr, 4) = c1 - Cv(cr, 3);
  Rv(cr, 1) = r0;
  Rv(cr, 2) = r0;
  Rv(cr, 3) = r0 / 2;
  Rv(cr, 4) = Rv(cr, 5) * (4 * cr.DesignQp - 1);
  cr.DesignFailed = !(wd < wz) || !(4 * cr.DesignQp - 1 > 0) || !PartsRealisable(cr);
}

// SHPN04: the input reaches the T through the divider R1, R2, whose Thevenin resistance
// completes the input arm, R3 + R1 || R2 = R4 = R0, and whose ratio a = R2 / (R1 + R2)
// scales the zero pair to wd sqrt(a): R1 = (R0/2) / a, R2 = (R0/2) / (1 - a) with
// a = (wz/wd)^2, which needs wz < wd.  Unity gain above the notch, a below it.
void DesignSHPN04(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  cr.DesignFailed = false;
  FixGain(cr, 1);
  SetCoefficients(ctx, 4 - 1 / ctx.target.Qp);
  const double c1 = Cv(cr, 1);
  const double wd = cr.DesignWp;
  const double r0 = 1 / (c1 * wd);
  const double a = (ctx.target.wz / wd) * (ctx.target.wz / wd);
  // The balanced network these equations solve needs C2 = C1.
  Cv(cr, 2) = c1;
  Cv(cr, 3) = 2 * c1;
  cr.CapRatio = 1;
  Rv(cr, 4) = r0;
  Rv(cr, 3) = r0 / 2;
  Rv(cr, 5) = r0 / 2;
  Rv(cr, 1) = r0 / (2 * a);
  Rv(cr, 2) = r0 / (2 * (1 - a));
  Rv(cr, 6) = (4 * cr.DesignQp - 1) * Rv(cr, 7);
  cr.DesignFailed = !(a > 0 && a < 1) || !(4 * cr.DesignQp - 1 > 0) || !PartsRealisable(cr);
}

// SN03 and SN04: the plain balanced twin-T, whose zero pair and pole pair share the one
// frequency the network is tuned to.  Predistorting that frequency would pull the null
// off wz by the same fraction (the null is set by the passive network alone, whatever the
// op-amps do), so the network stays tuned to wz and only Q is predistorted.
void DesignTwinTNotch(DesignContext& ctx, double aw) {
  CircuitRecord& cr = ctx.cr;
  cr.DesignFailed = false;
  FixGain(cr, 1);
  SetCoefficients(ctx, aw);
  cr.DesignWp = ctx.target.wz > 0 ? ctx.target.wz : ctx.target.wp;
  BalanceTwinT(cr);
  Rv(cr, 4) = Rv(cr, 5) * (4 * cr.DesignQp - 1);
  cr.DesignFailed = !(4 * cr.DesignQp - 1 > 0) || !PartsRealisable(cr);
}

void DesignSN03(DesignContext& ctx) {
  const double qp = ctx.target.Qp;
  DesignTwinTNotch(ctx, 2 - 1 / (8 * qp * qp));
}

void DesignSN04(DesignContext& ctx) {
  DesignTwinTNotch(ctx, 4 - 1 / ctx.target.Qp);
}

constexpr DesignEntry kDesigns[] = {
    {ptSLP, 7, &DesignFollowerTwinT}, {ptSHP, 5, &DesignFollowerTwinT}, {ptSBP, 7, &DesignSBP07},
    {ptSLPN, 5, &DesignSLPN05},       {ptSHPN, 4, &DesignSHPN04},       {ptSN, 3, &DesignSN03},
    {ptSN, 4, &DesignSN04},
};

}  // namespace

std::span<const AnalysisEntry> TwinTAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> TwinTDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
