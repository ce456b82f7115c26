#include "render/WallPaperRenderRoom.h"

#include "WallPaperFixture.h"
#include "cords/CordMeshWorker.h"
#include "levels/LevelModel.h"
#include "levels/LevelTestRecords.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "render/ShadowCasterGrid.h"
#include "render/WallPaperRoomProgram.h"
#include "stage/LightModel.h"
#include "stage/RoomModel.h"
#include "support/CordStage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using ZQ::Material;
using ZQ::WallPaperRoomProgram;

// Four material slots apart in colour and shininess, so a pixel shaded with
// the wrong slot shows.
std::vector<Material> fourTints() {
    const PVRTVec3 tints[] = {{0.9f, 0.3f, 0.2f}, {0.2f, 0.8f, 0.3f}, {0.3f, 0.4f, 0.9f}, {0.8f, 0.8f, 0.2f}};
    std::vector<Material> materials;
    for (int i = 0; i < 4; ++i) {
        materials.push_back(Material{PVRTVec3(0.1f, 0.1f, 0.1f),
                                     tints[i],
                                     PVRTVec3(0.6f, 0.6f, 0.6f),
                                     4.0f + 10.0f * static_cast<float>(i),
                                     0.0f,
                                     {},
                                     {}});
    }
    return materials;
}

// The room under the start-up camera and light, its wallpaper textures
// filled with one texel each so every fragment of the back wall reads the
// same relief and material slot.
class WallPaperRenderRoomTest : public WallPaperFixture, public CordStage {
protected:
    void SetUp() override {
        WallPaperFixture::SetUp();
        catalogue = std::make_unique<ZQ::LevelModel>(LevelTestRecords::records(76),
                                                     LevelTestRecords::record("Ground"));
        ZQ::gGlobals.levelModel = catalogue.get();
        setUpStage();
        light.setUp();
        ZQ::gGlobals.lightModel = &light;
        room.setUp();
        ZQ::gGlobals.roomModel = &room;
        // Slot k lights in one colour of its own, without highlights.
        const PVRTVec3 diffuse[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}};
        room.current->colours.clear();
        for (const PVRTVec3& d : diffuse) {
            room.current->colours.push_back(Material{PVRTVec3(), d, PVRTVec3(), 1.0f, 0.0f, {}, {}});
        }
        fill(ZQ::gGlobals.wallPaperHeightTextures[0], 64, 64, {128, 128, 128, 255});
    }
    void TearDown() override {
        room.tearDown();
        light.tearDown();
        tearDownStage();
        WallPaperFixture::TearDown();
    }

    // The room pass alone into the screen target, as the frame calls it; the
    // pixel at the middle of the screen, which shows the back wall.
    std::array<uint8_t, 4> drawRoom(ZQ::WallPaperRenderRoom& pass) {
        targets.sceneContext->bind();
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        pass.render();
        glDisable(GL_DEPTH_TEST);
        return HeadlessGL::readPixel(static_cast<int>(kWidth) / 2, static_cast<int>(kHeight) / 2);
    }

    // The whole screen after the room pass alone.
    std::vector<uint8_t> drawWholeRoom(ZQ::WallPaperRenderRoom& pass) {
        drawRoom(pass);
        return HeadlessGL::readPixels(0, 0, static_cast<int>(kWidth), static_cast<int>(kHeight));
    }

    // A texture of blocks of pseudo-random texels, block x block texels each,
    // so filtering sees both flat runs and edges.
    static void fillBlocks(GLuint texture, int width, int height, int block, uint32_t seed) {
        std::vector<uint8_t> pixels(static_cast<std::size_t>(width * height * 4));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const auto bx = static_cast<uint32_t>(x / block);
                const auto by = static_cast<uint32_t>(y / block);
                uint32_t h = seed ^ (bx * 73856093u) ^ (by * 19349663u);
                for (int c = 0; c < 4; ++c) {
                    h = h * 1664525u + 1013904223u;
                    pixels[static_cast<std::size_t>((y * width + x) * 4 + c)] = static_cast<uint8_t>(h >> 24);
                }
            }
        }
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    std::unique_ptr<ZQ::LevelModel> catalogue;
    ZQ::LightModel light;
    ZQ::RoomModel room;
};

