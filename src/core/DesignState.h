// The one filter design the program holds.  Tables keep the design's 1-based entry
// numbering visible: entry k of a table is index k, index 0 is unused unless a comment
// says otherwise.  Everything here is plain data; the design file writes it block by
// block with an explicit encoder, never by dumping these structs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrin::core {

using real = double;

inline constexpr int kSlotCount = 5;           // the five approximations side by side
inline constexpr int kMaxEntries = 11;         // pole-pair / zero-pair entries per slot
inline constexpr int kMaxStages = 11;          // stages of one cascade
inline constexpr int kCircuitSlots = 13;       // CircuitTable records (1..11 used)
inline constexpr int kMaxOrder = 20;           // final filter order
inline constexpr int kMaxPrototypeOrderBand = 10;  // BP/BS lowpass prototype order
inline constexpr int kScreenGridN = 350;       // frequency and time grid: N + 1 points
inline constexpr int kCurveRecords = 352;      // records per slot in IdealCurveTable
inline constexpr int kGridCapacity = 1202;     // room for print resolution (N <= 1200)
inline constexpr int kMaxPrintGridN = 1200;
inline constexpr int kResistors = 10;          // R1..R10 of a circuit
inline constexpr int kCapacitors = 4;          // C1..C4 of a circuit
inline constexpr int kSensSlots = 7;

enum class FilterKind : std::uint8_t {
  Lowpass = 0,
  Highpass = 1,
  Bandpass = 2,
  Bandstop = 3,
  UserDefined = 4,
};

// The values are also the slot index of a result.
enum class Approximation : std::uint8_t {
  Butterworth = 0,
  Chebyshev = 1,
  InverseChebyshev = 2,
  Elliptic = 3,
  Bessel = 4,
};

enum StageType : std::uint8_t {
  ptFLP = 0,
  ptFHP = 1,
  ptSLP = 2,
  ptSHP = 3,
  ptSBP = 4,
  ptSLPN = 5,
  ptSHPN = 6,
  ptSN = 7,
};

// Display unit for frequencies; stored values are always rad/s.
enum class FrequencyUnit : std::uint8_t { RadPerSec = 0, Hz = 1 };

struct FilterSpec {
  FilterKind kind = FilterKind::Lowpass;
  real apbEntered = 0;
  real asbEntered = 0;
  real passEntered = 0;
  real stopEntered = 0;
  real centerEntered = 0;
  std::int16_t passUnit = 0;
  std::int16_t stopUnit = 0;
  std::int16_t centerUnit = 0;
  bool forceOrder = false;
  std::int16_t forcedOrder = 0;
  real apb = 0;
  real asb = 0;
  real wpb = 0;
  real wsb = 0;
  real bp = 0;
  real bs = 0;
  real w0 = 0;
  real selectivity = 0;
  real normFrequency = 1.0;
  real overallGain = 1.0;
};

struct ApproxResult {
  std::int16_t order = 0;
  std::int16_t orderLimit = kMaxOrder;
  bool tooHigh = false;
  std::int16_t polePairs = 0;
  std::int16_t zeroPairs = 0;
  std::int16_t singleZeros = 0;
  std::int16_t zeroPairsShown = 0;
  bool hasRealPole = false;
  real realPoleNorm = 0;
  real realPole = 0;
  bool hasSecondRealPole = false;
  real secondRealPole = 0;
  bool hasSingleZero = false;
  real singleZero = 0;
  std::string gainText;  // up to 255 characters
  real gain = 0;
  real gainNorm = 0;
  real largestPoleQ = 0;  // recomputed from the slot; kept in the design file too
};

// Coefficient form of one complex pole pair: s^2 + b1*s + b0.
struct PolePair {
  real b1Norm = 0;
  real b0Norm = 0;
  real b1 = 0;
  real b0 = 0;
  real w0 = 0;
  real Q = 0;
};

// Root form: the pole is at -sigma +/- j*omega.
struct PoleRoot {
  real sigmaNorm = 0;
  real omegaNorm = 0;
  real sigma = 0;
  real omega = 0;
  real residueMagnitude = 0;
  real residueAngle = 0;
};

struct ZeroPair {
  real wz2Norm = 0;
  real wz2 = 0;
};

struct ZeroRoot {
  real wzNorm = 0;
  real wz = 0;
};

template <typename T, int N>
using SlotTable = std::array<std::array<T, N>, kSlotCount>;

