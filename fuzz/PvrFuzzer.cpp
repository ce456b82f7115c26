// libFuzzer target: arbitrary bytes through the PVR reader, on a real
// headless GL context, under AddressSanitizer and UndefinedBehaviorSanitizer.
// Any read past the input, overflow or leak is a finding; a refused file is
// not. Built by scripts/fuzz only.
#include "render/PVRTTexture.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GLES2/gl2.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void noContext(const char* step) {
    std::fprintf(stderr, "fuzz_pvr: no headless GL context (%s failed, EGL error 0x%x)\n", step,
                 eglGetError());
    std::abort();
}

} // namespace

// The reader alone, on Mesa's surfaceless EGL platform: the game's context
// code drags in the window system, which the fuzzer does not need.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        noContext("eglGetProcAddress(eglGetPlatformDisplayEXT)");
    }
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || eglInitialize(display, nullptr, nullptr) != EGL_TRUE) {
        noContext("eglInitialize");
    }
    eglBindAPI(EGL_OPENGL_ES_API);
    const EGLint attributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
    EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT) {
        noContext("eglCreateContext");
    }
    if (eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) != EGL_TRUE) {
        noContext("eglMakeCurrent");
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GLuint name = 0;
    ZQ::PVRTTextureLoadFromPointer(data, size, &name);
    if (name != 0) {
        glDeleteTextures(1, &name);
    }
    // The reader promises to leave no GL error behind, loaded or not.
    if (glGetError() != GL_NO_ERROR) {
        std::fprintf(stderr, "fuzz_pvr: the reader left a GL error pending\n");
        std::abort();
    }
    return 0;
}
