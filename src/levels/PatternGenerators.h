#pragma once

#include "levels/PatternGraph.h"

#include <vector>

namespace ZQ {

// The eleven tilings of the plane by regular polygons of side 0.5 (the three
// regular ones and the eight semi-regular ones), each laid over width x height
// cells. Every generator matches ZQ::PatternGenerator: it returns a new graph
// owned by the caller, empty when width or height is below 1, and colours its
// k-th tile class with patterns[k]. Polygon centres are laid around the origin.

// Regular tilings.
PatternGraph* makeTrianglePattern(int width, int height, std::vector<PatternFunction> patterns);
PatternGraph* makeSquarePattern(int width, int height, std::vector<PatternFunction> patterns);
PatternGraph* makeHexagonPattern(int width, int height, std::vector<PatternFunction> patterns);

// Semi-regular tilings.
PatternGraph* makeHexagonTrianglePattern(int width, int height, std::vector<PatternFunction> patterns);
PatternGraph* makeDodecagonTrianglePattern(int width, int height, std::vector<PatternFunction> patterns);
PatternGraph* makeOctagonSquarePattern(int width, int height, std::vector<PatternFunction> patterns);
PatternGraph* makeHexagonSquareTrianglePattern(int width, int height, std::vector<PatternFunction> patterns);
PatternGraph* makeDodecagonHexagonSquarePattern(int width, int height, std::vector<PatternFunction> patterns);
PatternGraph* makeSnubSquarePattern(int width, int height, std::vector<PatternFunction> patterns);
PatternGraph* makeElongatedTrianglePattern(int width, int height, std::vector<PatternFunction> patterns);
PatternGraph* makeSnubHexagonPattern(int width, int height, std::vector<PatternFunction> patterns);

// How many pattern functions the generator reads (its tile classes); 0 for a
// function that is not one of the eleven.
int patternClassCount(PatternGenerator generator);

// The generator's own name ("makeSquarePattern"), or "unknown".
const char* patternGeneratorName(PatternGenerator generator);

} // namespace ZQ
