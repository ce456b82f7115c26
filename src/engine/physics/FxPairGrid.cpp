#include "engine/physics/FxPairGrid.h"

#include "engine/Assert.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace ZQ::Fx {

namespace {

// Far beyond any room; keeps the float-to-int conversion defined.
constexpr float kCellLimit = 1048576.0f;
// Marks a particle that is not in the grid; no clamped coordinate reaches it.
constexpr int32_t kOutside = INT32_MIN;

// |d| < 2 on the float difference, exactly as the pair test always wrote it.
// The grid meets a pair in either order; a - b is exactly -(b - a) in IEEE
// arithmetic, so the length does not depend on which comes first.
bool touching(const PVRTVec3& a, const PVRTVec3& b) {
    return (a - b).length() < kContactDistance;
}

// The grid's own test, with no square root: for a float s, the correctly
// rounded sqrt(s) is below 2 exactly when s is below 4, so this agrees with
// touching() on every pair, not a number included.
bool touchingSquared(const PVRTVec3& a, const PVRTVec3& b) {
    return (a - b).lenSqr() < kContactDistance * kContactDistance;
}

// floor(v / 2), clamped. x * 0.5 is exact, so a float difference below 2 on
// an axis means floors at most one apart: the cells around a particle hold
// every particle it touches. Truncation then a step down for negative
// fractions is floor, without a library call per coordinate.
int32_t cellCoordinate(float v) {
    const float h = std::clamp(v * (1.0f / kContactDistance), -kCellLimit, kCellLimit);
    const auto t = static_cast<int32_t>(h);
    return t - int32_t(static_cast<float>(t) > h);
}

// Almost always a handful of partners: insertion sort, unless a pile of
// coincident particles makes the list long.
void sortAscending(int32_t* values, int32_t n) {
    if (n > 16) {
        std::sort(values, values + n);
        return;
    }
    for (int32_t a = 1; a < n; ++a) {
        const int32_t v = values[a];
        int32_t b = a;
        for (; b > 0 && values[b - 1] > v; --b) {
            values[b] = values[b - 1];
        }
        values[b] = v;
    }
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

PairGrid::PairGrid(int32_t capacity)
    : capacity(capacity), cells(capacity), cellIndex(capacity),
      cellStart(kAxisCells * kAxisCells * kAxisCells + 1), sortedIndex(capacity), sortedCell(capacity),
      sortedPosition(capacity), partnerStart(capacity + 1) {
    found.resize(size_t(capacity) * 4);
    partners.reserve(size_t(capacity) * 4);
}

void PairGrid::build(const PVRTVec3* positions, int32_t count) {
    ZQ_ASSERT(count <= capacity);
    sortIntoCells(positions, count);
    findPairs();
    orderPairs(count);
}

// Cell coordinates relative to the bounding box, then a counting sort of the
// particles by cell, so each cell's particles lie together with copies of
// their positions next to them.
void PairGrid::sortIntoCells(const PVRTVec3* positions, int32_t count) {
    Cell lo{INT32_MAX, INT32_MAX, INT32_MAX};
    Cell hi{INT32_MIN, INT32_MIN, INT32_MIN};
    for (int32_t n = 0; n < count; ++n) {
        const PVRTVec3& p = positions[n];
        if (!(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))) {
            cells[n].x = kOutside;
            continue;
        }
        const Cell c{cellCoordinate(p.x), cellCoordinate(p.y), cellCoordinate(p.z)};
        cells[n] = c;
        lo = {std::min(lo.x, c.x), std::min(lo.y, c.y), std::min(lo.z, c.z)};
        hi = {std::max(hi.x, c.x), std::max(hi.y, c.y), std::max(hi.z, c.z)};
    }
    sortedCount = 0;
    if (lo.x > hi.x) {
        size[0] = size[1] = size[2] = 0;
        return;
    }
    size[0] = std::min(hi.x - lo.x + 1, kAxisCells);
    size[1] = std::min(hi.y - lo.y + 1, kAxisCells);
    size[2] = std::min(hi.z - lo.z + 1, kAxisCells);
    const int32_t cellCount = size[0] * size[1] * size[2];
    std::fill(cellStart.begin(), cellStart.begin() + cellCount + 1, 0);

    for (int32_t n = 0; n < count; ++n) {
        Cell& c = cells[n];
        if (c.x == kOutside) {
            cellIndex[n] = -1;
            continue;
        }
        c = {std::min(c.x - lo.x, size[0] - 1), std::min(c.y - lo.y, size[1] - 1),
             std::min(c.z - lo.z, size[2] - 1)};
        cellIndex[n] = c.x + size[0] * (c.y + size[1] * c.z);
        cellStart[cellIndex[n] + 1] += 1;
    }
    for (int32_t k = 1; k <= cellCount; ++k) {
        cellStart[k] += cellStart[k - 1];
    }
    // cellStart[c] serves as the fill cursor of cell c and ends up at the
    // start of cell c + 1; shifting back restores the starts.
    for (int32_t n = 0; n < count; ++n) {
        if (cellIndex[n] < 0) {
            continue;
        }
        const int32_t slot = cellStart[cellIndex[n]]++;
        sortedIndex[slot] = n;
        sortedCell[slot] = cells[n];
        sortedPosition[slot] = positions[n];
    }
    for (int32_t k = cellCount; k > 0; --k) {
        cellStart[k] = cellStart[k - 1];
    }
    cellStart[0] = 0;
    sortedCount = cellStart[cellCount];
}

// Each pair of cells is visited once: a slot meets the later slots of its own
// cell and of the cell to its +x side (adjacent in the sorted arrays), then
// the +y row of its layer and the three rows of the +z layer, each row being
// the run of cells x - 1 .. x + 1. That is the 13 cells of one half of the
// neighbourhood; the other half sees this slot from its own side.
void PairGrid::findPairs() {
    foundCount = 0;
    const auto row = [this](int32_t y, int32_t z) { return size[0] * (y + size[1] * z); };
    constexpr int32_t kRows[4][2] = {{1, 0}, {-1, 1}, {0, 1}, {1, 1}}; // (dy, dz)
    for (int32_t a = 0; a < sortedCount; ++a) {
        const Cell c = sortedCell[a];
        int32_t ranges[5][2];
        int32_t rangeCount = 0;
        int32_t candidates = 0;
        const auto addRange = [&](int32_t begin, int32_t end) {
            ranges[rangeCount][0] = begin;
            ranges[rangeCount][1] = end;
            ++rangeCount;
            candidates += end - begin;
        };
        const int32_t own = row(c.y, c.z) + c.x;
        addRange(a + 1, cellStart[own + (c.x + 1 < size[0] ? 2 : 1)]);
        const int32_t x0 = std::max(c.x - 1, 0);
        const int32_t x1 = std::min(c.x + 1, size[0] - 1);
        for (const auto& d : kRows) {
            const int32_t y = c.y + d[0];
            const int32_t z = c.z + d[1];
            if (y >= 0 && y < size[1] && z < size[2]) {
                addRange(cellStart[row(y, z) + x0], cellStart[row(y, z) + x1 + 1]);
            }
        }
        if (foundCount + candidates > int32_t(found.size())) {
            found.resize(std::max(found.size() * 2, size_t(foundCount + candidates)));
        }

        // Every candidate is written and only a touching one is kept, so a
        // hard-to-guess comparison costs no mispredicted branch.
        const PVRTVec3 p = sortedPosition[a];
        const int32_t ia = sortedIndex[a];
        Pair* const out = found.data();
        int32_t kept = foundCount;
        for (int32_t r = 0; r < rangeCount; ++r) {
            for (int32_t b = ranges[r][0]; b < ranges[r][1]; ++b) {
                const int32_t ib = sortedIndex[b];
                const bool notNeighbour = uint32_t(ib - ia + 1) > 2u;
                out[kept] = {ia, ib};
                kept += int32_t(notNeighbour & touchingSquared(p, sortedPosition[b]));
            }
        }
        foundCount = kept;
    }
}

// A counting sort of the pairs by their first particle, then each particle's
// partners into ascending order: the order of the plain double loop.
void PairGrid::orderPairs(int32_t count) {
    std::fill(partnerStart.begin(), partnerStart.begin() + count + 1, 0);
    const std::span<Pair> pairs(found.data(), size_t(foundCount));
    for (Pair& pair : pairs) {
        if (pair.i > pair.j) {
            std::swap(pair.i, pair.j);
        }
        partnerStart[pair.i + 1] += 1;
    }
    for (int32_t n = 1; n <= count; ++n) {
        partnerStart[n] += partnerStart[n - 1];
    }
    partners.resize(pairs.size());
    for (const Pair& pair : pairs) {
        partners[partnerStart[pair.i]++] = pair.j;
    }
    for (int32_t n = count; n > 0; --n) {
        partnerStart[n] = partnerStart[n - 1];
    }
    partnerStart[0] = 0;
    for (int32_t n = 0; n < count; ++n) {
        sortAscending(partners.data() + partnerStart[n], partnerStart[n + 1] - partnerStart[n]);
    }
}

} // namespace ZQ::Fx
