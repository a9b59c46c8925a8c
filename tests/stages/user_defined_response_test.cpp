// The responses of a user-defined filter: gain, phase, delay and roots of slot 0 against the
// product of its sections written here from the values typed, not from the stage records.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "../approx/ApproxTestSupport.h"
#include "approx/SlotRoots.h"
#include "core/DesignFile.h"
#include "response/IdealResponse.h"
#include "stages/UserDefined.h"

namespace tavrin::stages {
namespace {

using Complex = std::complex<double>;
constexpr double kDeg = 180.0 / std::numbers::pi;

// One section as typed: first-order sections give the pole p, second-order ones Q, wp, wz.
struct Typed {
  int order;
  SectionType type;
  double qOrPole;
  double wp = 0;
  double wz = 0;
  double To = 1.0;
};

Complex SectionH(const Typed& t, double w) {
  const Complex s(0.0, w);
  if (t.order == 1) {
    const double p = t.qOrPole;
    return t.To * (t.type == SectionType::Highpass ? s : Complex(p)) / (s + p);
  }
  const double a = t.wp / t.qOrPole, b = t.wp * t.wp;
  const Complex d = s * s + a * s + b;
  switch (t.type) {
    case SectionType::Lowpass:
      return t.To * b / d;
    case SectionType::Highpass:
      return t.To * s * s / d;
    case SectionType::Bandpass:
      return t.To * a * s / d;
    case SectionType::Bandstop:
      break;
  }
  return t.To * (s * s + t.wz * t.wz) / d;
}

Complex FilterH(const std::vector<Typed>& sections, double w) {
  Complex h(1.0);
  for (const Typed& t : sections) h *= SectionH(t, w);
  return h;
}

std::string Text(double x) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", x);
  return buffer;
}

// The sections entered in the window's rad/s mode, then "Next".
std::unique_ptr<core::DesignState> Committed(const std::vector<Typed>& sections) {
  auto state = std::make_unique<core::DesignState>();
  core::ResetDesign(*state);
  state->frequencyUnit = core::FrequencyUnit::RadPerSec;
  StartUserDesign(*state);
  for (const Typed& t : sections) {
    SectionEntry e;
    e.order = t.order;
    e.type = t.type;
    e.mode = t.order == 1 ? EntryMode::Poles : EntryMode::QWpWz;
    e.field = {Text(t.qOrPole), t.order == 2 ? Text(t.wp) : "", t.wz > 0 ? Text(t.wz) : "", "", Text(t.To)};
    EXPECT_FALSE(AddSection(*state, e).has_value());
  }
  EXPECT_TRUE(CommitUserDesign(*state));
  return state;
}

TEST(UserDefinedResponse, TwoFirstOrderHighpassSectionsLeadBy180DegreesWellBelowTheCorners) {
  const std::vector<Typed> sections = {{1, SectionType::Highpass, 100}, {1, SectionType::Highpass, 300}};
  const auto state = Committed(sections);
  // Two zeros at the origin: a lead of 180 degrees far below 100 rad/s, none far above 300.
  EXPECT_NEAR(response::IdealPhaseLagAt(*state, 0, 0.01), -180.0, 0.01);
  EXPECT_NEAR(response::IdealPhaseLagAt(*state, 0, 1e6), 0.0, 0.05);
  // At the geometric mean of the corners the lead is exactly 90 degrees.
  EXPECT_NEAR(response::IdealPhaseLagAt(*state, 0, std::sqrt(100.0 * 300.0)), -90.0, 1e-9);
  // The pole-zero picture shows both zeros.
  const approx::SlotRoots roots = approx::RootsOfSlot(*state, 0);
  ASSERT_EQ(roots.zeros.size(), 2u);
  EXPECT_EQ(roots.zeros[0], Complex(0.0));
  EXPECT_EQ(roots.zeros[1], Complex(0.0));
}

TEST(UserDefinedResponse, GainPhaseDelayAndRootsAreThoseOfTheProductOfTheSections) {
  struct Case {
    const char* name;
    std::vector<Typed> sections;
  };
  const Case cases[] = {
      {"two first-order highpass",
       {{1, SectionType::Highpass, 100}, {1, SectionType::Highpass, 300, 0, 0, 2}}},
      {"first-order highpass and bandpass",
       {{1, SectionType::Highpass, 50}, {2, SectionType::Bandpass, 5, 400, 0, 2}}},
      {"two bandpass and a first-order lowpass",
       {{2, SectionType::Bandpass, 2, 100},
        {2, SectionType::Bandpass, 3, 1000, 0, 1.5},
        {1, SectionType::Lowpass, 3000, 0, 0, 0.5}}},
      {"highpass pair, notch, first-order highpass and lowpass",
       {{2, SectionType::Highpass, 0.8, 200},
        {2, SectionType::Bandstop, 4, 500, 700},
        {1, SectionType::Highpass, 20, 0, 0, 3},
        {2, SectionType::Lowpass, 0.7071, 5000}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto state = Committed(c.sections);
    const approx::SlotRoots roots = approx::RootsOfSlot(*state, 0);
    for (double w = 0.37; w < 1e5; w *= 1.31) {
      const Complex h = FilterH(c.sections, w);
      const double mag = std::abs(h);
      EXPECT_NEAR(response::IdealGainAt(*state, 0, w) / mag, 1.0, 1e-9) << w;
      EXPECT_NEAR(ComputeUserGain(*state, 1, state->stageCount, w) / mag, 1.0, 1e-9) << w;
      EXPECT_NEAR(std::abs(approx::testing::Response(roots, w) - h) / mag, 0.0, 1e-9) << w;
      // The stored lag is continuous; the product only knows the angle modulo 360 degrees.
      const double lag = response::IdealPhaseLagAt(*state, 0, w) / kDeg;
      EXPECT_NEAR(std::abs(std::polar(1.0, -lag) - h / mag), 0.0, 1e-9) << w;
      // Group delay: minus the slope of the angle, from the product around w.
      const double dw = 1e-5 * w;
      const double slope = std::arg(FilterH(c.sections, w + dw) / FilterH(c.sections, w - dw)) / (2 * dw);
      const double delay = response::IdealDelayAt(*state, 0, w);
      EXPECT_NEAR(delay, -slope, 1e-6 * std::abs(slope) + 1e-12) << w;
    }
  }
}

TEST(UserDefinedResponse, TheDesignFileKeepsEveryZeroAtTheOrigin) {
  // Fourteen zeros at the origin, more than the eleven entries of a root table: the count
  // is of roots, and the file still reads.
  std::vector<Typed> sections;
  for (double wp : {100.0, 150.0, 200.0, 300.0, 400.0, 600.0})
    sections.push_back({2, SectionType::Highpass, 0.9, wp});
  sections.push_back({1, SectionType::Highpass, 50});
  sections.push_back({1, SectionType::Highpass, 80});
  const auto state = Committed(sections);
  EXPECT_EQ(state->results[0].singleZeros, 14);

  auto read = std::make_unique<core::DesignState>();
  core::ResetDesign(*read);
  const core::DesignReadResult result = core::DecodeDesignFile(core::EncodeDesignFile(*state), *read);
  ASSERT_TRUE(result.ok()) << result.message;
  EXPECT_EQ(read->spec.kind, core::FilterKind::UserDefined);
  for (double w : {0.01, 120.0, 1e7}) {
    // The file keeps reals to about eleven digits.
    EXPECT_NEAR(response::IdealPhaseLagAt(*read, 0, w), response::IdealPhaseLagAt(*state, 0, w), 1e-7) << w;
    EXPECT_NEAR(response::IdealGainAt(*read, 0, w) / std::abs(FilterH(sections, w)), 1.0, 1e-9) << w;
  }
  EXPECT_NEAR(response::IdealPhaseLagAt(*read, 0, 0.01), -14 * 90.0, 0.1);
  EXPECT_EQ(approx::RootsOfSlot(*read, 0).zeros.size(), 14u);
}

}  // namespace
}  // namespace tavrin::stages
