#include "engine/GameEngine.h"
#include "engine/Controller.h"
#include "engine/Globals.h"
#include "engine/Model.h"
#include "support/GlobalsTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Call {
    std::string name;
    PVRTVec2 point;
    float extra;
};

class RecordingController : public ZQ::Controller {
public:
    std::vector<Call> calls;
    int steps = 0;
    void doStep() override { ++steps; }
    void touchBegan(PVRTVec2 p, float r) override { calls.push_back({"touchBegan", p, r}); }
    void touchMoved(PVRTVec2 p, float r) override { calls.push_back({"touchMoved", p, r}); }
    void touchEnded(PVRTVec2 p, float r) override { calls.push_back({"touchEnded", p, r}); }
    void touchCancelled(PVRTVec2 p, float r) override { calls.push_back({"touchCancelled", p, r}); }
    void swipe(PVRTVec2 p, int d) override { calls.push_back({"swipe", p, float(d)}); }
    void tap(PVRTVec2 p, float r) override { calls.push_back({"tap", p, r}); }
    void doubleTap(PVRTVec2 p) override { calls.push_back({"doubleTap", p, 0.0f}); }
};

class EngineTest : public GlobalsTest {
protected:
    RecordingController controller;
    void SetUp() override {
        GlobalsTest::SetUp();
        ZQ::gGlobals.masterController = &controller;
    }
};

TEST_F(EngineTest, WorldMetricsFollowTheScreenWidth) {
    EXPECT_EQ(ZQ::gGlobals.worldSize, PVRTVec2(20.0f, 35.5f));
    EXPECT_FLOAT_EQ(ZQ::gGlobals.worldScale, 0.03125f);
    EXPECT_FLOAT_EQ(ZQ::gGlobals.worldQuarter, 5.0f);
}

TEST_F(EngineTest, InputIsFlippedToABottomLeftOriginAndForwarded) {
    ZQ::GameEngine engine;
    engine.touchBegan({10, 0}, 22.0f);
    engine.touchMoved({10, 1136}, 21.0f);
    engine.touchEnded({5, 100}, 20.0f);
    engine.touchCancelled({6, 200}, 19.0f);
    engine.swipe({7, 300}, 8);
    engine.tap({8, 400}, 18.0f);
    ZQ::GestureResponder& gestures = engine;
    gestures.doubleTap({9, 500});

    ASSERT_EQ(controller.calls.size(), 7u);
    const char* names[] = {"touchBegan", "touchMoved", "touchEnded", "touchCancelled",
                           "swipe",      "tap",        "doubleTap"};
    const PVRTVec2 points[] = {{10, 1136}, {10, 0}, {5, 1036}, {6, 936}, {7, 836}, {8, 736}, {9, 636}};
    const float extras[] = {22, 21, 20, 19, 8, 18, 0};
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(controller.calls[i].name, names[i]);
        EXPECT_EQ(controller.calls[i].point, points[i]) << names[i];
        EXPECT_EQ(controller.calls[i].extra, extras[i]) << names[i];
    }
}

TEST_F(EngineTest, InputWithoutAMasterControllerIsDropped) {
    ZQ::gGlobals.masterController = nullptr;
    ZQ::GameEngine engine;
    engine.touchBegan({1, 1}, 1.0f);
    engine.tap({1, 1}, 1.0f);
    EXPECT_TRUE(controller.calls.empty());
}

class OrderModel : public ZQ::Model {
public:
    OrderModel(std::vector<std::pair<int, int>>& log, int id) : log(log), id(id) {}
    void doStep() override { log.emplace_back(id, ZQ::gGlobals.frameCount); }
    std::vector<std::pair<int, int>>& log;
    int id;
};

TEST_F(EngineTest, FrameAdvancesCounterThenStepsControllerAndModelsInListOrder) {
    std::vector<std::pair<int, int>> log;
    OrderModel a(log, 1), b(log, 2), c(log, 3);
    ZQ::gGlobals.frameCount = 0;
    ZQ::gGlobals.models = {&b, &a, &c};

    ZQ::gGlobals.stepFrame();
    EXPECT_EQ(controller.steps, 1);
    EXPECT_EQ(log, (std::vector<std::pair<int, int>>{{2, 1}, {1, 1}, {3, 1}}));

    ZQ::gGlobals.stepFrame();
    EXPECT_EQ(ZQ::gGlobals.frameCount, 2);
    EXPECT_EQ(log.back(), std::make_pair(3, 2));
}

TEST(NopControllerTest, IgnoresInputAndIsNeverDone) {
    ZQ::NopController nop;
    nop.setUp();
    nop.touchBegan({1, 2}, 3.0f);
    nop.swipe({1, 2}, 4);
    nop.doStep();
    EXPECT_FALSE(nop.isDone());
}

} // namespace
