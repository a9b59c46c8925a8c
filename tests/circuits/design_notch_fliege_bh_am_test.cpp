// Design routines of the Fliege, Berka-Herpy and Akerberg-Mossberg notch sections: the
// analysis of the designed values gives back wp, Qp, wz and the gain with a zero pair free
// of its s-term, the gain and capacitor rules hold, a design fails only where the circuit
// has no values for the target, and ngspice sees the notch where it was put.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <filesystem>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
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
using core::ptSHPN;
using core::ptSLPN;
using core::ptSN;
using design_test::ExpectValuesPositiveAndFinite;
using design_test::Relative;
using test_support::FindOnPath;

constexpr double kTwoPi = 2 * std::numbers::pi;

struct Member {
  int type = 0;
  int n = 0;
  std::string key() const { return circuits::CircuitKey(type, n); }
};

const std::vector<Member>& Members() {
  static const std::vector<Member> members = {
      {ptSLPN, 4},  {ptSHPN, 3}, {ptSN, 2},  // Fliege
      {ptSLPN, 9},  {ptSHPN, 8}, {ptSN, 8},  // Berka-Herpy
      {ptSLPN, 10}, {ptSHPN, 9}, {ptSN, 9},  // Akerberg-Mossberg
  };
  return members;
}

struct Request {
  double wp = kTwoPi * 1e3;
  double qp = 1;
  double gain = 1;
  double wz = kTwoPi * 1e3;
  bool predistort = false;
  double gbw = 1e6;    // Hz
  double c2Ratio = 0;  // when set, the C2 the user chose in place of the set-up's
};

CircuitRecord Designed(const Member& m, const Request& q) {
  CircuitRecord cr;
  cr.CircuitId = static_cast<std::int16_t>(circuits::CircuitIdOf(m.type, m.n));
  cr.CircuitNumber = static_cast<std::int16_t>(m.n);
  cr.CircuitNumberCopy = cr.CircuitNumber;
  cr.Fresh = true;
  core::StageComponentSetEntry memory, saved;
  circuits::SetUpCircuit(cr, q.wp, false, memory, saved);
  cr.RequestedGain = q.gain;
  cr.CircuitGain = q.gain;
  cr.Predistort = q.predistort;
  cr.OpAmpGbw = q.gbw;
  if (q.c2Ratio > 0) {
    cr.C[2].Value = q.c2Ratio * cr.C[1].Value;
    cr.CapRatio = q.c2Ratio;
  }
  circuits::DesignContext ctx{cr, {m.type, q.wp, q.qp, q.wz}};
  const circuits::DesignEntry* entry = circuits::FindDesign(m.type, m.n);
  if (entry != nullptr) entry->design(ctx);
  return cr;
}

std::string Where(const Member& m, const Request& q) {
  std::ostringstream s;
  s << m.key() << (q.predistort ? " predistorted" : "") << " at f = " << q.wp / kTwoPi << " Hz, Qp = " << q.qp
    << ", wz/wp = " << q.wz / q.wp << ", K asked " << q.gain;
  return s.str();
}

// The gain each member must end with, from the targets it was designed for (wd where the
// zero sits at wz and the poles at wd), and whether it overrides the gain asked.
struct GainRule {
  double gain = 0;
  bool constrained = false;
};

GainRule ExpectedGain(const Member& m, const Request& q, const CircuitRecord& cr) {
  const std::string code = m.key();
  const double r = (cr.DesignWp / q.wz) * (cr.DesignWp / q.wz);
  if (code == "SLPN04" || code == "SLPN09") return {r, true};
  if (code == "SHPN03") return {2 * r / (r + 1), true};
  if (code == "SN02" || code == "SHPN08") return {1, true};
  if (code == "SN08") return {2 * q.qp / (2 * q.qp + 1), true};
  return {q.gain, false};
}

// Where the zero lands: the Fliege and Berka-Herpy notches tie it to the poles they are
// solved for, every other member puts it on the target.
double ExpectedZero(const Member& m, const Request& q, const CircuitRecord& cr) {
  const std::string code = m.key();
  return code == "SN02" || code == "SN08" ? cr.DesignWp : q.wz;
}

