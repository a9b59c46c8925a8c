// The Bessel root table "BessRoot.dat": the poles of the Bessel polynomials of orders 1
// to 20, one 120-byte row per order of ten 12-byte entries (sigma, omega as six-byte
// reals).  For odd n entry 0 holds the real pole in its sigma field and the pairs follow;
// for even n the pairs start at entry 0.  The program renormalizes the poles, so the
// table may use any frequency scale.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>

#include "approx/Messages.h"

namespace tavrin::approx {

inline constexpr int kBesselTableOrders = 20;
inline constexpr int kBesselRowEntries = 10;
inline constexpr std::size_t kBesselRowBytes = 120;
inline constexpr std::size_t kBesselTableBytes = kBesselTableOrders * kBesselRowBytes;  // 2400
inline constexpr const char* kBesselTableFileName = "BessRoot.dat";

struct BesselRootEntry {
  double sigma = 0;  // magnitude of the real part, positive
  double omega = 0;  // imaginary part of the pair, positive (unused for a real pole)
};

// rows[n][j]: entry j of the row of order n (n = 1..20; row 0 unused).
struct BesselRootTable {
  std::array<std::array<BesselRootEntry, kBesselRowEntries>, kBesselTableOrders + 1> rows{};
};

using BesselTableBytes = std::array<std::uint8_t, kBesselTableBytes>;

BesselTableBytes EncodeBesselRootTable(const BesselRootTable& table);
BesselRootTable DecodeBesselRootTable(const BesselTableBytes& bytes);

// Reads the whole 2400-byte record; false when the file cannot be opened or is shorter.
bool ReadBesselRootTable(const std::filesystem::path& path, BesselRootTable& table);

// Where the program looks for the table: its read-only data folder.
std::filesystem::path DefaultBesselRootTablePath();

// "Unable to open file BessRoot.dat. This file should be in the application directory"
Message BesselTableMissingMessage();

}  // namespace tavrin::approx
