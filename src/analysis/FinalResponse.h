// What the built filter does: the response of the stages from their circuits and the
// component values chosen, next to the ideal transfer function.  Three curves show three
// component sets, for a chosen range of stages, on the final graph's own frequency grid.
//
// Which field of a component is which value of the curve table:
//   first value  = ComponentEntry::Value             the value in force (after standard-
//                                                    resistor substitution and capacitor
//                                                    adjustment)
//   second value = ComponentEntry::ExactValue        the design with standard capacitors and
//                                                    exact resistors (the calculation copies
//                                                    a resistor's Value here unless a capacitor
//                                                    adjustment has been taken; a capacitor
//                                                    keeps here its value from before the
//                                                    adjustment)
//   third value  = ComponentEntry::PreStandardValue  a resistor's exact value while standard
//                                                    substitution is on, 0 when it is off
// A user-assigned resistor's factor is UserValue / Value: the resistor window records the
// typed value against the computed one, which substitution never touches for an assigned
// resistor, so Value times the factor is the typed value itself.
//
// The op-amps are ideal here.  A stage designed with predistortion (detuned so that a
// real op-amp pulls it back) would show that detuning, so the window's computations run
// with predistortion neutralised: every stage designed again without it on the capacitors
// of each curve, and the design put back exactly as it was afterwards.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "analysis/WorkingVectors.h"
#include "core/DesignState.h"

namespace tavrin::analysis {

inline constexpr int kFinalCurves = 3;
// The delay graph leaves out delays above this (mostly a numerator zero close to the axis):
// such a point takes the delay of the point before it, the first point 0.
inline constexpr double kFinalDelayLimit = 10.0;  // seconds

// " Standard C, exact R", " Exact C substitution", " Standard R substitution" for curves
// 1..3; " User-assigned R values" for 4 (the box that adds no curve of its own).
const char* FinalCurveCaption(int curve);

// The "Show Response:" boxes and the "Show Stages" range.  Curve 1 is always shown.
struct FinalSelection {
  bool exactC = true;         // curve 2
  bool standardR = true;      // curve 3
  bool userAssigned = false;  // user-assigned resistors loaded with their factor
  int firstStage = 1;
  int lastStage = 0;  // 0: the last stage of the filter
};

bool CurveShown(const FinalSelection& selection, int curve);
// The curve the user-assigned resistors go into: 3 with " Standard R substitution", else 2
// with " Exact C substitution", else 1.  0 when the box is off.
int UserAssignedCurve(const FinalSelection& selection);
// The stage range clamped to the filter: first >= 1, last <= stage count, first <= last.
// Empty (first > last) for a filter without stages.
struct StageRange {
  int first = 1;
  int last = 0;
};
StageRange ResolveStageRange(const core::DesignState& state, const FinalSelection& selection);

// The component set curve c loads for a stage's record (c = 1, 2, 3).
WorkingVectors LoadCurveValues(const core::CircuitRecord& cr, int curve, const FinalSelection& selection);

// ---------------------------------------------------------------------------------------
// The grid

// N + 1 points from start to stop (in `unit`), logarithmic or linear, each in Hz and rad/s:
// the rule of the ideal grid, so equal settings give equal grids.
std::vector<core::FrequencyPoint> FinalGrid(const core::FinalAxes& axes, core::FrequencyUnit unit, int n);
// The final axes start as the ideal graph's default range, logarithmic; Calculate stores
// it.  A state whose final axes hold no range (stop not above start) gets the ideal axes'
// current range here.
void ResetFinalAxes(core::DesignState& state);
// FinalPointTable (state.finalPoints 0..gridN) from the final axes.
void ComputeFinalPointTable(core::DesignState& state);
// The design's default graph grid: 351 points over the final axes' range.
std::vector<core::FrequencyPoint> DefaultFinalGrid(const core::DesignState& state);

// ---------------------------------------------------------------------------------------
// The curves.  Each fills its third of state.finalCurves at points 0..gridN of
// state.finalPoints for the shown curves and the stage range, with predistortion
// neutralised for the duration.

void ComputeFinalGain(core::DesignState& state, const FinalSelection& selection);

struct PhaseRange {
  double smallest = 0;  // radians, over the shown curves
  double largest = 0;
};
PhaseRange ComputeFinalPhase(core::DesignState& state, const FinalSelection& selection);

// Returns the largest delay below the limit over the shown curves (0 when none).
double ComputeFinalDelay(core::DesignState& state, const FinalSelection& selection);

// All three under one neutralisation: what the window computes when it is shown.
struct FinalRanges {
  PhaseRange phase;
  double delayMax = 0;
};
FinalRanges ComputeFinalCurves(core::DesignState& state, const FinalSelection& selection);

// The grid index of each notch stage's zero frequency that the gain graph forces to 0
// (all stages shown only): the nearest point by rounding on the grid's scale, for zeros
// inside the grid.
std::vector<int> NotchPointIndices(const core::DesignState& state);

// ---------------------------------------------------------------------------------------
// The point calculator

enum class FinalTab { Gain, Phase, Delay };
struct FinalPointLine {
  int curve = 1;
  std::string text;
};
// The value at one frequency (rad/s) for each shown curve, in the units of the final
// graph's settings (state.finalGraph): "  dB" or "  V/V", "  deg" or "  rad", "  sec".  The
// exact value at the point: no notch forcing and no delay limit, which serve the plotted
// curves only.
std::vector<FinalPointLine> FinalPointValue(core::DesignState& state, FinalTab tab, double wRad,
                                            const FinalSelection& selection);

// ---------------------------------------------------------------------------------------
// The inverting-output note of the phase graph: over all stages, the two lines when an odd
// number of stages invert, nothing when the inversions cancel.
std::vector<std::string> InvertingOutputNote(const core::DesignState& state);

// ---------------------------------------------------------------------------------------
// Predistortion neutralisation, strictly bracketed.  While an object lives, every stage
// is designed afresh without predistortion (and out of adjustment mode) on the capacitors
// it holds, which curves 2 and 3 load, and its first values on the capacitors it had
// before any capacitor adjustment, which curve 1 loads; a user-assigned resistor keeps its
// factor.  When the object goes (whatever the way out of the scope) the design is put back
// exactly as it was, except for the final-response tables (finalPoints, finalCurves),
// which keep what was computed meanwhile.  Nothing happens when no stage predistorts.
class PredistortionNeutralisation {
 public:
  explicit PredistortionNeutralisation(core::DesignState& state);
  ~PredistortionNeutralisation();
  PredistortionNeutralisation(const PredistortionNeutralisation&) = delete;
  PredistortionNeutralisation& operator=(const PredistortionNeutralisation&) = delete;

