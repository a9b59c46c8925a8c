#include "output/NetlistTemplates.h"

#include "circuits/Catalogue.h"
#include "core/NumberFormat.h"
#include "output/NetlistTemplateData.h"

namespace tavrin::output {

namespace {

std::vector<std::string> SplitElements(std::string_view list) {
  std::vector<std::string> out;
  while (!list.empty()) {
    const std::size_t sep = list.find(';');
    std::string_view item = list.substr(0, sep);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    if (!item.empty()) out.emplace_back(item);
    if (sep == std::string_view::npos) break;
    list.remove_prefix(sep + 1);
  }
  return out;
}

NetlistTemplate Build(const data::TemplateRow& row) {
  NetlistTemplate t;
  t.key = row.key;
  const circuits::CircuitAddress a = circuits::AddressOfKey(t.key);
  const std::string type = circuits::TypeLetters(a.stageType);
  t.header = ".SUBCKT " + type + " ";
  t.footer = ".ENDS " + type + " ";
  for (const std::string& e : SplitElements(row.resistors)) {
    t.resistors.push_back(std::string(kElementIndent) + e + " RMODEL");
  }
  for (const std::string& e : SplitElements(row.capacitors)) {
    t.capacitors.push_back(std::string(kElementIndent) + e + " CMODEL");
  }
  for (const std::string& e : SplitElements(row.opAmps)) {
    t.opAmps.push_back(std::string(kElementIndent) + e);
  }
  return t;
}

template <std::size_t N>
std::vector<NetlistTemplate> BuildAll(const std::array<data::TemplateRow, N>& rows) {
  std::vector<NetlistTemplate> all;
  all.reserve(N);
  for (const data::TemplateRow& row : rows) all.push_back(Build(row));
  return all;
}

}  // namespace

const std::vector<NetlistTemplate>& Templates(TemplateSet set) {
  static const std::vector<NetlistTemplate> standard = BuildAll(data::kStandardTemplates);
  static const std::vector<NetlistTemplate> activeComp = BuildAll(data::kActiveCompTemplates);
  return set == TemplateSet::Standard ? standard : activeComp;
}

const NetlistTemplate* FindTemplate(TemplateSet set, std::string_view key) {
  for (const NetlistTemplate& t : Templates(set)) {
    if (t.key == key) return &t;
  }
  return nullptr;
}

const NetlistTemplate* FindTemplate(TemplateSet set, int stageType, int n) {
  const std::string key = circuits::CircuitKey(stageType, n);
  return key.empty() ? nullptr : FindTemplate(set, key);
}

std::string TemplateSetText(TemplateSet set) {
  std::string text;
  for (const NetlistTemplate& t : Templates(set)) {
    text += "[" + t.key + "]\n" + t.header + "\n";
    for (const auto* lines : {&t.resistors, &t.capacitors, &t.opAmps}) {
      for (const std::string& line : *lines) text += line + "\n";
    }
    text += t.footer + "\n";
  }
  text += "[END]\n";
  return text;
}

std::string SpiceResistance(double ohms) {
  std::string text = core::FormatResistance(ohms, true);
  if (!text.empty() && text.back() == 'M') text += "EG";
  return text;
}

std::string SpiceCapacitance(double farads) {
  return core::FormatCapacitance(farads, true);
}

}  // namespace tavrin::output
