#include "ScreenRun.h"

#include "cords/CordModel.h"
#include "engine/Globals.h"
#include "engine/Preferences.h"
#include "game/OutroController.h"
#include "game/StoryController.h"
#include "game/TutorialController.h"
#include "game/TutorialNode.h"
#include "levels/LevelModel.h"
#include "overlays/ScoreModel.h"
#include "overlays/StringScoreModel.h"
#include "overlays/TimerModel.h"
#include "platform/ZQApplication.h"
#include "platform/ZQDisplayLink.h"
#include "platform/ZQInputScript.h"
#include "platform/ZQSnapshot.h"
#include "platform/ZQView.h"
#include "stage/MandalaModel.h"
#include "stage/RoomModel.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

// A step's picture once its lines have swung in and its hint has started.
constexpr int32_t kShotAge = 75;

const char* screenName(Screen screen) {
    switch (screen) {
    case Screen::story:
    case Screen::storyFromMenu:
        return "story";
    case Screen::outro:
        return "outro";
    case Screen::tutorial:
        return "tutorial";
    }
    return "";
}

} // namespace

ScreenRun::ScreenRun(ZQView& view, ZQInputScript& input, Options options)
    : view(view), input(input), options(std::move(options)), room(this->options.room) {
    switch (this->options.screen) {
    case Screen::story:
    case Screen::storyFromMenu:
        controller = std::make_unique<ZQ::StoryController>();
        break;
    case Screen::outro:
        controller = std::make_unique<ZQ::OutroController>();
        break;
    case Screen::tutorial: {
        auto made = std::make_unique<ZQ::TutorialController>();
        tutorial = made.get();
        controller = std::move(made);
        break;
    }
    }
    ZQ::gGlobals.masterController = this;
}

ScreenRun::~ScreenRun() {
    if (started && !finished) {
        controller->tearDown();
    }
    ZQ::gGlobals.masterController = nullptr;
}

std::string ScreenRun::useTemporaryStores() {
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "velmora-screens-XXXXXX").string();
    const char* folder = mkdtemp(pattern.data());
    if (folder == nullptr) {
        std::perror("velmora-screens: a folder for the stores");
        std::exit(1);
    }
    setenv("XDG_DATA_HOME", folder, 1);
    setenv("VELMORA_CLOUD_DIR", (std::string(folder) + "/cloud").c_str(), 1);
    return folder;
}

