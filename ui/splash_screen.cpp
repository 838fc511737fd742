#include "ui/splash_screen.h"

#include "bench/window_titles.h"

namespace ui {

void ShowSplash(platform::Toolkit& toolkit) {
  // The picture fixes the window's size; a picture that cannot be decoded reads as 0 x 0.
  toolkit.DecodeImage(kSplashImage, "splash");
  const platform::Size picture = toolkit.ImageSize(kSplashImage);
  const int window =
      toolkit.OpenWindow(bench::kMainWindow, picture.width, picture.height, bench::kWindowTitle,
                         platform::WindowStyle::Popup, platform::kNoOwner);
  toolkit.AddImage(0, 0, picture.width, picture.height, kSplashImage);
  toolkit.AddTimer(window, kSplashTimer, kSplashPeriodMs);

  for (;;) {
    const platform::Event event = toolkit.WaitEvent();
    if (event.kind == platform::EventKind::Timer && event.number == kSplashTimer) return;
  }
}

}  // namespace ui
