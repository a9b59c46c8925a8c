#include "core/NumberFormat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/MathHelpers.h"

namespace tavrin::core {

std::string FormatFixed(double x, int w, int d) {
  char small[128];
  const int n = std::snprintf(small, sizeof small, "%*.*f", w, d, x);
  if (n < 0) return std::string();
  if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, static_cast<std::size_t>(n));
  // Values like 1e300 with fixed decimals need more room.
  std::string out(static_cast<std::size_t>(n), '\0');
  std::vector<char> buf(out.size() + 1);
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-truncation"
#endif
  std::snprintf(buf.data(), buf.size(), "%*.*f", w, d, x);
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
  out.assign(buf.data(), out.size());
  return out;
}

std::string FormatScientific(double x, int w, int d) {
  const std::string sign = x >= 0 ? " " : "-";
  double m = std::fabs(x);
  if (m <= 1e-37) m = 0;
  int e = 0;
  char expSign = '+';
  while (m >= 10) {
    m /= 10;
    ++e;
  }
  while (m < 0.99999999 && m != 0) {
    m *= 10;
    ++e;
    expSign = '-';
  }
  return sign + TrimLeadingBlanks(FormatFixed(m, w, d)) + "E" + expSign + std::to_string(e);
}

bool TryParseReal(const std::string& text, double& value) {
  value = 0;
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  if (b == e) return false;
  std::string s = text.substr(b, e - b);

  // Accept exactly: [sign] digits [. digits] [E [sign] digits] with a digit in the mantissa.
  std::size_t i = 0;
  if (s[i] == '+' || s[i] == '-') ++i;
  std::size_t digits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != s.size()) return false;

  if (s[0] == '+') s.erase(0, 1);
  double v = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || ptr != s.data() + s.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

double ParseReal(const std::string& text) {
  double v = 0;
  return TryParseReal(text, v) ? v : 0.0;
}

std::string TrimLeadingBlanks(const std::string& text) {
  const auto p = text.find_first_not_of(' ');
  return p == std::string::npos ? std::string() : text.substr(p);
}

std::string TrimTrailingBlanks(const std::string& text) {
  const auto p = text.find_last_not_of(' ');
  return p == std::string::npos ? std::string() : text.substr(0, p + 1);
}

std::string TrimZeros(const std::string& text) {
  std::string s = text;
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  return TrimLeadingBlanks(s);
}

std::string RoundDigits(const std::string& text, int n) {
  const auto len = static_cast<int>(text.size());
  if (n < 0 || len <= n + 1) return text;
  std::string s = text;
  if (s[n + 1] > '4' && std::isdigit(static_cast<unsigned char>(s[n + 1]))) {
    if (s[n] != '.') ++s[n];
    // Carry: a digit pushed past '9' reads as ':'.
    for (auto p = s.find(':'); p != std::string::npos; p = s.find(':')) {
      s[p] = '0';
      std::size_t q = p;
      if (q > 0 && s[q - 1] == '.') --q;
      if (q > 0 && std::isdigit(static_cast<unsigned char>(s[q - 1]))) {
        ++s[q - 1];
      } else {
        // The carry ran out of the leading digit: 99.96 becomes 100.06 before the cut.
        s.insert(q, 1, '1');
      }
    }
  }
  return s[n] == '.' ? s.substr(0, n) : s.substr(0, n + 1);
}

namespace {
std::string ValueText(double value, int n) {
  return RoundDigits(TrimZeros(FormatFixed(value, 7, 4)), n);
}
}  // namespace

std::string FormatCapacitance(double c, bool spicePrecision) {
  const int n = spicePrecision ? 5 : 3;
  if (c < 9.9999e-10) return ValueText(c * 1e12, n) + "pF";
  if (c < 9.9999e-7) return ValueText(c * 1e9, n) + "nF";
  if (c < 9.9999e-4) return ValueText(c * 1e6, n) + "uF";
  return ValueText(c, n);
}

std::string FormatResistance(double r, bool spicePrecision) {
  const int n = spicePrecision ? 5 : 4;
  if (r == 0) return "  N/A";
  if (r >= 1e9) return ValueText(r * 1e-9, n) + "G";
  if (r >= 1e6) return ValueText(r * 1e-6, n) + "M";
  if (r >= 1000) return ValueText(r * 0.001, n) + "K";
  return ValueText(r, n);
}

