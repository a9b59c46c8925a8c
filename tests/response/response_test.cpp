#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <memory>
#include <vector>

#include "core/MathHelpers.h"
#include "core/NumberFormat.h"
#include "response/IdealResponse.h"
#include "response/PointCalculator.h"
#include "response/ResponseSetup.h"
#include "response/TimeResponse.h"

namespace tavrin::response {
namespace {

using core::DesignState;
using core::FilterKind;
using core::kPi;
using Complex = std::complex<double>;

struct Pair {
  double sigma, omega;
};

// A slot built from roots: pole pairs, optional single poles, zero pairs (wz, 0 for a
// double zero at the origin) and a gain constant.  Independent evaluations below use the
// same roots through std::complex.
struct Design {
  std::vector<Pair> pairs;
  std::vector<double> singles;
  std::vector<double> zeros;
  double gain = 1;
};

std::unique_ptr<DesignState> Load(const Design& d, int slot, FilterKind kind = FilterKind::Highpass) {
  auto s = std::make_unique<DesignState>();
  s->spec.kind = kind;
  s->spec.overallGain = 1;
  s->spec.wpb = 1;
  s->spec.bp = 1;
  core::ApproxResult& r = s->results[slot];
  r.polePairs = static_cast<std::int16_t>(d.pairs.size());
  for (std::size_t k = 0; k < d.pairs.size(); ++k) {
    const Pair& p = d.pairs[k];
    auto& root = s->poleRoots[slot][k + 1];
    root.sigma = p.sigma;
    root.omega = p.omega;
    auto& pair = s->polePairs[slot][k + 1];
    pair.b1 = 2 * p.sigma;
    pair.b0 = p.sigma * p.sigma + p.omega * p.omega;
    pair.w0 = std::sqrt(pair.b0);
    pair.Q = pair.w0 / pair.b1;
  }
  r.hasRealPole = !d.singles.empty();
  r.hasSecondRealPole = d.singles.size() > 1;
  if (!d.singles.empty()) r.realPole = d.singles[0];
  if (d.singles.size() > 1) r.secondRealPole = d.singles[1];
  r.zeroPairs = static_cast<std::int16_t>(d.zeros.size());
  for (std::size_t k = 0; k < d.zeros.size(); ++k) {
    s->zeroRoots[slot][k + 1].wz = d.zeros[k];
    s->zeroPairs[slot][k + 1].wz2 = d.zeros[k] * d.zeros[k];
  }
  r.gain = d.gain;
  core::SetCurrentSlot(*s, slot);
  s->chosenSlot = static_cast<std::int16_t>(slot);
  return s;
}

Complex H(const Design& d, Complex s) {
  Complex h = d.gain;
  for (const Pair& p : d.pairs) h /= (s - Complex(-p.sigma, p.omega)) * (s - Complex(-p.sigma, -p.omega));
  for (double p : d.singles) h /= s + p;
  for (double wz : d.zeros) h *= (s - Complex(0, wz)) * (s + Complex(0, wz));
  return h;
}

Design Butterworth5() {
  return Design{{{std::cos(kPi / 5), std::sin(kPi / 5)}, {std::cos(2 * kPi / 5), std::sin(2 * kPi / 5)}}, {1.0}, {}, 1};
}

// An elliptic-like third order: a pole pair, a real pole and a notch above the passband,
// scaled to unity gain at DC.
Design NotchedThirdOrder() {
  Design d{{{0.3, 1.1}}, {0.8}, {2.2}, 1};
  d.gain = 1 / std::abs(H(d, 0.0));
  return d;
}

void LogGrid(DesignState& s, double start, double stop) {
  s.frequencyUnit = core::FrequencyUnit::RadPerSec;
  s.idealAxes.freqStart = start;
  s.idealAxes.freqStop = stop;
  s.idealAxes.logarithmic = true;
  ComputeFrequencyGrid(s);
}

TEST(IdealGain, UnitPolePairAndAgreementWithDirectEvaluation) {
  const Design unit{{{0.5, std::sqrt(0.75)}}, {}, {}, 1};  // s^2 + s + 1
  auto s = Load(unit, 3);
  EXPECT_NEAR(IdealGainAt(*s, 3, 1e-9), 1.0, 1e-15);
  EXPECT_EQ(IdealGainAt(*s, 3, 1.0), 1.0);

  for (const Design& d : {Butterworth5(), NotchedThirdOrder(), Design{{{0.2, 3}, {1, 1}}, {0.5, 2}, {0, 5}, 7}}) {
    auto t = Load(d, 2);
    for (double w : {0.01, 0.3, 0.99, 1.7, 4.0, 30.0})
      EXPECT_NEAR(IdealGainAt(*t, 2, w) / std::abs(H(d, Complex(0, w))), 1.0, 1e-12) << w;
  }
}

TEST(IdealGain, FloorAndNotchMarks) {
  Design d = NotchedThirdOrder();
  d.gain = 0;
  auto s = Load(d, 3);
  LogGrid(*s, 0.1, 10);
  ComputeIdealGain(*s, 0, 350);
  EXPECT_EQ(s->idealCurves[3][17].gainDb, -400.0);

  auto n = Load(NotchedThirdOrder(), 3);
  LogGrid(*n, 0.1, 10);
  ComputeIdealGain(*n, 0, 350);
  MarkTransmissionZeros(*n);
  // log grid: index = 350 * log10(2.2 / 0.1) / 2 = 234.9...
  const int nearest = static_cast<int>(std::lround(350 * std::log10(22.0) / 2));
  EXPECT_EQ(n->idealCurves[3][nearest].gainVv, 0.0);
  EXPECT_EQ(n->idealCurves[3][nearest].gainDb, -200.0);
  EXPECT_GT(n->idealCurves[3][nearest - 1].gainVv, 0.0);
  EXPECT_GT(n->idealCurves[3][nearest + 1].gainVv, 0.0);
  int marked = 0;
  for (int i = 0; i <= 350; ++i) marked += n->idealCurves[3][i].gainDb == -200.0;
  EXPECT_EQ(marked, 1);
}

TEST(IdealGain, AxisRangingFromTheLargestGain) {
  struct {
    double peak;
    bool forced;
    double asb;
    double vvTop, dbTop, dbBottom;
  } cases[] = {
      {1.0, false, 40, 1.2, 10, -50},      // 1.05 -> 11 -> 12
      {1.0, true, 40, 1.2, 10, -30},       // forced order: top - 40
      {1.0, false, 200, 1.2, 10, -180},    // never below -180
      {3.0, false, 60, 3.5, 20, -70},      // 3.15 -> 32 -> 35
      {0.01, false, 30, 0.012, -30, -40},  // 0.0105 -> 11 -> 12
      {7.0, false, 30, 8.0, 20, -40},      // 7.35 -> 74 -> 80
  };
  for (const auto& c : cases) {
    Design d{{{1.0, 0.0}}, {}, {}, c.peak};  // (s + 1)^2: the largest gain is K, at DC
    auto s = Load(d, 3);
    s->spec.forceOrder = c.forced;
    s->spec.asb = c.asb;
    LogGrid(*s, 0.01, 1.0);  // the peak gain K is reached at the low end
    s->frequencyGrid[0].rad = 0;
    ComputeIdealGain(*s, 0, 350);
    EXPECT_NEAR(s->idealAxes.vvTop, c.vvTop, 1e-12) << c.peak;
    EXPECT_EQ(s->idealAxes.dbTop, c.dbTop) << c.peak;
    EXPECT_EQ(s->idealAxes.dbBottom, c.dbBottom) << c.peak;
  }
}

TEST(IdealGain, SinglePointAndLockedRangeLeaveTheAxes) {
  auto s = Load(Butterworth5(), 0, FilterKind::Lowpass);
  LogGrid(*s, 0.1, 10);
  s->idealAxes.vvTop = 0.5;
  s->idealAxes.phaseTop = 0;
  s->idealAxes.delayTop = 0;
  ComputeIdealGain(*s, 0, 0);
  ComputeIdealPhase(*s, 0, 0);
  ComputeIdealDelay(*s, 0, 0);
  EXPECT_EQ(s->idealAxes.vvTop, 0.5);
  EXPECT_EQ(s->idealAxes.phaseTop, 0);
  EXPECT_EQ(s->idealAxes.delayTop, 0);
  s->idealAxes.rangeLocked = true;
  ComputeIdealGain(*s, 0, 350);
  EXPECT_EQ(s->idealAxes.vvTop, 0.5);
}

TEST(IdealPhase, FifthOrderLagRisesSmoothlyTowardFourHundredFifty) {
  auto s = Load(Butterworth5(), 0, FilterKind::Lowpass);
  LogGrid(*s, 0.01, 1000);
  s->idealAxes.phaseTop = 0;
  s->idealAxes.phaseBottom = 1000;
  ComputeIdealPhase(*s, 0, 350);
  double previous = -1;
  for (int i = 0; i <= 350; ++i) {
    const double lag = s->idealCurves[0][i].phaseLag;
    EXPECT_GT(lag, previous) << i;
    EXPECT_LT(lag - previous, 10.0) << i;  // no jumps
    previous = lag;
  }
  EXPECT_NEAR(s->idealCurves[0][350].phaseLag, 450, 0.5);
  EXPECT_NEAR(s->idealCurves[0][140].phaseLag, 225, 1e-9);  // half the final lag at w = 1
  EXPECT_EQ(s->idealAxes.phaseTop, 540);
  EXPECT_EQ(s->idealAxes.phaseBottom, 0);
}

TEST(IdealPhase, AZeroPairStepsTheLagBackByHalfATurn) {
  const Design d = NotchedThirdOrder();
  auto s = Load(d, 3);
  const double below = IdealPhaseLagAt(*s, 3, 2.2 * (1 - 1e-9));
  const double above = IdealPhaseLagAt(*s, 3, 2.2 * (1 + 1e-9));
  EXPECT_NEAR(below - above, 180, 1e-6);
  // Away from the notch the lag is the negated argument of H(jw), modulo a full turn.
  for (double w : {0.2, 1.0, 3.0, 10.0}) {
    const double lag = IdealPhaseLagAt(*s, 3, w);
    const double arg = -std::arg(H(d, Complex(0, w))) * 180 / kPi;
    EXPECT_NEAR(std::remainder(lag - arg, 360.0), 0.0, 1e-9) << w;
  }
}

TEST(IdealDelay, MatchesTheDerivativeOfTheUnwrappedPhase) {
  for (const Design& d : {Butterworth5(), NotchedThirdOrder(), Design{{{0.05, 1.0}, {0.4, 0.8}}, {}, {}, 1}}) {
    auto s = Load(d, 2);
    for (double w : {0.1, 0.5, 0.95, 1.3, 5.0}) {
      // Central difference of arg H(jw), computed without the code under test.
      const double h = 1e-6 * w;
      double dphi = std::arg(H(d, Complex(0, w + h)) / H(d, Complex(0, w - h)));
      const double numeric = -dphi / (2 * h);
      EXPECT_NEAR(IdealDelayAt(*s, 2, w) / numeric, 1.0, 1e-6) << w;
    }
  }
}

TEST(IdealDelay, AxisTopRoundsUpInTicks) {
  // A single real pole p has its largest delay, 1/p, at DC.
  struct {
    double peak;
    double top;
    int exponent;
  } cases[] = {
      {1.23e-3, 1.4e-3, -3},  // 1.23 -> tick 0.2
      {4.0, 4.5, 0},          // tick 0.5
      {0.07, 0.08, -2},       // 7 -> tick 1
      {30.5, 31.0, 0},        // above 10 s: left in seconds
  };
  for (const auto& c : cases) {
    auto s = Load(Design{{}, {1 / c.peak}, {}, 1}, 2);
    LogGrid(*s, 1e-9, 1e-6);
    s->idealAxes.delayTop = 0;
    ComputeIdealDelay(*s, 0, 350);
    EXPECT_NEAR(s->idealAxes.delayTop, c.top, 1e-12 * c.top) << c.peak;
    EXPECT_EQ(s->idealAxes.delayExponent, c.exponent) << c.peak;
  }
}

// Integrates the cascade's state equations with small fixed RK4 steps: no residues.
std::vector<double> IntegrateStep(const Design& d, double dt, double tEnd, double sampleEvery) {
  struct Section {
    std::function<void(const double*, double, double*)> f;  // x' = f(x, u)
    std::function<double(const double*, double)> y;
    int n;
  };
  std::vector<Section> sections;
  std::vector<Pair> pairs = d.pairs;
  std::vector<double> zeros = d.zeros;
  for (std::size_t k = 0; k < pairs.size(); ++k) {
    const double a = 2 * pairs[k].sigma, b = pairs[k].sigma * pairs[k].sigma + pairs[k].omega * pairs[k].omega;
    if (k < zeros.size()) {
      const double z2 = zeros[k] * zeros[k];
      sections.push_back({[a, b](const double* x, double u, double* dx) { dx[0] = x[1]; dx[1] = -b * x[0] - a * x[1] + u; },
                          [a, b, z2](const double* x, double u) { return (z2 - b) * x[0] - a * x[1] + u; }, 2});
    } else {
      sections.push_back({[a, b](const double* x, double u, double* dx) { dx[0] = x[1]; dx[1] = -b * x[0] - a * x[1] + u; },
                          [](const double* x, double) { return x[0]; }, 2});
    }
  }
  for (double p : d.singles)
    sections.push_back({[p](const double* x, double u, double* dx) { dx[0] = -p * x[0] + u; },
                        [](const double* x, double) { return x[0]; }, 1});
  std::vector<std::vector<double>> x(sections.size(), std::vector<double>(2, 0.0));
  const auto derivative = [&](const std::vector<std::vector<double>>& xs, std::vector<std::vector<double>>& dx) {
    double u = 1.0;
    for (std::size_t i = 0; i < sections.size(); ++i) {
      sections[i].f(xs[i].data(), u, dx[i].data());
      u = sections[i].y(xs[i].data(), u);
    }
  };
  const auto output = [&](const std::vector<std::vector<double>>& xs) {
    double u = 1.0;
    for (std::size_t i = 0; i < sections.size(); ++i) u = sections[i].y(xs[i].data(), u);
    return u * d.gain;
  };
  std::vector<double> samples;
  const int perSample = static_cast<int>(std::lround(sampleEvery / dt));
  const int steps = static_cast<int>(std::lround(tEnd / dt));
  auto k1 = x, k2 = x, k3 = x, k4 = x, tmp = x;
  for (int step = 0; step <= steps; ++step) {
    if (step % perSample == 0) samples.push_back(output(x));
    derivative(x, k1);
    for (std::size_t i = 0; i < x.size(); ++i)
      for (int j = 0; j < 2; ++j) tmp[i][j] = x[i][j] + 0.5 * dt * k1[i][j];
    derivative(tmp, k2);
    for (std::size_t i = 0; i < x.size(); ++i)
      for (int j = 0; j < 2; ++j) tmp[i][j] = x[i][j] + 0.5 * dt * k2[i][j];
    derivative(tmp, k3);
    for (std::size_t i = 0; i < x.size(); ++i)
      for (int j = 0; j < 2; ++j) tmp[i][j] = x[i][j] + dt * k3[i][j];
    derivative(tmp, k4);
    for (std::size_t i = 0; i < x.size(); ++i)
      for (int j = 0; j < 2; ++j) x[i][j] += dt / 6 * (k1[i][j] + 2 * k2[i][j] + 2 * k3[i][j] + k4[i][j]);
  }
  return samples;
}

TEST(StepResponse, FirstOrderInClosedForm) {
  auto s = Load(Design{{}, {1.0}, {}, 1}, 2);
  const int last = ComputeResidues(*s);
  EXPECT_EQ(last, 1);
  EXPECT_NEAR(s->poleRoots[2][0].residueMagnitude, 1, 1e-15);
  EXPECT_NEAR(s->poleRoots[2][0].residueAngle, 0, 1e-15);
  EXPECT_NEAR(s->poleRoots[2][1].residueMagnitude, 1, 1e-15);
  EXPECT_NEAR(std::fabs(s->poleRoots[2][1].residueAngle), kPi, 1e-15);
  s->idealAxes.timeSpan = 8;
  s->idealAxes.timeExponent = 0;
  ComputeTimeGrid(*s);
  ComputeStepResponse(*s, 0, 350);
  ComputeImpulseResponse(*s, 0, 350);
  for (int i : {0, 10, 100, 350}) {
    const double t = s->timeGrid[i];
    EXPECT_NEAR(s->idealCurves[2][i].step, 1 - std::exp(-t), 1e-14) << t;
    EXPECT_NEAR(s->idealCurves[2][i].impulse, std::exp(-t), 1e-14) << t;
  }
}

TEST(StepResponse, AgreesWithDirectIntegrationOfTheCascade) {
  const Design second{{{0.25, std::sqrt(1 - 0.0625)}}, {}, {}, 1};  // Q = 2, unity DC gain
  for (const Design& d : {second, Butterworth5(), NotchedThirdOrder()}) {
    auto s = Load(d, 2);
    s->idealAxes.timeSpan = 35;
    s->idealAxes.timeExponent = 0;
    ComputeTimeGrid(*s);
    ComputeStepResponse(*s, 0, 350);
    const double dtSample = 35.0 / 350;
    const std::vector<double> ref = IntegrateStep(d, dtSample / 200, 35.0, dtSample);
    ASSERT_EQ(ref.size(), 351u);
    for (int i = 0; i <= 350; ++i) EXPECT_NEAR(s->idealCurves[2][i].step, ref[static_cast<std::size_t>(i)], 1e-9) << i;
    // The impulse response is the slope of the step response.
    ComputeImpulseResponse(*s, 0, 350);
    for (int i = 1; i < 350; i += 7) {
      const double slope = (ref[static_cast<std::size_t>(i + 1)] - ref[static_cast<std::size_t>(i - 1)]) / (2 * dtSample);
      EXPECT_NEAR(s->idealCurves[2][i].impulse, slope, 2e-3) << i;
    }
  }
}

TEST(StepResponse, HighpassStartsAtItsHighFrequencyGainAndDecaysToZero) {
  const Design hp{{{0.5, std::sqrt(0.75)}}, {}, {0.0}, 1};  // s^2 / (s^2 + s + 1)
  auto s = Load(hp, 0);
  EXPECT_EQ(ComputeResidues(*s), 1);
  EXPECT_EQ(s->poleRoots[0][0].residueMagnitude, 0);
  s->idealAxes.timeSpan = 40;
  ComputeTimeGrid(*s);
  ComputeStepResponse(*s, 0, 350);
  EXPECT_NEAR(s->idealCurves[0][0].step, 1.0, 1e-12);
  EXPECT_NEAR(s->idealCurves[0][350].step, 0.0, 1e-7);
}

TEST(StepResponse, LowpassStartsAtZeroAndTheAxesFollow) {
  auto s = Load(Butterworth5(), 0, FilterKind::Lowpass);
  s->idealAxes.timeSpan = 20;
  ComputeTimeGrid(*s);
  ResetStepAxis(*s);
  ResetImpulseAxis(*s);
  ComputeStepResponse(*s, 0, 350);
  ComputeImpulseResponse(*s, 0, 350);
  EXPECT_NEAR(s->idealCurves[0][0].step, 0.0, 1e-12);
  // Overshoot of about 13 %: span 1.13 -> tick 0.2 -> top 1.2, bottom 0.
  EXPECT_NEAR(s->idealAxes.stepMax, 1.2, 1e-12);
  // The value at t = 0 is zero within rounding; a rounding below zero opens one tick.
  EXPECT_TRUE(s->idealAxes.stepMin == 0 || std::fabs(s->idealAxes.stepMin + 0.2) < 1e-12) << s->idealAxes.stepMin;
  EXPECT_EQ(s->idealAxes.impulseExponent, -1);
  EXPECT_GT(s->idealAxes.impulseMax, 0);
  EXPECT_LE(s->idealAxes.impulseMin, 0);
  EXPECT_EQ(ImpulseAxisTitle(*s), "Impulse Response (X1e-1 volts)");
}

TEST(TimeAxis, DefaultFromTheSlowestApproximation) {
  auto s = Load(Butterworth5(), 0, FilterKind::Lowpass);
  s->lastSlot = 0;
  DefaultTimeAxis(*s);
  // P = 2: T = (199 - 38) / (12 * sigma_2) / 3 with sigma_2 = cos(72 deg)
  const double t = (199.0 - 38) / (12 * std::cos(2 * kPi / 5)) / 3;  // 14.47
  EXPECT_GT(t, 10);
  EXPECT_EQ(s->idealAxes.timeExponent, 1);
  EXPECT_EQ(s->idealAxes.timeMax, 2);
  EXPECT_EQ(s->idealAxes.timeTick, 0.2);
  EXPECT_NEAR(s->idealAxes.timeSpan, 0.8, 1e-15);
  EXPECT_EQ(TimeAxisTitle(*s), "Time (X1e1 s)");
  ComputeTimeGrid(*s);
  EXPECT_NEAR(s->timeGrid[350], 8.0, 1e-12);
}

TEST(ResponseSetup, DefaultRangeRoundsTheStartDown) {
  struct {
    FilterKind kind;
    double edge;  // wpb or w0, rad/s
    core::FrequencyUnit unit;
    double start, stop, low, high;
  } cases[] = {
      {FilterKind::Lowpass, core::kTwoPi * 1000, core::FrequencyUnit::Hz, 100, 10000, 1, 1e5},
      {FilterKind::Highpass, core::kTwoPi * 3300, core::FrequencyUnit::Hz, 300, 33000, 1, 1e5},
      {FilterKind::Bandpass, core::kTwoPi * 5000, core::FrequencyUnit::Hz, 2000, 10000, 10, 1e6},
      {FilterKind::Lowpass, 1000, core::FrequencyUnit::RadPerSec, 100, 10000, 1, 1e5},
  };
  for (const auto& c : cases) {
    auto s = Load(Butterworth5(), 0, c.kind);
    s->spec.wpb = s->spec.w0 = c.edge;
    s->frequencyUnit = c.unit;
    s->lastSlot = 0;
    SetUpResponseAxes(*s);
    EXPECT_NEAR(s->idealAxes.freqStart, c.start, 1e-9 * c.start);
    EXPECT_NEAR(s->idealAxes.freqStop, c.stop, 1e-9 * c.stop);
    EXPECT_NEAR(s->idealAxes.freqLimitLow, c.low, 1e-12 * c.low);
    EXPECT_NEAR(s->idealAxes.freqLimitHigh, c.high, 1e-12 * c.high);
    EXPECT_EQ(s->finalAxes.freqStart, s->idealAxes.freqStart);
    EXPECT_NEAR(s->frequencyGrid[350].hz, c.unit == core::FrequencyUnit::Hz ? c.stop : c.stop / core::kTwoPi,
                1e-9 * c.stop);
  }
  auto s = Load(Butterworth5(), 0);
  s->spec.overallGain = 2;
  StoreGainLevel(*s);
  EXPECT_NEAR(s->idealAxes.level3dBVv, std::sqrt(2.0), 1e-15);
  EXPECT_NEAR(s->idealAxes.level3dBDb, 20 * std::log10(std::sqrt(2.0)), 1e-12);
}

TEST(PointCalculator, ValuesAtOnePointLeaveTheCurvesAlone) {
  auto s = Load(NotchedThirdOrder(), 3);
  s->results[0] = s->results[3];
  s->results[0].tooHigh = true;  // only slot 3 has a result among 0..4 besides empty ones
  for (int slot : {1, 2, 4}) s->results[slot].tooHigh = true;
  LogGrid(*s, 0.1, 10);
  ComputeIdealGain(*s, 0, 350);
  ComputeIdealPhase(*s, 0, 350);
  const auto gridBefore = s->frequencyGrid;
  const auto curvesBefore = s->idealCurves;
  PointOptions o;
  o.viewAll = true;
  o.gainInDb = false;
  const auto gain = EvaluatePoint(*s, ResponseTab::Gain, 1.0, o);
  ASSERT_EQ(gain.size(), 1u);
  EXPECT_EQ(gain[0].slot, 3);
  EXPECT_EQ(gain[0].text, core::FormatScientific(std::abs(H(NotchedThirdOrder(), Complex(0, 1.0))), 8, 7) + "  V/V");
  const auto phase = EvaluatePoint(*s, ResponseTab::Phase, 1.0, o);
  EXPECT_EQ(phase[0].text.substr(0, 1), "-");
  EXPECT_EQ(phase[0].text.substr(phase[0].text.size() - 5), "  deg");
  for (int i = 0; i <= 350; ++i) {
    EXPECT_EQ(s->frequencyGrid[i].rad, gridBefore[i].rad);
    EXPECT_EQ(s->idealCurves[3][i].gainVv, curvesBefore[3][i].gainVv);
    EXPECT_EQ(s->idealCurves[3][i].phaseLag, curvesBefore[3][i].phaseLag);
  }
  EXPECT_EQ(s->currentSlot, 3);
  o.viewAll = false;
  s->chosenSlot = 3;
  EXPECT_EQ(EvaluatePoint(*s, ResponseTab::Delay, 2.0, o).size(), 1u);
}

TEST(PointCalculator, AHighpassShowsALeadBelowItsPassband) {
  const Design hp{{{0.5, std::sqrt(0.75)}}, {}, {0.0}, 1};
  auto s = Load(hp, 0);
  PointOptions o;
  o.viewAll = false;
  const auto lines = EvaluatePoint(*s, ResponseTab::Phase, 0.01 / core::kTwoPi, o);  // Hz display
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].text[0], '-');
  EXPECT_NEAR(core::ParseReal(lines[0].text.substr(0, lines[0].text.size() - 5)), 179.4, 0.1);
}

