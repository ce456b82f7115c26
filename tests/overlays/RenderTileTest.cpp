#include "overlays/RenderTile.h"
#include "overlays/RenderCaption.h"
#include "overlays/TileCollection.h"
#include "render/RenderTargets.h"

#include "PngWriter.h"
#include "TileFixture.h"

#include <GLES2/gl2ext.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace {

using ZQ::TileMesh;

float triangleTurn(const TileMesh& mesh, int t) {
    const float* a = mesh.vertices[mesh.indices[3 * t]].position;
    const float* b = mesh.vertices[mesh.indices[3 * t + 1]].position;
    const float* c = mesh.vertices[mesh.indices[3 * t + 2]].position;
    return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}

TEST(TileMesh, ASlabIsThirtyTwoVerticesAndSixtyIndicesWithASquareLabel) {
    const TileMesh unit = TileMesh::build(0.5f, 0.5f, 0.02f);
    EXPECT_EQ(unit.vertices.size(), 32u);
    EXPECT_EQ(unit.indices.size(), 60u);
    EXPECT_FLOAT_EQ(unit.vertices[1].position[0], 0.35f) << "label half side of a 1 x 1 tile";
    const TileMesh wide = TileMesh::build(1.5f, 0.5f, 0.02f);
    EXPECT_FLOAT_EQ(wide.vertices[1].position[0], 0.35f) << "a 3 x 1 tile: sized by the smaller extent";
    EXPECT_FLOAT_EQ(wide.vertices[1].position[1], 0.35f);
    EXPECT_FLOAT_EQ(TileMesh::labelHalfSide(3.0f, 7.0f), 2.1f);

    for (const TileMesh* mesh : {&unit, &wide}) {
        // Every triangle faces the way its vertices' normal says, and the
        // front (label and frame) covers the front face exactly once.
        float frontArea = 0.0f;
        for (int t = 0; t < 20; ++t) {
            const auto& v0 = mesh->vertices[mesh->indices[3 * t]];
            const auto& v1 = mesh->vertices[mesh->indices[3 * t + 1]];
            const auto& v2 = mesh->vertices[mesh->indices[3 * t + 2]];
            float e1[3], e2[3];
            for (int k = 0; k < 3; ++k) {
                e1[k] = v1.position[k] - v0.position[k];
                e2[k] = v2.position[k] - v0.position[k];
            }
            const float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                e1[0] * e2[1] - e1[1] * e2[0]};
            EXPECT_GT(n[0] * v0.normal[0] + n[1] * v0.normal[1] + n[2] * v0.normal[2], 0.0f)
                << "triangle " << t;
            if (v0.normal[2] > 0.0f) {
                frontArea += 0.5f * triangleTurn(*mesh, t);
            }
        }
        const float w = mesh->vertices[24].position[0];
        const float h = mesh->vertices[25].position[1];
        EXPECT_NEAR(frontArea, 4.0f * w * h, 1e-5f);
    }
    // Only the label is textured, corner to corner.
    for (int i = 4; i < 32; ++i) {
        EXPECT_EQ(unit.vertices[static_cast<std::size_t>(i)].tex[0], 0.0f);
        EXPECT_EQ(unit.vertices[static_cast<std::size_t>(i)].tex[1], 0.0f);
    }
    EXPECT_EQ(unit.vertices[1].tex[0], 1.0f);
    EXPECT_EQ(unit.vertices[1].tex[1], 1.0f);
}

class RenderTileTest : public TileFixture {
protected:
    void SetUp() override {
        TileFixture::SetUp();
        ZQ::DeviceProfile profile = ZQ::DeviceProfile::get();
        profile.targetSize = 256.0f;
        targets.create(750.0f, 1334.0f, profile);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8_OES, 750, 1334);
        targets.setUp();
        pass.setUp();
        ZQ::gGlobals.renderTile = &pass;
    }

    void TearDown() override {
        pass.tearDown();
        targets.tearDown();
        TileFixture::TearDown();
    }

    std::array<uint8_t, 4> pixelAt(PVRTVec2 p) {
        return HeadlessGL::readPixel(static_cast<int>(p.x), static_cast<int>(p.y));
    }

    ZQ::RenderTargets targets;
    ZQ::RenderTile pass{&tiles};
};

