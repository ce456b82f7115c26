#include "cords/CordFades.h"
#include "cords/GrainEmitter.h"
#include "engine/DeviceProfile.h"
#include "engine/LeafActions.h"
#include "engine/MathHelpers.h"
#include "platform/ZQSnapshot.h"
#include "render/GrainMesh.h"
#include "render/Render.h"
#include "render/RenderBalloon.h"
#include "render/RenderBraid.h"
#include "render/RenderCone.h"
#include "render/RenderGrain.h"
#include "render/RenderTargets.h"
#include "render/SceneContext.h"
#include "stage/CameraModel.h"
#include "support/SceneFixture.h"
#include "support/TempFolder.h"

#include <GLES2/gl2ext.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// A whole frame through the game's own frame order: a solved four-string cord
// turned into braids, a burst of 128 points, the cones of the cord still laid
// and a tutorial balloon, at the phone's 750 x 1334. The picture is written
// into a temporary folder, and also into $VELMORA_SHOT_DIR when that is set,
// so a person can look at it.
class SceneShotTest : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        ZQ::DeviceProfile profile = ZQ::DeviceProfile::get();
        targets.create(static_cast<float>(kW), static_cast<float>(kH), profile);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, kW, kH);
        targets.setUp();
        ZQ::Globals& g = ZQ::gGlobals;
        g.renderBalloon = &balloonPass;
        g.renderCone = &conePass;
        g.renderBraid = &braidPass;
        g.renderGrain = &grainPass;
        for (ZQ::Render* pass : {g.renderBalloon, g.renderCone, g.renderBraid, g.renderGrain}) {
            pass->setUp();
        }
    }
    void TearDown() override {
        for (ZQ::Render* pass :
             std::initializer_list<ZQ::Render*>{&balloonPass, &conePass, &braidPass, &grainPass}) {
            pass->tearDown();
        }
        targets.tearDown();
        SceneFixture::TearDown();
    }

    // Pixels drawn on (alpha above 0) in the square of side 2 r about the
    // point (x, y), y from the top.
    static int drawnAround(const ZQImage& image, int x, int y, int r) {
        int n = 0;
        for (int j = std::max(0, y - r); j < std::min(image.height, y + r); ++j) {
            for (int i = std::max(0, x - r); i < std::min(image.width, x + r); ++i) {
                n += image.pixel(i, j)[3] > 0 ? 1 : 0;
            }
        }
        return n;
    }

    // Where the scene point p shows, in pixels from the top left.
    static std::pair<int, int> onScreen(const PVRTVec3& p) {
        const PVRTVec2 ndc = ZQ::projectPoint(ZQ::gGlobals.cameraModel->viewMatrix(), p, false);
        return {static_cast<int>((ndc.x * 0.5f + 0.5f) * kW), static_cast<int>((0.5f - ndc.y * 0.5f) * kH)};
    }

    ZQ::RenderTargets targets;
    ZQ::RenderBalloon balloonPass;
    ZQ::RenderCone conePass;
    ZQ::RenderBraid braidPass;
    ZQ::RenderGrain grainPass;
};

TEST_F(SceneShotTest, BraidsAndAGrainBurstShowInAWholeFrame) {
    layLevel(4);
    for (int f = 0; f < 90; ++f) {
        frame();
    }
    ZQ::convertStringsToBraids();
    auto* burst = new ZQ::GrainEmitter(128, 0);
    burst->layout.position = PVRTVec3(kW * 0.5f, kH * 0.75f, 0.0f);
    ZQ::GrainMesh::build(*burst);
    burst->setAction(ZQ::GrainEmitter::burstAction(128, 8, kW * 0.5f, kH * 0.75f, 0.0f, 40.0f, 50.0f));
    grains->addEmitter(burst);
    auto* balloon = new ZQ::BalloonInstance();
    balloon->layout.position = PVRTVec3(kW * 0.2f, kH * 0.2f, 0.0f);
    balloon->layout.scale = 1.5f;
    balloon->layout.angles = PVRTVec3(-0.6f, 0.0f, 0.0f);
    balloon->setAction(new ZQ::WaitAction(1000));
    balloons->addBalloon(balloon);
    for (int f = 0; f < 12; ++f) {
        frame();
    }
    ASSERT_EQ(burst->getCount(), 128);
    ASSERT_EQ(braids->getBraids().size(), 4u);

    ZQ::renderFrame(targets, {});
    const ZQImage image = readSnapshot();
    ASSERT_EQ(image.width, kW);
    ASSERT_EQ(image.height, kH);

    for (const ZQ::BraidInstance* braid : braids->getBraids()) {
        const auto [x, y] = onScreen(braids->positions[braid->segment.first + 1]);
        EXPECT_GT(drawnAround(image, x, y, 12), 20)
            << "braid " << braid->segment.index << " at " << x << ", " << y;
    }
    int grainsShown = 0;
    for (int g = 0; g < burst->getCount(); ++g) {
        const float* p = burst->positionsAlpha[g];
        if (p[3] > 0.25f) {
            // The burst draws with the default camera.
            const int x = static_cast<int>(p[0]);
            const int y = kH - static_cast<int>(kH / 2.0f + (p[1] - kH / 2.0f) * 0.78f);
            grainsShown += drawnAround(image, x, y, 12) > 0 ? 1 : 0;
        }
    }
    EXPECT_GT(grainsShown, 64) << "most visible grains show";

    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    std::string error;
    EXPECT_TRUE(writePng(folder.file("scene.png"), image, error)) << error;
    if (const char* dir = std::getenv("VELMORA_SHOT_DIR")) {
        EXPECT_TRUE(writePng(std::string(dir) + "/braids-and-grains.png", image, error)) << error;
    }
}

} // namespace
