// Design routines of the multiple-feedback, Fliege and Tow-Thomas sections: the analysis
// of the designed values gives back the targets, the gain and capacitor rules hold, the
// op-amp bandwidth coefficients describe what a single-pole op-amp does to the built
// circuit, and ngspice agrees with the target biquad.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <filesystem>
#include <map>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "analysis/StagePolynomials.h"
#include "analysis/WorkingVectors.h"
#include "circuits/Catalogue.h"
#include "circuits/DesignEquations.h"
#include "circuits/DesignHarness.h"
#include "circuits/SetUpCircuit.h"
#include "core/DesignState.h"
#include "output/Subcircuit.h"
#include "support/NgspiceBench.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using core::CircuitRecord;
using core::ptSBP;
using core::ptSHP;
using core::ptSLP;
using design_test::ExpectValuesPositiveAndFinite;
using design_test::Relative;
using design_test::TargetBiquad;
using test_support::Exact;
using test_support::FindOnPath;

constexpr double kTwoPi = 2 * std::numbers::pi;

struct Member {
  int type = 0;
  int n = 0;
  bool c2Variable = false;  // the variant under test
  bool activeComp = false;  // the circuit offers compensation copies
  std::string key() const { return circuits::CircuitKey(type, n) + (c2Variable ? " C2 variable" : ""); }
};

const std::vector<Member>& Members() {
  static const std::vector<Member> members = {
      {ptSLP, 3, false, true},   {ptSLP, 4, false, true},   {ptSHP, 3, false, true},
      {ptSBP, 4, false, true},   {ptSBP, 5, false, true},   {ptSBP, 5, true, true},
      {ptSLP, 5, false, false},  {ptSHP, 4, false, false},  {ptSBP, 6, false, false},
      {ptSLP, 10, false, false}, {ptSBP, 10, false, false},
  };
  return members;
}

struct Request {
  double wp = kTwoPi * 1e3;
  double qp = 1;
  double gain = 1;
  bool predistort = false;
  bool activeComp = false;
  double gbw = 1e6;    // Hz
  double c2Ratio = 0;  // when set, C2 the user chose in place of the set-up's
};

CircuitRecord Designed(const Member& m, const Request& q) {
  CircuitRecord cr;
  cr.CircuitId = static_cast<std::int16_t>(circuits::CircuitIdOf(m.type, m.n));
  cr.CircuitNumber = static_cast<std::int16_t>(m.n);
  cr.CircuitNumberCopy = cr.CircuitNumber;
  cr.Fresh = true;
  core::StageComponentSetEntry memory, saved;
  circuits::SetUpCircuit(cr, q.wp, m.c2Variable, memory, saved);
  cr.RequestedGain = q.gain;
  cr.CircuitGain = q.gain;
  cr.Predistort = q.predistort;
  cr.ActiveComp = q.activeComp;
  cr.OpAmpGbw = q.gbw;
  if (q.c2Ratio > 0) {
    cr.C[2].Value = q.c2Ratio * cr.C[1].Value;
    cr.CapRatio = q.c2Ratio;
  }
  circuits::DesignContext ctx{cr, {m.type, q.wp, q.qp, 0}};
  const circuits::DesignEntry* entry = circuits::FindDesign(m.type, m.n);
  if (entry != nullptr) entry->design(ctx);
  return cr;
}

// The gain each member must end with for a requested gain, and whether it is forced.
struct GainRule {
  double gain = 0;
  bool constrained = false;
};

GainRule ExpectedGain(const Member& m, double requested, double qp) {
  const std::string code = circuits::CircuitKey(m.type, m.n);
  if (code == "SHP03") return {1, true};
  if (code == "SLP05" || code == "SHP04" || code == "SBP06") return {2, true};
  if (code == "SBP04") {
    const double limit = 11 * qp * qp / 10;  // (m + 1) Qp^2 / m with the set-up m = 10
    return requested >= limit ? GainRule{0.9 * limit, true} : GainRule{requested, false};
  }
  if (code == "SBP05" && !m.c2Variable) {
    const double limit = 3 * qp - 1;
    return requested >= limit ? GainRule{0.9 * limit, true} : GainRule{requested, false};
  }
  return {requested, false};
}

