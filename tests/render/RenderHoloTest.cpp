#include "render/RenderHolo.h"

#include "GLRecorder.h"
#include "cords/Cord.h"
#include "cords/MeshBuffer.h"
#include "engine/MathHelpers.h"
#include "engine/Random.h"
#include "render/HoloProgram.h"
#include "render/ShaderNames.h"
#include "render/ShaderProgram.h"
#include "stage/CameraModel.h"
#include "stage/HoloInstance.h"
#include "stage/HoloModel.h"
#include "support/SceneFixture.h"
#include "support/SeededRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using ZQ::HoloInstance;
using ZQ::HoloModel;
using ZQ::RenderHolo;

// The hologram model on the scene stage, nothing else in the scene.
class RenderHoloTest : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        ZQ::seedRandom(kTestSeed);
        holo = std::make_unique<HoloModel>();
        ZQ::gGlobals.holoModel = holo.get();
        holo->setUp();
        pass.setUp();
        for (int f = 0; f < 3; ++f) {
            frame();
        }
    }
    void TearDown() override {
        pass.tearDown();
        holo.reset();
        SceneFixture::TearDown();
    }

    // The hologram of `level` in the front slot, listed for drawing, turned
    // square to the camera.
    HoloInstance* show(int32_t level) {
        HoloInstance* h = holo->buildMesh(level);
        HoloModel::placeOnOrbit(h->layout, HoloModel::slotAngle(2));
        h->layout.angles = PVRTVec3();
        holo->instances[static_cast<std::size_t>(level)] = h;
        holo->count = std::max(holo->count, level + 1);
        return h;
    }

    // The first level whose knot has `strings` strings.
    int32_t levelWith(int strings) const {
        for (std::size_t k = 0; k < catalogue->levels.size(); ++k) {
            if (catalogue->levels[k].cord->strings == strings) {
                return static_cast<int32_t>(k);
            }
        }
        return -1;
    }

    // The frame's state for the translucent solids, blending off so the
    // alpha the shader wrote can be read back (or with no face culled).
    std::vector<uint8_t> draw(bool cull = true) {
        clearTarget();
        cull ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
        pass.render();
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        return HeadlessGL::readPixels(0, 0, kW, kH);
    }

    static const uint8_t* pixel(const std::vector<uint8_t>& image, int x, int y) {
        return &image[4 * (static_cast<std::size_t>(y) * kW + static_cast<std::size_t>(x))];
    }
    // Drawn: any colour at all (the lit term never falls below a quarter).
    static bool drawn(const uint8_t* p) { return p[0] > 0 || p[1] > 0 || p[2] > 0; }

    struct Extent {
        int left = kW, right = -1, bottom = kH, top = -1, count = 0;
    };
    static Extent extentOf(const std::vector<uint8_t>& image) {
        Extent e;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                if (drawn(pixel(image, x, y))) {
                    e.left = std::min(e.left, x);
                    e.right = std::max(e.right, x);
                    e.bottom = std::min(e.bottom, y);
                    e.top = std::max(e.top, y);
                    ++e.count;
                }
            }
        }
        return e;
    }

    GLint location(const char* name) const { return pass.program->shader->uniform(name); }

    std::unique_ptr<HoloModel> holo;
    RenderHolo pass;
};

std::vector<double> asDoubles(const PVRTVec3& v) {
    return {v.x, v.y, v.z};
}

TEST_F(RenderHoloTest, WithoutListedHologramsThePassMakesNoGLCall) {
    {
        GLRecorder gl;
        pass.render();
        EXPECT_TRUE(gl.calls().empty());
    }
    HoloInstance* h = show(0);
    h->layout.alpha = 0.0f;
    GLRecorder gl;
    pass.render();
    EXPECT_TRUE(gl.calls().empty()) << "alpha 0 is not drawn at all";
}

