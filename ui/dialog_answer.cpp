#include "ui/dialog_answer.h"

namespace ui {

int ButtonDialogAnswer(const platform::Event& event, platform::Toolkit& toolkit, int yesButton,
                       int noButton) {
  switch (event.kind) {
    case platform::EventKind::CloseRequest:
      return 0;
    case platform::EventKind::ControlActivated:
      if (event.number == noButton) return 0;
      if (event.number == yesButton) return 1;
      return kNoAnswer;
    case platform::EventKind::Shortcut:
      if (event.number == kDialogEscape) return 0;
      if (event.number == kDialogReturn) {
        const int focused = toolkit.FocusedControl();
        if (focused == yesButton) return 1;
        if (focused == noButton) return 0;
      }
      return kNoAnswer;
    default:  // timers, among them the splash window's, and everything else
      return kNoAnswer;
  }
}

}  // namespace ui
