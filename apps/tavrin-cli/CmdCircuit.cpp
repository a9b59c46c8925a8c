// tavrin-cli circuit: the analysis of one catalogue circuit with given component values,
// or its design for a stage's targets.
//
//   tavrin-cli circuit CODE --R r1,r2,... --C c1,c2,... [--json]
//   tavrin-cli circuit CODE --design --wp W [--qp Q] [--wc W] [--wz W] [--gain K] [--c1 F]
//                          [--gbw HZ] [--predistort] [--variant c2var|equal] [--active] [--json]
//
// Prints the gain constant K, the stage's numerator and denominator as assembled, the
// inverting and cubic attributes, the pole frequency and Q (and the zero frequency of a
// notch) read back from the polynomials, and the stage's subcircuit as the netlist writer
// emits it.  A design first sets the circuit up and designs it as the calculation window
// does, and adds what the design decided (failure, gain, GBW figures) and every
// component's sensitivities.  Values read as the program writes them and as SPICE reads
// them (core::ParseComponentValue): 3.979K, 1.5M, 1.5MEG, 10nF, 4.7p, 1e-8.  Refused input
// prints its message on standard error and exits with 2.
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
#include "analysis/StagePolynomials.h"
#include "analysis/WorkingVectors.h"
#include "circuits/Catalogue.h"
#include "circuits/DesignStage.h"
#include "circuits/SetUpCircuit.h"
#include "circuits/StandardValues.h"
#include "core/DesignState.h"
#include "core/NumberFormat.h"
#include "output/Subcircuit.h"

namespace tavrin::cli {

namespace {

using Json = nlohmann::ordered_json;

struct CircuitArgs {
  std::string code;
  std::string resistors;
  std::string capacitors;
  bool json = false;
  // design
  bool design = false;
  std::string wp, qp, wc, wz, gain, c1, gbw;
  bool predistort = false;
  std::string variant;
  bool active = false;
};

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  if (text.empty()) return items;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) items.push_back(item);
  if (text.back() == ',') items.emplace_back();
  return items;
}

// Reads one list of values; on refusal, the message is left in error.
std::optional<std::vector<double>> ReadValues(const std::string& list, char letter, int expected,
                                              const std::string& key, std::string& error) {
  const std::vector<std::string> items = SplitList(list);
  const char* noun = letter == 'R' ? "resistor" : "capacitor";
  if (static_cast<int>(items.size()) != expected) {
    const std::string range = expected == 1 ? std::string(1, letter) + "1"
                                            : letter + std::string("1..") + letter + std::to_string(expected);
    error = key + " has " + std::to_string(expected) + " " + noun + (expected == 1 ? "" : "s") + " (" +
            range + "), " + std::to_string(items.size()) + " given.";
    return std::nullopt;
  }
  std::vector<double> values;
  for (int i = 0; i < expected; ++i) {
    const std::string name = letter + std::to_string(i + 1);
    const std::optional<double> v = core::ParseComponentValue(
        items[i], letter == 'R' ? core::ValueKind::Resistance : core::ValueKind::Capacitance);
    if (!v) {
      error = "Not a component value: \"" + items[i] + "\" (" + name + ").";
      return std::nullopt;
    }
    if (!(*v > 0) || !std::isfinite(*v)) {
      error = "Component values must be positive: " + name + " = " + items[i] + ".";
      return std::nullopt;
    }
    values.push_back(*v);
  }
  return values;
}

Json Number(std::optional<double> x) {
  return (x && std::isfinite(*x)) ? Json(*x) : Json(nullptr);
}

std::string Real(std::optional<double> x) {
  if (!x || !std::isfinite(*x)) return "-";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.10g", *x);
  return buf;
}

constexpr const char* kSensNames[] = {"", "wp", "Qp", "K", "wz", "pa", "pb", "depth"};

// The sensitivity codes a stage of this type and circuit has, in display order.
std::vector<int> SensCodes(int stageType, bool cubic) {
  if (stageType == core::ptFLP || stageType == core::ptFHP) return {1, 3};
  std::vector<int> codes = {1, 2, 3};
  if (stageType == core::ptSLPN || stageType == core::ptSHPN || stageType == core::ptSN) {
    codes.push_back(4);
    codes.push_back(7);
  }
  if (cubic) {
    codes.push_back(5);
    codes.push_back(6);
  }
  return codes;
}

double Slot(const core::ComponentEntry& e, int code) {
  return e.Sens[static_cast<std::size_t>(circuits::SensSlotOfCode(code))];
}

