// tavrin-cli calculate: the entry window's Calculate without the window.
//
//   tavrin-cli calculate KIND [--apb DB] [--asb DB] [--pass X] [--stop X] [--center X]
//                             [--unit Hz|kHz|rad/s|krad/s] [--order N] [--gain G|NdB] [--json]
//   tavrin-cli calculate --batch FILE|-
//
// Entries are the texts one would type into the window (digits and a decimal point), so
// the engine refuses them with the window's messages.  A refused entry prints its message
// on standard error and exits with 2, with nothing on standard output.
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "Commands.h"
#include "SpecOptions.h"
#include "approx/BesselRootTable.h"
#include "approx/Calculate.h"
#include "approx/OrderEstimation.h"
#include "approx/SlotRoots.h"
#include "core/DesignState.h"
#include "core/DesignFile.h"
#include "core/NumberFormat.h"

namespace tavrin::cli {

namespace {

using approx::CalculateStatus;
using core::FilterKind;
using Json = nlohmann::ordered_json;

Json Number(double x) {
  return std::isfinite(x) ? Json(x) : Json(nullptr);
}

Json Point(std::complex<double> z) {
  return Json::array({Number(z.real()), Number(z.imag())});
}

Json ResultJson(const core::DesignState& state) {
  const core::FilterSpec& spec = state.spec;
  const bool band = approx::IsBandKind(spec.kind);
  Json j;
  j["kind"] = KindName(spec.kind);
  j["selectivity"] = Number(spec.selectivity);
  j["apb"] = Number(spec.apb);
  j["asb"] = Number(spec.asb);
  j["wpb"] = band ? Json(nullptr) : Number(spec.wpb);
  j["wsb"] = band ? Json(nullptr) : Number(spec.wsb);
  j["bp"] = band ? Number(spec.bp) : Json(nullptr);
  j["bs"] = band ? Number(spec.bs) : Json(nullptr);
  j["w0"] = band ? Number(spec.w0) : Json(nullptr);
  j["overallGain"] = Number(spec.overallGain);
  Json slots = Json::array();
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    const core::ApproxResult& r = state.results[slot];
    const bool has = core::SlotHasResult(state, slot);
    Json s;
    s["approximation"] = kSlotNames[slot];
    s["hasResult"] = has;
    s["excluded"] = !r.tooHigh && state.approxSkip[slot];
    // A slot too high reports the final order it would need.
    s["order"] = (r.tooHigh && band) ? 2 * r.order : r.order;
    Json poles = Json::array();
    Json zeros = Json::array();
    double gain = 0;
    if (has) {
      const approx::SlotRoots roots = approx::RootsOfSlot(state, slot);
      for (auto p : roots.poles) poles.push_back(Point(p));
      for (auto z : roots.zeros) zeros.push_back(Point(z));
      gain = roots.gain;
    }
    s["poles"] = std::move(poles);
    s["zeros"] = std::move(zeros);
    s["gain"] = Number(gain);
    s["maxQ"] = Number(r.largestPoleQ);
    slots.push_back(std::move(s));
  }
  j["slots"] = std::move(slots);
  return j;
}

std::string Real(double x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.10g", x);
  return buf;
}

std::string ResultText(const core::DesignState& state, const approx::ResultsTable& table) {
  const core::FilterSpec& spec = state.spec;
  const bool band = approx::IsBandKind(spec.kind);
  std::ostringstream out;
  std::string kind = KindName(spec.kind);
  kind[0] = static_cast<char>(kind[0] - 'a' + 'A');
  out << kind << ": Apb " << Real(spec.apb) << " dB, Asb " << Real(spec.asb) << " dB";
  if (band) {
    out << ", Bpb " << Real(spec.bp) << " rad/s, Bsb " << Real(spec.bs) << " rad/s, w0 " << Real(spec.w0)
        << " rad/s";
  } else {
    out << ", wpb " << Real(spec.wpb) << " rad/s, wsb " << Real(spec.wsb) << " rad/s";
  }
  out << ", K " << Real(spec.selectivity) << ", gain " << Real(spec.overallGain) << " V/V\n\n";
  out << approx::FormatResultsTable(table);
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    const core::ApproxResult& r = state.results[slot];
    out << "\n" << kSlotNames[slot] << ": ";
    if (r.tooHigh) {
      out << "order above " << core::kMaxOrder << ", no result\n";
      continue;
    }
    if (state.approxSkip[slot]) out << "excluded (largest pole Q " << Real(r.largestPoleQ) << " > 300), ";
    const approx::SlotRoots roots = approx::RootsOfSlot(state, slot);
    out << "order " << r.order << ", To = " << Real(roots.gain) << "\n";
    for (int k = 1; k <= r.polePairs; ++k) {
      const core::PoleRoot& p = state.poleRoots[slot][k];
      const core::PolePair& pp = state.polePairs[slot][k];
      out << "  pole pair " << k << ": " << Real(-p.sigma) << " +/- j" << Real(p.omega) << " rad/s  (w0 "
          << Real(pp.w0) << ", Q " << Real(pp.Q) << ")\n";
    }
    if (r.hasRealPole) out << "  real pole: " << Real(-r.realPole) << " rad/s\n";
    if (r.hasSecondRealPole) out << "  real pole: " << Real(-r.secondRealPole) << " rad/s\n";
    for (int k = 1; k <= r.zeroPairs; ++k) {
      const double wz = state.zeroRoots[slot][k].wz;
      if (wz == 0) {
        out << "  zero pair " << k << ": double zero at the origin\n";
      } else {
        out << "  zero pair " << k << ": +/- j" << Real(wz) << " rad/s\n";
      }
    }
    if (r.hasSingleZero) out << "  single zero at the origin\n";
  }
  return out.str();
}

