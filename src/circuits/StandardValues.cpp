#include "circuits/StandardValues.h"

#include "circuits/Inventory.h"

#include <array>
#include <cmath>

namespace tavrin::circuits {

namespace {

constexpr std::array<int, 96> kE96 = {
    100, 102, 105, 107, 110, 113, 115, 118, 121, 124, 127, 130, 133, 137, 140, 143, 147, 150, 154, 158,
    162, 165, 169, 174, 178, 182, 187, 191, 196, 200, 205, 210, 215, 221, 226, 232, 237, 243, 249, 255,
    261, 267, 274, 280, 287, 294, 301, 309, 316, 324, 332, 340, 348, 357, 365, 374, 383, 392, 402, 412,
    422, 432, 442, 453, 464, 475, 487, 499, 511, 523, 536, 549, 562, 576, 590, 604, 619, 634, 649, 665,
    681, 698, 715, 732, 750, 768, 787, 806, 825, 845, 866, 887, 909, 931, 953, 976};
constexpr std::array<int, 24> kE24 = {100, 110, 120, 130, 150, 160, 180, 200, 220, 240, 270, 300,
                                      330, 360, 390, 430, 470, 510, 560, 620, 680, 750, 820, 910};
constexpr std::array<int, 12> kE12 = {100, 120, 150, 180, 220, 270, 330, 390, 470, 560, 680, 820};

constexpr std::array<double, 23> kPowers = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool Usable(double v) {
  return std::isfinite(v) && v > 0;
}

// value / 10^k with a single rounding.
double Unscale(double value, int k) {
  return k >= 0 ? value / Pow10i(k) : value * Pow10i(-k);
}
// value x 10^k with a single rounding.
double Scale(double value, int k) {
  return k >= 0 ? value * Pow10i(k) : value / Pow10i(-k);
}

// Mantissa m in [100, 1000) and k with value = m x 10^k.
void Normalise(double value, double& m, int& k) {
  k = static_cast<int>(std::floor(std::log10(value))) - 2;
  m = Unscale(value, k);
  while (m >= 1000) m = Unscale(value, ++k);
  while (m < 100) m = Unscale(value, --k);
}

int FirstAtOrAbove(std::span<const int> list, double v) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] >= v) return static_cast<int>(i);
  }
  return static_cast<int>(list.size());
}

}  // namespace

std::span<const int> SeriesValues(Series series) {
  switch (series) {
    case Series::E96:
      return kE96;
    case Series::E24:
      return kE24;
    case Series::E12:
      break;
  }
  return kE12;
}

int SeriesSize(Series series) {
  return static_cast<int>(SeriesValues(series).size());
}

Series SeriesFor(double tolerancePercent) {
  if (tolerancePercent <= 1) return Series::E96;
  if (tolerancePercent <= 5) return Series::E24;
  return Series::E12;
}

bool HasMembershipSeries(double tolerancePercent) {
  return tolerancePercent <= 10;
}

double Pow10i(int k) {
  if (k >= 0 && k < static_cast<int>(kPowers.size())) return kPowers[static_cast<std::size_t>(k)];
  return std::pow(10.0, k);
}

SeriesMatch IsStandardResistor(double value, double tolerancePercent) {
  if (!HasMembershipSeries(tolerancePercent)) return {};
  return IsStandardResistor(value, SeriesFor(tolerancePercent));
}

SeriesMatch IsStandardResistor(double value, Series series) {
  if (!Usable(value)) return {};
  double m = 0;
  int k = 0;
  Normalise(value, m, k);
  // The window is shifted a little below 100 and 1000 so that a value a hair under a
  // decade boundary still meets the 100 of the next decade.
  while (m > 999.99) m = Unscale(value, ++k);
  while (m < 99.999) m = Unscale(value, --k);
  const std::span<const int> list = SeriesValues(series);
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (std::fabs(list[i] - m) < 0.001) return {true, static_cast<int>(i), k};
  }
  return {false, 0, k};
}

SeriesMatch IsStandardCapacitor(double value) {
  if (!Usable(value)) return {};
  int k = 0;
  if (value < 99.999) {
    k = std::max(0, static_cast<int>(std::floor(std::log10(99.999 / value))));
    while (k > 0 && Scale(value, k - 1) >= 99.999) --k;
    while (Scale(value, k) < 99.999) ++k;
  }
  const double m = Scale(value, k);
  for (std::size_t i = 0; i < kE12.size(); ++i) {
    if (std::fabs(kE12[i] - m) < 0.01) return {true, static_cast<int>(i), k};
  }
  return {false, 0, k};
}

double E12Capacitor(int index, int decade) {
  return Unscale(kE12[static_cast<std::size_t>(index)], decade);
}

