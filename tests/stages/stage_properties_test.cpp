// Over many requirement sets of every kind and approximation: the stages multiply back to
// the approximation's transfer function, and every partial cascade peaks at 1.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <string>

#include "../approx/ApproxTestSupport.h"
#include "StagesTestSupport.h"
#include "core/Settings.h"
#include "stages/Cascading.h"
#include "stages/Pairing.h"

namespace tavrin::stages {
namespace {

using approx::testing::Calc;
using approx::testing::Entries;
using approx::testing::Forced;
using core::FilterKind;

struct Spec {
  FilterKind kind;
  const char *apb, *asb, *pass, *stop, *center;
  int maxOrder;
};

const Spec kSpecs[] = {
    {FilterKind::Lowpass, "0.5", "40", "1", "2", "2", 12},
    {FilterKind::Highpass, "1", "50", "3", "1", "2", 12},
    {FilterKind::Bandpass, "0.5", "40", "1", "3", "5", 5},
    {FilterKind::Bandpass, "1", "30", "8", "20", "3", 4},  // wide: real poles appear
    {FilterKind::Bandstop, "0.5", "40", "4", "1", "5", 5},
    {FilterKind::Bandstop, "1", "30", "20", "6", "3", 4},
};

std::complex<double> CascadeResponse(const core::DesignState& state, double w) {
  std::complex<double> h(1.0, 0.0);
  for (int s = 1; s <= state.stageCount; ++s)
    h *= testing::StageResponse(state.stages[static_cast<std::size_t>(s)], w);
  return h;
}

void CheckDesign(core::DesignState& state, const std::string& label) {
  ASSERT_FALSE(CheckPairingComplete(state).has_value()) << label;
  ASSERT_EQ(state.stageCount, StagesOfSlot(state)) << label;
  const approx::SlotRoots roots = approx::RootsOfSlot(state, state.currentSlot);
  // |product of stages| / |slot| must be one constant at frequencies away from any zero.
  double ratio0 = 0;
  for (double w : {0.013, 0.37, 0.91, 1.7, 2.9, 4.3, 7.7, 19.0, 61.0}) {
    const double slot = std::abs(approx::testing::Response(roots, w));
    if (!(slot > 1e-200)) continue;
    const double ratio = std::abs(CascadeResponse(state, w)) / slot;
    if (ratio0 == 0) ratio0 = ratio;
    EXPECT_NEAR(ratio / ratio0, 1.0, 1e-6) << label << " w=" << w;
  }
  // Every partial cascade's peak over the evaluation frequencies is 1.
  for (int last = 1; last <= state.stageCount; ++last) {
    double peak = 0;
    for (double w : state.evalFrequencies) {
      std::complex<double> h(1.0, 0.0);
      for (int s = 1; s <= last; ++s)
        h *= testing::StageResponse(state.stages[static_cast<std::size_t>(s)], w);
      peak = std::max(peak, std::abs(h));
    }
    EXPECT_NEAR(peak, 1.0, 1e-9) << label << " partial " << last;
  }
}

TEST(StageProperties, StagesMultiplyBackToTheSlotAndPartialPeaksAreOne) {
  int checked = 0;
  for (const Spec& sp : kSpecs)
    for (int order = 1; order <= sp.maxOrder; ++order) {
      approx::testing::Run run =
          Calc(Forced(Entries(sp.kind, sp.apb, sp.asb, sp.pass, sp.stop, sp.center), order));
      for (int slot = 0; slot < core::kSlotCount; ++slot) {
        if (!core::SlotHasResult(*run.state, slot) ||
            run.state->results[static_cast<std::size_t>(slot)].tooHigh)
          continue;
        for (bool useQ : {false, true}) {
          core::DesignState& state = *run.state;
          core::SetCurrentSlot(state, slot);
          state.firstStageCriteria = core::Settings::DefaultFirstStageCriteria();
          state.lastStageCriteria = core::Settings::DefaultLastStageCriteria();
          state.lastStageCriteria[3].enabled = true;  // "bandpass" may now close the cascade
          state.useQ = useQ;
          PairAndCascade(state);
          CheckDesign(state, "kind " + std::to_string(static_cast<int>(sp.kind)) + " order " +
                                 std::to_string(order) + " slot " + std::to_string(slot) +
                                 (useQ ? " Q" : " flat"));
          ++checked;
        }
      }
    }
  EXPECT_GT(checked, 200);
}

}  // namespace
}  // namespace tavrin::stages
