#include "circuits/SchematicConnectivity.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <numeric>
#include <optional>
#include <set>
#include <sstream>

namespace tavrin::circuits {

namespace {

std::string At(GridPoint p) {
  return "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
}

long long Cross(GridPoint o, GridPoint a, GridPoint b) {
  return static_cast<long long>(a.x - o.x) * (b.y - o.y) - static_cast<long long>(a.y - o.y) * (b.x - o.x);
}

bool Contains(const Wire& w, GridPoint p) {
  if (Cross(w.a, w.b, p) != 0) return false;
  return p.x >= std::min(w.a.x, w.b.x) && p.x <= std::max(w.a.x, w.b.x) && p.y >= std::min(w.a.y, w.b.y) &&
         p.y <= std::max(w.a.y, w.b.y);
}

bool IsEnd(const Wire& w, GridPoint p) {
  return w.a == p || w.b == p;
}

class UnionFind {
 public:
  explicit UnionFind(std::size_t n) : parent_(n) {
    std::iota(parent_.begin(), parent_.end(), std::size_t{0});
  }
  std::size_t Find(std::size_t i) {
    while (parent_[i] != i) i = parent_[i] = parent_[parent_[i]];
    return i;
  }
  void Join(std::size_t a, std::size_t b) { parent_[Find(a)] = Find(b); }

 private:
  std::vector<std::size_t> parent_;
};

// Everything that sits on a grid point and connects to what passes through it.
struct PointItems {
  std::vector<std::string> pins;  // "R1", "op amp 2 +", ...
  int terminals = 0;
  int grounds = 0;
  bool dot = false;
  int Count() const { return static_cast<int>(pins.size()) + terminals + grounds; }
};

std::map<GridPoint, PointItems> ItemsByPoint(const SchematicDrawing& d) {
  std::map<GridPoint, PointItems> items;
  for (const Part& p : d.parts) {
    items[p.pin1].pins.push_back(p.Name());
    items[p.pin2].pins.push_back(p.Name());
  }
  for (std::size_t i = 0; i < d.opAmps.size(); ++i) {
    const std::string name = "op amp " + std::to_string(i + 1);
    items[d.opAmps[i].plus].pins.push_back(name + " +");
    items[d.opAmps[i].minus].pins.push_back(name + " -");
    items[d.opAmps[i].out].pins.push_back(name + " output");
  }
  for (const Terminal& t : d.terminals) ++items[t.at].terminals;
  for (const Ground& g : d.grounds) ++items[g.at].grounds;
  for (const Dot& j : d.dots) items[j.at].dot = true;
  return items;
}

// The nets of a drawing: union-find classes over its wires (0..W-1) and its occupied
// points (W..).
struct Nets {
  std::map<GridPoint, std::size_t> pointNode;
  std::vector<std::size_t> netOfNode;
  std::size_t wireCount = 0;
  std::size_t Net(GridPoint p) const { return netOfNode[pointNode.at(p)]; }
};

Nets BuildNets(const SchematicDrawing& d, const std::map<GridPoint, PointItems>& items) {
  Nets nets;
  nets.wireCount = d.wires.size();
  for (const auto& [p, unused] : items) nets.pointNode.emplace(p, nets.wireCount + nets.pointNode.size());
  UnionFind uf(nets.wireCount + nets.pointNode.size());
  for (std::size_t i = 0; i < d.wires.size(); ++i) {
    for (const auto& [p, node] : nets.pointNode) {
      if (Contains(d.wires[i], p)) uf.Join(i, node);
    }
    // An end that lies on another wire joins it; interiors that cross do not, unless a
    // dot (a point item above) sits on the crossing.
    for (std::size_t j = 0; j < d.wires.size(); ++j) {
      if (j != i && (Contains(d.wires[j], d.wires[i].a) || Contains(d.wires[j], d.wires[i].b))) uf.Join(i, j);
    }
  }
  nets.netOfNode.resize(nets.wireCount + nets.pointNode.size());
  for (std::size_t n = 0; n < nets.netOfNode.size(); ++n) nets.netOfNode[n] = uf.Find(n);
  return nets;
}

bool IsOpAmp(const SchematicElement& e) {
  return !e.name.empty() && (e.name[0] == 'X' || e.name[0] == 'x');
}

// Finds a renaming of the drawn nodes onto the reference's that turns every named
// element into its namesake and the op amps into the reference's op amps, one to one.
class Matcher {
 public:
  Matcher(const SchematicNetlist& drawn, const SchematicNetlist& reference) {
    int maxNode = 2;
    for (const auto* list : {&drawn, &reference}) {
      for (const SchematicElement& e : list->elements) {
        for (int n : e.nodes) maxNode = std::max(maxNode, n);
      }
    }
    map_.assign(static_cast<std::size_t>(maxNode) + 1, -1);
    back_.assign(map_.size(), -1);
    for (int fixed = 0; fixed <= 2; ++fixed) {
      map_[static_cast<std::size_t>(fixed)] = fixed;
      back_[static_cast<std::size_t>(fixed)] = fixed;
    }
    for (const SchematicElement& e : drawn.elements) {
      if (IsOpAmp(e)) {
        drawnAmps_.push_back(&e);
        continue;
      }
      for (const SchematicElement& r : reference.elements) {
        if (r.name == e.name) named_.push_back({&e, &r});
      }
    }
    for (const SchematicElement& r : reference.elements) {
      if (IsOpAmp(r)) refAmps_.push_back(&r);
    }
    ampUsed_.assign(refAmps_.size(), false);
    best_ = map_;
  }

