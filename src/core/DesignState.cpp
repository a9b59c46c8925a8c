#include "core/DesignState.h"

namespace tavrin::core {

void ClearSlot(DesignState& state, int slot) {
  ApproxResult& r = state.results[slot];
  r.order = 0;
  r.orderLimit = kMaxOrder;
  r.tooHigh = false;
  r.polePairs = 0;
  r.zeroPairs = 0;
  r.singleZeros = 0;
  r.zeroPairsShown = 0;
  r.hasRealPole = false;
  r.realPoleNorm = 0;
  r.realPole = 0;
  r.hasSecondRealPole = false;
  r.secondRealPole = 0;
  r.hasSingleZero = false;
  r.singleZero = 0;
  r.gainText.clear();
  r.gain = 0;
  r.gainNorm = 0;
  state.approxSkip.fill(false);
  for (int k = 1; k <= kMaxEntries; ++k) {
    state.polePairs[slot][k] = PolePair{};
    // The residue fields belong to the time-response code and survive a clear.
    PoleRoot& root = state.poleRoots[slot][k];
    root.sigmaNorm = root.omegaNorm = root.sigma = root.omega = 0;
    state.zeroPairs[slot][k] = ZeroPair{};
    state.zeroRoots[slot][k] = ZeroRoot{};
  }
}

void SetCurrentSlot(DesignState& state, int slot) {
  state.currentSlot = static_cast<std::int16_t>(slot);
  const auto a = static_cast<Approximation>(slot);
  state.allPole = a == Approximation::Butterworth || a == Approximation::Chebyshev ||
                  a == Approximation::Bessel;
}

void ResetDesign(DesignState& state) {
  state.fileName.clear();
  state.designStep = 0;
  for (int slot = 0; slot < kSlotCount; ++slot) ClearSlot(state, slot);
  for (int s = 1; s <= kMaxStages; ++s) {
    // The op-amp and its characteristics are the user's, not the design's.
    CircuitRecord& cr = state.circuits[s];
    CircuitRecord cleared;
    cleared.OpAmpGbw = cr.OpAmpGbw;
    cleared.OpAmpTolerance = cr.OpAmpTolerance;
    cleared.OpAmpTempCoeff = cr.OpAmpTempCoeff;
    cleared.Noise = cr.Noise;
    cr = cleared;
  }
  state.stageCount = 0;
  state.stepsStale = false;
  state.modified = false;
  state.useCapMemory = false;
  state.capacitorWarningGiven = false;
  state.sensShown = false;
  state.sideTabMark = false;
  state.neutralisingPredistortion = false;
  state.spec.forceOrder = false;
  state.spec.overallGain = 1.0;
}

bool SlotHasResult(const DesignState& state, int slot) {
  return !state.results[slot].tooHigh && !state.approxSkip[slot];
}

int SingleZerosAtOrigin(const DesignState& state, int slot) {
  if (state.spec.kind != FilterKind::UserDefined || slot != 0)
    return state.results[slot].hasSingleZero ? 1 : 0;
  int n = 0;
  for (int s = 1; s <= state.stageCount && s <= kMaxStages; ++s) {
    const std::uint8_t t = state.stages[static_cast<std::size_t>(s)].type;
    if (t == ptFHP || t == ptSBP) ++n;
  }
  return n;
}

}  // namespace tavrin::core
