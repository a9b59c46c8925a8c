#include "DesignRun.h"

#include "Batch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "analysis/FinalResponse.h"
#include "analysis/StagePolynomials.h"
#include "analysis/WorkingVectors.h"
#include "circuits/BuiltFilter.h"
#include "circuits/Catalogue.h"
#include "circuits/GainDistribution.h"
#include "circuits/Ratings.h"
#include "circuits/StandardValues.h"
#include "core/NumberFormat.h"
#include "output/NgspiceData.h"
#include "output/SpiceNetlist.h"
#include "stages/Cascading.h"
#include "core/Settings.h"
#include "stages/Criteria.h"

namespace tavrin::cli {

namespace {

using Json = nlohmann::ordered_json;

std::size_t At(int k) {
  return static_cast<std::size_t>(k);
}

Json Number(double x) {
  return std::isfinite(x) ? Json(x) : Json(nullptr);
}

Json Positive(double x) {
  return x > 0 && std::isfinite(x) ? Json(x) : Json(nullptr);
}

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    const auto b = item.find_first_not_of(" \t");
    const auto e = item.find_last_not_of(" \t");
    items.push_back(b == std::string::npos ? std::string() : item.substr(b, e - b + 1));
  }
  return items;
}

std::optional<int> WholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  return std::stoi(text);
}

bool ValidTolerance(double t) {
  for (double v : {0.1, 0.25, 0.5, 1.0, 2.0, 5.0, 10.0})
    if (t == v) return true;
  return false;
}

std::string StageCode(const core::DesignState& state, int s) {
  return circuits::CircuitKey(state.stages[At(s)].type & 0x7F, state.circuits[At(s)].CircuitNumber);
}

bool IsInverting(const core::DesignState& state, int s) {
  const core::CircuitRecord& cr = state.circuits[At(s)];
  return analysis::BuildStagePolynomials(analysis::LoadBuiltValues(cr), state.stages[At(s)], cr).inverting;
}

Json StageJson(const core::DesignState& state, int s) {
  const core::Stage& st = state.stages[At(s)];
  const core::CircuitRecord& cr = state.circuits[At(s)];
  const int type = st.type & 0x7F;
  const bool first = type == core::ptFLP || type == core::ptFHP;
  const bool notch = type == core::ptSLPN || type == core::ptSHPN || type == core::ptSN;
  Json j;
  j["n"] = s;
  j["type"] = core::TrimTrailingBlanks(st.name);
  j["code"] = StageCode(state, s);
  j["wp"] = first ? Json(nullptr) : Positive(st.wp);
  j["Qp"] = first ? Json(nullptr) : Positive(st.Qp);
  j["wz"] = notch ? Positive(st.wz) : Json(nullptr);
  j["p"] = Positive(st.p);
  j["requestedGain"] = Number(cr.RequestedGain);
  j["circuitGain"] = Number(cr.CircuitGain);
  j["gainConstrained"] = cr.GainConstrained;
  j["inverting"] = IsInverting(state, s);
  j["designFailed"] = cr.DesignFailed;
  j["level"] = Number(cr.Level);
  j["minGbw"] = first ? Json(nullptr) : Number(cr.MinGbw);
  j["gbw"] = Number(cr.OpAmpGbw);
  j["predistort"] = cr.Predistort;
  j["activeComp"] = cr.ActiveComp;
  Json rs = Json::array();
  for (int i = 1; i <= cr.ResistorCount; ++i) {
    const core::ComponentEntry& r = cr.R[At(i)];
    rs.push_back(Json{{"name", "R" + std::to_string(i)},
                      {"value", Positive(r.UserAssigned ? r.UserValue : r.Value)},
                      {"exact", Positive(r.ExactValue)},
                      {"preStandard", Positive(r.PreStandardValue)},
                      {"standard", r.IsStandard},
                      {"userAssigned", r.UserAssigned}});
  }
  Json cs = Json::array();
  for (int i = 1; i <= cr.CapacitorCount; ++i) {
    const core::ComponentEntry& c = cr.C[At(i)];
    cs.push_back(Json{{"name", "C" + std::to_string(i)},
                      {"value", Positive(c.Value)},
                      {"exact", Positive(c.ExactValue)},
                      {"standard", c.IsStandard}});
  }
  j["R"] = std::move(rs);
  j["C"] = std::move(cs);
  return j;
}

