#include "cords/CordModel.h"
#include "cords/GraspModel.h"
#include "engine/Controller.h"
#include "engine/Model.h"
#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "game/GameController.h"
#include "game/MasterWiring.h"
#include "overlays/TileModel.h"
#include "overlays/TimerModel.h"
#include "support/GlobalsTest.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

// Every game-flow controller of the game's wiring may be torn down twice on
// one road (a level that quit is left behind by the menu, and the view's
// tear-down follows): the second tear-down must find nothing left to free
// or to leave. Run under AddressSanitizer, a double delete fails here.

namespace {

using ZQ::ControllerRole;

class ControllerTearDownTest : public GlobalsTest {
protected:
    void SetUp() override {
        GlobalsTest::SetUp();
        ASSERT_TRUE(folder.ok());
        ZQ::gGlobals.graspModel = &grasps; // the game controller's grasps go there
        ZQ::gGlobals.tileModel = &tiles;   // the menu's
        ZQ::gGlobals.cordModel = &cord;    // the tutorial's steps listen to these
        ZQ::gGlobals.timerModel = &timer;
        ZQ::gGlobals.models = {&grasps, &tiles};
    }

    TempFolder folder;
    ZQ::PlistFileStore defaults{folder.file("defaults.plist")};
    ZQ::PlistFileStore cloud{folder.file("cloud/cloud.plist")};
    ZQ::Preferences preferences{defaults, cloud};
    ZQ::GraspModel grasps;
    ZQ::TileModel tiles;
    ZQ::CordModel cord;
    ZQ::TimerModel timer;
};

bool listensTo(const ZQ::Model& model, const ZQ::Controller* controller) {
    const auto& listeners = model.getListeners();
    return std::find(listeners.begin(), listeners.end(), controller) != listeners.end();
}

TEST_F(ControllerTearDownTest, EachControllerOfTheGameTearsDownTwiceSafely) {
    const ZQ::MasterWiring wiring = ZQ::gameWiring(preferences);
    int made = 0;
    for (int32_t i = 0; i < ZQ::kControllerRoleCount; ++i) {
        const ZQ::MasterWiring::Maker& make = wiring.makers[static_cast<std::size_t>(i)];
        if (!make) {
            continue; // a role the game does not have yet
        }
        ++made;
        std::unique_ptr<ZQ::Controller> controller(make());
        for (int round = 0; round < 2; ++round) {
            controller->setUp();
            controller->tearDown();
            controller->tearDown();
            EXPECT_FALSE(listensTo(grasps, controller.get())) << "role " << i << ", round " << round;
            EXPECT_FALSE(listensTo(tiles, controller.get())) << "role " << i << ", round " << round;
        }
        // A controller torn down without a set-up of its own (the view's
        // tear-down of one never shown) is no error either.
        std::unique_ptr<ZQ::Controller> fresh(make());
        fresh->tearDown();
    }
    EXPECT_EQ(made, ZQ::kControllerRoleCount) << "the game has every role";
}

TEST_F(ControllerTearDownTest, TheGameControllersRotateFactoryIsFreedOnce) {
    ZQ::GameController game;
    game.setUp();
    ASSERT_NE(game.grasps().getRotateFactory(), nullptr);
    game.tearDown();
    EXPECT_EQ(game.grasps().getRotateFactory(), nullptr);
    game.tearDown();
    EXPECT_EQ(game.grasps().getRotateFactory(), nullptr);
    game.setUp();
    EXPECT_NE(game.grasps().getRotateFactory(), nullptr);
    game.tearDown();
}

} // namespace
