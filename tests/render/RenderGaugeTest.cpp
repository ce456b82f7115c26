#include "render/RenderGauge.h"

#include "engine/LeafActions.h"
#include "render/GaugeRibbon.h"
#include "render/RenderTangle.h"
#include "stage/GaugeModel.h"
#include "support/SceneFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using ZQ::GaugeRibbon;

// The bands of a three-grade table: Golden above 0.8, Silver above 0.5.
const std::vector<std::pair<float, float>> kBands = {{0.5f, 2.0f}, {0.8f, 1.0f}, {1.0f, 0.0f}};

TEST(GaugeRibbonTest, RingAndIndexCountsFollowTheFillAndNeverGoNegative) {
    EXPECT_EQ(GaugeRibbon::ringCountFor(1.0f), 501);
    EXPECT_EQ(GaugeRibbon::indexCountFor(501), 12012);
    EXPECT_EQ(GaugeRibbon::ringCountFor(0.002f), 1);
    EXPECT_EQ(GaugeRibbon::indexCountFor(1), 12) << "only the two caps of ring 0";
    EXPECT_EQ(GaugeRibbon::ringCountFor(0.5f), 250);
    EXPECT_EQ(GaugeRibbon::indexCountFor(250), 5988);
    for (const float fill : {0.0f, 1.0f / 502.0f, -1.0f}) {
        EXPECT_EQ(GaugeRibbon::ringCountFor(fill), 1) << fill;
    }
    // Counted rings never pass the fill: ring r - 1 is the last counted, and
    // the first ring past the fill is ring r + 1.
    for (int k = 2; k < 500; k += 7) {
        const float fill = static_cast<float>(k) / 501.0f + 0.0005f;
        const int32_t rings = GaugeRibbon::ringCountFor(fill);
        EXPECT_LE(static_cast<float>(rings) / 501.0f, fill);
        EXPECT_GT(static_cast<float>(rings + 1) / 501.0f, fill);
    }
}

TEST(GaugeRibbonTest, TheRibbonIsBuiltUpToTheFillInTheMetalOfEachBand) {
    std::vector<GaugeRibbon::Vertex> vertices;
    std::vector<uint32_t> indices;
    for (const float fill : {1.0f, 0.5f, 0.002f, 0.0f}) {
        const int32_t rings = GaugeRibbon::build(1.0f, fill, kBands, 10.0f, 200.0f, vertices, indices);
        EXPECT_EQ(rings, GaugeRibbon::ringCountFor(fill));
        EXPECT_EQ(static_cast<int32_t>(indices.size()), GaugeRibbon::indexCountFor(rings)) << fill;
        EXPECT_EQ(vertices.size(), 501u * 12u);
        const uint32_t top = *std::max_element(indices.begin(), indices.end());
        EXPECT_LT(top, static_cast<uint32_t>(12 * std::max(rings, 1) + 12))
            << "no ring past the fill is used";
    }
    GaugeRibbon::build(1.0f, 1.0f, kBands, 10.0f, 200.0f, vertices, indices);
    // The metal changes at the first ring whose fraction passes a bound.
    for (int32_t ring = 0; ring < 501; ++ring) {
        const float f = static_cast<float>(ring) / 501.0f;
        const float expected = f <= 0.5f ? 2.0f : f <= 0.8f ? 1.0f : 0.0f;
        ASSERT_EQ(vertices[static_cast<std::size_t>(ring) * 12].index, expected) << "ring " << ring;
    }
    EXPECT_EQ(GaugeRibbon::bandIndex({}, 0.25f), 0.25f) << "no bands: the fraction itself";
    // Every normal is a unit vector and every position finite.
    for (const GaugeRibbon::Vertex& v : vertices) {
        const float n2 = v.normal[0] * v.normal[0] + v.normal[1] * v.normal[1] + v.normal[2] * v.normal[2];
        ASSERT_NEAR(n2, 1.0f, 1e-3f);
        ASSERT_TRUE(std::isfinite(v.position[0] + v.position[1] + v.position[2]));
    }
}

