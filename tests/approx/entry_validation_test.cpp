#include <gtest/gtest.h>

#include <cmath>

#include "approx/SpecEntry.h"
#include "core/MathHelpers.h"

namespace tavrin::approx {
namespace {

using core::FilterKind;

SpecEntries Defaults(FilterKind kind) {
  return DefaultEntries(kind, core::FrequencyUnit::Hz, false);
}

std::vector<std::string> Texts(const SpecOutcome& out) {
  std::vector<std::string> t;
  for (const auto& m : out.messages) t.push_back(m.text);
  return t;
}

TEST(SpecEntry, WindowDefaultsPerKind) {
  const SpecEntries lp = Defaults(FilterKind::Lowpass);
  EXPECT_EQ(lp.apb, "0.5");
  EXPECT_EQ(lp.asb, "30");
  EXPECT_EQ(lp.pass, "1");
  EXPECT_EQ(lp.stop, "2");
  EXPECT_EQ(lp.passUnit, EntryUnit::kHz);
  EXPECT_EQ(lp.gain, "1.0");
  EXPECT_EQ(lp.gainUnit, GainUnit::VoltsPerVolt);
  EXPECT_EQ(Defaults(FilterKind::Highpass).pass, "2");
  EXPECT_EQ(Defaults(FilterKind::Highpass).stop, "1");
  EXPECT_EQ(Defaults(FilterKind::Bandstop).pass, "2");
  EXPECT_EQ(Defaults(FilterKind::Bandpass).center, "2");
  const SpecEntries rad = DefaultEntries(FilterKind::Lowpass, core::FrequencyUnit::RadPerSec, true);
  EXPECT_EQ(rad.passUnit, EntryUnit::kRadPerSec);
  EXPECT_EQ(rad.gain, "0");
  EXPECT_EQ(rad.gainUnit, GainUnit::Decibel);
}

TEST(SpecEntry, DefaultLowpassNormalizesToRadPerSecond) {
  const SpecOutcome out = BuildFilterSpec(Defaults(FilterKind::Lowpass), core::FilterSpec{});
  ASSERT_TRUE(out.accepted);
  EXPECT_DOUBLE_EQ(out.spec.wpb, 2000 * core::kPi);
  EXPECT_DOUBLE_EQ(out.spec.wsb, 4000 * core::kPi);
  EXPECT_DOUBLE_EQ(out.spec.selectivity, 2.0);
  EXPECT_EQ(out.spec.apb, 0.5);
  EXPECT_EQ(out.spec.asb, 30);
  EXPECT_EQ(out.spec.passUnit, 1);
  EXPECT_EQ(out.spec.normFrequency, 1.0);
}

TEST(SpecEntry, UnitFactors) {
  EXPECT_DOUBLE_EQ(EntryUnitFactor(*ParseEntryUnit("Hz")), 2 * core::kPi);
  EXPECT_DOUBLE_EQ(EntryUnitFactor(*ParseEntryUnit("kHz")), 2000 * core::kPi);
  EXPECT_EQ(EntryUnitFactor(*ParseEntryUnit("rad/s")), 1.0);
  EXPECT_EQ(EntryUnitFactor(*ParseEntryUnit("krad/s")), 1000.0);
  EXPECT_FALSE(ParseEntryUnit("MHz"));
  EXPECT_EQ(EntryUnitIndex(EntryUnit::RadPerSec), 0);
  EXPECT_EQ(EntryUnitIndex(EntryUnit::kRadPerSec), 1);
}

TEST(SpecEntry, SelectivityAndForcedEdgesPerKind) {
  struct Case {
    FilterKind kind;
    bool forced;
    double selectivity;
  };
  for (const Case c : {Case{FilterKind::Lowpass, false, 2}, Case{FilterKind::Highpass, false, 2},
                       Case{FilterKind::Bandpass, false, 2}, Case{FilterKind::Bandstop, false, 2},
                       Case{FilterKind::Lowpass, true, 2}, Case{FilterKind::Highpass, true, 2},
                       Case{FilterKind::Bandpass, true, 2}, Case{FilterKind::Bandstop, true, 2}}) {
    SpecEntries e = Defaults(c.kind);
    e.stop = "1.5";  // ignored when forced; otherwise K = 1.5 (or 2/1.5 for HP/BS)
    if (c.forced) {
      e.forceOrder = true;
      e.order = "4";
    }
    const SpecOutcome out = BuildFilterSpec(e, core::FilterSpec{});
    ASSERT_TRUE(out.accepted) << static_cast<int>(c.kind);
    const double expected =
        c.forced ? 2.0 : ((c.kind == FilterKind::Lowpass || c.kind == FilterKind::Bandpass) ? 1.5 : 2 / 1.5);
    EXPECT_DOUBLE_EQ(out.spec.selectivity, expected) << static_cast<int>(c.kind) << c.forced;
  }
}

TEST(SpecEntry, ForcedOrderKeepsAsbAndStopEntriesOfThePreviousRequirements) {
  core::FilterSpec previous;
  previous.asb = 77;
  previous.asbEntered = 66;
  previous.stopEntered = 5;
  SpecEntries e = Defaults(FilterKind::Lowpass);
  e.forceOrder = true;
  e.order = "5";
  e.asb = "garbage";  // a disabled field is not read
  e.stop = "";
  const SpecOutcome out = BuildFilterSpec(e, previous);
  ASSERT_TRUE(out.accepted);
  EXPECT_EQ(out.spec.asb, 77);
  EXPECT_EQ(out.spec.asbEntered, 66);
  EXPECT_EQ(out.spec.stopEntered, 5);
  EXPECT_EQ(out.spec.forcedOrder, 5);
  EXPECT_DOUBLE_EQ(out.spec.wsb, 2 * out.spec.wpb);
}

struct Refusal {
  const char* name;
  FilterKind kind;
  std::function<void(SpecEntries&)> edit;
  std::vector<std::string> messages;
  bool parsed;
  EntryField focus;
};

TEST(SpecEntry, RefusalsAndTheirExactMessages) {
  const std::string freqLimit =
      "All edge and center frequencies are limited to a maximum of 100MHz (628Mrad/s).";
  const std::vector<Refusal> cases = {
      {"empty forced order",
       FilterKind::Lowpass,
       [](SpecEntries& e) { e.forceOrder = true; },
       {"An integer number must be entered."},
       false,
       EntryField::Order},
      {"order 21",
       FilterKind::Lowpass,
       [](SpecEntries& e) { e.forceOrder = true, e.order = "21"; },
       {"Maximum order is 20."},
       false,
       EntryField::Order},
      {"order 99 bandstop",
       FilterKind::Bandstop,
       [](SpecEntries& e) { e.forceOrder = true, e.order = "99"; },
       {"Maximum order is 20."},
       false,
       EntryField::Order},
      {"odd bandpass order",
       FilterKind::Bandpass,
       [](SpecEntries& e) { e.forceOrder = true, e.order = "7"; },
       {"Order must be an even number."},
       false,
       EntryField::Order},
      {"odd bandstop order",
       FilterKind::Bandstop,
       [](SpecEntries& e) { e.forceOrder = true, e.order = "3"; },
       {"Order must be an even number."},
       false,
       EntryField::Order},
      {"zero apb",
       FilterKind::Lowpass,
       [](SpecEntries& e) { e.apb = "0"; },
       {"Invalid Number."},
       false,
       EntryField::Apb},
      {"empty asb",
       FilterKind::Lowpass,
       [](SpecEntries& e) { e.asb = ""; },
       {"Invalid Number."},
       false,
       EntryField::Asb},
      {"two points",
       FilterKind::Lowpass,
       [](SpecEntries& e) { e.pass = "1.2.3"; },
       {"Invalid Number."},
       false,
       EntryField::Pass},
      {"a sign cannot be typed",
       FilterKind::Highpass,
       [](SpecEntries& e) { e.stop = "-1"; },
       {"Invalid Number."},
       false,
       EntryField::Stop},
      {"an exponent cannot be typed",
       FilterKind::Lowpass,
       [](SpecEntries& e) { e.stop = "2e3"; },
       {"Invalid Number."},
       false,
       EntryField::Stop},
      {"center 0.000",
       FilterKind::Bandpass,
       [](SpecEntries& e) { e.center = "0.000"; },
       {"Invalid Number."},
       false,
       EntryField::Center},
      {"first bad field wins",
       FilterKind::Lowpass,
       [](SpecEntries& e) { e.asb = "x", e.pass = "0"; },
       {"Invalid Number."},
       false,
       EntryField::Asb},
      {"asb equals apb",
       FilterKind::Lowpass,
       [](SpecEntries& e) { e.asb = "0.5"; },
       {"Stopband attenuation must exceed passband attenuation."},
       true,
       EntryField::None},
      {"lowpass stop edge equals pass edge",
       FilterKind::Lowpass,
       [](SpecEntries& e) { e.stop = "1"; },
       {"Stopband frequency must exceed passband frequency."},
       true,
       EntryField::None},
      {"highpass edges reversed",
       FilterKind::Highpass,
       [](SpecEntries& e) { e.stop = "3"; },
       {"Passband frequency must exceed stopband frequency."},
       true,
       EntryField::None},
      {"bandpass bandwidths reversed",
       FilterKind::Bandpass,
       [](SpecEntries& e) { e.stop = "0.5"; },
       {"Stopband bandwidth must exceed passband bandwidth."},
       true,
       EntryField::None},
      {"bandstop bandwidths equal",
       FilterKind::Bandstop,
       [](SpecEntries& e) { e.stop = "2"; },
       {"Passband bandwidth must exceed stopband bandwidth."},
       true,
       EntryField::None},
      {"lowpass edge above 100 MHz",
       FilterKind::Lowpass,
       [](SpecEntries& e) { e.stop = "100100"; },
       {freqLimit},
       true,
       EntryField::None},
      {"bandpass center above 100 MHz",
       FilterKind::Bandpass,
       [](SpecEntries& e) { e.center = "100100"; },
       {freqLimit},
       true,
       EntryField::None},
      {"every failing rule speaks",
       FilterKind::Lowpass,
       [](SpecEntries& e) { e.asb = "0.1", e.pass = "200000", e.stop = "100000"; },
       {"Stopband attenuation must exceed passband attenuation.",
        "Stopband frequency must exceed passband frequency.", freqLimit},
       true,
       EntryField::None},
  };
  for (const Refusal& c : cases) {
    SpecEntries e = Defaults(c.kind);
    c.edit(e);
    const SpecOutcome out = BuildFilterSpec(e, core::FilterSpec{});
    EXPECT_FALSE(out.accepted) << c.name;
    EXPECT_EQ(out.parsed, c.parsed) << c.name;
    EXPECT_EQ(Texts(out), c.messages) << c.name;
    ASSERT_FALSE(out.messages.empty()) << c.name;
    EXPECT_EQ(out.messages.front().focus, c.focus) << c.name;
    EXPECT_EQ(out.messages.front().kind, MessageKind::Warning) << c.name;
    EXPECT_TRUE(out.messages.front().beep) << c.name;
  }
}

TEST(SpecEntry, FrequencyLimitIsJustAbove100MHz) {
  // 100 MHz is 628318530 rad/s; the limit 628400000 rad/s lets 100.01 MHz through.
  SpecEntries e = Defaults(FilterKind::Lowpass);
  e.pass = "50000";
  e.stop = "100010";
  EXPECT_TRUE(BuildFilterSpec(e, core::FilterSpec{}).accepted);
  e.stop = "100020";
  EXPECT_FALSE(BuildFilterSpec(e, core::FilterSpec{}).accepted);
}

TEST(SpecEntry, ForcedOrderSkipsTheStopbandRules) {
  SpecEntries e = Defaults(FilterKind::Bandstop);
  e.forceOrder = true;
  e.order = "20";
  e.asb = "0.1";  // below apb, but not read
  e.stop = "5";   // would break the bandstop rule, but not read
  const SpecOutcome out = BuildFilterSpec(e, core::FilterSpec{});
  EXPECT_TRUE(out.accepted);
  EXPECT_DOUBLE_EQ(out.spec.bs, out.spec.bp / 2);
}

TEST(SpecEntry, OverallGainLimits) {
  struct Case {
    const char* text;
    GainUnit unit;
    const char* error;
    double gain;
  };
  for (const Case c :
       {Case{"0.05", GainUnit::VoltsPerVolt, "Minimum allowable overall gain is 0.1V/V.", 0.05},
        Case{"", GainUnit::VoltsPerVolt, "Minimum allowable overall gain is 0.1V/V.", 0},
        Case{"abc", GainUnit::VoltsPerVolt, "Minimum allowable overall gain is 0.1V/V.", 0},
        Case{"0.1", GainUnit::VoltsPerVolt, "", 0.1}, Case{"1000", GainUnit::VoltsPerVolt, "", 1000},
        Case{"1000.1", GainUnit::VoltsPerVolt, "Maximum allowable overall gain is 60dB (1000V/V).", 1000.1},
        Case{"0", GainUnit::Decibel, "", 1}, Case{"60", GainUnit::Decibel, "", 1000},
        Case{"61", GainUnit::Decibel, "Maximum allowable overall gain is 60dB (1000V/V).", 1122.018454}}) {
    const GainOutcome g = CheckOverallGain(c.text, c.unit);
    EXPECT_NEAR(g.gain, c.gain, 1e-6) << c.text;
    EXPECT_EQ(g.error ? g.error->text : std::string(), c.error) << c.text;
    if (g.error) {
      EXPECT_EQ(g.error->kind, MessageKind::Error);
    }
  }
}

}  // namespace
}  // namespace tavrin::approx
