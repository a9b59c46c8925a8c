// tavrin-cli design: a set of requirements carried to the component list of every stage,
// through the same engine path as the windows: automatic pairing and cascading, a circuit
// per stage, the whole-filter calculation and its options.
//
//   tavrin-cli design KIND [requirements options] --approx A [--circuits auto|CODE,...]
//       [--standard-r] [--r-tolerance 1|5|10] [--c-tolerance T] [--strategy 1|2]
//       [--all-caps-standard] [--gbw MHZ] [--predistort all|N,...] [--active-comp all|N,...]
//       [--stage-gain N=G ...] [--rate N] [--json]
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Commands.h"
#include "DesignRun.h"
#include "SpecOptions.h"

namespace tavrin::cli {

void RegisterDesign(CLI::App& app, CommandAction& action) {
  CLI::App* cmd = app.add_subcommand(
      "design",
      "Designs the whole filter: the approximation's stages paired and cascaded automatically, a circuit\n"
      "for every stage, capacitors scaled to E12 values with every resistor below 100 kOhm, the gain shared\n"
      "out over the stages, and optionally standard resistors.  Prints every stage with its components.\n"
      "Units in the JSON: ohms, farads, rad/s for wp/wz/p, Hz for the op-amp GBW; null where a value does\n"
      "not exist.");
  auto args = std::make_shared<DesignArgs>();
  AddDesignOptions(*cmd, *args);
  // With --batch the lines carry KIND and --approx; a single design needs them here.
  args->options.kind->required(false);
  args->approxOption->required(false);
  cmd->add_option("--batch", args->spec.batch,
                  "read one design per line (KIND and the options above) from FILE, or from standard input for\n"
                  "'-'; write one JSON object per line");
  cmd->callback([&action, args]() {
    action = [args]() {
      if (args->spec.batch.empty() && (args->options.kind->count() == 0 || args->approxOption->count() == 0)) {
        std::cerr << "KIND and --approx are required: e.g. design lowpass --approx Chebyshev.\n";
        return 2;
      }
      return RunDesign(*args);
    };
  });
}

}  // namespace tavrin::cli
