#pragma once

#include "engine/PVRTMatrix.h"
#include "render/Render.h"
#include "render/RoomShadowTiles.h"

namespace ZQ {

class RoomInstance;
class ShadowCasterGrid;
class WallPaperRoomProgram;
struct Layout;

// The room pass, first of the scene passes: draws the back wall, side walls,
// ceiling and floor of both room instances with the room model's box, each
// face lit from the wallpaper textures of its room's buffer. A room the first
// room's back wall hides whole is left out: the depth test would reject all
// of it, but a software rasteriser still pays for every covered pixel.
//
// With room shadows, the screen squares where the shadow filter provably
// meets no caster this frame (RoomShadowTiles, from the shadow-map pass's
// caster grid) are drawn by a second program without the filter, which
// gives those pixels bit for bit; the rest by the filtering one.
//
// Owns its WallPaperRoomProgram and, with room shadows and the fast shader,
// the unfiltered one. Main thread only.
class WallPaperRenderRoom : public Render {
public:
    // Room shadows as the device profile has them.
    WallPaperRenderRoom();
    explicit WallPaperRenderRoom(WallPaperRoomProgram* program);
    ~WallPaperRenderRoom() override;
    // Also finds the shadow-map pass's caster grid in the render-pass list
    // when none was given.
    void setUp() override;
    void tearDown() override;
    void render() override;

    // True when, seen through `camera` (P·V·C), every sight line to the unit
    // box under `behind` crosses the back wall of the unit box under `front`
    // first, that wall lying wholly beyond the near plane: drawn after it
    // with a LESS depth test, the box would leave no pixel. Conservative: any
    // doubt (a corner behind the eye, a wall seen edge on) answers false.
    static bool hiddenBehindBackWall(const PVRTMat4& camera, const PVRTMat4& front, const PVRTMat4& behind);

    // False draws every room whatever hides it: the reference picture.
    bool skipHidden = true;
    // False draws every pixel with the filter: the reference picture.
    bool tileShadows = true;
    // The casters of the shadow map; used only in the frame they were
    // noted in (the map holds them only then). Null: every pixel filtered.
    const ShadowCasterGrid* casters = nullptr;
    // The squares of the last room drawn in squares, for a look.
    RoomShadowTiles tiles;

    // T(p) · Ry · Rx · Rz · S(box x s) for a room of pose `layout` and box size `box`.
    static PVRTMat4 roomModelMatrix(const Layout& layout, const PVRTVec3& box);
    // T(p) · S(s) · S(box x s): the same without its rotations.
    static PVRTMat4 roomScaleMatrix(const Layout& layout, const PVRTVec3& box);

private:
    // One room with `p`: its matrices, then each face, in the rectangles
    // `rects` of kind `filtered` when given, else whole.
    void drawRoom(WallPaperRoomProgram& p, const RoomInstance& instance, const PVRTMat4& model,
                  const PVRTMat4& scale, const std::vector<RoomShadowTiles::Rect>* rects, bool filtered);

    WallPaperRoomProgram* litProgram = nullptr;
};

} // namespace ZQ
