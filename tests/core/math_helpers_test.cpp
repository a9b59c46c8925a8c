#include <gtest/gtest.h>

#include <cmath>

#include "core/MathHelpers.h"

namespace tavrin::core {
namespace {

TEST(MathHelpers, ConventionsAtTheEdges) {
  EXPECT_EQ(Log10(0.0), -1000.0);
  EXPECT_DOUBLE_EQ(Log10(1000.0), 3.0);
  EXPECT_EQ(ATan2(0.0, 0.0), 0.0);
  EXPECT_DOUBLE_EQ(ATan2(1.0, -1.0), 3 * kPi / 4);
  EXPECT_DOUBLE_EQ(ATan2(-1.0, -1.0), -3 * kPi / 4);
  EXPECT_DOUBLE_EQ(Pow10(-2.0), 0.01);
  for (double x : {0.1, 1.0, 3.5}) {
    EXPECT_NEAR(ASinh(Sinh(x)), x, 1e-15);
    EXPECT_NEAR(ACosh(Cosh(x)), x, 1e-15);
    EXPECT_NEAR(Cosh(x) * Cosh(x) - Sinh(x) * Sinh(x), 1.0, 1e-12);
  }
}

}  // namespace
}  // namespace tavrin::core
