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

// Clearing and setting flags saves and reloads the whole x87 environment, which costs more
// than many a design routine; testing them is cheap.  So the guard clears only when a watched
// flag is up (inexact and underflow, nearly always up, are never asked about) and restores
// only when the flags differ from the caller's.
ArithmeticGuard::ArithmeticGuard() : callerFlags_(std::fetestexcept(FE_ALL_EXCEPT)) {
  std::fegetexceptflag(&saved_, FE_ALL_EXCEPT);
  if (callerFlags_ & kWatched) std::feclearexcept(kWatched);
}

ArithmeticGuard::~ArithmeticGuard() {
  if (std::fetestexcept(FE_ALL_EXCEPT) != callerFlags_) std::fesetexceptflag(&saved_, FE_ALL_EXCEPT);
}

ArithmeticError ArithmeticGuard::Raised() const {
  const int raised = std::fetestexcept(kWatched);
  if (raised & FE_OVERFLOW) return ArithmeticError::Overflow;
  if (raised & FE_DIVBYZERO) return ArithmeticError::DivisionByZero;
  if (raised & FE_INVALID) return ArithmeticError::InvalidOperation;
  return ArithmeticError::None;
}

namespace {

bool Finite(double x) {
  return std::isfinite(x);
}

// Whether every number NonFiniteIn looks at is finite: a first pass that asks nothing else,
// without a branch per number.  It runs after every design routine, and nearly always
// everything is finite.
bool AllFinite(const core::DesignState& state, int slot) {
  const core::ApproxResult& r = state.results[slot];
  bool finite = Finite(r.realPoleNorm) & Finite(r.realPole) & Finite(r.secondRealPole) &
                Finite(r.singleZero) & Finite(r.gain) & Finite(r.gainNorm) & Finite(r.largestPoleQ);
  for (int k = 1; k <= core::kMaxEntries; ++k) {
    const core::PolePair& pp = state.polePairs[slot][k];
    const core::PoleRoot& pr = state.poleRoots[slot][k];
    const core::ZeroPair& zp = state.zeroPairs[slot][k];
    const core::ZeroRoot& zr = state.zeroRoots[slot][k];
    finite &= Finite(pp.b1Norm) & Finite(pp.b0Norm) & Finite(pp.b1) & Finite(pp.b0) & Finite(pp.w0) &
              Finite(pp.Q) & Finite(pr.sigmaNorm) & Finite(pr.omegaNorm) & Finite(pr.sigma) &
              Finite(pr.omega) & Finite(zp.wz2Norm) & Finite(zp.wz2) & Finite(zr.wzNorm) & Finite(zr.wz);
  }
  return finite;
}

}  // namespace

ArithmeticError NonFiniteIn(const core::DesignState& state, int slot) {
  if (AllFinite(state, slot)) return ArithmeticError::None;
  // The first culprit, in this order, decides the error.
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
