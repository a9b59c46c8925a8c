// The schematic scripts of the catalogue: text tables, one script per circuit code, in
// three lists -- the all-pole circuits (FLP, FHP, SLP, SHP, SBP), the notch circuits
// (SLPN, SHPN, SN) and the 16 active-compensation variants.  How a script is written is
// described in Schematic.h; the lists themselves are in SchematicScripts*.cpp.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrin::circuits {

enum class ScriptList { AllPole, Notch, ActiveComp };

inline constexpr ScriptList kScriptLists[] = {ScriptList::AllPole, ScriptList::Notch, ScriptList::ActiveComp};

// "all-pole", "notch", "active-compensation".
std::string ScriptListName(ScriptList list);
// The whole list as one text: each script is its code on a line of its own, then its
// token lines, up to the next code.
std::string_view ScriptListText(ScriptList list);
// The codes a list must hold, in catalogue order: 43, 28 and 16 of them.
std::vector<std::string> ExpectedScriptCodes(ScriptList list);

// The list a stage's circuit is drawn from.
ScriptList ScriptListFor(int stageType, bool activeComp);

// The script of a code in a list text, header line included; empty when the list has none.
std::string_view FindScriptIn(std::string_view listText, std::string_view code);
std::string_view FindScript(ScriptList list, std::string_view code);
// The script a stage's circuit (stage type, number n) is drawn with.
std::string_view ScriptFor(int stageType, int n, bool activeComp);

// The codes of a list text, in the order they appear.
std::vector<std::string> ScriptCodesIn(std::string_view listText);

// What is wrong with a list text against the codes it must hold: each missing code, each
// code given twice, each code that does not belong, named.  Empty when it is complete.
std::vector<std::string> CheckScriptList(std::string_view listText, const std::vector<std::string>& expected,
                                         std::string_view listName);

}  // namespace tavrin::circuits
