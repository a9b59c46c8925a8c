#include <gtest/gtest.h>

#include <cmath>

#include "ApproxTestSupport.h"
#include "approx/FrequencyTransform.h"
#include "core/MathHelpers.h"
#include "core/NumberFormat.h"

namespace tavrin::approx {
namespace {

using core::FilterKind;
using testing::Calc;
using testing::Entries;
using testing::Forced;

constexpr int kButterworth = 0, kChebyshev = 1, kInverse = 2, kElliptic = 3, kBessel = 4;

// The value a gain text stands for: mantissa x 10^exponent.
double TextValue(const std::string& text) {
  const auto e = text.find('E');
  return std::stod(text.substr(0, e)) * std::pow(10.0, std::stod(text.substr(e + 1)));
}

TEST(GainText, MantissaAndExponentKeptApart) {
  EXPECT_EQ(AllPoleGainText(1.0, 1000, 2), "1.00000 E+6");
  double m = 0;
  EXPECT_EQ(AllPoleGainText(2.5, 6283.185307, 7, &m), AllPoleGainText(2.5, 6283.185307, 7));
  EXPECT_NEAR(m * 1e26, 2.5 * std::pow(6283.185307, 7), 1e13);
  EXPECT_EQ(AllPoleGainText(0.5, 0.05, 2), "1.25000 E-3");
  // Beyond the range of any stored real, still exact as text.
  const std::string big = AllPoleGainText(1.0, 6e8, 20);
  EXPECT_NEAR(TextValue(big) / std::pow(6e8, 20), 1.0, 1e-5);
}

TEST(FrequencyTransform, LowpassButterworthSecondOrder) {
  const testing::Run run = Calc(Forced(Entries(FilterKind::Lowpass, "3.0103", "30", "1000", "2000"), 2));
  ASSERT_EQ(run.outcome.status, CalculateStatus::Completed);
  const core::DesignState& st = *run.state;
  const auto& pp = st.polePairs[kButterworth][1];
  EXPECT_NEAR(pp.b1, 1414.2, 0.05);
  EXPECT_NEAR(pp.b0, 1e6, 1);
  EXPECT_NEAR(pp.Q, 0.7071, 1e-4);
  EXPECT_NEAR(st.results[kButterworth].gain, 1.0, 1e-6);
  EXPECT_NEAR(TextValue(st.results[kButterworth].gainText), 1e6, 1);
  EXPECT_NEAR(TrueGainConstant(st, kButterworth), 1e6, 1);
}

TEST(FrequencyTransform, HighpassButterworthSecondOrder) {
  const testing::Run run = Calc(Forced(Entries(FilterKind::Highpass, "3.0103", "30", "1000", "500"), 2));
  ASSERT_EQ(run.outcome.status, CalculateStatus::Completed);
  const core::DesignState& st = *run.state;
  const core::ApproxResult& r = st.results[kButterworth];
  EXPECT_NEAR(st.polePairs[kButterworth][1].b1, 1414.2, 0.05);
  EXPECT_NEAR(st.polePairs[kButterworth][1].b0, 1e6, 1);
  EXPECT_EQ(r.zeroPairs, 1);
  EXPECT_EQ(st.zeroRoots[kButterworth][1].wz, 0);
  EXPECT_EQ(r.gain, 1.0);
  EXPECT_TRUE(r.gainText.empty());
  EXPECT_EQ(run.outcome.table.cells[6][kButterworth].text, "2");  // two single zeros
  EXPECT_EQ(run.outcome.table.cells[5][kButterworth].text, "0");
}

TEST(FrequencyTransform, HighpassGainIsTheRippleDepthForEvenChebyshevAndElliptic) {
  const testing::Run run = Calc(Forced(Entries(FilterKind::Highpass, "1", "30", "1000", "500"), 4));
  const double depth = std::pow(10.0, -1.0 / 20);
  EXPECT_NEAR(run.state->results[kChebyshev].gain, depth, 1e-15);
  EXPECT_NEAR(run.state->results[kElliptic].gain, depth, 1e-15);
  EXPECT_EQ(run.state->results[kInverse].gain, 1.0);
  EXPECT_EQ(run.state->results[kBessel].gain, 1.0);
}

TEST(FrequencyTransform, BandpassFromSecondOrderPrototype) {
  const testing::Run run =
      Calc(Forced(Entries(FilterKind::Bandpass, "0.5", "30", "1000", "2000", "5000"), 4));
  ASSERT_EQ(run.outcome.status, CalculateStatus::Completed);
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    const core::DesignState& st = *run.state;
    ASSERT_EQ(st.results[slot].polePairs, 2) << slot;
    const auto& a = st.polePairs[slot][1];
    const auto& b = st.polePairs[slot][2];
    EXPECT_NEAR(a.Q, b.Q, 1e-12 * a.Q) << slot;
    EXPECT_NEAR(a.w0 * b.w0, 5000.0 * 5000.0, 1e-6) << slot;
    EXPECT_NEAR(a.b0, a.w0 * a.w0, 1e-6) << slot;
  }
}

TEST(FrequencyTransform, BandstopOfPrototypeOrderThreeHasAllZerosAtTheCenter) {
  const testing::Run run =
      Calc(Forced(Entries(FilterKind::Bandstop, "0.5", "30", "2000", "1000", "5000"), 6));
  ASSERT_EQ(run.outcome.status, CalculateStatus::Completed);
  for (int slot : {kButterworth, kChebyshev, kBessel}) {
    const core::ApproxResult& r = run.state->results[slot];
    EXPECT_EQ(r.polePairs, 3) << slot;
    EXPECT_EQ(r.zeroPairs, 3) << slot;
    EXPECT_FALSE(r.hasRealPole) << slot;
    for (int k = 1; k <= 3; ++k) EXPECT_NEAR(run.state->zeroRoots[slot][k].wz, 5000, 1e-9) << slot;
    EXPECT_EQ(run.outcome.table.cells[5][slot].text, "3") << slot;
  }
  // The zero-carrying slots get pairs of notches around the center, geometric mean w0.
  for (int slot : {kInverse, kElliptic}) {
    const auto& z = run.state->zeroRoots[slot];
    EXPECT_NEAR(z[1].wz * z[2].wz, 5000.0 * 5000.0, 1e-4) << slot;
    EXPECT_NEAR(z[3].wz, 5000, 1e-9) << slot;
  }
}

TEST(FrequencyTransform, BandpassOfPrototypeOrderOneIsOnePairWithAZeroAtTheOrigin) {
  const testing::Run run =
      Calc(Forced(Entries(FilterKind::Bandpass, "0.5", "30", "1000", "2000", "5000"), 2));
  ASSERT_EQ(run.outcome.status, CalculateStatus::Completed);
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    const core::DesignState& st = *run.state;
    const core::ApproxResult& r = st.results[slot];
    EXPECT_EQ(r.polePairs, 1) << slot;
    EXPECT_FALSE(r.hasRealPole) << slot;
    EXPECT_TRUE(r.hasSingleZero) << slot;
    EXPECT_EQ(r.singleZero, 0) << slot;
    const double p = st.polePairs[slot][1].b1 / 1000.0;  // b1 = B p
    EXPECT_NEAR(st.polePairs[slot][1].Q, 5000 / (1000 * p), 1e-12) << slot;
  }
  // The first-order Elliptic slot is the Inverse Chebyshev one.
  EXPECT_EQ(run.state->polePairs[kElliptic][1].b1, run.state->polePairs[kInverse][1].b1);
  EXPECT_EQ(run.state->results[kElliptic].gain, run.state->results[kInverse].gain);
}

