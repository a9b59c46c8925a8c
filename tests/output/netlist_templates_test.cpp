// The two template sets: every circuit's skeleton has the circuit's components in
// order, the compensation set doubles the op amps, and the resource text has its sections.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "circuits/Catalogue.h"
#include "output/NetlistTemplates.h"

namespace tavrin::output {
namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> w;
  for (std::string s; in >> s;) w.push_back(s);
  return w;
}

// Element name, nodes and the model word of one template line.
void ExpectElement(const std::string& line, const std::string& name, std::size_t nodes,
                   const std::string& model) {
  EXPECT_EQ(line.rfind(kElementIndent, 0), 0u) << line;
  const std::vector<std::string> w = Words(line);
  ASSERT_EQ(w.size(), 1 + nodes + (model.empty() ? 0 : 1)) << line;
  EXPECT_EQ(w[0], name) << line;
  for (std::size_t i = 1; i <= nodes; ++i) {
    EXPECT_EQ(w[i].find_first_not_of("0123456789"), std::string::npos) << line;
  }
  if (!model.empty()) {
    EXPECT_EQ(w.back(), model) << line;
  }
}

TEST(NetlistTemplatesTest, EveryCircuitHasAStandardTemplateOfItsComponents) {
  ASSERT_EQ(Templates(TemplateSet::Standard).size(), 71u);
  for (int i = 1; i <= circuits::kCatalogueSize; ++i) {
    const circuits::CircuitAddress a = circuits::AddressOfIndex(i);
    const std::string key = circuits::CircuitKey(a.stageType, a.number);
    SCOPED_TRACE(key);
    const NetlistTemplate* t = FindTemplate(TemplateSet::Standard, a.stageType, a.number);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->key, key);
    EXPECT_EQ(t, &Templates(TemplateSet::Standard)[static_cast<std::size_t>(i - 1)]);
    const std::string type = circuits::TypeLetters(a.stageType);
    EXPECT_EQ(t->header, ".SUBCKT " + type + " ");
    EXPECT_EQ(t->footer, ".ENDS " + type + " ");
    const circuits::CircuitDescriptor& d = circuits::Descriptor(a.circuitId);
    ASSERT_EQ(static_cast<int>(t->resistors.size()), d.resistors);
    ASSERT_EQ(static_cast<int>(t->capacitors.size()), d.capacitors);
    ASSERT_EQ(static_cast<int>(t->opAmps.size()), d.opAmps);
    std::set<std::string> nodes;
    for (std::size_t r = 0; r < t->resistors.size(); ++r) {
      ExpectElement(t->resistors[r], "R" + std::to_string(r + 1), 2, "RMODEL");
    }
    for (std::size_t c = 0; c < t->capacitors.size(); ++c) {
      ExpectElement(t->capacitors[c], "C" + std::to_string(c + 1), 2, "CMODEL");
    }
    std::set<std::string> opAmpNames;
    for (const std::string& line : t->opAmps) {
      const std::vector<std::string> w = Words(line);
      ASSERT_EQ(w.size(), 4u) << line;
      EXPECT_EQ(w[0].substr(0, 2), "XA");
      opAmpNames.insert(w[0]);
    }
    EXPECT_EQ(opAmpNames.size(), t->opAmps.size());
    // The stage input and output are the subcircuit's nodes 1 and 2.
    for (const auto* lines : {&t->resistors, &t->capacitors, &t->opAmps}) {
      for (const std::string& line : *lines) {
        const std::vector<std::string> w = Words(line);
        for (std::size_t k = 1; k < w.size(); ++k) nodes.insert(w[k]);
      }
    }
    EXPECT_TRUE(nodes.count("1")) << "no input node";
    EXPECT_TRUE(nodes.count("2")) << "no output node";
  }
}

TEST(NetlistTemplatesTest, CompensationSetDoublesTheOpAmpsOfItsCircuits) {
  int found = 0;
  for (int i = 1; i <= circuits::kCatalogueSize; ++i) {
    const circuits::CircuitAddress a = circuits::AddressOfIndex(i);
    const circuits::CircuitDescriptor& d = circuits::Descriptor(a.circuitId);
    const NetlistTemplate* c = FindTemplate(TemplateSet::ActiveComp, a.stageType, a.number);
    SCOPED_TRACE(circuits::CircuitKey(a.stageType, a.number));
    ASSERT_EQ(c != nullptr, d.activeCompAvailable);
    if (c == nullptr) continue;
    ++found;
    const NetlistTemplate* s = FindTemplate(TemplateSet::Standard, a.stageType, a.number);
    EXPECT_EQ(c->header, s->header);
    EXPECT_EQ(c->footer, s->footer);
    EXPECT_EQ(static_cast<int>(c->opAmps.size()), 2 * d.opAmps);
    EXPECT_EQ(c->capacitors, s->capacitors);
    // The circuit's own resistors come first; the compensating ones follow.
    ASSERT_GE(c->resistors.size(), s->resistors.size());
    EXPECT_TRUE(std::equal(s->resistors.begin(), s->resistors.end(), c->resistors.begin()));
    EXPECT_LE(c->resistors.size(), 10u);
    for (std::size_t r = 0; r < c->resistors.size(); ++r) {
      ExpectElement(c->resistors[r], "R" + std::to_string(r + 1), 2, "RMODEL");
    }
  }
  EXPECT_EQ(found, 16);
  EXPECT_EQ(Templates(TemplateSet::ActiveComp).size(), 16u);
}

