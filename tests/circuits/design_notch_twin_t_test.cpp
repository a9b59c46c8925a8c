// The twin-T notch circuits (SLPN05, SHPN04, SN01, SN03, SN04): their design routines
// against the analysis of the values they compute, and the designed stages in ngspice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <filesystem>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
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
using circuits::CircuitIdOf;
using circuits::DesignContext;
using circuits::FindDesign;
using Complex = std::complex<double>;
using design_test::TargetNotch;
using test_support::Exact;

constexpr double kTwoPi = 2 * std::numbers::pi;

struct Member {
  const char* key;
  int type;
  int n;
};

constexpr Member kMembers[] = {
    {"SLPN05", core::ptSLPN, 5}, {"SHPN04", core::ptSHPN, 4}, {"SN01", core::ptSN, 1},
    {"SN03", core::ptSN, 3},     {"SN04", core::ptSN, 4},
};

struct Options {
  bool predistort = false;
  double gbw = 1e6;  // Hz
};

// The record as the calculation window prepares it, then the member's routine alone (no
// dispatcher post-steps: the routine's own values are what is checked here).
core::CircuitRecord DesignMember(const Member& m, double wp, double qp, double wz, double gain,
                                 const Options& o = {}) {
  core::CircuitRecord cr;
  cr.CircuitId = static_cast<std::int16_t>(CircuitIdOf(m.type, m.n));
  cr.CircuitNumber = static_cast<std::int16_t>(m.n);
  cr.CircuitNumberCopy = cr.CircuitNumber;
  cr.Fresh = true;
  cr.OpAmpGbw = o.gbw;
  core::StageComponentSetEntry memory, saved;
  circuits::SetUpCircuit(cr, wp, false, memory, saved);
  cr.Predistort = o.predistort;
  cr.RequestedGain = gain;
  cr.CircuitGain = gain;
  DesignContext ctx{cr, {m.type, wp, qp, wz}};
  const circuits::DesignEntry* entry = FindDesign(m.type, m.n);
  if (entry != nullptr) entry->design(ctx);
  return cr;
}

analysis::StagePolynomials Polynomials(const core::CircuitRecord& cr, int type) {
  return analysis::BuildStagePolynomials(analysis::LoadWorkingVectors(cr), type, cr.CircuitNumber);
}

// The real root of the monic cubic s^3 + c2 s^2 + c1 s + c0 nearest -c2, by Newton from
// there: the twin-T's extra root lies at -wd with the pair's s-term small beside it.
double RealRoot(double c2, double c1, double c0) {
  double r = -c2;
  for (int i = 0; i < 60; ++i) {
    const double f = ((r + c2) * r + c1) * r + c0;
    const double df = (3 * r + 2 * c2) * r + c1;
    if (df == 0) break;
    const double step = f / df;
    r -= step;
    if (std::abs(step) <= 1e-16 * std::abs(r)) break;
  }
  return r;
}

// The s-term of the numerator's quadratic factor, relative to wz: zero for a true notch.
double RelativeSTerm(const analysis::StagePolynomials& p, double wz) {
  const double a2 = p.a[2] / p.a[3], a1 = p.a[1] / p.a[3], a0 = p.a[0] / p.a[3];
  return (a2 + RealRoot(a2, a1, a0)) / wz;
}

// Where each member cannot realise the target, in the values its equations are solved for.
bool Unrealisable(const Member& m, double wd, double qd, double wz) {
  const std::string key = m.key;
  if (key == "SN01") return !(101 * qd > 1);  // no ratio up to 100 lifts K above 1
  if (!(4 * qd > 1)) return true;             // the amplifier would need R4 < 0
  if (key == "SLPN05") return !(wd < wz);     // C4 = C1 - C3 would not be positive
  if (key == "SHPN04") return !(wz < wd);     // the input divider needs (wz/wd)^2 < 1
  return false;
}

// The gain each member's rule sets, whatever was asked.
double RuleGain(const Member& m, double wp, double wz, const core::CircuitRecord& cr) {
  const std::string key = m.key;
  if (key == "SLPN05") return (wp / wz) * (wp / wz);
  if (key == "SN01") return 2 - 1 / ((1 + cr.CapRatio) * cr.DesignQp);
  return 1;
}

std::vector<double> Ratios(int type) {
  if (type == core::ptSLPN) return {1.05, 1.7, 5};
  if (type == core::ptSHPN) return {0.2, 0.6, 0.95};
  return {1};
}

double MidRatio(int type) {
  const std::vector<double> r = Ratios(type);
  return r[r.size() / 2];
}

// ---------------------------------------------------------------------------------------
// Round trip over the grid

