#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include <QPointer>
#include <QWidget>
#include <QWindow>

#include "bench/graphics_device.h"

class QOpenGLContext;

namespace platform {

class QtToolkit;
class SurfaceWindow;

// The drawing surface on OpenGL: a child window with its own context fills the client
// area; an offscreen framebuffer of the surface's size is the back buffer, and presenting
// copies it into the window and swaps without waiting for the retrace. Textures keep a CPU
// copy, so a lost context is rebuilt with their content.
class GlBenchDevice final : public bench::GraphicsDevice {
 public:
  explicit GlBenchDevice(QtToolkit& toolkit);
  ~GlBenchDevice() override;

  bool OpenSurface(int window, int x, int y, int width, int height) override;
  bench::RendererInfo Renderer() override;
  bool CreateTexture(int texture, int width, int height) override;
  std::span<std::uint32_t> LockTexture(int texture) override;
  void UnlockTexture(int texture) override;
  void ClearSurface(std::uint32_t colour) override;
  bool BeginQuadPass(bool bilinear) override;
  void DrawQuad(int texture, int x, int y, int width, int height,
                std::uint8_t opacity) override;
  void EndQuadPass() override;
  bool PresentSurface() override;

  // Shows the last finished frame again (expose, uncover, restore); not a frame.
  void Represent();

  // For tests: the back buffer as 0xAARRGGBB words, row by row from the top.
  std::vector<std::uint32_t> ReadBackBuffer();
  // For tests: drops the context as a driver reset would; the next presentation rebuilds it.
  void LoseContextForTest();
  // The native window the surface presents into (for tests that grab the screen).
  WId SurfaceWindowId() const;

 private:
  struct Texture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> texels;  // the kept copy, 0xAARRGGBB
    unsigned glName = 0;
  };
  struct QuadVertex {  // 28 bytes, drawn from client memory
    float x, y, z, w;
    std::uint32_t colour;  // 0xAARRGGBB
    float u, v;
  };

  bool CreateContext();
  bool CreateTargets();
  void UploadTexture(Texture& texture);
  void ApplyDefaultState();
  bool Recover();
  void ReleaseGl();

  QtToolkit& m_toolkit;
  std::unique_ptr<QOpenGLContext> m_context;
  // The container is a child of the benchmark window and owns the surface window; both go
  // with that window if it is closed first.
  QPointer<QWindow> m_window;
  QPointer<QWidget> m_container;
  int m_width = 0;
  int m_height = 0;
  unsigned m_framebuffer = 0;
  unsigned m_colourBuffer = 0;
  std::map<int, Texture> m_textures;
  unsigned m_boundTexture = 0;  // the texture the filter settings of a pass go to
  QuadVertex m_vertices[4]{};
  bool m_open = false;
  bool m_usable = false;
  bool m_lost = false;
};

}  // namespace platform