void ScreenRun::removeTemporaryStores(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

void ScreenRun::open() {
    ZQ::Globals& g = ZQ::gGlobals;
    if (tutorial != nullptr) {
        // As the main menu's tutorial tile does: the flag, then the room.
        g.tutorialActive = true;
        g.levelModel->level = room;
        prepareRoom();
        std::printf("frame %6d room %d\n", ZQApplication::frameNumber(), room);
    }
    controller->setUp();
    if (options.screen == Screen::storyFromMenu) {
        static_cast<ZQ::StoryController&>(*controller).skipAllowed = true;
    }
}

void ScreenRun::prepareRoom() {
    // As the master controller readies a level's room: the room in front
    // takes the level's colours and its wallpaper relief is built and
    // collected, so the pictures show the room the tutorial is played in.
    ZQ::Globals& g = ZQ::gGlobals;
    g.roomModel->swapRooms();
    ZQ::RoomModel::assignLevel(*g.roomModel->current, *g.levelModel, g.levelModel->level);
    g.mandalaModel->clearInstances();
    g.mandalaModel->build(0);
    g.mandalaModel->collect();
}

void ScreenRun::doStep() {
    if (finished) {
        return;
    }
    if (!started) {
        started = true;
        open();
    }
    controller->doStep();
    if (!controller->isDone()) {
        return;
    }
    controller->tearDown();
    if (tutorial != nullptr) {
        std::printf("frame %6d room %d done\n", ZQApplication::frameNumber(), room);
    } else {
        std::printf("frame %6d %s done\n", ZQApplication::frameNumber(), screenName(options.screen));
    }
    if (tutorial != nullptr && room + 1 < ZQ::TutorialController::kStageLength) {
        // The award screen between the rooms takes the displays away.
        ZQ::gGlobals.timerModel->hide();
        ZQ::gGlobals.scoreModel->hide();
        ZQ::gGlobals.stringScoreModel->hide();
        room += 1;
        open();
        return;
    }
    finished = true;
}

bool ScreenRun::watchStep() {
    const ZQ::TutorialNode* node = tutorial->currentNode;
    const int32_t frame = ZQApplication::frameNumber();
    if (node != watched) {
        watched = node;
        watchedStatus = -1;
        shotTaken = false;
    }
    if (node == nullptr) {
        return false;
    }
    if (node->status != watchedStatus) {
        watchedStatus = node->status;
        static const char* const kNames[] = {"new", "armed", "running", "goal", "leaving", "done"};
        if (watchedStatus >= ZQ::TutorialNode::kRunning && watchedStatus <= ZQ::TutorialNode::kDone) {
            std::printf("frame %6d step %s %s\n", frame, node->name().c_str(), kNames[watchedStatus]);
        }
        if (watchedStatus == ZQ::TutorialNode::kRunning) {
            runningSince = frame;
        }
    }
    // An event goal moves the step on to leaving within the frame it comes
    // in, so the picture is due at either.
    const bool due = watchedStatus == ZQ::TutorialNode::kGoalReached ||
                     watchedStatus == ZQ::TutorialNode::kLeaving ||
                     (watchedStatus == ZQ::TutorialNode::kRunning && frame - runningSince >= kShotAge);
    if (shotTaken || !due) {
        return false;
    }
    shotTaken = true;
    char name[64];
    std::snprintf(name, sizeof name, "%02d-room%d-%s.png", ++pictureNumber, room, node->name().c_str());
    shotName = name;
    return true;
}

bool ScreenRun::pictureDue(long drawn) {
    if (tutorial != nullptr) {
        return watchStep();
    }
    // Named, and printed, by the frame it shows: the next one.
    const long shown = drawn + 1;
    if (options.shotEvery <= 0 || shown % options.shotEvery != 0) {
        return false;
    }
    char name[64];
    std::snprintf(name, sizeof name, "%s-%04ld.png", screenName(options.screen), shown);
    shotName = name;
    return true;
}

void ScreenRun::writeShot() {
    std::string error;
    const std::string path = options.shots + "/" + shotName;
    if (view.snapshotImage() == nullptr || !writePng(path, *view.snapshotImage(), error)) {
        std::fprintf(stderr, "velmora-screens: %s: %s\n", path.c_str(), error.c_str());
        return;
    }
    std::printf("frame %6d picture %s\n", ZQApplication::frameNumber(), path.c_str());
    view.clearSnapshot();
}

bool ScreenRun::play(long frames) {
    ZQDisplayLink& link = view.displayLink();
    const double secondsPerFrame = std::chrono::duration<double>(link.period()).count();
    const float touchRadius = view.deviceProfile().touchRadius;
    // A picture is taken from the frame after the one that made it due, so
    // that it shows what that frame's step put on screen.
    bool shotPending = false;
    for (long drawn = 1; drawn < frames && !finished; ++drawn) {
        input.deliver(view, static_cast<int32_t>(drawn), secondsPerFrame, touchRadius);
        if (shotPending) {
            view.takeSnapshot();
        }
        if (shotPending || !options.drawShotsOnly) {
            view.drawView();
        } else {
            view.stepView();
        }
        if (shotPending) {
            writeShot();
        }
        shotPending = pictureDue(drawn) && !options.shots.empty();
        if (tutorial != nullptr && options.every > 0 && drawn % options.every == 0) {
            std::printf("frame %6d energy", ZQApplication::frameNumber());
            for (float e : ZQ::gGlobals.cordModel->energy) {
                std::printf(" %.4f", static_cast<double>(e));
            }
            std::printf("\n");
            if (options.positions) {
                printPositions();
            }
        }
    }
    return report();
}

void ScreenRun::printPositions() const {
    // Points from the top-left corner, as the input file gives touches.
    const ZQ::CordModel& cord = *ZQ::gGlobals.cordModel;
    const float scale = view.contentScaleFactor();
    const float h = ZQ::gGlobals.screenSize.y;
    std::printf("frame %6d points", ZQApplication::frameNumber());
    for (int32_t p = 0; p < cord.count; ++p) {
        const PVRTVec2& pixel = cord.screenPositions[p];
        std::printf(" %.1f,%.1f", static_cast<double>(pixel.x / scale),
                    static_cast<double>((h - pixel.y) / scale));
    }
    std::printf("\n");
}

bool ScreenRun::report() const {
    const ZQ::Globals& g = ZQ::gGlobals;
    if (tutorial == nullptr) {
        std::printf("%s %s after %d frames; difficulty %d\n", screenName(options.screen),
                    finished ? "played" : "not over", g.frameCount, g.levelModel->difficulty);
        return finished;
    }
    const ZQ::Preferences& preferences = ZQ::Preferences::shared();
    const bool completed = preferences.userDefaults().boolForKey(ZQ::Preferences::kTutorialCompletedKey) &&
                           preferences.cloudStore().boolForKey(ZQ::Preferences::kTutorialCompletedKey);
    std::printf("tutorial %s after %d frames; completed %s in both stores; tutorial flag %s\n",
                finished ? "played" : "not over", g.frameCount, completed ? "set" : "not set",
                g.tutorialActive ? "set" : "clear");
    return finished && completed && !g.tutorialActive;
}