std::string Fixed(double x, int decimals) {
  return core::FormatFixed(x, 0, decimals);
}

void PrintDesign(const core::DesignState& state, int slot) {
  const double actual = circuits::ActualGainOf(state);
  const bool hz = state.frequencyUnit == core::FrequencyUnit::Hz;
  std::printf("%s %s, order %d, %d stage(s)\n", kSlotNames[slot], KindName(state.spec.kind),
              state.results[At(slot)].order, state.stageCount);
  std::printf("Overall gain: specified %s V/V, actual %s V/V\n", Fixed(state.spec.overallGain, 4).c_str(),
              Fixed(actual, 4).c_str());
  for (int s = 1; s <= state.stageCount; ++s) {
    const core::Stage& st = state.stages[At(s)];
    const core::CircuitRecord& cr = state.circuits[At(s)];
    const int type = st.type & 0x7F;
    const bool first = type == core::ptFLP || type == core::ptFHP;
    std::printf("\nStage %d  %s  %s %s\n", s, core::TrimTrailingBlanks(st.name).c_str(), StageCode(state, s).c_str(),
                circuits::Caption(circuits::CatalogueIndex(type, cr.CircuitNumber)).c_str());
    if (cr.DesignFailed) std::printf("  design failed: the circuit cannot realise this stage\n");
    std::printf("  %s", first ? (hz ? "fc = " : "wc = ") : (hz ? "fp = " : "wp = "));
    std::printf("%s", core::FormatFrequency(first ? (st.p > 0 ? st.p : st.wp) : st.wp, state.frequencyUnit).c_str());
    if (!first) std::printf("  Qp = %s", core::TrimZeros(core::FormatFixed(st.Qp, 0, 5)).c_str());
    if (type == core::ptSLPN || type == core::ptSHPN || type == core::ptSN)
      std::printf("  %s%s", hz ? "fz = " : "wz = ", core::FormatFrequency(st.wz, state.frequencyUnit).c_str());
    std::printf("\n  gain asked %s, realised %s%s, level %s %%, %s\n",
                Fixed(circuits::DisplayedGain(st, cr.RequestedGain), 5).c_str(),
                Fixed(circuits::DisplayedGain(st, cr.CircuitGain), 5).c_str(),
                cr.GainConstrained ? " (set by the circuit)" : "", Fixed(cr.Level, 1).c_str(),
                IsInverting(state, s) ? "inverting" : "non-inverting");
    if (!first) {
      std::printf("  op-amp GBW %s MHz (min. recommended %s MHz)%s%s\n", Fixed(cr.OpAmpGbw / 1e6, 3).c_str(),
                  Fixed(cr.MinGbw / 1e6, 3).c_str(), cr.Predistort ? ", predistorted" : "",
                  cr.ActiveComp ? ", active compensation" : "");
    }
    for (int i = 1; i <= cr.ResistorCount; ++i) {
      const core::ComponentEntry& r = cr.R[At(i)];
      std::printf("  R%-2d %10s", i, core::FormatResistance(r.UserAssigned ? r.UserValue : r.Value).c_str());
      if (r.UserAssigned) std::printf("  user-assigned");
      if (r.PreStandardValue > 0 && !r.UserAssigned)
        std::printf("  standard, computed %s", core::FormatResistance(r.PreStandardValue).c_str());
      std::printf("\n");
    }
    for (int i = 1; i <= cr.CapacitorCount; ++i) {
      const core::ComponentEntry& c = cr.C[At(i)];
      std::printf("  C%-2d %10s%s\n", i, core::FormatCapacitance(c.Value).c_str(),
                  circuits::IsStandardCapacitor(c.Value).standard ? "" : "  (not an E12 value)");
    }
  }
}

