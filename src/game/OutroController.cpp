#include "game/OutroController.h"

#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/DeviceProfile.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/Model.h"
#include "engine/Random.h"
#include "engine/TweenActions.h"
#include "game/StoryText.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"
#include "overlays/FlowModel.h"
#include "overlays/FlowSteps.h"

#include <algorithm>
#include <string>

namespace ZQ {

namespace {

// The background: 60 frames in, 420 held, 60 out; 540 frames, the outro's
// length when nothing else shows a caption.
constexpr int32_t kBackgroundFadeFrames = 60;
constexpr int32_t kBackgroundHoldFrames = 420;
// The epilogue waits half a second, fades in, holds ten seconds and fades out.
constexpr int32_t kEpilogueDelayFrames = 30;
constexpr int32_t kEpilogueFadeFrames = 60;
constexpr int32_t kEpilogueHoldFrames = 300;

// The lines: hang for two seconds, rise into place, are stretched across the
// screen and held, and are pulled off sideways. Every line's wait grows by
// kLineStagger frames as its hold shrinks by as much, so all letters reach
// their last pull at the same frame and the lines leave in a ripple.
constexpr int32_t kHangFrames = 60;
constexpr int32_t kRiseFrames = 60;
constexpr int32_t kPauseFrames = 30;
constexpr int32_t kStretchFrames = 30;
constexpr int32_t kHoldFrames = 300;
constexpr int32_t kLineStagger = 3;
constexpr int32_t kExitFrames = 90;
constexpr int32_t kAnchorFrames = 30;

float lineHeight(int32_t line) {
    return (0.8f - 0.08f * static_cast<float>(line)) * gGlobals.screenSize.y;
}

} // namespace

void OutroController::setUp() {
    listenToModels();
    state = kStart;
}

void OutroController::tearDown() {
    stopListeningToModels();
}

void OutroController::doStep() {
    switch (state) {
    case kStart:
        build();
        state = kShowing;
        break;
    case kShowing:
        if (gGlobals.captionModel->isEmpty()) {
            state = kDone;
        }
        break;
    default:
        break;
    }
}

void OutroController::build() {
    showBackground();
    showEpilogue();
    gGlobals.levelModel->raiseDifficulty();
    showLines();
}

void OutroController::showBackground() {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const Layout hidden = layoutAt(PVRTVec3(0.5f * w, 0.5f * h, DeviceProfile::get().hudDepth - 1.0f),
                                   PVRTVec3(), std::max(w, h), 0.0f);
    Layout shown = hidden;
    shown.alpha = 1.0f;
    // One pixel stretched over the whole screen, just behind the overlays. Its
    // fade starts from the pose set here, at the caption model's next step.
    CaptionInstance* background = gGlobals.captionModel->addCaption(
        "story_bg_1px", new Sequence({new EasingAction(shown, easeInCubic(), kBackgroundFadeFrames),
                                      new WaitAction(kBackgroundHoldFrames),
                                      new EasingAction(hidden, easeInCubic(), kBackgroundFadeFrames)}));
    background->layout = hidden;
}

void OutroController::showEpilogue() {
    showCornerCaption("small_epilogue", kEpilogueDelayFrames, kEpilogueFadeFrames, kEpilogueHoldFrames);
}

float OutroController::exitOffset(uint32_t draw) {
    const float r = 2.0f * (static_cast<float>(draw) / 4294967295.0f) - 1.0f;
    if (r > 0.0f) {
        return 0.1f;
    }
    return r < 0.0f ? -0.1f : 0.0f;
}

Action* OutroController::letterSequence(int32_t line, bool first, float exitY) {
    ZQ_ASSERT(line >= 0 && line < kLineCount);
    const float w = gGlobals.screenSize.x;
    const float y = lineHeight(line);
    const int32_t stagger = kLineStagger * line;
    const bool even = line % 2 == 0;
    // Even lines are pulled out to the right by their last letter, odd ones
    // to the left by their first; the other end is held a moment, then let go.
    Action* last = nullptr;
    if (first) {
        last = even ? static_cast<Action*>(new FlowStopAction(kAnchorFrames))
                    : new FlowMoveAction(kExitFrames, PVRTVec3(-1.5f * w, exitY, 0.0f), easeSmooth());
    } else {
        last = even ? static_cast<Action*>(
                          new FlowMoveAction(kExitFrames, PVRTVec3(2.5f * w, exitY, 0.0f), easeSmooth()))
                    : new FlowStopAction(kAnchorFrames);
    }
    return new Sequence(
        {new WaitAction(kHangFrames),
         new FlowMoveAction(kRiseFrames, PVRTVec3((first ? 0.5f : 0.64f) * w, y, 0.0f), easeSmooth()),
         new WaitAction(kPauseFrames + stagger),
         new FlowMoveAction(kStretchFrames, PVRTVec3(first ? 0.0f : w, y, 0.0f), easeSmooth()),
         new FlowStopAction(kHoldFrames - stagger), last});
}

void OutroController::showLines() {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    LineSwing swing;
    for (int32_t line = 0; line < kLineCount; ++line) {
        const float y = lineHeight(line);
        const int32_t letters =
            swing.lay("outro", "outro_" + std::to_string(line + 1), line % 2 == 0 ? -w : 2.0f * w, 0.1f * y);
        // One draw a line, whether or not the line shows, so the others leave
        // as they would with it.
        const float exitY = y + exitOffset(arc4random()) * h;
        if (letters > 0) {
            swing.pull(0, letterSequence(line, true, exitY));
            swing.pull(letters - 1, letterSequence(line, false, exitY));
        }
    }
    swing.start();
}

} // namespace ZQ
