// raw_glx_loop: the benchmark scene drawn with no toolkit at all.
//
// Plain Xlib + GLX window, the same per-frame GL work as the program's own
// frame loop (clear an offscreen back buffer, 100 full-window textured quads
// from client-side vertex arrays, reset default state, blit to the window,
// swap, drain X events without blocking). Its frame rate is the reference
// the program's loop is compared against (see compare-frame-loops).
//
// Usage: raw_glx_loop SECONDS
// Prints "fps=<f> frames=<n> seconds=<s>" on stdout; GL_RENDERER and
// GL_VERSION on stderr.

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include <time.h>

namespace {

constexpr int kSize = 512;          // window and back buffer, pixels
constexpr int kTextureSize = 1024;  // the one texture, texels
constexpr int kQuadsPerFrame = 100;

struct Vertex {
    float x, y, z, w;
    std::uint32_t colour;  // 0xAARRGGBB, read as GL_BGRA bytes
    float u, v;
};
static_assert(sizeof(Vertex) == 28, "vertex record must be 28 bytes");

// Full-window quad as a triangle strip: top-left, top-right, bottom-left,
// bottom-right; y grows downwards.
constexpr Vertex kBaseQuad[4] = {
    {0.0f, 0.0f, 0.0f, 1.0f, 0x00FFFFFFu, 0.0f, 0.0f},
    {float(kSize), 0.0f, 0.0f, 1.0f, 0x00FFFFFFu, 1.0f, 0.0f},
    {0.0f, float(kSize), 0.0f, 1.0f, 0x00FFFFFFu, 0.0f, 1.0f},
    {float(kSize), float(kSize), 0.0f, 1.0f, 0x00FFFFFFu, 1.0f, 1.0f},
};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "raw_glx_loop: %s\n", what);
    std::exit(1);
}

double nowSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

bool hasExtension(const char* list, const char* name) {
    if (!list) return false;
    const std::size_t len = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += len) {
        const bool startOk = (p == list) || p[-1] == ' ';
        const bool endOk = p[len] == ' ' || p[len] == '\0';
        if (startOk && endOk) return true;
    }
    return false;
}

void setSwapIntervalZero(Display* dpy, int screen, GLXDrawable drawable) {
    const char* exts = glXQueryExtensionsString(dpy, screen);
    using SwapEXT = void (*)(Display*, GLXDrawable, int);
    using SwapMESA = int (*)(unsigned int);
    if (hasExtension(exts, "GLX_EXT_swap_control")) {
        auto fn = reinterpret_cast<SwapEXT>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalEXT")));
        if (fn) {
            fn(dpy, drawable, 0);
            return;
        }
    }
    if (hasExtension(exts, "GLX_MESA_swap_control")) {
        auto fn = reinterpret_cast<SwapMESA>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXSwapIntervalMESA")));
        if (fn) {
            fn(0);
            return;
        }
    }
    // Software GLX without a DRI drawable (e.g. llvmpipe on Xvfb) offers
    // neither extension; it does not wait for vertical blank anyway.
    std::fprintf(stderr, "raw_glx_loop: no GLX swap control offered, swap interval left as is\n");
}

struct Scene {
    GLuint fbo = 0;
    GLuint colour = 0;  // renderbuffer behind fbo
    GLuint texture = 0;
};

Scene createScene() {
    Scene s;

    // Offscreen back buffer: keeps its content between frames, presenting
    // copies it to the window.
    glGenRenderbuffers(1, &s.colour);
    glBindRenderbuffer(GL_RENDERBUFFER, s.colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kSize, kSize);
    glGenFramebuffers(1, &s.fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, s.fbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.colour);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        fail("offscreen framebuffer is incomplete");

    // Random opaque colours, 0xFFRRGGBB words. Fixed seed: every run draws
    // the same picture.
    std::vector<std::uint32_t> texels(std::size_t(kTextureSize) * kTextureSize);
    std::mt19937 rng(12345u);
    for (auto& t : texels) t = 0xFF000000u | (std::uint32_t(rng()) & 0x00FFFFFFu);

    glGenTextures(1, &s.texture);
    glBindTexture(GL_TEXTURE_2D, s.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTextureSize, kTextureSize, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());

    // Pixel coordinates, origin top-left, y downwards, corners on pixel edges.
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, kSize, kSize, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);

    if (GLenum err = glGetError(); err != GL_NO_ERROR) {
        std::fprintf(stderr, "raw_glx_loop: GL error 0x%04x during setup\n", err);
        std::exit(1);
    }
    return s;
}