// Where a member has no circuit for the Q it is solved for (Qd) and its gain: R3 of SBP04
// must keep a positive share of the input, as must R3 of the equal-capacitor SBP05; the
// divider of both SBP05 variants needs Qd above 1/2 for a positive ratio.  The other
// members realise every Qd > 0.
bool Unrealisable(const Member& m, const CircuitRecord& cr) {
  const std::string code = circuits::CircuitKey(m.type, m.n);
  const double qd = cr.DesignQp;
  const double k = cr.CircuitGain;
  const double ratio = cr.C[2].Value / cr.C[1].Value;
  if (!(qd > 0) || !(k > 0)) return true;
  if (code == "SBP04") return k >= (ratio + 1) * qd * qd / ratio;
  if (code == "SBP05" && !m.c2Variable) return k >= 3 * qd - 1 || qd <= 0.5;
  if (code == "SBP05") return qd <= 0.5;
  return false;
}

// The analysis of the designed values against the targets the routine solved for.
void ExpectRoundTrip(const Member& m, const CircuitRecord& cr, const std::string& where) {
  const analysis::WorkingVectors v = analysis::LoadWorkingVectors(cr);
  const analysis::StagePolynomials p = analysis::BuildStagePolynomials(v, m.type, m.n);
  const analysis::StageParameters par = analysis::ParametersOf(p, m.type);
  ASSERT_TRUE(par.wp.has_value() && par.Qp.has_value()) << where;
  EXPECT_LT(Relative(*par.wp, cr.DesignWp), 1e-9) << where << ": wp " << *par.wp << " for " << cr.DesignWp;
  EXPECT_LT(Relative(*par.Qp, cr.DesignQp), 1e-9) << where << ": Qp " << *par.Qp << " for " << cr.DesignQp;
  EXPECT_LT(Relative(analysis::StageGain(v, m.type, m.n), cr.CircuitGain), 1e-9)
      << where << ": K " << analysis::StageGain(v, m.type, m.n) << " for " << cr.CircuitGain;
  ExpectValuesPositiveAndFinite(cr, where);
}

std::string Where(const Member& m, const Request& q) {
  std::ostringstream s;
  s << m.key() << (q.activeComp ? " compensated" : "") << (q.predistort ? " predistorted" : "")
    << " at f = " << q.wp / kTwoPi << " Hz, Qp = " << q.qp << ", K asked " << q.gain;
  return s.str();
}

TEST(DesignMfbFliegeTowThomas, EveryMemberHasARoutine) {
  for (const Member& m : Members()) {
    EXPECT_NE(circuits::FindDesign(m.type, m.n), nullptr) << m.key();
    if (m.c2Variable) {
      EXPECT_TRUE(circuits::Descriptor(circuits::CircuitIdOf(m.type, m.n)).c2VariableAvailable) << m.key();
    }
    EXPECT_EQ(circuits::Descriptor(circuits::CircuitIdOf(m.type, m.n)).activeCompAvailable, m.activeComp)
        << m.key();
  }
}

