// A filter entered section by section.  It lives in approximation 0: each section is one
// stage, its roots go into the pole and zero tables, and K and G are the product of the
// sections' To.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "approx/Messages.h"
#include "core/DesignState.h"

namespace tavrin::stages {

enum class SectionType { Lowpass = 0, Highpass = 1, Bandpass = 2, Bandstop = 3 };
enum class EntryMode : std::uint8_t { QWpWz = 0, Poles = 1 };

// The entry fields of the window, in the order the section record keeps them.
enum SectionField { kFieldFirst = 0, kFieldWp = 1, kFieldWz = 2, kFieldImag = 3, kFieldTo = 4 };

struct SectionEntry {
  int order = 2;  // 1 or 2
  SectionType type = SectionType::Lowpass;
  EntryMode mode = EntryMode::QWpWz;  // first-order sections always use poles
  // Q (or the pole's real-part magnitude, or the first-order pole), wp, wz (in poles mode
  // the zero's imaginary part), the pole's imaginary part, To.
  std::array<std::string, 5> field{"", "", "", "", "1.0"};
};

// A refused "Add": the message and the field that receives the focus (-1: none).
struct SectionRefusal {
  approx::Message message;
  int focus = -1;
};

inline constexpr int kMaxUserFirstOrder = 2;

// Opening the window: an empty user design.
void StartUserDesign(core::DesignState& state);

// The fields the window shows for an order, type and mode.
std::array<bool, 5> VisibleFields(const SectionEntry& entry);

// "Add": the order limit first, then the entries; nothing changes on a refusal.
std::optional<SectionRefusal> AddSection(core::DesignState& state, const SectionEntry& entry);
// "Delete" of section s (1-based); false when there is no such section.
bool DeleteSection(core::DesignState& state, int s);
// The arrow buttons: section s changes places with its neighbour above (-1) or below (+1).
bool MoveSection(core::DesignState& state, int s, int direction);

int UserSectionCount(const core::DesignState& state);
// "1.  \tLowpass\t2º" (the degree sign in UTF-8).
std::string SectionListLine(const core::DesignState& state, int s);
std::string FilterOrderText(const core::DesignState& state);  // " Filter order = 4"

// The preview of the section being entered, T(s) = numerator over denominator, in the
// window's own notation: "wp" and "wz" become "fp" and "fz" in hertz mode.
struct SectionPreview {
  std::string numerator;
  std::string denominator;
};
SectionPreview PreviewOf(const SectionEntry& entry, core::FrequencyUnit unit);

// Gain (V/V) at w rad/s of sections first..last.
double ComputeUserGain(const core::DesignState& state, int first, int last, double w);
double UserGainDb(double vv);  // never below -200 dB
// The gain of all sections over grid points first..last into the curve records of
// approximation 0; a run over more than one point widens the gain axis unless it is locked.
void ComputeUserGainCurve(core::DesignState& state, int first, int last);

// Default frequency range of the graphs in the current unit (start rounded to its leading digit).
struct UserFrequencyRange {
  double start = 0;
  double stop = 0;
};
UserFrequencyRange UserRange(const core::DesignState& state);

// The graphs' default range in the current unit, their frequency grid and the gain of all
// sections into the curve records of approximation 0; G stays.  Also for a design read
// from a file, whose graphs are not in the file.
void PrepareUserGraphs(core::DesignState& state);

// "Next": the design becomes user defined with the sections as its stages; the graphs'
// range and frequency grid are set, the gain of all sections goes into the curve records
// of approximation 0, and G becomes its peak (V/V).  False without any section.
bool CommitUserDesign(core::DesignState& state);

}  // namespace tavrin::stages
