#include "output/ResponseTable.h"

#include "core/NumberFormat.h"
#include "response/IdealResponse.h"

namespace tavrin::output {

std::vector<std::string> ResponseTableLines(core::DesignState& s) {
  const int slot = s.chosenSlot;
  const std::int16_t current = s.currentSlot;
  core::SetCurrentSlot(s, slot);
  response::ComputeIdealPhase(s, 0, core::kScreenGridN);
  response::ComputeIdealDelay(s, 0, core::kScreenGridN);
  core::SetCurrentSlot(s, current);

  std::vector<std::string> lines{kResponseHeader1, kResponseHeader2};
  const auto sci = [](double x) { return core::FormatScientific(x, 8, 7); };
  for (int i = 0; i <= core::kScreenGridN; ++i) {
    const core::FrequencyPoint& f = s.frequencyGrid[static_cast<std::size_t>(i)];
    const core::CurveRecord& c = s.idealCurves[slot][i];
    lines.push_back(sci(f.hz) + "   " + sci(f.rad) + "   " + sci(c.gainVv) + "   " + sci(c.gainDb) + "   " +
                    sci(-c.phaseLag) + "   " + sci(c.delay));
  }
  return lines;
}

}  // namespace tavrin::output