// Entries 1..11; PoleRootTable entry 0 is the step response's pole at the origin and
// entries P+1, P+2 take real poles while residues are computed.
using PolePairTable = SlotTable<PolePair, kMaxEntries + 1>;
using PoleRootTable = SlotTable<PoleRoot, kMaxEntries + 1>;
using ZeroPairTable = SlotTable<ZeroPair, kMaxEntries + 1>;
using ZeroRootTable = SlotTable<ZeroRoot, kMaxEntries + 1>;

struct PolePairListEntry {  // 28 bytes in the design file
  bool available = false;
  std::uint8_t kind = 0;  // 1 complex pair, 0 single real pole
  real Q = 0;
  real w0 = 0;
  real sigma = 0;
  real omega = 0;
  std::int16_t source = 0;
};

struct ZeroPairListEntry {  // 14 bytes in the design file
  bool available = false;
  std::uint8_t kind = 0;  // 1 pair, 0 single
  real location = 0;
  real wz = 0;
};

struct Stage {  // 307 bytes in the design file
  std::uint8_t type = ptFLP;
  std::string name;  // up to 255 characters
  std::int16_t pole1 = 0;
  std::int16_t pole2 = 0;
  std::int16_t zero1 = 0;
  std::int16_t zero2 = 0;
  real wp = 0;
  real Qp = 0;
  real wz = 0;
  real p = 0;
  real flatness = 0;
  real k = 0;
  real To = 0;
};

struct StageCriterion {  // 3 bytes: enabled flag, i16 priority
  bool enabled = false;
  std::int16_t priority = 1;
};
using StageCriteria = std::array<StageCriterion, 4>;  // 12 bytes; entries 0..3

struct ComponentEntry {
  real Value = 0;
  real ExactValue = 0;
  real PreStandardValue = 0;
  real UserValue = 0;
  bool UserAssigned = false;
  bool IsStandard = false;
  std::array<real, kSensSlots + 1> Sens{};  // 1..7, code order 1, 2, 5, 4, 7, 6, 3
  real Change = 0;
  real TempChange = 0;
};

// One parameter's sensitivity sum over a stage's resistors, over its capacitors, and both.
struct SensitivitySum {
  real R = 0;
  real C = 0;
  real Total = 0;
};

// One stage's circuit: the chosen circuit, its options and its components.  The first
// group of fields is the 43-byte circuit record of the design file, the second the
// 86-byte circuit-options record.
struct CircuitRecord {
  // circuit record block
  bool Fresh = false;  // the design file's recompute flag
  std::int16_t CircuitId = 0;
  std::int16_t CircuitNumber = 0;
  std::int16_t CircuitNumberCopy = 0;
  real RequestedGain = 0;
  real CircuitGain = 0;
  real GainRatio = 0;
  real OpAmpGbw = 1e6;  // Hz
  real OpAmpTolerance = 0;
  real OpAmpTempCoeff = 0;

  // circuit options block: reals at 0, 6, 19, 25, 31; bytes 12..17 and 37
  std::array<real, 5> OptionReal{};
  std::uint8_t OptionByte = 0;  // byte 12
  bool C2VariableAvailable = false;
  bool C2Variable = false;
  bool EqualComponents = false;
  bool Predistort = false;
  std::uint8_t VariantByte = 0;       // byte 17
  std::uint8_t ExtraOptionByte = 0;   // byte 37; files of the older formats lose it
  bool HasScalePair = false;          // byte 38
  real ScaleResistor = 0;             // last resistor of the scale pair
  real ScalePartner = 0;              // second-to-last resistor

  // working fields of the design and analysis
  bool DesignFailed = false;
  bool AdjustPending = false;
  bool Cubic = false;
  bool Inverting = false;
  real DesignQp = 0;
  real DesignWp = 0;
  std::int16_t ResistorCount = 0;
  std::int16_t CapacitorCount = 0;
  std::int16_t OpAmpCount = 0;
  bool GainConstrained = false;
  real SecondGain = 0;
  real SavedGain = 0;
  real UserGain = 0;
  real Level = 0;
  bool UserGainFixed = false;
  real DcAttenuation = 0;
  real ResistorScale = 1;
  real CapRatio = 0;
  std::int16_t C1Index = 0;
  std::int32_t C1Decade = 0;
  std::int16_t C2Index = 0;
  std::int32_t C2Decade = 0;
  bool C2OnlyAllowed = false;
  std::int16_t ScaleIndex = 0;
  std::int16_t ScaleDecade = 0;
  bool ActiveCompAvailable = false;
  bool ActiveComp = false;
  std::int16_t ActiveCompSchematic = 0;
  bool ExactTaken = false;
  std::array<ComponentEntry, kResistors + 1> R{};  // R1..R10
  std::array<ComponentEntry, kCapacitors + 1> C{};  // C1..C4
  real GbwDeviation = 0;
  real GbwCoefWp = 0;
  real GbwCoefQp = 0;
  real MinGbw = 0;
  real Noise = 0;
  bool Analysed = false;  // the per-stage analysis flag
  bool Loaded = false;    // the stage's data came from a design file

