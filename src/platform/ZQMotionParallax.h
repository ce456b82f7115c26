#pragma once

#include "engine/PVRTVector.h"

#include <optional>

// Tilting the device shifts the camera a little so the room seems deep: the
// attitude of the device becomes the parallax vector of the engine globals,
// refreshed once a display refresh. A desktop has no attitude sensor, so
// there the vector stays (0, 0, 0); the formula is kept for hardware that
// reports an attitude.
//
// Ownership: one per view. Threads: main thread only.
class ZQMotionParallax {
public:
    // An attitude as a unit quaternion (x, y, z, w).
    struct Attitude {
        float x, y, z, w;
    };

    // (2wy - 2xz, -2(wx + yz), 2(x^2 + y^2) - 1): the device's vertical axis
    // seen from the device, so a device lying flat, screen up, gives
    // (0, 0, -1) and no shift. The readers use x and y only.
    static PVRTVec3 parallaxFor(const Attitude& attitude);

    // The player's "no parallax" preference (zr_disable_parallax), to be
    // handed in once the preference store is read; the value given before
    // the first refresh holds for the life of the process, as the preference
    // is read once. Without it the effect is on.
    void useDisableParallaxPreference(bool disabled);

    // One display refresh: writes the engine globals' parallax from the
    // latest attitude, or (0, 0, 0) when there is none, the preference turns
    // the effect off or the desktop asks for reduced motion.
    void motionRefresh(const std::optional<Attitude>& attitude, bool reduceMotion);

private:
    bool disabledPreference = false;
    bool preferenceRead = false;
};
