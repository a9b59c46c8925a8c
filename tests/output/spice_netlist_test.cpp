// The SPICE netlist of a whole filter: the PSpice text card by card (expected texts
// written by hand), and the ngspice dialect run in ngspice against the analysis of the
// built stages.
//
// ngspice is a required dependency of the test suite: without it the simulation tests fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "analysis/StagePolynomials.h"
#include "analysis/WorkingVectors.h"
#include "approx/ApproxTestSupport.h"
#include "circuits/Adjustment.h"
#include "circuits/BuiltFilter.h"
#include "circuits/Catalogue.h"
#include "output/SpiceNetlist.h"
#include "stages/Cascading.h"
#include "support/NgspiceData.h"

namespace tavrin::output {
namespace {

using Complex = std::complex<double>;

std::size_t At(int k) {
  return static_cast<std::size_t>(k);
}

// A filter put together by hand: stage t gets circuit `key` with these values.  The
// netlist only reads the circuit, its options and its values.
class HandFilter {
 public:
  HandFilter() { core::ResetDesign(*state); }

  core::CircuitRecord& Add(const std::string& key, std::initializer_list<double> r,
                           std::initializer_list<double> c) {
    const circuits::CircuitAddress a = circuits::AddressOfKey(key);
    const int t = ++state->stageCount;
    state->stages[At(t)].type = static_cast<std::uint8_t>(a.stageType);
    state->stages[At(t)].name = circuits::TypeCode(a.stageType);
    core::CircuitRecord& cr = state->circuits[At(t)];
    cr.CircuitNumber = static_cast<std::int16_t>(a.number);
    cr.CircuitId = static_cast<std::int16_t>(a.circuitId);
    int i = 1;
    for (double v : r) cr.R[At(i++)].Value = v;
    int j = 1;
    for (double v : c) cr.C[At(j++)].Value = v;
    return cr;
  }