Json RatingJson(const core::DesignState& state, int s) {
  const int type = state.stages[At(s)].type & 0x7F;
  const core::StageAnalysisEntry& table = state.stageAnalysis[At(s)];
  Json list = Json::array();
  for (int n = 1; n <= circuits::CircuitCount(type); ++n) {
    const core::CircuitRating& r = table.candidate[At(n)];
    Json terms = Json::array();
    for (double t : r.SpreadTerms) terms.push_back(Number(t));
    list.push_back(Json{{"code", circuits::CircuitKey(type, n)},
                        {"caption", circuits::Caption(circuits::CatalogueIndex(type, n))},
                        {"resistors", r.ResistorCount},
                        {"capacitors", r.CapacitorCount},
                        {"opAmps", r.OpAmpCount},
                        {"resistorSpread", r.DesignFailed ? Json(nullptr) : Json(r.ResistorSpread)},
                        {"capacitorSpread", r.DesignFailed ? Json(nullptr) : Json(r.CapacitorSpread)},
                        {"requestedGain", Number(r.RequestedGain)},
                        {"circuitGain", Number(r.CircuitGain)},
                        {"designFailed", r.DesignFailed},
                        {"inverting", r.Inverting},
                        {"included", r.Included},
                        {"minGbw", Number(r.MinGbw)},
                        {"spreadTerms", std::move(terms)},
                        {"passiveSpread", Number(std::sqrt(r.PassiveVariance))},
                        {"activeSpread", Number(std::sqrt(r.ActiveVariance))},
                        {"totalSpread", Number(r.TotalSpread)}});
  }
  Json j;
  j["stage"] = s;
  j["type"] = core::TrimTrailingBlanks(state.stages[At(s)].name);
  j["best"] = circuits::CircuitKey(type, circuits::BestCandidate(state, s));
  j["candidates"] = std::move(list);
  return j;
}

void PrintRating(const core::DesignState& state, int s) {
  const int type = state.stages[At(s)].type & 0x7F;
  const core::StageAnalysisEntry& table = state.stageAnalysis[At(s)];
  std::printf("Stage %d (%s): candidates rated; best by the auto rule: %s\n\n", s,
              core::TrimTrailingBlanks(state.stages[At(s)].name).c_str(), circuits::CircuitKey(type, circuits::BestCandidate(state, s)).c_str());
  std::printf("%-7s %-8s %-8s %-3s %-3s %-3s %-11s %-11s %-10s %-10s %-9s\n", "Circuit", "R spread", "C spread",
              "R", "C", "OA", "Desired", "Actual", "Min GBW", "Spread dB", "");
  for (int n = 1; n <= circuits::CircuitCount(type); ++n) {
    const core::CircuitRating& r = table.candidate[At(n)];
    const auto spread = [&](std::int32_t v) {
      return r.DesignFailed ? std::string("N/A") : v >= 5000 ? std::string(">5000") : std::to_string(v);
    };
    const bool first = type == core::ptFLP || type == core::ptFHP;
    std::printf("%-7s %-8s %-8s %-3d %-3d %-3d %-11s %-11s %-10s %-10s %s\n", circuits::CircuitKey(type, n).c_str(),
                spread(r.ResistorSpread).c_str(), spread(r.CapacitorSpread).c_str(), r.ResistorCount,
                r.CapacitorCount, r.OpAmpCount, Fixed(r.RequestedGain, 5).c_str(), Fixed(r.CircuitGain, 5).c_str(),
                first ? "N/A" : (Fixed(r.MinGbw / 1e6, 2) + " MHz").c_str(),
                r.Included ? Fixed(r.TotalSpread, 4).c_str() : "-",
                r.DesignFailed ? "not suitable" : (r.Included ? "" : "excluded"));
  }
}


std::optional<output::SpiceOptions> NetlistOptions(const core::DesignState& state, const DesignArgs& a,
                                                   std::vector<std::string>& messages) {
  output::SpiceOptions o = output::DefaultSpiceOptions(state);
  o.dialect = a.dialect == "ngspice" ? output::SpiceDialect::Ngspice : output::SpiceDialect::PSpice;
  o.opAmp = a.opamp == "single-pole" ? output::SpiceOpAmpModel::SinglePole : output::SpiceOpAmpModel::Vcvs;
  if (!a.sweep.empty()) {
    const std::vector<std::string> parts = SplitList(a.sweep);
    double start = 0, stop = 0, ppd = 0;
    if (parts.size() != 3 || !core::TryParseReal(parts[0], start) || !core::TryParseReal(parts[1], stop) ||
        !core::TryParseReal(parts[2], ppd) || !(start > 0) || !(stop > start) || !(ppd >= 1) ||
        ppd != std::floor(ppd)) {
      messages.push_back("--sweep: \"" + a.sweep + "\" is not START,STOP,PPD (Hz, 0 < START < STOP, whole points per decade).");
      return std::nullopt;
    }
    o.startHz = start;
    o.stopHz = stop;
    o.pointsPerDecade = static_cast<int>(ppd);
  }
  return o;
}

