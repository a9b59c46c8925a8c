#include "approx/SpecEntry.h"

#include <cctype>

#include "core/MathHelpers.h"
#include "core/NumberFormat.h"

namespace tavrin::approx {

using core::FilterKind;

std::optional<EntryUnit> ParseEntryUnit(const std::string& text) {
  if (text == "Hz") return EntryUnit::Hz;
  if (text == "kHz") return EntryUnit::kHz;
  if (text == "rad/s") return EntryUnit::RadPerSec;
  if (text == "krad/s") return EntryUnit::kRadPerSec;
  return std::nullopt;
}

const char* EntryUnitText(EntryUnit unit) {
  switch (unit) {
    case EntryUnit::Hz:
      return "Hz";
    case EntryUnit::kHz:
      return "kHz";
    case EntryUnit::RadPerSec:
      return "rad/s";
    case EntryUnit::kRadPerSec:
      return "krad/s";
  }
  return "";
}

double EntryUnitFactor(EntryUnit unit) {
  switch (unit) {
    case EntryUnit::Hz:
      return 2.0 * core::kPi;
    case EntryUnit::kHz:
      return 2000.0 * core::kPi;
    case EntryUnit::RadPerSec:
      return 1.0;
    case EntryUnit::kRadPerSec:
      return 1000.0;
  }
  return 1.0;
}

std::int16_t EntryUnitIndex(EntryUnit unit) {
  return (unit == EntryUnit::kHz || unit == EntryUnit::kRadPerSec) ? 1 : 0;
}

EntryUnit UnitForBox(core::FrequencyUnit displayUnit, int index) {
  if (displayUnit == core::FrequencyUnit::Hz) return index == 0 ? EntryUnit::Hz : EntryUnit::kHz;
  return index == 0 ? EntryUnit::RadPerSec : EntryUnit::kRadPerSec;
}

SpecEntries DefaultEntries(FilterKind kind, core::FrequencyUnit displayUnit, bool gainInDb) {
  SpecEntries e;
  e.kind = kind;
  e.apb = "0.5";
  e.asb = "30";
  e.center = "2";
  switch (kind) {
    case FilterKind::Highpass:
    case FilterKind::Bandstop:
      e.pass = "2";
      e.stop = "1";
      break;
    default:
      e.pass = "1";
      e.stop = "2";
      break;
  }
  e.passUnit = e.stopUnit = e.centerUnit = UnitForBox(displayUnit, 1);
  e.gain = gainInDb ? "0" : "1.0";
  e.gainUnit = gainInDb ? GainUnit::Decibel : GainUnit::VoltsPerVolt;
  return e;
}

namespace {

bool IsBand(FilterKind kind) {
  return kind == FilterKind::Bandpass || kind == FilterKind::Bandstop;
}

Message Refusal(const std::string& text, EntryField focus = EntryField::None) {
  Message m;
  m.text = text;
  m.kind = MessageKind::Warning;
  m.buttons = MessageButtons::Ok;
  m.beep = true;
  m.focus = focus;
  return m;
}

// A number field holds only what its key filter lets through (digits and "."), so a sign
// or an exponent, which the window cannot take, is no number here either.
bool EntryNumber(const std::string& text, double& value) {
  value = 0;
  if (text.empty()) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.') return false;
  return core::TryParseReal(text, value) && value != 0.0;
}

// The order field holds digits only.  Anything longer than four digits is surely above
// the limit, which keeps the value inside 16 bits.
bool EntryInteger(const std::string& text, int& value) {
  value = 0;
  if (text.empty()) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  std::size_t start = text.find_first_not_of('0');
  if (start == std::string::npos) return true;  // "0", "00"
  if (text.size() - start > 4) {
    value = 9999;
    return true;
  }
  value = std::stoi(text.substr(start));
  return true;
}

}  // namespace

SpecOutcome BuildFilterSpec(const SpecEntries& entries, const core::FilterSpec& previous) {
  SpecOutcome out;
  core::FilterSpec& spec = out.spec;
  spec = previous;
  const FilterKind kind = entries.kind;
  const bool band = IsBand(kind);
  const bool forced = entries.forceOrder;

  if (kind == FilterKind::UserDefined) return out;  // the user-defined window has its own entries

  // 1. The forced order.
  if (forced) {
    int order = 0;
    if (!EntryInteger(entries.order, order)) {
      out.messages.push_back(Refusal("An integer number must be entered.", EntryField::Order));
      return out;
    }
    spec.forcedOrder = static_cast<std::int16_t>(order);
    if (order > core::kMaxOrder) {
      out.messages.push_back(
          Refusal("Maximum order is " + std::to_string(core::kMaxOrder) + ".", EntryField::Order));
      return out;
    }
    if (band && order % 2 != 0) {
      out.messages.push_back(Refusal("Order must be an even number.", EntryField::Order));
      return out;
    }
  }

  // 2. The number fields, in tab order, each only while it is shown and enabled; the
  // first that is no number ends the parsing.
  struct Field {
    const std::string* text;
    double* target;
    EntryField id;
    bool used;
  };
  const Field fields[] = {
      {&entries.apb, &spec.apbEntered, EntryField::Apb, true},
      {&entries.asb, &spec.asbEntered, EntryField::Asb, !forced},
      {&entries.pass, &spec.passEntered, EntryField::Pass, true},
      {&entries.stop, &spec.stopEntered, EntryField::Stop, !forced},
      {&entries.center, &spec.centerEntered, EntryField::Center, band},
  };
  for (const Field& f : fields) {
    if (!f.used) continue;
    double v = 0;
    if (!EntryNumber(*f.text, v)) {
      out.messages.push_back(Refusal("Invalid Number.", f.id));
      return out;
    }
    *f.target = v;
  }
  out.parsed = true;

  spec.kind = kind;
  spec.forceOrder = forced;
  spec.passUnit = EntryUnitIndex(entries.passUnit);
  spec.stopUnit = EntryUnitIndex(entries.stopUnit);
  spec.centerUnit = EntryUnitIndex(entries.centerUnit);

  // Normalization: everything in rad/s, and the selectivity K >= 1 of the kind.
  const double passFactor = EntryUnitFactor(entries.passUnit);
  const double stopFactor = EntryUnitFactor(entries.stopUnit);
  spec.apb = spec.apbEntered;
  if (!forced) spec.asb = spec.asbEntered;
  spec.normFrequency = 1.0;
  switch (kind) {
    case FilterKind::Lowpass:
      spec.wpb = spec.passEntered * passFactor;
      spec.wsb = forced ? 2.0 * spec.wpb : spec.stopEntered * stopFactor;
      spec.selectivity = spec.wsb / spec.wpb;
      break;
    case FilterKind::Highpass:
      spec.wpb = spec.passEntered * passFactor;
      spec.wsb = forced ? spec.wpb / 2.0 : spec.stopEntered * stopFactor;
      spec.selectivity = spec.wpb / spec.wsb;
      break;
    case FilterKind::Bandpass:
      spec.bp = spec.passEntered * passFactor;
      spec.bs = forced ? 2.0 * spec.bp : spec.stopEntered * stopFactor;
      spec.w0 = spec.centerEntered * EntryUnitFactor(entries.centerUnit);
      spec.selectivity = spec.bs / spec.bp;
      break;
    case FilterKind::Bandstop:
      spec.bp = spec.passEntered * passFactor;
      spec.bs = forced ? spec.bp / 2.0 : spec.stopEntered * stopFactor;
      spec.w0 = spec.centerEntered * EntryUnitFactor(entries.centerUnit);
      spec.selectivity = spec.bp / spec.bs;
      break;
    case FilterKind::UserDefined:
      break;
  }

  // Validation: every rule is tested and each failing one says so.
  if (!forced && spec.asb <= spec.apb)
    out.messages.push_back(Refusal("Stopband attenuation must exceed passband attenuation."));
  if (kind == FilterKind::Lowpass && spec.wsb <= spec.wpb)
    out.messages.push_back(Refusal("Stopband frequency must exceed passband frequency."));
  if (kind == FilterKind::Highpass && spec.wsb >= spec.wpb)
    out.messages.push_back(Refusal("Passband frequency must exceed stopband frequency."));
  if (kind == FilterKind::Bandpass && !forced && spec.bs <= spec.bp)
    out.messages.push_back(Refusal("Stopband bandwidth must exceed passband bandwidth."));
  if (kind == FilterKind::Bandstop && !forced && spec.bs >= spec.bp)
    out.messages.push_back(Refusal("Passband bandwidth must exceed stopband bandwidth."));
  const bool tooFast =
      band ? spec.w0 > kMaxEdgeFrequency : (spec.wpb > kMaxEdgeFrequency || spec.wsb > kMaxEdgeFrequency);
  if (tooFast)
    out.messages.push_back(Refusal(std::string("All edge and center frequencies are limited to a maximum ") +
                                   "of 100MHz (628Mrad/s)."));
  out.accepted = out.messages.empty();
  return out;
}

GainOutcome CheckOverallGain(const std::string& text, GainUnit unit) {
  GainOutcome out;
  const double number = core::ParseReal(text);
  auto error = [](const char* t) {
    Message m;
    m.text = t;
    m.kind = MessageKind::Error;
    m.buttons = MessageButtons::Ok;
    return m;
  };
  if (unit == GainUnit::VoltsPerVolt) {
    out.gain = number;
    if (number < 0.1) out.error = error("Minimum allowable overall gain is 0.1V/V.");
  } else {
    // A typed dB value has no sign, so only the maximum can be broken.
    out.gain = core::Pow10(0.05 * number);
  }
  if (!out.error && out.gain > 1000.0) out.error = error("Maximum allowable overall gain is 60dB (1000V/V).");
  return out;
}

}  // namespace tavrin::approx
