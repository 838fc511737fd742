// The program's own frame loop (toolkit window, title change and event poll per frame) over
// the real OpenGL surface for a given number of seconds, printing the frame rate in the
// same form as raw_glx_loop: "fps=<rate> frames=<n> seconds=<s>".
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <numeric>

#include "bench/run_loop.h"
#include "bench/test_scene.h"
#include "bench/window_titles.h"
#include "platform/gl_bench_device.h"
#include "platform/monotonic_clock.h"
#include "platform/qt_toolkit.h"

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
  QApplication application(argc, argv);
  platform::QtToolkit toolkit;
  platform::GlBenchDevice device(toolkit);
  platform::MonotonicClock clock;

  const int window = toolkit.OpenWindow(bench::kMainWindow, 512, 512, bench::kWindowTitle,
                                        platform::WindowStyle::Titled, platform::kNoOwner);
  const platform::Size client = toolkit.ClientSize(window);
  bench::TestScene scene{device};
  bench::NoiseSource noise(clock.NowMs());
  if (!bench::OpenBenchSurface(device, window, 0, 0, client.width, client.height) ||
      !bench::BuildTestScene(scene, noise)) {
    std::fprintf(stderr, "frame_loop_bench: no OpenGL surface\n");
    return 1;
  }
  bench::RunState state;
  state.RunDurationMs = seconds * 1000;
  if (bench::PerformRun(state, scene, toolkit, clock, window) != 1) return 1;

  // Complete blocks of 20 frames, exactly as the result line counts them.
  const double blockMs = std::accumulate(state.FrameSamples.begin(), state.FrameSamples.end(),
                                         0.0) * bench::kFramesPerSample;
  const auto frames = static_cast<long>(state.FrameSamples.size()) * bench::kFramesPerSample;
  const double elapsed = blockMs / 1000.0;
  std::printf("fps=%.3f frames=%ld seconds=%.3f\n", elapsed > 0 ? frames / elapsed : 0.0,
              frames, elapsed);
  return 0;
}