std::optional<std::pair<int, int>> StageRangeOf(const std::string& text, int stages, std::vector<std::string>& messages) {
  if (text.empty()) return std::make_pair(1, stages);
  const auto dash = text.find('-');
  const std::optional<int> first = WholeNumber(text.substr(0, dash));
  const std::optional<int> last = dash == std::string::npos ? first : WholeNumber(text.substr(dash + 1));
  if (!first || !last || *first < 1 || *last > stages || *first > *last) {
    messages.push_back("--stages: \"" + text + "\" is not FIRST-LAST within 1-" + std::to_string(stages) + ".");
    return std::nullopt;
  }
  return std::make_pair(*first, *last);
}

Json FinalJson(core::DesignState& state, int curve, std::pair<int, int> range) {
  const std::vector<core::FrequencyPoint> grid = analysis::DefaultFinalGrid(state);
  Json points = Json::array();
  for (const analysis::FinalResponsePoint& p :
       analysis::FinalResponsePoints(state, curve, range.first, range.second, grid))
    points.push_back(Json{{"hz", Number(p.hz)},
                          {"rad", Number(p.rad)},
                          {"vv", Number(p.vv)},
                          {"db", Number(p.db)},
                          {"phaseDeg", Number(p.phaseDeg)},
                          {"delay", Number(p.delay)}});
  return Json{{"curve", curve}, {"firstStage", range.first}, {"lastStage", range.second}, {"points", std::move(points)}};
}

std::optional<std::filesystem::path> FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::filesystem::path candidate = std::filesystem::path(dir.empty() ? "." : dir) / name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

// Single quotes for the shell, with any quote inside closed and reopened.
std::string ShellQuoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Simulates the ngspice netlist and compares its filter output with the final response of
// the values in force at the simulated frequencies.  0 when it ran, 2 otherwise.
int Verify(core::DesignState& state, output::SpiceOptions o) {
  const std::optional<std::filesystem::path> ngspice = FindProgram("ngspice");
  if (!ngspice) {
    std::cerr << "--verify: ngspice was not found on the PATH (Debian: apt-get install ngspice).\n";
    return 2;
  }
  o.dialect = output::SpiceDialect::Ngspice;
  o.probe = true;
  o.printTable = false;
  o.linePrinterPlot = false;
  o.monteCarlo = false;
  std::string pattern = (std::filesystem::temp_directory_path() / "tavrin-verify-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::cerr << "--verify: no temporary folder could be made.\n";
    return 2;
  }
  const std::filesystem::path dir(pattern);
  {
    std::ofstream file(dir / "filter.cir");
    file << output::WriteSpiceNetlist(state, o);
  }
  const std::string command = "cd " + ShellQuoted(dir.string()) + " && " + ShellQuoted(ngspice->string()) +
                              " -b filter.cir > ngspice.log 2>&1";
  const int status = std::system(command.c_str());
  const std::vector<output::WrdataTable> tables = output::ReadWrdata(dir / output::kNgspiceProbeFile);
  std::error_code ignored;
  const std::string out = "v(" + std::to_string(state.stageCount + 1) + ")";
  const std::vector<std::complex<double>>* v = tables.empty() ? nullptr : tables.front().Find(out);
  if (status != 0 || v == nullptr || v->empty()) {
    std::cerr << "--verify: ngspice did not simulate the netlist (its log: " << (dir / "ngspice.log").string()
              << ").\n";
    return 2;
  }
  std::vector<core::FrequencyPoint> grid;
  for (double hz : tables.front().scale) grid.push_back({hz, 2 * 3.14159265358979323846 * hz});
  const std::vector<analysis::FinalResponsePoint> ours =
      analysis::FinalResponsePoints(state, 3, 1, state.stageCount, grid);
  double peak = -1e300;
  for (const auto& p : ours) peak = std::max(peak, p.db);
  double worst = 0;
  double worstHz = 0;
  int compared = 0;
  for (std::size_t i = 0; i < ours.size() && i < v->size(); ++i) {
    if (ours[i].db < peak - 60) continue;  // deep stopband: both are down in the rounding
    const double sim = 20 * std::log10(std::abs((*v)[i]));
    const double d = std::abs(sim - ours[i].db);
    ++compared;
    if (d > worst) {
      worst = d;
      worstHz = ours[i].hz;
    }
  }
  std::filesystem::remove_all(dir, ignored);
  std::printf("verify: ngspice and the final response differ by at most %.4g dB over %d points within 60 dB of the\n"
              "peak (%g Hz .. %g Hz, largest at %g Hz; op-amps: %s)\n",
              worst, compared, grid.front().hz, grid.back().hz, worstHz,
              o.opAmp == output::SpiceOpAmpModel::Vcvs ? "VCVS, gain 1e5" : "single pole at each stage's GBW");
  return 0;
}

}  // namespace

