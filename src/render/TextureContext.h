#pragma once

#include "render/FramebufferContext.h"

namespace ZQ {

// A target whose colour lands in a texture the passes sample: the shadow map
// and the wallpaper colour and height textures. No mipmaps; nearest
// minification, linear magnification, edges clamped.
class TextureContext : public FramebufferContext {
public:
    // `texture` is a name the engine generated; the target defines its storage.
    TextureContext(float width, float height, GLuint texture, bool multisample,
                   GLint internalFormat = GL_RGBA, GLenum format = GL_RGBA, GLenum type = GL_UNSIGNED_BYTE,
                   GLenum target = GL_TEXTURE_2D);

    void setUp() override;

    GLuint texture;
    GLenum format;
    GLint internalFormat;
    GLenum type;
    GLenum target;
    const void* pixels = nullptr; // initial texture data

protected:
    void bindPlain() override;
};

} // namespace ZQ