TEST_F(WallPaperRenderRoomTest, TheColourAlphaPicksTheMaterialSlot) {
    ZQ::WallPaperRenderRoom pass(new WallPaperRoomProgram(false));
    pass.setUp();
    // alpha v/4 as the pre-pass writes it, for v = 0..3.
    const uint8_t alphas[] = {0, 64, 128, 191};
    for (int slot = 0; slot < 4; ++slot) {
        fill(ZQ::gGlobals.wallPaperColourTextures[0], 64, 64, {128, 128, 255, alphas[slot]});
        const std::array<uint8_t, 4> p = drawRoom(pass);
        const PVRTVec3& d = room.current->colours[static_cast<std::size_t>(slot)].diffuse;
        const float wanted[3] = {d.x, d.y, d.z};
        for (int c = 0; c < 3; ++c) {
            if (wanted[c] > 0.0f) {
                EXPECT_GT(p[c], 20) << "slot " << slot << " channel " << c;
            } else {
                EXPECT_EQ(p[c], 0) << "slot " << slot << " channel " << c;
            }
        }
    }
    pass.tearDown();
}

TEST_F(WallPaperRenderRoomTest, AFullyShadowedWallKeepsSeventyThreeHundredths) {
    ZQ::WallPaperRenderRoom pass(new WallPaperRoomProgram(true));
    pass.setUp();
    for (Material& m : room.current->colours) {
        m.diffuse = PVRTVec3(1.0f, 1.0f, 1.0f);
    }
    fill(ZQ::gGlobals.wallPaperColourTextures[0], 64, 64, {128, 128, 255, 0});
    const PVRTVec2 shadow = ZQ::RenderTargets::shadowSize(kWidth, kHeight, kTarget);
    const int sw = static_cast<int>(shadow.x);
    const int sh = static_cast<int>(shadow.y);
    // Depth packs as r/256^3 + g/256^2 + b/256 + a: white lies beyond
    // everything, black in front of everything.
    fill(ZQ::gGlobals.shadowMapTexture, sw, sh, {255, 255, 255, 255});
    const std::array<uint8_t, 4> lit = drawRoom(pass);
    fill(ZQ::gGlobals.shadowMapTexture, sw, sh, {0, 0, 0, 0});
    const std::array<uint8_t, 4> shadowed = drawRoom(pass);
    ASSERT_GT(lit[0], 80) << "the wall must be lit well enough to measure";
    EXPECT_NEAR(static_cast<float>(shadowed[0]) / static_cast<float>(lit[0]), 0.73f, 0.015f)
        << int(shadowed[0]) << " of " << int(lit[0]);
    pass.tearDown();
}

// The fast shader against the reference one on a busy relief, height and
// shadow map: the same picture but for float rounding. A rounding can tip one
// of the nine shadow samples (some 8 levels on a lit wall), so a few pixels
// may move that far; none further, and almost all by at most 2 levels.
TEST_F(WallPaperRenderRoomTest, TheFastShaderDrawsTheReferencePicture) {
    for (bool shadows : {false, true}) {
        ZQ::WallPaperRenderRoom fast(new WallPaperRoomProgram(shadows));
        ZQ::WallPaperRenderRoom reference(
            new WallPaperRoomProgram(shadows, WallPaperRoomProgram::Shading::reference));
        fast.setUp();
        reference.setUp();
        room.current->colours = fourTints();
        fillBlocks(ZQ::gGlobals.wallPaperColourTextures[0], 64, 64, 3, 1u);
        fillBlocks(ZQ::gGlobals.wallPaperHeightTextures[0], 64, 64, 5, 2u);
        const PVRTVec2 shadow = ZQ::RenderTargets::shadowSize(kWidth, kHeight, kTarget);
        fillBlocks(ZQ::gGlobals.shadowMapTexture, static_cast<int>(shadow.x), static_cast<int>(shadow.y), 4,
                   3u);

        const std::vector<uint8_t> want = drawWholeRoom(reference);
        const std::vector<uint8_t> got = drawWholeRoom(fast);
        ASSERT_EQ(got.size(), want.size());
        std::size_t lit = 0;
        std::size_t loose = 0;
        int worst = 0;
        for (std::size_t i = 0; i < got.size(); i += 4) {
            int d = 0;
            for (std::size_t c = 0; c < 4; ++c) {
                d = std::max(d, std::abs(static_cast<int>(got[i + c]) - static_cast<int>(want[i + c])));
            }
            worst = std::max(worst, d);
            loose += d > 2 ? 1 : 0;
            lit += want[i] + want[i + 1] + want[i + 2] > 60 ? 1 : 0;
        }
        const std::size_t pixels = got.size() / 4;
        EXPECT_GT(lit * 4, pixels) << "the walls must be lit to compare anything";
        EXPECT_LE(worst, 9) << "shadows " << shadows;
        EXPECT_LE(loose * 200, pixels) << loose << " pixels off by more than 2, shadows " << shadows;
        fast.tearDown();
        reference.tearDown();
    }
}

