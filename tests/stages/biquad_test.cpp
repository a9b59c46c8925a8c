#include "stages/Biquad.h"

#include <gtest/gtest.h>

#include <memory>
#include <numbers>
#include <string>

#include "core/NumberFormat.h"

namespace tavrin::stages {
namespace {

using core::FrequencyUnit;

core::Stage Make(std::uint8_t type, double wp, double Qp, double wz, double p, double To) {
  core::Stage st;
  st.type = type;
  st.wp = wp;
  st.Qp = Qp;
  st.wz = wz;
  st.p = p;
  st.To = To;
  return st;
}

enum Row { kTo, kA, kB, kC, kD, kE, kF, kPole, kQ, kZero };

TEST(Biquad, SecondOrderLowpassInRadPerSecond) {
  const auto cells = TransferCellTexts(Make(core::ptSLP, 1000, 0.5, 0, 0, 1e-6), FrequencyUnit::RadPerSec);
  EXPECT_EQ(cells[kC], "1.0000000E+6");
  EXPECT_EQ(cells[kF], "1.0000000E+6");
  EXPECT_EQ(cells[kE], "2.0000000E+3");
  EXPECT_EQ(cells[kD], "1.0");
  EXPECT_EQ(cells[kA], "0");
  EXPECT_EQ(cells[kB], "0");
  EXPECT_EQ(cells[kPole], "1.0000000E+3");
  EXPECT_EQ(cells[kQ], "5.0000000E-1");
  EXPECT_EQ(cells[kZero], "----");
  EXPECT_EQ(cells[kTo], "1.00000000E-6");
}

TEST(Biquad, HertzModeDividesEveryFrequencyByTwoPi) {
  const core::Stage st = Make(core::ptSLP, 1000, 0.5, 0, 0, 1);
  const BiquadCoefficients c = StageCoefficients(st, FrequencyUnit::Hz);
  const double fp = 1000 / (2 * std::numbers::pi);  // 159.15494...
  EXPECT_NEAR(c.C, fp * fp, 1e-9 * fp * fp);
  EXPECT_NEAR(c.F, 25330.295910584444, 1e-6);
  EXPECT_NEAR(c.E, 318.30988618379067, 1e-9);
  const auto cells = TransferCellTexts(st, FrequencyUnit::Hz);
  EXPECT_EQ(cells[kPole], "1.5915494E+2");
  EXPECT_EQ(cells[kE], "3.1830989E+2");
  EXPECT_EQ(TransferRowLabels(FrequencyUnit::Hz)[kPole], "fp");
  EXPECT_EQ(TransferRowLabels(FrequencyUnit::RadPerSec)[kZero], "wz");
}

TEST(Biquad, FirstOrderHighpassShowsLiteralsAndDashes) {
  const auto cells = TransferCellTexts(Make(core::ptFHP, 0, 0, 0, 250, 1), FrequencyUnit::RadPerSec);
  EXPECT_EQ(cells[kA], "0");
  EXPECT_EQ(cells[kB], "1.0");
  EXPECT_EQ(cells[kC], "0");
  EXPECT_EQ(cells[kD], "0");
  EXPECT_EQ(cells[kE], "1.0");
  EXPECT_EQ(cells[kF], "2.5000000E+2");
  EXPECT_EQ(cells[kPole], "----");
  EXPECT_EQ(cells[kQ], "----");
  EXPECT_EQ(cells[kZero], "----");
}

TEST(Biquad, NotchAndBandpassRows) {
  const auto notch = TransferCellTexts(Make(core::ptSLPN, 10, 2, 30, 10, 1), FrequencyUnit::RadPerSec);
  EXPECT_EQ(notch[kA], "1.0");
  EXPECT_EQ(notch[kC], "9.0000000E+2");
  EXPECT_EQ(notch[kE], "5.0000000E+0");
  EXPECT_EQ(notch[kZero], "3.0000000E+1");
  const auto bp = TransferCellTexts(Make(core::ptSBP, 10, 4, 0, 10, 1), FrequencyUnit::RadPerSec);
  EXPECT_EQ(bp[kA], "0");
  EXPECT_EQ(bp[kB], "2.5000000E+0");
  EXPECT_EQ(bp[kC], "0");
  const auto flp = TransferCellTexts(Make(core::ptFLP, 0, 0, 0, 40, 1), FrequencyUnit::RadPerSec);
  EXPECT_EQ(flp[kC], "4.0000000E+1");
  EXPECT_EQ(flp[kB], "0");
}

TEST(Biquad, SevenStagesMakeTwoBlocks) {
  EXPECT_EQ(TransferBlocks(7), (std::vector<std::vector<int>>{{1, 2, 3, 4, 5}, {6, 7}}));
  EXPECT_EQ(TransferBlocks(5).size(), 1u);
  EXPECT_EQ(TransferBlocks(1), (std::vector<std::vector<int>>{{1}}));
}

TEST(Biquad, TitleNamesTheApproximationKindAndOrder) {
  struct Case {
    core::FilterKind kind;
    int slot;
    int storedOrder;
    const char* screen;
  };
  // A bandpass or bandstop stores the order of the finished filter; the title names the
  // order of its lowpass model.
  const Case cases[] = {
      {core::FilterKind::Lowpass, 3, 5, "Elliptic Lowpass Filter  N=5"},
      {core::FilterKind::Bandpass, 4, 6, "Bessel (Thompson) Bandpass Filter  N=3"},
      {core::FilterKind::Bandstop, 2, 8, "Inverse Chebyshev Bandstop Filter  N=4"},
      {core::FilterKind::UserDefined, 0, 7, "User Defined Filter  N=7"},
  };
  for (const Case& c : cases) {
    const auto held = std::make_unique<core::DesignState>();
    core::DesignState& state = *held;
    core::ResetDesign(state);
    state.spec.kind = c.kind;
    state.chosenSlot = static_cast<std::int16_t>(c.slot);
    state.results[static_cast<std::size_t>(c.slot)].order = static_cast<std::int16_t>(c.storedOrder);
    EXPECT_EQ(DesignTitle(state), c.screen);
    EXPECT_EQ(TransferTitle(state, false), std::string(c.screen) + "  --  Biquadratic Coefficients");
    EXPECT_EQ(TransferTitle(state, true), "Biquadratic Coefficients");
  }
}

}  // namespace
}  // namespace tavrin::stages
