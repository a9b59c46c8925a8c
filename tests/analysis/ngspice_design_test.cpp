// Designed stages in ngspice: every circuit with a design routine, designed for a stage,
// simulated from the subcircuit the netlist writer emits, against the response the stage
// was asked for, +-K N(jw)/D(jw) with the standard numerator of its type.
//
// ngspice is a required dependency of the test suite: without it these tests fail.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/StagePolynomials.h"
#include "circuits/Catalogue.h"
#include "circuits/DesignEquations.h"
#include "circuits/DesignHarness.h"
#include "output/Subcircuit.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using Complex = std::complex<double>;

constexpr double kWp = 2 * std::numbers::pi * 1234.0;
constexpr double kQp = 0.8;
constexpr double kGain = 1.7;
constexpr double kMultiples[] = {0.5, 0.8, 1.0, 1.25, 2.0};
constexpr double kTolerance = 1e-3;  // relative, complex

std::string Full(double x) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", x);
  return buf;
}

std::optional<std::string> Ngspice() {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path == nullptr ? "" : path);
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const fs::path p = fs::path(dir) / "ngspice";
    if (!dir.empty() && ::access(p.c_str(), X_OK) == 0) return p.string();
  }
  return std::nullopt;
}

// The writer's lines name PSpice unit models and round values to report precision; the
// bench keeps its topology and gives every R and C its designed value in full.
std::string WithFullValues(const std::string& subckt, const core::CircuitRecord& cr) {
  std::istringstream in(subckt);
  std::ostringstream out;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string name, a, b;
    words >> name >> a >> b;
    if (!name.empty() && (name[0] == 'R' || name[0] == 'C') && !b.empty()) {
      const auto k = static_cast<std::size_t>(std::stoi(name.substr(1)));
      out << name << ' ' << a << ' ' << b << ' ' << Full(name[0] == 'R' ? cr.R[k].Value : cr.C[k].Value)
          << '\n';
    } else {
      out << line << '\n';
    }
  }
  return out.str();
}

// The biquad (or first-order section) the stage was designed to be.
Complex Target(const design_test::Designed& d, bool inverting, double w) {
  const core::Stage& st = d.stage;
  const Complex s(0, w);
  const int type = st.type;
  Complex n, den;
  if (type == core::ptFLP || type == core::ptFHP) {
    den = s + st.p;
    n = type == core::ptFLP ? Complex(st.p) : s;
  } else {
    den = s * s + st.wp / st.Qp * s + st.wp * st.wp;
    switch (type) {
      case core::ptSLP:
        n = st.wp * st.wp;
        break;
      case core::ptSHP:
        n = s * s;
        break;
      case core::ptSBP:
        n = st.wp / st.Qp * s;
        break;
      default:
        n = s * s + st.wz * st.wz;
        break;
    }
  }
  const Complex h = d.cr.CircuitGain * n / den;
  return inverting ? -h : h;
}

struct Case {
  int type = 0;
  int n = 0;
  std::string key;
};

std::vector<Case> AllCircuits() {
  std::vector<Case> cases;
  for (int type = 0; type < circuits::kStageTypeCount; ++type)
    for (int n = 1; n <= circuits::CircuitCount(type); ++n)
      cases.push_back({type, n, circuits::CircuitKey(type, n)});
  return cases;
}

class NgspiceDesign : public ::testing::TestWithParam<Case> {};