void AddDesignOptions(CLI::App& cmd, DesignArgs& a) {
  a.options = AddRequirementsOptions(cmd, a.spec);
  a.options.kind->required();
  a.approxOption = cmd.add_option("--approx", a.approximation,
                                  "Butterworth | Chebyshev | \"Inverse Chebyshev\" | Elliptic | Bessel, or the slot 0..4")
                       ->required();
  cmd.add_option("--circuits", a.circuits,
                 "auto (default), or one catalogue code per stage in cascade order (SLP02,SBP07,...).\n"
                 "auto takes per stage the best-rated candidate: among circuits that realise the stage,\n"
                 "the one that gives the gain asked of it, then the smallest gain spread, then moderate\n"
                 "component spreads and fewer op-amps");
  cmd.add_flag("--standard-r", a.standardR, "substitute standard resistor values (series of the tolerance)");
  cmd.add_option("--r-tolerance", a.rTolerance, "resistor tolerance in percent: 1 (E96), 5 (E24), 10 (E12)")
      ->check(CLI::IsMember({1.0, 5.0, 10.0}));
  cmd.add_option("--c-tolerance", a.cTolerance, "capacitor tolerance in percent: 0.1 0.25 0.5 1 2 5 10");
  cmd.add_option("--strategy", a.strategy,
                 "standard-resistor strategy: 1 searches the combinations with the least gain error,\n"
                 "2 takes each resistor's nearest value")
      ->check(CLI::IsMember({1, 2}));
  cmd.add_flag("--all-caps-standard", a.allCapsStandard,
               "every capacitor an E12 value, the resistors re-solved for it");
  cmd.add_option("--gbw", a.gbwMHz, "op-amp gain-bandwidth product of every stage, MHz");
  cmd.add_option("--predistort", a.predistort, "predistortion for the op-amp GBW: all, or stage numbers 1,3");
  cmd.add_option("--active-comp", a.activeComp, "active compensation: all, or stage numbers 2,4");
  cmd.add_option("--stage-gain", a.stageGains,
                 "N=G fixes the gain of stage N to G V/V (a lowpass notch: its DC gain); repeatable");
  cmd.add_option("--rate", a.rate, "print the ratings of every candidate circuit of stage N instead");
  cmd.add_option("--netlist", a.netlist, "write the SPICE netlist to FILE, or to standard output for '-'");
  cmd.add_option("--dialect", a.dialect,
                 "netlist dialect: pspice (unit models, as PSpice reads it) or ngspice (runs unchanged in\n"
                 "ngspice -b, values in full)")
      ->check(CLI::IsMember({"pspice", "ngspice"}));
  cmd.add_option("--opamp", a.opamp, "op-amp model of the netlist: vcvs (gain 1e5) or single-pole (the stage's GBW)")
      ->check(CLI::IsMember({"vcvs", "single-pole"}));
  cmd.add_option("--sweep", a.sweep, "the netlist's AC sweep START,STOP,PPD in Hz (points per decade)");
  cmd.add_option("--curve", a.curve,
                 "final response in the JSON: 3 the values in force (what the netlist writes), 2 exact\n"
                 "capacitors and resistors, 1 standard capacitors with exact resistors")
      ->check(CLI::IsMember({1, 2, 3}));
  cmd.add_option("--stages", a.stages, "the stages FIRST-LAST the final response cascades (default all)");
  cmd.add_flag("--verify", a.verify,
               "simulate the ngspice netlist with ngspice and print the largest difference from the final\n"
               "response in dB");
}

