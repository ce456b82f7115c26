#include "stage/ConeModel.h"

#include "cords/CordModel.h"
#include "engine/Globals.h"
#include "support/GlobalsTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using ZQ::ConeInstance;
using ZQ::ConeMesh;
using ZQ::ConeModel;

// A cord model filled by hand: `strings` strings of `perString` particles at
// the given positions, and a tube radius.
class ConeModelTest : public GlobalsTest {
protected:
    void SetUp() override {
        GlobalsTest::SetUp();
        ZQ::gGlobals.cordModel = &cord;
    }
    void TearDown() override {
        cones.removeCones();
        GlobalsTest::TearDown();
    }

    void makeStrings(int strings, int perString) {
        cord.segments.clear();
        for (int k = 0; k < strings; ++k) {
            cord.segments.push_back({k * perString, k * perString + perString - 1, k});
            for (int i = 0; i < perString; ++i) {
                // Each string a zig-zag in its own plane, so its ends point
                // different ways.
                cord.positions[k * perString + i] =
                    PVRTVec3(10.0f * static_cast<float>(i),
                             30.0f * static_cast<float>(k) + 5.0f * static_cast<float>(i % 2),
                             -4.0f * static_cast<float>(i * k));
            }
        }
        cord.count = strings * perString;
    }

    static bool finite(const ZQ::Layout& layout) {
        const float values[] = {layout.position.x, layout.position.y, layout.position.z,
                                layout.angles.x,   layout.angles.y,   layout.angles.z};
        for (float v : values) {
            if (!std::isfinite(v)) {
                return false;
            }
        }
        return true;
    }

    // The unit direction the cone's angles turn +y onto, worked out from the
    // angles as spherical coordinates.
    static PVRTVec3 axis(const ConeInstance& cone) {
        const float yaw = cone.layout.angles.y;
        const float pitch = cone.layout.angles.z;
        return {std::cos(yaw) * std::sin(pitch), std::cos(pitch), std::sin(yaw) * std::sin(pitch)};
    }

    ZQ::CordModel cord;
    ConeModel cones;
};

TEST_F(ConeModelTest, TheMeshIsATruncatedConeWithRadialNormalsAndItsOwnOpacity) {
    const auto v = ConeMesh::buildVertices(ConeMesh::kSegments);
    const auto indices = ConeMesh::buildIndices(ConeMesh::kSegments);
    ASSERT_EQ(v.size(), 40u);
    ASSERT_EQ(indices.size(), 120u);
    EXPECT_FLOAT_EQ(v[0].position[0], 0.1f);
    EXPECT_FLOAT_EQ(v[0].position[1], 0.0f);
    EXPECT_FLOAT_EQ(v[0].position[2], 0.0f);
    EXPECT_FLOAT_EQ(v[0].alpha, 0.4f);
    EXPECT_FLOAT_EQ(v[20].position[0], 1.0f);
    EXPECT_FLOAT_EQ(v[20].position[1], 1.0f);
    EXPECT_FLOAT_EQ(v[20].position[2], 0.0f);
    EXPECT_FLOAT_EQ(v[20].alpha, 0.0f);
    for (std::size_t i = 0; i < 20; ++i) {
        const auto& tip = v[i];
        const auto& rim = v[i + 20];
        EXPECT_NEAR(std::hypot(tip.position[0], tip.position[2]), 0.1f, 1e-6f);
        EXPECT_NEAR(std::hypot(rim.position[0], rim.position[2]), 1.0f, 1e-6f);
        EXPECT_FLOAT_EQ(rim.position[0], 10.0f * tip.position[0]) << "spoke " << i;
        EXPECT_FLOAT_EQ(tip.normal[1], 0.0f);
        EXPECT_NEAR(std::hypot(tip.normal[0], tip.normal[2]), 1.0f, 1e-6f);
        EXPECT_EQ(tip.one, 1.0f);
    }
    // Every triangle's counter-clockwise side faces the axis: its normal by
    // the right-hand rule points toward the y axis.
    for (std::size_t t = 0; t < indices.size(); t += 3) {
        auto at = [&](std::size_t k) {
            const auto& p = v[indices[t + k]].position;
            return PVRTVec3(p[0], p[1], p[2]);
        };
        const PVRTVec3 a = at(0), b = at(1), c = at(2);
        const PVRTVec3 n = (b - a).cross(c - a);
        const PVRTVec3 centre = (a + b + c) * (1.0f / 3.0f);
        const PVRTVec3 outward(centre.x, 0.0f, centre.z);
        EXPECT_LT(n.dot(outward), 0.0f) << "triangle " << t / 3;
    }
}