// The grid: five decades of wp (either side of the C1 = 1 nF boundary), Q from just
// above 1/2 to 30, requested gains 0.5 to 10, with and without compensation copies.
TEST(DesignMfbFliegeTowThomas, RoundTripOverTheGrid) {
  const double frequencies[] = {10, 316, 4.7e3, 1e5, 1e6};
  const double qs[] = {0.51, 0.7071, 2, 8, 30};
  const double gains[] = {0.5, 1, 2.5, 10};
  for (const Member& m : Members()) {
    int designed = 0;
    for (bool active : {false, true}) {
      if (active && !m.activeComp) continue;
      for (double f : frequencies) {
        for (double qp : qs) {
          for (double gain : gains) {
            const Request q{kTwoPi * f, qp, gain, false, active};
            const std::string where = Where(m, q);
            const CircuitRecord cr = Designed(m, q);
            const GainRule rule = ExpectedGain(m, gain, qp);
            EXPECT_LT(Relative(cr.CircuitGain, rule.gain), 1e-12) << where;
            EXPECT_EQ(cr.GainConstrained, rule.constrained) << where;
            if (cr.DesignFailed) {
              EXPECT_TRUE(Unrealisable(m, cr)) << where << ": failed where a circuit exists";
              continue;
            }
            EXPECT_FALSE(Unrealisable(m, cr)) << where << ": designed where none should exist";
            EXPECT_EQ(cr.DesignWp, q.wp) << where;
            EXPECT_EQ(cr.DesignQp, q.qp) << where;
            ExpectRoundTrip(m, cr, where);
            ++designed;
          }
        }
      }
    }
    // Without predistortion every member realises the whole grid.
    EXPECT_EQ(designed, (m.activeComp ? 2 : 1) * 5 * 5 * 4) << m.key();
  }
}

// Predistortion designs for wd = wp (1 + aw x), Qd = Qp (1 + aq x), x = wp / (2 pi GBW),
// and the analysis gives those back; compensation switches it off.
TEST(DesignMfbFliegeTowThomas, PredistortedTargetsAreRealised) {
  for (const Member& m : Members()) {
    for (double qp : {0.51, 2.0, 30.0}) {
      for (double gain : {0.5, 2.5, 10.0}) {
        const double wp = kTwoPi * 10e3;
        const Request q{wp, qp, gain, true, false, 5e6};
        const std::string where = Where(m, q);
        const CircuitRecord cr = Designed(m, q);
        const double x = wp / (kTwoPi * q.gbw);
        EXPECT_LT(Relative(cr.DesignWp, wp * (1 + cr.GbwCoefWp * x)), 1e-12) << where;
        EXPECT_LT(Relative(cr.DesignQp, qp * (1 + cr.GbwCoefQp * x)), 1e-12) << where;
        EXPECT_NE(cr.DesignWp, wp) << where;
        if (cr.DesignFailed) {
          EXPECT_TRUE(Unrealisable(m, cr)) << where << ": failed where a circuit exists";
          continue;
        }
        ExpectRoundTrip(m, cr, where);

        if (!m.activeComp) continue;
        Request compensated = q;
        compensated.activeComp = true;
        const CircuitRecord cc = Designed(m, compensated);
        EXPECT_FALSE(cc.Predistort) << where;
        EXPECT_EQ(cc.DesignWp, wp) << where;
        EXPECT_EQ(cc.DesignQp, qp) << where;
      }
    }
  }
}

// SBP04 with Qp = 2 cut at 0.9 x 11 x 4 / 10 = 3.96: a predistorted Qd more than 5 %
// below Qp leaves R3 no positive value, and the design says so.
TEST(DesignMfbFliegeTowThomas, Sbp04FailsWhenPredistortionTakesQBelowItsClampedGain) {
  const Member sbp04{ptSBP, 4, false, true};
  const Request q{kTwoPi * 100e3, 2, 10, true, false, 1e6};  // aq = -1.1, x = 0.1
  const CircuitRecord cr = Designed(sbp04, q);
  EXPECT_NEAR(cr.CircuitGain, 3.96, 1e-12);
  EXPECT_NEAR(cr.DesignQp, 2 * (1 - 1.1 * 0.1), 1e-12);
  EXPECT_TRUE(cr.DesignFailed);
  EXPECT_LT(cr.R[3].Value, 0);
}

