#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace bench {

struct RendererInfo {
  std::string renderer;   // e.g. "llvmpipe (LLVM 15.0.6, 256 bits)"
  std::string version;    // e.g. "4.5 (Compatibility Profile) Mesa 22.3.6"
  bool software = false;  // a software rasteriser: the figures then measure the processor
};

// The accelerated drawing seam. The test scene and the run loop drive it; the product links
// the OpenGL implementation, unit tests a fake that logs the calls.
class GraphicsDevice {
 public:
  virtual ~GraphicsDevice() = default;

  // Attaches a surface to the client area of `window` at (x, y) with width x height pixels.
  // Its back buffer keeps its content after presenting; the window shows the last presented
  // frame again whenever it is uncovered or restored. False when no surface can be made.
  virtual bool OpenSurface(int window, int x, int y, int width, int height) = 0;
  virtual RendererInfo Renderer() = 0;

  // A texture of 32-bit texels, alpha in bits 24-31, red 16-23, green 8-15, blue 0-7,
  // all 0 after creation. False when the device cannot make it.
  virtual bool CreateTexture(int texture, int width, int height) = 0;
  // The texels, row by row from the top, for writing; empty when the texture does not exist.
  virtual std::span<std::uint32_t> LockTexture(int texture) = 0;
  // Hands the written texels to the device.
  virtual void UnlockTexture(int texture) = 0;

  // Fills the whole back buffer; colour is 0x00BBGGRR (red in the low byte).
  virtual void ClearSurface(std::uint32_t colour) = 0;
  // Alpha blending (source alpha, one minus source alpha), texture x vertex colour,
  // bilinear or point sampling. False when quads cannot be drawn this frame.
  virtual bool BeginQuadPass(bool bilinear) = 0;
  // Draws `texture` stretched over pixels x..x+width-1, y..y+height-1 (y downwards);
  // opacity 0..255 is the alpha of the vertex colour.
  virtual void DrawQuad(int texture, int x, int y, int width, int height,
                        std::uint8_t opacity) = 0;
  // Back to the default state: texture colour alone, point sampling.
  virtual void EndQuadPass() = 0;
  // Shows the back buffer without waiting for the display's retrace. False when a device
  // failure stopped it before presenting.
  virtual bool PresentSurface() = 0;
};

}  // namespace bench