TEST_F(ConeModelTest, TwoConesPerStringInStringOrderSideZeroFirst) {
    makeStrings(3, 5);
    cord.instance->radius = 4.0f;
    cones.addCones();
    const auto& list = cones.getCones();
    ASSERT_EQ(list.size(), 6u);
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i]->cordIndex, static_cast<int>(i / 2));
        EXPECT_EQ(list[i]->side, static_cast<int>(i % 2));
    }
    std::vector<ZQ::Cloudlet*> out;
    cones.getCloudlets(out);
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(out[3], list[3]);
    // addCones placed them at once.
    EXPECT_NE(list[0]->layout.position, PVRTVec3());
    cones.removeCones();
    EXPECT_TRUE(cones.getCones().empty());
}

TEST_F(ConeModelTest, EachConeSitsBeyondItsEndParticleAlongTheLastLink) {
    makeStrings(2, 6);
    const float radius = 5.0f;
    cord.instance->radius = radius;
    cones.addCones();
    for (const ConeInstance* cone : cones.getCones()) {
        const auto& seg = cord.segments[static_cast<std::size_t>(cone->cordIndex)];
        const PVRTVec3 end = cord.positions[cone->side == 0 ? seg.first : seg.last];
        const PVRTVec3 next = cord.positions[cone->side == 0 ? seg.first + 1 : seg.last - 1];
        const PVRTVec3 outward = (end - next).normalized();
        const PVRTVec3 offset = cone->layout.position - end;
        EXPECT_NEAR(offset.length(), 0.3f * radius, 1e-4f);
        EXPECT_NEAR(offset.normalized().dot(outward), 1.0f, 1e-5f);
        // The angles turn the mesh axis onto the same direction.
        EXPECT_NEAR(axis(*cone).dot(outward), 1.0f, 1e-5f)
            << "string " << cone->cordIndex << " side " << cone->side;
        EXPECT_EQ(cone->layout.angles.x, cone->layout.angles.y);
        EXPECT_EQ(cone->layout.scale, 1.0f);
        EXPECT_EQ(cone->layout.alpha, 1.0f);
    }
}

TEST_F(ConeModelTest, AnglesFollowRandomLinksAndStayFinite) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    makeStrings(1, 4);
    cord.instance->radius = 3.0f;
    cones.addCones();
    for (int trial = 0; trial < 500; ++trial) {
        // Links along the axes and at random, the hard cases included.
        PVRTVec3 d(unit(random), unit(random), unit(random));
        if (trial < 6) {
            const float sign = trial < 3 ? 1.0f : -1.0f;
            const PVRTVec3 axes[3] = {PVRTVec3(sign, 0, 0), PVRTVec3(0, sign, 0), PVRTVec3(0, 0, sign)};
            d = axes[trial % 3];
        }
        cord.positions[0] = cord.positions[1] + d * 7.0f;
        cones.doLayout();
        const ConeInstance& cone = *cones.getCones()[0];
        ASSERT_TRUE(finite(cone.layout)) << "trial " << trial;
        EXPECT_NEAR(axis(cone).dot(d.normalized()), 1.0f, 1e-4f) << "trial " << trial;
    }
}

TEST_F(ConeModelTest, WithoutATubeOrWithCoincidentParticlesConesSitOnTheEndsAndStayFinite) {
    makeStrings(2, 4);
    cord.instance->radius = 0.0f;
    cones.addCones();
    for (const ConeInstance* cone : cones.getCones()) {
        const auto& seg = cord.segments[static_cast<std::size_t>(cone->cordIndex)];
        EXPECT_EQ(cone->layout.position, cord.positions[cone->side == 0 ? seg.first : seg.last]);
        EXPECT_TRUE(finite(cone->layout));
    }
    // A grown tube, but the end particle lies on its neighbour.
    cord.instance->radius = 6.0f;
    cord.positions[0] = cord.positions[1];
    cones.doLayout();
    const ConeInstance& cone = *cones.getCones()[0];
    EXPECT_TRUE(finite(cone.layout));
    EXPECT_EQ(cone.layout.position, cord.positions[0]);
}

TEST_F(ConeModelTest, WithoutConesNothingIsReadWhateverTheCordHolds) {
    cord.count = 0;
    cord.segments.clear();
    cones.doStep();
    cones.doLayout(cord);
    ZQ::gGlobals.cordModel = nullptr;
    cones.doStep();
    EXPECT_TRUE(cones.getCones().empty());
}

TEST_F(ConeModelTest, ConesOnACordWithoutParticlesStopTheProgram) {
    makeStrings(1, 3);
    cones.addCones();
    cord.count = 0;
    EXPECT_DEATH(cones.doLayout(), "cord.count > 0");
}

} // namespace
