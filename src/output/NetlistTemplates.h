// The netlist templates: one subcircuit skeleton per catalogue circuit, in two sets.
// The compensation set is used for a stage whose active compensation is on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrin::output {

enum class TemplateSet { Standard, ActiveComp };

// Element lines are indented like the op-amp model lines of the netlist.
inline constexpr std::string_view kElementIndent = "       ";

struct NetlistTemplate {
  std::string key;                      // "SLP01"
  std::string header;                   // ".SUBCKT SLP "
  std::vector<std::string> resistors;   // "       R1 1 3 RMODEL", R1..Rn in order
  std::vector<std::string> capacitors;  // "       C1 4 0 CMODEL", C1..Cm in order
  std::vector<std::string> opAmps;      // "       XA1 4 2 2": +in, -in, out
  std::string footer;                   // ".ENDS SLP "
};

// The template of a circuit, or nullptr when the set has none for it (the compensation
// set only covers the circuits that offer active compensation).
const NetlistTemplate* FindTemplate(TemplateSet set, std::string_view key);
const NetlistTemplate* FindTemplate(TemplateSet set, int stageType, int n);
// All templates of a set, in catalogue order.
const std::vector<NetlistTemplate>& Templates(TemplateSet set);

// A set as one text resource: a "[KEY]" section per circuit with its lines, closed by
// a section "[END]".
std::string TemplateSetText(TemplateSet set);

// Element values as SPICE reads them, one digit more than on screen.  Mega is "MEG":
// SPICE takes a bare "M" for milli.
std::string SpiceResistance(double ohms);
std::string SpiceCapacitance(double farads);

}  // namespace tavrin::output