// A level without a knot: its hologram gets buffers but no strings and a
// box shrunk to a point; it is listed and set up, and draws nothing.
TEST_F(RenderHoloTest, AHologramWithoutStringsIsSetUpButDrawsNothing) {
    ZQ::LevelModel::Level& record = catalogue->levels[4];
    ZQ::Cord* knot = record.cord;
    record.cord = nullptr;
    HoloInstance* h = show(4);
    record.cord = knot;
    ASSERT_NE(h->mesh, nullptr);
    EXPECT_TRUE(h->mesh->ranges.empty());
    EXPECT_EQ(h->boxHeight(), 0.0f);
    h->scannerPhase = 0.5f;
    GLRecorder gl;
    pass.render();
    EXPECT_EQ(gl.count("glUseProgram"), 1);
    EXPECT_EQ(gl.count("glDrawElements"), 0);
    const auto lo = gl.uniformValues(location(ZQ::ShaderNames::u_bbox_min));
    const auto hi = gl.uniformValues(location(ZQ::ShaderNames::u_bbox_max));
    ASSERT_EQ(lo.size(), 1u);
    EXPECT_EQ(lo[0], hi[0]) << "a box of no extent";
    EXPECT_NO_GL_ERROR();
}

// What the program receives for string k of level L: entry (L + k) mod 4 of
// the four blues and of the scan band's colours.
TEST_F(RenderHoloTest, StringKOfLevelLWearsColourEntryLPlusKModFour) {
    const std::vector<std::vector<double>> blues = {
        asDoubles(PVRTVec3(0.2745f, 0.5098f, 0.7059f)),
        asDoubles(PVRTVec3(0.2549f, 0.4118f, 0.8824f)),
        asDoubles(PVRTVec3(0.1176f, 0.5647f, 1.0f)),
        asDoubles(PVRTVec3(0.0f, 0.8078f, 0.8196f)),
    };
    const std::vector<std::vector<double>> bands = {
        asDoubles(PVRTVec3(0.7f, 0.0f, 0.0f)),
        asDoubles(PVRTVec3(0.7f, 0.0f, 0.3f)),
        asDoubles(PVRTVec3(0.2f, 0.3f, 0.0f)),
        asDoubles(PVRTVec3(1.0f, 0.0f, 0.0f)),
    };
    const int32_t four = levelWith(4);
    ASSERT_GE(four, 0);
    for (int32_t level : {four, four + 1}) {
        holo->instances.assign(holo->instances.size(), nullptr);
        holo->count = 0;
        HoloInstance* h = show(level);
        const std::size_t strings = h->mesh->ranges.size();
        GLRecorder gl;
        pass.render();
        const auto draws = gl.all("glDrawElements");
        ASSERT_EQ(draws.size(), strings) << "one draw per string";
        const auto colours = gl.uniformValues(location(ZQ::ShaderNames::u_color));
        const auto scans = gl.uniformValues(location(ZQ::ShaderNames::u_scancolor));
        const auto alphas = gl.uniformValues(location(ZQ::ShaderNames::u_alpha));
        ASSERT_EQ(colours.size(), strings);
        for (std::size_t k = 0; k < strings; ++k) {
            const std::size_t entry = (static_cast<std::size_t>(level) + k) % 4;
            EXPECT_EQ(colours[k], blues[entry]) << "level " << level << " string " << k;
            EXPECT_EQ(scans[k], bands[entry]) << "level " << level << " string " << k;
            EXPECT_EQ(alphas[k][0], 1.0);
            EXPECT_EQ(draws[k].args[1], h->mesh->ranges[k].indexCount);
        }
        delete h;
        holo->instances[static_cast<std::size_t>(level)] = nullptr;
    }
    // Four strings show all four colours.
    std::vector<int32_t> entries;
    for (int32_t k = 0; k < 4; ++k) {
        entries.push_back(RenderHolo::colourEntry(four, k));
    }
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<int32_t>{0, 1, 2, 3}));
}

