#pragma once

#include "platform/ZQEGLContext.h"

// The headless context the shell benchmarks draw on, at the game's screen
// (750 x 1334); null when no OpenGL ES 2.0 context can be made here.
inline ZQEGLContext* headlessBenchContext() {
    static ZQEGLContext* const context = [] {
        ZQEGLContext::Options options;
        options.surface = ZQEGLContext::Surface::Headless;
        options.width = 750;
        options.height = 1334;
        ZQEGLContext::configure(options);
        return ZQEGLContext::sharedEGLContext();
    }();
    return context;
}
