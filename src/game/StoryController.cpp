#include "game/StoryController.h"

#include "engine/Composite.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/MathHelpers.h"
#include "engine/Model.h"
#include "engine/TweenActions.h"
#include "game/StoryText.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"
#include "overlays/CursorModel.h"
#include "overlays/FlowModel.h"
#include "render/MeshInstance.h"
#include "render/PodBox.h"

#include <cmath>
#include <string>

namespace ZQ {

namespace {

// The prologue fades in, stays 13 seconds and fades out: 450 frames.
constexpr int32_t kPrologueFadeFrames = 30;
constexpr int32_t kPrologueHoldFrames = 390;
// The slate grows into place when the player chose the story, and is simply
// there at the first start, when the story opens the game.
constexpr int32_t kCursorGrowFrames = 60;
constexpr int32_t kCursorTurnFrames = 60;
constexpr int32_t kCursorShrinkFrames = 30;
constexpr int32_t kCursorMaterial = 4;

} // namespace

void StoryController::setUp() {
    listenToModels();
    state = kStart;
    skipAllowed = false;
}

void StoryController::tearDown() {
    stopListeningToModels();
}

void StoryController::doStep() {
    switch (state) {
    case kStart:
        build();
        state = kShowing;
        break;
    case kShowing:
        // Other screens' captions hold the story up as well: it waits for the
        // caption model as a whole.
        if (gGlobals.captionModel->isEmpty()) {
            state = kClosing;
            hideStoryCursor();
        }
        break;
    case kClosing:
        if (gGlobals.cursorModel->isEmpty()) {
            state = kDone;
        }
        break;
    default:
        break;
    }
}

void StoryController::doubleTap(PVRTVec2) {
    if (!skipAllowed || state == kClosing) {
        return;
    }
    gGlobals.cursorModel->hideCursor();
    gGlobals.captionModel->hideAllCaptions();
    gGlobals.flowModel->exitFlow();
}

void StoryController::build() {
    showPrologue();
    showStoryCursor();
    showLines();
}

void StoryController::showPrologue() {
    showCornerCaption("small_prologue", 0, kPrologueFadeFrames, kPrologueHoldFrames);
}

void StoryController::showStoryCursor() {
    const float h = gGlobals.screenSize.y;
    const Layout from = layoutAt(
        PVRTVec3(), PVRTVec3(9.0f * kPi / 4.0f, 5.0f * kPi / 4.0f, 5.0f * kPi / 4.0f), h / 8.0f, 0.1f);
    const Layout to = layoutAt(PVRTVec3(0.0f, 0.0f, 0.5f * h), PVRTVec3(), 0.6f * h, 1.0f);
    MeshInstance* slate = CursorModel::makeCursorMesh(PodBox::kSlate, kCursorMaterial);
    slate->setAction(
        new Sequence({new EasingStaticAction(from, to, easeOutCirc(), skipAllowed ? kCursorGrowFrames : 0),
                      new NopAction()}));
    gGlobals.cursorModel->discs.push_back(slate);
}

void StoryController::showLines() {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    LineSwing swing;
    for (int32_t line = 0; line < kLineCount; ++line) {
        const bool even = line % 2 == 0;
        const float y = (0.9f - 0.08f * static_cast<float>(line)) * h;
        const int32_t letters =
            swing.lay("story", "story_" + std::to_string(line + 1), even ? 2.0f * w : -w, y);
        if (letters > 0) {
            const int32_t last = letters - 1;
            swing.pull(even ? 0 : last, letterSequence(line, true));
            swing.pull(even ? last : 0, letterSequence(line, false));
        }
    }
    swing.start();
}

void StoryController::hideStoryCursor() {
    // The slate may be gone already: a skip fades every cursor in 15 frames,
    // and a caption of another screen can outlive that. The story then ends
    // without it.
    std::list<MeshInstance*>& cursors = gGlobals.cursorModel->discs;
    if (cursors.empty()) {
        return;
    }
    const float h = gGlobals.screenSize.y;
    const Layout turned =
        layoutAt(PVRTVec3(), PVRTVec3(5.0f * kPi / 4.0f, kPi / 4.0f, kPi / 4.0f), h / 8.0f, 1.0f);
    const Layout gone =
        layoutAt(PVRTVec3(), PVRTVec3(3.0f * kPi / 2.0f, kPi / 4.0f, kPi / 2.0f), 0.0125f * h, 0.0f);
    cursors.front()->setAction(
        new Sequence({new EasingLerpAction(turned, easeInCirc(), kCursorTurnFrames),
                      new EasingLerpAction(gone, easeOutCirc(), kCursorShrinkFrames)}));
}

} // namespace ZQ