  bool Run() {
    placed_.assign(named_.size() + drawnAmps_.size(), false);
    return Search(0);
  }

  // The drawn node's counterpart in the deepest partial match the search reached.
  int BestImage(int drawnNode) const { return best_[static_cast<std::size_t>(drawnNode)]; }

 private:
  bool Assign(int d, int r, std::vector<int>& undo) {
    const auto di = static_cast<std::size_t>(d);
    const auto ri = static_cast<std::size_t>(r);
    if (map_[di] == r) return true;
    if (map_[di] != -1 || back_[ri] != -1) return false;
    map_[di] = r;
    back_[ri] = d;
    undo.push_back(d);
    return true;
  }

  void Undo(std::vector<int>& undo) {
    for (int d : undo) {
      back_[static_cast<std::size_t>(map_[static_cast<std::size_t>(d)])] = -1;
      map_[static_cast<std::size_t>(d)] = -1;
    }
    undo.clear();
  }

  bool AssignAll(const std::vector<int>& d, const std::vector<int>& r, std::vector<int>& undo) {
    if (d.size() != r.size()) return false;
    for (std::size_t k = 0; k < d.size(); ++k) {
      if (!Assign(d[k], r[k], undo)) return false;
    }
    return true;
  }

  int Mapped(const std::vector<int>& nodes) const {
    int n = 0;
    for (int v : nodes) n += map_[static_cast<std::size_t>(v)] != -1;
    return n;
  }

  // The unplaced item with the most nodes already mapped: it has the fewest choices.
  std::size_t NextItem() const {
    std::size_t pick = placed_.size();
    int most = -1;
    for (std::size_t i = 0; i < placed_.size(); ++i) {
      if (placed_[i]) continue;
      const auto& nodes = i < named_.size() ? named_[i].first->nodes : drawnAmps_[i - named_.size()]->nodes;
      const int m = Mapped(nodes) * 2 + (i < named_.size() ? 1 : 0);
      if (m > most) {
        most = m;
        pick = i;
      }
    }
    return pick;
  }

  bool Search(std::size_t depth) {
    if (depth > bestDepth_ || depth == 0) {
      bestDepth_ = depth;
      best_ = map_;
    }
    const std::size_t i = NextItem();
    if (i == placed_.size()) return true;
    placed_[i] = true;
    std::vector<int> undo;
    if (i < named_.size()) {
      const std::vector<int>& d = named_[i].first->nodes;
      std::vector<int> r = named_[i].second->nodes;
      const bool flip = r.size() == 2 && r[0] != r[1];
      for (int turn = 0; turn < (flip ? 2 : 1); ++turn) {
        if (turn == 1) std::swap(r[0], r[1]);
        if (AssignAll(d, r, undo) && Search(depth + 1)) return true;
        Undo(undo);
      }
    } else {
      const std::vector<int>& d = drawnAmps_[i - named_.size()]->nodes;
      for (std::size_t a = 0; a < refAmps_.size(); ++a) {
        if (ampUsed_[a]) continue;
        ampUsed_[a] = true;
        if (AssignAll(d, refAmps_[a]->nodes, undo) && Search(depth + 1)) return true;
        Undo(undo);
        ampUsed_[a] = false;
      }
    }
    placed_[i] = false;
    return false;
  }

