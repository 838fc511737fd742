#include "bench/test_scene.h"

namespace bench {

std::uint32_t NoiseSource::NoiseRandom(std::uint32_t max) {
  const std::uint64_t r = m_engine();
  return static_cast<std::uint32_t>((r * (static_cast<std::uint64_t>(max) + 1)) >> 32);
}

bool OpenBenchSurface(GraphicsDevice& device, int window, int x, int y, int width,
                      int height) {
  return device.OpenSurface(window, x, y, width, height);
}

bool BuildTestScene(TestScene& scene, NoiseSource& noise) {
  scene.QuadFiltering = true;
  if (!scene.device.CreateTexture(kNoiseTexture, kNoiseTextureSize, kNoiseTextureSize)) {
    return false;
  }
  const std::span<std::uint32_t> texels = scene.device.LockTexture(kNoiseTexture);
  if (texels.size() != static_cast<std::size_t>(kNoiseTextureSize) * kNoiseTextureSize) {
    return false;
  }
  // Texel (x, y) takes random number 1024 * y + x.
  for (std::uint32_t& texel : texels) texel = NoiseTexel(noise.NoiseRandom(0xFFFFFFu));
  scene.device.UnlockTexture(kNoiseTexture);
  scene.quadWidth = kNoiseTextureSize;
  scene.quadHeight = kNoiseTextureSize;
  scene.built = true;
  return true;
}

void DrawTestFrame(TestScene& scene) {
  GraphicsDevice& device = scene.device;
  device.ClearSurface(0);
  if (scene.built && device.BeginQuadPass(scene.QuadFiltering)) {
    scene.quadWidth = kQuadSize;
    scene.quadHeight = kQuadSize;
    for (int i = 0; i < kQuadsPerFrame; ++i) {
      device.DrawQuad(kNoiseTexture, 0, 0, scene.quadWidth, scene.quadHeight, 255);
    }
    device.EndQuadPass();
  }
  device.PresentSurface();
}

}  // namespace bench