// The squares drawn without the filter against the filter everywhere, with
// casters (random depths, in front of the walls) in one corner of the map and
// the white clear elsewhere: bit for bit the same picture, both programs at
// work. A grid that hides the casters must show in the picture, or the
// comparison could not catch a wrong proof.
TEST_F(WallPaperRenderRoomTest, TheUnfilteredSquaresChangeNoPixel) {
    ZQ::WallPaperRenderRoom pass(new WallPaperRoomProgram(true));
    pass.setUp();
    pass.tiles.tileSize = 8;
    room.current->colours = fourTints();
    fillBlocks(ZQ::gGlobals.wallPaperColourTextures[0], 64, 64, 3, 6u);
    fillBlocks(ZQ::gGlobals.wallPaperHeightTextures[0], 64, 64, 5, 7u);
    const PVRTVec2 shadow = ZQ::RenderTargets::shadowSize(kWidth, kHeight, kTarget);
    const int sw = static_cast<int>(shadow.x);
    const int sh = static_cast<int>(shadow.y);
    // Casters over texels [kX0, kX0 + 9) x [kY0, kY0 + 12), where the back
    // wall looks: depths of at most 1/4 after the alpha channel, nearer the
    // light than any wall.
    const int kX0 = sw / 2 - 4;
    const int kY0 = sh / 2 - 6;
    std::vector<uint8_t> map(static_cast<std::size_t>(sw * sh * 4), 255);
    uint32_t h = 11u;
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 9; ++x) {
            for (int c = 0; c < 4; ++c) {
                h = h * 1664525u + 1013904223u;
                const auto v = static_cast<uint8_t>(h >> 24);
                map[static_cast<std::size_t>(((kY0 + y) * sw + kX0 + x) * 4 + c)] = c == 3 ? v / 4 : v;
            }
        }
    }
    glBindTexture(GL_TEXTURE_2D, ZQ::gGlobals.shadowMapTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, sw, sh, 0, GL_RGBA, GL_UNSIGNED_BYTE, map.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    // Two triangles over the same texels, given straight in device coordinates.
    const auto ndc = [](float texel, int size) { return texel / static_cast<float>(size) * 2.0f - 1.0f; };
    const float x0 = ndc(static_cast<float>(kX0), sw), y0 = ndc(static_cast<float>(kY0), sh);
    const float x1 = ndc(static_cast<float>(kX0 + 9), sw), y1 = ndc(static_cast<float>(kY0 + 12), sh);
    const ZQ::CordVertex corners[4] = {{{x0, y0, 0.0f}, {}, {}, 0.0f},
                                       {{x1, y0, 0.0f}, {}, {}, 0.0f},
                                       {{x1, y1, 0.0f}, {}, {}, 0.0f},
                                       {{x0, y1, 0.0f}, {}, {}, 0.0f}};
    const uint32_t quad[6] = {0, 1, 2, 0, 2, 3};
    ZQ::ShadowCasterGrid grid;
    grid.reset(sw, sh, ZQ::gGlobals.frameCount);
    grid.project(PVRTMat4::identity(), corners, 4);
    grid.addTriangles(quad, 6);
    pass.casters = &grid;

    pass.tileShadows = false;
    const std::vector<uint8_t> want = drawWholeRoom(pass);
    pass.tileShadows = true;
    const std::vector<uint8_t> got = drawWholeRoom(pass);
    EXPECT_GT(pass.tiles.litTiles, 0);
    EXPECT_GT(pass.tiles.filteredTiles, 0);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
        differing += got[i] != want[i] ? 1 : 0;
    }
    EXPECT_EQ(differing, 0u);

    grid.reset(sw, sh, ZQ::gGlobals.frameCount);
    EXPECT_FALSE(drawWholeRoom(pass) == want) << "hiding the casters must change the picture";
    EXPECT_EQ(pass.tiles.filteredTiles, 0);
    pass.tearDown();
}

