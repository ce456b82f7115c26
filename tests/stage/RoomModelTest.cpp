#include "stage/RoomModel.h"

#include "engine/Globals.h"
#include "levels/LevelModel.h"
#include "levels/LevelTestRecords.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using ZQ::Material;
using ZQ::RoomInstance;
using ZQ::RoomModel;

constexpr int32_t kRoomLevels = 76;

// Level i's room materials all have shininess i; level 3 has five of them,
// level 4 two.
std::vector<ZQ::LevelModel::Level> shinyLevels() {
    std::vector<ZQ::LevelModel::Level> levels = LevelTestRecords::records(kRoomLevels);
    for (int32_t i = 0; i < kRoomLevels; ++i) {
        const std::size_t count = i == 3 ? 5 : (i == 4 ? 2 : 4);
        levels[static_cast<std::size_t>(i)].roomMaterials.assign(
            count, Material::room(ZQ::Palette::gold, static_cast<float>(i)));
        for (std::size_t k = 0; k < count; ++k) {
            levels[static_cast<std::size_t>(i)].roomMaterials[k].specular.x = static_cast<float>(k);
        }
    }
    return levels;
}

class RoomModelTest : public HeadlessGLTest {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        catalogue = std::make_unique<ZQ::LevelModel>(shinyLevels(), LevelTestRecords::record("Ground"));
        ZQ::gGlobals.levelModel = catalogue.get();
    }
    void TearDown() override {
        room.tearDown();
        HeadlessGLTest::TearDown();
    }

    std::unique_ptr<ZQ::LevelModel> catalogue;
    RoomModel room;
};

TEST_F(RoomModelTest, TheBoxIsThreeScreensWideAndTheRoomsStandBackToBack) {
    ZQ::gGlobals.setScreenSize(1024.0f, 768.0f);
    room.setUp();
    const PVRTVec3 box = room.corners[7] - room.corners[0];
    EXPECT_FLOAT_EQ(box.x, 3072.0f);
    EXPECT_FLOAT_EQ(box.y, 1075.2f);
    EXPECT_FLOAT_EQ(box.z, 844.8f);
    EXPECT_FLOAT_EQ(room.turnRadius, 427.4f);
    EXPECT_EQ(room.turnCentre, PVRTVec3(0.0f, 0.0f, -room.turnRadius));
    // Every corner is a sign pattern of the half box.
    for (int i = 0; i < 8; ++i) {
        EXPECT_FLOAT_EQ(std::fabs(room.corners[i].x), 0.5f * box.x);
        EXPECT_FLOAT_EQ(std::fabs(room.corners[i].y), 0.5f * box.y);
        EXPECT_FLOAT_EQ(std::fabs(room.corners[i].z), 0.5f * box.z);
    }

    // Both rooms are the turn radius from the turn centre, on opposite sides,
    // the next one turned half a turn: their back walls face away from each
    // other across a gap of twice the margin of 5.
    EXPECT_EQ(room.current->layout.position, PVRTVec3());
    const PVRTVec3 nextAt = room.next->layout.position;
    EXPECT_NEAR((nextAt - room.turnCentre).length(), room.turnRadius, 1e-3f);
    EXPECT_NEAR((room.current->layout.position - room.turnCentre).length(), room.turnRadius, 1e-3f);
    EXPECT_NEAR(std::fabs(room.next->layout.angles.y), 3.14159265f, 1e-6f);
    const float currentBack = room.current->layout.position.z - 0.5f * box.z;
    const float nextBack = nextAt.z + 0.5f * box.z; // turned: its back wall faces +z
    EXPECT_NEAR(currentBack - nextBack, 10.0f, 1e-3f);
    EXPECT_FALSE(room.turning);

    std::vector<ZQ::Cloudlet*> items;
    room.getCloudlets(items);
    EXPECT_EQ(items, (std::vector<ZQ::Cloudlet*>{room.current, room.next}));
    EXPECT_NE(room.vbo, 0u);
    EXPECT_NE(room.ibo, 0u);
}

