#include "approx/ArithmeticGuard.h"

#include <cmath>

namespace tavrin::approx {

namespace {
constexpr int kWatched = FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID;

ArithmeticError Classify(double x) {
  if (std::isnan(x)) return ArithmeticError::InvalidOperation;
  if (std::isinf(x)) return ArithmeticError::Overflow;
  return ArithmeticError::None;
}
}  // namespace

const char* ArithmeticErrorText(ArithmeticError error) {
  switch (error) {
    case ArithmeticError::Overflow:
      return "Floating point overflow";
    case ArithmeticError::DivisionByZero:
      return "Floating point division by zero";
    case ArithmeticError::InvalidOperation:
      return "Invalid floating point operation";
    case ArithmeticError::None:
      break;
  }
  return "";
}

Message ArithmeticErrorMessage(ArithmeticError error) {
  Message m;
  m.text = std::string(ArithmeticErrorText(error)) + ". Try using smaller numbers.";
  m.kind = MessageKind::Error;
  m.buttons = MessageButtons::Ok;
  return m;
}

ArithmeticGuard::ArithmeticGuard() {
  std::fegetexceptflag(&saved_, FE_ALL_EXCEPT);
  std::feclearexcept(FE_ALL_EXCEPT);
}

ArithmeticGuard::~ArithmeticGuard() {
  std::fesetexceptflag(&saved_, FE_ALL_EXCEPT);
}

ArithmeticError ArithmeticGuard::Raised() const {
  const int raised = std::fetestexcept(kWatched);
  if (raised & FE_OVERFLOW) return ArithmeticError::Overflow;
  if (raised & FE_DIVBYZERO) return ArithmeticError::DivisionByZero;
  if (raised & FE_INVALID) return ArithmeticError::InvalidOperation;
  return ArithmeticError::None;
}

ArithmeticError NonFiniteIn(const core::DesignState& state, int slot) {
  ArithmeticError found = ArithmeticError::None;
  auto check = [&found](double x) {
    if (found == ArithmeticError::None) found = Classify(x);
  };
  const core::ApproxResult& r = state.results[slot];
  for (double x :
       {r.realPoleNorm, r.realPole, r.secondRealPole, r.singleZero, r.gain, r.gainNorm, r.largestPoleQ})
    check(x);
  for (int k = 1; k <= core::kMaxEntries; ++k) {
    const core::PolePair& pp = state.polePairs[slot][k];
    for (double x : {pp.b1Norm, pp.b0Norm, pp.b1, pp.b0, pp.w0, pp.Q}) check(x);
    const core::PoleRoot& pr = state.poleRoots[slot][k];
    for (double x : {pr.sigmaNorm, pr.omegaNorm, pr.sigma, pr.omega}) check(x);
    check(state.zeroPairs[slot][k].wz2Norm);
    check(state.zeroPairs[slot][k].wz2);
    check(state.zeroRoots[slot][k].wzNorm);
    check(state.zeroRoots[slot][k].wz);
  }
  return found;
}

}  // namespace tavrin::approx
