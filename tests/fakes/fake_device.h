#pragma once

#include <functional>
#include <string>
#include <vector>

#include "bench/graphics_device.h"

namespace fakes {

// A graphics device that logs every call and keeps textures in memory.
class FakeDevice final : public bench::GraphicsDevice {
 public:
  std::vector<std::string> log;
  bool surfaceWorks = true;
  bool textureWorks = true;
  bool passWorks = true;
  std::function<void()> onPresent;  // e.g. advances a scripted clock
  std::vector<std::uint32_t> texels;
  int presents = 0;
  bench::RendererInfo renderer{"FakeGL", "1.0", false};

  bool OpenSurface(int window, int x, int y, int width, int height) override {
    log.push_back("surface " + std::to_string(window) + " " + std::to_string(x) + "," +
                  std::to_string(y) + " " + std::to_string(width) + "x" +
                  std::to_string(height));
    return surfaceWorks;
  }
  bench::RendererInfo Renderer() override { return renderer; }
  bool CreateTexture(int texture, int width, int height) override {
    log.push_back("texture " + std::to_string(texture) + " " + std::to_string(width) + "x" +
                  std::to_string(height));
    if (!textureWorks) return false;
    texels.assign(static_cast<std::size_t>(width) * height, 0u);
    return true;
  }
  std::span<std::uint32_t> LockTexture(int) override { return texels; }
  void UnlockTexture(int texture) override { log.push_back("unlock " + std::to_string(texture)); }
  void ClearSurface(std::uint32_t colour) override {
    log.push_back("clear " + std::to_string(colour));
  }
  bool BeginQuadPass(bool bilinear) override {
    log.push_back(std::string("begin ") + (bilinear ? "bilinear" : "point"));
    return passWorks;
  }
  void DrawQuad(int texture, int x, int y, int width, int height,
                std::uint8_t opacity) override {
    log.push_back("quad " + std::to_string(texture) + " " + std::to_string(x) + "," +
                  std::to_string(y) + " " + std::to_string(width) + "x" +
                  std::to_string(height) + " " + std::to_string(opacity));
  }
  void EndQuadPass() override { log.push_back("end"); }
  bool PresentSurface() override {
    log.push_back("present");
    ++presents;
    if (onPresent) onPresent();
    return true;
  }
};

}  // namespace fakes
