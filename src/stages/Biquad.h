// Every stage as T(s) = To (A s^2 + B s + C) / (D s^2 + E s + F), and the texts of the
// coefficient table.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/DesignState.h"

namespace tavrin::stages {

struct BiquadCoefficients {
  double A = 0, B = 0, C = 0, D = 0, E = 0, F = 0;
};

// The design's title line: "User Defined Filter  N=5", or the approximation name, the kind
// and "Filter", then the order (of the lowpass model for a bandpass or bandstop), as in
// "Elliptic Lowpass Filter  N=5".  Reports upper-case it.
std::string DesignTitle(const core::DesignState& state);
// The coefficient window's title: on screen the design's title and the table's name,
// printed the name alone.
std::string TransferTitle(const core::DesignState& state, bool printing);

// In hertz mode every frequency is divided by 2 pi first.
BiquadCoefficients StageCoefficients(const core::Stage& stage, core::FrequencyUnit unit);

// The rows of one stage's column: To, A, B, C, D, E, F, pole frequency, Qp, zero frequency.
inline constexpr int kTransferRows = 10;
std::array<std::string, kTransferRows> TransferCellTexts(const core::Stage& stage, core::FrequencyUnit unit);

// Row labels in the unit: "To", "A", ..., "F", "wp"/"fp", "Qp", "wz"/"fz".
std::array<std::string, kTransferRows> TransferRowLabels(core::FrequencyUnit unit);

// The stage numbers of each block of columns: 1..5, then 6..S.
std::vector<std::vector<int>> TransferBlocks(int stageCount);

}  // namespace tavrin::stages
