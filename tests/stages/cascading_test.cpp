#include "stages/Cascading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "../approx/ApproxTestSupport.h"
#include "StagesTestSupport.h"
#include "core/Settings.h"
#include "stages/Criteria.h"
#include "stages/Pairing.h"

namespace tavrin::stages {
namespace {

using approx::testing::Calc;
using approx::testing::Entries;
using approx::testing::Forced;
using core::FilterKind;

constexpr int kButterworth = 0;
constexpr int kElliptic = 3;

std::unique_ptr<core::DesignState> Cascaded(const approx::SpecEntries& entries, int slot, bool useQ = false) {
  approx::testing::Run run = Calc(entries);
  EXPECT_TRUE(core::SlotHasResult(*run.state, slot));
  core::SetCurrentSlot(*run.state, slot);
  run.state->firstStageCriteria = core::Settings::DefaultFirstStageCriteria();
  run.state->lastStageCriteria = core::Settings::DefaultLastStageCriteria();
  run.state->useQ = useQ;
  PairAndCascade(*run.state);
  return std::move(run.state);
}

// A lowpass state with hand-set stages and a passband edge of 1 rad/s.
std::unique_ptr<core::DesignState> WithStages(const std::vector<core::Stage>& stages) {
  auto state = std::make_unique<core::DesignState>();
  core::ResetDesign(*state);
  state->spec.kind = FilterKind::Lowpass;
  state->spec.wpb = 1.0;
  SetEvaluationWindow(*state);
  int s = 0;
  for (const core::Stage& st : stages) state->stages[static_cast<std::size_t>(++s)] = st;
  state->stageCount = static_cast<std::int16_t>(s);
  return state;
}

core::Stage Slp(double wp, double Qp) {
  core::Stage st;
  st.type = core::ptSLP;
  st.wp = wp;
  st.Qp = Qp;
  return st;
}

TEST(Cascading, DefaultCriteriaPutTheFirstOrderLowpassFirst) {
  auto state = Cascaded(Forced(Entries(FilterKind::Lowpass, "3", "30", "1", "2"), 5), kButterworth);
  ASSERT_EQ(state->stageCount, 3);
  EXPECT_EQ(state->stages[1].type, core::ptFLP);
  EXPECT_TRUE(state->firstStageFixed);
  EXPECT_FALSE(state->lastStageFixed);
}

TEST(Cascading, DefaultCriteriaOnAllSecondOrderLowpassPutTheLowestQFirst) {
  auto state = Cascaded(Forced(Entries(FilterKind::Lowpass, "3", "30", "1", "2"), 8), kButterworth);
  ASSERT_EQ(state->stageCount, 4);
  double lowest = 1e9;
  for (int s = 1; s <= 4; ++s) lowest = std::min(lowest, state->stages[static_cast<std::size_t>(s)].Qp);
  EXPECT_EQ(state->stages[1].type, core::ptSLP);
  EXPECT_EQ(state->stages[1].Qp, lowest);
}

TEST(Cascading, LastStageCriterionFixesTheHighestQOfItsType) {
  auto state = Cascaded(Forced(Entries(FilterKind::Highpass, "3", "30", "2", "1"), 6), kButterworth);
  ToggleCriterion(state->lastStageCriteria, 1);  // "2nd order highpass"
  AutoCascade(*state);
  EXPECT_TRUE(state->lastStageFixed);
  double highest = 0;
  for (int s = 1; s <= state->stageCount; ++s)
    highest = std::max(highest, state->stages[static_cast<std::size_t>(s)].Qp);
  EXPECT_EQ(state->stages[static_cast<std::size_t>(state->stageCount)].Qp, highest);
}

core::Stage Sbp(double wp, double Qp) {
  core::Stage st = Slp(wp, Qp);
  st.type = core::ptSBP;
  return st;
}

TEST(Cascading, AStageFixedFirstIsNotAlsoFixedLast) {
  struct Case {
    std::vector<core::Stage> stages;
    bool lastFixed;
    std::vector<double> qOrder;
  };
  const Case cases[] = {
      {{Sbp(1.0, 3.0)}, false, {3.0}},
      {{Sbp(1.0, 3.0), Sbp(1.2, 2.0)}, true, {2.0, 3.0}},
      {{Sbp(1.0, 5.0), Sbp(1.1, 2.0), Sbp(0.9, 4.0)}, true, {2.0, 4.0, 5.0}},
  };
  for (const Case& c : cases) {
    auto state = WithStages(c.stages);
    state->spec.kind = FilterKind::Bandpass;
    state->spec.w0 = 1.0;
    state->spec.bp = 0.5;
    SetEvaluationWindow(*state);
    state->firstStageCriteria[3] = {true, 1};  // "bandpass" in both lists
    state->lastStageCriteria[3] = {true, 1};
    AutoCascade(*state);
    EXPECT_TRUE(state->firstStageFixed);
    EXPECT_EQ(state->lastStageFixed, c.lastFixed);
    for (std::size_t i = 0; i < c.qOrder.size(); ++i) EXPECT_EQ(state->stages[i + 1].Qp, c.qOrder[i]) << i;
  }
}

TEST(Cascading, ASingleStageGetsPeakGainOne) {
  auto state = Cascaded(Forced(Entries(FilterKind::Lowpass, "3", "30", "1", "2"), 1), kButterworth);
  ASSERT_EQ(state->stageCount, 1);
  const core::Stage& st = state->stages[1];
  double peak = 0;
  for (double w : state->evalFrequencies) peak = std::max(peak, std::abs(testing::StageResponse(st, w)));
  EXPECT_NEAR(peak, 1.0, 1e-12);
}

TEST(Cascading, IncreasingQpBreaksTiesByLowerPoleFrequency) {
  auto state = WithStages({Slp(3.0, 2.0), Slp(1.0, 4.0), Slp(2.0, 2.0), Slp(0.5, 2.0)});
  state->useQ = true;  // every criterion disabled
  AutoCascade(*state);
  const double wp[] = {0.5, 2.0, 3.0, 1.0};
  for (int s = 1; s <= 4; ++s) EXPECT_EQ(state->stages[static_cast<std::size_t>(s)].wp, wp[s - 1]) << s;
  EXPECT_EQ(state->cascadeOrder[1], 4);
}

TEST(Cascading, FlatnessIsPeakOverPassbandMinimum) {
  auto state = WithStages({Slp(1.0, 2.0)});
  RecomputeCascade(*state);
  const core::Stage& st = state->stages[1];
  double peak = 0, passMin = 1e300;
  for (double w : state->evalFrequencies) {
    const double m = std::abs(testing::StageResponse(st, w));
    peak = std::max(peak, m);
    if (w <= 1.0) passMin = std::min(passMin, m);
  }
  EXPECT_NEAR(st.flatness, peak / passMin, 1e-9 * st.flatness);
  EXPECT_GE(st.flatness, 1.0);
  EXPECT_NEAR(st.To * st.wp * st.wp, st.k, 1e-15);
}

TEST(Cascading, BandstopEvaluatesFromMinusHalfBandwidthAndSkipsTheStopband) {
  auto state = std::make_unique<core::DesignState>();
  core::ResetDesign(*state);
  state->spec.kind = FilterKind::Bandstop;
  state->spec.w0 = 10.0;
  state->spec.bp = 4.0;
  SetEvaluationWindow(*state);
  EXPECT_DOUBLE_EQ(state->evalFrequencies[0], -2.0);
  EXPECT_DOUBLE_EQ(state->evalFrequencies[350], 6.0);  // 1.5 B
  EXPECT_NEAR(state->evalFrequencies[1] - state->evalFrequencies[0], 8.0 / 350, 1e-12);
  EXPECT_DOUBLE_EQ(state->passEdgeLow, std::sqrt(104.0) - 2.0);
  EXPECT_DOUBLE_EQ(state->passEdgeHigh, std::sqrt(104.0) + 2.0);
  EXPECT_DOUBLE_EQ(state->passWindowEnd, 20.0);
  // A notch at 7: only the points of [0, wL] count for the minimum, the negative ones not.
  core::Stage st;
  st.type = core::ptSN;
  st.wp = st.wz = 7.0;
  st.Qp = 1.0;
  state->stages[1] = st;
  state->stageCount = 1;
  RecomputeCascade(*state);
  double peak = 0, passMin = 1e300;
  for (double w : state->evalFrequencies) {
    const double m = std::abs(testing::StageResponse(state->stages[1], w)) / state->stages[1].To;
    peak = std::max(peak, m);
    if (w >= 0 && w <= state->passEdgeLow) passMin = std::min(passMin, m);
  }
  EXPECT_NEAR(state->stages[1].flatness, peak / passMin, 1e-9 * peak / passMin);
}

TEST(Cascading, PassbandWithoutPointsLeavesTheMinimumAtItsBound) {
  auto state = WithStages({Slp(1.0, 1.0)});
  state->passWindowStart = 5.0;  // beyond the last evaluation frequency (2)
  state->passWindowEnd = 6.0;
  RecomputeCascade(*state);
  EXPECT_DOUBLE_EQ(state->cascadeResponses[1].passMin, 1e6 * state->stages[1].k);
}

TEST(Cascading, TiesNeverReplaceTheEarlierWinner) {
  struct Case {
    std::vector<double> f;
    int best;
    std::vector<int> ties;
  };
  const Case cases[] = {
      {{2.0, 1.0, 3.0}, 1, {1}},
      {{1.0, 1.0 - 0.5e-5, 2.0}, 0, {0, 1}},  // slightly smaller, still a tie
      {{1.0, 1.0 - 2e-5}, 1, {1}},            // lower by more than the width
      {{1.0, 1.0, 0.5, 0.5}, 2, {2, 3}},      // a new winner clears the record
      {{1e9, 2e9}, 0, {0}},                   // no bound leaves a position empty
      {{}, -1, {}},
  };
  for (const Case& c : cases) {
    const Selection sel = PickFlattest(c.f);
    EXPECT_EQ(sel.best, c.best);
    EXPECT_EQ(sel.ties, c.ties);
  }
}

// Flatness of a product of stages over the evaluation frequencies, computed here from the
// stages' own transfer functions: peak over all points / minimum inside [0, 1].
double ProductFlatness(const core::DesignState& state, const std::vector<core::Stage>& stages) {
  double peak = 0, passMin = 1e300;
  for (double w : state.evalFrequencies) {
    double m = 1;
    for (const core::Stage& st : stages) m *= std::abs(testing::StageResponse(st, w));
    peak = std::max(peak, m);
    if (w <= 1.0) passMin = std::min(passMin, m);
  }
  return peak / passMin;
}

TEST(Cascading, TiedFirstCandidatesAreSeparatedByTheNextPosition) {
  core::Stage a = Slp(0.8, 0.55);
  a.To = 1;
  core::Stage b = Slp(2.0, 0.6);
  b.To = 1;
  core::Stage c = Slp(1.0, 3.0);
  c.To = 1;
  auto probe = WithStages({});
  // Choose B's pole frequency so that A and B alone are equally flat (well inside the tie width).
  const double target = ProductFlatness(*probe, {a});
  double lo = 0.3, hi = 5.0;
  for (int i = 0; i < 200; ++i) {
    b.wp = 0.5 * (lo + hi);
    (ProductFlatness(*probe, {b}) > target ? lo : hi) = b.wp;
  }
  ASSERT_NEAR(ProductFlatness(*probe, {b}), target, 1e-9);
  ASSERT_GT(ProductFlatness(*probe, {c}), target + 1e-3);
  const double ac = ProductFlatness(*probe, {a, c});
  const double bc = ProductFlatness(*probe, {b, c});
  const double ab = ProductFlatness(*probe, {a, b});
  ASSERT_LT(ac, bc - 1e-3);  // the fixture: A pairs better with C than B does
  ASSERT_LT(ac, ab - 1e-3);

  // B is stage 1, A stage 2: without the look-ahead the tie would keep B, the earlier stage.
  auto state = WithStages({b, a, c});
  AutoCascade(*state);
  EXPECT_EQ(state->cascadeOrder[1], 2);
  EXPECT_EQ(state->cascadeOrder[2], 3);
  EXPECT_EQ(state->cascadeOrder[3], 1);
}

TEST(Cascading, FlatnessFillPlacesEveryStageEvenWhenFlatnessIsHuge) {
  // Deep stopband notches inside the window make every flatness enormous.
  std::vector<core::Stage> stages;
  for (double wz : {0.3, 0.5, 0.7, 0.9}) {
    core::Stage st;
    st.type = core::ptSN;
    st.wp = st.wz = wz;
    st.Qp = 50.0;
    stages.push_back(st);
  }
  auto state = WithStages(stages);
  for (std::size_t i = 0; i < state->evalFrequencies.size(); ++i)
    state->evalFrequencies[i] = 0.1 * static_cast<double>(i % 10);  // hits every notch exactly
  AutoCascade(*state);
  EXPECT_GT(state->stages[1].flatness, 1e8);
  std::vector<double> wz;
  for (int s = 1; s <= 4; ++s) wz.push_back(state->stages[static_cast<std::size_t>(s)].wz);
  std::sort(wz.begin(), wz.end());
  EXPECT_EQ(wz, (std::vector<double>{0.3, 0.5, 0.7, 0.9}));
}

TEST(Cascading, HighOrderEllipticKeepsEveryStage) {
  approx::SpecEntries e = Forced(Entries(FilterKind::Lowpass, "0.1", "60", "1", "1.2"), 20);
  e.gain = "2";
  approx::testing::Run run = Calc(e);
  if (!core::SlotHasResult(*run.state, kElliptic) || run.state->results[kElliptic].tooHigh)
    GTEST_SKIP() << "no order-20 elliptic result";
  auto state = Cascaded(e, kElliptic);
  EXPECT_EQ(state->stageCount, 10);
  std::vector<int> order(state->cascadeOrder.begin() + 1, state->cascadeOrder.begin() + 11);
  std::sort(order.begin(), order.end());
  for (int i = 0; i < 10; ++i) EXPECT_EQ(order[static_cast<std::size_t>(i)], i + 1);
}

TEST(Cascading, UpAndDownSwapNeighboursAndKeepPeaksAtOne) {
  auto state = WithStages({Slp(1.0, 0.6), Slp(1.0, 1.5), Slp(1.0, 5.0)});
  RecomputeCascade(*state);
  EXPECT_FALSE(MoveStageUp(*state, 1));
  EXPECT_FALSE(MoveStageDown(*state, 3));
  ASSERT_TRUE(MoveStageUp(*state, 3));
  EXPECT_EQ(state->stages[2].Qp, 5.0);
  ASSERT_TRUE(MoveStageDown(*state, 1));
  EXPECT_EQ(state->stages[1].Qp, 5.0);
  EXPECT_TRUE(state->modified);
  EXPECT_NEAR(state->cascadeResponses[3].peak, 1.0, 1e-12);
}

TEST(Criteria, ToggleAndCycleFollowTheWindowRules) {
  core::StageCriteria c = core::Settings::DefaultFirstStageCriteria();  // 1 2 3 4, all on
  ToggleCriterion(c, 1);                                                // off: 3 and 4 move down
  EXPECT_FALSE(c[1].enabled);
  EXPECT_EQ(c[0].priority, 1);
  EXPECT_EQ(c[2].priority, 2);
  EXPECT_EQ(c[3].priority, 3);
  ToggleCriterion(c, 1);  // on again: the next priority
  EXPECT_TRUE(c[1].enabled);
  EXPECT_EQ(c[1].priority, 4);
  CyclePriority(c, 1);  // 4 -> 1
  EXPECT_EQ(c[1].priority, 1);
  CyclePriority(c, 1);
  EXPECT_EQ(c[1].priority, 2);
  EXPECT_EQ(CheckCriteria(c, core::Settings::DefaultLastStageCriteria())->text,
            "First stage priorities must be unique.");
  core::StageCriteria last = core::Settings::DefaultLastStageCriteria();  // all off, priority 1
  EXPECT_FALSE(CheckCriteria(core::Settings::DefaultFirstStageCriteria(), last).has_value());
  last[0].enabled = last[3].enabled = true;
  EXPECT_EQ(CheckCriteria(core::Settings::DefaultFirstStageCriteria(), last)->text,
            "Last stage priorities must be unique.");
  core::StageCriteria off = last;
  off[0].enabled = false;
  CyclePriority(off, 0);  // a disabled entry's priority does not cycle
  EXPECT_EQ(off[0].priority, 1);
}

// The evaluation frequency on a passband edge counts for the minimum whichever way its
// last bit fell: computed one ulp below or above the edge it gives the flatness and the
// order it gives on the edge.  A Butterworth response is lowest in its passband at the
// edges, so losing the edge point would raise every minimum that reaches it.
TEST(Cascading, APointOnAPassbandEdgeCountsWhicheverWayItRounds) {
  enum class Edge { WindowStart, WindowEnd, LowEdge, HighEdge };
  const approx::SpecEntries lowpass = Forced(Entries(FilterKind::Lowpass, "3", "30", "1", "2"), 5);
  const approx::SpecEntries highpass = Forced(Entries(FilterKind::Highpass, "3", "30", "2", "1"), 5);
  const approx::SpecEntries bandpass = Forced(Entries(FilterKind::Bandpass, "3", "30", "1", "4", "10"), 4);
  const approx::SpecEntries bandstop = Forced(Entries(FilterKind::Bandstop, "3", "30", "4", "1", "3"), 4);
  struct Case {
    const char* what;
    const approx::SpecEntries& entries;
    Edge edge;
  };
  const Case cases[] = {
      {"lowpass: the window ends at wp, grid point 175", lowpass, Edge::WindowEnd},
      {"highpass: the window starts at wp, grid point 175", highpass, Edge::WindowStart},
      {"bandpass: the window starts at wL", bandpass, Edge::WindowStart},
      {"bandpass: the window ends at wH", bandpass, Edge::WindowEnd},
      {"bandstop: the lower window ends at wL", bandstop, Edge::LowEdge},
      {"bandstop: the upper window starts at wH", bandstop, Edge::HighEdge},
  };
  struct Outcome {
    std::vector<double> flatness;
    std::vector<int> order;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    approx::testing::Run run = Calc(c.entries);
    ASSERT_TRUE(core::SlotHasResult(*run.state, kButterworth));
    core::DesignState& paired = *run.state;
    core::SetCurrentSlot(paired, kButterworth);
    paired.firstStageCriteria = core::Settings::DefaultFirstStageCriteria();
    paired.lastStageCriteria = core::Settings::DefaultLastStageCriteria();
    paired.useQ = false;
    SetEvaluationWindow(paired);
    BuildRootLists(paired);
    AutoPair(paired);
    ASSERT_GE(paired.stageCount, 2);
    const double edge = c.edge == Edge::WindowStart ? paired.passWindowStart
                        : c.edge == Edge::WindowEnd ? paired.passWindowEnd
                        : c.edge == Edge::LowEdge   ? paired.passEdgeLow
                                                    : paired.passEdgeHigh;
    // The grid point nearest the edge is put on it (bandpass and bandstop edges fall
    // between grid points), then one ulp either side.
    const double first = paired.evalFrequencies[0];
    const double step = paired.evalFrequencies[1] - first;
    const auto k = static_cast<std::size_t>(std::lround((edge - first) / step));
    ASSERT_LT(k, paired.evalFrequencies.size());
    const auto cascade = [&](double w) {
      auto state = std::make_unique<core::DesignState>(paired);
      state->evalFrequencies[k] = w;
      AutoCascade(*state);
      Outcome o;
      for (int s = 1; s <= state->stageCount; ++s) {
        o.flatness.push_back(state->stages[static_cast<std::size_t>(s)].flatness);
        o.order.push_back(state->cascadeOrder[static_cast<std::size_t>(s)]);
      }
      return o;
    };
    const Outcome on = cascade(edge);
    for (double w : {std::nextafter(edge, -HUGE_VAL), std::nextafter(edge, HUGE_VAL)}) {
      SCOPED_TRACE(w < edge ? "one ulp below" : "one ulp above");
      const Outcome off = cascade(w);
      EXPECT_EQ(off.order, on.order);
      ASSERT_EQ(off.flatness.size(), on.flatness.size());
      for (std::size_t i = 0; i < on.flatness.size(); ++i)
        EXPECT_NEAR(off.flatness[i], on.flatness[i], 1e-12 * on.flatness[i]) << "position " << i + 1;
    }
  }
}

}  // namespace
}  // namespace tavrin::stages
