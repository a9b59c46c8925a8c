// JSON text written straight into a string, one value after the other, without building a
// document first.  A batch writes thousands of result objects of a few hundred numbers
// each; building every one as a nlohmann::ordered_json tree and dumping it cost more than
// designing the filter.
//
// The text is byte for byte what nlohmann::ordered_json::dump() writes for the same
// values: numbers with the library's own shortest round-trip digits ("2.0", "1e-05",
// "6283.185307179586"), non-finite numbers as null, strings escaped as dump() escapes them.
// Scripts compare our output across versions, so the two must never drift apart.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tavrin::cli {

// `x` as dump() writes a double: null when not finite.
void AppendJsonNumber(std::string& out, double x);
// `s` as a quoted JSON string.  Bytes that are not valid UTF-8 become U+FFFD rather than
// ending the program (dump() throws on them).
void AppendJsonString(std::string& out, std::string_view s);

// Appends values to `out` in order and puts the commas between them.  The caller nests
// Begin/End correctly; inside an object every value is preceded by Key().  While a value is
// being written, `out` holds working room past the text; it ends at the text again once the
// outermost value is complete (and when the writer goes).
class JsonWriter {
 public:
  explicit JsonWriter(std::string& out);
  ~JsonWriter();
  JsonWriter(const JsonWriter&) = delete;
  JsonWriter& operator=(const JsonWriter&) = delete;

  JsonWriter& BeginObject() { return Open('{'); }
  JsonWriter& EndObject() { return Close('}'); }
  JsonWriter& BeginArray() { return Open('['); }
  JsonWriter& EndArray() { return Close(']'); }
  // `key` is written as it is: our keys are plain ASCII names.
  JsonWriter& Key(std::string_view key) {
    Room(key.size() + 4);
    if (needComma_) *cur_++ = ',';
    *cur_++ = '"';
    std::memcpy(cur_, key.data(), key.size());
    cur_ += key.size();
    *cur_++ = '"';
    *cur_++ = ':';
    needComma_ = false;
    return *this;
  }

  JsonWriter& Number(double x);
  JsonWriter& Integer(std::int64_t n);
  JsonWriter& Bool(bool b) { return Literal(b ? std::string_view("true") : std::string_view("false")); }
  JsonWriter& Null() { return Literal("null"); }
  JsonWriter& String(std::string_view s);

 private:
  // Working room past the text, so that most values are written without a check per byte.
  static constexpr std::size_t kRoom = 512;
  // The longest text of a number: sign, 17 digits, point, exponent.
  static constexpr std::size_t kNumberRoom = 32;

  void Room(std::size_t n) {
    if (static_cast<std::size_t>(end_ - cur_) < n) Grow(n);
  }
  void Grow(std::size_t n);
  JsonWriter& Open(char c) {
    Room(2);
    if (needComma_) *cur_++ = ',';
    *cur_++ = c;
    needComma_ = false;
    ++depth_;
    return *this;
  }
  JsonWriter& Close(char c) {
    Room(1);
    *cur_++ = c;
    needComma_ = true;
    --depth_;
    return Done();
  }
  JsonWriter& Literal(std::string_view text) {
    Room(text.size() + 1);
    if (needComma_) *cur_++ = ',';
    std::memcpy(cur_, text.data(), text.size());
    cur_ += text.size();
    needComma_ = true;
    return Done();
  }
  // After every complete value: the outermost one leaves no room behind.
  JsonWriter& Done() {
    if (depth_ == 0) Trim();
    return *this;
  }
  void Trim();

  std::string& out_;
  std::size_t start_ = 0;   // where this writer's text begins in out_
  char* cur_ = nullptr;     // the end of the text
  char* end_ = nullptr;     // the end of the room
  bool needComma_ = false;  // a complete value precedes: the next one needs a comma
  int depth_ = 0;           // objects and arrays open

  // The digits of the last few magnitudes written.  Roots come in conjugate pairs
  // ([-s, w] then [-s, -w]), so half the numbers of a result are repeats, and their
  // digits are the costly part of the text.
  struct Digits {
    double magnitude = -1;  // never a magnitude: the entry is empty
    std::uint8_t length = 0;
    std::array<char, kNumberRoom> text{};
  };
  std::array<Digits, 4> recent_{};
  std::size_t nextRecent_ = 0;
};

}  // namespace tavrin::cli
