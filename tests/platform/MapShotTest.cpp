#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "engine/SoundGateway.h"
#include "game/MapController.h"
#include "levels/LevelModel.h"
#include "overlays/CursorModel.h"
#include "overlays/PointsModel.h"
#include "platform/ZQApplication.h"
#include "platform/ZQSnapshot.h"
#include "platform/ZQView.h"
#include "render/RenderHolo.h"
#include "stage/CameraModel.h"
#include "stage/HoloInstance.h"
#include "stage/HoloModel.h"
#include "support/HeadlessGL.h"
#include "support/RecordingSoundGateway.h"
#include "support/SeededRandom.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

// The level map as the game draws it, whole frames of the real engine at the
// phone's 750 x 1334: max_level 10, level 5 in front. The picture is written
// into a temporary folder, and also into $VELMORA_SHOT_DIR when that is set,
// so a person can look at it.
class MapShotTest : public HeadlessGLTest {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        ZQ::seedRandom(kTestSeed);
        // The map is the current controller here: the game's own master,
        // which would start with the story and its disc, is left out.
        view = std::make_unique<ZQView>(*HeadlessGL::context(), ZQApplication::kFramePoints, 2.0f,
                                        ZQ::DeviceProfile::get(), &makeEngineModels<ZQPlainMaker>,
                                        &makeRenderPasses<ZQPlainMaker>, &makeNoMaster);
        ZQ::gGlobals.sceneCamera = ZQ::gGlobals.cameraModel;
    }
    void TearDown() override {
        view.reset();
        HeadlessGLTest::TearDown();
    }

    // Where the scene point p shows, in pixels from the top left.
    static std::pair<int, int> onScreen(const PVRTVec3& p) {
        const PVRTVec2 ndc = ZQ::projectPoint(ZQ::gGlobals.cameraModel->viewMatrix(), p, false);
        const float w = ZQ::gGlobals.screenSize.x;
        const float h = ZQ::gGlobals.screenSize.y;
        return {static_cast<int>((ndc.x * 0.5f + 0.5f) * w), static_cast<int>((0.5f - ndc.y * 0.5f) * h)};
    }

    // Pixels brighter than the background in the square of side 2 r about
    // (x, y), y from the top.
    static int litAround(const ZQImage& image, int x, int y, int r) {
        int n = 0;
        for (int j = std::max(0, y - r); j < std::min(image.height, y + r); ++j) {
            for (int i = std::max(0, x - r); i < std::min(image.width, x + r); ++i) {
                const uint8_t* p = image.pixel(i, j);
                n += (p[0] + p[1] + p[2]) > 60 ? 1 : 0;
            }
        }
        return n;
    }

    RecordingSoundGateway sound;
    ScopedSoundGateway scopedSound{&sound};
    std::unique_ptr<ZQView> view;
};

TEST_F(MapShotTest, TheRingAroundLevelFiveShowsThreeHologramsTheTotalsAndTheLevelLines) {
    ZQ::Globals& g = ZQ::gGlobals;
    g.levelModel->max_level = 10;
    g.levelModel->level = 5;
    g.levelModel->timerForlevel[5] = 37;
    g.levelModel->tangleForlevel[5] = 1;
    g.pointsModel->points = 23456;
    ZQ::MapController map;
    map.setUp();
    g.masterController = &map;
    // Past the totals' wait and fade.
    for (int f = 0; f < 100; ++f) {
        view->drawView();
    }
    view->takeSnapshot();
    view->drawView();
    ASSERT_TRUE(view->snapshotTaken());
    const ZQImage& image = *view->snapshotImage();
    ASSERT_EQ(map.getState(), ZQ::MapController::Choosing);

    const ZQ::HoloModel& holo = *g.holoModel;
    for (int32_t level = 4; level <= 6; ++level) {
        const auto [x, y] = onScreen(holo.instances[static_cast<std::size_t>(level)]->layout.position);
        EXPECT_GT(litAround(image, x, y, 40), 100) << "level " << level << " at " << x << ", " << y;
    }
    EXPECT_EQ(g.cursorModel->discs.size(), 5u) << "a disc under each hologram";
    // The totals above the ring and the level lines below it.
    const int w = image.width;
    const int h = image.height;
    EXPECT_GT(litAround(image, w / 2, static_cast<int>(0.15f * h), 30), 50) << "total points";
    EXPECT_GT(litAround(image, w / 2, static_cast<int>(0.75f * h), 20), 50) << "knot name";
    EXPECT_GT(litAround(image, w / 2, static_cast<int>(0.88f * h), 20), 50) << "level time";
    g.masterController = nullptr;
    map.tearDown();

    TempFolder folder;
    ASSERT_TRUE(folder.ok());
    std::string error;
    EXPECT_TRUE(writePng(folder.file("map.png"), image, error)) << error;
    if (const char* dir = std::getenv("VELMORA_SHOT_DIR")) {
        EXPECT_TRUE(writePng(std::string(dir) + "/map-level-5.png", image, error)) << error;
    }
}

// The camera mirrors x, and the ring with it, so the level a tap at the left
// edge steps to is the one the player sees there: lower levels on the left.
TEST_F(MapShotTest, ATapOnTheHologramAtEitherEdgeBringsThatVeryHologramToTheFront) {
    ZQ::Globals& g = ZQ::gGlobals;
    g.levelModel->max_level = 10;
    g.levelModel->level = 5;
    ZQ::MapController map;
    map.setUp();
    g.masterController = &map;
    const ZQ::HoloModel& holo = *g.holoModel;
    const auto settle = [&] {
        for (int f = 0; f < 60; ++f) {
            view->drawView();
        }
        ASSERT_EQ(map.getState(), ZQ::MapController::Choosing);
    };
    settle();
    const auto screenX = [&](int32_t level) {
        return onScreen(holo.instances[static_cast<std::size_t>(level)]->layout.position).first;
    };
    EXPECT_LT(screenX(4), screenX(5));
    EXPECT_LT(screenX(5), screenX(6));

    // Tap the hologram drawn left of the front one, then the one drawn right
    // of the new front: each must come to the front itself.
    const float h = g.screenSize.y;
    const auto tapOn = [&](int32_t level) {
        const auto [x, y] = onScreen(holo.instances[static_cast<std::size_t>(level)]->layout.position);
        map.tap(PVRTVec2(static_cast<float>(x), h - static_cast<float>(y)), 20.0f);
        settle();
    };
    tapOn(4);
    EXPECT_EQ(holo.current, 4) << "the left-hand hologram";
    EXPECT_LT(screenX(3), screenX(4));
    tapOn(5);
    EXPECT_EQ(holo.current, 5) << "the right-hand hologram";
    g.masterController = nullptr;
    map.tearDown();
}

} // namespace
