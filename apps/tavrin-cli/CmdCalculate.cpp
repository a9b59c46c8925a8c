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
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "Batch.h"
#include "Commands.h"
#include "JsonWriter.h"
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

// The members of the calculate object: the requirements in rad/s and every slot's roots.
// `open --json` adds its own members after them.
// `roots` is working storage, kept by a batch from line to line.
void WriteResultMembers(JsonWriter& w, const core::DesignState& state, approx::SlotRoots& roots) {
  const core::FilterSpec& spec = state.spec;
  const bool band = approx::IsBandKind(spec.kind);
  // The edges that do not apply to the kind are null.
  auto edge = [&w](std::string_view key, bool present, double x) {
    w.Key(key);
    if (present) {
      w.Number(x);
    } else {
      w.Null();
    }
  };
  w.Key("kind").String(KindName(spec.kind));
  w.Key("selectivity").Number(spec.selectivity);
  w.Key("apb").Number(spec.apb);
  w.Key("asb").Number(spec.asb);
  edge("wpb", !band, spec.wpb);
  edge("wsb", !band, spec.wsb);
  edge("bp", band, spec.bp);
  edge("bs", band, spec.bs);
  edge("w0", band, spec.w0);
  w.Key("overallGain").Number(spec.overallGain);
  w.Key("slots").BeginArray();
  for (int slot = 0; slot < core::kSlotCount; ++slot) {
    const core::ApproxResult& r = state.results[slot];
    const bool has = core::SlotHasResult(state, slot);
    w.BeginObject();
    w.Key("approximation").String(kSlotNames[slot]);
    w.Key("hasResult").Bool(has);
    w.Key("excluded").Bool(!r.tooHigh && state.approxSkip[slot]);
    // A slot too high reports the final order it would need.
    w.Key("order").Integer((r.tooHigh && band) ? 2 * r.order : r.order);
    // A slot without a result lists no roots and a gain of 0.
    if (has) {
      approx::RootsOfSlot(state, slot, roots);
    } else {
      roots.poles.clear();
      roots.zeros.clear();
      roots.gain = 0;
    }
    w.Key("poles").BeginArray();
    for (auto p : roots.poles) w.BeginArray().Number(p.real()).Number(p.imag()).EndArray();
    w.EndArray();
    w.Key("zeros").BeginArray();
    for (auto z : roots.zeros) w.BeginArray().Number(z.real()).Number(z.imag()).EndArray();
    w.EndArray();
    w.Key("gain").Number(roots.gain);
    w.Key("maxQ").Number(r.largestPoleQ);
    w.EndObject();
  }
  w.EndArray();
}

void WriteResultMembers(JsonWriter& w, const core::DesignState& state) {
  approx::SlotRoots roots;
  WriteResultMembers(w, state, roots);
}

std::string ResultJson(const core::DesignState& state) {
  std::string out;
  JsonWriter w(out);
  w.BeginObject();
  WriteResultMembers(w, state);
  w.EndObject();
  return out;
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
// `besselRoots`, when given, is the table already read by the caller; without `wantTable`
// the outcome has no results table.
std::vector<std::string> RunOne(core::DesignState& state, const CalcArgs& a, const GivenOptions& given,
                                const std::filesystem::path& besselTable,
                                const approx::BesselRootTable* besselRoots, bool wantTable,
                                approx::CalculateOutcome& outcome) {
  core::ResetDesign(state);
  state.spec = core::FilterSpec{};
  // Like the window, Calculate leaves the largest pole Q of a slot that comes out too high
  // as the previous Calculate had it.  Here every Calculate is a design of its own: a batch
  // line must not report the line before's Q, but what the same requirements give alone.
  for (core::ApproxResult& r : state.results) r.largestPoleQ = 0;
  approx::CalculateRequest request;
  request.entries = EntriesFrom(a, given, state.frequencyUnit);
  request.besselTable = besselTable;
  request.besselRoots = besselRoots;
  request.buildTable = wantTable;
  outcome = approx::Calculate(state, request);
  std::vector<std::string> refused;
  const CalculateStatus s = outcome.status;
  if (s == CalculateStatus::EntriesRefused || s == CalculateStatus::DesignFailed ||
      s == CalculateStatus::GainRefused) {
    for (const approx::Message& m : outcome.messages) refused.push_back(m.text);
  }
  return refused;
}

int RunSingle(const CalcArgs& a, const CalcOptions& o) {
  auto state = std::make_unique<core::DesignState>();
  approx::CalculateOutcome outcome;
  const auto refused = RunOne(*state, a, GivenBy(o), approx::DefaultBesselRootTablePath(), nullptr, !a.json, outcome);
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
    std::cout << ResultJson(*state) << "\n";
  } else {
    if (!outcome.showResults) outcome.table = approx::BuildResultsTable(*state);
    std::cout << ResultText(*state, outcome.table);
  }
  return 0;
}

