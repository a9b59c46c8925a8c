// A sectioned key=value text file that keeps section and key text exactly as written
// ("Pole-Zero pairing" with its blank).  Lookups ignore letter case, as profile files
// always have; writing keeps the order of first appearance.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tavrin::core {

class IniFile {
 public:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };

  // Reads LF or CR LF text; a missing file is an empty IniFile.  False on a read error.
  bool Load(const std::filesystem::path& path);
  void Parse(const std::string& text);
  // Writes with LF line ends; false when the file cannot be written.
  bool Save(const std::filesystem::path& path) const;
  std::string Text() const;

  std::string Read(const std::string& section, const std::string& key, const std::string& def) const;
  void Write(const std::string& section, const std::string& key, const std::string& value);
  void RemoveKey(const std::string& section, const std::string& key);
  bool HasKey(const std::string& section, const std::string& key) const;

  const std::vector<Section>& Sections() const { return sections_; }

 private:
  Section* FindSection(const std::string& name);
  const Section* FindSection(const std::string& name) const;
  std::vector<Section> sections_;
};

}  // namespace tavrin::core