std::unique_ptr<core::DesignState> BuildDesign(const DesignArgs& a, std::vector<std::string>& messages,
                                               const approx::BesselRootTable* besselRoots) {
  const std::optional<int> slot = SlotOf(a.approximation);
  if (!slot) {
    messages.push_back(UnknownApproximationText(a.approximation));
    return nullptr;
  }
  if (!ValidTolerance(a.cTolerance)) {
    messages.push_back("--c-tolerance: " + core::TrimZeros(core::FormatFixed(a.cTolerance, 0, 6)) +
                       " is not one of 0.1 0.25 0.5 1 2 5 10.");
    return nullptr;
  }
  if (a.gbwMHz && !(*a.gbwMHz > 0)) {
    messages.emplace_back("--gbw: the gain-bandwidth product must be above 0 MHz.");
    return nullptr;
  }
  auto state = CalculateForSlot(a.spec, a.options, *slot, messages, besselRoots);
  if (!state) return nullptr;
  // As the program starts every stage: a 1 MHz op amp with the characteristics' tolerance,
  // temperature coefficient and noise (the active part of the gain spread needs them).
  for (int s = 1; s <= core::kMaxStages; ++s) {
    core::CircuitRecord& circuit = state->circuits[static_cast<std::size_t>(s)];
    circuit.OpAmpGbw = 1e6;
    circuit.OpAmpTolerance = state->characteristics.OpTolerance;
    circuit.OpAmpTempCoeff = state->characteristics.OpTempCoeff;
    circuit.Noise = state->characteristics.Noise;
  }
  state->firstStageCriteria = core::DecodeCriteria("11121314", "11121314");
  state->lastStageCriteria = core::DecodeCriteria("01010101", "01010101");
  core::SetCurrentSlot(*state, *slot);
  state->chosenSlot = static_cast<std::int16_t>(*slot);
  stages::PairAndCascade(*state);

  if (a.rate) {
    if (*a.rate < 1 || *a.rate > state->stageCount) {
      messages.push_back("--rate: stage " + std::to_string(*a.rate) + " does not exist (1.." +
                         std::to_string(state->stageCount) + ").");
      return nullptr;
    }
    state->characteristics.RTolerance = a.rTolerance;
    state->characteristics.CTolerance = a.cTolerance;
    circuits::StartAfresh(*state);
    circuits::RateCandidates(*state, *a.rate);
    return state;
  }

  circuits::FilterBuildOptions o;
  if (a.circuits != "auto" && !a.circuits.empty()) o.circuits = SplitList(a.circuits);
  o.standardR = a.standardR;
  o.rTolerance = a.rTolerance;
  o.cTolerance = a.cTolerance;
  o.strategy = a.strategy;
  o.allCapsStandard = a.allCapsStandard;
  if (a.gbwMHz) o.gbwHz = *a.gbwMHz * 1e6;
  const auto stagesOf = [&](const std::string& text, bool& all, std::vector<int>& list, const char* option) {
    all = text == "all";
    if (all || text.empty()) return true;
    for (const std::string& item : SplitList(text)) {
      const std::optional<int> n = WholeNumber(item);
      if (!n) {
        messages.push_back(std::string(option) + ": \"" + item + "\" is not a stage number; give all or numbers like 1,3.");
        return false;
      }
      list.push_back(*n);
    }
    return true;
  };
  if (!stagesOf(a.predistort, o.predistortAll, o.predistort, "--predistort") ||
      !stagesOf(a.activeComp, o.activeCompAll, o.activeComp, "--active-comp"))
    return nullptr;
  for (const std::string& g : a.stageGains) {
    const auto eq = g.find('=');
    const std::optional<int> n = eq == std::string::npos ? std::nullopt : WholeNumber(g.substr(0, eq));
    double v = 0;
    const bool number = eq != std::string::npos && core::TryParseReal(g.substr(eq + 1), v);
    if (!n || !number) {
      messages.push_back("--stage-gain: \"" + g + "\" is not N=G (a stage number and a gain in V/V).");
      return nullptr;
    }
    o.stageGains.emplace_back(*n, v);
  }
  if (const auto refused = circuits::BuildFilter(*state, o)) {
    messages.push_back((a.circuits != "auto" && refused->find("circuit") != std::string::npos ? "--circuits: " : "") +
                       *refused);
    return nullptr;
  }
  return state;
}

