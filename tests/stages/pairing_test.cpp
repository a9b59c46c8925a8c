#include "stages/Pairing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../approx/ApproxTestSupport.h"
#include "StagesTestSupport.h"

namespace tavrin::stages {
namespace {

using approx::testing::Calc;
using approx::testing::Entries;
using approx::testing::Forced;
using core::FilterKind;
using testing::HandMadeSlot;

constexpr int kButterworth = 0;
constexpr int kElliptic = 3;

std::unique_ptr<core::DesignState> Designed(const approx::SpecEntries& entries, int slot) {
  approx::testing::Run run = Calc(entries);
  EXPECT_TRUE(core::SlotHasResult(*run.state, slot));
  core::SetCurrentSlot(*run.state, slot);
  BuildRootLists(*run.state);
  AutoPair(*run.state);
  return std::move(run.state);
}

std::vector<std::uint8_t> Types(const core::DesignState& state) {
  std::vector<std::uint8_t> t;
  for (int s = 1; s <= state.stageCount; ++s) t.push_back(state.stages[static_cast<std::size_t>(s)].type);
  return t;
}

TEST(Pairing, ButterworthBandpassMakesEverySectionBandpass) {
  auto state = Designed(Forced(Entries(FilterKind::Bandpass, "3", "30", "1", "4", "10"), 4), kButterworth);
  const core::ApproxResult& r = state->results[kButterworth];
  ASSERT_LE(2 * r.zeroPairs, r.polePairs);
  ASSERT_GT(state->stageCount, 1);
  for (int s = 1; s <= state->stageCount; ++s) {
    const core::Stage& st = state->stages[static_cast<std::size_t>(s)];
    EXPECT_EQ(st.type, core::ptSBP) << "stage " << s;
    EXPECT_EQ(st.name, "SBP ");
    ASSERT_NE(st.zero1, 0);
    EXPECT_EQ(state->zeroPairList[static_cast<std::size_t>(st.zero1)].kind, 0);
    EXPECT_EQ(state->zeroPairList[static_cast<std::size_t>(st.zero1)].wz, 0.0);
  }
  EXPECT_FALSE(CheckPairingComplete(*state).has_value());
}

TEST(Pairing, OddHighpassPairsTakeOriginPairsAndTheRealPoleTheSingleZero) {
  auto state = Designed(Forced(Entries(FilterKind::Highpass, "3", "30", "2", "1"), 5), kButterworth);
  ASSERT_EQ(state->stageCount, 3);
  EXPECT_EQ(Types(*state), (std::vector<std::uint8_t>{core::ptSHP, core::ptSHP, core::ptFHP}));
  const core::Stage& last = state->stages[3];
  EXPECT_EQ(state->zeroPairList[static_cast<std::size_t>(last.zero1)].kind, 0);
  EXPECT_EQ(last.p, state->results[kButterworth].realPole);
}

TEST(Pairing, EllipticLowpassPairsByDescendingQWithTheNearestZero) {
  auto state = Designed(Forced(Entries(FilterKind::Lowpass, "0.5", "40", "1", "2"), 5), kElliptic);
  ASSERT_EQ(state->stageCount, 3);
  EXPECT_EQ(Types(*state), (std::vector<std::uint8_t>{core::ptSLPN, core::ptSLPN, core::ptFLP}));
  EXPECT_GT(state->stages[1].Qp, state->stages[2].Qp);
  // The higher-Q pair, the closer to the passband edge, takes the lower zero.
  EXPECT_LT(state->stages[1].wz, state->stages[2].wz);
  for (int s = 1; s <= 2; ++s)
    EXPECT_GT(state->stages[static_cast<std::size_t>(s)].wz, state->stages[static_cast<std::size_t>(s)].wp);
}

TEST(Pairing, PoleLeftWithoutZeroIsSecondOrderLowpass) {
  auto state = HandMadeSlot({{0.7, 1.0}, {3.0, 1.5}, {1.2, 1.2}}, {4.0, 2.0}, {0.8});
  BuildRootLists(*state);
  // Descending Q: entries hold Q 3.0, 1.2, 0.7, then the real pole.
  EXPECT_EQ(state->polePairList[1].source, 2);
  EXPECT_EQ(state->polePairList[2].source, 3);
  EXPECT_EQ(state->polePairList[3].source, 1);
  EXPECT_EQ(state->polePairList[4].kind, 0);
  AutoPair(*state);
  EXPECT_EQ(Types(*state), (std::vector<std::uint8_t>{core::ptSLPN, core::ptSLPN, core::ptSLP, core::ptFLP}));
  EXPECT_EQ(state->stages[1].wz, 2.0);  // nearest to w0 = 1.5
  EXPECT_EQ(state->stages[2].wz, 4.0);  // the only zero left
  EXPECT_TRUE(state->modified);
  EXPECT_TRUE(state->stepsStale);
}

TEST(Pairing, TiesKeepTableAndListOrder) {
  // Equal Q: pair 1 before pair 2.  Zeros at 3 and 1 are equally near w0 = 2: the earlier
  // list entry (descending wz, so 3) wins.
  auto state = HandMadeSlot({{2.0, 2.0}, {2.0, 5.0}}, {1.0, 3.0});
  BuildRootLists(*state);
  EXPECT_EQ(state->polePairList[1].source, 1);
  EXPECT_EQ(state->zeroPairList[1].wz, 3.0);
  AutoPair(*state);
  EXPECT_EQ(state->stages[1].wz, 3.0);
  EXPECT_EQ(state->stages[1].type, core::ptSLPN);
  EXPECT_EQ(state->stages[2].wz, 1.0);
  EXPECT_EQ(state->stages[2].type, core::ptSHPN);
}

TEST(Pairing, TwoRealPolesWithTheLastZeroAreDecidedByExactComparison) {
  struct Case {
    double wz;
    std::uint8_t type;
  };
  for (const Case& c : {Case{2.0, core::ptSN}, Case{2.5, core::ptSLPN}, Case{1.5, core::ptSHPN}}) {
    auto state = HandMadeSlot({}, {c.wz}, {1.0, 4.0});
    BuildRootLists(*state);
    AutoPair(*state);
    ASSERT_EQ(state->stageCount, 1);
    const core::Stage& st = state->stages[1];
    EXPECT_EQ(st.type, c.type) << c.wz;
    EXPECT_DOUBLE_EQ(st.wp, 2.0);
    EXPECT_DOUBLE_EQ(st.Qp, 2.0 / 5.0);
    EXPECT_EQ(st.wz, c.wz);
  }
}

TEST(Pairing, TwoRealPolesJoinedByHandAreAlwaysSymmetricNotch) {
  auto state = HandMadeSlot({{1.0, 3.0}}, {7.0}, {1.0, 4.0});
  BuildRootLists(*state);
  EXPECT_EQ(ClassifyStage(*state, 2, 3, 0, 0), core::ptSN);
  EXPECT_EQ(ClassifyStage(*state, 2, 3, 1, 0), core::ptSN);
  ASSERT_FALSE(AddStage(*state, {2, 3}, {}).has_value());
  EXPECT_EQ(state->stages[1].type, core::ptSN);
  EXPECT_DOUBLE_EQ(state->stages[1].wp, 2.0);
  EXPECT_DOUBLE_EQ(state->stages[1].Qp, 0.4);
  EXPECT_EQ(state->designStep, 3);
  ASSERT_FALSE(AddStage(*state, {1}, {1}).has_value());
  EXPECT_EQ(state->stages[2].type, core::ptSLPN);
  EXPECT_EQ(state->stageCount, 2);
  EXPECT_EQ(state->designStep, 4);
  EXPECT_FALSE(CheckPairingComplete(*state).has_value());
}

TEST(Pairing, ClassifyStageCoversEveryNumerator) {
  // Pairs at w0 = 2; zero entries: 1 pair at 3, 2 pair at 2, 3 pair at 1, 4 pair at 0, 5 single.
  auto state = HandMadeSlot({{1.0, 2.0}, {1.0, 2.0}, {1.0, 2.0}, {1.0, 2.0}, {1.0, 2.0}},
                            {3.0, 2.0, 1.0, 0.0}, {0.5}, true);
  BuildRootLists(*state);
  ASSERT_EQ(state->zeroPairList[1].kind, 1);
  struct Case {
    int pole1, zero1, zero2;
    std::uint8_t type;
  };
  for (const Case& c : {Case{1, 0, 0, core::ptSLP}, Case{1, 5, 0, core::ptSBP}, Case{1, 1, 2, core::ptSHP},
                        Case{1, 4, 0, core::ptSHP}, Case{1, 2, 0, core::ptSN}, Case{1, 3, 0, core::ptSHPN},
                        Case{1, 1, 0, core::ptSLPN}, Case{6, 0, 0, core::ptFLP}, Case{6, 5, 0, core::ptFHP}})
    EXPECT_EQ(ClassifyStage(*state, c.pole1, 0, c.zero1, c.zero2), c.type)
        << c.pole1 << " " << c.zero1 << " " << c.zero2;
}

TEST(Pairing, AddRefusesWithTheExactMessageAndChangesNothing) {
  // Entries: poles 1, 2 pairs, 3, 4 single; zeros 1, 2 pairs, 3 single.
  auto state = HandMadeSlot({{2.0, 2.0}, {1.0, 3.0}}, {5.0, 6.0}, {1.0, 2.0}, true);
  BuildRootLists(*state);
  struct Case {
    std::vector<int> poles, zeros;
    const char* text;
  };
  const Case cases[] = {
      {{1, 2, 3}, {}, "Too many poles selected."},  {{1, 3}, {}, "Too many poles selected."},
      {{1}, {1, 2, 3}, "Too many zeros selected."}, {{3, 4}, {3, 1}, "Too many zeros selected."},
      {{1}, {1, 3}, "Too many zeros selected."},    {{}, {1}, "Pole or pole pair not selected"},
      {{3}, {1}, "Too many zeros selected"},
  };
  for (const Case& c : cases) {
    const auto before = state->polePairList;
    const auto zerosBefore = state->zeroPairList;
    const auto m = AddStage(*state, c.poles, c.zeros);
    ASSERT_TRUE(m.has_value()) << c.text;
    EXPECT_EQ(m->text, c.text);
    EXPECT_EQ(m->kind, approx::MessageKind::Error);
    EXPECT_EQ(state->stageCount, 0);
    for (int j = 1; j <= 4; ++j)
      EXPECT_EQ(state->polePairList[static_cast<std::size_t>(j)].available,
                before[static_cast<std::size_t>(j)].available);
    for (int j = 1; j <= 3; ++j)
      EXPECT_EQ(state->zeroPairList[static_cast<std::size_t>(j)].available,
                zerosBefore[static_cast<std::size_t>(j)].available);
  }
  EXPECT_FALSE(AddStage(*state, {3}, {3}).has_value());
  EXPECT_EQ(state->stages[1].type, core::ptFHP);
  EXPECT_EQ(CheckPairingComplete(*state)->text, "Pole-zero pairing not complete!");
}

TEST(Pairing, UndoReturnsTheEntriesAndRenumbersTheStagesAfterIt) {
  auto state = HandMadeSlot({{2.0, 2.0}, {1.0, 3.0}}, {5.0, 6.0}, {1.0});
  BuildRootLists(*state);
  EXPECT_EQ(UndoStage(*state, 0)->text, "No pole-zero pair selected.");
  ASSERT_FALSE(AddStage(*state, {1}, {1}).has_value());
  ASSERT_FALSE(AddStage(*state, {2}, {2}).has_value());
  ASSERT_FALSE(AddStage(*state, {3}, {}).has_value());
  ASSERT_FALSE(UndoStage(*state, 2).has_value());
  EXPECT_EQ(state->stageCount, 2);
  EXPECT_EQ(state->stages[2].type, core::ptFLP);
  EXPECT_TRUE(state->polePairList[2].available);
  EXPECT_TRUE(state->zeroPairList[2].available);
  ASSERT_FALSE(AddStage(*state, {2}, {}).has_value());
  EXPECT_EQ(state->stageCount, 3);
  EXPECT_EQ(state->stages[3].type, core::ptSLP);
  EXPECT_EQ(CheckPairingComplete(*state)->text, "Pole-zero pairing not complete!");
  AutoAddAll(*state);
  EXPECT_EQ(state->stageCount, 3);
  EXPECT_EQ(state->designStep, 4);
  EXPECT_FALSE(CheckPairingComplete(*state).has_value());
  UndoAll(*state);
  EXPECT_EQ(state->stageCount, 0);
  EXPECT_TRUE(state->polePairList[1].available);
}

}  // namespace
}  // namespace tavrin::stages
