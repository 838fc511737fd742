#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/gl_bench_device.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QExposeEvent>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QWidget>
#include <QWindow>

#include <cstring>

#include "platform/qt_toolkit.h"

namespace platform {

// The native child window the surface presents into. Whenever the system asks for it to
// be painted (expose, uncover, restore, resize of the parent), the last frame is shown again.
class SurfaceWindow final : public QWindow {
 public:
  explicit SurfaceWindow(GlBenchDevice& device) : m_device(device) {
    setSurfaceType(QSurface::OpenGLSurface);
  }

 protected:
  void exposeEvent(QExposeEvent*) override {
    if (isExposed()) m_device.Represent();
  }

 private:
  GlBenchDevice& m_device;
};

namespace {

QSurfaceFormat SurfaceFormat() {
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  // 2.1 with the fixed-function pipeline: a core context would draw nothing from client arrays.
  format.setVersion(2, 1);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setOptions(QSurfaceFormat::DeprecatedFunctions | QSurfaceFormat::ResetNotification);
  format.setDepthBufferSize(0);
  format.setStencilBufferSize(0);
  format.setSamples(0);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  format.setSwapInterval(0);  // never wait for the retrace
  return format;
}

std::string GlString(GLenum name) {
  const auto* text = reinterpret_cast<const char*>(glGetString(name));
  return text != nullptr ? text : "";
}

}  // namespace

GlBenchDevice::GlBenchDevice(QtToolkit& toolkit) : m_toolkit(toolkit) {}

GlBenchDevice::~GlBenchDevice() {
  ReleaseGl();
  delete m_container;  // takes the surface window with it
}

bool GlBenchDevice::OpenSurface(int window, int x, int y, int width, int height) {
  QWidget* host = m_toolkit.WindowWidget(window);
  if (host == nullptr || width <= 0 || height <= 0) return false;
  m_width = width;
  m_height = height;
  auto* surfaceWindow = new SurfaceWindow(*this);
  surfaceWindow->setFormat(SurfaceFormat());
  m_window = surfaceWindow;
  m_container = QWidget::createWindowContainer(m_window, host);
  m_container->setGeometry(x, y, width, height);
  // The container gets its own native window now, with the surface inside it. Qt would
  // otherwise make it native later (when an owned dialog is created), and its fresh window
  // would then cover the surface, a sibling, with the plain background.
  m_container->winId();
  m_container->show();
  m_window->create();
  if (!CreateContext() || !CreateTargets()) {
    ReleaseGl();
    return false;
  }
  // Nothing is shown before the window is on the screen; wait a bounded time for that.
  QElapsedTimer waited;
  waited.start();
  while (!m_window->isExposed() && waited.elapsed() < 3000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  m_open = true;
  m_usable = true;
  ClearSurface(0);
  return true;
}

bool GlBenchDevice::CreateContext() {
  m_context = std::make_unique<QOpenGLContext>();
  m_context->setFormat(m_window->requestedFormat());
  if (!m_context->create() || !m_context->makeCurrent(m_window)) return false;
  const QSurfaceFormat got = m_context->format();
  // Client-side arrays and the fixed pipeline need a compatibility context; presenting by
  // blit needs framebuffer objects (OpenGL 3.0 or the extension).
  if (got.profile() == QSurfaceFormat::CoreProfile) return false;
  const bool blit = got.majorVersion() >= 3 ||
                    m_context->hasExtension(QByteArrayLiteral("GL_ARB_framebuffer_object"));
  return blit;
}

bool GlBenchDevice::CreateTargets() {
  glGenRenderbuffers(1, &m_colourBuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, m_colourBuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, m_width, m_height);
  glGenFramebuffers(1, &m_framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                            m_colourBuffer);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
  // Positions in pixels, y downwards; the quad's corners lie on pixel edges, so a quad
  // from (0, 0) to (w, h) covers exactly pixels 0..w-1 by 0..h-1, texel grid on pixel grid.
  glViewport(0, 0, m_width, m_height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, m_width, m_height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  ApplyDefaultState();
  return glGetError() == GL_NO_ERROR;
}

void GlBenchDevice::ApplyDefaultState() {
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
}

bench::RendererInfo GlBenchDevice::Renderer() {
  if (!m_open) return {};
  m_context->makeCurrent(m_window);
  return {GlString(GL_RENDERER), GlString(GL_VERSION), false};
}

bool GlBenchDevice::CreateTexture(int texture, int width, int height) {
  if (!m_open || width <= 0 || height <= 0) return false;
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  if (width > maxSize || height > maxSize) return false;
  Texture& t = m_textures[texture];
  t.width = width;
  t.height = height;
  t.texels.assign(static_cast<std::size_t>(width) * height, 0u);
  glGenTextures(1, &t.glName);
  UploadTexture(t);
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &t.glName);
    m_textures.erase(texture);
    return false;
  }
  return true;
}

void GlBenchDevice::UploadTexture(Texture& t) {
  glBindTexture(GL_TEXTURE_2D, t.glName);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);  // one level, no mipmaps
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  // 0xAARRGGBB words are B, G, R, A in memory on this little-endian machine.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, t.width, t.height, 0, GL_BGRA,
               GL_UNSIGNED_INT_8_8_8_8_REV, t.texels.data());
  m_boundTexture = t.glName;
}

std::span<std::uint32_t> GlBenchDevice::LockTexture(int texture) {
  const auto it = m_textures.find(texture);
  if (it == m_textures.end()) return {};
  return it->second.texels;
}

void GlBenchDevice::UnlockTexture(int texture) {
  const auto it = m_textures.find(texture);
  if (it != m_textures.end() && m_context) UploadTexture(it->second);
}

