#include "render/RenderHolo.h"

#include "constants/Palette.h"
#include "cords/MeshBuffer.h"
#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "render/HoloProgram.h"
#include "render/OutsideWinding.h"
#include "stage/HoloInstance.h"
#include "stage/HoloModel.h"

#include <algorithm>
#include <cstddef>

namespace ZQ {

RenderHolo::RenderHolo()
    : Render(new HoloProgram()),
      // entry        string colour (u_color)   scan band (u_scancolor)
      colours{Palette::steelBlue, Palette::royalBlue, Palette::dodgerBlue, Palette::turquoiseDark},
      scanColours{PVRTVec3(0.7f, 0.0f, 0.0f), PVRTVec3(0.7f, 0.0f, 0.3f), PVRTVec3(0.2f, 0.3f, 0.0f),
                  PVRTVec3(1.0f, 0.0f, 0.0f)} {
    ZQ_ASSERT(colours.size() == kColours && scanColours.size() == kColours);
}

int32_t RenderHolo::colourEntry(int32_t level, int32_t string) {
    ZQ_ASSERT(level >= 0 && string >= 0);
    return (level + string) % kColours;
}

PVRTMat4 RenderHolo::modelMatrix(const Cloudlet& hologram) {
    const Layout& pose = hologram.layout;
    const PVRTVec3& p = pose.position;
    const float s = pose.scale * hologram.baseLayout.scale;
    return PVRTMat4::translation(p.x, p.y, p.z) * rotationY(pose.angles.y) * rotationX(pose.angles.x) *
           rotationZ(pose.angles.z) * PVRTMat4::scale(s, s, s);
}

void RenderHolo::render() {
    HoloModel* model = gGlobals.holoModel;
    holograms.clear();
    if (model != nullptr) {
        model->getCloudlets(holograms);
    }
    if (holograms.empty() || program == nullptr) {
        return;
    }
    auto& holo = *static_cast<HoloProgram*>(program);
    for (Cloudlet* item : holograms) {
        const auto& h = *static_cast<const HoloInstance*>(item);
        if (h.mesh == nullptr) {
            continue;
        }
        const MeshBuffer& mesh = *h.mesh;
        glBindBuffer(GL_ARRAY_BUFFER, mesh.vbo);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.ibo);
        holo.use();

        const PVRTMat4 world = modelMatrix(h);
        // The box in world space follows the spin, so the scan band stays
        // level while the knot turns.
        PVRTVec3 lo = world.transformPoint(h.corners[0]);
        PVRTVec3 hi = lo;
        for (const PVRTVec3& corner : h.corners) {
            const PVRTVec3 c = world.transformPoint(corner);
            lo = PVRTVec3(std::min(lo.x, c.x), std::min(lo.y, c.y), std::min(lo.z, c.z));
            hi = PVRTVec3(std::max(hi.x, c.x), std::max(hi.y, c.y), std::max(hi.z, c.z));
        }
        holo.boxMin = lo;
        holo.boxMax = hi;
        holo.noise = h.noise;
        holo.scannerPhase = h.scannerPhase;
        holo.setModelMatrix(world.f);
        // The knot's tubes are the cord's; with the frame's counter-clockwise
        // front faces through the mirroring scene camera, the near outside of
        // every tube would be culled and the hologram show its far inner walls.
        glFrontFace(outsideWinding(holo.viewMatrix));

        for (std::size_t k = 0; k < mesh.ranges.size(); ++k) {
            const auto entry = static_cast<std::size_t>(colourEntry(h.levelIndex, static_cast<int32_t>(k)));
            ZQ_ASSERT(entry < colours.size() && entry < scanColours.size());
            holo.setString(h.layout.alpha, colours[entry], scanColours[entry]);
            const MeshBuffer::Range& range = mesh.ranges[k];
            glDrawElements(GL_TRIANGLES, range.indexCount, GL_UNSIGNED_INT,
                           reinterpret_cast<const void*>(static_cast<std::size_t>(range.firstIndex) * 4));
        }
        glFrontFace(GL_CCW);
        holo.unuse();
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
}

} // namespace ZQ