E12Choice NearestCapacitor(double exactValue) {
  if (!Usable(exactValue)) return {};
  double m = 0;
  int k = 0;
  Normalise(exactValue, m, k);
  const int decade = -k;  // capacitor convention: value = mantissa / 10^decade
  // The list is extended by 1000, the 100 of the next decade up.
  const int i = FirstAtOrAbove(kE12, m);
  const double upperMantissa = i < 12 ? kE12[static_cast<std::size_t>(i)] : 1000.0;
  const int upperIndex = i < 12 ? i : 0;
  const int upperDecade = i < 12 ? decade : decade - 1;
  const double lowerMantissa = i > 0 ? kE12[static_cast<std::size_t>(i - 1)] : 82.0;
  const int lowerIndex = i > 0 ? i - 1 : 11;
  const int lowerDecade = i > 0 ? decade : decade + 1;
  // A value midway between two entries goes up; the margin keeps a tie a tie when the
  // mantissa carries a rounding error from the scaling.
  const double dLower = m - lowerMantissa;
  const double dUpper = upperMantissa - m;
  if (dLower < dUpper - 1e-9 * m) {
    return {lowerIndex, lowerDecade, E12Capacitor(lowerIndex, lowerDecade)};
  }
  return {upperIndex, upperDecade, E12Capacitor(upperIndex, upperDecade)};
}

void StepC2(core::CircuitRecord& cr, int mode) {
  const double c2 = cr.C[2].Value;
  if (!Usable(c2)) return;
  int k = 0;
  double v = c2;
  if (v < 99.999) {
    k = std::max(0, static_cast<int>(std::floor(std::log10(99.999 / c2))));
    while (k > 0 && Scale(c2, k - 1) >= 99.999) --k;
    while ((v = Scale(c2, k)) < 99.999) ++k;
  }
  // The search runs over E12 extended by 1000 (index 12, the 100 of the next decade), so
  // that a C2 between 820 and 1000 steps down to 820 and rounds up to 1000.
  int i = 12;
  for (int j = 0; j < 12; ++j) {
    if (kE12[static_cast<std::size_t>(j)] >= v - 0.01) {
      i = j;
      break;
    }
  }
  const double entry = i < 12 ? kE12[static_cast<std::size_t>(i)] : 1000.0;
  int index = i;
  if (std::fabs(entry - v) < 0.01) {
    index = mode == kStepUp ? i + 1 : mode == kStepDown ? i - 1 : i;
  } else {
    index = mode == kStepDown ? i - 1 : i;
  }
  if (index < 0) {
    index = 11;
    ++k;
  } else if (index > 11) {
    index = 0;
    --k;
  }
  cr.C2Index = static_cast<std::int16_t>(index);
  cr.C2Decade = k;
  cr.C[2].Value = E12Capacitor(index, k);
  if (cr.C[1].Value != 0) cr.CapRatio = cr.C[2].Value / cr.C[1].Value;
}

Neighbours SeriesNeighbours(double value, Series series) {
  if (!Usable(value)) return {value, value};
  if (IsStandardResistor(value, series).standard) return {value, value};
  double m = 0;
  int k = 0;
  Normalise(value, m, k);
  const std::span<const int> list = SeriesValues(series);
  const int n = static_cast<int>(list.size());
  const int i = FirstAtOrAbove(list, m);
  const double upper = i < n ? Scale(list[static_cast<std::size_t>(i)], k) : Scale(1000.0, k);
  const double lower = i > 0 ? Scale(list[static_cast<std::size_t>(i - 1)], k)
                             : Scale(list[static_cast<std::size_t>(n - 1)], k - 1);
  return {lower, upper};
}

double NearestStandardResistor(double value, Series series) {
  const Neighbours nb = SeriesNeighbours(value, series);
  return (value - nb.lower) < (nb.upper - value) ? nb.lower : nb.upper;
}

int SensSlotOfCode(int code) {
  constexpr std::array<int, 8> kSlot = {0, 1, 2, 7, 4, 3, 6, 5};
  return code >= 1 && code <= 7 ? kSlot[static_cast<std::size_t>(code)] : 0;
}

namespace {

bool InStockValue(const core::ComponentInventory& inv, double value, Series series) {
  const SeriesMatch m = IsStandardResistor(value, series);
  return m.standard && InResistorInventory(inv, series, m.index, m.decade);
}

// Walks the series from a value in one direction until a value in stock; 0 when there is
// none within the inventory's seven decades.
double StockedFrom(const core::ComponentInventory& inv, double start, Series series, bool up) {
  constexpr int kMaxSteps = 7 * 96 + 2;
  double v = start;
  for (int step = 0; step < kMaxSteps && Usable(v); ++step) {
    if (InStockValue(inv, v, series)) return v;
    const Neighbours next = SeriesNeighbours(up ? v * (1 + 1e-9) : v * (1 - 1e-9), series);
    v = up ? next.upper : next.lower;
  }
  return 0;
}

Neighbours StockNeighbours(const core::ComponentInventory& inv, double value, Series series) {
  const Neighbours plain = SeriesNeighbours(value, series);
  double lower = StockedFrom(inv, plain.lower, series, false);
  double upper = StockedFrom(inv, plain.upper, series, true);
  if (lower == 0 && upper == 0) return plain;
  if (lower == 0) lower = upper;
  if (upper == 0) upper = lower;
  return {lower, upper};
}

}  // namespace

