// The 6-byte real of the design file and the Bessel root table.
//   byte 0     biased exponent e (bias 129; e = 0 is the value 0)
//   bytes 1-5  39-bit fraction f, byte 1 least significant; sign in the top bit of byte 5
//   value      (-1)^sign * (1 + f / 2^39) * 2^(e - 129)
#pragma once

#include <array>
#include <cstdint>

namespace tavrin::core {

using SixBytes = std::array<std::uint8_t, 6>;

// Rounds the double's 52-bit fraction to 39 bits, to nearest with ties to even.
// Magnitudes above the largest encodable value (and infinities) saturate to it with their
// sign, magnitudes below the smallest normal value become 0, and NaN is stored as 0, so
// that a file never carries a value the reader cannot turn back into a finite number.
SixBytes EncodeSixByteReal(double x);
double DecodeSixByteReal(const SixBytes& bytes);
double DecodeSixByteReal(const std::uint8_t* bytes);

// Largest and smallest positive magnitudes the format holds.
double SixByteRealMax();
double SixByteRealMin();

// x as it reads back after a round trip through the format.
inline double RoundToSixByteReal(double x) { return DecodeSixByteReal(EncodeSixByteReal(x)); }

}  // namespace tavrin::core
