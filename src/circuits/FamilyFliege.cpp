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

bool PartsRealisable(CircuitRecord& cr) {
  bool ok = true;
  for (int k = 1; k <= cr.ResistorCount; ++k) ok = ok && Rv(cr, k) > 0 && std::isfinite(Rv(cr, k));
  for (int k = 1; k <= cr.CapacitorCount; ++k) ok = ok && Cv(cr, k) > 0;
  return ok;
}

// Equal capacitors, the fixed gain of 2 and the design targets; returns R0.
double SetUpFliege(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  Cv(cr, 2) = Cv(cr, 1);
  cr.CapRatio = 1;
  cr.CircuitGain = 2;
  cr.SecondGain = 2;
  cr.GainConstrained = true;
  cr.GbwCoefWp = 2;
  cr.GbwCoefQp = 0;
  GbwTargets(ctx);
  return 1 / (Cv(cr, 1) * cr.DesignWp);
}

// The lowpass and the highpass differ only in the resistor that sets Q: R2 and R1.
void DesignFliegeWithQResistor(DesignContext& ctx, int qResistor) {
  CircuitRecord& cr = ctx.cr;
  const double r0 = SetUpFliege(ctx);
  for (int k = 1; k <= 5; ++k) Rv(cr, k) = r0;
  Rv(cr, qResistor) = cr.DesignQp * r0;
  cr.DesignFailed = !PartsRealisable(cr);
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
  cr.DesignFailed = !PartsRealisable(cr);
}

constexpr DesignEntry kDesigns[] = {
    {ptSLP, 5, &DesignSLP05},
    {ptSHP, 4, &DesignSHP04},
    {ptSBP, 6, &DesignSBP06},
};

}  // namespace

std::span<const AnalysisEntry> FliegeAnalysis() {
  return kAnalysis;
}

// The notch members' routines are still to come.
std::span<const DesignEntry> FliegeDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
