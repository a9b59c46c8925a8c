// Shared by the approximation tests: running Calculate on entries as the window would
// give them, and evaluating a slot's transfer function H(jw) from its poles and zeros.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "approx/BesselRootTable.h"
#include "approx/Calculate.h"
#include "approx/SlotRoots.h"
#include "approx/SpecEntry.h"
#include "core/DesignState.h"

namespace tavrin::approx::testing {

inline std::filesystem::path BuiltBesselTable() {
  return std::filesystem::path(TAVRIN_BUILD_DATA_DIR) / kBesselTableFileName;
}

// Entries of a kind in rad/s: pass/stop are edges (LP/HP) or bandwidths (BP/BS).
inline SpecEntries Entries(core::FilterKind kind, const std::string& apb, const std::string& asb,
                           const std::string& pass, const std::string& stop, const std::string& center = "2",
                           EntryUnit unit = EntryUnit::RadPerSec) {
  SpecEntries e = DefaultEntries(kind, core::FrequencyUnit::RadPerSec, false);
  e.apb = apb;
  e.asb = asb;
  e.pass = pass;
  e.stop = stop;
  e.center = center;
  e.passUnit = e.stopUnit = e.centerUnit = unit;
  return e;
}

inline SpecEntries Forced(SpecEntries e, int order) {
  e.forceOrder = true;
  e.order = std::to_string(order);
  return e;
}

struct Run {
  std::unique_ptr<core::DesignState> state = std::make_unique<core::DesignState>();
  CalculateOutcome outcome;
};

inline Run Calc(const SpecEntries& entries, const std::filesystem::path& table = BuiltBesselTable()) {
  Run run;
  core::ResetDesign(*run.state);
  CalculateRequest request;
  request.entries = entries;
  request.besselTable = table;
  run.outcome = Calculate(*run.state, request);
  return run;
}

inline std::complex<double> Response(const SlotRoots& r, double w) {
  const std::complex<double> s(0.0, w);
  std::complex<double> h(r.gain, 0.0);
  std::size_t i = 0;
  for (; i < r.zeros.size() && i < r.poles.size(); ++i) h *= (s - r.zeros[i]) / (s - r.poles[i]);
  for (; i < r.poles.size(); ++i) h /= (s - r.poles[i]);
  for (; i < r.zeros.size(); ++i) h *= (s - r.zeros[i]);
  return h;
}

inline double AttenuationDb(const SlotRoots& r, double w) {
  return -20.0 * std::log10(std::abs(Response(r, w)));
}

// The largest |H| over [a, b] (b may be infinite): dense sampling, then a golden-section
// refinement around the best sample, so that equiripple peaks are found to many digits.
inline double MaxMagnitude(const SlotRoots& r, double a, double b) {
  // Points are placed on t in [0, 1]; an infinite band is reached through w = a / (1 - t).
  const bool infinite = std::isinf(b);
  auto at = [&](double t) {
    if (infinite) return t >= 1.0 ? 1e300 : a / (1.0 - t);
    return a + (b - a) * t;
  };
  auto mag = [&](double t) {
    const double w = at(t);
    if (w >= 1e300) return std::abs(Response(r, 1e12 * std::max(a, 1.0)));
    return std::abs(Response(r, w));
  };
  constexpr int kSamples = 4000;
  int best = 0;
  double bestValue = -1;
  for (int i = 0; i <= kSamples; ++i) {
    const double v = mag(static_cast<double>(i) / kSamples);
    if (v > bestValue) {
      bestValue = v;
      best = i;
    }
  }
  double lo = std::max(0, best - 1) / static_cast<double>(kSamples);
  double hi = std::min(kSamples, best + 1) / static_cast<double>(kSamples);
  const double g = (std::sqrt(5.0) - 1) / 2;
  for (int it = 0; it < 80; ++it) {
    const double x1 = hi - g * (hi - lo);
    const double x2 = lo + g * (hi - lo);
    if (mag(x1) > mag(x2)) {
      hi = x2;
    } else {
      lo = x1;
    }
  }
  return std::max(bestValue, mag((lo + hi) / 2));
}

// Band edges of a bandpass or bandstop around w0: the two frequencies bw apart whose
// geometric mean is w0.
inline std::pair<double, double> BandEdges(double w0, double bw) {
  const double hi = bw / 2 + std::sqrt(bw * bw / 4 + w0 * w0);
  return {w0 * w0 / hi, hi};
}

// Every real the design state holds for the approximations is finite.
inline bool AllFinite(const core::DesignState& st) {
  auto ok = [](double x) { return std::isfinite(x); };
  const core::FilterSpec& s = st.spec;
  for (double x : {s.apb, s.asb, s.wpb, s.wsb, s.bp, s.bs, s.w0, s.selectivity, s.overallGain})
    if (!ok(x)) return false;
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    const core::ApproxResult& r = st.results[slot];
    for (double x :
         {r.realPoleNorm, r.realPole, r.secondRealPole, r.singleZero, r.gain, r.gainNorm, r.largestPoleQ})
      if (!ok(x)) return false;
    for (int k = 0; k <= core::kMaxEntries; ++k) {
      const auto& pp = st.polePairs[slot][k];
      const auto& pr = st.poleRoots[slot][k];
      for (double x : {pp.b1Norm, pp.b0Norm, pp.b1, pp.b0, pp.w0, pp.Q, pr.sigmaNorm, pr.omegaNorm, pr.sigma,
                       pr.omega, st.zeroPairs[slot][k].wz2Norm, st.zeroPairs[slot][k].wz2,
                       st.zeroRoots[slot][k].wzNorm, st.zeroRoots[slot][k].wz})
        if (!ok(x)) return false;
    }
  }
  return true;
}

}  // namespace tavrin::approx::testing
