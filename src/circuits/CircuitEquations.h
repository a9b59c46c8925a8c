// What a circuit's analysis evaluator is, and how the family files list theirs.
//
// An evaluator takes a stage's working vectors and returns, in the circuit's own
// coefficient form, its denominator and numerator coefficients (index i as the assembly
// asks for them) and its gain constant K.  Each is written once as a template over the
// scalar type; an entry carries both instantiations, the plain one for values and the
// dual one for exact derivatives.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "analysis/Dual.h"
#include "analysis/WorkingVectors.h"

namespace tavrin::circuits {

template <typename T>
using Vectors = analysis::WorkingVectorsT<T>;

// The equations hold for any positive component values: they are the circuit's own
// transfer function, not the design's simplification of it, so a stage built with
// standard, adjusted or user-typed values is analysed as built.
template <typename T>
struct CircuitEquations {
  std::array<T, 3> den{};  // denominator index 0, 1 (, 2 for the cubic circuits)
  // Numerator index 0, 1 (, 2) of the notch and cubic circuits, in the circuit's form.
  // A second-order lowpass, highpass or bandpass circuit has a numerator of one term
  // (s^0, s^2, s^1), and here any further terms its values give it, each divided by that
  // one term's coefficient: N(s)/N(0) = 1 + num[1] s + num[2] s^2 for a lowpass,
  // s^2 + num[1] s + num[0] for a highpass, num[2] s^2 + s + num[0] for a bandpass; zero
  // where the circuit has none.
  std::array<T, 3> num{};
  T gain{};  // K
};

// Monic: s^2 + b1 s + b0 (first order: s + w), index i is the coefficient of s^i.
// Time constant: tau2 s^2 + tau1 s + 1, index 0 is tau2 and index 1 is tau1.
enum class CoefficientForm : std::uint8_t { Monic, TimeConstant };

enum class Order : std::uint8_t { Quadratic, Cubic };
enum class Output : std::uint8_t { NonInverting, Inverting };

template <typename T>
using Evaluator = CircuitEquations<T> (*)(const Vectors<T>&);

struct AnalysisEntry {
  int stageType = -1;
  int number = 0;  // n within the type
  CoefficientForm form = CoefficientForm::Monic;
  bool cubic = false;
  bool inverting = false;
  Evaluator<double> evaluate = nullptr;
  Evaluator<analysis::Dual> evaluateDual = nullptr;
};

// F is a capture-free lambda templated on the scalar; it converts to both pointers.
template <typename F>
constexpr AnalysisEntry MakeEntry(int stageType, int number, CoefficientForm form, Order order, Output output,
                                  F evaluator) {
  return AnalysisEntry{stageType,
                       number,
                       form,
                       order == Order::Cubic,
                       output == Output::Inverting,
                       static_cast<Evaluator<double>>(evaluator),
                       static_cast<Evaluator<analysis::Dual>>(evaluator)};
}

// The members of each topology family, in the family files beside their design routines.
std::span<const AnalysisEntry> FirstOrderAnalysis();
std::span<const AnalysisEntry> SallenKeyAnalysis();
std::span<const AnalysisEntry> MultipleFeedbackAnalysis();
std::span<const AnalysisEntry> DeliyannisAnalysis();
std::span<const AnalysisEntry> FliegeAnalysis();
std::span<const AnalysisEntry> BachAnalysis();
std::span<const AnalysisEntry> TwinTAnalysis();
std::span<const AnalysisEntry> KhnAnalysis();
std::span<const AnalysisEntry> TowThomasAnalysis();
std::span<const AnalysisEntry> MikhaelBhattacharyyaAnalysis();
std::span<const AnalysisEntry> BerkaHerpyAnalysis();
std::span<const AnalysisEntry> AkerbergMossbergAnalysis();
std::span<const AnalysisEntry> FriendSabAnalysis();
std::span<const AnalysisEntry> ScultetyAnalysis();
std::span<const AnalysisEntry> BoctorAnalysis();

}  // namespace tavrin::circuits
