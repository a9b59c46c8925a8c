// A small nodal solver for one stage's subcircuit, as the netlist writer emits it: the
// reference the analysis equations are held to.
//
// The text is read line by line: ".SUBCKT NAME in out" names the stage's input and output
// pins; "Rk a b [model] value" and "Ck a b [model] value" are the passive elements (the
// value is the last word, in SPICE's number form: "10K", "1.5MEG", "22nF", "3.3e-9");
// "XAk p n o [model]" is an op-amp with its non-inverting input p, inverting input n and
// output o.  Anything else (.ENDS, comments, blank lines) is skipped.
//
// The op-amp is read either as a nullor (V(p) = V(n), no input current, the output a
// voltage source of whatever value that takes) or as a voltage-controlled voltage source
// V(o) = A (V(p) - V(n)).  The input pin is driven by 1 V, node 0 is ground, and the
// complex modified-nodal system at s = jw is solved by Gaussian elimination with partial
// pivoting in long double, so the reference carries a few digits more than the double
// arithmetic it checks.
#pragma once

#include <algorithm>
#include <cctype>
#include <cmath>
#include <complex>
#include <cstddef>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace tavrin::test_support {

using ComplexL = std::complex<long double>;

// A SPICE number: mantissa, then an optional scale letter (T G MEG K M=milli MIL U N P F);
// letters after the scale (the "F" of "22nF") are units and ignored.  Empty when the text
// does not start with a number.
inline std::optional<long double> ParseSpiceNumber(const std::string& text) {
  std::size_t used = 0;
  long double mantissa = 0;
  try {
    mantissa = std::stold(text, &used);
  } catch (...) {
    return std::nullopt;
  }
  std::string rest = text.substr(used);
  std::transform(rest.begin(), rest.end(), rest.begin(),
                 [](unsigned char ch) { return static_cast<char>(std::toupper(ch)); });
  struct Scale {
    const char* prefix;
    long double factor;
  };
  // MEG and MIL before M (milli).
  static constexpr Scale kScales[] = {{"MEG", 1e6L}, {"MIL", 25.4e-6L}, {"T", 1e12L}, {"G", 1e9L},
                                      {"K", 1e3L},   {"M", 1e-3L},      {"U", 1e-6L}, {"N", 1e-9L},
                                      {"P", 1e-12L}, {"F", 1e-15L}};
  for (const Scale& scale : kScales)
    if (rest.rfind(scale.prefix, 0) == 0) return mantissa * scale.factor;
  return mantissa;
}

struct Passive {
  char kind = 'R';  // 'R' or 'C'
  int index = 0;    // k of Rk or Ck
  int a = 0;
  int b = 0;
  long double value = 0;  // ohms or farads
};

struct OpAmpPins {
  int plus = 0;
  int minus = 0;
  int out = 0;
};

struct StageNetwork {
  int input = 1;
  int output = 2;
  std::vector<Passive> passives;
  std::vector<OpAmpPins> opAmps;
};

// The network of a subcircuit text; empty when a line it should understand is malformed.
inline std::optional<StageNetwork> ParseStageNetwork(const std::string& text) {
  StageNetwork net;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.empty()) continue;
    std::string head = w[0];
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::toupper(ch)); });
    try {
      if (head == ".SUBCKT") {
        if (w.size() < 4) return std::nullopt;
        net.input = std::stoi(w[2]);
        net.output = std::stoi(w[3]);
      } else if (head[0] == 'R' || head[0] == 'C') {
        if (w.size() < 4) return std::nullopt;
        const std::optional<long double> value = ParseSpiceNumber(w.back());
        if (!value) return std::nullopt;
        net.passives.push_back(
            {head[0], std::stoi(head.substr(1)), std::stoi(w[1]), std::stoi(w[2]), *value});
      } else if (head[0] == 'X') {
        if (w.size() < 4) return std::nullopt;
        net.opAmps.push_back({std::stoi(w[1]), std::stoi(w[2]), std::stoi(w[3])});
      }
    } catch (...) {
      return std::nullopt;
    }
  }
  return net;
}

