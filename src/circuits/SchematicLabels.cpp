#include "circuits/SchematicLabels.h"

#include <algorithm>

#include "circuits/Inventory.h"
#include "core/NumberFormat.h"

namespace tavrin::circuits {

namespace {

// U+2022, the inventory mark.
constexpr const char* kBullet = "\xE2\x80\xA2";

}  // namespace

const PartValue* SchematicValues::Of(const Part& part) const {
  if (part.number < 1) return nullptr;
  const auto n = static_cast<std::size_t>(part.number);
  if (part.kind == PartKind::Resistor) return n < resistor.size() ? &resistor[n] : nullptr;
  return n < capacitor.size() ? &capacitor[n] : nullptr;
}

SchematicValues SchematicValuesOf(const core::CircuitRecord& cr, const InventoryMarking& marking) {
  SchematicValues v;
  const int resistors = std::min<int>(cr.ResistorCount, core::kResistors);
  const int capacitors = std::min<int>(cr.CapacitorCount, core::kCapacitors);
  for (int k = 1; k <= resistors; ++k) {
    const core::ComponentEntry& e = cr.R[static_cast<std::size_t>(k)];
    const double ohms = e.UserAssigned ? e.UserValue : e.Value;
    PartValue& p = v.resistor[static_cast<std::size_t>(k)];
    p.text = core::TrimLeadingBlanks(core::FormatResistance(ohms));
    p.marked = marking.inventory && marking.resistors &&
               ResistorInStock(*marking.inventory, marking.rTolerance, ohms);
  }
  for (int k = 1; k <= capacitors; ++k) {
    const double farads = cr.C[static_cast<std::size_t>(k)].Value;
    PartValue& p = v.capacitor[static_cast<std::size_t>(k)];
    p.text = core::FormatCapacitance(farads);
    p.marked = marking.inventory && marking.capacitors && CapacitorInStock(*marking.inventory, farads);
  }
  return v;
}

SchematicValues SchematicValuesOf(const core::DesignState& state, int stage) {
  InventoryMarking marking;
  marking.inventory = &state.inventory;
  marking.capacitors = state.useCapInventory;
  marking.resistors = state.useResInventory;
  marking.rTolerance = state.characteristics.RTolerance;
  if (stage < 1 || stage >= core::kCircuitSlots) return {};
  return SchematicValuesOf(state.circuits[static_cast<std::size_t>(stage)], marking);
}

std::string LabelName(const Part& part, const PartValue* value) {
  return (value && value->marked ? std::string(kBullet) : std::string()) + part.Name();
}

}  // namespace tavrin::circuits
