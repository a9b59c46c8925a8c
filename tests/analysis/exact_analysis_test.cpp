// The analysis of a built stage is its circuit's own transfer function for any positive
// values: every catalogue circuit against a nodal solve of the subcircuit the netlist
// writer emits for it, with every component drawn on its own (no design relation kept).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/CircuitAnalysis.h"
#include "analysis/ComponentSets.h"
#include "analysis/StagePolynomials.h"
#include "circuits/Catalogue.h"
#include "circuits/CircuitEquations.h"
#include "circuits/DesignStage.h"
#include "circuits/StandardValues.h"
#include "core/DesignState.h"
#include "output/Subcircuit.h"
#include "support/NgspiceBench.h"
#include "support/NodalSolve.h"

namespace tavrin {
namespace {

using analysis_test::CircuitCase;
using analysis_test::ComponentSet;
using test_support::ComplexL;
using test_support::NodalResponse;
using test_support::OpAmpModel;
using test_support::ParseSpiceNumber;
using test_support::ParseStageNetwork;

std::complex<double> Narrow(const ComplexL& z) {
  return {static_cast<double>(z.real()), static_cast<double>(z.imag())};
}

// ---------------------------------------------------------------------------------------
// The nodal solver on circuits solved by hand.

TEST(NodalSolveTest, HandSolvedCircuitsGiveTheirTextbookResponses) {
  const double R1 = 12e3, R2 = 47e3, C1 = 10e-9, C2 = 33e-9, A = 1e4;
  struct Case {
    const char* name;
    std::string netlist;
    OpAmpModel model;
    std::complex<double> (*expected)(std::complex<double> s, double R1, double R2, double C1, double C2,
                                     double A);
  };
  const std::string r1 = test_support::Exact(R1), r2 = test_support::Exact(R2);
  const std::string c1 = test_support::Exact(C1), c2 = test_support::Exact(C2);
  const Case cases[] = {
      {"RC divider",
       "R1 1 2 " + r1 + "\nC1 2 0 " + c1 + "\n",
       {},
       [](std::complex<double> s, double r, double, double c, double, double) {
         return 1.0 / (1.0 + s * r * c);
       }},
      {"inverting amplifier, nullor",
       ".SUBCKT AMP 1 2\nR1 1 3 " + r1 + "\nR2 3 2 " + r2 + "\nXA1 0 3 2 OP\n",
       {},
       [](std::complex<double>, double ra, double rb, double, double, double) {
         return std::complex<double>(-rb / ra);
       }},
      // -R2/R1 / (1 + (1 + R2/R1) / A): the finite gain of the op-amp
      {"inverting amplifier, gain A",
       "R1 1 3 " + r1 + "\nR2 3 2 " + r2 + "\nXA1 0 3 2\n",
       {A},
       [](std::complex<double>, double ra, double rb, double, double, double a) {
         return std::complex<double>(-rb / ra / (1 + (1 + rb / ra) / a));
       }},
      // A / (1 + A R1 / (R1 + R2)): the non-inverting amplifier with R1 to ground
      {"non-inverting amplifier, gain A",
       "R1 3 0 " + r1 + "\nR2 2 3 " + r2 + "\nXA1 1 3 2\n",
       {A},
       [](std::complex<double>, double ra, double rb, double, double, double a) {
         return std::complex<double>(a / (1 + a * ra / (ra + rb)));
       }},
      // Unity-gain Sallen-Key lowpass: 1 / (1 + s C1 (R1 + R2) + s^2 R1 R2 C1 C2)
      {"Sallen-Key unity gain",
       "R1 1 3 " + r1 + "\nR2 3 4 " + r2 + "\nC1 4 0 " + c1 + "\nC2 2 3 " + c2 + "\nXA1 4 2 2 IDEALOP\n",
       {},
       [](std::complex<double> s, double ra, double rb, double ca, double cb, double) {
         return 1.0 / (1.0 + s * ca * (ra + rb) + s * s * ra * rb * ca * cb);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto net = ParseStageNetwork(c.netlist);
    ASSERT_TRUE(net.has_value());
    for (double w : {10.0, 1e3, 2.5e3, 1e4, 1e6}) {
      const auto h = NodalResponse(*net, w, c.model);
      ASSERT_TRUE(h.has_value()) << "w = " << w;
      const std::complex<double> want = c.expected(std::complex<double>(0, w), R1, R2, C1, C2, A);
      EXPECT_LE(std::abs(Narrow(*h) - want), 1e-13 * std::abs(want)) << "w = " << w << ": " << Narrow(*h);
    }
  }
}

TEST(NodalSolveTest, ReadsSpiceNumbersAsTheWriterWritesThem) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {{"10K", 1e4},    {"15.916K", 15916}, {"1.5MEG", 1.5e6}, {"2.2M", 2.2e-3},
                        {"22nF", 22e-9}, {"100pF", 1e-10},   {"3.3uF", 3.3e-6}, {"4.7", 4.7},
                        {"1e-9", 1e-9},  {"2G", 2e9},        {"1F", 1e-15}};
  for (const Case& c : cases) {
    const auto v = ParseSpiceNumber(c.text);
    ASSERT_TRUE(v.has_value()) << c.text;
    EXPECT_NEAR(static_cast<double>(*v), c.value, 1e-15 * c.value) << c.text;
  }
  EXPECT_FALSE(ParseSpiceNumber("RMODEL").has_value());
}

// The writer's own text, values at netlist precision: the pins of the .SUBCKT line, the
// unit-model words and the value suffixes are read as the writer means them.
TEST(NodalSolveTest, SolvesTheWritersSubcircuitText) {
  core::CircuitRecord cr;
  cr.CircuitNumber = 1;
  cr.CircuitId = static_cast<std::int16_t>(circuits::CircuitIdOf(core::ptSLP, 1));
  cr.R[1].Value = 10e3;
  cr.R[2].Value = 1.5e6;
  cr.C[1].Value = 1e-9;
  cr.C[2].Value = 22e-9;
  const std::string text = output::StageSubcircuit(cr, core::ptSLP, 3, "IDEALOP");
  const auto net = ParseStageNetwork(text);
  ASSERT_TRUE(net.has_value()) << text;
  EXPECT_EQ(net->passives.size(), 4u);
  EXPECT_EQ(net->opAmps.size(), 1u);
  for (double w : {100.0, 1e3, 1e4}) {
    const std::complex<double> s(0, w);
    const std::complex<double> want =
        1.0 / (1.0 + s * 1e-9 * (10e3 + 1.5e6) + s * s * 10e3 * 1.5e6 * 1e-9 * 22e-9);
    const auto h = NodalResponse(*net, w);
    ASSERT_TRUE(h.has_value());
    EXPECT_LE(std::abs(Narrow(*h) - want), 1e-12 * std::abs(want)) << text;
  }
}

TEST(NodalSolveTest, AFloatingNodeHasNoSolution) {
  // Node 3 hangs on a capacitor alone: at DC nothing fixes its voltage.
  const auto net = ParseStageNetwork("R1 1 2 1000\nR2 2 0 1000\nC1 2 3 1e-9\n");
  ASSERT_TRUE(net.has_value());
  EXPECT_FALSE(NodalResponse(*net, 0).has_value());
  EXPECT_TRUE(NodalResponse(*net, 1e3).has_value());
  EXPECT_FALSE(ParseStageNetwork("R1 1\n").has_value());
}

// ---------------------------------------------------------------------------------------
// Every circuit, every value on its own.

constexpr int kSetsPerCircuit = 12;
// Multiples of a frequency the values themselves set, 1 / (R * C) of the geometric means,
// so that the probe points do not lean on the analysis under test.
constexpr double kMultiples[] = {0.05, 0.2, 0.5, 0.9, 1.1, 2.0, 5.0, 20.0};
constexpr double kTolerance = 1e-9;

core::CircuitRecord RecordOf(const CircuitCase& c, const ComponentSet& s) {
  core::CircuitRecord cr;
  cr.CircuitNumber = static_cast<std::int16_t>(c.n);
  cr.CircuitId = static_cast<std::int16_t>(circuits::CircuitIdOf(c.type, c.n));
  cr.ResistorCount = static_cast<std::int16_t>(c.resistors);
  cr.CapacitorCount = static_cast<std::int16_t>(c.capacitors);
  for (std::size_t i = 1; i <= 10; ++i) cr.R[i].Value = s.R[i];
  for (std::size_t j = 1; j <= 4; ++j) cr.C[j].Value = s.C[j];
  return cr;
}

double ValueScale(const CircuitCase& c, const ComponentSet& s) {
  double logR = 0, logC = 0;
  for (int i = 1; i <= c.resistors; ++i) logR += std::log(s.R[static_cast<std::size_t>(i)]);
  for (int j = 1; j <= c.capacitors; ++j) logC += std::log(s.C[static_cast<std::size_t>(j)]);
  return 1 / std::exp(logR / c.resistors + logC / c.capacitors);
}

// The worst relative difference between the assembled +-K N(jw)/D(jw) and the nodal solve
// of the stage's template, over the probe points.
struct Comparison {
  double worst = 0;
  std::string where;
};

Comparison CompareWithNodalSolve(const CircuitCase& c, const ComponentSet& s) {
  Comparison out;
  const std::string text = output::StageSubcircuit(RecordOf(c, s), c.type, 1, "IDEALOP");
  // The writer rounds values to report precision; here the circuit gets them in full.
  const auto net = ParseStageNetwork(test_support::WithFullValues(
      text, [&s](char kind, int k) { return kind == 'R' ? s.R.at(k) : s.C.at(k); }));
  if (!net) {
    out.worst = std::numeric_limits<double>::infinity();
    out.where = "subcircuit not readable:\n" + text;
    return out;
  }
  const analysis::StagePolynomials p = analysis::BuildStagePolynomials(s.Vectors(), c.type, c.n);
  const analysis::StageParameters par = analysis::ParametersOf(p, c.type);
  for (double m : kMultiples) {
    double w = m * ValueScale(c, s);
    // Keep clear of a notch's null, where the response is the difference of two nearly
    // equal terms in either computation.
    if (par.wz && std::abs(w / *par.wz - 1) < 0.05) w *= 1.2;
    const auto reference = NodalResponse(*net, w);
    if (!reference) {
      out.worst = std::numeric_limits<double>::infinity();
      out.where = "singular nodal system at w = " + test_support::Exact(w);
      return out;
    }
    const std::complex<double> h = analysis::StageResponse(p, w);
    const double error = static_cast<double>(std::abs(ComplexL(h) - *reference) / std::abs(*reference));
    if (!(error <= out.worst)) {
      out.worst = error;
      std::ostringstream where;
      where << "w = " << test_support::Exact(w) << " rad/s: analysis " << h << ", nodal "
            << Narrow(*reference);
      out.where = where.str();
    }
  }
  return out;
}

std::string Values(const CircuitCase& c, const ComponentSet& s) {
  std::string text;
  for (int i = 1; i <= c.resistors; ++i)
    text += " R" + std::to_string(i) + "=" + test_support::Exact(s.R.at(i));
  for (int j = 1; j <= c.capacitors; ++j)
    text += " C" + std::to_string(j) + "=" + test_support::Exact(s.C.at(j));
  return text;
}

class ExactAnalysis : public ::testing::TestWithParam<CircuitCase> {};

TEST_P(ExactAnalysis, AgreesWithANodalSolveOfItsTemplate) {
  const CircuitCase& c = GetParam();
  std::mt19937_64 rng(0xe4acu + static_cast<unsigned>(100 * c.type + c.n));
  double worst = 0;
  for (int t = 1; t <= kSetsPerCircuit; ++t) {
    const ComponentSet s = analysis_test::RandomComponents(rng, c, false);
    const Comparison r = CompareWithNodalSolve(c, s);
    worst = std::max(worst, r.worst);
    EXPECT_LE(r.worst, kTolerance) << c.key << " set " << t << ", " << r.where << "\nvalues:" << Values(c, s);
  }
  RecordProperty("worst_relative_error", test_support::Exact(worst));
}

INSTANTIATE_TEST_SUITE_P(AllCircuits, ExactAnalysis, ::testing::ValuesIn(analysis_test::AllCircuitCases()),
                         [](const ::testing::TestParamInfo<CircuitCase>& paramInfo) {
                           return paramInfo.param.key;
                         });

// ---------------------------------------------------------------------------------------
// Where the design's relations hold, the exact equations give what the forms those
// relations allow gave: the values a design produces are analysed as before.

using Equations = circuits::CircuitEquations<double>;
using Vectors = analysis::WorkingVectors;

Equations KhnNotchNonInvertingInput(const Vectors& v) {
  const auto& R = v.R;
  const auto& C = v.C;
  Equations e;
  e.den[0] = R[1] * R[2] * R[5] * C[1] * C[2] / R[6];
  e.den[1] = R[2] * R[3] * C[2] * (R[5] + R[6]) / (R[6] * (R[3] + R[4]));
  e.num[0] = R[1] * R[2] * R[5] * R[7] * C[1] * C[2] / R[6] / R[8];
  e.gain = R[4] * R[9] * (R[5] + R[6]) / (R[6] * R[8] * (R[3] + R[4]));
  return e;
}

Equations KhnNotchInvertingInput(const Vectors& v) {
  const auto& R = v.R;
  const auto& C = v.C;
  Equations e;
  e.den[0] = R[6] / (R[1] * R[2] * R[5] * C[1] * C[2]);
  e.den[1] = (1 + R[6] / R[5] + R[6] / R[3]) / (1 + R[7] / R[4]) / (R[1] * C[1]);
  e.num[0] = R[6] * R[9] / (R[1] * R[2] * R[5] * R[8] * C[1] * C[2]);
  e.gain = R[5] * R[10] / R[9] / R[3];
  return e;
}

Equations BhLoop(const Vectors& v) {
  const auto& R = v.R;
  const auto& C = v.C;
  Equations e;
  e.den[0] = R[5] * R[7] * R[9] * C[1] * C[2] / R[6];
  e.den[1] = R[5] * R[7] * R[9] * C[1] / (R[6] * R[8]);
  e.gain = 1;
  return e;
}

struct RelationForm {
  const char* key;
  Equations (*evaluate)(const Vectors&);
};

const RelationForm kRelationForms[] = {
    {"SLP08",
     [](const Vectors& v) {
       const auto& R = v.R;
       const auto& C = v.C;
       Equations e;
       e.den[0] = R[1] * R[2] * R[5] * C[1] * C[2] / R[6];
       e.den[1] = R[2] * C[2] * (R[5] + R[6]) * R[3] / R[6] / (R[3] + R[4]);
       e.gain = (R[5] + R[6]) * R[4] / R[5] / (R[3] + R[4]);
       return e;
     }},
    {"SLP10",
     [](const Vectors& v) {
       const auto& R = v.R;
       const auto& C = v.C;
       Equations e;
       e.den[0] = 1 / (R[1] * R[2] * C[1] * C[2]);
       e.den[1] = 1 / (R[4] * C[1]);
       e.gain = R[1] / R[3];
       return e;
     }},
    {"SBP10",
     [](const Vectors& v) {
       const auto& R = v.R;
       const auto& C = v.C;
       Equations e;
       e.den[0] = 1 / (R[1] * R[2] * C[1] * C[2]);
       e.den[1] = 1 / (R[4] * C[1]);
       e.gain = R[4] / R[3];
       return e;
     }},
    {"SLP12", BhLoop},
    {"SHP09", BhLoop},
    {"SLPN02",
     [](const Vectors& v) {
       const auto& R = v.R;
       const auto& C = v.C;
       Equations e;
       e.den[0] = R[1] * R[2] * C[1] * (C[2] + C[3]);
       e.den[1] = (C[2] + C[3]) * (R[1] + R[2]) - R[1] * R[5] * C[1] * (R[3] + R[4]) / R[3] / R[4];
       e.num[0] = R[1] * R[1] * R[2] * C[1] * C[1] * C[2] / (R[1] * C[1] + C[3] * (R[1] + R[2]));
       e.num[1] =
           C[2] * (R[1] + R[2]) - (R[1] * C[1] + C[3] * (R[1] + R[2])) * R[4] * R[5] / R[3] / (R[4] + R[5]);
       e.gain = (1 + R[5] / R[4]) / ((1 + C[3] * (R[1] + R[2]) / R[1] / C[1]) * (C[2] + C[3]) / C[2]);
       return e;
     }},
    {"SLPN06", KhnNotchNonInvertingInput},
    {"SHPN05", KhnNotchNonInvertingInput},
    {"SN05", KhnNotchNonInvertingInput},
    {"SLPN07", KhnNotchInvertingInput},
    {"SHPN06", KhnNotchInvertingInput},
    {"SN06", KhnNotchInvertingInput},
    {"SLPN09",
     [](const Vectors& v) {
       const auto& R = v.R;
       const auto& C = v.C;
       Equations e;
       e.den[0] = R[5] * R[7] * R[8] * C[1] * C[2] / R[9];
       e.den[1] = R[5] * R[7] * R[8] * C[1] / R[6] / R[9];
       e.num[0] = R[4] * R[5] * R[7] * R[8] * C[1] * C[2] / (R[9] * (R[3] + R[4]));
       e.gain = R[4] / (R[3] + R[4]);
       return e;
     }},
    {"SHPN08",
     [](const Vectors& v) {
       const auto& R = v.R;
       const auto& C = v.C;
       Equations e;
       e.den[0] = R[5] * R[7] * R[8] * C[1] * C[2] / R[9];
       e.den[1] = R[5] * R[7] * R[8] * C[1] / R[6] / R[9];
       e.num[0] = R[5] * R[7] * R[8] * C[1] * C[2] * (R[3] + R[4]) / R[4] / R[9];
       e.gain = 1;
       return e;
     }},
    {"SN08",
     [](const Vectors& v) {
       const auto& R = v.R;
       const auto& C = v.C;
       Equations e;
       e.den[0] = R[6] * R[8] * R[10] * C[1] * C[2] / R[7];
       e.den[1] = R[6] * R[8] * R[10] * C[1] / R[9] / R[7];
       e.num[0] = R[5] * R[6] * R[8] * R[10] * C[1] * C[2] * (R[2] + R[3]) / (R[3] * R[7] * (R[4] + R[5]));
       e.gain = R[3] / (R[2] + R[3]);
       return e;
     }},
    {"SHPN04",
     [](const Vectors& v) {
       const auto& R = v.R;
       const auto& G = v.G;
       const auto& C = v.C;
       Equations e;
       const double k = 1 - R[6] / (R[6] + R[7]);
       const double g = G[1] + G[2] + G[3];
       e.den[0] = G[3] * G[4] * G[5] * (G[1] + G[2]) / (C[1] * C[2] * C[3] * g);
       e.den[1] = G[3] * G[4] * (G[1] + G[2]) * (C[1] + C[2]) / (C[1] * C[2] * C[3] * g) +
                  (G[4] * G[5] / C[1] / C[2] + G[4] * G[5] / C[1] / C[3] +
                   G[3] * G[5] * (G[1] + G[2]) / (C[1] * C[3] * g)) *
                      k;
       e.den[2] = G[4] / C[3] + G[3] * (G[1] + G[2]) / C[3] / g +
                  (G[5] / C[1] + G[4] * (C[1] + C[2]) / C[1] / C[2]) * k;
       e.num[0] = G[1] * G[3] * G[4] * G[5] / (C[1] * C[2] * C[3] * g);
       e.num[1] = G[1] * G[3] * G[4] * (C[1] + C[2]) / (C[1] * C[2] * C[3] * g);
       e.num[2] = G[4] / C[3] + G[3] * (G[1] + G[2]) / (C[3] * g);
       e.gain = 1;
       return e;
     }},
};

const CircuitCase& CaseOf(const std::string& key) {
  static const std::vector<CircuitCase> all = analysis_test::AllCircuitCases();
  return *std::find_if(all.begin(), all.end(), [&key](const CircuitCase& c) { return c.key == key; });
}

TEST(ExactAnalysisTest, WithTheDesignRelationsKeptTheFormsAgree) {
  constexpr double kClose = 1e-12;
  EXPECT_EQ(std::size(kRelationForms), 16u);
  std::mt19937_64 rng(0x4e1au);
  for (const RelationForm& f : kRelationForms) {
    const CircuitCase& c = CaseOf(f.key);
    const circuits::AnalysisEntry* entry = analysis::FindAnalysis(c.type, c.n);
    ASSERT_NE(entry, nullptr) << f.key;
    double worst = 0;
    for (int t = 0; t < 200; ++t) {
      const ComponentSet s = analysis_test::RandomComponents(rng, c, true);
      const Vectors v = s.Vectors();
      const Equations now = entry->evaluate(v);
      const Equations before = f.evaluate(v);
      // The s-term of a notch, lowpass or highpass numerator (index 1) is what the
      // relations cancel: the old forms leave it out or give it as rounding residue.  It is
      // measured against the size it would have at the pole frequency, w = 1 / sqrt(tau2)
      // of the time-constant circuits that have one: tau1 against 1/w, the highpass's s
      // coefficient against w.
      double sTermScale = 0;
      if (entry->form == circuits::CoefficientForm::TimeConstant) {
        const double w = 1 / std::sqrt(now.den[0]);
        sTermScale = c.type == core::ptSHP ? w : 1 / w;
      }
      auto relative = [](double a, double b, double floor = 0) {
        const double scale = std::max(std::abs(b), floor);
        return scale == 0 ? std::abs(a) : std::abs(a - b) / scale;
      };
      SCOPED_TRACE(std::string(f.key) + ":" + Values(c, s));
      for (std::size_t i = 0; i < 3; ++i) {
        const double den = relative(now.den[i], before.den[i]);
        const double num = relative(now.num[i], before.num[i], i == 1 ? sTermScale : 0);
        EXPECT_LE(den, kClose) << "den[" << i << "] " << now.den[i] << " against " << before.den[i];
        EXPECT_LE(num, kClose) << "num[" << i << "] " << now.num[i] << " against " << before.num[i];
        worst = std::max({worst, den, num});
      }
      EXPECT_LE(relative(now.gain, before.gain), kClose) << "K";
      worst = std::max(worst, relative(now.gain, before.gain));
    }
    RecordProperty(std::string("worst_") + f.key, test_support::Exact(worst));
  }
}

// A true notch has no s-term in its zero pair, but its depth still depends on the
// components that balance it: the Berka-Herpy notches, whose s-term the analysis used to
// leave out, now have a notch-depth sensitivity, led by the resistor their design fixes
// last to balance the notch (R1; R8 in SN08).
TEST(ExactAnalysisTest, BerkaHerpyNotchesHaveANotchDepthSensitivity) {
  struct Case {
    const char* key;
    int balancing;  // the resistor the design solves for the balance
  };
  const Case cases[] = {{"SLPN09", 1}, {"SHPN08", 1}, {"SN08", 8}};
  std::mt19937_64 rng(0xde97u);
  const std::size_t slot = static_cast<std::size_t>(circuits::SensSlotOfCode(7));
  for (const Case& k : cases) {
    const CircuitCase& c = CaseOf(k.key);
    for (int t = 0; t < 5; ++t) {
      const ComponentSet s = analysis_test::RandomComponents(rng, c, true);
      SCOPED_TRACE(std::string(k.key) + ":" + Values(c, s));
      const analysis::StagePolynomials p = analysis::BuildStagePolynomials(s.Vectors(), c.type, c.n);
      EXPECT_LE(std::abs(p.a[1]), 1e-12 * std::sqrt(p.a[0] * p.a[2])) << "the relations make a true notch";
      core::CircuitRecord cr = RecordOf(c, s);
      circuits::FillSensitivities(cr, c.type);
      int moving = 0;
      for (int i = 1; i <= c.resistors; ++i)
        if (cr.R[static_cast<std::size_t>(i)].Sens[slot] != 0) ++moving;
      EXPECT_GE(moving, 6);
      EXPECT_NE(cr.R[static_cast<std::size_t>(k.balancing)].Sens[slot], 0);
    }
  }
}

}  // namespace
}  // namespace tavrin