// Where a member has no values for its target: a divider that can only move the zero one
// way.  The lowpass notches of Fliege and Berka-Herpy pull it above the poles they are
// solved for, their highpass notches below; the notch members and the Akerberg-Mossberg
// circuit realise every target.
bool Unrealisable(const Member& m, const Request& q, const CircuitRecord& cr) {
  const std::string code = m.key();
  if (code == "SLPN04" || code == "SLPN09") return !(q.wz > cr.DesignWp);
  if (code == "SHPN03" || code == "SHPN08") return !(q.wz < cr.DesignWp);
  return !(q.gain > 0);
}

// The analysis of the designed values against the targets the routine solved for, with a
// zero pair that has no s-term (relative to wz, the scale of the monic pair's s-term).
void ExpectRoundTrip(const Member& m, const Request& q, const CircuitRecord& cr, const std::string& where) {
  const analysis::WorkingVectors v = analysis::LoadWorkingVectors(cr);
  const analysis::StagePolynomials p = analysis::BuildStagePolynomials(v, m.type, m.n);
  const analysis::StageParameters par = analysis::ParametersOf(p, m.type);
  ASSERT_TRUE(par.wp.has_value() && par.Qp.has_value() && par.wz.has_value()) << where;
  const double wz = ExpectedZero(m, q, cr);
  EXPECT_LT(Relative(*par.wp, cr.DesignWp), 1e-9) << where << ": wp " << *par.wp << " for " << cr.DesignWp;
  EXPECT_LT(Relative(*par.Qp, cr.DesignQp), 1e-9) << where << ": Qp " << *par.Qp << " for " << cr.DesignQp;
  EXPECT_LT(Relative(*par.wz, wz), 1e-9) << where << ": wz " << *par.wz << " for " << wz;
  EXPECT_EQ(p.a[3], 0) << where;
  EXPECT_LT(std::abs(p.a[1] / p.a[2]), 1e-12 * wz) << where << ": s-term " << p.a[1];
  EXPECT_LT(Relative(analysis::StageGain(v, m.type, m.n), cr.CircuitGain), 1e-9)
      << where << ": K " << analysis::StageGain(v, m.type, m.n) << " for " << cr.CircuitGain;
  ExpectValuesPositiveAndFinite(cr, where);
}

std::vector<double> ZeroRatios(int type) {
  if (type == ptSLPN) return {1.05, 1.5, 5};
  if (type == ptSHPN) return {0.2, 0.6, 0.95};
  return {1};
}

TEST(DesignNotchFliegeBhAm, EveryMemberHasARoutineAndNoVariants) {
  for (const Member& m : Members()) {
    EXPECT_NE(circuits::FindDesign(m.type, m.n), nullptr) << m.key();
    const circuits::CircuitDescriptor& d = circuits::Descriptor(circuits::CircuitIdOf(m.type, m.n));
    EXPECT_FALSE(d.c2VariableAvailable) << m.key();
    EXPECT_FALSE(d.activeCompAvailable) << m.key();
  }
}

// The grid: five decades of wp (either side of the C1 = 1 nF boundary), Q from just above
// 1/2 to 30, zeros across each type's range, requested gains 0.5 to 10.  Every point is
// realisable by every member.
TEST(DesignNotchFliegeBhAm, RoundTripOverTheGrid) {
  const double frequencies[] = {10, 316, 4.7e3, 1e5, 1e6};
  const double qs[] = {0.51, 0.7071, 2, 8, 30};
  const double gains[] = {0.5, 1, 2.5, 10};
  for (const Member& m : Members()) {
    int designed = 0;
    const std::vector<double> ratios = ZeroRatios(m.type);
    for (double f : frequencies) {
      for (double qp : qs) {
        for (double ratio : ratios) {
          for (double gain : gains) {
            const Request q{kTwoPi * f, qp, gain, ratio * kTwoPi * f};
            const std::string where = Where(m, q);
            const CircuitRecord cr = Designed(m, q);
            EXPECT_EQ(cr.DesignWp, q.wp) << where;
            EXPECT_EQ(cr.DesignQp, q.qp) << where;
            const GainRule rule = ExpectedGain(m, q, cr);
            EXPECT_LT(Relative(cr.CircuitGain, rule.gain), 1e-12) << where;
            EXPECT_EQ(cr.GainConstrained, rule.constrained) << where;
            if (rule.constrained) {
              EXPECT_EQ(cr.SecondGain, cr.CircuitGain) << where;
            }
            ASSERT_FALSE(cr.DesignFailed) << where;
            ExpectRoundTrip(m, q, cr, where);
            ++designed;
          }
        }
      }
    }
    EXPECT_EQ(designed, 5 * 5 * 4 * static_cast<int>(ratios.size())) << m.key();
  }
}

