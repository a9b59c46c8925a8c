// Circuit schematics: the drawing script of a catalogue circuit, read into a drawing in
// grid units that the painter draws and the connectivity check reads.
//
// AUTHORING GUIDE -- how a script is written
//
// A script is the circuit's code alone on a line ("SLP01"), then lines of exactly ten
// tokens of five characters separated by single blanks (59 characters a line).  Blanks
// inside a token are part of it ("G    ", "LUV i").  "XXXXX" ends the drawing; pad the
// last line with it.  Coordinates are two digits each, x 00..33, y 00..24, in grid units
// from the top-left corner; y grows downwards.  Everything the drawing shows, labels
// included, must stay inside that area.
//
//   Mxxyy   pen to (x,y)
//   Dxxyy   wire from the pen to (x,y), horizontal or vertical; the pen follows
//   Jxxyy   junction dot at (x,y); the pen moves there (no wire)
//   Txxyy   terminal circle at (x,y); the pen moves there, ready for its "L" text
//   Zxxyy   wire (x,y) -> (x+2,y) -> (x+2,y+1) and a ground symbol there; pen at the end
//   G       ground symbol at the pen, bars hanging 1 unit below it; pen stays
//   Rodsn   resistor n (digit; 0 = 10) starting at the pen:
//   Codsn   capacitor n, the same
//             o  H horizontal, V vertical
//             d  the direction it runs from the pen: L or R when horizontal, U or D when
//                vertical.  Pins: the pen, and 3 units (resistor) or 2 units (capacitor)
//                further in direction d.  The pen ends on the far pin.
//             s  the side of its label: L, R, U, D.  The label is two lines, name over
//                value ("R1" / "10.5K"), in a box 2.2 wide and 1.5 high beside the body:
//                above or below a horizontal part, left or right of a vertical one.
//   Oabc    op amp with the pen on one of its inputs:
//             a  U: the + input is the upper one, D: the + input is the lower one
//             b  R: the triangle points right (output right of the inputs), L: left
//             c  U: the pen is on the upper input, L: on the lower input
//           The inputs are 2 units apart, the output 4 units across from them at the
//           middle height.  The pen ends on the output.  The triangle spans 1.5 units
//           above and below the middle, so a feedback wire 2 units above the middle
//           (1 unit above the upper input) clears it.
//   Lsttt   text ttt (three characters, "V i" or "V o") on side s of the pen, in green.
//           On a terminal it names that terminal: "V i" is the input, "V o" the output.
//   HBLCK   pen colour black (the start), HBLUE blue (compensation parts are drawn blue)
//   Pnn     resistor number of the next Q block only (10 when not given)
//   Qxxyy   output summing amplifier with (x,y) the summing node:
//             dot at (x,y); wire to the - input at (x+1,y); op amp ODRU there, + input
//             (x+1,y+2) grounded at (x+1,y+3); feedback resistor Pnn from (x,y) up to
//             (x,y-2), across (x+1..x+4,y-2), label above, down at x+6 to the output
//             node (x+6,y+1) with a dot; output terminal "V o" at (x+8,y+1), text above.
//           It reaches from x to x+9, and from y-4.3 to y+4.  Pen ends on the terminal.
//   other   ignored
//
// Connections: wires join where they meet end to end, where the end of one lies on
// another, and at a junction dot.  Wires that cross without a dot do not connect.  A pin,
// terminal or ground connects to every wire through its point and to anything else there.
// Draw a dot wherever three or more wire ends, pins or passing wires meet, and nowhere
// else (CheckDrawing reports both).
//
// House style: the input terminal on the left, "V i" above it; the output terminal on the
// right, "V o" above it; ground symbols hang below what they ground (a short wire down
// from an op amp's grounded input); feedback runs above the op amp it closes, and longer
// feedback higher; a part's label on the side away from wires; the drawing centred in the
// area.  The compensation variants are the plain drawing with the compensating op amps
// and their wiring in blue.  The test (tests/circuits/schematic_test.cpp) holds every
// script against its netlist template and against CheckDrawing, and the screenshot scene
// "schematics" draws all of them on one sheet to look over.
#pragma once

#include <compare>
#include <string>
#include <string_view>
#include <vector>

