#include <gtest/gtest.h>

#include "core/DesignState.h"

namespace tavrin::core {
namespace {

// Fills a slot the way a design would, so a clear has something to undo.
void Scribble(DesignState& s, int slot) {
  ApproxResult& r = s.results[slot];
  r.order = 7;
  r.orderLimit = 3;
  r.tooHigh = true;
  r.polePairs = 3;
  r.zeroPairs = 2;
  r.singleZeros = 1;
  r.zeroPairsShown = 2;
  r.hasRealPole = r.hasSecondRealPole = r.hasSingleZero = true;
  r.realPoleNorm = r.realPole = r.secondRealPole = r.singleZero = 2.5;
  r.gainText = "1.23E+4";
  r.gain = r.gainNorm = 4;
  s.approxSkip[slot] = true;
  for (int k = 1; k <= kMaxEntries; ++k) {
    s.polePairs[slot][k] = PolePair{1, 2, 3, 4, 5, 6};
    s.poleRoots[slot][k] = PoleRoot{1, 2, 3, 4, 5, 6};
    s.zeroPairs[slot][k] = ZeroPair{1, 2};
    s.zeroRoots[slot][k] = ZeroRoot{1, 2};
  }
}

TEST(DesignState, ClearSlotEmptiesOnlyThatSlot) {
  DesignState s;
  Scribble(s, 1);
  Scribble(s, 2);
  ClearSlot(s, 1);
  const ApproxResult& r = s.results[1];
  EXPECT_EQ(r.order, 0);
  EXPECT_EQ(r.orderLimit, 20);
  EXPECT_FALSE(r.tooHigh);
  EXPECT_EQ(r.polePairs + r.zeroPairs + r.singleZeros + r.zeroPairsShown, 0);
  EXPECT_FALSE(r.hasRealPole || r.hasSecondRealPole || r.hasSingleZero);
  EXPECT_EQ(r.realPole + r.realPoleNorm + r.secondRealPole + r.singleZero + r.gain + r.gainNorm, 0);
  EXPECT_TRUE(r.gainText.empty());
  for (bool skip : s.approxSkip) EXPECT_FALSE(skip);  // all five exclusion flags go
  for (int k = 1; k <= kMaxEntries; ++k) {
    EXPECT_EQ(s.polePairs[1][k].Q, 0);
    EXPECT_EQ(s.polePairs[1][k].b0Norm, 0);
    EXPECT_EQ(s.poleRoots[1][k].sigma, 0);
    EXPECT_EQ(s.poleRoots[1][k].omegaNorm, 0);
    EXPECT_EQ(s.poleRoots[1][k].residueMagnitude, 5);  // the time-response fields are left alone
    EXPECT_EQ(s.zeroPairs[1][k].wz2, 0);
    EXPECT_EQ(s.zeroRoots[1][k].wz, 0);
  }
  EXPECT_EQ(s.results[2].order, 7);
  EXPECT_EQ(s.polePairs[2][11].Q, 6);
}

TEST(DesignState, ResetLeavesAnEmptyDesign) {
  DesignState s;
  for (int slot = 0; slot < kSlotCount; ++slot) Scribble(s, slot);
  s.designStep = 7;
  s.stepsStale = s.modified = true;
  s.spec.forceOrder = true;
  s.spec.overallGain = 10;
  s.fileName = "filter.zd3";
  s.stageCount = 4;
  s.circuits[3].CircuitId = 12;
  s.circuits[3].R[2].Value = 1e4;
  s.circuits[3].OpAmpGbw = 3e6;
  ResetDesign(s);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    EXPECT_EQ(s.results[slot].order, 0);
    EXPECT_FALSE(s.results[slot].tooHigh);
    EXPECT_EQ(s.results[slot].polePairs, 0);
    EXPECT_EQ(s.results[slot].zeroPairs, 0);
    EXPECT_EQ(s.results[slot].singleZeros, 0);
  }
  EXPECT_EQ(s.spec.overallGain, 1.0);
  EXPECT_FALSE(s.spec.forceOrder);
  EXPECT_EQ(s.designStep, 0);
  EXPECT_FALSE(s.stepsStale);
  EXPECT_FALSE(s.modified);
  EXPECT_TRUE(s.fileName.empty());
  EXPECT_EQ(s.stageCount, 0);
  EXPECT_EQ(s.circuits[3].CircuitId, 0);
  EXPECT_EQ(s.circuits[3].R[2].Value, 0);
  EXPECT_EQ(s.circuits[3].OpAmpGbw, 3e6);  // the user's op-amp stays
}

TEST(DesignState, CurrentSlotSetsAllPole) {
  DesignState s;
  const bool allPole[] = {true, true, false, false, true};
  for (int slot = 0; slot < kSlotCount; ++slot) {
    SetCurrentSlot(s, slot);
    EXPECT_EQ(s.currentSlot, slot);
    EXPECT_EQ(s.allPole, allPole[slot]) << slot;
  }
}

TEST(DesignState, ResultNeedsNeitherTooHighNorSkip) {
  DesignState s;
  EXPECT_TRUE(SlotHasResult(s, 0));
  s.results[0].tooHigh = true;
  EXPECT_FALSE(SlotHasResult(s, 0));
  s.results[0].tooHigh = false;
  s.approxSkip[0] = true;
  EXPECT_FALSE(SlotHasResult(s, 0));
}

}  // namespace
}  // namespace tavrin::core
