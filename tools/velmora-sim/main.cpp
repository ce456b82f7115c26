// velmora-sim: plays one catalogue level without a screen. It lays and
// settles the level's cord, brings its energies live at once (in the game
// that waits for the fade-in), steps the frames and reports the per-string
// energies, the centre the camera follows, the almost-solved and solved
// events, and the time a frame takes.
#include "SimOptions.h"

#include "cords/Cord.h"
#include "cords/CordModel.h"
#include "engine/EventListener.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"
#include "stage/CameraModel.h"
#include "stage/LightModel.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using velmora_sim::SimOptions;

// Counts the cord model's events; the report prints and clears them.
class EventTally : public ZQ::EventListener {
public:
    void onAlmostSolved() override { ++almostSolved; }
    void onSolved() override { ++solved; }
    int almostSolved = 0;
    int solved = 0;
};

// The models a cord needs, in the engine's model-list order.
struct Stage {
    ZQ::Fx::ParticleSystem world{ZQ::Fx::MAIN_WORLD};
    ZQ::LevelModel catalogue;
    ZQ::CameraModel camera;
    ZQ::LightModel light;
    ZQ::CordModel cord;

    void setUp(const SimOptions& options) {
        ZQ::gGlobals.setScreenSize(static_cast<float>(options.width), static_cast<float>(options.height));
        ZQ::gGlobals.particleSystem1 = &world;
        ZQ::gGlobals.levelModel = &catalogue;
        ZQ::gGlobals.cameraModel = &camera;
        ZQ::gGlobals.lightModel = &light;
        ZQ::gGlobals.cordModel = &cord;
        ZQ::gGlobals.models = {&world, &catalogue, &camera, &light, &cord};
        for (ZQ::Model* model : ZQ::gGlobals.models) {
            model->setUp();
        }
    }

    void tearDown() {
        for (ZQ::Model* model : ZQ::gGlobals.models) {
            model->tearDown();
        }
        ZQ::gGlobals.models.clear();
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

    const auto laidAt = std::chrono::steady_clock::now();
    stage.cord.loadCord(*level.cord);
    stage.cord.measureEnergies();
    const double layMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - laidAt).count();
    std::printf("level %d \"%s\": %d particles in %d strings, %s, laid in %.2f ms\n", options.level,
                level.name.c_str(), stage.cord.count, stage.cord.stringCount(),
                level.cord->settle ? "settled" : "not settled", layMs);
    std::printf("frame %6d", 0);
    printEnergies(stage.cord);
    printCentre(stage.cord);
    std::printf("\n");

    int firstSolved = -1;
    double windowMs = 0.0;
    int windowFrames = 0;
    for (int f = 1; f <= options.frames; ++f) {
        const auto start = std::chrono::steady_clock::now();
        ZQ::gGlobals.stepFrame();
        windowMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        ++windowFrames;
        if (events.solved > 0 && firstSolved < 0) {
            firstSolved = f;
            std::printf("frame %6d solved\n", f);
        }
        if (f % options.every == 0 || f == options.frames) {
            std::printf("frame %6d", f);
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
    stage.tearDown();
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
    return run(options);
}
