#include "render/RenderWallPaper.h"

#include "WallPaperFixture.h"
#include "render/WallPaperProgram.h"
#include "stage/MandalaMesher.h"
#include "stage/MandalaModel.h"
#include "stage/RoomModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

using ZQ::MandalaVertex;

// The pre-pass paints a hand-made relief of three flat bands across a 64 x 64
// target at scale 8: pattern x in [-4, 4] covers the texture.
class RenderWallPaperTest : public WallPaperFixture {
protected:
    static constexpr float kScale = 8.0f;

    struct Band {
        float left, right, z;
        PVRTVec3 normal;
        float value;
    };

    void SetUp() override {
        WallPaperFixture::SetUp();
        pass.targetSize = kTarget;
        pass.setUp();
        ZQ::gGlobals.renderWallPaper = &pass;
        ZQ::gGlobals.mandalaModel = &relief;
    }
    void TearDown() override {
        relief.clearInstances();
        pass.tearDown();
        WallPaperFixture::TearDown();
    }

    void addRelief(const std::vector<Band>& bands) {
        auto* mesh = new ZQ::MandalaMesh();
        for (const Band& b : bands) {
            const PVRTVec3 corners[4] = {
                {b.left, -4.0f, b.z}, {b.right, -4.0f, b.z}, {b.right, 4.0f, b.z}, {b.left, 4.0f, b.z}};
            for (int i : {0, 1, 2, 0, 2, 3}) {
                mesh->vertices.push_back(MandalaVertex{corners[i], b.normal, PVRTVec2(), b.value});
            }
        }
        mesh->count = static_cast<int32_t>(mesh->vertices.size());
        glGenBuffers(1, &mesh->vbo);
        glBindBuffer(GL_ARRAY_BUFFER, mesh->vbo);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh->vertices.size() * sizeof(MandalaVertex)),
                     mesh->vertices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        auto* instance = new ZQ::MandalaInstance();
        instance->layout.scale = kScale;
        instance->mesh = mesh;
        relief.instances.push_back(instance);
        relief.changed = true;
    }

    static void expectTexel(std::array<uint8_t, 4> found, std::array<int, 4> expected, const char* what) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_LE(std::abs(found[c] - expected[c]), 1)
                << what << " channel " << c << ": " << int(found[c]) << " against " << expected[c];
        }
    }

    ZQ::RenderWallPaper pass;
    ZQ::MandalaModel relief;
};

TEST_F(RenderWallPaperTest, PaintsPackedNormalsValuesAndHeights) {
    const PVRTVec3 up(0.0f, 0.0f, 1.0f);
    const PVRTVec3 tilted(0.6f, 0.0f, 0.8f);
    addRelief({{-4.0f, -4.0f / 3.0f, -0.05f, up, 3.0f},
               {-4.0f / 3.0f, 4.0f / 3.0f, 0.0f, tilted, 0.0f},
               {4.0f / 3.0f, 4.0f, 0.05f, up, 2.0f}});
    ZQ::renderFrame(targets, ZQ::wallPaperRepaint());
    EXPECT_FALSE(relief.changed) << "the frame clears the flag once it has painted";

    const ZQ::TextureContext& colour = *targets.colourContexts[0];
    const ZQ::TextureContext& height = *targets.heightContexts[0];
    // A flat normal packs to (0.5, 0.5, 1); value v to v / 4.
    expectTexel(texel(colour, 10, 32), {128, 128, 255, 191}, "flat, value 3");
    expectTexel(texel(colour, 32, 32), {204, 128, 230, 0}, "tilted, value 0");
    expectTexel(texel(colour, 53, 32), {128, 128, 255, 128}, "flat, value 2");
    // Heights -0.05, 0 and +0.05 become greys 0, 0.5 and 1.
    expectTexel(texel(height, 10, 32), {0, 0, 0, 255}, "low");
    expectTexel(texel(height, 32, 32), {128, 128, 128, 255}, "middle");
    expectTexel(texel(height, 53, 32), {255, 255, 255, 255}, "high");
    // The other room's textures were not touched.
    expectTexel(texel(*targets.colourContexts[1], 32, 32), {0, 0, 0, 0}, "room buffer 1");
}

TEST_F(RenderWallPaperTest, PaintsTheBufferOfTheRoomInViewAndOnlyWhenAsked) {
    ZQ::RoomModel rooms;
    rooms.current = new ZQ::RoomInstance();
    rooms.current->roomBuffer = 1;
    ZQ::gGlobals.roomModel = &rooms;
    addRelief({{-4.0f, 4.0f, 0.05f, PVRTVec3(0.0f, 0.0f, 1.0f), 1.0f}});
    ZQ::renderFrame(targets, ZQ::wallPaperRepaint());
    expectTexel(texel(*targets.colourContexts[1], 32, 32), {128, 128, 255, 64}, "room buffer 1");
    expectTexel(texel(*targets.heightContexts[1], 32, 32), {255, 255, 255, 255}, "room buffer 1");
    expectTexel(texel(*targets.colourContexts[0], 32, 32), {0, 0, 0, 0}, "room buffer 0");

    // Without the flag the textures keep what they have.
    relief.clearInstances();
    addRelief({{-4.0f, 4.0f, -0.05f, PVRTVec3(0.0f, 0.0f, 1.0f), 3.0f}});
    relief.changed = false;
    ZQ::renderFrame(targets, ZQ::wallPaperRepaint());
    expectTexel(texel(*targets.heightContexts[1], 32, 32), {255, 255, 255, 255}, "kept");
    ZQ::gGlobals.roomModel = nullptr;
}

TEST_F(RenderWallPaperTest, AnotherTargetSizeKeepsThePatternInPlace) {
    // The projection and the centring follow t together: the pattern origin
    // lands on the texture's centre whatever t is.
    for (float t : {64.0f, 256.0f, 1024.0f}) {
        const PVRTMat4 m = ZQ::WallPaperProgram::targetProjection(t) *
                           ZQ::WallPaperProgram::targetCentring(t) *
                           PVRTMat4::translation(0.5f * t, 0.5f * t, 1.5f * t);
        for (float z : {-0.05f, 0.0f, 0.05f}) {
            const PVRTVec4 clip = m * PVRTVec4(0.0f, 0.0f, z, 1.0f);
            EXPECT_NEAR(clip.x, 0.0f, 1e-6f);
            EXPECT_NEAR(clip.y, 0.0f, 1e-6f);
            EXPECT_GT(clip.z, -1.0f);
            EXPECT_LT(clip.z, 1.0f);
        }
        // The texture's edge is t/2 pixels from its centre.
        const PVRTVec4 edge = m * PVRTVec4(0.5f * t, 0.0f, 0.0f, 1.0f);
        EXPECT_NEAR(edge.x, 1.0f, 1e-6f);
    }
}

TEST_F(RenderWallPaperTest, WithoutAnInstanceOfItsKindItDrawsNothing) {
    addRelief({{-4.0f, 4.0f, 0.05f, PVRTVec3(0.0f, 0.0f, 1.0f), 1.0f}});
    relief.instances.front()->kind = 5;
    ZQ::renderFrame(targets, ZQ::wallPaperRepaint());
    expectTexel(texel(*targets.colourContexts[0], 32, 32), {0, 0, 0, 0}, "nothing drawn");
}

} // namespace
