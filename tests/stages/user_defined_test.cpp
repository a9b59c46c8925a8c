#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <string>

#include "../approx/ApproxTestSupport.h"
#include "approx/SlotRoots.h"
#include "stages/UserDefined.h"

namespace tavrin::stages {
namespace {

std::unique_ptr<core::DesignState> Empty(core::FrequencyUnit unit = core::FrequencyUnit::RadPerSec) {
  auto state = std::make_unique<core::DesignState>();
  core::ResetDesign(*state);
  state->frequencyUnit = unit;
  StartUserDesign(*state);
  return state;
}

SectionEntry Section(int order, SectionType type, EntryMode mode, const std::string& first,
                     const std::string& wp, const std::string& wz = "", const std::string& imag = "",
                     const std::string& To = "1.0") {
  SectionEntry e;
  e.order = order;
  e.type = type;
  e.mode = mode;
  e.field = {first, wp, wz, imag, To};
  return e;
}

SectionEntry Q(SectionType type, const std::string& q, const std::string& wp, const std::string& wz = "",
               const std::string& To = "1.0") {
  return Section(2, type, EntryMode::QWpWz, q, wp, wz, "", To);
}

SectionEntry First(SectionType type, const std::string& p, const std::string& To = "1.0") {
  return Section(1, type, EntryMode::Poles, p, "", "", "", To);
}

TEST(UserDefined, BandstopTypeFollowsTheZeroFrequencyExactly) {
  auto state = Empty();
  ASSERT_FALSE(AddSection(*state, Q(SectionType::Bandstop, "2", "1000", "1000")).has_value());
  ASSERT_FALSE(AddSection(*state, Q(SectionType::Bandstop, "2", "1000", "1000.001")).has_value());
  ASSERT_FALSE(AddSection(*state, Q(SectionType::Bandstop, "2", "1000", "999")).has_value());
  EXPECT_EQ(state->stages[1].type, core::ptSN);
  EXPECT_EQ(state->stages[2].type, core::ptSLPN);
  EXPECT_EQ(state->stages[3].type, core::ptSHPN);
  EXPECT_EQ(state->results[0].zeroPairs, 3);
  EXPECT_EQ(state->results[0].zeroPairsShown, 3);
  EXPECT_EQ(state->results[0].order, 6);
  EXPECT_EQ(FilterOrderText(*state), " Filter order = 6");
}

TEST(UserDefined, TwoFirstOrderLowpassSectionsAreTwoRealPoles) {
  auto state = Empty();
  ASSERT_FALSE(AddSection(*state, First(SectionType::Lowpass, "100")).has_value());
  ASSERT_FALSE(AddSection(*state, First(SectionType::Lowpass, "300")).has_value());
  const approx::SlotRoots roots = approx::RootsOfSlot(*state, 0);
  ASSERT_EQ(roots.poles.size(), 2u);  // each pole once
  EXPECT_EQ(roots.poles[0], std::complex<double>(-100, 0));
  EXPECT_EQ(roots.poles[1], std::complex<double>(-300, 0));
  // Deleting one restores the one-pole state with the pole that stays.
  ASSERT_TRUE(DeleteSection(*state, 1));
  EXPECT_TRUE(state->results[0].hasRealPole);
  EXPECT_FALSE(state->results[0].hasSecondRealPole);
  EXPECT_EQ(state->results[0].realPole, 300.0);
  EXPECT_EQ(state->stageCount, 1);
}

TEST(UserDefined, HighpassSectionAddsAZeroPairAtTheOrigin) {
  auto state = Empty();
  ASSERT_FALSE(AddSection(*state, Q(SectionType::Highpass, "0.8", "50")).has_value());
  const core::ApproxResult& r = state->results[0];
  EXPECT_EQ(r.zeroPairs, 1);
  EXPECT_EQ(r.singleZeros, 2);
  EXPECT_EQ(state->zeroRoots[0][1].wz, 0.0);
  EXPECT_EQ(state->stages[1].type, core::ptSHP);
  // Gain from the stored roots agrees with the section-by-section gain.
  approx::SlotRoots roots = approx::RootsOfSlot(*state, 0);
  ASSERT_EQ(roots.zeros.size(), 2u);
  roots.gain = 1.0;  // the section's To is 1
  for (double w : {1.0, 40.0, 500.0})
    EXPECT_NEAR(std::abs(approx::testing::Response(roots, w)), ComputeUserGain(*state, 1, 1, w),
                1e-12 * ComputeUserGain(*state, 1, 1, w));
}

TEST(UserDefined, PolesModeAndHertzGiveTheSameSection) {
  auto hz = Empty(core::FrequencyUnit::Hz);
  ASSERT_FALSE(
      AddSection(*hz, Section(2, SectionType::Lowpass, EntryMode::Poles, "3", "", "", "4")).has_value());
  const double u = 2 * std::numbers::pi;
  EXPECT_NEAR(hz->stages[1].wp, 5 * u, 1e-12);
  EXPECT_NEAR(hz->stages[1].Qp, 5.0 / 6.0, 1e-12);
  EXPECT_NEAR(hz->poleRoots[0][1].omega, 4 * u, 1e-12);
  EXPECT_NEAR(hz->polePairs[0][1].b1, 6 * u, 1e-12);
}

TEST(UserDefined, GainIsTheProductOfTheSectionsAndKFollowsTo) {
  auto state = Empty();
  ASSERT_FALSE(AddSection(*state, Q(SectionType::Lowpass, "0.7071", "1000", "", "2")).has_value());
  ASSERT_FALSE(AddSection(*state, Q(SectionType::Bandpass, "5", "2000", "", "3")).has_value());
  ASSERT_FALSE(AddSection(*state, First(SectionType::Highpass, "10", "0.5")).has_value());
  EXPECT_DOUBLE_EQ(state->results[0].gain, 3.0);
  EXPECT_DOUBLE_EQ(state->spec.overallGain, 3.0);
  EXPECT_NEAR(ComputeUserGain(*state, 1, 1, 0.0), 2.0, 1e-12);     // lowpass DC gain To
  EXPECT_NEAR(ComputeUserGain(*state, 2, 2, 2000.0), 3.0, 1e-12);  // bandpass centre gain To
  EXPECT_NEAR(ComputeUserGain(*state, 3, 3, 1e9), 0.5, 1e-9);
  const double w = 1500;
  EXPECT_NEAR(
      ComputeUserGain(*state, 1, 3, w),
      ComputeUserGain(*state, 1, 1, w) * ComputeUserGain(*state, 2, 2, w) * ComputeUserGain(*state, 3, 3, w),
      1e-12);
  EXPECT_EQ(UserGainDb(0.0), -200.0);
  EXPECT_EQ(SectionListLine(*state, 2), "2.  \tBandpass\t2\u00ba");
  EXPECT_EQ(SectionListLine(*state, 3), "3.  \tHighpass\t1\u00ba");
  ASSERT_TRUE(DeleteSection(*state, 2));
  EXPECT_DOUBLE_EQ(state->results[0].gain, 1.0);
  EXPECT_EQ(state->results[0].polePairs, 1);
  ASSERT_TRUE(MoveSection(*state, 2, -1));
  EXPECT_EQ(state->stages[1].type, core::ptFHP);
  EXPECT_EQ(state->userStages[1].field[kFieldTo], "0.5");
  EXPECT_FALSE(MoveSection(*state, 1, -1));
}

TEST(UserDefined, DeletingKeepsThePoleTableWithoutGaps) {
  auto state = Empty();
  for (const char* wp : {"10", "20", "30"})
    ASSERT_FALSE(AddSection(*state, Q(SectionType::Lowpass, "1", wp)).has_value());
  ASSERT_TRUE(DeleteSection(*state, 1));
  ASSERT_EQ(state->results[0].polePairs, 2);
  for (int s = 1; s <= 2; ++s) {
    const core::Stage& st = state->stages[static_cast<std::size_t>(s)];
    EXPECT_EQ(state->polePairs[0][static_cast<std::size_t>(st.pole1)].w0, st.wp) << s;
  }
  ASSERT_FALSE(AddSection(*state, Q(SectionType::Lowpass, "1", "40")).has_value());
  EXPECT_EQ(state->stages[3].pole1, 3);
}

TEST(UserDefined, RefusalsCarryTheirMessageAndChangeNothing) {
  struct Case {
    SectionEntry entry;
    const char* text;
    int focus;
  };
  const Case cases[] = {
      {Q(SectionType::Lowpass, "0.5", "100"), "Q must be >0.5.", kFieldFirst},
      {Q(SectionType::Lowpass, "2", "0"), "Value must be non-zero.", kFieldWp},
      {Q(SectionType::Bandstop, "2", "100", "0"), "Value must be non-zero.", kFieldWz},
      {Q(SectionType::Lowpass, "2", "100", "", "0"), "Value must be non-zero.", kFieldTo},
      {First(SectionType::Lowpass, "0"), "Value must be non-zero.", kFieldFirst},
  };
  for (const Case& c : cases) {
    auto state = Empty();
    const auto refusal = AddSection(*state, c.entry);
    ASSERT_TRUE(refusal.has_value()) << c.text;
    EXPECT_EQ(refusal->message.text, c.text);
    EXPECT_EQ(refusal->message.kind, approx::MessageKind::Warning);
    EXPECT_EQ(refusal->focus, c.focus);
    EXPECT_EQ(state->stageCount, 0);
    EXPECT_EQ(state->results[0].order, 0);
  }
}

TEST(UserDefined, OrderLimitAndTableLimits) {
  const std::string orderMessage = "Unable to add section as maximum filter order of 20 will be exceeded.";
  auto state = Empty();
  for (int i = 0; i < 9; ++i)
    ASSERT_FALSE(AddSection(*state, Q(SectionType::Lowpass, "1", "100")).has_value());
  ASSERT_FALSE(AddSection(*state, First(SectionType::Lowpass, "5")).has_value());  // order 19
  auto refusal = AddSection(*state, Q(SectionType::Lowpass, "1", "100"));
  ASSERT_TRUE(refusal.has_value());
  EXPECT_EQ(refusal->message.text, orderMessage);
  // The order limit is tested before the entry.
  EXPECT_EQ(AddSection(*state, Q(SectionType::Lowpass, "0.1", "0"))->message.text, orderMessage);
  ASSERT_FALSE(AddSection(*state, First(SectionType::Lowpass, "7")).has_value());  // order 20, 11 sections
  EXPECT_EQ(AddSection(*state, First(SectionType::Lowpass, "7"))->message.text, orderMessage);
  EXPECT_EQ(state->stageCount, 11);

  // Two real poles are all the slot holds: a third first-order section is refused cleanly.
  auto firsts = Empty();
  ASSERT_FALSE(AddSection(*firsts, First(SectionType::Lowpass, "1")).has_value());
  ASSERT_FALSE(AddSection(*firsts, First(SectionType::Highpass, "2")).has_value());
  EXPECT_EQ(AddSection(*firsts, First(SectionType::Highpass, "3"))->message.text,
            "Unable to add section: a filter holds at most two first-order sections.");
  EXPECT_EQ(firsts->stageCount, 2);
  EXPECT_EQ(firsts->results[0].order, 2);
}

TEST(UserDefined, FrequencyRangeIsADecadeBeyondTheExtremeSections) {
  auto state = Empty(core::FrequencyUnit::Hz);
  ASSERT_FALSE(AddSection(*state, Q(SectionType::Lowpass, "1", "370")).has_value());
  ASSERT_FALSE(AddSection(*state, First(SectionType::Lowpass, "2500")).has_value());
  const UserFrequencyRange r = UserRange(*state);
  EXPECT_NEAR(r.start, 30.0, 1e-9);  // 37 Hz rounded down to its leading digit
  EXPECT_NEAR(r.stop, 25000.0, 1e-6);
}

TEST(UserDefined, NextCommitsTheDesignWithItsPeakGain) {
  auto state = Empty();
  EXPECT_FALSE(CommitUserDesign(*state));
  ASSERT_FALSE(AddSection(*state, Q(SectionType::Bandpass, "10", "100", "", "2")).has_value());
  ASSERT_TRUE(CommitUserDesign(*state));
  EXPECT_EQ(state->spec.kind, core::FilterKind::UserDefined);
  EXPECT_EQ(state->designStep, 2);
  EXPECT_TRUE(state->modified);
  EXPECT_NEAR(state->idealAxes.freqStart, 10.0, 1e-9);
  EXPECT_NEAR(state->idealAxes.freqStop, 1000.0, 1e-9);
  // The grid's middle point is the centre frequency, where the section gives its To.
  EXPECT_NEAR(state->frequencyGrid[175].rad, 100.0, 1e-9);
  EXPECT_NEAR(state->idealCurves[0][175].gainVv, 2.0, 1e-9);
  EXPECT_NEAR(state->spec.overallGain, 2.0, 1e-9);
  // The gain axis follows the curve: 2.1 -> 21 -> 25, so 2.5 V/V; dB top 10, bottom 40 dB below it.
  EXPECT_NEAR(state->idealAxes.vvTop, 2.5, 1e-12);
  EXPECT_EQ(state->idealAxes.dbTop, 10);
  EXPECT_EQ(state->idealAxes.dbBottom, -30);
}

TEST(UserDefined, PreviewFollowsOrderTypeModeAndUnit) {
  struct Case {
    SectionEntry entry;
    core::FrequencyUnit unit;
    const char* numerator;
    const char* denominator;
  };
  const auto Poles = [](SectionType type) { return Section(2, type, EntryMode::Poles, "1", "", "", "1"); };
  const Case cases[] = {
      {First(SectionType::Lowpass, "1"), core::FrequencyUnit::Hz, "-To p", "(s - p)"},
      {First(SectionType::Highpass, "1"), core::FrequencyUnit::Hz, "To s", "(s - p)"},
      {Poles(SectionType::Lowpass), core::FrequencyUnit::Hz, "To pp*", "(s - p) (s - p*)"},
      {Poles(SectionType::Highpass), core::FrequencyUnit::Hz, "To s\u00b2", "(s - p) (s - p*)"},
      {Poles(SectionType::Bandpass), core::FrequencyUnit::Hz, "-To (p + p*)s", "(s - p) (s - p*)"},
      {Poles(SectionType::Bandstop), core::FrequencyUnit::Hz, "To (s - z) (s - z*)", "(s - p) (s - p*)"},
      {Q(SectionType::Lowpass, "1", "1"), core::FrequencyUnit::RadPerSec, "To wp\u00b2",
       "(s\u00b2 + (wp/Q)s + wp\u00b2)"},
      {Q(SectionType::Highpass, "1", "1"), core::FrequencyUnit::Hz, "To s\u00b2",
       "(s\u00b2 + (fp/Q)s + fp\u00b2)"},
      {Q(SectionType::Bandpass, "1", "1"), core::FrequencyUnit::Hz, "To (fp/Q)s",
       "(s\u00b2 + (fp/Q)s + fp\u00b2)"},
      {Q(SectionType::Bandstop, "1", "1", "2"), core::FrequencyUnit::RadPerSec, "To (s\u00b2 + wz\u00b2)",
       "(s\u00b2 + (wp/Q)s + wp\u00b2)"},
  };
  for (const Case& c : cases) {
    const SectionPreview preview = PreviewOf(c.entry, c.unit);
    EXPECT_EQ(preview.numerator, c.numerator);
    EXPECT_EQ(preview.denominator, c.denominator);
  }
}

}  // namespace
}  // namespace tavrin::stages
