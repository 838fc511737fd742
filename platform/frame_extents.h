#pragma once

#include <QWindow>

namespace platform {

// Border widths the window manager puts around a client area, in pixels.
struct FrameExtents {
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
};

// Asks the window manager, before the window is shown, how large the frame of this native
// (not yet mapped) window will be. Zero extents without X11 or without an answer in time.
FrameExtents RequestFrameExtents(WId window);

}  // namespace platform
