#pragma once

#include <cstdint>
#include <random>

#include "bench/graphics_device.h"

namespace bench {

inline constexpr int kNoiseTexture = 1;
inline constexpr int kNoiseTextureSize = 1024;  // texels per side
inline constexpr int kQuadSize = 512;           // pixels per side of every quad drawn
inline constexpr int kQuadsPerFrame = 100;

// Uniform random numbers for the texture, seeded once at the first draw.
class NoiseSource {
 public:
  explicit NoiseSource(std::uint32_t seed) : m_engine(seed) {}
  // A number from 0 to max inclusive: the upper 32 bits of r * (max + 1) for a uniform
  // 32-bit r.
  std::uint32_t NoiseRandom(std::uint32_t max);

 private:
  std::mt19937 m_engine;
};

// Texel for a random 24-bit colour c (red in bits 0-7, green 8-15, blue 16-23): always
// opaque, red and blue swapped into the texture's order.
constexpr std::uint32_t NoiseTexel(std::uint32_t c) {
  const std::uint32_t red = c & 0xFFu;
  const std::uint32_t green = (c >> 8) & 0xFFu;
  const std::uint32_t blue = (c >> 16) & 0xFFu;
  return 0xFF000000u | (red << 16) | (green << 8) | blue;
}

// The fixed scene: one texture of random colours drawn as 100 blended quads per frame.
struct TestScene {
  GraphicsDevice& device;
  bool QuadFiltering = false;  // bilinear sampling of quad textures once the scene is built
  bool built = false;          // NoiseTexture and NoiseQuad exist
  int quadWidth = kNoiseTextureSize;  // NoiseQuad's current on-screen size
  int quadHeight = kNoiseTextureSize;
};

// Attaches the surface to `window`'s client area; false when it cannot be made.
bool OpenBenchSurface(GraphicsDevice& device, int window, int x, int y, int width, int height);

// Creates NoiseTexture (1024 x 1024, every texel an opaque random colour, drawn row by row
// from the top) and NoiseQuad. False when the texture cannot be made; nothing is drawn then.
bool BuildTestScene(TestScene& scene, NoiseSource& noise);

// One frame: clear to black, 100 bilinear, alpha-blended 512 x 512 quads at (0, 0), present.
// A frame whose quad pass cannot begin presents the cleared surface.
void DrawTestFrame(TestScene& scene);

}  // namespace bench
