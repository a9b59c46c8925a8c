// Building a designed stage into an ngspice bench and reading back what ngspice computed.
// ngspice is a required dependency of the test suite; callers fail when it is missing.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <complex>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/DesignState.h"

namespace tavrin::test_support {

// Round-trips a double exactly: the benches compare equations with circuits, so no value
// may lose digits on its way into the netlist.
inline std::string Exact(double x) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", x);
  return buf;
}

inline std::optional<std::filesystem::path> FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  std::stringstream dirs(path);
  for (std::string dir; std::getline(dirs, dir, ':');) {
    if (dir.empty()) continue;
    const std::filesystem::path candidate = std::filesystem::path(dir) / name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return std::nullopt;
}

// A private folder for one bench run, so that parallel test processes never share files;
// path stays empty when none could be made.
struct TempDir {
  std::filesystem::path path;
  explicit TempDir(const std::string& prefix = "tavrin-ngspice") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) != nullptr) path = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove_all(path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
};

// The writer's lines name PSpice unit models (which ngspice does not know) and round values
// to report precision. The bench keeps the writer's topology line by line and gives each R
// and C the value valueOf(kind, index) in full.
template <class ValueOf>
std::string WithFullValues(const std::string& subckt, ValueOf valueOf) {
  std::istringstream in(subckt);
  std::ostringstream out;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string name, a, b;
    words >> name >> a >> b;
    if (!name.empty() && (name[0] == 'R' || name[0] == 'C') && !b.empty()) {
      const int k = std::stoi(name.substr(1));
      out << name << ' ' << a << ' ' << b << ' ' << Exact(valueOf(name[0], k)) << '\n';
    } else {
      out << line << '\n';
    }
  }
  return out.str();
}

inline std::string WithFullValues(const std::string& subckt, const core::CircuitRecord& cr) {
  return WithFullValues(subckt, [&cr](char kind, int k) {
    const auto i = static_cast<std::size_t>(k);
    return kind == 'R' ? cr.R[i].Value : cr.C[i].Value;
  });
}

// Pins: non-inverting input, inverting input, output. The gain is high enough that the
// op-amp's error stays far below any tolerance the benches hold a stage to.
inline std::string IdealOpAmp(const std::string& name, double gain = 1e9) {
  return ".SUBCKT " + name + " 2 1 5\nEIO 5 0 2 1 " + Exact(gain) + "\n.ENDS " + name + "\n";
}

// Pins as IdealOpAmp. wt/s from a unit transconductance into 1/wt farads, buffered; the
// resistor only gives the node a DC path. gbw in Hz.
inline std::string SinglePoleOpAmp(const std::string& name, double gbw) {
  return ".SUBCKT " + name + " 1 2 5\nGI 0 3 1 2 1\nCI 3 0 " + Exact(1 / (2 * std::numbers::pi * gbw)) +
         "\nRI 3 0 1e15\nEO 5 0 3 0 1\n.ENDS " + name + "\n";
}

// Control lines for one AC point at w rad/s whose V(node) wrdata appends to out.txt (with
// "set appendwrite" and "set wr_singlescale" in force).
inline std::string AcPoint(double w, int node) {
  const std::string f = Exact(w / (2 * std::numbers::pi));
  const std::string n = std::to_string(node);
  return "ac lin 1 " + f + " " + f + "\nwrdata out.txt vr(" + n + ") vi(" + n + ")\n";
}

struct NgspiceRun {
  bool folder = false;  // a folder could be made for the run; without one ngspice never ran
  int status = -1;      // ngspice's exit status
  std::string log;
  std::vector<std::complex<double>> ac;  // out.txt's points, in the order they were written
};

// Runs ngspice in batch mode on the netlist in a folder of its own. When ngspice succeeded,
// read(folder) is given the folder before it goes, for results other than out.txt. ngspice
// is the executable, or just "ngspice" to let the shell find it.
template <class Read>
NgspiceRun RunNgspice(const std::string& ngspice, const std::string& netlist, const std::string& prefix,
                      Read read) {
  NgspiceRun run;
  const TempDir dir(prefix);
  if (dir.path.empty()) return run;
  run.folder = true;
  std::ofstream(dir.path / "tb.cir") << netlist;
  // -n: no .spiceinit of the user's may change how the bench is read.
  const std::string command =
      "cd '" + dir.path.string() + "' && '" + ngspice + "' -b -n tb.cir > log.txt 2>&1";
  run.status = std::system(command.c_str());
  std::ifstream log(dir.path / "log.txt");
  run.log.assign(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
  std::ifstream results(dir.path / "out.txt");
  for (double f = 0, re = 0, im = 0; results >> f >> re >> im;) run.ac.emplace_back(re, im);
  if (run.status == 0) read(dir.path);
  return run;
}

inline NgspiceRun RunNgspice(const std::string& ngspice, const std::string& netlist,
                             const std::string& prefix = "tavrin-ngspice") {
  return RunNgspice(ngspice, netlist, prefix, [](const std::filesystem::path&) {});
}

}  // namespace tavrin::test_support
