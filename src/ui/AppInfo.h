// The application's title, shared by the start-up code and the main window's status strip.
#pragma once

namespace tavrin::ui {

inline constexpr const char* kApplicationTitle = "Tavrin V3.0";

}  // namespace tavrin::ui
