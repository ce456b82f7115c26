#include "platform/ZQMotionParallax.h"

#include "engine/Globals.h"

PVRTVec3 ZQMotionParallax::parallaxFor(const Attitude& q) {
    return PVRTVec3(2.0f * q.w * q.y - 2.0f * q.x * q.z, -2.0f * (q.w * q.x + q.y * q.z),
                    2.0f * (q.x * q.x + q.y * q.y) - 1.0f);
}

void ZQMotionParallax::useDisableParallaxPreference(bool disabled) {
    if (!preferenceRead) {
        disabledPreference = disabled;
    }
}

void ZQMotionParallax::motionRefresh(const std::optional<Attitude>& attitude, bool reduceMotion) {
    // The preference is fixed at the first refresh: changing it takes effect
    // at the next start.
    preferenceRead = true;
    if (!attitude || disabledPreference || reduceMotion) {
        ZQ::gGlobals.parallax = PVRTVec3();
        return;
    }
    ZQ::gGlobals.parallax = parallaxFor(*attitude);
}
