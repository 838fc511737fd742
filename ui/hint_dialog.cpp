#include "ui/hint_dialog.h"

#include "bench/window_titles.h"
#include "ui/dialog_answer.h"

namespace ui {

int ShowHintDialog(platform::Toolkit& toolkit, int owner, app::Settings& settings) {
  const int dialog = toolkit.OpenWindow(platform::kToolkitChooses, 400, 150,
                                        bench::kWindowTitle, platform::WindowStyle::Titled, owner);

  // Asked for at 32 x 32; the control takes the picture's 48 x 48.
  const int icon = toolkit.DecodeImage(platform::kToolkitChooses, "hint_icon");
  toolkit.AddImage(20, 20, 32, 32, icon);
  toolkit.AddText(90, 20, 290, 50,
                  "Um ein einwandfreies Benchmark-Ergebnis zu erreichen, ist es vorteilhaft, "
                  "wenn alle anderen Anwendungen geschlossen sind.",
                  platform::TextAlign::Left);
  const int checkBox =
      toolkit.AddCheckBox(90, 75, 290, 20, "Diese Meldung nicht mehr anzeigen.");
  const int accept = toolkit.AddButton(100, 110, 95, 24, "Akzeptieren", true);
  const int cancel = toolkit.AddButton(205, 110, 95, 24, "Abbrechen", false);
  toolkit.SetFocus(accept);
  toolkit.AddShortcut(dialog, platform::Key::Return, kHintReturn);
  toolkit.AddShortcut(dialog, platform::Key::Escape, kHintEscape);
  // The image control keeps its own copy of the picture.
  if (icon >= 0) toolkit.ReleaseImage(icon);

  for (;;) {
    const platform::Event event = toolkit.WaitEvent();
    if (event.kind == platform::EventKind::ControlActivated && event.number == checkBox) {
      // The box has already toggled; its new state is the setting, whatever comes next.
      app::WriteSettingInt(settings, app::kHideTipKey, toolkit.IsChecked(checkBox) ? 1 : 0);
      continue;
    }
    const int answer = ButtonDialogAnswer(event, toolkit, accept, cancel);
    if (answer != kNoAnswer) return answer;
  }
}

}  // namespace ui
