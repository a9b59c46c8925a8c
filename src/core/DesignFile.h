// The binary design file (".zd3"; the previous ".zd2" format is read too): a sequence of
// fixed-size blocks that mirror the design state.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/DesignState.h"

namespace tavrin::core {

inline constexpr std::size_t kDesignHeaderSize = 224;
inline constexpr std::size_t kDesignFixedSize = 224 + 3 + 7492;  // up to the stage groups
inline constexpr std::size_t kDesignStageSize = 548;
inline constexpr std::size_t kDesignCriteriaSize = 24;
inline constexpr std::size_t kUserResistorBlockSize = 847;
inline constexpr const char* kDesignVersionText = "KQP30";
inline constexpr const char* kInvalidDesignFileMessage = "Invalid Tavrin design file";

enum class DesignFileFormat { First = 10, Previous = 20, Current = 30 };

enum class DesignReadStatus {
  Ok,
  InvalidMagic,  // not a design file at all: the caller resets the design
  Damaged,       // looks like a design file but is short or inconsistent
  IoError,
};

struct DesignReadResult {
  DesignReadStatus status = DesignReadStatus::Ok;
  std::string message;  // the text to show on failure
  DesignFileFormat format = DesignFileFormat::Current;
  // The file's pairing and cascading modes differ from the ones in force before reading;
  // the windows switch modes exactly as the menu commands do.
  bool pairingModeChanged = false;
  bool cascadingModeChanged = false;
  bool ok() const { return status == DesignReadStatus::Ok; }
};

// The file's bytes for the state.  The unit-box indexes come from spec.passUnit,
// spec.stopUnit and spec.centerUnit, which the entry window keeps current.
std::vector<std::uint8_t> EncodeDesignFile(const DesignState& state);

// Decodes a whole file into `state`.  The state changes only when the file was read
// completely and is consistent; on failure it is exactly as it was.
DesignReadResult DecodeDesignFile(const std::vector<std::uint8_t>& bytes, DesignState& state);

// Writes through a temporary file in the same folder that replaces the old file only once
// it is complete, so a failed save never destroys what was there.  Clears Modified and
// StepsStale on success.  Returns an empty string or the error text.
std::string WriteDesignFile(const std::filesystem::path& path, DesignState& state);
DesignReadResult ReadDesignFile(const std::filesystem::path& path, DesignState& state);

// The expected size of a current-format file.
std::size_t DesignFileSize(int stages, bool userResistorValues);

}  // namespace tavrin::core
