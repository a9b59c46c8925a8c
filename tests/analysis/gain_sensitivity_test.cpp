// The gain sensitivities of a stage: dB of |H(jw)| per relative change of wp, Qp, wz and a
// cubic circuit's extra pole.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>

#include "analysis/GainSensitivity.h"

namespace tavrin::analysis {
namespace {

core::Stage MakeStage(int type, double wp, double qp, double wz = 0) {
  core::Stage st;
  st.type = static_cast<std::uint8_t>(type);
  st.wp = wp;
  st.Qp = qp;
  st.wz = wz;
  st.p = (type == core::ptFLP || type == core::ptFHP) ? wp : 0;
  return st;
}

TEST(StageGainSensitivitiesTest, ValuesAtThePoleFrequency) {
  // A lowpass with Qp = 0.707 at w = wp: D = 1, both 8.68.
  const GainSensitivities lp = StageGainSensitivities(MakeStage(core::ptSLP, 1000, 0.707), 1000);
  EXPECT_NEAR(lp.wp, 8.68, 1e-12);
  EXPECT_NEAR(lp.Qp, 8.68, 1e-12);
  EXPECT_EQ(lp.wz, 0);
  EXPECT_EQ(lp.pole, 0);
  // A bandpass at its centre depends on neither.
  const GainSensitivities bp = StageGainSensitivities(MakeStage(core::ptSBP, 1000, 5), 1000);
  EXPECT_EQ(bp.wp, 0);
  EXPECT_EQ(bp.Qp, 0);
  // First order at the corner: half of 8.68, rising gain for a lowpass's rising pole.
  EXPECT_NEAR(StageGainSensitivities(MakeStage(core::ptFLP, 1000, 0), 1000).wp, 4.34, 1e-12);
  EXPECT_NEAR(StageGainSensitivities(MakeStage(core::ptFHP, 1000, 0), 1000).wp, -4.34, 1e-12);
  // The extra pole of a cubic circuit at p = w.
  EXPECT_NEAR(StageGainSensitivities(MakeStage(core::ptSLP, 1000, 1), 1000, 1000).pole, 4.34, 1e-12);
}

// d(20 log10 |H|) / d(ln parameter) of the stage's own biquad, by central difference; the
// table's 8.68 stands for 20 / ln 10 = 8.6859, hence the 1e-3 agreement.
double NumericDb(int type, double wp, double qp, double wz, double w, int which) {
  const auto db = [&](double scale) {
    double p = wp, q = qp, z = wz;
    (which == 0 ? p : which == 1 ? q : z) *= scale;
    const std::complex<double> s(0, w);
    std::complex<double> n;
    std::complex<double> d = s * s + p / q * s + p * p;
    switch (type) {
      case core::ptFLP:
        n = p;
        d = s + p;
        break;
      case core::ptFHP:
        n = s;
        d = s + p;
        break;
      case core::ptSLP:
        n = p * p;
        break;
      case core::ptSHP:
        n = s * s;
        break;
      case core::ptSBP:
        n = p / q * s;
        break;
      default:
        n = (s * s + z * z) * (p * p) / (z * z);
        break;  // the DC gain held as wz moves
    }
    return 20 * std::log10(std::abs(n / d));
  };
  const double h = 1e-6;
  return (db(1 + h) - db(1 - h)) / (std::log1p(h) - std::log1p(-h));
}

TEST(StageGainSensitivitiesTest, EveryTypeIsTheSlopeOfItsOwnResponse) {
  const double wp = 1000;
  for (int type = core::ptFLP; type <= core::ptSN; ++type) {
    for (double qp : {0.6, 2.0, 9.0}) {
      for (double x : {0.3, 0.9, 1.05, 2.5}) {
        const bool first = type == core::ptFLP || type == core::ptFHP;
        const bool notch = type >= core::ptSLPN;
        const double wz = type == core::ptSHPN ? 0.4 * wp : type == core::ptSN ? wp : 3.1 * wp;
        SCOPED_TRACE("type " + std::to_string(type) + ", Qp " + std::to_string(qp) + ", w/wp " +
                     std::to_string(x));
        const GainSensitivities g = StageGainSensitivities(MakeStage(type, wp, qp, notch ? wz : 0), x * wp);
        const auto near = [](double actual, double expected) {
          EXPECT_NEAR(actual, expected, 1e-3 * std::abs(expected) + 1e-9);
        };
        near(g.wp, NumericDb(type, wp, qp, wz, x * wp, 0));
        if (first) continue;
        near(g.Qp, NumericDb(type, wp, qp, wz, x * wp, 1));
        // The wz figure carries the opposite sign of this slope; the spread only ever
        // takes its square, so its size is what is held to the response here.
        if (notch && std::abs(x * wp / wz - 1) > 1e-9)
          near(std::abs(g.wz), std::abs(NumericDb(type, wp, qp, wz, x * wp, 2)));
      }
    }
  }
}

}  // namespace
}  // namespace tavrin::analysis
