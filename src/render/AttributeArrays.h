#pragma once

#include "render/ShaderProgram.h"

#include <GLES2/gl2.h>

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

inline void disableAttribute(const ShaderProgram& shader, const char* name) {
    const GLint location = shader.attribute(name);
    if (location >= 0) {
        glDisableVertexAttribArray(static_cast<GLuint>(location));
    }
}

} // namespace ZQ
