#pragma once

#include <GLES2/gl2.h>

#include <cstdint>
#include <memory>
#include <string>

namespace ZQ {

// The platform texture loader of the bundle's PNG pictures: libpng decodes
// any PNG (palette, grey, 16-bit, with or without alpha) to RGBA8 and the
// result becomes a new GL_TEXTURE_2D. The decode runs on any thread without
// GL; the upload on the main thread, GL context current.
struct PngTextureInfo {
    GLuint name = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// A PNG decoded to 8-bit RGBA, rows packed.
struct PngPixels {
    std::unique_ptr<uint8_t[]> rgba;
    int32_t width = 0;
    int32_t height = 0;
};

// Decodes the PNG at `path` whole, without GL, by the loader's rules: a
// picture libpng reads to its last row, of a size a texture can hold. Rows
// bottom first with `originBottomLeft`. Returns false with `error` saying
// why (without the path).
bool decodePng(const std::string& path, bool originBottomLeft, PngPixels& out, std::string& error);

// Loads the PNG at `path` through decodePng. With `originBottomLeft` the first GL row is the
// bottom of the picture (as the passes' texture coordinates expect); without,
// the top. Returns false with `error` saying why, nothing created and no GL
// error left pending; leaves nothing bound to GL_TEXTURE_2D.
bool loadPngTexture(const std::string& path, bool originBottomLeft, PngTextureInfo& info, std::string& error);

} // namespace ZQ
