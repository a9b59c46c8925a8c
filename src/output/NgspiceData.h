// Reading what a netlist of the ngspice dialect writes: the wrdata tables of its .control
// block (the vector names over the columns and one frequency column).
#pragma once

#include <complex>
#include <filesystem>
#include <string>
#include <vector>

namespace tavrin::output {

// One wrdata table: the scale column (the frequency in Hz of an AC sweep) and every vector
// written beside it.
struct WrdataTable {
  std::vector<std::string> names;                          // "v(2)", one per vector
  std::vector<double> scale;                               // per point
  std::vector<std::vector<std::complex<double>>> vectors;  // vectors[i][point]

  // The vector of that name, or null.
  const std::vector<std::complex<double>>* Find(const std::string& name) const;
};

// Every table of a wrdata file, in order; a file appended to run by run holds one table
// per run, each under its own header line.  A complex vector fills two columns under the
// same name (real, imaginary part), a real one a single column.  A missing file gives none.
std::vector<WrdataTable> ReadWrdata(const std::filesystem::path& file);

}  // namespace tavrin::output
