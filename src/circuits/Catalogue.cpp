#include "circuits/Catalogue.h"

#include <charconv>
#include <cstdlib>
#include <stdexcept>

#include "circuits/CatalogueTables.h"

namespace tavrin::circuits {

namespace {

struct TypeInfo {
  const char* code;  // padded to four characters
  int count;
  int idBase;
  int indexOffset;
};

constexpr std::array<TypeInfo, kStageTypeCount> kTypes = {{
    {"FLP ", 3, 0, 0},
    {"FHP ", 4, 5, 3},
    {"SLP ", 13, 10, 7},
    {"SHP ", 10, 25, 20},
    {"SBP ", 13, 40, 30},
    {"SLPN", 10, 55, 43},
    {"SHPN", 9, 70, 53},
    {"SN  ", 9, 85, 62},
}};

const TypeInfo* Type(int stageType) {
  const int t = StageTypeOf(stageType);
  if (stageType < 0 || t >= kStageTypeCount) return nullptr;
  return &kTypes[static_cast<std::size_t>(t)];
}

bool ValidNumber(int stageType, int n) {
  const TypeInfo* t = Type(stageType);
  return t != nullptr && n >= 1 && n <= t->count;
}

// The characters [first, first + len) of a row (first is 1-based), or empty past its end.
std::string_view Field(std::string_view row, std::size_t first, std::size_t len) {
  if (first == 0 || first - 1 >= row.size()) return {};
  return row.substr(first - 1, len);
}

int ToInt(std::string_view s) {
  int v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

double ToReal(std::string_view s) {
  const std::string text(s);
  return std::strtod(text.c_str(), nullptr);
}

struct ParsedRows {
  std::array<CircuitDescriptor, kMaxCircuitId + 1> descriptor{};
  std::array<AdjustmentDescriptor, kMaxCircuitId + 1> adjust{};
  std::array<bool, kMaxCircuitId + 1> present{};
};

const ParsedRows& Rows() {
  static const ParsedRows rows = [] {
    ParsedRows r;
    for (const tables::DescriptorRow& row : tables::kDescriptorRows) {
      const auto id = static_cast<std::size_t>(row.circuitId);
      r.descriptor[id] = ParseCircuitDescriptor(row.descriptor);
      r.adjust[id] = ParseAdjustmentDescriptor(row.adjust);
      r.present[id] = true;
    }
    return r;
  }();
  return rows;
}

}  // namespace

int IdBase(int stageType) {
  const TypeInfo* t = Type(stageType);
  return t ? t->idBase : -1;
}

int CatalogueIndex(int stageType, int n) {
  return ValidNumber(stageType, n) ? Type(stageType)->indexOffset + n : 0;
}

int CircuitCount(int stageType) {
  const TypeInfo* t = Type(stageType);
  return t ? t->count : 0;
}

int CircuitIdOf(int stageType, int n) {
  return ValidNumber(stageType, n) ? Type(stageType)->idBase + n : 0;
}

std::string TypeCode(int stageType) {
  const TypeInfo* t = Type(stageType);
  return t ? std::string(t->code) : std::string();
}

std::string TypeLetters(int stageType) {
  std::string code = TypeCode(stageType);
  while (!code.empty() && code.back() == ' ') code.pop_back();
  return code;
}

std::string CircuitKey(int stageType, int n) {
  if (!ValidNumber(stageType, n)) return {};
  std::string key = TypeLetters(stageType);
  key += static_cast<char>('0' + n / 10);
  key += static_cast<char>('0' + n % 10);
  return key;
}

std::string Caption(int catalogueIndex) {
  if (catalogueIndex < 1 || catalogueIndex > kCatalogueSize) return {};
  return tables::kCaptions[static_cast<std::size_t>(catalogueIndex)];
}

CircuitAddress AddressOfId(int circuitId) {
  for (int t = 0; t < kStageTypeCount; ++t) {
    const int n = circuitId - kTypes[static_cast<std::size_t>(t)].idBase;
    if (ValidNumber(t, n)) return {t, n, circuitId, CatalogueIndex(t, n)};
  }
  return {};
}

CircuitAddress AddressOfIndex(int catalogueIndex) {
  for (int t = 0; t < kStageTypeCount; ++t) {
    const int n = catalogueIndex - kTypes[static_cast<std::size_t>(t)].indexOffset;
    if (ValidNumber(t, n)) return {t, n, CircuitIdOf(t, n), catalogueIndex};
  }
  return {};
}

CircuitAddress AddressOfKey(std::string_view key) {
  if (key.size() < 3) return {};
  const std::string_view letters = key.substr(0, key.size() - 2);
  const std::string_view digits = key.substr(key.size() - 2);
  if (digits[0] < '0' || digits[0] > '9' || digits[1] < '0' || digits[1] > '9') return {};
  const int n = (digits[0] - '0') * 10 + (digits[1] - '0');
  for (int t = 0; t < kStageTypeCount; ++t) {
    if (TypeLetters(t) == letters && ValidNumber(t, n)) {
      return {t, n, CircuitIdOf(t, n), CatalogueIndex(t, n)};
    }
  }
  return {};
}

bool IsValidCircuitId(int circuitId) {
  return AddressOfId(circuitId).valid();
}

CircuitDescriptor ParseCircuitDescriptor(std::string_view row) {
  // Field 1 at characters 1-2, field 2 (three digits) at 4-6, then two-digit fields
  // every three characters from character 8 on.
  auto two = [&](int field) { return ToInt(Field(row, 8 + 3 * static_cast<std::size_t>(field - 3), 2)); };
  CircuitDescriptor d;
  d.c2Only = ToInt(Field(row, 1, 2));
  d.ratio = ToReal(Field(row, 4, 3));
  d.resistors = two(3);
  d.capacitors = two(4);
  d.scalePair = two(5) == 1;
  d.c2VariableAvailable = two(6) == 1;
  d.gainConstrained = two(7) == 1;
  d.opAmps = two(8);
  d.cubic = two(9) == 1;
  d.inverting = two(10) == 1;
  d.activeCompAvailable = two(11) == 1;
  d.activeCompSchematic = two(12);
  d.text = std::string(row);
  return d;
}

AdjustmentDescriptor ParseAdjustmentDescriptor(std::string_view row) {
  auto field = [&](int k) { return Field(row, 1 + 3 * static_cast<std::size_t>(k - 1), 2); };
  AdjustmentDescriptor a;
  a.mode = ToInt(field(1));
  a.circuitSwitch = ToInt(field(2));
  a.resolvedCount = ToInt(field(3));
  for (int k = 0; k < 5; ++k) a.resolved[static_cast<std::size_t>(k)] = ToInt(field(4 + k));
  for (int k = 0; k < 3; ++k) a.heldCodes[static_cast<std::size_t>(k)] = ToInt(field(9 + k));
  const std::string_view flags = field(12);
  a.reportGainChange = flags.size() >= 1 && flags[0] == '1';
  a.capacitorCoupling = flags.size() >= 2 && flags[1] == '1';
  a.text = std::string(row);
  return a;
}

const CircuitDescriptor& Descriptor(int circuitId) {
  const ParsedRows& rows = Rows();
  if (circuitId < 0 || circuitId > kMaxCircuitId || !rows.present[static_cast<std::size_t>(circuitId)]) {
    throw std::out_of_range("no circuit descriptor for id " + std::to_string(circuitId));
  }
  return rows.descriptor[static_cast<std::size_t>(circuitId)];
}

const AdjustmentDescriptor& AdjustDescriptor(int circuitId) {
  const ParsedRows& rows = Rows();
  if (circuitId < 0 || circuitId > kMaxCircuitId || !rows.present[static_cast<std::size_t>(circuitId)]) {
    throw std::out_of_range("no adjustment descriptor for id " + std::to_string(circuitId));
  }
  return rows.adjust[static_cast<std::size_t>(circuitId)];
}

bool EqualComponentsOffered(const CircuitDescriptor& d) {
  return d.scalePair && d.c2VariableAvailable && d.resistors == 4;
}

CircuitAddress ActiveCompSchematicOwner(int k) {
  if (k < 1 || k > kActiveCompSchematics) return {};
  for (const tables::DescriptorRow& row : tables::kDescriptorRows) {
    if (Descriptor(row.circuitId).activeCompSchematic == k) return AddressOfId(row.circuitId);
  }
  return {};
}

}  // namespace tavrin::circuits
