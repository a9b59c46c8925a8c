#include "circuits/Schematic.h"

#include <algorithm>
#include <optional>

namespace tavrin::circuits {

namespace {

constexpr std::size_t kTokenLength = 5;
constexpr std::size_t kTokensPerLine = 10;
constexpr std::size_t kLineLength = kTokensPerLine * (kTokenLength + 1) - 1;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::optional<Side> SideOf(char c) {
  switch (c) {
    case 'L':
      return Side::Left;
    case 'R':
      return Side::Right;
    case 'U':
      return Side::Up;
    case 'D':
      return Side::Down;
    default:
      return std::nullopt;
  }
}

GridPoint Step(GridPoint p, Side d, int n) {
  switch (d) {
    case Side::Left:
      return {p.x - n, p.y};
    case Side::Right:
      return {p.x + n, p.y};
    case Side::Up:
      return {p.x, p.y - n};
    case Side::Down:
      return {p.x, p.y + n};
  }
  return p;
}

// Reads the tokens of a script into a drawing, keeping the pen between tokens.
class Reader {
 public:
  explicit Reader(SchematicDrawing& d) : d_(d) {}

  // False once "XXXXX" ends the drawing.
  bool Token(std::string_view t, std::size_t line, std::size_t index) {
    where_ = "line " + std::to_string(line) + " token " + std::to_string(index + 1) + " \"" + std::string(t) +
             "\"";
    if (t == "XXXXX") return false;
    switch (t[0]) {
      case 'M':
        MoveTo(t);
        break;
      case 'D':
        LineTo(t);
        break;
      case 'J':
        Junction(t);
        break;
      case 'T':
        TerminalAt(t);
        break;
      case 'Z':
        GroundLead(t);
        break;
      case 'G':
        d_.grounds.push_back({pen_, ink_});
        break;
      case 'R':
        PartAt(t, PartKind::Resistor);
        break;
      case 'C':
        PartAt(t, PartKind::Capacitor);
        break;
      case 'O':
        OpAmpAt(t);
        break;
      case 'L':
        TextAt(t);
        break;
      case 'H':
        Colour(t);
        break;
      case 'P':
        BlockNumber(t);
        break;
      case 'Q':
        OutputBlock(t);
        break;
      default:
        break;  // not a drawing token
    }
    return true;
  }

 private:
  void Error(const std::string& what) { d_.errors.push_back(where_ + ": " + what); }

  std::optional<GridPoint> Point(std::string_view t) {
    for (std::size_t i = 1; i < kTokenLength; ++i) {
      if (!IsDigit(t[i])) {
        Error("the coordinates must be two digits each");
        return std::nullopt;
      }
    }
    const GridPoint p{(t[1] - '0') * 10 + (t[2] - '0'), (t[3] - '0') * 10 + (t[4] - '0')};
    if (p.x > kGridWidth || p.y > kGridHeight) {
      Error("outside the drawing area");
      return std::nullopt;
    }
    return p;
  }

  void AddWire(GridPoint a, GridPoint b) {
    if (a == b) {
      Error("a wire of no length");
      return;
    }
    d_.wires.push_back({a, b, ink_});
  }

  void MoveTo(std::string_view t) {
    if (const auto p = Point(t)) pen_ = *p;
  }

  void LineTo(std::string_view t) {
    if (const auto p = Point(t)) {
      AddWire(pen_, *p);
      pen_ = *p;
    }
  }

  void Junction(std::string_view t) {
    if (const auto p = Point(t)) {
      pen_ = *p;
      d_.dots.push_back({pen_, ink_});
    }
  }

  void TerminalAt(std::string_view t) {
    if (const auto p = Point(t)) {
      pen_ = *p;
      d_.terminals.push_back({pen_, ink_});
    }
  }

  void GroundLead(std::string_view t) {
    if (const auto p = Point(t)) Zee(*p);
  }

  void Zee(GridPoint p) {
    const GridPoint corner{p.x + 2, p.y};
    const GridPoint end{p.x + 2, p.y + 1};
    AddWire(p, corner);
    AddWire(corner, end);
    d_.grounds.push_back({end, ink_});
    pen_ = end;
  }

