// The JSON writer of the command line against the library whose text it stands in for:
// every number, string and nesting must come out exactly as nlohmann::ordered_json::dump().
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "JsonWriter.h"

namespace tavrin::cli {
namespace {

using Json = nlohmann::ordered_json;

std::string Written(const std::vector<double>& values) {
  std::string out;
  JsonWriter w(out);
  w.BeginArray();
  for (double x : values) w.Number(x);
  w.EndArray();
  return out;
}

// What the library writes; non-finite numbers as the null it writes for them.
std::string Dumped(const std::vector<double>& values) {
  Json a = Json::array();
  for (double x : values) a.push_back(std::isfinite(x) ? Json(x) : Json(nullptr));
  return a.dump();
}

double FromBits(std::uint64_t bits) {
  double x = 0;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

TEST(JsonWriter, NumbersAreWrittenAsTheLibraryDumpsThem) {
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<double> edges = {0.0, -0.0, 1.0, -1.0, 2.0, 0.1, 0.3, 2.0 / 3, 6283.185307179586};
  // Where the text changes from fixed to exponent form, at both ends.
  edges.insert(edges.end(), {1e-4, 1e-5, 1.5e-5, 1e15, 1e16, 1e17, 1e21, 1e22, 123456789012345680.0});
  // The extremes; what is not finite is null.
  edges.insert(edges.end(), {DBL_MAX, -DBL_MAX, DBL_MIN, 5e-324, -5e-324, inf, -inf, std::nan("")});
  EXPECT_EQ(Written(edges), Dumped(edges));
}

TEST(JsonWriter, RandomNumbersAndTheirRepeatsAreWrittenAsTheLibraryDumpsThem) {
  // Any bit pattern, then the same magnitudes again with either sign and in another
  // order: the writer reuses the digits of recent magnitudes, so a reuse of the wrong
  // digits or sign shows here.
  std::mt19937_64 random(20240611);
  std::vector<double> values;
  for (int i = 0; i < 20000; ++i) {
    const double x = FromBits(random());
    values.push_back(x);
    values.push_back(random() % 2 ? -x : x);
    if (i % 3 == 0 && values.size() >= 4) {
      const double again = values[values.size() - 4 + static_cast<std::size_t>(i % 2)];
      values.push_back(again);
    }
  }
  // Roots as the calculate object lists them: [re, im], [re, -im].
  std::uniform_real_distribution<double> scale(-12, 12);
  for (int i = 0; i < 5000; ++i) {
    const double re = -std::pow(10.0, scale(random));
    const double im = std::pow(10.0, scale(random));
    for (double x : {re, im, re, -im}) values.push_back(x);
  }
  EXPECT_EQ(Written(values), Dumped(values));
}

TEST(JsonWriter, NestingAndStringsAreWrittenAsTheLibraryDumpsThem) {
  struct Case {
    const char* name;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"plain", "Butterworth"},
      {"empty", ""},
      {"quote and backslash", "a\"b\\c"},
      {"control characters, NUL too", std::string("tab\there\nnew\x01\x1f\0end", 18)},
      {"delete is not escaped", "x\x7fy"},
      {"UTF-8 stays as it is", "\xcf\x89p = 2 \xcf\x80 f"},
  };
  for (const Case& c : cases) {
    std::string out;
    {
      JsonWriter w(out);
      w.BeginObject().Key("line").Integer(-12).Key("s").String(c.text).Key("list").BeginArray();
      w.BeginObject().Key("ok").Bool(true).Key("no").Bool(false).Key("none").Null().EndObject();
      w.BeginArray().EndArray().BeginObject().EndObject().String(c.text).Integer(7);
      w.EndArray().Key("last").Number(0.5).EndObject();
    }
    Json expected = Json::object();
    expected["line"] = -12;
    expected["s"] = c.text;
    expected["list"] = Json::array(
        {Json{{"ok", true}, {"no", false}, {"none", nullptr}}, Json::array(), Json::object(), c.text, 7});
    expected["last"] = 0.5;
    EXPECT_EQ(out, expected.dump()) << c.name;
  }
}

TEST(JsonWriter, BytesThatAreNotUtf8BecomeReplacementCharacters) {
  // The library throws on them; a batch line quoting such bytes in its message must not
  // end the whole batch.
  const std::string text = "not expected: \xff --bogus";
  std::string out;
  {
    JsonWriter w(out);
    w.String(text);
  }
  EXPECT_EQ(out, "\"not expected: \xef\xbf\xbd --bogus\"");
  EXPECT_EQ(out, Json(text).dump(-1, ' ', false, Json::error_handler_t::replace));
}

TEST(JsonWriter, AppendsToWhatTheStringHeldAndLeavesNoRoomOnceTheValueIsComplete) {
  // The writer works in room past the text; a caller printing the string as soon as its
  // object is complete, while the writer is still in scope, must see the text alone.
  std::vector<double> values;
  for (int i = 0; i < 3000; ++i) values.push_back(1.0 / (i + 1));  // well past the first room
  std::string out = "{\"before\":1}\n";
  JsonWriter w(out);
  w.BeginObject().Key("a").BeginArray();
  for (double x : values) w.Number(x);
  w.EndArray().EndObject();
  EXPECT_EQ(out, "{\"before\":1}\n{\"a\":" + Dumped(values) + "}");
}

}  // namespace
}  // namespace tavrin::cli
