// First-order lowpass and highpass sections: an RC pole with a follower, a non-inverting gain stage or an
// inverting amplifier.
//
// Per member, the analysis evaluator (the stage's transfer function from its component
// values, ideal op-amps) and the design routine (component values from the corner and gain).
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

// FLP01 and FHP01 are one network and share its equations.
constexpr auto kBufferedRc = []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
  [[maybe_unused]] const auto& [R, G, C, S] = v;
  CircuitEquations<T> e;
  e.den[0] = 1 / (R[1] * C[1]);
  e.gain = T(1);
  return e;
};

// FLP02 and FHP02 are one network and share its equations.
constexpr auto kRcWithGain = []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
  [[maybe_unused]] const auto& [R, G, C, S] = v;
  CircuitEquations<T> e;
  e.den[0] = 1 / (R[1] * C[1]);
  e.gain = 1 + R[3] / R[2];
  return e;
};

constexpr AnalysisEntry kAnalysis[] = {
    // FLP01
    MakeEntry(ptFLP, 1, Monic, Quadratic, NonInverting,
              kBufferedRc),
    // FLP02
    MakeEntry(ptFLP, 2, Monic, Quadratic, NonInverting,
              kRcWithGain),
    // FLP03
    MakeEntry(ptFLP, 3, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = 1 / (R[2] * C[1]);
                e.gain = R[2] / R[1];
                return e;
              }),
    // FHP01
    MakeEntry(ptFHP, 1, Monic, Quadratic, NonInverting,
              kBufferedRc),
    // FHP02
    MakeEntry(ptFHP, 2, Monic, Quadratic, NonInverting,
              kRcWithGain),
    // FHP03
    MakeEntry(ptFHP, 3, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = 1 / (R[1] * C[2]);
                e.gain = C[1] / C[2];
                return e;
              }),
    // FHP04
    MakeEntry(ptFHP, 4, Monic, Quadratic, Inverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = 1 / (R[1] * C[1]);
                e.gain = R[2] / R[1];
                return e;
              }),
};

// ---------------------------------------------------------------------------------------
// Design.  The corner wc comes in as the target wp; a first-order section has no Q and
// offers neither predistortion nor compensation, so its bandwidth figures are cleared
// rather than left from whatever circuit the stage had before.

void FirstOrderCommon(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  cr.GbwCoefWp = 0;
  cr.GbwCoefQp = 0;
  cr.DesignWp = ctx.target.wp;
  cr.DesignQp = 0;
  cr.GbwDeviation = 0;
  cr.MinGbw = 0;
}

// The non-inverting stage 1 + R3/R2 cannot go below 1, and close to 1 R2 would run away,
// so gains up to 1.1 become 1.1.
void NonInvertingGain(CircuitRecord& cr) {
  if (cr.CircuitGain <= 1.1) {
    FixGain(cr, 1.1);
  } else {
    cr.GainConstrained = false;
  }
}

bool Positive(double x) {
  return x > 0 && std::isfinite(x);
}

// A corner, a C1 and a gain that the equations can divide by; otherwise the design fails
// before any value is computed from them.
bool Realisable(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  cr.DesignFailed = !(Positive(ctx.target.wp) && Positive(Cv(cr, 1)) && Positive(cr.CircuitGain));
  return !cr.DesignFailed;
}

void DesignFlp01(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  FirstOrderCommon(ctx);
  FixGain(cr, 1);  // the follower
  if (!Realisable(ctx)) return;
  Rv(cr, 1) = 1 / (Cv(cr, 1) * ctx.target.wp);
  cr.DesignFailed = !PartsRealisable(cr);
}

void DesignFlp02(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  FirstOrderCommon(ctx);
  NonInvertingGain(cr);
  if (!Realisable(ctx)) return;
  Rv(cr, 1) = 1 / (Cv(cr, 1) * ctx.target.wp);
  Rv(cr, 2) = Rv(cr, 3) / (cr.CircuitGain - 1);
  cr.DesignFailed = !PartsRealisable(cr);
}

void DesignFlp03(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  FirstOrderCommon(ctx);
  cr.GainConstrained = false;
  if (!Realisable(ctx)) return;
  Rv(cr, 2) = 1 / (Cv(cr, 1) * ctx.target.wp);
  Rv(cr, 1) = Rv(cr, 2) / cr.CircuitGain;
  cr.DesignFailed = !PartsRealisable(cr);
}

void DesignFhp01(DesignContext& ctx) {
  DesignFlp01(ctx);  // the follower's RC with R1 and C1 changing places on the schematic
}

void DesignFhp02(DesignContext& ctx) {
  DesignFlp02(ctx);  // the same equations with R1 and C1 changing places on the schematic
}

// The gain is the capacitor ratio C1/C2, so C2 is computed and the corner set with it.
void DesignFhp03(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  FirstOrderCommon(ctx);
  cr.GainConstrained = false;
  if (!Realisable(ctx)) return;
  Cv(cr, 2) = Cv(cr, 1) / cr.CircuitGain;
  cr.CapRatio = Cv(cr, 2) / Cv(cr, 1);
  Rv(cr, 1) = 1 / (Cv(cr, 2) * ctx.target.wp);
  cr.DesignFailed = !PartsRealisable(cr);
}

void DesignFhp04(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  FirstOrderCommon(ctx);
  cr.GainConstrained = false;
  if (!Realisable(ctx)) return;
  Rv(cr, 1) = 1 / (Cv(cr, 1) * ctx.target.wp);
  Rv(cr, 2) = cr.CircuitGain * Rv(cr, 1);
  cr.DesignFailed = !PartsRealisable(cr);
}

constexpr DesignEntry kDesigns[] = {
    {ptFLP, 1, DesignFlp01}, {ptFLP, 2, DesignFlp02}, {ptFLP, 3, DesignFlp03}, {ptFHP, 1, DesignFhp01},
    {ptFHP, 2, DesignFhp02}, {ptFHP, 3, DesignFhp03}, {ptFHP, 4, DesignFhp04},
};

}  // namespace

std::span<const AnalysisEntry> FirstOrderAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> FirstOrderDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
