#include "core/ByteCodec.h"

#include <algorithm>

#include "core/SixByteReal.h"

namespace tavrin::core {

void ByteWriter::I16(std::int16_t v) {
  const auto u = static_cast<std::uint16_t>(v);
  U8(static_cast<std::uint8_t>(u & 0xFF));
  U8(static_cast<std::uint8_t>(u >> 8));
}

void ByteWriter::I32(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>((u >> (8 * i)) & 0xFF));
}

void ByteWriter::Real(double v) {
  const SixBytes b = EncodeSixByteReal(v);
  Raw(b.data(), b.size());
}

void ByteWriter::ShortString(const std::string& s, std::size_t capacity) {
  const std::size_t n = std::min(s.size(), capacity);
  U8(static_cast<std::uint8_t>(n));
  Raw(reinterpret_cast<const std::uint8_t*>(s.data()), n);
  Zeros(capacity - n);
}

bool ByteReader::Take(std::size_t n, const std::uint8_t*& p) {
  if (!ok_ || n > Remaining()) {
    ok_ = false;
    pos_ = size_;
    return false;
  }
  p = data_ + pos_;
  pos_ += n;
  return true;
}

std::uint8_t ByteReader::U8() {
  const std::uint8_t* p = nullptr;
  return Take(1, p) ? p[0] : 0;
}

std::int16_t ByteReader::I16() {
  const std::uint8_t* p = nullptr;
  if (!Take(2, p)) return 0;
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

std::int32_t ByteReader::I32() {
  const std::uint8_t* p = nullptr;
  if (!Take(4, p)) return 0;
  std::uint32_t u = 0;
  for (int i = 3; i >= 0; --i) u = (u << 8) | p[i];
  return static_cast<std::int32_t>(u);
}

double ByteReader::Real() {
  const std::uint8_t* p = nullptr;
  return Take(6, p) ? DecodeSixByteReal(p) : 0.0;
}

bool ByteReader::ShortString(std::size_t capacity, std::string& out) {
  out.clear();
  const std::uint8_t* p = nullptr;
  if (!Take(capacity + 1, p)) return false;
  if (p[0] > capacity) return false;
  out.assign(reinterpret_cast<const char*>(p + 1), p[0]);
  return true;
}

void ByteReader::Skip(std::size_t n) {
  const std::uint8_t* p = nullptr;
  Take(n, p);
}

}  // namespace tavrin::core
