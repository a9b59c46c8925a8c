// The raw template rows; NetlistTemplates.cpp is their only reader.
#pragma once

#include <array>

namespace tavrin::output::data {

struct TemplateRow {
  const char* key;         // circuit key, "SLP01"
  const char* resistors;   // "R1 1 3; R2 3 4"
  const char* capacitors;  // "C1 4 0; C2 2 3"
  const char* opAmps;      // "XA1 4 2 2"
};

extern const std::array<TemplateRow, 71> kStandardTemplates;
extern const std::array<TemplateRow, 16> kActiveCompTemplates;

}  // namespace tavrin::output::data
