#pragma once

#include "engine/Cloudlet.h"
#include "engine/PVRTVector.h"

#include <cstdint>

namespace ZQ {

struct MeshBuffer;

// One hologram of the level map: a glowing tube model of a level's knot on
// the ring in front of the camera. Its layout is its pose on the ring; of the
// base layout only the scale counts, as the knot's size factor (the pass
// multiplies it into the layout's scale). The fields below the pose are what
// the hologram actions write and the hologram pass uploads.
//
// Ownership: owns its mesh (GL buffer names and the string ranges; the CPU
// arrays exist only while the mesh is built), deleted with the hologram, so
// the hologram must die on the main thread with a current context. Main
// thread only.
class HoloInstance : public Cloudlet {
public:
    explicit HoloInstance(int32_t levelIndex);
    ~HoloInstance() override;

    // The box's height in model space, |last corner y - first corner y|.
    float boxHeight() const;

    MeshBuffer* mesh = nullptr;
    // The knot's box in model space (pixels): corner k takes the maximum x
    // when bit 2 of k is set, y by bit 1, z by bit 0.
    PVRTVec3 corners[8];
    PVRTVec3 noise;            // glitch displacement, zero when calm
    float scannerPhase = 0.0f; // the scan line's height, a fraction of the box's
    int32_t scannerDirection = 1;
    float orbitAngle = 0.0f; // radians on the ring
    int32_t levelIndex;
};

} // namespace ZQ
