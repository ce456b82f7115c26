#include "stage/HoloModel.h"

#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/Decorators.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/RotateActions.h"
#include "engine/SoundGateway.h"
#include "engine/TweenActions.h"
#include "levels/LevelModel.h"
#include "stage/HoloActions.h"
#include "stage/HoloInstance.h"
#include "stage/HoloOverlays.h"

#include <algorithm>
#include <numbers>

// The hologram animations, assembled from the action library and the
// hologram actions.

namespace ZQ {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr float kSpin = static_cast<float>(std::numbers::pi / 60.0);

constexpr int32_t kSweepFrames = 60; // one scan sweep, bottom to top
constexpr int32_t kFastSweepFrames = 30;
constexpr int32_t kEnterFrames = 30; // fade-in, and a change's glide
constexpr int32_t kChosenFrames = 60;
constexpr int32_t kOthersOutFrames = 30;
// Pauses between two idle glitches, and their lengths.
constexpr int32_t kGlitchWaitMin = 15;
constexpr int32_t kGlitchWaitMax = 30;
constexpr int32_t kGlitchMin = 15;
constexpr int32_t kIdleGlitchMax = 30;
constexpr int32_t kChangeGlitchMax = 29;

float screenWidth() {
    return gGlobals.screenSize.x;
}

// A glitch as wide as W/150 to W/35.
Action* glitch(int32_t maxFrames) {
    return new HoloGlitchAction(kGlitchMin, maxFrames, screenWidth() / 150.0f, screenWidth() / 35.0f);
}

// The scan alone, never ending: what every hologram but the front one runs
// once it has arrived.
Action* scanOnly() {
    return new Loop({new Parallel({HoloModel::scannerAction()})});
}

} // namespace

Action* HoloModel::scannerAction() {
    return new Loop({new HoloScannerAction(kSweepFrames)});
}

Action* HoloModel::idleAction() {
    return new Loop({new Parallel({
        new RotateAction(PVRTVec3(0.0f, kSpin, 0.0f)),
        new Loop({new RandomWaitAction(kGlitchWaitMin, kGlitchWaitMax), new HoloSyncAction(),
                  glitch(kIdleGlitchMax)}),
        scannerAction(),
    })});
}

Action* HoloModel::fadeInAction(int32_t slot) {
    Layout to;
    placeOnOrbit(to, slotAngle(slot));
    to.angles.y += kPi;
    Layout from = to;
    from.alpha = 0.0f;
    // The easing and the fade-in may end on the same frame: the fade-in is
    // ticked after the easing, so its alpha of 1 is the one that stays.
    return new Sequence({
        new Parallel({
            new EasingStaticAction(from, to, easeOutExpo(), kEnterFrames),
            new HoloFadeInAction(),
            new Limit(kEnterFrames, new Loop({new HoloScannerAction(kFastSweepFrames)})),
        }),
        scanOnly(),
    });
}

void HoloModel::changeAction(HoloModel* model) {
    ZQ_ASSERT(model != nullptr);
    model->createInstance(false);
    for (int32_t j = -2; j <= 2; ++j) {
        const int32_t i = model->current + j;
        if (i < 0 || i >= model->count) {
            continue;
        }
        HoloInstance* h = model->instances[static_cast<std::size_t>(i)];
        ZQ_ASSERT(h != nullptr);
        Action* rotate = new HoloRotateCenterAction(h->orbitAngle, slotAngle(j + 2), kEnterFrames);
        Action* tree = new Sequence({
            new Parallel(
                {rotate, new Limit(kEnterFrames, new Parallel({glitch(kChangeGlitchMax), scannerAction()}))}),
            j == 0 ? idleAction() : scanOnly(),
        });
        h->setAction(tree);
    }
    if (model->overlays != nullptr) {
        model->overlays->updateHoloName(model->current);
    }
}

void HoloModel::fadeOutAction(HoloModel* model) {
    ZQ_ASSERT(model != nullptr && gGlobals.levelModel != nullptr);
    ISoundGateway* sound = SoundGateway::instance();
    sound->playButton();
    const bool chosen = gGlobals.levelModel->chooseLevel(model->current);
    ZQ_ASSERT(chosen);
    sound->pauseMusic();
    sound->playIgnition17();

    // Steps still pending would move the ring after the choice: the level
    // cursor would no longer name the hologram in front, and the change's
    // endless trees would replace the fades the map waits on.
    model->pendingNext = 0;
    model->pendingPrevious = 0;

    const auto shown = std::min(static_cast<std::size_t>(std::max(model->count, 0)), model->instances.size());
    for (std::size_t i = 0; i < shown; ++i) {
        HoloInstance* h = model->instances[i];
        if (h == nullptr) {
            continue;
        }
        if (h->layout.alpha == 0.0f) {
            // Unseen at the back: gone in the next step.
            h->setAction(nullptr);
            continue;
        }
        if (static_cast<int32_t>(i) == model->current) {
            Layout away = h->layout;
            away.angles.y -= kPi;
            away.alpha = 0.0f;
            h->setAction(new Parallel({new EasingAction(away, easeInElastic(), kChosenFrames),
                                       new HoloFadeOutAction(kChosenFrames)}));
        } else {
            h->setAction(new FadeOutAction(easeSmooth(), kOthersOutFrames));
        }
    }
    if (model->overlays != nullptr) {
        model->overlays->moveHoloLines();
        model->overlays->hideCursor();
    }
}

} // namespace ZQ
