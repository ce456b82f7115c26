#include "overlays/TimerModel.h"

#include "constants/ResourceNames.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/DeviceProfile.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/SoundGateway.h"
#include "engine/TweenActions.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionCollection.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"

namespace ZQ {

namespace {

constexpr float kHudAlpha = 0.75f;
constexpr int32_t kPulseFrames = 6;
constexpr float kPulseScale = 2.5f;
constexpr int32_t kFadeInFrames = 3;

// The number is dropped at once: no fade, the caption model removes it at
// its next step.
void drop(CaptionInstance* caption) {
    ZQ_ASSERT(caption != nullptr);
    caption->setAction(nullptr);
}

} // namespace

void TimerModel::setUp() {
    remaining = 0;
    elapsed = 0;
    idleCounter = 0;
    running = false;
    idleCounting = false;
    timerCaption = nullptr;
}

void TimerModel::show() {
    if (running) {
        return;
    }
    ZQ_ASSERT(gGlobals.captionModel != nullptr && gGlobals.levelModel != nullptr);
    CaptionInstance* hourglass = gGlobals.captionModel->addCaption(ResourceNames::hourglass, new NopAction());
    hourglass->layout.position =
        PVRTVec3(0.1f * gGlobals.screenSize.x, 0.97f * gGlobals.screenSize.y, DeviceProfile::get().hudDepth);
    hourglass->layout.alpha = kHudAlpha;
    // A level of 31 seconds starts on 30: the first second is the level's
    // entrance.
    remaining = gGlobals.levelModel->timeLimit() * kFramesPerSecond - kFramesPerSecond;
    elapsed = 0;
    running = true;
    timerCaption = CaptionCollection::showTimer(remaining);
}

void TimerModel::hide() {
    ZQ_ASSERT(gGlobals.captionModel != nullptr);
    gGlobals.captionModel->hideCaption(ResourceNames::hourglass);
    running = false;
    if (timerCaption != nullptr) {
        drop(timerCaption);
        timerCaption = nullptr;
    }
    idleCounting = false;
}

void TimerModel::doStep() {
    if (paused) {
        return;
    }
    if (running) {
        const int32_t before = remaining;
        --remaining;
        ++elapsed;
        if (before <= 1) {
            remaining = 0;
            running = false;
            notify(&EventListener::onTimeUp);
        }
        // A listener may have hidden the timer without showing it again:
        // then there is no number left to change.
        if (remaining % kFramesPerSecond == 0 && timerCaption != nullptr) {
            if (remaining > kPulseBelow) {
                drop(timerCaption);
                timerCaption = CaptionCollection::showTimer(remaining);
            } else {
                pulse();
            }
        }
    }
    if (idleCounting) {
        ++idleCounter;
        if (idleCounter == kIdleFrames) {
            notify(&EventListener::onIdle);
        }
    }
}

void TimerModel::pulse() {
    SoundGateway::instance()->playConfirm();
    Layout grown = timerCaption->layout;
    grown.scale = kPulseScale;
    grown.alpha = 0.0f;
    timerCaption->setAction(new EasingAction(grown, easeInOutCirc(), kPulseFrames));

    timerCaption = CaptionCollection::showTimer(remaining);
    Layout shown = timerCaption->layout;
    shown.alpha = 1.0f;
    timerCaption->layout.alpha = 0.0f;
    timerCaption->setAction(
        new Sequence({new EasingAction(shown, easeInOutCirc(), kFadeInFrames), new NopAction()}));
}

} // namespace ZQ
