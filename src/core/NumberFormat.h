// How every number the program shows is written, and how typed numbers are read.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/DesignState.h"

namespace tavrin::core {

// x right-aligned in w characters with d decimals; longer when it does not fit.
std::string FormatFixed(double x, int w, int d);
// sign (" " or "-"), mantissa in [1, 10), "E", exponent sign and exponent: " 1.23450E+3".
std::string FormatScientific(double x, int w, int d);
// The value of the whole text, or 0 when it is empty or does not convert completely.
// Blanks around the number are allowed; a decimal comma is not a number.
double ParseReal(const std::string& text);
// Like ParseReal, but says whether the text was a number at all.
bool TryParseReal(const std::string& text, double& value);

std::string TrimLeadingBlanks(const std::string& text);
std::string TrimTrailingBlanks(const std::string& text);
std::string TrimZeros(const std::string& text);
std::string RoundDigits(const std::string& text, int n);

// Component values with their unit: "4.7nF", "10K", "  N/A".  The SPICE netlist asks
// for more digits.
std::string FormatCapacitance(double c, bool spicePrecision = false);
std::string FormatResistance(double r, bool spicePrecision = false);

// What a typed value stands for, which decides how its letters read.
enum class ValueKind { Resistance, Capacitance, Number };

// A value as this program writes it or as SPICE reads it: a number (sign, digits, point,
// exponent), then an optional scale factor T, G, MEG, K, M, U, N, P, F (1e12 .. 1e-15, any
// case), then for a capacitance an optional unit "F", for a resistance "OHM".  "M" is
// SPICE's milli, except that for a resistance a capital "M" is mega: FormatResistance
// writes 1.5e6 ohm as "1.5M", and that must read back (a small "m" stays milli, "MEG" is
// mega in any case).  A lone "F" after the number is SPICE's femto.  Blanks around the
// text are allowed; any other text, and a value outside the range of a double, is refused.
std::optional<double> ParseComponentValue(std::string_view text, ValueKind kind);
// w in rad/s, shown in the display unit: "1.5 KHz", "9.425 Krad/s".
std::string FormatFrequency(double w, FrequencyUnit unit);

// The slot's title for reports and graphs, e.g. "Butterworth" + 15 blanks + "N".
std::string ApproximationLabel(int slot);
// The name part of the label: the text before its first double blank (or first blank).
std::string ApproximationName(int slot);
// Pads or shortens a label before its final "N" until its measured width matches the
// Butterworth label's, so the "N" of every label lines up in a proportional font.
std::string AlignApproximationLabel(int slot, const std::function<int(const std::string&)>& width);

}  // namespace tavrin::core