// A zero on the wrong side of the poles (or on them) for the one-way dividers, and the
// extremes that stay realisable: the close zero of a low-Q lowpass notch, where SLPN09's
// R5 must drop below R0 for R1 to stay positive, and its high-Q counterpart in SHPN08.
TEST(DesignNotchFliegeBhAm, FailsOnlyWhereTheZeroCannotBeReached) {
  const double wp = kTwoPi * 2e3;
  for (const Member& m : Members()) {
    for (double ratio : {0.2, 0.9, 0.999, 1.0, 1.001, 1.1, 5.0}) {
      for (double qp : {0.51, 3.0, 30.0}) {
        const Request q{wp, qp, 2, ratio * wp};
        const std::string where = Where(m, q);
        const CircuitRecord cr = Designed(m, q);
        EXPECT_EQ(cr.DesignFailed, Unrealisable(m, q, cr)) << where;
        if (!cr.DesignFailed) ExpectRoundTrip(m, q, cr, where);
      }
    }
  }
}

TEST(DesignNotchFliegeBhAm, BerkaHerpyKeepsR1PositiveForCloseZeros) {
  const double wp = kTwoPi * 1e3;
  struct Case {
    Member m;
    double qp, ratio;
    bool plainLoop;  // R5 = R9 = R0 in SLPN09, R7 = R9 = R0 in SHPN08
  };
  const Case cases[] = {
      {{ptSLPN, 9}, 20, 1.2, true},      // (1.44 - 1) 20 = 8.8: R0 leaves R1 room
      {{ptSLPN, 9}, 0.51, 1.05, false},  // 0.1025 x 0.51: R5 = R9 = 0.026 R0
      {{ptSLPN, 9}, 10, 1.0488, false},  // just under the bound of 2
      {{ptSHPN, 8}, 20, 0.5, true},     {{ptSHPN, 8}, 0.51, 0.95, false},
  };
  for (const Case& c : cases) {
    const Request q{wp, c.qp, 1, c.ratio * wp};
    const std::string where = Where(c.m, q);
    const CircuitRecord cr = Designed(c.m, q);
    ASSERT_FALSE(cr.DesignFailed) << where;
    ExpectRoundTrip(c.m, q, cr, where);
    const double r0 = 1 / (cr.C[1].Value * wp);
    const int loop = c.m.type == ptSLPN ? 5 : 7;
    EXPECT_EQ(cr.R[9].Value, cr.R[static_cast<std::size_t>(loop)].Value) << where;
    if (c.plainLoop) {
      EXPECT_NEAR(cr.R[9].Value, r0, 1e-12 * r0) << where;
    } else {
      EXPECT_GT(std::abs(cr.R[9].Value / r0 - 1), 1e-3) << where;
    }
    // R1 is not left to vanish: at least a fraction of the divider it balances.
    EXPECT_GT(cr.R[1].Value, 1e-4 * r0) << where;
  }
}

