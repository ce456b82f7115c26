#pragma once

#include "engine/PVRTMatrix.h"
#include "render/Render.h"

namespace ZQ {

class WallPaperRoomProgram;
struct Layout;

// The room pass, first of the scene passes: draws the back wall, side walls,
// ceiling and floor of both room instances with the room model's box, each
// face lit from the wallpaper textures of its room's buffer. A room the first
// room's back wall hides whole is left out: the depth test would reject all
// of it, but a software rasteriser still pays for every covered pixel.
//
// Owns its WallPaperRoomProgram. Main thread only.
class WallPaperRenderRoom : public Render {
public:
    // Room shadows as the device profile has them.
    WallPaperRenderRoom();
    explicit WallPaperRenderRoom(WallPaperRoomProgram* program);
    void render() override;

    // True when, seen through `camera` (P·V·C), every sight line to the unit
    // box under `behind` crosses the back wall of the unit box under `front`
    // first, that wall lying wholly beyond the near plane: drawn after it
    // with a LESS depth test, the box would leave no pixel. Conservative: any
    // doubt (a corner behind the eye, a wall seen edge on) answers false.
    static bool hiddenBehindBackWall(const PVRTMat4& camera, const PVRTMat4& front, const PVRTMat4& behind);

    // False draws every room whatever hides it: the reference picture.
    bool skipHidden = true;

    // T(p) · Ry · Rx · Rz · S(box x s) for a room of pose `layout` and box size `box`.
    static PVRTMat4 roomModelMatrix(const Layout& layout, const PVRTVec3& box);
    // T(p) · S(s) · S(box x s): the same without its rotations.
    static PVRTMat4 roomScaleMatrix(const Layout& layout, const PVRTVec3& box);
};

} // namespace ZQ
