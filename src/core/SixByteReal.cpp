#include "core/SixByteReal.h"

#include <cmath>

namespace tavrin::core {

namespace {
constexpr int kBias = 129;
constexpr int kFractionBits = 39;
constexpr std::uint64_t kFractionLimit = std::uint64_t{1} << kFractionBits;

SixBytes Pack(int exponent, std::uint64_t fraction, bool negative) {
  SixBytes b{};
  b[0] = static_cast<std::uint8_t>(exponent);
  if (negative) fraction |= kFractionLimit;  // bit 39: the top bit of byte 5
  for (int i = 1; i <= 5; ++i) {
    b[i] = static_cast<std::uint8_t>(fraction & 0xFF);
    fraction >>= 8;
  }
  return b;
}
}  // namespace

double SixByteRealMax() { return std::ldexp(2.0 - std::ldexp(1.0, -kFractionBits), 255 - kBias); }
double SixByteRealMin() { return std::ldexp(1.0, 1 - kBias); }

SixBytes EncodeSixByteReal(double x) {
  if (std::isnan(x) || x == 0.0) return SixBytes{};
  const bool negative = std::signbit(x);
  const double m = std::fabs(x);
  if (std::isinf(m) || m >= SixByteRealMax()) return Pack(255, kFractionLimit - 1, negative);

  int binExp = 0;
  const double mant = std::frexp(m, &binExp);  // m = mant * 2^binExp, mant in [0.5, 1)
  int exponent = binExp - 1 + kBias;
  // (2 mant - 1) * 2^39 is exact in double; nearbyint rounds ties to even.
  auto fraction = static_cast<std::uint64_t>(std::nearbyint(std::ldexp(2.0 * mant - 1.0, kFractionBits)));
  if (fraction == kFractionLimit) {
    fraction = 0;
    ++exponent;
  }
  if (exponent < 1) return SixBytes{};
  if (exponent > 255) return Pack(255, kFractionLimit - 1, negative);
  return Pack(exponent, fraction, negative);
}

double DecodeSixByteReal(const std::uint8_t* b) {
  if (b[0] == 0) return 0.0;
  std::uint64_t fraction = 0;
  for (int i = 5; i >= 1; --i) fraction = (fraction << 8) | b[i];
  const bool negative = (fraction & kFractionLimit) != 0;
  fraction &= kFractionLimit - 1;
  const double v = std::ldexp(1.0 + std::ldexp(static_cast<double>(fraction), -kFractionBits), b[0] - kBias);
  return negative ? -v : v;
}

double DecodeSixByteReal(const SixBytes& bytes) { return DecodeSixByteReal(bytes.data()); }

}  // namespace tavrin::core