// Solves A x = b in place; false when a pivot column is all zeros.
inline bool SolveComplex(std::vector<std::vector<ComplexL>>& a, std::vector<ComplexL>& b) {
  const std::size_t n = b.size();
  for (std::size_t k = 0; k < n; ++k) {
    std::size_t pivot = k;
    for (std::size_t i = k + 1; i < n; ++i)
      if (std::abs(a[i][k]) > std::abs(a[pivot][k])) pivot = i;
    if (std::abs(a[pivot][k]) == 0) return false;
    std::swap(a[k], a[pivot]);
    std::swap(b[k], b[pivot]);
    for (std::size_t i = k + 1; i < n; ++i) {
      const ComplexL f = a[i][k] / a[k][k];
      if (f == ComplexL(0)) continue;
      for (std::size_t j = k; j < n; ++j) a[i][j] -= f * a[k][j];
      b[i] -= f * b[k];
    }
  }
  for (std::size_t k = n; k-- > 0;) {
    ComplexL sum = b[k];
    for (std::size_t j = k + 1; j < n; ++j) sum -= a[k][j] * b[j];
    b[k] = sum / a[k][k];
  }
  return true;
}

struct OpAmpModel {
  // 0 reads the op-amp as a nullor; otherwise the VCVS gain A.
  long double gain = 0;
};

// H(jw) = V(output) / V(input) with the input pin driven by 1 V; w in rad/s.  Empty when
// the system is singular (a floating node, an op-amp whose loop the network leaves open).
inline std::optional<ComplexL> NodalResponse(const StageNetwork& net, long double w, OpAmpModel model = {}) {
  // Unknowns: every node but ground and the driven input, then one output current per
  // op-amp.
  std::map<int, std::size_t> column;
  auto note = [&](int node) {
    if (node != 0 && node != net.input && !column.contains(node)) column.emplace(node, 0);
  };
  for (const Passive& p : net.passives) {
    note(p.a);
    note(p.b);
  }
  for (const OpAmpPins& o : net.opAmps) {
    note(o.plus);
    note(o.minus);
    note(o.out);
  }
  note(net.output);
  std::size_t next = 0;
  for (auto& [node, c] : column) c = next++;
  const std::size_t nodes = next;
  const std::size_t n = nodes + net.opAmps.size();
  std::vector<std::vector<ComplexL>> a(n, std::vector<ComplexL>(n));
  std::vector<ComplexL> b(n);

  // A known node voltage (ground 0, input 1) moves to the right-hand side.
  auto known = [&](int node) { return node == net.input ? ComplexL(1) : ComplexL(0); };
  auto isUnknown = [&](int node) { return node != 0 && node != net.input; };

  // Kirchhoff's current law at each unknown node: the currents leaving it sum to 0.
  const ComplexL s(0, w);
  for (const Passive& p : net.passives) {
    const ComplexL y = p.kind == 'R' ? ComplexL(1) / p.value : s * p.value;
    for (const auto& [here, there] : {std::pair{p.a, p.b}, std::pair{p.b, p.a}}) {
      if (!isUnknown(here)) continue;
      const std::size_t row = column.at(here);
      a[row][row] += y;
      if (isUnknown(there)) {
        a[row][column.at(there)] -= y;
      } else {
        b[row] += y * known(there);
      }
    }
  }
  // Each op-amp drives a current into its output node and adds one equation.
  for (std::size_t k = 0; k < net.opAmps.size(); ++k) {
    const OpAmpPins& o = net.opAmps[k];
    const std::size_t current = nodes + k;
    if (isUnknown(o.out)) a[column.at(o.out)][current] -= ComplexL(1);
    // Ideal: V(p) - V(n) = 0.  VCVS: V(o) - A (V(p) - V(n)) = 0.
    const long double g = model.gain == 0 ? 1 : -model.gain;
    auto put = [&](int node, ComplexL coefficient) {
      if (isUnknown(node)) {
        a[current][column.at(node)] += coefficient;
      } else {
        b[current] -= coefficient * known(node);
      }
    };
    put(o.plus, g);
    put(o.minus, -g);
    if (model.gain != 0) put(o.out, 1);
  }
  if (!SolveComplex(a, b)) return std::nullopt;
  if (!isUnknown(net.output)) return known(net.output);
  return b[column.at(net.output)];
}

}  // namespace tavrin::test_support
