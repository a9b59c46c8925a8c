// A value and its derivative along one direction, carried through plain arithmetic.
//
// The analysis equations are written once over their scalar type; evaluated with Dual
// they give, besides each result, its exact derivative with respect to the one component
// whose derivative was seeded to 1.  Only the operations the equations use are defined.
#pragma once

namespace tavrin::analysis {

struct Dual {
  double value = 0;
  double derivative = 0;

  constexpr Dual() = default;
  // Implicit on purpose: constants in the equations (1 + R4 / R3) become constants here.
  constexpr Dual(double v, double d = 0) : value(v), derivative(d) {}  // NOLINT(google-explicit-constructor)

  constexpr Dual& operator+=(const Dual& o) {
    value += o.value;
    derivative += o.derivative;
    return *this;
  }
  constexpr Dual& operator-=(const Dual& o) {
    value -= o.value;
    derivative -= o.derivative;
    return *this;
  }
  constexpr Dual& operator*=(const Dual& o) {
    derivative = derivative * o.value + value * o.derivative;
    value *= o.value;
    return *this;
  }
  constexpr Dual& operator/=(const Dual& o) {
    derivative = (derivative * o.value - value * o.derivative) / (o.value * o.value);
    value /= o.value;
    return *this;
  }
};

constexpr Dual operator-(const Dual& a) {
  return {-a.value, -a.derivative};
}
constexpr Dual operator+(Dual a, const Dual& b) {
  return a += b;
}
constexpr Dual operator-(Dual a, const Dual& b) {
  return a -= b;
}
constexpr Dual operator*(Dual a, const Dual& b) {
  return a *= b;
}
constexpr Dual operator/(Dual a, const Dual& b) {
  return a /= b;
}
constexpr Dual operator+(double a, const Dual& b) {
  return Dual(a) += b;
}
constexpr Dual operator-(double a, const Dual& b) {
  return Dual(a) -= b;
}
constexpr Dual operator*(double a, const Dual& b) {
  return Dual(a) *= b;
}
constexpr Dual operator/(double a, const Dual& b) {
  return Dual(a) /= b;
}
constexpr Dual operator+(Dual a, double b) {
  return a += Dual(b);
}
constexpr Dual operator-(Dual a, double b) {
  return a -= Dual(b);
}
constexpr Dual operator*(Dual a, double b) {
  return a *= Dual(b);
}
constexpr Dual operator/(Dual a, double b) {
  return a /= Dual(b);
}

// The plain value of either scalar type, for the tests the assembly makes on it.
constexpr double ValueOf(double x) {
  return x;
}
constexpr double ValueOf(const Dual& x) {
  return x.value;
}

}  // namespace tavrin::analysis