TEST_F(RenderHoloTest, TheWorldBoxFollowsTheSpinAndTheHologramsFieldsReachTheShader) {
    HoloInstance* h = show(3);
    h->layout.angles.y = 1.5707964f;
    h->noise = PVRTVec3(4.0f, 5.0f, 0.0f);
    h->scannerPhase = 0.25f;
    GLRecorder gl;
    pass.render();
    const float s = h->layout.scale * h->baseLayout.scale;
    const auto lo = gl.uniformValues(location(ZQ::ShaderNames::u_bbox_min));
    const auto hi = gl.uniformValues(location(ZQ::ShaderNames::u_bbox_max));
    ASSERT_EQ(lo.size(), 1u);
    // A quarter turn about y swaps the box's x and z extents.
    const PVRTVec3 size = h->corners[7] - h->corners[0];
    EXPECT_NEAR(hi[0][0] - lo[0][0], size.z * s, 1e-2);
    EXPECT_NEAR(hi[0][2] - lo[0][2], size.x * s, 1e-2);
    EXPECT_NEAR(hi[0][1] - lo[0][1], size.y * s, 1e-2);
    EXPECT_NEAR(lo[0][1], h->layout.position.y + h->corners[0].y * s, 1e-2);
    EXPECT_EQ(gl.uniformValues(location(ZQ::ShaderNames::u_noise))[0], asDoubles(h->noise));
    EXPECT_EQ(gl.uniformValues(location(ZQ::ShaderNames::u_scanner_phase))[0][0], 0.25);
    // The model matrix is T Ry Rx Rz S.
    const PVRTMat4 m = RenderHolo::modelMatrix(*h);
    const PVRTVec3 x = m.transformDirection(PVRTVec3(1.0f, 0.0f, 0.0f));
    EXPECT_NEAR(x.x, 0.0f, 1e-5f);
    EXPECT_NEAR(x.z, s, 1e-5f) << "Ry turns +x toward +z";
    // Nothing is left bound.
    const auto binds = gl.all("glBindBuffer");
    EXPECT_EQ(binds[binds.size() - 1].args[1], 0.0);
    EXPECT_EQ(binds[binds.size() - 2].args[1], 0.0);
}

TEST_F(RenderHoloTest, AnOpaqueHologramStillFadesTowardItsBack) {
    show(3);
    const std::vector<uint8_t> image = draw();
    int lowest = 255;
    int highest = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const uint8_t* p = pixel(image, x, y);
            if (drawn(p)) {
                lowest = std::min<int>(lowest, p[3]);
                highest = std::max<int>(highest, p[3]);
            }
        }
    }
    EXPECT_GT(highest, 200) << "the front is nearly opaque";
    EXPECT_LT(lowest, 100) << "the back nearly clear";
    EXPECT_NO_GL_ERROR();
}

// The camera's view mirrors x, which turns the tubes' windings round on the
// target. Drawn with the frame's culling the pass must show what it shows
// with no face culled, where the depth test alone keeps the near outside of
// every tube, and leave the frame's counter-clockwise front faces behind.
TEST_F(RenderHoloTest, CullingLeavesTheTubesOutsideToTheScreen) {
    show(3);
    const std::vector<uint8_t> culled = draw();
    GLint front = 0;
    glGetIntegerv(GL_FRONT_FACE, &front);
    EXPECT_EQ(front, GL_CCW);
    const std::vector<uint8_t> whole = draw(false);
    std::size_t covered = 0;
    std::size_t off = 0;
    for (std::size_t i = 0; i < culled.size(); i += 4) {
        covered += drawn(&whole[i]) ? 1 : 0;
        bool same = true;
        for (std::size_t c = 0; c < 4; ++c) {
            same = same && std::abs(culled[i + c] - whole[i + c]) <= 2;
        }
        off += same ? 0 : 1;
    }
    EXPECT_GT(covered, 500u);
    // Only pixels on the outlines, where the far sides reach a little past
    // the near ones, and at the tubes' open ends may differ.
    EXPECT_LE(off * 25, covered) << off << " pixels differ of " << covered;
    EXPECT_NO_GL_ERROR();
}

