#include "HeadFixture.h"

#include <cmath>

namespace {

constexpr float kDegree = 0.017453292f;

// Head 0 at A looks along its head direction, neck to head. Head 2 at B sits
// about 10 units along +x, on a second string that runs on along +x. The
// tail of string 0 drops to y = -3.5, which pins the grid's lower y edge, so
// A and B always share a row of cells (cells are 2 units: A and B lie in
// x-cells 2 and 7, y-cell 2, z-cell 0) and the cells between them are empty.
class HeadSightTest : public HeadFixture {
protected:
    static constexpr PVRTVec3 kA{0.5f, 0.5f, 0.5f};

    // The head direction of head 0 at `azimuth` in the x-y plane, raised by
    // `elevation` toward +z; extra strings may be added after the two.
    void placeFacing(float azimuth, float elevation, const PVRTVec3& b,
                     const std::vector<std::vector<PVRTVec3>>& extra = {}) {
        const PVRTVec3 f(std::cos(elevation) * std::cos(azimuth), std::cos(elevation) * std::sin(azimuth),
                         std::sin(elevation));
        std::vector<PVRTVec3> points = {kA, kA - f * 2.0f,         PVRTVec3(kA.x - 4.0f, -3.5f, 0.5f),
                                        b,  b + PVRTVec3(2, 0, 0), b + PVRTVec3(4, 0, 0)};
        std::vector<ZQ::CordModel::Segment> strings = {{0, 2, 0}, {3, 5, 1}};
        for (const std::vector<PVRTVec3>& s : extra) {
            const int first = static_cast<int>(points.size());
            points.insert(points.end(), s.begin(), s.end());
            strings.push_back(
                {first, static_cast<int>(points.size()) - 1, static_cast<int32_t>(strings.size())});
        }
        placeStrings(points, strings, kTangled, kTangled);
        grid.doStep(); // the grid of the "previous frame"
        heads.createHeads();
    }

