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
    DistanceConstraint(int32_t ai, int32_t aj, float aMinimum) : i(ai), j(aj), minimum(aMinimum) {}
    void satisfy(PVRTVec3* positions, int count) override;

    const int32_t i;
    const int32_t j;
    const float minimum;
};

// Holds particles i and j at `rest` apart, each taking half of the error.
class LinkConstraint final : public Constraint {
public:
    LinkConstraint(int32_t ai, int32_t aj, float aRest) : i(ai), j(aj), rest(aRest) {}
    void satisfy(PVRTVec3* positions, int count) override;

    const int32_t i;
    const int32_t j;
    const float rest;
};

// Pins particle i to a point.
class FixConstraint final : public Constraint {
public:
    FixConstraint(int32_t ai, const PVRTVec3& aPosition) : i(ai), position(aPosition) {}
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

    BoundConstraint(int32_t ai, const Corners& aCorners) : i(ai), corners(aCorners) {}
    void satisfy(PVRTVec3* positions, int count) override;

    // Corner k takes x from hi when bit 2 of k is set, y when bit 1 is, z when
    // bit 0 is, and from lo otherwise: corner 0 is lo, corner 7 is hi.
    static Corners boxCorners(const PVRTVec3& lo, const PVRTVec3& hi);

    static constexpr float MARGIN = 1.5f;

    const int32_t i;
    const Corners corners;
};

} // namespace ZQ::Fx