class RenderGaugeTest : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        ZQ::gGlobals.gaugeModel = &gauges;
        pass.setUp();
    }
    void TearDown() override {
        pass.tearDown();
        SceneFixture::TearDown();
    }

    // A flat gauge facing the screen at its centre, in the grade metals.
    ZQ::GaugeInstance* addGauge(float fill) {
        auto* gauge = new ZQ::GaugeInstance();
        gauge->layout.position = PVRTVec3(kW / 2.0f, kH / 2.0f, 0.0f);
        gauge->layout.scale = 1.5f;
        gauge->depth = 0.01f;
        gauge->fill = fill;
        gauge->bands = kBands;
        for (int32_t grade = 0; grade < 5; ++grade) {
            gauge->materials.push_back(ZQ::RenderTangle::materials[static_cast<std::size_t>(4 - grade)]);
        }
        gauge->setAction(new ZQ::NopAction());
        gauges.addGauge(gauge);
        return gauge;
    }

    void draw() {
        clearTarget();
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        pass.render();
        EXPECT_NO_GL_ERROR();
    }

    ZQ::GaugeModel gauges;
    ZQ::RenderGauge pass{&gauges};
};

TEST_F(RenderGaugeTest, TheFullGaugeIsACoilOfGoldAroundItsCentre) {
    draw(); // nothing listed: nothing drawn
    EXPECT_EQ(HeadlessGL::readPixel(kW / 2 + 3 * kW / 8, kH / 2)[3], 0);

    addGauge(1.0f);
    draw();
    EXPECT_EQ(pass.ringCount, 501);
    EXPECT_EQ(pass.indexCount, 12012);
    // The flattened helix is a ring round the centre, as wide to the left as
    // to the right; its last rings, in front, are Golden.
    const std::vector<uint8_t> row = HeadlessGL::readPixels(0, kH / 2, kW, 1);
    int left = kW;
    int right = -1;
    for (int x = 0; x < kW; ++x) {
        if (row[static_cast<std::size_t>(x) * 4 + 3] > 0) {
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    ASSERT_GT(right, kW / 2 + kW / 5);
    EXPECT_NEAR(left + right, kW, 4);
    const auto rim = HeadlessGL::readPixel(right - 4, kH / 2);
    EXPECT_GT(rim[3], 200);
    EXPECT_GT(rim[0], rim[2]) << "gold: more red than blue";
    EXPECT_EQ(HeadlessGL::readPixel(kW / 2, kH / 2)[3], 0) << "the centre stays clear";
}

TEST_F(RenderGaugeTest, TheMetalChangesBetweenTwoRingsWithoutABlendOfTwo) {
    // A primary colour a grade: a pixel of two primaries blends two metals.
    ZQ::GaugeInstance* gauge = addGauge(1.0f);
    for (std::size_t m = 0; m < 5; ++m) {
        gauge->materials[m].diffuse =
            PVRTVec3(m == 0 ? 1.0f : 0.0f, m == 1 ? 1.0f : 0.0f, m >= 2 ? 1.0f : 0.0f);
    }
    draw();
    const std::vector<uint8_t> pixels = HeadlessGL::readPixels(0, 0, kW, kH);
    int byPrimaries[4] = {}; // pixels by the number of primaries they show
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        ++byPrimaries[(pixels[i] > 8 ? 1 : 0) + (pixels[i + 1] > 8 ? 1 : 0) + (pixels[i + 2] > 8 ? 1 : 0)];
    }
    EXPECT_GT(byPrimaries[1], 1000);
    EXPECT_EQ(byPrimaries[2] + byPrimaries[3], 0);
}

TEST_F(RenderGaugeTest, EveryGaugeShowsTheFillOfTheOneOnShow) {
    ZQ::GaugeInstance* shown = addGauge(0.002f);
    ZQ::GaugeInstance* other = addGauge(1.0f);
    draw();
    EXPECT_EQ(pass.indexCount, 12);
    shown->state = 1; // none other of state 0 but `other`
    draw();
    EXPECT_EQ(pass.indexCount, 12012);
    other->state = 1; // none on show: the last geometry stays
    shown->fill = 0.5f;
    draw();
    EXPECT_EQ(pass.indexCount, 12012);
}

} // namespace
