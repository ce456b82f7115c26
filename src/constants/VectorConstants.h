#pragma once

#include "engine/PVRTVector.h"

// Unit and zero vectors read everywhere (default positions, offsets, scales)
// and the camera's field of view. The vectors are constant-initialised, so a
// static initialiser in any source file may read them without depending on the
// order in which files are initialised.

namespace ZQ {

inline constexpr PVRTVec2 kVec2One{1.0f, 1.0f};
inline constexpr PVRTVec3 kVec3One{1.0f, 1.0f, 1.0f};
inline constexpr PVRTVec4 kVec4One{1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr PVRTVec2 kVec2Zero{0.0f, 0.0f};
inline constexpr PVRTVec3 kVec3Zero{0.0f, 0.0f, 0.0f};
inline constexpr PVRTVec4 kVec4Zero{0.0f, 0.0f, 0.0f, 0.0f};

// Degrees to radians, the product formed in double and stored as a float.
float fieldOfViewRadians(float degrees);

// The device profile's field of view in radians, computed on the first call.
const float& fieldOfView();

// The camera's vertical field of view in radians. A reference bound before any
// later static in every file that includes this header, and the value behind
// it is computed on first use, so no static initialiser can read it unset.
inline const float& gFieldOfView = fieldOfView();

} // namespace ZQ
