// The real OpenGL surface on the X server: what one frame puts into the back buffer and
// onto the screen, clipping on a small surface, repainting after the window was hidden,
// and recovery from a lost context.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <cstdlib>
#include <memory>

#include "bench/test_scene.h"
#include "platform/gl_bench_device.h"
#include "platform/qt_toolkit.h"

namespace {

void Settle(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

int Channel(std::uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

// Pixel (i, j) of a 512 x 512 quad over a 1024 x 1024 texture is the mean of texels
// 2i..2i+1 by 2j..2j+1 (bilinear sampling at the centre of each 2 x 2 block).
std::uint32_t ExpectedPixel(std::span<const std::uint32_t> texels, int i, int j) {
  std::uint32_t result = 0;
  for (const int shift : {0, 8, 16}) {
    int sum = 0;
    for (int dy = 0; dy < 2; ++dy) {
      for (int dx = 0; dx < 2; ++dx) {
        sum += Channel(texels[static_cast<std::size_t>(2 * j + dy) * 1024 + 2 * i + dx], shift);
      }
    }
    result |= static_cast<std::uint32_t>((sum + 2) / 4) << shift;
  }
  return result;
}

// Counts pixels of a width x height picture (0x..RRGGBB, rows from the top) that differ from
// the CPU reference by more than 1 in any colour channel.
int CountMismatches(const std::vector<std::uint32_t>& pixels, int width, int height,
                    std::span<const std::uint32_t> texels) {
  int bad = 0;
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) {
      const std::uint32_t got = pixels[static_cast<std::size_t>(j) * width + i];
      const std::uint32_t want = ExpectedPixel(texels, i, j);
      for (const int shift : {0, 8, 16}) {
        if (std::abs(Channel(got, shift) - Channel(want, shift)) > 1) {
          ++bad;
          break;
        }
      }
    }
  }
  return bad;
}

std::vector<std::uint32_t> GrabSurface(WId surface) {
  const QImage image = QGuiApplication::primaryScreen()
                           ->grabWindow(surface)
                           .toImage()
                           .convertToFormat(QImage::Format_RGB32);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(image.width()) * image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
    std::copy(line, line + image.width(), pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width());
  }
  return pixels;
}

struct SurfaceFixture : ::testing::Test {
  std::unique_ptr<platform::QtToolkit> toolkit = std::make_unique<platform::QtToolkit>();
  std::unique_ptr<platform::GlBenchDevice> device;
  std::unique_ptr<bench::TestScene> scene;
  int width = 0;
  int height = 0;

  void Open(int surfaceWidth, int surfaceHeight) {
    width = surfaceWidth;
    height = surfaceHeight;
    const int window = toolkit->OpenWindow(0, 512, 512, "GL-Test",
                                           platform::WindowStyle::Titled, platform::kNoOwner);
    device = std::make_unique<platform::GlBenchDevice>(*toolkit);
    ASSERT_TRUE(bench::OpenBenchSurface(*device, window, 0, 0, width, height));
    scene = std::make_unique<bench::TestScene>(bench::TestScene{*device});
    bench::NoiseSource noise(2024);
    ASSERT_TRUE(bench::BuildTestScene(*scene, noise));
    Settle(200);
  }
  std::span<const std::uint32_t> Texels() { return device->LockTexture(bench::kNoiseTexture); }
  void TearDown() override {
    scene.reset();
    device.reset();
    toolkit.reset();
  }
};

TEST_F(SurfaceFixture, OneFrameMatchesTheBilinearReferenceInBufferAndWindow) {
  Open(512, 512);
  bench::DrawTestFrame(*scene);
  const std::vector<std::uint32_t> back = device->ReadBackBuffer();
  for (const std::uint32_t pixel : back) ASSERT_EQ(pixel >> 24, 0xFFu) << "opaque";
  EXPECT_EQ(CountMismatches(back, width, height, Texels()), 0);

  Settle(100);
  const std::vector<std::uint32_t> shown = GrabSurface(device->SurfaceWindowId());
  ASSERT_EQ(shown.size(), back.size());
  EXPECT_EQ(CountMismatches(shown, width, height, Texels()), 0);
}

TEST_F(SurfaceFixture, SmallSurfaceClipsTheQuads) {
  Open(300, 200);
  bench::DrawTestFrame(*scene);
  const std::vector<std::uint32_t> back = device->ReadBackBuffer();
  ASSERT_EQ(back.size(), 300u * 200u);
  EXPECT_EQ(CountMismatches(back, width, height, Texels()), 0);
}

TEST_F(SurfaceFixture, LastFrameReappearsAfterCoverAndMinimise) {
  Open(512, 512);
  bench::DrawTestFrame(*scene);
  QWidget* window = toolkit->WindowWidget(0);

  auto cover = std::make_unique<QWidget>();
  cover->setStyleSheet("background: red");
  cover->setGeometry(window->geometry().adjusted(-20, -40, 20, 20));
  cover->show();
  cover->raise();
  Settle(300);
  cover.reset();
  Settle(400);
  EXPECT_EQ(CountMismatches(GrabSurface(device->SurfaceWindowId()), width, height, Texels()), 0)
      << "after uncovering";

  window->showMinimized();
  Settle(300);
  window->showNormal();
  window->activateWindow();
  Settle(500);
  EXPECT_EQ(CountMismatches(GrabSurface(device->SurfaceWindowId()), width, height, Texels()), 0)
      << "after restoring";
}

TEST_F(SurfaceFixture, LostContextIsRebuiltFromTheKeptTexture) {
  Open(512, 512);
  bench::DrawTestFrame(*scene);
  device->LoseContextForTest();
  bench::DrawTestFrame(*scene);  // recovers while presenting
  bench::DrawTestFrame(*scene);
  EXPECT_EQ(CountMismatches(device->ReadBackBuffer(), width, height, Texels()), 0);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
