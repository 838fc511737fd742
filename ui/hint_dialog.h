#pragma once

#include "app/settings_file.h"
#include "platform/toolkit.h"
#include "ui/dialog_answer.h"

namespace ui {

// The dialog's keyboard shortcuts.
inline constexpr int kHintEscape = kDialogEscape;
inline constexpr int kHintReturn = kDialogReturn;

// Advises the user to close other programs, in a dialog owned by and centred on `owner`
// (the splash window). Returns 1 for "Akzeptieren" and 0 for "Abbrechen", Escape and every
// close request. Each toggle of "Diese Meldung nicht mehr anzeigen." writes "HideTip" (1
// ticked, 0 not) into the open `settings` at once, whichever way the dialog is left. The
// dialog stays open on return; it goes when its owner is closed.
int ShowHintDialog(platform::Toolkit& toolkit, int owner, app::Settings& settings);

}  // namespace ui
