#include "circuits/Adjustment.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <span>

#include "analysis/StagePolynomials.h"
#include "analysis/WorkingVectors.h"
#include "circuits/Catalogue.h"
#include "circuits/DesignStage.h"
#include "circuits/StandardValues.h"
#include "core/NumberFormat.h"
#include "core/RecordParts.h"

namespace tavrin::circuits {

namespace {

using core::At;
using core::ResistorsOf;
using core::CapacitorsOf;
using core::IsFirstOrderType;
using core::IsUsableValue;

using approx::Message;
using approx::MessageButtons;
using approx::MessageKind;

constexpr int kE12Count = 12;
constexpr int kMaxMoves = 240;  // twenty decades of E12 steps: more is a stage with no sensible values

bool ValidStage(int stage) {
  return stage >= 1 && stage <= core::kMaxStages;
}

// The circuit's own resistors, before the copies active compensation appends; the scale
// pair is the last two of them.
int OwnResistors(const core::CircuitRecord& cr) {
  const int n = ResistorsOf(cr);
  return IsValidCircuitId(cr.CircuitId) ? std::min(n, Descriptor(cr.CircuitId).resistors) : n;
}

Message Warning(std::string text) {
  return Message{std::move(text), MessageKind::Warning, MessageButtons::Ok};
}

Message Error(std::string text) {
  return Message{std::move(text), MessageKind::Error, MessageButtons::Ok};
}

// The position of an E12 value on one scale across decades: one step per E12 entry, larger
// values further up (value = E12[index] / 10^decade).
int E12Position(int index, int decade) {
  return index - kE12Count * decade;
}

void E12FromPosition(int position, int& index, int& decade) {
  index = ((position % kE12Count) + kE12Count) % kE12Count;
  decade = -(position - index) / kE12Count;
}

// The record's user assignments as the design file keeps them.
void SyncUserResistors(core::DesignState& state) {
  bool any = false;
  for (int s = 1; s <= core::kMaxStages; ++s) {
    const core::CircuitRecord& cr = state.circuits[At(s)];
    core::UserResistorEntry& u = state.userResistors[At(s)];
    for (int i = 1; i <= core::kResistors; ++i) {
      u.value[At(i)] = cr.R[At(i)].UserValue;
      u.assigned[At(i)] = cr.R[At(i)].UserAssigned;
      any = any || cr.R[At(i)].UserAssigned;
    }
  }
  state.userResistorValues = any;
}

// While an adjustment is in force (ExactTaken) the exact values are the design before it;
// otherwise the values are the design and the exact values are brought level with them.
void BackToExact(core::CircuitRecord& cr) {
  for (int i = 1; i <= ResistorsOf(cr); ++i) {
    core::ComponentEntry& r = cr.R[At(i)];
    if (cr.ExactTaken && IsUsableValue(r.ExactValue)) r.Value = r.ExactValue;
    r.ExactValue = r.Value;
    r.Change = 0;
  }
  for (int j = 1; j <= CapacitorsOf(cr); ++j) {
    core::ComponentEntry& c = cr.C[At(j)];
    if (cr.ExactTaken && IsUsableValue(c.ExactValue)) c.Value = c.ExactValue;
    c.ExactValue = c.Value;
    c.Change = 0;
  }
  cr.ExactTaken = false;
}

// Undoes a capacitor adjustment that could not be kept: every part back to its exact value.
void UndoAdjustment(core::CircuitRecord& cr) {
  for (int i = 1; i <= ResistorsOf(cr); ++i) {
    core::ComponentEntry& r = cr.R[At(i)];
    if (IsUsableValue(r.ExactValue)) r.Value = r.ExactValue;
    r.Change = 0;
  }
  for (int j = 1; j <= CapacitorsOf(cr); ++j) {
    core::ComponentEntry& c = cr.C[At(j)];
    if (IsUsableValue(c.ExactValue)) c.Value = c.ExactValue;
    c.Change = 0;
  }
}

// Before every value step and reset.
void BeforeValueStep(core::DesignState& state, int stage) {
  UndoStandardSubstitution(state);
  core::CircuitRecord& cr = state.circuits[At(stage)];
  for (int i = 1; i <= core::kResistors; ++i) cr.R[At(i)].UserAssigned = false;
  cr.ScaleResistor = 0;
  cr.ScalePartner = 0;
}

// A redesign asks the circuit for the stage's own gain again, not for whatever an earlier
// adjustment or a user-assigned resistor made of it.
void AskRequestedGain(core::CircuitRecord& cr) {
  if (cr.UserGainFixed) {
    cr.CircuitGain = cr.UserGain;
  } else if (cr.RequestedGain > 0) {
    cr.CircuitGain = cr.RequestedGain;
  }
}

void MarkCapacitorsStandard(core::CircuitRecord& cr) {
  for (int j = 1; j <= CapacitorsOf(cr); ++j) {
    core::ComponentEntry& c = cr.C[At(j)];
    c.IsStandard = IsStandardCapacitor(c.Value).standard;
  }
}

void ClearResistorMarks(core::CircuitRecord& cr) {
  for (int i = 1; i <= ResistorsOf(cr); ++i) cr.R[At(i)].IsStandard = false;
}

void TakeExactValues(core::CircuitRecord& cr) {
  for (int i = 1; i <= ResistorsOf(cr); ++i) {
    cr.R[At(i)].ExactValue = cr.R[At(i)].Value;
    cr.R[At(i)].Change = 0;
  }
  for (int j = 1; j <= CapacitorsOf(cr); ++j) {
    cr.C[At(j)].ExactValue = cr.C[At(j)].Value;
    cr.C[At(j)].Change = 0;
  }
}

// One E12 step of C1 (and with it every capacitor) up or down.
void MoveCapacitors(core::CircuitRecord& cr, int direction) {
  int index = 0;
  int decade = 0;
  E12FromPosition(E12Position(cr.C1Index, cr.C1Decade) + direction, index, decade);
  ScaleCapacitors(cr, index, decade);
}

// " Rx/Ry": the scale resistor to the next E24 value, its partner in proportion.  A scale
// resistor that sits on the grid (also after the design's 0.02 percent lift) steps from its
// entry; one between entries goes to its neighbour.
void StepScalePair(core::CircuitRecord& cr, int direction) {
  const int n = OwnResistors(cr);
  if (n < 2) return;
  core::ComponentEntry& scale = cr.R[At(n)];
  core::ComponentEntry& partner = cr.R[At(n - 1)];
  const double old = scale.Value;
  if (!IsUsableValue(old)) return;
  const std::span<const int> e24 = SeriesValues(Series::E24);
  const int count = static_cast<int>(e24.size());
  // old = m x 10^k with m in [100, 1000)
  int k = static_cast<int>(std::floor(std::log10(old))) - 2;
  double m = old / std::pow(10.0, k);
  if (m >= 1000) {
    ++k;
    m /= 10;
  } else if (m < 100) {
    --k;
    m *= 10;
  }
  constexpr double kOnGrid = 5e-4;  // relative; covers the lift of a computed value
  int index = -1;
  if (m >= 1000 * (1 - kOnGrid)) {
    index = 0;
    ++k;
  } else {
    for (int i = 0; i < count; ++i)
      if (std::abs(m - e24[At(i)]) <= kOnGrid * e24[At(i)]) index = i;
  }
  if (index >= 0) {
    index += direction;
  } else if (direction > 0) {
    index = 0;
    while (index < count && e24[At(index)] < m) ++index;
  } else {
    index = count - 1;
    while (index >= 0 && e24[At(index)] > m) --index;
  }
  if (index > count - 1) {
    index = 0;
    ++k;
  } else if (index < 0) {
    index = count - 1;
    --k;
  }
  const double value = k >= 0 ? e24[At(index)] * Pow10i(k) : e24[At(index)] / Pow10i(-k);
  const double f = value / old;

  // The pair keeps its ratio, so the gain it sets does not change; its exact values move
  // with it, so that going back to them keeps the new scale.
  const auto move = [f](core::ComponentEntry& e, double newValue) {
    e.ExactValue = e.ExactValue == e.Value ? newValue : e.ExactValue * f;
    e.Value = newValue;
    e.Change *= f;
  };
  const double oldPartner = partner.Value;
  move(scale, value);
  move(partner, oldPartner * f);
  // Compensation copies of the pair follow it.
  for (int j = n + 1; j <= ResistorsOf(cr); ++j) {
    core::ComponentEntry& copy = cr.R[At(j)];
    if (copy.Value == old) {
      move(copy, scale.Value);
    } else if (copy.Value == oldPartner) {
      move(copy, partner.Value);
    }
  }
  cr.ScaleIndex = static_cast<std::int16_t>(index);
  cr.ScaleDecade = static_cast<std::int16_t>(k + 1);  // the record's decade: 10 kOhm is index 0, decade 3
  cr.ScaleResistor = scale.Value;
  cr.ScalePartner = partner.Value;
}

// "Stage gain has increased by 5.2% from its origional value."
std::optional<Message> GainChangeReport(const core::CircuitRecord& cr, int type) {
  if (!(cr.SavedGain != 0)) return std::nullopt;
  const double gain = analysis::StageGain(analysis::LoadWorkingVectors(cr), type, cr.CircuitNumber);
  if (!std::isfinite(gain)) return std::nullopt;
  const double percent = (gain - cr.SavedGain) / std::abs(cr.SavedGain) * 100;
  // A change that would read 0% is no change to report.
  if (!(std::abs(percent) >= 0.005)) return std::nullopt;
  std::string text = "Stage gain has ";
  text += percent > 0 ? "increased by " : "decreased by ";
  text += core::TrimZeros(core::FormatFixed(std::abs(percent), 1, 2));
  text += "% from its origional value.";
  return Message{text, MessageKind::Information, MessageButtons::Ok};
}

std::string Trim(const std::string& text) {
  std::size_t b = 0;
  std::size_t e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  return text.substr(b, e - b);
}

void EraseAll(std::string& text, const std::string& what) {
  for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what))
    text.erase(p, what.size());
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  if (text.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    const auto a = static_cast<unsigned char>(text[text.size() - tail.size() + i]);
    const auto b = static_cast<unsigned char>(tail[i]);
    if (std::tolower(a) != std::tolower(b)) return false;
  }
  return true;
}

