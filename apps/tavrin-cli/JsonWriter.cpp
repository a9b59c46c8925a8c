#include "JsonWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

namespace tavrin::cli {

namespace {

// The library's own number formatter, the one dump() calls: its Grisu2 digits are not
// always the shortest that std::to_chars would give, and the text must be the same.
// `x` is finite; `room` holds at least 32 characters.
char* WriteFinite(char* room, double x) {
  return nlohmann::detail::to_chars(room, room + 32, x);
}

bool IsPlain(std::string_view s) {
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7E || c == '"' || c == '\\') return false;
  }
  return true;
}

}  // namespace

void AppendJsonNumber(std::string& out, double x) {
  if (!std::isfinite(x)) {
    out += "null";
    return;
  }
  char buf[32];
  out.append(buf, static_cast<std::size_t>(WriteFinite(buf, x) - buf));
}

void AppendJsonString(std::string& out, std::string_view s) {
  if (IsPlain(s)) {
    out += '"';
    out += s;
    out += '"';
    return;
  }
  // Escapes, control characters and UTF-8 are rare (messages quoting what a line held):
  // let the library write them.
  out += nlohmann::ordered_json(std::string(s))
             .dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

JsonWriter::JsonWriter(std::string& out) : out_(out), start_(out.size()) {
  out_.resize(start_ + kRoom);
  cur_ = out_.data() + start_;
  end_ = out_.data() + out_.size();
}

JsonWriter::~JsonWriter() {
  Trim();
}

void JsonWriter::Trim() {
  out_.resize(static_cast<std::size_t>(cur_ - out_.data()));
  end_ = cur_;
}

void JsonWriter::Grow(std::size_t n) {
  // The room doubles with the text written so far: resizing fills the room with zeros, and
  // small steps did that again and again.
  const auto used = static_cast<std::size_t>(cur_ - out_.data());
  out_.resize(used + n + std::max(kRoom, used - start_));
  cur_ = out_.data() + used;
  end_ = out_.data() + out_.size();
}

JsonWriter& JsonWriter::Number(double x) {
  Room(kNumberRoom + 2);  // comma, sign, digits
  if (needComma_) *cur_++ = ',';
  needComma_ = true;
  const double magnitude = std::fabs(x);
  if (!std::isfinite(x) || magnitude == 0) {
    if (std::isfinite(x)) {
      cur_ = WriteFinite(cur_, x);
    } else {
      std::memcpy(cur_, "null", 4);
      cur_ += 4;
    }
    return Done();
  }
  // The library writes a negative number as '-' and the digits of its magnitude.
  if (std::signbit(x)) *cur_++ = '-';
  // The whole buffer is copied (the room allows it), which is cheaper than copying a
  // length known only now.
  for (const Digits& d : recent_) {
    if (d.magnitude == magnitude) {
      std::memcpy(cur_, d.text.data(), d.text.size());
      cur_ += d.length;
      return Done();
    }
  }
  Digits& d = recent_[nextRecent_];
  nextRecent_ = (nextRecent_ + 1) % recent_.size();
  d.magnitude = magnitude;
  d.length = static_cast<std::uint8_t>(WriteFinite(d.text.data(), magnitude) - d.text.data());
  std::memcpy(cur_, d.text.data(), d.text.size());
  cur_ += d.length;
  return Done();
}

JsonWriter& JsonWriter::Integer(std::int64_t n) {
  Room(24);
  if (needComma_) *cur_++ = ',';
  needComma_ = true;
  cur_ = std::to_chars(cur_, end_, n).ptr;
  return Done();
}

JsonWriter& JsonWriter::String(std::string_view s) {
  if (IsPlain(s)) {
    Room(s.size() + 3);
    if (needComma_) *cur_++ = ',';
    needComma_ = true;
    *cur_++ = '"';
    std::memcpy(cur_, s.data(), s.size());
    cur_ += s.size();
    *cur_++ = '"';
    return Done();
  }
  std::string text;
  AppendJsonString(text, s);
  return Literal(text);
}

}  // namespace tavrin::cli
