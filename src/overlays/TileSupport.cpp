#include "overlays/TileSupport.h"

#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "overlays/TileInstance.h"
#include "render/RenderProgram.h"

namespace ZQ::TileSupport {

namespace {

// Where the line of sight through the pixel (x, y) meets the plane z = depth.
PVRTVec3 onPlane(float x, float y, float depth) {
    const PVRTMat4 view = RenderProgram::defaultView();
    const PVRTVec3 nearPoint = unprojectPoint(view, x, y, 0.0f);
    const PVRTVec3 farPoint = unprojectPoint(view, x, y, 1.0f);
    const float t = (depth - nearPoint.z) / (farPoint.z - nearPoint.z);
    return nearPoint + (farPoint - nearPoint) * t;
}

} // namespace

void visit(TileInstance* root, const std::function<void(TileInstance*)>& fn) {
    if (root->isLeaf()) {
        fn(root);
        return;
    }
    for (TileInstance* child : root->children) {
        visit(child, fn);
    }
}

void setRect(TileInstance* tile, float x, float y, float w, float h) {
    tile->unitSize = PVRTVec2(w, h);
    if (tile->isLeaf()) {
        tile->unitCentre = PVRTVec2(x + 0.5f * w, 1.0f - y - 0.5f * h);
        return;
    }
    tile->unitCentre = PVRTVec2(x, y);
    float sum = 0.0f;
    for (const TileInstance* child : tile->children) {
        sum += child->weight;
    }
    ZQ_ASSERT(sum > 0.0f);
    for (TileInstance* child : tile->children) {
        const float share = child->weight / sum;
        if (tile->orientation == TileInstance::kColumn) {
            setRect(child, x, y, w, h * share);
            y += h * share;
        } else {
            setRect(child, x, y, w * share, h);
            x += w * share;
        }
    }
}

void doIndex(TileInstance* root) {
    int32_t next = 0;
    visit(root, [&next](TileInstance* leaf) { leaf->index = next++; });
}

void doLayout(PVRTVec2 centre, PVRTVec2 size, TileInstance* root) {
    setRect(root, 0.0f, 0.0f, 1.0f, 1.0f);
    const float depth = 0.5f * gGlobals.screenSize.y;
    const PVRTVec3 a = onPlane(centre.x - 0.5f * size.x, centre.y - 0.5f * size.y, depth);
    const PVRTVec3 b = onPlane(centre.x + 0.5f * size.x, centre.y + 0.5f * size.y, depth);
    const PVRTVec2 extent(b.x - a.x, b.y - a.y);
    const float aspect = size.y / size.x;
    visit(root, [&](TileInstance* leaf) {
        leaf->layout.position =
            PVRTVec3(a.x + leaf->unitCentre.x * extent.x, a.y + leaf->unitCentre.y * extent.y, depth);
        leaf->layout.angles = PVRTVec3(0.0f, 0.0f, 0.0f);
        leaf->layout.alpha = 1.0f;
        leaf->baseLayout.scale = extent.x;
        leaf->unitSize.y *= aspect;
    });
}

PVRTMat4 overlayCamera() {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    return scenePerspective(w, h) * RenderProgram::defaultView() * sceneCentring(w, h);
}

PVRTMat4 tileModelMatrix(const Layout& layout) {
    const PVRTVec3& p = layout.position;
    return PVRTMat4::translation(p.x, p.y, p.z) * rotationY(layout.angles.y) * rotationX(layout.angles.x) *
           rotationZ(layout.angles.z);
}

PVRTVec2 toScreen(const PVRTMat4& clipMatrix, const PVRTVec3& p) {
    const PVRTVec4 clip = clipMatrix * PVRTVec4(p, 1.0f);
    return PVRTVec2((clip.x / clip.w * 0.5f + 0.5f) * gGlobals.screenSize.x,
                    (clip.y / clip.w * 0.5f + 0.5f) * gGlobals.screenSize.y);
}

} // namespace ZQ::TileSupport
