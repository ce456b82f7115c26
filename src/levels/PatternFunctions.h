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

// What builds of wallpaper patterns carry from one to the next: the count of
// level 72's counter function, whose colours follow the order in which the
// generator asks and go on from one build of the room to the next. Whoever
// builds patterns owns one and builds through it; the same sequence of
// builds through one state gives the same values. A counter function called
// outside such a build stops the program.
//
// Ownership: holds only its count. Threads: one build at a time per state;
// builds through separate states share nothing and may run at once.
class PatternBuildState {
public:
    // A new graph of width x height cells laid by the generator and coloured
    // by copies of the functions that count in this state; the caller owns it.
    PatternGraph* build(PatternGenerator generator, int width, int height,
                        const std::vector<PatternFunction>& functions);

private:
    // Kept modulo three: the same values as an ever-growing count, and it
    // cannot overflow.
    int counterCalls = 0;
};

} // namespace ZQ
