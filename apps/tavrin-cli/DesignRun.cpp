#include "DesignRun.h"

#include "Batch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "analysis/StagePolynomials.h"
#include "analysis/WorkingVectors.h"
#include "circuits/BuiltFilter.h"
#include "circuits/Catalogue.h"
#include "circuits/GainDistribution.h"
#include "circuits/Ratings.h"
#include "circuits/StandardValues.h"
#include "core/NumberFormat.h"
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
              state.stages[At(s)].name.c_str(), circuits::CircuitKey(type, circuits::BestCandidate(state, s)).c_str());
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

Json DesignJson(const core::DesignState& state, const DesignArgs& a) {
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
    out += DesignJson(*state, args_).dump();
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
  if (!state) {
    for (const std::string& m : messages) std::cerr << m << "\n";
    return 2;
  }
  if (a.spec.json) {
    std::cout << DesignJson(*state, a).dump() << "\n";
  } else if (a.rate) {
    PrintRating(*state, *a.rate);
  } else {
    PrintDesign(*state, state->chosenSlot);
  }
  return 0;
}

}  // namespace tavrin::cli
