// The entry window's entries as texts and unit choices, and the first step of
// Calculate: parsing them, converting them to rad/s and validating the result.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "approx/Messages.h"
#include "core/DesignState.h"

namespace tavrin::approx {

// The items of the three frequency unit boxes.  The boxes list "Hz" and "kHz" while the
// display unit is Hz, "rad/s" and "krad/s" otherwise.
enum class EntryUnit { Hz, kHz, RadPerSec, kRadPerSec };

std::optional<EntryUnit> ParseEntryUnit(const std::string& text);  // "Hz", "kHz", "rad/s", "krad/s"
const char* EntryUnitText(EntryUnit unit);
double EntryUnitFactor(EntryUnit unit);       // multiplying the entry gives rad/s
std::int16_t EntryUnitIndex(EntryUnit unit);  // position in its box: 0 or 1
EntryUnit UnitForBox(core::FrequencyUnit displayUnit, int index);

enum class GainUnit { VoltsPerVolt, Decibel };  // the items of CB4

struct SpecEntries {
  core::FilterKind kind = core::FilterKind::Lowpass;
  std::string apb;                             // NumEdit1
  std::string asb;                             // NumEdit2
  std::string pass;                            // NumEdit3: passband edge (LP/HP) or bandwidth (BP/BS)
  std::string stop;                            // NumEdit4: stopband edge or bandwidth
  std::string center;                          // NumEdit5: center frequency, shown for BP/BS only
  EntryUnit passUnit = EntryUnit::kHz;         // CB1
  EntryUnit stopUnit = EntryUnit::kHz;         // CB2
  EntryUnit centerUnit = EntryUnit::kHz;       // CB3
  std::string gain;                            // NumEdit6
  GainUnit gainUnit = GainUnit::VoltsPerVolt;  // CB4
  bool forceOrder = false;                     // CheckBox1
  std::string order;                           // IntEdit1
};

// What the window shows when it opens for a kind.
SpecEntries DefaultEntries(core::FilterKind kind, core::FrequencyUnit displayUnit, bool gainInDb);

struct SpecOutcome {
  // Parsing refused an entry: nothing was normalized (the slots are left alone).
  bool parsed = false;
  // Parsed and every validation rule passed.
  bool accepted = false;
  // Filled as far as parsing and normalization got; when parsed it is the new
  // requirements, valid or not, as Calculate stores it.
  core::FilterSpec spec;
  Messages messages;  // in the order they are shown
};

// Parses, normalizes and validates.  `previous` supplies what the entries do not: the
// values of disabled fields (a forced order leaves the stopband entries and asb alone)
// and the overall gain.
SpecOutcome BuildFilterSpec(const SpecEntries& entries, const core::FilterSpec& previous);

// The overall gain in V/V from NumEdit6 and CB4, or the error that refuses it.
struct GainOutcome {
  double gain = 0;
  std::optional<Message> error;
};
GainOutcome CheckOverallGain(const std::string& text, GainUnit unit);

// The highest edge or center frequency a set of requirements may have, rad/s (100 MHz).
inline constexpr double kMaxEdgeFrequency = 628400000.0;

}  // namespace tavrin::approx
