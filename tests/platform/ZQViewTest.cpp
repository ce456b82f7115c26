#include "platform/ZQView.h"
#include "engine/DeviceProfile.h"
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/SoundGateway.h"
#include "overlays/CaptionBox.h"
#include "platform/ZQEGLContext.h"
#include "render/PodBox.h"
#include "render/Render.h"
#include "render/RenderProgram.h"
#include "render/SceneContext.h"
#include "render/TextureContext.h"
#include "stage/MandalaModel.h"
#include "support/HeadlessGL.h"

#include "ShellRecorders.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using ZQ::gGlobals;

// Rows of the device table with a 1024-pixel target size at scale 2: the
// wide simulator (touch radii without their tolerance) and the iPhone 5
// (with it).
const ZQ::DeviceProfile& withoutTolerance() {
    return ZQ::DeviceProfile::forPlatformType(3);
}
const ZQ::DeviceProfile& withTolerance() {
    return ZQ::DeviceProfile::forPlatformType(10);
}

ZQTouch finger(int64_t id, float x, float y, double t) {
    ZQTouch touch;
    touch.id = id;
    touch.location = PVRTVec2(x, y);
    touch.timestamp = t;
    return touch;
}

ZQTouch measured(ZQTouch touch, float radius, float tolerance) {
    touch.hasMajorRadius = true;
    touch.majorRadius = radius;
    touch.majorRadiusTolerance = tolerance;
    return touch;
}

class ZQViewTest : public HeadlessGLTest {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        previousSound = ZQ::SoundGateway::setInstance(&sound);
        shellLog().clear();
    }

    void TearDown() override {
        view.reset();
        ZQ::SoundGateway::setInstance(previousSound);
        HeadlessGLTest::TearDown();
    }

    // A view of `points` at scale 2 whose master controller records input.
    void open(PVRTVec2 points, const ZQ::DeviceProfile& profile = withoutTolerance(),
              ZQModelFactory models = &makeEngineModels<ZQPlainMaker>) {
        view = std::make_unique<ZQView>(*HeadlessGL::context(), points, 2.0f, profile, models);
        gGlobals.masterController = &input;
    }

    LoggedSoundGateway sound;
    ZQ::ISoundGateway* previousSound = nullptr;
    InputRecorder input;
    std::unique_ptr<ZQView> view;
};

std::vector<ShellCall> callsOf(const std::string& call, const std::vector<const void*>& objects) {
    std::vector<ShellCall> out;
    for (const void* object : objects) {
        out.push_back({call, object});
    }
    return out;
}

