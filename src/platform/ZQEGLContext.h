#pragma once

#include <cstdint>
#include <memory>
#include <string>

class ZQEGLBackend;
class ZQWindowCopy;

// The one OpenGL ES rendering context of the process, current on the main
// thread for good. Two back ends make it:
//   Window:   an SDL2 window with an OpenGL ES 2.0 context (X11, Xvfb, Wayland);
//   Headless: EGL on Mesa's surfaceless platform, no display server at all
//             (tests, CI and the game's --headless mode).
// Mesa may hand out an ES 3.x context for a 2.0 request; the game's own code
// uses ES 2.0 calls only, except the multisampled targets.
//
// The screen target's colour renderbuffer gets its storage here (setUpLayer)
// and presentRenderbuffer puts the finished frame on the window. Main thread
// only, except the once-only creation of the shared instance.
class ZQEGLContext {
public:
    enum class Surface { Window, Headless };
    // The screen target unless told otherwise: the tall phone's pixels.
    static constexpr int kDefaultWidth = 750;
    static constexpr int kDefaultHeight = 1334;

    struct Options {
        Surface surface = Surface::Window;
        // The screen target in pixels. A window larger than the display's
        // usable area is shrunk to fit, keeping this aspect; the drawable size
        // then tells what it became, while the screen target keeps this size
        // and is scaled into the window when presented.
        int width = kDefaultWidth;
        int height = kDefaultHeight;
        const char* title = "Velmora";
    };

    // How the shared context will be made; read only by the first
    // sharedEGLContext() call, ignored after it.
    static void configure(const Options& options);

    // The process context, made on the first call (thread-safe); null from
    // then on when no OpenGL ES 2.0 context could be had (sharedFailure says why).
    static ZQEGLContext* sharedEGLContext();
    static const std::string& sharedFailure();
    // The shared context made headless with a screen target of that size,
    // for the tools, tests and benchmarks; the first caller's size holds.
    static ZQEGLContext* sharedHeadless(int width = kDefaultWidth, int height = kDefaultHeight);

    // A context apart from the shared one (a test's window). It is left
    // current; make the shared one current again afterwards.
    static std::unique_ptr<ZQEGLContext> create(const Options& options, std::string& failure);

    ~ZQEGLContext();
    ZQEGLContext(const ZQEGLContext&) = delete;
    ZQEGLContext& operator=(const ZQEGLContext&) = delete;

    // 2 for OpenGL ES 2.0 (or a later version, which runs ES 2.0 code).
    uint64_t api() const { return apiVersion; }
    Surface surface() const { return kind; }
    // The window's drawable (headless: the screen target) in pixels, as the
    // window system has it: a full screen refused leaves it as it was.
    int drawableWidth() const;
    int drawableHeight() const;
    // The screen target in pixels, as configured, whatever the window became.
    int screenWidth() const { return screenSize[0]; }
    int screenHeight() const { return screenSize[1]; }

    // Gives the bound GL_RENDERBUFFER (the screen's colour renderbuffer) RGBA8
    // storage at the screen target's size, or at the view's own size. The
    // caller binds it first.
    void setUpLayer();
    void setUpLayer(int width, int height);
    bool setCurrentContext();
    // Shows the bound framebuffer's colour (the resolved screen target) on the
    // window and swaps; GL bindings and switches are left as they were.
    // Headless: nothing.
    void presentRenderbuffer();

private:
    ZQEGLContext(const Options& options, std::unique_ptr<ZQEGLBackend> backend);
    static std::unique_ptr<ZQEGLContext> make(const Options& options, std::string& failure);

    Surface kind;
    int screenSize[2];
    uint64_t apiVersion = 2;
    std::unique_ptr<ZQEGLBackend> backend;
    std::unique_ptr<ZQWindowCopy> windowCopy; // made on the first present
};