TEST_F(RenderHoloTest, TheScanBandFollowsThePhase) {
    // Colours without red, a red band: the red channel is the band alone.
    pass.colours.assign(4, PVRTVec3(0.0f, 0.6f, 0.6f));
    pass.scanColours.assign(4, PVRTVec3(1.0f, 0.0f, 0.0f));
    HoloInstance* h = show(2);
    const Extent e = extentOf(draw());
    ASSERT_GT(e.count, 500);
    auto bandRow = [&](float phase) {
        h->scannerPhase = phase;
        const std::vector<uint8_t> image = draw();
        double weighted = 0.0;
        double total = 0.0;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const double red = pixel(image, x, y)[0];
                // Only the brightest part of the band.
                if (red > 200.0) {
                    weighted += red * y;
                    total += red;
                }
            }
        }
        return total > 0.0 ? weighted / total : -1.0;
    };
    const double low = bandRow(0.2f);
    const double high = bandRow(0.8f);
    ASSERT_GT(low, 0.0);
    ASSERT_GT(high, 0.0);
    const double height = e.top - e.bottom;
    EXPECT_GT(high - low, 0.35 * height) << "the band climbs with the phase";
    EXPECT_NEAR((low - e.bottom) / height, 0.2, 0.15);
    EXPECT_NEAR((high - e.bottom) / height, 0.8, 0.15);
    EXPECT_EQ(bandRow(-1.0f), -1.0) << "below the knot at the end of a fade-out: no bright band";
}

TEST_F(RenderHoloTest, AFlatBoxAndAVertexOnTheScanLineGiveAFiniteColour) {
    pass.colours.assign(4, PVRTVec3(0.0f, 0.6f, 0.6f));
    pass.scanColours.assign(4, PVRTVec3(1.0f, 0.0f, 0.0f));
    HoloInstance* h = show(2);
    // The box flattened in y and z: the shader's two divisions would be 0/0,
    // and every vertex sits exactly on the scan line.
    for (PVRTVec3& corner : h->corners) {
        corner.y = 0.0f;
        corner.z = 0.0f;
    }
    h->scannerPhase = 0.5f;
    const std::vector<uint8_t> image = draw();
    int covered = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const uint8_t* p = pixel(image, x, y);
            if (drawn(p)) {
                ++covered;
                ASSERT_EQ(p[3], 255) << "no back to fade toward, at " << x << ", " << y;
                ASSERT_EQ(p[0], 255) << "the full band, at " << x << ", " << y;
            }
        }
    }
    EXPECT_GT(covered, 500);
}

TEST_F(RenderHoloTest, NoiseMovesEveryCellAlongXAndNoNoiseLeavesTheKnotInPlace) {
    HoloInstance* h = show(2);
    const std::vector<uint8_t> calm = draw();
    EXPECT_EQ(draw(), calm) << "drawn the same way twice";
    const Extent still = extentOf(calm);
    h->noise = PVRTVec3(100.0f, 0.0f, 0.0f);
    const std::vector<uint8_t> shaken = draw();
    const Extent moved = extentOf(shaken);
    EXPECT_NE(shaken, calm);
    // Which way world +x runs on the screen, as the camera sees it.
    const PVRTMat4 view = ZQ::gGlobals.cameraModel->viewMatrix();
    const PVRTVec3 at = h->layout.position;
    const float screenX = ZQ::projectPoint(view, at + PVRTVec3(1.0f, 0.0f, 0.0f), false).x -
                          ZQ::projectPoint(view, at, false).x;
    if (screenX > 0.0f) {
        EXPECT_GT(moved.right, still.right + 5) << "cells move to +x";
        EXPECT_GE(moved.left, still.left - 1) << "never to -x";
    } else {
        EXPECT_LT(moved.left, still.left - 5) << "cells move to +x";
        EXPECT_LE(moved.right, still.right + 1) << "never to -x";
    }
    // Only the perspective moves a cell vertically, by a few pixels.
    EXPECT_NEAR(moved.bottom, still.bottom, 8);
    EXPECT_NEAR(moved.top, still.top, 8);
}

} // namespace
