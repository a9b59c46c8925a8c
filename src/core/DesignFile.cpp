#include "core/DesignFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <system_error>

#include "core/ByteCodec.h"
#include "core/MathHelpers.h"

namespace tavrin::core {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {0x03, 0x96, 0xAE, 0x96};
constexpr std::size_t kFlagCount = 40;
constexpr std::size_t kFirstFormatComponentBlock = 546;  // 13 entries of 42 bytes
constexpr double kMaxScaleResistor = 1e7;

// ---------------------------------------------------------------------------------------
// Flag text: position p (1-based) is character p of the 40-character text.

std::string BuildFlagText(const DesignState& s) {
  std::string f(kFlagCount, '0');
  const auto set = [&f](int pos, bool v) { f[static_cast<std::size_t>(pos - 1)] = v ? '1' : '0'; };
  const DesignOptionFlags& o = s.options;
  set(1, s.pairingAutomatic);
  set(2, s.cascadingAutomatic);
  set(3, s.idealGraph.gainInDb);
  set(4, s.idealGraph.logFrequency);
  set(5, o.reserved5);
  set(6, s.frequencyUnit == FrequencyUnit::Hz);
  set(7, s.idealGraph.phaseInDegrees);
  set(8, s.spec.forceOrder);
  set(9, s.idealGraph.viewAll);
  set(10, s.idealGraph.gridLinesHorizontal);
  set(11, s.idealGraph.gridLinesVertical);
  set(12, s.allPole);
  set(13, s.nextDisabled);
  set(14, o.calculatedOrChosen);
  set(15, o.calculated);
  set(16, o.cascadingFlag16);
  set(17, o.cascadingFlag17);
  set(18, o.reserved18);
  set(19, s.useQ);
  set(20, o.reserved20);
  set(21, s.modified);
  set(22, o.circuitSelectionFlag);
  set(23, o.reserved23);
  set(24, o.characteristicsChanged);
  set(25, false);
  set(26, o.printOption26);
  set(27, o.reserved27);
  for (int i = 0; i < 5; ++i) set(28 + i, o.printOptions28to32[static_cast<std::size_t>(i)]);
  set(33, o.reserved23);
  set(34, o.toleranceOption);
  set(35, o.capacitorAdjustOption);
  set(36, s.userResistorValues);
  set(37, s.allCapsStandard);
  return f;
}

void ApplyFlagText(const std::string& f, DesignState& s) {
  const auto at = [&f](int pos) {
    const auto i = static_cast<std::size_t>(pos - 1);
    return i < f.size() && f[i] == '1';
  };
  DesignOptionFlags& o = s.options;
  s.pairingAutomatic = at(1);
  s.cascadingAutomatic = at(2);
  s.idealGraph.gainInDb = at(3);
  s.idealGraph.logFrequency = at(4);
  o.reserved5 = at(5);
  s.frequencyUnit = at(6) ? FrequencyUnit::Hz : FrequencyUnit::RadPerSec;
  s.idealGraph.phaseInDegrees = at(7);
  s.spec.forceOrder = at(8);
  s.idealGraph.viewAll = at(9);
  s.idealGraph.gridLinesHorizontal = at(10);
  s.idealGraph.gridLinesVertical = at(11);
  s.allPole = at(12);
  s.nextDisabled = at(13);
  o.calculatedOrChosen = at(14);
  o.calculated = at(15);
  o.cascadingFlag16 = at(16);
  o.cascadingFlag17 = at(17);
  o.reserved18 = at(18);
  s.useQ = at(19);
  o.reserved20 = at(20);
  s.modified = at(21);
  o.circuitSelectionFlag = at(22);
  o.reserved23 = at(23);
  o.characteristicsChanged = at(24);
  o.printHighResolution = false;
  o.printOption26 = at(26);
  for (int i = 0; i < 5; ++i) o.printOptions28to32[static_cast<std::size_t>(i)] = at(28 + i);
  o.toleranceOption = at(34);
  o.capacitorAdjustOption = at(35);
  s.userResistorValues = at(36);
  s.allCapsStandard = at(37);
}

// ---------------------------------------------------------------------------------------
// Writing

void WriteHeader(ByteWriter& w, const DesignState& s) {
  const FilterSpec& sp = s.spec;
  const ComponentCharacteristics& c = s.characteristics;
  w.Raw(kMagic.data(), kMagic.size());
  w.ShortString(kDesignVersionText, 8);
  w.ShortString(BuildFlagText(s), kFlagCount);
  for (double v : {sp.asb, sp.apb, sp.wsb, sp.wpb, sp.w0, sp.bp, sp.bs, sp.selectivity, sp.normFrequency,
                   sp.apbEntered, sp.asbEntered, sp.passEntered, sp.stopEntered, sp.centerEntered,
                   sp.overallGain, c.RTolerance, c.CTolerance, c.OpTolerance, c.RTempCoeff, c.CTempCoeff,
                   c.TempRange, c.FurtherCharacteristic, c.OpTempCoeff, c.Noise})
    w.Real(v);
  w.Zeros(6);
  for (std::int16_t v : {s.stageCount, s.chosenSlot, s.lastSlot, sp.passUnit, sp.stopUnit, sp.centerUnit,
                         sp.forcedOrder, s.pairingCounter1, s.pairingCounter2})
    w.I16(v);
  w.Zeros(2);
}

void WriteResult(ByteWriter& w, const ApproxResult& r) {
  w.I16(r.order);
  w.I16(r.orderLimit);
  w.Flag(r.tooHigh);
  w.I16(r.polePairs);
  w.I16(r.zeroPairs);
  w.I16(r.singleZeros);
  w.I16(r.zeroPairsShown);
  w.Flag(r.hasRealPole);
  w.Real(r.realPoleNorm);
  w.Real(r.realPole);
  w.Flag(r.hasSecondRealPole);
  w.Real(r.secondRealPole);
  w.Flag(r.hasSingleZero);
  w.Real(r.singleZero);
  w.ShortString(r.gainText, 255);
  w.Real(r.gain);
  w.Real(r.gainNorm);
  w.Real(r.largestPoleQ);
}

void WriteTables(ByteWriter& w, const DesignState& s) {
  for (int slot = 0; slot < kSlotCount; ++slot)
    for (int k = 0; k <= kMaxEntries; ++k) {
      const PoleRoot& p = s.poleRoots[slot][k];
      for (double v : {p.sigmaNorm, p.omegaNorm, p.sigma, p.omega, p.residueMagnitude, p.residueAngle})
        w.Real(v);
    }
  for (int slot = 0; slot < kSlotCount; ++slot)
    for (int k = 1; k <= kMaxEntries; ++k) {
      w.Real(s.zeroRoots[slot][k].wzNorm);
      w.Real(s.zeroRoots[slot][k].wz);
    }
  for (int slot = 0; slot < kSlotCount; ++slot)
    for (int k = 1; k <= kMaxEntries; ++k) {
      const PolePair& p = s.polePairs[slot][k];
      for (double v : {p.b1Norm, p.b0Norm, p.b1, p.b0, p.w0, p.Q}) w.Real(v);
    }
  for (int slot = 0; slot < kSlotCount; ++slot)
    for (int k = 1; k <= kMaxEntries; ++k) {
      w.Real(s.zeroPairs[slot][k].wz2Norm);
      w.Real(s.zeroPairs[slot][k].wz2);
    }
  for (const ApproxResult& r : s.results) WriteResult(w, r);
  for (int k = 1; k <= kMaxEntries; ++k) {
    const PolePairListEntry& e = s.polePairList[k];
    w.Flag(e.available);
    w.U8(e.kind);
    for (double v : {e.Q, e.w0, e.sigma, e.omega}) w.Real(v);
    w.I16(e.source);
  }
  for (int k = 1; k <= kMaxEntries; ++k) {
    const ZeroPairListEntry& e = s.zeroPairList[k];
    w.Flag(e.available);
    w.U8(e.kind);
    w.Real(e.location);
    w.Real(e.wz);
  }
}

// The scale pair as the circuit carries it: its last two resistors once the stage is
// designed, the remembered settings before that.
void ScalePair(const CircuitRecord& c, double& last, double& secondLast) {
  const int n = c.ResistorCount;
  if (n >= 2 && n <= kResistors && c.R[static_cast<std::size_t>(n)].Value > 0) {
    last = c.R[static_cast<std::size_t>(n)].Value;
    secondLast = c.R[static_cast<std::size_t>(n - 1)].Value;
  } else {
    last = c.ScaleResistor;
    secondLast = c.ScalePartner;
  }
}

void WriteStage(ByteWriter& w, const DesignState& s, int st) {
  const CircuitRecord& c = s.circuits[static_cast<std::size_t>(st)];
  // circuit record (43)
  w.Flag(c.Fresh);
  w.I16(c.CircuitId);
  w.I16(c.CircuitNumber);
  w.I16(c.CircuitNumberCopy);
  for (double v : {c.RequestedGain, c.CircuitGain, c.GainRatio, c.OpAmpGbw, c.OpAmpTolerance, c.OpAmpTempCoeff})
    w.Real(v);
  // circuit options (86)
  w.Real(c.OptionReal[0]);
  w.Real(c.OptionReal[1]);
  w.U8(c.OptionByte);
  w.Flag(c.C2VariableAvailable);
  w.Flag(c.C2Variable);
  w.Flag(c.EqualComponents);
  w.Flag(c.Predistort);
  w.U8(c.VariantByte);
  w.Zeros(1);
  w.Real(c.OptionReal[2]);
  w.Real(c.OptionReal[3]);
  w.Real(c.OptionReal[4]);
  w.U8(c.ExtraOptionByte);
  w.Flag(c.HasScalePair);
  double last = 0, secondLast = 0;
  if (c.HasScalePair) ScalePair(c, last, secondLast);
  w.Real(last);
  w.Real(secondLast);
  w.Zeros(35);
  // stage (307)
  const Stage& g = s.stages[static_cast<std::size_t>(st)];
  w.U8(g.type);
  w.ShortString(g.name, 255);
  for (std::int16_t v : {g.pole1, g.pole2, g.zero1, g.zero2}) w.I16(v);
  for (double v : {g.wp, g.Qp, g.wz, g.p, g.flatness, g.k, g.To}) w.Real(v);
  // component set (66)
  const StageComponentSetEntry& m = s.componentSet[static_cast<std::size_t>(st)];
  w.I16(m.C1Index);
  w.I32(m.C1Decade);
  w.I16(m.C2Index);
  w.I32(m.C2Decade);
  w.Real(m.CapRatio);
  for (int j = 1; j <= kCapacitors; ++j) w.Real(m.Value[static_cast<std::size_t>(j)]);
  for (int j = 1; j <= kCapacitors; ++j) w.Real(m.ExactValue[static_cast<std::size_t>(j)]);
  // user stage data (46)
  const UserStageEntry& u = s.userStages[static_cast<std::size_t>(st)];
  w.U8(u.mode);
  for (const std::string& f : u.field) w.ShortString(f, 8);
}

void WriteCriteria(ByteWriter& w, const StageCriteria& criteria) {
  for (const StageCriterion& c : criteria) {
    w.Flag(c.enabled);
    w.I16(c.priority);
  }
}

void WriteUserResistors(ByteWriter& w, const DesignState& s) {
  for (int st = 1; st <= kMaxStages; ++st) {
    const UserResistorEntry& u = s.userResistors[static_cast<std::size_t>(st)];
    for (int j = 1; j <= kResistors; ++j) w.Real(u.value[static_cast<std::size_t>(j)]);
    w.Zeros(6);
    for (int j = 1; j <= kResistors; ++j) w.Flag(u.assigned[static_cast<std::size_t>(j)]);
    w.Zeros(1);
  }
}

// ---------------------------------------------------------------------------------------
// Reading

struct Header {
  std::string version;
  std::string flags;
  std::array<double, 24> reals{};
  std::int16_t stages = 0, chosenSlot = 0, lastSlot = 0, unit1 = 0, unit2 = 0, unit3 = 0, forcedOrder = 0,
               counter1 = 0, counter2 = 0;
};

bool ReadHeader(ByteReader& r, Header& h) {
  r.Skip(4);
  if (!r.ShortString(8, h.version)) return false;
  if (!r.ShortString(kFlagCount, h.flags)) return false;
  for (double& v : h.reals) v = r.Real();
  r.Skip(6);
  for (std::int16_t* v : {&h.stages, &h.chosenSlot, &h.lastSlot, &h.unit1, &h.unit2, &h.unit3, &h.forcedOrder,
                          &h.counter1, &h.counter2})
    *v = r.I16();
  r.Skip(2);
  return r.Ok();
}

DesignFileFormat FormatOf(const std::string& version) {
  if (version == kDesignVersionText) return DesignFileFormat::Current;
  const std::string number = version.size() >= 5 ? version.substr(3, 2) : std::string();
  if (number == "20") return DesignFileFormat::Previous;
  if (number == "10") return DesignFileFormat::First;
  return DesignFileFormat::Current;
}

bool ReadResult(ByteReader& r, ApproxResult& a) {
  a.order = r.I16();
  a.orderLimit = r.I16();
  a.tooHigh = r.Flag();
  a.polePairs = r.I16();
  a.zeroPairs = r.I16();
  a.singleZeros = r.I16();
  a.zeroPairsShown = r.I16();
  a.hasRealPole = r.Flag();
  a.realPoleNorm = r.Real();
  a.realPole = r.Real();
  a.hasSecondRealPole = r.Flag();
  a.secondRealPole = r.Real();
  a.hasSingleZero = r.Flag();
  a.singleZero = r.Real();
  if (!r.ShortString(255, a.gainText)) return false;
  a.gain = r.Real();
  a.gainNorm = r.Real();
  a.largestPoleQ = r.Real();
  // The tables have room for eleven entries; a count beyond that is damage.  The single
  // zeros count roots, not entries: a pair at the origin is two of them.
  const auto inRange = [](std::int16_t v, int hi) { return v >= 0 && v <= hi; };
  return r.Ok() && inRange(a.polePairs, kMaxEntries) && inRange(a.zeroPairs, kMaxEntries) &&
         inRange(a.singleZeros, 2 * kMaxEntries) && inRange(a.zeroPairsShown, 2 * kMaxEntries) &&
         inRange(a.order, 2 * kMaxEntries);
}

bool ReadTables(ByteReader& r, DesignState& s) {
  for (int slot = 0; slot < kSlotCount; ++slot)
    for (int k = 0; k <= kMaxEntries; ++k) {
      PoleRoot& p = s.poleRoots[slot][k];
      for (double* v : {&p.sigmaNorm, &p.omegaNorm, &p.sigma, &p.omega, &p.residueMagnitude, &p.residueAngle})
        *v = r.Real();
    }
  for (int slot = 0; slot < kSlotCount; ++slot)
    for (int k = 1; k <= kMaxEntries; ++k) {
      s.zeroRoots[slot][k].wzNorm = r.Real();
      s.zeroRoots[slot][k].wz = r.Real();
    }
  for (int slot = 0; slot < kSlotCount; ++slot)
    for (int k = 1; k <= kMaxEntries; ++k) {
      PolePair& p = s.polePairs[slot][k];
      for (double* v : {&p.b1Norm, &p.b0Norm, &p.b1, &p.b0, &p.w0, &p.Q}) *v = r.Real();
    }
  for (int slot = 0; slot < kSlotCount; ++slot)
    for (int k = 1; k <= kMaxEntries; ++k) {
      s.zeroPairs[slot][k].wz2Norm = r.Real();
      s.zeroPairs[slot][k].wz2 = r.Real();
    }
  for (ApproxResult& a : s.results)
    if (!ReadResult(r, a)) return false;
  for (int k = 1; k <= kMaxEntries; ++k) {
    PolePairListEntry& e = s.polePairList[k];
    e.available = r.Flag();
    e.kind = r.U8();
    for (double* v : {&e.Q, &e.w0, &e.sigma, &e.omega}) *v = r.Real();
    e.source = r.I16();
    if (e.source < 0 || e.source > kMaxEntries) return false;
  }
  for (int k = 1; k <= kMaxEntries; ++k) {
    ZeroPairListEntry& e = s.zeroPairList[k];
    e.available = r.Flag();
    e.kind = r.U8();
    e.location = r.Real();
    e.wz = r.Real();
  }
  return r.Ok();
}

double ScaleSetting(double v) { return v < 0 || v > kMaxScaleResistor ? 0.0 : v; }

bool ValidStageRecord(const Stage& g) {
  const int type = g.type & 0x7F;
  const auto entry = [](std::int16_t v) { return v >= 0 && v <= kMaxEntries; };
  return type <= ptSN && entry(g.pole1) && entry(g.pole2) && entry(g.zero1) && entry(g.zero2);
}

bool ReadStage(ByteReader& r, DesignState& s, int st, DesignFileFormat format) {
  const bool keepCircuit = s.designStep > 3;
  CircuitRecord c = s.circuits[static_cast<std::size_t>(st)];
  // circuit record
  const bool fresh = r.Flag();
  const std::int16_t id = r.I16();
  const std::int16_t number = r.I16();
  const std::int16_t numberCopy = r.I16();
  std::array<double, 6> reals{};
  for (double& v : reals) v = r.Real();
  if (!r.Ok()) return false;
  if (keepCircuit) {
    // Later steps index their tables by these numbers.
    if (id < 0 || id > 94 || number < 0 || number > 13) return false;
    c.Fresh = fresh;
    c.CircuitId = id;
    c.CircuitNumber = number;
    c.CircuitNumberCopy = numberCopy;
    c.RequestedGain = reals[0];
    c.CircuitGain = reals[1];
    c.GainRatio = reals[2];
    c.OpAmpGbw = reals[3];
    c.OpAmpTolerance = reals[4];
    c.OpAmpTempCoeff = reals[5];
  }
  // circuit options
  if (format != DesignFileFormat::First) {
    CircuitRecord o = c;
    o.OptionReal[0] = r.Real();
    o.OptionReal[1] = r.Real();
    o.OptionByte = r.U8();
    o.C2VariableAvailable = r.Flag();
    o.C2Variable = r.Flag();
    o.EqualComponents = r.Flag();
    o.Predistort = r.Flag();
    o.VariantByte = r.U8();
    r.Skip(1);
    o.OptionReal[2] = r.Real();
    o.OptionReal[3] = r.Real();
    o.OptionReal[4] = r.Real();
    o.ExtraOptionByte = format == DesignFileFormat::Current ? r.U8() : (r.Skip(1), std::uint8_t{0});
    o.HasScalePair = r.Flag();
    o.ScaleResistor = ScaleSetting(r.Real());
    o.ScalePartner = ScaleSetting(r.Real());
    r.Skip(35);
    if (keepCircuit) c = o;
  }
  // stage
  Stage& g = s.stages[static_cast<std::size_t>(st)];
  g.type = r.U8();
  if (!r.ShortString(255, g.name)) return false;
  for (std::int16_t* v : {&g.pole1, &g.pole2, &g.zero1, &g.zero2}) *v = r.I16();
  for (double* v : {&g.wp, &g.Qp, &g.wz, &g.p, &g.flatness, &g.k, &g.To}) *v = r.Real();
  if (!r.Ok() || !ValidStageRecord(g)) return false;
  // component set
  StageComponentSetEntry& m = s.componentSet[static_cast<std::size_t>(st)];
  if (format == DesignFileFormat::First) {
    // One entry per circuit number; the stage's own circuit number picks its entry.
    const std::size_t start = r.Position();
    const int n = number >= 1 && number <= 13 ? number : 1;
    r.Skip(static_cast<std::size_t>(n - 1) * 42);
    m.C1Index = r.I16();
    m.C1Decade = r.I32();
    m.C2Index = r.I16();
    m.C2Decade = r.I32();
    m.CapRatio = r.Real();
    for (int j = 1; j <= kCapacitors; ++j) m.Value[static_cast<std::size_t>(j)] = m.ExactValue[static_cast<std::size_t>(j)] = r.Real();
    r.Skip(kFirstFormatComponentBlock - (r.Position() - start));
  } else {
    m.C1Index = r.I16();
    m.C1Decade = r.I32();
    m.C2Index = r.I16();
    m.C2Decade = r.I32();
    m.CapRatio = r.Real();
    for (int j = 1; j <= kCapacitors; ++j) m.Value[static_cast<std::size_t>(j)] = r.Real();
    for (int j = 1; j <= kCapacitors; ++j) m.ExactValue[static_cast<std::size_t>(j)] = r.Real();
    s.componentSetSaved[static_cast<std::size_t>(st)] = m;
  }
  // user stage data
  UserStageEntry& u = s.userStages[static_cast<std::size_t>(st)];
  u.mode = r.U8();
  for (std::string& f : u.field)
    if (!r.ShortString(8, f)) return false;
  if (!r.Ok()) return false;
  s.circuits[static_cast<std::size_t>(st)] = c;
  return true;
}

bool ReadCriteria(ByteReader& r, StageCriteria& criteria) {
  for (StageCriterion& c : criteria) {
    c.enabled = r.Flag();
    c.priority = r.I16();
  }
  return r.Ok();
}

// An entry that old files wrote as a placeholder (1 or 2) is rebuilt from the value in
// use, in the unit its box shows.
double RepairedEntry(double radPerSec, std::int16_t unitIndex, FrequencyUnit unit) {
  const double perUnit = unit == FrequencyUnit::Hz ? 1.0 / kTwoPi : 1.0;
  return radPerSec * perUnit / Pow10(3.0 * unitIndex);
}

void ApplyHeader(const Header& h, DesignFileFormat format, DesignState& s) {
  FilterSpec& sp = s.spec;
  ComponentCharacteristics& c = s.characteristics;
  double* targets[] = {&sp.asb, &sp.apb, &sp.wsb, &sp.wpb, &sp.w0, &sp.bp, &sp.bs, &sp.selectivity,
                       &sp.normFrequency, &sp.apbEntered, &sp.asbEntered, &sp.passEntered, &sp.stopEntered,
                       &sp.centerEntered, &sp.overallGain, &c.RTolerance, &c.CTolerance, &c.OpTolerance,
                       &c.RTempCoeff, &c.CTempCoeff, &c.TempRange, &c.FurtherCharacteristic, &c.OpTempCoeff,
                       &c.Noise};
  for (std::size_t i = 0; i < h.reals.size(); ++i) *targets[i] = h.reals[i];
  s.stageCount = h.stages;
  // Older files may hold anything in the newer integers; the kind decides then.
  s.lastSlot = (h.lastSlot == 0 || h.lastSlot == 4) ? h.lastSlot : (sp.kind == FilterKind::UserDefined ? 0 : 4);
  const auto unitBox = [](std::int16_t v) { return static_cast<std::int16_t>(std::clamp<int>(v, 0, 1)); };
  sp.passUnit = unitBox(h.unit1);
  sp.stopUnit = unitBox(h.unit2);
  sp.centerUnit = unitBox(h.unit3);
  sp.forcedOrder = h.forcedOrder;
  s.pairingCounter1 = h.counter1;
  s.pairingCounter2 = h.counter2;

  if (sp.apbEntered == 0) sp.apbEntered = sp.apb;
  if (sp.asbEntered == 0) sp.asbEntered = sp.asb;
  // Only the older formats wrote 1 or 2 as placeholders.  In a current file those are the
  // user's own entries (the defaults among them) and are kept as they are: rebuilt, a
  // bandwidth of 2 would come back as a band edge.
  const bool older = format != DesignFileFormat::Current;
  const auto placeholder = [older](double v) { return older && (v == 1 || v == 2); };
  if (placeholder(sp.passEntered)) sp.passEntered = RepairedEntry(sp.wpb, sp.passUnit, s.frequencyUnit);
  if (placeholder(sp.stopEntered)) sp.stopEntered = RepairedEntry(sp.wsb, sp.stopUnit, s.frequencyUnit);
  if (placeholder(sp.centerEntered))
    sp.centerEntered = RepairedEntry(sp.w0, sp.centerUnit, s.frequencyUnit);
  if (sp.kind == FilterKind::Bandpass || sp.kind == FilterKind::Bandstop) {
    if (sp.passEntered == 0) sp.passEntered = RepairedEntry(sp.bp, sp.passUnit, s.frequencyUnit);
    if (sp.stopEntered == 0) sp.stopEntered = RepairedEntry(sp.bs, sp.stopUnit, s.frequencyUnit);
  }
}

bool ValidHeader(const Header& h) {
  return h.stages >= 0 && h.stages <= kMaxStages && h.chosenSlot >= 0 && h.chosenSlot < kSlotCount;
}

bool ValidStep(int step) { return step == 0 || (step >= 2 && step <= 8); }

std::string Damaged(const char* why) { return std::string("The design file is damaged (") + why + ")."; }

}  // namespace

