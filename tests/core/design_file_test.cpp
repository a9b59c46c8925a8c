#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "core/ByteCodec.h"
#include "core/DesignFile.h"
#include "core/SixByteReal.h"

namespace tavrin::core {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A design with every stored field holding a value of its own, so a field that is
// written or read in the wrong place shows up.
class Filler {
 public:
  explicit Filler(unsigned seed) : rng_(seed) {}
  double Real() { return std::uniform_real_distribution<double>(-1e4, 1e4)(rng_); }
  double Positive() { return std::uniform_real_distribution<double>(1e-9, 1e6)(rng_); }
  bool Flag() { return std::uniform_int_distribution<int>(0, 1)(rng_) == 1; }
  std::int16_t Int(int lo, int hi) { return static_cast<std::int16_t>(std::uniform_int_distribution<int>(lo, hi)(rng_)); }
  std::string Text(std::size_t maxLen) {
    std::string s(static_cast<std::size_t>(Int(0, static_cast<int>(maxLen))), 'a');
    for (char& c : s) c = static_cast<char>('A' + Int(0, 25));
    return s;
  }

  void FillCircuit(CircuitRecord& cr) {
    cr.Fresh = Flag();
    cr.CircuitNumber = Int(1, 9);
    cr.CircuitId = static_cast<std::int16_t>(10 + cr.CircuitNumber);
    cr.CircuitNumberCopy = cr.CircuitNumber;
    for (double* v : {&cr.RequestedGain, &cr.CircuitGain, &cr.GainRatio, &cr.OpAmpGbw, &cr.OpAmpTolerance,
                      &cr.OpAmpTempCoeff})
      *v = Positive();
    for (double& v : cr.OptionReal) v = Real();
    cr.OptionByte = static_cast<std::uint8_t>(Int(0, 3));
    cr.C2VariableAvailable = Flag();
    cr.C2Variable = Flag();
    cr.EqualComponents = Flag();
    cr.Predistort = Flag();
    cr.VariantByte = static_cast<std::uint8_t>(Int(0, 3));
    cr.ExtraOptionByte = static_cast<std::uint8_t>(Int(1, 3));
    cr.HasScalePair = Flag();
    cr.ScaleResistor = cr.HasScalePair ? Int(1, 9999) : 0;
    cr.ScalePartner = cr.HasScalePair ? Int(1, 9999) : 0;
  }

