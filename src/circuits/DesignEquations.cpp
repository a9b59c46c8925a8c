#include "circuits/DesignEquations.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "circuits/StandardValues.h"

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
  // wp arrives as 2 pi f, so a figure meant to be a round 20000 Hz can come out a few
  // units in the last place below it; the digit is read with that rounding allowed for,
  // or 20000 would drop to 15000.
  const double raw = std::abs(20.0 * a * wp) / (2.0 * std::numbers::pi);
  int k = 0;
  while (raw / Pow10i(k) > 9.9999) ++k;
  const double g = raw / Pow10i(k) * (1 + 1e-12);
  const double whole = std::floor(g);
  return (g - whole >= 0.5 ? whole + 0.5 : whole) * Pow10i(k);
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

double EqualCapacitorLoop(DesignContext& ctx, double aw, double aq) {
  core::CircuitRecord& cr = ctx.cr;
  Cv(cr, 2) = Cv(cr, 1);
  cr.CapRatio = 1;
  cr.GbwCoefWp = aw;
  cr.GbwCoefQp = aq;
  GbwTargets(ctx);
  return 1 / (Cv(cr, 1) * cr.DesignWp);
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

bool PartsRealisable(const core::CircuitRecord& cr) {
  bool ok = true;
  for (int k = 1; k <= cr.ResistorCount; ++k) {
    const double r = cr.R[static_cast<std::size_t>(k)].Value;
    ok = ok && r > 0 && std::isfinite(r);
  }
  for (int k = 1; k <= cr.CapacitorCount; ++k) {
    const double c = cr.C[static_cast<std::size_t>(k)].Value;
    ok = ok && c > 0 && std::isfinite(c);
  }
  return ok;
}

void FixGain(core::CircuitRecord& cr, double k) {
  cr.CircuitGain = k;
  cr.SecondGain = k;
  cr.GainConstrained = true;
}

void AppendCompensationCopies(core::CircuitRecord& cr, int feedback, int ground) {
  const int n = cr.ResistorCount;
  Rv(cr, n + 1) = Rv(cr, feedback);
  Rv(cr, n + 2) = Rv(cr, ground);
  cr.ResistorCount = static_cast<std::int16_t>(n + 2);
}

}  // namespace tavrin::circuits
