#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "core/SixByteReal.h"

namespace tavrin::core {
namespace {

TEST(SixByteReal, KnownEncodings) {
  EXPECT_EQ(EncodeSixByteReal(0.0), (SixBytes{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EncodeSixByteReal(1.0), (SixBytes{129, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EncodeSixByteReal(-1.0), (SixBytes{129, 0, 0, 0, 0, 0x80}));
  EXPECT_EQ(EncodeSixByteReal(2.0), (SixBytes{130, 0, 0, 0, 0, 0}));
  EXPECT_EQ(EncodeSixByteReal(0.5), (SixBytes{128, 0, 0, 0, 0, 0}));
  // 1.5 = (1 + 2^38 / 2^39): only the top fraction bit, bit 38, is set.
  EXPECT_EQ(EncodeSixByteReal(1.5), (SixBytes{129, 0, 0, 0, 0, 0x40}));
  EXPECT_EQ(EncodeSixByteReal(-3.0), (SixBytes{130, 0, 0, 0, 0, 0xC0}));
  // 10 = 1.25 * 2^3
  EXPECT_EQ(EncodeSixByteReal(10.0), (SixBytes{132, 0, 0, 0, 0, 0x20}));
  const SixBytes lowBit{129, 1, 0, 0, 0, 0};
  EXPECT_EQ(DecodeSixByteReal(lowBit), 1.0 + std::ldexp(1.0, -39));
}

TEST(SixByteReal, RandomRoundTripsKeepElevenDigits) {
  std::mt19937_64 rng(20261210);
  std::uniform_real_distribution<double> mant(-1.0, 1.0);
  std::uniform_int_distribution<int> expo(-120, 120);
  for (int i = 0; i < 200000; ++i) {
    const double x = mant(rng) * std::ldexp(1.0, expo(rng));
    if (std::fabs(x) < 2 * SixByteRealMin()) continue;  // below the format's range
    const double y = RoundToSixByteReal(x);
    // Rounding to nearest: at most half a unit of the 39-bit fraction.
    ASSERT_LE(std::fabs(y - x), std::ldexp(std::fabs(x), -39)) << x;
    ASSERT_EQ(std::signbit(x), std::signbit(y));
    // A stored value is stable: encoding it again gives the same bytes.
    ASSERT_EQ(EncodeSixByteReal(y), EncodeSixByteReal(x));
  }
}

TEST(SixByteReal, DecimalValuesOfTheDesignSurviveToElevenDigits) {
  const double values[] = {3.14159265358979, 6283.18530717959, 0.70710678118655, 1e-12, 4.7e-9,
                           12345.6789012, 1e30, -2.5e-30, 9.99999999999e37};
  for (double v : values) EXPECT_NEAR(RoundToSixByteReal(v) / v, 1.0, 1e-11) << v;
}

TEST(SixByteReal, RoundingCarriesIntoTheExponent) {
  // Just below 2: the fraction rounds up past 39 bits and becomes 2 exactly.
  const double x = std::nextafter(2.0, 0.0);
  EXPECT_EQ(RoundToSixByteReal(x), 2.0);
  EXPECT_EQ(EncodeSixByteReal(x)[0], 130);
}

TEST(SixByteReal, OutOfRangeSaturatesOrFlushes) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(RoundToSixByteReal(1e300), SixByteRealMax());
  EXPECT_EQ(RoundToSixByteReal(-1e300), -SixByteRealMax());
  EXPECT_EQ(RoundToSixByteReal(inf), SixByteRealMax());
  EXPECT_EQ(RoundToSixByteReal(-inf), -SixByteRealMax());
  EXPECT_EQ(RoundToSixByteReal(std::numeric_limits<double>::quiet_NaN()), 0.0);
  EXPECT_EQ(RoundToSixByteReal(1e-300), 0.0);
  EXPECT_EQ(RoundToSixByteReal(-0.0), 0.0);
  EXPECT_EQ(RoundToSixByteReal(SixByteRealMin()), SixByteRealMin());
  EXPECT_NEAR(SixByteRealMax(), 1.7e38, 0.01e38);
  EXPECT_NEAR(SixByteRealMin(), 2.94e-39, 0.01e-39);
}

}  // namespace
}  // namespace tavrin::core
