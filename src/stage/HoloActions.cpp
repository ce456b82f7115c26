#include "stage/HoloActions.h"

#include "cords/RandomUnit.h"
#include "engine/Assert.h"
#include "engine/EasingPresets.h"
#include "engine/Random.h"
#include "stage/HoloInstance.h"
#include "stage/HoloModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ZQ {

namespace {

constexpr float kTwoPi = static_cast<float>(2.0 * std::numbers::pi);
// The burst of a fade-in and the swell of a fade-out, in pixels along x.
constexpr float kNoiseBurst = 100.0f;
constexpr int32_t kFadeInFrames = 30;
// Where a glitch may wait for the scan line.
constexpr float kSyncPhase = 0.9f;
// Where the scan line ends a fade-out: below the knot.
constexpr float kFadeOutPhase = -1.0f;

HoloInstance& hologramOf(Cloudlet* target) {
    ZQ_ASSERT(target != nullptr);
    return *static_cast<HoloInstance*>(target);
}

// 1 / frames; a duration of no frames ends on the first run.
float stepFor(int32_t frames) {
    return frames > 0 ? 1.0f / static_cast<float>(frames) : 1.0f;
}

} // namespace

HoloScannerAction::HoloScannerAction(int32_t frames) : frames(frames) {}

Action::State HoloScannerAction::start() {
    phase = hologramOf(target).scannerPhase;
    step = stepFor(frames);
    return Running;
}

Action::State HoloScannerAction::run() {
    HoloInstance& h = hologramOf(target);
    if (phase >= 0.0f && phase <= 1.0f) {
        h.scannerPhase = phase;
        phase += step * static_cast<float>(h.scannerDirection);
        return Running;
    }
    h.scannerPhase = std::clamp(h.scannerPhase, 0.0f, 1.0f);
    h.scannerDirection = phase >= 0.5f ? -1 : 1;
    return Success;
}

HoloGlitchAction::HoloGlitchAction(int32_t minFrames, int32_t maxFrames, float minAmplitude,
                                   float maxAmplitude)
    : minFrames(minFrames), maxFrames(maxFrames), minAmplitude(minAmplitude), maxAmplitude(maxAmplitude) {
    ZQ_ASSERT(minFrames > 0 && maxFrames >= minFrames - 1);
}

Action::State HoloGlitchAction::start() {
    t = 0.0f;
    // min .. max + 1 frames, as the random waits draw them.
    const auto span = static_cast<uint32_t>(maxFrames - minFrames + 2);
    const auto frames = static_cast<int32_t>(static_cast<uint32_t>(minFrames) + arc4random() % span);
    step = stepFor(frames);
    amplitude = minAmplitude + (maxAmplitude - minAmplitude) * randomUnit();
    const float angle = kTwoPi * randomUnit();
    direction = PVRTVec3(std::cos(angle), std::sin(angle), 0.0f);
    return Running;
}

Action::State HoloGlitchAction::run() {
    HoloInstance& h = hologramOf(target);
    if (t >= 1.0f) {
        h.noise = PVRTVec3();
        return Success;
    }
    h.noise = direction * amplitude;
    t += step;
    return Running;
}

Action::State HoloSyncAction::start() {
    waits = randomUnit() < 0.5f;
    return Running;
}

Action::State HoloSyncAction::run() {
    const float phase = hologramOf(target).scannerPhase;
    return (!waits || phase >= kSyncPhase) && phase <= 1.0f ? Success : Running;
}

Action::State HoloFadeInAction::start() {
    t = 0.0f;
    step = stepFor(kFadeInFrames);
    return Running;
}

Action::State HoloFadeInAction::run() {
    HoloInstance& h = hologramOf(target);
    if (t >= 1.0f) {
        h.noise = PVRTVec3();
        h.layout.alpha = 1.0f;
        return Success;
    }
    t += step;
    const float e = easeInExpo()->ease(t);
    h.noise = PVRTVec3(kNoiseBurst, 0.0f, 0.0f) + (PVRTVec3() - PVRTVec3(kNoiseBurst, 0.0f, 0.0f)) * e;
    return Running;
}

HoloFadeOutAction::HoloFadeOutAction(int32_t frames) : frames(frames) {}

Action::State HoloFadeOutAction::start() {
    step = stepFor(frames);
    t = 0.0f;
    startPhase = hologramOf(target).scannerPhase;
    return Running;
}

Action::State HoloFadeOutAction::run() {
    HoloInstance& h = hologramOf(target);
    if (t >= 1.0f) {
        h.layout.alpha = 0.0f;
        return Success;
    }
    t += step;
    const float e = easeInElastic()->ease(t);
    h.noise = PVRTVec3(kNoiseBurst, 0.0f, 0.0f) * e;
    // Linear in t: the line drops steadily while the noise winds up.
    h.scannerPhase = startPhase + (kFadeOutPhase - startPhase) * t;
    return Running;
}

HoloRotateCenterAction::HoloRotateCenterAction(float fromAngle, float toAngle, int32_t frames)
    : fromAngle(fromAngle), toAngle(toAngle), frames(frames) {}

Action::State HoloRotateCenterAction::start() {
    t = 0.0f;
    previousT = 0.0f;
    step = stepFor(frames);
    return Running;
}

Action::State HoloRotateCenterAction::run() {
    HoloInstance& h = hologramOf(target);
    const Easing* curve = easeOutQuad();
    const float a = fromAngle + (toAngle - fromAngle) * curve->ease(t);
    h.orbitAngle = a;
    Layout now;
    HoloModel::placeOnOrbit(now, a);
    Layout before;
    HoloModel::placeOnOrbit(before, fromAngle + (toAngle - fromAngle) * curve->ease(previousT));
    // The turn gained since the last run (the spin) rides on the ring's
    // orientation at the new angle.
    const PVRTVec3 angles = now.angles + (h.layout.angles - before.angles);
    h.layout = now;
    h.layout.angles = angles;
    previousT = t;
    const float next = t + step;
    t = std::min(next, 1.0f);
    return next >= 1.0f ? Success : Running;
}

} // namespace ZQ
