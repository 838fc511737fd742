#include "app/program_flow.h"

#include <ostream>
#include <string>

#include "app/settings_file.h"
#include "bench/run_loop.h"
#include "bench/run_statistics.h"
#include "bench/test_scene.h"
#include "bench/window_titles.h"
#include "platform/cp1252.h"
#include "ui/hint_dialog.h"
#include "ui/results_dialog.h"
#include "ui/splash_screen.h"

namespace app {
namespace {

constexpr int kBenchWindowSize = 512;

bool IsSoftwareRasteriser(const bench::RendererInfo& info) {
  for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
    if (info.renderer.find(name) != std::string::npos) return true;
  }
  return info.software;
}

// A failure that leaves nothing to measure: said in a message box and on stderr.
// `what` is code page 1252 text, like every text the toolkit shows.
int FailNoGraphics(Platform& platform, std::string_view what) {
  std::string message = "Der Benchmark kann nicht starten: ";
  message += what;
  message += " Ohne Grafikbeschleunigung gibt es nichts zu messen.";
  platform.err << "grafikkarten-benchmark: " << platform::Cp1252ToUtf8(message) << std::endl;
  platform.toolkit.ShowError(message);
  return kExitNoGraphics;
}

}  // namespace

int RunProgram(Platform& platform, const char* firstArgument) {
  platform::Toolkit& toolkit = platform.toolkit;
  toolkit.LoadFont(kDefaultFont, "Arial", 9, false);
  toolkit.LoadFont(kHeadingFont, "Arial", 10, true);
  toolkit.SetDefaultFont(kDefaultFont);

  // Splash, then the hint gate. The settings are open only while the hint may write them.
  const std::string settingsFolder = LocateSettingsFolder();
  ui::ShowSplash(toolkit);
  Settings settings;
  OpenSettings(settings, SettingsFilePath(settingsFolder));
  const std::int32_t HideTip = ReadSettingInt(settings, kHideTipKey, 0);
  if (HideTip == 0 && ui::ShowHintDialog(toolkit, bench::kMainWindow, settings) == 0) {
    CloseSettings(settings);  // a tick before cancelling is kept
    return 0;
  }
  CloseSettings(settings);
  // The splash window goes, and the hint dialog it owns with it.
  toolkit.CloseWindow(bench::kMainWindow);

  const int window =
      toolkit.OpenWindow(bench::kMainWindow, kBenchWindowSize, kBenchWindowSize,
                         bench::kWindowTitle, platform::WindowStyle::Titled, platform::kNoOwner);
  // The window may have been reduced to a small screen: the surface takes what it got.
  const platform::Size client = toolkit.ClientSize(window);
  if (!bench::OpenBenchSurface(platform.device, window, 0, 0, client.width, client.height)) {
    return FailNoGraphics(platform, "Es konnte keine OpenGL-Zeichenfl\xE4" "che angelegt werden.");
  }
  const bench::RendererInfo info = platform.device.Renderer();
  platform.out << "OpenGL: " << info.renderer << "; " << info.version << "; " << client.width
               << "x" << client.height << std::endl;
  if (IsSoftwareRasteriser(info)) {
    platform.err << "Warnung: Software-Rasterisierer (" << info.renderer
                 << "): die Werte messen den Prozessor, nicht die Grafikkarte." << std::endl;
  }
  toolkit.AddShortcut(window, platform::Key::Escape, kEscapeShortcut);

  bench::TestScene scene{platform.device};
  bench::NoiseSource noise(platform.threadId ^ platform.clock.NowMs());
  if (!bench::BuildTestScene(scene, noise)) {
    return FailNoGraphics(platform, "Die Testtextur (1024 x 1024) konnte nicht angelegt werden.");
  }

  bench::RunState state;
  state.FrameSamples.clear();
  state.RunDurationMs = bench::ReadRunDuration(firstArgument);

  // The run cycle: the window, surface, scene, run number and results carry over.
  bench::RunResults results;
  for (;;) {
    if (bench::PerformRun(state, scene, toolkit, platform.clock, window) == 0) return 0;
    const std::string line = bench::RecordRunResult(state.FrameSamples, state.RunNumber, results);
    platform.out << platform::Cp1252ToUtf8(line) << std::endl;
    if (ui::ShowResultsDialog(toolkit, window, results.ResultsText) == 0) return 0;
  }
}

}  // namespace app
