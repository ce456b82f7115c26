#include "cords/GrainActions.h"
#include "engine/MathHelpers.h"

#include "cords/RandomUnit.h"
#include "engine/Assert.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

namespace {

GrainEmitter& emitterOf(Cloudlet* target) {
    auto* emitter = dynamic_cast<GrainEmitter*>(target);
    ZQ_ASSERT(emitter != nullptr);
    return *emitter;
}

void copy4(float (&to)[4], const float (&from)[4]) {
    std::copy(from, from + 4, to);
}

} // namespace

GrainScoreEmitAction::GrainScoreEmitAction(int32_t total, float size, const Easing* easing, int32_t frames)
    : total(total), size(size), easing(easing), frames(frames) {
    ZQ_ASSERT(easing != nullptr);
}

Action::State GrainScoreEmitAction::start() {
    // Never more than the emitter can hold, whatever the burst was asked for.
    total = std::clamp(total, 0, emitterOf(target).getMaxCount());
    t = 0.0f;
    step = frames > 0 ? 1.0f / static_cast<float>(frames) : 1.0f;
    return Running;
}

Action::State GrainScoreEmitAction::run() {
    GrainEmitter& emitter = emitterOf(target);
    t += step;
    // A curve that overshoots 1 must not ask for more grains than the burst has.
    const int32_t due = std::min(static_cast<int32_t>(easing->ease(t) * static_cast<float>(total)), total);
    for (int32_t n = due - emitter.getCount(); n > 0; --n) {
        emitter.addGrain(size);
    }
    return t >= 1.0f ? Success : Running;
}

GrainsUpdateAction::GrainsUpdateAction(int32_t frames, float radius, const PVRTVec3& centre, float durationA,
                                       float durationB, float spin, const Easing* easing)
    : frames(frames), radius(radius), centre(centre), durationA(durationA), durationB(durationB),
      spinAngle(spin), easing(easing) {
    ZQ_ASSERT(easing != nullptr);
}

Action::State GrainsUpdateAction::start() {
    processed = 0;
    t = 0.0f;
    step = frames > 0 ? 1.0f / static_cast<float>(frames) : 1.0f;
    return Running;
}

void GrainsUpdateAction::pickUpNewGrains(GrainEmitter& emitter) {
    const float shortest = std::min(durationA, durationB);
    const float longest = std::max(durationA, durationB);
    for (int32_t i = processed; i < emitter.getCount(); ++i) {
        copy4(startPositions[i], emitter.positionsAlpha[i]);
        const float a = randomUnit() * kPi;
        const float b = randomUnit() * kTwoPi;
        const PVRTVec3 p =
            centre + PVRTVec3(std::sin(a) * std::cos(b), std::sin(a) * std::sin(b), std::cos(a)) * radius;
        targets[i][0] = p.x;
        targets[i][1] = p.y;
        targets[i][2] = p.z;
        targets[i][3] = 0.0f;
        durations[i] = shortest + (longest - shortest) * randomUnit();
        elapsed[i] = 0.0f;
    }
    processed = emitter.getCount();
}

Action::State GrainsUpdateAction::run() {
    GrainEmitter& emitter = emitterOf(target);
    const int32_t count = emitter.getCount();
    pickUpNewGrains(emitter);
    t += step;

    bool allArrived = true;
    for (int32_t i = 0; i < count; ++i) {
        if (elapsed[i] >= durations[i]) {
            copy4(emitter.positionsAlpha[i], targets[i]);
        } else {
            allArrived = false;
        }
    }
    if (t > 1.0f && allArrived) {
        // Only emitted grains have targets; the other entries stay zero.
        for (int32_t i = 0; i < count; ++i) {
            copy4(emitter.positionsAlpha[i], targets[i]);
        }
        return Success;
    }

    // Position and alpha together: a grain fades out as it flies.
    for (int32_t i = 0; i < count; ++i) {
        if (elapsed[i] >= durations[i]) {
            continue;
        }
        const float e = easing->ease(elapsed[i] / durations[i]);
        for (int c = 0; c < 4; ++c) {
            emitter.positionsAlpha[i][c] = startPositions[i][c] + (targets[i][c] - startPositions[i][c]) * e;
        }
        elapsed[i] += 1.0f;
    }
    spin(emitter);
    return Running;
}

void GrainsUpdateAction::spin(GrainEmitter& emitter) const {
    // Each grain turns by a random angle below spinAngle about (1, 1, 1):
    // g = g x q with q = (sin h, sin h, sin h, cos h) normalised.
    for (int32_t i = 0; i < emitter.getCount(); ++i) {
        const float h = randomUnit() * spinAngle * 0.5f;
        const float s = std::sin(h);
        const float c = std::cos(h);
        const float qn = std::sqrt(3.0f * s * s + c * c);
        const PVRTVec3 qv = PVRTVec3(s, s, s) / qn;
        const float qw = c / qn;

        float* g = emitter.orientations[i];
        const PVRTVec3 gv(g[0], g[1], g[2]);
        const float gw = g[3];
        PVRTVec3 v = qv * gw + gv * qw + gv.cross(qv);
        float w = gw * qw - gv.dot(qv);
        const float len = std::sqrt(v.lenSqr() + w * w);
        if (len > 0.0f) {
            v /= len;
            w /= len;
        }
        g[0] = v.x;
        g[1] = v.y;
        g[2] = v.z;
        g[3] = w;
    }
}

} // namespace ZQ
