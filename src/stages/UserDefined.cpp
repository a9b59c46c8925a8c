#include "stages/UserDefined.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/NumberFormat.h"
#include "response/IdealResponse.h"
#include "stages/Pairing.h"

namespace tavrin::stages {

using core::DesignState;
using core::Stage;

namespace {

constexpr int kSlot = 0;

std::size_t At(int i) {
  return static_cast<std::size_t>(i);
}

core::ApproxResult& Result(DesignState& state) {
  return state.results[kSlot];
}

bool IsFirstOrder(std::uint8_t t) {
  return t == core::ptFLP || t == core::ptFHP;
}

int FirstOrderSections(const DesignState& state) {
  int n = 0;
  for (int s = 1; s <= state.stageCount; ++s) n += IsFirstOrder(state.stages[At(s)].type) ? 1 : 0;
  return n;
}

// A refused entry beeps before its box, as every refused entry does; the order and table
// limits are not a typing error and stay quiet.
SectionRefusal Warning(const std::string& text, int focus = -1) {
  return SectionRefusal{approx::Message{text, approx::MessageKind::Warning, approx::MessageButtons::Ok,
                                        focus >= 0, approx::EntryField::None},
                        focus};
}

// Keeps the pair tables without gaps: readers walk entries 1..count.  The freed entry takes
// the last entry's roots and the stage that held the last entry follows it.
void FreePoleEntry(DesignState& state, int entry) {
  core::ApproxResult& r = Result(state);
  const int last = r.polePairs;
  if (entry != last) {
    state.polePairs[kSlot][At(entry)] = state.polePairs[kSlot][At(last)];
    state.poleRoots[kSlot][At(entry)] = state.poleRoots[kSlot][At(last)];
    for (int s = 1; s <= state.stageCount; ++s)
      if (!IsFirstOrder(state.stages[At(s)].type) && state.stages[At(s)].pole1 == last)
        state.stages[At(s)].pole1 = static_cast<std::int16_t>(entry);
  }
  state.polePairs[kSlot][At(last)] = core::PolePair{};
  state.poleRoots[kSlot][At(last)] = core::PoleRoot{};
  state.userPoleSlotTaken[At(last)] = false;
  r.polePairs = static_cast<std::int16_t>(last - 1);
}

void FreeZeroEntry(DesignState& state, int entry) {
  core::ApproxResult& r = Result(state);
  const int last = r.zeroPairs;
  if (entry != last) {
    state.zeroPairs[kSlot][At(entry)] = state.zeroPairs[kSlot][At(last)];
    state.zeroRoots[kSlot][At(entry)] = state.zeroRoots[kSlot][At(last)];
    for (int s = 1; s <= state.stageCount; ++s)
      if (state.stages[At(s)].zero1 == last) state.stages[At(s)].zero1 = static_cast<std::int16_t>(entry);
  }
  state.zeroPairs[kSlot][At(last)] = core::ZeroPair{};
  state.zeroRoots[kSlot][At(last)] = core::ZeroRoot{};
  state.userZeroSlotTaken[At(last)] = false;
  r.zeroPairs = static_cast<std::int16_t>(last - 1);
}

// The approximations mark two real poles with both flags, p1 and p2; the user filter keeps
// that convention so every reader of the slot sees both poles.
void AddRealPole(core::ApproxResult& r, double p) {
  if (!r.hasRealPole) {
    r.hasRealPole = true;
    r.realPole = p;
  } else {
    r.hasSecondRealPole = true;
    r.secondRealPole = p;
  }
}

void RemoveRealPole(core::ApproxResult& r, double p) {
  if (r.hasSecondRealPole) {
    if (r.realPole == p) r.realPole = r.secondRealPole;
    r.hasSecondRealPole = false;
    r.secondRealPole = 0;
  } else {
    r.hasRealPole = false;
    r.realPole = 0;
  }
}

double LeadingDigitStart(double start) {
  if (!(start > 0)) return start;
  int e = 0;
  double mantissa = start;
  while (mantissa >= 10) {
    mantissa /= 10;
    ++e;
  }
  while (mantissa < 0.99999) {
    mantissa *= 10;
    --e;
  }
  return std::trunc(mantissa * 1.001) * std::pow(10.0, e);
}

}  // namespace

void StartUserDesign(DesignState& state) {
  // The kind says from the start that slot 0 is a cascade of sections: every response
  // of the slot reads its stages.
  state.spec.kind = core::FilterKind::UserDefined;
  core::ClearSlot(state, kSlot);
  core::SetCurrentSlot(state, kSlot);
  state.designStep = 1;
  state.spec.overallGain = 1.0;
  Result(state).gain = 1.0;
  state.userPoleSlotTaken.fill(false);
  state.userZeroSlotTaken.fill(false);
  state.userStages.fill(core::UserStageEntry{});
  BuildRootLists(state);
}

std::array<bool, 5> VisibleFields(const SectionEntry& e) {
  std::array<bool, 5> v{};
  v[kFieldTo] = true;
  v[kFieldFirst] = true;
  if (e.order == 1) return v;
  const bool poles = e.mode == EntryMode::Poles;
  v[kFieldWp] = !poles;
  v[kFieldImag] = poles;
  v[kFieldWz] = e.type == SectionType::Bandstop;
  return v;
}

std::optional<SectionRefusal> AddSection(DesignState& state, const SectionEntry& in) {
  SectionEntry e = in;
  if (e.order == 1) e.mode = EntryMode::Poles;
  if (e.order == 1 && (e.type == SectionType::Bandpass || e.type == SectionType::Bandstop))
    e.type = SectionType::Lowpass;
  core::ApproxResult& r = Result(state);
  if (r.order >= core::kMaxOrder || (e.order == 2 && r.order >= core::kMaxOrder - 1))
    return Warning("Unable to add section as maximum filter order of 20 will be exceeded.");
  if (state.stageCount >= core::kMaxStages)
    return Warning("Unable to add section: a filter holds at most 11 sections.");
  if (e.order == 1 && FirstOrderSections(state) >= kMaxUserFirstOrder)
    return Warning("Unable to add section: a filter holds at most two first-order sections.");

  const std::array<bool, 5> visible = VisibleFields(e);
  std::array<double, 5> v{};
  for (int f = 0; f < 5; ++f) {
    if (!visible[At(f)]) continue;
    const std::string text = core::TrimTrailingBlanks(core::TrimLeadingBlanks(e.field[At(f)]));
    // The window refuses a typed "0"; anything else that reads as zero (or not as a
    // number) would divide by zero just the same.
    if (!core::TryParseReal(text, v[At(f)]) || v[At(f)] == 0) return Warning("Value must be non-zero.", f);
  }
  if (e.order == 2 && e.mode == EntryMode::QWpWz && v[kFieldFirst] <= 0.5)
    return Warning("Q must be >0.5.", kFieldFirst);

  const double u = state.frequencyUnit == core::FrequencyUnit::Hz ? 2.0 * std::numbers::pi : 1.0;
  const double To = v[kFieldTo];
  const int s = state.stageCount + 1;
  Stage st;
  st.To = To;
  if (e.order == 1) {
    st.type = e.type == SectionType::Highpass ? core::ptFHP : core::ptFLP;
    st.p = std::abs(v[kFieldFirst]) * u;
    AddRealPole(r, st.p);
    if (st.type == core::ptFHP) {
      r.hasSingleZero = true;
      r.singleZero = 0;
      ++r.singleZeros;
    }
  } else {
    double sigma = 0, omega = 0;
    if (e.mode == EntryMode::QWpWz) {
      st.wp = v[kFieldWp] * u;
      st.Qp = v[kFieldFirst];
      sigma = st.wp / (2 * st.Qp);
      omega = std::sqrt(st.wp * st.wp - sigma * sigma);
    } else {
      sigma = std::abs(v[kFieldFirst]) * u;
      omega = std::abs(v[kFieldImag]) * u;
      st.wp = std::sqrt(sigma * sigma + omega * omega);
      st.Qp = st.wp / (2 * sigma);
    }
    st.p = sigma;
    const int entry = r.polePairs + 1;
    state.userPoleSlotTaken[At(entry)] = true;
    r.polePairs = static_cast<std::int16_t>(entry);
    core::PolePair& pp = state.polePairs[kSlot][At(entry)];
    pp.b1 = pp.b1Norm = st.wp / st.Qp;
    pp.b0 = pp.b0Norm = st.wp * st.wp;
    pp.w0 = st.wp;
    pp.Q = st.Qp;
    state.poleRoots[kSlot][At(entry)].sigma = state.poleRoots[kSlot][At(entry)].sigmaNorm = sigma;
    state.poleRoots[kSlot][At(entry)].omega = state.poleRoots[kSlot][At(entry)].omegaNorm = omega;
    st.pole1 = static_cast<std::int16_t>(entry);
    auto takeZero = [&](double wz) {
      const int z = r.zeroPairs + 1;
      state.userZeroSlotTaken[At(z)] = true;
      r.zeroPairs = static_cast<std::int16_t>(z);
      state.zeroPairs[kSlot][At(z)].wz2 = state.zeroPairs[kSlot][At(z)].wz2Norm = wz * wz;
      state.zeroRoots[kSlot][At(z)].wz = state.zeroRoots[kSlot][At(z)].wzNorm = wz;
      st.zero1 = static_cast<std::int16_t>(z);
    };
    switch (e.type) {
      case SectionType::Lowpass:
        st.type = core::ptSLP;
        break;
      case SectionType::Highpass:
        st.type = core::ptSHP;
        takeZero(0.0);
        r.singleZeros = static_cast<std::int16_t>(r.singleZeros + 2);
        break;
      case SectionType::Bandpass:
        st.type = core::ptSBP;
        ++r.singleZeros;
        break;
      case SectionType::Bandstop:
        st.wz = std::abs(v[kFieldWz]) * u;
        st.type = st.wz == st.wp ? core::ptSN : (st.wz > st.wp ? core::ptSLPN : core::ptSHPN);
        takeZero(st.wz);
        ++r.zeroPairsShown;
        break;
    }
  }
  st.name = StageTypeName(st.type);
  state.stages[At(s)] = st;
  state.stageCount = static_cast<std::int16_t>(s);
  r.order = static_cast<std::int16_t>(r.order + e.order);
  r.gain *= To;
  state.spec.overallGain *= To;
  core::UserStageEntry& u8 = state.userStages[At(s)];
  u8.mode = static_cast<std::uint8_t>(e.mode);
  for (int f = 0; f < 5; ++f) u8.field[At(f)] = visible[At(f)] ? e.field[At(f)].substr(0, 8) : std::string();
  state.stepsStale = true;
  return std::nullopt;
}

bool DeleteSection(DesignState& state, int s) {
  if (s < 1 || s > state.stageCount) return false;
  core::ApproxResult& r = Result(state);
  const Stage st = state.stages[At(s)];
  if (IsFirstOrder(st.type)) {
    RemoveRealPole(r, st.p);
    if (st.type == core::ptFHP) {
      --r.singleZeros;
      bool otherFhp = false;
      for (int i = 1; i <= state.stageCount; ++i)
        otherFhp = otherFhp || (i != s && state.stages[At(i)].type == core::ptFHP);
      r.hasSingleZero = otherFhp;
    }
    r.order = static_cast<std::int16_t>(r.order - 1);
  } else {
    if (st.zero1 != 0) FreeZeroEntry(state, st.zero1);
    FreePoleEntry(state, st.pole1);
    if (st.type == core::ptSHP) r.singleZeros = static_cast<std::int16_t>(r.singleZeros - 2);
    if (st.type == core::ptSBP) --r.singleZeros;
    if (st.zero1 != 0 && st.type != core::ptSHP) --r.zeroPairsShown;
    r.order = static_cast<std::int16_t>(r.order - 2);
  }
  r.gain /= st.To;
  state.spec.overallGain /= st.To;
  for (int i = s; i < state.stageCount; ++i) {
    state.stages[At(i)] = state.stages[At(i + 1)];
    state.userStages[At(i)] = state.userStages[At(i + 1)];
  }
  state.stages[At(state.stageCount)] = Stage{};
  state.userStages[At(state.stageCount)] = core::UserStageEntry{};
  state.stageCount = static_cast<std::int16_t>(state.stageCount - 1);
  state.stepsStale = true;
  return true;
}

bool MoveSection(DesignState& state, int s, int direction) {
  const int other = s + (direction < 0 ? -1 : 1);
  if (s < 1 || s > state.stageCount || other < 1 || other > state.stageCount) return false;
  std::swap(state.stages[At(s)], state.stages[At(other)]);
  std::swap(state.userStages[At(s)], state.userStages[At(other)]);
  state.stepsStale = true;
  return true;
}

int UserSectionCount(const DesignState& state) {
  return state.stageCount;
}

std::string SectionListLine(const DesignState& state, int s) {
  const std::uint8_t t = state.stages[At(s)].type;
  const char* type = "Bandstop";
  if (t == core::ptFLP || t == core::ptSLP) type = "Lowpass";
  if (t == core::ptFHP || t == core::ptSHP) type = "Highpass";
  if (t == core::ptSBP) type = "Bandpass";
  return std::to_string(s) + ".  \t" + type + "\t" + (IsFirstOrder(t) ? "1" : "2") + "\u00ba";
}

std::string FilterOrderText(const DesignState& state) {
  return " Filter order = " + std::to_string(state.results[kSlot].order);
}

double ComputeUserGain(const DesignState& state, int first, int last, double w) {
  double v = 1.0;
  for (int s = std::max(first, 1); s <= std::min<int>(last, state.stageCount); ++s)
    v *= response::SectionGainAt(state.stages[At(s)], w);
  return v;
}

double UserGainDb(double vv) {
  return vv > 0 ? std::max(20.0 * std::log10(vv), -200.0) : -200.0;
}

UserFrequencyRange UserRange(const DesignState& state) {
  double low = 0, high = 0;
  for (int s = 1; s <= state.stageCount; ++s) {
    const Stage& st = state.stages[At(s)];
    const double f = IsFirstOrder(st.type) ? st.p : st.wp;
    low = s == 1 ? f : std::min(low, f);
    high = s == 1 ? f : std::max(high, f);
  }
  const double u = state.frequencyUnit == core::FrequencyUnit::Hz ? 2.0 * std::numbers::pi : 1.0;
  return UserFrequencyRange{LeadingDigitStart(0.1 * low / u), 10.0 * high / u};
}

void PrepareUserGraphs(DesignState& state) {
  const UserFrequencyRange range = UserRange(state);
  state.idealAxes.freqStart = range.start;
  state.idealAxes.freqStop = range.stop;
  state.idealAxes.logarithmic = true;
  response::ComputeFrequencyGrid(state);
  ComputeUserGainCurve(state, 0, state.gridN);
}

void ComputeUserGainCurve(DesignState& state, int first, int last) {
  for (int i = first; i <= last; ++i) {
    core::CurveRecord& c = response::CurveAt(state, kSlot, i);
    c.gainVv = ComputeUserGain(state, 1, state.stageCount, state.frequencyGrid[At(i)].rad);
    c.gainDb = UserGainDb(c.gainVv);
  }
  if (first != last && !state.idealAxes.rangeLocked) response::RangeGainAxes(state, kSlot, first, last);
}

bool CommitUserDesign(DesignState& state) {
  if (state.stageCount == 0) return false;
  state.spec.kind = core::FilterKind::UserDefined;
  PrepareUserGraphs(state);
  double peak = 0;
  for (int i = 0; i <= state.gridN; ++i) peak = std::max(peak, response::CurveAt(state, kSlot, i).gainVv);
  state.spec.overallGain = peak;
  state.modified = true;
  state.designStep = 2;
  return true;
}

SectionPreview PreviewOf(const SectionEntry& e, core::FrequencyUnit unit) {
  const bool hz = unit == core::FrequencyUnit::Hz;
  const std::string L = hz ? "fp" : "wp", Z = hz ? "fz" : "wz";
  if (e.order == 1) return {e.type == SectionType::Highpass ? "To s" : "-To p", "(s - p)"};
  if (e.mode == EntryMode::Poles) {
    switch (e.type) {
      case SectionType::Lowpass:
        return {"To pp*", "(s - p) (s - p*)"};
      case SectionType::Highpass:
        return {"To s\u00b2", "(s - p) (s - p*)"};
      case SectionType::Bandpass:
        return {"-To (p + p*)s", "(s - p) (s - p*)"};
      case SectionType::Bandstop:
        return {"To (s - z) (s - z*)", "(s - p) (s - p*)"};
    }
  }
  const std::string denominator = "(s\u00b2 + (" + L + "/Q)s + " + L + "\u00b2" + ")";
  switch (e.type) {
    case SectionType::Lowpass:
      return {"To " + L + "\u00b2", denominator};
    case SectionType::Highpass:
      return {"To s\u00b2", denominator};
    case SectionType::Bandpass:
      return {"To (" + L + "/Q)s", denominator};
    case SectionType::Bandstop:
      break;
  }
  return {"To (s\u00b2 + " + Z + "\u00b2" + ")", denominator};
}

}  // namespace tavrin::stages
