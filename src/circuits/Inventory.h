// The component inventory: which standard values the user stocks.  It is kept byte for
// byte as the file RCInvent.dat (1012 bytes, no header):
//   0-671   E96 resistors, 7 decades x 96 (decade d covers 1 x 10^d .. 9.76 x 10^d ohm)
//   672-839 E24 resistors, 7 x 24        840-923 E12 resistors, 7 x 12
//   924-995 E12 capacitors, 6 decades x 12 (decade 0 is 10 pF .. 82 pF)
//   996-1011 four ranges of two little-endian int16: first decade, last decade + 1,
//            for E96, E24, E12 resistors and the capacitors.
#pragma once

#include <filesystem>
#include <string>

#include "circuits/StandardValues.h"
#include "core/DesignState.h"
#include "core/Paths.h"

namespace tavrin::circuits {

inline constexpr const char* kInventoryFileName = "RCInvent.dat";
inline constexpr std::size_t kInventoryBytes = 1012;
inline constexpr int kResistorDecades = 7;
inline constexpr int kCapacitorDecades = 6;

enum class InventoryBlock { E96, E24, E12, Capacitors };

struct InventoryRange {
  int first = 0;      // Rmin / Cmin: 0.."1", "10", ... or 0.."10pF", "100pF", ...
  int lastPlus1 = 0;  // Rmax+1 / Cmax+1
};

// Every value in stock, all decades in range.
void SetDefaultInventory(core::ComponentInventory& inv);

InventoryRange GetRange(const core::ComponentInventory& inv, InventoryBlock block);
void SetRange(core::ComponentInventory& inv, InventoryBlock block, InventoryRange range);

// Byte offset of a value's stock flag: decade 0..6 (0..5 for capacitors) of the block,
// index within the series; -1 outside the block.
int StockByteOffset(InventoryBlock block, int decade, int index);
bool InStock(const core::ComponentInventory& inv, InventoryBlock block, int decade, int index);
void SetInStock(core::ComponentInventory& inv, InventoryBlock block, int decade, int index, bool inStock);

// The stock flag of a series value as the membership tests report it: index and decade of
// IsStandardResistor (value = mantissa x 10^decade; decade -2 is 1 ohm) in the series of
// the tolerance, or of IsStandardCapacitor (mantissa / 10^decade; decade 13 is 10 pF,
// and decades beyond Cmax+1 are never in stock).  Values outside the decades the file
// holds are never in stock.
bool InResistorInventory(const core::ComponentInventory& inv, Series series, int index, int decade);
bool InCapacitorInventory(const core::ComponentInventory& inv, int index, int decade);

// The inventory mark of a schematic label: the value is a standard value and in stock.
bool ResistorInStock(const core::ComponentInventory& inv, double rTolerance, double ohms);
bool CapacitorInStock(const core::ComponentInventory& inv, double farads);

std::filesystem::path InventoryFilePath(const core::Paths& paths);

struct InventoryFileResult {
  bool ok = true;
  bool created = false;  // the file did not exist and was written with the defaults
  std::string error;     // what went wrong with the file, for the caller to show
};

// Reads the file into inv; a short file is read as far as it goes and the rest of inv
// keeps its content.  A missing file gives the defaults, which are then written.
InventoryFileResult LoadInventory(core::ComponentInventory& inv, const std::filesystem::path& file);
InventoryFileResult SaveInventory(const core::ComponentInventory& inv, const std::filesystem::path& file);
// The same at the program's own place for the file (ResolvePaths()->userData).
InventoryFileResult LoadInventory(core::ComponentInventory& inv);
InventoryFileResult SaveInventory(const core::ComponentInventory& inv);

}  // namespace tavrin::circuits