  // Sensitivity sums of the stage, recomputed from the components after every design;
  // not part of the design file.  The signed sums take every component (temperature
  // drift moves them all), the squared ones only components at a standard value (a
  // computed exact value has no tolerance to spread).
  SensitivitySum SumWp, SumQp, SumWz, SumPa, SumPb;
  SensitivitySum SumSqWp, SumSqQp, SumSqWz, SumSqPa, SumSqPb;
};

// One candidate circuit of a stage as the selection window compares it.  Recomputed
// whenever a stage is rated; never saved.
inline constexpr int kSpreadTerms = 7;  // V_wp, V_Q, V_wz, V_a, V_b, A_wp, A_Q
struct CircuitRating {
  std::int16_t ResistorCount = 0;
  std::int16_t CapacitorCount = 0;
  std::int16_t OpAmpCount = 0;
  std::int32_t ResistorSpread = 0;
  std::int32_t CapacitorSpread = 0;
  real RequestedGain = 0;
  real CircuitGain = 0;
  bool DesignFailed = false;
  bool Inverting = false;
  std::array<real, kSpreadTerms> SpreadTerms{};  // dB^2, 3-sigma
  bool Included = true;
  real MinGbw = 0;  // Hz
  std::int16_t GbwPairSelector = 1;  // 1: (aw, aq); otherwise the second pair
  real PassiveVariance = 0;
  real ActiveVariance = 0;
  real TotalSpread = 0;  // dB
};

// The per-stage analysis table: every candidate of the stage's type (1..13) and the
// largest figures over the included, successfully designed ones, which scale the bars.
struct StageAnalysisEntry {
  std::array<CircuitRating, kCircuitSlots + 1> candidate{};
  std::array<real, kSpreadTerms> maxTerm{};
  real maxTotal = 0;
  real upperFrequency = 0;  // frequencies of interest, rad/s (0: none)
  real lowerFrequency = 0;
  std::array<real, 4> gainSensitivity{};  // wp, Qp, wz, extra pole at the last frequency
  real lastFrequency = 0;
};

struct StageComponentSetEntry {  // 66 bytes in the design file
  std::int16_t C1Index = 0;
  std::int32_t C1Decade = 0;
  std::int16_t C2Index = 0;
  std::int32_t C2Decade = 0;
  real CapRatio = 0;
  std::array<real, kCapacitors + 1> Value{};       // C1..C4
  std::array<real, kCapacitors + 1> ExactValue{};  // C1..C4
};

// One section of a user-defined filter, as typed (46 bytes in the design file).
struct UserStageEntry {
  std::uint8_t mode = 0;  // 0 Q,wp,wz; 1 poles
  std::array<std::string, 5> field;  // up to 8 characters each
};

// The 77 bytes per stage of user-assigned resistor values.
struct UserResistorEntry {
  std::array<real, kResistors + 1> value{};  // R1..R10
  std::array<bool, kResistors + 1> assigned{};
};

inline constexpr int kEvalPoints = 351;  // evaluation frequencies of cascading

// One stage's (or partial cascade's) magnitude over the evaluation frequencies.
struct StageResponseRecord {
  std::array<real, kEvalPoints> m{};
  real peak = 0;
  real passMin = 0;
};

struct FrequencyPoint {
  real hz = 0;
  real rad = 0;
};

struct CurveRecord {
  real gainDb = 0;
  real gainVv = 0;
  real phaseLag = 0;  // degrees; displays show its negative
  real delay = 0;     // seconds
  real step = 0;
  real impulse = 0;
};

