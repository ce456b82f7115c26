#include "game/TutorialHints.h"

#include "engine/Composite.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/MathHelpers.h"
#include "engine/TweenActions.h"
#include "render/RenderProgram.h"
#include "stage/BalloonModel.h"

#include <cmath>
#include <vector>

namespace ZQ {

namespace {

// A hint starts after its step's lines have swung in.
constexpr int32_t kDelayFrames = 60;
constexpr float kDepth = 0.45f; // of the screen height

struct Pose {
    float x; // pixels
    float y;
    PVRTVec3 angles;
    float scale; // world units
};

Layout layoutOf(const Pose& pose, float alpha) {
    Layout layout;
    layout.position = PVRTVec3(pose.x, pose.y, kDepth * gGlobals.screenSize.y);
    layout.angles = pose.angles;
    layout.scale = pose.scale;
    layout.alpha = alpha;
    return layout;
}

// One keyframe: ease to the pose with this alpha over `frames` frames.
Action* key(int32_t frames, const Pose& pose, float alpha, const Easing* curve) {
    return new EasingAction(layoutOf(pose, alpha), curve, frames);
}

// A new balloon at `start`, invisible, that waits and then loops `keys`.
void addBalloon(const Pose& start, std::vector<Action*> keys) {
    auto* balloon = new BalloonInstance();
    balloon->layout = layoutOf(start, 0.0f);
    balloon->setAction(new Sequence({new WaitAction(kDelayFrames), new Loop(std::move(keys))}));
    gGlobals.balloonModel->addBalloon(balloon);
}

// The flick and the sweep: appear where they start, move, vanish where they end.
std::vector<Action*> stroke(const Pose& from, const Pose& to, int32_t moveFrames) {
    Pose shown = from;
    Pose hidden = from;
    hidden.angles = PVRTVec3(kPi / 2.0f, kPi / 2.0f, 0.0f);
    return {key(1, hidden, 0.0f, easeInCirc()), key(7, shown, 0.9f, easeInCirc()),
            key(moveFrames, to, 0.9f, easeOutCirc()), key(15, to, 0.0f, easeOutCirc())};
}

} // namespace

void TutorialHints::showSlide() {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const Pose start{0.37f * w, 0.47f * h, PVRTVec3(kPi / 2.0f, kPi / 2.0f, 0.0f), 0.75f};
    // Tilted along the flick, which rises a hundredth of the height.
    const float a = kPi / 2.0f + std::atan2(0.00999999f * h, 0.51f * w - 0.37f * w);
    const Pose tilted{start.x, start.y, PVRTVec3(kPi / 2.0f, a, 0.0f), 0.75f};
    const Pose end{0.51f * w, 0.48f * h, tilted.angles, 0.75f};
    addBalloon(start, stroke(tilted, end, 10));
}

void TutorialHints::showDrag() {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const Pose start{0.5f * w, 0.5f * h, PVRTVec3(), 1.0f};
    const Pose pulled{0.4f * w, 0.5f * h, PVRTVec3(kPi / 2.0f, -kPi / 2.0f, 0.0f), 0.75f};
    addBalloon(start, {key(1, start, 0.0f, easeInCirc()), key(7, start, 0.9f, easeInCirc()),
                       key(15, start, 0.9f, easeInCirc()), key(15, pulled, 0.9f, easeOutCirc()),
                       key(15, pulled, 0.0f, easeOutCirc())});
}

float TutorialHints::rotateHeight() {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const PVRTMat4 view = RenderProgram::defaultView();
    const PVRTVec3 near = unprojectPoint(view, 0.5f * w, 0.05f * h, 0.0f);
    const PVRTVec3 far = unprojectPoint(view, 0.5f * w, 0.05f * h, 1.0f);
    const float t = (kDepth * h - near.z) / (far.z - near.z);
    return near.y + t * (far.y - near.y);
}

void TutorialHints::showRotate() {
    const float w = gGlobals.screenSize.x;
    const float y = rotateHeight();
    const PVRTVec3 angles(kPi / 2.0f, kPi / 2.0f, 0.0f);
    const Pose start{0.4f * w, y, angles, 0.75f};
    const Pose end{0.6f * w, y, angles, 0.75f};
    addBalloon(start, stroke(start, end, 15));
}

void TutorialHints::showAttractor() {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const Pose first{0.5f * w, 0.5f * h, PVRTVec3(kPi / 2.0f, 3.0f * kPi / 4.0f, 0.0f), 0.75f};
    const Pose second{0.48f * w, 0.48f * h, PVRTVec3(-kPi / 2.0f, -3.0f * kPi / 4.0f, 0.0f), 0.75f};
    // Each rests where it appears, then is pulled away from the other.
    const auto pullApart = [](const Pose& start, float x, float y) {
        const Pose end{x, y, start.angles, start.scale};
        addBalloon(start, {key(1, start, 0.0f, easeInCirc()), key(7, start, 0.9f, easeInCirc()),
                           key(30, end, 0.9f, easeOutCirc()), key(15, end, 0.0f, easeOutCirc())});
    };
    pullApart(first, 0.6f * w, 0.6f * h);
    pullApart(second, 0.4f * w, 0.4f * h);
}

} // namespace ZQ
