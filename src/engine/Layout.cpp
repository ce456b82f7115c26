#include "engine/Layout.h"

#include "engine/MathHelpers.h"

#include <cmath>

namespace ZQ {

namespace {

// a reduced into [0, 2π): the remainder after the truncated quotient, plus a
// turn when it is negative.
float positiveTurn(float a) {
    float r = std::fmod(a, kTwoPi);
    if (r < 0.0f) {
        r += kTwoPi;
    }
    return r;
}

float shorterArcStep(float from, float to) {
    const float forward = positiveTurn(to - from);
    const float backward = positiveTurn(from - to);
    return backward < forward ? -backward : forward;
}

} // namespace

Layout Layout::interpolate(const Layout& from, const Layout& to, float t) {
    Layout r;
    r.position = from.position + (to.position - from.position) * t;
    r.angles.x = from.angles.x + shorterArcStep(from.angles.x, to.angles.x) * t;
    r.angles.y = from.angles.y + shorterArcStep(from.angles.y, to.angles.y) * t;
    r.angles.z = from.angles.z + shorterArcStep(from.angles.z, to.angles.z) * t;
    r.scale = from.scale + (to.scale - from.scale) * t;
    r.alpha = from.alpha + (to.alpha - from.alpha) * t;
    r.orientation = PVRTQuaternion();
    quaternionSlerp(r.orientation, from.orientation, to.orientation, t);
    return r;
}

} // namespace ZQ
