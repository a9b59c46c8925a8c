#include "stages/Workflow.h"

#include <gtest/gtest.h>

#include "../approx/ApproxTestSupport.h"
#include "core/Settings.h"
#include "stages/Cascading.h"
#include "stages/Criteria.h"
#include "stages/Pairing.h"

namespace tavrin::stages {
namespace {

using approx::testing::Calc;
using approx::testing::Entries;
using approx::testing::Forced;

std::unique_ptr<core::DesignState> Calculated() {
  approx::testing::Run run = Calc(Forced(Entries(core::FilterKind::Lowpass, "3", "30", "1", "2"), 5));
  run.state->firstStageCriteria = core::Settings::DefaultFirstStageCriteria();
  run.state->lastStageCriteria = core::Settings::DefaultLastStageCriteria();
  return std::move(run.state);
}

TEST(StageWorkflow, NextOfTheIdealGraphsFollowsTheAutomaticSettings) {
  struct Case {
    bool pairing, cascading;
    StageWindow window;
    int step;
    int stages;
  };
  const Case cases[] = {{true, true, StageWindow::CircuitSelection, 5, 3},
                        {true, false, StageWindow::Cascading, 4, 3},
                        {false, true, StageWindow::Pairing, 3, 0}};
  for (const Case& c : cases) {
    auto state = Calculated();
    state->pairingAutomatic = c.pairing;
    state->cascadingAutomatic = c.cascading;
    state->stepsStale = true;
    EXPECT_EQ(NextFromIdealGraphs(*state, 0), c.window);
    EXPECT_EQ(state->designStep, c.step);
    EXPECT_EQ(state->stageCount, c.stages);
    EXPECT_DOUBLE_EQ(state->evalFrequencies[350], 2 * state->spec.wpb);
  }
}

TEST(StageWorkflow, AReachedStepWithNothingChangedKeepsItsStages) {
  auto state = Calculated();
  state->stepsStale = true;
  ASSERT_EQ(NextFromIdealGraphs(*state, 0), StageWindow::CircuitSelection);
  ASSERT_TRUE(MoveStageDown(*state, 1));
  state->stepsStale = false;
  const double firstQ = state->stages[1].Qp;
  EXPECT_EQ(NextFromIdealGraphs(*state, 0), StageWindow::CircuitSelection);
  EXPECT_EQ(state->stages[1].Qp, firstQ);  // not re-cascaded
}

TEST(StageWorkflow, NextOfThePairingWindowNeedsEveryRootPaired) {
  auto state = Calculated();
  state->pairingAutomatic = false;
  state->stepsStale = true;
  ASSERT_EQ(NextFromIdealGraphs(*state, 0), StageWindow::Pairing);
  PairingNext next = NextFromPairing(*state);
  ASSERT_TRUE(next.refusal.has_value());
  EXPECT_EQ(next.refusal->text, "Pole-zero pairing not complete!");
  AutoAddAll(*state);
  next = NextFromPairing(*state);
  EXPECT_FALSE(next.refusal.has_value());
  EXPECT_EQ(next.window, StageWindow::CircuitSelection);
  EXPECT_EQ(state->stages[1].type, core::ptFLP);
  EXPECT_EQ(state->designStep, 5);
}

TEST(StageWorkflow, CriteriaOkChecksAndCancelLeavesTheDesignAlone) {
  auto state = Calculated();
  CriteriaEdit edit = OpenCriteria(*state);
  CyclePriority(edit.first, 0);  // 1 -> 2: now two entries hold priority 2
  edit.useQ = true;
  EXPECT_EQ(AcceptCriteria(*state, edit)->text, "First stage priorities must be unique.");
  EXPECT_FALSE(state->useQ);
  EXPECT_EQ(state->firstStageCriteria[0].priority, 1);
  CyclePriority(edit.first, 1);  // 2 -> 3
  CyclePriority(edit.first, 2);  // 3 -> 4
  CyclePriority(edit.first, 3);  // 4 -> 1
  EXPECT_FALSE(AcceptCriteria(*state, edit).has_value());
  EXPECT_TRUE(state->useQ);
  EXPECT_EQ(state->firstStageCriteria[3].priority, 1);
}

}  // namespace
}  // namespace tavrin::stages