TEST_F(RoomModelTest, RoomsTakeTheColoursOfTheirLevelsAndTheLastWrapsToTheFirst) {
    catalogue->level = kRoomLevels - 1;
    room.setUp();
    EXPECT_EQ(room.current->level, 75);
    EXPECT_EQ(room.next->level, 76);
    ASSERT_EQ(room.next->colours.size(), 4u);
    EXPECT_EQ(room.next->colours[0].shininess, 0.0f);
    EXPECT_EQ(room.current->colours[0].shininess, 75.0f);
    EXPECT_EQ(room.current->roomBuffer, 0);
    EXPECT_EQ(room.current->colourTexture, &ZQ::gGlobals.wallPaperColourTextures[0]);
    EXPECT_EQ(room.next->heightTexture, &ZQ::gGlobals.wallPaperHeightTextures[1]);

    // After a room turn the next room is the one in view, with the second
    // pair of textures.
    room.swapRooms();
    EXPECT_EQ(room.current->roomBuffer, 1);
    EXPECT_EQ(room.current->level, 76);
    std::vector<ZQ::Cloudlet*> items;
    room.getCloudlets(items);
    EXPECT_EQ(items.front(), room.current);
}

TEST_F(RoomModelTest, ARoomKeepsAtMostFourMaterialsAndSaysSo) {
    testing::internal::CaptureStderr();
    const std::vector<Material> five = RoomModel::roomColours(*catalogue, 3);
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_EQ(five.size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(five[k].specular.x, static_cast<float>(k)); // the first four, in order
    }
    EXPECT_NE(log.find("has 5 room materials; the room uses the first 4"), std::string::npos) << log;

    testing::internal::CaptureStderr();
    EXPECT_EQ(RoomModel::roomColours(*catalogue, 4).size(), 2u);
    EXPECT_EQ(RoomModel::roomColours(*catalogue, 4 + kRoomLevels).size(), 2u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(RoomModelTest, EachFaceCarriesATangentFrameAlongItsTextureCoordinates) {
    const std::vector<ZQ::RoomVertex> vertices = RoomModel::boxVertices();
    ASSERT_EQ(vertices.size(), 24u);
    for (std::size_t face = 0; face < 6; ++face) {
        const ZQ::RoomVertex* v = &vertices[4 * face];
        const PVRTVec3 t(v[0].tangent[0], v[0].tangent[1], v[0].tangent[2]);
        EXPECT_NEAR(t.length(), 1.0f, 1e-6f);
        EXPECT_NEAR(t.dot(v[0].normal), 0.0f, 1e-6f);
        for (int i = 0; i < 4; ++i) {
            // The normal points into the box, and the same frame sits in all four vertices.
            EXPECT_LT(v[i].normal.dot(v[i].position), 0.0f);
            EXPECT_EQ(std::memcmp(v[i].tangent, v[0].tangent, sizeof v[0].tangent), 0);
        }
        // Moving along the tangent raises u; along n x t (times handedness) raises v.
        const PVRTVec3 b = v[0].normal.cross(t) * v[0].tangent[3];
        for (int i = 1; i < 4; ++i) {
            const PVRTVec3 d = v[i].position - v[0].position;
            EXPECT_FLOAT_EQ(d.dot(t), v[i].tex.x - v[0].tex.x) << "face " << face;
            EXPECT_FLOAT_EQ(d.dot(b), v[i].tex.y - v[0].tex.y) << "face " << face;
        }
    }
    // The index buffer draws five faces and never the front (vertices 0-3).
    const GLushort* indices = RoomModel::boxIndices();
    for (int i = 0; i < RoomModel::kIndexCount; ++i) {
        EXPECT_GE(indices[i], 4);
        EXPECT_LT(indices[i], 24);
        EXPECT_EQ(indices[i] / 4, indices[i - i % 6] / 4) << "a face's triangles use its own four vertices";
    }
}

TEST_F(RoomModelTest, SetsUpAgainAfterTearDown) {
    for (int round = 0; round < 3; ++round) {
        catalogue->level = round;
        room.setUp();
        room.doStep();
        EXPECT_EQ(room.current->level, round);
        room.tearDown();
        EXPECT_EQ(room.current, nullptr);
        EXPECT_EQ(room.vbo, 0u);
        EXPECT_TRUE(room.cloudlets.empty());
    }
}

} // namespace
