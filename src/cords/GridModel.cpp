#include "cords/GridModel.h"

#include "cords/CordModel.h"
#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/Log.h"

#include <cmath>

namespace ZQ {

namespace {

// The room keeps a cord within about 30 x 25 x 20 cells. A box far larger
// than that (particles flung out, or not-a-number) would ask for gigabytes of
// cells: such a frame keeps the last grid instead.
constexpr float kMaxCells = 262144.0f;

// Cells along one axis for an extent: trunc(extent / size) + 1, or 0 when
// the extent is no usable number.
float cellsAlong(float extent, float size) {
    const float n = std::trunc(extent / size) + 1.0f;
    return std::isfinite(n) && n >= 1.0f ? n : 0.0f;
}

// trunc(offset * inverse) clamped to [0, count - 1]; the clamp is done in
// floats so that a particle beyond the box (or not-a-number) never reaches
// the integer conversion out of range.
int32_t clampedCell(float offset, float inverse, int32_t count) {
    const float c = std::trunc(offset * inverse);
    if (!(c >= 0.0f)) {
        return 0;
    }
    const float last = static_cast<float>(count - 1);
    return c >= last ? count - 1 : static_cast<int32_t>(c);
}

} // namespace

GridModel::~GridModel() {
    releaseCells();
    delete[] particleCells;
}

void GridModel::setUp() {
    cellSize = 2.0f / gGlobals.worldScale;
    delete[] particleCells;
    particleCells = new int32_t[kParticleCells]();
}

void GridModel::tearDown() {
    releaseCells();
    delete[] particleCells;
    particleCells = nullptr;
}

void GridModel::releaseCells() {
    delete[] cells;
    cells = nullptr;
    cellCapacity = 0;
}

int32_t GridModel::cellOfParticle(int32_t particle) const {
    if (cells == nullptr || particleCells == nullptr || particle < 0 || particle >= kParticleCells) {
        return -1;
    }
    const int32_t k = particleCells[particle];
    return k >= 0 && k < cellCount() ? k : -1;
}

void GridModel::doStep() {
    ZQ_ASSERT(particleCells != nullptr);
    const CordModel* cord = gGlobals.cordModel;
    ZQ_ASSERT(cord != nullptr);
    const int32_t n = cord->count;
    if (n == 0) {
        return;
    }
    ZQ_ASSERT(n <= kParticleCells);
    const PVRTVec3 lo = cord->boxMin();
    const PVRTVec3 hi = cord->boxMax();
    const float size = cellSize;
    const float fx = cellsAlong(hi.x - lo.x, size);
    const float fy = cellsAlong(hi.y - lo.y, size);
    const float fz = cellsAlong(hi.z - lo.z, size);
    if (fx == 0.0f || fy == 0.0f || fz == 0.0f || fx * fy * fz > kMaxCells) {
        platformLog("Grid not rebuilt: cord box (%g, %g, %g) out of range", static_cast<double>(hi.x - lo.x),
                    static_cast<double>(hi.y - lo.y), static_cast<double>(hi.z - lo.z));
        return;
    }
    nx = static_cast<int32_t>(fx);
    ny = static_cast<int32_t>(fy);
    nz = static_cast<int32_t>(fz);

    // The largest grid so far stays allocated: the cord's box changes a
    // little every frame, and a new table each time cost most of the frame.
    if (cellCount() > cellCapacity) {
        releaseCells();
        cells = new Cell[cellCount()];
        cellCapacity = cellCount();
    }
    const float half = size / 2.0f;
    for (int32_t ix = 0; ix < nx; ++ix) {
        for (int32_t iy = 0; iy < ny; ++iy) {
            for (int32_t iz = 0; iz < nz; ++iz) {
                Cell& cell = cells[cellIndex(ix, iy, iz)];
                cell.ix = ix;
                cell.iy = iy;
                cell.iz = iz;
                cell.centre[0] = lo.x + half + size * static_cast<float>(ix);
                cell.centre[1] = lo.y + half + size * static_cast<float>(iy);
                cell.centre[2] = lo.z + half + size * static_cast<float>(iz);
                cell.particles = ParticleRun();
            }
        }
    }

    // cell = trunc((p - lo) / L) per axis, clamped into the grid. This pass
    // counts each cell's particles.
    const float inverse = 1.0f / size;
    const PVRTVec3* positions = cord->positions;
    for (int32_t i = 0; i < n; ++i) {
        const PVRTVec3& p = positions[i];
        const int32_t k =
            cellIndex(clampedCell(p.x - lo.x, inverse, nx), clampedCell(p.y - lo.y, inverse, ny),
                      clampedCell(p.z - lo.z, inverse, nz));
        particleCells[i] = k;
        ++cells[k].particles.size;
    }
    // A cell's run is laid out in `filed` when its first particle comes up;
    // from then on its size counts the indices written so far. Only occupied
    // cells are visited, and each run ends up ascending.
    int32_t* next = filed;
    for (int32_t i = 0; i < n; ++i) {
        ParticleRun& run = cells[particleCells[i]].particles;
        if (run.first == nullptr) {
            run.first = next;
            next += run.size;
            run.size = 0;
        }
        run.first[run.size++] = i;
    }
}

} // namespace ZQ
