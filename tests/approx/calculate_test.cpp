#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <fstream>
#include <vector>

#include "ApproxTestSupport.h"
#include "approx/ArithmeticGuard.h"

namespace tavrin::approx {
namespace {

using core::FilterKind;
using testing::Calc;
using testing::Entries;
using testing::Forced;

SpecEntries Typical() {
  return DefaultEntries(FilterKind::Lowpass, core::FrequencyUnit::Hz, false);
}

std::vector<std::string> Row(const ResultsTable& t, int row) {
  std::vector<std::string> cells;
  for (const auto& c : t.cells[row]) cells.push_back(c.text);
  return cells;
}

TEST(Calculate, TypicalLowpassTable) {
  const testing::Run run = Calc(Typical());
  ASSERT_EQ(run.outcome.status, CalculateStatus::Completed);
  EXPECT_TRUE(run.outcome.messages.empty());
  EXPECT_TRUE(run.outcome.showResults);
  EXPECT_TRUE(run.outcome.nextEnabled);
  const ResultsTable& t = run.outcome.table;
  EXPECT_EQ(t.corner, "Approximation:");
  EXPECT_EQ(t.columnHeaders[0][0], "Butter-");
  EXPECT_EQ(t.columnHeaders[0][1], "worth");
  EXPECT_EQ(t.columnHeaders[2][1], "Cheby.");
  EXPECT_EQ(t.rowLabels[7], "Max. pole Qp");
  // Bessel cannot reach 30 dB at twice the 0.5 dB edge at any order: its attenuation
  // curve tends to a Gaussian, which gives only about 2 dB there.
  using V = std::vector<std::string>;
  EXPECT_EQ(Row(t, 0), (V{"7", "4", "4", "3", ">20"}));
  EXPECT_EQ(Row(t, 1), (V{"4", "2", "2", "2", "---"}));
  EXPECT_EQ(Row(t, 2), (V{"0 dB", "0.5 dB", "0 dB", "0.5 dB", "---"}));
  EXPECT_EQ(Row(t, 3), (V{"3", "2", "2", "1", "---"}));
  EXPECT_EQ(Row(t, 4), (V{"1", "0", "0", "1", "---"}));
  EXPECT_EQ(Row(t, 5), (V{"0", "0", "2", "1", "---"}));
  EXPECT_EQ(Row(t, 6), (V{"0", "0", "0", "0", "---"}));
  EXPECT_EQ(Row(t, 7), (V{"2.2", "2.9", "1.6", "2.0", "---"}));
  const core::DesignState& st = *run.state;
  EXPECT_TRUE(st.modified);
  EXPECT_TRUE(st.stepsStale);
  EXPECT_EQ(st.spec.overallGain, 1.0);
  EXPECT_TRUE(testing::AllFinite(st));
}

TEST(Calculate, BesselReachesAModestRequirements) {
  const testing::Run run = Calc(Entries(FilterKind::Lowpass, "3.0103", "20", "1000", "4000"));
  ASSERT_EQ(run.outcome.status, CalculateStatus::Completed);
  EXPECT_FALSE(run.state->results[4].tooHigh);
  EXPECT_NE(run.outcome.table.cells[0][4].text, ">20");
}

TEST(Calculate, ReinitializeQuestionAfterStepFive) {
  testing::Run run = Calc(Typical());
  run.state->designStep = 6;
  run.state->stepsStale = false;
  const double before = run.state->polePairs[0][1].b0;
  CalculateRequest request;
  request.entries = Entries(FilterKind::Highpass, "1", "40", "2000", "1000");
  request.besselTable = testing::BuiltBesselTable();
  CalculateHooks hooks;
  std::string asked;
  hooks.confirm = [&](const Message& m) {
    asked = m.text;
    EXPECT_EQ(m.buttons, MessageButtons::OkCancel);
    return false;
  };
  EXPECT_EQ(Calculate(*run.state, request, hooks).status, CalculateStatus::Cancelled);
  EXPECT_EQ(asked, "This will re-initialize your design.");
  EXPECT_EQ(run.state->polePairs[0][1].b0, before);
  EXPECT_EQ(run.state->spec.kind, FilterKind::Lowpass);
  EXPECT_FALSE(run.state->stepsStale);
  hooks.confirm = [](const Message&) { return true; };
  EXPECT_EQ(Calculate(*run.state, request, hooks).status, CalculateStatus::Completed);
  EXPECT_EQ(run.state->spec.kind, FilterKind::Highpass);
  run.state->designStep = 5;
  asked.clear();
  hooks.confirm = [&](const Message& m) { return asked = m.text, false; };
  EXPECT_EQ(Calculate(*run.state, request, hooks).status, CalculateStatus::Completed);
  EXPECT_TRUE(asked.empty());
}

TEST(Calculate, ParsingRefusalLeavesTheSlotsValidationRefusalClearsThem) {
  testing::Run run = Calc(Typical());
  CalculateRequest request;
  request.besselTable = testing::BuiltBesselTable();
  request.entries = Typical();
  request.entries.pass = "0";
  CalculateOutcome out = Calculate(*run.state, request);
  EXPECT_EQ(out.status, CalculateStatus::EntriesRefused);
  ASSERT_EQ(out.messages.size(), 1u);
  EXPECT_EQ(out.messages[0].text, "Invalid Number.");
  EXPECT_EQ(out.messages[0].focus, EntryField::Pass);
  EXPECT_EQ(run.state->results[0].order, 7);
  request.entries = Typical();
  request.entries.stop = "1";
  out = Calculate(*run.state, request);
  EXPECT_EQ(out.status, CalculateStatus::EntriesRefused);
  EXPECT_EQ(out.messages[0].text, "Stopband frequency must exceed passband frequency.");
  for (int slot = 0; slot < core::kSlotCount; ++slot) EXPECT_EQ(run.state->results[slot].order, 0);
}

TEST(Calculate, ArithmeticErrorEndsCalculateWithItsMessage) {
  struct Case {
    const char* name;
    SpecEntries entries;
    const char* message;
  };
  SpecEntries huge = Typical();
  huge.asb = "99999";  // 10^9999.9 overflows in the very first order estimate
  SpecEntries zeroOrder = Forced(Typical(), 0);
  for (const Case& c :
       {Case{"huge asb", huge, "Floating point overflow. Try using smaller numbers."},
        Case{"order 0", zeroOrder, "Floating point division by zero. Try using smaller numbers."}}) {
    const testing::Run run = Calc(c.entries);
    EXPECT_EQ(run.outcome.status, CalculateStatus::DesignFailed) << c.name;
    ASSERT_EQ(run.outcome.messages.size(), 1u) << c.name;
    EXPECT_EQ(run.outcome.messages[0].text, c.message) << c.name;
    EXPECT_EQ(run.outcome.messages[0].kind, MessageKind::Error) << c.name;
    EXPECT_FALSE(run.outcome.showResults) << c.name;
    EXPECT_FALSE(run.state->stepsStale) << c.name;
    EXPECT_TRUE(testing::AllFinite(*run.state)) << c.name;  // the half-written slot is put back
  }
}

TEST(ArithmeticGuard, NamesTheErrorThatWasRaised) {
  volatile double zero = 0, minusOne = -1, big = DBL_MAX;
  {
    ArithmeticGuard g;
    volatile double x = 1 / zero;
    (void)x;
    EXPECT_EQ(g.Raised(), ArithmeticError::DivisionByZero);
  }
  {
    ArithmeticGuard g;
    volatile double x = big * 2;
    (void)x;
    EXPECT_EQ(g.Raised(), ArithmeticError::Overflow);
  }
  {
    ArithmeticGuard g;
    volatile double x = std::sqrt(minusOne);
    (void)x;
    EXPECT_EQ(g.Raised(), ArithmeticError::InvalidOperation);
  }
  {
    ArithmeticGuard g;
    volatile double x = std::sqrt(2.0 + zero);
    (void)x;
    EXPECT_EQ(g.Raised(), ArithmeticError::None);
  }
  EXPECT_EQ(ArithmeticErrorMessage(ArithmeticError::InvalidOperation).text,
            "Invalid floating point operation. Try using smaller numbers.");
  core::DesignState st;
  st.polePairs[2][3].Q = std::nan("");
  EXPECT_EQ(NonFiniteIn(st, 2), ArithmeticError::InvalidOperation);
  EXPECT_EQ(NonFiniteIn(st, 1), ArithmeticError::None);
  st.poleRoots[2][1].sigma = HUGE_VAL;  // entry 1 is looked at before the NaN of entry 3
  EXPECT_EQ(NonFiniteIn(st, 2), ArithmeticError::Overflow);
}

TEST(ArithmeticGuard, TheCallersFlagsNeitherCountInsideNorGetLost) {
  volatile double zero = 0, big = DBL_MAX;
  volatile double x = 0;
  std::feclearexcept(FE_ALL_EXCEPT);
  x = 1 / zero;  // the caller's own division by zero, before the guard
  {
    ArithmeticGuard g;
    EXPECT_EQ(g.Raised(), ArithmeticError::None);
    x = big * 2;
    EXPECT_EQ(g.Raised(), ArithmeticError::Overflow);
  }
  EXPECT_TRUE(std::fetestexcept(FE_DIVBYZERO));
  EXPECT_FALSE(std::fetestexcept(FE_OVERFLOW));
  std::feclearexcept(FE_ALL_EXCEPT);
  {
    ArithmeticGuard g;
    x = 1 / zero;
    EXPECT_EQ(g.Raised(), ArithmeticError::DivisionByZero);
  }
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
  (void)x;
}

TEST(Calculate, MissingOrShortBesselTableStopsAfterTheEllipticSlot) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tavrin_bessel_test";
  std::filesystem::create_directories(dir);
  const std::filesystem::path shortFile = dir / "BessRoot.dat";
  {
    std::ofstream f(shortFile, std::ios::binary);
    f << std::string(2399, '\x81');
  }
  for (const auto& table : {dir / "missing.dat", shortFile}) {
    const testing::Run run = Calc(Typical(), table);
    EXPECT_EQ(run.outcome.status, CalculateStatus::DesignFailed);
    ASSERT_EQ(run.outcome.messages.size(), 1u);
    EXPECT_EQ(run.outcome.messages[0].text,
              "Unable to open file BessRoot.dat. This file should be in the application directory");
    EXPECT_FALSE(run.outcome.showResults);
    EXPECT_EQ(run.state->results[3].order, 3);  // slots 0 to 3 keep their results
    EXPECT_EQ(run.state->results[4].order, 0);
  }
  std::filesystem::remove_all(dir);
}

TEST(Calculate, ATableReadOnceDesignsAsReadingTheFileDoes) {
  // A batch reads the Bessel table once and hands it to every Calculate; the designs must be
  // those of a Calculate that reads the file itself, to the last bit.
  BesselRootTable table;
  ASSERT_TRUE(ReadBesselRootTable(testing::BuiltBesselTable(), table));
  const std::vector<SpecEntries> cases = {
      Typical(),                                                     // Bessel too high
      Entries(FilterKind::Lowpass, "3.0103", "20", "1000", "4000"),  // Bessel designed
      Entries(FilterKind::Highpass, "0.7", "35", "3000", "1000"),
      Forced(Entries(FilterKind::Bandpass, "1", "30", "500", "2000", "3000"), 8),
      Entries(FilterKind::Bandstop, "0.2", "25", "2000", "400", "3000"),
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const testing::Run fromFile = Calc(cases[i]);
    testing::Run given;
    core::ResetDesign(*given.state);
    CalculateRequest request;
    request.entries = cases[i];
    request.besselTable = "/nonexistent/BessRoot.dat";  // never read when a table is given
    request.besselRoots = &table;
    request.buildTable = false;
    given.outcome = Calculate(*given.state, request);
    ASSERT_EQ(given.outcome.status, fromFile.outcome.status) << i;
    EXPECT_TRUE(given.outcome.table.cells[0][0].text.empty()) << i;  // no table asked for
    for (int slot = 0; slot < core::kSlotCount; ++slot) {
      const core::ApproxResult& a = fromFile.state->results[slot];
      const core::ApproxResult& b = given.state->results[slot];
      EXPECT_EQ(b.order, a.order) << i << " slot " << slot;
      EXPECT_EQ(b.tooHigh, a.tooHigh) << i << " slot " << slot;
      EXPECT_EQ(b.largestPoleQ, a.largestPoleQ) << i << " slot " << slot;
      const SlotRoots ra = RootsOfSlot(*fromFile.state, slot);
      const SlotRoots rb = RootsOfSlot(*given.state, slot);
      EXPECT_EQ(rb.poles, ra.poles) << i << " slot " << slot;
      EXPECT_EQ(rb.zeros, ra.zeros) << i << " slot " << slot;
      EXPECT_EQ(rb.gain, ra.gain) << i << " slot " << slot;
    }
  }
  EXPECT_FALSE(Calc(Entries(FilterKind::Lowpass, "3.0103", "20", "1000", "4000")).state->results[4].tooHigh);
}

TEST(Calculate, RootsIntoReusedStorageAreTheRootsOfTheSlot) {
  // A batch lists roots into the same storage line after line: what a larger design left
  // there must not show in a smaller one.
  const testing::Run large =
      Calc(Forced(Entries(FilterKind::Bandpass, "1", "30", "500", "2000", "3000"), 20));
  const testing::Run small = Calc(Entries(FilterKind::Highpass, "0.7", "35", "3000", "1000"));
  SlotRoots reused;
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    if (!core::SlotHasResult(*large.state, slot) || !core::SlotHasResult(*small.state, slot)) continue;
    RootsOfSlot(*large.state, slot, reused);
    ASSERT_FALSE(reused.zeros.empty()) << slot;
    RootsOfSlot(*small.state, slot, reused);
    const SlotRoots fresh = RootsOfSlot(*small.state, slot);
    EXPECT_EQ(reused.poles, fresh.poles) << slot;
    EXPECT_EQ(reused.zeros, fresh.zeros) << slot;
    EXPECT_EQ(reused.gain, fresh.gain) << slot;
  }
}

