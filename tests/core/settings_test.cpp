#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/IniFile.h"
#include "core/Settings.h"

namespace tavrin::core {
namespace {

namespace fs = std::filesystem;

IniFile Ini(const std::string& text) {
  IniFile ini;
  ini.Parse(text);
  return ini;
}

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class TempHome : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("tavrin-settings-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "program");
    paths_.configDir = root_ / "config";
    paths_.programData = root_ / "program";
    paths_.userData = root_ / "data";
    paths_.documentsDir = root_ / "docs";
    fs::create_directories(paths_.configDir);
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
  Paths paths_;
};

TEST(IniFile, KeepsKeysVerbatimAndFindsThemIgnoringCase) {
  IniFile ini = Ini("[Settings]\r\nPole-Zero pairing=Manual\r\n[Cascade Criteria]\nFirst stage = 11121314\n");
  EXPECT_EQ(ini.Read("Settings", "Pole-Zero pairing", "x"), "Manual");
  EXPECT_EQ(ini.Read("settings", "pole-zero PAIRING", "x"), "Manual");
  EXPECT_EQ(ini.Read("Cascade Criteria", "First stage", "x"), " 11121314");
  EXPECT_EQ(ini.Read("Settings", "Missing", "dflt"), "dflt");
  ini.Write("Settings", "Stage cascading", "Automatic");
  ini.Write("settings", "POLE-ZERO PAIRING", "Automatic");
  EXPECT_EQ(ini.Text(),
            "[Settings]\nPole-Zero pairing=Automatic\nStage cascading=Automatic\n\n"
            "[Cascade Criteria]\nFirst stage= 11121314\n");
}

TEST(Settings, DefaultsForAnEmptyFile) {
  const Settings s = ReadSettings(IniFile{});
  EXPECT_EQ(s.mainPosition, "110,10");
  EXPECT_EQ(s.zoom[3], "4");
  EXPECT_TRUE(s.pairingAutomatic);
  EXPECT_TRUE(s.cascadingAutomatic);
  EXPECT_EQ(s.frequencyUnit, FrequencyUnit::Hz);
  EXPECT_EQ(EncodeCriteria(s.firstStage), "11121314");
  EXPECT_EQ(EncodeCriteria(s.lastStage), "01010101");
  EXPECT_FALSE(s.useQ || s.useCapInventory || s.useResInventory || s.allCapsStandard);
  const ComponentCharacteristics& c = s.characteristics;
  EXPECT_EQ(c.RTolerance, 1);
  EXPECT_EQ(c.CTolerance, 1);
  EXPECT_EQ(c.OpTolerance, 30);
  EXPECT_EQ(c.Noise, 12);
  EXPECT_EQ(c.RTempCoeff, 100e-6);
  EXPECT_EQ(c.CTempCoeff, 20e-6);
  EXPECT_EQ(c.TempRange, 20);
  EXPECT_EQ(c.OpTempCoeff, 2e-3);
  EXPECT_TRUE(s.recentFiles.empty());
}

TEST(Settings, ReadingRulesPerKey) {
  struct {
    const char* text;
    double ComponentCharacteristics::*field;
    double expected;
  } cases[] = {
      {"RTolerance=25", &ComponentCharacteristics::RTolerance, 1},
      {"RTolerance=0.05", &ComponentCharacteristics::RTolerance, 1},
      {"RTolerance=0.1", &ComponentCharacteristics::RTolerance, 0.1},
      {"RTolerance=20", &ComponentCharacteristics::RTolerance, 20},
      {"RTolerance= 5", &ComponentCharacteristics::RTolerance, 5},
      {"CTolerance=21", &ComponentCharacteristics::CTolerance, 1},
      {"CTolerance=10", &ComponentCharacteristics::CTolerance, 10},
      {"OpTolerance=5", &ComponentCharacteristics::OpTolerance, 30},
      {"OpTolerance=55", &ComponentCharacteristics::OpTolerance, 30},
      {"OpTolerance=45", &ComponentCharacteristics::OpTolerance, 45},
      {"Noise=0", &ComponentCharacteristics::Noise, 12},
      {"Noise=junk", &ComponentCharacteristics::Noise, 12},
      {"Noise= 4.0E+0", &ComponentCharacteristics::Noise, 4},
      {"RTempCoeff=0", &ComponentCharacteristics::RTempCoeff, 100e-6},
      {"RTempCoeff= 5E-5", &ComponentCharacteristics::RTempCoeff, 5e-5},
      {"CTempCoeff=0", &ComponentCharacteristics::CTempCoeff, 20e-6},
      {"TempRange=0", &ComponentCharacteristics::TempRange, 20},
      {"TempRange=50", &ComponentCharacteristics::TempRange, 50},
      {"OpTempCoeff=", &ComponentCharacteristics::OpTempCoeff, 2e-3},
  };
  for (const auto& c : cases) {
    const Settings s = ReadSettings(Ini(std::string("[Component Characteristics]\n") + c.text + "\n"));
    EXPECT_EQ(s.characteristics.*c.field, c.expected) << c.text;
  }
}

TEST(Settings, ModesUnitsAndSwitches) {
  const Settings s = ReadSettings(Ini(
      "[Settings]\nPole-Zero pairing=Manual\nStage cascading=whatever\nFrequency units=rad/s\n"
      "[Cascade Criteria]\nUseQ=TRUE\n[Component inventory]\nUsecap=TRUE\nUseres=true\n"
      "[Component Characteristics]\nAllCapsStnd=yes\n"));
  EXPECT_FALSE(s.pairingAutomatic);
  EXPECT_FALSE(s.cascadingAutomatic);
  EXPECT_EQ(s.frequencyUnit, FrequencyUnit::RadPerSec);
  EXPECT_TRUE(s.useQ);
  EXPECT_TRUE(s.useCapInventory);
  EXPECT_FALSE(s.useResInventory);  // only the exact text TRUE counts
  EXPECT_TRUE(s.allCapsStandard);   // anything but FALSE counts
  const Settings hz = ReadSettings(Ini("[Settings]\nFrequency units=hertz\n"));
  EXPECT_EQ(hz.frequencyUnit, FrequencyUnit::Hz);
}

TEST(Settings, CriteriaTextIsCheckedBeforeDecoding) {
  struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"1112131", "11121314"},   // seven characters
      {"111213145", "11121314"}, // nine
      {"11121315", "11121314"},  // priority 5
      {"1112131x", "11121314"},
      {"01020304", "01020304"},
      {"10213243", "10010203"},  // only a '1' enables
  };
  for (const auto& c : cases) {
    const Settings s = ReadSettings(Ini(std::string("[Cascade Criteria]\nFirst stage=") + c.text + "\n"));
    EXPECT_EQ(EncodeCriteria(s.firstStage), c.expected) << c.text;
  }
  const StageCriteria d = DecodeCriteria("10203040", "11121314");
  EXPECT_TRUE(d[0].enabled);
  EXPECT_FALSE(d[1].enabled);
  EXPECT_EQ(d[2].priority, 0);
  const StageCriteria blank = DecodeCriteria("1 1 1 1 ", "11121314");
  EXPECT_TRUE(blank[3].enabled);
}

