#include "render/WallPaperRenderRoom.h"

#include "engine/Globals.h"
#include "engine/Layout.h"
#include "render/WallPaperRoomProgram.h"
#include "stage/RoomModel.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace ZQ {

namespace {

constexpr int32_t kFaces = 5;

// Each the transpose of the usual counter-clockwise turn by its angle.
PVRTMat4 turnY(float a) {
    PVRTMat4 m = PVRTMat4::identity();
    m(0, 0) = std::cos(a);
    m(1, 0) = 0.0f;
    m(2, 0) = std::sin(a);
    m(0, 2) = -std::sin(a);
    m(2, 2) = std::cos(a);
    return m;
}

PVRTMat4 turnX(float a) {
    PVRTMat4 m = PVRTMat4::identity();
    m(1, 1) = std::cos(a);
    m(2, 1) = -std::sin(a);
    m(1, 2) = std::sin(a);
    m(2, 2) = std::cos(a);
    return m;
}

PVRTMat4 turnZ(float a) {
    PVRTMat4 m = PVRTMat4::identity();
    m(0, 0) = std::cos(a);
    m(1, 0) = -std::sin(a);
    m(0, 1) = std::sin(a);
    m(1, 1) = std::cos(a);
    return m;
}

} // namespace

WallPaperRenderRoom::WallPaperRenderRoom() : Render(new WallPaperRoomProgram()) {}

WallPaperRenderRoom::WallPaperRenderRoom(WallPaperRoomProgram* program) : Render(program) {}

PVRTMat4 WallPaperRenderRoom::roomModelMatrix(const Layout& layout, const PVRTVec3& box) {
    const PVRTVec3& p = layout.position;
    const PVRTVec3& a = layout.angles;
    const float s = layout.scale;
    return PVRTMat4::translation(p.x, p.y, p.z) * turnY(a.y) * turnX(a.x) * turnZ(a.z) *
           PVRTMat4::scale(box.x * s, box.y * s, box.z * s);
}

PVRTMat4 WallPaperRenderRoom::roomScaleMatrix(const Layout& layout, const PVRTVec3& box) {
    const PVRTVec3& p = layout.position;
    const float s = layout.scale;
    return PVRTMat4::translation(p.x, p.y, p.z) * PVRTMat4::scale(s, s, s) *
           PVRTMat4::scale(box.x * s, box.y * s, box.z * s);
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

    const PVRTVec3 d = room->corners[7] - room->corners[0];
    const PVRTVec3 box(std::fabs(d.x), std::fabs(d.y), std::fabs(d.z));
    std::vector<Cloudlet*> rooms;
    room->getCloudlets(rooms);
    for (Cloudlet* item : rooms) {
        const auto& instance = *static_cast<const RoomInstance*>(item);
        p.roomMatrix = roomScaleMatrix(instance.layout, box);
        p.setModelMatrix(roomModelMatrix(instance.layout, box).f);
        for (int32_t face = 0; face < kFaces; ++face) {
            p.bindWallpaper(instance, face);
            glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT,
                           reinterpret_cast<const void*>(static_cast<std::size_t>(face) * 12));
            glBindTexture(GL_TEXTURE_2D, 0);
        }
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
