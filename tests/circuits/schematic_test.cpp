// The schematics: every script draws the circuit its netlist template simulates (the
// same parts between the same nodes, input, output and ground fixed), reads cleanly to an
// engineer (dots where wires join, nothing drawn over anything else), and the tokens turn
// into the shapes the authoring guide in Schematic.h promises.
#include "circuits/Schematic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "circuits/Catalogue.h"
#include "circuits/Inventory.h"
#include "circuits/SchematicConnectivity.h"
#include "circuits/SchematicLabels.h"
#include "circuits/SchematicScripts.h"
#include "output/NetlistTemplates.h"

namespace tavrin::circuits {
namespace {

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "  " + line + "\n";
  return text;
}

// A script from its tokens, laid out ten to a line as the lists hold them.
std::string Script(const std::string& code, std::vector<std::string> tokens) {
  for (std::string& t : tokens) t.resize(5, ' ');
  while (tokens.size() % 10 != 0) tokens.emplace_back("XXXXX");
  std::string text = code + "\n";
  for (std::size_t i = 0; i < tokens.size(); ++i) text += tokens[i] + (i % 10 == 9 ? "\n" : " ");
  return text;
}

SchematicNetlist TemplateNetlist(const output::NetlistTemplate& t) {
  std::vector<std::string> lines;
  for (const auto* group : {&t.resistors, &t.capacitors, &t.opAmps}) {
    lines.insert(lines.end(), group->begin(), group->end());
  }
  return NetlistFromLines(lines);
}

int Count(const SchematicNetlist& n, char first) {
  return static_cast<int>(std::count_if(n.elements.begin(), n.elements.end(),
                                        [&](const SchematicElement& e) { return e.name[0] == first; }));
}

// ---------------------------------------------------------------------------------------
// The script lists.

// Every circuit of the catalogue must have a script in its list, and every circuit with
// active compensation one in the compensation list.
TEST(SchematicScripts, EveryCircuitHasAScript) {
  for (ScriptList list : kScriptLists) {
    const std::vector<std::string> problems =
        CheckScriptList(ScriptListText(list), ExpectedScriptCodes(list), ScriptListName(list));
    EXPECT_TRUE(problems.empty()) << Joined(problems);
  }
}

TEST(SchematicScripts, ListsHoldTheCataloguesCodesInTheirOwnPlaces) {
  EXPECT_EQ(ExpectedScriptCodes(ScriptList::AllPole).size(), 43u);
  EXPECT_EQ(ExpectedScriptCodes(ScriptList::Notch).size(), 28u);
  const std::vector<std::string> compensated = ExpectedScriptCodes(ScriptList::ActiveComp);
  ASSERT_EQ(compensated.size(), 16u);
  EXPECT_EQ(compensated.front(), "SLP01");
  EXPECT_EQ(compensated[4], "SLP06");
  EXPECT_EQ(compensated.back(), "SHPN01");
  // Whatever the lists hold so far belongs where it is, once.
  for (ScriptList list : kScriptLists) {
    const std::vector<std::string> expected = ExpectedScriptCodes(list);
    for (const std::string& problem : CheckScriptList(ScriptListText(list), expected, ScriptListName(list))) {
      EXPECT_EQ(problem.rfind("no script for ", 0), 0u) << problem;
    }
  }
  EXPECT_EQ(ScriptListFor(core::ptSN, false), ScriptList::Notch);
  EXPECT_EQ(ScriptListFor(core::ptSLPN | 0x80, false), ScriptList::Notch);
  EXPECT_EQ(ScriptListFor(core::ptSBP, false), ScriptList::AllPole);
  EXPECT_EQ(ScriptListFor(core::ptSLP, true), ScriptList::ActiveComp);
}

TEST(SchematicScripts, AListLackingACodeIsReportedByName) {
  const std::string list = Script("FLP01", {"T0105", "LUV i"}) + Script("FLP03", {"T0105"}) +
                           Script("FLP03", {"T0105"}) + Script("SN01", {"T0105"});
  const std::vector<std::string> problems = CheckScriptList(list, {"FLP01", "FLP02", "FLP03"}, "all-pole");
  EXPECT_EQ(problems, (std::vector<std::string>{"no script for FLP02 in the all-pole list",
                                                "FLP03 has 2 scripts in the all-pole list",
                                                "SN01 does not belong in the all-pole list"}));
  EXPECT_TRUE(FindScriptIn(list, "FLP02").empty());
  EXPECT_EQ(FindScriptIn(list, "FLP01").substr(0, 6), "FLP01\n");
  EXPECT_TRUE(CheckScriptList(list, {"FLP01", "FLP03", "SN01"}, "x").size() == 1);  // only the double FLP03
}

// ---------------------------------------------------------------------------------------
// Every script present against its netlist template.

struct ScriptCase {
  std::string code;
  bool activeComp = false;
};

std::vector<ScriptCase> PresentScripts() {
  std::vector<ScriptCase> cases;
  for (ScriptList list : kScriptLists) {
    for (const std::string& code : ExpectedScriptCodes(list)) {
      if (!FindScript(list, code).empty()) cases.push_back({code, list == ScriptList::ActiveComp});
    }
  }
  return cases;
}

class EveryScript : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(EveryScript, DrawsTheCircuitOfItsNetlistTemplate) {
  const ScriptCase& c = GetParam();
  const CircuitAddress at = AddressOfKey(c.code);
  const SchematicDrawing d = ParseSchematic(
      FindScript(c.activeComp ? ScriptList::ActiveComp : ScriptListFor(at.stageType, false), c.code));
  EXPECT_EQ(d.code, c.code);
  const ExtractedCircuit drawn = ExtractCircuit(d);
  ASSERT_TRUE(drawn.problems.empty()) << Joined(drawn.problems);

