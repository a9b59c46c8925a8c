// tavrin-cli response: the ideal responses of one approximation, as the graphs draw them.
//
//   tavrin-cli response KIND [requirements options] --approx A [--start F --end F] [--linear] [--json]
//
// --stop already names the stopband edge of the requirements, so the grid's last
// frequency is --end.
#include <CLI/CLI.hpp>
#include <cmath>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "Commands.h"
#include "SpecOptions.h"
#include "approx/BesselRootTable.h"
#include "approx/Calculate.h"
#include "output/ResponseTable.h"
#include "response/IdealResponse.h"
#include "response/ResponseSetup.h"
#include "response/TimeResponse.h"

namespace tavrin::cli {

namespace {

using Json = nlohmann::ordered_json;

struct ResponseArgs {
  CalcArgs spec;
  CalcOptions options;
  std::string approximation;
  double start = 0;
  double stop = 0;
  CLI::Option* startOption = nullptr;
  CLI::Option* stopOption = nullptr;
  bool linear = false;
};

Json Number(double x) { return std::isfinite(x) ? Json(x) : Json(nullptr); }

int Run(const ResponseArgs& a) {
  const std::optional<int> slot = SlotOf(a.approximation);
  if (!slot) {
    ReportUnknownApproximation(a.approximation);
    return 2;
  }
  auto state = CalculateForSlot(a.spec, a.options, *slot);
  if (!state) return 2;

  core::IdealAxes& axes = state->idealAxes;
  if (a.startOption->count() > 0) axes.freqStart = a.start;
  if (a.stopOption->count() > 0) axes.freqStop = a.stop;
  axes.logarithmic = !a.linear;
  if (!(axes.freqStart > 0 || (a.linear && axes.freqStart >= 0)) || !(axes.freqStop > axes.freqStart)) {
    std::cerr << "The start frequency must be above 0 and below the stop frequency.\n";
    return 2;
  }
  response::ComputeFrequencyGrid(*state);
  state->chosenSlot = static_cast<std::int16_t>(*slot);
  response::ComputeSlotIdealGain(*state, *slot);

  if (!a.spec.json) {
    for (const std::string& line : output::ResponseTableLines(*state)) std::cout << line << "\n";
    return 0;
  }
  response::ComputeIdealPhase(*state, 0, core::kScreenGridN);
  response::ComputeIdealDelay(*state, 0, core::kScreenGridN);
  response::ComputeStepResponse(*state, 0, core::kScreenGridN);
  response::ComputeImpulseResponse(*state, 0, core::kScreenGridN);
  Json points = Json::array();
  Json time = Json::array();
  for (int i = 0; i <= core::kScreenGridN; ++i) {
    const core::FrequencyPoint& f = state->frequencyGrid[static_cast<std::size_t>(i)];
    const core::CurveRecord& c = state->idealCurves[*slot][i];
    points.push_back(Json{{"hz", Number(f.hz)},
                          {"rad", Number(f.rad)},
                          {"vv", Number(c.gainVv)},
                          {"db", Number(c.gainDb)},
                          {"phaseDeg", Number(-c.phaseLag)},
                          {"delay", Number(c.delay)}});
    time.push_back(Json{{"t", Number(state->timeGrid[static_cast<std::size_t>(i)])},
                        {"step", Number(c.step)},
                        {"impulse", Number(c.impulse)}});
  }
  Json j;
  j["approximation"] = kSlotNames[*slot];
  j["points"] = std::move(points);
  j["time"] = std::move(time);
  std::cout << j.dump() << "\n";
  return 0;
}

}  // namespace

void RegisterResponse(CLI::App& app, CommandAction& action) {
  CLI::App* cmd = app.add_subcommand(
      "response",
      "Gain, phase, group delay, step and impulse response of one approximation on the graphs' grid of\n"
      "351 points (the default range a decade around the passband edge, or an octave around the center).");
  auto args = std::make_shared<ResponseArgs>();
  args->options = AddRequirementsOptions(*cmd, args->spec);
  args->options.kind->required();
  cmd->add_option("--approx", args->approximation,
                  "Butterworth | Chebyshev | \"Inverse Chebyshev\" | Elliptic | Bessel, or the slot 0..4")
      ->required();
  args->startOption = cmd->add_option("--start", args->start, "first grid frequency, in Hz (rad/s with --unit rad/s or krad/s)");
  args->stopOption = cmd->add_option("--end", args->stop, "last grid frequency, in the same unit (--stop is the stopband edge)");
  cmd->add_flag("--linear", args->linear, "linear frequency spacing instead of logarithmic");
  cmd->callback([&action, args]() { action = [args]() { return Run(*args); }; });
}

}  // namespace tavrin::cli
