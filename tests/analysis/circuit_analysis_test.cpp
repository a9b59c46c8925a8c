// The dispatcher: which circuits it knows, their attributes, and the coefficient form.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "analysis/CircuitAnalysis.h"
#include "analysis/ComponentSets.h"
#include "circuits/Catalogue.h"
#include "core/DesignState.h"

namespace tavrin::analysis {
namespace {

TEST(CircuitAnalysis, KnowsExactlyTheCatalogueCircuits) {
  std::set<std::pair<int, int>> catalogue;
  for (const auto& c : analysis_test::AllCircuitCases()) catalogue.insert({c.type, c.n});
  std::set<std::pair<int, int>> analysed;
  for (const circuits::AnalysisEntry* e : AllAnalyses()) analysed.insert({e->stageType, e->number});
  EXPECT_EQ(catalogue.size(), 71u);
  EXPECT_EQ(analysed, catalogue);
  EXPECT_EQ(AllAnalyses().size(), 71u);  // no member listed twice

  const std::pair<int, int> outside[] = {{core::ptFLP, 4}, {core::ptSLP, 14}, {core::ptSN, 10}, {8, 1}};
  for (const auto& [type, beyond] : outside) {
    bool timeConstant = true;
    const WorkingVectors v = MakeWorkingVectors(std::vector<double>(10, 1e4), std::vector<double>(4, 1e-8));
    EXPECT_EQ(FindAnalysis(type, beyond), nullptr);
    EXPECT_EQ(AnalyseCircuit(v, type, beyond, AnalysisQuantity::Gain, 0, timeConstant), 0.0);
    EXPECT_FALSE(timeConstant);
  }
}

TEST(CircuitAnalysis, AttributesAgreeWithTheCatalogueDescriptors) {
  for (const auto& c : analysis_test::AllCircuitCases()) {
    SCOPED_TRACE(c.key);
    const circuits::AnalysisEntry* e = FindAnalysis(c.type, c.n);
    ASSERT_NE(e, nullptr);
    const circuits::CircuitDescriptor& d = circuits::Descriptor(circuits::CircuitIdOf(c.type, c.n));
    EXPECT_EQ(e->cubic, d.cubic);
    // SBP12's output is in antiphase with its input (the ngspice cross-check shows it);
    // its descriptor row does not mark it inverting.
    if (c.key != "SBP12") {
      EXPECT_EQ(e->inverting, d.inverting);
    }
  }
  EXPECT_TRUE(FindAnalysis(core::ptSBP, 12)->inverting);
}

TEST(CircuitAnalysis, TimeConstantFlagIsClearedThenSetByEachCall) {
  const WorkingVectors v = MakeWorkingVectors(std::vector<double>(10, 1e4), std::vector<double>(4, 1e-8));
  bool flag = false;
  AnalyseCircuit(v, core::ptSLP, 1, AnalysisQuantity::Denominator, 0, flag);  // SLP01: time constant
  EXPECT_TRUE(flag);
  AnalyseCircuit(v, core::ptSLP, 3, AnalysisQuantity::Gain, 0, flag);  // SLP03: monic, whatever is asked
  EXPECT_FALSE(flag);
  AnalyseCircuit(v, core::ptSHPN, 2, AnalysisQuantity::Gain, 0, flag);  // SHPN02: time constant, even for K
  EXPECT_TRUE(flag);
  EXPECT_TRUE(TimeConstantForm(core::ptSN, 8));
  EXPECT_FALSE(TimeConstantForm(core::ptSN, 9));
  EXPECT_FALSE(TimeConstantForm(core::ptSN, 10));
}

TEST(CircuitAnalysis, CoefficientOutsideTheCircuitIsZero) {
  const WorkingVectors v = MakeWorkingVectors(std::vector<double>(10, 1e4), std::vector<double>(4, 1e-8));
  // SLP01 has no numerator of its own and no third denominator term.
  EXPECT_EQ(AnalyseCircuit(v, core::ptSLP, 1, AnalysisQuantity::Numerator, 0), 0.0);
  EXPECT_EQ(AnalyseCircuit(v, core::ptSLP, 1, AnalysisQuantity::Denominator, 2), 0.0);
  EXPECT_EQ(AnalyseCircuit(v, core::ptSLP, 1, AnalysisQuantity::Denominator, 3), 0.0);
}

}  // namespace
}  // namespace tavrin::analysis
