#pragma once

#include <GLES2/gl2.h>

#include <cstdint>
#include <vector>

// Reads textures back: GLES 2 has no glGetTexImage and most texture formats
// cannot be framebuffer attachments, so the probe draws one level of the
// texture 1:1 into an RGBA8 framebuffer with nearest sampling and reads
// that. Each pixel samples its texel's centre, so the result is the texel as
// the GL expands it to RGBA8 (luminance to grey, alpha-only to black).
// Leaves framebuffer 0 and no program bound. Main thread, context current.
class TextureProbe {
public:
    TextureProbe();
    ~TextureProbe();
    TextureProbe(const TextureProbe&) = delete;
    TextureProbe& operator=(const TextureProbe&) = delete;

    // Level `level` of 2D texture `name` whose level 0 is width x height:
    // max(1, width >> level) x max(1, height >> level) RGBA pixels, rows in
    // the order of the texture's data. `mipmapped` when the texture has
    // levels beyond 0 (a mipmap filter on a texture without them samples
    // nothing).
    std::vector<uint8_t> read2D(GLuint name, int width, int height, int level = 0, bool mipmapped = false);
    // The same for face `face` (0 = +X ... 5 = -Z) of cube map `name`.
    std::vector<uint8_t> readCubeFace(GLuint name, int size, int face, int level = 0, bool mipmapped = false);

private:
    std::vector<uint8_t> draw(GLuint program, GLenum target, GLuint name, int width, int height, int level,
                              bool mipmapped, int face);

    GLuint program2D = 0;
    GLuint programCube = 0;
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint quad = 0;
};
