#pragma once

#include "platform/toolkit.h"

namespace ui {

// Shortcut numbers of a dialog with a yes and a no button.
inline constexpr int kDialogEscape = 0;
inline constexpr int kDialogReturn = 1;
inline constexpr int kNoAnswer = -1;

// What one event means to a dialog with a yes button (answer 1) and a no button (answer 0):
// a close request of any window and Escape say 0, a click says its button's answer, and
// Return acts for the button that has the keyboard focus (nothing on any other control).
// kNoAnswer: go on waiting; the event is dropped.
int ButtonDialogAnswer(const platform::Event& event, platform::Toolkit& toolkit, int yesButton,
                       int noButton);

}  // namespace ui
