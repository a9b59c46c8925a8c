#include "SpecOptions.h"

#include <algorithm>
#include <iostream>
#include <iterator>
#include <string_view>

#include "approx/BesselRootTable.h"
#include "approx/Calculate.h"
#include "response/ResponseSetup.h"

namespace tavrin::cli {

using core::FilterKind;

const char* const kKinds[4] = {"lowpass", "highpass", "bandpass", "bandstop"};
const char* const kSlotNames[5] = {"Butterworth", "Chebyshev", "Inverse Chebyshev", "Elliptic", "Bessel"};

CalcOptions AddRequirementsOptions(CLI::App& app, CalcArgs& a) {
  CalcOptions o;
  o.kind = app.add_option("KIND", a.kind, "lowpass | highpass | bandpass | bandstop")
               ->check(CLI::IsMember({"lowpass", "highpass", "bandpass", "bandstop"}));
  o.apb = app.add_option("--apb", a.apb, "passband attenuation, dB (default 0.5)");
  o.asb = app.add_option("--asb", a.asb, "stopband attenuation, dB (default 30)");
  o.pass = app.add_option("--pass", a.pass, "passband edge (LP/HP) or passband bandwidth (BP/BS)");
  o.stop = app.add_option("--stop", a.stop, "stopband edge (LP/HP) or stopband bandwidth (BP/BS)");
  o.center = app.add_option("--center", a.center, "center frequency (BP/BS, default 2)");
  o.unit = app.add_option("--unit", a.unit, "unit of the frequencies (default kHz)")
               ->check(CLI::IsMember({"Hz", "kHz", "rad/s", "krad/s"}));
  o.order = app.add_option("--order", a.order, "forced final order (even for BP/BS)");
  o.gain = app.add_option("--gain", a.gain, "overall gain in V/V, or in dB as NdB (default 1)");
  app.add_flag("--json", a.json, "print the result as one JSON object");
  return o;
}

const char* KindName(FilterKind kind) {
  const int k = static_cast<int>(kind);
  return k >= 0 && k < 4 ? kKinds[k] : "user defined";
}

FilterKind KindOf(const std::string& name) {
  for (int i = 0; i < 4; ++i)
    if (name == kKinds[i]) return static_cast<FilterKind>(i);
  return FilterKind::Lowpass;
}

GivenOptions GivenBy(const CalcOptions& o) {
  GivenOptions g;
  g.apb = o.apb->count() > 0;
  g.asb = o.asb->count() > 0;
  g.pass = o.pass->count() > 0;
  g.stop = o.stop->count() > 0;
  g.center = o.center->count() > 0;
  g.unit = o.unit->count() > 0;
  g.order = o.order->count() > 0;
  g.gain = o.gain->count() > 0;
  return g;
}

bool ParsePlainRequirements(const std::vector<std::string>& args, CalcArgs& a, GivenOptions& given) {
  if (args.empty()) return false;
  CalcArgs parsed;
  GivenOptions seen;
  bool json = false;
  if (std::find(std::begin(kKinds), std::end(kKinds), args[0]) == std::end(kKinds)) return false;
  parsed.kind = args[0];
  struct Field {
    std::string_view name;
    std::string CalcArgs::*value;
    bool GivenOptions::*given;
  };
  static constexpr Field kFields[] = {
      {"--apb", &CalcArgs::apb, &GivenOptions::apb},          {"--asb", &CalcArgs::asb, &GivenOptions::asb},
      {"--pass", &CalcArgs::pass, &GivenOptions::pass},       {"--stop", &CalcArgs::stop, &GivenOptions::stop},
      {"--center", &CalcArgs::center, &GivenOptions::center}, {"--unit", &CalcArgs::unit, &GivenOptions::unit},
      {"--order", &CalcArgs::order, &GivenOptions::order},    {"--gain", &CalcArgs::gain, &GivenOptions::gain},
  };
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--json") {
      if (json) return false;
      json = true;
      continue;
    }
    const Field* field = nullptr;
    for (const Field& f : kFields) {
      if (name == f.name) field = &f;
    }
    if (!field || seen.*field->given || i + 1 >= args.size()) return false;
    const std::string& value = args[++i];
    if (value.empty() || value[0] == '-') return false;
    seen.*field->given = true;
    parsed.*field->value = value;
  }
  if (seen.unit && !approx::ParseEntryUnit(parsed.unit)) return false;
  parsed.json = json;
  a = std::move(parsed);
  given = seen;
  return true;
}

