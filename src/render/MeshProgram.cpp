#include "render/MeshProgram.h"

#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "shaders/Mesh_frag.h"
#include "shaders/Mesh_vert.h"

namespace ZQ {

void MeshProgram::setUp() {
    using namespace ShaderNames;
    setUpShader("MeshProgram", true, Shaders::Mesh_vert, Shaders::Mesh_frag,
                {u_modelViewProjectionMatrix, u_modelViewMatrix, u_normalMatrix, u_ambient, u_specular,
                 u_cool, u_warm, u_sunPosition, u_alpha},
                {a_position, a_normal});
    // Meshes are placed in scene pixels; the camera looks at the centred
    // scene, as every program's camera matrix does.
    modelMatrix = centringMatrix;
}

void MeshProgram::use() {
    glUseProgram(shader->program);
}

void MeshProgram::unuse() {
    using namespace ShaderNames;
    for (const char* name : {a_position, a_normal}) {
        const GLint location = shader->attribute(name);
        if (location >= 0) {
            glDisableVertexAttribArray(static_cast<GLuint>(location));
        }
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glUseProgram(0);
}

} // namespace ZQ
