#include "circuits/DesignStage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "analysis/Dual.h"
#include "analysis/GainSensitivity.h"
#include "analysis/StagePolynomials.h"
#include "analysis/WorkingVectors.h"
#include "circuits/Catalogue.h"
#include "circuits/DcAttenuation.h"
#include "circuits/DesignEquations.h"
#include "core/RecordParts.h"

namespace tavrin::circuits {

namespace {

using core::At;
using core::ResistorsOf;
using core::CapacitorsOf;
using core::IsNotchType;
using core::IsUsableValue;

using analysis::Dual;

constexpr double kScaleLimit = 100000.0;  // ohms, either resistor of a scale pair
// A scale resistor counts as the E24 value it names up to rounding, not beyond.
constexpr double kNamed = 1 + 1e-9;

// Active compensation exists only where the circuit offers it.
bool Compensated(const core::CircuitRecord& cr) {
  return cr.ActiveComp && cr.ActiveCompAvailable;
}

// The circuit's own resistors, before any that active compensation appends as copies.
// A follower's compensation adds none, so "the last two" would be its own R1 and R2.
int OwnResistors(const core::CircuitRecord& cr) {
  const int n = ResistorsOf(cr);
  if (IsValidCircuitId(cr.CircuitId)) return std::min(n, Descriptor(cr.CircuitId).resistors);
  return Compensated(cr) ? std::max(0, n - 2) : n;
}


// E24 at (index, decade) in the scale pair's convention: 10 kOhm is index 0, decade 3.
double ScaleValue(int index, int decade) {
  return SeriesValues(Series::E24)[At(index)] * Pow10i(decade - 1);
}

// The recorded position is trusted when it names the resistor's value; otherwise the
// largest E24 value not above the resistor is taken.
void SyncScalePosition(core::CircuitRecord& cr, double value) {
  const int count = SeriesSize(Series::E24);
  if (cr.ScaleIndex >= 0 && cr.ScaleIndex < count) {
    const double named = ScaleValue(cr.ScaleIndex, cr.ScaleDecade);
    if (value * kNamed >= named && value <= named * kNamed) return;
  }
  int decade = 3;
  while (ScaleValue(0, decade) > value * kNamed) --decade;
  while (ScaleValue(0, decade + 1) <= value * kNamed) ++decade;
  int index = 0;
  while (index + 1 < count && ScaleValue(index + 1, decade) <= value * kNamed) ++index;
  cr.ScaleIndex = static_cast<std::int16_t>(index);
  cr.ScaleDecade = static_cast<std::int16_t>(decade);
}

// A component's parameters and their derivatives along one seeded direction.
struct Read {
  double wp = 0, Qp = 0, K = 0, wz = 0, depth = 0, pa = 0, pb = 0;
};

// The relative sensitivity x dP/dx / P of a Dual P seeded with dx = 1.
double Rel(const Dual& p, double x) {
  return p.value == 0 ? 0 : x * p.derivative / p.value;
}

// The monic cubic s^3 + c2 s^2 + c1 s + c0 as (s - r)(s^2 + q1 s + q0), where the real
// root r is the one ParametersOf took out (r = -c0 / q0 with its q0); the derivatives of
// r, q1 and q0 follow from f(r) = 0.
struct Factored {
  Dual r, q1, q0;
};

Factored Factor(const std::array<Dual, 4>& c, double q0Value) {
  const double r = -c[0].value / q0Value;
  const double df = (3 * r + 2 * c[2].value) * r + c[1].value;
  const double dr = df == 0 ? 0 : -((r * c[2].derivative + c[1].derivative) * r + c[0].derivative) / df;
  Factored f;
  f.r = Dual(r, dr);
  f.q1 = c[2] + f.r;
  f.q0 = -c[0] / f.r;
  return f;
}

std::array<Dual, 4> Monic(const std::array<Dual, 4>& p) {
  std::array<Dual, 4> c{};
  for (std::size_t i = 0; i < 3; ++i) c[i] = p[i] / p[3];
  c[3] = Dual(1);
  return c;
}

Read ReadSensitivities(const analysis::StagePolynomialsT<Dual>& p, const analysis::StageParameters& at,
                       int type, double x) {
  Read s;
  s.K = Rel(p.K, x);
  if (type == core::ptFLP || type == core::ptFHP) {
    s.wp = Rel(p.b[0] / p.b[1], x);
    return s;
  }
  if (!at.wp) {
    // no complex pole pair to have a frequency or Q
  } else if (p.b[3].value != 0) {
    const Factored d = Factor(Monic(p.b), *at.wp * *at.wp);
    s.wp = 0.5 * Rel(d.q0, x);
    s.Qp = 0.5 * Rel(d.q0, x) - Rel(d.q1, x);
    s.pa = Rel(d.r, x);
  } else {
    s.wp = 0.5 * (Rel(p.b[0], x) - Rel(p.b[2], x));
    s.Qp = 0.5 * (Rel(p.b[0], x) + Rel(p.b[2], x)) - Rel(p.b[1], x);
  }
  if (!IsNotchType(type)) return s;
  if (p.a[3].value != 0) {
    if (!at.wz) return s;  // no zero pair to factor out of the cubic numerator
    const Factored n = Factor(Monic(p.a), *at.wz * *at.wz);
    s.wz = 0.5 * Rel(n.q0, x);
    s.depth = x * n.q1.derivative;
    s.pb = Rel(n.r, x);
  } else if (p.a[2].value != 0) {
    if (at.wz) s.wz = 0.5 * (Rel(p.a[0], x) - Rel(p.a[2], x));
    s.depth = x * (p.a[1] / p.a[2]).derivative;
  }
  return s;
}

void ClearSlots(core::CircuitRecord& cr) {
  for (core::ComponentEntry& r : cr.R) r.Sens.fill(0);
  for (core::ComponentEntry& c : cr.C) c.Sens.fill(0);
}

void Store(core::ComponentEntry& e, const Read& s) {
  const auto put = [&e](int code, double v) { e.Sens[At(SensSlotOfCode(code))] = std::isfinite(v) ? v : 0; };
  put(1, s.wp);
  put(2, s.Qp);
  put(3, s.K);
  put(4, s.wz);
  put(5, s.pa);
  put(6, s.pb);
  put(7, s.depth);
}

// Adds v (and, for a flagged component, v^2) into a sum's resistor or capacitor part.
void Add(core::SensitivitySum& sum, core::SensitivitySum& squares, bool capacitor, bool flagged, double v) {
  (capacitor ? sum.C : sum.R) += v;
  if (flagged) (capacitor ? squares.C : squares.R) += v * v;
}

}  // namespace

int ScaleResistorIndex(const core::CircuitRecord& cr) {
  return OwnResistors(cr);
}

void LimitScalePair(core::CircuitRecord& cr) {
  if (!cr.HasScalePair) return;
  const int s = ScaleResistorIndex(cr);
  const int n = ResistorsOf(cr);
  if (s < 2 || s > n) return;
  double& scale = cr.R[At(s)].Value;
  double& partner = cr.R[At(s - 1)].Value;
  if (!IsUsableValue(scale) || !IsUsableValue(partner)) return;  // a failed design has nothing to limit
  if (scale <= kScaleLimit && partner <= kScaleLimit) return;
  SyncScalePosition(cr, scale);
  const int last = SeriesSize(Series::E24) - 1;
  // Each step takes a tenth or so off; a pair so far out that it would need more steps than
  // this is left for the validity checks rather than walked below an ohm.
  for (int steps = 0; (scale > kScaleLimit || partner > kScaleLimit) && steps < 24 * 12; ++steps) {
    int index = cr.ScaleIndex - 1;
    int decade = cr.ScaleDecade;
    if (index < 0) {
      index = last;
      --decade;
    }
    cr.ScaleIndex = static_cast<std::int16_t>(index);
    cr.ScaleDecade = static_cast<std::int16_t>(decade);
    const double oldScale = scale;
    const double oldPartner = partner;
    scale = ScaleValue(index, decade);
    partner *= scale / oldScale;
    for (int j = s + 1; j <= n; ++j) {
      double& copy = cr.R[At(j)].Value;
      if (copy == oldScale) {
        copy = scale;
      } else if (copy == oldPartner) {
        copy = partner;
      }
    }
  }
}

void FillSensitivities(core::CircuitRecord& cr, int stageType) {
  ClearSlots(cr);
  if (cr.DesignFailed) return;
  const int type = stageType & 0x7F;
  const analysis::WorkingVectors v = analysis::LoadWorkingVectors(cr);
  const analysis::StageParameters at =
      analysis::ParametersOf(analysis::BuildStagePolynomials(v, type, cr.CircuitNumber), type);

  const int nr = ResistorsOf(cr);
  const int nc = CapacitorsOf(cr);
  std::array<double, core::kResistors + core::kCapacitors + 1> depth{};
  for (int k = 1; k <= nr + nc; ++k) {
    const bool capacitor = k > nr;
    const int index = capacitor ? k - nr : k;
    core::ComponentEntry& e = capacitor ? cr.C[At(index)] : cr.R[At(index)];
    if (!IsUsableValue(e.Value)) continue;
    const auto seeded = analysis::SeedDerivative(v, {capacitor, index});
    const Read s =
        ReadSensitivities(analysis::BuildStagePolynomials(seeded, type, cr.CircuitNumber), at, type, e.Value);
    Store(e, s);
    depth[At(k)] = std::isfinite(s.depth) ? s.depth : 0;
  }

  // The notch depth has no value of its own to be relative to (a perfect notch has no
  // s-term), so the figures are scaled among themselves; rounding residue far below the
  // largest is no sensitivity at all.
  double largest = 0;
  for (double d : depth) largest = std::max(largest, std::abs(d));
  double smallest = 0;
  for (double& d : depth) {
    if (std::abs(d) <= 1e-9 * largest) {
      d = 0;
    } else if (smallest == 0 || std::abs(d) < smallest) {
      smallest = std::abs(d);
    }
  }
  const std::size_t slot = At(SensSlotOfCode(7));
  for (int k = 1; k <= nr + nc; ++k) {
    const bool capacitor = k > nr;
    core::ComponentEntry& e = capacitor ? cr.C[At(k - nr)] : cr.R[At(k)];
    e.Sens[slot] = smallest > 0 ? depth[At(k)] / smallest : 0;
  }
}

void SumStageSensitivities(core::CircuitRecord& cr, int stageType) {
  for (core::SensitivitySum* sum : {&cr.SumWp, &cr.SumQp, &cr.SumWz, &cr.SumPa, &cr.SumPb, &cr.SumSqWp,
                                    &cr.SumSqQp, &cr.SumSqWz, &cr.SumSqPa, &cr.SumSqPb})
    *sum = {};
  const int type = stageType & 0x7F;
  const bool second = type != core::ptFLP && type != core::ptFHP;
  const auto slot = [](int code) { return At(SensSlotOfCode(code)); };
  const auto addAll = [&](const core::ComponentEntry& e, bool capacitor) {
    Add(cr.SumWp, cr.SumSqWp, capacitor, e.IsStandard, e.Sens[slot(1)]);
    if (!second) return;
    Add(cr.SumQp, cr.SumSqQp, capacitor, e.IsStandard, e.Sens[slot(2)]);
    if (cr.Cubic) {
      Add(cr.SumPa, cr.SumSqPa, capacitor, e.IsStandard, e.Sens[slot(5)]);
      Add(cr.SumPb, cr.SumSqPb, capacitor, e.IsStandard, e.Sens[slot(6)]);
    }
    if (IsNotchType(type)) Add(cr.SumWz, cr.SumSqWz, capacitor, e.IsStandard, e.Sens[slot(4)]);
  };
  for (int i = 1; i <= ResistorsOf(cr); ++i) addAll(cr.R[At(i)], false);
  for (int j = 1; j <= CapacitorsOf(cr); ++j) addAll(cr.C[At(j)], true);
  for (core::SensitivitySum* sum : {&cr.SumWp, &cr.SumQp, &cr.SumWz, &cr.SumPa, &cr.SumPb, &cr.SumSqWp,
                                    &cr.SumSqQp, &cr.SumSqWz, &cr.SumSqPa, &cr.SumSqPb})
    sum->Total = sum->R + sum->C;
}

void SumStageSensitivities(core::DesignState& state, int stage) {
  if (stage < 1 || stage > core::kMaxStages) return;
  SumStageSensitivities(state.circuits[At(stage)], state.stages[At(stage)].type);
}

std::vector<int> ParameterResistors(const core::CircuitRecord& cr) {
  std::vector<int> listed;
  for (int i = 1; i <= ResistorsOf(cr); ++i) {
    const core::ComponentEntry& r = cr.R[At(i)];
    for (int code : {1, 2, 3, 4}) {
      if (std::abs(r.Sens[At(SensSlotOfCode(code))]) > 1e-9) {
        listed.push_back(i);
        break;
      }
    }
  }
  return listed;
}

CombinationSearchInput StageCombinationSearch(const core::CircuitRecord& cr, const core::Stage& stage) {
  CombinationSearchInput in;
  in.listed = ParameterResistors(cr);
  const int type = stage.type & 0x7F;
  const double w = (type == core::ptFLP || type == core::ptFHP) ? analysis::FirstOrderPole(stage) : stage.wp;
  if (!(w > 0)) return in;
  const analysis::GainSensitivities g = analysis::StageGainSensitivities(stage, w);
  const auto finite = [](double x) { return std::isfinite(x) ? x : 0.0; };
  in.w1 = finite(g.wp);
  in.w2 = finite(g.Qp);
  in.w3 = finite(g.wz);
  return in;
}

bool DesignStage(core::CircuitRecord& cr, const core::Stage& stage) {
  const int type = stage.type & 0x7F;
  const DesignEntry* entry = FindDesign(type, cr.CircuitNumber);
  if (entry == nullptr || entry->design == nullptr) return false;

  const std::size_t gainSlot = At(SensSlotOfCode(3));
  for (core::ComponentEntry& r : cr.R) r.Sens[gainSlot] = 0;
  for (core::ComponentEntry& c : cr.C) c.Sens[gainSlot] = 0;

  DesignContext ctx{cr, {}};
  ctx.target.stageType = type;
  const bool first = type == core::ptFLP || type == core::ptFHP;
  ctx.target.wp = first ? analysis::FirstOrderPole(stage) : stage.wp;
  ctx.target.Qp = first ? 0 : stage.Qp;
  ctx.target.wz = IsNotchType(type) ? stage.wz : 0;
  cr.DesignFailed = false;
  entry->design(ctx);

  LimitScalePair(cr);
  // The circuits with an input divider say how much of the signal it takes at DC.
  cr.DcAttenuation = DcAttenuationFactor(cr, type, cr.CircuitNumber);
  // The sensitivities are taken from the values as they finally stand, after the scale
  // pair, so slots and values always agree.
  FillSensitivities(cr, type);
  if (Compensated(cr)) {
    for (int i = OwnResistors(cr) + 1; i <= ResistorsOf(cr); ++i) cr.R[At(i)].Sens.fill(0);
  }
  for (int i = 1; i <= ResistorsOf(cr); ++i) cr.R[At(i)].IsStandard = true;
  for (int j = 1; j <= CapacitorsOf(cr); ++j) cr.C[At(j)].IsStandard = true;
  SumStageSensitivities(cr, type);
  for (int i = 1; i <= ResistorsOf(cr); ++i) cr.R[At(i)].IsStandard = false;
  for (int j = 1; j <= CapacitorsOf(cr); ++j) cr.C[At(j)].IsStandard = false;
  return true;
}

bool DesignStage(core::DesignState& state, int stage) {
  if (stage < 1 || stage > core::kMaxStages) return false;
  const auto s = At(stage);
  return DesignStage(state.circuits[s], state.stages[s]);
}

}  // namespace tavrin::circuits
