// How a stage's resistors follow a change of its capacitors.
//
// The values before the change are the exact ones (ExactValue); the capacitors as they now
// stand carry the change.  Six circuits are re-solved in closed form from their own
// relations, so their wp and Qp come out exact; a first-order stage rescales the resistor
// that sets its corner, which is exact as well.  Every other circuit moves the resistors
// its adjustment row names so that, to first order, the held parameters stay put: with the
// design's sensitivities, sum S(R) dR/R + sum S(C) dC/C = 0 for each held parameter.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "analysis/LuSolver.h"
#include "analysis/StagePolynomials.h"
#include "analysis/WorkingVectors.h"
#include "circuits/Adjustment.h"
#include "circuits/Catalogue.h"
#include "circuits/StandardValues.h"
#include "core/RecordParts.h"

namespace tavrin::circuits {

namespace {

using core::At;
using core::ResistorsOf;
using core::CapacitorsOf;
using core::IsUsableValue;

// The circuit's own resistors, before the copies active compensation appends.
int OwnResistors(const core::CircuitRecord& cr) {
  const int n = ResistorsOf(cr);
  return IsValidCircuitId(cr.CircuitId) ? std::min(n, Descriptor(cr.CircuitId).resistors) : n;
}

// The stage's parameters for its exact resistors and either its exact or its present capacitors.
analysis::StageParameters Parameters(const core::CircuitRecord& cr, int type, bool presentCapacitors) {
  std::array<double, core::kResistors> r{};
  std::array<double, core::kCapacitors> c{};
  for (int i = 1; i <= ResistorsOf(cr); ++i) r[At(i - 1)] = cr.R[At(i)].ExactValue;
  for (int j = 1; j <= CapacitorsOf(cr); ++j) {
    const core::ComponentEntry& e = cr.C[At(j)];
    c[At(j - 1)] = presentCapacitors ? e.Value : e.ExactValue;
  }
  const analysis::WorkingVectors v = analysis::MakeWorkingVectors(r, c);
  return analysis::ParametersOf(analysis::BuildStagePolynomials(v, type, cr.CircuitNumber), type);
}

void SetResistor(core::CircuitRecord& cr, int i, double value) {
  core::ComponentEntry& e = cr.R[At(i)];
  e.Value = value;
  e.Change = value - e.ExactValue;
}

// The gain pair of SLP02, SHP02 and SBP02 is R3 (partner) and R4 (scale resistor); with
// active compensation R5 and R6 repeat R4 and R3 for the second amplifier.
void FollowGainPairCopies(core::CircuitRecord& cr) {
  const int own = OwnResistors(cr);
  if (own != 4 || ResistorsOf(cr) < 6) return;
  SetResistor(cr, 5, cr.R[4].Value);
  SetResistor(cr, 6, cr.R[3].Value);
}

enum class Member { None, SLP01, SLP02, SHP01, SHP02, SBP01, SBP02 };

Member ClosedFormMember(int type, int n) {
  if (type == core::ptSLP && n == 1) return Member::SLP01;
  if (type == core::ptSLP && n == 2) return Member::SLP02;
  if (type == core::ptSHP && n == 1) return Member::SHP01;
  if (type == core::ptSHP && n == 2) return Member::SHP02;
  if (type == core::ptSBP && n == 1) return Member::SBP01;
  if (type == core::ptSBP && n == 2) return Member::SBP02;
  return Member::None;
}

}  // namespace

bool HasClosedFormAdjustment(int stageType, int circuitNumber) {
  return ClosedFormMember(stageType & 0x7F, circuitNumber) != Member::None;
}

ResolveResult ResolveClosedForm(core::CircuitRecord& cr, int stageType, int capacitor, bool partial) {
  const int type = stageType & 0x7F;
  const Member member = ClosedFormMember(type, cr.CircuitNumber);
  if (member == Member::None || ResistorsOf(cr) < 2 || CapacitorsOf(cr) < 2)
    return {ResolveStatus::NotAdjustable};
  const double c1 = cr.C[1].Value;
  const double c2 = cr.C[2].Value;
  const double c1e = cr.C[1].ExactValue;
  const double c2e = cr.C[2].ExactValue;
  if (!IsUsableValue(c1) || !IsUsableValue(c2) || !IsUsableValue(c1e) || !IsUsableValue(c2e)) return {ResolveStatus::NotAdjustable};

  // What the exact values realise is what the new values must realise: the design's wp and
  // Qp (the predistorted ones when predistortion is on).  As time constants of
  // tau2 s^2 + tau1 s + 1: tau2 = 1 / wp^2, tau1 = 1 / (wp Qp).
  const analysis::StageParameters held = Parameters(cr, type, false);
  if (!held.wp || !held.Qp || !IsUsableValue(*held.wp) || !IsUsableValue(*held.Qp)) return {ResolveStatus::NotAdjustable};
  const double wp = *held.wp;
  const double qp = *held.Qp;
  const double tau2 = 1 / (wp * wp);
  const double tau1 = 1 / (wp * qp);

  switch (member) {
    case Member::SLP01: {
      // R1 R2 = tau2 / (C1 C2) and R1 + R2 = tau1 / C1 have real roots only while
      // C2/C1 >= 4 Qp^2; at the limit the two resistors are equal.
      const double product = tau2 / (c1 * c2);
      const double sum = tau1 / c1;
      const double disc = sum * sum - 4 * product;
      if (disc < -1e-12 * sum * sum) {
        const double ratio = 4 * qp * qp;
        return {ResolveStatus::RatioTooSmall, capacitor == 1 ? c2 / ratio : ratio * c1};
      }
      const double larger = (sum + std::sqrt(std::max(0.0, disc))) / 2;
      const double smaller = product / larger;
      // The design makes R2 the larger of the two (equal in the default variant); keep that.
      const bool r2Larger = cr.R[2].ExactValue >= cr.R[1].ExactValue;
      SetResistor(cr, 1, r2Larger ? smaller : larger);
      SetResistor(cr, 2, r2Larger ? larger : smaller);
      return {};
    }
    case Member::SHP01: {
      // tau1 = R2 (C1 + C2), tau2 = R1 R2 C1 C2.
      const double r2 = tau1 / (c1 + c2);
      SetResistor(cr, 2, r2);
      SetResistor(cr, 1, tau2 / (r2 * c1 * c2));
      return {};
    }
    case Member::SBP01: {
      // tau1 = R1 (C1 + C2), tau2 = R1 R2 C1 C2; the centre gain C1 R2 / ((C1 + C2) R1) follows.
      const double r1 = tau1 / (c1 + c2);
      SetResistor(cr, 1, r1);
      SetResistor(cr, 2, tau2 / (r1 * c1 * c2));
      return {};
    }
    case Member::SLP02:
    case Member::SHP02:
    case Member::SBP02:
      break;
    case Member::None:
      return {ResolveStatus::NotAdjustable};
  }

  // The gain-pair members.  First the RC network: R1 and R2 keep their ratio and take the
  // product that keeps R1 R2 C1 C2, so wp stays.  Then the pair restores Qp through the
  // positive feedback it sets.
  if (ResistorsOf(cr) < 4) return {ResolveStatus::NotAdjustable};
  const double f = std::sqrt(c1e * c2e / (c1 * c2));
  const double r1 = cr.R[1].ExactValue * f;
  const double r2 = cr.R[2].ExactValue * f;
  SetResistor(cr, 1, r1);
  SetResistor(cr, 2, r2);
  if (!partial) {
    const double r4 = cr.R[4].Value;
    const double t1 = std::sqrt(r1 * r2 * c1 * c2) / qp;
    double r3 = 0;
    if (member == Member::SLP02) {
      // tau1 = C1 (R1 + R2) - R1 C2 (K - 1), K = 1 + R4/R3
      r3 = r4 / ((c1 * (r1 + r2) - t1) / (r1 * c2));
    } else if (member == Member::SHP02) {
      // tau1 = R2 (C1 + C2) - R1 C1 (K - 1)
      r3 = r4 / ((r2 * (c1 + c2) - t1) / (r1 * c1));
    } else {
      // tau1 = R1 (C1 + C2) - R2 C1 R3/R4
      r3 = r4 * (r1 * (c1 + c2) - t1) / (r2 * c1);
    }
    SetResistor(cr, 3, r3);
    FollowGainPairCopies(cr);
  }
  if (!IsUsableValue(cr.R[3].Value) || !IsUsableValue(cr.R[4].Value)) return {ResolveStatus::InvalidSolution};
  return {};
}

ResolveResult ResolveFirstOrder(core::CircuitRecord& cr, int stageType) {
  const int type = stageType & 0x7F;
  if (!IsValidCircuitId(cr.CircuitId)) return {ResolveStatus::NotAdjustable};
  const int r = AdjustDescriptor(cr.CircuitId).resolved[0];
  if (r < 1 || r > ResistorsOf(cr)) return {ResolveStatus::NotAdjustable};
  // The pole of every first-order member is 1 / (R C) in the resistor its row names, so
  // scaling that resistor by the pole's shift puts the pole back exactly.
  const analysis::StageParameters before = Parameters(cr, type, false);
  const analysis::StageParameters after = Parameters(cr, type, true);
  if (!before.wp || !after.wp || !IsUsableValue(*before.wp) || !IsUsableValue(*after.wp))
    return {ResolveStatus::NotAdjustable};
  SetResistor(cr, r, cr.R[At(r)].ExactValue * *after.wp / *before.wp);
  return IsUsableValue(cr.R[At(r)].Value) ? ResolveResult{} : ResolveResult{ResolveStatus::NonPositive};
}

bool SolveHeldParameters(int n, const std::vector<std::vector<double>>& a, const std::vector<double>& b,
                         std::vector<double>& x) {
  x.assign(At(std::max(n, 0)), 0.0);
  if (n < 1 || n > analysis::kLuMaxSize) return false;

  // Rows orthogonalised in turn: a row that the earlier ones already span is either implied
  // by them (its right-hand side agrees) or contradicts them.
  constexpr double kDependent = 1e-9;
  double bScale = 0;
  for (int k = 0; k < n; ++k) bScale = std::max(bScale, std::abs(b[At(k)]));
  std::vector<std::vector<double>> q;
  std::vector<double> gamma;
  for (int k = 0; k < n; ++k) {
    std::vector<double> v = a[At(k)];
    double beta = b[At(k)];
    double norm0 = 0;
    for (double e : v) norm0 += e * e;
    norm0 = std::sqrt(norm0);
    for (std::size_t i = 0; i < q.size(); ++i) {
      double c = 0;
      for (int j = 0; j < n; ++j) c += v[At(j)] * q[i][At(j)];
      for (int j = 0; j < n; ++j) v[At(j)] -= c * q[i][At(j)];
      beta -= c * gamma[i];
    }
    double norm = 0;
    for (double e : v) norm += e * e;
    norm = std::sqrt(norm);
    if (norm <= kDependent * norm0 || norm0 == 0) {
      if (std::abs(beta) > kDependent * bScale) return false;
      continue;
    }
    for (double& e : v) e /= norm;
    q.push_back(v);
    gamma.push_back(beta / norm);
  }

  if (static_cast<int>(q.size()) == n) {
    analysis::LuMatrix m{};
    analysis::LuVector rhs{};
    for (int k = 0; k < n; ++k) {
      for (int i = 0; i < n; ++i) m[At(k)][At(i)] = a[At(k)][At(i)];
      rhs[At(k)] = b[At(k)];
    }
    analysis::LuIndex index{};
    if (!analysis::LuDecompose(n, m, index).ok()) return false;
    analysis::LuSolve(n, m, index, rhs);
    for (int i = 0; i < n; ++i) x[At(i)] = rhs[At(i)];
    return true;
  }
  // Fewer independent conditions than resistors: the smallest set of relative changes that
  // meets them all.
  for (std::size_t i = 0; i < q.size(); ++i)
    for (int j = 0; j < n; ++j) x[At(j)] += gamma[i] * q[i][At(j)];
  return true;
}

ResolveResult ResolveLinearised(core::CircuitRecord& cr, int stageType) {
  (void)stageType;  // the sensitivities already carry everything the stage type decides
  if (!IsValidCircuitId(cr.CircuitId)) return {ResolveStatus::NotAdjustable};
  const AdjustmentDescriptor& d = AdjustDescriptor(cr.CircuitId);
  const int n = d.resolvedCount;
  if (n < 1 || n > analysis::kLuMaxSize) return {ResolveStatus::NotAdjustable};
  const std::array<int, 5> codes = {1, 2, d.heldCodes[0], d.heldCodes[1], d.heldCodes[2]};
  std::vector<std::vector<double>> a(At(n), std::vector<double>(At(n), 0.0));
  std::vector<double> b(At(n), 0.0);
  for (int k = 0; k < n; ++k) {
    const int code = codes[At(k)];
    if (code < 1 || code > core::kSensSlots) return {ResolveStatus::NotAdjustable};
    const std::size_t slot = At(SensSlotOfCode(code));
    for (int i = 0; i < n; ++i) {
      const int r = d.resolved[At(i)];
      if (r < 1 || r > ResistorsOf(cr)) return {ResolveStatus::NotAdjustable};
      a[At(k)][At(i)] = cr.R[At(r)].Sens[slot];
    }
    for (int j = 1; j <= CapacitorsOf(cr); ++j) {
      const core::ComponentEntry& c = cr.C[At(j)];
      if (IsUsableValue(c.ExactValue)) b[At(k)] += c.Sens[slot] * c.Change / c.ExactValue;
    }
  }
  std::vector<double> x;
  if (!SolveHeldParameters(n, a, b, x)) return {ResolveStatus::Singular};
  for (int i = 0; i < n; ++i) {
    core::ComponentEntry& r = cr.R[At(d.resolved[At(i)])];
    r.Value = r.ExactValue * (1 - x[At(i)]);
    r.Change = -x[At(i)] * r.ExactValue;
  }
  for (int i = 1; i <= ResistorsOf(cr); ++i)
    if (!IsUsableValue(cr.R[At(i)].Value)) return {ResolveStatus::NonPositive};
  for (int j = 1; j <= CapacitorsOf(cr); ++j)
    if (!IsUsableValue(cr.C[At(j)].Value)) return {ResolveStatus::NonPositive};
  return {};
}

}  // namespace tavrin::circuits
