// The Bach lowpass: two followers with the RC ladder between them.
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
    // SLP06
    MakeEntry(ptSLP, 6, Monic, Quadratic, NonInverting,
              []<class T>(const Vectors<T>& v) -> CircuitEquations<T> {
                [[maybe_unused]] const auto& [R, G, C, S] = v;
                CircuitEquations<T> e;
                e.den[0] = G[1] * G[2] * S[1] * S[2];
                e.den[1] = G[1] * S[2];
                e.gain = T(1);
                return e;
              }),
};

// ---------------------------------------------------------------------------------------
// Design.  Two followers, so the gain is 1 and the capacitor ratio m = C2/C1 of the set-up
// (or of the user's choice) carries the Q: R2 = 1 / (C1 wd Qd), R1 = R2 Qd^2 / m.

void DesignSLP06(DesignContext& ctx) {
  CircuitRecord& cr = ctx.cr;
  const double qp = ctx.target.Qp;
  const double c1 = Cv(cr, 1);
  const double m = Cv(cr, 2) / c1;
  cr.DesignFailed = false;
  FixGain(cr, 1);
  cr.CapRatio = m;
  if (cr.ActiveComp) cr.Predistort = false;
  cr.GbwCoefWp = qp;
  cr.GbwCoefQp = -qp;
  GbwTargets(ctx);
  const double qd = cr.DesignQp;
  Rv(cr, 2) = 1 / (c1 * cr.DesignWp * qd);
  Rv(cr, 1) = Rv(cr, 2) * qd * qd / m;
  cr.DesignFailed = !(m > 0) || !(Rv(cr, 1) > 0 && std::isfinite(Rv(cr, 1))) ||
                    !(Rv(cr, 2) > 0 && std::isfinite(Rv(cr, 2)));
}

constexpr DesignEntry kDesigns[] = {
    {ptSLP, 6, &DesignSLP06},
};

}  // namespace

std::span<const AnalysisEntry> BachAnalysis() {
  return kAnalysis;
}

std::span<const DesignEntry> BachDesigns() {
  return kDesigns;
}

}  // namespace tavrin::circuits
