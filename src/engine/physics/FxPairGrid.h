#pragma once

#include "engine/PVRTVector.h"

#include <cstdint>
#include <vector>

namespace ZQ::Fx {

// Two particles touch when closer than this. It is also the grid's cell size,
// so touching particles always lie in the same or in adjacent cells.
inline constexpr float CONTACT_DISTANCE = 2.0f;

// The reference pair test: the partners j of particle i with j >= i + 2 and
// |positions[i] - positions[j]| < CONTACT_DISTANCE, written to `partners` in
// ascending order. Returns how many. Index neighbours never touch: they are
// held together by the cord's own links.
int32_t findClosePartnersPlain(const PVRTVec3* positions, int32_t count, int32_t i, int32_t* partners);

// A uniform hash grid over the particles of one substep. It answers the same
// question as findClosePartnersPlain, with the same partners in the same
// order and the very same distance test, by looking only at the 27 cells
// around particle i instead of at every particle.
//
// A particle with a coordinate that is not finite touches nothing (its
// distances are never below 2), so it stays out of the grid. Cell coordinates
// are clamped to a large range; clamping keeps touching particles in adjacent
// cells, it only makes far-away cells share one.
class PairGrid {
public:
    explicit PairGrid(int32_t capacity);

    // Sorts the first `count` particles into cells; positions must not change
    // until the queries are done.
    void build(const PVRTVec3* positions, int32_t count);
    int32_t findClosePartners(const PVRTVec3* positions, int32_t i, int32_t* partners) const;

private:
    struct Cell {
        int32_t x;
        int32_t y;
        int32_t z;
        bool operator==(const Cell&) const = default;
    };

    static Cell cellOf(const PVRTVec3& p);
    uint32_t bucketOf(const Cell& c) const;

    const int32_t capacity;
    const uint32_t bucketMask;
    std::vector<Cell> cells;          // per particle
    std::vector<bool> inGrid;         // per particle: every coordinate finite
    std::vector<int32_t> bucketStart; // bucketMask + 2 entries; bucket b is members[start[b], start[b+1])
    std::vector<int32_t> members;     // particle indices, ascending within each bucket
};

} // namespace ZQ::Fx
