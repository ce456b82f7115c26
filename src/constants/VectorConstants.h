#pragma once

#include "engine/PVRTVector.h"

// Unit and zero vectors read everywhere (default positions, offsets, scales).
// They are constant-initialised, so a
// static initialiser in any source file may read them without depending on the
// order in which files are initialised.

namespace ZQ {

inline constexpr PVRTVec2 kVec2One{1.0f, 1.0f};
inline constexpr PVRTVec3 kVec3One{1.0f, 1.0f, 1.0f};
inline constexpr PVRTVec4 kVec4One{1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr PVRTVec2 kVec2Zero{0.0f, 0.0f};
inline constexpr PVRTVec3 kVec3Zero{0.0f, 0.0f, 0.0f};
inline constexpr PVRTVec4 kVec4Zero{0.0f, 0.0f, 0.0f, 0.0f};

} // namespace ZQ
