#pragma once

#include "overlays/CaptionGenerator.h"

#include <GLES2/gl2.h>

#include <cstdint>
#include <vector>

namespace ZQ {

// A rendered caption as a GL texture: the bitmap, uploaded once with linear
// filters and clamped edges, and the letter boundaries the flows cut it at.
//
// Ownership: owns the pixel buffer until setUp uploads and frees it, then
// the GL name, which the destructor deletes. Threads: main thread, with the
// GL context current for setUp and the destructor.
class CaptionTexture {
public:
    explicit CaptionTexture(CaptionBitmap bitmap);
    ~CaptionTexture();
    CaptionTexture(const CaptionTexture&) = delete;
    CaptionTexture& operator=(const CaptionTexture&) = delete;

    // Uploads the bitmap and frees it; runs once.
    void setUp();

    GLuint name = 0; // 0 until set up
    int32_t width = 0;
    int32_t height = 0;
    std::vector<double> metrics;

private:
    uint8_t* pixels = nullptr;
};

} // namespace ZQ