TEST(FrequencyTransform, BandSoWideThatTheRealPoleStaysTwoRealPoles) {
  // Bandwidth 3 w0: the real pole's pair would have Q = w0 / (B p) < 1/2.
  const testing::Run run =
      Calc(Forced(Entries(FilterKind::Bandpass, "0.5", "30", "3000", "6000", "1000"), 6));
  ASSERT_EQ(run.outcome.status, CalculateStatus::Completed);
  const core::DesignState& st = *run.state;
  const core::ApproxResult& r = st.results[kButterworth];
  EXPECT_TRUE(r.hasRealPole);
  EXPECT_TRUE(r.hasSecondRealPole);
  EXPECT_EQ(r.polePairs, 2);
  EXPECT_NEAR(r.realPole * r.secondRealPole, 1000.0 * 1000.0, 1e-6);
  EXPECT_EQ(run.outcome.table.cells[4][kButterworth].text, "2");  // single poles
  EXPECT_TRUE(testing::AllFinite(st));
  // The band edges still have apb.
  const auto [lo, hi] = testing::BandEdges(1000, 3000);
  const SlotRoots roots = RootsOfSlot(st, kButterworth);
  EXPECT_EQ(roots.poles.size(), 6u);
  EXPECT_NEAR(testing::AttenuationDb(roots, lo), 0.5, 1e-9);
  EXPECT_NEAR(testing::AttenuationDb(roots, hi), 0.5, 1e-9);
}

TEST(FrequencyTransform, NarrowBandKeepsItsPrecision) {
  // 100 MHz center, 1 Hz bandwidth: omega1 - w0 is a part in 10^8 of w0.
  const testing::Run run =
      Calc(Entries(FilterKind::Bandpass, "0.5", "40", "1", "3", "100000000", EntryUnit::Hz));
  ASSERT_EQ(run.outcome.status, CalculateStatus::Completed);
  const double w0 = 2e8 * core::kPi, bw = 2 * core::kPi;
  const auto [lo, hi] = testing::BandEdges(w0, bw);
  for (int slot = 0; slot < 4; ++slot) {
    const SlotRoots roots = RootsOfSlot(*run.state, slot);
    EXPECT_NEAR(testing::AttenuationDb(roots, lo), 0.5, 2e-3) << slot;
    EXPECT_NEAR(testing::AttenuationDb(roots, hi), 0.5, 2e-3) << slot;
  }
}

}  // namespace
}  // namespace tavrin::approx
