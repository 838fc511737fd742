#pragma once

#include "platform/toolkit.h"

namespace ui {

inline constexpr int kSplashImage = 2;
inline constexpr int kSplashTimer = 3;
inline constexpr int kSplashPeriodMs = 2000;

// Opens the main window (number 0) as the borderless splash window, sized by the decoded
// title picture and centred on the screen, and returns with the first event of the
// splash timer, about two seconds later. Every event before it (clicks, keys, close
// requests, other timers) is consumed without effect. On return the window, the picture and
// the timer, which goes on firing every 2000 ms, are still there.
void ShowSplash(platform::Toolkit& toolkit);

}  // namespace ui
