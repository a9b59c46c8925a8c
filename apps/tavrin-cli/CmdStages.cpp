// tavrin-cli stages: the stages of one approximation, paired and cascaded automatically,
// with every stage's biquad coefficients.
//
//   tavrin-cli stages KIND [requirements options] --approx A [--first CRIT] [--last CRIT] [--useq] [--json]
//
// CRIT is a criteria list as the settings file keeps it: eight characters, an enabled flag
// and a priority digit for each of the four entries ("11121314").
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "Commands.h"
#include "SpecOptions.h"
#include "approx/BesselRootTable.h"
#include "approx/Calculate.h"
#include "core/NumberFormat.h"
#include "core/Settings.h"
#include "response/ResponseSetup.h"
#include "stages/Biquad.h"
#include "stages/Cascading.h"
#include "stages/Criteria.h"
#include "stages/Pairing.h"

namespace tavrin::cli {

namespace {

using Json = nlohmann::ordered_json;

struct StagesArgs {
  CalcArgs spec;
  CalcOptions options;
  std::string approximation;
  std::string first = "11121314";
  std::string last = "01010101";
  bool useQ = false;
};

bool ValidCriteria(const std::string& text) {
  if (text.size() != 8) return false;
  for (char c : text)
    if (c < '0' || c > '4') return false;
  return true;
}

Json Number(double x) {
  return std::isfinite(x) ? Json(x) : Json(nullptr);
}

std::string Sci(double x) {
  return core::FormatScientific(x, 8, 7);
}

void PrintTables(const core::DesignState& state) {
  const bool hz = state.frequencyUnit == core::FrequencyUnit::Hz;
  const double u = hz ? 2.0 * 3.14159265358979323846 : 1.0;
  std::printf("Stage  Type  %-14s %-14s %-14s %-14s %-15s Flatness\n", hz ? "fp (Hz)" : "wp (rad/s)", "Qp",
              hz ? "fz (Hz)" : "wz (rad/s)", hz ? "p (Hz)" : "p (rad/s)", "To");
  for (int s = 1; s <= state.stageCount; ++s) {
    const core::Stage& st = state.stages[static_cast<std::size_t>(s)];
    std::printf("%5d  %s  %-14s %-14s %-14s %-14s %-15s %s\n", s, st.name.c_str(), Sci(st.wp / u).c_str(),
                Sci(st.Qp).c_str(), Sci(st.wz / u).c_str(), Sci(st.p / u).c_str(),
                core::FormatScientific(st.To, 9, 8).c_str(), core::FormatFixed(st.flatness, 0, 2).c_str());
  }
  std::printf("\nBiquadratic Coefficients: T(s) = To * (As^2 + Bs + C) / (Ds^2 + Es + F)\n");
  const auto labels = stages::TransferRowLabels(state.frequencyUnit);
  for (const std::vector<int>& block : stages::TransferBlocks(state.stageCount)) {
    std::printf("\n%-6s", "Stage");
    for (int s : block) std::printf(" %15d", s);
    std::printf("\n");
    std::vector<std::array<std::string, stages::kTransferRows>> cells;
    for (int s : block)
      cells.push_back(
          stages::TransferCellTexts(state.stages[static_cast<std::size_t>(s)], state.frequencyUnit));
    for (int row = 0; row < stages::kTransferRows; ++row) {
      std::printf("%-6s", labels[static_cast<std::size_t>(row)].c_str());
      for (const auto& c : cells) std::printf(" %15s", c[static_cast<std::size_t>(row)].c_str());
      std::printf("\n");
    }
  }
}

int Run(const StagesArgs& a) {
  const std::optional<int> slot = SlotOf(a.approximation);
  if (!slot) {
    ReportUnknownApproximation(a.approximation);
    return 2;
  }
  if (!ValidCriteria(a.first) || !ValidCriteria(a.last)) {
    std::cerr << "Criteria are eight digits, an enabled flag (0 or 1) and a priority (1..4) per entry.\n";
    return 2;
  }
  auto state = CalculateForSlot(a.spec, a.options, *slot);
  if (!state) return 2;
  state->firstStageCriteria = core::DecodeCriteria(a.first, "11121314");
  state->lastStageCriteria = core::DecodeCriteria(a.last, "01010101");
  if (const auto m = stages::CheckCriteria(state->firstStageCriteria, state->lastStageCriteria)) {
    std::cerr << m->text << "\n";
    return 2;
  }
  state->useQ = a.useQ;
  core::SetCurrentSlot(*state, *slot);
  state->chosenSlot = static_cast<std::int16_t>(*slot);
  stages::PairAndCascade(*state);

  if (!a.spec.json) {
    std::printf("%s, order %d, %d stage(s)\n\n", kSlotNames[*slot],
                state->results[static_cast<std::size_t>(*slot)].order, state->stageCount);
    PrintTables(*state);
    return 0;
  }
  Json list = Json::array();
  for (int s = 1; s <= state->stageCount; ++s) {
    const core::Stage& st = state->stages[static_cast<std::size_t>(s)];
    list.push_back(Json{{"type", core::TrimTrailingBlanks(st.name)},
                        {"wp", Number(st.wp)},
                        {"Qp", Number(st.Qp)},
                        {"wz", Number(st.wz)},
                        {"p", Number(st.p)},
                        {"To", Number(st.To)},
                        {"flatness", Number(st.flatness)},
                        {"k", Number(st.k)}});
  }
  Json j;
  j["approximation"] = kSlotNames[*slot];
  j["stages"] = std::move(list);
  std::cout << j.dump() << "\n";
  return 0;
}

}  // namespace

void RegisterStages(CLI::App& app, CommandAction& action) {
  CLI::App* cmd = app.add_subcommand(
      "stages",
      "Pairs the poles and zeros of one approximation into first- and second-order stages, orders the\n"
      "cascade by the criteria and prints each stage (type, wp or fp, Qp, wz, p, To, flatness) and its\n"
      "biquad coefficients T(s) = To (As^2 + Bs + C) / (Ds^2 + Es + F).  Frequencies are rad/s in the JSON.");
  auto args = std::make_shared<StagesArgs>();
  args->options = AddRequirementsOptions(*cmd, args->spec);
  args->options.kind->required();
  cmd->add_option("--approx", args->approximation,
                  "Butterworth | Chebyshev | \"Inverse Chebyshev\" | Elliptic | Bessel, or the slot 0..4")
      ->required();
  cmd->add_option("--first", args->first,
                  "first-stage criteria: flag and priority for 1st order lowpass, 2nd order lowpass,\n"
                  "lowpass notch, bandpass (default 11121314)");
  cmd->add_option("--last", args->last,
                  "last-stage criteria: flag and priority for 1st order highpass, 2nd order highpass,\n"
                  "highpass notch, bandpass (default 01010101: none)");
  cmd->add_flag("--useq", args->useQ,
                "order the remaining stages by increasing Qp instead of maximum flatness");
  cmd->callback([&action, args]() { action = [args]() { return Run(*args); }; });
}

}  // namespace tavrin::cli
