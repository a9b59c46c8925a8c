// The whole filter from its stages to buildable components: the computation every step of
// the calculation window re-runs, the options that drive it, the steps the window offers,
// and the check made before the final response is shown.  The calculation window and
// `tavrin-cli design` both drive the filter through these functions only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "approx/Messages.h"
#include "core/DesignState.h"

namespace tavrin::circuits {

// Recomputes every stage: gains shared out, every stage set up and designed, gain
// constraints resolved, capacitors scaled to keep resistors below 100 kOhm, levels, the
// capacitor memory re-applied (restoreCaps), standard capacitors and resistors, the gains
// analysed from the values in force, the spread figures for the ratings.  restoreCaps takes
// every stage's capacitors from its capacitor memory, so the user's choices survive.
void ComputeAllStages(core::DesignState& state, bool restoreCaps);

// What opening the calculation window computes: from the capacitor memory when the design
// came from a file or not every stage is Fresh, otherwise afresh.  Clears UseCapMemory.
void OpenCalculation(core::DesignState& state);

// " Standard 1%", " Standard 5%" or " Standard 10%" by the resistor tolerance.
std::string StandardOptionCaption(double rTolerancePercent);

// The " Standard 1%" option switched on or off, and the substitution strategy (1 or 2);
// both recompute the filter keeping the capacitors.
void SetStandardResistors(core::DesignState& state, bool on);
void SetSubstitutionStrategy(core::DesignState& state, int strategy);

// " All caps standard": recomputes; when the current stage's design then fails the switch
// is taken back and false returned.
bool SetAllCapsStandard(core::DesignState& state, bool on);

// The design variations of a stage (step "Variations").  Returns false when the stage's
// circuit does not offer the variation (nothing changes then).
bool SetC2Variable(core::DesignState& state, int stage, bool on);
bool SetEqualComponents(core::DesignState& state, int stage, bool on);
bool C2VariableOffered(const core::DesignState& state, int stage);
bool EqualComponentsOffered(const core::DesignState& state, int stage);

// Op-amp remedies of a stage.  Predistortion and active compensation exclude each other;
// a first-order stage takes neither and active compensation needs a circuit that has it.
enum class Compensation { Neither, Predistortion, ActiveCompensation };
bool CompensationAllowed(const core::DesignState& state, int stage, Compensation c);
bool SetCompensation(core::DesignState& state, int stage, Compensation c);
Compensation CompensationOf(const core::DesignState& state, int stage);

// After the component characteristics changed (tolerances, op-amp data): every stage keeps
// its current capacitors and the filter is recomputed.  A resistor tolerance without a
// series of its own (other than 1, 5, 10 %) switches standard substitution off.
void ApplyComponentCharacteristics(core::DesignState& state);

// The steps of the calculation window.
enum class CalcStep {
  Variations = 1,
  FreqResponse,
  Gain,
  Components,
  Compensation,
  AdjustValues,
  ExactCValues,
  StandardRValues,
  UserAssignedR,
  FinalResponse,
};
struct StepText {
  CalcStep step;
  const char* name;
  const char* help;
};
// All ten steps in order with their names and help texts.
const std::vector<StepText>& AllSteps();
// The steps offered for the design: "Variations" only when some stage's circuit has a
// variant (or one is remembered).
std::vector<CalcStep> OfferedSteps(const core::DesignState& state);

// Leaving the calculation forward to the final response.
struct LeavingCheck {
  bool exactCurve = false;                 // the curve with the exact capacitor values may be shown
  std::optional<approx::Message> warning;  // Ignore / Cancel; given once per design
};
LeavingCheck CheckLeavingForward(core::DesignState& state);

}  // namespace tavrin::circuits