std::vector<ShellCall> operator+(std::vector<ShellCall> a, const std::vector<ShellCall>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(ZQViewTest, TheEngineIsMadeSetUpSteppedAndTornDownInTheGamesOrder) {
    const int32_t framesBefore = gGlobals.frameCount;
    open(PVRTVec2(320.0f, 480.0f), withoutTolerance(), &makeEngineModels<RecordingMaker>);
    const ZQ::Globals& g = gGlobals;
    // The model table of the game, for the models that exist.
    const std::vector<const void*> order = {
        static_cast<ZQ::Model*>(g.timerModel),
        static_cast<ZQ::Model*>(g.scoreModel),
        static_cast<ZQ::Model*>(g.pointsModel),
        static_cast<ZQ::Model*>(g.graspModel),
        g.particleSystem1,
        g.particleSystem2,
        static_cast<ZQ::Model*>(g.levelModel),
        static_cast<ZQ::Model*>(g.tangleModel),
        static_cast<ZQ::Model*>(g.flowModel),
        static_cast<ZQ::Model*>(g.captionModel),
        static_cast<ZQ::Model*>(g.cameraModel),
        static_cast<ZQ::Model*>(g.lightModel),
        static_cast<ZQ::Model*>(g.cordModel),
        static_cast<ZQ::Model*>(g.coneModel),
        static_cast<ZQ::Model*>(g.headModel),
        static_cast<ZQ::Model*>(g.gridModel),
        static_cast<ZQ::Model*>(g.shadowModel),
        static_cast<ZQ::Model*>(g.cursorModel),
        static_cast<ZQ::Model*>(g.balloonModel),
        static_cast<ZQ::Model*>(g.mandalaModel),
        static_cast<ZQ::Model*>(g.roomModel),
        static_cast<ZQ::Model*>(g.holoModel),
        static_cast<ZQ::Model*>(g.tileModel),
        static_cast<ZQ::Model*>(g.gaugeModel),
        static_cast<ZQ::Model*>(g.grainModel),
        g.particleSystem3,
        static_cast<ZQ::Model*>(g.braidModel),
        static_cast<ZQ::Model*>(g.stringScoreModel),
    };
    ASSERT_EQ(g.models.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(static_cast<const void*>(g.models[i]), order[i]) << "model " << i;
    }
    // Made in order, set up after the sound, and one frame drawn inside the
    // start-up: one step of every model, then the sound's.
    const std::vector<ShellCall> startUp =
        callsOf("make", order) + std::vector<ShellCall>{{"sound setUp", nullptr}} + callsOf("setUp", order) +
        callsOf("doStep", order) + std::vector<ShellCall>{{"sound doStep", nullptr}};
    EXPECT_EQ(shellLog(), startUp);
    EXPECT_EQ(g.frameCount, framesBefore + 1);
    EXPECT_FALSE(view->isAnimating()) << "the frames start when the application becomes active";
    // The passes of the game that exist, in the render-pass list's order.
    EXPECT_EQ(g.renderPasses, (std::vector<ZQ::Render*>{
                                  g.renderFlow, g.renderBalloon, g.renderShadowMap, g.renderGoochMultiKnot,
                                  g.renderHolo, g.renderCone, g.renderTangle, g.renderParticlesBB,
                                  g.renderCaption, g.renderMesh, g.renderWallPaper, g.wallPaperRenderRoom,
                                  g.renderTile, g.renderGauge, g.renderBraid, g.renderGrain}));
    // The caption box before the POD box; the displays draw from the first.
    EXPECT_EQ(g.boxes, (std::vector<ZQ::InitProtocol*>{g.captionBox, g.podBox}));
    EXPECT_FALSE(g.captionBox->collectableNames().empty()) << "set up";
    for (ZQ::Render* pass : g.renderPasses) {
        ASSERT_NE(pass, nullptr);
        EXPECT_NE(pass->program->shader, nullptr) << "set up";
    }

    shellLog().clear();
    view.reset();
    const std::vector<ShellCall> tearDown =
        callsOf("tearDown", order) + std::vector<ShellCall>{{"sound tearDown", nullptr}};
    EXPECT_EQ(shellLog(), tearDown);
    EXPECT_TRUE(g.models.empty());
    EXPECT_TRUE(g.renderPasses.empty());
    EXPECT_EQ(g.renderCone, nullptr);
    EXPECT_EQ(g.cordModel, nullptr);
    EXPECT_EQ(g.particleSystem3, nullptr);
}

TEST_F(ZQViewTest, TheScreenSizeGivesTheWorldAndTheTargets) {
    open(PVRTVec2(320.0f, 480.0f));
    EXPECT_EQ(gGlobals.screenSize, PVRTVec2(640.0f, 960.0f));
    EXPECT_EQ(gGlobals.worldScale, 0.03125f);
    EXPECT_EQ(gGlobals.worldSize, PVRTVec2(20.0f, 30.0f));
    EXPECT_EQ(gGlobals.worldQuarter, 5.0f);
    const ZQ::RenderTargets& targets = view->renderTargets();
    EXPECT_EQ(targets.sceneContext->width, 640.0f);
    EXPECT_EQ(targets.sceneContext->height, 960.0f);
    EXPECT_EQ(targets.shadowContext->width, 640.0f);
    EXPECT_EQ(targets.shadowContext->height, 960.0f);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(targets.colourContexts[i]->width, 1024.0f);
        EXPECT_EQ(targets.heightContexts[i]->height, 1024.0f);
    }
    EXPECT_FALSE(gGlobals.tutorialActive);
    EXPECT_FALSE(gGlobals.gameCenterAuthenticated);
    view.reset();

    open(PVRTVec2(320.0f, 568.0f));
    EXPECT_EQ(gGlobals.worldSize, PVRTVec2(20.0f, 35.5f));
    EXPECT_EQ(view->renderTargets().shadowContext->height, 1024.0f);
    EXPECT_NEAR(view->renderTargets().shadowContext->width, 1024.0f * 640.0f / 1136.0f, 1e-3f);
}

TEST_F(ZQViewTest, TouchesArriveInPixelsWithTheirOwnRadiiAndYFlipped) {
    open(PVRTVec2(320.0f, 480.0f));
    // Two fingers in one callback: two calls, in the set's order.
    view->touchesBegan(
        {finger(1, 160.0f, 100.0f, 0.0), measured(finger(2, 10.0f, 470.0f, 0.0), 20.0f, 5.0f)});
    const std::vector<InputRecorder::Input> expected = {
        {"touchBegan", PVRTVec2(320.0f, 960.0f - 200.0f), 36.0f},
        {"touchBegan", PVRTVec2(20.0f, 960.0f - 940.0f), 20.0f},
    };
    EXPECT_EQ(input.inputs, expected);
}

TEST_F(ZQViewTest, ATapCarriesTheLargestRadiusSeenWithItsTolerance) {
    for (const ZQ::DeviceProfile* profile : {&withoutTolerance(), &withTolerance()}) {
        open(PVRTVec2(320.0f, 480.0f), *profile);
        const ZQTouch down = measured(finger(1, 100.0f, 200.0f, 1.0), 20.0f, 5.0f);
        const ZQTouch pressed = measured(finger(1, 101.0f, 200.0f, 1.05), 30.0f, 5.0f);
        view->touchesBegan({down});
        view->touchesMoved({pressed});
        view->touchesEnded({pressed});
        const float extra = profile->addTouchTolerance ? 5.0f : 0.0f;
        ASSERT_EQ(input.calls(), (std::vector<std::string>{"touchBegan", "touchMoved", "touchEnded", "tap"}));
        EXPECT_EQ(input.inputs[0].value, 20.0f + extra);
        EXPECT_EQ(input.inputs[1].value, 30.0f + extra);
        EXPECT_EQ(input.inputs[3].value, 35.0f) << "a tap's radius always has the tolerance";
        EXPECT_EQ(input.inputs[3].point, PVRTVec2(202.0f, 960.0f - 400.0f));
        input.inputs.clear();
        view.reset();
    }
}

