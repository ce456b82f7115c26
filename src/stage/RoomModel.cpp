#include "stage/RoomModel.h"

#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/Log.h"
#include "levels/LevelModel.h"

#include <cmath>
#include <cstddef>

namespace ZQ {

namespace {

struct BoxCorner {
    float position[3];
    float colour[4];
    float normal[3];
    float tex[2];
};

// Four vertices a face: front (never drawn), back wall, left wall, right
// wall, floor, ceiling. u, v run along x, y on front and back; z, y on the
// side walls; x, z on floor and ceiling.
// clang-format off
constexpr BoxCorner kBoxCorners[] = {
    {{ 0.5f, -0.5f,  0.5f}, {1, 0, 0, 1}, { 0,  0, -1}, {1, 0}}, //  0 front
    {{ 0.5f,  0.5f,  0.5f}, {1, 0, 0, 1}, { 0,  0, -1}, {1, 1}}, //  1
    {{-0.5f,  0.5f,  0.5f}, {1, 0, 0, 1}, { 0,  0, -1}, {0, 1}}, //  2
    {{-0.5f, -0.5f,  0.5f}, {1, 0, 0, 1}, { 0,  0, -1}, {0, 0}}, //  3
    {{ 0.5f,  0.5f, -0.5f}, {0, 1, 0, 1}, { 0,  0,  1}, {1, 1}}, //  4 back wall
    {{-0.5f, -0.5f, -0.5f}, {0, 1, 0, 1}, { 0,  0,  1}, {0, 0}}, //  5
    {{ 0.5f, -0.5f, -0.5f}, {0, 1, 0, 1}, { 0,  0,  1}, {1, 0}}, //  6
    {{-0.5f,  0.5f, -0.5f}, {0, 1, 0, 1}, { 0,  0,  1}, {0, 1}}, //  7
    {{-0.5f, -0.5f,  0.5f}, {0, 0, 1, 1}, { 1,  0,  0}, {1, 0}}, //  8 left wall
    {{-0.5f,  0.5f,  0.5f}, {0, 0, 1, 1}, { 1,  0,  0}, {1, 1}}, //  9
    {{-0.5f,  0.5f, -0.5f}, {0, 0, 1, 1}, { 1,  0,  0}, {0, 1}}, // 10
    {{-0.5f, -0.5f, -0.5f}, {0, 0, 1, 1}, { 1,  0,  0}, {0, 0}}, // 11
    {{ 0.5f, -0.5f, -0.5f}, {0, 1, 1, 1}, {-1,  0,  0}, {0, 0}}, // 12 right wall
    {{ 0.5f,  0.5f, -0.5f}, {0, 1, 1, 1}, {-1,  0,  0}, {0, 1}}, // 13
    {{ 0.5f,  0.5f,  0.5f}, {0, 1, 1, 1}, {-1,  0,  0}, {1, 1}}, // 14
    {{ 0.5f, -0.5f,  0.5f}, {0, 1, 1, 1}, {-1,  0,  0}, {1, 0}}, // 15
    {{ 0.5f, -0.5f, -0.5f}, {1, 1, 0, 1}, { 0,  1,  0}, {1, 0}}, // 16 floor
    {{ 0.5f, -0.5f,  0.5f}, {1, 1, 0, 1}, { 0,  1,  0}, {1, 1}}, // 17
    {{-0.5f, -0.5f,  0.5f}, {1, 1, 0, 1}, { 0,  1,  0}, {0, 1}}, // 18
    {{-0.5f, -0.5f, -0.5f}, {1, 1, 0, 1}, { 0,  1,  0}, {0, 0}}, // 19
    {{ 0.5f,  0.5f,  0.5f}, {1, 0, 1, 1}, { 0, -1,  0}, {1, 1}}, // 20 ceiling
    {{ 0.5f,  0.5f, -0.5f}, {1, 0, 1, 1}, { 0, -1,  0}, {1, 0}}, // 21
    {{-0.5f,  0.5f, -0.5f}, {1, 0, 1, 1}, { 0, -1,  0}, {0, 0}}, // 22
    {{-0.5f,  0.5f,  0.5f}, {1, 0, 1, 1}, { 0, -1,  0}, {0, 1}}, // 23
};
// clang-format on
static_assert(sizeof kBoxCorners / sizeof kBoxCorners[0] == 24);

// Drawing order: back wall, left wall, right wall, ceiling, floor.
// clang-format off
constexpr GLushort kBoxIndices[] = {
     4,  5,  6,  4,  5,  7, // back wall
     8,  9, 10, 10, 11,  8, // left wall
    12, 13, 14, 14, 15, 12, // right wall
    20, 21, 22, 22, 23, 20, // ceiling
    16, 17, 18, 18, 19, 16, // floor
};
// clang-format on
static_assert(sizeof kBoxIndices / sizeof kBoxIndices[0] == RoomModel::kIndexCount);

// The tangent frame of a face from three of its vertices: the direction of
// increasing u in the face's plane, and whether v runs along n x t (+1) or
// against it (-1).
void faceTangent(RoomVertex* face) {
    const PVRTVec3 e1 = face[1].position - face[0].position;
    const PVRTVec3 e2 = face[2].position - face[0].position;
    const PVRTVec2 d1 = face[1].tex - face[0].tex;
    const PVRTVec2 d2 = face[2].tex - face[0].tex;
    const float det = d1.x * d2.y - d2.x * d1.y;
    const float r = det != 0.0f ? 1.0f / det : 0.0f;
    const PVRTVec3 tangent = ((e1 * d2.y) - (e2 * d1.y)) * r;
    const PVRTVec3 bitangent = ((e2 * d1.x) - (e1 * d2.x)) * r;
    const PVRTVec3 t = tangent.normalized();
    const float handedness = face[0].normal.cross(t).dot(bitangent) < 0.0f ? -1.0f : 1.0f;
    for (int i = 0; i < 4; ++i) {
        face[i].tangent[0] = t.x;
        face[i].tangent[1] = t.y;
        face[i].tangent[2] = t.z;
        face[i].tangent[3] = handedness;
    }
}

RoomInstance* makeRoom(int32_t buffer, const LevelModel& catalogue, int32_t level) {
    auto* room = new RoomInstance();
    room->colourTexture = &gGlobals.wallPaperColourTextures[buffer];
    room->heightTexture = &gGlobals.wallPaperHeightTextures[buffer];
    room->roomBuffer = buffer;
    RoomModel::assignLevel(*room, catalogue, level);
    return room;
}

} // namespace

RoomModel::~RoomModel() {
    release();
}

std::vector<Material> RoomModel::roomColours(const LevelModel& catalogue, int32_t level) {
    const int32_t count = catalogue.levelCount();
    ZQ_ASSERT(count > 0);
    const int32_t index = (level % count + count) % count;
    const LevelModel::Level& record = catalogue.levels[static_cast<std::size_t>(index)];
    std::vector<Material> colours = record.roomMaterials;
    if (colours.size() > static_cast<std::size_t>(kMaxMaterials)) {
        platformLog("Level %d \"%s\" has %zu room materials; the room uses the first %d", index,
                    record.name.c_str(), colours.size(), kMaxMaterials);
        colours.resize(kMaxMaterials);
    }
    return colours;
}

void RoomModel::assignLevel(RoomInstance& room, const LevelModel& catalogue, int32_t level) {
    room.level = level;
    room.colours = roomColours(catalogue, level);
}

std::vector<RoomVertex> RoomModel::boxVertices() {
    std::vector<RoomVertex> vertices;
    vertices.reserve(24);
    for (const BoxCorner& c : kBoxCorners) {
        RoomVertex v{};
        v.position = PVRTVec3(c.position[0], c.position[1], c.position[2]);
        for (int i = 0; i < 4; ++i) {
            v.colour[i] = c.colour[i];
        }
        v.normal = PVRTVec3(c.normal[0], c.normal[1], c.normal[2]);
        v.tex = PVRTVec2(c.tex[0], c.tex[1]);
        vertices.push_back(v);
    }
    for (std::size_t face = 0; face < 6; ++face) {
        faceTangent(&vertices[4 * face]);
    }
    return vertices;
}

const GLushort* RoomModel::boxIndices() {
    return kBoxIndices;
}

void RoomModel::setUp() {
    // A second setUp would orphan the first rooms and buffers.
    ZQ_ASSERT(current == nullptr && next == nullptr);
    ZQ_ASSERT(gGlobals.levelModel != nullptr);
    Model::setUp();
    const LevelModel& catalogue = *gGlobals.levelModel;
    const int32_t level = catalogue.currentIndex();
    current = makeRoom(0, catalogue, level);
    next = makeRoom(1, catalogue, level + 1);

    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    for (int i = 0; i < 8; ++i) {
        corners[i] = PVRTVec3((i & 4) != 0 ? 1.5f * w : -1.5f * w, (i & 2) != 0 ? 0.7f * h : -0.7f * h,
                              (i & 1) != 0 ? 0.55f * h : -0.55f * h);
    }
    cloudlets = {current, next};

    glGenBuffers(1, &vbo);
    glGenBuffers(1, &ibo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
    const std::vector<RoomVertex> vertices = boxVertices();
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(RoomVertex)),
                 vertices.data(), GL_STATIC_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof kBoxIndices, kBoxIndices, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    // The next room stands behind the current one, back to back across the
    // turn centre, turned half a turn about y.
    current->layout = Layout();
    const float r = std::fabs(corners[7].z - corners[0].z) * 0.5f + 5.0f;
    turnRadius = r;
    turnCentre = PVRTVec3(0.0f, 0.0f, -r);
    next->layout = Layout();
    next->layout.position = PVRTVec3(0.0f, r * 1.1924881e-8f, -2.0f * r);
    next->layout.angles = PVRTVec3(0.0f, -3.14159265f, 0.0f);
    turning = false;
}

void RoomModel::release() {
    delete current;
    delete next;
    current = nullptr;
    next = nullptr;
    if (vbo != 0) {
        glDeleteBuffers(1, &vbo);
        vbo = 0;
    }
    if (ibo != 0) {
        glDeleteBuffers(1, &ibo);
        ibo = 0;
    }
    cloudlets.clear();
    turning = false;
}

void RoomModel::tearDown() {
    release();
    Model::tearDown();
}

void RoomModel::doStep() {
    if (current != nullptr) {
        current->step();
    }
    if (next != nullptr) {
        next->step();
    }
}

void RoomModel::getCloudlets(std::vector<Cloudlet*>& out) {
    if (current != nullptr) {
        out.push_back(current);
    }
    if (next != nullptr) {
        out.push_back(next);
    }
}

void RoomModel::swapRooms() {
    std::swap(current, next);
    cloudlets = {current, next};
}

} // namespace ZQ
