#pragma once

#include "cords/CordModel.h"
#include "engine/Controller.h"
#include "engine/EventSource.h"
#include "engine/PlistFileStore.h"
#include "engine/Preferences.h"
#include "game/AwardStates.h"
#include "game/MasterGameController.h"
#include "game/MasterStates.h"
#include "game/SavedState.h"
#include "overlays/TileCollection.h"
#include "stage/CameraModel.h"
#include "stage/MandalaModel.h"
#include "stage/RoomModel.h"
#include "support/CatalogueSuite.h"
#include "support/HeadlessGL.h"
#include "support/RecordingSoundGateway.h"
#include "support/TempFolder.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// What the controllers and screens around the master did, in order: one
// line a call, "story.setUp", "screen.showPauseUi".
using Journal = std::vector<std::string>;

// A game-flow controller that records every call and is done when told.
class RecordingController : public ZQ::Controller {
public:
    RecordingController(std::string name, Journal& journal) : name(std::move(name)), journal(journal) {}

    void setUp() override;
    void tearDown() override;
    void doStep() override { ++steps; }
    bool isDone() override { return done; }
    void tap(PVRTVec2 point, float radius) override;
    void doubleTap(PVRTVec2) override { log("doubleTap"); }
    void swipe(PVRTVec2, int direction) override { log("swipe " + std::to_string(direction)); }
    void touchBegan(PVRTVec2, float) override { log("touchBegan"); }
    void touchMoved(PVRTVec2, float) override { log("touchMoved"); }
    void touchEnded(PVRTVec2, float) override { log("touchEnded"); }
    void touchCancelled(PVRTVec2, float) override { log("touchCancelled"); }
    void pause() override { log("pause"); }
    void resume() override { log("resume"); }
    // A quit level finishes at once, as the game controller does.
    void quit() override;
    void onTile(int tileId) override { log("onTile " + std::to_string(tileId)); }
    bool isPausable() const override {
        ++pausableAsked;
        return pausable;
    }

    void log(const std::string& what) { journal.push_back(name + "." + what); }

    std::string name;
    Journal& journal;
    bool done = false;
    bool live = false; // set up and not torn down
    int setUps = 0;
    int tearDowns = 0;
    int tearDownsWhileDown = 0; // tear-downs of a controller not set up
    int steps = 0;
    std::optional<AwardState> awardState;
    bool skipAllowed = false;
    bool pausable = true;
    mutable int pausableAsked = 0;
};

// The menu controller's part in a tap: the tile under the point, if any,
// posts its id. Tiles here are 40-pixel squares in a row along the bottom,
// tile id k at x = 40 k.
class RecordingMenu : public RecordingController {
public:
    RecordingMenu(Journal& journal, ZQ::EventSource& tiles)
        : RecordingController("menu", journal), tiles(tiles) {}
    void tap(PVRTVec2 point, float radius) override;
    static PVRTVec2 tileCentre(int tileId) { return PVRTVec2(40.0f * tileId + 20.0f, 20.0f); }

private:
    ZQ::EventSource& tiles;
};

// The master controller on the real stage models (camera, wallpaper relief,
// rooms), the real catalogue and saved state over stores in a temporary
// folder, with recording controllers, screens, sound, game service and
// sharing in place of the game's own.
class MasterFixture : public CatalogueSuite<HeadlessGLTest> {
protected:
    void SetUp() override;
    void TearDown() override;

    // The wiring of recording controllers; `makeMaster` builds and sets up
    // the master with it (or with the wiring given).
    ZQ::MasterWiring recordingWiring();
    void makeMaster(ZQ::MasterWiring wiring);
    void makeMaster() { makeMaster(recordingWiring()); }

    // Frames of the master alone (the models do not step).
    void step(int frames = 1);
    // Steps until the master reaches `state`, at most `frames` frames; false
    // when it did not.
    bool stepUntil(MasterState state, int frames = 10);
    // A scripted tap on the tile with this id, delivered as the game engine
    // delivers taps.
    void tapTile(int tileId);

    RecordingController& rec(ZQ::ControllerRole role) const;
    ZQ::Controller* role(ZQ::ControllerRole r) const { return master->controller(r); }
    MasterState state() const { return master->state; }
    // The lines of the journal since the last call, and the journal emptied.
    Journal take();

    // Stored records.
    void storeRecord(const ZQ::SavedState& record);
    ZQ::SavedState storedRecord() const;

    // Starts with the tutorial completed and the menu up; the
    // journal and the sound calls start empty.
    void startAtMenu();
    // From the menu: continue into the level the store holds; the journal starts empty.
    void continueToLevel();

    TempFolder folder;
    std::unique_ptr<ZQ::PlistFileStore> defaults;
    std::unique_ptr<ZQ::PlistFileStore> cloud;
    std::unique_ptr<ZQ::Preferences> preferences;
    std::unique_ptr<ZQ::SavedState> savedState;
    std::unique_ptr<ZQ::CordModel> cord; // the camera follows its centre
    std::unique_ptr<ZQ::CameraModel> camera;
    std::unique_ptr<ZQ::MandalaModel> relief;
    std::unique_ptr<ZQ::RoomModel> rooms;
    RecordingSoundGateway sound;
    std::unique_ptr<ScopedSoundGateway> soundScope;
    ZQ::EventSource tiles;
    Journal journal;
    std::size_t journalRead = 0;
    ZQ::SavedState::Scores scores; // what the points model holds
    int32_t elapsedFrames = 0;     // the level timer
    std::vector<ZQ::SavedState::Scores> scoresWritten;
    std::unique_ptr<ZQ::MasterGameController> master;
    std::array<RecordingController*, ZQ::kControllerRoleCount> recorders{};
};