// The inventory bullet as the schematic labels carry it: Windows-1252 149, or its Unicode form.
std::string WithoutBullets(std::string text) {
  EraseAll(text, "\xE2\x80\xA2");
  EraseAll(text, "\x95");
  return text;
}

// The factor of the unit FormatCapacitance shows a value in.
double DisplayUnit(double farads) {
  if (farads < 9.9999e-10) return 1e-12;
  if (farads < 9.9999e-7) return 1e-9;
  if (farads < 9.9999e-4) return 1e-6;
  return 1;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Capacitor scaling and the automatic choice

void ScaleCapacitors(core::CircuitRecord& cr, int c1Index, int c1Decade) {
  const double old = cr.C[1].Value;
  if (!IsUsableValue(old)) return;
  int index = 0;
  int decade = 0;
  E12FromPosition(E12Position(c1Index, c1Decade), index, decade);
  const double c1 = E12Capacitor(index, decade);
  const double r = c1 / old;

  // The scale pair sets a gain by its ratio and is free in its level; it stays where the
  // user (or the design's limit) put it, and so do the compensation copies of it.
  const int n = ResistorsOf(cr);
  const int own = OwnResistors(cr);
  std::array<bool, core::kResistors + 1> keep{};
  if (cr.HasScalePair && own >= 2) {
    keep[At(own)] = keep[At(own - 1)] = true;
    for (int j = own + 1; j <= n; ++j) {
      const double v = cr.R[At(j)].Value;
      keep[At(j)] = v == cr.R[At(own)].Value || v == cr.R[At(own - 1)].Value;
    }
  }
  for (int i = 1; i <= n; ++i) {
    core::ComponentEntry& e = cr.R[At(i)];
    if (!keep[At(i)]) e.Value /= r;
    e.ExactValue = e.Value;
    e.Change = 0;
  }
  for (int j = 1; j <= CapacitorsOf(cr); ++j) {
    core::ComponentEntry& e = cr.C[At(j)];
    e.Value = j == 1 ? c1 : e.Value * r;
    e.ExactValue = e.Value;
    e.Change = 0;
  }
  cr.ResistorScale *= r;

  // C2 keeps its place in E12 relative to C1.
  if (CapacitorsOf(cr) >= 2 && cr.C[2].Value > 0) {
    const int moved = E12Position(index, decade) - E12Position(cr.C1Index, cr.C1Decade);
    int i2 = 0;
    int d2 = 0;
    E12FromPosition(E12Position(cr.C2Index, cr.C2Decade) + moved, i2, d2);
    cr.C2Index = static_cast<std::int16_t>(i2);
    cr.C2Decade = d2;
  }
  cr.C1Index = static_cast<std::int16_t>(index);
  cr.C1Decade = decade;
}

void WriteCapacitorMemory(core::DesignState& state, int stage, bool exactFromValues) {
  if (!ValidStage(stage)) return;
  const core::CircuitRecord& cr = state.circuits[At(stage)];
  core::StageComponentSetEntry& m = state.componentSet[At(stage)];
  m.C1Index = cr.C1Index;
  m.C1Decade = cr.C1Decade;
  m.C2Index = cr.C2Index;
  m.C2Decade = cr.C2Decade;
  m.CapRatio = cr.CapRatio;
  for (int j = 1; j <= core::kCapacitors; ++j) {
    m.Value[At(j)] = cr.C[At(j)].Value;
    m.ExactValue[At(j)] = exactFromValues ? cr.C[At(j)].Value : cr.C[At(j)].ExactValue;
  }
}

void AutoScaleCapacitors(core::DesignState& state, int stage) {
  if (!ValidStage(stage)) return;
  core::CircuitRecord& cr = state.circuits[At(stage)];
  const int type = state.stages[At(stage)].type & 0x7F;

  int k = 0;
  if (IsFirstOrderType(type)) {
    k = ResistorsOf(cr) >= 1 ? 1 : 0;
  } else {
    const int n = OwnResistors(cr) - (cr.HasScalePair ? 2 : 0);
    for (int i = 1; i <= n; ++i)
      if (k == 0 || cr.R[At(i)].Value > cr.R[At(k)].Value) k = i;
  }
  if (k > 0 && IsUsableValue(cr.R[At(k)].Value) && IsUsableValue(cr.C[1].Value)) {
    const double& rk = cr.R[At(k)].Value;
    int moves = 0;
    if (IsFirstOrderType(type)) {
      while (rk < kAutoScaleLimit && moves++ < kMaxMoves) MoveCapacitors(cr, -1);
      MoveCapacitors(cr, +1);
    } else if (rk > kAutoScaleLimit) {
      while (rk > kAutoScaleLimit && moves++ < kMaxMoves) MoveCapacitors(cr, +1);
    } else if (rk < kAutoScaleLimit) {
      while (rk < kAutoScaleLimit && moves++ < kMaxMoves) MoveCapacitors(cr, -1);
      MoveCapacitors(cr, +1);
    }
  }
  cr.AdjustPending = false;
  for (int j = 1; j <= CapacitorsOf(cr); ++j) cr.C[At(j)].ExactValue = cr.C[At(j)].Value;
  WriteCapacitorMemory(state, stage);
}

void UndoStandardSubstitution(core::DesignState& state) {
  for (int s = 1; s <= core::kMaxStages; ++s) {
    core::CircuitRecord& cr = state.circuits[At(s)];
    for (int i = 1; i <= core::kResistors; ++i) {
      core::ComponentEntry& r = cr.R[At(i)];
      if (!(r.PreStandardValue > 0)) continue;
      r.Value = r.PreStandardValue;
      r.PreStandardValue = 0;
      // The computed value is no toleranced part; left marked it would still count in the
      // tolerance sums of a stage nobody recomputes.
      r.IsStandard = false;
    }
  }
  state.standardResistors = false;
}

// ---------------------------------------------------------------------------------------
// Value steps and reset

void StepValues(core::DesignState& state, int stage, AdjustChoice choice, int direction) {
  if (!ValidStage(stage)) return;
  core::CircuitRecord& cr = state.circuits[At(stage)];
  if (choice == AdjustChoice::C2Only && !cr.C2OnlyAllowed) return;
  if (choice == AdjustChoice::RxRy && !cr.HasScalePair) return;
  const int d = direction >= 0 ? 1 : -1;

  BeforeValueStep(state, stage);
  cr.AdjustPending = true;
  switch (choice) {
    case AdjustChoice::AllCapacitors: {
      // The resistors go back with the capacitors: a step scales the design, not an
      // adjustment made for other capacitor values.
      BackToExact(cr);
      MoveCapacitors(cr, d);
      for (int j = 1; j <= CapacitorsOf(cr); ++j) {
        core::ComponentEntry& c = cr.C[At(j)];
        if (!IsUsableValue(c.Value)) continue;
        c.IsStandard = IsStandardCapacitor(c.Value).standard;
        if (c.IsStandard || !state.allCapsStandard) continue;
        c.Value = NearestCapacitor(c.ExactValue).value;
        c.Change = c.Value - c.ExactValue;
        c.IsStandard = true;
        cr.ExactTaken = true;
        if (!AdjustCapacitor(state, stage, j, std::nullopt).applied) {
          // The circuit could not follow, so the capacitor is back at its exact value.
          c.IsStandard = IsStandardCapacitor(c.Value).standard;
        }
      }
      ClearResistorMarks(cr);
      break;
    }
    case AdjustChoice::C2Only:
      BackToExact(cr);
      StepC2(cr, d > 0 ? kStepUp : kStepDown);
      AskRequestedGain(cr);
      DesignStage(state, stage);
      TakeExactValues(cr);
      MarkCapacitorsStandard(cr);
      ClearResistorMarks(cr);
      break;
    case AdjustChoice::RxRy:
      StepScalePair(cr, d);
      break;
  }
  cr.AdjustPending = false;
  cr.Fresh = false;
  WriteCapacitorMemory(state, stage);
  SyncUserResistors(state);
}

void ResetValues(core::DesignState& state, int stage) {
  if (!ValidStage(stage)) return;
  core::CircuitRecord& cr = state.circuits[At(stage)];
  BeforeValueStep(state, stage);
  const bool predistort = cr.Predistort;
  cr.Predistort = false;
  cr.ExactTaken = false;

  const core::StageComponentSetEntry& saved = state.componentSetSaved[At(stage)];
  cr.C1Index = saved.C1Index;
  cr.C1Decade = saved.C1Decade;
  cr.C2Index = saved.C2Index;
  cr.C2Decade = saved.C2Decade;
  cr.CapRatio = saved.CapRatio;
  for (int j = 1; j <= core::kCapacitors; ++j) {
    cr.C[At(j)].Value = saved.Value[At(j)];
    cr.C[At(j)].ExactValue = saved.ExactValue[At(j)];
    cr.C[At(j)].Change = 0;
  }
  for (int i = 1; i <= core::kResistors; ++i) cr.R[At(i)].Change = 0;
  // The saved capacitors are those of the circuit's set-up, so everything that has followed
  // the capacitors since goes back to where the set-up put it: the resistors fixed at
  // 10 kOhm / ResistorScale, and the scale pair at its default 10 kOhm.
  cr.ResistorScale = 1;
  if (cr.HasScalePair && OwnResistors(cr) >= 2) {
    cr.ScaleIndex = 0;
    cr.ScaleDecade = 3;
    cr.R[At(OwnResistors(cr))].Value = 10000;
  }

  AskRequestedGain(cr);
  DesignStage(state, stage);
  for (int i = 1; i <= ResistorsOf(cr); ++i) cr.R[At(i)].ExactValue = cr.R[At(i)].Value;
  if (predistort) {
    cr.Predistort = true;
    AskRequestedGain(cr);
    DesignStage(state, stage);
    for (int i = 1; i <= ResistorsOf(cr); ++i) cr.R[At(i)].ExactValue = cr.R[At(i)].Value;
  }
  AutoScaleCapacitors(state, stage);
  cr.Fresh = false;
  MarkCapacitorsStandard(cr);
  ClearResistorMarks(cr);
  SyncUserResistors(state);
}

// ---------------------------------------------------------------------------------------
// The capacitor adjustment

CapacitorRange AllowableRange(const core::ComponentEntry& c) {
  return {c.ExactValue / kCapacitorAdjustFactor, c.ExactValue * kCapacitorAdjustFactor};
}

std::optional<double> StandardCapacitorInRange(const core::ComponentEntry& c) {
  if (!IsUsableValue(c.ExactValue)) return std::nullopt;
  const double v = NearestCapacitor(c.ExactValue).value;
  const CapacitorRange range = AllowableRange(c);
  if (v < range.min || v > range.max) return std::nullopt;
  return v;
}

std::optional<double> ParseCapacitanceEntry(const std::string& text, double exactValue) {
  std::string t = Trim(text);
  const bool farads = !t.empty() && (t.back() == 'F' || t.back() == 'f');
  if (farads) t = Trim(t.substr(0, t.size() - 1));
  // A bare number is read in the unit the range is shown in; "F" alone means farads.
  double unit = farads ? 1.0 : DisplayUnit(exactValue);
  if (EndsWithNoCase(t, "\xC2\xB5")) {  // the micro sign
    unit = 1e-6;
    t.resize(t.size() - 2);
  } else if (!t.empty()) {
    const char last = static_cast<char>(std::tolower(static_cast<unsigned char>(t.back())));
    if (last == 'p' || last == 'n' || last == 'u' || t.back() == '\xB5') {
      unit = last == 'p' ? 1e-12 : last == 'n' ? 1e-9 : 1e-6;
      t.pop_back();
    }
  }
  double v = 0;
  if (!core::TryParseReal(t, v)) return std::nullopt;
  return v * unit;
}

AdjustOutcome AdjustCapacitor(core::DesignState& state, int stage, int capacitor,
                              std::optional<std::string> entry) {
  AdjustOutcome out;
  if (!ValidStage(stage)) return out;
  core::CircuitRecord& cr = state.circuits[At(stage)];
  const int type = state.stages[At(stage)].type & 0x7F;
  if (!IsValidCircuitId(cr.CircuitId) || capacitor < 1 || capacitor > CapacitorsOf(cr)) return out;
  const AdjustmentDescriptor& d = AdjustDescriptor(cr.CircuitId);
  const bool interactive = entry.has_value();
  const bool c1OrC2 = capacitor == 1 || capacitor == 2;

  // Refusals come first and change nothing.
  if (interactive && d.capacitorCoupling && c1OrC2) {
    out.messages.push_back(
        Warning("This circuit is not amenable to the independent adjustment "
                "of capacitor values."));
    return out;
  }
  double entered = 0;
  if (interactive) {
    const core::ComponentEntry& c = cr.C[At(capacitor)];
    core::ComponentEntry exact = c;
    if (!cr.ExactTaken) exact.ExactValue = c.Value;
    if (Trim(*entry).empty()) {
      out.messages.push_back(Warning("Value not entered!"));
      return out;
    }
    entered = ParseCapacitanceEntry(*entry, exact.ExactValue).value_or(0);
    const CapacitorRange range = AllowableRange(exact);
    // The range is shown rounded; its own ends are inside it.
    constexpr double kEdge = 1e-9;
    if (!(entered >= range.min * (1 - kEdge) && entered <= range.max * (1 + kEdge))) {
      out.messages.push_back(Warning("Value does not fall within required range!"));
      return out;
    }
  }

  if (!cr.ExactTaken) {
    TakeExactValues(cr);
    cr.ExactTaken = true;
  }
  cr.SavedGain = cr.CircuitGain;
  if (interactive) {
    core::ComponentEntry& c = cr.C[At(capacitor)];
    c.Value = entered;
    c.Change = entered - c.ExactValue;
  }
  if (!state.useCapMemory && !state.stepsStale && !state.sideTabMark) {
    for (int i = 1; i <= core::kResistors; ++i) cr.R[At(i)].UserAssigned = false;
  }
  state.sideTabMark = false;

  ResolveResult result;
  if (IsFirstOrderType(type)) {
    result = ResolveFirstOrder(cr, type);
  } else if (HasClosedFormAdjustment(type, cr.CircuitNumber)) {
    // With the capacitor memory in force the gain-pair members only rescale their network.
    const bool gainPair = cr.CircuitNumber == 2;
    result = ResolveClosedForm(cr, type, capacitor, state.useCapMemory && gainPair);
    if (result.status == ResolveStatus::RatioTooSmall) {
      const double limit = result.limit;
      core::ComponentEntry& c = cr.C[At(capacitor)];
      c.Value = c.ExactValue;
      c.Change = 0;
      // Another capacitor's earlier change may still stand; the resistors follow what is left.
      bool changed = false;
      for (int j = 1; j <= CapacitorsOf(cr); ++j) changed = changed || cr.C[At(j)].Change != 0;
      if (!changed || ResolveClosedForm(cr, type, capacitor, false).status != ResolveStatus::Solved) {
        UndoAdjustment(cr);
      }
      if (interactive) {
        std::string text =
            "This circuit is additionally constrained. At this point in "
            "the design, a minimum ratio of C2/C1 must be maintained. "
            "Therefore, ";
        text += capacitor == 1 ? "C1 cannot exceed " : "C2 must be at least ";
        text += core::FormatCapacitance(limit);
        text += ".";
        out.messages.push_back(Warning(text));
      }
      SyncUserResistors(state);
      return out;
    }
  } else {
    if (d.capacitorCoupling && c1OrC2) {
      // The network is balanced only with C1 and C2 in their designed ratio: the other one follows.
      core::ComponentEntry& c1 = cr.C[1];
      core::ComponentEntry& c2 = cr.C[2];
      if (capacitor == 1 && IsUsableValue(c1.ExactValue)) {
        c2.Value = c2.ExactValue * c1.Value / c1.ExactValue;
        c2.Change = c2.Value - c2.ExactValue;
      } else if (capacitor == 2 && IsUsableValue(c2.ExactValue)) {
        c1.Value = c1.ExactValue * c2.Value / c2.ExactValue;
        c1.Change = c1.Value - c1.ExactValue;
      }
    }
    result = ResolveLinearised(cr, type);
  }

  switch (result.status) {
    case ResolveStatus::Solved: {
      out.applied = true;
      // The integrating-capacitor ratio sets SHP03's gain; its C3 does not.
      const bool reports = d.reportGainChange && !(type == core::ptSHP && cr.CircuitNumber == 3 && !c1OrC2);
      if (interactive && reports) {
        if (const std::optional<Message> m = GainChangeReport(cr, type)) out.messages.push_back(*m);
      }
      break;
    }
    case ResolveStatus::InvalidSolution:
      UndoAdjustment(cr);
      if (interactive) out.messages.push_back(Error("Invalid solution for these capacitor values"));
      break;
    case ResolveStatus::Singular:
      UndoAdjustment(cr);
      if (interactive) out.messages.push_back(Error("Singular matrix"));
      break;
    case ResolveStatus::NonPositive:
    case ResolveStatus::NotAdjustable:
    case ResolveStatus::RatioTooSmall:
      UndoAdjustment(cr);
      if (interactive)
        out.messages.push_back(Error("Component calculations fail for these capacitor values."));
      break;
  }
  SyncUserResistors(state);
  return out;
}

// ---------------------------------------------------------------------------------------
// The resistor adjustment

std::optional<double> ParseResistanceEntry(const std::string& text) {
  std::string t = Trim(WithoutBullets(text));
  for (const char* unit : {"ohms", "ohm", "\xCE\xA9"}) {
    if (EndsWithNoCase(t, unit)) {
      t = Trim(t.substr(0, t.size() - std::string(unit).size()));
      break;
    }
  }
  double factor = 1;
  if (!t.empty()) {
    const char last = static_cast<char>(std::toupper(static_cast<unsigned char>(t.back())));
    if (last == 'K' || last == 'M' || last == 'G') {
      factor = last == 'K' ? 1e3 : last == 'M' ? 1e6 : 1e9;
      t = Trim(t.substr(0, t.size() - 1));
    }
  }
  double v = 0;
  if (!core::TryParseReal(t, v)) return std::nullopt;
  return v * factor;
}

ResistorOutcome AdjustResistor(core::DesignState& state, int stage, int resistor, const std::string& entry) {
  ResistorOutcome out;
  if (!ValidStage(stage)) return out;
  core::CircuitRecord& cr = state.circuits[At(stage)];
  if (resistor < 1 || resistor > ResistorsOf(cr)) return out;
  core::ComponentEntry& r = cr.R[At(resistor)];
  const core::Stage& st = state.stages[At(stage)];

  const std::string text = Trim(WithoutBullets(entry));
  if (text.empty() || text == "xx.xx") {
    out.beep = true;
    r.UserAssigned = false;
    r.UserValue = 0;
    cr.CircuitGain = analysis::StageGain(analysis::LoadBuiltValues(cr), st, cr);
    SyncUserResistors(state);
    return out;
  }
  const std::optional<double> value = ParseResistanceEntry(text);
  if (!value) {
    // Not a number at all: the entry stays for the user to correct.
    out.beep = true;
    return out;
  }
  if (*value < 0.01) {
    out.messages.push_back(Warning("Resistance value is unacceptably low"));
    return out;
  }
  r.UserValue = *value;
  r.UserAssigned = r.UserValue != r.Value;
  r.IsStandard = IsStandardResistor(r.UserValue, state.characteristics.RTolerance).standard;
  cr.CircuitGain = analysis::StageGain(analysis::LoadBuiltValues(cr), st, cr);
  out.applied = true;
  SyncUserResistors(state);
  return out;
}

double StepResistorValue(double ohms, double rTolerancePercent, int direction) {
  if (!IsUsableValue(ohms)) return ohms;
  const Series series = SeriesFor(rTolerancePercent);
  const SeriesMatch match = IsStandardResistor(ohms, series);
  if (!match.standard) {
    const Neighbours nb = SeriesNeighbours(ohms, series);
    return direction > 0 ? nb.upper : nb.lower;
  }
  const std::span<const int> list = SeriesValues(series);
  const int count = static_cast<int>(list.size());
  int index = match.index + (direction > 0 ? 1 : -1);
  int k = match.decade;
  if (index >= count) {
    index = 0;
    ++k;
  } else if (index < 0) {
    index = count - 1;
    --k;
  }
  return k >= 0 ? list[At(index)] * Pow10i(k) : list[At(index)] / Pow10i(-k);
}

}  // namespace tavrin::circuits
