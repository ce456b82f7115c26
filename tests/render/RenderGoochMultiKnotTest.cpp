#include "render/RenderGoochMultiKnot.h"

#include "KnotFixture.h"
#include "constants/Palette.h"
#include "render/KnotGoochProgram.h"
#include "render/RenderShadowMap.h"
#include "render/ShaderProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using ZQ::CordModel;
using ZQ::KnotGoochProgram;
using ZQ::Material;
using ZQ::RenderGoochMultiKnot;

// The colours a Gooch material can show: cool to warm at a shading of
// (N.L + 1) / 2, which for the unnormalised normal runs over [-0.5, 1.5],
// clamped by the target. Distance of a pixel (0..1) to that curve.
double distanceToShading(const Material& m, const float pixel[3]) {
    double best = 1e9;
    for (int k = -50; k <= 150; ++k) {
        const float s = k / 100.0f;
        const PVRTVec3 c = m.cool + (m.warm - m.cool) * s;
        const float colour[3] = {std::clamp(c.x, 0.0f, 1.0f), std::clamp(c.y, 0.0f, 1.0f),
                                 std::clamp(c.z, 0.0f, 1.0f)};
        double d = 0.0;
        for (int i = 0; i < 3; ++i) {
            d = std::max(d, static_cast<double>(std::fabs(colour[i] - pixel[i])));
        }
        best = std::min(best, d);
    }
    return best;
}

class RenderGoochMultiKnotTest : public KnotFixture {
protected:
    // The pass with flat normal maps (the grain adds the view's z), without
    // or with cord shadows.
    std::unique_ptr<RenderGoochMultiKnot> makePass(bool shadows) {
        return makePass(new KnotGoochProgram(shadows));
    }
    std::unique_ptr<RenderGoochMultiKnot> makePass(KnotGoochProgram* program) {
        auto pass = std::make_unique<RenderGoochMultiKnot>(program);
        pass->setUp();
        for (ZQ::Texture*& map : program->normalMaps) {
            delete map;
            map = flatTexture({128, 128, 255, 255});
        }
        return pass;
    }

