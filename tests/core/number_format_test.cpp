#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/NumberFormat.h"
#include "output/NetlistTemplates.h"

namespace tavrin::core {
namespace {

struct SciCase {
  double x;
  int w, d;
  const char* expected;
};

TEST(FormatScientific, SignMantissaAndExponent) {
  const SciCase cases[] = {
      {1234.5, 7, 5, " 1.23450E+3"},  {0.00047, 7, 5, " 4.70000E-4"}, {0.0, 7, 5, " 0.00000E+0"},
      {-1234.5, 7, 5, "-1.23450E+3"}, {12.0, 4, 1, " 1.2E+1"},        {100e-6, 3, 0, " 1E-4"},
      {20e-6, 3, 0, " 2E-5"},         {2e-3, 3, 0, " 2E-3"},          {1e-38, 7, 5, " 0.00000E+0"},
      {5.0, 4, 1, " 5.0E+0"},         {1.0, 3, 1, " 1.0E+0"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatScientific(c.x, c.w, c.d), c.expected) << c.x;
}

TEST(FormatFixed, RightAlignsAndGrowsWhenNeeded) {
  EXPECT_EQ(FormatFixed(1.5, 7, 3), "  1.500");
  EXPECT_EQ(FormatFixed(1, 2, 0), " 1");
  EXPECT_EQ(FormatFixed(123456.789, 4, 2), "123456.79");
  EXPECT_EQ(FormatFixed(-2.5, 6, 1), "  -2.5");
}

TEST(ParseReal, WholeTextOrZero) {
  struct {
    const char* text;
    double value;
    bool ok;
  } cases[] = {
      {"", 0, false},        {"1,5", 0, false},     {"12", 12, true},       {"100E-6", 100e-6, true},
      {" 1.2E+1", 12, true}, {"-0.5", -0.5, true},  {"+3", 3, true},        {".5", 0.5, true},
      {"5.", 5, true},       {"1e", 0, false},      {"abc", 0, false},      {"12abc", 0, false},
      {"inf", 0, false},     {"nan", 0, false},     {"0x10", 0, false},     {"1e999", 0, false},
      {"  7  ", 7, true},    {"-", 0, false},       {"1 2", 0, false},
  };
  for (const auto& c : cases) {
    double v = -1;
    EXPECT_EQ(TryParseReal(c.text, v), c.ok) << '"' << c.text << '"';
    EXPECT_EQ(ParseReal(c.text), c.value) << '"' << c.text << '"';
  }
}

TEST(TrimZeros, OnlyAfterADecimalPoint) {
  EXPECT_EQ(TrimZeros("12.5000"), "12.5");
  EXPECT_EQ(TrimZeros("3.0000"), "3");
  EXPECT_EQ(TrimZeros("120"), "120");
  EXPECT_EQ(TrimZeros("  4.7000"), "4.7");
  EXPECT_EQ(TrimZeros("100.000"), "100");
  EXPECT_EQ(TrimLeadingBlanks("  a b "), "a b ");
  EXPECT_EQ(TrimTrailingBlanks("  a b "), "  a b");
  EXPECT_EQ(TrimLeadingBlanks("   "), "");
}

TEST(RoundDigits, RoundsToNPlusOneCharacters) {
  struct {
    const char* text;
    int n;
    const char* expected;
  } cases[] = {
      {"12.3456", 3, "12.3"},  {"12.3456", 5, "12.346"}, {"999.96", 3, "999"},  // no rounding at the point
      {"4.7", 3, "4.7"},       {"1.2345", 3, "1.23"},    {"1.2355", 3, "1.24"},  {"1.2399", 3, "1.24"},
      {"1.2999", 3, "1.30"},   {"19.96", 3, "20.0"},     {"4.9996", 4, "5.000"}, {"99.96", 3, "100"},
      {"9.996", 3, "10.0"},    {"999.7", 2, "999"},      {"12.34", 2, "12"},
  };
  for (const auto& c : cases) EXPECT_EQ(RoundDigits(c.text, c.n), c.expected) << c.text << " n=" << c.n;
}

TEST(FormatComponents, CapacitanceAndResistanceUnits) {
  struct {
    double value;
    bool spice;
    const char* cap;
  } caps[] = {
      {4.7e-9, false, "4.7nF"}, {1e-6, false, "1uF"}, {220e-12, false, "220pF"}, {10e-6, false, "10uF"},
      {1.2345e-9, false, "1.23nF"}, {1.2345e-9, true, "1.2345nF"}, {996e-12, false, "996pF"},
      {33.33e-9, true, "33.33nF"},
  };
  for (const auto& c : caps) EXPECT_EQ(FormatCapacitance(c.value, c.spice), c.cap) << c.value;

  struct {
    double value;
    bool spice;
    const char* res;
  } res[] = {
      {0, false, "  N/A"},  {10000, false, "10K"}, {1.5e6, false, "1.5M"},    {4990, false, "4.99K"},
      {2.2e9, false, "2.2G"}, {470, false, "470"},  {12345.6, false, "12.35K"}, {12345.6, true, "12.346K"},
      {999.96, false, "1000"},
  };
  for (const auto& r : res) EXPECT_EQ(FormatResistance(r.value, r.spice), r.res) << r.value;
}

TEST(FormatFrequency, BothDisplayUnits) {
  EXPECT_EQ(FormatFrequency(9424.778, FrequencyUnit::Hz), "1.5 KHz");
  EXPECT_EQ(FormatFrequency(9424.778, FrequencyUnit::RadPerSec), "9.425 Krad/s");
  EXPECT_EQ(FormatFrequency(2 * 3.14159265358979 * 50, FrequencyUnit::Hz), "50 Hz");
  EXPECT_EQ(FormatFrequency(2 * 3.14159265358979 * 2.5e6, FrequencyUnit::Hz), "2.5 MHz");
  EXPECT_EQ(FormatFrequency(3e9, FrequencyUnit::RadPerSec), "3 Grad/s");
  EXPECT_EQ(FormatFrequency(0.5, FrequencyUnit::RadPerSec), "0.5 rad/s");
}

TEST(ApproximationLabel, FixedTextsAndNames) {
  EXPECT_EQ(ApproximationLabel(0), "Butterworth" + std::string(15, ' ') + "N");
  EXPECT_EQ(ApproximationLabel(1), "Chebyshev" + std::string(21, ' ') + "N");
  EXPECT_EQ(ApproximationLabel(2), "Inverse Chebyshev" + std::string(13, ' ') + "N");
  EXPECT_EQ(ApproximationLabel(3), "Elliptic  (Cauer)" + std::string(17, ' ') + "N");
  EXPECT_EQ(ApproximationLabel(4), "Bessel (Thompson)" + std::string(13, ' ') + "N");
  const char* names[] = {"Butterworth", "Chebyshev", "Inverse Chebyshev", "Elliptic", "Bessel (Thompson)"};
  for (int slot = 0; slot < 5; ++slot) EXPECT_EQ(ApproximationName(slot), names[slot]);
}

TEST(ApproximationLabel, AlignsTheFinalNWithAProportionalMeasure) {
  // Blanks narrower than letters, as in a proportional font.
  const auto width = [](const std::string& s) {
    int w = 0;
    for (char c : s) w += c == ' ' ? 3 : 7;
    return w;
  };
  const int target = width(ApproximationLabel(0));
  for (int slot = 1; slot < 5; ++slot) {
    const std::string label = AlignApproximationLabel(slot, width);
    EXPECT_EQ(label.back(), 'N');
    EXPECT_EQ(label.rfind(ApproximationName(slot), 0), 0u);
    EXPECT_GE(width(label), target) << slot;
    EXPECT_LT(width(label) - 3, target) << slot;
  }
  EXPECT_EQ(AlignApproximationLabel(0, width), ApproximationLabel(0));
}

// Typed values read as the program writes them and as SPICE reads them.  The factor goes
// into the exponent, so each value is the double nearest what was typed: equality holds.
TEST(ParseComponentValue, NumbersScaleFactorsAndUnits) {
  constexpr ValueKind R = ValueKind::Resistance;
  constexpr ValueKind C = ValueKind::Capacitance;
  constexpr ValueKind N = ValueKind::Number;
  struct Case {
    const char* text;
    ValueKind kind;
    double expected;
  };
  const Case cases[] = {
      // what FormatResistance and the netlist write
      {"10K", R, 10e3},
      {"3.979K", R, 3979},
      {"1.5M", R, 1.5e6},
      {"1.5MEG", R, 1.5e6},
      {"2.2G", R, 2.2e9},
      {"470", R, 470},
      {"12.346K", R, 12346},
      // SPICE's spellings of resistances
      {"10k", R, 10e3},
      {"1.5meg", R, 1.5e6},
      {"1.5Meg", R, 1.5e6},
      {"1000000m", R, 1000},  // a small m is milli, also for a resistance
      {"10kohm", R, 10e3},
      {"10Ohm", R, 10},
      {"1.5MOHM", R, 1.5e6},
      {"1T", R, 1e12},
      {"2.2e3", R, 2200},
      {"1e3k", R, 1e6},
      {" 10K ", R, 10e3},
      {"+4.7K", R, 4700},
      {"-1k", R, -1000},  // a sign reads; the caller decides what a negative part means
      // what FormatCapacitance writes, and SPICE's forms
      {"10nF", C, 10e-9},
      {"4.7pF", C, 4.7e-12},
      {"1uF", C, 1e-6},
      {"220NF", C, 220e-9},
      {"10n", C, 10e-9},
      {"100p", C, 100e-12},
      {".5u", C, 0.5e-6},
      {"2.2E-9", C, 2.2e-9},
      {"1M", C, 1e-3},  // milli for a capacitance, whatever the case
      {"1mF", C, 1e-3},
      {"1F", C, 1e-15},  // SPICE's femto
      {"1fF", C, 1e-15},
      {"1MEG", C, 1e6},
      // plain numbers of the design options
      {"1MEG", N, 1e6},
      {"1M", N, 1e-3},
      {"10k", N, 10e3},
      {"62.83", N, 62.83},
      {"1e-3", N, 1e-3},
      {"0", N, 0},
  };
  for (const Case& c : cases) {
    const std::optional<double> v = ParseComponentValue(c.text, c.kind);
    ASSERT_TRUE(v.has_value()) << '"' << c.text << '"';
    EXPECT_EQ(*v, c.expected) << '"' << c.text << '"';
  }
}

TEST(ParseComponentValue, RefusesWhatIsNotAValueOfItsKind) {
  struct Case {
    ValueKind kind;
    std::vector<const char*> texts;
  };
  const Case cases[] = {
      {ValueKind::Resistance,
       {"", "k", "K10", "10x", "2x", "10 K", "1.5 MEG", "1,5K", "1.5.2K", "--1", "+-1", "  N/A", "N/A", "4k7",
        "10KK", "10KF", "10nF", "1MEGF"}},
      {ValueKind::Capacitance, {"   ", "1E-", "1e-400", "10nOHM", "10ohm", "10nFF", "10uH"}},
      {ValueKind::Number,
       {"1e", "1e+", "1e3.5", "nan", "inf", "0x10", "1e400", "1e999999999999999999999", "10nF", "10kohm"}},
  };
  for (const Case& c : cases)
    for (const char* text : c.texts)
      EXPECT_FALSE(ParseComponentValue(text, c.kind).has_value()) << '"' << text << '"';
}

// Every value text the program writes for a part reads back to that part's value within
// the last digit it shows: the schematic and report texts, and the netlist's (one digit
// more, mega as "MEG").
TEST(ParseComponentValue, ReadsBackEveryTextTheFormattersWrite) {
  // One unit of the text's last digit, in ohms or farads: the decimals shown times the
  // factor the formatter chose for the value's range.
  const auto lastDigit = [](const std::string& text, double factor) {
    const auto point = text.find('.');
    int decimals = 0;
    if (point != std::string::npos)
      while (point + 1 + static_cast<std::size_t>(decimals) < text.size() &&
             std::isdigit(static_cast<unsigned char>(text[point + 1 + static_cast<std::size_t>(decimals)])))
        ++decimals;
    return factor * std::pow(10.0, -decimals);
  };
  int checked = 0;
  for (double r = 0.5; r < 5e9; r *= 1.0379) {
    const double factor = r >= 1e9 ? 1e9 : r >= 1e6 ? 1e6 : r >= 1e3 ? 1e3 : 1;
    for (const std::string& text :
         {FormatResistance(r, false), FormatResistance(r, true), output::SpiceResistance(r)}) {
      const std::optional<double> v = ParseComponentValue(text, ValueKind::Resistance);
      ASSERT_TRUE(v.has_value()) << text << " for " << r;
      EXPECT_LE(std::abs(*v - r), lastDigit(text, factor) * (1 + 1e-9)) << text << " for " << r;
      ++checked;
    }
  }
  for (double c = 1e-12; c < 5e-4; c *= 1.0379) {
    const double factor = c < 9.9999e-10 ? 1e-12 : c < 9.9999e-7 ? 1e-9 : 1e-6;
    for (const std::string& text :
         {FormatCapacitance(c, false), FormatCapacitance(c, true), output::SpiceCapacitance(c)}) {
      const std::optional<double> v = ParseComponentValue(text, ValueKind::Capacitance);
      ASSERT_TRUE(v.has_value()) << text << " for " << c;
      EXPECT_LE(std::abs(*v - c), lastDigit(text, factor) * (1 + 1e-9)) << text << " for " << c;
      ++checked;
    }
  }
  EXPECT_GT(checked, 1500);
  // The texts that tell mega from milli, exactly.
  EXPECT_EQ(FormatResistance(1.5e6), "1.5M");
  EXPECT_EQ(ParseComponentValue(FormatResistance(1.5e6), ValueKind::Resistance), 1.5e6);
  EXPECT_EQ(output::SpiceResistance(1.5e6), "1.5MEG");
  EXPECT_EQ(ParseComponentValue(output::SpiceResistance(1.5e6), ValueKind::Resistance), 1.5e6);
}

}  // namespace
}  // namespace tavrin::core
