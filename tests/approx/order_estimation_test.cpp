#include <gtest/gtest.h>

#include <cmath>

#include "ApproxTestSupport.h"
#include "approx/OrderEstimation.h"
#include "core/MathHelpers.h"

namespace tavrin::approx {
namespace {

using core::Approximation;
using core::FilterKind;
using testing::Calc;
using testing::Entries;
using testing::Forced;

TEST(OrderEstimation, RoundingUpWithExactIntegers) {
  EXPECT_EQ(RoundOrderUp(6.50).order, 7);
  EXPECT_FALSE(RoundOrderUp(6.50).exactInteger);
  EXPECT_EQ(RoundOrderUp(5.0).order, 5);
  EXPECT_TRUE(RoundOrderUp(5.0).exactInteger);
  EXPECT_EQ(RoundOrderUp(5.0 + 1e-12).order, 5);  // the last bits of a logarithm
  EXPECT_EQ(RoundOrderUp(5.0 - 1e-12).order, 5);
  EXPECT_EQ(RoundOrderUp(5.001).order, 6);
  EXPECT_EQ(RoundOrderUp(0.2).order, 1);
  EXPECT_EQ(RoundOrderUp(1e300).order, 9999);  // a selectivity barely above 1
  EXPECT_EQ(RoundOrderUp(std::nan("")).order, 9999);
}

TEST(OrderEstimation, TheTypicalLowpassNeeds7443) {
  EXPECT_EQ(ComputedOrder(Approximation::Butterworth, 0.5, 30, 2).order, 7);
  EXPECT_EQ(ComputedOrder(Approximation::Chebyshev, 0.5, 30, 2).order, 4);
  EXPECT_EQ(ComputedOrder(Approximation::InverseChebyshev, 0.5, 30, 2).order, 4);
  EXPECT_EQ(ComputedOrder(Approximation::Elliptic, 0.5, 30, 2).order, 3);
  // The Butterworth estimate is 6.50 before rounding.
  const double d = AttenuationFactor(30) / AttenuationFactor(0.5);
  EXPECT_NEAR(std::log(d) / (2 * std::log(2.0)), 6.50, 0.005);
}

TEST(OrderEstimation, ButterworthEstimateOfExactlyFiveGivesFive) {
  // A(apb) = 1 and A(asb) = 1024 = 2^10 with K = 2: ln(D) / (2 ln K) = 5 exactly.
  const double apb = 10 * std::log10(2.0);
  const double asb = 10 * std::log10(1025.0);
  const OrderEstimate e = ComputedOrder(Approximation::Butterworth, apb, asb, 2);
  EXPECT_EQ(e.order, 5);
  EXPECT_TRUE(e.exactInteger);
  EXPECT_EQ(ComputedOrder(Approximation::Butterworth, apb, asb + 0.001, 2).order, 6);
}

TEST(OrderEstimation, EllipticNomeMatchesItsSeriesAndStaysPositive) {
  // The series from k' as written, for a moderate selectivity.
  const double k = 0.5;
  const double kp = std::sqrt(1 - k * k);
  const double q0 = (1 - std::sqrt(kp)) / (2 * (1 + std::sqrt(kp)));
  const double q = q0 + 2 * std::pow(q0, 5) + 15 * std::pow(q0, 9) + 150 * std::pow(q0, 13);
  EXPECT_NEAR(EllipticNome(2.0), q, 1e-16);
  // Where 1 - sqrt(k') cancels to nothing, q is still about k^2 / 16.
  for (double bigK : {1e8, 1e12, 1e100}) {
    const double nome = EllipticNome(bigK);
    EXPECT_GT(nome, 0);
    EXPECT_NEAR(nome * 16 * bigK * bigK, 1.0, 1e-12) << bigK;
  }
}

TEST(OrderEstimation, BandpassPrototypeOrderElevenIsTooHighTenIsAccepted) {
  // Butterworth with K = 2 and apb 0.5: asb chosen so that the estimate lands in (10, 11]
  // and in (9, 10].
  const double a = AttenuationFactor(0.5);
  const double asb11 = 10 * std::log10(a * std::pow(2.0, 21.0) + 1);  // estimate 10.5
  const double asb10 = 10 * std::log10(a * std::pow(2.0, 19.0) + 1);  // estimate 9.5
  ASSERT_EQ(ComputedOrder(Approximation::Butterworth, 0.5, asb11, 2).order, 11);
  ASSERT_EQ(ComputedOrder(Approximation::Butterworth, 0.5, asb10, 2).order, 10);
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", asb11);
  testing::Run high = Calc(Entries(FilterKind::Bandpass, "0.5", text, "1000", "2000", "5000"));
  EXPECT_TRUE(high.state->results[0].tooHigh);
  EXPECT_EQ(high.state->results[0].order, 11);
  EXPECT_EQ(high.outcome.table.cells[0][0].text, ">20");
  std::snprintf(text, sizeof text, "%.4f", asb10);
  testing::Run ok = Calc(Entries(FilterKind::Bandpass, "0.5", text, "1000", "2000", "5000"));
  EXPECT_FALSE(ok.state->results[0].tooHigh);
  EXPECT_EQ(ok.state->results[0].order, 20);
  EXPECT_EQ(ok.state->results[0].polePairs, 10);
}

TEST(OrderEstimation, ForcedOrderTwentyBandpassGivesPrototypeTenEverywhere) {
  testing::Run run = Calc(Forced(Entries(FilterKind::Bandpass, "0.5", "30", "1000", "2000", "5000"), 20));
  ASSERT_EQ(run.outcome.status, CalculateStatus::Completed);
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    const core::ApproxResult& r = run.state->results[slot];
    EXPECT_FALSE(r.tooHigh) << slot;
    EXPECT_EQ(r.order, 20) << slot;      // doubled by the transformation
    EXPECT_EQ(r.polePairs, 10) << slot;  // from 5 prototype pairs
  }
}

TEST(OrderEstimation, ForcedInverseChebyshevReportsTheAsbItAchieves) {
  testing::Run run = Calc(Forced(Entries(FilterKind::Lowpass, "0.5", "30", "1000", "2000"), 4));
  ASSERT_EQ(run.outcome.status, CalculateStatus::Completed);
  const double epsilon = 1 / (std::cosh(4 * std::acosh(2.0)) * std::sqrt(AttenuationFactor(0.5)));
  const double expected = 10 * std::log10(1 / (epsilon * epsilon) + 1);
  EXPECT_NEAR(run.state->spec.asb, expected, 1e-12);
  EXPECT_NEAR(run.state->spec.asb, 30.61, 0.01);
  // and the design does reach it at the forced stopband edge 2 wpb.
  const SlotRoots roots = RootsOfSlot(*run.state, 2);
  EXPECT_NEAR(testing::AttenuationDb(roots, 2000), expected, 1e-9);
}

TEST(OrderEstimation, TooHighSlotsLeaveTheirTablesEmpty) {
  // K = 1.0001 with 60 dB is beyond order 20 even for the elliptic slot (21.3).
  testing::Run run = Calc(Entries(FilterKind::Lowpass, "0.5", "60", "10000", "10001"));
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    const core::ApproxResult& r = run.state->results[slot];
    ASSERT_TRUE(r.tooHigh) << slot;
    EXPECT_EQ(run.state->polePairs[slot][1].b0Norm, 0) << slot;
    EXPECT_TRUE(r.gainText.empty()) << slot;
  }
  EXPECT_EQ(run.state->results[3].order, 22);
  EXPECT_EQ(run.state->results[0].order, 9999);  // clamped estimate
  EXPECT_EQ(run.state->results[4].order, 21);    // the Bessel search found nothing
  EXPECT_EQ(run.outcome.status, CalculateStatus::NoResult);
  EXPECT_FALSE(run.outcome.showResults);
}

}  // namespace
}  // namespace tavrin::approx
