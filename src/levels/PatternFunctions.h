#pragma once

#include "levels/PatternGraph.h"

#include <vector>

namespace ZQ {

// The wallpaper colourings of the catalogue: for the base record and for each
// level, the list of pattern functions its record stores, in order. Function
// k colours tile class k of the level's generator; a few levels store more
// functions than their generator reads.

std::vector<PatternFunction> groundPatternFunctions();

// level is a play-order index 0..75.
std::vector<PatternFunction> levelPatternFunctions(int level);

} // namespace ZQ
