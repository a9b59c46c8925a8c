// The batch driver behind `tavrin-cli <command> --batch FILE|-`: one process runs a
// command over many sets of options, one set per input line, and answers every line with
// exactly one line of JSON.
//
// Input: each line holds what one would type after the command's name on the command line
// ("lowpass --apb 1 --asb 40"), split into arguments as CLI11 splits a command line
// (blanks separate, '...', "..." and `...` quote).  Blank lines and lines whose first
// non-blank character is '#' are skipped and get no output line.
//
// Output, in input order: the command's JSON object for a line it ran, or for a refused line
// (the options do not parse, or the command refuses them)
//     {"line":N,"error":"first message","messages":["first message",...]}
// with N the 1-based line number in the input, comments and blank lines counted.  Each
// message of a refused line also goes to standard error as "line N: message", in input
// order.
//
// Exit status: 0 when every line ran, 2 when some line was refused or the input cannot be
// opened ("Unable to open file FILE." on standard error).
//
// Lines are independent designs, so the driver runs them on all cores: it reads a block of
// lines, the workers take groups of lines from it, and the results are written in input
// order once the block is done.  Every worker has its own BatchLine, made once by the
// command's factory: CLI::App and a design are not to be shared between threads.  So a
// line's output must depend on the line alone, never on the lines its worker ran before,
// and Run must touch nothing shared that is not read-only.  A command whose engine parts
// cannot run in several threads at once passes workers = 1.
//
// Using it for a command: derive from BatchLine (the line's options defined once on its own
// CLI::App, writing into members; how to forget a line's values; how to run a parsed line)
// and pass a factory for it to RunBatch.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::cli {

// Why a line was refused, in the order the messages arose; empty when the line ran.
using BatchRefusal = std::vector<std::string>;

// One worker's means to run lines of a command.
class BatchLine {
 public:
  virtual ~BatchLine() = default;
  // The options of one line, defined once; required ones are marked required.  Every line
  // is parsed against it.
  virtual CLI::App& Options() = 0;
  // Before each line is parsed: put the variables the options write into back to their
  // defaults (CLI11 only writes the options a line gives).
  virtual void Reset() = 0;
  // A line without quotes, split into its arguments, may be read without CLI11 (which
  // costs more than many a design): true when the command read it itself, exactly as CLI11
  // would have; false leaves it to Options().
  virtual bool ParsePlain(const std::vector<std::string>& /*args*/) { return false; }
  // After a line parsed: append the line's JSON object to `out` (no newline) and return no
  // messages, or return the refusal's messages (whatever was appended is dropped).
  virtual BatchRefusal Run(std::string& out) = 0;
};

using BatchLineFactory = std::function<std::unique_ptr<BatchLine>()>;

// Runs the command over every line of `source` (a file name, or "-" for standard input)
// and writes the results to standard output.  `workers` is the most threads to use; 0 means
// TAVRIN_BATCH_THREADS when that environment variable holds a number from 1 up (to leave
// cores to other work), else one per core.  Returns the exit status.
int RunBatch(const std::string& source, const BatchLineFactory& makeLine, unsigned workers = 0);

// The arguments of a line that holds no quote character (' " `), in order: the runs of
// characters between blanks (std::isspace in the C locale).  For such lines this is
// exactly what CLI::App::parse(std::string) makes of them, at a fraction of its cost (it
// copies the rest of the line after every argument and builds a std::locale per
// character); lines with quotes go to CLI11 itself.  Returns false when `line` has a quote.
bool SplitPlainLine(std::string_view line, std::vector<std::string>& args);

}  // namespace tavrin::cli
