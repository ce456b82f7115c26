#include "ViewPlayFixture.h"

#include "cords/TangleModel.h"
#include "engine/Controller.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/Preferences.h"
#include "engine/StoreValue.h"
#include "game/AwardController.h"
#include "game/AwardStates.h"
#include "game/MasterGameController.h"
#include "game/MasterStates.h"
#include "game/MasterWiring.h"
#include "levels/LevelModel.h"
#include "overlays/FlowModel.h"
#include "overlays/PointsModel.h"
#include "overlays/TileCollection.h"
#include "overlays/TileModel.h"
#include "platform/ZQSnapshot.h"
#include "platform/ZQView.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The master game controller on the whole engine with the game's own menu,
// tile screens and award, driven by taps on the tiles where the player sees
// them; the level itself is a stand-in that is solved when the test says.
// The menu, points, award reveal and award screens are written as
// master-*.png in the test's working folder, to be looked at.

namespace {

using ZQ::ControllerRole;
using ZQ::TileCollection;

// A level that is solved on demand, as the game controller would report it.
class SolvableLevel : public ZQ::Controller {
public:
    void setUp() override { solved = false; }
    bool isDone() override { return solved; }
    bool solved = false;
};

// A phase that is over as soon as it starts.
class FinishedPhase : public ZQ::Controller {
public:
    bool isDone() override { return true; }
};

SolvableLevel* gLevel = nullptr;

ZQ::MasterGameController* makeMaster() {
    ZQ::Preferences& preferences = ZQ::Preferences::shared();
    ZQ::MasterWiring wiring = ZQ::gameWiring(preferences);
    for (ControllerRole role :
         {ControllerRole::Tutorial, ControllerRole::Outro, ControllerRole::Map, ControllerRole::Story}) {
        wiring.makers[static_cast<std::size_t>(role)] = [] { return new FinishedPhase(); };
    }
    wiring.makers[static_cast<std::size_t>(ControllerRole::Game)] = [] {
        gLevel = new SolvableLevel();
        return gLevel;
    };
    return new ZQ::MasterGameController(std::move(wiring), preferences);
}

// The preference keys the test changes, put back as they were.
class KeptPreferences {
public:
    KeptPreferences() {
        for (const char* key : kKeys) {
            const ZQ::StoreValue* value = store().object(key);
            kept[key] = value != nullptr ? std::optional<ZQ::StoreValue>(*value) : std::nullopt;
        }
    }
    ~KeptPreferences() {
        for (const auto& [key, value] : kept) {
            if (value) {
                store().setObject(key, *value);
            } else {
                store().remove(key);
            }
        }
        store().synchronize();
    }

private:
    static ZQ::KeyValueStore& store() { return ZQ::Preferences::shared().userDefaults(); }
    static constexpr const char* kKeys[] = {ZQ::Preferences::kTutorialCompletedKey,
                                            ZQ::Preferences::kStateKey, ZQ::Preferences::kAppRatedKey};
    std::map<std::string, std::optional<ZQ::StoreValue>> kept;
};

class MasterScreensTest : public HeadlessGLTest {
protected:
    // The phone's 750 x 1334 pixels: the caption pictures and texts are made
    // for its caption scale.
    static constexpr float kScale = 2.0f;

    void SetUp() override {
        HeadlessGLTest::SetUp();
        ZQ::Preferences::shared().userDefaults().setBool(ZQ::Preferences::kTutorialCompletedKey, true);
        ZQ::Preferences::shared().userDefaults().remove(ZQ::Preferences::kStateKey);
        view = std::make_unique<ZQView>(*HeadlessGL::context(), PVRTVec2(375.0f, 667.0f), kScale,
                                        ZQ::DeviceProfile::get(), &makeEngineModels<ZQPlainMaker>,
                                        &makeRenderPasses<ZQPlainMaker>, &makeMaster);
        master = dynamic_cast<ZQ::MasterGameController*>(ZQ::gGlobals.masterController);
        ASSERT_NE(master, nullptr);
        // A player is logged in: the leaderboards tile turns to the front,
        // so the menu settles.
        ZQ::gGlobals.gameCenterAuthenticated = true;
    }

    void TearDown() override {
        view.reset();
        gLevel = nullptr;
        HeadlessGLTest::TearDown();
    }

    // Frames until `done` holds; false after `frames` frames.
    template <class Condition> bool drawUntil(Condition done, int frames) {
        for (int i = 0; i < frames && !done(); ++i) {
            view->drawView();
        }
        return done();
    }

    bool tilesSettled() const { return ZQ::gGlobals.tileModel->isReady(); }

    // A tap at a point of the screen in pixels from the bottom-left corner,
    // delivered as the window delivers taps (points from the top-left).
    void tapAt(float x, float y) {
        const float h = ZQ::gGlobals.screenSize.y;
        view->handleTap(PVRTVec2(x / kScale, (h - y) / kScale), ZQ::DeviceProfile::get().touchRadius);
    }