TEST_F(RenderTileTest, SetUpUploadsOneSlabAndNoTilesDrawNothing) {
    EXPECT_EQ(pass.getBuffers().indexCount, 60);
    GLint bytes = 0;
    glBindBuffer(GL_ARRAY_BUFFER, pass.getBuffers().vertexBuffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    EXPECT_EQ(bytes, 1024);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, pass.getBuffers().indexBuffer);
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
    EXPECT_EQ(bytes, 120);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    ZQ::renderFrame(targets, {});
    EXPECT_EQ(pixelAt(PVRTVec2(375, 533)), (std::array<uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_NO_GL_ERROR();

    // Without tiles the pass still leaves both buffer targets unbound.
    glBindBuffer(GL_ARRAY_BUFFER, pass.getBuffers().vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, pass.getBuffers().indexBuffer);
    pass.render();
    GLint bound = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

TEST_F(RenderTileTest, AToggleIsDrawnWithTheFaceItsSelectorPicks) {
    ZQ::gGlobals.gameCenterAuthenticated = true;
    ZQ::TileCollection::showMainUi();
    ASSERT_LT(settle(), 400);
    const ZQ::TileInstance* music = nullptr;
    for (const ZQ::TileInstance* tile : leaves()) {
        music = tile->id == ZQ::TileCollection::kMusic ? tile : music;
    }
    ASSERT_NE(music, nullptr);
    // The label's middle: the icon's relief, where the two faces differ.
    const PVRTVec2 centre = onScreen(music);
    auto label = [&] {
        ZQ::renderFrame(targets, {});
        return HeadlessGL::readPixels(static_cast<int>(centre.x) - 24, static_cast<int>(centre.y) - 24, 48,
                                      48);
    };
    const std::vector<uint8_t> soundOn = label();
    ZQ::setMusicMuted(true);
    const std::vector<uint8_t> muted = label();
    EXPECT_TRUE(muted != soundOn) << "the muted face replaces the other";
    ZQ::setMusicMuted(false);
    EXPECT_TRUE(label() == soundOn) << "and gives way to it again";
    EXPECT_NO_GL_ERROR();
}

TEST_F(RenderTileTest, TilesAreDrawnWhereTheyAreTappedAndNowhereElse) {
    ZQ::gGlobals.gameCenterAuthenticated = true;
    social.open = true;
    levels->max_level = 2;
    ZQ::TileCollection::showPauseUi();
    ASSERT_LT(settle(), 400);
    ZQ::renderFrame(targets, {});
    for (const ZQ::TileInstance* tile : leaves()) {
        // The frame of the slab, between the label and the edge: flat gold.
        const float s = tile->baseLayout.scale * tile->layout.scale;
        const PVRTVec3 frame = tile->layout.position + PVRTVec3(0.46f * tile->unitSize.x * s, 0.0f, 0.0f);
        const auto lit = pixelAt(ZQ::TileSupport::toScreen(ZQ::TileSupport::overlayCamera(), frame));
        EXPECT_GT(lit[3], 250) << "tile " << tile->id;
        EXPECT_GE(lit[0], lit[2]) << "gold, not blue: tile " << tile->id;
    }
    EXPECT_EQ(pixelAt(PVRTVec2(150, 533))[3], 0) << "left of the menu";
    EXPECT_EQ(pixelAt(PVRTVec2(375, 900))[3], 0) << "above it";

    // Squashed to nothing, a tile draws without error.
    for (ZQ::TileInstance* tile : leaves()) {
        tile->layout.scale = 0.0f;
    }
    ZQ::renderFrame(targets, {});
    EXPECT_EQ(pixelAt(PVRTVec2(375, 533))[3], 0);
    EXPECT_NO_GL_ERROR();
    // The screens' trees are kept for the process, and layouts keep scales.
    for (ZQ::TileInstance* tile : leaves()) {
        tile->layout.scale = 1.0f;
    }
}

// Pictures of the three screens the player sees most, settled, for a person
// to look at: build/tile-shots/{main-menu,pause-menu,award-row}.png. The
// tiles and captions only: the braids are drawn under the room's camera.
TEST_F(RenderTileTest, ScreenshotsOfTheMenusAndTheAwardRow) {
    ZQ::RenderCaption captionPass(&captions);
    captionPass.setUp();
    ZQ::gGlobals.renderCaption = &captionPass;
    ZQ::gGlobals.gameCenterAuthenticated = true;
    social.open = true;
    levels->max_level = 2;
    const std::filesystem::path folder = VELMORA_TILE_SHOTS;
    std::filesystem::create_directories(folder);
    auto shoot = [&](void (*show)(), const char* name) {
        show();
        for (int frame = 0; frame < 120; ++frame) {
            step();
            braidWorld->doStep();
            braids.doStep();
        }
        ZQ::renderFrame(targets, {});
        std::vector<uint8_t> rgba = HeadlessGL::readPixels(0, 0, 750, 1334);
        // Over a dark grey backdrop, as the room would be behind them.
        for (std::size_t i = 0; i < rgba.size(); i += 4) {
            const float a = rgba[i + 3] / 255.0f;
            for (std::size_t c = 0; c < 3; ++c) {
                rgba[i + c] = static_cast<uint8_t>(std::lround(rgba[i + c] * a + 40.0f * (1.0f - a)));
            }
            rgba[i + 3] = 255;
        }
        EXPECT_TRUE(PngWriter::writePng((folder / name).string(), 750, 1334, rgba, true));
    };
    shoot(ZQ::TileCollection::showMainUi, "main-menu.png");
    ZQ::TileCollection::hideMainMenu();
    for (int frame = 0; frame < 60; ++frame) {
        step();
        braidWorld->doStep();
        braids.doStep();
    }
    shoot(ZQ::TileCollection::showPauseUi, "pause-menu.png");
    shoot(ZQ::TileCollection::showAwardUi, "award-row.png");
    EXPECT_NO_GL_ERROR();
    captionPass.tearDown();
}

} // namespace
