#pragma once

#include "engine/PVRTVector.h"

#include <cstdint>
#include <vector>

namespace ZQ {

class TutorialNode;

// The message scene every tutorial step shares: its lines swing in from one
// side with a swish, their end letters are pinned to either side of the
// screen centre, and when the step leaves they are flung off together and
// removed one by one.
//
// Threads: main thread only; it only hands flows and flow steps to the flow
// model, which owns them.
class TutorialSceneCollection {
public:
    // A line's end letters are pulled into place over this many frames and
    // held there for kHoldFrames, or kKeepFrames (practically until the step
    // leaves) when the step keeps its lines.
    static constexpr int32_t kEntryFrames = 60;
    static constexpr int32_t kHoldFrames = 120;
    static constexpr int32_t kKeepFrames = 122880;
    static constexpr int32_t kExitFrames = 30;
    static constexpr int32_t kTrailFrames = 15;
    // Half the width of a pinned line, per letter, in world units, up to
    // kMaxHalf of the screen width: a line of more than about 17 letters
    // would otherwise be pinned beyond the screen's edges, its ends unread.
    static constexpr float kHalfLetter = 0.5625f;
    static constexpr float kMaxHalf = 0.45f;

    // Shows the step's rows as lines and records their flow ids in its
    // groups; nothing when the step is silent. A line whose caption has no
    // letters shows nothing and is left out of groups.
    static void showGroup(TutorialNode& node);
    // Flings the lines of `groups` off and then removes them. A flow that
    // has gone already is passed over.
    static void hideGroup(const std::vector<int>& groups);
};

// A random side of the screen for a line at height y: with an odd draw the
// right (start (2w, y, z), pivot the last letter), with an even one the left
// (start (-w, y, z), pivot letter 0).
void randomSideEntry(int* pivot, PVRTVec3* start, int count, float x, float y, float z);

} // namespace ZQ
