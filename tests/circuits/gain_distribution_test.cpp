// Sharing the overall gain among the stages: equal shares, levels, the lowpass-notch DC
// gain as users see it, and who may adjust stage gains.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "circuits/GainDistribution.h"
#include "core/DesignState.h"

namespace tavrin {
namespace {

core::DesignState Stages(int n, double overallGain) {
  core::DesignState s;
  s.spec.kind = core::FilterKind::Lowpass;
  s.spec.overallGain = overallGain;
  s.stageCount = static_cast<std::int16_t>(n);
  for (int k = 1; k <= n; ++k) {
    s.stages[static_cast<std::size_t>(k)].type = core::ptSLP;
    s.stages[static_cast<std::size_t>(k)].To = 1;
  }
  return s;
}

TEST(OptimalGain, EqualSharesInDecibelsOnTopOfTo) {
  core::DesignState s = Stages(3, 8);
  for (int k = 1; k <= 3; ++k) EXPECT_NEAR(circuits::OptimalGain(s, k), 2.0, 1e-14);
  s.stages[2].To = 0.5;
  EXPECT_NEAR(circuits::OptimalGain(s, 2), 1.0, 1e-14);
  // A user-defined filter's sections carry their own gains.
  s.spec.kind = core::FilterKind::UserDefined;
  EXPECT_EQ(circuits::OptimalGain(s, 2), 0.5);
  // An attenuating filter shares its loss the same way: -20 dB over two stages.
  core::DesignState a = Stages(2, 0.1);
  EXPECT_NEAR(circuits::OptimalGain(a, 1), std::sqrt(0.1), 1e-15);
}

TEST(ActualOverallGain, ProductOfTheRatiosOnTheSpecifiedGain) {
  core::DesignState s = Stages(3, 8);
  for (int k = 1; k <= 3; ++k) {
    s.circuits[static_cast<std::size_t>(k)].RequestedGain = 2;
    s.circuits[static_cast<std::size_t>(k)].CircuitGain = 2;
    s.circuits[static_cast<std::size_t>(k)].AdjustPending = true;
  }
  EXPECT_DOUBLE_EQ(circuits::ActualOverallGain(s), 8);
  EXPECT_FALSE(s.circuits[1].AdjustPending);
  // A single constrained stage keeps its forced gain; nothing makes up for it.
  s.circuits[3].CircuitGain = 1;
  EXPECT_DOUBLE_EQ(circuits::ActualOverallGain(s), 4);
  EXPECT_DOUBLE_EQ(s.circuits[3].GainRatio, 0.5);
  EXPECT_DOUBLE_EQ(circuits::ActualGainOf(s), 4);
}

TEST(StageLevels, RelativeToTheHighestPartialProduct) {
  struct Case {
    std::vector<double> ratios;
    std::vector<double> levels;
  };
  const std::vector<Case> cases = {
      {{1, 2, 0.5}, {50, 100, 50}},
      {{1.5, 1.5, 1.5}, {100.0 / 2.25, 100.0 / 1.5, 100}},
      {{1, 1, 1}, {100, 100, 100}},
      {{4, 0.5, 0.5, 2}, {100, 50, 25, 50}},
  };
  for (const Case& c : cases) {
    core::DesignState s = Stages(static_cast<int>(c.ratios.size()), 1);
    for (std::size_t k = 0; k < c.ratios.size(); ++k) {
      s.circuits[k + 1].RequestedGain = 3;
      s.circuits[k + 1].CircuitGain = 3 * c.ratios[k];
    }
    circuits::StageLevels(s);
    for (std::size_t k = 0; k < c.levels.size(); ++k)
      EXPECT_NEAR(s.circuits[k + 1].Level, c.levels[k], 1e-12) << "stage " << k + 1;
  }
}

TEST(StageLevels, FirstStageFixedByTheUserIsMeasuredAgainstItsOwnGain) {
  core::DesignState s = Stages(2, 1);
  s.circuits[1].RequestedGain = 1;
  s.circuits[1].UserGainFixed = true;
  s.circuits[1].UserGain = 4;
  s.circuits[1].CircuitGain = 4;  // as fixed: ratio 1, not 4
  s.circuits[2].RequestedGain = 1;
  s.circuits[2].CircuitGain = 2;
  circuits::StageLevels(s);
  EXPECT_DOUBLE_EQ(s.circuits[1].Level, 50);
  EXPECT_DOUBLE_EQ(s.circuits[2].Level, 100);
}

TEST(LowpassNotchGain, ShownAndEnteredAsTheDcGain) {
  core::Stage st;
  st.type = core::ptSLPN;
  st.wp = 1000;
  st.wz = 1500;
  EXPECT_NEAR(circuits::DisplayedGain(st, 1), 2.25, 1e-15);
  EXPECT_NEAR(circuits::RecordGainOf(st, 2.25), 1, 1e-15);
  st.type = core::ptSHPN;
  EXPECT_EQ(circuits::DisplayedGain(st, 1), 1);

  core::DesignState s = Stages(1, 1);
  s.stages[1] = st;
  s.stages[1].type = core::ptSLPN;
  s.circuits[1].CircuitGain = 0.8;
  circuits::FixStageGain(s, 1, 2.25);
  EXPECT_NEAR(s.circuits[1].UserGain, 1, 1e-15);
  EXPECT_EQ(s.circuits[1].SavedGain, 0.8);
  // A second fix keeps the gain saved the first time, so a reset goes all the way back.
  s.circuits[1].CircuitGain = 1;
  circuits::FixStageGain(s, 1, 4.5);
  EXPECT_EQ(s.circuits[1].SavedGain, 0.8);
  circuits::ReleaseStageGain(s, 1);
  EXPECT_FALSE(s.circuits[1].UserGainFixed);
  EXPECT_EQ(s.circuits[1].CircuitGain, 0.8);
}

TEST(StageGainsAdjustable, OnlyWhenSomeStageIsFreeOrAlreadyFixed) {
  core::DesignState s = Stages(2, 1);
  s.circuits[1].GainConstrained = true;
  s.circuits[2].GainConstrained = true;
  EXPECT_FALSE(circuits::StageGainsAdjustable(s));
  s.circuits[2].UserGainFixed = true;
  EXPECT_TRUE(circuits::StageGainsAdjustable(s));
  s.circuits[2].UserGainFixed = false;
  s.circuits[1].GainConstrained = false;
  EXPECT_TRUE(circuits::StageGainsAdjustable(s));
}

}  // namespace
}  // namespace tavrin