  void PartAt(std::string_view t, PartKind kind) {
    const char o = t[1];
    const auto dir = SideOf(t[2]);
    const auto side = SideOf(t[3]);
    if (o != 'H' && o != 'V') return Error("the orientation must be H or V");
    if (!dir || !side) return Error("the direction and the label side must be L, R, U or D");
    const bool horizontal = *dir == Side::Left || *dir == Side::Right;
    if (horizontal != (o == 'H')) {
      return Error(o == 'H' ? "a horizontal part runs L or R" : "a vertical part runs U or D");
    }
    if (!IsDigit(t[4])) return Error("the number must be a digit");
    Part part;
    part.kind = kind;
    part.number = t[4] == '0' ? 10 : t[4] - '0';
    part.pin1 = pen_;
    part.pin2 = Step(pen_, *dir, kind == PartKind::Resistor ? kResistorLength : kCapacitorLength);
    part.labelSide = *side;
    part.ink = ink_;
    if (part.pin2.x < 0 || part.pin2.y < 0 || part.pin2.x > kGridWidth || part.pin2.y > kGridHeight) {
      return Error("the part runs outside the drawing area");
    }
    d_.parts.push_back(part);
    pen_ = part.pin2;
  }

  void OpAmpAt(std::string_view t) {
    const char a = t[1], b = t[2], c = t[3];
    if ((a != 'U' && a != 'D') || (b != 'L' && b != 'R') || (c != 'U' && c != 'L')) {
      return Error(
          "an op amp is O, then U or D (the + input), L or R (its output), U or L (the pen's input)");
    }
    const GridPoint upper = c == 'U' ? pen_ : GridPoint{pen_.x, pen_.y - kOpAmpInputSpacing};
    const GridPoint lower{upper.x, upper.y + kOpAmpInputSpacing};
    OpAmp amp;
    amp.facesRight = b == 'R';
    amp.plus = a == 'U' ? upper : lower;
    amp.minus = a == 'U' ? lower : upper;
    amp.out = {upper.x + (amp.facesRight ? kOpAmpLength : -kOpAmpLength), upper.y + kOpAmpInputSpacing / 2};
    amp.ink = ink_;
    if (upper.y < 0 || lower.y > kGridHeight || amp.out.x < 0 || amp.out.x > kGridWidth) {
      return Error("the op amp runs outside the drawing area");
    }
    d_.opAmps.push_back(amp);
    pen_ = amp.out;
  }

  void TextAt(std::string_view t) {
    const auto side = SideOf(t[1]);
    if (!side) return Error("the side of a text must be L, R, U or D");
    d_.texts.push_back({pen_, *side, std::string(t.substr(2))});
  }

  void Colour(std::string_view t) {
    if (t.substr(1) == "BLCK") {
      ink_ = Ink::Black;
    } else if (t.substr(1) == "BLUE") {
      ink_ = Ink::Blue;
    } else {
      Error("the colour must be BLCK or BLUE");
    }
  }

  void BlockNumber(std::string_view t) {
    if (!IsDigit(t[1]) || !IsDigit(t[2])) return Error("the number must be two digits");
    blockNumber_ = (t[1] - '0') * 10 + (t[2] - '0');
  }

  // The inverting summer that ends the four-amplifier notch circuits.
  void OutputBlock(std::string_view t) {
    const auto at = Point(t);
    if (!at) return;
    const GridPoint s = *at;
    if (s.x + 9 > kGridWidth || s.y < 5 || s.y + 4 > kGridHeight) {
      return Error("the output block runs outside the drawing area");
    }
    d_.dots.push_back({s, ink_});
    AddWire(s, {s.x + 1, s.y});
    OpAmp amp;
    amp.minus = {s.x + 1, s.y};
    amp.plus = {s.x + 1, s.y + 2};
    amp.out = {s.x + 5, s.y + 1};
    amp.ink = ink_;
    d_.opAmps.push_back(amp);
    AddWire(amp.plus, {s.x + 1, s.y + 3});
    d_.grounds.push_back({{s.x + 1, s.y + 3}, ink_});
    AddWire(s, {s.x, s.y - 2});
    AddWire({s.x, s.y - 2}, {s.x + 1, s.y - 2});
    Part r;
    r.kind = PartKind::Resistor;
    r.number = blockNumber_;
    r.pin1 = {s.x + 1, s.y - 2};
    r.pin2 = {s.x + 4, s.y - 2};
    r.labelSide = Side::Up;
    r.ink = ink_;
    d_.parts.push_back(r);
    AddWire(r.pin2, {s.x + 6, s.y - 2});
    AddWire({s.x + 6, s.y - 2}, {s.x + 6, s.y + 1});
    AddWire(amp.out, {s.x + 6, s.y + 1});
    d_.dots.push_back({{s.x + 6, s.y + 1}, ink_});
    AddWire({s.x + 6, s.y + 1}, {s.x + 8, s.y + 1});
    pen_ = {s.x + 8, s.y + 1};
    d_.terminals.push_back({pen_, ink_});
    d_.texts.push_back({pen_, Side::Up, "V o"});
    blockNumber_ = 10;
  }

