// Small numeric helpers with the conventions the filter code relies on.
#pragma once

namespace tavrin::core {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;

// log10 with log10(0) taken as -1000, so a zero gain lands far below any axis.
double Log10(double x);
double Pow10(double x);
double Sinh(double x);
double Cosh(double x);
double ASinh(double x);
double ACosh(double x);
// Four-quadrant arctangent with ATan2(0, 0) = 0.
double ATan2(double y, double x);

}  // namespace tavrin::core
