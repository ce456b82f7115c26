#include "cords/CordFades.h"

#include "cords/BraidActions.h"
#include "cords/BraidModel.h"
#include "cords/CordModel.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/SceneCamera.h"
#include "engine/SoundAction.h"
#include "engine/TweenActions.h"
#include "engine/physics/FxParticleSystem.h"

#include <algorithm>

namespace ZQ {

namespace {

constexpr float kFadeRate = 0.016666668f; // 1/60: each fade takes two seconds
// Fade-in: the cue sounds after one second, the tube starts growing a third
// of a second later.
constexpr int32_t kStringInCue = 30;
constexpr int32_t kGrowDelay = 40;
// Fade-out: a second's pause, the shrink with the cue 40 frames in, and a
// second's pause before the game flow may unload the cord.
constexpr int32_t kOutPause = 30;
constexpr int32_t kStringOutCue = 40;
constexpr int32_t kBraidFadeFrames = 15;
// Braids fly toward the room's corners: the world is 20 units wide.
constexpr float kWorldWidth = 20.0f;

CordInstance& cordInstanceOf(Cloudlet* target) {
    auto* instance = dynamic_cast<CordInstance*>(target);
    ZQ_ASSERT(instance != nullptr);
    return *instance;
}

// One world unit in pixels: the cord mesh's full tube radius.
float fullRadius() {
    ZQ_ASSERT(gGlobals.worldScale > 0.0f);
    return 1.0f / gGlobals.worldScale;
}

float sign(float v) {
    return v > 0.0f ? 1.0f : (v < 0.0f ? -1.0f : 0.0f);
}

} // namespace

Action::State CordFadeInAction::start() {
    progress = 0.0f;
    rate = kFadeRate;
    return Running;
}

Action::State CordFadeInAction::run() {
    CordInstance& cord = cordInstanceOf(target);
    const float r = fullRadius();
    if (progress >= 1.0f) {
        cord.radius = r;
        cord.layout.alpha = 1.0f;
        return Success;
    }
    progress += rate;
    const float e = easeOutElastic()->ease(progress);
    cord.radius = r * e;
    cord.layout.alpha = std::clamp(1.2f * e, 0.0f, 1.0f);
    return Running;
}

Action::State CordFadeOutAction::start() {
    progress = 0.0f;
    rate = kFadeRate;
    easing = easeInElastic();
    return Running;
}

Action::State CordFadeOutAction::run() {
    CordInstance& cord = cordInstanceOf(target);
    const float r = fullRadius();
    if (progress >= 1.0f) {
        cord.radius = 0.0f;
        return Success;
    }
    progress += rate;
    const float e = easing->ease(progress);
    cord.radius = r - r * e;
    cord.layout.alpha = 1.0f - e;
    return Running;
}

void CordModel::fadeIn() {
    instance->setAction(new Sequence({
        new Parallel({
            new Sequence({new WaitAction(kStringInCue), new SoundAction(&ISoundGateway::playStringIn)}),
            new Sequence({
                new WaitAction(kGrowDelay),
                new LambdaAction([](Cloudlet*) {
                    ZQ_ASSERT(gGlobals.sceneCamera != nullptr);
                    gGlobals.sceneCamera->spotPopIn();
                }),
                new CordFadeInAction(),
            }),
        }),
        // The cord is whole: from now on its energies are measured and the
        // solved rule may fire; the heads compare against these first values.
        new LambdaAction([](Cloudlet*) {
            ZQ_ASSERT(gGlobals.cordModel != nullptr);
            gGlobals.cordModel->measureEnergies();
        }),
    }));
}

void CordModel::fadeOut() {
    // Decided now: the level's outcome when it ended, not when the tube is gone.
    Action* exit = solved
                       ? static_cast<Action*>(new LambdaAction([](Cloudlet*) { convertStringsToBraids(); }))
                       : new TauAction(Action::Success);
    instance->setAction(new Sequence({
        new WaitAction(kOutPause),
        new Parallel({
            new Sequence({new CordFadeOutAction(), exit}),
            new Sequence({new WaitAction(kStringOutCue), new SoundAction(&ISoundGateway::playStringOut)}),
        }),
        new WaitAction(kOutPause),
    }));
}

void convertStringsToBraids() {
    ZQ_ASSERT(gGlobals.cordModel != nullptr && gGlobals.braidModel != nullptr);
    ZQ_ASSERT(gGlobals.particleSystem1 != nullptr);
    const std::vector<CordModel::Segment> strings = gGlobals.cordModel->segments;
    const std::vector<Material> materials = gGlobals.cordModel->settings.materials;
    ZQ_ASSERT(materials.size() >= strings.size());
    BraidModel& braids = *gGlobals.braidModel;
    const float height = gGlobals.worldSize.y;

    for (size_t k = 0; k < strings.size(); ++k) {
        // The braid world runs at twice the scale of the main one.
        const PVRTVec3 head = gGlobals.particleSystem1->getPosition(strings[k].first) * 2.0f;
        BraidInstance* braid = braids.addBraid(head, materials[k]);
        const PVRTVec3 corner(kWorldWidth * sign(head.x + 6.0f), height * sign(head.y), head.z);
        braid->setAction(new Sequence({
            new Parallel({
                new FadeInAction(easeInCirc(), kBraidFadeFrames, 1.0f),
                new BraidMoveAction(corner),
            }),
            new FadeOutAction(easeInCirc(), kBraidFadeFrames),
        }));
    }
    braids.prepareWorkers();
}

} // namespace ZQ
