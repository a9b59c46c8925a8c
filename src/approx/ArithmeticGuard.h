// Arithmetic errors inside a design routine.  A routine runs under a guard; afterwards
// the guard says whether an overflow, a division by zero or an invalid operation happened,
// from the floating-point exception flags and, as a second line of defence, from any
// non-finite number the routine left behind.
#pragma once

#include <cfenv>

#include "approx/Messages.h"
#include "core/DesignState.h"

namespace tavrin::approx {

enum class ArithmeticError { None, Overflow, DivisionByZero, InvalidOperation };

// "Floating point overflow", "Floating point division by zero", "Invalid floating point operation".
const char* ArithmeticErrorText(ArithmeticError error);
// The error box: the error's text followed by ". Try using smaller numbers.".
Message ArithmeticErrorMessage(ArithmeticError error);

class ArithmeticGuard {
 public:
  ArithmeticGuard();   // remembers the caller's flags and starts with the watched ones clear
  ~ArithmeticGuard();  // gives the caller its flags back
  ArithmeticGuard(const ArithmeticGuard&) = delete;
  ArithmeticGuard& operator=(const ArithmeticGuard&) = delete;

  // The error raised since the guard was set up.  When several flags are up, the one
  // that starts a chain (an overflow or a division by zero makes infinities, which make
  // invalid operations) is the one reported.
  ArithmeticError Raised() const;

 private:
  int callerFlags_ = 0;
  std::fexcept_t saved_{};
};

// A non-finite number among a slot's results: infinity reads as an overflow, NaN as an
// invalid operation.
ArithmeticError NonFiniteIn(const core::DesignState& state, int slot);

}  // namespace tavrin::approx
