#include "overlays/TileHitTest.h"

#include "engine/MathHelpers.h"

#include <algorithm>
#include <cmath>

namespace ZQ::TileHitTest {

namespace {

float cross(const PVRTVec2& u, const PVRTVec2& v) {
    return u.x * v.y - u.y * v.x;
}

float dot(const PVRTVec2& u, const PVRTVec2& v) {
    return u.x * v.x + u.y * v.y;
}

float length(const PVRTVec2& u) {
    return std::sqrt(dot(u, u));
}

float sector(float r, const PVRTVec2& u, const PVRTVec2& v) {
    return 0.5f * r * r * signedAngle(u, v);
}

} // namespace

float signedAngle(const PVRTVec2& u, const PVRTVec2& v) {
    // Rounding can push the sine of nearly parallel vectors past 1, and asin
    // of that is NaN: a tap along a tile's edge would then score NaN.
    const float sine = std::clamp(cross(u, v) / (length(u) * length(v)), -1.0f, 1.0f);
    if (dot(u, v) >= 0.0f) {
        return std::asin(sine);
    }
    return (cross(u, v) >= 0.0f ? kPi : -kPi) - std::asin(sine);
}

float circleTriangleArea(const PVRTVec2& o, float r, const PVRTVec2& a, const PVRTVec2& b) {
    const PVRTVec2 pa = a - o;
    const PVRTVec2 pb = b - o;
    const float da = length(pa);
    const float db = length(pb);
    if (da <= r && db <= r) {
        return 0.5f * cross(pa, pb);
    }
    // Crossings of the segment pa + t (pb - pa), t in [0, 1], with the circle.
    const PVRTVec2 d = pb - pa;
    const float dd = dot(d, d);
    const float half = dot(pa, d);
    const float discriminant = std::max(half * half - dd * (da * da - r * r), 0.0f);
    const float root = std::sqrt(discriminant);
    if (da <= r) {
        // From inside to outside: the exit point.
        const PVRTVec2 exit = pa + d * ((-half + root) / dd);
        return 0.5f * cross(pa, exit) + sector(r, exit, pb);
    }
    if (db <= r) {
        const PVRTVec2 entry = pa + d * ((-half - root) / dd);
        return sector(r, pa, entry) + 0.5f * cross(entry, pb);
    }
    const float nearestT = dd > 0.0f ? -half / dd : 0.0f;
    const PVRTVec2 nearest = pa + d * nearestT;
    if (dd == 0.0f || length(nearest) >= r || nearestT < 0.0f || nearestT > 1.0f) {
        return sector(r, pa, pb);
    }
    const PVRTVec2 entry = pa + d * ((-half - root) / dd);
    const PVRTVec2 exit = pa + d * ((-half + root) / dd);
    return sector(r, pa, entry) + 0.5f * cross(entry, exit) + sector(r, exit, pb);
}

float quadScore(const PVRTVec2& o, float r, const PVRTVec2 q[4]) {
    return circleTriangleArea(o, r, q[2], q[3]) + circleTriangleArea(o, r, q[0], q[2]) +
           circleTriangleArea(o, r, q[3], q[0]) + circleTriangleArea(o, r, q[1], q[2]) +
           circleTriangleArea(o, r, q[0], q[1]) + circleTriangleArea(o, r, q[2], q[0]);
}

} // namespace ZQ::TileHitTest