  const output::NetlistTemplate* t = output::FindTemplate(
      c.activeComp ? output::TemplateSet::ActiveComp : output::TemplateSet::Standard, c.code);
  ASSERT_NE(t, nullptr);
  const SchematicNetlist reference = TemplateNetlist(*t);
  EXPECT_EQ(CompareNetlists(drawn.netlist, reference), "") << "drawn:\n" << NetlistText(drawn.netlist);

  // The template and the catalogue agree on the counts the labels run to.
  const CircuitDescriptor& desc = Descriptor(at.circuitId);
  const int extraResistors = c.activeComp ? Count(reference, 'R') - desc.resistors : 0;
  EXPECT_EQ(Count(drawn.netlist, 'R'), desc.resistors + extraResistors);
  EXPECT_EQ(Count(drawn.netlist, 'C'), desc.capacitors);
  if (!c.activeComp) {
    EXPECT_EQ(Count(drawn.netlist, 'X'), desc.opAmps);
  }
}

TEST_P(EveryScript, ReadsCleanly) {
  const ScriptCase& c = GetParam();
  const CircuitAddress at = AddressOfKey(c.code);
  const SchematicDrawing d = ParseSchematic(
      FindScript(c.activeComp ? ScriptList::ActiveComp : ScriptListFor(at.stageType, false), c.code));
  EXPECT_TRUE(d.errors.empty()) << Joined(d.errors);
  const std::vector<std::string> issues = CheckDrawing(d);
  EXPECT_TRUE(issues.empty()) << Joined(issues);
}

INSTANTIATE_TEST_SUITE_P(SchematicScripts, EveryScript, ::testing::ValuesIn(PresentScripts()),
                         [](const ::testing::TestParamInfo<ScriptCase>& p) {
                           return p.param.code + (p.param.activeComp ? "_compensated" : "");
                         });

// ---------------------------------------------------------------------------------------
// Connectivity.

// Input wire along y = 5 through R1 to the output; R2 hangs from the output line and its
// lead runs down across the input wire to C1 and ground.  Only a dot at the crossing
// joins the two.
std::string CrossingFixture(bool dot) {
  std::vector<std::string> tokens = {"T0105", "LUV i", "D0805", "RHRD1", "D1305", "T1305", "LUV o", "M0501",
                                     "RVDR2", "D0508", "CVDR1", "G",     "M0501", "D1201", "D1205", "J1205"};
  if (dot) tokens.push_back("J0505");
  return Script("TEST", tokens);
}

TEST(SchematicConnectivity, WiresCrossingWithoutADotDoNotConnect) {
  const ExtractedCircuit apart = ExtractCircuit(ParseSchematic(CrossingFixture(false)));
  ASSERT_TRUE(apart.problems.empty()) << Joined(apart.problems);
  EXPECT_EQ(CompareNetlists(apart.netlist, NetlistFromLines({"R1 1 2", "R2 2 3", "C1 3 0"})), "")
      << NetlistText(apart.netlist);

  const ExtractedCircuit joined = ExtractCircuit(ParseSchematic(CrossingFixture(true)));
  EXPECT_TRUE(joined.problems.empty()) << Joined(joined.problems);
  EXPECT_EQ(CompareNetlists(joined.netlist, NetlistFromLines({"R1 1 2", "R2 2 1", "C1 1 0"})), "")
      << NetlistText(joined.netlist);
}

TEST(SchematicConnectivity, AWireEndingOnAnotherJoinsItButWantsADot) {
  // R1's lead ends in the middle of the wire from the input: a T.
  const std::string script =
      Script("TEST", {"T0105", "LUV i", "D1005", "T1005", "LUV o", "M0505", "D0507", "RVDR1", "G"});
  const SchematicDrawing d = ParseSchematic(script);
  const ExtractedCircuit e = ExtractCircuit(d);
  // The input and output terminals are one net with R1 from it to ground.
  EXPECT_NE(std::find(e.problems.begin(), e.problems.end(), "the input is wired to the output"),
            e.problems.end());
  EXPECT_EQ(e.netlist.elements.front().nodes, (std::vector<int>{1, 0}));
  const std::vector<std::string> issues = CheckDrawing(d);
  EXPECT_NE(std::find(issues.begin(), issues.end(), "no dot at (5,5) where 3 meet"), issues.end())
      << Joined(issues);
}

TEST(SchematicConnectivity, NetlistsCompareUpToRenamingOfInnerNodes) {
  const SchematicNetlist slp01 = NetlistFromLines({"R1 1 3", "R2 3 4", "C1 4 0", "C2 2 3", "XA1 4 2 2"});
  struct Case {
    const char* what;
    std::vector<std::string> drawn;
    bool same;
  };
  const Case cases[] = {
      {"as in the template", {"R1 1 3", "R2 3 4", "C1 4 0", "C2 2 3", "X1 4 2 2"}, true},
      {"inner nodes renamed, elements reordered, ends swapped",
       {"C2 5 2", "X7 9 2 2", "R2 9 5", "R1 5 1", "C1 0 9"},
       true},
      {"C1 to the other inner node", {"R1 1 3", "R2 3 4", "C1 3 0", "C2 2 3", "X1 4 2 2"}, false},
      {"op-amp inputs swapped", {"R1 1 3", "R2 3 4", "C1 4 0", "C2 2 3", "X1 2 4 2"}, false},
      {"input and output swapped", {"R1 2 3", "R2 3 4", "C1 4 0", "C2 1 3", "X1 4 1 1"}, false},
      {"a part missing", {"R1 1 3", "R2 3 4", "C1 4 0", "X1 4 2 2"}, false},
      {"a part numbered wrong", {"R1 1 3", "R3 3 4", "C1 4 0", "C2 2 3", "X1 4 2 2"}, false},
      {"an op amp too many", {"R1 1 3", "R2 3 4", "C1 4 0", "C2 2 3", "X1 4 2 2", "X2 4 2 2"}, false},
  };
  for (const Case& c : cases) {
    const std::string why = CompareNetlists(NetlistFromLines(c.drawn), slp01);
    EXPECT_EQ(why.empty(), c.same) << c.what << "\n" << why;
  }
  // Op amps match whichever of them the drawing lists first.
  const SchematicNetlist two = NetlistFromLines({"R1 1 3", "XA1 3 4 4", "XA2 4 2 2"});
  EXPECT_EQ(CompareNetlists(NetlistFromLines({"X1 5 2 2", "R1 1 3", "X2 3 5 5"}), two), "");
  EXPECT_NE(CompareNetlists(NetlistFromLines({"X1 5 2 2", "R1 1 3", "X2 5 3 5"}), two), "");
}

TEST(SchematicConnectivity, AFailedComparisonNamesWhereTheDrawingParts) {
  const SchematicNetlist reference = NetlistFromLines({"R1 1 3", "R2 3 4", "C1 4 0", "XA1 4 2 2"});
  const std::string why =
      CompareNetlists(NetlistFromLines({"R1 1 3", "R2 3 4", "C1 3 0", "X1 4 2 2"}), reference);
  EXPECT_NE(why.find("no renaming"), std::string::npos) << why;
  EXPECT_NE(why.find("C1 "), std::string::npos) << why;
  const std::string counts = CompareNetlists(NetlistFromLines({"R1 1 2", "R5 1 0"}), reference);
  EXPECT_NE(counts.find("R5 is drawn but the netlist has none"), std::string::npos) << counts;
  EXPECT_NE(counts.find("R2 is missing from the drawing"), std::string::npos) << counts;
  EXPECT_NE(counts.find("0 op amps drawn, the netlist has 1"), std::string::npos) << counts;
}

TEST(SchematicConnectivity, ADrawingThatIsNoCircuitSaysWhy) {
  struct Case {
    std::vector<std::string> tokens;
    const char* problem;
  };
  const Case cases[] = {
      {{"M0105", "RHRD1", "T0405", "LUV o"}, "no input terminal (\"V i\")"},
      {{"T0105", "LUV i", "RHRD1", "T0405"}, "no output terminal (\"V o\")"},
      {{"T0105", "LUV i", "D0405", "G", "RHRD1", "T0705", "LUV o"}, "the input is shorted to ground"},
      {{"T0105", "LUV i", "RHRD1", "T0405", "LUV o", "M1010", "RVDR2"},
       "R2 at (10,10) is connected to nothing"},
      {{"T0105", "LUV i", "RHRD1", "T0405", "LUV o", "M1010", "D1510"},
       "the wire (10,10)-(15,10) joins nothing"},
      {{"T0105", "LUV i", "RHRD1", "T0405", "LUV o", "M1010", "LUV o"},
       "the text \"V o\" at (10,10) is not on a terminal"},
  };
  for (const Case& c : cases) {
    const ExtractedCircuit e = ExtractCircuit(ParseSchematic(Script("TEST", c.tokens)));
    EXPECT_NE(std::find(e.problems.begin(), e.problems.end(), c.problem), e.problems.end())
        << c.problem << "\ngot:\n"
        << Joined(e.problems);
  }
}

// ---------------------------------------------------------------------------------------
// How a drawing reads.

TEST(SchematicDrawing, CheckNamesWhatAnEngineerWouldFix) {
  struct Case {
    std::vector<std::string> tokens;
    const char* issue;
  };
  const Case cases[] = {
      {{"M0505", "D1005", "M0805", "D0808"}, "no dot at (8,5) where 3 meet"},
      {{"M0505", "D1005", "J0705"}, "a dot at (7,5) where only 2 meet"},
      {{"M0505", "D1005", "M1005", "RHRD1"}, "a wire end at (5,5) touches nothing"},
      {{"M0505", "D0909"}, "the wire (5,5)-(9,9) is slanted"},
      {{"M0505", "RHRU1", "M0404", "D1004"}, "the wire (4,4)-(10,4) runs through the label of R1"},
      {{"M0505", "RHRU1", "M0605", "D0608"}, "the wire (6,5)-(6,8) runs through R1"},
      {{"M0505", "RHRU1", "M0601", "RHRD2"}, "the label of R1 overlaps the label of R2"},
      {{"M0101", "RHRU1"}, "the label of R1 reaches outside the drawing area"},
      {{"M0505", "OURU", "M0606", "G"}, "op amp 1 overlaps the ground at (6,6)"},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> issues = CheckDrawing(ParseSchematic(Script("TEST", c.tokens)));
    EXPECT_NE(std::find(issues.begin(), issues.end(), c.issue), issues.end()) << c.issue << "\ngot:\n"
                                                                              << Joined(issues);
  }
}

// ---------------------------------------------------------------------------------------
// The tokens, as the authoring guide describes them.

TEST(SchematicParse, TokensMakeTheShapesTheGuidePromises) {
  // Parts from the pen at (10,10): pins, number, label side.
  struct PartCase {
    const char* token;
    GridPoint pin2;
    int number;
    PartKind kind;
    Side label;
  };
  const PartCase parts[] = {
      {"RHRU1", {13, 10}, 1, PartKind::Resistor, Side::Up},
      {"RHLD2", {7, 10}, 2, PartKind::Resistor, Side::Down},
      {"RVDL0", {10, 13}, 10, PartKind::Resistor, Side::Left},
      {"CVUR3", {10, 8}, 3, PartKind::Capacitor, Side::Right},
      {"CHRU4", {12, 10}, 4, PartKind::Capacitor, Side::Up},
  };
  for (const PartCase& c : parts) {
    const SchematicDrawing d = ParseSchematic(Script("TEST", {"M1010", c.token, "D2020"}));
    ASSERT_EQ(d.parts.size(), 1u) << c.token;
    const Part& p = d.parts[0];
    EXPECT_EQ(p.pin1, (GridPoint{10, 10})) << c.token;
    EXPECT_EQ(p.pin2, c.pin2) << c.token;
    EXPECT_EQ(p.number, c.number) << c.token;
    EXPECT_EQ(p.kind, c.kind) << c.token;
    EXPECT_EQ(p.labelSide, c.label) << c.token;
    // The pen ends on the far pin.
    ASSERT_EQ(d.wires.size(), 1u);
    EXPECT_EQ(d.wires[0].a, c.pin2) << c.token;
  }

  // Op amps with the pen at (10,10): + - and output, and the pen on the output.
  struct AmpCase {
    const char* token;
    GridPoint plus, minus, out;
  };
  const AmpCase amps[] = {
      {"OURU", {10, 10}, {10, 12}, {14, 11}}, {"ODRU", {10, 12}, {10, 10}, {14, 11}},
      {"ODRL", {10, 10}, {10, 8}, {14, 9}},   {"OULU", {10, 10}, {10, 12}, {6, 11}},
      {"OULL", {10, 8}, {10, 10}, {6, 9}},
  };
  for (const AmpCase& c : amps) {
    const SchematicDrawing d = ParseSchematic(Script("TEST", {"M1010", c.token, "D2020"}));
    ASSERT_EQ(d.opAmps.size(), 1u) << c.token;
    EXPECT_EQ(d.opAmps[0].plus, c.plus) << c.token;
    EXPECT_EQ(d.opAmps[0].minus, c.minus) << c.token;
    EXPECT_EQ(d.opAmps[0].out, c.out) << c.token;
    EXPECT_EQ(d.wires.at(0).a, c.out) << c.token;
  }

  // Z: right 2, down 1, ground there, the pen following.  T and J move the pen; G, L and
  // H do not; H turns the ink.
  const SchematicDrawing z = ParseSchematic(Script("TEST", {"Z0505", "D0709", "T1010", "G", "LUV i", "HBLUE",
                                                            "D1210", "J1410", "D1510", "HBLCK", "D1610"}));
  ASSERT_EQ(z.wires.size(), 6u);
  EXPECT_EQ(z.wires[0].a, (GridPoint{5, 5}));
  EXPECT_EQ(z.wires[0].b, (GridPoint{7, 5}));
  EXPECT_EQ(z.wires[1].b, (GridPoint{7, 6}));
  EXPECT_EQ(z.wires[2].a, (GridPoint{7, 6}));
  EXPECT_EQ(z.grounds.at(0).at, (GridPoint{7, 6}));
  EXPECT_EQ(z.grounds.at(1).at, (GridPoint{10, 10}));
  EXPECT_EQ(z.texts.at(0).at, (GridPoint{10, 10}));
  EXPECT_EQ(z.texts.at(0).text, "V i");
  EXPECT_EQ(z.wires[3].a, (GridPoint{10, 10}));
  EXPECT_EQ(z.wires[3].ink, Ink::Blue);
  EXPECT_EQ(z.wires[4].a, (GridPoint{14, 10}));
  EXPECT_EQ(z.wires[5].ink, Ink::Black);

  // Q: the output summer, its resistor numbered by the P before it, then 10 again.
  const SchematicDrawing q = ParseSchematic(Script("TEST", {"P07", "Q1010", "Q1020"}));
  ASSERT_EQ(q.opAmps.size(), 2u);
  EXPECT_EQ(q.opAmps[0].minus, (GridPoint{11, 10}));
  EXPECT_EQ(q.opAmps[0].plus, (GridPoint{11, 12}));
  EXPECT_EQ(q.opAmps[0].out, (GridPoint{15, 11}));
  ASSERT_EQ(q.parts.size(), 2u);
  EXPECT_EQ(q.parts[0].number, 7);
  EXPECT_EQ(q.parts[1].number, 10);
  EXPECT_EQ(q.terminals.at(0).at, (GridPoint{18, 11}));
  EXPECT_EQ(q.texts.at(0).text, "V o");
  // On its own the block is a circuit: an inverter from its summing node.
  const std::string summer = Script("TEST", {"T0510", "LUV i", "RHRD1", "D1010", "P02", "Q1010"});
  const SchematicDrawing s = ParseSchematic(summer);
  EXPECT_TRUE(CheckDrawing(s).empty()) << Joined(CheckDrawing(s));
  EXPECT_EQ(CompareNetlists(ExtractCircuit(s).netlist, NetlistFromLines({"R1 1 3", "R2 2 3", "XA1 0 3 2"})),
            "");
}

TEST(SchematicParse, MalformedScriptsAreReportedAndTheRestIsRead) {
  struct Case {
    std::string script;
    const char* error;
  };
  const Case cases[] = {
      {Script("TEST", {"D1x05"}), "line 2 token 1 \"D1x05\": the coordinates must be two digits each"},
      {Script("TEST", {"M0101", "RHUU1"}), "line 2 token 2 \"RHUU1\": a horizontal part runs L or R"},
      {Script("TEST", {"M0101", "CVRL1"}), "line 2 token 2 \"CVRL1\": a vertical part runs U or D"},
      {Script("TEST", {"M0101", "RXRL1"}), "line 2 token 2 \"RXRL1\": the orientation must be H or V"},
      {Script("TEST", {"M0101", "OXRU"}),
       "line 2 token 2 \"OXRU \": an op amp is O, then U or D (the + input), L or R (its output), U or L "
       "(the "
       "pen's input)"},
      {Script("TEST", {"HGREN"}), "line 2 token 1 \"HGREN\": the colour must be BLCK or BLUE"},
      {Script("TEST", {"M3405"}), "line 2 token 1 \"M3405\": outside the drawing area"},
      {Script("TEST", {"M0505", "D0505"}), "line 2 token 2 \"D0505\": a wire of no length"},
      {"TEST\nM0101 D0201  D0301\n", "line 2: not ten 5-character tokens separated by single blanks"},
  };
  for (const Case& c : cases) {
    const SchematicDrawing d = ParseSchematic(c.script);
    EXPECT_NE(std::find(d.errors.begin(), d.errors.end(), c.error), d.errors.end()) << c.error << "\ngot:\n"
                                                                                    << Joined(d.errors);
  }
  // An unknown token is passed over, and "XXXXX" ends the drawing.
  const SchematicDrawing rest = ParseSchematic(Script("TEST", {"K1234", "M0101", "D0501", "XXXXX", "D0909"}));
  ASSERT_EQ(rest.wires.size(), 1u);
  EXPECT_EQ(rest.wires[0].b, (GridPoint{5, 1}));
  // A line whose trailing blanks an editor stripped still reads.
  std::string trimmed =
      Script("TEST", {"M0101", "D0501", "XXXXX", "XXXXX", "XXXXX", "XXXXX", "XXXXX", "XXXXX", "XXXXX", "G"});
  trimmed.erase(trimmed.find_last_not_of(" \n") + 1);
  const SchematicDrawing kept = ParseSchematic(trimmed);
  EXPECT_TRUE(kept.errors.empty()) << Joined(kept.errors);
  EXPECT_EQ(kept.wires.size(), 1u);
}

// ---------------------------------------------------------------------------------------
// Labels.

TEST(SchematicLabels, ValuesAsTheProgramWritesThemAndTheInventoryMark) {
  core::CircuitRecord cr;
  cr.ResistorCount = 3;
  cr.CapacitorCount = 2;
  cr.R[1].Value = 10000;        // E96 and E24
  cr.R[2].Value = 12345;        // in no series
  cr.R[2].UserAssigned = true;  // ... but the user put 4.99 k there, an E96 value
  cr.R[2].UserValue = 4990;
  cr.R[3].Value = 1.5e6;
  cr.C[1].Value = 4.7e-9;
  cr.C[2].Value = 5e-9;  // not an E12 value
  cr.R[4].Value = 2200;  // beyond the record's count: no label value

  core::ComponentInventory inventory{};
  SetDefaultInventory(inventory);
  InventoryMarking marking;
  marking.inventory = &inventory;
  marking.capacitors = true;
  marking.resistors = true;
  marking.rTolerance = 1;
  const SchematicValues v = SchematicValuesOf(cr, marking);
  EXPECT_EQ(v.resistor[1].text, "10K");
  EXPECT_EQ(v.resistor[2].text, "4.99K");
  EXPECT_EQ(v.resistor[3].text, "1.5M");
  EXPECT_EQ(v.resistor[4].text, "");
  EXPECT_EQ(v.capacitor[1].text, "4.7nF");
  EXPECT_EQ(v.capacitor[2].text, "5nF");
  EXPECT_TRUE(v.resistor[1].marked);
  EXPECT_TRUE(v.resistor[2].marked);
  EXPECT_TRUE(v.capacitor[1].marked);
  EXPECT_FALSE(v.capacitor[2].marked);

  Part r1;
  r1.kind = PartKind::Resistor;
  r1.number = 1;
  EXPECT_EQ(LabelName(r1, v.Of(r1)), "\xE2\x80\xA2R1");
  // At 5 % the resistors come from E24, where 4.99 k is no value; and a disabled
  // inventory marks nothing.
  marking.rTolerance = 5;
  EXPECT_FALSE(SchematicValuesOf(cr, marking).resistor[2].marked);
  marking.resistors = false;
  marking.capacitors = false;
  const SchematicValues unmarked = SchematicValuesOf(cr, marking);
  EXPECT_FALSE(unmarked.resistor[1].marked);
  EXPECT_FALSE(unmarked.capacitor[1].marked);
  EXPECT_EQ(LabelName(r1, unmarked.Of(r1)), "R1");
  // A stock flag cleared takes the mark off.
  marking.capacitors = true;
  SetInStock(inventory, InventoryBlock::Capacitors, 2, 8, false);  // 4.7 nF: the 1 nF decade, E12 470
  EXPECT_FALSE(SchematicValuesOf(cr, marking).capacitor[1].marked);
}

}  // namespace
}  // namespace tavrin::circuits
