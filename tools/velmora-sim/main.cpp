// velmora-sim: plays one catalogue level without a screen. It lays and
// settles the level's cord, brings its energies live at once (in the game
// that waits for the fade-in), steps the frames and reports the per-string
// energies, the centre the camera follows, the almost-solved and solved
// events, and the time a frame takes. With a file of touches and gestures in
// the game's own input format it also plays the touches and swipes through
// the grasp factories, as the game controller does, and reports every grasp
// they make. With --screenshot it draws the level's room into a PNG instead,
// and with --contact-sheet the rooms of every level.
#include "OutputFolder.h"
#include "RoomShot.h"
#include "SimOptions.h"

#include "cords/Cord.h"
#include "cords/CordModel.h"
#include "cords/Grasp.h"
#include "cords/GraspFactoryDriver.h"
#include "cords/GraspModel.h"
#include "engine/Controller.h"
#include "engine/DeviceProfile.h"
#include "engine/EventListener.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"
#include "platform/ZQApplication.h"
#include "platform/ZQInputScript.h"
#include "stage/CameraModel.h"
#include "stage/LightModel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using velmora_sim::SimOptions;
using ScriptEvent = ZQInputScript::Event;

// Counts the cord model's events; the report prints and clears them.
class EventTally : public ZQ::EventListener {
public:
    void onAlmostSolved() override { ++almostSolved; }
    void onSolved() override { ++solved; }
    int almostSolved = 0;
    int solved = 0;
};

// Prints each grasp as the grasp model admits it, with the frame under way.
class GraspReport : public ZQ::EventListener {
public:
    explicit GraspReport(const int32_t& frame) : frame(frame) {}
    void onGrasp(ZQ::Grasp* grasp) override {
        std::printf("frame %6d grasp %d: ", frame, grasp->id);
        if (grasp->getType() == ZQ::Grasp::Drag) {
            const auto* drag = static_cast<const ZQ::DragGrasp*>(grasp);
            const PVRTVec2 at = ZQ::screenProjection(ZQ::gGlobals.cordModel->getParticlePos(drag->particle));
            std::printf("drag particle %d state %d finger (%.1f, %.1f) gap %.1f px\n", drag->particle,
                        drag->dragState, static_cast<double>(drag->touchPoint.x),
                        static_cast<double>(drag->touchPoint.y),
                        static_cast<double>((drag->touchPoint - at).length()));
        } else if (grasp->getType() == ZQ::Grasp::Slide) {
            const auto* slide = static_cast<const ZQ::SlideGrasp*>(grasp);
            std::printf("slide anchor %d sign %+d path %zu particles %d..%d\n", slide->particle, slide->sign,
                        slide->path.size(), slide->path.front(), slide->path.back());
        } else {
            std::printf("rotate\n");
        }
    }

private:
    const int32_t& frame;
};

// A point of the game's screen (points from its top left) as a pixel of this
// screen from its bottom left, where the engine takes touches: the game's
// view and engine turn it so on their screen, here the points are stretched
// over the pixels --screen gives.
PVRTVec2 enginePixel(PVRTVec2 point) {
    const PVRTVec2 screen = ZQ::gGlobals.screenSize;
    const PVRTVec2 points = ZQApplication::kFramePoints;
    return PVRTVec2(point.x * screen.x / points.x, screen.y - point.y * screen.y / points.y);
}

// A touch's radius as the view hands it to the engine; 0 when the line gives
// none, which the grasp factories take for the device's own.
float engineRadius(const ScriptEvent& event) {
    if (!event.hasRadius) {
        return 0.0f;
    }
    return ZQ::DeviceProfile::get().addTouchTolerance ? event.radius + event.tolerance : event.radius;
}

// Stands in for the game controller: scripted touches and swipes go to the
// grasp factories, and its step (run by the frame before the models) is the
// play step that lets a held finger pull. The level is always being played.
// A touch is matched by its point, as in the game, never by its finger; taps
// and double taps press the game's buttons, of which there are none here.
class ScriptController : public ZQ::Controller {
public:
    explicit ScriptController(ZQ::GraspModel& grasps) : driver(grasps) {}
    void setUp() override { driver.setUp(); }
    void tearDown() override { driver.tearDown(); }
    void doStep() override { driver.step(); }

