#include "analysis/LuSolver.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tavrin::analysis {

namespace {
constexpr double kTiny = 1e-20;
}

LuOutcome LuDecompose(int n, LuMatrix& a, LuIndex& index) {
  LuOutcome out;
  LuVector scale{};
  for (int i = 0; i < n; ++i) {
    double big = 0;
    for (int j = 0; j < n; ++j) big = std::max(big, std::abs(a[i][j]));
    if (big == 0) {
      out.message = "Singular matrix";
      return out;
    }
    scale[i] = 1 / big;
  }
  int parity = 1;
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < j; ++i) {
      double sum = a[i][j];
      for (int k = 0; k < i; ++k) sum -= a[i][k] * a[k][j];
      a[i][j] = sum;
    }
    double big = 0;
    int pivot = j;
    for (int i = j; i < n; ++i) {
      double sum = a[i][j];
      for (int k = 0; k < j; ++k) sum -= a[i][k] * a[k][j];
      a[i][j] = sum;
      const double candidate = scale[i] * std::abs(sum);
      if (candidate >= big) {
        big = candidate;
        pivot = i;
      }
    }
    if (pivot != j) {
      std::swap(a[pivot], a[j]);
      parity = -parity;
      scale[pivot] = scale[j];
    }
    index[j] = pivot;
    if (a[j][j] == 0) a[j][j] = kTiny;
    if (j != n - 1) {
      const double inv = 1 / a[j][j];
      for (int i = j + 1; i < n; ++i) a[i][j] *= inv;
    }
  }
  out.parity = parity;
  return out;
}

void LuSolve(int n, const LuMatrix& a, const LuIndex& index, LuVector& b) {
  int first = -1;  // the first non-zero element of b; the sum starts there
  for (int i = 0; i < n; ++i) {
    const int p = index[i];
    double sum = b[p];
    b[p] = b[i];
    if (first >= 0) {
      for (int j = first; j < i; ++j) sum -= a[i][j] * b[j];
    } else if (sum != 0) {
      first = i;
    }
    b[i] = sum;
  }
  for (int i = n - 1; i >= 0; --i) {
    double sum = b[i];
    for (int j = i + 1; j < n; ++j) sum -= a[i][j] * b[j];
    b[i] = sum / a[i][i];
  }
}

}  // namespace tavrin::analysis
