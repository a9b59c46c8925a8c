// Choosing a circuit for each stage: the ratings of every candidate circuit of a stage's
// type, the choice itself, and the texts of the information panel beside a candidate's
// schematic, so that the selection window and the command line show the same.
#pragma once

#include <string>
#include <vector>

#include "core/DesignState.h"

namespace tavrin::circuits {

// The frequency (rad/s) at which candidates of stage s are compared: a first-order stage's
// corner; otherwise where the stage's own spread is largest (its frequency of interest:
// the upper one of a highpass, the lower one of the others).  Not wp itself: a bandpass at
// its centre depends neither on wp nor on Qp, and a notch tuned to wp has no gain there to
// spread, so every circuit would rate alike.
double RatingFrequency(const core::DesignState& state, int stage);

// Largest over smallest capacitor of the record, rounded; 2000000000 above 2e9 or when a
// capacitor is not positive.
double CapacitorSpread(const core::CircuitRecord& cr);

// Rates every candidate n = 1..CircuitCount of stage s's type into stageAnalysis[s]: each
// is set up fresh and designed exactly as a selection would design it (on a copy of the
// stage's record and of its capacitor memory, so the stage's own record, memory and saved
// memory are never written), for the gain OptimalGain asks.  Counts, gains, spreads,
// MinGbw and polarity are kept for every candidate; a failed candidate is taken out of the
// comparison; the gain-spread terms at RatingFrequency are computed for the included ones,
// and the maxima over the included, successfully designed candidates scale the bars.
// The user's Included marks of the other candidates are kept.
void RateCandidates(core::DesignState& state, int stage);

// The selection window starts its choices afresh when shown before any circuit was chosen
// for the whole filter or after an earlier step changed.
bool NeedsFreshStart(const core::DesignState& state);

// Starting afresh: every stage's record loses its options, adjustments, user gain and
// components (resistors and capacitors back to 0.001, all sensitivities 0), becomes Fresh
// with no circuit chosen (CircuitNumber 0, CircuitNumberCopy 1), every candidate is
// included again, the remembered variants are forgotten, standard resistors are switched
// off, and before step 6 every stage's CircuitId becomes the first circuit of its type.
void StartAfresh(core::DesignState& state);

// "Select": candidate n becomes stage s's circuit (Fresh, options and adjustments
// cleared, standard resistors off), with MinGbw from its rating and an op-amp GBW of
// MinGbw but at least 1 MHz.  When every stage has a circuit the design advances to the
// component step (DesignStep 6).  Returns whether every stage now has a circuit; false
// (and nothing changed) for an n outside the type.
bool SelectCircuit(core::DesignState& state, int stage, int n);

// The check region of the panel: includes or excludes candidate n and rates the stage
// again.  A failed candidate cannot be included.
void ToggleIncluded(core::DesignState& state, int stage, int n);

// The legend regions: hide or show a part of the bars; hiding the last part shown shows
// the other one.
void ToggleShowPassive(core::DesignState& state);
void ToggleShowActive(core::DesignState& state);

// The candidate an automatic choice takes for stage s, from its ratings (RateCandidates
// first); 0 when no candidate is included and designed.  Among the included, successfully
// designed candidates, in order of precedence:
//   1. no spread warning (resistor and capacitor spread at most 1000): a circuit that
//      cannot be built from sensible parts is worse than any other shortcoming;
//   2. the gain realised as asked (within 0.001): a circuit that forces its own gain makes
//      the gain distribution push the difference onto the other stages;
//   3. the smallest total gain spread, where figures within 10 percent of the smallest
//      count as equal (the model is first-order; closer figures do not tell circuits apart);
//   4. fewer op-amps;
//   5. the lower circuit number (the catalogue lists the plainest circuits first).
int BestCandidate(const core::DesignState& state, int stage);

// ---------------------------------------------------------------------------------------
// The information panel

struct PanelColour {
  int r = 0, g = 0, b = 0;
  bool operator==(const PanelColour&) const = default;
};
inline constexpr PanelColour kPanelBlack{0, 0, 0};
inline constexpr PanelColour kPanelRed{255, 0, 0};

inline constexpr const char* kComponentSpreadCaption = "Component Spread";
inline constexpr const char* kComponentCountCaption = "# Components";
inline constexpr const char* kDesiredGainLabel = "Desired gain: ";
inline constexpr const char* kActualGainLabel = "Actual gain: ";
inline constexpr const char* kEaseOfTuningLabel = "Ease of Tuning:";
inline constexpr const char* kMinGbwCaption = "Min. Recommended";
inline constexpr const char* kMinGbwLabel = "Unity GBW: ";
inline constexpr const char* kGainSpreadCaption = "Gain Spread";
inline constexpr const char* kGainSpreadGbwLabel = "for GBW=";
inline constexpr const char* kExcludedText = "Excluded";
inline constexpr const char* kActiveSpreadZeroText =
    "At this frequency the active gain spread is zero for all circuits.";

// "R= N/A " for a failed design; "R= 4999:1" below 5000; "R= >5000:1" from 5000 on.
std::string ResistorSpreadText(const core::CircuitRating& rating);
// "    C= N/A", "    C= 12:1", "    C= >5000:1" by the same rule.
std::string CapacitorSpreadText(const core::CircuitRating& rating);
// Both on one line.
std::string ComponentSpreadLine(const core::CircuitRating& rating);
// "R:2    C:2    OA:1".
std::string ComponentCountLine(const core::CircuitRating& rating);

// A gain as the panel writes it: 5 significant digits.
std::string GainText(double gain);
// Desired and actual gain, both as DC gains for a lowpass notch (x (wz/wp)^2); the actual
// one in red when the two shown figures differ by more than 0.001.
struct GainDisplay {
  std::string desired;
  std::string actual;
  PanelColour actualColour = kPanelBlack;
};
GainDisplay GainTexts(const core::CircuitRating& rating, const core::Stage& stage);

// "Excellent", "Good", "Fair", "Poor" or "Not Recommended" from the circuit's tuning row.
std::string EaseOfTuningText(int stageType, int n);

// A GBW in Hz: " GHz" above 1 GHz with 2 decimals, otherwise " MHz" with 0 decimals from
// 10 MHz, 2 decimals from 100 kHz and 3 below ("0.40 MHz" for 400 kHz).
std::string GbwText(double hz);
// The minimum recommended GBW of a candidate; "N/A" for a first-order stage.
std::string MinGbwText(int stageType, double hz);

// The words of the warning box, one per line; empty when there is nothing to warn of.
// A failed design: "Circuit" "not" "suitable"; else a resistor spread above 1000:
// "Resistor" "spread" "warning"; else a capacitor spread above 1000: "Capacitor" "spread" "warning".
std::vector<std::string> WarningWords(const core::CircuitRating& rating);

// True when no included, successfully designed candidate of the stage has an active part.
bool ActiveSpreadZeroForAll(const core::DesignState& state, int stage);

// The hints of the clickable regions.
std::string IncludeHint(const core::CircuitRating& rating);  // "Exclude circuit" / "Include circuit"
std::string PassiveHint(const core::DesignState& state);     // "Hide Passive" / "Show Passive"
std::string ActiveHint(const core::DesignState& state);      // "Hide Active" / "Show Active"

// The stage line above the schematic, in the display unit: "Q=0.707    fp=1 KHz" (and
// "    fz=..." for the notch types), "fc=1 KHz" for first order; "wp=", "wz=", "wc=" in
// rad/s.  The polarity is "Inverting" or "Non-inverting".
struct StageLine {
  std::string parameters;
  std::string polarity;
};
StageLine StageLineText(const core::Stage& stage, bool inverting, core::FrequencyUnit unit);

}  // namespace tavrin::circuits
