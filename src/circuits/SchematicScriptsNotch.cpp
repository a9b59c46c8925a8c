// The notch circuits: lowpass notch, highpass notch and notch.
// How a script is written: Schematic.h.
#include "circuits/SchematicScriptData.h"

namespace tavrin::circuits::data {

// clang-format off
const std::string_view kNotchScripts = R"()";
// clang-format on

}  // namespace tavrin::circuits::data
