#pragma once

#include "engine/PVRTVector.h"

#include <cstdint>

namespace ZQ::Fx {

// Adds to the accelerations of a substep, before integration. Forces are
// handed to a ParticleSystem, which owns and deletes them. Particle indices
// are trusted, as for constraints.
class Force {
public:
    virtual ~Force() = default;
    virtual void apply(PVRTVec3* positions, PVRTVec3* oldPositions, PVRTVec3* accelerations) = 0;
};

// Pushes i and j apart while they are closer than `rest`. The gain 900 is
// 1/dt² of the 1/30 s step: alone, it moves each particle by half the overlap
// in one substep. Made by the particle system's pair test only.
class CollisionForce final : public Force {
public:
    CollisionForce(int32_t i, int32_t j, float rest) : i(i), j(j), rest(rest) {}
    void apply(PVRTVec3* positions, PVRTVec3* oldPositions, PVRTVec3* accelerations) override;

    static constexpr float kGain = 900.0f;

    const int32_t i;
    const int32_t j;
    const float rest;
};

// Drags particle i against its last displacement, capped at unit length,
// scaled by the friction coefficient mu of the world that made it. Made by the
// particle system's pair test only, one per particle of a touching pair.
class FrictionForce final : public Force {
public:
    FrictionForce(int32_t i, float mu) : i(i), mu(mu) {}
    void apply(PVRTVec3* positions, PVRTVec3* oldPositions, PVRTVec3* accelerations) override;

    // The acceleration change for a particle that moved by `moved` in its last
    // step, with friction coefficient mu. A world applying its contacts works
    // it out once per particle, with the coefficient read once per substep.
    static PVRTVec3 drag(const PVRTVec3& moved, float mu);

    const int32_t i;
    const float mu;
};

// A fixed push on particle i: grasps, creatures, braids and letters move
// through these.
class ConstantForce final : public Force {
public:
    ConstantForce(int32_t i, const PVRTVec3& force) : i(i), force(force) {}
    void apply(PVRTVec3* positions, PVRTVec3* oldPositions, PVRTVec3* accelerations) override;

    const int32_t i;
    const PVRTVec3 force;
};

// Pulls particle i down (-y) at 10 units/s².
class GravityForce final : public Force {
public:
    explicit GravityForce(int32_t i) : i(i) {}
    void apply(PVRTVec3* positions, PVRTVec3* oldPositions, PVRTVec3* accelerations) override;

    static constexpr float kGravity = 10.0f;

    const int32_t i;
};

// The pair test makes thousands of these a substep: the bodies are here so
// the particle system can inline them.

// F = delta * ((d - rest) * 0.5 / d) * 900, taken from i and given to j.
// Coincident particles have no direction to be pushed along; dividing by
// d = 0 would poison both accelerations with NaN, so the pair gets no push
// this substep and the other forces (or the next collision) part them.
inline void CollisionForce::apply(PVRTVec3* positions, PVRTVec3* /*oldPositions*/, PVRTVec3* accelerations) {
    const PVRTVec3 delta = positions[i] - positions[j];
    const float d = delta.length();
    if (d == 0.0f) {
        return;
    }
    const PVRTVec3 f = delta * ((d - rest) * 0.5f / d) * kGain;
    accelerations[i] = accelerations[i] - f;
    accelerations[j] = accelerations[j] + f;
}

inline PVRTVec3 FrictionForce::drag(const PVRTVec3& moved, float mu) {
    PVRTVec3 v = moved;
    const float l = v.length();
    if (l > 1.0f) {
        v = v / l;
    }
    return -(v * mu);
}

} // namespace ZQ::Fx
