#include "cords/CordModel.h"
#include "engine/Globals.h"
#include "engine/Log.h"

#include <cmath>
#include <vector>

namespace ZQ {

// The screen is cut into square-ish cells and each cell keeps the particle
// nearest the viewer, so a touch can only pick what the player sees.
//
// The x axis gets trunc(H / cs) bins and the y axis trunc(W / cs): the counts
// are swapped against the screen's sides on purpose, which makes the cells of
// a portrait screen narrower than high. It stays that way: the slide's end
// test and window search are judged on these cells, and other cells would
// change which strokes anchor where.
void CordModel::pickVisibleParticles(const CordModel& cord, std::unordered_set<int>& out, float cellSize) {
    // Factories raise radii below one pixel; anything smaller here would ask
    // for an unbounded grid.
    if (!(cellSize >= 1.0f)) {
        platformLog("pickVisibleParticles: cell size %g below 1 pixel", static_cast<double>(cellSize));
        return;
    }
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const float nx = std::trunc(h / cellSize);
    const float ny = std::trunc(w / cellSize);
    if (!(nx >= 1.0f && ny >= 1.0f)) {
        return;
    }
    const int columns = static_cast<int>(nx);
    const int rows = static_cast<int>(ny);
    std::vector<int> grid(static_cast<size_t>(columns) * static_cast<size_t>(rows), -1);

    // Ascending indices with a strict comparison: on equal z the earlier
    // particle keeps the cell.
    const PVRTVec2* screen = cord.screenPositions;
    const PVRTVec3* positions = cord.positions;
    for (int i = 0; i < cord.count; ++i) {
        const float a = std::trunc(screen[i].x * nx / w);
        const float b = std::trunc(screen[i].y * ny / h);
        if (!(a >= 0.0f && a < nx && b >= 0.0f && b < ny)) {
            continue;
        }
        int& cell = grid[static_cast<size_t>(a) * static_cast<size_t>(rows) + static_cast<size_t>(b)];
        if (cell < 0 || positions[cell].z < positions[i].z) {
            cell = i;
        }
    }
    for (int particle : grid) {
        if (particle >= 0) {
            out.insert(particle);
        }
    }
}

} // namespace ZQ
