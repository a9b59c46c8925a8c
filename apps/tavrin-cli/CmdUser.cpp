// tavrin-cli user: a filter entered section by section, as the user-defined window builds it.
//
//   tavrin-cli user --section "ORDER TYPE MODE KEY=VALUE..." [--section ...] [--unit Hz|rad/s] [--json]
//
// ORDER is 1 or 2; TYPE lowpass | highpass | bandpass | bandstop; MODE q (Q, wp, wz) or poles.
// Keys: q, wp, wz (the zero frequency; in poles mode the zero's imaginary part), p (the real
// part's magnitude of the pole, or the first-order pole), im (the pole's imaginary part),
// to (default 1.0).  Frequencies are in the --unit.  Example: "2 bandstop q q=2 wp=1000 wz=1500".
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "Commands.h"
#include "core/NumberFormat.h"
#include "response/IdealResponse.h"
#include "stages/UserDefined.h"

namespace tavrin::cli {

namespace {

using Json = nlohmann::ordered_json;

struct UserArgs {
  std::vector<std::string> sections;
  std::string unit = "rad/s";
  bool json = false;
};

Json Number(double x) {
  return std::isfinite(x) ? Json(x) : Json(nullptr);
}

bool ParseSection(const std::string& text, stages::SectionEntry& e, std::string& error) {
  std::istringstream in(text);
  std::string order, type, mode, item;
  if (!(in >> order >> type >> mode)) {
    error = "a section needs ORDER TYPE MODE";
    return false;
  }
  if (order != "1" && order != "2") {
    error = "ORDER is 1 or 2";
    return false;
  }
  e.order = order == "1" ? 1 : 2;
  const char* const types[] = {"lowpass", "highpass", "bandpass", "bandstop"};
  const auto t = std::find(std::begin(types), std::end(types), type);
  if (t == std::end(types) || (e.order == 1 && t - std::begin(types) >= 2)) {
    error =
        "TYPE is lowpass, highpass" + std::string(e.order == 2 ? ", bandpass or bandstop" : " (first order)");
    return false;
  }
  e.type = static_cast<stages::SectionType>(t - std::begin(types));
  if (mode != "q" && mode != "poles") {
    error = "MODE is q or poles";
    return false;
  }
  e.mode = mode == "q" && e.order == 2 ? stages::EntryMode::QWpWz : stages::EntryMode::Poles;
  e.field = {"", "", "", "", "1.0"};
  while (in >> item) {
    const std::size_t eq = item.find('=');
    const std::string key = item.substr(0, eq), value = eq == std::string::npos ? "" : item.substr(eq + 1);
    int f = -1;
    if (key == "q" || key == "p") f = stages::kFieldFirst;
    if (key == "wp") f = stages::kFieldWp;
    if (key == "wz") f = stages::kFieldWz;
    if (key == "im") f = stages::kFieldImag;
    if (key == "to") f = stages::kFieldTo;
    if (f < 0 || value.empty()) {
      error = "unknown entry \"" + item + "\" (keys q, p, wp, wz, im, to)";
      return false;
    }
    e.field[static_cast<std::size_t>(f)] = value;
  }
  const std::array<bool, 5> visible = stages::VisibleFields(e);
  for (std::size_t f = 0; f < 5; ++f)
    if (visible[f] && e.field[f].empty()) {
      const char* names[] = {e.mode == stages::EntryMode::Poles ? "p" : "q", "wp", "wz", "im", "to"};
      error = std::string("the section needs ") + names[f];
      return false;
    }
  return true;
}

int Run(const UserArgs& a) {
  auto state = std::make_unique<core::DesignState>();
  core::ResetDesign(*state);
  if (a.unit != "Hz" && a.unit != "rad/s") {
    std::cerr << "--unit is Hz or rad/s.\n";
    return 2;
  }
  state->frequencyUnit = a.unit == "Hz" ? core::FrequencyUnit::Hz : core::FrequencyUnit::RadPerSec;
  stages::StartUserDesign(*state);
  for (const std::string& text : a.sections) {
    stages::SectionEntry e;
    std::string error;
    if (!ParseSection(text, e, error)) {
      std::cerr << "Section \"" << text << "\": " << error << ".\n";
      return 2;
    }
    if (const auto refusal = stages::AddSection(*state, e)) {
      std::cerr << "Section \"" << text << "\": " << refusal->message.text << "\n";
      return 2;
    }
  }
  if (state->stageCount == 0) {
    std::cerr << "No section given.\n";
    return 2;
  }
  // "Next": the graphs' range and grid, and G becomes the peak gain over the grid.
  const double K = state->results[0].gain;
  stages::CommitUserDesign(*state);
  const stages::UserFrequencyRange range{state->idealAxes.freqStart, state->idealAxes.freqStop};
  const double peak = state->spec.overallGain;
  std::vector<double> vv;
  for (int i = 0; i <= core::kScreenGridN; ++i) vv.push_back(response::CurveAt(*state, 0, i).gainVv);

  if (!a.json) {
    std::printf("User defined filter, order %d, K = %s, G = %s (peak gain over the grid)\n\n",
                state->results[0].order, core::TrimLeadingBlanks(core::FormatScientific(K, 9, 8)).c_str(),
                core::TrimLeadingBlanks(core::FormatScientific(peak, 9, 8)).c_str());
    std::printf("Stage  Type  %-14s %-14s %-14s %-14s To\n", "wp (rad/s)", "Qp", "wz (rad/s)", "p (rad/s)");
    for (int s = 1; s <= state->stageCount; ++s) {
      const core::Stage& st = state->stages[static_cast<std::size_t>(s)];
      std::printf("%5d  %s  %-14s %-14s %-14s %-14s %s\n", s, st.name.c_str(),
                  core::FormatScientific(st.wp, 8, 7).c_str(), core::FormatScientific(st.Qp, 8, 7).c_str(),
                  core::FormatScientific(st.wz, 8, 7).c_str(), core::FormatScientific(st.p, 8, 7).c_str(),
                  core::FormatScientific(st.To, 9, 8).c_str());
    }
    std::printf("\n%-16s %-16s %-16s %s\n", "FREQUENCY (Hz)", "FREQUENCY (rad/s)", "GAIN (V/V)", "GAIN (dB)");
    for (int i = 0; i <= core::kScreenGridN; ++i) {
      const core::FrequencyPoint& f = state->frequencyGrid[static_cast<std::size_t>(i)];
      std::printf("%-16s %-16s %-16s %s\n", core::FormatScientific(f.hz, 8, 7).c_str(),
                  core::FormatScientific(f.rad, 8, 7).c_str(),
                  core::FormatScientific(vv[static_cast<std::size_t>(i)], 8, 7).c_str(),
                  core::FormatFixed(stages::UserGainDb(vv[static_cast<std::size_t>(i)]), 0, 3).c_str());
    }
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
                        {"To", Number(st.To)}});
  }
  Json points = Json::array();
  for (int i = 0; i <= core::kScreenGridN; ++i) {
    const core::FrequencyPoint& f = state->frequencyGrid[static_cast<std::size_t>(i)];
    points.push_back(Json{{"hz", Number(f.hz)},
                          {"rad", Number(f.rad)},
                          {"vv", Number(vv[static_cast<std::size_t>(i)])},
                          {"db", Number(stages::UserGainDb(vv[static_cast<std::size_t>(i)]))}});
  }
  Json j;
  j["order"] = state->results[0].order;
  j["K"] = Number(K);
  j["G"] = Number(peak);
  j["start"] = Number(range.start);
  j["stop"] = Number(range.stop);
  j["stages"] = std::move(list);
  j["points"] = std::move(points);
  std::cout << j.dump() << "\n";
  return 0;
}

}  // namespace

