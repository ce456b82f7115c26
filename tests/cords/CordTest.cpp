#include "cords/Cord.h"

#include "cords/KnotGenerator.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A generator that yields a fixed list of points and counts its deletions.
class FixedKnot : public ZQ::KnotGenerator {
public:
    FixedKnot(std::vector<PVRTVec3> points, int* deletions)
        : fixed(std::move(points)), deletions(deletions) {}
    ~FixedKnot() override {
        if (deletions != nullptr) {
            ++*deletions;
        }
    }
    void generate(std::vector<PVRTVec3>& points) override {
        points.insert(points.end(), fixed.begin(), fixed.end());
    }

private:
    std::vector<PVRTVec3> fixed;
    int* deletions;
};

const PVRTVec3 kCentre(1.0f, -2.0f, 3.0f);

TEST(Cord, BuildScalesTheFarthestPointToTheTargetSizeAroundTheCentre) {
    ZQ::Cord cord(7.0f, kCentre, 2, true,
                  new ZQ::TorusInterlacedKnot(3, 6, 4, 0.35f, 0.6f, 0.2f, 8, 3.1415927f));
    cord.build();
    ASSERT_EQ(cord.points.size(), 1000u);
    float farthest = 0.0f;
    for (const PVRTVec3& p : cord.points) {
        farthest = std::max(farthest, (p - kCentre).length());
    }
    EXPECT_NEAR(farthest, 7.0f, 1e-5f);

    // The shape is only scaled: ratios of distances to the centre stay.
    std::vector<PVRTVec3> raw;
    ZQ::TorusInterlacedKnot(3, 6, 4, 0.35f, 0.6f, 0.2f, 8, 3.1415927f).generate(raw);
    float rawFarthest = 0.0f;
    for (const PVRTVec3& p : raw) {
        rawFarthest = std::max(rawFarthest, p.length());
    }
    for (std::size_t i = 0; i < raw.size(); i += 97) {
        EXPECT_NEAR((cord.points[i] - kCentre).length(), raw[i].length() * 7.0f / rawFarthest, 1e-5f);
    }
}

TEST(Cord, ArcLengthTableRisesFromZeroToTheTotalLength) {
    ZQ::Cord cord(4.0f, kCentre, 1, true, new ZQ::TorusKnot(2, 4, 2, 5, 0));
    cord.build();
    ASSERT_NE(cord.arcTable, nullptr);
    const std::vector<ZQ::Cord::ArcEntry>& table = *cord.arcTable;
    ASSERT_EQ(table.size(), cord.points.size());
    EXPECT_EQ(table.front().length, 0.0f);
    EXPECT_EQ(table.front().point, cord.points.front());
    EXPECT_EQ(table.back().length, cord.totalLength);
    double sum = 0.0;
    for (std::size_t i = 1; i < table.size(); ++i) {
        EXPECT_GT(table[i].length, table[i - 1].length) << "entry " << i;
        EXPECT_EQ(table[i].point, cord.points[i]);
        sum += (cord.points[i] - cord.points[i - 1]).length();
    }
    // The open polyline: no closing segment from the last point to the first.
    EXPECT_NEAR(cord.totalLength, sum, sum * 1e-5);
}

TEST(Cord, LookupClampsAtBothEndsAndInterpolatesBetweenEntries) {
    // A straight path 0 -> 1 -> 3 along x; scale 1 since the farthest point is at 3.
    ZQ::Cord cord(3.0f, PVRTVec3(), 1, false, new FixedKnot({{0, 0, 0}, {1, 0, 0}, {3, 0, 0}}, nullptr));
    cord.build();
    EXPECT_EQ(cord.totalLength, 3.0f);
    EXPECT_EQ(cord.pointAtLength(-1.0f), PVRTVec3(0, 0, 0));
    EXPECT_EQ(cord.pointAtLength(0.0f), PVRTVec3(0, 0, 0));
    EXPECT_EQ(cord.pointAtLength(0.25f), PVRTVec3(0.25f, 0, 0));
    EXPECT_EQ(cord.pointAtLength(1.0f), PVRTVec3(1, 0, 0));
    EXPECT_EQ(cord.pointAtLength(2.0f), PVRTVec3(2, 0, 0));
    EXPECT_EQ(cord.pointAtLength(3.0f), PVRTVec3(3, 0, 0));
    EXPECT_EQ(cord.pointAtLength(99.0f), PVRTVec3(3, 0, 0));
    EXPECT_EQ(cord.pointAtLength(NAN), PVRTVec3(0, 0, 0));
}

