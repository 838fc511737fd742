#pragma once

namespace ui {

// Font numbers the program loads at start: "Arial" 9 pt, the default of every control,
// and "Arial" 10 pt bold for headings.
inline constexpr int kDefaultFont = 4;
inline constexpr int kHeadingFont = 5;

}  // namespace ui
