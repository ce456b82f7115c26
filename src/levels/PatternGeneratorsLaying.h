#pragma once

#include "levels/PatternGraph.h"

#include <memory>
#include <vector>

// Helpers shared by the generators: they hand freshly built triangles to the
// graph with their pattern value. Whether a polygon asks its function once or
// once per triangle is visible to a function with a counter, so each
// generator picks the helper its tiling calls for.
namespace ZQ::PatternLaying {

// Apothems of the polygons of side 0.5.
constexpr float kHexagonApothem = 0.4330127f;
constexpr float kOctagonApothem = 0.60355335f;
constexpr float kDodecagonApothem = 0.9330127f;

// Tiles a builder has made that no graph owns yet. Should a pattern function
// throw (an empty std::function does), the destructor frees what is left.
struct PendingTiles {
    std::vector<PatternTile*> tiles;

    PendingTiles() = default;
    ~PendingTiles();
    PendingTiles(const PendingTiles&) = delete;
    PendingTiles& operator=(const PendingTiles&) = delete;
};

// Asks f(i, j) for every tile of made, in order, and adds each to the graph.
void addEachAsking(PatternGraph& graph, PendingTiles& made, const PatternFunction& f, int i, int j);

// Asks f(i, j) once and gives the value to every tile of made.
void addAllAskingOnce(PatternGraph& graph, PendingTiles& made, const PatternFunction& f, int i, int j);

// Adds the single triangle (p0, p1, p2) with the value f(i, j).
void addTriangle(PatternGraph& graph, const PVRTVec2& p0, const PVRTVec2& p1, const PVRTVec2& p2,
                 const PatternFunction& f, int i, int j);

// Stops the program when the level hands the generator fewer functions than it
// has tile classes.
void requireClasses(const std::vector<PatternFunction>& patterns, int classes);

// What every generator does around its laying: a size below one cell gives
// an empty graph; otherwise, once the level is known to hand enough
// functions, lay(graph, made) fills the graph. Should a pattern function
// throw, the graph and any tiles not yet handed over are freed.
template <class Lay>
PatternGraph* layTiling(int width, int height, const std::vector<PatternFunction>& patterns, int classes,
                        const Lay& lay) {
    auto graph = std::make_unique<PatternGraph>();
    if (width < 1 || height < 1) {
        return graph.release();
    }
    requireClasses(patterns, classes);
    PendingTiles made;
    lay(*graph, made);
    return graph.release();
}

inline float toF(int v) {
    return static_cast<float>(v);
}

} // namespace ZQ::PatternLaying