  std::unique_ptr<DesignState> Design(int stages, int step) {
    auto s = std::make_unique<DesignState>();
    s->designStep = static_cast<std::int16_t>(step);
    s->spec.kind = static_cast<FilterKind>(Int(0, 3));
    s->chosenSlot = Int(0, 4);
    s->currentSlot = s->chosenSlot;
    s->lastSlot = 4;
    s->stageCount = static_cast<std::int16_t>(stages);
    FilterSpec& sp = s->spec;
    for (double* v : {&sp.asb, &sp.apb, &sp.wsb, &sp.wpb, &sp.w0, &sp.bp, &sp.bs, &sp.selectivity,
                      &sp.normFrequency, &sp.overallGain})
      *v = Positive();
    // Entered values away from the placeholders that reading repairs.
    for (double* v : {&sp.apbEntered, &sp.asbEntered, &sp.passEntered, &sp.stopEntered, &sp.centerEntered})
      *v = 3 + Positive();
    ComponentCharacteristics& c = s->characteristics;
    for (double* v : {&c.RTolerance, &c.CTolerance, &c.OpTolerance, &c.RTempCoeff, &c.CTempCoeff, &c.TempRange,
                      &c.FurtherCharacteristic, &c.OpTempCoeff, &c.Noise})
      *v = Positive();
    sp.passUnit = Int(0, 1);
    sp.stopUnit = Int(0, 1);
    sp.centerUnit = Int(0, 1);
    sp.forcedOrder = Int(0, 20);
    sp.forceOrder = Flag();
    s->pairingCounter1 = Int(0, 11);
    s->pairingCounter2 = Int(0, 11);
    s->pairingAutomatic = Flag();
    s->cascadingAutomatic = Flag();
    s->idealGraph.gainInDb = Flag();
    s->idealGraph.logFrequency = Flag();
    s->idealGraph.phaseInDegrees = Flag();
    s->idealGraph.viewAll = Flag();
    s->idealGraph.gridLinesHorizontal = Flag();
    s->idealGraph.gridLinesVertical = Flag();
    s->frequencyUnit = Flag() ? FrequencyUnit::Hz : FrequencyUnit::RadPerSec;
    s->allPole = Flag();
    s->nextDisabled = Flag();
    s->useQ = Flag();
    s->allCapsStandard = Flag();
    s->options.calculated = Flag();
    s->options.printOptions28to32[2] = Flag();
    s->options.toleranceOption = Flag();

    for (int slot = 0; slot < kSlotCount; ++slot) {
      ApproxResult& r = s->results[slot];
      r.order = Int(0, 20);
      r.orderLimit = 20;
      r.tooHigh = Flag();
      r.polePairs = Int(0, 10);
      r.zeroPairs = Int(0, 10);
      r.singleZeros = Int(0, 1);
      r.zeroPairsShown = Int(0, 10);
      r.hasRealPole = Flag();
      r.realPoleNorm = Positive();
      r.realPole = Positive();
      r.hasSecondRealPole = Flag();
      r.secondRealPole = Positive();
      r.hasSingleZero = Flag();
      r.singleZero = Real();
      r.gainText = Text(40);
      r.gain = Real();
      r.gainNorm = Real();
      r.largestPoleQ = Positive();
      for (int k = 0; k <= kMaxEntries; ++k) {
        s->poleRoots[slot][k] = PoleRoot{Real(), Real(), Real(), Real(), Real(), Real()};
        if (k == 0) continue;
        s->polePairs[slot][k] = PolePair{Real(), Real(), Real(), Real(), Real(), Real()};
        s->zeroPairs[slot][k] = ZeroPair{Real(), Real()};
        s->zeroRoots[slot][k] = ZeroRoot{Real(), Real()};
      }
    }
    for (int k = 1; k <= kMaxEntries; ++k) {
      s->polePairList[k] = PolePairListEntry{Flag(), static_cast<std::uint8_t>(Int(0, 1)), Real(), Real(),
                                             Real(), Real(), Int(0, 11)};
      s->zeroPairList[k] = ZeroPairListEntry{Flag(), static_cast<std::uint8_t>(Int(0, 1)), Real(), Real()};
    }
    for (int st = 1; st <= stages; ++st) {
      // Circuits exist from step 4 on; before that a file's circuit records are not read.
      if (step > 3) FillCircuit(s->circuits[st]);
      Stage& g = s->stages[st];
      g.type = static_cast<std::uint8_t>(Int(0, 7));
      g.name = Text(4);
      g.pole1 = Int(0, 11);
      g.pole2 = Int(0, 11);
      g.zero1 = Int(0, 11);
      g.zero2 = Int(0, 11);
      for (double* v : {&g.wp, &g.Qp, &g.wz, &g.p, &g.flatness, &g.k, &g.To}) *v = Real();
      StageComponentSetEntry& m = s->componentSet[st];
      m.C1Index = Int(0, 11);
      m.C1Decade = Int(6, 12);
      m.C2Index = Int(0, 11);
      m.C2Decade = Int(6, 12);
      m.CapRatio = Positive();
      for (int j = 1; j <= kCapacitors; ++j) {
        m.Value[j] = Positive() * 1e-15;
        m.ExactValue[j] = Positive() * 1e-15;
      }
      UserStageEntry& u = s->userStages[st];
      u.mode = static_cast<std::uint8_t>(Int(0, 1));
      for (std::string& f : u.field) f = Text(8);
    }
    for (StageCriterion& e : s->firstStageCriteria) e = StageCriterion{Flag(), Int(1, 4)};
    for (StageCriterion& e : s->lastStageCriteria) e = StageCriterion{Flag(), Int(1, 4)};
    return s;
  }

 private:
  std::mt19937 rng_;
};

void ExpectSameBytes(const Bytes& a, const Bytes& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i], b[i]) << "first difference at byte " << i;
}

TEST(DesignFile, SizeFollowsTheStageCount) {
  Filler f(1);
  for (int stages : {0, 1, 5, 11}) {
    auto s = f.Design(stages, 7);
    s->userResistorValues = false;
    EXPECT_EQ(EncodeDesignFile(*s).size(), 224u + 3 + 7492 + static_cast<std::size_t>(stages) * 548 + 24);
    s->userResistorValues = true;
    EXPECT_EQ(EncodeDesignFile(*s).size(), 224u + 3 + 7492 + static_cast<std::size_t>(stages) * 548 + 24 + 847);
  }
  EXPECT_EQ(DesignFileSize(11, false), 13771u);
  EXPECT_EQ(DesignFileSize(11, true), 13771u + 847);
}

