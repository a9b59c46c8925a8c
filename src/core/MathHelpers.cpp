#include "core/MathHelpers.h"

#include <cmath>

namespace tavrin::core {

double Log10(double x) { return x == 0.0 ? -1000.0 : std::log10(x); }
double Pow10(double x) { return std::pow(10.0, x); }
double Sinh(double x) { return std::sinh(x); }
double Cosh(double x) { return std::cosh(x); }
double ASinh(double x) { return std::asinh(x); }
double ACosh(double x) { return std::acosh(x); }
double ATan2(double y, double x) { return (y == 0.0 && x == 0.0) ? 0.0 : std::atan2(y, x); }

}  // namespace tavrin::core