// The bisection must agree with walking the table from the start.
TEST(Cord, LookupMatchesALinearWalkOfTheTable) {
    ZQ::Cord cord(6.0f, kCentre, 3, true,
                  new ZQ::CompoundKnot(0.59f, 2, 0.4f, -4, -0.45f, -5, 0.59f, 1, 0.3f, -4, -0.45f, -5, 0.2f,
                                       9, 0.25f, 6, 0));
    cord.build();
    const std::vector<ZQ::Cord::ArcEntry>& table = *cord.arcTable;
    for (int k = 1; k < 300; ++k) {
        const float arc = cord.totalLength * (static_cast<float>(k) / 300.0f);
        std::size_t hi = 1;
        while (table[hi].length <= arc) {
            ++hi;
        }
        const ZQ::Cord::ArcEntry& lo = table[hi - 1];
        const float f = (arc - lo.length) / (table[hi].length - lo.length);
        const PVRTVec3 expected = lo.point + (table[hi].point - lo.point) * f;
        const PVRTVec3 got = cord.pointAtLength(arc);
        EXPECT_NEAR(got.x, expected.x, 1e-5f) << "arc " << arc;
        EXPECT_NEAR(got.y, expected.y, 1e-5f) << "arc " << arc;
        EXPECT_NEAR(got.z, expected.z, 1e-5f) << "arc " << arc;
    }
}

TEST(Cord, ACurveWithNoExtentCollapsesOntoTheCentreWithoutNaN) {
    ZQ::Cord cord(5.0f, kCentre, 1, true, new FixedKnot(std::vector<PVRTVec3>(10), nullptr));
    cord.build();
    ASSERT_EQ(cord.points.size(), 10u);
    for (const PVRTVec3& p : cord.points) {
        EXPECT_EQ(p, kCentre);
    }
    EXPECT_EQ(cord.totalLength, 0.0f);
    EXPECT_EQ(cord.pointAtLength(1.0f), kCentre);

    ZQ::Cord empty(5.0f, kCentre, 1, true, new FixedKnot({}, nullptr));
    empty.build();
    EXPECT_TRUE(empty.points.empty());
    EXPECT_EQ(empty.pointAtLength(0.0f), kCentre);
}

TEST(Cord, BuildingAgainReplacesTheCurve) {
    ZQ::Cord cord(4.0f, kCentre, 1, true, new ZQ::TorusKnot(2, 4, 2, 5, 0));
    cord.build();
    const std::vector<PVRTVec3> first = cord.points;
    const float length = cord.totalLength;
    cord.build();
    EXPECT_EQ(cord.points, first);
    EXPECT_EQ(cord.arcTable->size(), 1000u);
    EXPECT_EQ(cord.totalLength, length);
}

TEST(Cord, OwnsItsGeneratorUnlessABorrowerClearsIt) {
    int deletions = 0;
    auto* shared = new FixedKnot({{1, 0, 0}, {0, 1, 0}}, &deletions);
    {
        ZQ::Cord owner(1.0f, PVRTVec3(), 1, true, shared);
        {
            // A second cord on the same generator, released before deletion.
            ZQ::Cord borrower(2.0f, PVRTVec3(), 4, true, shared);
            borrower.build();
            borrower.generator = nullptr;
        }
        EXPECT_EQ(deletions, 0);
        owner.build();
        EXPECT_EQ(owner.points.size(), 2u);
    }
    EXPECT_EQ(deletions, 1);
}

TEST(CordDeathTest, StringCountOutsideOneToFourStops) {
    EXPECT_DEATH(ZQ::Cord(1.0f, PVRTVec3(), 0, true, nullptr), "strings");
    EXPECT_DEATH(ZQ::Cord(1.0f, PVRTVec3(), ZQ::MAX_CORD_STRINGS + 1, true, nullptr), "strings");
}

} // namespace
