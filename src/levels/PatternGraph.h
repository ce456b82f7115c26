#pragma once

#include "engine/PVRTVector.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <unordered_map>
#include <vector>

namespace ZQ {

// A room's wallpaper is a tiling of the plane by regular polygons with side
// 0.5, each polygon cut into triangle tiles. A pattern generator lays the
// tiling over a grid of cells and asks the level's pattern functions for each
// tile's value; the value v later selects room material v of the level.

// Maps a tile's two cell indices (i, j) to a room-material index 0..3.
using PatternFunction = std::function<int(int, int)>;

class PatternGraph;

// Lays one tiling over width x height cells. Function k of the list colours
// the generator's k-th tile class; further functions are ignored. The caller
// owns the returned graph.
using PatternGenerator = PatternGraph* (*)(int width, int height, std::vector<PatternFunction> patterns);

// One triangle of the tiling. The key edge runs from point 1 to point 2 and is
// the tile's outer edge: a polygon side for a fan triangle, a square side or
// its diagonal for the two triangles of a square.
struct PatternTile {
    static constexpr int kWorkWords = 27;

    PVRTVec2 points[3];
    // Scratch space of the relief mesher, which owns its meaning.
    float work[kWorkWords] = {};
    // Halves made by subdivide; owned by this tile.
    std::list<PatternTile*> children;
    int32_t value = 0;

    PatternTile(const PVRTVec2& p0, const PVRTVec2& p1, const PVRTVec2& p2) : points{p0, p1, p2} {}
    ~PatternTile();
    PatternTile(const PatternTile&) = delete;
    PatternTile& operator=(const PatternTile&) = delete;

    // Halves every leaf across its key edge, keeping point 0; the mesher calls
    // it as often as its level of detail asks.
    void subdivide();
};

// A tile corner with its hash, computed once from the coordinates snapped to
// a 1e-4 grid.
struct PatternPoint {
    float x;
    float y;
    uint64_t hash;

    PatternPoint(float ax, float ay);

    // Raw coordinates within 0.0001 of each other on both axes.
    bool matches(const PatternPoint& o) const;
};

// The key edge of a tile as an unordered pair of points.
struct PatternEdge {
    PatternPoint a;
    PatternPoint b;
    uint64_t hash;

    PatternEdge(const PatternPoint& pa, const PatternPoint& pb) : a(pa), b(pb), hash(pa.hash ^ pb.hash) {}

    bool operator==(const PatternEdge& o) const {
        return (a.matches(o.a) && b.matches(o.b)) || (a.matches(o.b) && b.matches(o.a));
    }
};

struct PatternEdgeHash {
    std::size_t operator()(const PatternEdge& e) const noexcept { return static_cast<std::size_t>(e.hash); }
};

// The result of a pattern generator. Built on the main thread, then handed to
// the relief worker, which reads it, subdivides its tiles and deletes it; it
// carries no lock of its own.
class PatternGraph {
public:
    using EdgeMap = std::unordered_map<PatternEdge, std::vector<PatternTile*>, PatternEdgeHash>;

    // Every leaf tile in order of addition; owned by the graph.
    std::vector<PatternTile*> tiles;
    // For each key edge, the tiles whose key edge it is; not owning.
    EdgeMap edges;

    PatternGraph();
    ~PatternGraph();
    PatternGraph(const PatternGraph&) = delete;
    PatternGraph& operator=(const PatternGraph&) = delete;

    // Takes ownership of the tile. A tile that already has children is not
    // stored itself: its leaves are added in its place and the emptied tile
    // is deleted.
    void addTile(PatternTile* tile);
};

// Appends the n triangles of the regular n-gon with the given apothem around
// (cx, cy). phase is the direction of the middle of side 0 (0: facing +x).
void makeTriangleFan(std::vector<PatternTile*>& tiles, int n, float cx, float cy, float apothem, float phase);

// Appends the two triangles of the square standing on the left of the segment
// (x1, y1) -> (x2, y2) and returns the square's far side as x, y of its first
// end then x, y of its second end.
std::array<float, 4> makeSegmentTiles(std::vector<PatternTile*>& tiles, float x1, float y1, float x2,
                                      float y2);

// Appends the two triangles of a square of side 0.5 turned by angle about
// (cx, cy).
void makeRotatedSquare(std::vector<PatternTile*>& tiles, float cx, float cy, float angle);

} // namespace ZQ
