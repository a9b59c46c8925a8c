#include "approx/Bessel.h"

#include <array>
#include <cmath>

#include "approx/OrderEstimation.h"
#include "approx/Prototype.h"
#include "core/MathHelpers.h"

namespace tavrin::approx {

namespace {

constexpr double kEdgeTolerance = 1e-4;  // dB
constexpr int kMaxDoublings = 1100;      // past the largest double: the loop always ends sooner

// Squared magnitude of the all-pole response with unit DC gain at w, from the poles of a
// row scaled by 1/scale.  The search compares squared magnitudes with the levels that
// correspond to its attenuation thresholds, which decides exactly as comparing
// attenuations in dB would, without a square root per factor or a logarithm per step.
double MagnitudeSquared(const BesselRootTable& table, int order, double w, double scale) {
  const auto& row = table.rows[order];
  const double w2 = w * w;
  double p = 1.0;
  int j = 0;
  if (order % 2 != 0) {
    const double r = row[0].sigma / scale;
    p *= r * r / (w2 + r * r);
    j = 1;
  }
  for (int k = 0; k < order / 2; ++k, ++j) {
    const double s = row[j].sigma / scale;
    const double o = row[j].omega / scale;
    const double s2 = s * s;
    const double m = s2 + o * o;
    p *= (m * m) / ((s2 + (w - o) * (w - o)) * (s2 + (w + o) * (w + o)));
  }
  return p;
}

// The factors of one row at scale 1 that do not depend on w.  The edge search evaluates
// the same row at some twenty frequencies per order; taking these out of the loop saves
// two divisions of three per pair.  Every value is formed by the same operations as in
// MagnitudeSquared (x / 1.0 is x), so the search sees exactly the same numbers.
struct RowTerms {
  int pairs = 0;
  bool hasRealPole = false;
  double r2 = 0;                               // real pole squared
  std::array<double, kBesselRowEntries> s2{};  // sigma squared
  std::array<double, kBesselRowEntries> o{};   // omega
  std::array<double, kBesselRowEntries> mm{};  // (sigma^2 + omega^2)^2
};

RowTerms TermsOf(const BesselRootTable& table, int order) {
  const auto& row = table.rows[order];
  RowTerms t;
  t.pairs = order / 2;
  int j = 0;
  if (order % 2 != 0) {
    t.hasRealPole = true;
    t.r2 = row[0].sigma * row[0].sigma;
    j = 1;
  }
  for (int k = 0; k < t.pairs; ++k, ++j) {
    const double s = row[j].sigma;
    const double o = row[j].omega;
    const double s2 = s * s;
    const double m = s2 + o * o;
    t.s2[k] = s2;
    t.o[k] = o;
    t.mm[k] = m * m;
  }
  return t;
}

// MagnitudeSquared(table, order, w, 1.0), from the row's terms.
double MagnitudeSquared(const RowTerms& t, double w) {
  const double w2 = w * w;
  double p = 1.0;
  if (t.hasRealPole) p *= t.r2 / (w2 + t.r2);
  for (int k = 0; k < t.pairs; ++k) {
    const double s2 = t.s2[k];
    const double o = t.o[k];
    p *= t.mm[k] / ((s2 + (w - o) * (w - o)) * (s2 + (w + o) * (w + o)));
  }
  return p;
}

// The squared magnitudes at which the attenuation is apb and apb -/+ the tolerance.
struct EdgeLevels {
  double atApb;
  double above;  // attenuation apb - tolerance: relative attenuation +tolerance
  double below;  // attenuation apb + tolerance
};

EdgeLevels LevelsFor(double apb) {
  return {core::Pow10(-apb / 10.0), core::Pow10(-(apb - kEdgeTolerance) / 10.0),
          core::Pow10(-(apb + kEdgeTolerance) / 10.0)};
}

double EdgeFrequency(const BesselRootTable& table, int order, const EdgeLevels& levels) {
  const RowTerms terms = TermsOf(table, order);
  double lo = 0;
  double hi = 1;
  double m = MagnitudeSquared(terms, hi);
  if (m == levels.atApb) return 1.0;
  for (int i = 0; m > levels.atApb && i < kMaxDoublings; ++i) {
    lo = hi;
    hi = 2 * hi;
    m = MagnitudeSquared(terms, hi);
  }
  double last = hi;
  while (m > levels.above || m < levels.below) {
    const double mid = lo + (hi - lo) / 2;
    if (mid == lo || mid == hi) break;  // the bracket is one step wide: nothing left to halve
    m = MagnitudeSquared(terms, mid);
    last = mid;
    if (m > levels.atApb) lo = mid;
    if (m < levels.atApb) hi = mid;
  }
  return last;
}

}  // namespace

double BesselRelativeAttenuation(const BesselRootTable& table, int order, double w, double apb) {
  return 10.0 * core::Log10(MagnitudeSquared(table, order, w, 1.0)) + apb;
}

double BesselEdgeFrequency(const BesselRootTable& table, int order, double apb) {
  return EdgeFrequency(table, order, LevelsFor(apb));
}

bool DesignBessel(core::DesignState& state, const BesselRootTable& table) {
  constexpr int slot = static_cast<int>(core::Approximation::Bessel);
  const core::FilterSpec& spec = state.spec;
  int n = 0;
  double we = 1;
  if (spec.forceOrder) {
    n = ForcedPrototypeOrder(spec);
    if (!SetOrderFields(state, slot, n)) return false;
    we = BesselEdgeFrequency(table, n, spec.apb);
  } else {
    // The first order whose attenuation at the stopband edge K reaches asb.
    const EdgeLevels levels = LevelsFor(spec.apb);
    const double stopLevel = core::Pow10(-spec.asb / 10.0);
    n = kBesselTableOrders + 1;
    for (int candidate = 1; candidate <= kBesselTableOrders; ++candidate) {
      const double e = EdgeFrequency(table, candidate, levels);
      if (MagnitudeSquared(table, candidate, spec.selectivity, e) <= stopLevel) {
        n = candidate;
        we = e;
        break;
      }
    }
    if (!SetOrderFields(state, slot, n)) return false;
  }

  core::ApproxResult& r = state.results[slot];
  const auto& row = table.rows[n];
  const int first = r.hasRealPole ? 1 : 0;
  double gain = 1.0;
  for (int k = 1; k <= r.polePairs; ++k) {
    const BesselRootEntry& e = row[k - 1 + first];
    gain *= WritePrototypePair(state, slot, k, e.sigma / we, e.omega / we);
  }
  if (r.hasRealPole) {
    r.realPoleNorm = row[0].sigma / we;
    gain *= r.realPoleNorm;
  }
  r.gainNorm = gain;
  return true;
}

}  // namespace tavrin::approx