TEST(TwinTNotchDesign, EveryMemberRealisesItsTargetsOverTheGrid) {
  const double frequencies[] = {10, 1e3, 31000 / kTwoPi, 5e4, 1e6};  // Hz; 31000 rad/s switches C1
  const double qs[] = {0.51, 0.707, 2, 9.5, 30};
  const double gains[] = {0.5, 1, 3.3, 10};
  for (const Member& m : kMembers) {
    ASSERT_NE(FindDesign(m.type, m.n), nullptr) << m.key;
    int designed = 0;
    for (double f : frequencies) {
      for (double qp : qs) {
        for (double ratio : Ratios(m.type)) {
          for (double gain : gains) {
            const double wp = kTwoPi * f;
            const double wz = ratio * wp;
            const core::CircuitRecord cr = DesignMember(m, wp, qp, wz, gain);
            SCOPED_TRACE(std::string(m.key) + " wp " + std::to_string(wp) + " Qp " + std::to_string(qp) +
                         " wz/wp " + std::to_string(ratio) + " gain " + std::to_string(gain));
            if (cr.DesignFailed) {
              EXPECT_TRUE(Unrealisable(m, cr.DesignWp, cr.DesignQp, wz)) << "failed on a realisable target";
              continue;
            }
            ++designed;
            for (int k = 1; k <= cr.ResistorCount; ++k)
              ASSERT_TRUE(cr.R[static_cast<std::size_t>(k)].Value > 0 &&
                          std::isfinite(cr.R[static_cast<std::size_t>(k)].Value))
                  << "R" << k;
            for (int k = 1; k <= cr.CapacitorCount; ++k)
              ASSERT_TRUE(cr.C[static_cast<std::size_t>(k)].Value > 0 &&
                          std::isfinite(cr.C[static_cast<std::size_t>(k)].Value))
                  << "C" << k;
            const analysis::StagePolynomials p = Polynomials(cr, m.type);
            const analysis::StageParameters par = analysis::ParametersOf(p, m.type);
            ASSERT_TRUE(par.wp && par.Qp && par.wz);
            EXPECT_NEAR(*par.wp / wp, 1, 1e-9);
            EXPECT_NEAR(*par.Qp / qp, 1, 1e-9);
            EXPECT_NEAR(*par.wz / wz, 1, 1e-9);
            EXPECT_NEAR(p.K / cr.CircuitGain, 1, 1e-9);
            EXPECT_NEAR(cr.CircuitGain, RuleGain(m, wp, wz, cr), 1e-12 * cr.CircuitGain);
            EXPECT_TRUE(cr.GainConstrained);
            EXPECT_EQ(cr.SecondGain, cr.CircuitGain);
            EXPECT_LE(std::abs(RelativeSTerm(p, wz)), 1e-12) << "the notch's s-term";
            // The extra real pole and zero cancel: the third-order response is the biquad.
            double worst = 0;
            for (double x = 0.1; x <= 10.0001; x *= std::pow(10.0, 0.1)) {
              const double w = x * wp;
              if (std::abs(w / wz - 1) < 0.01) continue;
              const Complex t = TargetNotch(cr.CircuitGain, wp, qp, wz, w);
              worst = std::max(worst, std::abs(analysis::StageResponse(p, w) - t) / std::abs(t));
            }
            EXPECT_LT(worst, 1e-8) << "response against the target notch";
            EXPECT_LT(std::abs(analysis::StageResponse(p, wz)), 1e-9 * cr.CircuitGain) << "depth at wz";
          }
        }
      }
    }
    EXPECT_GT(designed, 0) << m.key;
  }
}

TEST(TwinTNotchDesign, SN01GainStaysBetweenOneAndTwo) {
  // (1 + m) Qp > 1 is what K > 1 needs; the set-up's m = 1 covers every Q above 1/2, and a
  // lower Q takes the next ratio that does.
  const Member sn01 = kMembers[2];
  struct Case {
    double qp, ratio;
  };
  const Case cases[] = {{0.51, 1}, {2, 1}, {30, 1}, {0.45, 2.2}, {0.2, 4.7}, {0.03, 47}};
  for (const Case& c : cases) {
    const double wp = kTwoPi * 2000;
    const core::CircuitRecord cr = DesignMember(sn01, wp, c.qp, wp, 1.5);
    SCOPED_TRACE("Qp " + std::to_string(c.qp));
    ASSERT_FALSE(cr.DesignFailed);
    EXPECT_DOUBLE_EQ(cr.CapRatio, c.ratio);
    EXPECT_NEAR(cr.C[2].Value / cr.C[1].Value, c.ratio, 1e-12);
    EXPECT_NEAR(cr.C[3].Value / cr.C[1].Value, 1 + c.ratio, 1e-12);
    EXPECT_GT(cr.CircuitGain, 1);
    EXPECT_LT(cr.CircuitGain, 2);
    const analysis::StagePolynomials p = Polynomials(cr, core::ptSN);
    const analysis::StageParameters par = analysis::ParametersOf(p, core::ptSN);
    if (c.qp > 0.5) {
      ASSERT_TRUE(par.Qp);
      EXPECT_NEAR(*par.Qp / c.qp, 1, 1e-9);
    }
    EXPECT_NEAR(p.K, cr.CircuitGain, 1e-12);
  }
  // Below 1/101 no ratio of the list helps.
  EXPECT_TRUE(DesignMember(sn01, kTwoPi * 2000, 0.009, kTwoPi * 2000, 1).DesignFailed);
}

