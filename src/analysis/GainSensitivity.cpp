#include "analysis/GainSensitivity.h"

#include <cmath>
#include <limits>

namespace tavrin::analysis {

namespace {

// 20 / ln 10 to the three figures the gain spread has always used.
constexpr double kDb = 8.68;

}  // namespace

double FirstOrderPole(const core::Stage& stage) {
  return stage.p > 0 ? stage.p : stage.wp;
}

GainSensitivities StageGainSensitivities(const core::Stage& stage, double w, double extraPole) {
  GainSensitivities g;
  const int type = stage.type & 0x7F;
  if (type == core::ptFLP || type == core::ptFHP) {
    const double wc = FirstOrderPole(stage);
    g.wp = type == core::ptFLP ? kDb / ((wc / w) * (wc / w) + 1) : -kDb / ((w / wc) * (w / wc) + 1);
    return g;
  }
  const double wp = stage.wp;
  const double q2 = stage.Qp * stage.Qp;
  const double x = w / wp;
  const double x2 = x * x;
  const double detune = wp / w - w / wp;
  const double d = 1 + q2 * detune * detune;
  switch (type) {
    case core::ptSHP:
      g.wp = -kDb * (1 - 2 * q2 * (1 - 1 / x2)) / d;
      g.Qp = kDb / d;
      break;
    case core::ptSBP:
      g.wp = kDb * q2 * (x2 - 1 / x2) / d;
      g.Qp = -kDb * q2 * (1 / x - x) * (1 / x - x) / d;
      break;
    default:  // lowpass and the three notch types
      g.wp = kDb * (1 - 2 * q2 * (1 - x2)) / d;
      g.Qp = kDb / d;
      break;
  }
  if (type == core::ptSLPN || type == core::ptSHPN || type == core::ptSN) {
    const double r = stage.wz / w;
    const double den = 1 - r * r;
    g.wz = den == 0 ? std::numeric_limits<double>::infinity() : 2 * kDb / den;
  }
  if (extraPole > 0) g.pole = kDb / ((extraPole / w) * (extraPole / w) + 1);
  return g;
}

}  // namespace tavrin::analysis
