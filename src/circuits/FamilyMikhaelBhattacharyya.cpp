// Mikhael-Bhattacharyya sections: three op-amps whose inverting inputs share one node.
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

// SLPN08, SHPN07 and SN07 are one network and share its equations.
constexpr auto kMbNotch = []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
  [[maybe_unused]] const auto& [R, G, C, S] = v;
  CircuitEquations<T> e;
  e.den[0] = G[6] * G[9] * (G[4] + G[5]) / (C[1] * C[2] * (G[1] + G[2]));
  e.den[1] = G[3] * G[6] * G[7] / (G[8] * C[1] * (G[1] + G[2]));
  e.num[0] = G[4] * G[6] * G[9] / (G[1] * C[1] * C[2]);
  e.gain = G[1] * (G[3] + G[8]) / (G[8] * (G[1] + G[2]));
  return e;
};

constexpr AnalysisEntry kAnalysis[] = {
    // SLP11
    MakeEntry(ptSLP, 11, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] * (G[2] + G[4]) / (R[5] * R[8] * C[1] * C[2]);
                e.den[1] = R[1] * R[7] / (R[3] * R[5] * R[6] * C[1]);
                e.gain = G[2] * (G[1] + G[5]) / (G[5] * (G[2] + G[4]));
                return e;
              }),
    // SHP08
    MakeEntry(ptSHP, 8, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[4] * G[5] * G[8] / (C[1] * C[2] * (G[1] + G[2]));
                e.den[1] = R[7] / (R[3] * R[5] * R[6] * C[1] * (G[1] + G[2]));
                e.gain = G[1] * (G[3] + G[7]) / (G[7] * (G[1] + G[2]));
                return e;
              }),
    // SBP11
    MakeEntry(ptSBP, 11, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[1] / (R[4] * R[5] * R[8] * C[1] * C[2]);
                e.den[1] = R[1] * R[7] * (G[2] + G[3]) / (R[5] * R[6] * C[1]);
                e.gain = G[2] * (G[1] + G[5]) / G[5] / (G[2] + G[3]);
                return e;
              }),
    // SLPN08
    MakeEntry(ptSLPN, 8, Monic, Quadratic, NonInverting,
              kMbNotch),
    // SHPN07
    MakeEntry(ptSHPN, 7, Monic, Quadratic, NonInverting,
              kMbNotch),
    // SN07
    MakeEntry(ptSN, 7, Monic, Quadratic, NonInverting,
              kMbNotch),
};

// ---------------------------------------------------------------------------------------
// Design.  With C2 = C1, R0 = 1/(C1 wd), q = sqrt(Q) and t = 1.6 Q^(1/4), the resistors
// R3 = R6 = q R0 share Q between two places, and t R0 against R0/t cancels from wp, Q and
// the gain, so t shapes only the spread and the op-amp coefficients; the input network is
// then free to set the gain.

// Replaces a requested gain beyond the circuit's limit by the limit; `reachable` says
// whether the limit itself is a valid gain.
void LimitGain(CircuitRecord& cr, double limit, bool reachable) {
  cr.GainConstrained = reachable ? cr.CircuitGain > limit : cr.CircuitGain >= limit;
  if (cr.GainConstrained) cr.CircuitGain = limit;
}

struct LoopValues {
  double r0 = 0;
  double q = 0;
  double t = 0;
};

// Equal capacitors, the bandwidth coefficients and the design targets.  The coefficients
// are the first-order shifts of wp and Q for single-pole op-amps, worked out from the
// circuit's node equations with the design values in place; for this loop they depend on
// q and t only (the input network enters through a parallel sum the design holds fixed):
//   aw = 1/t + 1/(2q) - 1/(2q^2) - 1/q^3,   aq = t (1 + q) - 2q - aw.
LoopValues SetUpMbLoop(DesignContext& ctx) {
  const double q = std::sqrt(ctx.target.Qp);
  const double t = 1.6 * std::sqrt(q);
  const double aw = 1 / t + 1 / (2 * q) - 1 / (2 * q * q) - 1 / (q * q * q);
  const double r0 = EqualCapacitorLoop(ctx, aw, t * (1 + q) - 2 * q - aw);
  // The resistors are solved for Qd, so q and t are taken again from it.
  const double qd = std::sqrt(ctx.cr.DesignQp);
  return {r0, qd, 1.6 * std::sqrt(qd)};
}

