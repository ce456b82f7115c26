#pragma once

#include "platform/ZQEGLContext.h"

#include <memory>
#include <string>

// What differs between a window and a headless context: how it is made
// current, how big its drawable is, how a frame reaches the screen.
class ZQEGLBackend {
public:
    virtual ~ZQEGLBackend() = default;
    virtual bool makeCurrent() = 0;
    virtual void drawableSize(int& width, int& height) const = 0;
    virtual void swap() = 0;
};

// Each returns a backend with its context current, or null with the reason.
std::unique_ptr<ZQEGLBackend> makeWindowBackend(const ZQEGLContext::Options& options, std::string& failure);
std::unique_ptr<ZQEGLBackend> makeHeadlessBackend(const ZQEGLContext::Options& options, std::string& failure);
