#include "levels/PatternGenerators.h"

#include "engine/Assert.h"
#include "levels/PatternGeneratorsLaying.h"

#include <cstddef>

namespace ZQ {

namespace PatternLaying {

PendingTiles::~PendingTiles() {
    for (PatternTile* tile : tiles) {
        delete tile;
    }
}

void addEachAsking(PatternGraph& graph, PendingTiles& made, const PatternFunction& f, int i, int j) {
    for (PatternTile*& tile : made.tiles) {
        tile->value = f(i, j);
        graph.addTile(tile);
        tile = nullptr;
    }
    made.tiles.clear();
}

void addAllAskingOnce(PatternGraph& graph, PendingTiles& made, const PatternFunction& f, int i, int j) {
    const int value = f(i, j);
    for (PatternTile*& tile : made.tiles) {
        tile->value = value;
        graph.addTile(tile);
        tile = nullptr;
    }
    made.tiles.clear();
}

void addTriangle(PatternGraph& graph, const PVRTVec2& p0, const PVRTVec2& p1, const PVRTVec2& p2,
                 const PatternFunction& f, int i, int j) {
    const int value = f(i, j);
    auto* tile = new PatternTile(p0, p1, p2);
    tile->value = value;
    graph.addTile(tile);
}

void requireClasses(const std::vector<PatternFunction>& patterns, int classes) {
    ZQ_ASSERT(patterns.size() >= static_cast<std::size_t>(classes));
}

} // namespace PatternLaying

namespace {

struct GeneratorInfo {
    PatternGenerator generator;
    int classes;
    const char* name;
};

// clang-format off
const GeneratorInfo kGenerators[] = {
    {makeTrianglePattern,               4, "makeTrianglePattern"},
    {makeSquarePattern,                 1, "makeSquarePattern"},
    {makeHexagonPattern,                1, "makeHexagonPattern"},
    {makeHexagonTrianglePattern,        3, "makeHexagonTrianglePattern"},
    {makeDodecagonTrianglePattern,      3, "makeDodecagonTrianglePattern"},
    {makeOctagonSquarePattern,          2, "makeOctagonSquarePattern"},
    {makeHexagonSquareTrianglePattern,  6, "makeHexagonSquareTrianglePattern"},
    {makeDodecagonHexagonSquarePattern, 6, "makeDodecagonHexagonSquarePattern"},
    {makeSnubSquarePattern,             6, "makeSnubSquarePattern"},
    {makeElongatedTrianglePattern,      3, "makeElongatedTrianglePattern"},
    {makeSnubHexagonPattern,            3, "makeSnubHexagonPattern"},
};
// clang-format on
static_assert(sizeof kGenerators / sizeof kGenerators[0] == 11);

const GeneratorInfo* findGenerator(PatternGenerator generator) {
    for (const GeneratorInfo& info : kGenerators) {
        if (info.generator == generator) {
            return &info;
        }
    }
    return nullptr;
}

} // namespace

int patternClassCount(PatternGenerator generator) {
    const GeneratorInfo* info = findGenerator(generator);
    return info != nullptr ? info->classes : 0;
}

const char* patternGeneratorName(PatternGenerator generator) {
    const GeneratorInfo* info = findGenerator(generator);
    return info != nullptr ? info->name : "unknown";
}

} // namespace ZQ