namespace {

char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool EqualsIgnoringCase(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (Upper(text[i]) != upper[i]) return false;
  return true;
}

// The power of ten of the scale factor at the front of `rest`, and how many letters it takes.
struct ScaleFactor {
  int exponent = 0;
  std::size_t length = 0;
};

ScaleFactor LeadingScaleFactor(std::string_view rest, ValueKind kind) {
  if (rest.size() >= 3 && EqualsIgnoringCase(rest.substr(0, 3), "MEG")) return {6, 3};
  if (rest.empty()) return {};
  switch (Upper(rest.front())) {
    case 'T':
      return {12, 1};
    case 'G':
      return {9, 1};
    case 'K':
      return {3, 1};
    case 'M':
      return {kind == ValueKind::Resistance && rest.front() == 'M' ? 6 : -3, 1};
    case 'U':
      return {-6, 1};
    case 'N':
      return {-9, 1};
    case 'P':
      return {-12, 1};
    case 'F':
      return {-15, 1};
    default:
      return {};
  }
}

}  // namespace

std::optional<double> ParseComponentValue(std::string_view text, ValueKind kind) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return std::nullopt;

  // [sign] digits [. digits] with a digit somewhere, then [E [sign] digits].
  std::size_t i = 0;
  if (text[i] == '+' || text[i] == '-') ++i;
  const std::size_t mantissaStart = text[0] == '+' ? 1 : 0;  // from_chars takes no '+'
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  const std::string_view mantissa = text.substr(mantissaStart, i - mantissaStart);
  long long exponent = 0;
  if (i < text.size() && Upper(text[i]) == 'E') {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    std::size_t e = j;
    while (e < text.size() && IsDigit(text[e])) ++e;
    if (e == j) return std::nullopt;  // "E" is no scale factor: an exponent needs its digits
    const char* from = text.data() + i + 1;
    if (*from == '+') ++from;
    const auto [end, ec] = std::from_chars(from, text.data() + e, exponent);
    if (ec != std::errc() || end != text.data() + e) return std::nullopt;
    // Far beyond any double either way; kept small so adding the factor cannot overflow.
    exponent = std::clamp(exponent, -100000LL, 100000LL);
    i = e;
  }

  std::string_view rest = text.substr(i);
  const ScaleFactor scale = LeadingScaleFactor(rest, kind);
  rest.remove_prefix(scale.length);
  const bool unitFits = rest.empty() || (kind == ValueKind::Capacitance && EqualsIgnoringCase(rest, "F")) ||
                        (kind == ValueKind::Resistance && EqualsIgnoringCase(rest, "OHM"));
  if (!unitFits) return std::nullopt;

  // The factor goes into the exponent, so "4.7n" is the double nearest 4.7e-9, as typed.
  const std::string decimal = std::string(mantissa) + "e" + std::to_string(exponent + scale.exponent);
  double value = 0;
  const auto [end, ec] = std::from_chars(decimal.data(), decimal.data() + decimal.size(), value);
  if (ec != std::errc() || end != decimal.data() + decimal.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::string FormatFrequency(double w, FrequencyUnit unit) {
  const bool hz = unit == FrequencyUnit::Hz;
  const double f = hz ? w * 0.5 / kPi : w;
  const char* const units[2][4] = {{" Grad/s", " Mrad/s", " Krad/s", " rad/s"},
                                   {" GHz", " MHz", " KHz", " Hz"}};
  const auto& u = units[hz ? 1 : 0];
  double v = f;
  const char* unitText = u[3];
  if (f >= 1e9) {
    v = f * 1e-9;
    unitText = u[0];
  } else if (f >= 1e6) {
    v = f * 1e-6;
    unitText = u[1];
  } else if (f >= 1000) {
    v = f * 0.001;
    unitText = u[2];
  }
  return TrimZeros(FormatFixed(v, 7, 3)) + unitText;
}

namespace {
const std::array<std::string, kSlotCount> kLabels = {
    "Butterworth" + std::string(15, ' ') + "N",
    "Chebyshev" + std::string(21, ' ') + "N",
    "Inverse Chebyshev" + std::string(13, ' ') + "N",
    "Elliptic  (Cauer)" + std::string(17, ' ') + "N",
    "Bessel (Thompson)" + std::string(13, ' ') + "N",
};
}  // namespace

std::string ApproximationLabel(int slot) {
  if (slot < 0 || slot >= kSlotCount) return std::string();
  return kLabels[slot];
}

std::string ApproximationName(int slot) {
  const std::string label = ApproximationLabel(slot);
  auto p = label.find("  ");
  if (p == std::string::npos) p = label.find(' ');
  return p == std::string::npos ? label : label.substr(0, p);
}

std::string AlignApproximationLabel(int slot, const std::function<int(const std::string&)>& width) {
  std::string text = ApproximationLabel(slot);
  if (slot <= 0 || slot >= kSlotCount) return text;
  const int target = width(kLabels[0]);
  // Shorten first, then widen: the loop ends once the text is no longer narrower.
  while (width(text) > target && text.size() > 2 && text[text.size() - 2] == ' ')
    text.erase(text.size() - 2, 1);
  // A measure that never grows would spin forever; a label is never that far off.
  for (int guard = 0; width(text) < target && guard < 256; ++guard) text.insert(text.size() - 1, 1, ' ');
  return text;
}

}  // namespace tavrin::core