  bool active() const { return saved_ != nullptr; }

 private:
  core::DesignState& state_;
  std::unique_ptr<core::DesignState> saved_;
};

bool AnyStagePredistorts(const core::DesignState& state);

// ---------------------------------------------------------------------------------------
// For the command line: one curve over a grid, per point the frequency, gain, phase (as the
// phase graph plots it: the inversions of inverting outputs are not in it) and group
// delay.  curve is 1, 2 or 3 with all three boxes and " User-assigned R values" on, so
// curve 3 is the values in force with user-assigned resistors, exactly what the netlist
// writes; curve 2 the exact capacitors with exact resistors; curve 1 the standard
// capacitors with exact resistors.  Stages firstStage..lastStage (0: the last).  No notch
// point is forced and no delay above the limit is replaced: these are the circuit's own
// numbers, which a simulator must reproduce.  Without neutralisePredistortion the values
// are those the design holds (the netlist's); with it, those the final-response window
// shows.  dB is 20 log10 V/V, -400 for a gain of at most 1e-20.
struct FinalResponsePoint {
  double hz = 0;
  double rad = 0;
  double vv = 0;
  double db = 0;
  double phaseDeg = 0;
  double delay = 0;
};
std::vector<FinalResponsePoint> FinalResponsePoints(core::DesignState& state, int curve, int firstStage,
                                                    int lastStage, std::span<const core::FrequencyPoint> grid,
                                                    bool neutralisePredistortion = false);

}  // namespace tavrin::analysis