// One Calculate on a fresh design.  Returns the refusal's messages (empty on success).
std::vector<std::string> RunOne(core::DesignState& state, const CalcArgs& a, const CalcOptions& o,
                                const std::filesystem::path& besselTable, approx::CalculateOutcome& outcome) {
  core::ResetDesign(state);
  state.spec = core::FilterSpec{};
  approx::CalculateRequest request;
  request.entries = EntriesFrom(a, o, state.frequencyUnit);
  request.besselTable = besselTable;
  outcome = approx::Calculate(state, request);
  std::vector<std::string> refused;
  const CalculateStatus s = outcome.status;
  if (s == CalculateStatus::EntriesRefused || s == CalculateStatus::DesignFailed ||
      s == CalculateStatus::GainRefused) {
    for (const approx::Message& m : outcome.messages) refused.push_back(m.text);
  }
  if (!outcome.showResults) outcome.table = approx::BuildResultsTable(state);
  return refused;
}

int RunSingle(const CalcArgs& a, const CalcOptions& o) {
  auto state = std::make_unique<core::DesignState>();
  approx::CalculateOutcome outcome;
  const auto refused = RunOne(*state, a, o, approx::DefaultBesselRootTablePath(), outcome);
  if (!refused.empty()) {
    for (const auto& m : refused) std::cerr << m << "\n";
    return 2;
  }
  if (!a.save.empty()) {
    // As after Next in the window: the approximations are accepted, slot 0 current.
    state->designStep = 2;
    core::SetCurrentSlot(*state, 0);
    if (const std::string error = core::WriteDesignFile(a.save, *state); !error.empty()) {
      std::cerr << error << "\n";
      return 2;
    }
  }
  if (a.json) {
    std::cout << ResultJson(*state).dump() << "\n";
  } else {
    std::cout << ResultText(*state, outcome.table);
  }
  return 0;
}

