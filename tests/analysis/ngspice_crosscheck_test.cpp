// Every catalogue circuit, simulated by ngspice from the subcircuit the netlist writer
// emits, against its assembled transfer function +-K N(jw)/D(jw): half the component sets
// keep the relations the circuit's design establishes, half draw every value on its own
// (as standard values, combinations and user-assigned resistors leave them).
//
// ngspice is a required dependency of the test suite: without it these tests fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <filesystem>
#include <numbers>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/ComponentSets.h"
#include "analysis/StagePolynomials.h"
#include "circuits/Catalogue.h"
#include "core/DesignState.h"
#include "output/Subcircuit.h"
#include "support/NgspiceBench.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using analysis_test::CircuitCase;
using analysis_test::ComponentSet;
using test_support::Exact;
using test_support::FindOnPath;

constexpr int kSetsPerCircuit = 6;
// Frequencies as multiples of each set's pole frequency, on both sides of it.
constexpr double kMultiples[] = {0.31, 0.72, 0.93, 1.07, 1.38, 3.3};
constexpr double kOpAmpGain = 1e9;
constexpr double kMagnitudeTolerance = 1e-4;  // relative
constexpr double kPhaseToleranceDeg = 0.01;

core::CircuitRecord RecordOf(const CircuitCase& c, const ComponentSet& s) {
  core::CircuitRecord cr;
  cr.CircuitNumber = static_cast<std::int16_t>(c.n);
  cr.CircuitNumberCopy = cr.CircuitNumber;
  cr.CircuitId = static_cast<std::int16_t>(circuits::CircuitIdOf(c.type, c.n));
  cr.ResistorCount = static_cast<std::int16_t>(c.resistors);
  cr.CapacitorCount = static_cast<std::int16_t>(c.capacitors);
  for (int i = 1; i <= 10; ++i) cr.R[i].Value = s.R[i];
  for (int j = 1; j <= 4; ++j) cr.C[j].Value = s.C[j];
  return cr;
}

double FrequencyScale(const analysis::StagePolynomials& p) {
  if (p.b[3] != 0) return std::cbrt(std::abs(p.b[0] / p.b[3]));
  if (p.b[2] != 0) return std::sqrt(std::abs(p.b[0] / p.b[2]));
  return std::abs(p.b[0] / p.b[1]);
}

struct Probe {
  int set = 0;
  double w = 0;  // rad/s
  std::complex<double> expected;
};

class NgspiceCrossCheck : public ::testing::TestWithParam<CircuitCase> {};

TEST_P(NgspiceCrossCheck, SimulatedStageMatchesItsTransferFunction) {
  const std::optional<fs::path> ngspice = FindOnPath("ngspice");
  ASSERT_TRUE(ngspice.has_value()) << "ngspice was not found on PATH; it is a required dependency of the "
                                      "test suite (Debian package ngspice)";
  const CircuitCase& c = GetParam();
  std::mt19937_64 rng(0x7a5u + static_cast<unsigned>(100 * c.type + c.n));

  std::ostringstream net;
  net << "* " << c.key << ": " << kSetsPerCircuit << " random component sets\n";
  net << test_support::IdealOpAmp("IDEALOP", kOpAmpGain);
  net << "V1 1 0 AC 1\n";
  std::ostringstream control;
  control << ".control\nset appendwrite\nset wr_singlescale\n";
  std::vector<Probe> probes;
  std::vector<std::string> relations(kSetsPerCircuit + 1);
  const std::string type = circuits::TypeLetters(c.type);
  for (int t = 1; t <= kSetsPerCircuit; ++t) {
    ComponentSet s = analysis_test::RandomComponents(rng, c, false);
    if (t <= kSetsPerCircuit / 2) relations[t] = analysis_test::ImposeDesignRelations(c.key, s);
    const core::CircuitRecord cr = RecordOf(c, s);
    const std::string subckt = output::StageSubcircuit(cr, c.type, t, "IDEALOP");
    ASSERT_FALSE(subckt.empty()) << "no subcircuit for " << c.key;
    // The writer rounds values to report precision; the comparison here is between
    // equations and circuit, not about that rounding.
    net << test_support::WithFullValues(
        subckt, [&s](char kind, int k) { return kind == 'R' ? s.R.at(k) : s.C.at(k); });
    const int outNode = 100 + t;
    net << "X" << t << " 1 " << outNode << " " << type << t << "\n";

    const analysis::StagePolynomials p = analysis::BuildStagePolynomials(s.Vectors(), c.type, c.n);
    const analysis::StageParameters par = analysis::ParametersOf(p, c.type);
    // Random values may leave a denominator without a complex pair (or with a pole in the
    // right half-plane); the comparison holds all the same, around the polynomial's scale.
    const double scale = par.wp.value_or(FrequencyScale(p));
    for (double m : kMultiples) {
      double w = m * scale;
      // Keep clear of a notch's null, where a relative comparison means nothing.
      if (par.wz && std::abs(w / *par.wz - 1) < 0.05) w *= 1.2;
      probes.push_back({t, w, analysis::StageResponse(p, w)});
      control << test_support::AcPoint(w, outNode);
    }
  }
  control << "quit\n.endc\n";
  net << control.str() << ".end\n";

  const test_support::NgspiceRun run = test_support::RunNgspice(ngspice->string(), net.str());
  ASSERT_TRUE(run.folder) << "no temporary folder";
  ASSERT_EQ(run.status, 0) << "ngspice failed on " << c.key << ":\n"
                           << run.log << "\nnetlist:\n"
                           << net.str();
  ASSERT_EQ(run.ac.size(), probes.size()) << "ngspice output of " << c.key << ":\n" << run.log;

  double worstMagnitude = 0;
  double worstPhase = 0;
  for (std::size_t i = 0; i < probes.size(); ++i) {
    const Probe& pr = probes[i];
    const std::complex<double>& simulated = run.ac[i];
    const double magnitudeError = std::abs(simulated) / std::abs(pr.expected) - 1;
    const double phaseErrorDeg = std::arg(simulated / pr.expected) * 180 / std::numbers::pi;
    const std::string where = c.key + " set " + std::to_string(pr.set) +
                              (relations[pr.set].empty() ? "" : " (with " + relations[pr.set] + ")") +
                              " at w = " + Exact(pr.w) + " rad/s";
    worstMagnitude = std::max(worstMagnitude, std::abs(magnitudeError));
    worstPhase = std::max(worstPhase, std::abs(phaseErrorDeg));
    EXPECT_LT(std::abs(magnitudeError), kMagnitudeTolerance)
        << where << ": simulated " << simulated << ", analysis " << pr.expected;
    EXPECT_LT(std::abs(phaseErrorDeg), kPhaseToleranceDeg)
        << where << ": simulated " << simulated << ", analysis " << pr.expected;
  }
  // The margins reached, for the test report (--gtest_output=xml).
  RecordProperty("worst_magnitude_error", Exact(worstMagnitude));
  RecordProperty("worst_phase_error_deg", Exact(worstPhase));
}

INSTANTIATE_TEST_SUITE_P(AllCircuits, NgspiceCrossCheck,
                         ::testing::ValuesIn(analysis_test::AllCircuitCases()),
                         [](const ::testing::TestParamInfo<CircuitCase>& paramInfo) {
                           return paramInfo.param.key;
                         });

}  // namespace
}  // namespace tavrin
