#include "approx/BesselRootTable.h"

#include <cstdio>

#include "core/Paths.h"
#include "core/SixByteReal.h"

namespace tavrin::approx {

namespace {
std::size_t EntryOffset(int order, int entry) {
  return static_cast<std::size_t>(order - 1) * kBesselRowBytes + static_cast<std::size_t>(entry) * 12;
}
}  // namespace

BesselTableBytes EncodeBesselRootTable(const BesselRootTable& table) {
  BesselTableBytes bytes{};
  for (int n = 1; n <= kBesselTableOrders; ++n) {
    for (int j = 0; j < kBesselRowEntries; ++j) {
      const std::size_t at = EntryOffset(n, j);
      const core::SixBytes s = core::EncodeSixByteReal(table.rows[n][j].sigma);
      const core::SixBytes w = core::EncodeSixByteReal(table.rows[n][j].omega);
      for (std::size_t b = 0; b < 6; ++b) {
        bytes[at + b] = s[b];
        bytes[at + 6 + b] = w[b];
      }
    }
  }
  return bytes;
}

BesselRootTable DecodeBesselRootTable(const BesselTableBytes& bytes) {
  BesselRootTable table;
  for (int n = 1; n <= kBesselTableOrders; ++n) {
    for (int j = 0; j < kBesselRowEntries; ++j) {
      const std::size_t at = EntryOffset(n, j);
      table.rows[n][j].sigma = core::DecodeSixByteReal(bytes.data() + at);
      table.rows[n][j].omega = core::DecodeSixByteReal(bytes.data() + at + 6);
    }
  }
  return table;
}

bool ReadBesselRootTable(const std::filesystem::path& path, BesselRootTable& table) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  BesselTableBytes bytes{};
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  if (got != bytes.size()) return false;
  table = DecodeBesselRootTable(bytes);
  return true;
}

std::filesystem::path DefaultBesselRootTablePath() {
  const auto paths = core::ResolvePaths();
  const std::filesystem::path dir = paths ? paths->programData : std::filesystem::path(TAVRIN_BUILD_DATA_DIR);
  return dir / kBesselTableFileName;
}

Message BesselTableMissingMessage() {
  Message m;
  m.text =
      std::string("Unable to open file BessRoot.dat. This file ") + "should be in the application directory";
  m.kind = MessageKind::Error;
  m.buttons = MessageButtons::Ok;
  return m;
}

}  // namespace tavrin::approx
