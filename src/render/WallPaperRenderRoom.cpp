#include "render/WallPaperRenderRoom.h"

#include "engine/Globals.h"
#include "engine/Layout.h"
#include "engine/MathHelpers.h"
#include "render/RenderShadowMap.h"
#include "render/ShadowCasterGrid.h"
#include "render/WallPaperRoomProgram.h"
#include "stage/RoomModel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace ZQ {

namespace {

constexpr int32_t kFaces = 5;

// Clip-space sight lines go along z once divided by w. The outline margin, a
// thousandth of the screen, is many times the rasteriser's snapping of
// vertices to a 256th of a pixel. In depth a strict order suffices: the depth
// buffer's rounding never reverses it, and a LESS test rejects ties. The
// margin (some sixteen float steps near the far plane) covers the
// interpolation's rounding; far rooms lie only a few millionths apart there.
constexpr float kOutlineMargin = 1e-3f;
constexpr float kDepthMargin = 2e-6f;
constexpr float kNearW = 1e-4f;

// The point under m in normalised device coordinates; false when it lies
// behind the eye or before the near plane.
bool project(const PVRTMat4& m, const PVRTVec3& p, PVRTVec3& out) {
    const PVRTVec4 c = m * PVRTVec4(p.x, p.y, p.z, 1.0f);
    if (c.w <= kNearW || c.z <= -c.w) {
        return false;
    }
    out = PVRTVec3(c.x / c.w, c.y / c.w, c.z / c.w);
    return true;
}

float cross2(const PVRTVec3& a, const PVRTVec3& b, const PVRTVec3& p) {
    return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}

} // namespace

bool WallPaperRenderRoom::hiddenBehindBackWall(const PVRTMat4& camera, const PVRTMat4& front,
                                               const PVRTMat4& behind) {
    // The back wall's corners in turn around its outline.
    const PVRTVec3 wallCorners[4] = {
        {-0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, -0.5f}, {-0.5f, 0.5f, -0.5f}};
    const PVRTMat4 wallClip = camera * front;
    PVRTVec3 wall[4];
    for (int i = 0; i < 4; ++i) {
        if (!project(wallClip, wallCorners[i], wall[i])) {
            return false;
        }
    }
    // The wall's plane in device coordinates: depth is affine in x and y.
    const PVRTVec3 n = (wall[1] - wall[0]).cross(wall[3] - wall[0]);
    if (std::fabs(n.z) < 1e-6f) {
        return false;
    }
    const float turn = cross2(wall[0], wall[1], wall[2]) > 0.0f ? 1.0f : -1.0f;
    const PVRTMat4 boxClip = camera * behind;
    for (int i = 0; i < 8; ++i) {
        const PVRTVec3 corner((i & 1) != 0 ? 0.5f : -0.5f, (i & 2) != 0 ? 0.5f : -0.5f,
                              (i & 4) != 0 ? 0.5f : -0.5f);
        PVRTVec3 q;
        if (!project(boxClip, corner, q)) {
            return false;
        }
        for (int e = 0; e < 4; ++e) {
            const PVRTVec3& a = wall[e];
            const PVRTVec3& b = wall[(e + 1) % 4];
            const float length = std::hypot(b.x - a.x, b.y - a.y);
            if (turn * cross2(a, b, q) < kOutlineMargin * length) {
                return false;
            }
        }
        const float wallDepth = wall[0].z - (n.x * (q.x - wall[0].x) + n.y * (q.y - wall[0].y)) / n.z;
        if (q.z < wallDepth + kDepthMargin) {
            return false;
        }
    }
    return true;
}

WallPaperRenderRoom::WallPaperRenderRoom() : WallPaperRenderRoom(new WallPaperRoomProgram()) {}

WallPaperRenderRoom::WallPaperRenderRoom(WallPaperRoomProgram* program) : Render(program) {
    if (program->roomShadows && program->shading == WallPaperRoomProgram::Shading::fast) {
        litProgram = new WallPaperRoomProgram(false, WallPaperRoomProgram::Shading::unfiltered);
    }
}

WallPaperRenderRoom::~WallPaperRenderRoom() {
    delete litProgram;
}

void WallPaperRenderRoom::setUp() {
    Render::setUp();
    if (litProgram != nullptr) {
        litProgram->setUp();
    }
    if (casters == nullptr) {
        for (Render* pass : gGlobals.renderPasses) {
            if (const auto* shadow = dynamic_cast<const RenderShadowMap*>(pass)) {
                casters = &shadow->casters;
            }
        }
    }
}

void WallPaperRenderRoom::tearDown() {
    Render::tearDown();
    if (litProgram != nullptr) {
        litProgram->tearDown();
        delete litProgram;
        litProgram = nullptr;
    }
}

