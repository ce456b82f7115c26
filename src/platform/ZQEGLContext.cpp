#include "platform/ZQEGLContext.h"

#include "engine/Log.h"
#include "platform/ZQEGLBackend.h"
#include "platform/ZQWindowCopy.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>

#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

ZQEGLContext::Options gSharedOptions;
ZQEGLContext* gShared = nullptr;
std::string gSharedFailure;
std::once_flag gSharedOnce;

// The major version of an OpenGL ES context ("OpenGL ES 3.2 Mesa ..."), or 0
// when the context is not OpenGL ES at all.
int esMajorVersion() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0;
    int minor = 0;
    if (version == nullptr || std::sscanf(version, "OpenGL ES %d.%d", &major, &minor) != 2) {
        return 0;
    }
    return major;
}

bool hasExtension(const char* name) {
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (list == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(name);
    for (const char* p = std::strstr(list, name); p != nullptr; p = std::strstr(p + 1, name)) {
        if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) {
            return true;
        }
    }
    return false;
}

} // namespace

void ZQEGLContext::configure(const Options& options) {
    gSharedOptions = options;
}

ZQEGLContext* ZQEGLContext::sharedEGLContext() {
    std::call_once(gSharedOnce, [] {
        // Lives until the process ends, current on the main thread.
        gShared = make(gSharedOptions, gSharedFailure).release();
    });
    return gShared;
}

ZQEGLContext* ZQEGLContext::sharedHeadless(int width, int height) {
    Options options;
    options.surface = Surface::Headless;
    options.width = width;
    options.height = height;
    configure(options);
    return sharedEGLContext();
}

const std::string& ZQEGLContext::sharedFailure() {
    return gSharedFailure;
}

std::unique_ptr<ZQEGLContext> ZQEGLContext::create(const Options& options, std::string& failure) {
    return make(options, failure);
}

std::unique_ptr<ZQEGLContext> ZQEGLContext::make(const Options& options, std::string& failure) {
    std::unique_ptr<ZQEGLBackend> backend = options.surface == Surface::Window
                                                ? makeWindowBackend(options, failure)
                                                : makeHeadlessBackend(options, failure);
    if (backend == nullptr) {
        return nullptr;
    }
    // There is no OpenGL ES 1.1 fall-back: below 2.0 the game cannot draw.
    const int major = esMajorVersion();
    if (major < 2) {
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        failure =
            std::string("the context is not OpenGL ES 2.0 or later: ") + (version ? version : "no version");
        return nullptr;
    }
    std::unique_ptr<ZQEGLContext> context(new ZQEGLContext(options, std::move(backend)));
    ZQ::platformLog("Using OpenGL ES 2.0");
    return context;
}

ZQEGLContext::ZQEGLContext(const Options& options, std::unique_ptr<ZQEGLBackend> backend)
    : kind(options.surface), screenSize{options.width, options.height}, backend(std::move(backend)) {}

ZQEGLContext::~ZQEGLContext() {
    // The copy's GL objects belong to this context.
    if (windowCopy != nullptr && backend->makeCurrent()) {
        windowCopy.reset();
    }
}

int ZQEGLContext::drawableWidth() const {
    int width = 0;
    int height = 0;
    backend->drawableSize(width, height);
    return width;
}

int ZQEGLContext::drawableHeight() const {
    int width = 0;
    int height = 0;
    backend->drawableSize(width, height);
    return height;
}

void ZQEGLContext::setUpLayer() {
    setUpLayer(screenWidth(), screenHeight());
}

void ZQEGLContext::setUpLayer(int width, int height) {
    // RGBA8 is core from ES 3.0 and an extension in ES 2.0.
    GLenum format = GL_RGBA8_OES;
    if (esMajorVersion() < 3 && !hasExtension("GL_OES_rgb8_rgba8")) {
        ZQ::platformLog("No RGBA8 renderbuffers (GL_OES_rgb8_rgba8); the screen uses RGBA4");
        format = GL_RGBA4;
    }
    glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
}

bool ZQEGLContext::setCurrentContext() {
    return backend->makeCurrent();
}

void ZQEGLContext::presentRenderbuffer() {
    if (kind == Surface::Headless) {
        return;
    }
    if (windowCopy == nullptr) {
        windowCopy = std::make_unique<ZQWindowCopy>();
    }
    // Asked each frame: the window may have any size by now, whatever was
    // asked of it.
    int width = 0;
    int height = 0;
    backend->drawableSize(width, height);
    windowCopy->copy(width, height);
    backend->swap();
}