struct IdealAxes {
  real freqStart = 0;  // in the current FrequencyUnit
  real freqStop = 0;
  bool logarithmic = true;
  real vvBottom = 0;
  real vvTop = 0;
  real dbBottom = 0;
  real dbTop = 0;
  real phaseBottom = 0;
  real phaseTop = 0;
  real delayTop = 0;
  std::int16_t delayExponent = 0;
  real stepMin = 0;
  real stepMax = 0;
  real impulseMin = 0;
  real impulseMax = 0;
  std::int16_t impulseExponent = 0;
  bool rangeLocked = false;
  // the range the user may zoom or configure within, chosen with the default range
  real freqLimitLow = 0;
  real freqLimitHigh = 0;
  // the -3 dB level line of the gain graphs
  real level3dBVv = 0;
  real level3dBDb = 0;
  // time axis
  std::int16_t timeExponent = 0;
  real timeMax = 0;
  real timeTick = 0;
  real timeSpan = 0;
};

struct GraphZoomLevel {
  real freqStart = 0;
  real freqStop = 0;
  real vvBottom = 0;
  real vvTop = 0;
  real dbBottom = 0;
  real dbTop = 0;
};

struct GraphConfig {
  std::array<GraphZoomLevel, 3> level{};
  std::int16_t currentLevel = 0;
  bool gainInDb = true;
  bool logFrequency = true;
  bool phaseInDegrees = true;
  bool viewAll = true;
  bool gridLinesHorizontal = true;
  bool gridLinesVertical = true;
  bool marker3dB = true;
  bool zoomArmed = false;
  bool zoomed = false;
};

// Frequency axis of the final-response graph, in the current FrequencyUnit.
struct FinalAxes {
  real freqStart = 0;
  real freqStop = 0;
  real freqLimitLow = 0;
  real freqLimitHigh = 0;
  bool logarithmic = true;
};

struct FinalCurvePoint {
  std::array<real, 3> gainVv{};
  std::array<real, 3> phaseRad{};
  std::array<real, 3> delay{};
};

struct ComponentInventory {  // stored byte for byte as the inventory file
  std::array<std::uint8_t, 1012> bytes{};
};

// Options of the later design windows that travel with a design in its file.  Their
// owners give them meaning; the reserved ones are only kept so a file reads back as it was.
struct DesignOptionFlags {
  bool reserved5 = false;
  bool calculatedOrChosen = false;  // set once a Calculate succeeded or an approximation was chosen
  bool calculated = false;          // set once a Calculate succeeded
  bool cascadingFlag16 = false;
  bool cascadingFlag17 = false;
  bool reserved18 = false;
  bool reserved20 = false;
  bool circuitSelectionFlag = false;
  bool reserved23 = false;
  bool characteristicsChanged = false;
  bool printHighResolution = false;  // never restored from a file
  bool printOption26 = false;
  bool reserved27 = false;
  std::array<bool, 5> printOptions28to32{};
  bool toleranceOption = false;
  bool capacitorAdjustOption = false;
};

// Preferences that live in the state while a design is worked on (the settings file
// persists them between runs).
struct ComponentCharacteristics {
  real RTolerance = 1;
  real CTolerance = 1;
  real OpTolerance = 30;
  real RTempCoeff = 100e-6;
  real CTempCoeff = 20e-6;
  real TempRange = 20;
  real FurtherCharacteristic = 0;  // stored and restored with the design only
  real OpTempCoeff = 2e-3;
  real Noise = 12;
};

struct DesignState {
  FilterSpec spec;
  std::array<ApproxResult, kSlotCount> results{};
  std::array<bool, kSlotCount> approxSkip{};
  PolePairTable polePairs{};
  PoleRootTable poleRoots{};
  ZeroPairTable zeroPairs{};
  ZeroRootTable zeroRoots{};

  std::array<PolePairListEntry, kMaxEntries + 1> polePairList{};
  std::array<ZeroPairListEntry, kMaxEntries + 1> zeroPairList{};
  std::int16_t pairingCounter1 = 0;
  std::int16_t pairingCounter2 = 0;

  std::array<Stage, kMaxStages + 1> stages{};  // stage 1 first
  std::int16_t stageCount = 0;
  std::array<CircuitRecord, kCircuitSlots + 1> circuits{};  // slots 1..13, 1..11 used
  std::array<StageComponentSetEntry, kMaxStages + 1> componentSet{};
  std::array<StageComponentSetEntry, kMaxStages + 1> componentSetSaved{};
  std::array<UserStageEntry, kMaxStages + 1> userStages{};
  std::array<UserResistorEntry, kMaxStages + 1> userResistors{};

  StageCriteria firstStageCriteria{};
  StageCriteria lastStageCriteria{};
  bool useQ = false;