TEST(Settings, WritingFormats) {
  Settings s;
  s.recentFiles = {"/a/one.zd3", "/b/two.zd3"};
  s.pairingAutomatic = false;
  s.frequencyUnit = FrequencyUnit::RadPerSec;
  s.lastStage[1].enabled = true;
  IniFile ini;
  WriteSettings(s, ini);
  EXPECT_EQ(ini.Read("Component Characteristics", "Noise", ""), " 1.2E+1");
  EXPECT_EQ(ini.Read("Component Characteristics", "RTolerance", ""), " 1");
  EXPECT_EQ(ini.Read("Component Characteristics", "OpTolerance", ""), "30");
  EXPECT_EQ(ini.Read("Component Characteristics", "RTempCoeff", ""), " 1E-4");
  EXPECT_EQ(ini.Read("Component Characteristics", "CTempCoeff", ""), " 2E-5");
  EXPECT_EQ(ini.Read("Component Characteristics", "OpTempCoeff", ""), " 2E-3");
  EXPECT_EQ(ini.Read("Component Characteristics", "TempRange", ""), "20");
  EXPECT_EQ(ini.Read("Component Characteristics", "AllCapsStnd", ""), "FALSE");
  EXPECT_EQ(ini.Read("Settings", "Pole-Zero pairing", ""), "Manual");
  EXPECT_EQ(ini.Read("Settings", "Stage cascading", ""), "Automatic");
  EXPECT_EQ(ini.Read("Settings", "Frequency units", ""), "rad/s");
  EXPECT_EQ(ini.Read("Cascade Criteria", "Last stage", ""), "01110101");
  EXPECT_EQ(ini.Read("Recent file list", "File1", ""), "/a/one.zd3");
  EXPECT_EQ(ini.Read("Recent file list", "File2", ""), "/b/two.zd3");
  EXPECT_FALSE(ini.HasKey("Recent file list", "File3"));
}

TEST(Settings, ValuesTheFormatsCannotCarrySurviveARoundTrip) {
  Settings s;
  s.characteristics.RTolerance = 0.25;
  s.characteristics.CTolerance = 0.5;
  s.characteristics.RTempCoeff = 150e-6;
  s.characteristics.Noise = 12.5;
  IniFile ini;
  WriteSettings(s, ini);
  const Settings back = ReadSettings(ini);
  EXPECT_EQ(back.characteristics.RTolerance, 0.25);
  EXPECT_EQ(back.characteristics.CTolerance, 0.5);
  EXPECT_EQ(back.characteristics.RTempCoeff, 150e-6);
  EXPECT_EQ(back.characteristics.Noise, 12.5);
}

