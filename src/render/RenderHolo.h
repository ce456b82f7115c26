#pragma once

#include "engine/PVRTMatrix.h"
#include "render/Render.h"

#include <cstdint>
#include <vector>

namespace ZQ {

class Cloudlet;
class HoloInstance;

// Draws the holograms the hologram model lists, one indexed draw per string:
// string k of the knot of level L in colour entry (L + k) mod 4 of both
// tables, so neighbouring levels show their colours shifted by one. The
// frame draws it among the translucent solids, after the cord; the pass sets
// no blend, cull or depth state of its own, only the front-face winding that
// keeps the tubes' outside through the camera's view, counter-clockwise
// again when done.
//
// Ownership: owns its program (a HoloProgram). Threads: main thread only.
class RenderHolo : public Render {
public:
    static constexpr int32_t kColours = 4;

    RenderHolo();
    void render() override;

    // The table entry of string `string` of a knot of level `level`.
    static int32_t colourEntry(int32_t level, int32_t string);
    // T · Ry · Rx · Rz · S of the hologram's pose, s = layout scale x base
    // scale; the orientation quaternion plays no part.
    static PVRTMat4 modelMatrix(const Cloudlet& hologram);

    // The string colours and the scan band's, entry by entry (four each).
    std::vector<PVRTVec3> colours;
    std::vector<PVRTVec3> scanColours;

private:
    std::vector<Cloudlet*> holograms; // this frame's, reused
};

} // namespace ZQ
