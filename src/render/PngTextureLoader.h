#pragma once

#include <GLES2/gl2.h>

#include <cstdint>
#include <string>

namespace ZQ {

// The platform texture loader of the bundle's PNG pictures: libpng decodes
// any PNG (palette, grey, 16-bit, with or without alpha) to RGBA8 and the
// result becomes a new GL_TEXTURE_2D. Main thread, GL context current.
struct PngTextureInfo {
    GLuint name = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Loads the PNG at `path`. With `originBottomLeft` the first GL row is the
// bottom of the picture (as the passes' texture coordinates expect); without,
// the top. Returns false with `error` saying why, nothing created and no GL
// error left pending; leaves nothing bound to GL_TEXTURE_2D.
bool loadPngTexture(const std::string& path, bool originBottomLeft, PngTextureInfo& info, std::string& error);

} // namespace ZQ