TEST(DesignMfbFliegeTowThomas, CapacitorRules) {
  struct Case {
    Member m;
    double qp, gain;
    double ratio;  // C2/C1 the routine must leave, also in CapRatio
  };
  const Case cases[] = {
      {{ptSLP, 3}, 1, 1, 8},         // 4 Qp^2 (K + 1), exact rather than snapped to E12
      {{ptSLP, 3}, 2.5, 3, 100},     // 4 x 6.25 x 4
      {{ptSLP, 4}, 5, 2, 10},        // the set-up ratio is kept
      {{ptSBP, 4}, 5, 2, 10},        // likewise
      {{ptSBP, 5}, 5, 2, 1},         // equal capacitors by default
      {{ptSBP, 5, true}, 5, 2, 10},  // the set-up ratio with C2 variable
      {{ptSHP, 3}, 5, 2, 1},         // C2 = C1 x the set-up ratio 1
      {{ptSLP, 5}, 5, 2, 1},         // equal capacitors in the others
      {{ptSHP, 4}, 5, 2, 1},        {{ptSBP, 6}, 5, 2, 1}, {{ptSLP, 10}, 5, 2, 1}, {{ptSBP, 10}, 5, 2, 1},
  };
  for (const Case& c : cases) {
    const CircuitRecord cr = Designed(c.m, {kTwoPi * 1e3, c.qp, c.gain});
    EXPECT_DOUBLE_EQ(cr.C[1].Value, 10e-9) << c.m.key();
    EXPECT_NEAR(cr.C[2].Value / cr.C[1].Value, c.ratio, 1e-12 * c.ratio) << c.m.key();
    EXPECT_NEAR(cr.CapRatio, c.ratio, 1e-12 * c.ratio) << c.m.key();
  }
  const CircuitRecord shp03 = Designed({ptSHP, 3}, {kTwoPi * 1e3, 5, 2});
  EXPECT_EQ(shp03.C[3].Value, shp03.C[1].Value);
}

// A C2 the user chose (the capacitor memory of the stage) is kept by the members whose
// rule takes C2 from the set-up, and the design still lands on the targets; SHP03's gain
// follows C1/C2.  The equal-capacitor members put C2 back to C1.
TEST(DesignMfbFliegeTowThomas, UserChosenC2) {
  struct Case {
    Member m;
    double ratio;  // chosen C2/C1
    double kept;   // C2/C1 after the design
  };
  const Case cases[] = {
      {{ptSLP, 4}, 2.2, 2.2}, {{ptSLP, 4}, 470, 470},       {{ptSBP, 4}, 2.2, 2.2},
      {{ptSBP, 4}, 100, 100}, {{ptSBP, 5, true}, 2.2, 2.2}, {{ptSBP, 5, true}, 0.47, 0.47},
      {{ptSHP, 3}, 2.2, 2.2}, {{ptSBP, 5}, 2.2, 1},         {{ptSLP, 5}, 2.2, 1},
      {{ptSBP, 10}, 2.2, 1},
  };
  for (const Case& c : cases) {
    Request q{kTwoPi * 3e3, 6, 2};
    q.c2Ratio = c.ratio;
    const std::string where = c.m.key() + " with C2 = " + std::to_string(c.ratio) + " C1";
    const CircuitRecord cr = Designed(c.m, q);
    ASSERT_FALSE(cr.DesignFailed) << where;
    EXPECT_NEAR(cr.C[2].Value / cr.C[1].Value, c.kept, 1e-12 * c.kept) << where;
    ExpectRoundTrip(c.m, cr, where);
    if (c.m.type == ptSHP) {
      EXPECT_NEAR(cr.CircuitGain, 1 / c.ratio, 1e-12) << where;
    }
    if (c.m.type == ptSLP && c.m.n == 4) {
      EXPECT_NEAR(cr.R[4].Value, cr.R[5].Value / c.ratio, 1e-9 * cr.R[4].Value) << where;
    }
  }
}

