// What a schematic connects, read from the drawing alone: its nets, the pins on them, and
// the circuit as a netlist that can be held against the circuit's netlist template.  The
// drawing and the template are written separately, so a drawing that shows another
// circuit than the one the program simulates and designs is caught here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "circuits/Schematic.h"

namespace tavrin::circuits {

// A circuit as elements between numbered nodes: 0 ground, 1 input, 2 output.  Resistors
// and capacitors are named ("R1", "C2") and their two nodes are unordered; op amps ("XA"
// and anything else starting with "X") have the nodes +, -, output, and their numbers do
// not matter.
struct SchematicElement {
  std::string name;
  std::vector<int> nodes;
};

struct SchematicNetlist {
  std::vector<SchematicElement> elements;
};

struct ExtractedCircuit {
  SchematicNetlist netlist;
  // Why the drawing is not a circuit: no input or output terminal, an input shorted to
  // ground, a part whose pin touches nothing, a stretch of wire that joins nothing.
  std::vector<std::string> problems;
};

// Which pins, terminals and grounds the wires join.  Nodes other than 0, 1, 2 are numbered
// from 3 in the order R1..Rn, C1..Cm, op amps (drawing order) first reach them.
ExtractedCircuit ExtractCircuit(const SchematicDrawing& drawing);

// Empty when the two are the same circuit up to a renaming of the nodes other than 0, 1
// and 2; otherwise what differs, with both netlists written out.
std::string CompareNetlists(const SchematicNetlist& drawn, const SchematicNetlist& reference);

// Element lines as the netlist templates hold them ("R1 1 3 RMODEL", "XA1 4 2 2"):
// name, then the nodes; a trailing model name is dropped.
SchematicNetlist NetlistFromLines(const std::vector<std::string>& lines);
// One element a line, "R1 1 3", in the given order.
std::string NetlistText(const SchematicNetlist& netlist);

// How the drawing reads to an engineer, beyond what it connects: a junction missing where
// three or more things meet (or a dot where fewer do), a loose wire end, a slanted wire,
// labels and symbols on top of each other or of wires, anything outside the drawing area.
std::vector<std::string> CheckDrawing(const SchematicDrawing& drawing);

}  // namespace tavrin::circuits
