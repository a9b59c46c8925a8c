// The active-compensation variants: each circuit again with its op amps compensated; the
// compensating op amps and resistors are drawn in blue.
// How a script is written: Schematic.h.
#include "circuits/SchematicScriptData.h"

namespace tavrin::circuits::data {

// clang-format off
const std::string_view kActiveCompScripts = R"(SLP01
T0411 LUV i D0611 RHRD1 D1111 J1111 D1211 RHRD2 D1711 J1711
CVDR1 G     M1711 D2111 OURU  D2612 J2612 D2912 T2912 LUV o
M1111 D1107 D1707 CHRU2 D2607 D2612 HBLUE M2612 D2616 D2516
OULU  D2017 J2017 D2013 D2113 M2017 D2020 D2720 D2718 D2518
HBLCK XXXXX XXXXX XXXXX XXXXX XXXXX XXXXX XXXXX XXXXX XXXXX
)";
// clang-format on

}  // namespace tavrin::circuits::data