// Under the start-up camera the next room lies behind the current room's back
// wall: the pass leaves it out, and the picture is bit for bit the one
// drawing it gives.
TEST_F(WallPaperRenderRoomTest, LeavingOutTheHiddenRoomChangesNoPixel) {
    ZQ::WallPaperRenderRoom pass(new WallPaperRoomProgram(true));
    pass.setUp();
    fillBlocks(ZQ::gGlobals.wallPaperColourTextures[0], 64, 64, 3, 4u);
    fillBlocks(ZQ::gGlobals.wallPaperColourTextures[1], 64, 64, 2, 5u);
    const std::vector<uint8_t> skipping = drawWholeRoom(pass);
    auto& program = *static_cast<WallPaperRoomProgram*>(pass.program);
    const PVRTVec3 d = room.corners[7] - room.corners[0];
    const PVRTVec3 box(std::fabs(d.x), std::fabs(d.y), std::fabs(d.z));
    EXPECT_TRUE(ZQ::WallPaperRenderRoom::hiddenBehindBackWall(
        program.cameraMatrix, ZQ::WallPaperRenderRoom::roomModelMatrix(room.current->layout, box),
        ZQ::WallPaperRenderRoom::roomModelMatrix(room.next->layout, box)))
        << "the check must be put to work";
    pass.skipHidden = false;
    const std::vector<uint8_t> drawing = drawWholeRoom(pass);
    EXPECT_TRUE(skipping == drawing);
    pass.tearDown();
}

TEST_F(WallPaperRenderRoomTest, ShadowUniformsExistOnlyWithRoomShadows) {
    using namespace ZQ::ShaderNames;
    for (bool shadows : {false, true}) {
        WallPaperRoomProgram program(shadows);
        program.setUp();
        ASSERT_TRUE(program.shader->linked);
        const auto& uniforms = program.shader->uniformLocations;
        for (const char* name : {u_shadowMap, u_shadowMapStep, u_PCFRadius}) {
            EXPECT_EQ(uniforms.count(name), shadows ? 1u : 0u) << name;
            if (shadows) {
                EXPECT_GE(uniforms.at(name), 0) << name;
            }
        }
        EXPECT_GE(uniforms.at(u_wallpaper), 0);
        program.tearDown();
    }
}

TEST(WallPaperRoomProgramTest, EachFaceSpansTheTextureWithItsLongerSide) {
    // A 1024 x 768 screen, 20 world units across: the margin is 307.2 pixels.
    const float worldScale = 20.0f / 1024.0f;
    const auto scale = [&](int32_t face) {
        return WallPaperRoomProgram::textureScale(WallPaperRoomProgram::faceKindOf(face), 1024.0f, 768.0f,
                                                  worldScale);
    };
    EXPECT_FLOAT_EQ(scale(0).x, 1.0f); // back wall
    EXPECT_FLOAT_EQ(scale(0).y, 1382.4f / 3379.2f);
    for (int32_t side : {1, 2}) {
        EXPECT_FLOAT_EQ(scale(side).x, 1152.0f / 1382.4f);
        EXPECT_FLOAT_EQ(scale(side).y, 1.0f);
    }
    for (int32_t flat : {3, 4}) { // ceiling and floor
        EXPECT_FLOAT_EQ(scale(flat).x, 1.0f);
        EXPECT_FLOAT_EQ(scale(flat).y, 1152.0f / 3379.2f);
    }
}

