#pragma once

#include <GLES2/gl2.h>

#include <memory>

namespace ZQ {
class ShaderProgram;
}

// Puts the finished frame on the window with OpenGL ES 2.0 calls only: the
// colour of the bound framebuffer is copied into a texture, which a quad
// draws into the window's own framebuffer, letterboxed to keep the frame's
// aspect. Every GL binding and switch it touches is restored afterwards, so
// the frame finds the state it left. Made on the first present, with the
// window's context current.
class ZQWindowCopy {
public:
    ZQWindowCopy();
    ~ZQWindowCopy();
    ZQWindowCopy(const ZQWindowCopy&) = delete;
    ZQWindowCopy& operator=(const ZQWindowCopy&) = delete;

    // Draws the bound framebuffer's width x height colour into the window's
    // drawable; false when there was nothing to copy.
    bool copy(int windowWidth, int windowHeight);

private:
    std::unique_ptr<ZQ::ShaderProgram> shader;
    GLuint texture = 0;
    GLuint quad = 0;
    GLsizei textureWidth = 0;
    GLsizei textureHeight = 0;
};
