#include "overlays/TileProgram.h"

#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/Tile_frag.h"
#include "shaders/Tile_vert.h"

#include <cstdint>

namespace ZQ {

namespace {

struct Attribute {
    const char* name;
    GLint size;
    uintptr_t offset;
};

// clang-format off
constexpr Attribute kAttributes[] = {
    {ShaderNames::a_position, 3,  0}, // 0
    {ShaderNames::a_normal,   3, 12}, // 1
    {ShaderNames::a_tex,      2, 24}, // 2
};
// clang-format on
static_assert(sizeof kAttributes / sizeof kAttributes[0] == 3);

} // namespace

void TileProgram::setUp() {
    using namespace ShaderNames;
    setUpShader("TileProgram", true, Shaders::Tile_vert, Shaders::Tile_frag,
                {u_modelViewProjectionMatrix, u_modelViewMatrix, u_normalMatrix, u_diffuse, u_specular,
                 u_shininess, u_alpha, u_lightPos, u_eye, u_uitex},
                {a_position, a_normal, a_tex});
}

void TileProgram::use() {
    glUseProgram(shader->program);
    for (const Attribute& attribute : kAttributes) {
        // A program that failed to link has no attributes (-1).
        const GLint location = shader->attribute(attribute.name);
        if (location < 0) {
            continue;
        }
        glEnableVertexAttribArray(static_cast<GLuint>(location));
        shader->setAttribPointer(attribute.name, attribute.size, GL_FALSE, kVertexBytes,
                                 reinterpret_cast<const void*>(attribute.offset));
    }
}

void TileProgram::unuse() {
    for (const Attribute& attribute : kAttributes) {
        const GLint location = shader->attribute(attribute.name);
        if (location >= 0) {
            glDisableVertexAttribArray(static_cast<GLuint>(location));
        }
    }
    glUseProgram(0);
}

} // namespace ZQ
