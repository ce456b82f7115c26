#pragma once

#include "engine/PVRTMatrix.h"
#include "render/Render.h"

namespace ZQ {

class WallPaperRoomProgram;
struct Layout;

// The room pass, first of the scene passes: draws the back wall, side walls,
// ceiling and floor of both room instances with the room model's box, each
// face lit from the wallpaper textures of its room's buffer.
//
// Owns its WallPaperRoomProgram. Main thread only.
class WallPaperRenderRoom : public Render {
public:
    // Room shadows as the device profile has them.
    WallPaperRenderRoom();
    explicit WallPaperRenderRoom(WallPaperRoomProgram* program);
    void render() override;

    // T(p) · Ry · Rx · Rz · S(box x s) for a room of pose `layout` and box size `box`.
    static PVRTMat4 roomModelMatrix(const Layout& layout, const PVRTVec3& box);
    // T(p) · S(s) · S(box x s): the same without its rotations.
    static PVRTMat4 roomScaleMatrix(const Layout& layout, const PVRTVec3& box);
};

} // namespace ZQ
