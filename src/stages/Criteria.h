// The rules of the cascade-criteria window, kept in the engine so the window and the
// tests share them.  Entries are 0..3 in the table order of each list.
#pragma once

#include <optional>

#include "approx/Messages.h"
#include "core/DesignState.h"

namespace tavrin::stages {

// The stage type each entry of the first-stage / last-stage list asks for.
std::uint8_t FirstCriterionType(int entry);
std::uint8_t LastCriterionType(int entry);

// A click on an entry's box: enabling gives it the next free priority, disabling closes
// the gap it leaves.
void ToggleCriterion(core::StageCriteria& criteria, int entry);
// A click on an enabled entry's priority: 1, 2, ... up to the enabled count, then 1.
void CyclePriority(core::StageCriteria& criteria, int entry);
// OK: refused while two enabled entries of one list share a priority.
std::optional<approx::Message> CheckCriteria(const core::StageCriteria& first,
                                             const core::StageCriteria& last);

}  // namespace tavrin::stages