TEST(PointCalculator, PixelsAndEntryTexts) {
  EXPECT_DOUBLE_EQ(FrequencyAtPixel(40, 40, 500, 100, 10000, true), 100);
  EXPECT_NEAR(FrequencyAtPixel(540, 40, 500, 100, 10000, true), 10000, 1e-9);
  EXPECT_NEAR(FrequencyAtPixel(290, 40, 500, 100, 10000, true), 1000, 1e-9);
  EXPECT_DOUBLE_EQ(FrequencyAtPixel(290, 40, 500, 100, 10000, false), 5050);
  EXPECT_DOUBLE_EQ(TimeAtPixel(290, 40, 500, 0.8), 0.4);
  EXPECT_EQ(FrequencyEntryText(1234.56), "1235");
  EXPECT_EQ(FrequencyEntryText(123.456), "123.5");
  EXPECT_EQ(FrequencyEntryText(12.3456), "12.35");
  EXPECT_EQ(FrequencyEntryText(1.23456), "1.235");
  EXPECT_EQ(FrequencyEntryText(0.123456), "0.1235");
  EXPECT_EQ(TimeEntryText(0.4), "0.400");
}

}  // namespace
}  // namespace tavrin::response

namespace tavrin::response {
namespace {

TEST(PrintResolution, CurvesGoToTheirOwnTableAndTheScreenGridComesBack) {
  auto s = Load(Butterworth5(), 0, FilterKind::Lowpass);
  LogGrid(*s, 0.1, 10);
  s->idealAxes.timeSpan = 20;
  ComputeTimeGrid(*s);
  ComputeIdealGain(*s, 0, 350);
  ComputeStepResponse(*s, 0, 350);
  const auto screen = s->idealCurves;
  const auto screenGrid = s->frequencyGrid;

  EnterPrintResolution(*s, 1200);
  EXPECT_EQ(s->gridN, 1200);
  ASSERT_EQ(s->printCurves.size(), 1201u);
  EXPECT_NEAR(s->frequencyGrid[1200].rad, 10, 1e-12);
  EXPECT_NEAR(s->frequencyGrid[600].rad, 1, 1e-12);
  EXPECT_NEAR(s->timeGrid[1200], 20, 1e-12);
  ComputeIdealGain(*s, 0, 1200);
  ComputeStepResponse(*s, 0, 1200);
  EXPECT_NEAR(s->printCurves[600].gainVv, 1 / std::sqrt(2.0), 1e-12);  // -3 dB at the edge
  EXPECT_NEAR(s->printCurves[1200].step, screen[0][350].step, 1e-15);  // the same instant, t = 20
  for (int i = 0; i <= 350; ++i) EXPECT_EQ(s->idealCurves[0][i].gainVv, screen[0][i].gainVv);

  LeavePrintResolution(*s);
  EXPECT_EQ(s->gridN, 350);
  EXPECT_TRUE(s->printCurves.empty());
  for (int i = 0; i <= 350; ++i) EXPECT_EQ(s->frequencyGrid[i].rad, screenGrid[i].rad);
  EXPECT_NEAR(s->timeGrid[350], 20, 1e-12);
}

}  // namespace
}  // namespace tavrin::response
