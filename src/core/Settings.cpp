#include "core/Settings.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "core/NumberFormat.h"

namespace tavrin::core {

namespace fs = std::filesystem;

namespace {

constexpr const char* kGeneral = "General";
constexpr const char* kSettingsSection = "Settings";
constexpr const char* kCriteria = "Cascade Criteria";
constexpr const char* kInventory = "Component inventory";
constexpr const char* kCharacteristics = "Component Characteristics";
constexpr const char* kRecent = "Recent file list";
constexpr const char* kFirstDefault = "11121314";
constexpr const char* kLastDefault = "01010101";

std::string Trimmed(const std::string& s) { return TrimTrailingBlanks(TrimLeadingBlanks(s)); }

// The file's number formats drop digits (a 0.5 % tolerance would come back as 1 %), so a
// value that its format cannot carry is written with the digits it needs instead.
std::string SettingNumber(double x, const std::string& formatted) {
  const double back = ParseReal(formatted);
  if (back == x || std::fabs(back - x) <= 1e-12 * std::fabs(x)) return formatted;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.12G", x);
  return buf;
}

double ReadReal(const IniFile& ini, const char* key, const char* def) {
  return ParseReal(ini.Read(kCharacteristics, key, def));
}

}  // namespace

StageCriteria Settings::DefaultFirstStageCriteria() { return DecodeCriteria(kFirstDefault, kFirstDefault); }
StageCriteria Settings::DefaultLastStageCriteria() { return DecodeCriteria(kLastDefault, kLastDefault); }

StageCriteria DecodeCriteria(const std::string& text, const std::string& defaultText) {
  bool valid = text.size() == 8;
  for (char c : text)
    if (c != ' ' && (c < '0' || c > '4')) valid = false;
  const std::string& t = valid ? text : defaultText;
  StageCriteria criteria{};
  for (int i = 0; i < 4; ++i) {
    criteria[i].enabled = t[2 * i] == '1';
    const char p = t[2 * i + 1];
    criteria[i].priority = static_cast<std::int16_t>(p >= '0' && p <= '9' ? p - '0' : 0);
  }
  return criteria;
}

std::string EncodeCriteria(const StageCriteria& criteria) {
  std::string out;
  for (const StageCriterion& c : criteria) {
    out += c.enabled ? '1' : '0';
    out += std::to_string(c.priority);
  }
  return out;
}

Settings ReadSettings(const IniFile& ini) {
  Settings s;
  s.mainPosition = ini.Read(kGeneral, "Mainposn", "110,10");
  const char* zoomKeys[4] = {"ZoomX", "ZoomY", "VZoomX", "VZoomY"};
  for (int i = 0; i < 4; ++i) s.zoom[i] = ini.Read(kGeneral, zoomKeys[i], "4");

  s.pairingAutomatic = Trimmed(ini.Read(kSettingsSection, "Pole-Zero pairing", "Automatic")) == "Automatic";
  s.cascadingAutomatic = Trimmed(ini.Read(kSettingsSection, "Stage cascading", "Automatic")) == "Automatic";
  s.frequencyUnit = Trimmed(ini.Read(kSettingsSection, "Frequency units", "hertz")) == "hertz"
                        ? FrequencyUnit::Hz
                        : FrequencyUnit::RadPerSec;

  s.firstStage = DecodeCriteria(ini.Read(kCriteria, "First stage", kFirstDefault), kFirstDefault);
  s.lastStage = DecodeCriteria(ini.Read(kCriteria, "Last stage", kLastDefault), kLastDefault);
  s.useQ = Trimmed(ini.Read(kCriteria, "UseQ", "FALSE")) == "TRUE";

  s.useCapInventory = Trimmed(ini.Read(kInventory, "Usecap", "FALSE")) == "TRUE";
  s.useResInventory = Trimmed(ini.Read(kInventory, "Useres", "FALSE")) == "TRUE";

  ComponentCharacteristics& c = s.characteristics;
  c.RTolerance = ReadReal(ini, "RTolerance", "1");
  if (c.RTolerance < 0.1 || c.RTolerance > 20) c.RTolerance = 1;
  c.CTolerance = ReadReal(ini, "CTolerance", "1");
  if (c.CTolerance < 0.1 || c.CTolerance > 20) c.CTolerance = 1;
  s.allCapsStandard = Trimmed(ini.Read(kCharacteristics, "AllCapsStnd", "FALSE")) != "FALSE";
  c.OpTolerance = ReadReal(ini, "OpTolerance", "30");
  if (c.OpTolerance < 10 || c.OpTolerance > 50) c.OpTolerance = 30;
  c.Noise = ReadReal(ini, "Noise", "12");
  if (c.Noise == 0) c.Noise = 12;
  c.RTempCoeff = ReadReal(ini, "RTempCoeff", "100E-6");
  if (c.RTempCoeff == 0) c.RTempCoeff = 100e-6;
  c.CTempCoeff = ReadReal(ini, "CTempCoeff", "20E-6");
  if (c.CTempCoeff == 0) c.CTempCoeff = 20e-6;
  c.TempRange = ReadReal(ini, "TempRange", "20");
  if (c.TempRange == 0) c.TempRange = 20;
  c.OpTempCoeff = ReadReal(ini, "OpTempCoeff", "2E-3");
  if (c.OpTempCoeff == 0) c.OpTempCoeff = 2e-3;

  for (int i = 1; i <= kRecentFileCount; ++i) {
    const std::string f = ini.Read(kRecent, "File" + std::to_string(i), "");
    if (!f.empty()) s.recentFiles.push_back(f);
  }
  return s;
}

void WriteSettings(const Settings& s, IniFile& ini) {
  ini.Write(kGeneral, "Mainposn", s.mainPosition);
  const char* zoomKeys[4] = {"ZoomX", "ZoomY", "VZoomX", "VZoomY"};
  for (int i = 0; i < 4; ++i) ini.Write(kGeneral, zoomKeys[i], s.zoom[i]);

  ini.Write(kSettingsSection, "Pole-Zero pairing", s.pairingAutomatic ? "Automatic" : "Manual");
  ini.Write(kSettingsSection, "Stage cascading", s.cascadingAutomatic ? "Automatic" : "Manual");
  ini.Write(kSettingsSection, "Frequency units", s.frequencyUnit == FrequencyUnit::Hz ? "hertz" : "rad/s");

  ini.Write(kCriteria, "First stage", EncodeCriteria(s.firstStage));
  ini.Write(kCriteria, "Last stage", EncodeCriteria(s.lastStage));
  ini.Write(kCriteria, "UseQ", s.useQ ? "TRUE" : "FALSE");

  ini.Write(kInventory, "Usecap", s.useCapInventory ? "TRUE" : "FALSE");
  ini.Write(kInventory, "Useres", s.useResInventory ? "TRUE" : "FALSE");

  const ComponentCharacteristics& c = s.characteristics;
  const auto fixed = [](double x) { return SettingNumber(x, FormatFixed(x, 2, 0)); };
  const auto coeff = [](double x) { return SettingNumber(x, FormatScientific(x, 3, 0)); };
  ini.Write(kCharacteristics, "RTolerance", fixed(c.RTolerance));
  ini.Write(kCharacteristics, "CTolerance", fixed(c.CTolerance));
  ini.Write(kCharacteristics, "AllCapsStnd", s.allCapsStandard ? "TRUE" : "FALSE");
  ini.Write(kCharacteristics, "OpTolerance", fixed(c.OpTolerance));
  ini.Write(kCharacteristics, "Noise", SettingNumber(c.Noise, FormatScientific(c.Noise, 4, 1)));
  ini.Write(kCharacteristics, "RTempCoeff", coeff(c.RTempCoeff));
  ini.Write(kCharacteristics, "CTempCoeff", coeff(c.CTempCoeff));
  ini.Write(kCharacteristics, "TempRange", fixed(c.TempRange));
  ini.Write(kCharacteristics, "OpTempCoeff", coeff(c.OpTempCoeff));

  for (int i = 1; i <= kRecentFileCount; ++i) {
    const std::string key = "File" + std::to_string(i);
    if (i <= static_cast<int>(s.recentFiles.size()))
      ini.Write(kRecent, key, s.recentFiles[static_cast<std::size_t>(i - 1)]);
    else
      ini.RemoveKey(kRecent, key);
  }
}

Settings LoadSettings(const Paths& paths) {
  const fs::path file = SettingsFilePath(paths);
  std::error_code ec;
  if (!fs::exists(file, ec)) {
    // First run: start from the program's own copy, line by line.
    std::ifstream in(paths.programData / kSettingsFileName, std::ios::binary);
    if (in) {
      std::ofstream out(file, std::ios::binary);
      std::string line;
      while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out << line << '\n';
      }
    }
  }
  IniFile ini;
  ini.Load(file);
  return ReadSettings(ini);
}

