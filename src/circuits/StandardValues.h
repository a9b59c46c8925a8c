// Standard component values: the E96, E24 and E12 series, membership tests, rounding of
// capacitors to E12, stepping C2 through E12, and the substitution of standard resistors.
//
// A value is handled as a three-digit mantissa 100..999 and a power of ten.  Two decade
// conventions meet here, each where its callers use it: resistors as
// mantissa x 10^decade (4990 ohm is 499, decade 1), capacitors as mantissa / 10^decade
// (10 nF is 100, decade 10), which is how CircuitRecord keeps C1Index/C1Decade.
#pragma once

#include <span>
#include <vector>

#include "core/DesignState.h"

namespace tavrin::circuits {

enum class Series { E96, E24, E12 };

// The mantissas of a series in ascending order: E96 100..976, E24 100..910, E12 100..820.
std::span<const int> SeriesValues(Series series);
int SeriesSize(Series series);

// The resistor series of a tolerance in percent: up to 1 E96, up to 5 E24, otherwise E12.
Series SeriesFor(double tolerancePercent);
// Tolerances above 10 % have no series to be a member of.
bool HasMembershipSeries(double tolerancePercent);

// 10^k, exact for the powers a double holds exactly.
double Pow10i(int k);

struct SeriesMatch {
  bool standard = false;
  int index = 0;   // position in the series
  int decade = 0;  // resistors: value = mantissa x 10^decade; capacitors: mantissa / 10^decade
};

// The value is brought into [99.999, 999.99] and compared with the tolerance's series
// (within 0.001 of an entry).  Always false above 10 %.
SeriesMatch IsStandardResistor(double value, double tolerancePercent);
SeriesMatch IsStandardResistor(double value, Series series);
// The value times 10^k is brought to at least 99.999 and compared with E12 (within 0.01).
SeriesMatch IsStandardCapacitor(double value);

// E12[index] / 10^decade.
double E12Capacitor(int index, int decade);

struct E12Choice {
  int index = 0;
  int decade = 0;
  double value = 0;  // E12Capacitor(index, decade)
};
// The E12 value nearest to a capacitance; a mantissa above 820 may round up into the next
// decade, and a tie takes the upper value.  Non-positive values give index 0, decade 0.
E12Choice NearestCapacitor(double exactValue);

enum StepC2Mode : int { kStepUp = 0, kStepDown = 1, kRoundUp = 2 };
// Moves C2 of the record within E12 and updates C2Index, C2Decade, C2.Value and CapRatio.
// A record without a positive C2 is left alone.
void StepC2(core::CircuitRecord& cr, int mode);

// The two series values around a resistance (the entry below and the entry above, with the
// decade carried); both equal the value's own when it is a series value.
struct Neighbours {
  double lower = 0;
  double upper = 0;
};
Neighbours SeriesNeighbours(double value, Series series);
// The nearer neighbour; a value exactly midway takes the upper one, like the capacitors.
double NearestStandardResistor(double value, Series series);

enum class SubstStrategy { Strategy1 = 1, Strategy2 = 2 };

// What the combination search of Strategy 1 needs from the analysis: the resistors that
// set the stage's parameters and the gain-deviation weights of wp, Qp and wz (in dB per
// relative change).  The per-resistor sensitivities are read from the Sens slots.
struct CombinationSearchInput {
  std::vector<int> listed;  // resistor numbers
  double w1 = 0;
  double w2 = 0;
  double w3 = 0;
};

struct SubstitutionResult {
  int substituted = 0;   // resistors that received a series value
  int combinations = 0;  // combinations the search evaluated (Strategy 1)
};

// Replaces the exact resistor values of a stage by series values of the tolerance's
// series.  User-assigned resistors and unused positions (value 0) do not take part; a
// resistor already at a series value keeps it.  Every participant keeps its value in
// PreStandardValue and is marked IsStandard.  Strategy 2 takes each resistor's nearest
// series value; Strategy 1 searches the lower/upper combinations of the listed resistors
// for the smallest gain deviation and gives the others their nearest value.
// With a stock list (the resistor inventory enabled) a resistor's neighbours are the nearest
// series values in stock below and above it, and a series value not in stock takes part
// too; where nothing in stock lies on one side the other side is taken, and a stage with
// nothing in stock at all falls back to the plain series.
SubstitutionResult SubstituteStandardResistors(core::CircuitRecord& cr, double rTolerance,
                                               SubstStrategy strategy,
                                               const CombinationSearchInput* search = nullptr,
                                               const core::ComponentInventory* stock = nullptr);

// Marks a resistor IsStandard, a standard (toleranced) part, or clears the mark.  A value the
// design computed is never standard, even where it happens to equal a series value: only
// parts the user or the substitution chose are.  A user-assigned resistor is standard when
// its UserValue is a member of the tolerance's series; any other resistor only when the
// standard substitution gave it its value (PreStandardValue > 0) and that value is one of
// the series the substitution draws from (E12 above 10 %, where membership has no series).
void MarkResistorStandard(core::ComponentEntry& r, double rTolerancePercent);

// The Sens slot that holds sensitivity code 1..7 (slots are in code order 1, 2, 5, 4, 7, 6, 3).
int SensSlotOfCode(int code);

}  // namespace tavrin::circuits
