// The program's own frame loop (toolkit window, title change and event poll per frame) for a
// given number of seconds, printing the frame rate in the same form as raw_glx_loop:
// "fps=<rate> frames=<n> seconds=<s>".
//
//   frame_loop_bench SECONDS               the real OpenGL surface and test scene
//   frame_loop_bench SECONDS --loop-only   a device that draws nothing: what the loop itself
//                                          costs per frame, printed in microseconds as well
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>

#include "bench/run_loop.h"
#include "bench/test_scene.h"
#include "bench/window_titles.h"
#include "platform/gl_bench_device.h"
#include "platform/monotonic_clock.h"
#include "platform/qt_toolkit.h"

namespace {

// Accepts everything and draws nothing.
class NullDevice final : public bench::GraphicsDevice {
 public:
  bool OpenSurface(int, int, int, int, int) override { return true; }
  bench::RendererInfo Renderer() override { return {}; }
  bool CreateTexture(int, int width, int height) override {
    m_texels.resize(static_cast<std::size_t>(width) * height);
    return true;
  }
  std::span<std::uint32_t> LockTexture(int) override { return m_texels; }
  void UnlockTexture(int) override {}
  void ClearSurface(std::uint32_t) override {}
  bool BeginQuadPass(bool) override { return true; }
  void DrawQuad(int, int, int, int, int, std::uint8_t) override {}
  void EndQuadPass() override {}
  bool PresentSurface() override { return true; }

 private:
  std::vector<std::uint32_t> m_texels;
};

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
  const bool loopOnly = argc > 2 && std::strcmp(argv[2], "--loop-only") == 0;
  QApplication application(argc, argv);
  platform::QtToolkit toolkit;
  platform::GlBenchDevice glDevice(toolkit);
  NullDevice nullDevice;
  bench::GraphicsDevice& device =
      loopOnly ? static_cast<bench::GraphicsDevice&>(nullDevice) : glDevice;
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
  if (loopOnly && frames > 0) {
    std::printf("loop cost per frame: %.2f us\n", blockMs * 1000.0 / static_cast<double>(frames));
  }
  return 0;
}
