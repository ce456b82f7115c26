#pragma once

#include <vector>

namespace ZQ {

// One letter of a laid-out line, x in pixels: the advance the layout gives
// it and the extent of its ink, outline included.
struct LetterCell {
    double left = 0.0;
    double right = 0.0;
    double inkLeft = 0.0; // read only when inked
    double inkRight = 0.0;
    bool inked = false; // a blank has no ink
};

// Where a line's letters move so that each can be cut out whole, and the
// boundaries the cuts fall on.
struct LetterCut {
    std::vector<double> shifts;     // pixels to the right, one per letter
    std::vector<double> boundaries; // one more than the letters, rising
};

// The flow pass draws letter i from boundaries[i] + 1 to boundaries[i + 1] - 1
// and its linear filter reads up to one texel beyond: so every boundary keeps
// `clearance` pixels (at least 1) from all ink on both sides, and two
// boundaries lie at least 2 pixels apart, so no strip is drawn mirrored.
// Letters keep their layout's places where that already holds; a letter whose
// ink comes too near the ink before it (a kerned "Ve", a "t" whose crossbar
// reaches over its advance, a thick outline) moves right with everything after
// it. The line then moves back by half the room it gained, staying centred.
LetterCut cutLetters(const std::vector<LetterCell>& cells, double clearance);

} // namespace ZQ