namespace tavrin::circuits {

// The drawing area in grid units.
inline constexpr int kGridWidth = 33;
inline constexpr int kGridHeight = 24;
inline constexpr int kResistorLength = 3;
inline constexpr int kCapacitorLength = 2;
inline constexpr int kOpAmpLength = 4;
inline constexpr int kOpAmpInputSpacing = 2;

// Symbol sizes, in grid units: what the painter draws and the checks measure.
inline constexpr double kResistorBodyStart = 0.5;  // from each pin to the zig-zag
inline constexpr double kResistorAmplitude = 0.3;
inline constexpr double kCapacitorPlateGap = 0.3;
inline constexpr double kCapacitorPlateHalf = 0.55;
inline constexpr double kOpAmpBaseOffset = 0.5;  // from the inputs to the triangle's base
inline constexpr double kOpAmpApexOffset = 3.4;
inline constexpr double kOpAmpHalfHeight = 1.5;
inline constexpr double kLabelWidth = 2.2;
inline constexpr double kLabelHeight = 1.5;
inline constexpr double kLabelGap = 0.3;  // between a symbol's body and its label
inline constexpr double kTextWidth = 1.8;
inline constexpr double kTextHeight = 1.0;
inline constexpr double kTextGap = 0.7;  // from the pen point to a text
inline constexpr double kDotRadius = 1.0 / 3.0;
inline constexpr double kTerminalRadius = 0.5;
inline constexpr double kGroundHalfWidth = 8.0 / 6.0;
inline constexpr double kGroundDepth = 1.0;

struct GridPoint {
  int x = 0;
  int y = 0;
  friend auto operator<=>(const GridPoint&, const GridPoint&) = default;
};

enum class Side { Left, Right, Up, Down };
enum class Ink { Black, Blue };

struct Wire {
  GridPoint a, b;
  Ink ink = Ink::Black;
};

struct Dot {  // junction
  GridPoint at;
  Ink ink = Ink::Black;
};

struct Terminal {
  GridPoint at;
  Ink ink = Ink::Black;
};

struct Ground {  // the bars hang below the point
  GridPoint at;
  Ink ink = Ink::Black;
};

enum class PartKind { Resistor, Capacitor };

struct Part {
  PartKind kind = PartKind::Resistor;
  int number = 0;  // 1..10
  GridPoint pin1;  // where the pen was
  GridPoint pin2;  // where the pen ends
  Side labelSide = Side::Up;
  Ink ink = Ink::Black;
  bool Vertical() const { return pin1.x == pin2.x; }
  std::string Name() const;  // "R1", "C2"
};

struct OpAmp {
  GridPoint plus, minus, out;
  bool facesRight = true;
  Ink ink = Ink::Black;
};

struct Text {
  GridPoint at;
  Side side = Side::Up;
  std::string text;
};

struct SchematicDrawing {
  std::string code;  // the header line
  std::vector<Wire> wires;
  std::vector<Dot> dots;
  std::vector<Terminal> terminals;
  std::vector<Ground> grounds;
  std::vector<Part> parts;
  std::vector<OpAmp> opAmps;
  std::vector<Text> texts;
  // What could not be read: malformed tokens and lines, each with its line and token.
  std::vector<std::string> errors;
};

SchematicDrawing ParseSchematic(std::string_view script);

// Boxes in grid units, for the painter's placement and the checks' overlap tests.
struct GridRect {
  double left = 0, top = 0, right = 0, bottom = 0;
  bool Overlaps(const GridRect& o, double margin = 1e-6) const {
    return left < o.right - margin && o.left < right - margin && top < o.bottom - margin &&
           o.top < bottom - margin;
  }
};

// The symbol without its leads: the zig-zag, the plates.
GridRect BodyBox(const Part& part);
// Where the label's two lines go.
GridRect LabelBox(const Part& part);
// The triangle's bounding box.
GridRect BodyBox(const OpAmp& amp);
GridRect BodyBox(const Ground& ground);
GridRect BodyBox(const Terminal& terminal);
GridRect TextBox(const Text& text);

// The input side of an op amp (x of its input pins) and its middle height (y of the output).
inline int InputX(const OpAmp& a) {
  return a.plus.x;
}
inline int MiddleY(const OpAmp& a) {
  return a.out.y;
}

}  // namespace tavrin::circuits