  SchematicDrawing& d_;
  GridPoint pen_{};
  Ink ink_ = Ink::Black;
  int blockNumber_ = 10;
  std::string where_;
};

// A box of width w and height h on side s of the box b, gap away from it, centred on b
// along the other axis.
GridRect Beside(const GridRect& b, Side s, double w, double h, double gap) {
  const double cx = (b.left + b.right) / 2;
  const double cy = (b.top + b.bottom) / 2;
  switch (s) {
    case Side::Up:
      return {cx - w / 2, b.top - gap - h, cx + w / 2, b.top - gap};
    case Side::Down:
      return {cx - w / 2, b.bottom + gap, cx + w / 2, b.bottom + gap + h};
    case Side::Left:
      return {b.left - gap - w, cy - h / 2, b.left - gap, cy + h / 2};
    case Side::Right:
      return {b.right + gap, cy - h / 2, b.right + gap + w, cy + h / 2};
  }
  return b;
}

}  // namespace

std::string Part::Name() const {
  return (kind == PartKind::Resistor ? "R" : "C") + std::to_string(number);
}

SchematicDrawing ParseSchematic(std::string_view script) {
  SchematicDrawing d;
  Reader reader(d);
  std::size_t lineNumber = 0;
  bool header = true;
  while (!script.empty()) {
    const std::size_t end = script.find('\n');
    std::string_view line = script.substr(0, end);
    script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (header) {
      d.code = std::string(line);
      header = false;
      continue;
    }
    if (line.empty()) continue;
    // An editor that strips trailing blanks shortens a line ending in "G    " or "OURU ".
    std::string padded;
    if (line.size() < kLineLength && line.size() > kLineLength - kTokenLength) {
      padded = std::string(line) + std::string(kLineLength - line.size(), ' ');
      line = padded;
    }
    bool wellFormed = line.size() == kLineLength;
    for (std::size_t k = kTokenLength; wellFormed && k < line.size(); k += kTokenLength + 1) {
      wellFormed = line[k] == ' ';
    }
    if (!wellFormed) {
      d.errors.push_back("line " + std::to_string(lineNumber) +
                         ": not ten 5-character tokens separated by single blanks");
      continue;
    }
    for (std::size_t i = 0; i < kTokensPerLine; ++i) {
      if (!reader.Token(line.substr(i * (kTokenLength + 1), kTokenLength), lineNumber, i)) return d;
    }
  }
  return d;
}

GridRect BodyBox(const Part& part) {
  const double cx = (part.pin1.x + part.pin2.x) / 2.0;
  const double cy = (part.pin1.y + part.pin2.y) / 2.0;
  const double half =
      part.kind == PartKind::Resistor ? kResistorLength / 2.0 - kResistorBodyStart : kCapacitorPlateGap / 2;
  const double across = part.kind == PartKind::Resistor ? kResistorAmplitude : kCapacitorPlateHalf;
  if (part.Vertical()) return {cx - across, cy - half, cx + across, cy + half};
  return {cx - half, cy - across, cx + half, cy + across};
}

GridRect LabelBox(const Part& part) {
  return Beside(BodyBox(part), part.labelSide, kLabelWidth, kLabelHeight, kLabelGap);
}

GridRect BodyBox(const OpAmp& amp) {
  const double x = InputX(amp);
  const double base = amp.facesRight ? x + kOpAmpBaseOffset : x - kOpAmpBaseOffset;
  const double apex = amp.facesRight ? x + kOpAmpApexOffset : x - kOpAmpApexOffset;
  const double y = MiddleY(amp);
  return {std::min(base, apex), y - kOpAmpHalfHeight, std::max(base, apex), y + kOpAmpHalfHeight};
}

GridRect BodyBox(const Ground& ground) {
  return {ground.at.x - kGroundHalfWidth, static_cast<double>(ground.at.y), ground.at.x + kGroundHalfWidth,
          ground.at.y + kGroundDepth};
}

GridRect BodyBox(const Terminal& terminal) {
  return {terminal.at.x - kTerminalRadius, terminal.at.y - kTerminalRadius, terminal.at.x + kTerminalRadius,
          terminal.at.y + kTerminalRadius};
}

GridRect TextBox(const Text& text) {
  const GridRect point{static_cast<double>(text.at.x), static_cast<double>(text.at.y),
                       static_cast<double>(text.at.x), static_cast<double>(text.at.y)};
  return Beside(point, text.side, kTextWidth, kTextHeight, kTextGap);
}

}  // namespace tavrin::circuits