TEST(DesignFile, HeaderLayout) {
  Filler f(2);
  auto s = f.Design(3, 7);
  s->spec.forcedOrder = 0x1234;
  s->pairingAutomatic = true;
  s->cascadingAutomatic = false;
  s->spec.asb = 40;
  const Bytes b = EncodeDesignFile(*s);
  EXPECT_EQ(b[0], 0x03);
  EXPECT_EQ(b[1], 0x96);
  EXPECT_EQ(b[2], 0xAE);
  EXPECT_EQ(b[3], 0x96);
  EXPECT_EQ(b[4], 5);
  EXPECT_EQ(std::string(b.begin() + 5, b.begin() + 10), "KQP30");
  EXPECT_EQ(b[13], 40);
  const std::string flags(b.begin() + 14, b.begin() + 54);
  EXPECT_EQ(flags[0], '1');
  EXPECT_EQ(flags[1], '0');
  EXPECT_EQ(flags[24], '0');
  EXPECT_EQ(flags.substr(37), "000");
  EXPECT_EQ(flags[32], flags[22]);  // position 33 copies position 23
  EXPECT_EQ(DecodeSixByteReal(&b[54]), RoundToSixByteReal(40.0));
  EXPECT_EQ(b[204] | (b[205] << 8), 3);
  EXPECT_EQ(b[216], 0x34);
  EXPECT_EQ(b[217], 0x12);
  EXPECT_EQ(b[224], 7);  // design step after the header
  EXPECT_EQ(b[225], static_cast<std::uint8_t>(s->spec.kind));
  EXPECT_EQ(b[226], s->chosenSlot);
}

TEST(DesignFile, RoundTripIsByteExactAndKeepsEveryValue) {
  for (unsigned seed = 10; seed < 30; ++seed) {
    Filler f(seed);
    const int stages = static_cast<int>(seed % 12);
    auto original = f.Design(stages, seed % 2 ? 7 : 2);
    original->userResistorValues = seed % 3 == 0;
    const Bytes first = EncodeDesignFile(*original);
    auto back = std::make_unique<DesignState>();
    const DesignReadResult r = DecodeDesignFile(first, *back);
    ASSERT_TRUE(r.ok()) << r.message;
    back->modified = original->modified;  // reading clears it by design
    ExpectSameBytes(EncodeDesignFile(*back), first);

    EXPECT_EQ(back->spec.wpb, RoundToSixByteReal(original->spec.wpb));
    EXPECT_NEAR(back->spec.wpb / original->spec.wpb, 1.0, 1e-11);
    EXPECT_EQ(back->results[4].gainText, original->results[4].gainText);
    EXPECT_EQ(back->poleRoots[3][0].residueAngle, RoundToSixByteReal(original->poleRoots[3][0].residueAngle));
    EXPECT_EQ(back->stageCount, stages);
    if (stages > 0) {
      EXPECT_EQ(back->stages[stages].name, original->stages[stages].name);
      EXPECT_EQ(back->userStages[1].field[4], original->userStages[1].field[4]);
      // The capacitors of the circuit come from the component set, both columns.
      EXPECT_EQ(back->circuits[1].C[2].Value, RoundToSixByteReal(original->componentSet[1].Value[2]));
      EXPECT_EQ(back->circuits[1].C[3].ExactValue, RoundToSixByteReal(original->componentSet[1].ExactValue[3]));
      EXPECT_TRUE(back->circuits[1].Loaded);
      EXPECT_TRUE(back->useCapMemory);
      EXPECT_EQ(back->componentSetSaved[1].C2Decade, original->componentSet[1].C2Decade);
    }
    EXPECT_FALSE(back->modified && !original->modified);
  }
}

TEST(DesignFile, ReadingClearsModifiedAndStale) {
  Filler f(3);
  auto s = f.Design(2, 5);
  s->modified = true;
  s->stepsStale = true;
  const Bytes b = EncodeDesignFile(*s);
  EXPECT_EQ(b[14 + 20], '1');  // position 21 keeps Modified as it was when saving
  auto back = std::make_unique<DesignState>();
  back->stepsStale = true;
  ASSERT_TRUE(DecodeDesignFile(b, *back).ok());
  EXPECT_FALSE(back->modified);
  EXPECT_FALSE(back->stepsStale);
}

