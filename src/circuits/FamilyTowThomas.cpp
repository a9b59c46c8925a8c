// Tow-Thomas sections: a lossy integrator, an integrator and a unity inverter in one loop.
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
    // SLP10.  The inverter's gain -R5/R6 (R6 from the lowpass output, R5 its feedback)
    // scales the loop, so it enters wp^2 and, at DC, the gain.
    MakeEntry(ptSLP, 10, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[5] / (R[1] * R[2] * R[6] * C[1] * C[2]);
                e.den[1] = 1 / (R[4] * C[1]);
                e.gain = R[1] * R[6] / (R[3] * R[5]);
                return e;
              }),
    // SBP10.  Here the inverter is R5 in, R6 feedback: its gain -R6/R5 scales wp^2 only;
    // the centre gain stays R4/R3.
    MakeEntry(ptSBP, 10, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = R[6] / (R[1] * R[2] * R[5] * C[1] * C[2]);
                e.den[1] = 1 / (R[4] * C[1]);
                e.gain = R[4] / R[3];
                return e;
              }),
};

// ---------------------------------------------------------------------------------------
// Design.  Equal capacitors and equal integrator resistors R0 = 1/(C1 wd) set wp; the
// damping resistor R4 = Qd R0 sets Q; the input resistor R3 then sets the gain freely.  The
// inverter's pair R5 = R6 is the scale pair: R6 keeps the scale resistor's value.

// Every resistor positive and finite, every capacitor positive: the capacitors here are C1
// and finite multiples of it, and an infinite C1 has already made R0 vanish.
bool LoopPartsRealisable(CircuitRecord& cr) {
  bool ok = true;
  for (int k = 1; k <= cr.ResistorCount; ++k) ok = ok && Rv(cr, k) > 0 && std::isfinite(Rv(cr, k));
  for (int k = 1; k <= cr.CapacitorCount; ++k) ok = ok && Cv(cr, k) > 0;
  return ok;
}

// Both members: everything but the input resistor R3, which the caller sets from K.
//
// The bandwidth coefficients come from the three op-amps with A(s) = 2 pi GBW / s, to first
// order in wp / (2 pi GBW).  The lossy integrator's noise gain includes the input resistor,
// so they depend on its conductance in units of 1/R0, g3 = R0/R3: K for the lowpass, K/Qp
// for the bandpass.  Then aw = 1 + g3/2 and aq = -(4 Qp + g3/2).
void DesignTowThomasLoop(DesignContext& ctx, double g3) {
  CircuitRecord& cr = ctx.cr;
  const double r0 = EqualCapacitorLoop(ctx, 1 + g3 / 2, -(4 * ctx.target.Qp + g3 / 2));
  Rv(cr, 1) = r0;
  Rv(cr, 2) = r0;
  Rv(cr, 4) = cr.DesignQp * r0;
  Rv(cr, 5) = Rv(cr, 6);
}

void DesignSLP10(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  DesignTowThomasLoop(ctx, cr.CircuitGain);
  Rv(cr, 3) = Rv(cr, 1) / cr.CircuitGain;  // K = R1 / R3
  cr.DesignFailed = !(cr.CircuitGain > 0) || !LoopPartsRealisable(cr);
}

void DesignSBP10(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  DesignTowThomasLoop(ctx, cr.CircuitGain / ctx.target.Qp);
  Rv(cr, 3) = Rv(cr, 4) / cr.CircuitGain;  // K = R4 / R3
  cr.DesignFailed = !(cr.CircuitGain > 0) || !LoopPartsRealisable(cr);
}

constexpr DesignEntry kDesigns[] = {
    {ptSLP, 10, &DesignSLP10},
    {ptSBP, 10, &DesignSBP10},
};

}  // namespace

std::span<const AnalysisEntry> TowThomasAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> TowThomasDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