void GlBenchDevice::ClearSurface(std::uint32_t colour) {
  if (!m_open || !m_context) return;
  glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
  glClearColor(static_cast<float>(colour & 0xFF) / 255.0f,
               static_cast<float>((colour >> 8) & 0xFF) / 255.0f,
               static_cast<float>((colour >> 16) & 0xFF) / 255.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

bool GlBenchDevice::BeginQuadPass(bool bilinear) {
  if (!m_open || !m_context) return false;
  glEnable(GL_BLEND);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);  // colour and alpha modulated
  if (bilinear) {
    glBindTexture(GL_TEXTURE_2D, m_boundTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  }
  return true;
}

void GlBenchDevice::DrawQuad(int texture, int x, int y, int width, int height,
                             std::uint8_t opacity) {
  const auto it = m_textures.find(texture);
  if (it == m_textures.end() || !m_context) return;
  const auto left = static_cast<float>(x);
  const auto top = static_cast<float>(y);
  const float right = left + static_cast<float>(width);
  const float bottom = top + static_cast<float>(height);
  const std::uint32_t colour = 0x00FFFFFFu | (std::uint32_t{opacity} << 24);
  m_vertices[0] = {left, top, 0.0f, 1.0f, colour, 0.0f, 0.0f};
  m_vertices[1] = {right, top, 0.0f, 1.0f, colour, 1.0f, 0.0f};
  m_vertices[2] = {left, bottom, 0.0f, 1.0f, colour, 0.0f, 1.0f};
  m_vertices[3] = {right, bottom, 0.0f, 1.0f, colour, 1.0f, 1.0f};
  m_boundTexture = it->second.glName;
  glBindTexture(GL_TEXTURE_2D, m_boundTexture);
  glVertexPointer(4, GL_FLOAT, sizeof(QuadVertex), &m_vertices[0].x);
  glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, sizeof(QuadVertex), &m_vertices[0].colour);
  glTexCoordPointer(2, GL_FLOAT, sizeof(QuadVertex), &m_vertices[0].u);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void GlBenchDevice::EndQuadPass() {
  if (m_context) ApplyDefaultState();
}

bool GlBenchDevice::PresentSurface() {
  if (!m_open) return false;
  if (!m_usable) return true;  // a failed device keeps counting frames that are not shown
  if (m_lost || !m_context->isValid()) {
    if (!Recover()) {
      m_usable = false;
      return false;
    }
  }
  if (!m_window || !m_window->isExposed()) return true;  // nothing on the screen to copy into yet
  glBindFramebuffer(GL_READ_FRAMEBUFFER, m_framebuffer);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  // The surface keeps the client size in the window's own units, so the work per frame does
  // not depend on the desktop's scale factor; the copy stretches it over the device pixels.
  const qreal ratio = m_window->devicePixelRatio();
  const int shownWidth = qRound(m_width * ratio);
  const int shownHeight = qRound(m_height * ratio);
  const bool stretched = shownWidth != m_width || shownHeight != m_height;
  glBlitFramebuffer(0, 0, m_width, m_height, 0, 0, shownWidth, shownHeight, GL_COLOR_BUFFER_BIT,
                    stretched ? GL_LINEAR : GL_NEAREST);
  m_context->swapBuffers(m_window);
  glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
  return true;
}

void GlBenchDevice::Represent() {
  if (m_open && m_usable && m_context && !m_lost) PresentSurface();
}

bool GlBenchDevice::Recover() {
  // A new context has an empty back buffer: the next frame fills it again.
  ReleaseGl();
  if (!CreateContext() || !CreateTargets()) return false;
  for (auto& [number, texture] : m_textures) {
    glGenTextures(1, &texture.glName);
    UploadTexture(texture);
  }
  m_lost = false;
  return glGetError() == GL_NO_ERROR;
}

void GlBenchDevice::ReleaseGl() {
  if (m_context && m_context->isValid() && !m_lost && m_window &&
      m_context->makeCurrent(m_window)) {
    for (auto& [number, texture] : m_textures) glDeleteTextures(1, &texture.glName);
    if (m_framebuffer != 0) glDeleteFramebuffers(1, &m_framebuffer);
    if (m_colourBuffer != 0) glDeleteRenderbuffers(1, &m_colourBuffer);
    m_context->doneCurrent();
  }
  for (auto& [number, texture] : m_textures) texture.glName = 0;
  m_framebuffer = 0;
  m_colourBuffer = 0;
  m_boundTexture = 0;
  m_context.reset();
}

void GlBenchDevice::LoseContextForTest() {
  // Forget the context's objects without touching them, as after a driver reset.
  for (auto& [number, texture] : m_textures) texture.glName = 0;
  m_framebuffer = 0;
  m_colourBuffer = 0;
  m_lost = true;
  m_context.reset();
}

std::vector<std::uint32_t> GlBenchDevice::ReadBackBuffer() {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(m_width) * m_height);
  if (!m_open || !m_context) return pixels;
  m_context->makeCurrent(m_window);
  glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  std::vector<std::uint32_t> bottomUp(pixels.size());
  glReadPixels(0, 0, m_width, m_height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, bottomUp.data());
  for (int row = 0; row < m_height; ++row) {
    std::memcpy(&pixels[static_cast<std::size_t>(row) * m_width],
                &bottomUp[static_cast<std::size_t>(m_height - 1 - row) * m_width],
                static_cast<std::size_t>(m_width) * sizeof(std::uint32_t));
  }
  return pixels;
}

WId GlBenchDevice::SurfaceWindowId() const { return m_window != nullptr ? m_window->winId() : 0; }

}  // namespace platform
