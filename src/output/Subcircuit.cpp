#include "output/Subcircuit.h"

#include "output/NetlistTemplates.h"

namespace tavrin::output {

namespace {

std::string WithoutTrailingBlanks(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

std::string StageSubcircuit(const core::CircuitRecord& cr, int stageType, int stageNumber,
                            const std::string& opAmpModel) {
  const NetlistTemplate* t = nullptr;
  if (cr.ActiveComp) t = FindTemplate(TemplateSet::ActiveComp, stageType, cr.CircuitNumber);
  // A stage can only carry the flag when its circuit offers compensation; should it come
  // in from elsewhere, the stage is still written with its own topology.
  if (t == nullptr) t = FindTemplate(TemplateSet::Standard, stageType, cr.CircuitNumber);
  if (t == nullptr) return {};

  const std::string number = std::to_string(stageNumber);
  std::string text = WithoutTrailingBlanks(t->header) + number + " 1 2\n";
  // The template's lines are the topology; the record supplies one value per line.
  // A resistor of value 0 is an optional position the design left unused.
  for (std::size_t i = 0; i < t->resistors.size() && i + 1 < cr.R.size(); ++i) {
    const double r = cr.R[i + 1].Value;
    if (r == 0) continue;
    text += t->resistors[i] + " " + SpiceResistance(r) + "\n";
  }
  for (std::size_t j = 0; j < t->capacitors.size() && j + 1 < cr.C.size(); ++j) {
    text += t->capacitors[j] + " " + SpiceCapacitance(cr.C[j + 1].Value) + "\n";
  }
  for (const std::string& line : t->opAmps) text += line + " " + opAmpModel + "\n";
  text += WithoutTrailingBlanks(t->footer) + number + "\n";
  return text;
}

}  // namespace tavrin::output
