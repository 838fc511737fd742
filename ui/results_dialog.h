#pragma once

#include <string_view>

#include "platform/toolkit.h"
#include "ui/dialog_answer.h"

namespace ui {

// The dialog's keyboard shortcuts. The benchmark window's Escape is also number 1, so
// Escape there counts as Return here.
inline constexpr int kResultsEscape = kDialogEscape;
inline constexpr int kResultsReturn = kDialogReturn;

// Shows the results (code page 1252, newest line first) in a dialog owned by and centred
// on `owner`, and waits for the user. Returns 1 for "Wiederholen" and 0 for every other way
// out ("Beenden", Escape, a close request of any window). The dialog is closed on return,
// after its owner has been made the active window again.
// Needs the default control font set and the heading font loaded.
int ShowResultsDialog(platform::Toolkit& toolkit, int owner, std::string_view resultsText);

}  // namespace ui
