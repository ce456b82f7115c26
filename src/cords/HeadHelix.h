#pragma once

#include "cords/HeadAction.h"
#include "engine/PVRTVector.h"

namespace ZQ {

// A 3x3 rotation, applied to a column vector.
struct HeadFrame {
    PVRTVec3 rows[3];

    PVRTVec3 operator*(const PVRTVec3& v) const { return {rows[0].dot(v), rows[1].dot(v), rows[2].dot(v)}; }
};

// Rz(azimuth) x Ry(polar) of d: lays a local point's x and y across d and its
// z along d (the third column is d's unit vector). A zero d, which has no
// direction, gives the identity.
HeadFrame frameFromDirection(const PVRTVec3& d);

// The helical manoeuvres. Each runs a phase from 0 to 1 at its own rate,
// pushes at most once a run and succeeds on the run in which the phase
// reaches 1; the amplitude (how far a helix advances along its axis per
// radian) is 2.

// Roams toward the head's destination along a helix around the line to it,
// its radius shrinking from 8 to 2; ends after 180 runs or on coming within
// 4 units.
class HeadHelixAction : public HeadPhasedAction {
public:
    State start() override;
    State run() override;

protected:
    // One run toward `goal`: the step between two successive helix points.
    State helixToward(const PVRTVec3& goal);
};

// The same helix toward the target head, over 90 runs. Fails at start
// without a target.
class HeadAmbushAction : public HeadHelixAction {
public:
    State start() override;
    State run() override;
};

// Lunges at the target along a unit helix with a strong gain (900 farther
// than 4 units, 30 nearer), every push capped at 200; 60 pushes.
class HeadAttackAction : public HeadPhasedAction {
public:
    State start() override;
    State run() override;

private:
    PVRTVec3 previousPoint;
};

// Winds one turn around the target's face on a spiral shrinking from 8 to 2
// and sinking 2 units back along the target's head direction; heads of even
// and odd strings turn opposite ways. Fails at start without a target.
class HeadWrapAction : public HeadPhasedAction {
public:
    State start() override;
    State run() override;
};

// Circles the head's chosen cord particle once, across the plane of the
// head direction and the cord there. Fails at start without a chosen
// particle.
class HeadGripAction : public HeadPhasedAction {
public:
    State start() override;
    State run() override;

private:
    float radius = 0.0f;
};

} // namespace ZQ