void drawFrame(Display* dpy, Window win, const Scene& s) {
    // a. clear the back buffer
    glBindFramebuffer(GL_FRAMEBUFFER, s.fbo);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    // b. quad pass state, issued every frame
    glEnable(GL_BLEND);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, s.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);

    // c. the quads; vertex records rebuilt in client memory for every draw
    const float offsetX = 0.0f;
    const float offsetY = 0.0f;
    Vertex v[4];
    for (int q = 0; q < kQuadsPerFrame; ++q) {
        glBindTexture(GL_TEXTURE_2D, s.texture);
        for (int i = 0; i < 4; ++i) {
            v[i] = kBaseQuad[i];
            v[i].x += offsetX;
            v[i].y += offsetY;
            v[i].colour |= 0xFF000000u;
        }
        glVertexPointer(4, GL_FLOAT, sizeof(Vertex), &v[0].x);
        glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, sizeof(Vertex), &v[0].colour);
        glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &v[0].u);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }

    // d. back to default state
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);

    // e. present: copy the back buffer to the window
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s.fbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, kSize, kSize, 0, 0, kSize, kSize, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glXSwapBuffers(dpy, win);

    // f. drain pending X events without blocking
    XEvent ev;
    while (XPending(dpy)) XNextEvent(dpy, &ev);
}

// A context that silently drops client-array draws leaves the back buffer
// black; the figures would then measure nothing.
void checkFrameNotBlack(const Scene& s) {
    std::vector<std::uint8_t> pixels(std::size_t(kSize) * kSize * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s.fbo);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    if (GLenum err = glGetError(); err != GL_NO_ERROR) {
        std::fprintf(stderr, "raw_glx_loop: GL error 0x%04x after the first frame\n", err);
        std::exit(1);
    }
    bool anyColour = false;
    for (std::size_t i = 0; i < pixels.size() && !anyColour; i += 4)
        anyColour = pixels[i] != 0 || pixels[i + 1] != 0 || pixels[i + 2] != 0;
    if (!anyColour) fail("first frame read back all black: the quads drew nothing");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SECONDS\n", argv[0]);
        return 2;
    }
    char* end = nullptr;
    errno = 0;
    const double seconds = std::strtod(argv[1], &end);
    if (errno != 0 || end == argv[1] || *end != '\0' || !(seconds > 0.0)) {
        std::fprintf(stderr, "raw_glx_loop: SECONDS must be a positive number, got '%s'\n", argv[1]);
        return 2;
    }

    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) fail("cannot open X display (is DISPLAY set?)");
    const int screen = DefaultScreen(dpy);

    int visualAttribs[] = {GLX_RGBA,         GLX_DOUBLEBUFFER,  GLX_RED_SIZE,     8,
                           GLX_GREEN_SIZE,   8,                 GLX_BLUE_SIZE,    8,
                           GLX_DEPTH_SIZE,   0,                 GLX_STENCIL_SIZE, 0,
                           None};
    XVisualInfo* vi = glXChooseVisual(dpy, screen, visualAttribs);
    if (!vi) fail("no double-buffered RGBA GLX visual");

    const Window root = RootWindow(dpy, screen);
    XSetWindowAttributes swa{};
    swa.colormap = XCreateColormap(dpy, root, vi->visual, AllocNone);
    swa.border_pixel = 0;
    swa.event_mask = StructureNotifyMask | ExposureMask;
    const Window win =
        XCreateWindow(dpy, root, 0, 0, kSize, kSize, 0, vi->depth, InputOutput, vi->visual,
                      CWColormap | CWBorderPixel | CWEventMask, &swa);
    XStoreName(dpy, win, "raw-glx-loop");

    // Legacy context: fixed-function pipeline and client-side arrays.
    GLXContext ctx = glXCreateContext(dpy, vi, nullptr, True);
    if (!ctx) fail("glXCreateContext failed");

    XMapWindow(dpy, win);
    for (;;) {
        XEvent ev;
        XNextEvent(dpy, &ev);
        if (ev.type == MapNotify && ev.xmap.window == win) break;
    }

    if (!glXMakeCurrent(dpy, win, ctx)) fail("glXMakeCurrent failed");
    std::fprintf(stderr, "GL_RENDERER=%s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::fprintf(stderr, "GL_VERSION=%s\n", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    setSwapIntervalZero(dpy, screen, win);

    const Scene scene = createScene();

    // One untimed frame, read back to make sure the scene really draws.
    drawFrame(dpy, win, scene);
    checkFrameNotBlack(scene);

    long frames = 0;
    const double start = nowSeconds();
    double elapsed = 0.0;
    do {
        drawFrame(dpy, win, scene);
        ++frames;
        elapsed = nowSeconds() - start;
    } while (elapsed < seconds);

    std::printf("fps=%.3f frames=%ld seconds=%.3f\n", double(frames) / elapsed, frames, elapsed);
    std::fflush(stdout);

    glXMakeCurrent(dpy, None, nullptr);
    glXDestroyContext(dpy, ctx);
    XDestroyWindow(dpy, win);
    XFreeColormap(dpy, swa.colormap);
    XFree(vi);
    XCloseDisplay(dpy);
    return 0;
}
