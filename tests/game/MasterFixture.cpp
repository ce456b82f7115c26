#include "game/MasterFixture.h"

#include "engine/Globals.h"
#include "engine/StoreValue.h"
#include "levels/LevelModel.h"

#include <string>

void RecordingController::setUp() {
    log("setUp");
    ++setUps;
    live = true;
    done = false;
}

void RecordingController::tearDown() {
    log("tearDown");
    ++tearDowns;
    if (!live) {
        ++tearDownsWhileDown;
    }
    live = false;
}

void RecordingController::tap(PVRTVec2, float) {
    log("tap");
}

void RecordingController::quit() {
    log("quit");
    done = true;
}

void RecordingMenu::tap(PVRTVec2 point, float radius) {
    RecordingController::tap(point, radius);
    if (point.y < 0.0f || point.y >= 40.0f || point.x < 0.0f) {
        return;
    }
    const int tileId = static_cast<int>(point.x / 40.0f);
    tiles.notify(&ZQ::EventListener::onTile, tileId);
}

void MasterFixture::SetUp() {
    CatalogueSuite<HeadlessGLTest>::SetUp();
    ASSERT_TRUE(folder.ok());
    ZQ::Globals& g = ZQ::gGlobals;
    defaults = std::make_unique<ZQ::PlistFileStore>(folder.file("defaults.plist"));
    cloud = std::make_unique<ZQ::PlistFileStore>(folder.file("cloud/cloud.plist"));
    preferences = std::make_unique<ZQ::Preferences>(*defaults, *cloud);
    savedState = std::make_unique<ZQ::SavedState>(catalogue->levelCount());
    g.savedState = savedState.get();
    cord = std::make_unique<ZQ::CordModel>();
    g.cordModel = cord.get();
    camera = std::make_unique<ZQ::CameraModel>();
    relief = std::make_unique<ZQ::MandalaModel>();
    rooms = std::make_unique<ZQ::RoomModel>();
    g.cameraModel = camera.get();
    g.mandalaModel = relief.get();
    g.roomModel = rooms.get();
    camera->setUp();
    relief->setUp();
    rooms->setUp();
    g.tutorialActive = false;
    g.gameCenterAuthenticated = false;
    ZQ::setMusicMuted(false);
    soundScope = std::make_unique<ScopedSoundGateway>(&sound);
}

void MasterFixture::TearDown() {
    if (master != nullptr) {
        master->tearDown();
        master.reset();
    }
    soundScope.reset();
    rooms->tearDown();
    relief->tearDown();
    camera->tearDown();
    ZQ::setMusicMuted(false);
    CatalogueSuite<HeadlessGLTest>::TearDown();
}

ZQ::MasterWiring MasterFixture::recordingWiring() {
    static constexpr const char* kNames[ZQ::kControllerRoleCount] = {
        "tutorial", "game", "menu", "outro", "award", "map", "story",
    };
    ZQ::MasterWiring wiring;
    for (int32_t i = 0; i < ZQ::kControllerRoleCount; ++i) {
        wiring.makers[static_cast<std::size_t>(i)] = [this, i]() -> ZQ::Controller* {
            RecordingController* made = i == static_cast<int32_t>(ZQ::ControllerRole::Menu)
                                            ? new RecordingMenu(journal, tiles)
                                            : new RecordingController(kNames[i], journal);
            recorders[static_cast<std::size_t>(i)] = made;
            return made;
        };
    }
    wiring.allowStorySkip = [](ZQ::Controller& story) {
        auto& rec = static_cast<RecordingController&>(story);
        rec.skipAllowed = true;
        rec.log("skipAllowed");
    };
    wiring.setAwardState = [](ZQ::Controller& award, AwardState s) {
        auto& rec = static_cast<RecordingController&>(award);
        rec.awardState = s;
        rec.log(std::string("state ") + ZQ::AwardController::stateName(s));
    };
    wiring.tiles = [this] { return &tiles; };
    wiring.showMainUi = [this] { journal.push_back("screen.showMainUi"); };
    wiring.hideMainMenu = [this] { journal.push_back("screen.hideMainMenu"); };
    wiring.hideTiles = [this] { journal.push_back("screen.hideTiles"); };
    wiring.showPauseUi = [this] { journal.push_back("screen.showPauseUi"); };
    wiring.showGameUi = [this] { journal.push_back("screen.showGameUi"); };
    wiring.readScores = [this] { return scores; };
    wiring.writeScores = [this](const ZQ::SavedState::Scores& s) {
        scores = s;
        scoresWritten.push_back(s);
    };
    wiring.elapsedFrames = [this] { return elapsedFrames; };
    wiring.writeTimer = [this](const ZQ::SavedState::Timer& t) { elapsedFrames = t.elapsedFrames; };
    return wiring;
}

void MasterFixture::makeMaster(ZQ::MasterWiring wiring) {
    master = std::make_unique<ZQ::MasterGameController>(std::move(wiring), *preferences);
    master->setUp();
}

void MasterFixture::step(int frames) {
    for (int i = 0; i < frames; ++i) {
        ZQ::gGlobals.frameCount += 1;
        master->doStep();
    }
}

bool MasterFixture::stepUntil(MasterState wanted, int frames) {
    for (int i = 0; i < frames && master->state != wanted; ++i) {
        step();
    }
    return master->state == wanted;
}

void MasterFixture::tapTile(int tileId) {
    master->tap(RecordingMenu::tileCentre(tileId), 20.0f);
}

RecordingController& MasterFixture::rec(ZQ::ControllerRole r) const {
    RecordingController* found = recorders[static_cast<std::size_t>(r)];
    EXPECT_NE(found, nullptr);
    return *found;
}

Journal MasterFixture::take() {
    Journal lines(journal.begin() + static_cast<std::ptrdiff_t>(journalRead), journal.end());
    journalRead = journal.size();
    return lines;
}

void MasterFixture::storeRecord(const ZQ::SavedState& record) {
    defaults->setObject(ZQ::Preferences::kStateKey, record.toStored());
    defaults->synchronize();
}

ZQ::SavedState MasterFixture::storedRecord() const {
    ZQ::SavedState record(catalogue->levelCount());
    ZQ::PlistFileStore reread(folder.file("defaults.plist"));
    EXPECT_TRUE(record.load(reread));
    return record;
}

void MasterFixture::startAtMenu() {
    defaults->setBool(ZQ::Preferences::kTutorialCompletedKey, true);
    makeMaster();
    ASSERT_TRUE(stepUntil(MasterState::Menu));
    take();
    sound.calls.clear();
}

void MasterFixture::continueToLevel() {
    tapTile(ZQ::TileCollection::kContinueSaved);
    rec(ZQ::ControllerRole::Menu).done = true;
    ASSERT_TRUE(stepUntil(MasterState::LevelRuns));
    take();
}
