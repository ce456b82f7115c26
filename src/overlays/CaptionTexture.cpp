#include "overlays/CaptionTexture.h"

#include "engine/Assert.h"

#include <cstdlib>
#include <utility>

namespace ZQ {

CaptionTexture::CaptionTexture(CaptionBitmap bitmap)
    : width(bitmap.width), height(bitmap.height), metrics(std::move(bitmap.metrics)), pixels(bitmap.pixels) {
    // A texture of no pixels cannot be uploaded: the generator never makes one.
    ZQ_ASSERT(width >= 1 && height >= 1 && pixels != nullptr);
}

CaptionTexture::~CaptionTexture() {
    std::free(pixels);
    if (name != 0) {
        glDeleteTextures(1, &name);
    }
}

void CaptionTexture::setUp() {
    ZQ_ASSERT(name == 0 && pixels != nullptr);
    glGenTextures(1, &name);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Rows of 4 x width bytes are always 4-aligned.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glBindTexture(GL_TEXTURE_2D, 0);
    std::free(pixels);
    pixels = nullptr;
}

} // namespace ZQ