TEST(TwinTNotchDesign, SN01KeepsAUserCapacitorRatio) {
  // The capacitor adjustment may change C2 alone; the next design builds on that ratio.
  const Member sn01 = kMembers[2];
  const double wp = kTwoPi * 2000;
  core::CircuitRecord cr;
  cr.CircuitId = static_cast<std::int16_t>(CircuitIdOf(sn01.type, sn01.n));
  cr.CircuitNumber = static_cast<std::int16_t>(sn01.n);
  cr.Fresh = true;
  cr.OpAmpGbw = 1e6;
  core::StageComponentSetEntry memory, saved;
  circuits::SetUpCircuit(cr, wp, false, memory, saved);
  cr.C[2].Value = 3.3 * cr.C[1].Value;
  DesignContext ctx{cr, {sn01.type, wp, 1.2, wp}};
  FindDesign(sn01.type, sn01.n)->design(ctx);
  ASSERT_FALSE(cr.DesignFailed);
  EXPECT_NEAR(cr.CapRatio, 3.3, 1e-12);
  EXPECT_NEAR(cr.C[3].Value, 4.3 * cr.C[1].Value, 1e-12 * cr.C[1].Value);
  EXPECT_NEAR(cr.CircuitGain, 2 - 1 / (4.3 * 1.2), 1e-12);
  const analysis::StageParameters par = analysis::ParametersOf(Polynomials(cr, core::ptSN), core::ptSN);
  ASSERT_TRUE(par.wp && par.Qp && par.wz);
  EXPECT_NEAR(*par.wp / wp, 1, 1e-9);
  EXPECT_NEAR(*par.Qp / 1.2, 1, 1e-9);
  EXPECT_NEAR(*par.wz / wp, 1, 1e-9);
}

TEST(TwinTNotchDesign, TargetsOutsideTheCircuitsReachFail) {
  struct Case {
    Member m;
    double qp, wzOverWp;
  };
  const Case cases[] = {
      {kMembers[0], 2, 0.9},     // a lowpass notch asked for a zero below its pole
      {kMembers[0], 0.2, 2},     // 4 Q - 1 < 0
      {kMembers[1], 2, 1.1},     // a highpass notch asked for a zero above its pole
      {kMembers[1], 0.25, 0.5},  // 4 Q - 1 = 0
      {kMembers[3], 0.24, 1},   {kMembers[4], 0.1, 1},
  };
  for (const Case& c : cases) {
    const double wp = kTwoPi * 1000;
    const core::CircuitRecord cr = DesignMember(c.m, wp, c.qp, c.wzOverWp * wp, 1);
    EXPECT_TRUE(cr.DesignFailed) << c.m.key << " Qp " << c.qp << " wz/wp " << c.wzOverWp;
    EXPECT_TRUE(Unrealisable(c.m, cr.DesignWp, cr.DesignQp, c.wzOverWp * wp)) << c.m.key;
  }
}

// ---------------------------------------------------------------------------------------
// Predistortion

