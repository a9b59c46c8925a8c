// tavrin-cli circuit: the analysis of one catalogue circuit with given component values.
//
//   tavrin-cli circuit CODE --R r1,r2,... --C c1,c2,... [--json]
//
// Prints the gain constant K, the stage's numerator and denominator as assembled, the
// inverting and cubic attributes, the pole frequency and Q (and the zero frequency of a
// notch) read back from the polynomials, and the stage's subcircuit as the netlist writer
// emits it.  Values take SPICE scale factors: 10k, 4.7n, 1MEG ("M" is milli, as in SPICE).
// Refused input prints its message on standard error and exits with 2.
#include <CLI/CLI.hpp>
#include <cctype>
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
#include "core/DesignState.h"
#include "output/Subcircuit.h"

namespace tavrin::cli {

namespace {

using Json = nlohmann::ordered_json;

struct CircuitArgs {
  std::string code;
  std::string resistors;
  std::string capacitors;
  bool json = false;
};

// A number with an optional SPICE scale factor, case-insensitive, and nothing after it.
std::optional<double> ParseSpiceValue(const std::string& text) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) return std::nullopt;
  std::size_t used = 0;
  double x = 0;
  try {
    x = std::stod(text, &used);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  std::string suffix;
  for (std::size_t i = used; i < text.size(); ++i)
    suffix += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
  struct Scale {
    const char* name;
    double factor;
  };
  static const Scale kScales[] = {{"", 1},     {"T", 1e12}, {"G", 1e9},  {"MEG", 1e6}, {"K", 1e3},
                                  {"M", 1e-3}, {"U", 1e-6}, {"N", 1e-9}, {"P", 1e-12}, {"F", 1e-15}};
  for (const Scale& s : kScales)
    if (suffix == s.name) return x * s.factor;
  return std::nullopt;
}

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
    const std::optional<double> v = ParseSpiceValue(items[i]);
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

int Run(const CircuitArgs& args) {
  const circuits::CircuitAddress at = circuits::AddressOfKey(args.code);
  if (!at.valid()) {
    std::cerr << "Unknown circuit \"" << args.code << "\": expected a key such as SLP01 (FLP01..SN09).\n";
    return 2;
  }
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

  const analysis::WorkingVectors v = analysis::LoadWorkingVectors(cr);
  const analysis::StagePolynomials p = analysis::BuildStagePolynomials(v, at.stageType, at.number);
  const analysis::StageParameters par = analysis::ParametersOf(p, at.stageType);
  const bool cubic = p.b[3] != 0;
  const std::string subckt = output::StageSubcircuit(cr, at.stageType, 1, "IDEALOP");
  const std::string type = circuits::TypeLetters(at.stageType);

  if (args.json) {
    Json j;
    j["code"] = circuits::CircuitKey(at.stageType, at.number);
    j["id"] = at.circuitId;
    j["index"] = at.catalogueIndex;
    j["type"] = type;
    j["R"] = *r;
    j["C"] = *c;
    j["K"] = Number(p.K);
    j["num"] = Json::array({Number(p.a[3]), Number(p.a[2]), Number(p.a[1]), Number(p.a[0])});
    j["den"] = Json::array({Number(p.b[3]), Number(p.b[2]), Number(p.b[1]), Number(p.b[0])});
    j["inverting"] = p.inverting;
    j["cubic"] = cubic;
    j["wp"] = Number(par.wp);
    j["Qp"] = Number(par.Qp);
    j["wz"] = Number(par.wz);
    j["subckt"] = subckt;
    std::cout << j.dump() << "\n";
    return 0;
  }

  std::ostringstream out;
  out << circuits::CircuitKey(at.stageType, at.number) << ": " << circuits::Caption(at.catalogueIndex)
      << " (id " << at.circuitId << ", catalogue index " << at.catalogueIndex << ", type " << type << ")\n";
  out << "R:";
  for (double x : *r) out << " " << Real(x);
  out << " ohm\nC:";
  for (double x : *c) out << " " << Real(x);
  out << " F\n";
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
  out << "\n" << subckt;
  std::cout << out.str();
  return 0;
}

}  // namespace

void RegisterCircuit(CLI::App& app, CommandAction& action) {
  CLI::App* cmd = app.add_subcommand(
      "circuit",
      "Analyse one catalogue circuit with given component values: K, the stage's numerator and\n"
      "denominator, wp, Qp, wz and its SPICE subcircuit.  Values take SPICE scale factors\n"
      "(10k, 4.7n, 1MEG; M is milli).");
  auto args = std::make_shared<CircuitArgs>();
  cmd->add_option("CODE", args->code, "circuit key, FLP01 .. SN09")->required();
  cmd->add_option("--R", args->resistors, "resistor values R1,R2,... in ohms");
  cmd->add_option("--C", args->capacitors, "capacitor values C1,C2,... in farads");
  cmd->add_flag("--json", args->json, "print the result as one JSON object");
  cmd->callback([&action, args]() { action = [args]() { return Run(*args); }; });
}

}  // namespace tavrin::cli
