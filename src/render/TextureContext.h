#pragma once

#include "render/RenderContext.h"

namespace ZQ {

// A target whose colour lands in a texture the passes sample: the shadow map
// and the wallpaper colour and height textures. No mipmaps; nearest
// minification, linear magnification, edges clamped.
class TextureContext : public RenderContext {
public:
    // `texture` is a name the engine generated; the target defines its storage.
    TextureContext(float width, float height, GLuint texture, bool multisample,
                   GLint internalFormat = GL_RGBA, GLenum format = GL_RGBA, GLenum type = GL_UNSIGNED_BYTE,
                   GLenum target = GL_TEXTURE_2D);

    void setUp() override;
    void tearDown() override;
    void bind() override;
    void resolve() override;

    bool isMultisampled() const { return multisampled; }

    float width;
    float height;
    GLuint texture;
    GLenum format;
    GLint internalFormat;
    GLenum type;
    GLenum target;
    GLuint framebuffer = 0;
    GLuint depthRenderbuffer = 0;
    MultisampleBuffers msaa;
    const void* pixels = nullptr; // initial texture data

private:
    bool multisample; // asked for by the device profile
    bool multisampled = false;
};

} // namespace ZQ