void RegisterUser(CLI::App& app, CommandAction& action) {
  CLI::App* cmd = app.add_subcommand(
      "user",
      "Builds a user-defined filter from sections (one stage each) and prints its stages and its gain on\n"
      "the graphs' grid (a decade below the lowest to a decade above the highest section frequency).\n"
      "Each --section is \"ORDER TYPE MODE KEY=VALUE...\": ORDER 1 or 2; TYPE lowpass, highpass, bandpass,\n"
      "bandstop (first order: lowpass, highpass); MODE q (Q, wp, wz) or poles (first order: always poles).\n"
      "Keys: q=Q, wp=pole frequency, wz=zero frequency (poles mode: the zero's imaginary part),\n"
      "p=magnitude of the pole's real part (first order: the pole), im=the pole's imaginary part,\n"
      "to=the section's gain constant To (default 1.0).  Example: --section \"2 bandstop q q=2 wp=1000 "
      "wz=1500\"\n"
      "--section \"1 lowpass poles p=300 to=300\".  At most 11 sections, two of them first order, order 20.");
  auto args = std::make_shared<UserArgs>();
  cmd->add_option("--section", args->sections, "one section (repeat the option for more)")->required();
  cmd->add_option("--unit", args->unit,
                  "frequency unit of the sections and the range: rad/s (default) or Hz");
  cmd->add_flag("--json", args->json, "JSON output");
  cmd->callback([&action, args]() { action = [args]() { return Run(*args); }; });
}

}  // namespace tavrin::cli