// The gain limits of the two multiple-feedback bandpass members, at and beside the limit.
TEST(DesignMfbFliegeTowThomas, BandpassGainLimits) {
  struct Case {
    Member m;
    double qp, requested, gain;
    bool constrained;
  };
  const Case cases[] = {
      {{ptSBP, 4}, 1, 1.0, 1.0, false},                                        // limit 11/10
      {{ptSBP, 4}, 1, 1.1, 0.99, true},                                        // at the limit
      {{ptSBP, 4}, 1, 5.0, 0.99, true},     {{ptSBP, 5}, 2, 4.9, 4.9, false},  // limit 3 Qp - 1 = 5
      {{ptSBP, 5}, 2, 5.0, 4.5, true},      {{ptSBP, 5}, 2, 50, 4.5, true},
      {{ptSBP, 5, true}, 2, 50, 50, false},  // C2 variable has no limit
  };
  for (const Case& c : cases) {
    const CircuitRecord cr = Designed(c.m, {kTwoPi * 1e3, c.qp, c.requested});
    const std::string where = c.m.key() + " K asked " + std::to_string(c.requested);
    EXPECT_NEAR(cr.CircuitGain, c.gain, 1e-12) << where;
    EXPECT_EQ(cr.GainConstrained, c.constrained) << where;
    EXPECT_FALSE(cr.DesignFailed) << where;
    ExpectRoundTrip(c.m, cr, where);
    if (c.m.n == 5 && !c.m.c2Variable) {
      // Equal capacitors keep R2 = R0 up to the limit, R3 taking up the gain.
      const double r0 = 1 / (cr.C[1].Value * kTwoPi * 1e3);
      EXPECT_NEAR(cr.R[2].Value, r0, 1e-12 * r0) << where;
      EXPECT_NEAR(cr.R[3].Value, r0 / (1 - c.gain / (3 * c.qp - 1)), 1e-9 * cr.R[3].Value) << where;
    }
  }
}

// The C2-variable SBP05 keeps G2 = (2m / (m + 1)) wd C1, which leaves the Q as sensitive to
// the divider as the equal-capacitor design (2 Qd - 1), while R3 stays at most twice R1; a
// higher gain moves to R3 = 2 R1 exactly, continuously at the switch.
TEST(DesignMfbFliegeTowThomas, Sbp05C2VariableHighGainBranch) {
  const Member m{ptSBP, 5, true, true};
  const double wp = kTwoPi * 1e3;
  const double qp = 2;
  const double g = 20.0 / 11.0;  // m = 10
  const double r2 = 1 / (g * wp * 10e-9);
  const double r = g * (2 - 1 / qp);
  // At the switch G1 = 2/3 (G1 + G3): K = (2/3) Qd (1 + r) / g.
  const double kSwitch = 2.0 / 3.0 * qp * (1 + r) / g;
  for (double k : {0.5 * kSwitch, kSwitch * (1 - 1e-9), kSwitch * (1 + 1e-9), 3 * kSwitch}) {
    const CircuitRecord cr = Designed(m, {wp, qp, k});
    const std::string where = "K = " + std::to_string(k);
    ASSERT_FALSE(cr.DesignFailed) << where;
    ExpectRoundTrip(m, cr, where);
    EXPECT_LE(cr.R[3].Value, 2 * cr.R[1].Value * (1 + 1e-9)) << where;
    if (k < kSwitch) {
      EXPECT_NEAR(cr.R[2].Value, r2, 1e-12 * r2) << where;
      EXPECT_NEAR(cr.R[4].Value / cr.R[5].Value, r, 1e-12 * r) << where;
      // Q's sensitivity to R4, by a central difference of the analysis.
      const double h = 1e-6;
      double q[2];
      for (int side = 0; side < 2; ++side) {
        CircuitRecord moved = cr;
        moved.R[4].Value *= side == 0 ? 1 + h : 1 - h;
        const analysis::StagePolynomials p =
            analysis::BuildStagePolynomials(analysis::LoadWorkingVectors(moved), m.type, m.n);
        q[side] = *analysis::ParametersOf(p, m.type).Qp;
      }
      EXPECT_NEAR((std::log(q[0]) - std::log(q[1])) / (std::log1p(h) - std::log1p(-h)), 2 * qp - 1, 1e-6)
          << where;
    } else {
      EXPECT_NEAR(cr.R[3].Value, 2 * cr.R[1].Value, 1e-6 * cr.R[1].Value) << where;
    }
    if (std::abs(k / kSwitch - 1) < 1e-6) {
      EXPECT_NEAR(cr.R[2].Value, r2, 1e-6 * r2) << where;
    }
  }
}

