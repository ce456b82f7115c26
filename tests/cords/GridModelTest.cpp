#include "cords/GridModel.h"
#include "cords/CordModel.h"
#include "engine/Globals.h"
#include "engine/Random.h"
#include "support/BareCordTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// 640 pixels hold 20 world units: a cell is 2 units, 64 pixels.
constexpr float kW = 640.0f;
constexpr float kH = 1136.0f;
constexpr float kCell = 64.0f;

class GridModelTest : public BareCordTest {
protected:
    GridModelTest() : BareCordTest(kW, kH) {}

    void SetUp() override {
        BareCordTest::SetUp();
        grid.setUp();
    }
    void TearDown() override {
        grid.tearDown();
        BareCordTest::TearDown();
    }

    // The cord model's mirror as its step leaves it: pixel positions and the
    // box around them.
    void place(const std::vector<PVRTVec3>& points) {
        cord.count = static_cast<int32_t>(points.size());
        PVRTVec3 lo = points.empty() ? PVRTVec3() : points[0];
        PVRTVec3 hi = lo;
        for (size_t i = 0; i < points.size(); ++i) {
            const PVRTVec3& p = points[i];
            cord.positions[i] = p;
            lo = PVRTVec3(std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z));
            hi = PVRTVec3(std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z));
        }
        cord.corners[0] = lo;
        cord.corners[7] = hi;
    }

    const ZQ::GridModel::Cell& cellOf(int32_t particle) const {
        const int32_t k = grid.cellOfParticle(particle);
        EXPECT_GE(k, 0);
        return grid.cells[k];
    }

    ZQ::GridModel grid;
};

TEST_F(GridModelTest, SetUpSizesCellsToTwoWorldUnitsAndZeroesTheParticleCells) {
    EXPECT_FLOAT_EQ(grid.cellSize, kCell);
    ASSERT_NE(grid.particleCells, nullptr);
    for (int32_t i = 0; i < ZQ::GridModel::kParticleCells; ++i) {
        ASSERT_EQ(grid.particleCells[i], 0) << i;
    }
    EXPECT_EQ(grid.cells, nullptr);
    EXPECT_EQ(grid.cellOfParticle(0), -1); // no table yet
}

TEST_F(GridModelTest, AxisCountsFollowTheBoxExtent) {
    // x: zero extent, y: exactly two world units, z: just under one cell.
    place({PVRTVec3(10, 20, 30), PVRTVec3(10, 20 + kCell, 30 + kCell - 1.0f)});
    grid.doStep();
    EXPECT_EQ(grid.nx, 1);
    EXPECT_EQ(grid.ny, 2);
    EXPECT_EQ(grid.nz, 1);
    ASSERT_NE(grid.cells, nullptr);
    EXPECT_EQ(grid.cellCount(), 2);
}

TEST_F(GridModelTest, CornerParticlesLandInTheFirstAndLastCells) {
    place({PVRTVec3(0, 0, 0), PVRTVec3(3 * kCell, 2 * kCell + 5, kCell), PVRTVec3(70, 10, 10)});
    grid.doStep();
    ASSERT_EQ(grid.nx, 4);
    ASSERT_EQ(grid.ny, 3);
    ASSERT_EQ(grid.nz, 2);
    const ZQ::GridModel::Cell& first = cellOf(0);
    EXPECT_EQ(first.ix, 0);
    EXPECT_EQ(first.iy, 0);
    EXPECT_EQ(first.iz, 0);
    const ZQ::GridModel::Cell& last = cellOf(1);
    EXPECT_EQ(last.ix, 3);
    EXPECT_EQ(last.iy, 2);
    EXPECT_EQ(last.iz, 1);
    EXPECT_EQ(grid.particleCells[1], grid.cellCount() - 1);
    const ZQ::GridModel::Cell& inner = cellOf(2);
    EXPECT_EQ(inner.ix, 1);
    EXPECT_EQ(inner.iy, 0);
    EXPECT_EQ(inner.iz, 0);
    // z varies fastest.
    EXPECT_EQ(grid.particleCells[2], (1 * 3 + 0) * 2 + 0);
}

TEST_F(GridModelTest, EveryParticleIsFiledExactlyOnceAndCentresFormALattice) {
    ZQ::seedRandom(77);
    std::vector<PVRTVec3> points;
    for (int i = 0; i < 500; ++i) {
        auto coordinate = [] { return static_cast<float>(ZQ::arc4random_uniform(100000)) * 0.005f - 200.0f; };
        points.emplace_back(coordinate(), coordinate(), coordinate());
    }
    place(points);
    grid.doStep();

    std::vector<int> seen(points.size(), 0);
    const PVRTVec3 lo = cord.boxMin();
    for (int32_t k = 0; k < grid.cellCount(); ++k) {
        const ZQ::GridModel::Cell& cell = grid.cells[k];
        ASSERT_EQ(grid.cellIndex(cell.ix, cell.iy, cell.iz), k);
        EXPECT_FLOAT_EQ(cell.centre[0], lo.x + kCell / 2 + kCell * static_cast<float>(cell.ix));
        EXPECT_FLOAT_EQ(cell.centre[1], lo.y + kCell / 2 + kCell * static_cast<float>(cell.iy));
        EXPECT_FLOAT_EQ(cell.centre[2], lo.z + kCell / 2 + kCell * static_cast<float>(cell.iz));
        for (int32_t p : cell.particles) {
            ASSERT_GE(p, 0);
            ASSERT_LT(p, static_cast<int32_t>(points.size()));
            ++seen[p];
            EXPECT_EQ(grid.particleCells[p], k);
            // The particle lies in its cell's cube (the last cell may reach
            // beyond the box).
            EXPECT_LE(std::fabs(points[p].x - cell.centre[0]), kCell / 2 + 1e-3f);
            EXPECT_LE(std::fabs(points[p].y - cell.centre[1]), kCell / 2 + 1e-3f);
            EXPECT_LE(std::fabs(points[p].z - cell.centre[2]), kCell / 2 + 1e-3f);
        }
    }
    for (size_t i = 0; i < seen.size(); ++i) {
        ASSERT_EQ(seen[i], 1) << "particle " << i;
    }
}

