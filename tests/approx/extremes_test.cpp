// The far corners: order 20 of every kind and approximation, and selectivities from
// barely above 1 to the largest the entry fields can express.  Nothing may come out
// non-finite, and what is designed must still be the filter asked for.
#include <gtest/gtest.h>

#include <cmath>

#include "ApproxTestSupport.h"

namespace tavrin::approx {
namespace {

using core::FilterKind;
using testing::BandEdges;
using testing::Calc;
using testing::Entries;
using testing::Forced;

// Attenuation at the passband edge(s) of a designed slot is apb (Bessel and odd Elliptic
// within their tolerances).
void ExpectEdges(const core::DesignState& st, int slot, double tolerance) {
  const core::FilterSpec& s = st.spec;
  const SlotRoots roots = RootsOfSlot(st, slot);
  std::vector<double> edges;
  if (s.kind == FilterKind::Lowpass || s.kind == FilterKind::Highpass) {
    edges = {s.wpb};
  } else {
    const auto [lo, hi] = BandEdges(s.w0, s.bp);
    edges = {lo, hi};
  }
  for (double e : edges) EXPECT_NEAR(testing::AttenuationDb(roots, e), s.apb, tolerance) << "slot " << slot;
}

double EdgeTolerance(int slot) {
  return slot == 4 ? 1e-4 : slot == 3 ? 2e-3 : 1e-6;
}

TEST(Extremes, OrderTwentyOfEveryKindAndApproximation) {
  struct Case {
    FilterKind kind;
    const char* apb;
    const char* pass;
    const char* stop;
    const char* center;
    EntryUnit unit;
  };
  const Case cases[] = {
      {FilterKind::Lowpass, "0.5", "1", "2", "2", EntryUnit::kHz},
      {FilterKind::Lowpass, "0.01", "50000", "100000", "2", EntryUnit::kHz},  // forced stop edge 100 MHz
      {FilterKind::Lowpass, "3", "0.001", "0.002", "2", EntryUnit::Hz},
      {FilterKind::Highpass, "0.5", "2", "1", "2", EntryUnit::kHz},
      {FilterKind::Highpass, "1", "100000", "50000", "2", EntryUnit::kHz},
      {FilterKind::Bandpass, "0.5", "1", "2", "2", EntryUnit::kHz},
      {FilterKind::Bandpass, "0.1", "0.01", "0.02", "100000", EntryUnit::kHz},  // 10 Hz wide at 100 MHz
      {FilterKind::Bandpass, "1", "10", "20", "1", EntryUnit::kHz},             // ten times wider than w0
      {FilterKind::Bandstop, "0.5", "2", "1", "2", EntryUnit::kHz},
      {FilterKind::Bandstop, "0.2", "1", "0.5", "100000", EntryUnit::kHz},
      {FilterKind::Bandstop, "3", "20", "10", "1", EntryUnit::kHz},
  };
  for (const Case& c : cases) {
    const testing::Run run = Calc(Forced(Entries(c.kind, c.apb, "30", c.pass, c.stop, c.center, c.unit), 20));
    SCOPED_TRACE(std::string("kind ") + std::to_string(static_cast<int>(c.kind)) + " pass " + c.pass +
                 " center " + c.center);
    ASSERT_EQ(run.outcome.status, CalculateStatus::Completed);
    EXPECT_TRUE(testing::AllFinite(*run.state));
    for (int slot = 0; slot < core::kSlotCount; ++slot) {
      const core::ApproxResult& r = run.state->results[slot];
      ASSERT_FALSE(r.tooHigh) << slot;
      EXPECT_EQ(r.order, 20) << slot;
      EXPECT_LE(r.polePairs, 10) << slot;
      EXPECT_EQ(RootsOfSlot(*run.state, slot).poles.size(), 20u) << slot;
      EXPECT_TRUE(std::isfinite(RootsOfSlot(*run.state, slot).gain)) << slot;
      ExpectEdges(*run.state, slot, EdgeTolerance(slot));
    }
  }
}

TEST(Extremes, SelectivitiesFromBarelyAboveOneToTwelveDecades) {
  struct Case {
    FilterKind kind;
    const char* pass;
    const char* stop;
    const char* center;
    EntryUnit unit;
  };
  const Case cases[] = {
      {FilterKind::Lowpass, "1000", "1000.001", "2", EntryUnit::RadPerSec},  // K - 1 = 1e-6
      {FilterKind::Lowpass, "0.0001", "100000", "2", EntryUnit::kHz},        // K = 1e12
      {FilterKind::Lowpass, "0.0001", "1", "2", EntryUnit::Hz},              // K = 1e4
      {FilterKind::Highpass, "100000", "0.0001", "2", EntryUnit::kHz},
      {FilterKind::Bandpass, "0.0001", "999999", "1", EntryUnit::kHz},  // K = 1e13
      {FilterKind::Bandpass, "1", "1.0001", "10", EntryUnit::kHz},
      {FilterKind::Bandstop, "999999", "0.0001", "1", EntryUnit::kHz},
  };
  for (const Case& c : cases) {
    for (const char* asb : {"20", "60", "120"}) {
      const testing::Run run = Calc(Entries(c.kind, "0.5", asb, c.pass, c.stop, c.center, c.unit));
      SCOPED_TRACE(std::string(c.pass) + " / " + c.stop + " asb " + asb);
      ASSERT_TRUE(run.outcome.status == CalculateStatus::Completed ||
                  run.outcome.status == CalculateStatus::NoResult)
          << (run.outcome.messages.empty() ? "" : run.outcome.messages[0].text);
      EXPECT_TRUE(testing::AllFinite(*run.state));
      for (int slot = 0; slot < core::kSlotCount; ++slot) {
        if (run.state->results[slot].tooHigh) continue;
        // The elliptic formulas are series in the nome q, which nears its largest value as K
        // approaches 1; there they are finite but no longer the equiripple filter.
        if (slot != 3 || run.state->spec.selectivity > 1.01)
          ExpectEdges(*run.state, slot, EdgeTolerance(slot));
        const SlotRoots roots = RootsOfSlot(*run.state, slot);
        for (auto p : roots.poles) EXPECT_LT(p.real(), 0) << slot;
      }
    }
  }
}

TEST(Extremes, SelectivityBeyondEveryEntryFieldEndsWithAnArithmeticMessage) {
  // 1e-170 Hz as a passband edge is only possible from a command line.  The elliptic nome
  // underflows there; the slot reports the arithmetic error instead of a broken filter.
  const std::string tiny = "0." + std::string(169, '0') + "1";
  const testing::Run run = Calc(Entries(FilterKind::Lowpass, "0.5", "30", tiny, "1000"));
  EXPECT_EQ(run.outcome.status, CalculateStatus::DesignFailed);
  ASSERT_FALSE(run.outcome.messages.empty());
  EXPECT_NE(run.outcome.messages[0].text.find("Try using smaller numbers."), std::string::npos);
  EXPECT_TRUE(testing::AllFinite(*run.state));
}

}  // namespace
}  // namespace tavrin::approx
