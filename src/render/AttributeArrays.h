#pragma once

#include "render/ShaderProgram.h"

#include <GLES2/gl2.h>

#include <cstddef>

namespace ZQ {

// Enabling or disabling the array of an attribute the program lacks (a failed
// build, or a compiler that dropped it) would raise GL_INVALID_VALUE for
// location -1: such an attribute is skipped, and the draw shows what it can.
inline void enableAttribute(const ShaderProgram& shader, const char* name) {
    const GLint location = shader.attribute(name);
    if (location >= 0) {
        glEnableVertexAttribArray(static_cast<GLuint>(location));
    }
}

// Enables the array and points it at `size` floats `offset` bytes into each
// `stride`-byte vertex of the bound array buffer.
inline void enableAttribute(const ShaderProgram& shader, const char* name, GLint size, GLsizei stride,
                            std::size_t offset) {
    enableAttribute(shader, name);
    shader.setAttribPointer(name, size, GL_FALSE, stride, reinterpret_cast<const void*>(offset));
}

inline void disableAttribute(const ShaderProgram& shader, const char* name) {
    const GLint location = shader.attribute(name);
    if (location >= 0) {
        glDisableVertexAttribArray(static_cast<GLuint>(location));
    }
}

} // namespace ZQ
