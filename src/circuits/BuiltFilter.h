// From a cascaded design to the built filter in one call: a circuit for every stage (named
// or chosen by its rating), the op-amp data and remedies, the whole-filter calculation as
// the calculation window opens it, fixed stage gains and standard resistors.  The command
// line's design command and the tests drive the filter through this; the windows call the
// same steps one by one as the user takes them.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/DesignState.h"

namespace tavrin::circuits {

struct FilterBuildOptions {
  std::vector<std::string> circuits;  // one catalogue code per stage in cascade order; empty: best rated
  bool standardR = false;
  double rTolerance = 1;  // percent
  double cTolerance = 1;
  int strategy = 1;
  bool allCapsStandard = false;
  std::optional<double> gbwHz;  // every stage's op-amp; otherwise the selection's choice
  bool predistortAll = false;   // every stage that can take it
  std::vector<int> predistort;
  bool activeCompAll = false;
  std::vector<int> activeComp;
  std::vector<std::pair<int, double>> stageGains;  // stage, gain as users see it (lowpass notch: DC gain)
};

// The state must hold the stages of a cascaded design (pairing and cascading done).  On
// refusal (an unknown code, a code of another stage type, a wrong count, a remedy a stage
// cannot take, a stage number outside the filter) the text says why and the state is left
// part-way.
std::optional<std::string> BuildFilter(core::DesignState& state, const FilterBuildOptions& options);

}  // namespace tavrin::circuits
