// A batch line without quotes is split by our own loop instead of CLI11's; the arguments
// must be the ones CLI11 makes of the same line, or a line would mean something else in a
// batch than typed after the command.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <string>
#include <vector>

#include "Batch.h"
#include "SpecOptions.h"

namespace tavrin::cli {
namespace {

// What CLI::App::parse(std::string) hands on to its parser, in order.
std::vector<std::string> SplitByCli11(std::string line) {
  CLI::detail::trim(line);
  if (!line.empty()) line = CLI::detail::find_and_modify(line, "=", CLI::detail::escape_detect);
  std::vector<std::string> args = CLI::detail::split_up(line);
  args.erase(std::remove(args.begin(), args.end(), std::string{}), args.end());
  return args;
}

TEST(BatchLineSplit, PlainLinesGiveCli11sArguments) {
  const std::vector<std::string> lines = {
      "lowpass",
      "lowpass --apb 1 --asb 40 --pass 5 --stop 2",
      "  bandpass\t--order 20\t\t--center 10   ",
      "highpass --gain=3 --unit=rad/s",
      "lowpass --apb 1\r",
      "a\vb\fc\rd\te  f",
      "lowpass -- --apb",
      "x=y = z",
      std::string("nul\0inside --apb 1", 18),
      "\xcf\x89 \xff --unit kHz",
      "",
      " \t\r",
  };
  for (const std::string& line : lines) {
    std::vector<std::string> args = {"left over from the line before"};
    ASSERT_TRUE(SplitPlainLine(line, args)) << line;
    EXPECT_EQ(args, SplitByCli11(line)) << line;
  }
}

TEST(BatchLineSplit, LinesWithQuotesAreLeftToCli11) {
  std::vector<std::string> args;
  for (const char* line : {"lowpass --apb \"0.5\"", "lowpass --gain '2'", "lowpass --pass `3`", "it's"})
    EXPECT_FALSE(SplitPlainLine(line, args)) << line;
}

// The requirements options of a plain line are read without CLI11 when they are simple;
// whatever the fast reader accepts must be exactly what CLI11 makes of the line, and what
// it cannot be sure of it must leave to CLI11 (which then words the refusal).
TEST(BatchLineSplit, PlainRequirementsReadAsCli11ReadsThem) {
  struct Case {
    std::string line;
    bool plain;  // the fast reader takes it
  };
  const std::vector<Case> cases = {
      {"lowpass", true},
      {"highpass --apb 2.876 --asb 45.91 --unit kHz --pass 2.082 --stop 1.257 --order 11", true},
      {"bandstop --apb 1.808 --center 16.335 --pass 16.503 --stop 3.663 --gain 5.93 --json", true},
      {"bandpass --json --unit rad/s --center 110232.548 --gain 6dB", true},
      {"lowpass --apb lowpass", true},  // any word is a value; the design refuses it later
      {"lowpass --apb 1 --apb 2", false},
      {"lowpass --json --json", false},
      {"lowpass --apb=1", false},
      {"lowpass --apb", false},
      {"lowpass --apb -1", false},
      {"lowpass --unit MHz", false},
      {"lowpass --bogus 3", false},
      {"lowpass 3", false},
      {"lowpass bandpass", false},
      {"--apb 1 lowpass", false},
      {"whatever --apb 1", false},
      {"lowpass -- --apb", false},
      {"lowpass --help", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::vector<std::string> args;
    ASSERT_TRUE(SplitPlainLine(c.line, args));
    CalcArgs fast;
    fast.apb = "untouched";
    GivenOptions fastGiven;
    const bool taken = ParsePlainRequirements(args, fast, fastGiven);
    EXPECT_EQ(taken, c.plain);
    if (!taken) {
      EXPECT_EQ(fast.apb, "untouched");
      continue;
    }
    CLI::App app;
    app.set_help_flag();
    CalcArgs slow;
    const CalcOptions options = AddRequirementsOptions(app, slow);
    options.kind->required();
    std::reverse(args.begin(), args.end());
    ASSERT_NO_THROW(app.parse(std::move(args)));
    const GivenOptions slowGiven = GivenBy(options);
    EXPECT_EQ(fast.kind, slow.kind);
    EXPECT_EQ(fast.json, slow.json);
    const std::vector<std::pair<std::string, std::string>> values = {
        {fast.apb, slow.apb},   {fast.asb, slow.asb},       {fast.pass, slow.pass},
        {fast.stop, slow.stop}, {fast.center, slow.center}, {fast.unit, slow.unit},
        {fast.order, slow.order}, {fast.gain, slow.gain}};
    for (const auto& [f, s] : values) EXPECT_EQ(f, s);
    const std::vector<std::pair<bool, bool>> given = {
        {fastGiven.apb, slowGiven.apb},   {fastGiven.asb, slowGiven.asb},       {fastGiven.pass, slowGiven.pass},
        {fastGiven.stop, slowGiven.stop}, {fastGiven.center, slowGiven.center}, {fastGiven.unit, slowGiven.unit},
        {fastGiven.order, slowGiven.order}, {fastGiven.gain, slowGiven.gain}};
    for (const auto& [f, s] : given) EXPECT_EQ(f, s);
  }
}

}  // namespace
}  // namespace tavrin::cli