    // The scene group's state, the screen cleared to `clear`, the pass drawn.
    std::vector<uint8_t> draw(ZQ::Render& pass, std::array<float, 4> clear = {0, 0, 0, 0}, bool cull = true) {
        targets->sceneContext->bind();
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        cull ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
        glDepthMask(GL_TRUE);
        glDepthFunc(GL_LESS);
        glEnable(GL_DEPTH_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
        pass.render();
        glDisable(GL_BLEND);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        glActiveTexture(GL_TEXTURE0);
        return screen();
    }

    // The shadow pass into the shadow map, as the frame draws it (or with
    // no face culled).
    void castShadows(bool cast, bool cull = true) {
        targets->shadowContext->bind();
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (cast) {
            ZQ::RenderShadowMap shadow;
            shadow.setUp();
            cull ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
            glCullFace(GL_FRONT);
            glDepthFunc(GL_LEQUAL);
            glEnable(GL_DEPTH_TEST);
            shadow.render();
            glDisable(GL_CULL_FACE);
            glDisable(GL_DEPTH_TEST);
            shadow.tearDown();
        }
    }
};

TEST(RenderGoochMultiKnotFactor, TheTangleFactorRunsFromOneAtTheStartToZeroAtTheThreshold) {
    for (int32_t strings : {1, 2, 4}) {
        const float threshold = strings == 1 ? 1.35f : 1.0f;
        const float e0 = 3.0f;
        EXPECT_FLOAT_EQ(RenderGoochMultiKnot::tangleFactor(e0, e0, strings), 1.0f);
        EXPECT_FLOAT_EQ(RenderGoochMultiKnot::tangleFactor(threshold, e0, strings), 0.0f);
        EXPECT_FLOAT_EQ(RenderGoochMultiKnot::tangleFactor(threshold * 0.5f, e0, strings), 0.0f);
        EXPECT_FLOAT_EQ(RenderGoochMultiKnot::tangleFactor(e0 * 2.0f, e0, strings), 1.0f);
        // A string that started untangled never shows yellow.
        EXPECT_FLOAT_EQ(RenderGoochMultiKnot::tangleFactor(2.0f, threshold, strings), 0.0f);
        float last = 0.0f;
        for (float e = threshold; e <= e0; e += 0.05f) {
            const float t = RenderGoochMultiKnot::tangleFactor(e, e0, strings);
            EXPECT_GE(t, last);
            EXPECT_NEAR(t, (e - threshold) / (e0 - threshold), 1e-5f);
            last = t;
        }
    }
    // Between the two thresholds only a one-string cord counts as solved.
    EXPECT_FLOAT_EQ(RenderGoochMultiKnot::tangleFactor(1.2f, 2.0f, 1), 0.0f);
    EXPECT_GT(RenderGoochMultiKnot::tangleFactor(1.2f, 2.0f, 2), 0.0f);

    const Material cord = Material::cord(ZQ::Palette::navy, ZQ::Palette::steelBlue);
    const Material start = RenderGoochMultiKnot::capMaterial(cord, 1.0f);
    EXPECT_EQ(start.warm, ZQ::Palette::yellow);
    EXPECT_EQ(start.cool, ZQ::Palette::goldenrodDark);
    const Material solved = RenderGoochMultiKnot::capMaterial(cord, 0.0f);
    EXPECT_EQ(solved.warm, cord.warm);
    EXPECT_EQ(solved.cool, cord.cool);
}

TEST_F(RenderGoochMultiKnotTest, EndCapsAreYellowAtTheStartAndTakeTheCordColoursBelowTheThreshold) {
    for (int32_t level : {0, 73}) {
        // A blue cord, far from any yellow.
        const Material blue = Material::cord(ZQ::Palette::blue, ZQ::Palette::navy);
        for (Material& m : catalogue->levels[static_cast<std::size_t>(level)].cordMaterials) {
            m = blue;
        }
        layLevel(level);
        auto pass = makePass(false);
        const Material caps = RenderGoochMultiKnot::capMaterial(blue, 1.0f);

        // Pixels shaded as yellow caps and as the blue cord; the rest is
        // background or the edges between them.
        auto count = [&](const std::vector<uint8_t>& image, int& capPixels, int& cordPixels) {
            capPixels = 0;
            cordPixels = 0;
            for (std::size_t i = 0; i < image.size(); i += 4) {
                if (image[i + 3] == 0) {
                    continue;
                }
                const float p[3] = {image[i] / 255.0f, image[i + 1] / 255.0f, image[i + 2] / 255.0f};
                const double toCaps = distanceToShading(caps, p);
                const double toCord = distanceToShading(blue, p);
                capPixels += toCaps < 0.02 && toCord > 0.2;
                cordPixels += toCord < 0.02;
            }
        };
        int capPixels = 0;
        int cordPixels = 0;
        count(draw(*pass), capPixels, cordPixels);
        EXPECT_GT(capPixels, 4) << "level " << level;
        EXPECT_GT(cordPixels, capPixels * 4) << "level " << level;

        const float threshold = cord->stringCount() == 1 ? CordModel::kSingleSolved : CordModel::kMultiSolved;
        std::fill(cord->energy.begin(), cord->energy.end(), threshold * 0.9f);
        count(draw(*pass), capPixels, cordPixels);
        EXPECT_EQ(capPixels, 0) << "level " << level;
        EXPECT_GT(cordPixels, 100) << "level " << level;
        pass->tearDown();
        cord->unload();
        meshes->unloadJobs();
    }
    EXPECT_NO_GL_ERROR();
}

TEST_F(RenderGoochMultiKnotTest, ACordAtAlphaZeroLeavesTheTargetUnchangedAndNoParticlesDrawNothing) {
    layLevel(10);
    auto pass = makePass(true);
    castShadows(true);
    const std::array<float, 4> clear = {0.2f, 0.4f, 0.6f, 1.0f};
    targets->sceneContext->bind();
    glClearColor(clear[0], clear[1], clear[2], clear[3]);
    glClear(GL_COLOR_BUFFER_BIT);
    const std::vector<uint8_t> empty = screen();

    EXPECT_NE(draw(*pass, clear), empty);
    cord->instance->layout.alpha = 0.0f;
    EXPECT_EQ(draw(*pass, clear), empty);

    cord->instance->layout.alpha = 1.0f;
    cord->count = 0;
    EXPECT_EQ(draw(*pass, clear), empty);
    pass->tearDown();
    EXPECT_NO_GL_ERROR();
}

// Meshed but never uploaded, the strings have ranges but the buffers no names: neither pass may draw (GL
// would read the index offsets as addresses in client memory).
TEST_F(RenderGoochMultiKnotTest, NeitherPassDrawsBeforeTheMeshesAreFirstUploaded) {
    layLevel(73, 0);
    meshes->meshJobs(); // meshed, not uploaded
    ASSERT_EQ(meshes->getBuffer().vbo, 0u);
    ASSERT_GT(meshes->getBuffer().ranges.front().indexCount, 0);
    auto pass = makePass(true);
    castShadows(true);
    targets->shadowContext->bind();
    for (uint8_t channel : HeadlessGL::readPixels(0, 0, 16, 16)) {
        ASSERT_EQ(channel, 255);
    }
    for (uint8_t channel : draw(*pass)) {
        ASSERT_EQ(channel, 0);
    }
    pass->tearDown();
    EXPECT_NO_GL_ERROR();
}

// A missing normal map (its load fails and logs) shades like a flat one, not
// like the black texel an empty texture samples as.
TEST_F(RenderGoochMultiKnotTest, AMissingNormalMapShadesLikeAFlatOne) {
    layLevel(10);
    auto pass = makePass(false);
    const std::vector<uint8_t> flat = draw(*pass);
    auto& program = *static_cast<KnotGoochProgram*>(pass->program);
    for (ZQ::Texture*& map : program.normalMaps) {
        delete map;
        map = new ZQ::TextureFile("no_such_normal_map", "pvr", true, GL_NEAREST, GL_NEAREST);
        map->setUp();
        ASSERT_EQ(map->name, 0u);
    }
    EXPECT_EQ(draw(*pass), flat);
    pass->tearDown();
    EXPECT_NO_GL_ERROR();
}

// A knot's crossings put stretches of cord behind others as seen from the
// light: those read darker, but never below the shadow factor's 0.73, and a
// program without cord shadows ignores whatever the map holds.
TEST_F(RenderGoochMultiKnotTest, ShadowsDarkenStretchesBehindOthersByNoMoreThanTheShadowFactor) {
    layLevel(73);
    auto shadowed = makePass(true);
    castShadows(false);
    const std::vector<uint8_t> lit = draw(*shadowed);
    castShadows(true);
    const std::vector<uint8_t> shaded = draw(*shadowed);
    auto plain = makePass(false);
    const std::vector<uint8_t> unshadowed = draw(*plain);

    ASSERT_EQ(lit.size(), shaded.size());
    int darker = 0;
    int drawn = 0;
    for (std::size_t i = 0; i < lit.size(); i += 4) {
        if (lit[i + 3] == 0) {
            continue;
        }
        ++drawn;
        bool dark = false;
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_LE(shaded[i + c], lit[i + c] + 1) << "pixel " << i / 4;
            EXPECT_GE(shaded[i + c] + 2, 0.73 * lit[i + c]) << "pixel " << i / 4;
            EXPECT_NEAR(unshadowed[i + c], lit[i + c], 1) << "pixel " << i / 4;
            dark = dark || shaded[i + c] + 3 < lit[i + c];
        }
        darker += dark;
    }
    EXPECT_GT(drawn, 500);
    EXPECT_GT(darker, drawn / 50) << darker << " of " << drawn;
    shadowed->tearDown();
    plain->tearDown();
    EXPECT_NO_GL_ERROR();
}

