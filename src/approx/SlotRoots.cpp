#include "approx/SlotRoots.h"

#include "approx/FrequencyTransform.h"

namespace tavrin::approx {

namespace {

double UserGainConstant(const core::DesignState& state) {
  double k = 1.0;
  for (int s = 1; s <= state.stageCount && s <= core::kMaxStages; ++s) {
    const core::Stage& st = state.stages[static_cast<std::size_t>(s)];
    k *= st.To;
    if (st.type == core::ptFLP) k *= st.p;
    if (st.type == core::ptSLP) k *= st.wp * st.wp;
    if (st.type == core::ptSBP) k *= st.wp / st.Qp;
  }
  return k;
}

}  // namespace

SlotRoots RootsOfSlot(const core::DesignState& state, int slot) {
  SlotRoots out;
  RootsOfSlot(state, slot, out);
  return out;
}

void RootsOfSlot(const core::DesignState& state, int slot, SlotRoots& out) {
  out.poles.clear();
  out.zeros.clear();
  const core::ApproxResult& r = state.results[slot];
  for (int k = 1; k <= r.polePairs; ++k) {
    const core::PoleRoot& p = state.poleRoots[slot][k];
    out.poles.emplace_back(-p.sigma, p.omega);
    out.poles.emplace_back(-p.sigma, -p.omega);
  }
  if (r.hasRealPole) out.poles.emplace_back(-r.realPole, 0.0);
  if (r.hasSecondRealPole) out.poles.emplace_back(-r.secondRealPole, 0.0);
  for (int k = 1; k <= r.zeroPairs; ++k) {
    const double wz = state.zeroRoots[slot][k].wz;
    out.zeros.emplace_back(0.0, wz);
    out.zeros.emplace_back(0.0, wz == 0 ? 0.0 : -wz);
  }
  if (state.spec.kind == core::FilterKind::UserDefined && slot == 0) {
    // One zero at the origin per first-order highpass or bandpass section, and the
    // constant of the product of the sections: each brings its own scale beside its To.
    out.zeros.insert(out.zeros.end(), static_cast<std::size_t>(core::SingleZerosAtOrigin(state, slot)), 0.0);
    out.gain = UserGainConstant(state);
    return;
  }
  // 0 - 0 is +0: a zero at the origin never reads as -0.
  if (r.hasSingleZero) out.zeros.emplace_back(r.singleZero == 0 ? 0.0 : -r.singleZero, 0.0);
  out.gain = TrueGainConstant(state, slot);
}

}  // namespace tavrin::approx
