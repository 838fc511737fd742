#pragma once

#include <cstdint>
#include <iosfwd>

#include "bench/graphics_device.h"
#include "platform/clock.h"
#include "platform/toolkit.h"
#include "ui/fonts.h"

namespace app {

// Everything the program touches outside its own logic.
struct Platform {
  platform::Toolkit& toolkit;
  bench::GraphicsDevice& device;
  platform::Clock& clock;
  std::ostream& out;  // figures for scripts: the renderer, each run's result line (UTF-8)
  std::ostream& err;  // warnings and failures
  std::uint32_t threadId = 0;  // mixed into the texture's random seed
};

using ui::kDefaultFont;
using ui::kHeadingFont;
inline constexpr int kEscapeShortcut = 1;

// Exit code when the benchmark cannot run at all (no surface or texture).
inline constexpr int kExitNoGraphics = 2;

// The program from its first window to its end. `firstArgument` is the first command-line
// argument or nullptr. Returns the process exit code: 0 on every way the user ends it.
int RunProgram(Platform& platform, const char* firstArgument);

}  // namespace app
