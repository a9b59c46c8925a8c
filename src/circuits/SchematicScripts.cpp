#include "circuits/SchematicScripts.h"

#include <algorithm>

#include "circuits/Catalogue.h"
#include "circuits/SchematicScriptData.h"

namespace tavrin::circuits {

namespace {

// A script's first line is its code: a short line without blanks.  Token lines are long
// and full of blanks.
bool IsHeader(std::string_view line) {
  return !line.empty() && line.size() <= 8 && line.find(' ') == std::string_view::npos;
}

// Calls f(code, script) for each script of a list text.
template <typename F>
void ForEachScript(std::string_view text, F&& f) {
  std::size_t start = std::string_view::npos;
  std::string_view code;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t end = std::min(text.find('\n', pos), text.size());
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (IsHeader(line)) {
      if (start != std::string_view::npos) f(code, text.substr(start, pos - start));
      start = pos;
      code = line;
    }
    pos = end + 1;
  }
  if (start != std::string_view::npos) f(code, text.substr(start));
}

}  // namespace

std::string ScriptListName(ScriptList list) {
  switch (list) {
    case ScriptList::AllPole:
      return "all-pole";
    case ScriptList::Notch:
      return "notch";
    case ScriptList::ActiveComp:
      return "active-compensation";
  }
  return {};
}

std::string_view ScriptListText(ScriptList list) {
  switch (list) {
    case ScriptList::AllPole:
      return data::kAllPoleScripts;
    case ScriptList::Notch:
      return data::kNotchScripts;
    case ScriptList::ActiveComp:
      return data::kActiveCompScripts;
  }
  return {};
}

std::vector<std::string> ExpectedScriptCodes(ScriptList list) {
  std::vector<std::string> codes;
  if (list == ScriptList::ActiveComp) {
    for (int k = 1; k <= kActiveCompSchematics; ++k) {
      const CircuitAddress a = ActiveCompSchematicOwner(k);
      codes.push_back(CircuitKey(a.stageType, a.number));
    }
    return codes;
  }
  for (int index = 1; index <= kCatalogueSize; ++index) {
    const CircuitAddress a = AddressOfIndex(index);
    const bool notch = a.stageType >= 5;
    if (notch == (list == ScriptList::Notch)) codes.push_back(CircuitKey(a.stageType, a.number));
  }
  return codes;
}

ScriptList ScriptListFor(int stageType, bool activeComp) {
  if (activeComp) return ScriptList::ActiveComp;
  return StageTypeOf(stageType) >= 5 ? ScriptList::Notch : ScriptList::AllPole;
}

std::string_view FindScriptIn(std::string_view listText, std::string_view code) {
  std::string_view found;
  ForEachScript(listText, [&](std::string_view c, std::string_view script) {
    if (c == code && found.empty()) found = script;
  });
  return found;
}

std::string_view FindScript(ScriptList list, std::string_view code) {
  return FindScriptIn(ScriptListText(list), code);
}

std::string_view ScriptFor(int stageType, int n, bool activeComp) {
  const std::string code = CircuitKey(stageType, n);
  if (code.empty()) return {};
  return FindScript(ScriptListFor(stageType, activeComp), code);
}

std::vector<std::string> ScriptCodesIn(std::string_view listText) {
  std::vector<std::string> codes;
  ForEachScript(listText, [&](std::string_view c, std::string_view) { codes.emplace_back(c); });
  return codes;
}

std::vector<std::string> CheckScriptList(std::string_view listText, const std::vector<std::string>& expected,
                                         std::string_view listName) {
  std::vector<std::string> problems;
  const std::vector<std::string> codes = ScriptCodesIn(listText);
  const std::string where = " in the " + std::string(listName) + " list";
  for (const std::string& code : expected) {
    const auto n = std::count(codes.begin(), codes.end(), code);
    if (n == 0) problems.push_back("no script for " + code + where);
    if (n > 1) problems.push_back(code + " has " + std::to_string(n) + " scripts" + where);
  }
  for (const std::string& code : codes) {
    if (std::find(expected.begin(), expected.end(), code) == expected.end()) {
      problems.push_back(code + " does not belong" + where);
    }
  }
  return problems;
}

}  // namespace tavrin::circuits