// Resistors that follow the scale resistor, and the compensation copies.
TEST(DesignMfbFliegeTowThomas, ScaleResistorAndCompensationCopies) {
  const Request q{kTwoPi * 1e3, 3, 2};
  {
    const CircuitRecord cr = Designed({ptSBP, 6}, q);
    EXPECT_EQ(cr.R[5].Value, 10e3);
    EXPECT_EQ(cr.R[4].Value, 10e3);
  }
  for (int type : {ptSLP, ptSBP}) {
    const CircuitRecord cr = Designed({type, 10}, q);
    EXPECT_EQ(cr.R[6].Value, 10e3) << circuits::CircuitKey(type, 10);
    EXPECT_EQ(cr.R[5].Value, cr.R[6].Value) << circuits::CircuitKey(type, 10);
  }
  // SLP04 and SBP05 copy their divider (R5 feedback, R4 to ground) as R6, R7.
  for (const Member& m : {Member{ptSLP, 4}, Member{ptSBP, 5}, Member{ptSBP, 5, true}}) {
    Request compensated = q;
    compensated.activeComp = true;
    const CircuitRecord plain = Designed(m, q);
    const CircuitRecord cr = Designed(m, compensated);
    EXPECT_EQ(plain.ResistorCount, 5) << m.key();
    EXPECT_EQ(cr.ResistorCount, 7) << m.key();
    EXPECT_EQ(cr.R[6].Value, cr.R[5].Value) << m.key();
    EXPECT_EQ(cr.R[7].Value, cr.R[4].Value) << m.key();
    for (std::size_t k = 1; k <= 5; ++k) EXPECT_EQ(cr.R[k].Value, plain.R[k].Value) << m.key() << " R" << k;
  }
  // The others' compensation templates add no resistors.
  for (const Member& m : {Member{ptSLP, 3}, Member{ptSHP, 3}, Member{ptSBP, 4}}) {
    Request compensated = q;
    compensated.activeComp = true;
    EXPECT_EQ(Designed(m, compensated).ResistorCount, Designed(m, q).ResistorCount) << m.key();
  }
}

// ---------------------------------------------------------------------------------------
// The op-amp bandwidth coefficients against the built circuit.  A small nodal solver reads
// the stage's netlist (the writer's topology), models every op-amp as A(s) = 2 pi GBW / s
// and finds the natural frequency near the ideal pole as a root of the nodal determinant.

struct Element {
  char kind = 'R';  // 'R', 'C' or 'X' (op-amp: plus, minus, output)
  int index = 0;
  std::vector<int> nodes;
};

std::vector<Element> ParseSubcircuit(const std::string& text) {
  std::vector<Element> elements;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string name;
    words >> name;
    if (name.empty() || name[0] == '.') continue;
    Element e;
    e.kind = name[0];
    e.index = name[0] == 'X' ? 0 : std::stoi(name.substr(1));
    const int count = e.kind == 'X' ? 3 : 2;
    for (int i = 0; i < count; ++i) {
      int node = 0;
      words >> node;
      e.nodes.push_back(node);
    }
    elements.push_back(e);
  }
  return elements;
}

using Complex = std::complex<double>;