// Predistortion designs the poles for wd = wp (1 + aw x), Qd = Qp (1 + aq x),
// x = wp / (2 pi GBW), and the analysis gives those back with the zero where the member
// puts it and the gain its rule gives for wd.
TEST(DesignNotchFliegeBhAm, PredistortedTargetsAreRealised) {
  for (const Member& m : Members()) {
    for (double qp : {0.51, 2.0, 30.0}) {
      for (double ratio : ZeroRatios(m.type)) {
        const double wp = kTwoPi * 10e3;
        const Request q{wp, qp, 2.5, ratio * wp, true, 5e6};
        const std::string where = Where(m, q);
        const CircuitRecord cr = Designed(m, q);
        const double x = wp / (kTwoPi * q.gbw);
        EXPECT_LT(Relative(cr.DesignWp, wp * (1 + cr.GbwCoefWp * x)), 1e-12) << where;
        EXPECT_LT(Relative(cr.DesignQp, qp * (1 + cr.GbwCoefQp * x)), 1e-12) << where;
        EXPECT_NE(cr.DesignWp, wp) << where;
        EXPECT_LT(Relative(cr.CircuitGain, ExpectedGain(m, q, cr).gain), 1e-12) << where;
        ASSERT_FALSE(cr.DesignFailed) << where;
        ExpectRoundTrip(m, q, cr, where);
      }
    }
  }
}

// The capacitor rules: SLPN04's C2 carries its gain, the integrating capacitor C1/h;
// equal capacitors in the Fliege highpass and the Berka-Herpy loops; the
// Akerberg-Mossberg input capacitor C3 = K C2 with C2 as the set-up (or the user) left it.
TEST(DesignNotchFliegeBhAm, CapacitorRules) {
  struct Case {
    Member m;
    double ratio, gain, c2Chosen;
    double c2, c3;  // over C1; c3 0 where the circuit has two capacitors
  };
  const Case cases[] = {
      {{ptSLPN, 4}, 2, 1, 0, 0.6, 1.6},  // K = 1/4, h = 5/8
      {{ptSN, 2}, 1, 1, 0, 1, 0},        // h = 1
      {{ptSHPN, 3}, 0.5, 1, 2.2, 1, 0},    {{ptSLPN, 9}, 2, 1, 2.2, 1, 0},
      {{ptSHPN, 8}, 0.5, 1, 0, 1, 0},      {{ptSN, 8}, 1, 1, 0, 1, 0},
      {{ptSLPN, 10}, 2, 2.5, 0, 1, 2.5},   {{ptSHPN, 9}, 0.5, 0.5, 0, 1, 0.5},
      {{ptSN, 9}, 1, 4, 0, 1, 4},          {{ptSLPN, 10}, 2, 2.5, 2.2, 2.2, 5.5},
      {{ptSN, 9}, 1, 3, 0.47, 0.47, 1.41},
  };
  for (const Case& c : cases) {
    Request q{kTwoPi * 1e3, 3, c.gain, c.ratio * kTwoPi * 1e3};
    q.c2Ratio = c.c2Chosen;
    const std::string where = Where(c.m, q) + (c.c2Chosen > 0 ? " with C2 chosen" : "");
    const CircuitRecord cr = Designed(c.m, q);
    ASSERT_FALSE(cr.DesignFailed) << where;
    EXPECT_DOUBLE_EQ(cr.C[1].Value, 10e-9) << where;
    EXPECT_NEAR(cr.C[2].Value / cr.C[1].Value, c.c2, 1e-12 * c.c2) << where;
    EXPECT_NEAR(cr.CapRatio, c.c2, 1e-12 * c.c2) << where;
    if (c.c3 > 0) {
      EXPECT_NEAR(cr.C[3].Value / cr.C[1].Value, c.c3, 1e-12 * c.c3) << where;
    }
    ExpectRoundTrip(c.m, q, cr, where);
  }
}

