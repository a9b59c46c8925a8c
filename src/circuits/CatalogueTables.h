// The raw text tables of the catalogue; Catalogue.cpp is their only reader.
#pragma once

#include <array>

#include "circuits/Catalogue.h"

namespace tavrin::circuits::tables {

struct DescriptorRow {
  int circuitId;
  const char* descriptor;  // the circuit descriptor, 36 characters
  const char* adjust;      // the adjustment descriptor, 35 characters
};

extern const std::array<const char*, kCatalogueSize + 1> kCaptions;
// In CatalogueIndex order, which is also ascending CircuitId order.
extern const std::array<DescriptorRow, kCatalogueSize> kDescriptorRows;

}  // namespace tavrin::circuits::tables