TEST(NetlistTemplatesTest, TemplatesKeepTheirOwnLineOrder) {
  // SLP13's op amps are listed third amplifier first.
  const NetlistTemplate* slp13 = FindTemplate(TemplateSet::Standard, "SLP13");
  ASSERT_NE(slp13, nullptr);
  EXPECT_EQ(slp13->opAmps,
            (std::vector<std::string>{"       XA3 0 7 2", "       XA1 3 0 6", "       XA2 0 5 4"}));
  const NetlistTemplate* sn08 = FindTemplate(TemplateSet::Standard, "SN08");
  ASSERT_NE(sn08, nullptr);
  EXPECT_EQ(sn08->resistors.front(), "       R1 1 0 RMODEL");
  EXPECT_EQ(sn08->resistors.back(), "       R10 2 4 RMODEL");
  const NetlistTemplate* sbp02 = FindTemplate(TemplateSet::ActiveComp, "SBP02");
  ASSERT_NE(sbp02, nullptr);
  EXPECT_EQ(sbp02->resistors[4], "       R5 6 7 RMODEL");
  EXPECT_EQ(sbp02->resistors[5], "       R6 7 0 RMODEL");
  EXPECT_EQ(sbp02->opAmps, (std::vector<std::string>{"       XA1 7 4 2", "       XA2 5 7 6"}));
  EXPECT_EQ(FindTemplate(TemplateSet::ActiveComp, "SLP05"), nullptr);
  EXPECT_EQ(FindTemplate(TemplateSet::Standard, "SLP14"), nullptr);
  EXPECT_EQ(FindTemplate(TemplateSet::Standard, 2, 14), nullptr);
}

TEST(NetlistTemplatesTest, ResourceTextHasASectionPerCircuitAndAnEnd) {
  const std::string text = TemplateSetText(TemplateSet::Standard);
  EXPECT_EQ(text.rfind("[FLP01]\n.SUBCKT FLP \n       R1 1 3 RMODEL\n       C1 3 0 CMODEL\n"
                       "       XA1 3 2 2\n.ENDS FLP \n[FLP02]\n",
                       0),
            0u);
  EXPECT_NE(text.find("[SN09]\n.SUBCKT SN \n"), std::string::npos);
  const std::string end = "\n.ENDS SN \n[END]\n";
  ASSERT_GE(text.size(), end.size());
  EXPECT_EQ(text.substr(text.size() - end.size()), end);
  std::size_t sections = 0;
  for (std::size_t at = text.find("\n["); at != std::string::npos; at = text.find("\n[", at + 1)) {
    ++sections;
  }
  EXPECT_EQ(sections + 1, 72u);  // 71 circuits and [END]

  const std::string comp = TemplateSetText(TemplateSet::ActiveComp);
  EXPECT_EQ(comp.rfind("[SLP01]\n", 0), 0u);
  EXPECT_NE(comp.find("[SHPN01]\n"), std::string::npos);
  EXPECT_EQ(comp.substr(comp.size() - 6), "[END]\n");
}

TEST(NetlistTemplatesTest, ValuesAreWrittenAsSpiceReadsThem) {
  struct Case {
    double value;
    const char* text;
  };
  const Case resistors[] = {
      {1.5e6, "1.5MEG"}, {10000, "10K"}, {15915.494, "15.916K"}, {2.2e9, "2.2G"},
      {470, "470"},      {1e6, "1MEG"},  {4.99e6, "4.99MEG"},
  };
  for (const Case& c : resistors) EXPECT_EQ(SpiceResistance(c.value), c.text) << c.value;
  const Case capacitors[] = {
      {4.7e-9, "4.7nF"},
      {1e-6, "1uF"},
      {220e-12, "220pF"},
      {1.59155e-8, "15.916nF"},
  };
  for (const Case& c : capacitors) EXPECT_EQ(SpiceCapacitance(c.value), c.text) << c.value;
}

}  // namespace
}  // namespace tavrin::output