// The gains the rules give, in figures: (wp/wz)^2, 2 wp^2 / (wp^2 + wz^2), 2 Qp / (2 Qp + 1),
// fixed 1, or the gain asked.
TEST(DesignNotchFliegeBhAm, GainRules) {
  struct Case {
    Member m;
    double ratio, qp, asked, gain;
    bool constrained;
  };
  const Case cases[] = {
      {{ptSLPN, 4}, 2, 1, 5, 0.25, true},  {{ptSLPN, 9}, 2, 1, 5, 0.25, true},
      {{ptSHPN, 3}, 0.5, 1, 5, 1.6, true}, {{ptSHPN, 8}, 0.5, 1, 5, 1, true},
      {{ptSN, 2}, 1, 1, 5, 1, true},       {{ptSN, 8}, 1, 2, 5, 0.8, true},
      {{ptSLPN, 10}, 2, 1, 5, 5, false},   {{ptSHPN, 9}, 0.5, 1, 0.5, 0.5, false},
      {{ptSN, 9}, 1, 1, 7, 7, false},
  };
  for (const Case& c : cases) {
    const Request q{kTwoPi * 1e3, c.qp, c.asked, c.ratio * kTwoPi * 1e3};
    const CircuitRecord cr = Designed(c.m, q);
    EXPECT_NEAR(cr.CircuitGain, c.gain, 1e-12) << Where(c.m, q);
    EXPECT_EQ(cr.GainConstrained, c.constrained) << Where(c.m, q);
  }
}

// SN02 through the dispatcher: wp and wz share their sensitivities, -1/2 to R3, R4, R6,
// C1, C2 and +1/2 to R5; R1 and R2 only set Q.
TEST(DesignNotchFliegeBhAm, Sn02Sensitivities) {
  const double wp = kTwoPi * 1e3;
  const design_test::Designed d = design_test::Design("SN02", wp, 4, 1, wp);
  ASSERT_TRUE(d.ran);
  ASSERT_FALSE(d.cr.DesignFailed);
  const double half[] = {0, 0, 0, -0.5, -0.5, 0.5, -0.5};
  for (std::size_t k = 1; k <= 6; ++k) {
    EXPECT_NEAR(design_test::Sens(d.cr.R[k], 1), half[k], 1e-12) << "R" << k;
    EXPECT_NEAR(design_test::Sens(d.cr.R[k], 4), half[k], 1e-12) << "R" << k;
  }
  for (std::size_t k = 1; k <= 2; ++k) {
    EXPECT_NEAR(design_test::Sens(d.cr.C[k], 1), -0.5, 1e-12) << "C" << k;
    EXPECT_NEAR(design_test::Sens(d.cr.C[k], 4), -0.5, 1e-12) << "C" << k;
  }
}

// ---------------------------------------------------------------------------------------
// The op-amp bandwidth coefficients against the built circuit.  The stage's netlist (the
// writer's topology) with the input grounded and every op-amp A(s) = 1 / (eps s) gives a
// nodal determinant D(s, eps); the ideal pole s0 moves by -eps D_eps / D_s to first order,
// and eps = x / wp turns that into the relative shifts of wp and Q per unit of x.

using Complex = std::complex<double>;

struct Netlist {
  struct Branch {
    char kind = 'R';
    double value = 0;
    int a = 0, b = 0;
  };
  struct OpAmp {
    int plus = 0, minus = 0, out = 0;
  };
  std::vector<Branch> parts;
  std::vector<OpAmp> opAmps;
  int nodes = 0;  // highest node number
};

Netlist ReadNetlist(const CircuitRecord& cr, int type) {
  Netlist net;
  std::istringstream in(output::StageSubcircuit(cr, type, 1, "OP"));
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string name;
    words >> name;
    if (name.empty() || name[0] == '.') continue;
    if (name[0] == 'X') {
      Netlist::OpAmp x;
      words >> x.plus >> x.minus >> x.out;
      net.opAmps.push_back(x);
      net.nodes = std::max({net.nodes, x.plus, x.minus, x.out});
    } else {
      Netlist::Branch part;
      part.kind = name[0];
      const auto k = static_cast<std::size_t>(std::stoi(name.substr(1)));
      part.value = part.kind == 'R' ? cr.R[k].Value : cr.C[k].Value;
      words >> part.a >> part.b;
      net.parts.push_back(part);
      net.nodes = std::max({net.nodes, part.a, part.b});
    }
  }
  return net;
}