TEST_F(GridModelTest, AnEmptyCordKeepsTheLastTable) {
    place({PVRTVec3(0, 0, 0), PVRTVec3(200, 100, 50)});
    grid.doStep();
    const ZQ::GridModel::Cell* table = grid.cells;
    const int32_t counts[3] = {grid.nx, grid.ny, grid.nz};
    cord.count = 0;
    grid.doStep();
    EXPECT_EQ(grid.cells, table);
    EXPECT_EQ(grid.nx, counts[0]);
    EXPECT_EQ(grid.ny, counts[1]);
    EXPECT_EQ(grid.nz, counts[2]);
    EXPECT_EQ(grid.cells[grid.particleCells[1]].particles.count(1), 1u);
}

TEST_F(GridModelTest, StaleEntriesOfASmallerRebuildNameNoCell) {
    // A big first grid, then a one-cell grid over two particles: the entry of
    // particle 2 still names a cell of the old table.
    place({PVRTVec3(0, 0, 0), PVRTVec3(10, 10, 10), PVRTVec3(900, 900, 900)});
    grid.doStep();
    ASSERT_GT(grid.particleCells[2], 0);
    place({PVRTVec3(0, 0, 0), PVRTVec3(10, 10, 10)});
    grid.doStep();
    ASSERT_EQ(grid.cellCount(), 1);
    EXPECT_EQ(grid.cellOfParticle(1), 0);
    EXPECT_EQ(grid.cellOfParticle(2), -1);
    EXPECT_EQ(grid.cellOfParticle(-1), -1);
    EXPECT_EQ(grid.cellOfParticle(ZQ::GridModel::kParticleCells), -1);
}

TEST_F(GridModelTest, AFlungOutCordKeepsTheLastGridAndNotANumberFilesIntoTheFirstCell) {
    place({PVRTVec3(0, 0, 0), PVRTVec3(100, 100, 100)});
    grid.doStep();
    const ZQ::GridModel::Cell* table = grid.cells;
    place({PVRTVec3(0, 0, 0), PVRTVec3(1e9f, 1e9f, 1e9f)});
    grid.doStep();
    EXPECT_EQ(grid.cells, table);
    EXPECT_EQ(grid.nx, 2);

    // A not-a-number particle inside a sound box goes to cell 0 instead of
    // an index out of range.
    place({PVRTVec3(0, 0, 0), PVRTVec3(100, 100, 100)});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    cord.positions[1] = PVRTVec3(nan, nan, nan);
    grid.doStep();
    EXPECT_EQ(grid.particleCells[1], 0);
    EXPECT_EQ(grid.cells[0].particles.count(1), 1u);
}

TEST_F(GridModelTest, TearDownReleasesEverything) {
    place({PVRTVec3(0, 0, 0), PVRTVec3(100, 100, 100)});
    grid.doStep();
    grid.tearDown();
    EXPECT_EQ(grid.cells, nullptr);
    EXPECT_EQ(grid.particleCells, nullptr);
    EXPECT_EQ(grid.cellOfParticle(0), -1);
    grid.setUp(); // the fixture tears down once more
}

// The table is reused across rebuilds: after a larger grid, a smaller one must
// file exactly as a model that never saw the larger one.
TEST_F(GridModelTest, AReusedTableFilesLikeAFreshOne) {
    ZQ::seedRandom(11);
    const float extents[] = {150.0f, 900.0f, 200.0f, 700.0f};
    for (float extent : extents) {
        std::vector<PVRTVec3> points;
        for (int i = 0; i < 300; ++i) {
            auto coordinate = [extent] {
                return extent * static_cast<float>(ZQ::arc4random() % 1000) / 1000.0f;
            };
            points.emplace_back(coordinate(), coordinate(), coordinate() * 0.25f);
        }
        place(points);
        grid.doStep();

        ZQ::GridModel fresh;
        fresh.setUp();
        fresh.doStep();
        ASSERT_EQ(grid.cellCount(), fresh.cellCount()) << "extent " << extent;
        for (int32_t k = 0; k < fresh.cellCount(); ++k) {
            const ZQ::GridModel::Cell& a = grid.cells[k];
            const ZQ::GridModel::Cell& b = fresh.cells[k];
            ASSERT_EQ(std::vector<int32_t>(a.particles.begin(), a.particles.end()),
                      std::vector<int32_t>(b.particles.begin(), b.particles.end()))
                << "extent " << extent << " cell " << k;
            EXPECT_EQ(a.ix, b.ix);
            EXPECT_EQ(a.iy, b.iy);
            EXPECT_EQ(a.iz, b.iz);
        }
        for (int32_t i = 0; i < static_cast<int32_t>(points.size()); ++i) {
            EXPECT_EQ(grid.cellOfParticle(i), fresh.cellOfParticle(i));
        }
        fresh.tearDown();
    }
}

} // namespace
