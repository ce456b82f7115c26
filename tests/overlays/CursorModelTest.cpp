#include "overlays/CursorModel.h"
#include "cords/Cord.h"
#include "cords/KnotGenerator.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/MathHelpers.h"
#include "render/MeshInstance.h"
#include "render/PodBox.h"
#include "support/CordStage.h"
#include "support/HeadlessGL.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The cursor over a laid two-string cord, with the game's models from the
// bundle in the POD box.
class CursorTest : public HeadlessGLTest, public CordStage {
protected:
    void SetUp() override {
        HeadlessGLTest::SetUp();
        setUpStage();
        pods.setUp();
        ZQ::gGlobals.podBox = &pods;
        ZQ::gGlobals.cursorModel = &cursor;
        shape = std::make_unique<ZQ::Cord>(6.0f, PVRTVec3(), 2, false, new ZQ::TorusKnot(2, 4, 2, 5, 0));
        shape->build();
        cord->loadCord(*shape);
        frame();
    }
    void TearDown() override {
        cursor.tearDown();
        pods.tearDown();
        tearDownStage();
        HeadlessGLTest::TearDown();
    }

    void stepAll(int frames) {
        for (int i = 0; i < frames; ++i) {
            frame();
            cursor.doStep();
        }
    }

    ZQ::PodBox pods;
    ZQ::CursorModel cursor;
    std::unique_ptr<ZQ::Cord> shape;
};

TEST_F(CursorTest, AFingerCursorDropsOntoItsParticleAndRidesIt) {
    const ZQ::CordModel::Segment& first = cord->segments.front();
    ZQ::MeshInstance* disc = cursor.showCursor(first.first, 7);
    EXPECT_EQ(disc->materialIndex, 2) << "colour modulo the five materials";
    EXPECT_EQ(disc->mesh->model, pods.model(ZQ::CursorModel::kCursorMesh));
    cursor.doStep();
    EXPECT_LT(disc->layout.alpha, 1.0f) << "dropping in";
    stepAll(12);
    // At the first particle of a string the direction runs to the next one.
    const PVRTVec3 p = cord->getParticlePos(first.first);
    PVRTVec3 d = cord->getParticlePos(first.first + 1) - p;
    if (d.length() > 1.0f) {
        d = d / d.length();
    }
    EXPECT_EQ(disc->layout.position, p);
    EXPECT_FLOAT_EQ(disc->layout.angles.x, std::atan2(d.y, d.x));
    EXPECT_FLOAT_EQ(disc->layout.angles.y, std::acos(d.z / d.length()));
    EXPECT_EQ(disc->layout.alpha, 1.0f);
    EXPECT_FLOAT_EQ(disc->layout.scale, 0.8f * 2.0f / ZQ::gGlobals.worldScale);
    stepAll(100);
    EXPECT_EQ(cursor.discs.size(), 1u) << "rides until hidden";
}

TEST_F(CursorTest, ADanglingFingerCursorIsDroppedWhenItsGraspEndsOrItsCordGoes) {
    ZQ::MeshInstance* held = cursor.showCursor(10, 0);
    ZQ::MeshInstance* other = cursor.showCursor(20, 1);
    cursor.dropCursor(held);
    stepAll(15);
    ASSERT_EQ(cursor.discs.size(), 1u);
    EXPECT_EQ(cursor.discs.front(), other);
    cursor.dropCursor(held); // already gone: ignored
    // A new, shorter cord under a cursor nobody hid: the cursor goes, no read
    // past the cord.
    cord->unload();
    stepAll(1);
    EXPECT_TRUE(cursor.discs.empty());
}

TEST_F(CursorTest, TheRotationHintTurnsHalfATurnAndGoes) {
    ZQ::MeshInstance* disc = cursor.showRotatingCursor(0.2f, 0.1f, 0.0f, 0.5f);
    // d = (0.2, -0.4): shorter than 1, not normalised; |d.y| > |d.x|.
    EXPECT_EQ(disc->layout.angles.x, 0.0f);
    EXPECT_EQ(disc->layout.position, cord->centre);
    EXPECT_EQ(disc->layout.scale, 0.5f * ZQ::gGlobals.screenSize.x);
    ZQ::MeshInstance* tie = cursor.showRotatingCursor(1.0f, 1.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(tie->layout.angles.x, ZQ::kHalfPi) << "a tie turns the disc upright";
    cursor.doStep();
    // The first run: t = 1/30, a turn of -π/60 about the axis across the swipe.
    const float angle = std::atan2(-0.4f, 0.2f);
    const float h = (1.0f / 30.0f) * -ZQ::kPi * 0.5f;
    EXPECT_NEAR(disc->layout.orientation.x, std::sin(angle) * std::sin(h), 1e-6);
    EXPECT_NEAR(disc->layout.orientation.y, -std::cos(angle) * std::sin(h), 1e-6);
    EXPECT_NEAR(disc->layout.orientation.w, std::cos(h), 1e-6);
    for (int i = 1; i < 29; ++i) {
        cursor.doStep();
    }
    EXPECT_EQ(cursor.discs.size(), 2u);
    const PVRTQuaternion last = disc->layout.orientation;
    cursor.doStep(); // the 30th frame ends it without writing
    EXPECT_TRUE(cursor.discs.empty());
    EXPECT_LT(last.w, std::cos(ZQ::kPi / 4.0f) + 0.05f);
}

TEST_F(CursorTest, HidingFadesEveryDiscAndTheFollowCursorPicksTheSmallestDiscWiderThanItsHologram) {
    cursor.hideCursor(); // nothing to hide
    EXPECT_TRUE(cursor.discs.empty());
    // The discs' widths at the map's scale, measured the pass's way.
    const float w = ZQ::gGlobals.screenSize.x / 6.0f;
    auto widthOf = [&](int32_t id) {
        ZQ::MeshInstance probe(pods.model(id), 0);
        probe.baseLayout.scale = w;
        const auto& bounds = probe.updateBounds();
        return std::fabs(bounds[7].x - bounds[0].x);
    };
    const float small = widthOf(ZQ::PodBox::kDiscSmall);
    const float medium = widthOf(ZQ::PodBox::kDiscMedium);
    const float large = widthOf(ZQ::PodBox::kDisc);
    ASSERT_LT(small, medium);
    ASSERT_LT(medium, large);
    const std::pair<float, int32_t> cases[] = {
        {small * 0.5f, ZQ::PodBox::kDiscSmall},
        {(small + medium) * 0.5f, ZQ::PodBox::kDiscMedium},
        {(medium + large) * 0.5f, ZQ::PodBox::kDisc},
        {large * 2.0f, ZQ::PodBox::kDisc},
    };
    for (const auto& [size, id] : cases) {
        ZQ::MeshInstance* disc = cursor.addFollowCursor(size, new ZQ::NopAction());
        EXPECT_EQ(disc->mesh->model, pods.model(id)) << "size " << size;
        EXPECT_EQ(disc->baseLayout.scale, w);
    }
    ASSERT_EQ(cursor.discs.size(), 4u);
    cursor.hideCursor();
    cursor.doStep();
    cursor.pause();
    std::vector<ZQ::Cloudlet*> shown;
    cursor.getCloudlets(shown);
    EXPECT_EQ(shown.size(), 4u) << "listed while paused";
    for (int i = 0; i < 15; ++i) {
        cursor.doStep();
    }
    EXPECT_TRUE(cursor.discs.empty()) << "the fade ends while paused too";
}

} // namespace