// Nodes 2.. are the unknowns (0 ground, 1 the grounded input); an op-amp's output row holds
// eps s Vo - V+ + V- = 0 in place of the current balance.
Complex Determinant(const Netlist& net, Complex s, double eps) {
  const auto n = static_cast<std::size_t>(std::max(net.nodes - 1, 0));
  std::vector<std::vector<Complex>> a(n, std::vector<Complex>(n));
  std::vector<bool> driven(n, false);
  auto row = [](int node) { return static_cast<std::size_t>(node - 2); };
  for (const Netlist::OpAmp& x : net.opAmps) driven[row(x.out)] = true;
  for (const Netlist::Branch& part : net.parts) {
    const Complex y = part.kind == 'R' ? Complex(1 / part.value) : s * part.value;
    for (const auto& [i, j, sign] : {std::tuple{part.a, part.a, 1.0},
                                     {part.b, part.b, 1.0},
                                     {part.a, part.b, -1.0},
                                     {part.b, part.a, -1.0}}) {
      if (i < 2 || j < 2 || driven[row(i)]) continue;
      a[row(i)][row(j)] += sign * y;
    }
  }
  for (const Netlist::OpAmp& x : net.opAmps) {
    auto& r = a[row(x.out)];
    r[row(x.out)] += eps * s;
    if (x.plus >= 2) r[row(x.plus)] -= 1;
    if (x.minus >= 2) r[row(x.minus)] += 1;
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
    if (a[c][c] == Complex(0)) return 0;
    det *= a[c][c];
    for (std::size_t r = c + 1; r < n; ++r) {
      const Complex f = a[r][c] / a[c][c];
      for (std::size_t k = c; k < n; ++k) a[r][k] -= f * a[c][k];
    }
  }
  return det;
}

TEST(DesignNotchFliegeBhAm, BandwidthCoefficientsDescribeTheBuiltCircuit) {
  struct Point {
    double qp, ratio, gain, c2Ratio;
  };
  for (const Member& m : Members()) {
    const double side = m.type == ptSLPN ? 1.7 : m.type == ptSHPN ? 1 / 1.7 : 1.0;
    std::vector<Point> points = {{2, side, 1.5, 0}, {8, side, 4, 0}, {0.6, side, 0.5, 0}};
    if (m.type == ptSLPN) points.push_back({0.6, 1.1, 2, 0});  // SLPN09 with R5 = R9 below R0
    if (m.type == ptSHPN) points.push_back({1.5, 0.8, 2, 0});  // SHPN08 with R7 = R9 above R0
    if (m.n >= 9) points.push_back({2, side, 1.5, 2.2});       // AM with a C2 of the user's
    for (const Point& pt : points) {
      const double wp = kTwoPi * 1e3;
      Request q{wp, pt.qp, pt.gain, pt.ratio * wp};
      q.c2Ratio = pt.c2Ratio;
      const std::string where = Where(m, q) + (pt.c2Ratio > 0 ? " with C2 chosen" : "");
      const CircuitRecord cr = Designed(m, q);
      ASSERT_FALSE(cr.DesignFailed) << where;
      const Netlist net = ReadNetlist(cr, m.type);
      const Complex s0(-wp / (2 * pt.qp), wp * std::sqrt(1 - 1 / (4 * pt.qp * pt.qp)));
      const double h = 1e-6 * wp;
      const double e = 1e-7 / wp;
      const Complex dS = (Determinant(net, s0 + h, 0) - Determinant(net, s0 - h, 0)) / (2 * h);
      const Complex dE = (Determinant(net, s0, e) - Determinant(net, s0, -e)) / (2 * e);
      // The ideal network has its pole where it was designed.
      EXPECT_LT(std::abs(Determinant(net, s0, 0) / (dS * wp)), 1e-9) << where;
      const Complex s1 = -dE / dS / wp;  // per unit of x
      const double wpShift = (std::conj(s0) * s1).real() / std::norm(s0);
      const double qShift = wpShift - s1.real() / s0.real();
      const double tolerance = 1e-5 * (1 + std::abs(cr.GbwCoefWp) + std::abs(cr.GbwCoefQp));
      EXPECT_NEAR(wpShift, -cr.GbwCoefWp, tolerance) << where;
      EXPECT_NEAR(qShift, -cr.GbwCoefQp, tolerance) << where;
    }
  }
}

