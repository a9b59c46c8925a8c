#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "analysis/LuSolver.h"

namespace tavrin::analysis {
namespace {

LuMatrix Matrix(std::initializer_list<std::initializer_list<double>> rows) {
  LuMatrix m{};
  int i = 0;
  for (const auto& row : rows) {
    int j = 0;
    for (double x : row) m[i][j++] = x;
    ++i;
  }
  return m;
}

// The residual A x - b with the original matrix, each row relative to the size of its
// terms: an independent check of the solution that does not mind badly scaled rows.
double Residual(int n, const LuMatrix& a, const LuVector& x, const LuVector& b) {
  double worst = 0;
  for (int i = 0; i < n; ++i) {
    double sum = -b[i];
    double size = std::abs(b[i]);
    for (int j = 0; j < n; ++j) {
      sum += a[i][j] * x[j];
      size += std::abs(a[i][j] * x[j]);
    }
    worst = std::max(worst, std::abs(sum) / size);
  }
  return worst;
}

struct SolveCase {
  const char* name;
  int n;
  LuMatrix a;
  LuVector b;
};

TEST(LuSolver, SolvesSystemsUpToFiveUnknowns) {
  const SolveCase cases[] = {
      {"5x5 dense, badly scaled rows",
       5,
       Matrix({{2, -1, 0, 3, 1},
               {1e6, 4e6, -2e6, 0, 1e6},
               {0, 1, 5, -1, 2},
               {3, 0, 1, 1, -4},
               {1e-4, 2e-4, 0, 5e-4, 1e-4}}),
       {1, 2, 3, 4, 5}},
      {"zero on the diagonal needs a row swap", 3, Matrix({{0, 1, 2}, {1, 0, 3}, {4, -3, 8}}), {1, 0, 2}},
      {"leading zeros in b",
       4,
       Matrix({{4, 1, 0, 0}, {1, 4, 1, 0}, {0, 1, 4, 1}, {0, 0, 1, 4}}),
       {0, 0, 1, 2}},
      {"one unknown", 1, Matrix({{-2.5}}), {5}},
  };
  for (const SolveCase& c : cases) {
    SCOPED_TRACE(c.name);
    LuMatrix lu = c.a;
    LuIndex index{};
    const LuOutcome outcome = LuDecompose(c.n, lu, index);
    ASSERT_TRUE(outcome.ok()) << outcome.message;
    EXPECT_TRUE(outcome.parity == 1 || outcome.parity == -1);
    LuVector x = c.b;
    LuSolve(c.n, lu, index, x);
    EXPECT_LT(Residual(c.n, c.a, x, c.b), 1e-14);
  }
}

TEST(LuSolver, ParityTimesPivotsIsTheDeterminant) {
  // det = 0*(0*8 - 3*(-3)) - 1*(1*8 - 3*4) + 2*(1*(-3) - 0*4) = 4 - 6 = -2, by cofactors.
  LuMatrix a = Matrix({{0, 1, 2}, {1, 0, 3}, {4, -3, 8}});
  LuIndex index{};
  const LuOutcome outcome = LuDecompose(3, a, index);
  ASSERT_TRUE(outcome.ok());
  double det = outcome.parity;
  for (int i = 0; i < 3; ++i) det *= a[i][i];
  EXPECT_NEAR(det, -2.0, 1e-12);
}

TEST(LuSolver, ZeroRowIsSingularAndYieldsNoSolution) {
  struct Case {
    const char* name;
    LuMatrix a;
  };
  const Case cases[] = {
      {"third row zero",
       Matrix({{1, 2, 3, 4, 5}, {2, 1, 0, 1, 2}, {0, 0, 0, 0, 0}, {5, 4, 3, 2, 1}, {1, 0, 1, 0, 1}})},
      {"second and fourth rows zero",
       Matrix({{1, 2, 3, 4, 5}, {0, 0, 0, 0, 0}, {2, 1, 0, 1, 2}, {0, 0, 0, 0, 0}, {1, 0, 1, 0, 1}})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LuMatrix a = c.a;
    LuIndex index{};
    const LuOutcome outcome = LuDecompose(5, a, index);
    EXPECT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.message, "Singular matrix");  // one message, however many zero rows
    EXPECT_EQ(outcome.parity, 0);
  }
}

TEST(LuSolver, ZeroPivotWithoutZeroRowIsNotReportedSingular) {
  // Two equal rows: no row is zero, the elimination meets a zero pivot and goes on with
  // 1e-20 in its place, so the caller still gets finite numbers.
  LuMatrix a = Matrix({{1, 2, 3}, {1, 2, 3}, {0, 1, 1}});
  LuIndex index{};
  const LuOutcome outcome = LuDecompose(3, a, index);
  EXPECT_TRUE(outcome.ok());
  bool sawTiny = false;
  for (int i = 0; i < 3; ++i) sawTiny = sawTiny || a[i][i] == 1e-20;
  EXPECT_TRUE(sawTiny);
}

}  // namespace
}  // namespace tavrin::analysis