TEST(TwinTNotchDesign, PredistortedDesignsKeepTheNullOnWz) {
  const Options o{.predistort = true, .gbw = 1e6};
  const double wp = kTwoPi * 10e3;
  const double x = wp / (kTwoPi * o.gbw);
  for (const Member& m : kMembers) {
    const double wz = MidRatio(m.type) * wp;
    const double qp = 3;
    const core::CircuitRecord cr = DesignMember(m, wp, qp, wz, 1, o);
    SCOPED_TRACE(m.key);
    ASSERT_FALSE(cr.DesignFailed);
    const analysis::StagePolynomials p = Polynomials(cr, m.type);
    const analysis::StageParameters par = analysis::ParametersOf(p, m.type);
    ASSERT_TRUE(par.wp && par.Qp && par.wz);
    EXPECT_NEAR(*par.wp / cr.DesignWp, 1, 1e-9);
    EXPECT_NEAR(*par.Qp / cr.DesignQp, 1, 1e-9);
    EXPECT_NEAR(cr.DesignQp / (qp * (1 + cr.GbwCoefQp * x)), 1, 1e-12);
    // The null is the passive network's: predistorting it would move it off wz.
    EXPECT_NEAR(*par.wz / wz, 1, 1e-9);
    EXPECT_LE(std::abs(RelativeSTerm(p, wz)), 1e-12);
    if (m.type == core::ptSN) {
      EXPECT_EQ(cr.DesignWp, wp) << "a symmetric notch's pair is tied to its null";
    } else {
      EXPECT_NEAR(cr.DesignWp / (wp * (1 + cr.GbwCoefWp * x)), 1, 1e-12);
    }
  }
}

// ---------------------------------------------------------------------------------------
// Sensitivities as the dispatcher leaves them

// Scaling every C by one factor scales every frequency of the stage inversely, and scaling
// every R leaves the stage unchanged when the C are scaled back: so over the capacitors the
// sensitivities of wp, wz and the extra real pole (pa) and zero (pb) add up to -1, over the
// resistors likewise, and those of Qp and the gain to 0 on each side.  A slot filled with
// the wrong quantity or root breaks these sums.
TEST(TwinTNotchSensitivities, SlotsObeyTheScalingOfTheNetwork) {
  for (const Member& m : kMembers) {
    for (double qp : {0.8, 6.0}) {
      const double wp = kTwoPi * 4400;
      const double wz = MidRatio(m.type) * wp;
      const design_test::Designed d = design_test::Design(m.key, wp, qp, 1, wz);
      SCOPED_TRACE(std::string(m.key) + " Qp " + std::to_string(qp));
      ASSERT_TRUE(d.ran);
      ASSERT_FALSE(d.cr.DesignFailed);
      for (int code : {1, 2, 3, 4, 5, 6}) {
        double r = 0, c = 0;
        for (int k = 1; k <= d.cr.ResistorCount; ++k)
          r += design_test::Sens(d.cr.R[static_cast<std::size_t>(k)], code);
        for (int k = 1; k <= d.cr.CapacitorCount; ++k)
          c += design_test::Sens(d.cr.C[static_cast<std::size_t>(k)], code);
        const double expected = (code == 2 || code == 3) ? 0 : -1;
        EXPECT_NEAR(r, expected, 1e-9) << "resistor sum of code " << code;
        EXPECT_NEAR(c, expected, 1e-9) << "capacitor sum of code " << code;
      }
    }
  }
}

// ---------------------------------------------------------------------------------------
// ngspice

// V(out) at each w (rad/s); the op-amp is ideal, or a single pole at gbw Hz.
std::vector<Complex> Simulate(const Member& m, const core::CircuitRecord& cr, const std::vector<double>& ws,
                              double gbw = 0) {
  const std::optional<fs::path> ngspice = test_support::FindOnPath("ngspice");
  if (!ngspice) {
    ADD_FAILURE() << "ngspice was not found on PATH; it is a required dependency of the test suite";
    return {};
  }
  std::ostringstream net;
  net << "* " << m.key << "\n";
  if (gbw > 0) {
    net << ".SUBCKT OPAMP 2 1 5\nG1 0 3 2 1 1\nC1 3 0 " << Exact(1 / (kTwoPi * gbw))
        << "\nR1 3 0 1e12\nEO 5 0 3 0 1\n.ENDS OPAMP\n";
  } else {
    net << test_support::IdealOpAmp("OPAMP");
  }
  // The writer rounds to report precision, which alone would limit the null to about 60 dB.
  net << test_support::WithFullValues(output::StageSubcircuit(cr, m.type, 1, "OPAMP"), cr);
  net << "V1 1 0 AC 1\nX1 1 2 " << circuits::TypeLetters(m.type) << "1\n";
  net << ".control\nset appendwrite\nset wr_singlescale\n";
  for (double w : ws) {
    net << test_support::AcPoint(w, 2);
  }
  net << "quit\n.endc\n.end\n";
  const test_support::NgspiceRun run = test_support::RunNgspice(ngspice->string(), net.str(), "tavrin-notch");
  if (!run.folder) {
    ADD_FAILURE() << "no temporary folder";
    return {};
  }
  EXPECT_EQ(run.status, 0) << net.str();
  EXPECT_EQ(run.ac.size(), ws.size()) << net.str();
  return run.ac;
}

