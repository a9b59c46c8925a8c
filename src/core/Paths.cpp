#include "core/Paths.h"

#include <cstdlib>
#include <system_error>

namespace tavrin::core {

namespace fs = std::filesystem;

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// Read-only data sits in share/tavrin beside the executable's bin folder, both in the
// build tree and under an install prefix.
fs::path FindProgramData() {
  if (const std::string env = Env("TAVRIN_DATA_DIR"); !env.empty()) return env;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path candidate = exe.parent_path().parent_path() / "share" / "tavrin";
    if (fs::is_directory(candidate, ec)) return candidate;
  }
  return fs::path(TAVRIN_BUILD_DATA_DIR);
}

bool MakeDir(const fs::path& p) {
  std::error_code ec;
  fs::create_directories(p, ec);
  return fs::is_directory(p, ec);
}

}  // namespace

std::optional<Paths> ResolvePaths() {
  Paths paths;
  paths.programData = FindProgramData();
  if (const std::string th = Env("TAVRIN_HOME"); !th.empty()) {
    const fs::path root(th);
    paths.configDir = root / "config";
    paths.userData = root / "data";
    paths.documentsDir = root / "Documents";
  } else {
    const std::string home = Env("HOME");
    std::string config = Env("XDG_CONFIG_HOME");
    std::string data = Env("XDG_DATA_HOME");
    if (config.empty() && home.empty()) return std::nullopt;
    paths.configDir = (config.empty() ? fs::path(home) / ".config" : fs::path(config)) / "tavrin";
    const fs::path base = home.empty() ? fs::path(config).parent_path() : fs::path(home);
    paths.userData = (data.empty() ? base / ".local" / "share" : fs::path(data)) / "tavrin";
    paths.documentsDir = base / "Documents" / "Tavrin";
  }
  if (!MakeDir(paths.configDir)) return std::nullopt;
  MakeDir(paths.userData);
  return paths;
}

fs::path SettingsFilePath(const Paths& paths) { return paths.configDir / kSettingsFileName; }

fs::path DefaultFolder(const Paths& paths, const std::string& name) {
  const fs::path p = paths.documentsDir / name;
  MakeDir(p);
  return p;
}

}  // namespace tavrin::core
