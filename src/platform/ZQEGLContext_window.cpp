#include "platform/ZQEGLBackend.h"

#include <EGL/egl.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string sdlFailure(const char* what) {
    return std::string(what) + " failed: " + SDL_GetError();
}

// The displays SDL was told to open, for the reason no window opened: a
// player whose DISPLAY names a server that is not running must not be told
// to set DISPLAY.
std::string displaysTried() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool hasX11 = x11 != nullptr && x11[0] != '\0';
    const bool hasWayland = wayland != nullptr && wayland[0] != '\0';
    if (!hasX11 && !hasWayland) {
        return "DISPLAY is not set";
    }
    std::string tried = "could not open ";
    if (hasX11) {
        tried += std::string("display \"") + x11 + "\"";
    }
    if (hasWayland) {
        tried += std::string(hasX11 ? " nor " : "") + "Wayland display \"" + wayland + "\"";
    }
    return tried;
}

// The window's size: the wanted drawable, shrunk to the display's usable
// area (with a margin for decorations) while keeping its aspect, so a
// portrait phone screen fits a landscape monitor.
void fitToDisplay(int& width, int& height) {
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || usable.w <= 0 || usable.h <= 0) {
        return;
    }
    const double scale = std::min({1.0, 0.9 * usable.w / width, 0.9 * usable.h / height});
    width = std::max(1, static_cast<int>(width * scale));
    height = std::max(1, static_cast<int>(height * scale));
}

class WindowBackend : public ZQEGLBackend {
public:
    WindowBackend(SDL_Window* window, SDL_GLContext context) : window(window), context(context) {}

    // Notes the EGL surface SDL made for the window; the context is current.
    void findSurface() {
        display = eglGetCurrentDisplay();
        surface = eglGetCurrentSurface(EGL_DRAW);
    }

    ~WindowBackend() override {
        SDL_GL_DeleteContext(context);
        SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool makeCurrent() override { return SDL_GL_MakeCurrent(window, context) == 0; }

    // EGL's word on the surface, which is the window system's (Mesa asks the
    // X server), rather than SDL's: SDL takes a full screen it asked for as
    // granted, while without a window manager the window keeps its size.
    void drawableSize(int& width, int& height) const override {
        EGLint w = 0;
        EGLint h = 0;
        if (surface != EGL_NO_SURFACE && eglQuerySurface(display, surface, EGL_WIDTH, &w) == EGL_TRUE &&
            eglQuerySurface(display, surface, EGL_HEIGHT, &h) == EGL_TRUE) {
            width = w;
            height = h;
            return;
        }
        SDL_GL_GetDrawableSize(window, &width, &height);
    }

    void swap() override { SDL_GL_SwapWindow(window); }

private:
    SDL_Window* window;
    SDL_GLContext context;
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLSurface surface = EGL_NO_SURFACE;
};

} // namespace

std::unique_ptr<ZQEGLBackend> makeWindowBackend(const ZQEGLContext::Options& options, std::string& failure) {
    // OpenGL ES through EGL, never GLX: a thread may hold one context at a
    // time across both, and the headless contexts are EGL's.
    SDL_SetHint(SDL_HINT_OPENGL_ES_DRIVER, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "1");
    // Whatever was current on this thread gives way to the window's context.
    eglReleaseThread();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        failure = sdlFailure("SDL video start-up") + "; " + displaysTried();
        return nullptr;
    }
    // With no display SDL falls back to drivers that show nothing; a window
    // nobody can see must not pass for one.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) {
        failure = "no display to open a window on: " + displaysTried() + " (SDL video driver \"" +
                  (driver ? driver : "none") + "\")";
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    // The game draws into its own framebuffers; the window only shows them.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    int width = options.width;
    int height = options.height;
    fitToDisplay(width, height);
    SDL_Window* window = SDL_CreateWindow(
        options.title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
        SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
    if (window == nullptr) {
        failure = sdlFailure("SDL_CreateWindow with OpenGL ES");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        failure = sdlFailure("SDL_GL_CreateContext for OpenGL ES 2.0");
        SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    auto backend = std::make_unique<WindowBackend>(window, context);
    if (!backend->makeCurrent()) {
        failure = sdlFailure("SDL_GL_MakeCurrent");
        return nullptr;
    }
    backend->findSurface();
    // Pacing is the frame loop's; vsync only keeps a swap from tearing.
    SDL_GL_SetSwapInterval(1);
    return backend;
}
