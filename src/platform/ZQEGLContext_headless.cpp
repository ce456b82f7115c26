#include "platform/ZQEGLBackend.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>

namespace {

bool hasWord(const char* list, const char* word) {
    if (list == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(word);
    for (const char* p = std::strstr(list, word); p != nullptr; p = std::strstr(p + 1, word)) {
        const bool starts = p == list || p[-1] == ' ';
        const bool ends = p[length] == ' ' || p[length] == '\0';
        if (starts && ends) {
            return true;
        }
    }
    return false;
}

std::string eglFailure(const char* what) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04x", static_cast<unsigned>(eglGetError()));
    return std::string(what) + " failed (EGL error " + code + ")";
}

// A context with no surface at all: rendering goes only into framebuffer
// objects, which is all the game draws into anyway.
class HeadlessBackend : public ZQEGLBackend {
public:
    HeadlessBackend(EGLDisplay display, EGLContext context, int width, int height)
        : display(display), context(context), width(width), height(height) {}

    // The display is not terminated: EGL hands every caller the same display
    // for the same platform, and another context of this process may use it.
    ~HeadlessBackend() override {
        if (eglGetCurrentContext() == context) {
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        }
        eglDestroyContext(display, context);
    }

    bool makeCurrent() override {
        return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) == EGL_TRUE;
    }

    void drawableSize(int& w, int& h) const override {
        w = width;
        h = height;
    }

    void swap() override {}

private:
    EGLDisplay display;
    EGLContext context;
    int width;
    int height;
};

} // namespace

std::unique_ptr<ZQEGLBackend> makeHeadlessBackend(const ZQEGLContext::Options& options,
                                                  std::string& failure) {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!hasWord(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        failure = "EGL offers no surfaceless platform (EGL_MESA_platform_surfaceless; is Mesa's libegl-mesa0 "
                  "installed?)";
        return nullptr;
    }
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        failure = "EGL has no eglGetPlatformDisplayEXT";
        return nullptr;
    }
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        failure = eglFailure("eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA)");
        return nullptr;
    }
    if (eglInitialize(display, nullptr, nullptr) != EGL_TRUE) {
        failure = eglFailure("eglInitialize on the surfaceless platform");
        return nullptr;
    }
    const char* displayExtensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!hasWord(displayExtensions, "EGL_KHR_surfaceless_context")) {
        failure = "the surfaceless EGL display cannot make a context current without a surface";
        return nullptr;
    }
    if (eglBindAPI(EGL_OPENGL_ES_API) != EGL_TRUE) {
        failure = eglFailure("eglBindAPI(EGL_OPENGL_ES_API)");
        return nullptr;
    }
    // No surface means no config is needed where the display allows it.
    EGLConfig config = EGL_NO_CONFIG_KHR;
    if (!hasWord(displayExtensions, "EGL_KHR_no_config_context")) {
        const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_ES2_BIT,
                                 EGL_NONE};
        EGLint count = 0;
        if (eglChooseConfig(display, wanted, &config, 1, &count) != EGL_TRUE || count == 0) {
            failure = "no EGL config renders OpenGL ES 2.0";
            return nullptr;
        }
    }
    const EGLint attributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT) {
        failure = eglFailure("eglCreateContext for OpenGL ES 2.0");
        return nullptr;
    }
    auto backend = std::make_unique<HeadlessBackend>(display, context, options.width, options.height);
    if (!backend->makeCurrent()) {
        failure = eglFailure("eglMakeCurrent without a surface");
        return nullptr;
    }
    return backend;
}
