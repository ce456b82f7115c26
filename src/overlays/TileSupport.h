#pragma once

#include "engine/Layout.h"
#include "engine/PVRTMatrix.h"
#include "engine/PVRTVector.h"

#include <functional>

namespace ZQ {

class TileInstance;

// The weighted box layout of a tile tree and the overlay camera the tiles
// are seen through. The camera looks at the screen centred, from one screen
// height away with the one-unit offset of every program's default view:
// P . K . V, V a translation by (-W/2, -H/2, -H), K by (0, 0, -1), P the
// scene perspective (near 1.5, far 3H). The layout, the tap test and the
// tile pass share it, so a tile is tapped where it is drawn.
namespace TileSupport {

// Calls fn on every leaf, depth first, children in order. A container
// without children counts as a leaf.
void visit(TileInstance* root, const std::function<void(TileInstance*)>& fn);

// Cuts the unit rectangle (x, y, w, h) (y down from the top) among the
// leaves by the children's weights along each container's orientation. A
// leaf keeps its cell's size and centre, the centre with y turned upward.
void setRect(TileInstance* tile, float x, float y, float w, float h);

// Numbers the leaves 0, 1, 2... in visiting order.
void doIndex(TileInstance* root);

// Lays the tree out on the screen rectangle of `centre` and `size` (pixels,
// y from the bottom): every leaf's position lands on its cell's centre in
// the plane z = H/2 of the overlay camera, angles 0, alpha 1, its base scale
// the rectangle's world width and its unit height made relative to it.
// Scale and orientation are left as they are. Repeatable.
void doLayout(PVRTVec2 centre, PVRTVec2 size, TileInstance* root);

// P . K . V for the engine globals' screen size.
PVRTMat4 overlayCamera();

// A tile's model matrix: T(position) . Ry(angle 1) . Rx(angle 0) . Rz(angle 2).
PVRTMat4 tileModelMatrix(const Layout& layout);

// The pixel (bottom-left origin) at which `clipMatrix` puts p.
PVRTVec2 toScreen(const PVRTMat4& clipMatrix, const PVRTVec3& p);

} // namespace TileSupport

} // namespace ZQ
