// Designed stages in ngspice: every circuit with a design routine, designed for a stage,
// simulated from the subcircuit the netlist writer emits, against the response the stage
// was asked for, +-K N(jw)/D(jw) with the standard numerator of its type.
//
// ngspice is a required dependency of the test suite: without it these tests fail.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <filesystem>
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
#include "support/NgspiceBench.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using Complex = std::complex<double>;
using test_support::Exact;

constexpr double kWp = 2 * std::numbers::pi * 1234.0;
constexpr double kQp = 0.8;
constexpr double kGain = 1.7;
constexpr double kMultiples[] = {0.5, 0.8, 1.0, 1.25, 2.0};
constexpr double kTolerance = 1e-3;  // relative, complex

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
  const std::optional<fs::path> ngspice = test_support::FindOnPath("ngspice");
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
  net << "* " << c.key << " designed for wp " << Exact(kWp) << ", Qp " << kQp << "\n";
  net << test_support::IdealOpAmp("IDEALOP");
  net << test_support::WithFullValues(output::StageSubcircuit(d.cr, c.type, 1, "IDEALOP"), d.cr);
  net << "V1 1 0 AC 1\nX1 1 2 " << circuits::TypeLetters(c.type) << "1\n";
  net << ".control\nset appendwrite\nset wr_singlescale\n";
  std::vector<double> probes;
  const double centre = (c.type == core::ptFLP || c.type == core::ptFHP) ? d.stage.p : kWp;
  for (double m : kMultiples) {
    const double w = m * centre;
    if (notch && std::abs(w / wz - 1) < 0.05) continue;  // no relative comparison at a null
    probes.push_back(w);
    net << test_support::AcPoint(w, 2);
  }
  net << "quit\n.endc\n.end\n";

  const test_support::NgspiceRun run =
      test_support::RunNgspice(ngspice->string(), net.str(), "tavrin-design");
  ASSERT_TRUE(run.folder) << "no temporary folder";
  const std::vector<Complex>& simulated = run.ac;
  ASSERT_EQ(run.status, 0) << "ngspice failed on " << c.key << "; netlist:\n" << net.str();
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
