// What the labels of a schematic say beside the part names: each part's value as the
// program writes component values, and the inventory mark of a value that is standard and
// in stock.
#pragma once

#include <array>
#include <string>

#include "circuits/Schematic.h"
#include "core/DesignState.h"

namespace tavrin::circuits {

struct PartValue {
  std::string text;     // "10.5K", "4.7nF"; empty: the label shows the name alone
  bool marked = false;  // standard and in stock: the label starts with the bullet
};

struct SchematicValues {
  std::array<PartValue, core::kResistors + 1> resistor{};    // R1..R10
  std::array<PartValue, core::kCapacitors + 1> capacitor{};  // C1..C4
  // The value of a drawn part; nullptr for a number outside the record.
  const PartValue* Of(const Part& part) const;
};

// Which labels carry the inventory mark.
struct InventoryMarking {
  const core::ComponentInventory* inventory = nullptr;  // no marks without one
  bool capacitors = false;                              // the capacitor inventory is enabled
  bool resistors = false;                               // the resistor inventory is enabled
  double rTolerance = 1;                                // percent; chooses the resistor series
};

// The values of a stage's components R1..ResistorCount and C1..CapacitorCount.  A
// user-assigned resistor shows, and is marked by, its user value.
SchematicValues SchematicValuesOf(const core::CircuitRecord& cr, const InventoryMarking& marking = {});
// The same for stage s (1..stageCount) of a design, marked as the state's inventory
// options say.
SchematicValues SchematicValuesOf(const core::DesignState& state, int stage);

// The label's first line: the part's name, after the bullet when marked.
std::string LabelName(const Part& part, const PartValue* value);

}  // namespace tavrin::circuits
