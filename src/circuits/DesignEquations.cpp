#include "circuits/DesignEquations.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace tavrin::circuits {

namespace {

using Family = std::span<const DesignEntry> (*)();

constexpr std::array<Family, 15> kFamilies = {
    FirstOrderDesigns,     SallenKeyDesigns,           MultipleFeedbackDesigns, DeliyannisDesigns,
    FliegeDesigns,         BachDesigns,                TwinTDesigns,            KhnDesigns,
    TowThomasDesigns,      MikhaelBhattacharyyaDesigns, BerkaHerpyDesigns,      AkerbergMossbergDesigns,
    FriendSabDesigns,      ScultetyDesigns,            BoctorDesigns,
};

}  // namespace

const DesignEntry* FindDesign(int stageType, int circuitNumber) {
  for (Family family : kFamilies) {
    for (const DesignEntry& entry : family()) {
      if (entry.stageType == stageType && entry.number == circuitNumber) return &entry;
    }
  }
  return nullptr;
}

double RecommendedGbw(double aw, double aq, double wp) {
  const double a = std::abs(aw) >= std::abs(aq) ? aw : aq;
  // The GBW at which the first-order shift reaches 5 percent, kept to a half step of its
  // leading digit so the figure reads as a part one can buy.
  double g = std::abs(20.0 * a * wp) / (2.0 * std::numbers::pi);
  int k = 0;
  while (g > 9.9999) {
    g /= 10.0;
    ++k;
  }
  const double whole = std::floor(g);
  g = g - whole >= 0.5 ? whole + 0.5 : whole;
  for (int i = 0; i < k; ++i) g *= 10.0;
  return g;
}

void GbwTargets(DesignContext& ctx) {
  core::CircuitRecord& cr = ctx.cr;
  const double wp = ctx.target.wp;
  const double qp = ctx.target.Qp;
  const double aw = cr.GbwCoefWp;
  const double aq = cr.GbwCoefQp;
  const double twoPiFt = 2.0 * std::numbers::pi * cr.OpAmpGbw;
  if (cr.Predistort) {
    cr.DesignWp = wp + aw * wp * wp / twoPiFt;
    cr.DesignQp = qp + aq * wp * qp / twoPiFt;
  } else {
    cr.DesignWp = wp;
    cr.DesignQp = qp;
  }
  cr.GbwDeviation = wp * std::sqrt((aq / (2.0 * qp)) * (aq / (2.0 * qp)) + aw * aw) / twoPiFt;
  cr.MinGbw = RecommendedGbw(aw, aq, wp);
}

double ResistorSpread(const core::CircuitRecord& cr) {
  double largest = 0;
  double smallest = 0;
  for (int k = 1; k <= cr.ResistorCount && k <= core::kResistors; ++k) {
    const double v = cr.R[static_cast<std::size_t>(k)].Value;
    if (k == 1 || v > largest) largest = v;
    if (k == 1 || v < smallest) smallest = v;
  }
  if (smallest <= 0) return 2000000000.0;
  const double ratio = largest / smallest;
  return ratio > 2e9 ? 2000000000.0 : std::round(ratio);
}

}  // namespace tavrin::circuits
