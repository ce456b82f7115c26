#pragma once

#include "engine/PVRTVector.h"

#include <cstdint>
#include <span>
#include <vector>

namespace ZQ::Fx {

// Two particles touch when closer than this. It is also the grid's cell size,
// so touching particles always lie in the same or in adjacent cells.
inline constexpr float kContactDistance = 2.0f;

// The reference pair test: the partners j of particle i with j >= i + 2 and
// |positions[i] - positions[j]| < kContactDistance, written to `partners` in
// ascending order. Returns how many. Index neighbours never touch: they are
// held together by the cord's own links.
int32_t findClosePartnersPlain(const PVRTVec3* positions, int32_t count, int32_t i, int32_t* partners);

// A uniform grid over the particles of one substep, spanning their bounding
// box. It finds the same partners as findClosePartnersPlain, in the same
// order and with the very same distance test, by testing each particle only
// against those in the 26 cells around its own.
//
// A particle with a coordinate that is not finite touches nothing (its
// distances are never below 2), so it stays out of the grid. Each axis spans
// at most kAxisCells cells; particles beyond are clamped into the last one.
// Clamping keeps touching particles in adjacent cells, it only crowds the
// border cells of a world spread wider than 80 units.
class PairGrid {
public:
    explicit PairGrid(int32_t capacity);

    // Finds every touching pair among the first `count` particles.
    void build(const PVRTVec3* positions, int32_t count);
    // The partners of particle i found by the last build, ascending.
    std::span<const int32_t> partnersOf(int32_t i) const {
        return {partners.data() + partnerStart[i], size_t(partnerStart[i + 1] - partnerStart[i])};
    }

    static constexpr int32_t kAxisCells = 40;

private:
    struct Cell {
        int32_t x;
        int32_t y;
        int32_t z;
    };
    struct Pair {
        int32_t i;
        int32_t j;
    };

    void sortIntoCells(const PVRTVec3* positions, int32_t count);
    void findPairs();
    void orderPairs(int32_t count);

    const int32_t capacity;
    int32_t size[3] = {0, 0, 0};      // cells per axis
    int32_t sortedCount = 0;          // particles in the grid
    std::vector<Cell> cells;          // per particle
    std::vector<int32_t> cellIndex;   // per particle: its cell, or -1 outside the grid
    std::vector<int32_t> cellStart;   // cell c holds sorted slots [cellStart[c], cellStart[c + 1])
    std::vector<int32_t> sortedIndex; // per slot: the particle
    std::vector<Cell> sortedCell;     // per slot: its cell
    std::vector<PVRTVec3> sortedPosition;
    std::vector<Pair> found; // touching pairs in grid order; grows, never shrinks
    int32_t foundCount = 0;
    std::vector<int32_t> partnerStart; // per particle: where its partners begin
    std::vector<int32_t> partners;
};

} // namespace ZQ::Fx