int Report(const circuits::CircuitAddress& at, const core::CircuitRecord& cr, const std::vector<double>& r,
           const std::vector<double>& c, bool json, bool designed) {
  const analysis::WorkingVectors v = analysis::LoadWorkingVectors(cr);
  const analysis::StagePolynomials p = analysis::BuildStagePolynomials(v, at.stageType, at.number);
  const analysis::StageParameters par = analysis::ParametersOf(p, at.stageType);
  const bool cubic = p.b[3] != 0;
  const std::string subckt = output::StageSubcircuit(cr, at.stageType, 1, "IDEALOP");
  const std::string type = circuits::TypeLetters(at.stageType);
  const std::vector<int> codes = SensCodes(at.stageType, cubic);
  const auto name = [&](int k) {
    const int nr = static_cast<int>(r.size());
    return k <= nr ? "R" + std::to_string(k) : "C" + std::to_string(k - nr);
  };
  const auto entry = [&](int k) -> const core::ComponentEntry& {
    const int nr = static_cast<int>(r.size());
    return k <= nr ? cr.R[static_cast<std::size_t>(k)] : cr.C[static_cast<std::size_t>(k - nr)];
  };
  const int components = static_cast<int>(r.size() + c.size());

  if (json) {
    Json j;
    j["code"] = circuits::CircuitKey(at.stageType, at.number);
    j["id"] = at.circuitId;
    j["index"] = at.catalogueIndex;
    j["type"] = type;
    j["R"] = r;
    j["C"] = c;
    j["K"] = Number(p.K);
    j["num"] = Json::array({Number(p.a[3]), Number(p.a[2]), Number(p.a[1]), Number(p.a[0])});
    j["den"] = Json::array({Number(p.b[3]), Number(p.b[2]), Number(p.b[1]), Number(p.b[0])});
    j["inverting"] = p.inverting;
    j["cubic"] = cubic;
    j["wp"] = Number(par.wp);
    j["Qp"] = Number(par.Qp);
    j["wz"] = Number(par.wz);
    if (designed) {
      const core::CircuitRecord& d = cr;
      j["designFailed"] = d.DesignFailed;
      j["circuitGain"] = Number(d.CircuitGain);
      j["gainConstrained"] = d.GainConstrained;
      j["aw"] = Number(d.GbwCoefWp);
      j["aq"] = Number(d.GbwCoefQp);
      j["minGbw"] = Number(d.MinGbw);
      j["designWp"] = Number(d.DesignWp);
      j["designQp"] = Number(d.DesignQp);
      Json sens = Json::object();
      for (int k = 1; k <= components; ++k) {
        Json row = Json::object();
        for (int code : codes) row[kSensNames[code]] = Number(Slot(entry(k), code));
        sens[name(k)] = row;
      }
      j["sens"] = sens;
    }
    j["subckt"] = subckt;
    std::cout << j.dump() << "\n";
    return 0;
  }

  std::ostringstream out;
  out << circuits::CircuitKey(at.stageType, at.number) << ": " << circuits::Caption(at.catalogueIndex)
      << " (id " << at.circuitId << ", catalogue index " << at.catalogueIndex << ", type " << type << ")\n";
  out << "R:";
  for (double x : r) out << " " << Real(x);
  out << " ohm\nC:";
  for (double x : c) out << " " << Real(x);
  out << " F\n";
  if (designed) {
    const core::CircuitRecord& d = cr;
    out << "designFailed: " << (d.DesignFailed ? "yes" : "no") << "\n";
    out << "circuitGain = " << Real(d.CircuitGain) << "\n";
    out << "gainConstrained: " << (d.GainConstrained ? "yes" : "no") << "\n";
    out << "aw = " << Real(d.GbwCoefWp) << "\n";
    out << "aq = " << Real(d.GbwCoefQp) << "\n";
    out << "minGbw = " << Real(d.MinGbw) << " Hz\n";
    out << "designWp = " << Real(d.DesignWp) << " rad/s\n";
    out << "designQp = " << Real(d.DesignQp) << "\n";
  }
  out << "K = " << Real(p.K) << "\n";
  out << "numerator   a3 a2 a1 a0: " << Real(p.a[3]) << " " << Real(p.a[2]) << " " << Real(p.a[1]) << " "
      << Real(p.a[0]) << "\n";
  out << "denominator b3 b2 b1 b0: " << Real(p.b[3]) << " " << Real(p.b[2]) << " " << Real(p.b[1]) << " "
      << Real(p.b[0]) << "\n";
  out << "inverting: " << (p.inverting ? "yes" : "no") << "\n";
  out << "cubic: " << (cubic ? "yes" : "no") << "\n";
  out << "wp = " << Real(par.wp) << " rad/s\n";
  out << "Qp = " << Real(par.Qp) << "\n";
  out << "wz = " << Real(par.wz) << (par.wz ? " rad/s" : "") << "\n";
  if (designed) {
    // A first-order stage's pole is its corner, wc on the sensitivity chart.
    const bool first = at.stageType == core::ptFLP || at.stageType == core::ptFHP;
    out << "sensitivities:";
    for (int code : codes) out << " " << (first && code == 1 ? "wc" : kSensNames[code]);
    out << "\n";
    for (int k = 1; k <= components; ++k) {
      out << name(k) << ":";
      for (int code : codes) out << " " << Real(Slot(entry(k), code));
      out << "\n";
    }
  }
  out << "\n" << subckt;
  std::cout << out.str();
  return 0;
}

