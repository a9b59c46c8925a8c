#include "circuits/Inventory.h"

#include <fstream>
#include <system_error>

namespace tavrin::circuits {

namespace fs = std::filesystem;

namespace {

struct BlockInfo {
  int start;
  int perDecade;
  int decades;
  int rangeOffset;
};

BlockInfo Info(InventoryBlock block) {
  switch (block) {
    case InventoryBlock::E96:
      return {0, 96, kResistorDecades, 996};
    case InventoryBlock::E24:
      return {672, 24, kResistorDecades, 1000};
    case InventoryBlock::E12:
      return {840, 12, kResistorDecades, 1004};
    case InventoryBlock::Capacitors:
      break;
  }
  return {924, 12, kCapacitorDecades, 1008};
}

InventoryBlock BlockOf(Series series) {
  switch (series) {
    case Series::E96:
      return InventoryBlock::E96;
    case Series::E24:
      return InventoryBlock::E24;
    case Series::E12:
      break;
  }
  return InventoryBlock::E12;
}

std::int16_t ReadInt16(const core::ComponentInventory& inv, int offset) {
  const auto lo = static_cast<unsigned>(inv.bytes[static_cast<std::size_t>(offset)]);
  const auto hi = static_cast<unsigned>(inv.bytes[static_cast<std::size_t>(offset + 1)]);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
}

void WriteInt16(core::ComponentInventory& inv, int offset, int value) {
  const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
  inv.bytes[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(v & 0xFF);
  inv.bytes[static_cast<std::size_t>(offset + 1)] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

void SetDefaultInventory(core::ComponentInventory& inv) {
  for (std::size_t i = 0; i < 996; ++i) inv.bytes[i] = 1;
  SetRange(inv, InventoryBlock::E96, {0, kResistorDecades});
  SetRange(inv, InventoryBlock::E24, {0, kResistorDecades});
  SetRange(inv, InventoryBlock::E12, {0, kResistorDecades});
  SetRange(inv, InventoryBlock::Capacitors, {0, kCapacitorDecades});
}

InventoryRange GetRange(const core::ComponentInventory& inv, InventoryBlock block) {
  const int at = Info(block).rangeOffset;
  return {ReadInt16(inv, at), ReadInt16(inv, at + 2)};
}

void SetRange(core::ComponentInventory& inv, InventoryBlock block, InventoryRange range) {
  const int at = Info(block).rangeOffset;
  WriteInt16(inv, at, range.first);
  WriteInt16(inv, at + 2, range.lastPlus1);
}

int StockByteOffset(InventoryBlock block, int decade, int index) {
  const BlockInfo b = Info(block);
  if (decade < 0 || decade >= b.decades || index < 0 || index >= b.perDecade) return -1;
  return b.start + decade * b.perDecade + index;
}

bool InStock(const core::ComponentInventory& inv, InventoryBlock block, int decade, int index) {
  const int at = StockByteOffset(block, decade, index);
  return at >= 0 && inv.bytes[static_cast<std::size_t>(at)] != 0;
}

void SetInStock(core::ComponentInventory& inv, InventoryBlock block, int decade, int index, bool inStock) {
  const int at = StockByteOffset(block, decade, index);
  if (at >= 0) inv.bytes[static_cast<std::size_t>(at)] = inStock ? 1 : 0;
}

bool InResistorInventory(const core::ComponentInventory& inv, Series series, int index, int decade) {
  // Decade -2 of the normalised form (100 x 10^-2 = 1 ohm) is the file's first decade.
  return InStock(inv, BlockOf(series), decade + 2, index);
}

bool InCapacitorInventory(const core::ComponentInventory& inv, int index, int decade) {
  // Decade 13 (100 / 10^13 = 10 pF) is the file's first decade.
  const int d = 13 - decade;
  if (decade > 13 || d >= GetRange(inv, InventoryBlock::Capacitors).lastPlus1) return false;
  return InStock(inv, InventoryBlock::Capacitors, d, index);
}

bool ResistorInStock(const core::ComponentInventory& inv, double rTolerance, double ohms) {
  const SeriesMatch m = IsStandardResistor(ohms, rTolerance);
  return m.standard && InResistorInventory(inv, SeriesFor(rTolerance), m.index, m.decade);
}

bool CapacitorInStock(const core::ComponentInventory& inv, double farads) {
  const SeriesMatch m = IsStandardCapacitor(farads);
  return m.standard && InCapacitorInventory(inv, m.index, m.decade);
}

fs::path InventoryFilePath(const core::Paths& paths) {
  return paths.userData / kInventoryFileName;
}

InventoryFileResult LoadInventory(core::ComponentInventory& inv, const fs::path& file) {
  InventoryFileResult result;
  std::error_code ec;
  if (!fs::exists(file, ec)) {
    SetDefaultInventory(inv);
    result = SaveInventory(inv, file);
    result.created = result.ok;
    return result;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    result.ok = false;
    result.error = "Cannot open " + file.string();
    return result;
  }
  in.read(reinterpret_cast<char*>(inv.bytes.data()), static_cast<std::streamsize>(inv.bytes.size()));
  return result;
}

InventoryFileResult SaveInventory(const core::ComponentInventory& inv, const fs::path& file) {
  InventoryFileResult result;
  std::error_code ec;
  if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (out) {
    out.write(reinterpret_cast<const char*>(inv.bytes.data()),
              static_cast<std::streamsize>(inv.bytes.size()));
    out.close();
  }
  if (!out) {
    result.ok = false;
    result.error = "Cannot write " + file.string();
  }
  return result;
}

InventoryFileResult LoadInventory(core::ComponentInventory& inv) {
  const auto paths = core::ResolvePaths();
  if (!paths) {
    SetDefaultInventory(inv);
    return {false, false, "No folder for the component inventory"};
  }
  return LoadInventory(inv, InventoryFilePath(*paths));
}

InventoryFileResult SaveInventory(const core::ComponentInventory& inv) {
  const auto paths = core::ResolvePaths();
  if (!paths) return {false, false, "No folder for the component inventory"};
  return SaveInventory(inv, InventoryFilePath(*paths));
}

}  // namespace tavrin::circuits
