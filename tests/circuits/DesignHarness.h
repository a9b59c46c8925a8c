// Designing one catalogue circuit the way the calculation window does (set it up, then
// let the dispatcher run its routine and the common post-steps), and the targets and
// checks the design tests hold a designed stage to.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <optional>
#include <string>

#include "analysis/StagePolynomials.h"
#include "analysis/WorkingVectors.h"
#include "circuits/Catalogue.h"
#include "circuits/DesignStage.h"
#include "circuits/SetUpCircuit.h"
#include "core/DesignState.h"

namespace tavrin::design_test {

// The first-order, lowpass, highpass and bandpass circuits, every one of which must end
// up with a design routine.
inline constexpr std::array<const char*, 43> kOrderOneToBandpass = {
    "FLP01", "FLP02", "FLP03", "FHP01", "FHP02", "FHP03", "FHP04", "SLP01", "SLP02", "SLP03", "SLP04",
    "SLP05", "SLP06", "SLP07", "SLP08", "SLP09", "SLP10", "SLP11", "SLP12", "SLP13", "SHP01", "SHP02",
    "SHP03", "SHP04", "SHP05", "SHP06", "SHP07", "SHP08", "SHP09", "SHP10", "SBP01", "SBP02", "SBP03",
    "SBP04", "SBP05", "SBP06", "SBP07", "SBP08", "SBP09", "SBP10", "SBP11", "SBP12", "SBP13",
};

struct Options {
  bool c2Variable = false;
  bool equalComponents = false;
  bool predistort = false;
  bool activeComp = false;
  double gbw = 1e6;  // Hz
};

struct Designed {
  core::Stage stage;
  core::CircuitRecord cr;
  bool ran = false;  // the circuit has a routine
};

// wp is the corner for a first-order circuit.
inline Designed Design(const circuits::CircuitAddress& at, double wp, double qp, double gain, double wz = 0,
                       const Options& o = {}) {
  Designed d;
  d.stage.type = static_cast<std::uint8_t>(at.stageType);
  const bool first = at.stageType == core::ptFLP || at.stageType == core::ptFHP;
  d.stage.wp = wp;
  d.stage.p = first ? wp : 0;
  d.stage.Qp = first ? 0 : qp;
  d.stage.wz = wz;
  core::CircuitRecord& cr = d.cr;
  cr.Fresh = true;
  cr.CircuitId = static_cast<std::int16_t>(at.circuitId);
  cr.CircuitNumber = static_cast<std::int16_t>(at.number);
  cr.CircuitNumberCopy = cr.CircuitNumber;
  cr.OpAmpGbw = o.gbw;
  core::StageComponentSetEntry memory, saved;
  circuits::SetUpCircuit(cr, wp, o.c2Variable, memory, saved);
  cr.EqualComponents = o.equalComponents;
  cr.Predistort = o.predistort;
  cr.ActiveComp = o.activeComp;
  cr.RequestedGain = gain;
  cr.CircuitGain = gain;
  d.ran = circuits::DesignStage(cr, d.stage);
  return d;
}

inline Designed Design(const std::string& key, double wp, double qp, double gain, double wz = 0,
                       const Options& o = {}) {
  return Design(circuits::AddressOfKey(key), wp, qp, gain, wz, o);
}

inline analysis::StagePolynomials Polynomials(const Designed& d) {
  return analysis::BuildStagePolynomials(analysis::LoadWorkingVectors(d.cr), d.stage.type,
                                         d.cr.CircuitNumber);
}

inline double Sens(const core::ComponentEntry& e, int code) {
  return e.Sens[static_cast<std::size_t>(circuits::SensSlotOfCode(code))];
}

// The gain a circuit's rule leaves a stage with, and whether the rule rather than the
// request set it (the record's GainConstrained).
struct Gain {
  double k = 0;
  bool constrained = false;
};

inline double Relative(double actual, double expected) {
  return std::abs(actual / expected - 1);
}

inline void ExpectValuesPositiveAndFinite(const core::CircuitRecord& cr, const std::string& where) {
  for (int k = 1; k <= cr.ResistorCount; ++k) {
    const double v = cr.R[static_cast<std::size_t>(k)].Value;
    EXPECT_TRUE(v > 0 && std::isfinite(v)) << where << ": R" << k << " = " << v;
  }
  for (int k = 1; k <= cr.CapacitorCount; ++k) {
    const double v = cr.C[static_cast<std::size_t>(k)].Value;
    EXPECT_TRUE(v > 0 && std::isfinite(v)) << where << ": C" << k << " = " << v;
  }
}

inline void ExpectRelative(double actual, double expected, double tolerance, const char* what) {
  EXPECT_NEAR(actual, expected, tolerance * std::abs(expected)) << what;
}

// The biquad a lowpass, highpass or bandpass stage is designed to be,
// +-K N(s) / (s^2 + s wp/Qp + wp^2).
inline std::complex<double> TargetBiquad(int type, double wp, double qp, double k, bool inverting, double w) {
  const std::complex<double> s(0, w);
  const std::complex<double> den = s * s + wp / qp * s + wp * wp;
  const std::complex<double> num = type == core::ptSLP   ? std::complex<double>(wp * wp)
                                   : type == core::ptSHP ? s * s
                                                         : wp / qp * s;
  return (inverting ? -k : k) * num / den;
}

// The notch biquad K (s^2 + wz^2) / (s^2 + s wp/Qp + wp^2), before any sign inversion.
inline std::complex<double> TargetNotch(double k, double wp, double qp, double wz, double w) {
  const std::complex<double> s(0, w);
  return k * (s * s + wz * wz) / (s * s + wp / qp * s + wp * wp);
}

}  // namespace tavrin::design_test
