// A stage's transfer function as built: +-K (a3 s^3 + a2 s^2 + a1 s + a0) /
// (b3 s^3 + b2 s^2 + b1 s + b0), assembled from its circuit's evaluator.
#pragma once

#include <array>
#include <complex>
#include <optional>

#include "analysis/Dual.h"
#include "analysis/WorkingVectors.h"
#include "core/DesignState.h"

namespace tavrin::analysis {

template <typename T>
struct StagePolynomialsT {
  T K{};
  std::array<T, 4> a{};  // numerator, a[i] the coefficient of s^i
  std::array<T, 4> b{};  // denominator
  bool inverting = false;
};

using StagePolynomials = StagePolynomialsT<double>;

// After assembly both polynomials are monic in their highest term, or carry the standard
// numerator of their type (b0 for lowpass, s^2 for highpass, b1 s for bandpass) with any
// further terms the circuit's values give it scaled alike, so K is the passband gain.  A
// circuit outside the catalogue gives all zeros.
StagePolynomials BuildStagePolynomials(const WorkingVectors& v, int stageType, int circuitNumber);
StagePolynomialsT<Dual> BuildStagePolynomials(const WorkingVectorsT<Dual>& v, int stageType,
                                              int circuitNumber);
// The stage's type byte (flag bit masked off) and its record's circuit number.
StagePolynomials BuildStagePolynomials(const WorkingVectors& v, const core::Stage& stage,
                                       const core::CircuitRecord& cr);

// The gain constant K of the circuit for these values.
double StageGain(const WorkingVectors& v, int stageType, int circuitNumber);
double StageGain(const WorkingVectors& v, const core::Stage& stage, const core::CircuitRecord& cr);

// H(jw) including the sign of an inverting output; w in rad/s.
std::complex<double> StageResponse(const StagePolynomials& p, double w);

// Pole frequency and Q, and the zero frequency of a notch, read back from the
// polynomials.  First order: wp is the pole w of s + w, no Qp.  Cubic: the complex pair
// beside the real pole (with three real poles, the two nearest the origin).  wz only for
// the notch types.  Empty where the quantity does not exist for these values.
struct StageParameters {
  std::optional<double> wp;
  std::optional<double> Qp;
  std::optional<double> wz;
};
StageParameters ParametersOf(const StagePolynomials& p, int stageType);

}  // namespace tavrin::analysis