    void deliver(const ScriptEvent& event) {
        const PVRTVec2 point = enginePixel(event.location);
        switch (event.kind) {
        case ScriptEvent::Kind::Began:
            driver.touchBegan(point, engineRadius(event), false);
            break;
        case ScriptEvent::Kind::Moved:
            driver.touchMoved(point, engineRadius(event));
            break;
        case ScriptEvent::Kind::Ended:
            driver.touchEnded(point);
            break;
        case ScriptEvent::Kind::Cancelled:
            driver.touchCancelled(point);
            break;
        case ScriptEvent::Kind::Swipe:
            driver.swipe(point, event.direction);
            break;
        case ScriptEvent::Kind::Tap:
        case ScriptEvent::Kind::DoubleTap:
            break;
        }
    }

private:
    ZQ::GraspFactoryDriver driver;
};

// The models a cord needs, in the engine's model-list order.
struct Stage {
    ZQ::GraspModel grasps;
    ZQ::Fx::ParticleSystem world{ZQ::Fx::kMainWorld};
    ZQ::LevelModel catalogue;
    ZQ::CameraModel camera;
    ZQ::LightModel light;
    ZQ::CordModel cord;
    ScriptController controller{grasps};

    void setUp(const SimOptions& options) {
        ZQ::gGlobals.setScreenSize(static_cast<float>(options.width), static_cast<float>(options.height));
        ZQ::gGlobals.graspModel = &grasps;
        ZQ::gGlobals.particleSystem1 = &world;
        ZQ::gGlobals.levelModel = &catalogue;
        ZQ::gGlobals.cameraModel = &camera;
        ZQ::gGlobals.sceneCamera = &camera;
        ZQ::gGlobals.lightModel = &light;
        ZQ::gGlobals.cordModel = &cord;
        ZQ::gGlobals.models = {&grasps, &world, &catalogue, &camera, &light, &cord};
        for (ZQ::Model* model : ZQ::gGlobals.models) {
            model->setUp();
        }
        controller.setUp();
        ZQ::gGlobals.masterController = &controller;
    }

    void tearDown() {
        ZQ::gGlobals.masterController = nullptr;
        controller.tearDown();
        for (ZQ::Model* model : ZQ::gGlobals.models) {
            model->tearDown();
        }
        ZQ::gGlobals.models.clear();
    }

    // Hands the controller the events frame `frame` is the first to show.
    void deliver(ZQInputScript& script, int32_t frame) {
        for (const ScriptEvent& event : script.take(frame)) {
            std::printf("frame %6d input %s\n", frame, ZQInputScript::describe(event).c_str());
            controller.deliver(event);
        }
    }
};

void printEnergies(const ZQ::CordModel& cord) {
    std::printf(" energy");
    for (float e : cord.energy) {
        std::printf(" %.4f", static_cast<double>(e));
    }
}

void printCentre(const ZQ::CordModel& cord) {
    std::printf("  centre (%.1f, %.1f, %.1f)", static_cast<double>(cord.centre.x),
                static_cast<double>(cord.centre.y), static_cast<double>(cord.centre.z));
}

int run(const SimOptions& options) {
    ZQInputScript script;
    if (!options.script.empty()) {
        std::string error;
        // A script that cannot be read or used fails as the game's --input
        // does; the command line itself was sound.
        if (!script.load(options.script, error)) {
            std::fprintf(stderr, "velmora-sim: %s\n", error.c_str());
            return 1;
        }
        const std::vector<ScriptEvent>& events = script.events();
        if (!events.empty() && ZQInputScript::frameShowing(events.back().frame) >= options.frames) {
            std::fprintf(stderr,
                         "velmora-sim: %s: its last event, at frame %d, comes after the last frame, %d "
                         "(--frames %d steps frames 0 to %d)\n",
                         options.script.c_str(), events.back().frame, options.frames - 1, options.frames,
                         options.frames - 1);
            return 2;
        }
    }

    Stage stage;
    stage.setUp(options);
    if (options.level >= stage.catalogue.levelCount()) {
        std::fprintf(stderr, "velmora-sim: --level %d is past the last level (%d)\n", options.level,
                     stage.catalogue.levelCount() - 1);
        stage.tearDown();
        return 2;
    }
    stage.catalogue.level = options.level;
    const ZQ::LevelModel::Level& level = stage.catalogue.currentLevel();
    EventTally events;
    stage.cord.addListener(&events);
    int32_t frame = 0;
    GraspReport graspReport(frame);
    stage.grasps.addListener(&graspReport);

    const auto laidAt = std::chrono::steady_clock::now();
    stage.cord.loadCord(*level.cord, level.cordSettings());
    stage.cord.measureEnergies();
    const double layMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - laidAt).count();
    std::printf("level %d \"%s\": %d particles in %d strings, %s, laid in %.2f ms\n", options.level,
                level.name.c_str(), stage.cord.count, stage.cord.stringCount(),
                level.cord->settle ? "settled" : "not settled", layMs);
    std::printf("laid        ");
    printEnergies(stage.cord);
    printCentre(stage.cord);
    std::printf("\n");

    // Frames are numbered as the game numbers them, from 0, and take their
    // input as the game's do.
    int firstSolved = -1;
    double windowMs = 0.0;
    int windowFrames = 0;
    for (frame = 0; frame < options.frames; ++frame) {
        stage.deliver(script, frame);
        const auto start = std::chrono::steady_clock::now();
        ZQ::gGlobals.stepFrame();
        windowMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        ++windowFrames;
        if (events.solved > 0 && firstSolved < 0) {
            firstSolved = frame;
            std::printf("frame %6d solved\n", frame);
        }
        if (frame % options.every == 0 || frame == options.frames - 1) {
            std::printf("frame %6d", frame);
            printEnergies(stage.cord);
            printCentre(stage.cord);
            std::printf("  almost-solved %d solved %d  %.3f ms/frame\n", events.almostSolved, events.solved,
                        windowMs / windowFrames);
            events = EventTally();
            windowMs = 0.0;
            windowFrames = 0;
        }
    }
    if (firstSolved >= 0) {
        std::printf("solved at frame %d\n", firstSolved);
    } else {
        std::printf("not solved after %d frames\n", options.frames);
    }
    stage.cord.removeListener(&events);
    stage.grasps.removeListener(&graspReport);
    stage.tearDown();
    return 0;
}

