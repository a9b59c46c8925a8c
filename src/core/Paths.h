// Where Tavrin keeps its files.  TAVRIN_HOME, when set, replaces every user location
// with a folder below it (the tests always set it).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tavrin::core {

struct Paths {
  std::filesystem::path configDir;     // the settings file
  std::filesystem::path programData;   // read-only data shipped with the program
  std::filesystem::path userData;      // read-write data such as the component inventory
  std::filesystem::path documentsDir;  // parent of the default "Designs", "SPICE", "ASCII" folders
};

inline constexpr const char* kSettingsFileName = "KQP30.INI";

// Resolves the locations; nullopt when no folder for the settings can be found or made.
std::optional<Paths> ResolvePaths();

std::filesystem::path SettingsFilePath(const Paths& paths);
// A default document folder ("Designs", "SPICE", "ASCII"), created on first use.
std::filesystem::path DefaultFolder(const Paths& paths, const std::string& name);

}  // namespace tavrin::core
