#include "engine/Controller.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/Preferences.h"
#include "game/MasterGameController.h"
#include "game/MasterStates.h"
#include "overlays/TileCollection.h"
#include "platform/ZQView.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <memory>

// The view makes the master game controller, sets it up last, steps it
// first in every frame, hands it the input and pauses a running level when
// the application becomes active again.

namespace {

// A phase that is over as soon as it starts; counts its pauses and tear-downs.
class FinishedController : public ZQ::Controller {
public:
    bool isDone() override { return true; }
    void pause() override { ++pauses; }
    void tearDown() override { ++tearDowns; }
    int pauses = 0;
    int tearDowns = 0;
};

// The level controller, and its tear-downs counted past its deletion.
class LevelController : public FinishedController {
public:
    void tearDown() override { ++levelTearDowns; }
    static inline int levelTearDowns = 0;
};

LevelController* gLevel = nullptr;

ZQ::MasterGameController* makeQuickMaster() {
    ZQ::MasterWiring wiring;
    for (auto& maker : wiring.makers) {
        maker = [] { return new FinishedController(); };
    }
    wiring.makers[static_cast<int>(ZQ::ControllerRole::Game)] = [] {
        gLevel = new LevelController();
        return gLevel;
    };
    return new ZQ::MasterGameController(wiring, ZQ::Preferences::shared());
}

class ViewMasterTest : public HeadlessGLTest {};

TEST_F(ViewMasterTest, TheViewRunsTheMasterAndPausesALevelOnReturn) {
    auto view = std::make_unique<ZQView>(
        *HeadlessGL::context(), PVRTVec2(160.0f, 240.0f), 2.0f, ZQ::DeviceProfile::forPlatformType(3),
        &makeEngineModels<ZQPlainMaker>, &makeNoRenderPasses, &makeQuickMaster);
    auto* master = dynamic_cast<ZQ::MasterGameController*>(ZQ::gGlobals.masterController);
    ASSERT_NE(master, nullptr);
    ASSERT_NE(ZQ::gGlobals.savedState, nullptr);
    // The first frame, drawn by the view itself, left the start and collected
    // the first room's relief.
    EXPECT_NE(master->state, MasterState::Start);
    EXPECT_EQ(ZQ::gGlobals.mandalaModel->instances.size(), 1u);
    for (int i = 0; i < 3 && master->state != MasterState::Menu; ++i) {
        view->drawView();
    }
    ASSERT_EQ(master->state, MasterState::Menu);
    // Becoming active on the menu changes nothing.
    view->moveToActive();
    EXPECT_EQ(master->state, MasterState::Menu);
    view->moveToInactive();

    master->onTile(ZQ::TileCollection::kNewGame);
    for (int i = 0; i < 4 && master->state != MasterState::LevelRuns; ++i) {
        view->drawView();
    }
    ASSERT_EQ(master->state, MasterState::LevelRuns);
    ASSERT_NE(gLevel, nullptr);
    EXPECT_EQ(master->active, gLevel);
    EXPECT_EQ(ZQ::gGlobals.roomModel->current->level, 0);
    // Back from the background while the level runs: it is paused.
    LevelController::levelTearDowns = 0;
    view->moveToActive();
    EXPECT_EQ(master->state, MasterState::Pause);
    EXPECT_TRUE(view->isAnimating());
    view->drawView();
    EXPECT_EQ(master->state, MasterState::Menu);
    EXPECT_EQ(gLevel->pauses, 1);
    EXPECT_EQ(master->suspended, gLevel);

    EXPECT_EQ(LevelController::levelTearDowns, 0);
    view.reset();
    gLevel = nullptr;
    EXPECT_EQ(ZQ::gGlobals.masterController, nullptr);
    EXPECT_EQ(ZQ::gGlobals.savedState, nullptr);
    EXPECT_EQ(LevelController::levelTearDowns, 1) << "the suspended level is torn down once with the view";
}

} // namespace
