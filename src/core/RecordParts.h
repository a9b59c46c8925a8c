// Small readings of a stage's record that every part of the engine needs alike: its
// 1-based tables indexed, its component counts within the tables' room, and what kind of
// stage a type byte names.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "core/DesignState.h"

namespace tavrin::core {

// Entry k of a 1-based table.
inline std::size_t At(int k) {
  return static_cast<std::size_t>(k);
}

inline int ResistorsOf(const CircuitRecord& cr) {
  return std::clamp<int>(cr.ResistorCount, 0, kResistors);
}

inline int CapacitorsOf(const CircuitRecord& cr) {
  return std::clamp<int>(cr.CapacitorCount, 0, kCapacitors);
}

// Type bytes with the flag bit masked off.
inline bool IsFirstOrderType(int type) {
  return type == ptFLP || type == ptFHP;
}

inline bool IsNotchType(int type) {
  return type == ptSLPN || type == ptSHPN || type == ptSN;
}

// A component value a circuit can be built with.
inline bool IsUsableValue(double x) {
  return x > 0 && std::isfinite(x);
}

}  // namespace tavrin::core
