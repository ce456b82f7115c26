#pragma once

#include "cords/GrainEmitter.h"
#include "engine/Action.h"
#include "engine/Easing.h"
#include "engine/PVRTVector.h"

#include <cstdint>

namespace ZQ {

// Emits a burst's grains over a number of frames, at the rate an easing curve
// sets: after run k the emitter holds trunc(ease(k / frames) x total) grains,
// each appearing on a sphere of radius `size` around the emitter. Succeeds in
// the run where its clock reaches 1. Its target is the GrainEmitter.
class GrainScoreEmitAction : public Action {
public:
    // total is limited to the emitter's maxCount when the action starts.
    GrainScoreEmitAction(int32_t total, float size, const Easing* easing, int32_t frames);

    State start() override;
    State run() override;

private:
    int32_t total = 0;
    float size = 0.0f;
    const Easing* easing = nullptr; // shared preset
    float t = 0.0f;
    float step = 0.0f;
    int32_t frames = 0;
};

// Flies every emitted grain from where it appeared to a random point of a
// sphere around `centre`, fading to alpha 0 on an easing curve, each grain
// over its own random duration, and spins every grain a little each frame.
// Succeeds once its own clock has passed 1 and every grain has arrived. Its
// target is the GrainEmitter.
class GrainsUpdateAction : public Action {
public:
    // durationA and durationB bound the per-grain durations in frames, in
    // either order.
    GrainsUpdateAction(int32_t frames, float radius, const PVRTVec3& centre, float durationA, float durationB,
                       float spin, const Easing* easing);

    State start() override;
    State run() override;

private:
    void pickUpNewGrains(GrainEmitter& emitter);
    void spin(GrainEmitter& emitter) const;

    static constexpr int32_t kMax = GrainEmitter::kMaxGrains;

    float startPositions[kMax][4] = {};
    float durations[kMax] = {};
    float elapsed[kMax] = {};
    float targets[kMax][4] = {};
    float t = 0.0f;
    float step = 0.0f;
    int32_t frames = 0;
    float radius = 0.0f;
    PVRTVec3 centre;
    float durationA = 0.0f;
    float durationB = 0.0f;
    float spinAngle = 0.0f; // radians; each frame's turn is a random part of it
    int32_t processed = 0;
    const Easing* easing = nullptr; // shared preset
};

} // namespace ZQ
