#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>

#include "ApproxTestSupport.h"
#include "approx/Bessel.h"
#include "approx/BesselRootTable.h"
#include "approx/ButterworthChebyshev.h"
#include "approx/InverseChebyshevElliptic.h"
#include "approx/OrderEstimation.h"
#include "core/MathHelpers.h"

namespace tavrin::approx {
namespace {

using core::FilterKind;

// A lowpass state with a normalized requirements, as Calculate leaves it before the
// slots are designed.
std::unique_ptr<core::DesignState> Spec(double apb, double asb, double k, int forced = 0) {
  auto st = std::make_unique<core::DesignState>();
  core::ResetDesign(*st);
  core::FilterSpec& s = st->spec;
  s.kind = FilterKind::Lowpass;
  s.apb = apb;
  s.asb = asb;
  s.wpb = 1;
  s.wsb = k;
  s.selectivity = k;
  s.normFrequency = 1;
  s.forceOrder = forced > 0;
  s.forcedOrder = static_cast<std::int16_t>(forced);
  return st;
}

// |H(j w)| of a slot's normalized prototype from its coefficient columns.
double PrototypeMagnitude(const core::DesignState& st, int slot, double w) {
  const core::ApproxResult& r = st.results[slot];
  std::complex<double> s(0, w);
  std::complex<double> h = r.gainNorm;
  for (int k = 1; k <= r.polePairs; ++k) {
    const auto& pp = st.polePairs[slot][k];
    h /= s * s + pp.b1Norm * s + pp.b0Norm;
    if (k <= r.zeroPairs) h *= s * s + st.zeroPairs[slot][k].wz2Norm;
  }
  if (r.hasRealPole) h /= s + r.realPoleNorm;
  return std::abs(h);
}

double PrototypeAttenuation(const core::DesignState& st, int slot, double w) {
  return -20 * std::log10(PrototypeMagnitude(st, slot, w));
}

BesselRootTable BuiltTable() {
  BesselRootTable t;
  EXPECT_TRUE(ReadBesselRootTable(testing::BuiltBesselTable(), t));
  return t;
}

TEST(Butterworth, ThreeDecibelSecondOrderIsTheClassicPair) {
  auto st = Spec(3.0103, 30, 2, 2);
  ASSERT_TRUE(DesignButterworth(*st));
  const auto& root = st->poleRoots[0][1];
  EXPECT_NEAR(root.sigmaNorm, 0.7071, 1e-4);
  EXPECT_NEAR(root.omegaNorm, 0.7071, 1e-4);
  EXPECT_NEAR(st->polePairs[0][1].Q, 0.7071, 1e-4);
  EXPECT_EQ(st->results[0].gainNorm != 0, true);
  EXPECT_NEAR(st->results[0].gainNorm, 1.0, 1e-6);  // r^2 with r = 1/sqrt(eps) ~ 1
  EXPECT_FALSE(st->results[0].hasRealPole);
}

TEST(Butterworth, FirstOrderIsOneRealPoleAtOneOverEpsilon) {
  auto st = Spec(1.0, 30, 2, 1);
  ASSERT_TRUE(DesignButterworth(*st));
  const double eps = std::sqrt(AttenuationFactor(1.0));
  EXPECT_EQ(st->results[0].polePairs, 0);
  EXPECT_TRUE(st->results[0].hasRealPole);
  EXPECT_NEAR(st->results[0].realPoleNorm, 1 / eps, 1e-14);
  EXPECT_DOUBLE_EQ(st->results[0].gainNorm, st->results[0].realPoleNorm);
}

TEST(Butterworth, PairsRunFromTheHighestQDown) {
  auto st = Spec(0.5, 30, 2);
  ASSERT_TRUE(DesignButterworth(*st));
  ASSERT_EQ(st->results[0].order, 7);
  for (int k = 2; k <= st->results[0].polePairs; ++k)
    EXPECT_LT(st->polePairs[0][k].Q, st->polePairs[0][k - 1].Q);
  EXPECT_NEAR(PrototypeAttenuation(*st, 0, 1.0), 0.5, 1e-12);
}

TEST(Chebyshev, FourthOrderHalfDecibelPairs) {
  auto st = Spec(0.5, 30, 2);
  ASSERT_TRUE(DesignChebyshev(*st));
  ASSERT_EQ(st->results[1].order, 4);
  const auto& p1 = st->poleRoots[1][1];
  const auto& p2 = st->poleRoots[1][2];
  EXPECT_NEAR(p1.sigmaNorm, 0.1754, 5e-5);
  EXPECT_NEAR(p1.omegaNorm, 1.0163, 5e-5);
  EXPECT_NEAR(st->polePairs[1][1].Q, 2.94, 5e-3);
  EXPECT_NEAR(p2.sigmaNorm, 0.4233, 5e-5);
  EXPECT_NEAR(p2.omegaNorm, 0.4209, 5e-5);
  EXPECT_NEAR(st->polePairs[1][2].Q, 0.705, 5e-4);
  EXPECT_NEAR(st->results[1].gainNorm, std::pow(10.0, -0.025) * 1.0635 * 0.3564, 2e-4);
  EXPECT_DOUBLE_EQ(st->results[1].gainNorm,
                   std::pow(10.0, -0.025) * st->polePairs[1][1].b0Norm * st->polePairs[1][2].b0Norm);
}

TEST(Chebyshev, DcGainIsTheRippleDepthForEvenOrdersAndOneForOdd) {
  for (int n : {2, 3, 4, 7, 10, 15, 20}) {
    auto st = Spec(1.0, 30, 2, n);
    ASSERT_TRUE(DesignChebyshev(*st));
    const double dc = PrototypeMagnitude(*st, 1, 0);
    EXPECT_NEAR(dc, n % 2 == 0 ? std::pow(10.0, -1.0 / 20) : 1.0, 1e-12) << n;
    EXPECT_NEAR(PrototypeAttenuation(*st, 1, 1.0), 1.0, 1e-9) << n;
  }
}

TEST(InverseChebyshev, RoundedUpOrderPutsExactlyApbAtThePassbandEdge) {
  auto st = Spec(0.5, 30, 2);
  ASSERT_TRUE(DesignInverseChebyshev(*st));
  ASSERT_EQ(st->results[2].order, 4);
  // Normalized to the stopband edge: the passband edge is at 1/K.
  EXPECT_NEAR(PrototypeAttenuation(*st, 2, 0.5), 0.5, 1e-10);
  EXPECT_GE(PrototypeAttenuation(*st, 2, 1.0), 30);
  for (int k = 1; k <= 2; ++k) EXPECT_GE(st->zeroRoots[2][k].wzNorm, 1.0);
  EXPECT_NEAR(PrototypeMagnitude(*st, 2, 0), 1.0, 1e-12);
}

TEST(InverseChebyshev, ExactIntegerOrderTakesEpsilonFromAsb) {
  // Choose asb so that acosh(sqrt(D)) / acosh(K) is exactly 3 (up to rounding).
  const double k = 2, apb = 0.5;
  const double sqrtD = std::cosh(3 * std::acosh(k));
  const double asb = 10 * std::log10(sqrtD * sqrtD * AttenuationFactor(apb) + 1);
  auto st = Spec(apb, asb, k);
  ASSERT_TRUE(DesignInverseChebyshev(*st));
  ASSERT_EQ(st->results[2].order, 3);
  // epsilon = 1/sqrt(A(asb)): the stopband edge has exactly asb.
  EXPECT_NEAR(PrototypeAttenuation(*st, 2, 1.0), asb, 1e-8);
  EXPECT_NEAR(PrototypeAttenuation(*st, 2, 0.5), apb, 1e-6);
}

TEST(Elliptic, ThirdOrderHalfDecibelThirtyDecibel) {
  auto st = Spec(0.5, 30, 2);
  ASSERT_TRUE(DesignElliptic(*st));
  const core::ApproxResult& r = st->results[3];
  ASSERT_EQ(r.order, 3);
  EXPECT_EQ(r.polePairs, 1);
  EXPECT_EQ(r.zeroPairs, 1);
  EXPECT_TRUE(r.hasRealPole);
  EXPECT_DOUBLE_EQ(r.gainNorm, r.realPoleNorm * st->polePairs[3][1].b0Norm / st->zeroPairs[3][1].wz2Norm);
  // Passband edge sqrt(k), stopband edge 1/sqrt(k).  The ripple formula is exact for even
  // orders; for odd orders it leaves the edge a little inside apb (0.49980 dB here).
  const double k = 0.5;
  EXPECT_NEAR(PrototypeAttenuation(*st, 3, std::sqrt(k)), 0.4997983270, 1e-9);
  EXPECT_GE(PrototypeAttenuation(*st, 3, 1 / std::sqrt(k)), 30);
  EXPECT_NEAR(PrototypeMagnitude(*st, 3, 0), 1.0, 1e-12);
}

TEST(Elliptic, EvenOrderDcGainIsTheRippleDepth) {
  for (int n : {2, 4, 6, 10}) {
    auto st = Spec(1.0, 30, 2, n);
    ASSERT_TRUE(DesignElliptic(*st));
    EXPECT_NEAR(PrototypeMagnitude(*st, 3, 0), std::pow(10.0, -1.0 / 20), 1e-9) << n;
    EXPECT_NEAR(PrototypeAttenuation(*st, 3, std::sqrt(0.5)), 1.0, 1e-7) << n;
  }
}

TEST(Elliptic, LargeSelectivityEndsTheSeriesEarlyAndStaysExact) {
  for (double k : {50.0, 1e4, 1e9}) {
    auto st = Spec(0.5, 30, k);
    ASSERT_TRUE(DesignElliptic(*st));
    EXPECT_EQ(st->results[3].order, k < 100 ? 2 : 1) << k;
    const double kk = 1 / k;
    EXPECT_NEAR(PrototypeAttenuation(*st, 3, std::sqrt(kk)), 0.5, 1e-7) << k;
    EXPECT_GE(PrototypeAttenuation(*st, 3, 1 / std::sqrt(kk)), 30) << k;
  }
}

TEST(Elliptic, TrigonometryOfRationalAnglesIsExactlyZeroWhereItVanishes) {
  EXPECT_EQ(SinPiRational(3, 3), 0.0);   // sin(pi)
  EXPECT_EQ(SinPiRational(10, 5), 0.0);  // sin(2 pi)
  EXPECT_EQ(CosPiRational(1, 2), 0.0);   // cos(pi/2)
  EXPECT_EQ(CosPiRational(9, 6), 0.0);   // cos(3 pi / 2)
  EXPECT_NE(CosPiRational(2, 2), 0.0);   // cos(pi) = -1
  EXPECT_DOUBLE_EQ(SinPiRational(1, 6), 0.5);
  EXPECT_NEAR(CosPiRational(7, 3), 0.5, 1e-15);
  EXPECT_NEAR(SinPiRational(-1, 2), -1.0, 1e-15);
}

TEST(Bessel, ForcedFirstOrderAtThreeDecibelsHasItsPoleAtTheEdge) {
  auto st = Spec(3.0103, 30, 2, 1);
  ASSERT_TRUE(DesignBessel(*st, BuiltTable()));
  EXPECT_TRUE(st->results[4].hasRealPole);
  EXPECT_EQ(st->results[4].polePairs, 0);
  EXPECT_NEAR(st->results[4].realPoleNorm, 1.0, 2e-5);
}

TEST(Bessel, EveryOrderHasApbAtThePrototypeEdgeWithinTheSearchTolerance) {
  const BesselRootTable table = BuiltTable();
  for (double apb : {0.1, 0.5, 3.0103, 10.0}) {
    for (int n = 1; n <= 20; ++n) {
      auto st = Spec(apb, 30, 2, n);
      ASSERT_TRUE(DesignBessel(*st, table));
      EXPECT_NEAR(PrototypeAttenuation(*st, 4, 1.0), apb, 1e-4) << n << " " << apb;
      EXPECT_NEAR(PrototypeMagnitude(*st, 4, 0), 1.0, 1e-12);
    }
  }
}

TEST(Bessel, SearchFindsTheFirstOrderThatReachesAsb) {
  const BesselRootTable table = BuiltTable();
  auto st = Spec(3.0103, 20, 4);
  ASSERT_TRUE(DesignBessel(*st, table));
  const int n = st->results[4].order;
  ASSERT_GT(n, 1);
  EXPECT_GE(PrototypeAttenuation(*st, 4, 4.0), 20);
  auto lower = Spec(3.0103, 20, 4, n - 1);
  ASSERT_TRUE(DesignBessel(*lower, table));
  EXPECT_LT(PrototypeAttenuation(*lower, 4, 4.0), 20);
}

}  // namespace
}  // namespace tavrin::approx
