// Pole-zero pairing: the roots of the current approximation become first- and
// second-order stages, either all at once or one "Add" at a time.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "approx/Messages.h"
#include "core/DesignState.h"

namespace tavrin::stages {

// "FLP ", "SLPN", "SN  ", ...: four characters, trailing blanks kept.
std::string StageTypeName(std::uint8_t type);

// Entry counts of the current approximation's lists.
int PoleEntryCount(const core::DesignState& state);
int ZeroEntryCount(const core::DesignState& state);
// How many stages the current approximation makes.
int StagesOfSlot(const core::DesignState& state);

// Fills both lists from the current approximation and empties every stage record.
void BuildRootLists(core::DesignState& state);

// Pairs every root at once; the stage table then holds StagesOfSlot stages.
void AutoPair(core::DesignState& state);

// The stage type two pole entries and two zero entries (0 = none) make.
std::uint8_t ClassifyStage(const core::DesignState& state, int pole1, int pole2, int zero1, int zero2);

// Builds stage `stage` from list entries and takes those entries out of the lists.
void MakeStage(core::DesignState& state, int stage, int pole1, int pole2, int zero1, int zero2);

// The interactive "Add": the selected list entries (entry numbers) become the next stage.
// A refusal returns its message and changes nothing.
std::optional<approx::Message> AddStage(core::DesignState& state, const std::vector<int>& poles,
                                        const std::vector<int>& zeros);
// "Auto Add All": everything paired anew, interactive stages discarded.
void AutoAddAll(core::DesignState& state);
// "Undo" of listed stage `stage` (0 = none selected): its entries return to the lists and
// the later stages move up one number, so the table always holds stages 1..stageCount.
std::optional<approx::Message> UndoStage(core::DesignState& state, int stage);
// "Undo All": the lists as they were before any pairing.
void UndoAll(core::DesignState& state);
// "Next" of the pairing window: refused while roots are left unpaired.
std::optional<approx::Message> CheckPairingComplete(const core::DesignState& state);

}  // namespace tavrin::stages