  std::unique_ptr<core::DesignState> state = std::make_unique<core::DesignState>();
};

SpiceOptions Sweep(double startHz, double stopHz) {
  SpiceOptions o;
  o.startHz = startHz;
  o.stopHz = stopHz;
  return o;
}

// Three stages of three types.  R1 of the bandpass is 1.5 Mohm, which SPICE must read as
// mega; the lowpass carries a user-assigned R2, which is the value the filter is built with.
HandFilter ThreeStages() {
  HandFilter f;
  core::CircuitRecord& lp = f.Add("SLP01", {10000, 15000}, {10e-9, 22e-9});
  lp.R[2].UserAssigned = true;
  lp.R[2].UserValue = 16200;
  f.Add("SBP04", {1.5e6, 47500, 1234.5}, {4.7e-9, 4.7e-9});
  f.Add("FLP01", {8200}, {220e-12});
  return f;
}

TEST(SpiceNetlistPSpice, ThreeStagesWithTheVcvsModel) {
  const HandFilter f = ThreeStages();
  EXPECT_EQ(WriteSpiceNetlist(*f.state, Sweep(500, 20000)),
            "****  Tavrin Spice File  ****\n"
            ".SUBCKT IDEALOP 2 1 5\n"
            "   EIO 5 0 2 1 1.0E+5\n"
            ".ENDS IDEALOP\n"
            ".SUBCKT SLP1 1 2\n"
            "       R1 1 3 RMODEL 10K\n"
            "       R2 3 4 RMODEL 16.2K\n"
            "       C1 4 0 CMODEL 10nF\n"
            "       C2 2 3 CMODEL 22nF\n"
            "       XA1 4 2 2 IDEALOP\n"
            ".ENDS SLP1\n"
            ".SUBCKT SBP2 1 2\n"
            "       R1 1 3 RMODEL 1.5MEG\n"
            "       R2 2 4 RMODEL 47.5K\n"
            "       R3 3 0 RMODEL 1.2345K\n"
            "       C1 3 4 CMODEL 4.7nF\n"
            "       C2 2 3 CMODEL 4.7nF\n"
            "       XA1 0 4 2 IDEALOP\n"
            ".ENDS SBP2\n"
            ".SUBCKT FLP3 1 2\n"
            "       R1 1 3 RMODEL 8.2K\n"
            "       C1 3 0 CMODEL 220pF\n"
            "       XA1 3 2 2 IDEALOP\n"
            ".ENDS FLP3\n"
            ".MODEL RMODEL RES(R=1 DEV=1%)\n"
            ".MODEL CMODEL CAP(C=1 DEV=1%)\n"
            "V1 1 0 AC 1\n"
            "X1 1 2 SLP1\n"
            "X2 2 3 SBP2\n"
            "X3 3 4 FLP3\n"
            ".AC DEC 200  5.00000E+2  2.00000E+4\n"
            ".PROBE V(2)\n"
            ".PROBE V(3)\n"
            ".PROBE V(4)\n"
            ".END\n");
}

// GBWs of 1, 3 and 1 MHz: two models, and stage 3 uses stage 1's.  Each model's noise
// resistor comes from the first stage with its GBW (12 nV/rtHz: 9 kOhm; 2 nV/rtHz: 250 ohm),
// and its capacitor puts the pole at GBW / 1e5: 1e5 / (2 pi 9e3 1e6) = 1.76839 uF and
// 1e5 / (2 pi 250 3e6) = 21.2207 uF.  Stage 2 has active compensation: its template comes
// from the compensation set, with two op-amp lines where the plain circuit has one.
TEST(SpiceNetlistPSpice, SinglePoleModelsAreSharedByEqualGbws) {
  HandFilter f = ThreeStages();
  const double gbw[] = {1e6, 3e6, 1e6};
  const double noise[] = {12, 2, 200};
  for (int t = 1; t <= 3; ++t) {
    f.state->circuits[At(t)].OpAmpGbw = gbw[t - 1];
    f.state->circuits[At(t)].Noise = noise[t - 1];
  }
  // Stage 2 becomes a Deliyannis bandpass I with its compensated pair.
  core::CircuitRecord& bp = f.state->circuits[2];
  bp.CircuitNumber = 1;
  bp.CircuitId = static_cast<std::int16_t>(circuits::CircuitIdOf(core::ptSBP, 1));
  bp.ActiveComp = true;
  SpiceOptions o = Sweep(10, 1e5);
  o.opAmp = SpiceOpAmpModel::SinglePole;
  EXPECT_EQ(WriteSpiceNetlist(*f.state, o),
            "****  Tavrin Spice File  ****\n"
            ".SUBCKT GENOP1 2 1 6\n"
            "       R1 3 4 RMODEL 9K\n"
            "       C1 4 0 CMODEL 1.7684uF\n"
            "       R2 5 6 RMODEL 100\n"
            "       EGEN1 3 0 2 1 1.0\n"
            "       EGEN2 5 0 4 0 1.0E+5\n"
            ".ENDS GENOP1\n"
            ".SUBCKT GENOP2 2 1 6\n"
            "       R1 3 4 RMODEL 250\n"
            "       C1 4 0 CMODEL 21.221uF\n"
            "       R2 5 6 RMODEL 100\n"
            "       EGEN1 3 0 2 1 1.0\n"
            "       EGEN2 5 0 4 0 1.0E+5\n"
            ".ENDS GENOP2\n"
            ".SUBCKT SLP1 1 2\n"
            "       R1 1 3 RMODEL 10K\n"
            "       R2 3 4 RMODEL 16.2K\n"
            "       C1 4 0 CMODEL 10nF\n"
            "       C2 2 3 CMODEL 22nF\n"
            "       XA1 4 2 2 GENOP1\n"
            ".ENDS SLP1\n"
            ".SUBCKT SBP2 1 2\n"
            "       R1 1 3 RMODEL 1.5MEG\n"
            "       R2 2 4 RMODEL 47.5K\n"
            "       C1 3 4 CMODEL 4.7nF\n"
            "       C2 2 3 CMODEL 4.7nF\n"
            "       XA1 0 4 5 GENOP2\n"
            "       XA2 5 4 2 GENOP2\n"
            ".ENDS SBP2\n"
            ".SUBCKT FLP3 1 2\n"
            "       R1 1 3 RMODEL 8.2K\n"
            "       C1 3 0 CMODEL 220pF\n"
            "       XA1 3 2 2 GENOP1\n"
            ".ENDS FLP3\n"
            ".MODEL RMODEL RES(R=1 DEV=1%)\n"
            ".MODEL CMODEL CAP(C=1 DEV=1%)\n"
            "V1 1 0 AC 1\n"
            "X1 1 2 SLP1\n"
            "X2 2 3 SBP2\n"
            "X3 3 4 FLP3\n"
            ".AC DEC 200  1.00000E+1  1.00000E+5\n"
            ".PROBE V(2)\n"
            ".PROBE V(3)\n"
            ".PROBE V(4)\n"
            ".END\n");
}

// The noise resistor 1000 (noise / 4)^2 within 100 ohm .. 1 Mohm, and the capacitor that
// keeps the pole at GBW / 1e5 with it (GBW 1 MHz).
TEST(SpiceNetlistPSpice, NoiseResistorAndItsCapacitor) {
  struct Case {
    double noise;
    const char* r;
    const char* c;
  };
  const Case cases[] = {
      {12, "9K", "1.7684uF"},     // 9000 ohm; 1e5 / (2 pi 9e3 1e6)
      {2, "250", "63.662uF"},     // 250 ohm; 1e5 / (2 pi 250 1e6)
      {200, "1MEG", "15.916nF"},  // 2.5 Mohm, limited to 1 Mohm; 1e5 / (2 pi 1e12)
      {1, "100", "159.15uF"},     // 62.5 ohm, raised to 100 ohm; 1e5 / (2 pi 1e8)
  };
  for (const Case& c : cases) {
    HandFilter f;
    core::CircuitRecord& cr = f.Add("FLP01", {1000}, {1e-9});
    cr.OpAmpGbw = 1e6;
    cr.Noise = c.noise;
    SpiceOptions o;
    o.opAmp = SpiceOpAmpModel::SinglePole;
    const std::string text = WriteSpiceNetlist(*f.state, o);
    const std::string model = std::string(".SUBCKT GENOP1 2 1 6\n       R1 3 4 RMODEL ") + c.r +
                              "\n       C1 4 0 CMODEL " + c.c + "\n       R2 5 6 RMODEL 100\n";
    EXPECT_NE(text.find(model), std::string::npos) << c.noise << "\n" << text;
  }
}

// A stage that never received the op-amp settings (noise 0) takes the current setting
// rather than a 0 ohm noise resistor.
TEST(SpiceNetlistPSpice, StageWithoutNoiseSettingTakesTheCurrentOne) {
  HandFilter f;
  f.Add("FLP01", {1000}, {1e-9});
  f.state->characteristics.Noise = 2;
  SpiceOptions o;
  o.opAmp = SpiceOpAmpModel::SinglePole;
  EXPECT_NE(WriteSpiceNetlist(*f.state, o).find("       R1 3 4 RMODEL 250\n"), std::string::npos);
}

TEST(SpiceNetlistPSpice, OutputCardsAndMonteCarlo) {
  const HandFilter f = ThreeStages();
  SpiceOptions o = Sweep(0.5e3, 25e3);
  o.pointsPerDecade = 50;
  o.probe = false;
  o.printTable = true;
  o.linePrinterPlot = true;
  o.monteCarlo = true;
  o.monteCarloRuns = 7;
  o.resistorTolerance = 5;
  o.capacitorTolerance = 10;
  const std::string text = WriteSpiceNetlist(*f.state, o);
  const std::string tail =
      ".MODEL RMODEL RES(R=1 DEV=5%)\n"
      ".MODEL CMODEL CAP(C=1 DEV=10%)\n"
      "V1 1 0 AC 1\n"
      "X1 1 2 SLP1\n"
      "X2 2 3 SBP2\n"
      "X3 3 4 FLP3\n"
      ".AC DEC 50  5.00000E+2  2.50000E+4\n"
      ".PRINT AC V(2) V(3) V(4)\n"
      ".PLOT AC V(2) V(3) V(4)\n"
      ".MC 7 AC V(4) YMAX LIST OUTPUT ALL\n"
      ".END\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST(SpiceNetlistPSpice, UnusedResistorIsLeftOutOfTheStage) {
  HandFilter f;
  f.Add("FLP02", {1.5e6, 0, 4700}, {1e-9});
  const std::string text = WriteSpiceNetlist(*f.state);
  EXPECT_NE(text.find(".SUBCKT FLP1 1 2\n"
                      "       R1 1 3 RMODEL 1.5MEG\n"
                      "       R3 2 4 RMODEL 4.7K\n"
                      "       C1 3 0 CMODEL 1nF\n"
                      "       XA1 3 4 2 IDEALOP\n"
                      ".ENDS FLP1\n"),
            std::string::npos)
      << text;
}

// The dialog opens on the ideal graph's frequency axis, whatever unit it is shown in.
TEST(SpiceNetlistOptions, SweepStartsOnTheIdealGraphsAxis) {
  HandFilter f;
  f.state->frequencyUnit = core::FrequencyUnit::RadPerSec;
  f.state->idealAxes.freqStart = 2 * std::numbers::pi * 100;
  f.state->idealAxes.freqStop = 2 * std::numbers::pi * 1e5;
  SpiceOptions o = DefaultSpiceOptions(*f.state);
  EXPECT_NEAR(o.startHz, 100, 1e-9);
  EXPECT_NEAR(o.stopHz, 1e5, 1e-6);
  f.state->frequencyUnit = core::FrequencyUnit::Hz;
  f.state->idealAxes.freqStart = 500;
  f.state->idealAxes.freqStop = 20000;
  o = DefaultSpiceOptions(*f.state);
  EXPECT_EQ(o.startHz, 500);
  EXPECT_EQ(o.stopHz, 20000);
  EXPECT_EQ(o.pointsPerDecade, 200);
  EXPECT_TRUE(o.probe);
  EXPECT_FALSE(o.printTable || o.linePrinterPlot || o.monteCarlo);
  EXPECT_EQ(o.monteCarloRuns, 2);
  EXPECT_EQ(o.opAmp, SpiceOpAmpModel::Vcvs);
  EXPECT_EQ(o.dialect, SpiceDialect::PSpice);
}

// ---- the ngspice dialect ------------------------------------------------------------

SpiceOptions Ngspice(double startHz, double stopHz, int ppd = 20) {
  SpiceOptions o = Sweep(startHz, stopHz);
  o.dialect = SpiceDialect::Ngspice;
  o.pointsPerDecade = ppd;
  return o;
}

std::string Ngspice() {
  const std::optional<std::filesystem::path> path = test_support::FindOnPath("ngspice");
  return path ? path->string() : std::string();
}

TEST(SpiceNetlistNgspice, ValuesInFullWithTheSameNodesAndStages) {
  HandFilter f;
  core::CircuitRecord& lp = f.Add("SLP01", {10000, 15915.494309189535}, {10e-9, 22e-9});
  lp.R[1].UserAssigned = true;
  lp.R[1].UserValue = 10012.3456789;
  f.Add("FLP02", {1.5e6, 0, 4700}, {1e-9});
  const std::string text = WriteSpiceNetlist(*f.state, Ngspice(500, 20000, 200));
  EXPECT_EQ(text.find("MODEL"), std::string::npos) << text;
  EXPECT_NE(text.find(".SUBCKT IDEALOP 2 1 5\n   EIO 5 0 2 1 100000\n.ENDS IDEALOP\n"), std::string::npos);
  EXPECT_NE(text.find(".SUBCKT SLP1 1 2\n"
                      "       R1 1 3 10012.3456789\n"
                      "       R2 3 4 15915.4943092\n"
                      "       C1 4 0 1e-08\n"
                      "       C2 2 3 2.2e-08\n"
                      "       XA1 4 2 2 IDEALOP\n"
                      ".ENDS SLP1\n"
                      ".SUBCKT FLP2 1 2\n"
                      "       R1 1 3 1500000\n"
                      "       R3 2 4 4700\n"
                      "       C1 3 0 1e-09\n"
                      "       XA1 3 4 2 IDEALOP\n"
                      ".ENDS FLP2\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("X1 1 2 SLP1\nX2 2 3 FLP2\n.AC DEC 200 500 20000\n"), std::string::npos) << text;
}

// The single-pole model in ngspice against its own equations: a voltage follower after an
// RC lowpass, H = 1 / (1 + jwRC) * A / (1 + A) with A = A0 / (1 + jw A0 / (2 pi GBW)).  At
// the GBW the follower is down by 3 dB, which is what the model promises.
TEST(SpiceNetlistNgspice, SinglePoleModelHasTheStageGbw) {
  const std::string ngspice = Ngspice();
  ASSERT_FALSE(ngspice.empty()) << "ngspice is not installed";
  const double r = 1000, c = 1e-9, gbw = 2.5e6;
  HandFilter f;
  core::CircuitRecord& cr = f.Add("FLP01", {r}, {c});
  cr.OpAmpGbw = gbw;
  cr.Noise = 12;
  SpiceOptions o = Ngspice(1e4, 1e7, 10);
  o.opAmp = SpiceOpAmpModel::SinglePole;
  const test_support::NetlistSimulation sim =
      test_support::SimulateNetlist(ngspice, WriteSpiceNetlist(*f.state, o));
  ASSERT_EQ(sim.run.status, 0) << sim.run.log;
  ASSERT_EQ(sim.probe.size(), 1u) << sim.run.log;
  const auto* out = sim.probe[0].Find("v(2)");
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(out->size(), 31u);
  for (std::size_t k = 0; k < out->size(); ++k) {
    const double hz = sim.probe[0].scale[k];
    const Complex s(0, 2 * std::numbers::pi * hz);
    const Complex a = 1e5 / (1.0 + s * 1e5 / (2 * std::numbers::pi * gbw));
    const Complex want = 1.0 / (1.0 + s * r * c) * a / (1.0 + a);
    EXPECT_LT(std::abs((*out)[k] / want - 1.0), 1e-6) << hz << " Hz";
  }
}

struct Designed {
  std::unique_ptr<core::DesignState> state;
  std::string what;
};

// A designed filter: Calculate, pairing and cascading, then the circuits named by type.
Designed Design(const approx::SpecEntries& e, int slot,
                const std::vector<std::pair<int, std::string>>& circuitOfType, bool standardR,
                const std::string& what) {
  approx::testing::Run run = approx::testing::Calc(e);
  Designed d{nullptr, what};
  if (run.outcome.status != approx::CalculateStatus::Completed || !core::SlotHasResult(*run.state, slot))
    return d;
  core::SetCurrentSlot(*run.state, slot);
  run.state->chosenSlot = static_cast<std::int16_t>(slot);
  stages::PairAndCascade(*run.state);
  circuits::FilterBuildOptions o;
  for (int t = 1; t <= run.state->stageCount; ++t) {
    const int type = run.state->stages[At(t)].type & 0x7F;
    std::string key;
    for (const auto& [ty, k] : circuitOfType)
      if (ty == type) key = k;
    o.circuits.push_back(key);
  }
  o.standardR = standardR;
  if (circuits::BuildFilter(*run.state, o).has_value()) return d;
  d.state = std::move(run.state);
  return d;
}

// H(jw) at the output of every stage, from the analysis of the built stages.
std::vector<Complex> Analysed(const core::DesignState& st, double hz) {
  std::vector<Complex> h;
  Complex product = 1;
  for (int t = 1; t <= st.stageCount; ++t) {
    const core::CircuitRecord& cr = st.circuits[At(t)];
    const analysis::StagePolynomials p =
        analysis::BuildStagePolynomials(analysis::LoadBuiltValues(cr), st.stages[At(t)], cr);
    product *= analysis::StageResponse(p, 2 * std::numbers::pi * hz);
    h.push_back(product);
  }
  return h;
}

// The filter in ngspice, at every stage output, against the product of the analysed stage
// responses.  The op-amp gain is raised to 1e9 so that the netlist's op-amps are as ideal
// as the analysis assumes; what remains is the netlist itself.
TEST(SpiceNetlistNgspice, DesignedFiltersAgreeWithTheAnalysedStages) {
  const std::string ngspice = Ngspice();
  ASSERT_FALSE(ngspice.empty()) << "ngspice is not installed";
  using approx::EntryUnit;
  using approx::testing::Entries;
  using core::FilterKind;
  std::vector<Designed> designs;
  // Chebyshev lowpass of order 5: an inverting first-order stage and two biquads.
  designs.push_back(Design(Entries(FilterKind::Lowpass, "0.5", "40", "1000", "2000", "2", EntryUnit::Hz), 1,
                           {{core::ptFLP, "FLP03"}, {core::ptSLP, "SLP03"}}, false, "Chebyshev lowpass"));
  // The same with E96 resistors, and one resistor the user assigned.
  designs.push_back(Design(Entries(FilterKind::Lowpass, "0.5", "40", "1000", "2000", "2", EntryUnit::Hz), 1,
                           {{core::ptFLP, "FLP02"}, {core::ptSLP, "SLP01"}}, true,
                           "lowpass, standard and user R"));
  if (designs.back().state) {
    core::DesignState& st = *designs.back().state;
    const int last = st.stageCount;
    const auto out = circuits::AdjustResistor(st, last, 1, "4.75K");
    EXPECT_TRUE(out.applied);
    EXPECT_TRUE(st.circuits[At(last)].R[1].UserAssigned);
  }
  // Elliptic bandstop: notch stages on both sides of the centre.
  designs.push_back(Design(Entries(FilterKind::Bandstop, "0.5", "30", "3000", "800", "5000", EntryUnit::Hz),
                           3, {{core::ptSLPN, "SLPN04"}, {core::ptSHPN, "SHPN03"}, {core::ptSN, "SN02"}},
                           false, "elliptic bandstop"));

  double worst = 0;
  int points = 0;
  for (const Designed& d : designs) {
    ASSERT_TRUE(d.state) << d.what << ": no design";
    const core::DesignState& st = *d.state;
    ASSERT_GE(st.stageCount, 2) << d.what;
    SpiceOptions o = Ngspice(100, 1e5, 20);
    o.opAmpGain = 1e9;
    const std::string netlist = WriteSpiceNetlist(st, o);
    const test_support::NetlistSimulation sim = test_support::SimulateNetlist(ngspice, netlist);
    ASSERT_EQ(sim.run.status, 0) << d.what << "\n" << sim.run.log << "\n" << netlist;
    ASSERT_EQ(sim.probe.size(), 1u) << d.what << "\n" << sim.run.log;
    const test_support::WrdataTable& table = sim.probe[0];
    ASSERT_EQ(table.scale.size(), 61u) << d.what;
    // Each output's largest gain over the sweep: what lies 60 dB below it is compared
    // with the analysis only as far as the simulator's own rounding allows.
    std::vector<double> top(At(st.stageCount), 0.0);
    for (double hz : table.scale) {
      const std::vector<Complex> h = Analysed(st, hz);
      for (std::size_t t = 0; t < h.size(); ++t) top[t] = std::max(top[t], std::abs(h[t]));
    }
    for (std::size_t k = 0; k < table.scale.size(); ++k) {
      const double hz = table.scale[k];
      const std::vector<Complex> want = Analysed(st, hz);
      for (int t = 1; t <= st.stageCount; ++t) {
        const auto* got = table.Find("v(" + std::to_string(t + 1) + ")");
        ASSERT_NE(got, nullptr) << d.what;
        const Complex w = want[At(t - 1)];
        if (std::abs(w) < top[At(t - 1)] * 1e-3) continue;
        const double diff = std::abs(test_support::Db((*got)[k]) - test_support::Db(w));
        if (t == st.stageCount) {
          worst = std::max(worst, diff);
          ++points;
        }
        EXPECT_LT(diff, 0.01) << d.what << " stage " << t << " at " << hz
                              << " Hz: " << test_support::Db((*got)[k]) << " dB vs " << test_support::Db(w)
                              << " dB";
        // The phase too: an inverting stage or a swapped op-amp input shows here first.
        EXPECT_LT(std::abs(std::arg((*got)[k] / w)), 1e-3)
            << d.what << " stage " << t << " at " << hz << " Hz";
      }
    }
  }
  std::printf("[ ngspice  ] %d output points over %zu filters, largest difference %.2e dB\n", points,
              designs.size(), worst);
}

// The output requests and Monte Carlo run as ngspice runs them: the data file holds every
// stage output, the print table and the plot reach the log, and Monte Carlo gives one
// table per run, the first the nominal one and the others moved within the tolerances.
// The op-amps are single-pole models, two of them shared by equal GBWs.
TEST(SpiceNetlistNgspice, OutputRequestsAndMonteCarloRun) {
  const std::string ngspice = Ngspice();
  ASSERT_FALSE(ngspice.empty()) << "ngspice is not installed";
  HandFilter f = ThreeStages();
  const double gbw[] = {1e6, 3e6, 1e6};
  for (int t = 1; t <= 3; ++t) f.state->circuits[At(t)].OpAmpGbw = gbw[t - 1];
  SpiceOptions o = Ngspice(100, 1e4, 10);
  o.opAmp = SpiceOpAmpModel::SinglePole;
  o.printTable = true;
  o.linePrinterPlot = true;
  o.monteCarlo = true;
  o.monteCarloRuns = 4;
  o.resistorTolerance = 5;
  o.capacitorTolerance = 10;
  const std::string netlist = WriteSpiceNetlist(*f.state, o);
  EXPECT_NE(netlist.find("       XA1 3 2 2 GENOP1\n.ENDS FLP3\n"), std::string::npos) << netlist;
  EXPECT_EQ(netlist.find(".SUBCKT GENOP3"), std::string::npos) << netlist;
  const test_support::NetlistSimulation sim = test_support::SimulateNetlist(ngspice, netlist);
  ASSERT_EQ(sim.run.status, 0) << sim.run.log << "\n" << netlist;
  EXPECT_EQ(sim.run.log.find("rror"), std::string::npos) << sim.run.log;
  EXPECT_EQ(sim.run.log.find("arning"), std::string::npos) << sim.run.log;
  ASSERT_EQ(sim.probe.size(), 1u);
  EXPECT_EQ(sim.probe[0].names, (std::vector<std::string>{"v(2)", "v(3)", "v(4)"}));
  EXPECT_EQ(sim.probe[0].scale.size(), 21u);
  EXPECT_NE(sim.run.log.find("vm(4)"), std::string::npos) << "print table";
  EXPECT_NE(sim.run.log.find("Legend:"), std::string::npos) << "line-printer plot";

  ASSERT_EQ(sim.monteCarlo.size(), 4u) << sim.run.log;
  const std::vector<Complex>& nominal = *sim.probe[0].Find("v(4)");
  EXPECT_EQ(*sim.monteCarlo[0].Find("v(4)"), nominal);
  for (std::size_t run = 1; run < sim.monteCarlo.size(); ++run) {
    const auto* v = sim.monteCarlo[run].Find("v(4)");
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(v->size(), nominal.size());
    double moved = 0;
    for (std::size_t k = 0; k < v->size(); ++k)
      moved = std::max(moved, std::abs(test_support::Db((*v)[k]) - test_support::Db(nominal[k])));
    // Five and ten percent parts move a three-stage filter, but not by whole decibels in
    // its passband and not at all by tens of them.
    EXPECT_GT(moved, 1e-4) << "run " << run + 1;
    EXPECT_LT(moved, 20) << "run " << run + 1;
  }
  EXPECT_NE(sim.run.log.find("YMAX"), std::string::npos);

  // Every value drawn (the log lists them run by run) lies within its part's tolerance of
  // the nominal value; ngspice shows six digits.
  struct Part {
    const char* device;
    double nominal;
    double tolerance;
  };
  const Part parts[] = {{"r.x1.r1", 10000, 0.05},  {"r.x1.r2", 16200, 0.05},  {"c.x1.c1", 10e-9, 0.10},
                        {"c.x1.c2", 22e-9, 0.10},  {"r.x2.r1", 1.5e6, 0.05},  {"r.x2.r2", 47500, 0.05},
                        {"r.x2.r3", 1234.5, 0.05}, {"c.x2.c1", 4.7e-9, 0.10}, {"c.x2.c2", 4.7e-9, 0.10},
                        {"r.x3.r1", 8200, 0.05},   {"c.x3.c1", 220e-12, 0.10}};
  for (const Part& part : parts) {
    int drawn = 0;
    const std::string key = std::string(part.device) + " ";
    for (std::size_t at = sim.run.log.find(key); at != std::string::npos;
         at = sim.run.log.find(key, at + 1)) {
      if (at > 0 && sim.run.log[at - 1] != '\n') continue;
      const double value = std::stod(sim.run.log.substr(at + key.size()));
      EXPECT_LE(std::abs(value / part.nominal - 1), part.tolerance + 1e-5) << part.device << " " << value;
      ++drawn;
    }
    EXPECT_EQ(drawn, 3) << part.device;
  }
}

}  // namespace
}  // namespace tavrin::output
