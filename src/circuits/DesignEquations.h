// What a circuit's design routine is, and how the family files list theirs.
//
// A design routine turns one stage's targets (wp, Qp, wz, or the first-order corner) and
// the gain asked of it into component values for its circuit.  It works on the stage's
// CircuitRecord as SetUpCircuit prepared it: C1 (and C2 = CapRatio x C1 where the circuit
// has a ratio), the scale resistor, the options, the op-amp GBW, and CircuitGain holding
// the gain asked for on entry.  It writes the resistor values (and C2..C4 where its rule
// sets them), CircuitGain, GainConstrained, SecondGain, CapRatio, C2OnlyAllowed and
// ResistorCount where it changes them, GbwCoefWp/GbwCoefQp (aw, aq) and, through
// GbwTargets, DesignWp, DesignQp, GbwDeviation and MinGbw, and sets DesignFailed when the
// circuit cannot realise the target.
//
// Routines do not fill the sensitivity slots: the dispatcher derives every component's
// sensitivities from the circuit's analysis evaluator by exact differentiation once the
// routine has run, so values and sensitivities never disagree.
#pragma once

#include <span>

#include "core/DesignState.h"

namespace tavrin::circuits {

// The targets a routine designs for.
struct DesignTargets {
  int stageType = 0;  // ptFLP..ptSN, the flag bit masked off
  double wp = 0;      // rad/s; for a first-order stage the corner wc
  double Qp = 0;
  double wz = 0;  // rad/s, notch types
};

struct DesignContext {
  core::CircuitRecord& cr;
  DesignTargets target;
};

using DesignRoutine = void (*)(DesignContext&);

struct DesignEntry {
  int stageType = -1;
  int number = 0;  // n within the type
  DesignRoutine design = nullptr;
};

// The members of each topology family, in the family files beside their analysis
// evaluators.  A family lists only the members whose routine exists.
std::span<const DesignEntry> FirstOrderDesigns();
std::span<const DesignEntry> SallenKeyDesigns();
std::span<const DesignEntry> MultipleFeedbackDesigns();
std::span<const DesignEntry> DeliyannisDesigns();
std::span<const DesignEntry> FliegeDesigns();
std::span<const DesignEntry> BachDesigns();
std::span<const DesignEntry> TwinTDesigns();
std::span<const DesignEntry> KhnDesigns();
std::span<const DesignEntry> TowThomasDesigns();
std::span<const DesignEntry> MikhaelBhattacharyyaDesigns();
std::span<const DesignEntry> BerkaHerpyDesigns();
std::span<const DesignEntry> AkerbergMossbergDesigns();
std::span<const DesignEntry> FriendSabDesigns();
std::span<const DesignEntry> ScultetyDesigns();
std::span<const DesignEntry> BoctorDesigns();

// The routine of (stage type, n), or nullptr.
const DesignEntry* FindDesign(int stageType, int circuitNumber);

// ---------------------------------------------------------------------------------------
// Shared by the routines

// From aw = cr.GbwCoefWp, aq = cr.GbwCoefQp, the targets and cr.OpAmpGbw: DesignWp and
// DesignQp (shifted when Predistort is set), GbwDeviation and MinGbw.  Every second-order
// routine calls it after setting aw and aq and before solving its resistors.
void GbwTargets(DesignContext& ctx);

// The recommended GBW in Hz for the coefficients, rounded down to a half step of its
// leading digit (MinGbw).
double RecommendedGbw(double aw, double aq, double wp);

// Equal integrating capacitors (C2 := C1), coefficients aw and aq, the targets; returns R0 = 1/(C1 wd).
double EqualCapacitorLoop(DesignContext& ctx, double aw, double aq);

// Largest over smallest resistor of the stage, rounded; 2000000000 above 2e9.
double ResistorSpread(const core::CircuitRecord& cr);

// True while every resistor and capacitor of the record is positive and finite.
bool PartsRealisable(const core::CircuitRecord& cr);

// A gain the circuit's rule sets, not the one asked for: CircuitGain = SecondGain = k, GainConstrained.
void FixGain(core::CircuitRecord& cr, double k);

// The compensated pair's second op-amp repeats the divider: copies of `feedback`, then of `ground`.
void AppendCompensationCopies(core::CircuitRecord& cr, int feedback, int ground);

// Shorthands for the record's components, 1-based as on the schematic.
inline double& Rv(core::CircuitRecord& cr, int k) {
  return cr.R[static_cast<std::size_t>(k)].Value;
}
inline double& Cv(core::CircuitRecord& cr, int k) {
  return cr.C[static_cast<std::size_t>(k)].Value;
}

}  // namespace tavrin::circuits