// An optional number of the design; on refusal, the message is left in error.
bool ReadOption(const std::string& text, const char* option, double& value, std::string& error,
                core::ValueKind kind = core::ValueKind::Number) {
  if (text.empty()) return true;
  const std::optional<double> x = core::ParseComponentValue(text, kind);
  if (!x || !(*x > 0) || !std::isfinite(*x)) {
    error = std::string(option) + " must be a positive number: \"" + text + "\".";
    return false;
  }
  value = *x;
  return true;
}

int RunDesign(const CircuitArgs& args, const circuits::CircuitAddress& at) {
  const std::string key = circuits::CircuitKey(at.stageType, at.number);
  const bool first = at.stageType == core::ptFLP || at.stageType == core::ptFHP;
  const bool notch =
      at.stageType == core::ptSLPN || at.stageType == core::ptSHPN || at.stageType == core::ptSN;
  auto refuse = [](const std::string& message) {
    std::cerr << message << "\n";
    return 2;
  };
  if (!args.resistors.empty() || !args.capacitors.empty())
    return refuse("--design computes the component values; --R and --C are not taken with it.");
  double wp = 0, qp = 0, wc = 0, wz = 0, gain = 1, c1 = 0, gbw = 0;
  std::string error;
  if (!ReadOption(args.wp, "--wp", wp, error) || !ReadOption(args.qp, "--qp", qp, error) ||
      !ReadOption(args.wc, "--wc", wc, error) || !ReadOption(args.wz, "--wz", wz, error) ||
      !ReadOption(args.gain, "--gain", gain, error) ||
      !ReadOption(args.c1, "--c1", c1, error, core::ValueKind::Capacitance) ||
      !ReadOption(args.gbw, "--gbw", gbw, error))
    return refuse(error);
  if (first) {
    if (wc == 0) wc = wp;
    if (wc == 0) return refuse(key + " is first order: give its corner with --wc (or --wp) in rad/s.");
  } else {
    if (wp == 0 || qp == 0) return refuse(key + " needs --wp (rad/s) and --qp.");
    if (notch && wz == 0) return refuse(key + " is a notch: give its zero frequency with --wz (rad/s).");
  }
  if (!args.variant.empty() && args.variant != "c2var" && args.variant != "equal")
    return refuse("--variant takes c2var or equal, not \"" + args.variant + "\".");

  core::Stage stage;
  stage.type = static_cast<std::uint8_t>(at.stageType);
  stage.wp = first ? wc : wp;
  stage.p = first ? wc : 0;
  stage.Qp = first ? 0 : qp;
  stage.wz = notch ? wz : 0;

  core::CircuitRecord cr;
  cr.Fresh = true;
  cr.CircuitId = static_cast<std::int16_t>(at.circuitId);
  cr.CircuitNumber = static_cast<std::int16_t>(at.number);
  cr.CircuitNumberCopy = cr.CircuitNumber;
  if (gbw > 0) cr.OpAmpGbw = gbw;
  core::StageComponentSetEntry memory, memorySaved;
  const bool c2var = args.variant == "c2var";
  const circuits::SetUpResult setUp = circuits::SetUpCircuit(cr, stage.wp, c2var, memory, memorySaved);
  if (c2var && !cr.C2VariableAvailable) return refuse(key + " has no \" C2 variable\" variant.");
  if (args.variant == "equal" && !setUp.equalComponentsAvailable)
    return refuse(key + " has no \" C1=C2 : R1=R2\" variant.");
  if (args.active && !cr.ActiveCompAvailable) return refuse(key + " has no active compensation.");
  if ((args.active || args.predistort) && first)
    return refuse(key + " is first order: it takes neither predistortion nor active compensation.");
  cr.EqualComponents = args.variant == "equal";
  cr.ActiveComp = args.active;
  cr.Predistort = args.predistort && !args.active;  // compensation replaces predistortion
  if (c1 > 0) {
    cr.C[1].Value = c1;
    if (cr.CapRatio > 0) cr.C[2].Value = cr.CapRatio * c1;
  }
  cr.RequestedGain = gain;
  cr.CircuitGain = gain;

  if (!circuits::DesignStage(cr, stage)) return refuse(key + " has no design routine yet.");

  std::vector<double> r, c;
  for (int i = 1; i <= cr.ResistorCount; ++i) r.push_back(cr.R[static_cast<std::size_t>(i)].Value);
  for (int j = 1; j <= cr.CapacitorCount; ++j) c.push_back(cr.C[static_cast<std::size_t>(j)].Value);
  return Report(at, cr, r, c, args.json, true);
}