std::size_t DesignFileSize(int stages, bool userResistorValues) {
  return kDesignFixedSize + static_cast<std::size_t>(stages) * kDesignStageSize + kDesignCriteriaSize +
         (userResistorValues ? kUserResistorBlockSize : 0);
}

std::vector<std::uint8_t> EncodeDesignFile(const DesignState& s) {
  ByteWriter w;
  WriteHeader(w, s);
  w.U8(static_cast<std::uint8_t>(s.designStep));
  w.U8(static_cast<std::uint8_t>(s.spec.kind));
  w.U8(static_cast<std::uint8_t>(s.chosenSlot));
  WriteTables(w, s);
  const int stages = std::clamp<int>(s.stageCount, 0, kMaxStages);
  for (int st = 1; st <= stages; ++st) WriteStage(w, s, st);
  WriteCriteria(w, s.firstStageCriteria);
  WriteCriteria(w, s.lastStageCriteria);
  if (s.userResistorValues) WriteUserResistors(w, s);
  return w.Bytes();
}

DesignReadResult DecodeDesignFile(const std::vector<std::uint8_t>& bytes, DesignState& state) {
  DesignReadResult result;
  if (bytes.size() < kMagic.size() || !std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) {
    result.status = DesignReadStatus::InvalidMagic;
    result.message = kInvalidDesignFileMessage;
    return result;
  }
  const auto fail = [&result](const char* why) {
    result.status = DesignReadStatus::Damaged;
    result.message = Damaged(why);
    return result;
  };

  // Read into a copy so that nothing of a damaged file reaches the design.
  auto s = std::make_unique<DesignState>(state);
  const bool pairingBefore = s->pairingAutomatic;
  const bool cascadingBefore = s->cascadingAutomatic;
  ResetDesign(*s);

  ByteReader r(bytes.data(), bytes.size());
  Header h;
  if (!ReadHeader(r, h)) return fail("the header is incomplete");
  if (!ValidHeader(h)) return fail("the header holds impossible values");
  result.format = FormatOf(h.version);

  s->designStep = r.U8();
  const std::uint8_t kind = r.U8();
  const std::uint8_t chosen = r.U8();
  if (!r.Ok()) return fail("it ends early");
  if (!ValidStep(s->designStep) || kind > static_cast<std::uint8_t>(FilterKind::UserDefined) ||
      chosen >= kSlotCount)
    return fail("the design step, kind or approximation is out of range");
  s->spec.kind = static_cast<FilterKind>(kind);
  s->chosenSlot = chosen;
  s->currentSlot = chosen;
  if (!ReadTables(r, *s)) return fail("the approximation tables are incomplete or inconsistent");

  s->stageCount = h.stages;
  for (int st = 1; st <= h.stages; ++st)
    if (!ReadStage(r, *s, st, result.format)) return fail("a stage record is incomplete or inconsistent");
  if (!ReadCriteria(r, s->firstStageCriteria) || !ReadCriteria(r, s->lastStageCriteria))
    return fail("it ends early");

  ApplyFlagText(h.flags, *s);
  ApplyHeader(h, result.format, *s);
  s->modified = false;
  s->stepsStale = false;
  for (int st = 1; st <= h.stages; ++st) {
    CircuitRecord& c = s->circuits[static_cast<std::size_t>(st)];
    const StageComponentSetEntry& m = s->componentSet[static_cast<std::size_t>(st)];
    for (int j = 1; j <= kCapacitors; ++j) {
      c.C[static_cast<std::size_t>(j)].Value = m.Value[static_cast<std::size_t>(j)];
      c.C[static_cast<std::size_t>(j)].ExactValue = m.ExactValue[static_cast<std::size_t>(j)];
    }
    c.Loaded = true;
  }
  s->useCapMemory = h.stages > 0;

  if (s->userResistorValues) {
    for (int st = 1; st <= kMaxStages; ++st) {
      UserResistorEntry& u = s->userResistors[static_cast<std::size_t>(st)];
      for (int j = 1; j <= kResistors; ++j) u.value[static_cast<std::size_t>(j)] = r.Real();
      r.Skip(6);
      for (int j = 1; j <= kResistors; ++j) u.assigned[static_cast<std::size_t>(j)] = r.Flag();
      r.Skip(1);
    }
    if (!r.Ok()) return fail("the user resistor values are incomplete");
    for (int st = 1; st <= h.stages; ++st) {
      CircuitRecord& c = s->circuits[static_cast<std::size_t>(st)];
      const UserResistorEntry& u = s->userResistors[static_cast<std::size_t>(st)];
      for (int j = 1; j <= kResistors; ++j) {
        c.R[static_cast<std::size_t>(j)].UserValue = u.value[static_cast<std::size_t>(j)];
        c.R[static_cast<std::size_t>(j)].UserAssigned = u.assigned[static_cast<std::size_t>(j)];
      }
    }
  }

  result.pairingModeChanged = s->pairingAutomatic != pairingBefore;
  result.cascadingModeChanged = s->cascadingAutomatic != cascadingBefore;
  state = *s;
  return result;
}

std::string WriteDesignFile(const fs::path& path, DesignState& state) {
  const std::vector<std::uint8_t> bytes = EncodeDesignFile(state);
  fs::path temp = path;
  temp += ".tmp~";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return "Cannot create " + temp.string() + ".";
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out.fail()) {
      std::error_code ec;
      fs::remove(temp, ec);
      return "Cannot write " + path.string() + ".";
    }
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) {
    fs::remove(temp, ec);
    return "Cannot replace " + path.string() + ": " + ec.message() + ".";
  }
  state.modified = false;
  state.stepsStale = false;
  return std::string();
}

DesignReadResult ReadDesignFile(const fs::path& path, DesignState& state) {
  std::ifstream in(path, std::ios::binary);
  DesignReadResult result;
  if (!in) {
    result.status = DesignReadStatus::IoError;
    result.message = "Cannot open " + path.string() + ".";
    return result;
  }
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    result.status = DesignReadStatus::IoError;
    result.message = "Cannot read " + path.string() + ".";
    return result;
  }
  result = DecodeDesignFile(bytes, state);
  if (result.status == DesignReadStatus::Damaged) result.message = path.string() + ": " + result.message;
  return result;
}

}  // namespace tavrin::core
