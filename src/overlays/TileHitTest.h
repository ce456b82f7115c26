#pragma once

#include "engine/PVRTVector.h"

namespace ZQ {

// The overlap of a touch disc with a tile as it appears on screen. A tile is
// hit only when at least one square pixel of the disc lies on it, so the
// scores are areas in square pixels.
namespace TileHitTest {

// The signed angle from u to v (both non-zero), in (-π, π].
float signedAngle(const PVRTVec2& u, const PVRTVec2& v);

// The signed area of the intersection of the disc (o, r) with the triangle
// (o, a, b): positive when a to b turns counter-clockwise about o.
float circleTriangleArea(const PVRTVec2& o, float r, const PVRTVec2& a, const PVRTVec2& b);

// The signed overlap of the disc with the quad q0 q1 q2 q3, split along the
// diagonal q0-q2: positive for a quad seen from the front (counter-clockwise
// on screen), negative from the back.
float quadScore(const PVRTVec2& o, float r, const PVRTVec2 q[4]);

} // namespace TileHitTest

} // namespace ZQ
