#include "render/RenderBalloon.h"

#include "engine/Cloudlet.h"
#include "engine/Globals.h"
#include "render/BalloonProgram.h"
#include "stage/BalloonModel.h"
#include "stage/CameraModel.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

namespace {

// The two balloon colours, by even and odd place in the list.
constexpr PVRTVec4 kSkyBlue(0.0f, 0.7f, 1.0f, 1.0f);
constexpr PVRTVec4 kYellow(1.0f, 1.0f, 0.0f, 1.0f);

} // namespace

RenderBalloon::RenderBalloon() : Render(new BalloonProgram()) {}

void RenderBalloon::setUp() {
    Render::setUp();
    balloon.setUp();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void RenderBalloon::tearDown() {
    Render::tearDown();
    balloon.tearDown();
}

void RenderBalloon::modelMatrix(float out[16], const Cloudlet& item) {
    const Layout& layout = item.layout;
    const float s = layout.scale / gGlobals.worldScale;
    const float c1 = std::cos(layout.angles.x);
    const float s1 = std::sin(layout.angles.x);
    const float c2 = std::cos(layout.angles.y);
    const float s2 = std::sin(layout.angles.y);
    const float c3 = std::cos(layout.angles.z);
    const float s3 = std::sin(layout.angles.z);
    // Rotations as maps of (x, y, z): Rz(b) to (x cb + y sb, -x sb + y cb, z),
    // Rx(a) to (x, y ca + z sa, -y sa + z ca), Ry(a) to (x ca - z sa, y,
    // x sa + z ca).
    PVRTMat4 rz = PVRTMat4::identity();
    rz(0, 0) = c3;
    rz(0, 1) = s3;
    rz(1, 0) = -s3;
    rz(1, 1) = c3;
    PVRTMat4 rx = PVRTMat4::identity();
    rx(1, 1) = c1;
    rx(1, 2) = s1;
    rx(2, 1) = -s1;
    rx(2, 2) = c1;
    PVRTMat4 ry = PVRTMat4::identity();
    ry(0, 0) = c2;
    ry(0, 2) = -s2;
    ry(2, 0) = s2;
    ry(2, 2) = c2;
    const PVRTVec3& p = layout.position;
    const PVRTMat4 m = PVRTMat4::translation(p.x, p.y, p.z) * rz * rx * ry * PVRTMat4::scale(s, s, s);
    std::copy(std::begin(m.f), std::end(m.f), out);
}

void RenderBalloon::render() {
    if (gGlobals.cameraModel == nullptr || gGlobals.cameraModel->eye == nullptr) {
        return;
    }
    auto* balloonProgram = static_cast<BalloonProgram*>(program);
    balloonProgram->viewMatrix = RenderProgram::defaultView();
    glBindBuffer(GL_ARRAY_BUFFER, balloon.vbo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, balloon.ibo);
    balloonProgram->use();
    balloons.clear();
    if (gGlobals.balloonModel != nullptr) {
        gGlobals.balloonModel->getCloudlets(balloons);
    }
    int32_t k = 0;
    for (Cloudlet* item : balloons) {
        const float alpha = item->layout.alpha;
        balloonProgram->colours = {PVRTVec4(kSkyBlue.x, kSkyBlue.y, kSkyBlue.z, alpha),
                                   PVRTVec4(kYellow.x, kYellow.y, kYellow.z, alpha)};
        balloonProgram->colourIndex = k++;
        float m[16];
        modelMatrix(m, *item);
        balloonProgram->setModelMatrix(m);
        glDrawElements(GL_TRIANGLES, balloon.indexCount, GL_UNSIGNED_SHORT, nullptr);
    }
    balloonProgram->unuse();
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

} // namespace ZQ