TEST_P(NgspiceDesign, DesignedStageSimulatesToItsTarget) {
  const Case& c = GetParam();
  if (circuits::FindDesign(c.type, c.n) == nullptr) GTEST_SKIP() << c.key << " has no design routine yet";
  const std::optional<std::string> ngspice = Ngspice();
  ASSERT_TRUE(ngspice.has_value()) << "ngspice was not found on PATH; it is a required dependency of the "
                                      "test suite (Debian package ngspice)";
  const bool notch = c.type == core::ptSLPN || c.type == core::ptSHPN || c.type == core::ptSN;
  const double wz = !notch ? 0 : c.type == core::ptSN ? kWp : c.type == core::ptSLPN ? 1.7 * kWp : kWp / 1.7;
  const design_test::Designed d =
      design_test::Design(circuits::AddressOfId(circuits::CircuitIdOf(c.type, c.n)), kWp, kQp, kGain, wz);
  ASSERT_FALSE(d.cr.DesignFailed) << c.key << " failed for wp " << kWp << ", Qp " << kQp << ", gain "
                                  << kGain;
  const circuits::CircuitDescriptor& desc = circuits::Descriptor(d.cr.CircuitId);
  const analysis::StagePolynomials p = design_test::Polynomials(d);
  if (desc.cubic) {
    // A twin-T's transfer function is third order: its designed pair is what must match.
    const analysis::StageParameters par = analysis::ParametersOf(p, c.type);
    ASSERT_TRUE(par.wp && par.Qp);
    EXPECT_NEAR(*par.wp / kWp, 1, 1e-6);
    EXPECT_NEAR(*par.Qp / kQp, 1, 1e-6);
  }

  std::ostringstream net;
  net << "* " << c.key << " designed for wp " << Full(kWp) << ", Qp " << kQp << "\n";
  net << ".SUBCKT IDEALOP 2 1 5\nEIO 5 0 2 1 1e9\n.ENDS IDEALOP\n";
  net << WithFullValues(output::StageSubcircuit(d.cr, c.type, 1, "IDEALOP"), d.cr);
  net << "V1 1 0 AC 1\nX1 1 2 " << circuits::TypeLetters(c.type) << "1\n";
  net << ".control\nset appendwrite\nset wr_singlescale\n";
  std::vector<double> probes;
  const double centre = (c.type == core::ptFLP || c.type == core::ptFHP) ? d.stage.p : kWp;
  for (double m : kMultiples) {
    const double w = m * centre;
    if (notch && std::abs(w / wz - 1) < 0.05) continue;  // no relative comparison at a null
    probes.push_back(w);
    const std::string f = Full(w / (2 * std::numbers::pi));
    net << "ac lin 1 " << f << " " << f << "\nwrdata out.txt vr(2) vi(2)\n";
  }
  net << "quit\n.endc\n.end\n";

  std::string pattern = (fs::temp_directory_path() / "tavrin-design-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const fs::path dir = pattern;
  std::ofstream(dir / "tb.cir") << net.str();
  const std::string command = "cd '" + dir.string() + "' && '" + *ngspice + "' -b -n tb.cir > log.txt 2>&1";
  const int rc = std::system(command.c_str());
  std::ifstream results(dir / "out.txt");
  std::vector<Complex> simulated;
  for (double f = 0, re = 0, im = 0; results >> f >> re >> im;) simulated.emplace_back(re, im);
  std::error_code ec;
  fs::remove_all(dir, ec);
  ASSERT_EQ(rc, 0) << "ngspice failed on " << c.key << "; netlist:\n" << net.str();
  ASSERT_EQ(simulated.size(), probes.size()) << net.str();

  for (std::size_t i = 0; i < probes.size(); ++i) {
    const double w = probes[i];
    // Cubic circuits are held to their own third-order response, the others to the target.
    // The sign is the analysis's: it is what the built circuit does (ngspice agrees with it
    // for every circuit in the analysis cross-check).
    const Complex expected = desc.cubic ? analysis::StageResponse(p, w) : Target(d, p.inverting, w);
    EXPECT_LT(std::abs(simulated[i] - expected) / std::abs(expected), kTolerance)
        << c.key << " at w = " << w << " rad/s: simulated " << simulated[i] << ", expected " << expected;
  }
}

INSTANTIATE_TEST_SUITE_P(AllCircuits, NgspiceDesign, ::testing::ValuesIn(AllCircuits()),
                         [](const ::testing::TestParamInfo<Case>& param) { return param.param.key; });

}  // namespace
}  // namespace tavrin
