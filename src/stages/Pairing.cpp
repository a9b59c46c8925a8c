#include "stages/Pairing.h"

#include <algorithm>
#include <cmath>

namespace tavrin::stages {

using core::DesignState;
using core::PolePairListEntry;
using core::ZeroPairListEntry;

namespace {

const core::ApproxResult& Current(const DesignState& state) {
  return state.results[state.currentSlot];
}

bool SplitZeros(const core::ApproxResult& r) {
  return 2 * r.zeroPairs <= r.polePairs;
}

// The approximations mark two real poles with both flags (p1 and p2); one real pole with
// the first alone.
int SinglePoles(const core::ApproxResult& r) {
  return r.hasSecondRealPole ? 2 : (r.hasRealPole ? 1 : 0);
}

approx::Message ErrorBox(const char* text) {
  return approx::Message{text, approx::MessageKind::Error, approx::MessageButtons::Ok, false,
                         approx::EntryField::None};
}

std::size_t At(int entry) {
  return static_cast<std::size_t>(entry);
}

// Numerator of a stage whose two real poles form its denominator, decided from the
// zeros it carries: none, one at the origin, two at the origin, or an imaginary pair.
std::uint8_t TypeOfJoinedPoles(const DesignState& state, double wp, const std::vector<int>& zeros) {
  if (zeros.empty()) return core::ptSLP;
  const ZeroPairListEntry& z = state.zeroPairList[At(zeros.front())];
  if (zeros.size() == 1 && z.kind == 0) return core::ptSBP;
  if (zeros.size() == 2 || z.wz == 0) return core::ptSHP;
  if (z.wz == wp) return core::ptSN;
  return z.wz > wp ? core::ptSLPN : core::ptSHPN;
}

void FillStage(core::Stage& st, std::uint8_t type, int pole1, int pole2, int zero1, int zero2, double wp,
               double Qp, double wz, double p) {
  st = core::Stage{};
  st.type = type;
  st.name = StageTypeName(type);
  st.pole1 = static_cast<std::int16_t>(pole1);
  st.pole2 = static_cast<std::int16_t>(pole2);
  st.zero1 = static_cast<std::int16_t>(zero1);
  st.zero2 = static_cast<std::int16_t>(zero2);
  st.wp = wp;
  st.Qp = Qp;
  st.wz = wz;
  st.p = p;
}

void MarkChanged(DesignState& state) {
  state.modified = true;
  state.stepsStale = true;
}

bool AnyAvailable(const DesignState& state) {
  for (int j = 1; j <= PoleEntryCount(state); ++j)
    if (state.polePairList[At(j)].available) return true;
  for (int j = 1; j <= ZeroEntryCount(state); ++j)
    if (state.zeroPairList[At(j)].available) return true;
  return false;
}

}  // namespace

std::string StageTypeName(std::uint8_t type) {
  static const char* const kNames[] = {"FLP ", "FHP ", "SLP ", "SHP ", "SBP ", "SLPN", "SHPN", "SN  "};
  return type < 8 ? kNames[type] : "    ";
}

int PoleEntryCount(const DesignState& state) {
  const core::ApproxResult& r = Current(state);
  return r.polePairs + SinglePoles(r);
}

int ZeroEntryCount(const DesignState& state) {
  const core::ApproxResult& r = Current(state);
  const int single = r.hasSingleZero ? 1 : 0;
  return SplitZeros(r) ? 2 * r.zeroPairs + single : r.zeroPairs + single;
}

int StagesOfSlot(const DesignState& state) {
  const core::ApproxResult& r = Current(state);
  return r.polePairs + (SinglePoles(r) > 0 ? 1 : 0);
}

void BuildRootLists(DesignState& state) {
  const int slot = state.currentSlot;
  const core::ApproxResult& r = Current(state);
  state.polePairList.fill(PolePairListEntry{});
  state.zeroPairList.fill(ZeroPairListEntry{});
  state.stages.fill(core::Stage{});
  state.stageCount = 0;

  // Highest Q first: those stages are the ones whose zero matters most.
  std::array<bool, core::kMaxEntries + 1> entered{};
  const int P = std::min<int>(r.polePairs, core::kMaxEntries);
  for (int j = 1; j <= P; ++j) {
    int best = 0;
    for (int k = 1; k <= P; ++k)
      if (!entered[At(k)] &&
          (best == 0 || state.polePairs[slot][At(k)].Q > state.polePairs[slot][At(best)].Q))
        best = k;
    entered[At(best)] = true;
    PolePairListEntry& e = state.polePairList[At(j)];
    e.available = true;
    e.kind = 1;
    e.Q = state.polePairs[slot][At(best)].Q;
    e.w0 = state.polePairs[slot][At(best)].w0;
    e.sigma = state.poleRoots[slot][At(best)].sigma;
    e.omega = state.poleRoots[slot][At(best)].omega;
    e.source = static_cast<std::int16_t>(best);
  }
  int next = P + 1;
  auto addSingle = [&](double pole) {
    if (next > core::kMaxEntries) return;
    PolePairListEntry& e = state.polePairList[At(next++)];
    e.available = true;
    e.kind = 0;
    e.sigma = pole;
  };
  if (SinglePoles(r) >= 1) addSingle(r.realPole);
  if (SinglePoles(r) == 2) addSingle(r.secondRealPole);

  const int Z = std::min<int>(r.zeroPairs, core::kMaxEntries);
  const bool split = SplitZeros(r);
  entered.fill(false);
  int z = 0;
  for (int j = 1; j <= Z; ++j) {
    int best = 0;
    for (int k = 1; k <= Z; ++k)
      if (!entered[At(k)] &&
          (best == 0 || state.zeroRoots[slot][At(k)].wz > state.zeroRoots[slot][At(best)].wz))
        best = k;
    entered[At(best)] = true;
    const double wz = state.zeroRoots[slot][At(best)].wz;
    // Split, each of the pair's zeros can go to a different pole pair.
    for (int half = 0; half < (split ? 2 : 1) && z < core::kMaxEntries; ++half)
      state.zeroPairList[At(++z)] =
          ZeroPairListEntry{true, static_cast<std::uint8_t>(split ? 0 : 1), 0.0, wz};
  }
  if (r.hasSingleZero && z < core::kMaxEntries)
    state.zeroPairList[At(++z)] = ZeroPairListEntry{true, 0, r.singleZero, 0.0};

  state.pairingCounter1 = static_cast<std::int16_t>(std::min(PoleEntryCount(state), core::kMaxEntries));
  state.pairingCounter2 = static_cast<std::int16_t>(z);
}

std::uint8_t ClassifyStage(const DesignState& state, int pole1, int pole2, int zero1, int zero2) {
  if (pole2 != 0) return core::ptSN;
  const PolePairListEntry& p = state.polePairList[At(pole1)];
  if (p.kind == 0) return (zero1 == 0 && zero2 == 0) ? core::ptFLP : core::ptFHP;
  if (zero1 == 0 && zero2 == 0) return core::ptSLP;
  if (zero2 != 0 || zero1 == 0) return core::ptSHP;
  const ZeroPairListEntry& z = state.zeroPairList[At(zero1)];
  if (z.kind == 0) return core::ptSBP;
  if (z.wz == 0) return core::ptSHP;
  if (z.wz == p.w0) return core::ptSN;
  return z.wz < p.w0 ? core::ptSHPN : core::ptSLPN;
}

void MakeStage(DesignState& state, int stage, int pole1, int pole2, int zero1, int zero2) {
  const PolePairListEntry& a = state.polePairList[At(pole1)];
  double wp = a.w0;
  double Qp = a.Q;
  if (pole2 != 0) {
    const PolePairListEntry& b = state.polePairList[At(pole2)];
    wp = std::sqrt(a.sigma * b.sigma);
    Qp = wp / (a.sigma + b.sigma);
  }
  const double wz = zero1 != 0 ? state.zeroPairList[At(zero1)].wz : 0.0;
  FillStage(state.stages[At(stage)], ClassifyStage(state, pole1, pole2, zero1, zero2), pole1, pole2, zero1,
            zero2, wp, Qp, wz, a.sigma);
  for (int e : {pole1, pole2})
    if (e != 0) state.polePairList[At(e)].available = false;
  for (int e : {zero1, zero2})
    if (e != 0) state.zeroPairList[At(e)].available = false;
}

void AutoPair(DesignState& state) {
  const core::ApproxResult& r = Current(state);
  const int poles = state.pairingCounter1;
  const int zeros = state.pairingCounter2;
  for (int j = 1; j <= poles; ++j) state.polePairList[At(j)].available = true;
  for (int j = 1; j <= zeros; ++j) state.zeroPairList[At(j)].available = true;
  const int S = std::min(StagesOfSlot(state), core::kMaxStages);
  state.stages.fill(core::Stage{});

  auto joinSingles = [&](int stage, int first, const std::vector<int>& taken) {
    const double p1 = state.polePairList[At(first)].sigma;
    const double p2 = state.polePairList[At(first + 1)].sigma;
    const double wp = std::sqrt(p1 * p2);
    const std::uint8_t type = TypeOfJoinedPoles(state, wp, taken);
    const int z1 = taken.empty() ? 0 : taken[0];
    const int z2 = taken.size() > 1 ? taken[1] : 0;
    FillStage(state.stages[At(stage)], type, first, first + 1, z1, z2, wp, wp / (p1 + p2),
              z1 != 0 ? state.zeroPairList[At(z1)].wz : 0.0, p1);
    state.polePairList[At(first)].available = false;
    state.polePairList[At(first + 1)].available = false;
    for (int e : taken) state.zeroPairList[At(e)].available = false;
  };

  // More zero pairs than pole pairs: the two real poles must carry the last one.
  if (r.zeroPairs > r.polePairs && r.hasSecondRealPole && poles >= 2 && zeros >= 1)
    joinSingles(S, poles - 1, {zeros});

  for (int j = 1; j <= poles; ++j) {
    PolePairListEntry& e = state.polePairList[At(j)];
    if (!e.available) continue;
    // Two real poles left over make one stage whatever zeros remain (at most two).
    if (e.kind == 0 && r.hasSecondRealPole && j + 1 <= poles && state.polePairList[At(j + 1)].available) {
      std::vector<int> rest;
      for (int z = 1; z <= zeros && rest.size() < 2; ++z)
        if (state.zeroPairList[At(z)].available) rest.push_back(z);
      joinSingles(std::min(j, S), j, rest);
      continue;
    }
    int zero = 0;
    double bound = 1e9;
    for (int z = 1; z <= zeros; ++z) {
      const ZeroPairListEntry& ze = state.zeroPairList[At(z)];
      if (ze.available && std::abs(e.w0 - ze.wz) < bound) {
        bound = std::abs(e.w0 - ze.wz);
        zero = z;
      }
    }
    const double wz = zero != 0 ? state.zeroPairList[At(zero)].wz : 0.0;
    FillStage(state.stages[At(j)], ClassifyStage(state, j, 0, zero, 0), j, 0, zero, 0, e.w0, e.Q, wz,
              e.sigma);
    e.available = false;
    if (zero != 0) state.zeroPairList[At(zero)].available = false;
  }
  state.stageCount = static_cast<std::int16_t>(S);
  MarkChanged(state);
}

std::optional<approx::Message> AddStage(DesignState& state, const std::vector<int>& polesIn,
                                        const std::vector<int>& zerosIn) {
  std::vector<int> poles, zeros;
  for (int e : polesIn)
    if (e >= 1 && e <= state.pairingCounter1 && state.polePairList[At(e)].available) poles.push_back(e);
  for (int e : zerosIn)
    if (e >= 1 && e <= state.pairingCounter2 && state.zeroPairList[At(e)].available) zeros.push_back(e);
  std::sort(poles.begin(), poles.end());
  std::sort(zeros.begin(), zeros.end());
  poles.erase(std::unique(poles.begin(), poles.end()), poles.end());
  zeros.erase(std::unique(zeros.begin(), zeros.end()), zeros.end());

  auto poleIsPair = [&](int e) { return state.polePairList[At(e)].kind == 1; };
  auto zeroIsPair = [&](int e) { return state.zeroPairList[At(e)].kind == 1; };
  if (poles.size() > 2 || (poles.size() == 2 && (poleIsPair(poles[0]) || poleIsPair(poles[1]))))
    return ErrorBox("Too many poles selected.");
  if (zeros.size() > 2 ||
      (zeros.size() == 2 && (poles.size() == 2 || zeroIsPair(zeros[0]) || zeroIsPair(zeros[1]))))
    return ErrorBox("Too many zeros selected.");
  if (poles.empty()) return ErrorBox("Pole or pole pair not selected");
  if (poles.size() == 1 && !poleIsPair(poles[0]) &&
      (zeros.size() > 1 || (zeros.size() == 1 && zeroIsPair(zeros[0]))))
    return ErrorBox("Too many zeros selected");
  if (state.stageCount >= core::kMaxStages) return ErrorBox("Too many poles selected.");

  const int stage = state.stageCount + 1;
  MakeStage(state, stage, poles[0], poles.size() > 1 ? poles[1] : 0, zeros.empty() ? 0 : zeros[0],
            zeros.size() > 1 ? zeros[1] : 0);
  state.stageCount = static_cast<std::int16_t>(stage);
  state.designStep = AnyAvailable(state) ? 3 : 4;
  MarkChanged(state);
  return std::nullopt;
}

void AutoAddAll(DesignState& state) {
  BuildRootLists(state);
  AutoPair(state);
  state.designStep = 4;
}

std::optional<approx::Message> UndoStage(DesignState& state, int stage) {
  if (stage < 1 || stage > state.stageCount) return ErrorBox("No pole-zero pair selected.");
  const core::Stage& st = state.stages[At(stage)];
  for (int e : {int{st.pole1}, int{st.pole2}})
    if (e != 0) state.polePairList[At(e)].available = true;
  for (int e : {int{st.zero1}, int{st.zero2}})
    if (e != 0) state.zeroPairList[At(e)].available = true;
  for (int s = stage; s < state.stageCount; ++s) state.stages[At(s)] = state.stages[At(s + 1)];
  state.stages[At(state.stageCount)] = core::Stage{};
  state.stageCount = static_cast<std::int16_t>(state.stageCount - 1);
  state.designStep = 3;
  MarkChanged(state);
  return std::nullopt;
}

void UndoAll(DesignState& state) {
  BuildRootLists(state);
  state.designStep = 3;
  MarkChanged(state);
}

std::optional<approx::Message> CheckPairingComplete(const DesignState& state) {
  if (AnyAvailable(state)) return ErrorBox("Pole-zero pairing not complete!");
  return std::nullopt;
}

}  // namespace tavrin::stages
