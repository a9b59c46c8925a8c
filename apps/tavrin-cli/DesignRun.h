// The design command's options and its run, kept apart from the subcommand registration
// so a batch line runs exactly the same code as a single command.
#pragma once

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SpecOptions.h"
#include "approx/BesselRootTable.h"
#include "core/DesignState.h"

namespace tavrin::cli {

struct DesignArgs {
  CalcArgs spec;
  CalcOptions options;
  std::string approximation;
  std::string circuits = "auto";
  bool standardR = false;
  double rTolerance = 1;
  double cTolerance = 1;
  int strategy = 1;
  bool allCapsStandard = false;
  std::optional<double> gbwMHz;
  std::string predistort;
  std::string activeComp;
  std::vector<std::string> stageGains;
  std::optional<int> rate;
  // the built filter's outputs
  std::string netlist;  // FILE, or "-" for standard output
  std::string dialect = "pspice";
  std::string opamp = "vcvs";
  std::string sweep;  // START,STOP,PPD in Hz
  int curve = 3;
  std::string stages;  // FIRST-LAST
  bool verify = false;
  CLI::Option* approxOption = nullptr;
};

void AddDesignOptions(CLI::App& cmd, DesignArgs& args);

// Carries the requirements to the built filter.  On refusal the state is null and the
// messages say why.  besselRoots: a table already read, or null to read the file.
std::unique_ptr<core::DesignState> BuildDesign(const DesignArgs& args, std::vector<std::string>& messages,
                                               const approx::BesselRootTable* besselRoots);

// The whole command (or, with --batch, one design per input line): 0, or 2 for refused input.
int RunDesign(const DesignArgs& args);

}  // namespace tavrin::cli
