// Dense linear systems of up to five unknowns: Crout LU decomposition with implicit row
// scaling and partial pivoting, then forward and back substitution.
#pragma once

#include <array>
#include <string>

namespace tavrin::analysis {

inline constexpr int kLuMaxSize = 5;

// Rows of five reals; an n x n system uses the top-left n x n block (0-based).
using LuMatrix = std::array<std::array<double, kLuMaxSize>, kLuMaxSize>;
using LuIndex = std::array<int, kLuMaxSize>;
using LuVector = std::array<double, kLuMaxSize>;

struct LuOutcome {
  int parity = 0;       // +1 or -1: the sign of the row permutation; 0 when it failed
  std::string message;  // "Singular matrix" when a row is all zeros; empty on success
  bool ok() const { return message.empty(); }
};

// Replaces a by its LU decomposition (rows permuted as recorded in index).  A row of
// zeros stops the decomposition at once with "Singular matrix"; a zero pivot is taken
// as 1e-20 so that a merely ill-conditioned system still yields an answer.
LuOutcome LuDecompose(int n, LuMatrix& a, LuIndex& index);

// Solves A x = b in place, with a and index from a successful LuDecompose.
void LuSolve(int n, const LuMatrix& a, const LuIndex& index, LuVector& b);

}  // namespace tavrin::analysis
