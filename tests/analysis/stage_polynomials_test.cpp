// Assembly of a stage's polynomials, their evaluation, the parameters read back from
// them, and the exact derivatives that the dual evaluation gives.
#include <gtest/gtest.h>

#include <array>
#include <cfenv>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <string>

#include "analysis/CircuitAnalysis.h"
#include "analysis/ComponentSets.h"
#include "analysis/StagePolynomials.h"
#include "circuits/Catalogue.h"
#include "core/DesignState.h"

namespace tavrin::analysis {
namespace {

using analysis_test::AllCircuitCases;
using analysis_test::ComponentSet;

WorkingVectors Values(std::initializer_list<double> r, std::initializer_list<double> c) {
  return MakeWorkingVectors(std::vector<double>(r), std::vector<double>(c));
}

TEST(StagePolynomials, SallenKeyLowpassExample) {
  const WorkingVectors v = Values({10e3, 10e3}, {10e-9, 20e-9});
  bool timeConstant = false;
  EXPECT_DOUBLE_EQ(AnalyseCircuit(v, core::ptSLP, 1, AnalysisQuantity::Denominator, 0, timeConstant), 2e-8);
  EXPECT_TRUE(timeConstant);
  EXPECT_DOUBLE_EQ(AnalyseCircuit(v, core::ptSLP, 1, AnalysisQuantity::Denominator, 1, timeConstant), 2e-4);

  const StagePolynomials p = BuildStagePolynomials(v, core::ptSLP, 1);
  EXPECT_DOUBLE_EQ(p.b[0], 5e7);
  EXPECT_DOUBLE_EQ(p.b[1], 1e4);
  EXPECT_EQ(p.b[2], 1.0);
  EXPECT_EQ(p.b[3], 0.0);
  EXPECT_EQ(p.a[0], p.b[0]);
  EXPECT_EQ(p.a[1], 0.0);
  EXPECT_EQ(p.a[2], 0.0);
  EXPECT_EQ(p.K, 1.0);
  EXPECT_FALSE(p.inverting);
  EXPECT_EQ(StageResponse(p, 0), std::complex<double>(1.0, 0.0));  // exactly unity at DC
  EXPECT_EQ(StageGain(v, core::ptSLP, 1), 1.0);

  const StageParameters par = ParametersOf(p, core::ptSLP);
  EXPECT_NEAR(*par.wp, 7071.0678, 1e-3);
  EXPECT_NEAR(*par.Qp, 0.70710678, 1e-8);
  EXPECT_FALSE(par.wz.has_value());
}

TEST(StagePolynomials, FirstOrderStagesHaveUnitDenominatorSlope) {
  // FLP02: w = 1/(R1 C1) = 1000 rad/s, K = 1 + R3/R2 = 3.
  const WorkingVectors lp = Values({1e4, 5e3, 1e4}, {1e-7});
  const StagePolynomials p = BuildStagePolynomials(lp, core::ptFLP, 2);
  EXPECT_EQ(p.b[3], 0.0);
  EXPECT_EQ(p.b[2], 0.0);
  EXPECT_EQ(p.b[1], 1.0);
  EXPECT_DOUBLE_EQ(p.b[0], 1000.0);
  EXPECT_EQ(p.a[0], p.b[0]);
  EXPECT_DOUBLE_EQ(StageResponse(p, 0).real(), 3.0);
  EXPECT_DOUBLE_EQ(*ParametersOf(p, core::ptFLP).wp, 1000.0);

  // FLP03 inverts: its DC gain is -K = -R2/R1.
  const StagePolynomials inv = BuildStagePolynomials(Values({1e4, 2e4}, {1e-8}), core::ptFLP, 3);
  EXPECT_DOUBLE_EQ(StageResponse(inv, 0).real(), -2.0);

  // FHP01: numerator s, so K is the high-frequency gain.
  const StagePolynomials hp = BuildStagePolynomials(Values({1e4}, {1e-8}), core::ptFHP, 1);
  EXPECT_EQ(hp.a[1], 1.0);
  EXPECT_EQ(hp.a[0], 0.0);
  EXPECT_NEAR(std::abs(StageResponse(hp, 1e9)), 1.0, 1e-9);
}

TEST(StagePolynomials, NonCubicBandpassHasGainKAtItsPoleFrequency) {
  std::mt19937_64 rng(41);
  for (const auto& c : AllCircuitCases()) {
    if (c.type != core::ptSBP || circuits::Descriptor(circuits::CircuitIdOf(c.type, c.n)).cubic) continue;
    SCOPED_TRACE(c.key);
    const ComponentSet s = analysis_test::RandomComponents(rng, c);
    const StagePolynomials p = BuildStagePolynomials(s.Vectors(), c.type, c.n);
    EXPECT_EQ(p.a[1], p.b[1]);
    EXPECT_EQ(p.a[0], 0.0);
    EXPECT_EQ(p.a[2], 0.0);
    const double wp = std::sqrt(p.b[0]);
    const std::complex<double> h = StageResponse(p, wp);
    EXPECT_NEAR(h.real(), p.inverting ? -p.K : p.K, 1e-12 * std::abs(p.K));
    EXPECT_NEAR(h.imag(), 0.0, 1e-12 * std::abs(p.K));
  }
}

TEST(StagePolynomials, ZeroTimeConstantIsNotInverted) {
  struct Case {
    const char* name;
    int type;
    int n;
    WorkingVectors v;
    bool numerator;
  };
  // SLPN06's zero pair is tau2 = R1 R2 R5 R7 C1 C2 / (R6 R8): an empty R7 makes it 0.
  // SLP01's denominator tau2 = R1 R2 C1 C2: an empty R1 makes it 0.
  const Case cases[] = {
      {"SLPN06 numerator", core::ptSLPN, 6, Values({1e4, 1e4, 1e4, 3e4, 1e4, 1e4, 0, 2e4, 1e4}, {1e-8, 1e-8}),
       true},
      {"SLP01 denominator", core::ptSLP, 1, Values({0, 1e4}, {1e-8, 2e-8}), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::feclearexcept(FE_ALL_EXCEPT);
    const StagePolynomials p = BuildStagePolynomials(c.v, c.type, c.n);
    EXPECT_FALSE(std::fetestexcept(FE_DIVBYZERO));
    if (c.numerator) {
      EXPECT_EQ(p.a[0], 0.0);
      EXPECT_TRUE(std::isfinite(p.a[1]));
      EXPECT_TRUE(std::isfinite(p.b[0]) && p.b[0] > 0);
    } else {
      EXPECT_EQ(p.b[0], 0.0);
      EXPECT_TRUE(std::isfinite(p.b[1]));
    }
  }
}

TEST(StagePolynomials, CubicCircuitsCarryAThirdOrderTerm) {
  std::mt19937_64 rng(7);
  int cubicCount = 0;
  for (const auto& c : AllCircuitCases()) {
    const StagePolynomials p =
        BuildStagePolynomials(analysis_test::RandomComponents(rng, c).Vectors(), c.type, c.n);
    const bool cubic = FindAnalysis(c.type, c.n)->cubic;
    SCOPED_TRACE(c.key);
    if (!cubic) {
      EXPECT_EQ(p.b[3], 0.0);
      EXPECT_EQ(p.a[3], 0.0);
      continue;
    }
    ++cubicCount;
    const WorkingVectors v = analysis_test::RandomComponents(rng, c).Vectors();
    const StagePolynomials q = BuildStagePolynomials(v, c.type, c.n);
    EXPECT_EQ(q.b[3], 1.0);
    EXPECT_EQ(q.b[2], AnalyseCircuit(v, c.type, c.n, AnalysisQuantity::Denominator, 2));
    const bool lowOrBand = c.type == core::ptSLP || c.type == core::ptSBP;
    EXPECT_EQ(q.a[3], lowOrBand ? 0.0 : 1.0);
  }
  EXPECT_EQ(cubicCount, 8);
}

// H(s) = +-K N(s)/D(s) evaluated with complex arithmetic at s = jw, against the
// real/imaginary split the response code uses.
TEST(StagePolynomials, ResponseIsKTimesNOverDWithTheOutputSign) {
  std::mt19937_64 rng(99);
  for (const auto& c : AllCircuitCases()) {
    SCOPED_TRACE(c.key);
    const StagePolynomials p =
        BuildStagePolynomials(analysis_test::RandomComponents(rng, c).Vectors(), c.type, c.n);
    const double scale = std::sqrt(std::abs(p.b[0]));
    for (double w : {0.5 * scale, 1.7 * scale}) {
      const std::complex<double> s(0, w);
      const std::complex<double> n = ((p.a[3] * s + p.a[2]) * s + p.a[1]) * s + p.a[0];
      const std::complex<double> d = ((p.b[3] * s + p.b[2]) * s + p.b[1]) * s + p.b[0];
      const std::complex<double> plain = p.K * n / d;
      const std::complex<double> h = StageResponse(p, w);
      EXPECT_NEAR(std::abs(h), std::abs(plain), 1e-12 * std::abs(plain));
      const double turn = std::abs(std::arg(h / plain)) * 180 / std::numbers::pi;
      EXPECT_NEAR(turn, p.inverting ? 180.0 : 0.0, 1e-9);
    }
  }
}

TEST(StagePolynomials, ParametersFromFactoredPolynomials) {
  struct Case {
    const char* name;
    int type;
    std::array<double, 4> a, b;
    std::optional<double> wp, Qp, wz;
  };
  const Case cases[] = {
      // (s + 3)(s^2 + 2 s + 5) = s^3 + 5 s^2 + 11 s + 15
      {"cubic, one real pole",
       core::ptSLP,
       {15, 0, 0, 0},
       {15, 11, 5, 1},
       std::sqrt(5.0),
       std::sqrt(5.0) / 2,
       {}},
      // (s + 1)(s + 2)(s + 100): the real pole far out is the one taken aside
      {"cubic, three real poles",
       core::ptSLP,
       {200, 0, 0, 0},
       {200, 302, 103, 1},
       std::sqrt(2.0),
       std::sqrt(2.0) / 3,
       {}},
      // numerator (s + 10)(s^2 + 4), denominator (s + 20)(s^2 + s + 1)
      {"cubic notch", core::ptSN, {40, 4, 10, 1}, {20, 21, 21, 1}, 1.0, 1.0, 2.0},
      {"second-order notch", core::ptSLPN, {9, 0.01, 1, 0}, {1, 0.5, 1, 0}, 1.0, 2.0, 3.0},
      {"real poles of a quadratic", core::ptSHP, {0, 0, 1, 0}, {1, 3, 1, 0}, 1.0, 1.0 / 3, {}},
      {"zeros of a highpass are not a notch", core::ptSHP, {0, 0, 1, 0}, {4, 1, 1, 0}, 2.0, 2.0, {}},
      {"negative b0: no pole pair", core::ptSLP, {-1, 0, 0, 0}, {-1, 1, 1, 0}, {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StagePolynomials p;
    p.K = 1;
    p.a = c.a;
    p.b = c.b;
    const StageParameters par = ParametersOf(p, c.type);
    ASSERT_EQ(par.wp.has_value(), c.wp.has_value());
    ASSERT_EQ(par.Qp.has_value(), c.Qp.has_value());
    ASSERT_EQ(par.wz.has_value(), c.wz.has_value());
    if (c.wp) {
      EXPECT_NEAR(*par.wp, *c.wp, 1e-12 * *c.wp);
    }
    if (c.Qp) {
      EXPECT_NEAR(*par.Qp, *c.Qp, 1e-12 * *c.Qp);
    }
    if (c.wz) {
      EXPECT_NEAR(*par.wz, *c.wz, 1e-12 * *c.wz);
    }
  }
}

// The dual evaluation against central differences, for every coefficient and K of every
// circuit and every one of its components, with the design relations kept and with every
// value drawn on its own.
TEST(StagePolynomials, DualDerivativesMatchFiniteDifferences) {
  std::mt19937_64 rng(2024);
  for (const auto& c : AllCircuitCases()) {
    for (const bool relations : {true, false}) {
      const ComponentSet s = analysis_test::RandomComponents(rng, c, relations);
      const WorkingVectors v = s.Vectors();
      for (int k = 1; k <= c.resistors + c.capacitors; ++k) {
        const bool capacitor = k > c.resistors;
        const int index = capacitor ? k - c.resistors : k;
        SCOPED_TRACE(c.key + (capacitor ? " C" : " R") + std::to_string(index) +
                     (relations ? ", relations kept" : ", values independent"));
        const auto dual = BuildStagePolynomials(SeedDerivative(v, {capacitor, index}), c.type, c.n);
        const double x = capacitor ? v.C[index] : v.R[index];
        const double h = 1e-5 * x;
        // x + m h for m = 1, -1, 2, -2: the five-point difference, whose error is of fourth
        // order in h.  A coefficient made of a small difference (the zero pair of a notch
        // that a relation nearly balances) bends sharply with its components, and the
        // plain central difference would measure that bend rather than the slope.
        std::array<StagePolynomials, 4> at;
        const double steps[] = {1, -1, 2, -2};
        for (std::size_t m = 0; m < at.size(); ++m) {
          ComponentSet moved = s;
          (capacitor ? moved.C[index] : moved.R[index]) = x + steps[m] * h;
          at[m] = BuildStagePolynomials(moved.Vectors(), c.type, c.n);
        }
        const StagePolynomials p0 = BuildStagePolynomials(v, c.type, c.n);
        auto check = [&](const char* what, const Dual& d, double value, auto coefficient) {
          EXPECT_DOUBLE_EQ(d.value, value) << what;
          const double fd =
              (8 * (coefficient(at[0]) - coefficient(at[1])) - (coefficient(at[2]) - coefficient(at[3]))) /
              (12 * h);
          // Scale by the coefficient itself: a derivative that is 0 in exact arithmetic
          // shows as rounding noise in the difference quotient.
          const double tolerance = 1e-6 * std::abs(value) / x + 1e-9 * std::abs(fd);
          EXPECT_NEAR(d.derivative, fd, tolerance) << what;
        };
        check("K", dual.K, p0.K, [](const StagePolynomials& p) { return p.K; });
        for (std::size_t i = 0; i < 4; ++i) {
          check(("a" + std::to_string(i)).c_str(), dual.a[i], p0.a[i],
                [i](const StagePolynomials& p) { return p.a[i]; });
          check(("b" + std::to_string(i)).c_str(), dual.b[i], p0.b[i],
                [i](const StagePolynomials& p) { return p.b[i]; });
        }
      }
    }
  }
}

// A few members with their design equations, solved for wp, Qp (and wz): the analysis
// of the designed values must give the targets back.
TEST(StagePolynomials, DesignedValuesGiveTheirTargetsBack) {
  const double wp = 2 * std::numbers::pi * 1000;
  const double Q = 2.5;
  const double C1 = 10e-9;
  const double R0 = 1 / (C1 * wp);
  struct Case {
    const char* name;
    int type;
    int n;
    std::vector<double> R, C;
    double K;
    double wz = 0;
  };
  const double m3 = 4 * Q * Q * (2 + 1);  // SLP03 with K = 2
  const double R2m = m3 / (2 * Q * wp * m3 * C1);
  const double wz = 1.5 * wp;
  const double K6 = 1.5;
  const double R8 = (wz / wp) * (wz / wp) * R0;
  const Case cases[] = {
      {"SLP01", core::ptSLP, 1, {1 / (2 * Q * wp * C1), 1 / (2 * Q * wp * C1)}, {C1, 4 * Q * Q * C1}, 1},
      {"SHP01", core::ptSHP, 1, {4 * Q * Q / (2 * Q * wp * C1), 1 / (2 * Q * wp * C1)}, {C1, C1}, 1},
      {"SLP03", core::ptSLP, 3, {R2m / 2, R2m, m3 / (R2m * m3 * C1 * m3 * C1 * wp * wp)}, {C1, m3 * C1}, 2},
      {"SLP08", core::ptSLP, 8, {R0, R0, R0, (2 * Q - 1) * R0, R0, R0}, {C1, C1}, 2 - 1 / Q},
      {"SLP10", core::ptSLP, 10, {R0, R0, R0 / 3, Q * R0, 1e4, 1e4}, {C1, C1}, 3},
      {"SLP13", core::ptSLP, 13, {R0 / 2, R0, R0, R0, Q * R0, R0}, {C1, C1}, 2},
      {"SBP13", core::ptSBP, 13, {Q * R0 / 2, R0, R0, R0, Q * R0, R0}, {C1, C1}, 2},
      {"SLPN06",
       core::ptSLPN,
       6,
       {R0, R0, R0, (2 * Q - 1) * R0, R0, R0, R0, R8, R8 * Q * K6 / (2 * Q - 1)},
       {C1, C1},
       K6,
       wz},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const StagePolynomials p = BuildStagePolynomials(MakeWorkingVectors(c.R, c.C), c.type, c.n);
    const StageParameters par = ParametersOf(p, c.type);
    EXPECT_NEAR(*par.wp, wp, 1e-9 * wp);
    EXPECT_NEAR(*par.Qp, Q, 1e-9 * Q);
    EXPECT_NEAR(p.K, c.K, 1e-12 * c.K);
    if (c.wz > 0) {
      EXPECT_NEAR(*par.wz, c.wz, 1e-9 * c.wz);
    }
  }
}

// The twin-T members designed for Q = 2 at w0 = 1/(R0 C1): R1 = R2 = R0, R3 = R0/2,
// C2 = C1, C3 = 2 C1, and the amplifier R4 = R5 (4Q - 1) (follower-type) or
// R5/R4 = 4Q - 1 (the inverting bandpass).  The complex pair lands on the targets, and the
// bandpass passes its centre with gain exactly K = 4Q - 1, inverted.
TEST(StagePolynomials, TwinTDesignsGiveTheirTargetsBack) {
  const double C1 = 10e-9;
  const double R0 = 10e3;
  const double w0 = 1 / (R0 * C1);
  const double Q = 2;
  const std::vector<double> caps = {C1, C1, 2 * C1};
  struct Case {
    const char* name;
    int type;
    int n;
    std::vector<double> R;
  };
  const Case cases[] = {
      {"SLP07", core::ptSLP, 7, {R0, R0, R0 / 2, 1e3 * (4 * Q - 1), 1e3}},
      {"SN03", core::ptSN, 3, {R0, R0, R0 / 2, 1e3 * (4 * Q - 1), 1e3}},
      {"SBP07", core::ptSBP, 7, {R0, R0, R0 / 2, 1e3, 1e3 * (4 * Q - 1)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const StagePolynomials p = BuildStagePolynomials(MakeWorkingVectors(c.R, caps), c.type, c.n);
    const StageParameters par = ParametersOf(p, c.type);
    EXPECT_NEAR(*par.wp, w0, 1e-9 * w0);
    EXPECT_NEAR(*par.Qp, Q, 1e-9 * Q);
    if (c.type == core::ptSBP) {
      EXPECT_NEAR(p.K, 4 * Q - 1, 1e-12);
      const std::complex<double> h = StageResponse(p, w0);
      EXPECT_NEAR(h.real(), -(4 * Q - 1), 1e-9);
      EXPECT_NEAR(h.imag(), 0.0, 1e-9);
    }
  }
}

}  // namespace
}  // namespace tavrin::analysis
