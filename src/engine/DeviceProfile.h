#pragma once

#include <cstdint>

#include "engine/PVRTVector.h"

namespace ZQ {

// Tuning values chosen once from the device the program runs on. Every reader
// asks get() for the same record; it is built on the first call (during static
// initialisation, when the field of view is computed) and never changes.
struct DeviceProfile {
    int32_t frameInterval;   // display-link interval: 2 is 30 frames per second at 60 Hz
    float contentScale;      // pixels per point of the view
    int32_t meshThreads;     // 1: cord meshes on the main thread; 2: half on the mesh worker
    bool addTouchTolerance;  // a touch radius adds the platform's tolerance
    float hudDepth;          // z of interface captions and tiles
    int32_t captionScale;    // scale at which caption bitmaps are drawn
    bool cordShadow;         // shaders get SHADOW_CORD_ON unless the player turned shadows off
    bool roomShadow;         // shaders get SHADOW_ROOM_ON unless the player turned shadows off
    PVRTVec2 biasMinMax;     // shadow-map depth bias (min, max) for u_biasMinMax
    float targetSize;        // edge in pixels of the shadow map and wallpaper targets
    float fovDegrees;        // vertical field of view
    bool sceneMultisample;   // the on-screen target is multisampled
    bool textureMultisample; // off-screen targets are multisampled
    float tubeTextureScale;  // texture coordinate scale along cord tubes
    float touchRadius;       // touch radius in points when the platform gives none

    // The record of this device, from its platform type.
    static const DeviceProfile& get();

    // The row for a device platform type; types without a row of their own
    // (0 for an unrecognised device among them) get the default row.
    static const DeviceProfile& forPlatformType(uint32_t platformType);
};

// Degrees to radians, the product formed in double and stored as a float.
float fieldOfViewRadians(float degrees);

// The profile's field of view in radians, computed on the first call.
const float& fieldOfView();

// The camera's vertical field of view in radians. A reference bound before any
// later static in every file that includes this header, and the value behind
// it is computed on first use, so no static initialiser can read it unset.
inline const float& gFieldOfView = fieldOfView();

} // namespace ZQ