PVRTMat4 WallPaperRenderRoom::roomModelMatrix(const Layout& layout, const PVRTVec3& box) {
    const PVRTVec3& p = layout.position;
    const PVRTVec3& a = layout.angles;
    const float s = layout.scale;
    return PVRTMat4::translation(p.x, p.y, p.z) * rotationY(a.y) * rotationX(a.x) * rotationZ(a.z) *
           PVRTMat4::scale(box.x * s, box.y * s, box.z * s);
}

PVRTMat4 WallPaperRenderRoom::roomScaleMatrix(const Layout& layout, const PVRTVec3& box) {
    const PVRTVec3& p = layout.position;
    const float s = layout.scale;
    return PVRTMat4::translation(p.x, p.y, p.z) * PVRTMat4::scale(s, s, s) *
           PVRTMat4::scale(box.x * s, box.y * s, box.z * s);
}

void WallPaperRenderRoom::drawRoom(WallPaperRoomProgram& p, const RoomInstance& instance,
                                   const PVRTMat4& model, const PVRTMat4& scale,
                                   const std::vector<RoomShadowTiles::Rect>* rects, bool filtered) {
    p.roomMatrix = scale;
    p.setModelMatrix(model.f);
    for (int32_t face = 0; face < kFaces; ++face) {
        const auto shows = [&](const RoomShadowTiles::Rect& r) {
            return r.filtered == filtered && (r.faces & (1u << face)) != 0;
        };
        if (rects != nullptr && std::none_of(rects->begin(), rects->end(), shows)) {
            continue;
        }
        p.bindWallpaper(instance, face);
        const void* first = reinterpret_cast<const void*>(static_cast<std::size_t>(face) * 12);
        if (rects == nullptr) {
            glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, first);
        } else {
            for (const RoomShadowTiles::Rect& r : *rects) {
                if (shows(r)) {
                    glScissor(r.x, r.y, r.width, r.height);
                    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, first);
                }
            }
        }
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

void WallPaperRenderRoom::render() {
    RoomModel* room = gGlobals.roomModel;
    if (room == nullptr || room->current == nullptr || program == nullptr) {
        return;
    }
    auto& p = *static_cast<WallPaperRoomProgram*>(program);
    glBindBuffer(GL_ARRAY_BUFFER, room->vbo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, room->ibo);
    p.use();

    const bool tiled =
        tileShadows && litProgram != nullptr && casters != nullptr && casters->frame == gGlobals.frameCount;
    GLint viewport[4] = {0, 0, 0, 0};
    PVRTVec2 reach;
    if (tiled) {
        glGetIntegerv(GL_VIEWPORT, viewport);
        const PVRTVec2 step = WallPaperRoomProgram::shadowMapStep() * WallPaperRoomProgram::kPCFRadius;
        reach = PVRTVec2(step.x * static_cast<float>(casters->width),
                         step.y * static_cast<float>(casters->height));
    }

    const PVRTVec3 d = room->corners[7] - room->corners[0];
    const PVRTVec3 box(std::fabs(d.x), std::fabs(d.y), std::fabs(d.z));
    std::vector<Cloudlet*> rooms;
    room->getCloudlets(rooms);
    PVRTMat4 first;
    for (std::size_t k = 0; k < rooms.size(); ++k) {
        const auto& instance = *static_cast<const RoomInstance*>(rooms[k]);
        const PVRTMat4 model = roomModelMatrix(instance.layout, box);
        // The camera matrix is the program's from the first room on.
        if (k == 0) {
            first = model;
        } else if (skipHidden && hiddenBehindBackWall(p.cameraMatrix, first, model)) {
            continue;
        }
        const PVRTMat4 scale = roomScaleMatrix(instance.layout, box);
        if (!tiled) {
            drawRoom(p, instance, model, scale, nullptr, true);
            continue;
        }
        // The filtering program's matrices first: the squares are cut from them.
        p.roomMatrix = scale;
        p.setModelMatrix(model.f);
        tiles.classify(p.cameraMatrix * model, p.shadowMatrix, viewport[2], viewport[3], reach, *casters);
        glEnable(GL_SCISSOR_TEST);
        drawRoom(p, instance, model, scale, &tiles.rects, true);
        p.unuse();
        litProgram->use();
        drawRoom(*litProgram, instance, model, scale, &tiles.rects, false);
        litProgram->unuse();
        p.use();
        glDisable(GL_SCISSOR_TEST);
    }
    // Later passes bind their textures on unit 0 and expect it active.
    for (GLenum unit : {GL_TEXTURE2, GL_TEXTURE1, GL_TEXTURE0}) {
        glActiveTexture(unit);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    p.unuse();
    glUseProgram(0);
}

} // namespace ZQ
