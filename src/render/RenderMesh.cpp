#include "render/RenderMesh.h"

#include "engine/Assert.h"
#include "engine/CloudletContainer.h"
#include "engine/Globals.h"
#include "engine/Log.h"
#include "render/MeshInstance.h"
#include "render/MeshProgram.h"
#include "render/OutsideWinding.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "stage/CameraModel.h"

#include <cstdint>
#include <vector>

namespace ZQ {

namespace {

// clang-format off
constexpr Material kMeshMaterials[] = {
    //        ambient                    diffuse     specular              shin  refr  warm                    cool
    Material{Palette::navy,            PVRTVec3(), Palette::royalBlue,    0.0f, 0.0f, Palette::skyBlueDeep, Palette::skyBlueLight},   // 0
    Material{Palette::englishRed,      PVRTVec3(), Palette::tomato,       0.0f, 0.0f, Palette::indianRed,   Palette::madderLakeDeep}, // 1
    Material{Palette::emeraldGreen,    PVRTVec3(), Palette::forestGreen,  0.0f, 0.0f, Palette::greenDark,   Palette::cinnabarGreen},  // 2
    Material{Palette::aureolineYellow, PVRTVec3(), Palette::cadmiumLemon, 0.0f, 0.0f, Palette::melon,       Palette::goldenrod},      // 3
    Material{Palette::navy,            PVRTVec3(), Palette::powderBlue,   0.0f, 0.0f, Palette::skyBlueDeep, Palette::midnightBlue},   // 4
};
// clang-format on
static_assert(sizeof kMeshMaterials / sizeof kMeshMaterials[0] == kMeshMaterialCount);

void uniform3(const ShaderProgram& shader, const char* name, const PVRTVec3& v) {
    glUniform3f(shader.uniform(name), v.x, v.y, v.z);
}

} // namespace

const Material& meshMaterial(int32_t index) {
    ZQ_ASSERT(index >= 0 && index < kMeshMaterialCount);
    return kMeshMaterials[index];
}

RenderMesh::RenderMesh(CloudletContainer* instances) : Render(new MeshProgram()), instances(instances) {}

PVRTVec3 RenderMesh::sunPosition(const PVRTMat4& view, float width, float height) {
    return view.transformDirection(PVRTVec3(0.5f * width, 0.5f * height, 2.0f * height));
}

void RenderMesh::render() {
    if (program == nullptr || program->shader == nullptr) {
        return;
    }
    program->use();
    std::vector<Cloudlet*> items;
    if (instances != nullptr) {
        instances->getCloudlets(items);
    }
    if (!items.empty()) {
        const PVRTMat4 view = gGlobals.cameraModel != nullptr && gGlobals.cameraModel->eye != nullptr
                                  ? gGlobals.cameraModel->viewMatrix()
                                  : RenderProgram::defaultView();
        // The models are wound counter-clockwise seen from outside; through
        // the mirroring scene camera the frame's counter-clockwise front faces
        // would cull a disc's near faces and show its far ones from inside.
        glFrontFace(outsideWinding(view));
        for (Cloudlet* item : items) {
            draw(*static_cast<MeshInstance*>(item), view);
        }
        glFrontFace(GL_CCW);
    }
    program->unuse();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void RenderMesh::draw(MeshInstance& instance, const PVRTMat4& view) {
    using namespace ShaderNames;
    const int32_t mesh = instance.meshIndex();
    const PodModel* model = instance.mesh->model;
    if (mesh < 0 || !model->drawable(mesh) || instance.materialIndex < 0 ||
        instance.materialIndex >= kMeshMaterialCount) {
        if (!instance.skipLogged) {
            platformLog("Mesh instance of %s not drawn: %s",
                        model != nullptr ? model->name.c_str() : "no model",
                        mesh < 0 ? "its model has no mesh for it" : "its mesh or material cannot be drawn");
            instance.skipLogged = true;
        }
        return;
    }
    const ShaderProgram& shader = *program->shader;
    program->viewMatrix = view;
    const PVRTVec3 sun = sunPosition(view, gGlobals.screenSize.x, gGlobals.screenSize.y);
    glUniform3f(shader.uniform(u_sunPosition), sun.x, sun.y, sun.z);

    // The program's model matrix centres the scene as the camera expects and
    // places the mesh on screen. The shading's eye space leaves it out, as
    // the sun does (the view's turn of a point 2H above the screen's middle):
    // in that one frame the sun stands a screen height behind the eye, along
    // the room's depth, wherever the camera goes.
    const PVRTMat4& placed = instance.getModelMatrix();
    const PVRTMat4 mvp = program->projectionMatrix * view * program->modelMatrix * placed;
    const PVRTMat4 modelView = view * placed;
    glUniformMatrix4fv(shader.uniform(u_modelViewProjectionMatrix), 1, GL_FALSE, mvp.f);
    glUniformMatrix4fv(shader.uniform(u_modelViewMatrix), 1, GL_FALSE, modelView.f);
    float normal[9];
    RenderProgram::normalMatrix(normal, modelView);
    glUniformMatrix3fv(shader.uniform(u_normalMatrix), 1, GL_FALSE, normal);
    glUniform1f(shader.uniform(u_alpha), instance.layout.alpha);

    const Material& material = kMeshMaterials[instance.materialIndex];
    uniform3(shader, u_ambient, material.ambient);
    uniform3(shader, u_specular, material.specular);
    uniform3(shader, u_warm, material.warm);
    uniform3(shader, u_cool, material.cool);

    const SPODMesh& data = model->scene->meshes[static_cast<uint32_t>(mesh)];
    const GLsizei stride = static_cast<GLsizei>(data.vertex.stride);
    glBindBuffer(GL_ARRAY_BUFFER, model->vertexBuffers[static_cast<uint32_t>(mesh)]);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, model->indexBuffers[static_cast<uint32_t>(mesh)]);
    for (const char* name : {a_position, a_normal}) {
        const GLint location = shader.attribute(name);
        if (location >= 0) {
            glEnableVertexAttribArray(static_cast<GLuint>(location));
        }
    }
    shader.setAttribPointer(a_position, 3, GL_FALSE, stride,
                            reinterpret_cast<const void*>(static_cast<uintptr_t>(data.vertex.offset)));
    shader.setAttribPointer(a_normal, 3, GL_FALSE, stride,
                            reinterpret_cast<const void*>(static_cast<uintptr_t>(data.normals.offset)));
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(data.indexCount()), GL_UNSIGNED_SHORT, nullptr);
}

} // namespace ZQ
