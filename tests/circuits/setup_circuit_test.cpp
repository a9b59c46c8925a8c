// Preparing a stage's circuit record: descriptor fields, starting capacitors, the scale
// resistor and the capacitor memory.
#include <gtest/gtest.h>

#include "circuits/Catalogue.h"
#include "circuits/SetUpCircuit.h"

namespace tavrin::circuits {
namespace {

struct Stage {
  core::CircuitRecord cr;
  core::StageComponentSetEntry memory;
  core::StageComponentSetEntry saved;

  Stage(int type, int n) {
    cr.CircuitNumber = static_cast<std::int16_t>(n);
    cr.CircuitNumberCopy = cr.CircuitNumber;
    cr.CircuitId = static_cast<std::int16_t>(CircuitIdOf(type, n));
    cr.Fresh = true;
  }
  SetUpResult Run(double wp, bool c2Variable = false) {
    return SetUpCircuit(cr, wp, c2Variable, memory, saved);
  }
};

TEST(SetUpCircuitTest, C1StartsAt10nFUpTo31000RadPerSecondAnd1nFAbove) {
  struct Case {
    double wp;
    int decade;
    double c1;
  };
  for (const Case c :
       {Case{31000, 10, 10e-9}, Case{31000.001, 11, 1e-9}, Case{100, 10, 10e-9}, Case{1e6, 11, 1e-9}}) {
    SCOPED_TRACE(c.wp);
    Stage s(core::ptSLP, 1);
    s.Run(c.wp);
    EXPECT_EQ(s.cr.C1Index, 0);
    EXPECT_EQ(s.cr.C1Decade, c.decade);
    EXPECT_NEAR(s.cr.C[1].Value, c.c1, c.c1 * 1e-12);
  }
}

TEST(SetUpCircuitTest, C2StartsFromTheCircuitsRatio) {
  struct Case {
    const char* key;
    double wp;
    double c2;
    int c2Index;
    int c2Decade;
    double ratio;
  };
  const Case cases[] = {
      {"SLP03", 1000, 1e-6, 0, 8, 100},                                       // m = 100, 1 uF for C1 = 10 nF
      {"SLP03", 1e5, 100e-9, 0, 9, 100},   {"SLP01", 1000, 10e-9, 0, 10, 1},  // m = 1
      {"SLP02", 1000, 100e-9, 0, 9, 10},                                      // m = 10
      {"SLPN05", 1000, 22e-9, 4, 10, 2.2},  // m = 2 snaps to E12; 20 nF is midway and goes up
      {"FLP01", 1000, 0, 0, 0, 0},          // m = 0: no C2
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const CircuitAddress a = AddressOfKey(c.key);
    Stage s(a.stageType, a.number);
    s.cr.C2Index = 7;
    s.cr.C2Decade = 3;
    s.Run(c.wp);
    EXPECT_NEAR(s.cr.C[2].Value, c.c2, c.c2 * 1e-12);
    EXPECT_EQ(s.cr.C2Index, c.c2Index);
    EXPECT_EQ(s.cr.C2Decade, c.c2Decade);
    EXPECT_NEAR(s.cr.CapRatio, c.ratio, 1e-12);
  }
}

TEST(SetUpCircuitTest, DescriptorFieldsAreCopiedIntoTheRecord) {
  const CircuitAddress a = AddressOfKey("SBP07");  // "00,001,05,03,01,00,01,02,01,01,00,00"
  Stage s(a.stageType, a.number);
  s.Run(1000, true);
  EXPECT_FALSE(s.cr.C2OnlyAllowed);
  EXPECT_EQ(s.cr.ResistorCount, 5);
  EXPECT_EQ(s.cr.CapacitorCount, 3);
  EXPECT_TRUE(s.cr.HasScalePair);
  EXPECT_FALSE(s.cr.C2VariableAvailable);
  EXPECT_TRUE(s.cr.GainConstrained);
  EXPECT_EQ(s.cr.OpAmpCount, 2);
  EXPECT_TRUE(s.cr.Cubic);
  EXPECT_TRUE(s.cr.Inverting);
  EXPECT_FALSE(s.cr.ActiveCompAvailable);
  EXPECT_EQ(s.cr.ActiveCompSchematic, 0);
  EXPECT_TRUE(s.cr.C2Variable);  // the stage's remembered choice

  const CircuitAddress b = AddressOfKey("SLPN03");  // "00,000,06,02,01,00,01,01,00,00,01,15"
  Stage t(b.stageType, b.number);
  t.cr.C2Variable = true;
  t.Run(1000, false);
  EXPECT_FALSE(t.cr.C2Variable);
  EXPECT_TRUE(t.cr.ActiveCompAvailable);
  EXPECT_EQ(t.cr.ActiveCompSchematic, 15);
  EXPECT_FALSE(t.cr.Cubic);
  EXPECT_EQ(t.cr.OpAmpCount, 1);
}

TEST(SetUpCircuitTest, EqualComponentsNeedAScalePairAVariantAndFourResistors) {
  for (int i = 1; i <= kCatalogueSize; ++i) {
    const CircuitAddress a = AddressOfIndex(i);
    Stage s(a.stageType, a.number);
    const bool offered = s.Run(1000).equalComponentsAvailable;
    const std::string key = CircuitKey(a.stageType, a.number);
    EXPECT_EQ(offered, key == "SLP02" || key == "SHP02") << key;
  }
}

TEST(SetUpCircuitTest, ScaleResistorStartsAt10kOhm) {
  const CircuitAddress a = AddressOfKey("SBP03");  // scale pair, five resistors
  Stage s(a.stageType, a.number);
  s.cr.ResistorScale = 3;
  s.cr.ScaleResistor = 4700;  // a fresh stage starts over
  s.cr.ScaleIndex = 5;
  s.Run(1000);
  EXPECT_EQ(s.cr.ResistorScale, 1);
  EXPECT_EQ(s.cr.ScaleIndex, 0);
  EXPECT_EQ(s.cr.ScaleDecade, 3);
  EXPECT_EQ(s.cr.ScaleResistor, 10000);
  EXPECT_EQ(s.cr.R[5].Value, 10000);

  // Not fresh: a scale resistor the user chose stays, and so does the last resistor.
  s.cr.Fresh = false;
  s.cr.ResistorScale = 2;
  s.cr.ScaleResistor = 22000;
  s.cr.R[5].Value = 22000;
  s.Run(1000);
  EXPECT_EQ(s.cr.ResistorScale, 2);
  EXPECT_EQ(s.cr.ScaleResistor, 22000);
  EXPECT_EQ(s.cr.R[5].Value, 22000);
  EXPECT_EQ(s.cr.ScaleIndex, 0);

  // A cleared scale resistor (below 1 ohm) is put back to 10 kOhm.
  s.cr.ScaleResistor = 0;
  s.Run(1000);
  EXPECT_EQ(s.cr.ScaleResistor, 10000);
  EXPECT_EQ(s.cr.R[5].Value, 10000);

  // Without a scale pair nothing of this is touched.
  Stage plain(core::ptSLP, 1);
  plain.cr.R[2].Value = 1234;
  plain.Run(1000);
  EXPECT_EQ(plain.cr.ScaleResistor, 0);
  EXPECT_EQ(plain.cr.R[2].Value, 1234);
}

TEST(SetUpCircuitTest, FreshStageStoresItsCapacitorsInTheMemory) {
  Stage s(core::ptSLP, 2);
  s.cr.C[3].Value = 5e-9;  // a capacitor the circuit does not set up goes along as it is
  s.Run(1000);
  EXPECT_EQ(s.memory.C1Index, 0);
  EXPECT_EQ(s.memory.C1Decade, 10);
  EXPECT_EQ(s.memory.C2Index, 0);
  EXPECT_EQ(s.memory.C2Decade, 9);
  EXPECT_DOUBLE_EQ(s.memory.CapRatio, s.cr.CapRatio);
  for (std::size_t j = 1; j <= 4; ++j) {
    EXPECT_EQ(s.memory.Value[j], s.cr.C[j].Value) << j;
    EXPECT_EQ(s.memory.ExactValue[j], s.cr.C[j].Value) << j;
    EXPECT_EQ(s.cr.C[j].ExactValue, s.cr.C[j].Value) << j;
  }
  EXPECT_EQ(s.memory.Value[3], 5e-9);
  EXPECT_EQ(s.saved.Value, s.memory.Value);
  EXPECT_EQ(s.saved.ExactValue, s.memory.ExactValue);
  EXPECT_EQ(s.saved.C2Decade, s.memory.C2Decade);
}

TEST(SetUpCircuitTest, StageThatIsNotFreshGetsTheUsersCapacitorsBack) {
  Stage s(core::ptSLP, 1);
  s.Run(1000);
  // The user moved the capacitors; the memory holds the choice.
  s.memory.C1Index = 4;
  s.memory.C1Decade = 10;
  s.memory.C2Index = 6;
  s.memory.C2Decade = 10;
  s.memory.CapRatio = 1.5;
  s.memory.Value[1] = 22e-9;
  s.memory.Value[2] = 33e-9;
  s.memory.ExactValue[1] = 21.7e-9;
  s.memory.ExactValue[2] = 33e-9;
  const core::StageComponentSetEntry savedBefore = s.saved;
  // A recomputation of the resistors in between does not disturb the capacitors.
  s.cr.R[1].Value = 12345;
  s.cr.C[1].Value = 1e-9;
  s.cr.Fresh = false;
  s.Run(1e6);  // a pole frequency that would otherwise start from 1 nF
  EXPECT_EQ(s.cr.C[1].Value, 22e-9);
  EXPECT_EQ(s.cr.C[2].Value, 33e-9);
  EXPECT_EQ(s.cr.C[1].ExactValue, 21.7e-9);
  EXPECT_EQ(s.cr.C1Index, 4);
  EXPECT_EQ(s.cr.C2Index, 6);
  EXPECT_EQ(s.cr.C1Decade, 10);
  EXPECT_DOUBLE_EQ(s.cr.CapRatio, 1.5);
  EXPECT_EQ(s.cr.R[1].Value, 12345);
  EXPECT_EQ(s.saved.Value, savedBefore.Value);  // only writing the memory refreshes the copy
}

TEST(SetUpCircuitTest, DesignStateOverloadWorksOnTheStagesOwnTables) {
  core::DesignState state;
  state.stageCount = 2;
  state.stages[2].type = core::ptSLP;
  state.stages[2].wp = 50000;
  core::CircuitRecord& cr = state.circuits[2];
  cr.CircuitNumber = 3;
  cr.CircuitId = static_cast<std::int16_t>(CircuitIdOf(core::ptSLP, 3));
  cr.Fresh = true;
  SetUpCircuit(state, 2, false);
  EXPECT_NEAR(cr.C[1].Value, 1e-9, 1e-21);
  EXPECT_NEAR(cr.C[2].Value, 100e-9, 1e-19);
  EXPECT_EQ(state.componentSet[2].Value[2], cr.C[2].Value);
  EXPECT_EQ(state.componentSetSaved[2].Value[2], cr.C[2].Value);
  EXPECT_EQ(state.componentSet[1].Value[2], 0);
}

TEST(SetUpCircuitTest, RecordWithoutACatalogueCircuitIsLeftAlone) {
  core::CircuitRecord cr;
  cr.CircuitId = 24;  // between the SLP and SHP ids
  cr.ResistorCount = 3;
  core::StageComponentSetEntry m, sv;
  EXPECT_FALSE(SetUpCircuit(cr, 1000, true, m, sv).equalComponentsAvailable);
  EXPECT_EQ(cr.ResistorCount, 3);
  EXPECT_FALSE(cr.C2Variable);
  EXPECT_EQ(cr.C[1].Value, 0);
}

}  // namespace
}  // namespace tavrin::circuits
