// Running a netlist of the writer's ngspice dialect as a user would, and the data files
// its .control block writes.
#pragma once

#include <cmath>
#include <complex>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "output/NgspiceData.h"
#include "output/SpiceNetlist.h"
#include "support/NgspiceBench.h"

namespace tavrin::test_support {

using output::ReadWrdata;
using output::WrdataTable;

struct NetlistSimulation {
  NgspiceRun run;
  std::vector<WrdataTable> probe;       // output::kNgspiceProbeFile
  std::vector<WrdataTable> monteCarlo;  // output::kNgspiceMonteCarloFile
};

// `ngspice -b` on the netlist in a folder of its own, then the files it wrote there.
inline NetlistSimulation SimulateNetlist(const std::string& ngspice, const std::string& netlist) {
  NetlistSimulation sim;
  sim.run = RunNgspice(ngspice, netlist, "tavrin-netlist", [&sim](const std::filesystem::path& dir) {
    sim.probe = ReadWrdata(dir / output::kNgspiceProbeFile);
    sim.monteCarlo = ReadWrdata(dir / output::kNgspiceMonteCarloFile);
  });
  return sim;
}

inline double Db(std::complex<double> h) {
  return 20 * std::log10(std::abs(h));
}

}  // namespace tavrin::test_support
