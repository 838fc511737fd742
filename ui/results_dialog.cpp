#include "ui/results_dialog.h"

#include <string>

#include "bench/window_titles.h"
#include "ui/fonts.h"

namespace ui {
namespace {

using platform::Event;
using platform::EventKind;

constexpr int kNoResult = -1;

struct ResultsControls {
  int textBox = platform::kNoControl;
  int repeat = platform::kNoControl;
  int quit = platform::kNoControl;
};

// The dialog's answer to one event, or kNoResult to go on waiting.
int Answer(const Event& event, const ResultsControls& controls, platform::Toolkit& toolkit) {
  switch (event.kind) {
    case EventKind::CloseRequest:
      return 0;
    case EventKind::ControlActivated:
      if (event.number == controls.quit) return 0;
      if (event.number == controls.repeat) return 1;
      return kNoResult;
    case EventKind::Shortcut:
      if (event.number == kResultsEscape) return 0;
      if (event.number == kResultsReturn) {
        // Return acts for the button that has the focus; in the text box it does nothing.
        const int focused = toolkit.FocusedControl();
        if (focused == controls.repeat) return 1;
        if (focused == controls.quit) return 0;
      }
      return kNoResult;
    default:
      return kNoResult;
  }
}

}  // namespace

int ShowResultsDialog(platform::Toolkit& toolkit, int owner, std::string_view resultsText) {
  const std::string text(resultsText);
  const int dialog = toolkit.OpenWindow(platform::kToolkitChooses, 400, 170,
                                        bench::kWindowTitle, platform::WindowStyle::Titled, owner);

  // Asked for at 32 x 32; the control takes the picture's 48 x 48.
  const int icon = toolkit.DecodeImage(platform::kToolkitChooses, "results_icon");
  toolkit.AddImage(20, 50, 32, 32, icon);
  // The heading's box spans the row; its short text leaves the right part to the unit note,
  // which ends at the text box's right edge.
  const int heading = toolkit.AddText(90, 20, 290, 25, "Ergebnisse", platform::TextAlign::Left);
  toolkit.SetControlFont(heading, kHeadingFont);
  toolkit.AddText(200, 20, 180, 25, "Angaben in FPS", platform::TextAlign::Right);

  ResultsControls controls;
  controls.textBox = toolkit.AddTextBox(90, 45, 290, 70);
  toolkit.SetControlText(controls.textBox, text);
  controls.repeat = toolkit.AddButton(100, 130, 95, 24, "Wiederholen", false);
  controls.quit = toolkit.AddButton(205, 130, 95, 24, "Beenden", true);
  toolkit.SetFocus(controls.quit);
  toolkit.AddShortcut(dialog, platform::Key::Return, kResultsReturn);
  toolkit.AddShortcut(dialog, platform::Key::Escape, kResultsEscape);

  int result = kNoResult;
  while (result == kNoResult) result = Answer(toolkit.WaitEvent(), controls, toolkit);

  toolkit.CloseWindow(dialog);
  if (icon >= 0) toolkit.ReleaseImage(icon);
  return result;
}

}  // namespace ui
