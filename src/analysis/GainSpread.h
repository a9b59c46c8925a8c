// Gain spread: how far the gain of a built filter strays, in dB at 3 sigma, when its
// resistors, capacitors and op-amp GBW scatter within their tolerances.
//
// The model is first-order propagation.  A stage's gain in dB moves with its parameters
// (wp, Qp, wz and a cubic circuit's extra real pole) by the gain sensitivities of
// GainSensitivity.h; each parameter moves with the components by the sums of squared
// component sensitivities the design left in the record (SumSq*: only parts at a standard
// value count, a computed exact value has no tolerance); independent errors add in
// quadrature.  The op-amp's GBW tolerance shifts wp and Qp through the circuit's GBW
// factors (aw, aq).
#pragma once

#include <array>

#include "analysis/GainSensitivity.h"
#include "core/DesignState.h"

namespace tavrin::analysis {

// Places of the seven variance terms in CircuitRating::SpreadTerms.
enum SpreadTerm : int {
  kVwp = 0,  // passive, through wp (a first-order stage: its pole)
  kVQ = 1,   // passive, through Qp
  kVwz = 2,  // passive, through wz (notch types)
  kVa = 3,   // passive, through the cubic circuit's extra pole
  kVb = 4,   // passive, through the cubic circuit's extra zero
  kAwp = 5,  // active, the GBW tolerance through wp
  kAQ = 6,   // active, the GBW tolerance through Qp
};

struct SpreadTerms {
  std::array<double, core::kSpreadTerms> term{};  // dB^2
  double passive = 0;                             // dB^2
  double active = 0;                              // dB^2
  double total = 0;                               // dB, sqrt(passive + active)
};

// Where a stage's spread is largest, in rad/s; 0 where there is none.  Second-order stages
// only: above Qp = sqrt 2 the two frequencies either side of the peak, otherwise the
// pole (lowpass and the lowpass/highpass notches: lower; highpass: upper) or the lower
// band edge (bandpass, notch at wp).  First-order stages have none.
struct FrequenciesOfInterest {
  double upper = 0;
  double lower = 0;
};
FrequenciesOfInterest StageFrequencies(const core::Stage& stage);
// The same for stage s (1..stageCount), written into stageAnalysis[s].
FrequenciesOfInterest StageFrequenciesOfInterest(core::DesignState& state, int stage);

// The extra real pole (rad/s) of a designed cubic circuit, read from its polynomials: the
// denominator is (s + p)(s^2 + s wp/Qp + wp^2), so p = b0 / (b3 wp^2).  0 for the others
// and when the values give no complex pair.
double ExtraPole(const core::CircuitRecord& cr, int stageType);

// The record's GBW factors that the block's selector word picks: 1 the design's (aw, aq);
// any other value the second pair, which no design equation of ours defines, so (0, 0).
struct GbwFactors {
  double aw = 0;
  double aq = 0;
};
GbwFactors SelectedGbwFactors(const core::CircuitRecord& cr, int selector);

// The spread of one designed record of a stage at w rad/s (w > 0), with the tolerances of
// `characteristics` and the record's op-amp GBW (Hz) and GBW tolerance.  A record whose
// capacitors are marked exact (ExactTaken) spreads with tC = 0.  A gain sensitivity that
// does not exist at w (a notch's wz at its own null) contributes nothing: the gain there
// has no dB value to move.
SpreadTerms StageSpreadTerms(const core::Stage& stage, const core::CircuitRecord& cr,
                             const core::ComponentCharacteristics& characteristics, double w,
                             int selector = 1);
// Stage s (1..stageCount) with the design's tolerances.
SpreadTerms StageSpreadTerms(const core::DesignState& state, int stage, const core::CircuitRecord& cr,
                             double w, int selector = 1);

// The gain sensitivities of stage s at w with its current circuit's extra pole, kept in
// stageAnalysis[s] (gainSensitivity, lastFrequency) for StageGainSpread.
GainSensitivities RecordStageGainSensitivities(core::DesignState& state, int stage, double w);

// The spread of stage s's current circuit at the frequency last given to
// RecordStageGainSensitivities, written into that circuit's block of stageAnalysis[s].
// A stage without a circuit or without a recorded frequency gives zeros and writes nothing.
SpreadTerms StageGainSpread(core::DesignState& state, int stage);

// The filter's spread at w (dB): the root-sum-square of its stages' total spreads.  Every
// stage's block is left holding its figures at w.
double FilterGainSpread(core::DesignState& state, double w);

}  // namespace tavrin::analysis
