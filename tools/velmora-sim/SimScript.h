#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace velmora_sim {

// One scripted input, delivered when the engine's frame counter reads
// `frame` (0: right after the cord is laid, before the first step).
struct ScriptEvent {
    enum class Kind { Began, Moved, Ended, Cancelled, Swipe };

    int32_t frame = 0;
    Kind kind = Kind::Began;
    float x = 0.0f; // pixels, origin at the bottom left
    float y = 0.0f;
    float radius = 0.0f;   // touches, in points; 0 when the line gives none (a mouse)
    int32_t direction = 0; // swipes: 1 right, 2 left, 4 up, 8 down
    int32_t line = 0;      // the script line it came from
};

// Reads a script, one event a line:
//   FRAME began|moved|ended|cancelled X Y [RADIUS]
//   FRAME swipe X Y right|left|up|down
// '#' starts a comment and blank lines are skipped. Frames may repeat but
// never go back. False, with "line N: ..." in `error`, at the first line it
// cannot use; `events` then holds the lines before it.
bool parseScript(std::istream& in, std::vector<ScriptEvent>& events, std::string& error);

// parseScript on a file; a file that cannot be read is an error naming it.
bool loadScript(const std::string& path, std::vector<ScriptEvent>& events, std::string& error);

// The event as a script line would give it, for the player's report.
std::string describe(const ScriptEvent& event);

} // namespace velmora_sim