// det of the nodal equations with the input grounded (natural frequencies); an op-amp
// output node carries (s / wt) Vo - V+ + V- = 0 in place of its current balance.
Complex NodalDeterminant(const std::vector<Element>& elements, const CircuitRecord& cr, Complex s,
                         double wt) {
  std::map<int, int> row;  // node -> unknown, ground 0 and input 1 excluded
  for (const Element& e : elements) {
    for (int node : e.nodes) {
      if (node > 1 && !row.count(node)) {
        const int next = static_cast<int>(row.size());
        row[node] = next;
      }
    }
  }
  const std::size_t n = row.size();
  std::vector<std::vector<Complex>> a(n, std::vector<Complex>(n));
  std::vector<bool> isOutput(n, false);
  for (const Element& e : elements) {
    if (e.kind == 'X') isOutput[static_cast<std::size_t>(row[e.nodes[2]])] = true;
  }
  auto at = [&](int node) { return node > 1 ? row[node] : -1; };
  for (const Element& e : elements) {
    if (e.kind == 'X') continue;
    const double value = e.kind == 'R' ? cr.R[static_cast<std::size_t>(e.index)].Value
                                       : cr.C[static_cast<std::size_t>(e.index)].Value;
    const Complex y = e.kind == 'R' ? Complex(1 / value) : s * value;
    const int p = at(e.nodes[0]);
    const int q = at(e.nodes[1]);
    for (auto [i, j, sign] : {std::tuple{p, p, 1}, {q, q, 1}, {p, q, -1}, {q, p, -1}}) {
      if (i < 0 || j < 0 || isOutput[static_cast<std::size_t>(i)]) continue;
      a[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] += static_cast<double>(sign) * y;
    }
  }
  for (const Element& e : elements) {
    if (e.kind != 'X') continue;
    const std::size_t o = static_cast<std::size_t>(row[e.nodes[2]]);
    a[o][o] += s / wt;
    if (at(e.nodes[0]) >= 0) a[o][static_cast<std::size_t>(at(e.nodes[0]))] -= 1;
    if (at(e.nodes[1]) >= 0) a[o][static_cast<std::size_t>(at(e.nodes[1]))] += 1;
  }
  Complex det = 1;
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t pivot = c;
    for (std::size_t r = c + 1; r < n; ++r) {
      if (std::abs(a[r][c]) > std::abs(a[pivot][c])) pivot = r;
    }
    if (pivot != c) {
      std::swap(a[pivot], a[c]);
      det = -det;
    }
    det *= a[c][c];
    if (a[c][c] == Complex(0)) return 0;
    for (std::size_t r = c + 1; r < n; ++r) {
      const Complex f = a[r][c] / a[c][c];
      for (std::size_t k = c; k < n; ++k) a[r][k] -= f * a[c][k];
    }
  }
  return det;
}

// The natural frequency near the ideal pole, by the secant method on the determinant.
Complex PoleNear(const std::vector<Element>& elements, const CircuitRecord& cr, Complex start, double wt) {
  Complex s0 = start;
  Complex s1 = start * Complex(1 + 1e-4, 1e-4);
  Complex f0 = NodalDeterminant(elements, cr, s0, wt);
  for (int i = 0; i < 60; ++i) {
    const Complex f1 = NodalDeterminant(elements, cr, s1, wt);
    if (f1 == f0) break;
    const Complex s2 = s1 - f1 * (s1 - s0) / (f1 - f0);
    s0 = s1;
    f0 = f1;
    s1 = s2;
    if (std::abs(s1 - s0) < 1e-14 * std::abs(s1)) break;
  }
  return s1;
}

