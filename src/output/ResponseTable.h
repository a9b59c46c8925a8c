// The response table of the ASCII data file: frequency, gain, phase and delay of the
// chosen approximation at the 351 points of the screen grid.
#pragma once

#include <string>
#include <vector>

#include "core/DesignState.h"

namespace tavrin::output {

inline constexpr const char* kResponseHeader1 =
    "        FREQUENCY                MAGNITUDE            PHASE        DELAY";
inline constexpr const char* kResponseHeader2 =
    "    Hz          rad/s         V/V          dB        degrees        sec";

// Evaluates phase and delay of the chosen approximation anew over the grid (the gain
// columns are the values already held) and returns the two header lines and the 351 rows.
std::vector<std::string> ResponseTableLines(core::DesignState& state);

}  // namespace tavrin::output