// A 90-degree camera at the origin looking down -z at a room whose back wall,
// 8 x 6, stands at z = -15.
TEST(WallPaperRoomProgramTest, OnlyABoxWhollyBehindTheBackWallIsHidden) {
    const float nearZ = 1.0f;
    const float farZ = 100.0f;
    PVRTMat4 camera = PVRTMat4::identity();
    camera.f[0] = 1.0f;
    camera.f[5] = 1.0f;
    camera.f[10] = (farZ + nearZ) / (nearZ - farZ);
    camera.f[11] = -1.0f;
    camera.f[14] = 2.0f * farZ * nearZ / (nearZ - farZ);
    camera.f[15] = 0.0f;
    const PVRTMat4 front = PVRTMat4::translation(0.0f, 0.0f, -10.0f) * PVRTMat4::scale(8.0f, 6.0f, 10.0f);
    const auto hidden = [&](float x, float z, float size, float depth) {
        const PVRTMat4 box = PVRTMat4::translation(x, 0.0f, z) * PVRTMat4::scale(size, size, depth);
        return ZQ::WallPaperRenderRoom::hiddenBehindBackWall(camera, front, box);
    };
    EXPECT_TRUE(hidden(0.0f, -25.0f, 2.0f, 2.0f));
    EXPECT_TRUE(hidden(2.0f, -40.0f, 4.0f, 10.0f));
    EXPECT_FALSE(hidden(10.0f, -25.0f, 2.0f, 2.0f)) << "beside the wall's outline";
    EXPECT_FALSE(hidden(0.0f, -25.0f, 30.0f, 2.0f)) << "wider than the wall as seen";
    EXPECT_FALSE(hidden(0.0f, -8.0f, 1.0f, 1.0f)) << "between the eye and the wall";
    EXPECT_FALSE(hidden(0.0f, -15.0f, 1.0f, 1.0f)) << "through the wall";
    EXPECT_FALSE(hidden(0.0f, 5.0f, 1.0f, 1.0f)) << "behind the eye";
    // A wall reaching before the near plane hides nothing.
    const PVRTMat4 close = PVRTMat4::translation(0.0f, 0.0f, 0.0f) * PVRTMat4::scale(8.0f, 6.0f, 1.0f);
    EXPECT_FALSE(ZQ::WallPaperRenderRoom::hiddenBehindBackWall(
        camera, close, PVRTMat4::translation(0.0f, 0.0f, -25.0f) * PVRTMat4::scale(1.0f, 1.0f, 1.0f)));
}

TEST(WallPaperRoomProgramTest, TheModelMatrixTurnsAndScalesTheUnitBox) {
    ZQ::Layout pose;
    pose.position = PVRTVec3(10.0f, 20.0f, 30.0f);
    pose.angles = PVRTVec3(0.3f, -1.1f, 0.7f);
    pose.scale = 2.0f;
    const PVRTVec3 box(300.0f, 140.0f, 110.0f);
    const PVRTMat4 m = ZQ::WallPaperRenderRoom::roomModelMatrix(pose, box);
    const PVRTMat4 n = ZQ::WallPaperRenderRoom::roomScaleMatrix(pose, box);
    // Worked out by hand: scale, then z, x and y turns, each the transpose of
    // the usual counter-clockwise one, then the translation.
    const PVRTVec3 p(0.5f, -0.5f, 0.25f);
    PVRTVec3 q(p.x * box.x * 2.0f, p.y * box.y * 2.0f, p.z * box.z * 2.0f);
    const float cz = std::cos(0.7f), sz = std::sin(0.7f);
    q = PVRTVec3(cz * q.x + sz * q.y, -sz * q.x + cz * q.y, q.z);
    const float cx = std::cos(0.3f), sx = std::sin(0.3f);
    q = PVRTVec3(q.x, cx * q.y + sx * q.z, -sx * q.y + cx * q.z);
    const float cy = std::cos(-1.1f), sy = std::sin(-1.1f);
    q = PVRTVec3(cy * q.x - sy * q.z, q.y, sy * q.x + cy * q.z);
    const PVRTVec4 got = m * PVRTVec4(p.x, p.y, p.z, 1.0f);
    EXPECT_NEAR(got.x, q.x + 10.0f, 1e-3f);
    EXPECT_NEAR(got.y, q.y + 20.0f, 1e-3f);
    EXPECT_NEAR(got.z, q.z + 30.0f, 1e-3f);
    // Without turns: the scale applied twice, as the normal matrix takes it.
    const PVRTVec4 scaled = n * PVRTVec4(p.x, p.y, p.z, 1.0f);
    EXPECT_NEAR(scaled.x, p.x * box.x * 4.0f + 10.0f, 1e-3f);
    EXPECT_NEAR(scaled.z, p.z * box.z * 4.0f + 30.0f, 1e-3f);
}

} // namespace