TEST(Calculate, GainOutOfRangeKeepsTheResults) {
  SpecEntries e = Typical();
  e.gain = "61";
  e.gainUnit = GainUnit::Decibel;
  testing::Run run = Calc(e);
  EXPECT_EQ(run.outcome.status, CalculateStatus::GainRefused);
  ASSERT_EQ(run.outcome.messages.size(), 1u);
  EXPECT_EQ(run.outcome.messages[0].text, "Maximum allowable overall gain is 60dB (1000V/V).");
  EXPECT_TRUE(run.outcome.showResults);
  EXPECT_TRUE(run.outcome.nextEnabled);
  EXPECT_EQ(run.state->results[0].order, 7);
  EXPECT_FALSE(run.state->stepsStale);
  e.gain = "0.05";
  e.gainUnit = GainUnit::VoltsPerVolt;
  run = Calc(e);
  EXPECT_EQ(run.outcome.messages.at(0).text, "Minimum allowable overall gain is 0.1V/V.");
  e.gain = "20";
  e.gainUnit = GainUnit::Decibel;
  run = Calc(e);
  EXPECT_EQ(run.outcome.status, CalculateStatus::Completed);
  EXPECT_DOUBLE_EQ(run.state->spec.overallGain, 10.0);
}

TEST(Calculate, SlotsAbove300AreExcludedButKeepTheirOrder) {
  // A bandpass 1000 times narrower than its center: every pole Q is far above 300.
  const testing::Run narrow = Calc(Entries(FilterKind::Bandpass, "0.5", "30", "100", "200", "100000"));
  ASSERT_EQ(narrow.outcome.status, CalculateStatus::Completed);
  EXPECT_FALSE(narrow.outcome.nextEnabled);
  const ResultsTable& t = narrow.outcome.table;
  for (int slot = 0; slot < 4; ++slot) {
    EXPECT_TRUE(narrow.state->approxSkip[slot]) << slot;
    EXPECT_EQ(t.cells[7][slot].text, ">300") << slot;
    EXPECT_TRUE(t.cells[7][slot].red) << slot;
    EXPECT_EQ(t.cells[0][slot].text, std::to_string(narrow.state->results[slot].order)) << slot;
    EXPECT_EQ(t.cells[1][slot].text, "---") << slot;
    EXPECT_FALSE(core::SlotHasResult(*narrow.state, slot)) << slot;
  }
  // A forced 20th-order Chebyshev with 10 dB of ripple has a pair of Q near 390; the
  // Butterworth slot stays available.
  const testing::Run ripple = Calc(Forced(Entries(FilterKind::Lowpass, "10", "30", "1000", "2000"), 20));
  EXPECT_TRUE(ripple.state->approxSkip[1]);
  EXPECT_GT(ripple.state->results[1].largestPoleQ, 300);
  EXPECT_FALSE(ripple.state->approxSkip[0]);
  EXPECT_TRUE(ripple.outcome.nextEnabled);
  EXPECT_EQ(ripple.outcome.table.cells[7][0].text, "6.4");  // one decimal from 1 to 10
  const testing::Run band =
      Calc(Forced(DefaultEntries(FilterKind::Bandpass, core::FrequencyUnit::Hz, false), 20));
  EXPECT_EQ(band.outcome.table.cells[7][1].text, "74");  // no decimals from 10 up
}

