// The catalogue of the 71 op-amp circuits a stage can be built with.
//
// A circuit is addressed three ways: by its number n within its stage type (what the
// design and analysis dispatchers switch on), by its CircuitId (id base of the type + n;
// the descriptor rows are keyed by it) and by its CatalogueIndex 1..71 (captions and
// tuning rows are one list in that order).  Everything here is a table lookup; the
// tables themselves live in CatalogueTables.cpp, written out as the circuits' own text.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tavrin::circuits {

inline constexpr int kStageTypeCount = 8;
inline constexpr int kCatalogueSize = 71;
inline constexpr int kMaxCircuitId = 94;
inline constexpr int kMaxCircuitsPerType = 13;
inline constexpr int kActiveCompSchematics = 16;

// Bit 7 of a stage's type byte is a separate flag; the type is the low seven bits.
inline constexpr int StageTypeOf(int typeByte) {
  return typeByte & 0x7F;
}

// 0, 5, 10, 25, 40, 55, 70, 85 for the types 0..7 (type masked with 0x7F); -1 otherwise.
int IdBase(int stageType);
// n + 0, 3, 7, 20, 30, 43, 53, 62: 1..71 for a valid (type, n), 0 otherwise.
int CatalogueIndex(int stageType, int n);
// 3, 4, 13, 10, 13, 10, 9, 9; 0 for a type outside the catalogue.
int CircuitCount(int stageType);
// IdBase + n for a valid (type, n), 0 otherwise.
int CircuitIdOf(int stageType, int n);
// "FLP ", "FHP ", "SLP ", "SHP ", "SBP ", "SLPN", "SHPN", "SN  "; empty outside 0..7.
std::string TypeCode(int stageType);
// The display code without its padding: "FLP" ... "SN".
std::string TypeLetters(int stageType);
// Type letters and two-digit number: "SLP01"; empty for a circuit outside the catalogue.
std::string CircuitKey(int stageType, int n);
// "First Order Lowpass I" ... for CatalogueIndex 1..71; empty otherwise.
std::string Caption(int catalogueIndex);

// Where a CircuitId or a CatalogueIndex sits in the catalogue.
struct CircuitAddress {
  int stageType = -1;
  int number = 0;  // n within the type
  int circuitId = 0;
  int catalogueIndex = 0;
  bool valid() const { return stageType >= 0; }
};
CircuitAddress AddressOfId(int circuitId);
CircuitAddress AddressOfIndex(int catalogueIndex);
// "SLP01" -> its address; invalid for an unknown key.
CircuitAddress AddressOfKey(std::string_view key);
bool IsValidCircuitId(int circuitId);

// The first descriptor row of a circuit: twelve comma-separated fields read by position.
struct CircuitDescriptor {
  int c2Only = 0;          // 1: the capacitor adjustment may change C2 alone
  double ratio = 0;        // initial C2/C1: 0 (no C2), 1, 2, 10 or 100
  int resistors = 0;       // R1..Rn
  int capacitors = 0;      // C1..Cn
  bool scalePair = false;  // the last resistor is a free scale resistor (the "Rx/Ry" pair)
  bool c2VariableAvailable = false;
  bool gainConstrained = false;  // initial value only; the design may change it
  int opAmps = 0;
  bool cubic = false;  // third-order terms in the transfer function (twin-T circuits)
  bool inverting = false;
  bool activeCompAvailable = false;
  int activeCompSchematic = 0;  // 1..16, 0 when none
  std::string text;             // the row as stored
};

// The second row, read by the capacitor adjustment.
struct AdjustmentDescriptor {
  int mode = 0;                    // 1, or 11 for the two Deliyannis bandpass circuits
  int circuitSwitch = 0;           // 1 for SLP06 only
  int resolvedCount = 0;           // how many resistors are re-solved (1..4)
  std::array<int, 5> resolved{};   // their numbers; unused places 0
  std::array<int, 3> heldCodes{};  // codes of the third to fifth parameter held constant
  bool reportGainChange = false;   // first digit of the last field
  bool capacitorCoupling = false;  // second digit of the last field
  std::string text;
};

// Parses a row; fields are read at their fixed character positions.
CircuitDescriptor ParseCircuitDescriptor(std::string_view row);
AdjustmentDescriptor ParseAdjustmentDescriptor(std::string_view row);

// The parsed rows of a valid CircuitId.  Throws std::out_of_range for an id without a row
// (ids only come from IdBase + n, so that is a programming error).
const CircuitDescriptor& Descriptor(int circuitId);
const AdjustmentDescriptor& AdjustDescriptor(int circuitId);
inline const AdjustmentDescriptor& AdjustDescriptorOf(int circuitId) {
  return AdjustDescriptor(circuitId);
}

// " C1=C2 : R1=R2" is offered exactly for a scale pair with a C2-variable variant and
// four resistors (SLP02 and SHP02).
bool EqualComponentsOffered(const CircuitDescriptor& d);

// The circuit whose active-compensation schematic is number k (1..16); invalid otherwise.
CircuitAddress ActiveCompSchematicOwner(int k);

}  // namespace tavrin::circuits