    static constexpr PVRTVec3 kB{10.5f, 1.1f, 0.7f};
};

TEST_F(HeadSightTest, AHeadSeesAnotherAcrossEmptyCellsFromBothSides) {
    placeFacing(0.0f, 0.0f, kB);
    heads.updateSight();
    EXPECT_TRUE(heads.sight(0, 2));
    EXPECT_TRUE(heads.sight(2, 0));  // judged from head 0 alone
    EXPECT_FALSE(heads.sight(0, 1)); // its own tail lies behind it
    EXPECT_FALSE(heads.sight(0, 0));
}

TEST_F(HeadSightTest, SeveralStringsLookWithinAQuarterTurn) {
    // d from A to B points 3.4 degrees above +x: a head turned 40 degrees
    // away still sees, one turned 50 degrees does not.
    placeFacing(40.0f * kDegree, 0.0f, kB);
    EXPECT_TRUE(heads.seen(0, 2));
    heads.clearHeads();
    placeFacing(50.0f * kDegree, 0.0f, kB);
    EXPECT_FALSE(heads.seen(0, 2));
    heads.clearHeads();
    // The polar angle: d is 1.1 degrees off the x-y plane.
    placeFacing(0.0f, 40.0f * kDegree, kB);
    EXPECT_TRUE(heads.seen(0, 2));
    heads.clearHeads();
    placeFacing(0.0f, 50.0f * kDegree, kB);
    EXPECT_FALSE(heads.seen(0, 2));
}

TEST_F(HeadSightTest, TheTwoHeadsOfASingleStringLookAllAround) {
    // One string from A (looking 100 degrees away from B) down to y = -3.5,
    // over and up to B: the two heads of the whole cord.
    const float a = 100.0f * kDegree;
    const std::vector<PVRTVec3> points = {kA,
                                          kA - PVRTVec3(std::cos(a), std::sin(a), 0.0f) * 2.0f,
                                          PVRTVec3(kA.x - 4.0f, -3.5f, 0.5f),
                                          PVRTVec3(kB.x + 4.0f, -3.5f, 0.7f),
                                          kB + PVRTVec3(2, 0, 0),
                                          kB};
    placeStrings(points, {{0, 5, 0}}, kTangled, kTangled);
    grid.doStep();
    heads.createHeads();
    ASSERT_EQ(heads.heads.size(), 2u);
    EXPECT_TRUE(heads.seen(0, 1));
}

TEST_F(HeadSightTest, DistanceSameCellAndBlockingParticlesHideHeads) {
    placeFacing(0.0f, 0.0f, PVRTVec3(19.5f, 1.1f, 0.7f)); // 19 units away
    EXPECT_TRUE(heads.seen(0, 2));
    heads.clearHeads();
    placeFacing(0.0f, 0.0f, PVRTVec3(21.5f, 1.1f, 0.7f)); // 21 units away
    EXPECT_FALSE(heads.seen(0, 2));
    heads.clearHeads();
    placeFacing(0.0f, 0.0f, PVRTVec3(1.5f, 0.9f, 0.6f)); // within A's cell
    EXPECT_FALSE(heads.seen(0, 2));
    heads.clearHeads();
    // A third string with a particle in the cell between them.
    placeFacing(0.0f, 0.0f, kB, {{PVRTVec3(6.5f, 0.9f, 0.6f), PVRTVec3(6.5f, 0.9f, 2.6f)}});
    EXPECT_FALSE(heads.seen(0, 2));
}

TEST_F(HeadSightTest, CalmHeadsNeitherSeeNorAreSeen) {
    placeFacing(0.0f, 0.0f, kB);
    ASSERT_TRUE(heads.seen(0, 2));
    heads.heads[2]->calm = true;
    heads.updateSight();
    for (int k = 0; k < 4; ++k) {
        EXPECT_FALSE(heads.sight(2, k));
        EXPECT_FALSE(heads.sight(k, 2));
    }
}

TEST_F(HeadSightTest, TheWalkReadsThePreviousFramesGrid) {
    placeFacing(0.0f, 0.0f, kB);
    // A blocker arrives this frame: the grid has not filed it yet.
    world->addParticle(PVRTVec3(6.5f, 0.9f, 0.6f));
    cord->segments.push_back({6, 6, 2});
    cord->energy.push_back(kTangled);
    cord->startEnergy.push_back(kTangled);
    cord->doStep();
    EXPECT_TRUE(heads.seen(0, 2));
    grid.doStep();
    EXPECT_FALSE(heads.seen(0, 2));
}

TEST_F(HeadSightTest, NoGridOrNoCordMeansNoSight) {
    placeFacing(0.0f, 0.0f, kB);
    ZQ::gGlobals.gridModel = nullptr;
    EXPECT_FALSE(heads.seen(0, 2));
    ZQ::gGlobals.gridModel = &grid;
    grid.tearDown();
    grid.setUp(); // set up again but never rebuilt: no table
    EXPECT_FALSE(heads.seen(0, 2));
}

TEST_F(HeadSightTest, AxisAlignedLinesEndTheWalk) {
    // B exactly along +x from A: the y and z components of the line are 0,
    // and at whole pixel coordinates their crossing times are not-a-number.
    // Such a walk never moves along y or z, and the first move it would
    // make there ends it: no endless walk, no sight.
    placeFacing(0.0f, 0.0f, PVRTVec3(10.5f, 0.5f, 0.5f));
    EXPECT_FALSE(heads.seen(0, 2));

    // On the first frame of a bigger cord the grid still holds the last
    // level's table, and a head particle's entry may name an empty cell.
    // A walk that stayed in that cell would never end.
    int32_t empty = -1;
    for (int32_t k = 0; k < grid.cellCount() && empty < 0; ++k) {
        empty = grid.cells[k].particles.empty() ? k : -1;
    }
    ASSERT_GE(empty, 0);
    grid.particleCells[heads.heads[0]->headParticle] = empty;
    EXPECT_FALSE(heads.seen(0, 2));
}

} // namespace