// One worker of `calculate --batch`: the requirements options of a line and a design of
// its own.
class CalculateLine final : public BatchLine {
 public:
  CalculateLine(const std::filesystem::path& besselTable, const approx::BesselRootTable* besselRoots)
      : besselTable_(besselTable), besselRoots_(besselRoots) {
    app_.set_help_flag();
    options_ = AddRequirementsOptions(app_, args_);
    options_.kind->required();
  }

  CLI::App& Options() override { return app_; }
  void Reset() override {
    args_ = CalcArgs{};
    plain_ = false;
  }
  bool ParsePlain(const std::vector<std::string>& args) override {
    plain_ = ParsePlainRequirements(args, args_, given_);
    return plain_;
  }
  BatchRefusal Run(std::string& out) override {
    approx::CalculateOutcome outcome;
    const GivenOptions given = plain_ ? given_ : GivenBy(options_);
    BatchRefusal refused = RunOne(*state_, args_, given, besselTable_, besselRoots_, false, outcome);
    if (refused.empty()) {
      JsonWriter w(out);
      w.BeginObject();
      WriteResultMembers(w, *state_, roots_);
      w.EndObject();
    }
    return refused;
  }

 private:
  CLI::App app_{"one set of requirements of a batch", "calculate"};
  CalcArgs args_;
  CalcOptions options_;
  GivenOptions given_;
  bool plain_ = false;  // the line was read by ParsePlain, not by app_
  std::unique_ptr<core::DesignState> state_ = std::make_unique<core::DesignState>();
  approx::SlotRoots roots_;
  const std::filesystem::path& besselTable_;
  const approx::BesselRootTable* besselRoots_;
};

int RunCalculateBatch(const std::string& source) {
  const std::filesystem::path besselTable = approx::DefaultBesselRootTablePath();
  // The Bessel table is read once for the whole batch rather than once per line.  When it
  // cannot be read now, every line tries again and is refused with the window's message.
  auto besselRoots = std::make_unique<approx::BesselRootTable>();
  if (!approx::ReadBesselRootTable(besselTable, *besselRoots)) besselRoots.reset();
  return RunBatch(source, [&]() { return std::make_unique<CalculateLine>(besselTable, besselRoots.get()); });
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
    std::string out;
    JsonWriter w(out);
    w.BeginObject();
    WriteResultMembers(w, *state);
    w.Key("designStep").Integer(state->designStep);
    if (state->stageCount > 0) {
      w.Key("stages").BeginArray();
      for (int s = 1; s <= state->stageCount; ++s) {
        const core::Stage& st = state->stages[static_cast<std::size_t>(s)];
        std::string_view type = st.name;
        while (!type.empty() && type.back() == ' ') type.remove_suffix(1);
        w.BeginObject();
        w.Key("type").String(type);
        w.Key("wp").Number(st.wp);
        w.Key("Qp").Number(st.Qp);
        w.Key("wz").Number(st.wz);
        w.Key("p").Number(st.p);
        w.Key("To").Number(st.To);
        w.Key("flatness").Number(st.flatness);
        w.Key("k").Number(st.k);
        w.EndObject();
      }
      w.EndArray();
    }
    w.EndObject();
    std::cout << out << "\n";
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
      if (!args->batch.empty()) return RunCalculateBatch(args->batch);
      if (options->kind->count() == 0) {
        std::cerr << "KIND is required: lowpass, highpass, bandpass or bandstop.\n";
        return 2;
      }
      return RunSingle(*args, *options);
    };
  });
}

}  // namespace tavrin::cli
