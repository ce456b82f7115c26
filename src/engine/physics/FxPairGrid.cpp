#include "engine/physics/FxPairGrid.h"

#include "engine/Assert.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace ZQ::Fx {

namespace {

// Far beyond any room; keeps the float-to-int conversion defined.
constexpr float CELL_LIMIT = 1048576.0f;

// |d| < 2 on the float difference, exactly as the pair test always wrote it.
bool touching(const PVRTVec3& a, const PVRTVec3& b) {
    return (a - b).length() < CONTACT_DISTANCE;
}

} // namespace

int32_t findClosePartnersPlain(const PVRTVec3* positions, int32_t count, int32_t i, int32_t* partners) {
    int32_t n = 0;
    for (int32_t j = i + 2; j < count; ++j) {
        if (touching(positions[i], positions[j])) {
            partners[n++] = j;
        }
    }
    return n;
}

PairGrid::PairGrid(int32_t aCapacity)
    : capacity(aCapacity), bucketMask(std::bit_ceil(static_cast<uint32_t>(aCapacity) * 4u) - 1u),
      cells(aCapacity), inGrid(aCapacity), bucketStart(bucketMask + 2u), members(aCapacity) {}

// Why a float floor and clamp before the conversion: x * 0.5 is exact, so a
// float difference below 2 on an axis means floors at most one apart, which
// is what lets the 27 cells around a particle hold every particle it touches.
PairGrid::Cell PairGrid::cellOf(const PVRTVec3& p) {
    const auto axis = [](float v) {
        return static_cast<int32_t>(
            std::clamp(std::floor(v * (1.0f / CONTACT_DISTANCE)), -CELL_LIMIT, CELL_LIMIT));
    };
    return {axis(p.x), axis(p.y), axis(p.z)};
}

uint32_t PairGrid::bucketOf(const Cell& c) const {
    const uint32_t h = (static_cast<uint32_t>(c.x) * 73856093u) ^ (static_cast<uint32_t>(c.y) * 19349663u) ^
                       (static_cast<uint32_t>(c.z) * 83492791u);
    return h & bucketMask;
}

// A counting sort into the buckets, filled in particle order so that each
// bucket lists its particles in ascending index.
void PairGrid::build(const PVRTVec3* positions, int32_t count) {
    ZQ_ASSERT(count <= capacity);
    std::fill(bucketStart.begin(), bucketStart.end(), 0);
    for (int32_t n = 0; n < count; ++n) {
        const PVRTVec3& p = positions[n];
        inGrid[n] = std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
        if (inGrid[n]) {
            cells[n] = cellOf(p);
            bucketStart[bucketOf(cells[n]) + 1] += 1;
        }
    }
    for (size_t b = 1; b < bucketStart.size(); ++b) {
        bucketStart[b] += bucketStart[b - 1];
    }
    // bucketStart[b] is used as the fill cursor of bucket b and ends up at the
    // start of bucket b + 1; shifting back restores the starts.
    for (int32_t n = 0; n < count; ++n) {
        if (inGrid[n]) {
            members[bucketStart[bucketOf(cells[n])]++] = n;
        }
    }
    for (size_t b = bucketStart.size() - 1; b > 0; --b) {
        bucketStart[b] = bucketStart[b - 1];
    }
    bucketStart[0] = 0;
}

// Different cells may share a bucket, so members are matched on their cell:
// each particle belongs to exactly one of the 27 distinct cells and is seen
// once. Buckets list ascending indices, so the walk from the top stops at the
// first index that is not past i + 1.
int32_t PairGrid::findClosePartners(const PVRTVec3* positions, int32_t i, int32_t* partners) const {
    if (!inGrid[i]) {
        return 0;
    }
    int32_t n = 0;
    const Cell home = cells[i];
    for (int32_t dz = -1; dz <= 1; ++dz) {
        for (int32_t dy = -1; dy <= 1; ++dy) {
            for (int32_t dx = -1; dx <= 1; ++dx) {
                const Cell c{home.x + dx, home.y + dy, home.z + dz};
                const uint32_t b = bucketOf(c);
                for (int32_t k = bucketStart[b + 1] - 1; k >= bucketStart[b]; --k) {
                    const int32_t j = members[k];
                    if (j <= i + 1) {
                        break;
                    }
                    if (cells[j] == c && touching(positions[i], positions[j])) {
                        partners[n++] = j;
                    }
                }
            }
        }
    }
    std::sort(partners, partners + n);
    return n;
}

} // namespace ZQ::Fx
