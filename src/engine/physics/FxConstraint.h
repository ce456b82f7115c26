#pragma once

#include "engine/PVRTVector.h"

#include <array>
#include <cstdint>

namespace ZQ::Fx {

// A position correction run after each integration. Constraints are handed
// to a ParticleSystem, which owns and deletes them. Particle indices are
// trusted: their creators pass only particles of the world they join.
class Constraint {
public:
    virtual ~Constraint() = default;
    virtual void satisfy(PVRTVec3* positions, int count) = 0;
};

// Keeps particles i and j at least `minimum` apart; never pulls them together.
class DistanceConstraint final : public Constraint {
public:
    DistanceConstraint(int32_t i, int32_t j, float minimum) : i(i), j(j), minimum(minimum) {}
    void satisfy(PVRTVec3* positions, int count) override;

    const int32_t i;
    const int32_t j;
    const float minimum;
};

// Holds particles i and j at `rest` apart, each taking half of the error.
class LinkConstraint final : public Constraint {
public:
    LinkConstraint(int32_t i, int32_t j, float rest) : i(i), j(j), rest(rest) {}
    void satisfy(PVRTVec3* positions, int count) override;

    const int32_t i;
    const int32_t j;
    const float rest;
};

// Pins particle i to a point.
class FixConstraint final : public Constraint {
public:
    FixConstraint(int32_t i, const PVRTVec3& position) : i(i), position(position) {}
    void satisfy(PVRTVec3* positions, int count) override;

    const int32_t i;
    const PVRTVec3 position;
};

// Keeps particle i 1.5 units inside an axis-aligned box. The box is given as
// its eight corners (see boxCorners for their order); only the first
// (minimum) and the last (maximum) are read.
class BoundConstraint final : public Constraint {
public:
    using Corners = std::array<PVRTVec3, 8>;

    BoundConstraint(int32_t i, const Corners& corners) : i(i), corners(corners) {}
    void satisfy(PVRTVec3* positions, int count) override;

    // Corner k takes x from hi when bit 2 of k is set, y when bit 1 is, z when
    // bit 0 is, and from lo otherwise: corner 0 is lo, corner 7 is hi.
    static Corners boxCorners(const PVRTVec3& lo, const PVRTVec3& hi);

    // The box the particle is held in: the given one shrunk by the margin.
    PVRTVec3 insetLow() const;
    PVRTVec3 insetHigh() const;

    static constexpr float kMargin = 1.5f;

    const int32_t i;
    const Corners corners;
};

// The bodies are here so the particle system's passes can inline them: a
// tight world runs tens of thousands of them a frame.

namespace detail {

// Moves i and j along their join, each by half of (d - target). Two
// particles at the same point have no join to move along: dividing by d = 0
// would write NaN into both, and the links would carry it along the whole
// cord, so a coincident pair is left for the forces to separate.
inline void halveError(PVRTVec3* p, int32_t i, int32_t j, const PVRTVec3& delta, float d, float target) {
    const float k = (d - target) * 0.5f / d;
    const PVRTVec3 shift = delta * k;
    p[i] = p[i] - shift;
    p[j] = p[j] + shift;
}

// The IEEE maxNum and minNum rules: when one operand is not a number, the
// other is the result. Written out because the library calls were a sixth of
// a cord's constraint time.
inline float maxNum(float a, float b) {
    return (a > b || b != b) ? a : b;
}
inline float minNum(float a, float b) {
    return (a < b || b != b) ? a : b;
}

// Pushes i and j apart to `minimum` when they are closer, unless coincident.
inline void keepApart(PVRTVec3* p, int32_t i, int32_t j, float minimum) {
    const PVRTVec3 delta = p[i] - p[j];
    const float d = delta.length();
    if (d < minimum && d != 0.0f) {
        halveError(p, i, j, delta, d, minimum);
    }
}

// Moves i and j to `rest` apart, unless coincident.
inline void link(PVRTVec3* p, int32_t i, int32_t j, float rest) {
    const PVRTVec3 delta = p[i] - p[j];
    const float d = delta.length();
    if (d != 0.0f) {
        halveError(p, i, j, delta, d, rest);
    }
}

// Clamps into [lo, hi] per axis, lo first. A coordinate that is not a number
// becomes lo, which puts a runaway particle back into the room; where lo
// exceeds hi, hi wins.
inline void clampInto(PVRTVec3& p, const PVRTVec3& lo, const PVRTVec3& hi) {
    p.x = minNum(maxNum(p.x, lo.x), hi.x);
    p.y = minNum(maxNum(p.y, lo.y), hi.y);
    p.z = minNum(maxNum(p.z, lo.z), hi.z);
}

} // namespace detail

inline void DistanceConstraint::satisfy(PVRTVec3* positions, int /*count*/) {
    detail::keepApart(positions, i, j, minimum);
}

inline void LinkConstraint::satisfy(PVRTVec3* positions, int /*count*/) {
    detail::link(positions, i, j, rest);
}

inline void FixConstraint::satisfy(PVRTVec3* positions, int /*count*/) {
    positions[i] = position;
}

inline PVRTVec3 BoundConstraint::insetLow() const {
    return {corners[0].x + kMargin, corners[0].y + kMargin, corners[0].z + kMargin};
}

inline PVRTVec3 BoundConstraint::insetHigh() const {
    return {corners[7].x - kMargin, corners[7].y - kMargin, corners[7].z - kMargin};
}

inline void BoundConstraint::satisfy(PVRTVec3* positions, int /*count*/) {
    detail::clampInto(positions[i], insetLow(), insetHigh());
}

} // namespace ZQ::Fx