    // The next frame written to `path` (in the test's working folder, for a
    // person to look at).
    void shoot(const std::string& path) {
        view->takeSnapshot();
        view->drawView();
        ASSERT_NE(view->snapshotImage(), nullptr);
        std::string error;
        EXPECT_TRUE(writePng(path, *view->snapshotImage(), error)) << error;
    }

    KeptPreferences keptPreferences;
    std::unique_ptr<ZQView> view;
    ZQ::MasterGameController* master = nullptr;
};

TEST_F(MasterScreensTest, ANewGameFromTheMenuIsSolvedAndTheAwardLeadsToTheNextLevel) {
    const float w = ZQ::gGlobals.screenSize.x;
    const float h = ZQ::gGlobals.screenSize.y;
    ASSERT_TRUE(drawUntil([&] { return master->state == MasterState::Menu && tilesSettled(); }, 150));
    EXPECT_EQ(master->active, master->controller(ControllerRole::Menu));
    EXPECT_EQ(tilesShown(), (std::vector<int32_t>{TileCollection::kLeaderboards, TileCollection::kStory,
                                                  TileCollection::kPlay, TileCollection::kTutorial,
                                                  TileCollection::kNewGame, TileCollection::kMusic,
                                                  TileCollection::kGameMode}));
    shoot("master-menu.png");

    // The new-game tile: the right half of the menu's lower right cell
    // (x 0.7..1, y 0.5333..0.8 of the menu's unit rectangle, from the top).
    const float menuLeft = 0.25f * w;
    const float menuTop = 0.4f * h + 0.35f * w;
    tapAt(menuLeft + 0.85f * 0.5f * w, menuTop - (0.5333f + 0.1333f) * 0.7f * w);
    ASSERT_TRUE(drawUntil([&] { return master->state == MasterState::LevelRuns; }, 200));
    ASSERT_NE(gLevel, nullptr);
    EXPECT_EQ(master->active, gLevel);
    EXPECT_EQ(ZQ::gGlobals.levelModel->level, 0);

    // Solved, Golden, with the parts the game controller would leave.
    ZQ::PointsModel& points = *ZQ::gGlobals.pointsModel;
    points.basePoints = ZQ::gGlobals.levelModel->basePoints();
    points.scorePoints = 500;
    points.timePoints = 316;
    points.levelPoints = 816;
    points.previousPoints = 0;
    points.points = 816;
    points.grade = 0;
    points.tangles[0] += 1;
    gLevel->solved = true;
    ASSERT_TRUE(drawUntil(
        [&] { return tilesShown() == std::vector<int32_t>{TileCollection::kContinue} && tilesSettled(); },
        120));
    auto* award = dynamic_cast<ZQ::AwardController*>(master->active);
    ASSERT_NE(award, nullptr);
    EXPECT_EQ(award->state, AwardState::PointsRun);
    view->drawView();
    view->drawView();
    shoot("master-points.png");

    // Skip the points with the continue tile at (0.9 w, 0.1 w).
    tapAt(0.9f * w, 0.1f * w);
    ASSERT_TRUE(drawUntil([&] { return award->state == AwardState::AwaitChoice; }, 60));
    ASSERT_EQ(ZQ::gGlobals.tangleModel->getTangles().size(), 1u);
    EXPECT_EQ(ZQ::gGlobals.tangleModel->getTangles().front()->materialIndex, 4) << "gold";
    drawUntil([] { return false; }, 30);
    shoot("master-award-reveal.png");
    // The map and share tiles rest turned away (no level passed yet, no
    // network open); the next tile has come in.
    drawUntil([] { return false; }, 120);
    EXPECT_EQ(tilesShown(), (std::vector<int32_t>{TileCollection::kAwardMap, TileCollection::kShareAward,
                                                  TileCollection::kNextLevel}));
    shoot("master-award.png");
    EXPECT_FALSE(ZQ::gGlobals.flowModel->letters.empty()) << "the grade's name hangs across the top";

    // Next: the right third of the award row at (0.5 w, 0.1 h), 0.7 w wide.
    tapAt(0.5f * w + 0.7f * w / 3.0f, 0.1f * h);
    ASSERT_TRUE(drawUntil([&] { return master->state == MasterState::LevelRuns; }, 200));
    EXPECT_EQ(ZQ::gGlobals.levelModel->level, 1);
    EXPECT_EQ(master->active, gLevel);
    EXPECT_EQ(ZQ::gGlobals.roomModel->current->level, 1);
    EXPECT_TRUE(drawUntil([] { return ZQ::gGlobals.tangleModel->getTangles().empty(); }, 40))
        << "the knot flies off";
    ZQ::SavedState stored(ZQ::gGlobals.levelModel->levelCount());
    ASSERT_TRUE(stored.load(ZQ::Preferences::shared().userDefaults()));
    EXPECT_EQ(stored.level, 1);
    EXPECT_EQ(stored.points, 816);
    EXPECT_EQ(stored.tangleForlevel[0], 0);
}

} // namespace
