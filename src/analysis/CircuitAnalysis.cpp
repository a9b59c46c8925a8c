#include "analysis/CircuitAnalysis.h"

#include <array>
#include <span>
#include <stdexcept>
#include <string>

namespace tavrin::analysis {

namespace {

using circuits::AnalysisEntry;

constexpr int kTypes = 8;
constexpr int kMaxNumber = 13;

using Table = std::array<std::array<const AnalysisEntry*, kMaxNumber + 1>, kTypes>;

Table BuildTable() {
  const std::span<const AnalysisEntry> families[] = {
      circuits::FirstOrderAnalysis(),
      circuits::SallenKeyAnalysis(),
      circuits::MultipleFeedbackAnalysis(),
      circuits::DeliyannisAnalysis(),
      circuits::FliegeAnalysis(),
      circuits::BachAnalysis(),
      circuits::TwinTAnalysis(),
      circuits::KhnAnalysis(),
      circuits::TowThomasAnalysis(),
      circuits::MikhaelBhattacharyyaAnalysis(),
      circuits::BerkaHerpyAnalysis(),
      circuits::AkerbergMossbergAnalysis(),
      circuits::FriendSabAnalysis(),
      circuits::ScultetyAnalysis(),
      circuits::BoctorAnalysis(),
  };
  Table t{};
  for (const auto& family : families) {
    for (const AnalysisEntry& e : family) {
      // A member listed twice, or out of range, is a fault in a family file: fail loudly
      // at the first use rather than analyse the wrong circuit.
      if (e.stageType < 0 || e.stageType >= kTypes || e.number < 1 || e.number > kMaxNumber ||
          t[e.stageType][e.number] != nullptr) {
        throw std::logic_error("analysis table: bad or repeated entry for type " +
                               std::to_string(e.stageType) + ", circuit " + std::to_string(e.number));
      }
      t[e.stageType][e.number] = &e;
    }
  }
  return t;
}

const Table& AnalysisTable() {
  static const Table table = BuildTable();
  return table;
}

}  // namespace

const AnalysisEntry* FindAnalysis(int stageType, int circuitNumber) {
  if (stageType < 0 || stageType >= kTypes || circuitNumber < 1 || circuitNumber > kMaxNumber) return nullptr;
  return AnalysisTable()[stageType][circuitNumber];
}

std::vector<const AnalysisEntry*> AllAnalyses() {
  std::vector<const AnalysisEntry*> all;
  for (const auto& row : AnalysisTable())
    for (const AnalysisEntry* e : row)
      if (e != nullptr) all.push_back(e);
  return all;
}

double AnalyseCircuit(const WorkingVectors& v, int stageType, int circuitNumber, AnalysisQuantity quantity,
                      int index, bool& timeConstantForm) {
  timeConstantForm = false;
  const AnalysisEntry* e = FindAnalysis(stageType, circuitNumber);
  if (e == nullptr) return 0;
  timeConstantForm = e->form == circuits::CoefficientForm::TimeConstant;
  const circuits::CircuitEquations<double> eq = e->evaluate(v);
  if (quantity == AnalysisQuantity::Gain) return eq.gain;
  if (index < 0 || index > 2) return 0;
  return quantity == AnalysisQuantity::Denominator ? eq.den[index] : eq.num[index];
}

double AnalyseCircuit(const WorkingVectors& v, int stageType, int circuitNumber, AnalysisQuantity quantity,
                      int index) {
  bool timeConstantForm = false;
  return AnalyseCircuit(v, stageType, circuitNumber, quantity, index, timeConstantForm);
}

bool TimeConstantForm(int stageType, int circuitNumber) {
  const AnalysisEntry* e = FindAnalysis(stageType, circuitNumber);
  return e != nullptr && e->form == circuits::CoefficientForm::TimeConstant;
}

}  // namespace tavrin::analysis
