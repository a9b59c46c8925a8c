// User preferences that persist between runs in the settings file.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/DesignState.h"
#include "core/IniFile.h"
#include "core/Paths.h"

namespace tavrin::core {

inline constexpr int kRecentFileCount = 4;

struct Settings {
  std::string mainPosition = "110,10";
  std::array<std::string, 4> zoom = {"4", "4", "4", "4"};  // ZoomX, ZoomY, VZoomX, VZoomY
  bool pairingAutomatic = true;
  bool cascadingAutomatic = true;
  FrequencyUnit frequencyUnit = FrequencyUnit::Hz;
  StageCriteria firstStage = DefaultFirstStageCriteria();
  StageCriteria lastStage = DefaultLastStageCriteria();
  bool useQ = false;
  bool useCapInventory = false;
  bool useResInventory = false;
  bool allCapsStandard = false;
  ComponentCharacteristics characteristics;
  std::vector<std::string> recentFiles;  // most recent first, at most four

  static StageCriteria DefaultFirstStageCriteria();
  static StageCriteria DefaultLastStageCriteria();
};

// The criteria text: four pairs "ep" (enabled '1', priority digit).  A text of another
// length, or with a character other than a blank or '0'..'4', reads as the default.
StageCriteria DecodeCriteria(const std::string& text, const std::string& defaultText);
std::string EncodeCriteria(const StageCriteria& criteria);

Settings ReadSettings(const IniFile& ini);
void WriteSettings(const Settings& settings, IniFile& ini);

// Reads the settings file, first copying it from the program data when it is missing.
// Without either file the defaults are used.
Settings LoadSettings(const Paths& paths);
// Writes every key; false when the file cannot be written.
bool SaveSettings(const Settings& settings, const Paths& paths);

// Between the settings and the design state's copies of the same preferences.
void ApplySettings(const Settings& settings, DesignState& state);
void CaptureSettings(const DesignState& state, Settings& settings);

}  // namespace tavrin::core