  // ideal responses
  std::int16_t gridN = kScreenGridN;
  std::array<FrequencyPoint, kGridCapacity> frequencyGrid{};
  std::array<real, kGridCapacity> timeGrid{};
  SlotTable<CurveRecord, kCurveRecords> idealCurves{};
  // While a print job runs at its own resolution the curves of the one approximation
  // being printed go here instead, N + 1 records.
  bool printResolution = false;
  std::vector<CurveRecord> printCurves;
  IdealAxes idealAxes;
  GraphConfig idealGraph;

  // final response
  std::array<FrequencyPoint, kGridCapacity> finalPoints{};
  std::array<FinalCurvePoint, kGridCapacity> finalCurves{};
  FinalAxes finalAxes;
  GraphConfig finalGraph;

  ComponentInventory inventory{};
  ComponentCharacteristics characteristics;
  DesignOptionFlags options;

  // circuit calculation workflow
  std::array<StageAnalysisEntry, kMaxStages + 1> stageAnalysis{};  // StageAnalysisTable
  bool ratingShowPassive = true;  // ShowPassive / ShowActive of the selection window's bars
  bool ratingShowActive = true;
  std::array<real, kMaxStages + 1> designedGain{};  // CircuitGain each design returned, this computation
  bool sensShown = false;           // SensShown: the Sens page has been displayed since the last computation
  bool sideTabMark = false;         // a side tab of the calculation window was clicked
  bool neutralisingPredistortion = false;  // the final response recomputes without predistortion
  bool capacitorWarningGiven = false;      // the leaving-forward warning is given once per design
  std::array<bool, kMaxStages + 1> rememberedC2Variable{};
  std::array<bool, kMaxStages + 1> equalComponentsAvailable{};
  bool standardResistors = false;  // StandardR
  std::int16_t substStrategy = 1;  // SubstStrategy
  std::int16_t currentStage = 1;
  std::int16_t currentStep = 1;

  // workflow and preference flags
  bool pairingAutomatic = true;
  bool cascadingAutomatic = true;
  FrequencyUnit frequencyUnit = FrequencyUnit::Hz;
  bool allPole = true;  // AllPole
  bool modified = false;  // Modified
  bool stepsStale = false;  // StepsStale
  std::int16_t designStep = 0;  // DesignStep
  std::int16_t currentSlot = 0;
  std::int16_t chosenSlot = 0;
  std::int16_t lastSlot = 4;  // LastSlot
  bool nextDisabled = false;
  bool spiceOutput = false;  // value formatting uses SPICE precision while set
  bool allCapsStandard = false;
  bool useCapInventory = false;
  bool useResInventory = false;
  bool useCapMemory = false;  // UseCapMemory
  bool userResistorValues = false;  // some stage carries user-assigned resistor values
  std::string fileName;  // empty for "[Untitled]"

  // stage cascading: the points every stage is judged at and the passband window, in
  // rad/s, set when an approximation is accepted for the later steps
  std::array<real, kEvalPoints> evalFrequencies{};
  real passWindowStart = 0;
  real passWindowEnd = 0;
  real passEdgeLow = 0;   // a bandstop's passband minimum skips (passEdgeLow, passEdgeHigh)
  real passEdgeHigh = 0;
  std::array<StageResponseRecord, kMaxStages + 1> stageResponses{};    // stage 1..S alone
  std::array<StageResponseRecord, kMaxStages + 1> cascadeResponses{};  // partial cascade ending there
  std::array<std::int16_t, kMaxStages + 1> cascadeOrder{};             // position -> stage
  bool firstStageFixed = false;
  bool lastStageFixed = false;

  // user-defined filter: which pole / zero slots of approximation 0 sections hold
  std::array<bool, kMaxEntries + 1> userPoleSlotTaken{};
  std::array<bool, kMaxEntries + 1> userZeroSlotTaken{};
};

// Puts one slot's result and its root-table entries 1..11 into the empty state.
void ClearSlot(DesignState& state, int slot);

// Makes a slot current and keeps AllPole in step with it.
void SetCurrentSlot(DesignState& state, int slot);

// The engine's part of starting afresh: everything that does not touch a window.
void ResetDesign(DesignState& state);

bool SlotHasResult(const DesignState& state, int slot);

// Zeros at the origin beyond those the zero-pair table holds as pairs at wz = 0.  A design
// from requirements has at most its one single zero.  A user-defined filter has one for
// every first-order highpass and every bandpass section, more than the single-zero flag
// can say, so they are counted from its stages, which every design file keeps.
int SingleZerosAtOrigin(const DesignState& state, int slot);

}  // namespace tavrin::core
