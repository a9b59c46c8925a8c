#include "analysis/StagePolynomials.h"

#include <cmath>
#include <numbers>

#include "analysis/CircuitAnalysis.h"

namespace tavrin::analysis {

namespace {

using circuits::AnalysisEntry;
using circuits::CircuitEquations;

template <typename T>
CircuitEquations<T> Evaluate(const AnalysisEntry& e, const WorkingVectorsT<T>& v) {
  if constexpr (std::is_same_v<T, Dual>) {
    return e.evaluateDual(v);
  } else {
    return e.evaluate(v);
  }
}

// The assembly reads the evaluator's answers A(q, i) in a fixed order; one evaluation
// gives all of them.
template <typename T>
StagePolynomialsT<T> Assemble(const WorkingVectorsT<T>& v, int stageType, int circuitNumber) {
  StagePolynomialsT<T> p;
  const AnalysisEntry* e = FindAnalysis(stageType, circuitNumber);
  if (e == nullptr) return p;
  const CircuitEquations<T> eq = Evaluate(*e, v);
  const bool cubic = e->cubic;
  const bool timeConstant = e->form == circuits::CoefficientForm::TimeConstant;
  const bool notch = stageType == core::ptSLPN || stageType == core::ptSHPN || stageType == core::ptSN;
  const bool first = stageType == core::ptFLP || stageType == core::ptFHP;
  const bool lowpass = stageType == core::ptSLP || stageType == core::ptFLP;
  const bool bandpass = stageType == core::ptSBP;

  auto& a = p.a;
  auto& b = p.b;
  a[2] = cubic ? eq.num[2] : T((notch || stageType == core::ptSHP) ? 1 : 0);
  a[1] = (notch || bandpass || cubic) ? eq.num[1] : T(stageType == core::ptFHP ? 1 : 0);
  a[0] = notch ? eq.num[0] : T(0);
  // tau2 s^2 + tau1 s + 1 becomes s^2 + (tau1/tau2) s + 1/tau2; a zero tau2 is left
  // alone rather than divided by.
  if (timeConstant && ValueOf(a[0]) != 0) {
    a[0] = 1 / a[0];
    a[1] = a[1] * a[0];
  }
  b[2] = cubic ? eq.den[2] : T(first ? 0 : 1);
  b[1] = first ? T(1) : eq.den[1];
  b[0] = eq.den[0];
  if (timeConstant && ValueOf(b[0]) != 0) {
    b[0] = 1 / b[0];
    b[1] = b[1] * b[0];
  }
  if (lowpass) a[0] = b[0];             // unity gain at DC before K
  if (bandpass && !cubic) a[1] = b[1];  // unity gain at the pole frequency before K
  // Terms a second-order circuit's numerator has beyond its type's own (a Berka-Herpy
  // loop whose two input paths no longer cancel), relative to that term: K stays the
  // gain in the passband.
  if (!cubic && !notch && !first) {
    if (lowpass) {
      a[1] = a[0] * eq.num[1];
      a[2] = a[0] * eq.num[2];
    } else if (bandpass) {
      a[0] = a[1] * eq.num[0];
      a[2] = a[1] * eq.num[2];
    } else {
      a[0] = eq.num[0];
      a[1] = eq.num[1];
    }
  }
  a[3] = T((cubic && stageType != core::ptSLP && stageType != core::ptSBP) ? 1 : 0);
  b[3] = T(cubic ? 1 : 0);
  p.K = eq.gain;
  p.inverting = e->inverting;
  return p;
}

// x^3 + c2 x^2 + c1 x + c0 = (x - r)(x^2 + q1 x + q0): the real root r taken out is the
// only one, or with three real roots the one farthest from the origin.
struct Quadratic {
  double q1 = 0;
  double q0 = 0;
};

Quadratic DeflateCubic(double c2, double c1, double c0) {
  const double q = (c2 * c2 - 3 * c1) / 9;
  const double r = (2 * c2 * c2 * c2 - 9 * c2 * c1 + 27 * c0) / 54;
  double root = 0;
  if (r * r < q * q * q) {
    const double theta = std::acos(r / std::sqrt(q * q * q));
    const double m = -2 * std::sqrt(q);
    for (int k = 0; k < 3; ++k) {
      const double x = m * std::cos((theta + 2 * std::numbers::pi * k) / 3) - c2 / 3;
      if (k == 0 || std::abs(x) > std::abs(root)) root = x;
    }
  } else {
    const double big = -std::copysign(std::cbrt(std::abs(r) + std::sqrt(r * r - q * q * q)), r);
    const double small = big == 0 ? 0 : q / big;
    root = big + small - c2 / 3;
  }
  // One Newton step against the rounding of the closed form.
  const double f = ((root + c2) * root + c1) * root + c0;
  const double df = (3 * root + 2 * c2) * root + c1;
  if (df != 0) root -= f / df;
  Quadratic out;
  out.q1 = c2 + root;
  out.q0 = root != 0 ? -c0 / root : c1 + root * out.q1;
  return out;
}

// The quadratic factor of c3 x^3 + c2 x^2 + c1 x + c0 (itself when c3 is 0), monic.
std::optional<Quadratic> QuadraticFactor(double c3, double c2, double c1, double c0) {
  if (c3 != 0) return DeflateCubic(c2 / c3, c1 / c3, c0 / c3);
  if (c2 == 0) return std::nullopt;
  return Quadratic{c1 / c2, c0 / c2};
}

}  // namespace

StagePolynomials BuildStagePolynomials(const WorkingVectors& v, int stageType, int circuitNumber) {
  return Assemble(v, stageType, circuitNumber);
}

StagePolynomialsT<Dual> BuildStagePolynomials(const WorkingVectorsT<Dual>& v, int stageType,
                                              int circuitNumber) {
  return Assemble(v, stageType, circuitNumber);
}

StagePolynomials BuildStagePolynomials(const WorkingVectors& v, const core::Stage& stage,
                                       const core::CircuitRecord& cr) {
  return Assemble(v, stage.type & 0x7F, cr.CircuitNumber);
}

double StageGain(const WorkingVectors& v, int stageType, int circuitNumber) {
  return AnalyseCircuit(v, stageType, circuitNumber, AnalysisQuantity::Gain, 0);
}

double StageGain(const WorkingVectors& v, const core::Stage& stage, const core::CircuitRecord& cr) {
  return StageGain(v, stage.type & 0x7F, cr.CircuitNumber);
}

std::complex<double> StageResponse(const StagePolynomials& p, double w) {
  const double w2 = w * w;
  const std::complex<double> n(p.a[0] - p.a[2] * w2, p.a[1] * w - p.a[3] * w2 * w);
  const std::complex<double> d(p.b[0] - p.b[2] * w2, p.b[1] * w - p.b[3] * w2 * w);
  const std::complex<double> h = p.K * n / d;
  return p.inverting ? -h : h;
}

StageParameters ParametersOf(const StagePolynomials& p, int stageType) {
  StageParameters out;
  if (stageType == core::ptFLP || stageType == core::ptFHP) {
    if (p.b[1] != 0) out.wp = p.b[0] / p.b[1];
    return out;
  }
  if (const auto den = QuadraticFactor(p.b[3], p.b[2], p.b[1], p.b[0]); den && den->q0 > 0) {
    out.wp = std::sqrt(den->q0);
    if (den->q1 != 0) out.Qp = *out.wp / den->q1;
  }
  const bool notch = stageType == core::ptSLPN || stageType == core::ptSHPN || stageType == core::ptSN;
  if (notch) {
    if (const auto num = QuadraticFactor(p.a[3], p.a[2], p.a[1], p.a[0]); num && num->q0 > 0)
      out.wz = std::sqrt(num->q0);
  }
  return out;
}

}  // namespace tavrin::analysis
