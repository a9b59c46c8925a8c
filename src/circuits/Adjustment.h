// Making a designed stage buildable without leaving the design: scaling all its parts by
// standard capacitor steps, stepping C2 or the scale resistor, setting one capacitor to a
// chosen value while the resistors follow, and giving a resistor a value of the user's own.
//
// Every operation works on one stage of the design and leaves its CircuitRecord and its
// capacitor memory consistent; the texts a window has to show come back as messages.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "approx/Messages.h"
#include "core/DesignState.h"

namespace tavrin::circuits {

// A capacitor may be set within this factor either side of its exact value.
inline constexpr double kCapacitorAdjustFactor = 1.12;
// The automatic capacitor choice puts the largest resistor just below this.
inline constexpr double kAutoScaleLimit = 100000.0;  // ohms

// The capacitor scaling step: new C1 := E12Capacitor(c1Index, c1Decade), r := new C1 / old C1;
// every capacitor times r, every resistor divided by r except the scale pair (the last two
// of the circuit's own resistors, and the compensation copies of them) when HasScalePair;
// exact values taken (ExactValue := Value, Change := 0); ResistorScale *= r;
// C1Index/C1Decade set and C2Index/C2Decade moved by as many E12 steps as C1 moved.
// wp and Qp do not change.  A record without a positive C1 is left alone.
void ScaleCapacitors(core::CircuitRecord& cr, int c1Index, int c1Decade);

// The stage's capacitor memory (componentSet) from its record: indices, decades, CapRatio
// and every capacitor's value, stored as both value and exact value; or, without
// exactFromValues, with each capacitor's own exact value, so an adjusted stage is
// recomputed from the same exact design and its changes re-applied.
void WriteCapacitorMemory(core::DesignState& state, int stage, bool exactFromValues = true);

// Moves the stage's capacitors through E12 until its largest resistor lies just below
// 100 kOhm.  Second order: the largest of the resistors outside the scale pair decides
// (the first on ties); above 100 kOhm C1 and C2 step up until it is at most 100 kOhm,
// below it they step down until it reaches 100 kOhm and then up once.  First order: C1
// steps down while R1 is below 100 kOhm and then up once.  Then AdjustPending is cleared,
// exact values are made equal to the values and the capacitor memory is written.
void AutoScaleCapacitors(core::DesignState& state, int stage);

// Switches standard-resistor substitution off for every stage: each substituted resistor
// (PreStandardValue > 0) gets its computed value back and loses its standard mark, and
// state.standardResistors is cleared.
void UndoStandardSubstitution(core::DesignState& state);

enum class AdjustChoice { AllCapacitors, C2Only, RxRy };

// One step of " All Capacitors", " C2 only" or " Rx/Ry" up (+1) or down (-1) for the stage.
// " C2 only" needs C2OnlyAllowed and " Rx/Ry" a scale pair; otherwise nothing happens.
void StepValues(core::DesignState& state, int stage, AdjustChoice choice, int direction);

// Discards every adjustment of the stage: its design from the capacitors it had at the last
// circuit selection or variant change (componentSetSaved), then the automatic capacitor choice.
void ResetValues(core::DesignState& state, int stage);

struct CapacitorRange {
  double min = 0;  // ExactValue / 1.12
  double max = 0;  // ExactValue x 1.12
};
CapacitorRange AllowableRange(const core::ComponentEntry& c);

// What "Stnd" fills in: the E12 value nearest the exact value, when it lies in the range.
std::optional<double> StandardCapacitorInRange(const core::ComponentEntry& c);

// A typed capacitance: a number, optionally followed by "p", "n" or "u" (micro; "µ" too)
// and optionally "F" ("F" alone: farads).  A number without any unit is read in the unit
// the range of exactValue is shown in (pF, nF or uF).  Empty for a text that is not a number.
std::optional<double> ParseCapacitanceEntry(const std::string& text, double exactValue);

struct AdjustOutcome {
  bool applied = false;                   // values changed and kept
  std::vector<approx::Message> messages;  // in the order a window shows them
};

// The capacitor adjustment of capacitor j of the stage.  Interactive: entry is the text the
// user confirmed ("" when nothing was entered).  Automatic (std::nullopt): the caller has
// already put the new value and its Change in place and marked ExactTaken; no message is
// produced, a failed re-solution is still undone.
// The resistors follow: SLP01, SLP02, SHP01, SHP02, SBP01 and SBP02 in closed form (wp and
// Qp exact), first-order stages by rescaling the resistor that sets the corner (exact), all
// other circuits by the linearised re-solution of the resistors their adjustment row names.
AdjustOutcome AdjustCapacitor(core::DesignState& state, int stage, int capacitor,
                              std::optional<std::string> entry);

struct ResistorOutcome {
  bool beep = false;     // the entry held no value
  bool applied = false;  // a value was taken (assigned, or confirmed equal to the computed one)
  std::vector<approx::Message> messages;
};

// A typed resistance: a number with an optional "K", "M" or "G" (either case) and an
// optional "ohm"; blanks and the inventory bullet are ignored.  Empty when not a number.
std::optional<double> ParseResistanceEntry(const std::string& text);

// The OK of the resistor window for resistor j of the stage.  "xx.xx" (or nothing) beeps
// and clears the assignment; below 0.01 ohm is refused; otherwise UserValue, UserAssigned
// and IsStandard are set and the stage's CircuitGain is the gain analysed with the user
// values in force.
ResistorOutcome AdjustResistor(core::DesignState& state, int stage, int resistor, const std::string& entry);

// The spin of the resistor window: the next (+1) or previous (-1) value of the tolerance's
// series, the decade carried.  A value between series values goes to its neighbour.
double StepResistorValue(double ohms, double rTolerancePercent, int direction);

// ---------------------------------------------------------------------------------------
// The re-solutions behind AdjustCapacitor, each on its own.  They read the exact values
// (ExactValue) and the capacitors as they now stand, and write resistor values and Change.

// SLP01, SLP02, SHP01, SHP02, SBP01, SBP02.
bool HasClosedFormAdjustment(int stageType, int circuitNumber);

enum class ResolveStatus {
  Solved,
  RatioTooSmall,    // SLP01: C2/C1 below 4 Qp^2; limit says how far the capacitor may go
  InvalidSolution,  // a gain-pair resistor (R3 or R4) came out not positive
  Singular,         // the held parameters cannot be kept by the named resistors
  NonPositive,      // the linearised values include a part that is not positive
  NotAdjustable,    // nothing in the circuit can follow (no row, no analysis)
};

struct ResolveResult {
  ResolveStatus status = ResolveStatus::Solved;
  double limit = 0;  // RatioTooSmall: the largest C1 or the smallest C2, farads
};

// capacitor: the one the user changed (for SLP01's ratio rule).  partial: only the
// rescaling of the RC network of SLP02, SHP02 and SBP02 (capacitor memory in force).
ResolveResult ResolveClosedForm(core::CircuitRecord& cr, int stageType, int capacitor, bool partial);
ResolveResult ResolveFirstOrder(core::CircuitRecord& cr, int stageType);
ResolveResult ResolveLinearised(core::CircuitRecord& cr, int stageType);

// The held-parameter system A x = b of the linearised re-solution, n <= 5.  A full-rank
// system is solved by LU decomposition; a rank-deficient one (a parameter no named resistor
// moves, or two parameters moved alike) by its least-change solution when its equations
// agree.  False when they contradict each other.
bool SolveHeldParameters(int n, const std::vector<std::vector<double>>& a, const std::vector<double>& b,
                         std::vector<double>& x);

}  // namespace tavrin::circuits