// ---------------------------------------------------------------------------------------
// ngspice: the designed stage built from the writer's subcircuit with exact values and
// near-ideal op-amps.  Away from the zero it follows the target notch; at the zero it is at
// least 80 dB below the larger of its passband gains.

// Simulated H(jw) at each w, or empty when ngspice did not run.
std::vector<Complex> Simulate(const Member& m, const CircuitRecord& cr, const std::vector<double>& ws,
                              std::string& netlist) {
  const std::optional<fs::path> ngspice = FindOnPath("ngspice");
  if (!ngspice) return {};
  std::ostringstream net;
  net << "* " << m.key() << "\n" << test_support::IdealOpAmp("IDEALOP");
  net << test_support::WithFullValues(output::StageSubcircuit(cr, m.type, 1, "IDEALOP"), cr);
  net << "V1 1 0 AC 1\nX1 1 2 " << circuits::TypeLetters(m.type) << "1\n";
  net << ".control\nset appendwrite\nset wr_singlescale\n";
  for (double w : ws) {
    net << test_support::AcPoint(w, 2);
  }
  net << "quit\n.endc\n.end\n";
  netlist = net.str();
  const test_support::NgspiceRun run = test_support::RunNgspice(ngspice->string(), netlist, "tavrin-notch");
  return run.status == 0 ? run.ac : std::vector<Complex>{};
}

TEST(DesignNotchFliegeBhAm, NgspiceNotchDepthAndResponse) {
  ASSERT_TRUE(FindOnPath("ngspice").has_value())
      << "ngspice was not found on PATH; it is a required dependency of the test suite";
  struct Point {
    double qp, ratio, gain;
  };
  double shallowest = 0;  // dB below the passband, over every design
  for (const Member& m : Members()) {
    std::vector<Point> points;
    // The closest zero of each type with a high Q, the others with a low one, and the
    // closest again at the lowest Q.
    for (double ratio : ZeroRatios(m.type)) {
      points.push_back({ratio == 1.05 || ratio == 0.95 ? 30 : 0.7, ratio, 2});
    }
    points.push_back({0.51, m.type == ptSLPN ? 1.05 : m.type == ptSHPN ? 0.95 : 1, 0.5});
    for (const Point& pt : points) {
      const double wp = kTwoPi * 1234;
      const Request q{wp, pt.qp, pt.gain, pt.ratio * wp};
      const std::string where = Where(m, q);
      const CircuitRecord cr = Designed(m, q);
      ASSERT_FALSE(cr.DesignFailed) << where;
      std::vector<double> ws = {q.wz};
      for (double k : {0.3, 0.7, 0.93, 1.0, 1.08, 1.6, 4.0}) {
        if (std::abs(k * wp / q.wz - 1) > 0.05) ws.push_back(k * wp);
      }
      std::string netlist;
      const std::vector<Complex> h = Simulate(m, cr, ws, netlist);
      ASSERT_EQ(h.size(), ws.size()) << where << "\n" << netlist;
      const analysis::StagePolynomials p =
          analysis::BuildStagePolynomials(analysis::LoadWorkingVectors(cr), m.type, m.n);
      const double k = cr.CircuitGain;
      const double passband = std::max(std::abs(k), std::abs(k) * (q.wz / wp) * (q.wz / wp));
      const double depth = -20 * std::log10(std::abs(h[0]) / passband);
      if (shallowest == 0 || depth < shallowest) shallowest = depth;
      EXPECT_LT(std::abs(h[0]), 1e-4 * passband) << where << ": " << depth << " dB below the passband at wz";
      for (std::size_t i = 1; i < ws.size(); ++i) {
        const Complex target = design_test::TargetNotch(k, wp, pt.qp, q.wz, ws[i]);
        const Complex expected = p.inverting ? -target : target;
        EXPECT_LT(std::abs(h[i] - expected) / std::abs(expected), 1e-3)
            << where << " at w/wp = " << ws[i] / wp << ": simulated " << h[i] << ", expected " << expected;
      }
    }
  }
  RecordProperty("shallowest_notch_db", std::to_string(shallowest));
}

}  // namespace
}  // namespace tavrin
