// Circuit selection: rating every candidate of a stage, starting afresh, selecting, the
// automatic choice, and the texts of the information panel.
#include "circuits/Ratings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "analysis/GainSpread.h"
#include "circuits/Catalogue.h"
#include "circuits/DesignStage.h"
#include "circuits/SetUpCircuit.h"
#include "core/DesignState.h"

namespace tavrin::circuits {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kWp = kTwoPi * 1000;

std::size_t At(int k) {
  return static_cast<std::size_t>(k);
}

core::Stage MakeStage(int type, double qp = 0, double wzOverWp = 0) {
  core::Stage st;
  st.type = static_cast<std::uint8_t>(type);
  st.wp = kWp;
  const bool first = type == core::ptFLP || type == core::ptFHP;
  st.p = first ? kWp : 0;
  st.Qp = first ? 0 : qp;
  st.wz = wzOverWp * kWp;
  st.To = 1;
  return st;
}

template <typename T>
std::vector<unsigned char> Bytes(const T& x) {
  std::vector<unsigned char> b(sizeof(T));
  std::memcpy(b.data(), &x, sizeof(T));
  return b;
}

// One stage of every type, before any circuit is chosen.
class AllTypes : public ::testing::Test {
 protected:
  void SetUp() override {
    const core::Stage stages[] = {
        MakeStage(core::ptFLP),          MakeStage(core::ptFHP),      MakeStage(core::ptSLP, 0.707),
        MakeStage(core::ptSHP, 0.8),     MakeStage(core::ptSBP, 5),   MakeStage(core::ptSLPN, 2, 1.5),
        MakeStage(core::ptSHPN, 2, 0.6), MakeStage(core::ptSN, 2, 1),
    };
    state.stageCount = 8;
    for (int s = 1; s <= 8; ++s) {
      state.stages[At(s)] = stages[s - 1];
      state.circuits[At(s)].OpAmpTolerance = 30;
    }
    state.designStep = 5;
    StartAfresh(state);
  }

  // The stage built with circuit n as the calculation window builds it, then a capacitor
  // the user chose since: the record no longer Fresh, its memory no longer the start.
  void BuildWithUserCapacitor(int s, int n) {
    SelectCircuit(state, s, n);
    SetUpCircuit(state, s, state.rememberedC2Variable[At(s)]);
    ASSERT_TRUE(DesignStage(state, s));
    core::CircuitRecord& cr = state.circuits[At(s)];
    cr.Fresh = false;
    cr.C[1].Value *= 2.2;
    state.componentSet[At(s)].Value[1] = cr.C[1].Value;
    state.componentSet[At(s)].C1Index = 4;
  }

  const core::CircuitRating& Rating(int s, int n) const {
    return state.stageAnalysis[At(s)].candidate[At(n)];
  }

