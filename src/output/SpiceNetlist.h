// The whole designed filter as a SPICE circuit file: op-amp models, one subcircuit per
// stage, the unit source, the cascade, the AC sweep and its output requests.
//
// Two dialects share the node numbering and the stage topologies:
// - PSpice (the default): element values are multipliers of the unit models RMODEL and
//   CMODEL, written with engineering suffixes, so that a Monte Carlo run can vary them
//   through the models' DEV tolerance.
// - ngspice: runs unchanged with `ngspice -b file.cir`.  Element values are written in
//   ohms and farads to 12 significant digits (no unit models), and the output requests
//   are a .control block: `run`, then `wrdata` of every stage output into kNgspiceProbeFile
//   (the counterpart of PROBE.DAT), `print` of their magnitudes for the print table,
//   `asciiplot` of their magnitudes for the line-printer plot, and Monte Carlo as a loop
//   that redraws every stage resistor and capacitor uniformly within its tolerance with
//   `alter`, runs the sweep again and appends the output node to kNgspiceMonteCarloFile.
//   In batch mode the block ends ngspice; an interactive session stays open.  The op-amp
//   models are those of the PSpice dialect with their values in full.
#pragma once

#include <string>
#include <string_view>

#include "core/DesignState.h"

namespace tavrin::output {

enum class SpiceDialect { PSpice, Ngspice };

// " VCVS (freq. independent)" or " Single pole roll-off".
enum class SpiceOpAmpModel { Vcvs, SinglePole };

// The choices of the netlist dialog, with its initial values.
struct SpiceOptions {
  SpiceDialect dialect = SpiceDialect::PSpice;
  // "AC Sweep", in Hz (DefaultSpiceOptions takes them from the ideal graph's axis)
  double startHz = 10;
  double stopHz = 100000;
  int pointsPerDecade = 200;
  // "AC Output"
  bool probe = true;             // " Generate PROBE.DAT file"
  bool printTable = false;       // " Generate print table"
  bool linePrinterPlot = false;  // " Generate 'line printer' plot"
  // "Monte Carlo Analysis"
  bool monteCarlo = false;  // " Perform analysis"
  int monteCarloRuns = 2;
  double resistorTolerance = 1;  // percent: 1, 2, 5 or 10
  double capacitorTolerance = 1;
  // "Op Amp Model"
  SpiceOpAmpModel opAmp = SpiceOpAmpModel::Vcvs;
  // Open-loop DC gain of both op-amp models.  A simulation meant to reproduce the
  // ideal-op-amp response raises it; users keep the usual 1e5.
  double opAmpGain = 1e5;
};

// Files the ngspice dialect writes into the folder ngspice runs in.
inline constexpr std::string_view kNgspiceProbeFile = "probe.txt";
inline constexpr std::string_view kNgspiceMonteCarloFile = "montecarlo.txt";

// The dialog's initial values for this design: the sweep spans the ideal graph's
// frequency axis (held in the display unit, converted to Hz).
SpiceOptions DefaultSpiceOptions(const core::DesignState& state);

// The netlist text, one card per line ending in "\n".  Stage t of state.stages/circuits
// (t = 1 .. stageCount) becomes subcircuit <type>t between nodes t and t + 1, written with
// the component values in force (a user-assigned resistor's own value).
std::string WriteSpiceNetlist(const core::DesignState& state, const SpiceOptions& options = {});

}  // namespace tavrin::output
