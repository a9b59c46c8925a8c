// Little-endian encoding of the design file's fields: i16, i32, bytes, flags, six-byte
// reals and length-prefixed short strings.  Written field by field so the layout is the
// file's, whatever the compiler does with our structs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrin::core {

class ByteWriter {
 public:
  ByteWriter() { bytes_.reserve(16384); }  // a whole design file fits
  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void Flag(bool v) { U8(v ? 1 : 0); }
  void I16(std::int16_t v);
  void I32(std::int32_t v);
  void Real(double v);
  // A length byte and exactly `capacity` character bytes; the unused tail is zero.
  void ShortString(const std::string& s, std::size_t capacity);
  void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  void Raw(const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) bytes_.push_back(p[i]);
  }
  std::size_t Size() const { return bytes_.size(); }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Reads fields from a buffer.  Reading past the end does not throw: it sets the failure
// mark and yields zeros, so a caller checks Ok() once after a block.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t U8();
  bool Flag() { return U8() != 0; }
  std::int16_t I16();
  std::int32_t I32();
  double Real();
  // The text of a short string; false (and empty) when its length byte exceeds capacity.
  bool ShortString(std::size_t capacity, std::string& out);
  void Skip(std::size_t n);
  bool Ok() const { return ok_; }
  std::size_t Position() const { return pos_; }
  std::size_t Remaining() const { return pos_ <= size_ ? size_ - pos_ : 0; }

 private:
  bool Take(std::size_t n, const std::uint8_t*& p);
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace tavrin::core
