#include "output/SpiceNetlist.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "circuits/Catalogue.h"
#include "core/NumberFormat.h"
#include "output/NetlistTemplates.h"
#include "output/Subcircuit.h"

namespace tavrin::output {

namespace {

constexpr std::string_view kHeader = "****  Tavrin Spice File  ****";
// The op-amp the design assumes when the user never set one.
constexpr double kDefaultGbwHz = 1e6;

std::size_t At(int k) {
  return static_cast<std::size_t>(k);
}

// Full precision for the ngspice dialect: plain numbers in ohms, farads and hertz.
std::string Plain(double x) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.12g", x);
  return buf;
}

std::string Percent(double p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g%%", p);
  return buf;
}

// The .AC card's frequencies: " 5.00000E+2".
std::string SweepFrequency(double hz) {
  return core::FormatScientific(hz, 7, 5);
}

// "1.0E+5" for the usual gain; more decimals only when a raised gain needs them.
std::string PSpiceGain(double gain) {
  std::string text;
  for (int d = 1; d <= 11; ++d) {
    text = core::TrimLeadingBlanks(core::FormatScientific(gain, d + 2, d));
    if (std::fabs(core::ParseReal(text) - gain) <= 1e-12 * std::fabs(gain)) break;
  }
  return text;
}

std::string WithoutTrailingBlanks(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string WithoutSuffix(const std::string& line, std::string_view suffix) {
  if (line.size() >= suffix.size() && line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0)
    return line.substr(0, line.size() - suffix.size());
  return line;
}

int TypeOf(const core::Stage& stage) {
  return stage.type & 0x7F;
}

// The values the filter is built with: a user-assigned resistor stands in for the
// computed one, exactly as the analysis loads it.
core::CircuitRecord ValuesInForce(const core::CircuitRecord& cr) {
  core::CircuitRecord v = cr;
  for (int i = 1; i <= core::kResistors; ++i) {
    core::ComponentEntry& r = v.R[At(i)];
    if (r.UserAssigned && r.UserValue > 0) r.Value = r.UserValue;
  }
  return v;
}

const NetlistTemplate* TemplateOf(const core::CircuitRecord& cr, int stageType) {
  const NetlistTemplate* t = nullptr;
  if (cr.ActiveComp) t = FindTemplate(TemplateSet::ActiveComp, stageType, cr.CircuitNumber);
  if (t == nullptr) t = FindTemplate(TemplateSet::Standard, stageType, cr.CircuitNumber);
  return t;
}

// One element of a stage as the Monte Carlo loop of the ngspice dialect redraws it.
struct Element {
  std::string device;  // "r.x1.r1"
  double value = 0;
  bool resistor = true;
};

// The stage's subcircuit for ngspice: the same template and the same rules as the PSpice
// subcircuit (compensation set, unused resistors left out), the unit-model words dropped
// and the values written in ohms and farads.
std::string NgspiceSubcircuit(const core::CircuitRecord& cr, int stageType, int stage,
                              const std::string& opAmp, std::vector<Element>& elements) {
  const NetlistTemplate* t = TemplateOf(cr, stageType);
  if (t == nullptr) return {};
  const std::string number = std::to_string(stage);
  const std::string instance = "x" + number + ".";
  std::string text = WithoutTrailingBlanks(t->header) + number + " 1 2\n";
  const auto nameOf = [](const std::string& line) {
    const std::size_t b = line.find_first_not_of(' ');
    const std::size_t e = line.find(' ', b);
    std::string name = line.substr(b, e - b);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
  };
  for (std::size_t i = 0; i < t->resistors.size() && i + 1 < cr.R.size(); ++i) {
    const double r = cr.R[i + 1].Value;
    if (r == 0) continue;
    const std::string line = WithoutSuffix(t->resistors[i], " RMODEL");
    text += line + " " + Plain(r) + "\n";
    elements.push_back({"r." + instance + nameOf(line), r, true});
  }
  for (std::size_t j = 0; j < t->capacitors.size() && j + 1 < cr.C.size(); ++j) {
    const double c = cr.C[j + 1].Value;
    const std::string line = WithoutSuffix(t->capacitors[j], " CMODEL");
    text += line + " " + Plain(c) + "\n";
    elements.push_back({"c." + instance + nameOf(line), c, false});
  }
  for (const std::string& line : t->opAmps) text += line + " " + opAmp + "\n";
  text += WithoutTrailingBlanks(t->footer) + number + "\n";
  return text;
}

double GbwOf(const core::CircuitRecord& cr) {
  return cr.OpAmpGbw > 0 && std::isfinite(cr.OpAmpGbw) ? cr.OpAmpGbw : kDefaultGbwHz;
}

// The op-amp's input noise density, nV/rtHz.  Every stage gets the user's setting when the
// program starts; a stage that never received one takes the current setting.
double NoiseOf(const core::DesignState& state, const core::CircuitRecord& cr) {
  return cr.Noise > 0 ? cr.Noise : state.characteristics.Noise;
}

// The resistor whose thermal noise equals the op-amp's input noise: 4 nV/rtHz is the noise
// of 1 kOhm, and noise goes with the square root of resistance.
double NoiseResistance(double noise) {
  return std::clamp(1000 * (noise / 4) * (noise / 4), 100.0, 1e6);
}

// The single-pole model of stage t: unity-gain buffered difference, a pole at GBW / A from
// the noise resistor and its capacitor, the gain A and a 100 ohm output resistance.
struct SinglePoleModel {
  int stage = 0;
  double gbwHz = 0;
  double r = 0;
  double c = 0;
};

struct OpAmpPlan {
  std::vector<SinglePoleModel> models;   // in stage order, one per distinct GBW
  std::vector<std::string> nameOfStage;  // index t: the model the stage's op-amps use
};

OpAmpPlan PlanOpAmps(const core::DesignState& state, int stages, const SpiceOptions& o) {
  OpAmpPlan plan;
  plan.nameOfStage.assign(At(stages) + 1, "IDEALOP");
  if (o.opAmp == SpiceOpAmpModel::Vcvs) return plan;
  for (int t = 1; t <= stages; ++t) {
    const core::CircuitRecord& cr = state.circuits[At(t)];
    const double gbw = GbwOf(cr);
    const auto same = std::find_if(plan.models.begin(), plan.models.end(),
                                   [gbw](const SinglePoleModel& m) { return m.gbwHz == gbw; });
    if (same != plan.models.end()) {
      plan.nameOfStage[At(t)] = "GENOP" + std::to_string(same->stage);
      continue;
    }
    SinglePoleModel m;
    m.stage = t;
    m.gbwHz = gbw;
    m.r = NoiseResistance(NoiseOf(state, cr));
    m.c = o.opAmpGain / (2 * std::numbers::pi * m.r * gbw);
    plan.models.push_back(m);
    plan.nameOfStage[At(t)] = "GENOP" + std::to_string(t);
  }
  return plan;
}

std::string OpAmpModels(const OpAmpPlan& plan, const SpiceOptions& o) {
  const bool ng = o.dialect == SpiceDialect::Ngspice;
  if (o.opAmp == SpiceOpAmpModel::Vcvs) {
    return ".SUBCKT IDEALOP 2 1 5\n   EIO 5 0 2 1 " + (ng ? Plain(o.opAmpGain) : PSpiceGain(o.opAmpGain)) +
           "\n.ENDS IDEALOP\n";
  }
  std::string text;
  const std::string indent(kElementIndent);
  for (const SinglePoleModel& m : plan.models) {
    const std::string name = "GENOP" + std::to_string(m.stage);
    text += ".SUBCKT " + name + " 2 1 6\n";
    if (ng) {
      text += indent + "R1 3 4 " + Plain(m.r) + "\n";
      text += indent + "C1 4 0 " + Plain(m.c) + "\n";
      text += indent + "R2 5 6 100\n";
      text += indent + "EGEN1 3 0 2 1 1\n";
      text += indent + "EGEN2 5 0 4 0 " + Plain(o.opAmpGain) + "\n";
    } else {
      text += indent + "R1 3 4 RMODEL " + SpiceResistance(m.r) + "\n";
      text += indent + "C1 4 0 CMODEL " + SpiceCapacitance(m.c) + "\n";
      text += indent + "R2 5 6 RMODEL 100\n";
      text += indent + "EGEN1 3 0 2 1 1.0\n";
      text += indent + "EGEN2 5 0 4 0 " + PSpiceGain(o.opAmpGain) + "\n";
    }
    text += ".ENDS " + name + "\n";
  }
  return text;
}

std::string NodeList(const std::string& prefix, int stages) {
  std::string text;
  for (int k = 2; k <= stages + 1; ++k) text += " " + prefix + "(" + std::to_string(k) + ")";
  return text;
}

// Monte Carlo the ngspice way: the nominal run has just been made; every further run
// draws each stage resistor and capacitor anew from its nominal value, uniformly within
// the tolerance (as a PSpice DEV tolerance does), and reports the largest deviation of
// the output from the nominal run (YMAX), the values drawn (LIST) and every run's output
// (OUTPUT ALL, appended to the data file).
std::string NgspiceMonteCarlo(const std::vector<Element>& elements, int stages, const SpiceOptions& o) {
  const int runs = std::max(o.monteCarloRuns, 1);
  const std::string out = "v(" + std::to_string(stages + 1) + ")";
  const std::string file(kNgspiceMonteCarloFile);
  std::string text;
  text += "* Monte Carlo, " + std::to_string(runs) + " runs: the nominal run, then each resistor within +-" +
          Percent(o.resistorTolerance) + " and each capacitor within +-" + Percent(o.capacitorTolerance) +
          " (uniform); " + out + " of every run to " + file + "\n";
  text += "set mc_nominal = $curplot\n";
  text += "unset appendwrite\n";
  text += "wrdata " + file + " " + out + "\n";
  if (runs == 1) return text;
  text += "set appendwrite\n";
  // A plot of its own keeps the run counter while every run makes a new current plot.
  text += "set curplot = new\n";
  text += "set mc_scratch = $curplot\n";
  text += "let mc_run = 1\n";
  text += "repeat " + std::to_string(runs - 1) + "\n";
  text += "  setplot $mc_scratch\n";
  text += "  let mc_run = mc_run + 1\n";
  text += "  echo Monte Carlo run $&mc_run\n";
  for (const Element& e : elements) {
    const double tol = (e.resistor ? o.resistorTolerance : o.capacitorTolerance) / 100;
    text += "  let mc_value = " + Plain(e.value) + " * (1 + " + Plain(tol) + " * sunif(0))\n";
    text += "  alter " + e.device + " = mc_value\n";
    text += "  echo " + e.device + " $&mc_value\n";
  }
  text += "  run\n";
  text += "  let mc_ymax = vecmax(abs(mag(" + out + ") - mag({$mc_nominal}." + out + ")))\n";
  text += "  echo YMAX $&mc_ymax\n";
  text += "  wrdata " + file + " " + out + "\n";
  text += "end\n";
  return text;
}

}  // namespace

SpiceOptions DefaultSpiceOptions(const core::DesignState& state) {
  SpiceOptions o;
  const double toHz = state.frequencyUnit == core::FrequencyUnit::Hz ? 1.0 : 0.5 / std::numbers::pi;
  o.startHz = state.idealAxes.freqStart * toHz;
  o.stopHz = state.idealAxes.freqStop * toHz;
  return o;
}

std::string WriteSpiceNetlist(const core::DesignState& state, const SpiceOptions& o) {
  const bool ng = o.dialect == SpiceDialect::Ngspice;
  const int stages = std::clamp<int>(state.stageCount, 0, core::kMaxStages);
  const OpAmpPlan plan = PlanOpAmps(state, stages, o);

  std::string text(kHeader);
  text += "\n";
  if (ng) text += "* ngspice: values in ohms, farads and hertz; run with ngspice -b\n";
  text += OpAmpModels(plan, o);

  std::vector<Element> elements;
  for (int t = 1; t <= stages; ++t) {
    const core::CircuitRecord cr = ValuesInForce(state.circuits[At(t)]);
    const int type = TypeOf(state.stages[At(t)]);
    const std::string& model = plan.nameOfStage[At(t)];
    text += ng ? NgspiceSubcircuit(cr, type, t, model, elements) : StageSubcircuit(cr, type, t, model);
  }

  if (!ng) {
    text += ".MODEL RMODEL RES(R=1 DEV=" + Percent(o.resistorTolerance) + ")\n";
    text += ".MODEL CMODEL CAP(C=1 DEV=" + Percent(o.capacitorTolerance) + ")\n";
  }
  text += ng ? "V1 1 0 DC 0 AC 1\n" : "V1 1 0 AC 1\n";
  for (int t = 1; t <= stages; ++t) {
    const std::string n = std::to_string(t);
    text += "X" + n + " " + n + " " + std::to_string(t + 1) + " " +
            circuits::TypeLetters(TypeOf(state.stages[At(t)])) + n + "\n";
  }

  if (!ng) {
    text += ".AC DEC " + std::to_string(o.pointsPerDecade) + " " + SweepFrequency(o.startHz) + " " +
            SweepFrequency(o.stopHz) + "\n";
    if (o.probe)
      for (int k = 2; k <= stages + 1; ++k) text += ".PROBE V(" + std::to_string(k) + ")\n";
    if (o.printTable) text += ".PRINT AC" + NodeList("V", stages) + "\n";
    if (o.linePrinterPlot) text += ".PLOT AC" + NodeList("V", stages) + "\n";
    if (o.monteCarlo)
      text += ".MC " + std::to_string(o.monteCarloRuns) + " AC V(" + std::to_string(stages + 1) +
              ") YMAX LIST OUTPUT ALL\n";
    text += ".END\n";
    return text;
  }

  text +=
      ".AC DEC " + std::to_string(o.pointsPerDecade) + " " + Plain(o.startHz) + " " + Plain(o.stopHz) + "\n";
  text += ".control\n";
  text += "set wr_singlescale\nset wr_vecnames\nset numdgt = 12\n";
  text += "run\n";
  if (o.probe) text += "wrdata " + std::string(kNgspiceProbeFile) + NodeList("v", stages) + "\n";
  if (o.printTable) text += "print" + NodeList("vm", stages) + "\n";
  if (o.linePrinterPlot) text += "asciiplot" + NodeList("vm", stages) + "\n";
  if (o.monteCarlo) text += NgspiceMonteCarlo(elements, stages, o);
  // Batch mode would otherwise look for analyses outside this block, find none and end with
  // a failure status; an interactive session stays open with the results.
  text += "if $?batchmode\n  quit 0\nend\n";
  text += ".endc\n";
  text += ".END\n";
  return text;
}

}  // namespace tavrin::output