TEST(Calculate, FirstOrderAndSecondOrderCells) {
  const testing::Run first = Calc(Forced(Entries(FilterKind::Lowpass, "3.0103", "30", "1000", "2000"), 1));
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    EXPECT_EQ(first.outcome.table.cells[7][slot].text, "---") << slot;
    EXPECT_EQ(first.outcome.table.cells[1][slot].text, "1") << slot;
  }
  // A computed order of 1 (very wide transition) keeps no pole Q from an earlier design.
  testing::Run wide = Calc(Entries(FilterKind::Lowpass, "0.5", "20", "1", "10000"));
  EXPECT_EQ(wide.state->results[0].order, 1);
  EXPECT_EQ(wide.state->results[0].largestPoleQ, 0);
  EXPECT_EQ(wide.outcome.table.cells[7][0].text, "---");
  const testing::Run second = Calc(Forced(Entries(FilterKind::Lowpass, "0.5", "30", "1000", "2000"), 2));
  for (int slot = 0; slot < core::kSlotCount; ++slot)
    EXPECT_EQ(second.outcome.table.cells[2][slot].text, "---") << slot;
  EXPECT_EQ(second.outcome.table.cells[7][0].text, "0.71");  // two decimals below 1
}

TEST(Calculate, HooksRunInTheirSteps) {
  CalculateRequest request;
  request.entries = Entries(FilterKind::Lowpass, "0.5", "30", "1000", "1300");
  request.besselTable = testing::BuiltBesselTable();
  std::vector<std::string> calls;
  CalculateHooks hooks;
  hooks.resultsReady = [&] { calls.push_back("ready"); };
  hooks.setUpResponseAxes = [&](core::DesignState&) { calls.push_back("axes"); };
  hooks.storeGainLevel = [&](core::DesignState& s) {
    calls.push_back("gain " + std::to_string(s.spec.overallGain));
  };
  hooks.computeIdealGain = [&](core::DesignState& s, int slot) {
    EXPECT_EQ(s.currentSlot, slot);
    EXPECT_EQ(s.allPole, slot == 0 || slot == 1 || slot == 4);
    calls.push_back("slot " + std::to_string(slot));
  };
  core::DesignState st;
  core::ResetDesign(st);
  request.entries.gain = "2";
  ASSERT_EQ(Calculate(st, request, hooks).status, CalculateStatus::Completed);
  // Bessel is too high here, so only four slots get their curves.
  EXPECT_EQ(calls, (std::vector<std::string>{"ready", "axes", "gain 2.000000", "slot 0", "slot 1", "slot 2",
                                             "slot 3"}));
}

}  // namespace
}  // namespace tavrin::approx