int Run(const CircuitArgs& args) {
  const circuits::CircuitAddress at = circuits::AddressOfKey(args.code);
  if (!at.valid()) {
    std::cerr << "Unknown circuit \"" << args.code << "\": expected a key such as SLP01 (FLP01..SN09).\n";
    return 2;
  }
  if (args.design) return RunDesign(args, at);
  const circuits::CircuitDescriptor& d = circuits::Descriptor(at.circuitId);
  std::string error;
  const auto r = ReadValues(args.resistors, 'R', d.resistors, args.code, error);
  const auto c = r ? ReadValues(args.capacitors, 'C', d.capacitors, args.code, error) : std::nullopt;
  if (!r || !c) {
    std::cerr << error << "\n";
    return 2;
  }

  core::CircuitRecord cr;
  cr.CircuitNumber = static_cast<std::int16_t>(at.number);
  cr.CircuitNumberCopy = cr.CircuitNumber;
  cr.CircuitId = static_cast<std::int16_t>(at.circuitId);
  cr.ResistorCount = static_cast<std::int16_t>(d.resistors);
  cr.CapacitorCount = static_cast<std::int16_t>(d.capacitors);
  cr.OpAmpCount = static_cast<std::int16_t>(d.opAmps);
  for (int i = 0; i < d.resistors; ++i) cr.R[i + 1].Value = (*r)[i];
  for (int j = 0; j < d.capacitors; ++j) cr.C[j + 1].Value = (*c)[j];
  return Report(at, cr, *r, *c, args.json, false);
}

}  // namespace

void RegisterCircuit(CLI::App& app, CommandAction& action) {
  CLI::App* cmd = app.add_subcommand(
      "circuit",
      "Analyse one catalogue circuit with given component values: K, the stage's numerator and\n"
      "denominator, wp, Qp, wz and its SPICE subcircuit; or, with --design, compute its values\n"
      "for a stage's targets and show the gain, GBW figures and sensitivities the design gives.\n"
      "Values are plain numbers (2200, 2.2e3) or take SPICE's scale factors T G MEG K M U N P F\n"
      "(1e12 .. 1e-15, any case: 10k, 4.7n, 1MEG). M is milli, as in SPICE, except in --R:\n"
      "there a capital M is mega, as the program writes resistances (1.5M = 1.5MEG = 1.5e6\n"
      "ohm), and only a small m is milli. After the factor --C takes an optional F (10nF,\n"
      "4.7pF, 1uF) and --R an optional ohm; a lone F is femto, as in SPICE.");
  auto args = std::make_shared<CircuitArgs>();
  cmd->add_option("CODE", args->code, "circuit key, FLP01 .. SN09")->required();
  cmd->add_option("--R", args->resistors,
                  "resistor values R1,R2,... in ohms, e.g. 10K,3.979K,1.5M (M mega, m milli)");
  cmd->add_option("--C", args->capacitors, "capacitor values C1,C2,... in farads, e.g. 10nF,4.7p,1uF");
  cmd->add_flag("--json", args->json, "print the result as one JSON object");
  cmd->add_flag("--design", args->design,
                "design the circuit for the targets below instead of analysing typed values");
  cmd->add_option("--wp", args->wp, "design: pole frequency in rad/s (first order: the corner)");
  cmd->add_option("--qp", args->qp, "design: pole Q (second-order circuits)");
  cmd->add_option("--wc", args->wc, "design: corner frequency of a first-order circuit in rad/s");
  cmd->add_option("--wz", args->wz, "design: zero frequency of a notch in rad/s");
  cmd->add_option("--gain", args->gain, "design: the gain asked of the stage (default 1)");
  cmd->add_option("--c1", args->c1,
                  "design: C1 in farads (e.g. 4.7nF) instead of the set-up's 10 nF or 1 nF");
  cmd->add_option("--gbw", args->gbw, "design: op-amp gain-bandwidth product in Hz (default 1MEG)");
  cmd->add_flag("--predistort", args->predistort, "design: predistort for the op-amp's finite GBW");
  cmd->add_option("--variant", args->variant,
                  "design: c2var (\" C2 variable\") or equal (\" C1=C2 : R1=R2\")");
  cmd->add_flag("--active", args->active, "design: active compensation where the circuit offers it");
  cmd->callback([&action, args]() { action = [args]() { return Run(*args); }; });
}

}  // namespace tavrin::cli
