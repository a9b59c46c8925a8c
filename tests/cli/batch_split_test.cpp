// A batch line without quotes is split by our own loop instead of CLI11's; the arguments
// must be the ones CLI11 makes of the same line, or a line would mean something else in a
// batch than typed after the command.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <string>
#include <vector>

#include "Batch.h"

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

}  // namespace
}  // namespace tavrin::cli
