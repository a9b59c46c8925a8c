// Shared by the stage tests: slots built by hand with chosen roots, and each stage's own
// transfer function written from its type and values (not from the code under test).
#pragma once

#include <cmath>
#include <complex>
#include <initializer_list>
#include <memory>
#include <utility>

#include "core/DesignState.h"

namespace tavrin::stages::testing {

struct PairSpec {
  double Q;
  double w0;
};

// Slot 0 made current with the given pole pairs, zero pairs (wz, 0 = origin), real poles
// and single zero; the counts are set as the approximations set them.
inline std::unique_ptr<core::DesignState> HandMadeSlot(std::initializer_list<PairSpec> pairs,
                                                       std::initializer_list<double> zeros,
                                                       std::initializer_list<double> realPoles = {},
                                                       bool singleZero = false) {
  auto state = std::make_unique<core::DesignState>();
  core::ResetDesign(*state);
  core::SetCurrentSlot(*state, 0);
  core::ApproxResult& r = state->results[0];
  int k = 0;
  for (const PairSpec& p : pairs) {
    ++k;
    state->polePairs[0][static_cast<std::size_t>(k)].Q = p.Q;
    state->polePairs[0][static_cast<std::size_t>(k)].w0 = p.w0;
    const double sigma = p.w0 / (2 * p.Q);
    state->poleRoots[0][static_cast<std::size_t>(k)].sigma = sigma;
    state->poleRoots[0][static_cast<std::size_t>(k)].omega = std::sqrt(p.w0 * p.w0 - sigma * sigma);
  }
  r.polePairs = static_cast<std::int16_t>(k);
  k = 0;
  for (double wz : zeros) {
    ++k;
    state->zeroRoots[0][static_cast<std::size_t>(k)].wz = wz;
    state->zeroPairs[0][static_cast<std::size_t>(k)].wz2 = wz * wz;
  }
  r.zeroPairs = static_cast<std::int16_t>(k);
  const auto* it = realPoles.begin();
  if (realPoles.size() >= 1) {
    r.hasRealPole = true;
    r.realPole = *it++;
  }
  if (realPoles.size() == 2) {
    r.hasSecondRealPole = true;
    r.secondRealPole = *it;
  }
  r.hasSingleZero = singleZero;
  r.singleZero = 0;
  return state;
}

// H(jw) of one stage from its type, wp, Qp, wz, p and To.
inline std::complex<double> StageResponse(const core::Stage& st, double w) {
  const std::complex<double> s(0.0, w);
  const std::complex<double> d = s * s + (st.wp / st.Qp) * s + st.wp * st.wp;
  switch (st.type) {
    case core::ptFLP:
      return st.To * st.p / (s + st.p);
    case core::ptFHP:
      return st.To * s / (s + st.p);
    case core::ptSLP:
      return st.To * st.wp * st.wp / d;
    case core::ptSHP:
      return st.To * s * s / d;
    case core::ptSBP:
      return st.To * (st.wp / st.Qp) * s / d;
    default:
      return st.To * (s * s + st.wz * st.wz) / d;
  }
}

}  // namespace tavrin::stages::testing
