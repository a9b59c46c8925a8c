// The requirements options shared by the commands that start from a set of requirements
// (calculate, response, ...): the window's entries as texts, its defaults for the kind.
#pragma once

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "approx/BesselRootTable.h"
#include "approx/SpecEntry.h"
#include "core/DesignState.h"

namespace tavrin::cli {

extern const char* const kKinds[4];
// The kind's name for output, "user defined" included.
const char* KindName(core::FilterKind kind);
extern const char* const kSlotNames[5];

struct CalcArgs {
  std::string kind;
  std::string apb, asb, pass, stop, center, unit, order, gain;
  bool json = false;
  std::string batch;
  std::string save;  // write the design file after a successful Calculate
};

struct CalcOptions {
  CLI::Option* apb = nullptr;
  CLI::Option* asb = nullptr;
  CLI::Option* pass = nullptr;
  CLI::Option* stop = nullptr;
  CLI::Option* center = nullptr;
  CLI::Option* unit = nullptr;
  CLI::Option* order = nullptr;
  CLI::Option* gain = nullptr;
  CLI::Option* kind = nullptr;
};

CalcOptions AddRequirementsOptions(CLI::App& app, CalcArgs& a);

// Which requirements options a command line gave (the others keep the window's defaults).
struct GivenOptions {
  bool apb = false, asb = false, pass = false, stop = false, center = false, unit = false, order = false,
       gain = false;
};
GivenOptions GivenBy(const CalcOptions& o);

// Reads the arguments of a batch line without CLI11 when they are of the plain form
// "KIND --option value ... [--json]": the kind first, each option once, every value a
// word that does not start with '-', the unit one of its four names.  For such lines CLI11
// gives the same values; anything else (a refusal to word, '=' forms, repeats) returns
// false and is left to CLI11.  `a` and `given` are written only on success.
bool ParsePlainRequirements(const std::vector<std::string>& args, CalcArgs& a, GivenOptions& given);
core::FilterKind KindOf(const std::string& name);
// The window's entries: its defaults for the kind, overwritten by what was given.  The
// display unit follows the unit of the entries.
approx::SpecEntries EntriesFrom(const CalcArgs& a, const GivenOptions& given, core::FrequencyUnit& displayUnit);
approx::SpecEntries EntriesFrom(const CalcArgs& a, const CalcOptions& o, core::FrequencyUnit& displayUnit);

// The slot named by an approximation's name or its index "0".."4".
std::optional<int> SlotOf(const std::string& text);
// Prints why an approximation name is refused.
void ReportUnknownApproximation(const std::string& text);

// Calculate with the response steps, then check that `slot` has a result.  On refusal the
// messages are on standard error and the result is null.
std::unique_ptr<core::DesignState> CalculateForSlot(const CalcArgs& a, const CalcOptions& o, int slot);
// The same with the messages handed back instead of printed, and a Bessel table already
// read (or null: read the file).
std::unique_ptr<core::DesignState> CalculateForSlot(const CalcArgs& a, const CalcOptions& o, int slot,
                                                    std::vector<std::string>& messages,
                                                    const approx::BesselRootTable* besselRoots);
std::string UnknownApproximationText(const std::string& text);

}  // namespace tavrin::cli