// The window's entries: its defaults for the kind, overwritten by what was given.
approx::SpecEntries EntriesFrom(const CalcArgs& a, const CalcOptions& o, core::FrequencyUnit& displayUnit) {
  return EntriesFrom(a, GivenBy(o), displayUnit);
}

approx::SpecEntries EntriesFrom(const CalcArgs& a, const GivenOptions& given, core::FrequencyUnit& displayUnit) {
  const FilterKind kind = KindOf(a.kind);
  approx::EntryUnit unit = approx::EntryUnit::kHz;
  if (given.unit) unit = *approx::ParseEntryUnit(a.unit);
  displayUnit = (unit == approx::EntryUnit::Hz || unit == approx::EntryUnit::kHz)
                    ? core::FrequencyUnit::Hz
                    : core::FrequencyUnit::RadPerSec;
  approx::SpecEntries e = approx::DefaultEntries(kind, displayUnit, false);
  e.passUnit = e.stopUnit = e.centerUnit = unit;
  if (given.apb) e.apb = a.apb;
  if (given.asb) e.asb = a.asb;
  if (given.pass) e.pass = a.pass;
  if (given.stop) e.stop = a.stop;
  if (given.center) e.center = a.center;
  if (given.order) {
    e.forceOrder = true;
    e.order = a.order;
  }
  if (given.gain) {
    const std::string g = a.gain;
    if (g.size() >= 2 && g.compare(g.size() - 2, 2, "dB") == 0) {
      e.gain = g.substr(0, g.size() - 2);
      e.gainUnit = approx::GainUnit::Decibel;
    } else {
      e.gain = g;
      e.gainUnit = approx::GainUnit::VoltsPerVolt;
    }
  }
  return e;
}

std::optional<int> SlotOf(const std::string& text) {
  for (int slot = 0; slot < core::kSlotCount; ++slot)
    if (text == kSlotNames[slot] || text == std::to_string(slot)) return slot;
  return std::nullopt;
}

void ReportUnknownApproximation(const std::string& text) {
  std::cerr << UnknownApproximationText(text) << "\n";
}

std::unique_ptr<core::DesignState> CalculateForSlot(const CalcArgs& a, const CalcOptions& o, int slot,
                                                    std::vector<std::string>& messages,
                                                    const approx::BesselRootTable* besselRoots) {
  auto state = std::make_unique<core::DesignState>();
  approx::CalculateRequest request;
  request.entries = EntriesFrom(a, o, state->frequencyUnit);
  request.besselTable = approx::DefaultBesselRootTablePath();
  request.besselRoots = besselRoots;
  request.buildTable = false;
  const approx::CalculateOutcome out = approx::Calculate(*state, request, response::ResponseHooks());
  if (out.status != approx::CalculateStatus::Completed) {
    for (const approx::Message& m : out.messages) messages.push_back(m.text);
    if (out.messages.empty()) messages.emplace_back("No approximation has a result for these requirements.");
    return nullptr;
  }
  if (!core::SlotHasResult(*state, slot)) {
    messages.push_back(std::string(kSlotNames[slot]) + " has no result for these requirements.");
    return nullptr;
  }
  return state;
}

std::unique_ptr<core::DesignState> CalculateForSlot(const CalcArgs& a, const CalcOptions& o, int slot) {
  std::vector<std::string> messages;
  auto state = CalculateForSlot(a, o, slot, messages, nullptr);
  for (const std::string& m : messages) std::cerr << m << "\n";
  return state;
}

std::string UnknownApproximationText(const std::string& text) {
  return "Unknown approximation \"" + text +
         "\": use Butterworth, Chebyshev, \"Inverse Chebyshev\", Elliptic, Bessel or 0..4.";
}

}  // namespace tavrin::cli
