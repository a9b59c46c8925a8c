#include "core/IniFile.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace tavrin::core {

namespace {

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  const auto e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

}  // namespace

bool IniFile::Load(const std::filesystem::path& path) {
  sections_.clear();
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return true;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  if (in.bad()) return false;
  Parse(ss.str());
  return true;
}

void IniFile::Parse(const std::string& text) {
  sections_.clear();
  Section* current = nullptr;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';') continue;
    if (t.front() == '[' && t.back() == ']') {
      const std::string name = t.substr(1, t.size() - 2);
      current = FindSection(name);
      if (!current) {
        sections_.push_back(Section{name, {}});
        current = &sections_.back();
      }
      continue;
    }
    const auto eq = line.find('=');
    if (!current || eq == std::string::npos) continue;
    const std::string key = Trim(line.substr(0, eq));
    const std::string value = line.substr(eq + 1);
    if (key.empty()) continue;
    // The first occurrence wins, as profile readers do.
    const bool seen = std::any_of(current->entries.begin(), current->entries.end(),
                                  [&](const Entry& e) { return SameText(e.key, key); });
    if (!seen) current->entries.push_back(Entry{key, value});
  }
}

std::string IniFile::Text() const {
  std::string out;
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    if (i) out += '\n';
    out += '[' + sections_[i].name + "]\n";
    for (const Entry& e : sections_[i].entries) out += e.key + '=' + e.value + '\n';
  }
  return out;
}

bool IniFile::Save(const std::filesystem::path& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  const std::string text = Text();
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return !out.fail();
}

IniFile::Section* IniFile::FindSection(const std::string& name) {
  for (Section& s : sections_)
    if (SameText(s.name, name)) return &s;
  return nullptr;
}

const IniFile::Section* IniFile::FindSection(const std::string& name) const {
  for (const Section& s : sections_)
    if (SameText(s.name, name)) return &s;
  return nullptr;
}

std::string IniFile::Read(const std::string& section, const std::string& key, const std::string& def) const {
  if (const Section* s = FindSection(section))
    for (const Entry& e : s->entries)
      if (SameText(e.key, key)) return e.value;
  return def;
}

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
  if (const Section* s = FindSection(section))
    for (const Entry& e : s->entries)
      if (SameText(e.key, key)) return true;
  return false;
}

void IniFile::Write(const std::string& section, const std::string& key, const std::string& value) {
  Section* s = FindSection(section);
  if (!s) {
    sections_.push_back(Section{section, {}});
    s = &sections_.back();
  }
  for (Entry& e : s->entries)
    if (SameText(e.key, key)) {
      e.value = value;
      return;
    }
  s->entries.push_back(Entry{key, value});
}

void IniFile::RemoveKey(const std::string& section, const std::string& key) {
  if (Section* s = FindSection(section))
    s->entries.erase(std::remove_if(s->entries.begin(), s->entries.end(),
                                    [&](const Entry& e) { return SameText(e.key, key); }),
                     s->entries.end());
}

}  // namespace tavrin::core