  std::vector<std::pair<const SchematicElement*, const SchematicElement*>> named_;
  std::vector<const SchematicElement*> drawnAmps_;
  std::vector<const SchematicElement*> refAmps_;
  std::vector<bool> ampUsed_;
  std::vector<bool> placed_;
  std::vector<int> map_, back_, best_;
  std::size_t bestDepth_ = 0;
};

std::multiset<std::string> Names(const SchematicNetlist& n, bool opAmps) {
  std::multiset<std::string> names;
  for (const SchematicElement& e : n.elements) {
    if (IsOpAmp(e) == opAmps) names.insert(e.name);
  }
  return names;
}

struct Box {
  GridRect rect;
  std::string what;
  bool terminal = false;  // a wire ends in the middle of its terminal's circle
};

bool SegmentEntersBox(const Wire& w, const GridRect& r) {
  constexpr double m = 1e-6;
  if (w.a.y == w.b.y) {
    const double y = w.a.y;
    return y > r.top + m && y < r.bottom - m && std::min(w.a.x, w.b.x) < r.right - m &&
           std::max(w.a.x, w.b.x) > r.left + m;
  }
  if (w.a.x == w.b.x) {
    const double x = w.a.x;
    return x > r.left + m && x < r.right - m && std::min(w.a.y, w.b.y) < r.bottom - m &&
           std::max(w.a.y, w.b.y) > r.top + m;
  }
  return false;
}

std::string WireName(const Wire& w) {
  return "the wire " + At(w.a) + "-" + At(w.b);
}

}  // namespace

ExtractedCircuit ExtractCircuit(const SchematicDrawing& d) {
  ExtractedCircuit out;
  const std::map<GridPoint, PointItems> items = ItemsByPoint(d);
  const Nets nets = BuildNets(d, items);

  // The terminals named by the texts on them.
  std::optional<std::size_t> input, output;
  for (const Text& t : d.texts) {
    if (t.text != "V i" && t.text != "V o") continue;
    const bool onTerminal = std::any_of(d.terminals.begin(), d.terminals.end(),
                                        [&](const Terminal& term) { return term.at == t.at; });
    if (!onTerminal) {
      out.problems.push_back("the text \"" + t.text + "\" at " + At(t.at) + " is not on a terminal");
      continue;
    }
    auto& slot = t.text == "V i" ? input : output;
    if (slot) out.problems.push_back("more than one \"" + t.text + "\" terminal");
    slot = nets.Net(t.at);
  }
  if (!input) out.problems.push_back("no input terminal (\"V i\")");
  if (!output) out.problems.push_back("no output terminal (\"V o\")");

  std::set<std::size_t> groundNets;
  for (const Ground& g : d.grounds) groundNets.insert(nets.Net(g.at));
  if (input && groundNets.count(*input)) out.problems.push_back("the input is shorted to ground");
  if (output && groundNets.count(*output)) out.problems.push_back("the output is shorted to ground");
  if (input && output && *input == *output) out.problems.push_back("the input is wired to the output");

  std::map<std::size_t, int> number;
  for (std::size_t g : groundNets) number.emplace(g, 0);
  if (input) number.emplace(*input, 1);
  if (output) number.emplace(*output, 2);
  int next = 3;
  auto node = [&](GridPoint p) {
    const auto [it, added] = number.emplace(nets.Net(p), next);
    if (added) ++next;
    return it->second;
  };

  std::vector<const Part*> parts;
  for (const Part& p : d.parts) parts.push_back(&p);
  std::stable_sort(parts.begin(), parts.end(), [](const Part* a, const Part* b) {
    return a->kind != b->kind ? a->kind == PartKind::Resistor : a->number < b->number;
  });
  std::set<std::string> seen;
  for (const Part* p : parts) {
    if (!seen.insert(p->Name()).second) out.problems.push_back(p->Name() + " is drawn twice");
    out.netlist.elements.push_back({p->Name(), {node(p->pin1), node(p->pin2)}});
  }
  for (std::size_t i = 0; i < d.opAmps.size(); ++i) {
    const OpAmp& a = d.opAmps[i];
    out.netlist.elements.push_back({"X" + std::to_string(i + 1), {node(a.plus), node(a.minus), node(a.out)}});
  }

  // A pin alone at its point with no wire through it touches nothing.
  std::map<std::size_t, int> wiresOnNet;
  for (std::size_t w = 0; w < nets.wireCount; ++w) ++wiresOnNet[nets.netOfNode[w]];
  for (const auto& [p, item] : items) {
    if (item.Count() == 1 && wiresOnNet[nets.Net(p)] == 0 && !item.pins.empty()) {
      out.problems.push_back(item.pins.front() + " at " + At(p) + " is connected to nothing");
    }
  }
  // Wires whose net holds no pin, terminal or ground.
  std::set<std::size_t> occupied;
  for (const auto& [p, item] : items) {
    if (item.Count() > 0) occupied.insert(nets.Net(p));
  }
  std::set<std::size_t> reported;
  for (std::size_t w = 0; w < nets.wireCount; ++w) {
    const std::size_t net = nets.netOfNode[w];
    if (!occupied.count(net) && reported.insert(net).second) {
      out.problems.push_back(WireName(d.wires[w]) + " joins nothing");
    }
  }
  return out;
}

SchematicNetlist NetlistFromLines(const std::vector<std::string>& lines) {
  SchematicNetlist n;
  for (const std::string& line : lines) {
    std::istringstream in(line);
    SchematicElement e;
    if (!(in >> e.name)) continue;
    std::string field;
    while (in >> field) {
      int v = 0;
      const auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
      if (ec != std::errc() || ptr != field.data() + field.size()) break;
      e.nodes.push_back(v);
    }
    n.elements.push_back(std::move(e));
  }
  return n;
}

std::string NetlistText(const SchematicNetlist& netlist) {
  std::string text;
  for (const SchematicElement& e : netlist.elements) {
    text += e.name;
    for (int v : e.nodes) text += " " + std::to_string(v);
    text += "\n";
  }
  return text;
}

std::string CompareNetlists(const SchematicNetlist& drawn, const SchematicNetlist& reference) {
  std::string why;
  const auto drawnNames = Names(drawn, false);
  const auto refNames = Names(reference, false);
  for (const std::string& name : drawnNames) {
    if (drawnNames.count(name) > 1) why += name + " is drawn more than once\n";
    if (!refNames.count(name)) why += name + " is drawn but the netlist has none\n";
  }
  for (const std::string& name : refNames) {
    if (!drawnNames.count(name)) why += name + " is missing from the drawing\n";
  }
  const std::size_t drawnAmps = Names(drawn, true).size();
  const std::size_t refAmps = Names(reference, true).size();
  if (drawnAmps != refAmps) {
    why += std::to_string(drawnAmps) + " op amps drawn, the netlist has " + std::to_string(refAmps) + "\n";
  }
  if (!why.empty()) return why;

  Matcher matcher(drawn, reference);
  if (matcher.Run()) return {};
  // Write the drawing in the netlist's node numbers as far as the best partial match
  // got, so that the element where they part is plain to see.
  why =
      "no renaming of the drawing's nodes makes it the netlist's circuit\ndrawn (nodes renamed where they "
      "could be; ?n: no counterpart found):\n";
  for (const SchematicElement& e : drawn.elements) {
    why += "  " + e.name;
    for (int v : e.nodes) {
      const int image = matcher.BestImage(v);
      why += image >= 0 ? " " + std::to_string(image) : " ?" + std::to_string(v);
    }
    why += "\n";
  }
  why += "netlist:\n";
  for (const SchematicElement& e : reference.elements) {
    why += "  " + e.name;
    for (int v : e.nodes) why += " " + std::to_string(v);
    why += "\n";
  }
  return why;
}

std::vector<std::string> CheckDrawing(const SchematicDrawing& d) {
  std::vector<std::string> issues = d.errors;
  const std::map<GridPoint, PointItems> items = ItemsByPoint(d);

  for (const Wire& w : d.wires) {
    if (w.a.x != w.b.x && w.a.y != w.b.y) issues.push_back(WireName(w) + " is slanted");
  }

  // Junctions: every point where a wire ends or an item sits.
  std::set<GridPoint> points;
  for (const Wire& w : d.wires) {
    points.insert(w.a);
    points.insert(w.b);
  }
  for (const auto& [p, unused] : items) points.insert(p);
  for (const GridPoint& p : points) {
    int ends = 0, passes = 0;
    for (const Wire& w : d.wires) {
      if (IsEnd(w, p)) {
        ++ends;
      } else if (Contains(w, p)) {
        ++passes;
      }
    }
    const auto it = items.find(p);
    const int held = it == items.end() ? 0 : it->second.Count();
    const bool dot = it != items.end() && it->second.dot;
    const int branches = ends + 2 * passes + held;
    if (dot && branches < 3) {
      issues.push_back("a dot at " + At(p) + " where only " + std::to_string(branches) + " meet");
    } else if (!dot && ends + held > 0 && branches >= 3) {
      issues.push_back("no dot at " + At(p) + " where " + std::to_string(branches) + " meet");
    }
    if (branches == 1) {
      const std::string what = held == 0                  ? "a wire end"
                               : !it->second.pins.empty() ? it->second.pins.front()
                               : it->second.terminals > 0 ? std::string("a terminal")
                                                          : std::string("a ground");
      issues.push_back(what + " at " + At(p) + " touches nothing");
    }
  }

  // Symbols, labels and texts: none on another, none on a wire, all inside the area.
  std::vector<Box> solids, labels;
  for (const Part& p : d.parts) {
    solids.push_back({BodyBox(p), p.Name()});
    labels.push_back({LabelBox(p), "the label of " + p.Name()});
  }
  for (std::size_t i = 0; i < d.opAmps.size(); ++i) {
    solids.push_back({BodyBox(d.opAmps[i]), "op amp " + std::to_string(i + 1)});
  }
  for (const Ground& g : d.grounds) solids.push_back({BodyBox(g), "the ground at " + At(g.at)});
  for (const Terminal& t : d.terminals) solids.push_back({BodyBox(t), "the terminal at " + At(t.at), true});
  for (const Text& t : d.texts) labels.push_back({TextBox(t), "the text \"" + t.text + "\" at " + At(t.at)});
  std::vector<Box> dots;
  for (const Dot& j : d.dots) {
    dots.push_back({{j.at.x - kDotRadius, j.at.y - kDotRadius, j.at.x + kDotRadius, j.at.y + kDotRadius},
                    "the dot at " + At(j.at)});
  }

  const GridRect area{0, 0, kGridWidth, kGridHeight};
  auto inside = [&](const GridRect& r) {
    return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
  };
  for (const auto* list : {&solids, &labels}) {
    for (const Box& b : *list) {
      if (!inside(b.rect)) issues.push_back(b.what + " reaches outside the drawing area");
    }
  }
  for (std::size_t i = 0; i < solids.size(); ++i) {
    for (std::size_t j = i + 1; j < solids.size(); ++j) {
      if (solids[i].rect.Overlaps(solids[j].rect))
        issues.push_back(solids[i].what + " overlaps " + solids[j].what);
    }
  }
  for (std::size_t i = 0; i < labels.size(); ++i) {
    for (std::size_t j = i + 1; j < labels.size(); ++j) {
      if (labels[i].rect.Overlaps(labels[j].rect))
        issues.push_back(labels[i].what + " overlaps " + labels[j].what);
    }
    for (const auto* list : {&solids, &dots}) {
      for (const Box& s : *list) {
        if (labels[i].rect.Overlaps(s.rect)) issues.push_back(labels[i].what + " overlaps " + s.what);
      }
    }
  }
  for (const Wire& w : d.wires) {
    for (const Box& b : labels) {
      if (SegmentEntersBox(w, b.rect)) issues.push_back(WireName(w) + " runs through " + b.what);
    }
    for (const Box& b : solids) {
      if (!b.terminal && SegmentEntersBox(w, b.rect))
        issues.push_back(WireName(w) + " runs through " + b.what);
    }
  }
  return issues;
}

}  // namespace tavrin::circuits
