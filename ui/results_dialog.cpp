#include "ui/results_dialog.h"

#include <string>

#include "bench/window_titles.h"
#include "ui/dialog_answer.h"
#include "ui/fonts.h"

namespace ui {

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

  const int textBox = toolkit.AddTextBox(90, 45, 290, 70);
  toolkit.SetControlText(textBox, text);
  const int repeat = toolkit.AddButton(100, 130, 95, 24, "Wiederholen", false);
  const int quit = toolkit.AddButton(205, 130, 95, 24, "Beenden", true);
  toolkit.SetFocus(quit);
  toolkit.AddShortcut(dialog, platform::Key::Return, kResultsReturn);
  toolkit.AddShortcut(dialog, platform::Key::Escape, kResultsEscape);

  // Return in the text box does nothing; everything but "Wiederholen" ends the program.
  int result = kNoAnswer;
  while (result == kNoAnswer) {
    result = ButtonDialogAnswer(toolkit.WaitEvent(), toolkit, repeat, quit);
  }

  toolkit.CloseWindow(dialog);
  if (icon >= 0) toolkit.ReleaseImage(icon);
  return result;
}

}  // namespace ui
