// The curves of designs that Calculate made: the gain the graphs show must be the filter
// the user asked for, whatever each approximation keeps as its gain constant.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "approx/BesselRootTable.h"
#include "approx/Calculate.h"
#include "core/MathHelpers.h"
#include "response/IdealResponse.h"
#include "response/ResponseSetup.h"

namespace tavrin::response {
namespace {

using core::FilterKind;

TEST(CalculatedResponse, PassbandPeakIsTheOverallGainAndTheEdgeLossIsApb) {
  for (FilterKind kind : {FilterKind::Lowpass, FilterKind::Highpass, FilterKind::Bandpass, FilterKind::Bandstop}) {
    auto s = std::make_unique<core::DesignState>();
    approx::CalculateRequest r;
    r.entries = approx::DefaultEntries(kind, core::FrequencyUnit::Hz, false);
    r.entries.gain = "2";
    r.besselTable = approx::DefaultBesselRootTablePath();
    const approx::CalculateOutcome out = approx::Calculate(*s, r, ResponseHooks());
    ASSERT_EQ(out.status, approx::CalculateStatus::Completed) << static_cast<int>(kind);
    const core::FilterSpec& sp = s->spec;
    for (int slot = 0; slot < core::kSlotCount; ++slot) {
      if (!core::SlotHasResult(*s, slot)) continue;
      // Passband samples between the edges (lowpass: 0..wpb, bandpass: w0 +- bp/2 ...).
      double peak = 0, edgeLoss = 0;
      const int n = 2000;
      for (int i = 0; i <= n; ++i) {
        double w = 0;
        switch (kind) {
          case FilterKind::Lowpass: w = sp.wpb * i / n; break;
          case FilterKind::Highpass: w = sp.wpb * (1 + 9.0 * i / n); break;
          case FilterKind::Bandpass: {
            const double lo = (-sp.bp + std::sqrt(sp.bp * sp.bp + 4 * sp.w0 * sp.w0)) / 2;
            w = lo + sp.bp * i / n;
            break;
          }
          case FilterKind::Bandstop: {  // the low passband, up to its edge
            const double lo = (-sp.bp + std::sqrt(sp.bp * sp.bp + 4 * sp.w0 * sp.w0)) / 2;
            w = lo * i / n;
            break;
          }
          default: break;
        }
        peak = std::max(peak, IdealGainAt(*s, slot, w));
      }
      EXPECT_NEAR(peak / sp.overallGain, 1.0, 2e-3) << "kind " << static_cast<int>(kind) << " slot " << slot;
      if (kind == FilterKind::Lowpass || kind == FilterKind::Highpass) {
        edgeLoss = -20 * std::log10(IdealGainAt(*s, slot, sp.wpb) / sp.overallGain);
        // Bessel approximations do not hold the edge at apb; the others do (the elliptic
        // one through its truncated nome series, to a few 1e-4 dB).
        const double tolerance = slot == 3 ? 1e-3 : 1e-6;
        if (slot != 4) {
          EXPECT_NEAR(edgeLoss, sp.apb, tolerance) << "kind " << static_cast<int>(kind) << " slot " << slot;
        }
      }
    }
    // The stored curve is the same function on the grid.
    core::SetCurrentSlot(*s, 0);
    EXPECT_NEAR(s->idealCurves[0][200].gainVv, IdealGainAt(*s, 0, s->frequencyGrid[200].rad), 1e-15);
  }
}

}  // namespace
}  // namespace tavrin::response
