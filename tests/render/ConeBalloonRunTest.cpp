#include "GLRecorder.h"
#include "engine/EasingPresets.h"
#include "engine/TweenActions.h"
#include "render/Balloon.h"
#include "render/RenderBalloon.h"
#include "render/RenderCone.h"
#include "stage/BalloonModel.h"
#include "stage/ConeModel.h"
#include "support/SceneFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class ConeBalloonRunTest : public SceneFixture {};

// Where the matrix puts each point, all finite.
template <class Points> bool finiteImage(const float m[16], const Points& points) {
    PVRTMat4 matrix;
    std::copy(m, m + 16, matrix.f);
    for (const PVRTVec3& p : points) {
        const PVRTVec4 q = matrix * PVRTVec4(p, 1.0f);
        if (!std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z) || !std::isfinite(q.w)) {
            return false;
        }
    }
    return true;
}

TEST_F(ConeBalloonRunTest, NoNaNReachesAConeOrBalloonVertexFromLevelStartOn) {
    ZQ::RenderCone conePass;
    ZQ::RenderBalloon balloonPass;
    conePass.setUp();
    balloonPass.setUp();
    std::vector<PVRTVec3> coneMesh;
    for (const auto& v : ZQ::ConeMesh::buildVertices(ZQ::ConeMesh::kSegments)) {
        coneMesh.emplace_back(v.position[0], v.position[1], v.position[2]);
    }
    std::vector<PVRTVec3> balloonMesh;
    for (const auto& v : ZQ::Balloon::buildVertices()) {
        balloonMesh.push_back(v.position);
        ASSERT_TRUE(std::isfinite(v.normal.x) && std::isfinite(v.normal.y) && std::isfinite(v.normal.z));
    }

    layLevel(4);
    for (int f = 0; f < 300; ++f) {
        if (f % 40 == 0) {
            // A tutorial balloon drifting in, turning and growing.
            auto* balloon = new ZQ::BalloonInstance();
            balloon->layout.position = PVRTVec3(100.0f + static_cast<float>(f), 400.0f, 0.0f);
            balloon->layout.alpha = 0.0f;
            balloon->layout.scale = 0.0f;
            ZQ::Layout to = balloon->layout;
            to.position.y = 900.0f;
            to.alpha = 1.0f;
            to.scale = 1.5f;
            to.angles = PVRTVec3(0.5f, -1.0f, 2.0f);
            balloon->setAction(new ZQ::EasingAction(to, ZQ::easeSmooth(), 60));
            balloons->addBalloon(balloon);
        }
        if (f == 150) {
            balloons->easeAll();
        }
        frame();
        const float radius = cord->instance->radius;
        ASSERT_TRUE(std::isfinite(radius));
        for (const ZQ::ConeInstance* cone : cones->getCones()) {
            float m[16];
            ZQ::RenderCone::modelMatrix(m, *cone, radius);
            ASSERT_TRUE(finiteImage(m, coneMesh)) << "frame " << f << " string " << cone->cordIndex;
        }
        for (const ZQ::BalloonInstance* balloon : balloons->getBalloons()) {
            float m[16];
            ZQ::RenderBalloon::modelMatrix(m, *balloon);
            ASSERT_TRUE(finiteImage(m, balloonMesh)) << "frame " << f;
        }
        // Every value the cone pass uploads is finite too.
        GLRecorder gl;
        conePass.render();
        for (const auto& call : gl.calls()) {
            for (double value : call.args) {
                ASSERT_TRUE(std::isfinite(value)) << "frame " << f << " " << call.name;
            }
        }
    }
    EXPECT_EQ(cones->getCones().size(), 8u);
    EXPECT_GT(cord->instance->radius, 0.0f) << "the run saw the tube grow from zero";
    conePass.tearDown();
    balloonPass.tearDown();
}

} // namespace