TEST(DesignFile, CircuitRecordsAreTakenOnlyPastStepThree) {
  Filler f(4);
  for (int step : {3, 4}) {
    auto s = f.Design(2, step);
    auto back = std::make_unique<DesignState>();
    ASSERT_TRUE(DecodeDesignFile(EncodeDesignFile(*s), *back).ok());
    EXPECT_EQ(back->circuits[2].CircuitId, step > 3 ? s->circuits[2].CircuitId : 0) << step;
    EXPECT_EQ(back->circuits[2].C2Variable, step > 3 && s->circuits[2].C2Variable) << step;
    EXPECT_EQ(back->stages[2].type, s->stages[2].type);  // the stage itself always
  }
}

TEST(DesignFile, WrongMagicIsRefusedAndTheDesignKept) {
  Filler f(5);
  auto s = f.Design(1, 7);
  Bytes b = EncodeDesignFile(*s);
  b[2] = 0xAF;
  auto current = f.Design(2, 5);
  const Bytes before = EncodeDesignFile(*current);
  const DesignReadResult r = DecodeDesignFile(b, *current);
  EXPECT_EQ(r.status, DesignReadStatus::InvalidMagic);
  EXPECT_EQ(r.message, "Invalid Tavrin design file");
  ExpectSameBytes(EncodeDesignFile(*current), before);
  EXPECT_EQ(DecodeDesignFile(Bytes{}, *current).status, DesignReadStatus::InvalidMagic);
}

// Puts the version text of an older format into a current file.
void SetVersion(Bytes& b, const char* text) {
  for (int i = 0; i < 5; ++i) b[5 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(text[i]);
}

TEST(DesignFile, PreviousFormatLosesTheOptionAtByte37) {
  Filler f(6);
  auto s = f.Design(3, 7);
  for (int st = 1; st <= 3; ++st) s->circuits[st].ExtraOptionByte = 2;
  Bytes b = EncodeDesignFile(*s);
  auto current = std::make_unique<DesignState>();
  ASSERT_TRUE(DecodeDesignFile(b, *current).ok());
  EXPECT_EQ(current->circuits[2].ExtraOptionByte, 2);
  SetVersion(b, "KQP20");
  const DesignReadResult r = DecodeDesignFile(b, *current);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.format, DesignFileFormat::Previous);
  for (int st = 1; st <= 3; ++st) EXPECT_EQ(current->circuits[st].ExtraOptionByte, 0);
  EXPECT_EQ(current->circuits[2].C2Variable, s->circuits[2].C2Variable);  // the rest stays
  SetVersion(b, "XYZ99");
  EXPECT_EQ(DecodeDesignFile(b, *current).format, DesignFileFormat::Current);
}

TEST(DesignFile, FirstFormatPicksTheComponentEntryOfTheCircuitNumber) {
  // A first-format file: no circuit options, and a 13-entry capacitor block per stage.
  Filler f(7);
  auto s = f.Design(1, 7);
  s->circuits[1].CircuitNumber = 3;
  s->userResistorValues = false;
  const Bytes current = EncodeDesignFile(*s);
  const std::size_t stageStart = kDesignFixedSize;
  Bytes b(current.begin(), current.begin() + static_cast<std::ptrdiff_t>(stageStart + 43));
  SetVersion(b, "KQP10");
  const std::size_t stageRecord = stageStart + 43 + 86;
  b.insert(b.end(), current.begin() + static_cast<std::ptrdiff_t>(stageRecord),
           current.begin() + static_cast<std::ptrdiff_t>(stageRecord + 307));
  ByteWriter w;
  for (int n = 1; n <= 13; ++n) {
    w.I16(static_cast<std::int16_t>(n));
    w.I32(100 + n);
    w.I16(static_cast<std::int16_t>(20 + n));
    w.I32(200 + n);
    w.Real(n * 0.5);
    for (int j = 1; j <= 4; ++j) w.Real(n * 1e-9 + j * 1e-12);
  }
  ASSERT_EQ(w.Size(), 546u);
  b.insert(b.end(), w.Bytes().begin(), w.Bytes().end());
  b.insert(b.end(), current.begin() + static_cast<std::ptrdiff_t>(stageRecord + 307 + 66), current.end());

  auto back = std::make_unique<DesignState>();
  const DesignReadResult r = DecodeDesignFile(b, *back);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(r.format, DesignFileFormat::First);
  const StageComponentSetEntry& m = back->componentSet[1];
  EXPECT_EQ(m.C1Index, 3);
  EXPECT_EQ(m.C2Decade, 203);
  EXPECT_EQ(m.CapRatio, 1.5);
  EXPECT_NEAR(m.Value[2], 3e-9 + 2e-12, 1e-20);
  EXPECT_EQ(m.ExactValue[2], m.Value[2]);
  EXPECT_EQ(back->circuits[1].C[4].Value, m.Value[4]);
  EXPECT_EQ(back->stages[1].name, s->stages[1].name);
  EXPECT_EQ(back->circuits[1].ExtraOptionByte, 0);
}

