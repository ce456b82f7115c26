#pragma once

#include "engine/PVRTVector.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ZQ {

class TipNode;

// The lines of a tip on screen, as flows of the flow model: they swing in
// one after another from off the screen, hold, and leave by themselves; a
// tip closed early flings them off at once.
//
// Every flow id a tip holds is released exactly once: its own exit queues
// one removal per line, and an early close first takes the tip's exits that
// are still queued off the flow model, then flings and removes only the
// lines the flow model still shows and has not marked for removal.
//
// Main thread only.
namespace TipSceneCollection {

// Half the width a line is pinned over, per letter, in world units. The
// tips' texts keep to lines short enough that both ends stay on screen.
inline constexpr float kHalfLetter = 0.5625f;

// Shows one line per row, line i the caption name + (i + 1), and queues
// their exits; `groups` gets the new flow ids. The lines' exit clears the
// tip's groups once the first line has left, so a later close leaves them be.
void showGroup(TipNode& tip, std::vector<int>& groups, const std::vector<float>& rows,
               const std::string& name);
// Flings the given lines off the screen together and removes them.
void hideGroup(TipNode& tip, const std::vector<int>& groups);

} // namespace TipSceneCollection

// Where a tip's line enters: from the left or right edge at height y, or
// from below the screen at a random x.
PVRTVec2 randomTipEntry(float y);

} // namespace ZQ
