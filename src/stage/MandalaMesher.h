#pragma once

#include "engine/PVRTVector.h"
#include "levels/PatternGraph.h"

#include <GLES2/gl2.h>

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace ZQ {

// One vertex of the wallpaper relief buffer, 36 bytes of floats.
struct MandalaVertex {
    PVRTVec3 position; // relief position in pattern units
    PVRTVec3 normal;   // unit vertex normal
    PVRTVec2 spare;    // the corner's spare pair, always (0, 0)
    float value;       // the tile's pattern value, 0.0 .. 3.0
};
static_assert(sizeof(MandalaVertex) == 36);

// The relief of one pattern: a plain triangle list, three vertices per leaf
// tile. Filled by the relief worker; collect uploads the vertices into `vbo`
// and empties them. Whoever holds the mesh deletes it with destroy().
struct MandalaMesh {
    GLuint vbo = 0;
    int32_t count = 0;
    PVRTVec2 min; // the pattern's bounds; they always contain the origin
    PVRTVec2 max;
    std::vector<MandalaVertex> vertices;

    // Deletes the GL buffer when there is one (main thread), then the record.
    static void destroy(MandalaMesh* mesh);
};

// A tile corner as a welding key: the point that made the entry and its hash
// on the 1e-4 grid (the pattern graph's own point hash).
struct MandalaPointKey {
    PatternPoint point;

    MandalaPointKey(const PVRTVec2& p) : point(p.x, p.y) {}
    // Both coordinates strictly within 0.0001.
    bool operator==(const MandalaPointKey& o) const { return point.matches(o.point); }
};

struct MandalaPointKeyHash {
    std::size_t operator()(const MandalaPointKey& key) const noexcept {
        return static_cast<std::size_t>(key.point.hash);
    }
};

// The worker's welding table, built afresh for each graph: every leaf tile
// in order of addition, and for each distinct corner point the leaf tiles
// with a corner there.
struct MandalaVertexMap {
    using PointMap = std::unordered_map<MandalaPointKey, std::vector<PatternTile*>, MandalaPointKeyHash>;

    MandalaVertexMap() { points.max_load_factor(1.0f); }

    // The tile list of the entry whose point lies within the tolerance of
    // `corner`, made when there is none. The hash rounds to the 1e-4 grid, so
    // two corners within the tolerance may hash into neighbouring cells; a
    // lookup that finds nothing in the corner's own bucket looks in the
    // buckets of the eight cells around it before it makes a new entry.
    std::vector<PatternTile*>& entryFor(const PVRTVec2& corner);

    std::vector<PatternTile*> tiles;
    PointMap points;
};

// Adds a leaf tile, or recursively the leaves under a tile with children
// (the parent itself is not added), depth first in list order.
void addTileVertices(MandalaVertexMap& map, PatternTile* tile);

// The relief height of a plane point: a spiral ripple of amplitude 0.05
// around the origin, -0.05 at the origin itself.
float mandalaHeight(float x, float y);

// Meshes a pattern graph into a new relief (welded, averaged normals,
// heights). The graph's tiles carry the mesher's working values afterwards;
// the graph stays the caller's. Touches no GL and no shared state, so it runs
// on the relief worker.
MandalaMesh* meshPattern(PatternGraph& graph);

} // namespace ZQ