TEST(DesignFile, ScaleResistorsOutsideTheirRangeReadAsZero) {
  Filler f(8);
  auto s = f.Design(2, 7);
  s->circuits[1].HasScalePair = true;
  s->circuits[1].ResistorCount = 0;
  s->circuits[1].ScaleResistor = 2e7;
  s->circuits[1].ScalePartner = 4700;
  s->circuits[2].HasScalePair = true;
  s->circuits[2].ResistorCount = 4;
  s->circuits[2].R[4].Value = 12000;
  s->circuits[2].R[3].Value = -5;
  auto back = std::make_unique<DesignState>();
  ASSERT_TRUE(DecodeDesignFile(EncodeDesignFile(*s), *back).ok());
  EXPECT_EQ(back->circuits[1].ScaleResistor, 0);
  EXPECT_EQ(back->circuits[1].ScalePartner, 4700);
  EXPECT_EQ(back->circuits[2].ScaleResistor, 12000);  // a designed circuit's own last resistor
  EXPECT_EQ(back->circuits[2].ScalePartner, 0);
}

TEST(DesignFile, OlderEntriesAreRepairedFromTheValuesInUse) {
  Filler f(9);
  auto s = f.Design(0, 2);
  s->spec.kind = FilterKind::Bandpass;
  s->frequencyUnit = FrequencyUnit::Hz;
  s->spec.apbEntered = 0;
  s->spec.apb = 0.5;
  s->spec.asbEntered = 0;
  s->spec.asb = 45;
  s->spec.centerEntered = 2;  // a placeholder
  s->spec.centerUnit = 1;     // kHz
  s->spec.w0 = 2 * 3.14159265358979323846 * 5000;
  s->spec.passEntered = 0;
  s->spec.passUnit = 0;
  s->spec.bp = 2 * 3.14159265358979323846 * 300;
  s->spec.stopEntered = 1;  // a user's own 1 kHz in a current file
  s->spec.stopUnit = 1;
  Bytes b = EncodeDesignFile(*s);
  SetVersion(b, "KQP20");
  auto back = std::make_unique<DesignState>();
  ASSERT_TRUE(DecodeDesignFile(b, *back).ok());
  EXPECT_EQ(back->spec.apbEntered, RoundToSixByteReal(0.5));
  EXPECT_EQ(back->spec.asbEntered, 45);
  EXPECT_NEAR(back->spec.centerEntered, 5.0, 1e-9);
  EXPECT_NEAR(back->spec.passEntered, 300.0, 1e-7);

  // A current file never held placeholders: a 1 or a 2 is an entry and reads back as one,
  // while the zeros an entry can never be are still filled in.
  auto current = std::make_unique<DesignState>();
  ASSERT_TRUE(DecodeDesignFile(EncodeDesignFile(*s), *current).ok());
  EXPECT_EQ(current->spec.centerEntered, 2);
  EXPECT_EQ(current->spec.stopEntered, 1);
  EXPECT_EQ(current->spec.asbEntered, 45);
  EXPECT_NEAR(current->spec.passEntered, 300.0, 1e-7);
}

