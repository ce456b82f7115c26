#pragma once

#include "constants/Material.h"
#include "engine/Cloudlet.h"
#include "engine/CloudletContainer.h"
#include "engine/Model.h"
#include "engine/PVRTVector.h"
#include "stage/RoomColorAction.h"

#include <GLES2/gl2.h>

#include <cstdint>
#include <vector>

namespace ZQ {

class LevelModel;

// One room: the colours of its level and the pair of wallpaper textures of
// its room buffer. The room pass draws it with the room model's box.
class RoomInstance : public Cloudlet, public ColourTableItem {
public:
    std::vector<Material>& colourTable() override { return colours; }

    const uint32_t* colourTexture = nullptr; // the engine-globals field naming the colour texture
    const uint32_t* heightTexture = nullptr; // the same for the height texture
    int32_t roomBuffer = 0;                  // 0 or 1: which pair of wallpaper targets is this room's
    std::vector<Material> colours;           // one per pattern value, at most kMaxMaterials
    int32_t level = 0;                       // whose room this is
};

// One 64-byte vertex of the room box.
struct RoomVertex {
    PVRTVec3 position; // unit box, each coordinate -0.5 or 0.5
    float colour[4];   // a per-face marker no program reads
    PVRTVec3 normal;   // pointing into the room
    PVRTVec2 tex;
    float tangent[4]; // x, y, z and handedness
};
static_assert(sizeof(RoomVertex) == 64);

// The room the cords hang in: one box mesh shared by the room in view
// (`current`) and the one that comes into view at the next room turn
// (`next`), which stands behind it, back to back across the turn centre. The
// box is 3W wide, 1.4H high and 1.1H deep for a W x H screen.
//
// Ownership: both instances and the box buffers exist from setUp to tearDown.
// Threads: main thread only.
class RoomModel : public Model, public CloudletContainer {
public:
    static constexpr int32_t kMaxMaterials = 4; // material slots of the room pass
    static constexpr int32_t kIndexCount = 30;  // five faces of two triangles

    RoomModel() = default;
    ~RoomModel() override;
    RoomModel(const RoomModel&) = delete;
    RoomModel& operator=(const RoomModel&) = delete;

    // Both rooms for the current level and the next, the corners, the turn
    // and the box buffers (GL context current).
    void setUp() override;
    void tearDown() override;
    // Steps current, then next.
    void doStep() override;
    // current, then next.
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // After a room turn the next room becomes the one in view.
    void swapRooms();
    // Gives a room the level and the room colours of catalogue record `level`
    // (modulo the catalogue's size).
    static void assignLevel(RoomInstance& room, const LevelModel& catalogue, int32_t level);
    // The room materials of record `level`, modulo the catalogue's size. The
    // pass has four slots: a record with more keeps its first four and logs it.
    static std::vector<Material> roomColours(const LevelModel& catalogue, int32_t level);

    // The 24 box vertices with their tangents, and the 30 indices in drawing order.
    static std::vector<RoomVertex> boxVertices();
    static const GLushort* boxIndices();

    GLuint vbo = 0;
    GLuint ibo = 0;
    RoomInstance* current = nullptr;
    RoomInstance* next = nullptr;
    PVRTVec3 corners[8];
    std::vector<Cloudlet*> cloudlets; // current, next at setUp
    PVRTVec3 turnCentre;
    bool turning = false;
    float turnRadius = 0.0f;

private:
    void release();
};

} // namespace ZQ