  core::DesignState state;
};

TEST_F(AllTypes, RatingLeavesTheStagesRecordAndCapacitorMemoryUntouched) {
  for (int s = 1; s <= 8; ++s) BuildWithUserCapacitor(s, std::min(2, CircuitCount(state.stages[At(s)].type)));
  for (int s = 1; s <= 8; ++s) {
    const auto record = Bytes(state.circuits[At(s)]);
    const auto memory = Bytes(state.componentSet[At(s)]);
    const auto saved = Bytes(state.componentSetSaved[At(s)]);
    RateCandidates(state, s);
    EXPECT_EQ(Bytes(state.circuits[At(s)]), record) << "stage " << s;
    EXPECT_EQ(Bytes(state.componentSet[At(s)]), memory) << "stage " << s;
    EXPECT_EQ(Bytes(state.componentSetSaved[At(s)]), saved) << "stage " << s;
    EXPECT_GT(Rating(s, 1).ResistorCount, 0) << "stage " << s;  // it did rate
  }
}

// A candidate is rated as selecting it would design it, from its own starting capacitors,
// whatever the stage's record went through before.
TEST_F(AllTypes, RatingsDoNotDependOnTheStagesHistory) {
  core::DesignState fresh = state;
  for (int s = 1; s <= 8; ++s) BuildWithUserCapacitor(s, CircuitCount(state.stages[At(s)].type));
  for (int s = 1; s <= 8; ++s) {
    RateCandidates(state, s);
    RateCandidates(fresh, s);
    for (int n = 1; n <= CircuitCount(state.stages[At(s)].type); ++n) {
      const core::CircuitRating& a = Rating(s, n);
      const core::CircuitRating& b = fresh.stageAnalysis[At(s)].candidate[At(n)];
      const std::string where = CircuitKey(state.stages[At(s)].type, n);
      EXPECT_EQ(a.DesignFailed, b.DesignFailed) << where;
      EXPECT_EQ(a.ResistorSpread, b.ResistorSpread) << where;
      EXPECT_EQ(a.CapacitorSpread, b.CapacitorSpread) << where;
      EXPECT_EQ(a.CircuitGain, b.CircuitGain) << where;
      EXPECT_EQ(a.TotalSpread, b.TotalSpread) << where;
      EXPECT_TRUE(std::isfinite(a.TotalSpread)) << where;
    }
  }
}

TEST_F(AllTypes, FailedCandidatesAreOutAndTheMaximaCoverIncludedOnes) {
  state.stages[4] = MakeStage(core::ptSHP, 0.5);  // SHP02 needs Qp above 0.5
  RateCandidates(state, 4);
  const core::CircuitRating& failed = Rating(4, 2);
  ASSERT_TRUE(failed.DesignFailed);
  EXPECT_FALSE(failed.Included);
  EXPECT_EQ(ComponentSpreadLine(failed), "R= N/A     C= N/A");
  EXPECT_EQ(WarningWords(failed), (std::vector<std::string>{"Circuit", "not", "suitable"}));
  ToggleIncluded(state, 4, 2);
  EXPECT_FALSE(Rating(4, 2).Included);

  const int count = CircuitCount(core::ptSHP);
  const auto expectMaxima = [&](const char* when) {
    const core::StageAnalysisEntry& e = state.stageAnalysis[4];
    double total = 0;
    std::array<double, core::kSpreadTerms> terms{};
    for (int n = 1; n <= count; ++n) {
      const core::CircuitRating& r = Rating(4, n);
      if (!r.Included || r.DesignFailed) continue;
      total = std::max(total, r.TotalSpread);
      for (std::size_t k = 0; k < terms.size(); ++k) terms[k] = std::max(terms[k], r.SpreadTerms[k]);
    }
    EXPECT_EQ(e.maxTotal, total) << when;
    EXPECT_EQ(e.maxTerm, terms) << when;
  };
  expectMaxima("all included");

  int worst = 1;
  for (int n = 1; n <= count; ++n)
    if (Rating(4, n).TotalSpread > Rating(4, worst).TotalSpread) worst = n;
  const double before = state.stageAnalysis[4].maxTotal;
  ToggleIncluded(state, 4, worst);
  EXPECT_FALSE(Rating(4, worst).Included);
  EXPECT_LT(state.stageAnalysis[4].maxTotal, before);
  expectMaxima("worst excluded");
  ToggleIncluded(state, 4, worst);
  EXPECT_EQ(state.stageAnalysis[4].maxTotal, before);
}

// Candidates are compared where the stage's spread peaks: a bandpass at its centre would
// rate every plain circuit at zero.
TEST_F(AllTypes, BandpassCandidatesAreComparedAtTheBandEdge) {
  // Qp = 5: the lower of the two frequencies either side of the peak.
  EXPECT_NEAR(RatingFrequency(state, 5) / kWp, std::sqrt((50 - std::sqrt(99.0)) / 49), 1e-12);
  state.stages[5].Qp = 1;  // at low Q the lower band edge
  EXPECT_NEAR(RatingFrequency(state, 5) / kWp, std::sqrt(1.25) - 0.5, 1e-12);
  state.stages[5].Qp = 5;
  EXPECT_EQ(RatingFrequency(state, 1), kWp);
  RateCandidates(state, 5);
  std::vector<double> totals;
  for (int n = 1; n <= CircuitCount(core::ptSBP); ++n)
    if (!Rating(5, n).DesignFailed) totals.push_back(Rating(5, n).TotalSpread);
  ASSERT_GE(totals.size(), 2u);
  EXPECT_GT(*std::min_element(totals.begin(), totals.end()), 0);
  EXPECT_GT(*std::max_element(totals.begin(), totals.end()),
            1.5 * *std::min_element(totals.begin(), totals.end()));
}

TEST(RatingGainTest, EqualShareOfTheOverallGainIsAskedOfEveryCandidate) {
  core::DesignState state;
  state.stageCount = 3;
  for (int s = 1; s <= 3; ++s) state.stages[At(s)] = MakeStage(core::ptSLP, 0.707);
  state.spec.overallGain = 8;
  RateCandidates(state, 2);
  const core::CircuitRating& follower = state.stageAnalysis[2].candidate[1];  // SLP01, fixed gain 1
  const core::CircuitRating& mfb = state.stageAnalysis[2].candidate[3];       // SLP03, the gain asked
  EXPECT_NEAR(follower.RequestedGain, 2, 1e-12);
  EXPECT_EQ(follower.CircuitGain, 1);
  const GainDisplay f = GainTexts(follower, state.stages[2]);
  EXPECT_EQ(f.desired, "2");
  EXPECT_EQ(f.actual, "1");
  EXPECT_EQ(f.actualColour, kPanelRed);
  const GainDisplay m = GainTexts(mfb, state.stages[2]);
  EXPECT_EQ(m.actual, "2");
  EXPECT_EQ(m.actualColour, kPanelBlack);

  state.spec.kind = core::FilterKind::UserDefined;
  state.stages[2].To = 1.5;
  RateCandidates(state, 2);  // a user-defined section asks its own gain
  EXPECT_EQ(state.stageAnalysis[2].candidate[3].RequestedGain, 1.5);
}

TEST_F(AllTypes, StartingAfreshClearsEveryStage) {
  for (int s = 1; s <= 8; ++s) BuildWithUserCapacitor(s, s == 3 ? 3 : 1);
  state.rememberedC2Variable[3] = true;
  state.standardResistors = true;
  core::CircuitRecord& cr = state.circuits[3];
  cr.ExactTaken = cr.Predistort = cr.ActiveComp = cr.EqualComponents = cr.UserGainFixed = true;
  cr.UserGain = 3;
  cr.ScaleResistor = cr.ScalePartner = 4700;
  state.stageAnalysis[3].candidate[5].Included = false;
  state.designStep = 7;
  state.stepsStale = true;
  ASSERT_TRUE(NeedsFreshStart(state));
  StartAfresh(state);

  EXPECT_TRUE(cr.Fresh);
  EXPECT_EQ(cr.CircuitNumber, 0);
  EXPECT_EQ(cr.CircuitNumberCopy, 1);
  EXPECT_EQ(cr.CircuitId, CircuitIdOf(core::ptSLP, 3));  // from step 6 on the id stays
  EXPECT_FALSE(cr.ExactTaken || cr.Predistort || cr.ActiveComp || cr.EqualComponents || cr.UserGainFixed ||
               cr.C2Variable || cr.DesignFailed);
  EXPECT_EQ(cr.UserGain, 0);
  EXPECT_EQ(cr.ScaleResistor, 0);
  EXPECT_EQ(cr.ScalePartner, 0);
  EXPECT_FALSE(state.rememberedC2Variable[3]);
  EXPECT_FALSE(state.standardResistors);
  EXPECT_TRUE(state.stageAnalysis[3].candidate[5].Included);
  for (std::size_t i = 1; i <= core::kResistors; ++i) {
    EXPECT_EQ(cr.R[i].Value, 0.001);
    EXPECT_FALSE(cr.R[i].IsStandard);
    EXPECT_EQ(cr.R[i].Sens, (std::array<double, core::kSensSlots + 1>{}));
  }
  for (std::size_t j = 1; j <= core::kCapacitors; ++j) {
    EXPECT_EQ(cr.C[j].Value, 0.001);
    EXPECT_EQ(cr.C[j].ExactValue, 0);
    EXPECT_TRUE(cr.C[j].IsStandard);
  }
}

TEST_F(AllTypes, BeforeStepSixEveryStageStartsFromTheFirstCircuitOfItsType) {
  state.circuits[5].CircuitId = static_cast<std::int16_t>(CircuitIdOf(core::ptSBP, 7));
  state.designStep = 5;
  StartAfresh(state);
  for (int s = 1; s <= 8; ++s)
    EXPECT_EQ(state.circuits[At(s)].CircuitId, CircuitIdOf(state.stages[At(s)].type, 1)) << "stage " << s;
}

TEST_F(AllTypes, SelectingTakesTheOpAmpFromTheRatingAndAdvancesWhenAllAreChosen) {
  struct Case {
    double minGbw;
    double gbw;
  };
  for (const Case c : {Case{200e3, 1e6}, Case{3.5e6, 3.5e6}, Case{1e6, 1e6}}) {
    state.stageAnalysis[3].candidate[4].MinGbw = c.minGbw;
    state.circuits[3].ExactTaken = state.circuits[3].Predistort = state.circuits[3].ActiveComp = true;
    state.standardResistors = true;
    SelectCircuit(state, 3, 4);
    const core::CircuitRecord& cr = state.circuits[3];
    EXPECT_EQ(cr.OpAmpGbw, c.gbw) << c.minGbw;
    EXPECT_EQ(cr.MinGbw, c.minGbw);
    EXPECT_EQ(cr.CircuitNumber, 4);
    EXPECT_EQ(cr.CircuitNumberCopy, 4);
    EXPECT_EQ(cr.CircuitId, CircuitIdOf(core::ptSLP, 4));
    EXPECT_TRUE(cr.Fresh);
    EXPECT_FALSE(cr.ExactTaken || cr.Predistort || cr.ActiveComp);
    EXPECT_FALSE(state.standardResistors);
  }
  EXPECT_FALSE(SelectCircuit(state, 3, CircuitCount(core::ptSLP) + 1));
  EXPECT_EQ(state.circuits[3].CircuitNumber, 4);

  for (int s = 1; s <= 7; ++s) EXPECT_FALSE(SelectCircuit(state, s, 1));
  EXPECT_EQ(state.designStep, 5);
  EXPECT_TRUE(SelectCircuit(state, 8, 1));
  EXPECT_EQ(state.designStep, 6);
}

TEST(RatingToggleTest, AtLeastOnePartOfTheBarsStaysShown) {
  core::DesignState state;
  ToggleShowPassive(state);
  EXPECT_FALSE(state.ratingShowPassive);
  EXPECT_TRUE(state.ratingShowActive);
  EXPECT_EQ(PassiveHint(state), "Show Passive");
  ToggleShowActive(state);  // hiding active while passive is hidden shows passive
  EXPECT_FALSE(state.ratingShowActive);
  EXPECT_TRUE(state.ratingShowPassive);
  EXPECT_EQ(ActiveHint(state), "Show Active");
  ToggleShowPassive(state);
  EXPECT_TRUE(state.ratingShowActive);
  EXPECT_FALSE(state.ratingShowPassive);
}

// ---------------------------------------------------------------------------------------
// The automatic choice

core::CircuitRating Candidate(double total, int opAmps = 1, double gain = 1, int rSpread = 10,
                              int cSpread = 1) {
  core::CircuitRating r;
  r.RequestedGain = 1;
  r.CircuitGain = gain;
  r.TotalSpread = total;
  r.OpAmpCount = static_cast<std::int16_t>(opAmps);
  r.ResistorSpread = rSpread;
  r.CapacitorSpread = cSpread;
  return r;
}

TEST(BestCandidateTest, RuleInOrderOfPrecedence) {
  struct Case {
    const char* what;
    std::vector<core::CircuitRating> candidates;  // n = 1, 2, ...
    int best;
  };
  core::CircuitRating failed = Candidate(0.01);
  failed.DesignFailed = true;
  core::CircuitRating excluded = Candidate(0.01);
  excluded.Included = false;
  const Case cases[] = {
      {"smallest spread", {Candidate(0.5), Candidate(0.2), Candidate(0.3)}, 2},
      {"failed and excluded never", {failed, excluded, Candidate(0.9)}, 3},
      {"nothing usable", {failed, excluded}, 0},
      {"spread warning before all", {Candidate(0.1, 1, 1, 1001), Candidate(0.9, 3, 2)}, 2},
      {"1000 is no warning", {Candidate(0.9, 1, 1, 1000, 1000), Candidate(0.1, 1, 1, 1000, 1001)}, 1},
      {"gain as asked before spread", {Candidate(0.1, 1, 2), Candidate(0.9)}, 2},
      {"within 0.001 is as asked", {Candidate(0.5, 1, 1.0009), Candidate(0.1, 1, 1.002)}, 1},
      {"close spreads: fewer op-amps", {Candidate(0.20, 3), Candidate(0.21, 1)}, 2},
      {"clearly smaller spread beats op-amps", {Candidate(0.20, 3), Candidate(0.30, 1)}, 1},
      {"full tie: lower number", {Candidate(0.2), Candidate(0.2)}, 1},
  };
  for (const Case& c : cases) {
    core::DesignState state;
    state.stageCount = 1;
    state.stages[1] = MakeStage(core::ptSLP, 0.707);
    for (std::size_t k = 0; k < c.candidates.size(); ++k)
      state.stageAnalysis[1].candidate[k + 1] = c.candidates[k];
    for (std::size_t k = c.candidates.size() + 1; k <= core::kCircuitSlots; ++k)
      state.stageAnalysis[1].candidate[k].DesignFailed = true;
    EXPECT_EQ(BestCandidate(state, 1), c.best) << c.what;
  }
}

TEST_F(AllTypes, EveryStageGetsAUsableAutomaticChoice) {
  for (int s = 1; s <= 8; ++s) {
    RateCandidates(state, s);
    const int n = BestCandidate(state, s);
    ASSERT_GE(n, 1) << "stage " << s;
    EXPECT_FALSE(Rating(s, n).DesignFailed);
    EXPECT_TRUE(WarningWords(Rating(s, n)).empty()) << CircuitKey(state.stages[At(s)].type, n);
  }
}

// ---------------------------------------------------------------------------------------
// Panel texts

TEST(PanelTextTest, ComponentSpreads) {
  struct Case {
    int r, c;
    const char* line;
  };
  const Case cases[] = {
      {4999, 12, "R= 4999:1    C= 12:1"},
      {5000, 5000, "R= >5000:1    C= >5000:1"},
      {1, 4999, "R= 1:1    C= 4999:1"},
      {2000000000, 1, "R= >5000:1    C= 1:1"},
  };
  for (const Case& c : cases) {
    core::CircuitRating r;
    r.ResistorSpread = c.r;
    r.CapacitorSpread = c.c;
    EXPECT_EQ(ComponentSpreadLine(r), c.line);
  }
  core::CircuitRating failed;
  failed.DesignFailed = true;
  EXPECT_EQ(ResistorSpreadText(failed), "R= N/A ");
  EXPECT_EQ(CapacitorSpreadText(failed), "    C= N/A");
}

TEST(PanelTextTest, WarningBox) {
  struct Case {
    int r, c;
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {1000, 1000, {}},
      {1001, 1000, {"Resistor", "spread", "warning"}},
      {1000, 1001, {"Capacitor", "spread", "warning"}},
      {1001, 1001, {"Resistor", "spread", "warning"}},
  };
  for (const Case& c : cases) {
    core::CircuitRating r;
    r.ResistorSpread = c.r;
    r.CapacitorSpread = c.c;
    EXPECT_EQ(WarningWords(r), c.words) << c.r << " " << c.c;
  }
}

TEST(PanelTextTest, CountsGainsAndTuning) {
  core::CircuitRating r;
  r.ResistorCount = 5;
  r.CapacitorCount = 2;
  r.OpAmpCount = 1;
  EXPECT_EQ(ComponentCountLine(r), "R:5    C:2    OA:1");

  EXPECT_EQ(GainText(1.41421356), "1.4142");
  EXPECT_EQ(GainText(12.34567), "12.346");
  EXPECT_EQ(GainText(2), "2");

  r.RequestedGain = 1;
  const struct {
    double actual;
    PanelColour colour;
  } colours[] = {{1.0005, kPanelBlack}, {1.001, kPanelBlack}, {1.0011, kPanelRed}, {0.998, kPanelRed}};
  for (const auto& c : colours) {
    r.CircuitGain = c.actual;
    EXPECT_EQ(GainTexts(r, MakeStage(core::ptSLP, 1)).actualColour, c.colour) << c.actual;
  }
  // A lowpass notch shows DC gains: x (wz/wp)^2.
  r.CircuitGain = 1;
  const GainDisplay notch = GainTexts(r, MakeStage(core::ptSLPN, 1, 1.5));
  EXPECT_EQ(notch.desired, "2.25");
  EXPECT_EQ(notch.actual, "2.25");

  EXPECT_EQ(EaseOfTuningText(core::ptSLP, 1), "Fair");
  EXPECT_EQ(EaseOfTuningText(core::ptSLP, 2), "Good");
  EXPECT_EQ(EaseOfTuningText(core::ptSLP, 6), "Poor");
  EXPECT_EQ(EaseOfTuningText(core::ptSLP, 8), "Excellent");
  EXPECT_EQ(EaseOfTuningText(core::ptSN, 1), "Not Recommended");
}

TEST(PanelTextTest, Bandwidths) {
  const struct {
    double hz;
    const char* text;
  } cases[] = {
      {400e3, "0.40 MHz"}, {3.5e6, "3.50 MHz"}, {100e3, "0.10 MHz"}, {99e3, "0.099 MHz"}, {20e3, "0.020 MHz"},
      {10e6, "10 MHz"},    {15e6, "15 MHz"},    {1e9, "1000 MHz"},   {1.5e9, "1.50 GHz"},
  };
  for (const auto& c : cases) EXPECT_EQ(MinGbwText(core::ptSLP, c.hz), c.text) << c.hz;
  EXPECT_EQ(MinGbwText(core::ptFLP, 400e3), "N/A");
  EXPECT_EQ(MinGbwText(core::ptFHP, 0), "N/A");
  EXPECT_EQ(GbwText(1e6), "1.00 MHz");
}

TEST(PanelTextTest, StageLine) {
  // At 1.5 kHz, which the display units write as 1.5 KHz and 9.425 Krad/s.
  const auto at1500 = [](core::Stage st) {
    const double scale = 1.5;
    st.wp *= scale;
    st.p *= scale;
    st.wz *= scale;
    return st;
  };
  const struct {
    core::Stage stage;
    core::FrequencyUnit unit;
    const char* text;
  } cases[] = {
      {at1500(MakeStage(core::ptSLP, 0.707)), core::FrequencyUnit::Hz, "Q=0.707    fp=1.5 KHz"},
      {at1500(MakeStage(core::ptSLP, 0.707)), core::FrequencyUnit::RadPerSec, "Q=0.707    wp=9.425 Krad/s"},
      {at1500(MakeStage(core::ptSN, 10, 1)), core::FrequencyUnit::Hz, "Q=10    fp=1.5 KHz    fz=1.5 KHz"},
      {MakeStage(core::ptSLPN, 2, 1.5), core::FrequencyUnit::RadPerSec,
       "Q=2    wp=6.283 Krad/s    wz=9.425 Krad/s"},
      {at1500(MakeStage(core::ptFLP)), core::FrequencyUnit::Hz, "fc=1.5 KHz"},
      {at1500(MakeStage(core::ptFHP)), core::FrequencyUnit::RadPerSec, "wc=9.425 Krad/s"},
  };
  for (const auto& c : cases) EXPECT_EQ(StageLineText(c.stage, false, c.unit).parameters, c.text);
  EXPECT_EQ(StageLineText(MakeStage(core::ptFLP), true, core::FrequencyUnit::Hz).polarity, "Inverting");
  EXPECT_EQ(StageLineText(MakeStage(core::ptFLP), false, core::FrequencyUnit::Hz).polarity, "Non-inverting");
}

TEST_F(AllTypes, ActiveSpreadZeroOnlyWhereNoCandidateHasAnActivePart) {
  RateCandidates(state, 1);
  EXPECT_TRUE(ActiveSpreadZeroForAll(state, 1));  // first order: no op-amp term
  RateCandidates(state, 3);
  EXPECT_FALSE(ActiveSpreadZeroForAll(state, 3));
  state.circuits[3].OpAmpTolerance = 0;
  RateCandidates(state, 3);
  EXPECT_TRUE(ActiveSpreadZeroForAll(state, 3));
  EXPECT_EQ(IncludeHint(Rating(3, 1)), "Exclude circuit");
}

}  // namespace
}  // namespace tavrin::circuits