// Relative shift of wp and Qp per unit of x = wp / (2 pi GBW), measured at a small x, must
// equal -aw and -aq.  Three settings of Q and gain per member (the last takes SBP05 with C2
// variable onto its high-gain branch).
TEST(DesignMfbFliegeTowThomas, BandwidthCoefficientsDescribeTheBuiltCircuit) {
  for (const Member& m : Members()) {
    for (const auto& [qp, gain] : {std::pair{2.0, 1.5}, std::pair{8.0, 4.0}, std::pair{2.0, 10.0}}) {
      const double wp = kTwoPi * 1e3;
      const Request q{wp, qp, gain};
      const std::string where = Where(m, q);
      const CircuitRecord cr = Designed(m, q);
      ASSERT_FALSE(cr.DesignFailed) << where;
      const std::vector<Element> elements = ParseSubcircuit(output::StageSubcircuit(cr, m.type, 1, "OP"));
      ASSERT_FALSE(elements.empty()) << where;
      const Complex ideal(-wp / (2 * qp), wp * std::sqrt(1 - 1 / (4 * qp * qp)));
      // The nodal model reproduces the ideal pole with a very fast op-amp.
      const Complex p0 = PoleNear(elements, cr, ideal, wp * 1e12);
      EXPECT_LT(std::abs(p0 / ideal - 1.0), 1e-8) << where;
      const double x = 1e-6;
      const Complex p = PoleNear(elements, cr, ideal, wp / x);
      const double wpShift = (std::abs(p) / wp - 1) / x;
      const double qShift = ((std::abs(p) / (-2 * p.real())) / qp - 1) / x;
      const double tolerance = 1e-3 * (1 + std::abs(cr.GbwCoefWp) + std::abs(cr.GbwCoefQp));
      EXPECT_NEAR(wpShift, -cr.GbwCoefWp, tolerance) << where;
      EXPECT_NEAR(qShift, -cr.GbwCoefQp, tolerance) << where;
    }
  }
}

// ---------------------------------------------------------------------------------------
// ngspice: the designed stage, built from the writer's subcircuit with exact values and
// near-ideal op-amps, against the target biquad.

TEST(DesignMfbFliegeTowThomas, NgspiceSimulatesTheTargetBiquad) {
  const std::optional<fs::path> ngspice = FindOnPath("ngspice");
  ASSERT_TRUE(ngspice.has_value()) << "ngspice was not found on PATH; it is a required dependency of the "
                                      "test suite (Debian package ngspice)";
  const double multiples[] = {0.3, 0.7, 0.93, 1.0, 1.07, 1.4, 3.3};
  struct Probe {
    std::string where;
    Complex expected;
  };
  std::vector<Probe> probes;
  std::ostringstream net, control;
  net << "* designed stages\n" << test_support::IdealOpAmp("OP") << "V1 1 0 AC 1\n";
  control << ".control\nset appendwrite\nset wr_singlescale\n";
  int t = 0;
  for (const Member& m : Members()) {
    for (bool active : {false, true}) {
      if (active && !m.activeComp) continue;
      const Request q{kTwoPi * 2.2e3, 4, 2.5, false, active};
      const CircuitRecord cr = Designed(m, q);
      ASSERT_FALSE(cr.DesignFailed) << Where(m, q);
      ++t;
      net << test_support::WithFullValues(output::StageSubcircuit(cr, m.type, t, "OP"), cr);
      const int outNode = 100 + t;
      net << "X" << t << " 1 " << outNode << " " << circuits::TypeLetters(m.type) << t << "\n";
      for (double mult : multiples) {
        const double w = mult * q.wp;
        probes.push_back({Where(m, q) + " at " + Exact(mult) + " wp",
                          TargetBiquad(m.type, q.wp, q.qp, cr.CircuitGain, cr.Inverting, w)});
        control << test_support::AcPoint(w, outNode);
      }
    }
  }
  control << "quit\n.endc\n";
  net << control.str() << ".end\n";

  const test_support::NgspiceRun run =
      test_support::RunNgspice(ngspice->string(), net.str(), "tavrin-design");
  ASSERT_TRUE(run.folder) << "no temporary folder";
  ASSERT_EQ(run.status, 0) << net.str();
  ASSERT_EQ(run.ac.size(), probes.size());
  double worst = 0;
  for (std::size_t i = 0; i < probes.size(); ++i) {
    const Complex& simulated = run.ac[i];
    const double error = std::abs(simulated / probes[i].expected - 1.0);
    worst = std::max(worst, error);
    EXPECT_LT(error, 1e-3) << probes[i].where << ": simulated " << simulated << ", target "
                           << probes[i].expected;
  }
  RecordProperty("worst_relative_error", Exact(worst));
}

}  // namespace
}  // namespace tavrin
