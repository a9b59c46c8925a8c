// The three script lists as text; SchematicScripts.cpp is their only reader.
#pragma once

#include <string_view>

namespace tavrin::circuits::data {

extern const std::string_view kAllPoleScripts;
extern const std::string_view kNotchScripts;
extern const std::string_view kActiveCompScripts;

}  // namespace tavrin::circuits::data