SubstitutionResult SubstituteStandardResistors(core::CircuitRecord& cr, double rTolerance,
                                               SubstStrategy strategy, const CombinationSearchInput* search,
                                               const core::ComponentInventory* stock) {
  const Series series = SeriesFor(rTolerance);
  const int count = std::min<int>(cr.ResistorCount, core::kResistors);
  SubstitutionResult result;

  std::array<bool, core::kResistors + 1> takesPart{};
  std::array<Neighbours, core::kResistors + 1> nb{};
  for (int i = 1; i <= count; ++i) {
    core::ComponentEntry& r = cr.R[static_cast<std::size_t>(i)];
    if (r.UserAssigned || !Usable(r.Value)) continue;
    r.PreStandardValue = r.Value;
    r.IsStandard = true;
    const bool standard = IsStandardResistor(r.Value, series).standard;
    if (standard && (stock == nullptr || InStockValue(*stock, r.Value, series))) continue;  // keeps its value
    takesPart[static_cast<std::size_t>(i)] = true;
    nb[static_cast<std::size_t>(i)] =
        stock != nullptr ? StockNeighbours(*stock, r.Value, series) : SeriesNeighbours(r.Value, series);
  }

  std::vector<int> listed;
  std::array<bool, core::kResistors + 1> searched{};
  if (strategy == SubstStrategy::Strategy1 && search != nullptr) {
    for (int j : search->listed) {
      if (j < 1 || j > count) continue;
      const auto u = static_cast<std::size_t>(j);
      if (!takesPart[u] || searched[u]) continue;
      searched[u] = true;
      listed.push_back(j);
    }
  }

  if (!listed.empty()) {
    const int slotWp = SensSlotOfCode(1);
    const int slotQp = SensSlotOfCode(2);
    const int slotK = SensSlotOfCode(3);
    const int slotWz = SensSlotOfCode(4);
    const std::size_t n = listed.size();
    const unsigned long combinations = 1UL << n;
    double best = 1e30;
    unsigned long kept = 0;
    for (unsigned long comb = 0; comb < combinations; ++comb) {
      double eWp = 0, eQp = 0, eK = 0, eWz = 0;
      for (std::size_t j = 0; j < n; ++j) {
        const auto i = static_cast<std::size_t>(listed[j]);
        const core::ComponentEntry& r = cr.R[i];
        const double candidate = (comb >> j) & 1UL ? nb[i].upper : nb[i].lower;
        const double d = (candidate - r.Value) / r.Value;
        eWp += r.Sens[static_cast<std::size_t>(slotWp)] * d;
        eQp += r.Sens[static_cast<std::size_t>(slotQp)] * d;
        eK += r.Sens[static_cast<std::size_t>(slotK)] * d;
        eWz += r.Sens[static_cast<std::size_t>(slotWz)] * d;
      }
      const double e = std::fabs(search->w1 * eWp + search->w2 * eQp + search->w3 * eWz + eK);
      if (e < best) {
        best = e;
        kept = comb;
      }
    }
    for (std::size_t j = 0; j < n; ++j) {
      const auto i = static_cast<std::size_t>(listed[j]);
      cr.R[i].Value = (kept >> j) & 1UL ? nb[i].upper : nb[i].lower;
    }
    result.combinations = static_cast<int>(combinations);
  }

  for (int i = 1; i <= count; ++i) {
    const auto u = static_cast<std::size_t>(i);
    if (!takesPart[u]) continue;
    ++result.substituted;
    if (searched[u]) continue;
    core::ComponentEntry& r = cr.R[u];
    r.Value = (r.Value - nb[u].lower) < (nb[u].upper - r.Value) ? nb[u].lower : nb[u].upper;
  }
  return result;
}

void MarkResistorStandard(core::ComponentEntry& r, double rTolerancePercent) {
  if (r.UserAssigned) {
    r.IsStandard = IsStandardResistor(r.UserValue, rTolerancePercent).standard;
    return;
  }
  r.IsStandard = r.PreStandardValue > 0 && IsStandardResistor(r.Value, SeriesFor(rTolerancePercent)).standard;
}

}  // namespace tavrin::circuits
