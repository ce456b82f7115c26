#include "CordModelFixture.h"

#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// Two strings, the second along +y, in a 640-pixel-wide world (one world
// unit is 32 pixels): particles 0..3 and 4..7, and particle 8 in no string.
class CordModelQueryTest : public CordModelFixture {
protected:
    void SetUp() override {
        CordModelFixture::SetUp();
        std::vector<PVRTVec3> points;
        for (int i = 0; i < 4; ++i) {
            points.emplace_back(2.0f * i, 0.0f, 0.0f);
        }
        for (int i = 0; i < 4; ++i) {
            points.emplace_back(20.0f, 2.0f * i, 0.0f);
        }
        points.emplace_back(-20.0f, 0.0f, 0.0f);
        placeParticles(points, {{0, 3, 0}, {4, 7, 1}});
        cord->doStep();
    }
};

TEST_F(CordModelQueryTest, PositionsAreTheMirroredPixels) {
    EXPECT_EQ(cord->getParticlePos(2), PVRTVec3(128.0f, 0.0f, 0.0f));
    cord->getParticleRef(2).z = 5.0f;
    EXPECT_EQ(cord->positions[2].z, 5.0f);
}

TEST_F(CordModelQueryTest, SegmentOfAParticle) {
    EXPECT_EQ(cord->getSegmentForParticle(5).index, 1);
    EXPECT_EQ(cord->getSegmentIndexForParticle(3), 0);
    EXPECT_EQ(cord->getSegmentIndexForParticle(4), 1);
    EXPECT_FLOAT_EQ(cord->getSegmentPercentualeForParticle(4), 0.0f);
    EXPECT_FLOAT_EQ(cord->getSegmentPercentualeForParticle(5), 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(cord->getSegmentPercentualeForParticle(7), 1.0f);
}

TEST_F(CordModelQueryTest, AParticleInNoStringGetsTheSharedEmptySegment) {
    const ZQ::CordModel::Segment& none = cord->getSegmentForParticle(8);
    EXPECT_EQ(none.index, -1);
    EXPECT_EQ(none.first, 0);
    EXPECT_EQ(none.last, 0);
    EXPECT_EQ(&none, &cord->getSegmentForParticle(8));
    EXPECT_EQ(cord->getSegmentIndexForParticle(8), -1);
    EXPECT_EQ(cord->getSegmentPercentualeForParticle(8), -1.0f);
}

TEST_F(CordModelQueryTest, DirectionPointsToTheNextParticleAndBackAtTheEnd) {
    // 64 pixels apart: shortened to unit length.
    EXPECT_EQ(cord->getParticleDir(4), PVRTVec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(cord->getParticleDir(7), PVRTVec3(0.0f, -1.0f, 0.0f));
    EXPECT_EQ(cord->getParticleDir(3), PVRTVec3(-1.0f, 0.0f, 0.0f));
}

TEST_F(CordModelQueryTest, ShortDirectionsAreKeptAsTheyAre) {
    cord->getParticleRef(1) = cord->positions[0] + PVRTVec3(0.3f, 0.4f, 0.0f);
    const PVRTVec3 d = cord->getParticleDir(0);
    EXPECT_FLOAT_EQ(d.x, 0.3f);
    EXPECT_FLOAT_EQ(d.y, 0.4f);
}

TEST_F(CordModelQueryTest, AngleGivesAzimuthAndPolarAngle) {
    const PVRTVec2 alongY = cord->getParticleAngle(5);
    EXPECT_FLOAT_EQ(alongY.x, kPi / 2.0f);
    EXPECT_FLOAT_EQ(alongY.y, kPi / 2.0f);
    const PVRTVec2 alongX = cord->getParticleAngle(0); // the first particle looks at the second
    EXPECT_FLOAT_EQ(alongX.x, 0.0f);
    // Straight up the z axis: polar angle 0, never NaN from rounding.
    cord->getParticleRef(2) = cord->positions[1] + PVRTVec3(0.0f, 0.0f, 0.7f);
    cord->getParticleRef(0) = cord->positions[1];
    EXPECT_EQ(cord->getParticleAngle(1).y, 0.0f);
}

TEST_F(CordModelQueryTest, AngleOfCoincidentNeighboursIsFinite) {
    cord->getParticleRef(1) = cord->positions[0];
    const PVRTVec2 a = cord->getParticleAngle(0);
    EXPECT_TRUE(std::isfinite(a.x) && std::isfinite(a.y));
}

TEST_F(CordModelQueryTest, AOneParticleStringHasNoDirectionButAPlace) {
    cord->segments = {{0, 0, 0}, {1, 3, 1}};
    EXPECT_EQ(cord->getParticleDir(0), PVRTVec3()); // no neighbour to point at
    EXPECT_EQ(cord->getSegmentPercentualeForParticle(0), 0.0f);
    const PVRTVec2 a = cord->getParticleAngle(0);
    EXPECT_TRUE(std::isfinite(a.x) && std::isfinite(a.y));
}

using CordModelQueryDeathTest = CordModelQueryTest;

TEST_F(CordModelQueryDeathTest, OutOfRangeIndicesStopTheProgram) {
    EXPECT_DEATH(cord->getParticlePos(9), "check failed: i>=0 && i<count");
    EXPECT_DEATH(cord->getParticleRef(-1), "check failed: i>=0 && i<count");
    EXPECT_DEATH(cord->getSegmentForParticle(9), "check failed: p_index>=0 && p_index<count");
    EXPECT_DEATH(cord->getParticleDir(-1), "p_index>=0 && p_index<count");
    EXPECT_DEATH(cord->getSegmentPercentualeForParticle(100), "p_index>=0 && p_index<count");
}

} // namespace