// The level's room, or every level's room as ten thumbnails a row.
int pictures(const SimOptions& options) {
    velmora_sim::RoomShot shot(options.width, options.height);
    if (!shot.ready()) {
        std::fprintf(stderr, "velmora-sim: %s\n", shot.failure().c_str());
        return 1;
    }
    std::string error;
    if (!options.screenshot.empty()) {
        if (options.level >= shot.levelCount()) {
            std::fprintf(stderr, "velmora-sim: --level %d is past the last level (%d)\n", options.level,
                         shot.levelCount() - 1);
            return 2;
        }
        if (!velmora_sim::writePng(options.screenshot, shot.draw(options.level, options.frames, options.hud),
                                   error)) {
            std::fprintf(stderr, "velmora-sim: %s\n", error.c_str());
            return 1;
        }
        std::printf("level %d after %d frames: room and knot written to %s\n", options.level, options.frames,
                    options.screenshot.c_str());
    }
    if (!options.contactSheet.empty()) {
        constexpr int kColumns = 10;
        constexpr int kShrink = 4;
        constexpr int kGap = 4;
        const int count = shot.levelCount();
        const int rows = (count + kColumns - 1) / kColumns;
        const int thumbWidth = options.width / kShrink;
        const int thumbHeight = options.height / kShrink;
        velmora_sim::Picture sheet;
        sheet.width = kColumns * (thumbWidth + kGap) + kGap;
        sheet.height = rows * (thumbHeight + kGap) + kGap;
        sheet.rgba.assign(static_cast<size_t>(sheet.width) * sheet.height * 4, 255);
        for (int level = 0; level < count; ++level) {
            const velmora_sim::Picture thumb = velmora_sim::shrink(shot.draw(level), kShrink);
            const int left = kGap + (level % kColumns) * (thumbWidth + kGap);
            const int top = kGap + (level / kColumns) * (thumbHeight + kGap);
            for (int y = 0; y < thumb.height; ++y) {
                std::copy_n(thumb.rgba.data() + static_cast<size_t>(y) * thumb.width * 4, thumb.width * 4,
                            sheet.rgba.data() + (static_cast<size_t>(top + y) * sheet.width + left) * 4);
            }
        }
        if (!velmora_sim::writePng(options.contactSheet, sheet, error)) {
            std::fprintf(stderr, "velmora-sim: %s\n", error.c_str());
            return 1;
        }
        std::printf("%d rooms written to %s\n", count, options.contactSheet.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    SimOptions options;
    std::string error;
    if (!velmora_sim::parseOptions(args, options, error)) {
        std::fprintf(stderr, "velmora-sim: %s\n%s", error.c_str(), velmora_sim::usageText());
        return 2;
    }
    if (options.help) {
        std::fputs(velmora_sim::usageText(), stdout);
        return 0;
    }
    if (!options.screenshot.empty() || !options.contactSheet.empty()) {
        // Before any frame is drawn: a folder that cannot be made costs nothing.
        if ((!options.screenshot.empty() && !OutputFolder::makeFor("velmora-sim", options.screenshot)) ||
            (!options.contactSheet.empty() && !OutputFolder::makeFor("velmora-sim", options.contactSheet))) {
            return 1;
        }
        return pictures(options);
    }
    return run(options);
}