double PassbandGain(double k, double wp, double wz) {
  return std::max(k, k * (wz / wp) * (wz / wp));
}

TEST(TwinTNotchNgspice, DesignedStagesSimulateToTheTargetNotchWithADeepNull) {
  const double wp = kTwoPi * 3300;
  const double qp = 4;
  for (const Member& m : kMembers) {
    for (double ratio : Ratios(m.type)) {
      const double wz = ratio * wp;
      const core::CircuitRecord cr = DesignMember(m, wp, qp, wz, 2);
      SCOPED_TRACE(std::string(m.key) + " wz/wp " + std::to_string(ratio));
      ASSERT_FALSE(cr.DesignFailed);
      std::vector<double> ws;
      for (double x : {0.1, 0.3, 0.7, 0.9, 1.0, 1.15, 1.5, 3.0, 10.0})
        if (std::abs(x * wp / wz - 1) > 0.05) ws.push_back(x * wp);
      ws.push_back(wz);
      const std::vector<Complex> sim = Simulate(m, cr, ws);
      ASSERT_EQ(sim.size(), ws.size());
      for (std::size_t i = 0; i + 1 < ws.size(); ++i) {
        const Complex t = TargetNotch(cr.CircuitGain, wp, qp, wz, ws[i]);
        EXPECT_LT(std::abs(sim[i] - t) / std::abs(t), 1e-3) << "at " << ws[i] << " rad/s";
      }
      const double depth = 20 * std::log10(PassbandGain(cr.CircuitGain, wp, wz) / std::abs(sim.back()));
      EXPECT_GE(depth, 80) << "null at wz";
      RecordProperty(std::string(m.key) + "_depth_dB", std::to_string(depth));
    }
  }
}

// The error of sim against c t for the complex c that fits best: how far the simulated
// response is from the target's shape, whatever flat gain error it carries.
double ShapeError(const std::vector<Complex>& sim, const std::vector<Complex>& t) {
  Complex num = 0;
  double den = 0;
  for (std::size_t i = 0; i < t.size(); ++i) {
    num += std::conj(t[i]) * sim[i];
    den += std::norm(t[i]);
  }
  const Complex c = num / den;
  double worst = 0;
  for (std::size_t i = 0; i < t.size(); ++i)
    worst = std::max(worst, std::abs(sim[i] - c * t[i]) / std::abs(t[i]));
  return worst;
}

// With a single-pole op-amp the predistorted lowpass and highpass notches come much nearer
// the target's shape than the plain design (the coefficients are right in size and sign),
// and every predistorted null stays deep at wz.
TEST(TwinTNotchNgspice, PredistortionAgainstASinglePoleOpAmp) {
  const double gbw = 2e6;
  const double wp = kTwoPi * 10e3;
  const double qp = 2;
  for (const Member& m : kMembers) {
    const double wz = MidRatio(m.type) * wp;
    SCOPED_TRACE(m.key);
    const core::CircuitRecord plain = DesignMember(m, wp, qp, wz, 1, {.predistort = false, .gbw = gbw});
    const core::CircuitRecord shifted = DesignMember(m, wp, qp, wz, 1, {.predistort = true, .gbw = gbw});
    ASSERT_FALSE(plain.DesignFailed);
    ASSERT_FALSE(shifted.DesignFailed);
    std::vector<double> ws;
    for (double x : {0.7, 0.85, 1.0, 1.2, 1.4})
      if (std::abs(x * wp / wz - 1) > 0.1) ws.push_back(x * wp);
    std::vector<Complex> target;
    for (double w : ws) target.push_back(TargetNotch(plain.CircuitGain, wp, qp, wz, w));
    ws.push_back(wz);
    std::vector<Complex> a = Simulate(m, plain, ws, gbw);
    std::vector<Complex> b = Simulate(m, shifted, ws, gbw);
    ASSERT_EQ(a.size(), ws.size());
    ASSERT_EQ(b.size(), ws.size());
    const double pass = PassbandGain(plain.CircuitGain, wp, wz);
    EXPECT_GE(20 * std::log10(pass / std::abs(b.back())), 80) << "null of the predistorted stage";
    a.pop_back();
    b.pop_back();
    const double errPlain = ShapeError(a, target), errShifted = ShapeError(b, target);
    RecordProperty(std::string(m.key) + "_shape_error_plain", std::to_string(errPlain));
    RecordProperty(std::string(m.key) + "_shape_error_predistorted", std::to_string(errShifted));
    if (m.type != core::ptSN) {
      EXPECT_LT(errShifted, errPlain / 4) << "plain " << errPlain << ", predistorted " << errShifted;
    }
  }
}

}  // namespace
}  // namespace tavrin
