// One stage's subcircuit as the netlist writer emits it.
#include "output/Subcircuit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "circuits/Catalogue.h"

namespace tavrin::output {
namespace {

core::CircuitRecord Record(int stageType, int n) {
  core::CircuitRecord cr;
  cr.CircuitNumber = static_cast<std::int16_t>(n);
  cr.CircuitId = static_cast<std::int16_t>(circuits::CircuitIdOf(stageType, n));
  return cr;
}

TEST(SubcircuitTest, SallenKeyLowpassStageIsWrittenLineByLine) {
  core::CircuitRecord cr = Record(core::ptSLP, 1);
  cr.R[1].Value = 10000;
  cr.R[2].Value = 15915.494;
  cr.C[1].Value = 10e-9;
  cr.C[2].Value = 22e-9;
  EXPECT_EQ(StageSubcircuit(cr, core::ptSLP, 1, "IDEALOP"),
            ".SUBCKT SLP1 1 2\n"
            "       R1 1 3 RMODEL 10K\n"
            "       R2 3 4 RMODEL 15.916K\n"
            "       C1 4 0 CMODEL 10nF\n"
            "       C2 2 3 CMODEL 22nF\n"
            "       XA1 4 2 2 IDEALOP\n"
            ".ENDS SLP1\n");
}

TEST(SubcircuitTest, UnusedResistorIsLeftOutAndItsNodesStay) {
  core::CircuitRecord cr = Record(core::ptFLP, 2);  // R1 1 3; R2 4 0; R3 2 4
  cr.R[1].Value = 1.5e6;
  cr.R[2].Value = 0;
  cr.R[3].Value = 4700;
  cr.C[1].Value = 1e-9;
  EXPECT_EQ(StageSubcircuit(cr, core::ptFLP, 3, "GENOP2"),
            ".SUBCKT FLP3 1 2\n"
            "       R1 1 3 RMODEL 1.5MEG\n"
            "       R3 2 4 RMODEL 4.7K\n"
            "       C1 3 0 CMODEL 1nF\n"
            "       XA1 3 4 2 GENOP2\n"
            ".ENDS FLP3\n");
}

TEST(SubcircuitTest, ActiveCompensationTakesTheCompensationTemplate) {
  // Deliyannis bandpass II: R5 and R6 are the compensating copies of R4 and R3.
  core::CircuitRecord cr = Record(core::ptSBP, 2);
  cr.ActiveComp = true;
  for (int i = 1; i <= 6; ++i) cr.R[static_cast<std::size_t>(i)].Value = 1000.0 * i;
  cr.C[1].Value = 10e-9;
  cr.C[2].Value = 10e-9;
  EXPECT_EQ(StageSubcircuit(cr, core::ptSBP, 2, "GENOP1"),
            ".SUBCKT SBP2 1 2\n"
            "       R1 1 3 RMODEL 1K\n"
            "       R2 2 4 RMODEL 2K\n"
            "       R3 5 0 RMODEL 3K\n"
            "       R4 2 5 RMODEL 4K\n"
            "       R5 6 7 RMODEL 5K\n"
            "       R6 7 0 RMODEL 6K\n"
            "       C1 3 4 CMODEL 10nF\n"
            "       C2 2 3 CMODEL 10nF\n"
            "       XA1 7 4 2 GENOP1\n"
            "       XA2 5 7 6 GENOP1\n"
            ".ENDS SBP2\n");

  cr.ActiveComp = false;
  const std::string plain = StageSubcircuit(cr, core::ptSBP, 2, "GENOP1");
  EXPECT_EQ(plain.find("R5"), std::string::npos);
  EXPECT_NE(plain.find("       XA1 5 4 2 GENOP1\n.ENDS SBP2\n"), std::string::npos);
}

// The Sallen-Key bandpass and the Scultety lowpass notch amplify their capacitor node and
// take the resistive feedback R5 from the output back to the inverting input.  With the
// inputs the other way round an ideal op-amp gives the same AC answer, which hides the
// fault, but at DC the only feedback is then positive and any real op-amp latches up.
TEST(SubcircuitTest, ResistiveFeedbackGoesToTheInvertingInput) {
  for (const auto& [type, n] : {std::pair{core::ptSBP, 3}, std::pair{core::ptSLPN, 2}}) {
    core::CircuitRecord cr = Record(type, n);
    for (int i = 1; i <= 5; ++i) cr.R[static_cast<std::size_t>(i)].Value = 1000.0 * i;
    for (int j = 1; j <= 3; ++j) cr.C[static_cast<std::size_t>(j)].Value = 1e-8;
    const std::string plain = StageSubcircuit(cr, type, n, "GENOP1");
    EXPECT_NE(plain.find("       R5 2 5 RMODEL"), std::string::npos) << plain;
    EXPECT_NE(plain.find("       XA1 4 5 2 GENOP1\n"), std::string::npos) << plain;
  }
}

TEST(SubcircuitTest, CompensationFlagOnACircuitWithoutItKeepsTheTopology) {
  core::CircuitRecord cr = Record(core::ptSLP, 5);  // Fliege: no compensated variant
  for (int i = 1; i <= 5; ++i) cr.R[static_cast<std::size_t>(i)].Value = 10000;
  cr.C[1].Value = cr.C[2].Value = 1e-9;
  const std::string withFlag = [&] {
    core::CircuitRecord c = cr;
    c.ActiveComp = true;
    return StageSubcircuit(c, core::ptSLP, 1, "IDEALOP");
  }();
  EXPECT_EQ(withFlag, StageSubcircuit(cr, core::ptSLP, 1, "IDEALOP"));
  EXPECT_NE(withFlag.find("       XA2 3 5 2 IDEALOP\n"), std::string::npos);
}

TEST(SubcircuitTest, NamesFollowTypeLettersAndStageNumber) {
  struct Case {
    int type;
    int n;
    int stage;
    const char* first;
    const char* last;
  };
  const Case cases[] = {
      {core::ptSN, 3, 4, ".SUBCKT SN4 1 2\n", ".ENDS SN4\n"},
      {core::ptSLPN, 10, 11, ".SUBCKT SLPN11 1 2\n", ".ENDS SLPN11\n"},
      {core::ptSHPN | 0x80, 1, 2, ".SUBCKT SHPN2 1 2\n", ".ENDS SHPN2\n"},
  };
  for (const Case& c : cases) {
    core::CircuitRecord cr = Record(c.type & 0x7F, c.n);
    for (auto& r : cr.R) r.Value = 1000;
    for (auto& cap : cr.C) cap.Value = 1e-9;
    const std::string text = StageSubcircuit(cr, c.type, c.stage, "IDEALOP");
    EXPECT_EQ(text.rfind(c.first, 0), 0u) << text;
    ASSERT_GE(text.size(), std::string(c.last).size());
    EXPECT_EQ(text.substr(text.size() - std::string(c.last).size()), c.last) << text;
    // One line per component and op amp, plus the two framing lines.
    const circuits::CircuitDescriptor& d = circuits::Descriptor(circuits::CircuitIdOf(c.type, c.n));
    EXPECT_EQ(static_cast<int>(std::count(text.begin(), text.end(), '\n')),
              2 + d.resistors + d.capacitors + d.opAmps);
  }
}

TEST(SubcircuitTest, CircuitOutsideTheCatalogueWritesNothing) {
  core::CircuitRecord cr;
  cr.CircuitNumber = 14;
  EXPECT_EQ(StageSubcircuit(cr, core::ptSLP, 1, "IDEALOP"), "");
  cr.CircuitNumber = 1;
  EXPECT_EQ(StageSubcircuit(cr, 9, 1, "IDEALOP"), "");
}

}  // namespace
}  // namespace tavrin::output