namespace {

Json DesignJson(core::DesignState& state, const DesignArgs& a, const output::SpiceOptions& netlist,
               std::pair<int, int> range) {
  if (a.rate) return RatingJson(state, *a.rate);
  const int slot = state.chosenSlot;
  Json j;
  j["kind"] = KindName(state.spec.kind);
  j["approximation"] = kSlotNames[slot];
  j["overallGain"] = Number(state.spec.overallGain);
  j["actualGain"] = Number(circuits::ActualGainOf(state));
  Json list = Json::array();
  for (int s = 1; s <= state.stageCount; ++s) list.push_back(StageJson(state, s));
  j["stages"] = std::move(list);
  j["final"] = FinalJson(state, a.curve, range);
  j["netlist"] = output::WriteSpiceNetlist(state, netlist);
  return j;
}

// One worker of `design --batch`: the options of a line and the designs it builds.
class DesignLine final : public BatchLine {
 public:
  explicit DesignLine(const approx::BesselRootTable* besselRoots) : besselRoots_(besselRoots) {
    app_.set_help_flag();
    AddDesignOptions(app_, args_);
  }
  CLI::App& Options() override { return app_; }
  void Reset() override {
    const CalcOptions options = args_.options;
    CLI::Option* approx = args_.approxOption;
    args_ = DesignArgs{};
    args_.options = options;
    args_.approxOption = approx;
  }
  BatchRefusal Run(std::string& out) override {
    std::vector<std::string> messages;
    const auto state = BuildDesign(args_, messages, besselRoots_);
    if (!state) return messages.empty() ? BatchRefusal{"The design could not be built."} : messages;
    const auto netlist = NetlistOptions(*state, args_, messages);
    const auto range = StageRangeOf(args_.stages, state->stageCount, messages);
    if (!netlist || !range) return messages;
    out += DesignJson(*state, args_, *netlist, *range).dump();
    return {};
  }

 private:
  CLI::App app_{"one design of a batch", "design"};
  DesignArgs args_;
  const approx::BesselRootTable* besselRoots_;
};

}  // namespace

int RunDesignBatch(const std::string& source) {
  auto besselRoots = std::make_unique<approx::BesselRootTable>();
  if (!approx::ReadBesselRootTable(approx::DefaultBesselRootTablePath(), *besselRoots)) besselRoots.reset();
  return RunBatch(source, [&]() { return std::make_unique<DesignLine>(besselRoots.get()); });
}

int RunDesign(const DesignArgs& a) {
  if (!a.spec.batch.empty()) return RunDesignBatch(a.spec.batch);
  std::vector<std::string> messages;
  const auto state = BuildDesign(a, messages, nullptr);
  const auto netlist = state ? NetlistOptions(*state, a, messages) : std::nullopt;
  const auto range = state ? StageRangeOf(a.stages, state->stageCount, messages) : std::nullopt;
  if (!state || !netlist || !range) {
    for (const std::string& m : messages) std::cerr << m << "\n";
    return 2;
  }
  if (!a.netlist.empty() && !a.rate) {
    const std::string text = output::WriteSpiceNetlist(*state, *netlist);
    if (a.netlist == "-") {
      std::cout << text;
      return a.verify ? Verify(*state, *netlist) : 0;
    }
    std::ofstream file(a.netlist, std::ios::binary);
    file << text;
    if (!file.flush()) {
      std::cerr << "--netlist: \"" << a.netlist << "\" could not be written.\n";
      return 2;
    }
  }
  if (a.spec.json) {
    std::cout << DesignJson(*state, a, *netlist, *range).dump() << "\n";
  } else if (a.rate) {
    PrintRating(*state, *a.rate);
  } else {
    PrintDesign(*state, state->chosenSlot);
  }
  if (a.verify && !a.rate) return Verify(*state, *netlist);
  return 0;
}

}  // namespace tavrin::cli