TEST(DesignFile, DamagedFilesAreRefusedAndTheDesignKept) {
  Filler f(11);
  auto good = f.Design(4, 7);
  good->userResistorValues = true;
  const Bytes file = EncodeDesignFile(*good);

  auto current = f.Design(2, 5);
  const Bytes before = EncodeDesignFile(*current);
  const auto expectRefused = [&](const Bytes& b, const std::string& what) {
    const DesignReadResult r = DecodeDesignFile(b, *current);
    EXPECT_EQ(r.status, DesignReadStatus::Damaged) << what;
    EXPECT_FALSE(r.message.empty()) << what;
    ExpectSameBytes(EncodeDesignFile(*current), before);
  };

  for (std::size_t cut : {4ul, 13ul, 100ul, 223ul, 224ul, 226ul, 1000ul, 7719ul, 7720ul, 8000ul,
                          file.size() - 848, file.size() - 1})
    expectRefused(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(cut)), "cut at " + std::to_string(cut));

  const auto patched = [&](std::size_t at, std::uint8_t v) {
    Bytes b = file;
    b[at] = v;
    return b;
  };
  expectRefused(patched(204, 12), "12 stages");
  expectRefused(patched(205, 0x80), "negative stage count");
  expectRefused(patched(224, 1), "design step 1");
  expectRefused(patched(224, 9), "design step 9");
  expectRefused(patched(225, 5), "kind 5");
  expectRefused(patched(226, 5), "slot 5");
  expectRefused(patched(206, 7), "16-bit slot 7");
  expectRefused(patched(4, 9), "version length 9");
  // The first result's pole-pair count (results start after the root and pair tables).
  const std::size_t results = 227 + 2160 + 660 + 1980 + 660;
  expectRefused(patched(results + 5, 12), "12 pole pairs");
  const std::size_t firstStage = kDesignFixedSize;
  expectRefused(patched(firstStage + 43 + 86, 0x08), "stage type 8");
  expectRefused(patched(firstStage + 43 + 86 + 257, 12), "pole entry 12");
  expectRefused(patched(firstStage + 3, 99), "circuit number 99");
}

TEST(DesignFile, RandomDamageNeverCrashes) {
  Filler f(12);
  auto good = f.Design(6, 7);
  const Bytes file = EncodeDesignFile(*good);
  std::mt19937 rng(77);
  auto current = std::make_unique<DesignState>();
  int accepted = 0;
  for (int i = 0; i < 400; ++i) {
    Bytes b = file;
    const int flips = 1 + static_cast<int>(rng() % 8);
    for (int k = 0; k < flips; ++k) b[4 + rng() % (b.size() - 4)] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
    if (rng() % 4 == 0) b.resize(rng() % b.size());
    const DesignReadResult r = DecodeDesignFile(b, *current);
    if (r.ok()) {
      ++accepted;
      // Whatever was accepted is a design the program can work with.
      EXPECT_LE(current->stageCount, kMaxStages);
      EXPECT_LE(current->chosenSlot, 4);
    }
  }
  EXPECT_GT(accepted, 0);  // flips inside values are not damage the reader can see
}

class DesignFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tavrin-design-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(DesignFileOnDisk, WriteThenReadAndFailedWritesKeepTheOldFile) {
  Filler f(13);
  auto s = f.Design(3, 7);
  s->modified = true;
  s->stepsStale = true;
  const fs::path file = dir_ / "lowpass.zd3";
  ASSERT_EQ(WriteDesignFile(file, *s), "");
  EXPECT_FALSE(s->modified);
  EXPECT_FALSE(s->stepsStale);
  EXPECT_EQ(fs::file_size(file), DesignFileSize(3, s->userResistorValues));
  EXPECT_FALSE(fs::exists(dir_ / "lowpass.zd3.tmp~"));

  auto back = std::make_unique<DesignState>();
  ASSERT_TRUE(ReadDesignFile(file, *back).ok());
  EXPECT_EQ(back->stageCount, 3);

  // The temporary file cannot be made: the old file stays as it was.
  fs::create_directories(dir_ / "lowpass.zd3.tmp~");
  auto other = f.Design(5, 7);
  other->modified = true;
  EXPECT_NE(WriteDesignFile(file, *other), "");
  EXPECT_TRUE(other->modified);
  EXPECT_EQ(fs::file_size(file), DesignFileSize(3, s->userResistorValues));

  EXPECT_NE(WriteDesignFile(dir_ / "no-such-folder" / "x.zd3", *other), "");
  const DesignReadResult missing = ReadDesignFile(dir_ / "missing.zd3", *back);
  EXPECT_EQ(missing.status, DesignReadStatus::IoError);

  std::ofstream(dir_ / "short.zd3", std::ios::binary) << std::string("\x03\x96\xAE\x96", 4) << "KQP";
  const DesignReadResult damaged = ReadDesignFile(dir_ / "short.zd3", *back);
  EXPECT_EQ(damaged.status, DesignReadStatus::Damaged);
  EXPECT_NE(damaged.message.find("short.zd3"), std::string::npos);  // the message names the file
}

}  // namespace
}  // namespace tavrin::core
