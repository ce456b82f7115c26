#include "render/RenderParticlesBB.h"

#include "cords/CordModel.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "render/BBoxProgram.h"
#include "stage/CameraModel.h"

#include <algorithm>
#include <iterator>

namespace ZQ {

namespace {

// The corners of the cube [-1, 1]^3, four per face, face by face; each face is
// outlined as a loop, so every edge is drawn twice.
// clang-format off
constexpr PVRTVec3 kCorners[] = {
    {-1, -1,  1}, { 1, -1,  1}, { 1,  1,  1}, {-1,  1,  1}, // 0  z = +1
    {-1,  1,  1}, { 1,  1,  1}, { 1,  1, -1}, {-1,  1, -1}, // 4  y = +1
    { 1, -1, -1}, {-1, -1, -1}, {-1,  1, -1}, { 1,  1, -1}, // 8  z = -1
    {-1, -1, -1}, { 1, -1, -1}, { 1, -1,  1}, {-1, -1,  1}, // 12 y = -1
    {-1, -1, -1}, {-1, -1,  1}, {-1,  1,  1}, {-1,  1, -1}, // 16 x = -1
    { 1, -1,  1}, { 1, -1, -1}, { 1,  1, -1}, { 1,  1,  1}, // 20 x = +1
};
// clang-format on
static_assert(std::size(kCorners) == 24);

} // namespace

RenderParticlesBB::RenderParticlesBB() : Render(new BBoxProgram()) {}

void RenderParticlesBB::setUp() {
    Render::setUp();
    glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void RenderParticlesBB::tearDown() {
    Render::tearDown();
    glDeleteBuffers(1, &vertexBuffer);
    vertexBuffer = 0;
}

void RenderParticlesBB::buildLines() {
    const Fx::ParticleSystem* world = gGlobals.particleSystem1;
    const CordModel* cord = gGlobals.cordModel;
    if (world == nullptr || cord == nullptr) {
        return;
    }
    // The cord model mirrors at most its own capacity of particles.
    const int32_t count = std::min(world->getParticleCount(), CordModel::kMaxParticles);
    const PVRTVec3* accelerations = world->getAccelerations();
    const float half = 1.0f / gGlobals.worldScale;
    for (int32_t i = 0; i < count; ++i) {
        const PVRTVec3& p = cord->positions[i];
        const PVRTVec3 a = accelerations[i];
        if (a.length() > 0.0f) {
            vertices.push_back(p);
            vertices.push_back(p + a);
        }
        for (int32_t face = 0; face < 6; ++face) {
            for (int32_t edge = 0; edge < 4; ++edge) {
                vertices.push_back(p + kCorners[4 * face + edge] * half);
                vertices.push_back(p + kCorners[4 * face + (edge + 1) % 4] * half);
            }
        }
    }
}

void RenderParticlesBB::render() {
    vertices.clear();
    if (gGlobals.cameraModel == nullptr || gGlobals.cameraModel->eye == nullptr) {
        return;
    }
    buildLines();
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(PVRTVec3)),
                 vertices.data(), GL_STREAM_DRAW);
    program->viewMatrix = gGlobals.cameraModel->viewMatrix();
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    program->use();
    const PVRTMat4 identity = PVRTMat4::identity();
    program->setModelMatrix(identity.f);
    glLineWidth(1.0f);
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(vertices.size()));
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    program->unuse();
}

} // namespace ZQ