TEST_F(TempHome, MissingFileIsCopiedFromTheProgramData) {
  {
    std::ofstream out(paths_.programData / "KQP30.INI", std::ios::binary);
    out << "[Settings]\r\nFrequency units=rad/s\r\n[Component Characteristics]\r\nRTolerance= 5\r\n";
  }
  const Settings s = LoadSettings(paths_);
  EXPECT_EQ(s.frequencyUnit, FrequencyUnit::RadPerSec);
  EXPECT_EQ(s.characteristics.RTolerance, 5);
  EXPECT_EQ(Slurp(SettingsFilePath(paths_)),
            "[Settings]\nFrequency units=rad/s\n[Component Characteristics]\nRTolerance= 5\n");
}

TEST_F(TempHome, WithoutAnyFileTheDefaultsApply) {
  const Settings s = LoadSettings(paths_);
  EXPECT_EQ(s.frequencyUnit, FrequencyUnit::Hz);
  EXPECT_EQ(s.characteristics.OpTolerance, 30);
  EXPECT_FALSE(fs::exists(SettingsFilePath(paths_)));
}

TEST_F(TempHome, SaveThenLoadGivesTheSameSettings) {
  Settings s;
  s.cascadingAutomatic = false;
  s.useQ = true;
  s.firstStage[0].priority = 4;
  s.characteristics.TempRange = 35;
  s.recentFiles = {"/x/a.zd3", "/x/b.zd3", "/x/c.zd3", "/x/d.zd3"};
  ASSERT_TRUE(SaveSettings(s, paths_));
  const Settings back = LoadSettings(paths_);
  EXPECT_FALSE(back.cascadingAutomatic);
  EXPECT_TRUE(back.useQ);
  EXPECT_EQ(EncodeCriteria(back.firstStage), EncodeCriteria(s.firstStage));
  EXPECT_EQ(back.characteristics.TempRange, 35);
  EXPECT_EQ(back.recentFiles, s.recentFiles);
  // Fewer recent files later: the old entries do not linger.
  s.recentFiles = {"/x/e.zd3"};
  ASSERT_TRUE(SaveSettings(s, paths_));
  EXPECT_EQ(LoadSettings(paths_).recentFiles, std::vector<std::string>{"/x/e.zd3"});
}

TEST_F(TempHome, TheShippedDefaultFileReadsAsTheDefaults) {
  paths_.programData = fs::path(TAVRIN_SOURCE_DIR) / "data";
  const Settings s = LoadSettings(paths_);
  const Settings d;
  EXPECT_EQ(s.mainPosition, d.mainPosition);
  EXPECT_EQ(s.frequencyUnit, d.frequencyUnit);
  EXPECT_EQ(EncodeCriteria(s.firstStage), EncodeCriteria(d.firstStage));
  EXPECT_EQ(s.characteristics.Noise, d.characteristics.Noise);
  EXPECT_EQ(s.characteristics.RTempCoeff, d.characteristics.RTempCoeff);
  EXPECT_EQ(s.characteristics.OpTempCoeff, d.characteristics.OpTempCoeff);
  // Writing it back changes nothing: the shipped file is in the program's own format.
  ASSERT_TRUE(SaveSettings(s, paths_));
  std::string shipped = Slurp(fs::path(TAVRIN_SOURCE_DIR) / "data" / "KQP30.INI");
  EXPECT_EQ(Slurp(SettingsFilePath(paths_)), shipped);
}

TEST(Paths, TavrinHomeReplacesEveryUserLocation) {
  const fs::path root = fs::temp_directory_path() / "tavrin-paths-test";
  fs::remove_all(root);
  const char* old = std::getenv("TAVRIN_HOME");
  const std::string saved = old ? old : "";
  setenv("TAVRIN_HOME", root.c_str(), 1);
  const auto paths = ResolvePaths();
  if (old) setenv("TAVRIN_HOME", saved.c_str(), 1); else unsetenv("TAVRIN_HOME");
  ASSERT_TRUE(paths.has_value());
  for (const fs::path& p : {paths->configDir, paths->userData, paths->documentsDir})
    EXPECT_EQ(p.string().rfind(root.string(), 0), 0u) << p;
  EXPECT_TRUE(fs::is_directory(paths->configDir));
  EXPECT_TRUE(fs::is_directory(DefaultFolder(*paths, "Designs")));
  fs::remove_all(root);
}

}  // namespace
}  // namespace tavrin::core