// SLP11: the gain is shared between R2 and R4, whose parallel sum stays R0/t; R4 takes
// the part 1 - K/2, so K must stay below 2.
void DesignSLP11(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  LimitGain(cr, 1.95, true);
  const double k = cr.CircuitGain;
  const auto [r0, q, t] = SetUpMbLoop(ctx);
  for (int i : {1, 5, 7}) Rv(cr, i) = r0;
  Rv(cr, 2) = 2 * r0 / (k * t);
  Rv(cr, 3) = q * r0;
  Rv(cr, 6) = q * r0;
  Rv(cr, 4) = r0 / ((1 - k / 2) * t);
  Rv(cr, 8) = t * r0;
  cr.DesignFailed = !PartsRealisable(cr);
}

// SHP08: the input divider R1/R2 sets the gain, K (1 + 1/q) at most; its sum of
// conductances stays 1/R0, so the limit is reached as R2 grows without bound.
void DesignSHP08(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  LimitGain(cr, 0.9 * (1 + 1 / std::sqrt(ctx.target.Qp)), false);
  const double k = cr.CircuitGain;
  const auto [r0, q, t] = SetUpMbLoop(ctx);
  Rv(cr, 7) = r0;
  Rv(cr, 1) = (1 + 1 / q) * r0 / k;
  Rv(cr, 2) = r0 / (1 - k / (1 + 1 / q));
  Rv(cr, 3) = q * r0;
  Rv(cr, 6) = q * r0;
  Rv(cr, 4) = r0 / t;
  Rv(cr, 5) = r0;
  Rv(cr, 8) = t * r0;
  cr.DesignFailed = !PartsRealisable(cr);
}

// SBP11: as SLP11 with the input divider R2/R3 in the place of R2/R4; its parallel sum
// stays q R0.
void DesignSBP11(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  LimitGain(cr, 1.95, true);
  const double k = cr.CircuitGain;
  const auto [r0, q, t] = SetUpMbLoop(ctx);
  for (int i : {1, 5, 7}) Rv(cr, i) = r0;
  Rv(cr, 2) = 2 * r0 * q / k;
  Rv(cr, 3) = r0 * q / (1 - k / 2);
  Rv(cr, 4) = r0 / t;
  Rv(cr, 6) = q * r0;
  Rv(cr, 8) = t * r0;
  cr.DesignFailed = !PartsRealisable(cr);
}

// The notch members: the input reaches the loop through two dividers, R1/R2 into the
// first amplifier and R4/R5 into the third.  The loop sees only their parallel sums, held at
// R0 and R0/t, so wp, Q, aw and aq are the all-pole members' own.  R1 sets the gain,
// K = (1 + 1/q) R0 / R1, and R4 the zero, (wz/wd)^2 = R1 / (t R4).  Both complements must
// stay positive: R2 needs K below 1 + 1/q, R5 needs K below (wd/wz)^2 (1 + 1/q).  The gain
// is held below the smaller of the two with a margin, so a lowpass notch is limited by its
// zero and the others by R2.  The limit is taken at the targets the resistors are solved
// for (wp and Qp themselves unless predistortion moves them), so that a predistorted design
// is not refused a gain its circuit could still give.
void DesignMbNotch(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const auto [r0, q, t] = SetUpMbLoop(ctx);
  const double zz = (ctx.target.wz / cr.DesignWp) * (ctx.target.wz / cr.DesignWp);
  LimitGain(cr, 0.95 * std::min(1.0, 1 / zz) * (1 + 1 / q), false);
  const double k = cr.CircuitGain;
  Rv(cr, 6) = r0;
  Rv(cr, 8) = r0;
  Rv(cr, 1) = (1 + 1 / q) * r0 / k;
  Rv(cr, 2) = r0 * Rv(cr, 1) / (Rv(cr, 1) - r0);
  Rv(cr, 3) = q * r0;
  Rv(cr, 7) = q * r0;
  Rv(cr, 9) = t * r0;
  Rv(cr, 4) = Rv(cr, 1) / (zz * t);
  Rv(cr, 5) = 1 / (t / r0 - 1 / Rv(cr, 4));
  cr.DesignFailed = !(zz > 0) || !PartsRealisable(cr);
}

void DesignSLPN08(DesignContext& ctx) {
  DesignMbNotch(ctx);
}
void DesignSHPN07(DesignContext& ctx) {
  DesignMbNotch(ctx);
}
void DesignSN07(DesignContext& ctx) {
  DesignMbNotch(ctx);
}

constexpr DesignEntry kDesigns[] = {
    {ptSLP, 11, &DesignSLP11},  {ptSHP, 8, &DesignSHP08},   {ptSBP, 11, &DesignSBP11},
    {ptSLPN, 8, &DesignSLPN08}, {ptSHPN, 7, &DesignSHPN07}, {ptSN, 7, &DesignSN07},
};

}  // namespace

std::span<const AnalysisEntry> MikhaelBhattacharyyaAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> MikhaelBhattacharyyaDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