// Both views mirror x, which turns the tubes' windings round on the target.
// Drawn with the frame's culling the cord pass must show what it shows with
// no face culled, the near outside of every tube, and the shadow map must
// hold the far sides as the light sees them, deeper than the nearest surface.
TEST_F(RenderGoochMultiKnotTest, CullingLeavesTheTubesOutsideToTheScreenAndTheirFarSidesToTheShadowMap) {
    layLevel(61);
    auto pass = makePass(false);
    const std::vector<uint8_t> culled = draw(*pass);
    const std::vector<uint8_t> whole = draw(*pass, {0, 0, 0, 0}, false);
    std::size_t drawn = 0;
    std::size_t off = 0;
    for (std::size_t i = 0; i < culled.size(); i += 4) {
        drawn += whole[i + 3] != 0 ? 1 : 0;
        for (std::size_t c = 0; c < 3; ++c) {
            off += std::abs(culled[i + c] - whole[i + c]) > 2 ? 1 : 0;
        }
    }
    EXPECT_GT(drawn, 500u);
    EXPECT_LE(off * 200, drawn) << off << " channels differ of " << drawn << " pixels";

    const auto map = [this](bool cull) {
        castShadows(true, cull);
        ZQ::FramebufferContext& target = *targets->shadowContext;
        target.resolve();
        glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
        return HeadlessGL::readPixels(0, 0, static_cast<int>(target.width), static_cast<int>(target.height));
    };
    const std::vector<uint8_t> farSides = map(true);
    const std::vector<uint8_t> nearest = map(false);
    // The packed depth, alpha its most significant part.
    const auto depth = [](const uint8_t* texel) {
        return ((texel[0] / 256.0 + texel[1]) / 256.0 + texel[2]) / 256.0 + texel[3];
    };
    std::size_t cast = 0;
    std::size_t deeper = 0;
    for (std::size_t i = 0; i < nearest.size(); i += 4) {
        if (nearest[i + 3] == 255) {
            continue; // the white clear: nothing cast here
        }
        ++cast;
        deeper += depth(&farSides[i]) > depth(&nearest[i]) ? 1 : 0;
    }
    EXPECT_GT(cast, 500u);
    EXPECT_GT(deeper * 10, cast * 9) << deeper << " of " << cast;
    pass->tearDown();
    EXPECT_NO_GL_ERROR();
}

// An opaque cord over a coloured, half transparent background: drawn with
// blending off, bit for bit the picture blending gives, and the frame's
// blending is on again afterwards.
TEST_F(RenderGoochMultiKnotTest, AnOpaqueCordDrawsTheSamePixelsUnblended) {
    layLevel(73);
    castShadows(true);
    auto pass = makePass(true);
    const std::array<float, 4> background = {0.2f, 0.5f, 0.7f, 0.3f};
    pass->skipOpaqueBlend = false;
    const std::vector<uint8_t> blended = draw(*pass, background);
    pass->skipOpaqueBlend = true;
    targets->sceneContext->bind();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    pass->render();
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_TRUE);
    const std::vector<uint8_t> unblended = draw(*pass, background);
    std::size_t drawn = 0;
    for (std::size_t i = 0; i < blended.size(); i += 4) {
        drawn += blended[i + 3] == 255 ? 1 : 0;
    }
    EXPECT_GT(drawn, 500u);
    EXPECT_TRUE(blended == unblended);
    pass->tearDown();
}

} // namespace