int RunBatch(const std::string& source) {
  std::ifstream file;
  std::istream* in = &std::cin;
  if (source != "-") {
    file.open(source);
    if (!file) {
      std::cerr << "Unable to open file " << source << ".\n";
      return 2;
    }
    in = &file;
  }
  CLI::App lineApp{"one set of requirements of a batch", "calculate"};
  lineApp.set_help_flag();
  CalcArgs a;
  const CalcOptions o = AddRequirementsOptions(lineApp, a);
  o.kind->required();

  auto state = std::make_unique<core::DesignState>();
  const std::filesystem::path besselTable = approx::DefaultBesselRootTablePath();
  std::string line;
  std::string output;
  int lineNumber = 0;
  bool anyRefused = false;
  while (std::getline(*in, line)) {
    ++lineNumber;
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    a = CalcArgs{};
    Json result;
    std::vector<std::string> refused;
    try {
      lineApp.parse(line, false);
    } catch (const CLI::ParseError& e) {
      refused.push_back(e.what());
    }
    if (refused.empty()) {
      approx::CalculateOutcome outcome;
      refused = RunOne(*state, a, o, besselTable, outcome);
      if (refused.empty()) result = ResultJson(*state);
    }
    if (!refused.empty()) {
      anyRefused = true;
      result = Json::object();
      result["line"] = lineNumber;
      result["error"] = refused.front();
      result["messages"] = refused;
      for (const auto& m : refused) std::cerr << "line " << lineNumber << ": " << m << "\n";
    }
    output += result.dump();
    output += '\n';
    if (output.size() > (1u << 16)) {
      std::cout << output;
      output.clear();
    }
  }
  std::cout << output << std::flush;
  return anyRefused ? 2 : 0;
}

int RunOpen(const std::string& path, bool json) {
  auto state = std::make_unique<core::DesignState>();
  const core::DesignReadResult read = core::ReadDesignFile(path, *state);
  if (!read.ok()) {
    std::cerr << read.message << "\n";
    return 2;
  }
  approx::SummarizeSlots(*state);
  if (json) {
    Json j = ResultJson(*state);
    j["designStep"] = state->designStep;
    if (state->stageCount > 0) {
      Json list = Json::array();
      for (int s = 1; s <= state->stageCount; ++s) {
        const core::Stage& st = state->stages[static_cast<std::size_t>(s)];
        std::string type = st.name;
        while (!type.empty() && type.back() == ' ') type.pop_back();
        list.push_back(Json{{"type", type},           {"wp", Number(st.wp)}, {"Qp", Number(st.Qp)},
                            {"wz", Number(st.wz)},     {"p", Number(st.p)},   {"To", Number(st.To)},
                            {"flatness", Number(st.flatness)}, {"k", Number(st.k)}});
      }
      j["stages"] = std::move(list);
    }
    std::cout << j.dump() << "\n";
    return 0;
  }
  std::cout << "Design file " << path << ": design step " << state->designStep << ", "
            << state->stageCount << " stage(s)\n";
  std::cout << ResultText(*state, approx::BuildResultsTable(*state));
  return 0;
}

}  // namespace

void RegisterOpen(CLI::App& app, CommandAction& action) {
  CLI::App* cmd = app.add_subcommand("open", "Read a design file (.zd3 or .zd2) and print what it holds.");
  auto path = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  cmd->add_option("FILE", *path, "the design file")->required();
  cmd->add_flag("--json", *json, "print the design as one JSON object (the calculate object, designStep, stages)");
  cmd->callback([&action, path, json]() { action = [path, json]() { return RunOpen(*path, *json); }; });
}

void RegisterCalculate(CLI::App& app, CommandAction& action) {
  CLI::App* cmd = app.add_subcommand(
      "calculate",
      "Design the five approximations of a set of requirements (the entry window's Calculate).\n"
      "Numbers are written as in the window: digits and a decimal point.");
  auto args = std::make_shared<CalcArgs>();
  auto options = std::make_shared<CalcOptions>(AddRequirementsOptions(*cmd, *args));
  cmd->add_option("--batch", args->batch,
                  "read one set of requirements per line (KIND and options) from FILE, or from standard "
                  "input for '-'; write one JSON object per line");
  cmd->add_option("--save", args->save, "write the design file (.zd3) of the result, at the step after Next");
  cmd->callback([&action, args, options]() {
    action = [args, options]() {
      if (!args->batch.empty()) return RunBatch(args->batch);
      if (options->kind->count() == 0) {
        std::cerr << "KIND is required: lowpass, highpass, bandpass or bandstop.\n";
        return 2;
      }
      return RunSingle(*args, *options);
    };
  });
}

}  // namespace tavrin::cli
