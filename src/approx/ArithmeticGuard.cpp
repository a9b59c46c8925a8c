#include "approx/ArithmeticGuard.h"

#include <bit>
#include <cmath>
#include <cstdint>

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

// A double is infinite or NaN exactly when its exponent bits are all ones.  Testing the
// bits keeps the first pass free of branches and of floating-point compares, so that it
// runs through each table as straight integer work.
constexpr std::uint64_t kExponentBits = 0x7ff0000000000000u;

std::uint64_t NonFiniteBits(double x) {
  return static_cast<std::uint64_t>((std::bit_cast<std::uint64_t>(x) & kExponentBits) == kExponentBits);
}

// Whether every number NonFiniteIn looks at is finite: a first pass that asks nothing else.
// It runs after every design routine, and nearly always everything is finite.
bool AllFinite(const core::DesignState& state, int slot) {
  const core::ApproxResult& r = state.results[slot];
  std::uint64_t bad = NonFiniteBits(r.realPoleNorm) | NonFiniteBits(r.realPole) |
                      NonFiniteBits(r.secondRealPole) | NonFiniteBits(r.singleZero) | NonFiniteBits(r.gain) |
                      NonFiniteBits(r.gainNorm) | NonFiniteBits(r.largestPoleQ);
  const auto& pairs = state.polePairs[slot];
  const auto& roots = state.poleRoots[slot];
  const auto& zeroPairs = state.zeroPairs[slot];
  const auto& zeroRoots = state.zeroRoots[slot];
  for (int k = 1; k <= core::kMaxEntries; ++k) {
    // The residues of a pole root belong to the time responses, not to the design.
    const core::PolePair& pp = pairs[k];
    const core::PoleRoot& pr = roots[k];
    bad |= NonFiniteBits(pp.b1Norm) | NonFiniteBits(pp.b0Norm) | NonFiniteBits(pp.b1) | NonFiniteBits(pp.b0) |
           NonFiniteBits(pp.w0) | NonFiniteBits(pp.Q) | NonFiniteBits(pr.sigmaNorm) | NonFiniteBits(pr.omegaNorm) |
           NonFiniteBits(pr.sigma) | NonFiniteBits(pr.omega) | NonFiniteBits(zeroPairs[k].wz2Norm) |
           NonFiniteBits(zeroPairs[k].wz2) | NonFiniteBits(zeroRoots[k].wzNorm) | NonFiniteBits(zeroRoots[k].wz);
  }
  return bad == 0;
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