TEST_F(ZQViewTest, ASwipeToTheLeftArrivesAsTwoWhereItStarted) {
    open(PVRTVec2(320.0f, 480.0f));
    view->touchesBegan({finger(1, 300.0f, 300.0f, 2.0)});
    view->touchesMoved({finger(1, 260.0f, 302.0f, 2.05)});
    view->touchesMoved({finger(1, 200.0f, 305.0f, 2.1)});
    view->touchesEnded({finger(1, 190.0f, 305.0f, 2.12)});
    const std::vector<std::string> calls = {"touchBegan", "touchMoved", "touchMoved", "swipe", "touchEnded"};
    ASSERT_EQ(input.calls(), calls);
    EXPECT_EQ(input.inputs[3].value, 2.0f);
    EXPECT_EQ(input.inputs[3].point, PVRTVec2(600.0f, 960.0f - 600.0f));
}

TEST_F(ZQViewTest, ASnapshotIsTakenByTheNextFrameUnlessClearedFirst) {
    open(PVRTVec2(320.0f, 480.0f));
    view->takeSnapshot();
    EXPECT_FALSE(view->snapshotTaken()) << "pending until a frame runs";
    view->drawView();
    ASSERT_TRUE(view->snapshotTaken());
    EXPECT_EQ(view->snapshotImage()->width, 640);
    EXPECT_EQ(view->snapshotImage()->height, 960);

    view->clearSnapshot();
    EXPECT_FALSE(view->snapshotTaken());
    view->takeSnapshot();
    view->clearSnapshot();
    view->drawView();
    EXPECT_FALSE(view->snapshotTaken()) << "cleared before the frame, so never taken";
}

TEST_F(ZQViewTest, TheSnapshotIsUpright) {
    open(PVRTVec2(320.0f, 480.0f));
    // The top quarter of the screen red, the rest black: GL counts rows from
    // the bottom, a picture from the top.
    ZQ::SceneContext& screen = *view->renderTargets().sceneContext;
    screen.bind();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 720, 640, 240);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    screen.resolve();
    const ZQImage image = readSnapshot();
    ASSERT_EQ(image.width, 640);
    ASSERT_EQ(image.height, 960);
    for (int y : {0, 239}) {
        EXPECT_EQ(image.pixel(5, y)[0], 255) << "row " << y;
    }
    for (int y : {240, 959}) {
        EXPECT_EQ(image.pixel(5, y)[0], 0) << "row " << y;
    }
}

// A frame stepped without its picture leaves the targets as they were,
// unless it leaves something later frames read: then it renders, painting a
// changed relief into the room textures, taking the snapshot asked for.
TEST_F(ZQViewTest, ASteppedFrameRendersOnlyWhenItLeavesWhatLaterFramesRead) {
    open(PVRTVec2(320.0f, 480.0f));
    ZQ::SceneContext& screen = *view->renderTargets().sceneContext;
    screen.bind();
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    screen.resolve();
    view->stepView();
    EXPECT_EQ(readSnapshot().pixel(5, 5)[0], 255) << "nothing to leave, nothing rendered";

    ZQ::MandalaModel& relief = *gGlobals.mandalaModel;
    relief.changed = true;
    view->stepView();
    EXPECT_FALSE(relief.changed) << "the room textures are painted";
    EXPECT_NE(readSnapshot().pixel(5, 5)[0], 255) << "the frame is rendered";

    view->takeSnapshot();
    view->stepView();
    EXPECT_TRUE(view->snapshotTaken());
}

TEST_F(ZQViewTest, BecomingActiveTwiceRunsOneDisplayLink) {
    open(PVRTVec2(320.0f, 480.0f));
    view->moveToActive();
    ASSERT_TRUE(view->isAnimating());
    const auto due = view->displayLink().due();
    view->moveToActive();
    EXPECT_TRUE(view->displayLink().isRunning());
    EXPECT_EQ(view->displayLink().due(), due) << "the second call leaves the schedule as it was";
    view->moveToInactive();
    EXPECT_FALSE(view->isAnimating());
    EXPECT_FALSE(view->displayLink().isRunning());
    view->moveToInactive();
    EXPECT_FALSE(view->isAnimating());
}

TEST_F(ZQViewTest, RunGcReleasesTheSoundBuffers) {
    open(PVRTVec2(320.0f, 480.0f));
    view->runGc();
    EXPECT_EQ(sound.count("purge"), 1u);
}

} // namespace