bool SaveSettings(const Settings& settings, const Paths& paths) {
  const fs::path file = SettingsFilePath(paths);
  // Keep whatever else the file holds (keys of other versions, comments are not kept).
  IniFile ini;
  ini.Load(file);
  WriteSettings(settings, ini);
  return ini.Save(file);
}

void ApplySettings(const Settings& s, DesignState& state) {
  state.pairingAutomatic = s.pairingAutomatic;
  state.cascadingAutomatic = s.cascadingAutomatic;
  state.frequencyUnit = s.frequencyUnit;
  state.firstStageCriteria = s.firstStage;
  state.lastStageCriteria = s.lastStage;
  state.useQ = s.useQ;
  state.useCapInventory = s.useCapInventory;
  state.useResInventory = s.useResInventory;
  state.allCapsStandard = s.allCapsStandard;
  state.characteristics = s.characteristics;
}

void CaptureSettings(const DesignState& state, Settings& s) {
  s.pairingAutomatic = state.pairingAutomatic;
  s.cascadingAutomatic = state.cascadingAutomatic;
  s.frequencyUnit = state.frequencyUnit;
  s.firstStage = state.firstStageCriteria;
  s.lastStage = state.lastStageCriteria;
  s.useQ = state.useQ;
  s.useCapInventory = state.useCapInventory;
  s.useResInventory = state.useResInventory;
  s.allCapsStandard = state.allCapsStandard;
  s.characteristics = state.characteristics;
}

}  // namespace tavrin::core
