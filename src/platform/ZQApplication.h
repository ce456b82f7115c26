#pragma once

#include "engine/PVRTVector.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ZQ {
class KeyValueStore;
}

class ZQAppDelegate;
class ZQEGLContext;
class ZQInputScript;
class ZQView;
class ZQWindowEvents;

// One frame of a headless run kept as a PNG: the frame with this number
// (the first frame drawn is 0).
struct ZQShot {
    long frame = 0;
    std::string path;
};

// How the game was started (the command line).
struct ZQLaunch {
    bool headless = false;
    long frames = -1;         // stop once this many frames are drawn; -1: until the window closes
    bool realtime = false;    // headless at the frame rate instead of as fast as it can
    std::string screenshot;   // PNG of the last frame, when not empty
    std::string input;        // touches and gestures to replay (headless), when not empty
    bool reportInput = false; // say at the end how many touches and gestures reached the game
    bool printFrames = false; // each frame's number on a line of its own once drawn
    bool printStates = false; // each change of the game flow's and the award's states, with its frame
    bool seeded = false;      // the random choices follow `seed` rather than the system's entropy
    uint64_t seed = 0;
    std::vector<ZQShot> shots;  // headless: frames kept as PNGs on the way
    bool drawShotsOnly = false; // headless: render only the frames kept as PNGs, step the others
};

// The application around the view: makes the GL context (a window, or none
// with --headless), builds the view, runs the frames and ends with the
// engine torn down; a headless run that SIGINT or SIGTERM stops ends the
// same way. Returns the process's exit status: 0 after a normal end,
// 1 when the game cannot start (a bundle folder without the game's files,
// an input file it cannot read, another game on the data folder, user
// defaults or leaderboards it may not use, no OpenGL ES 2.0, no display:
// said through ZQFailureNotice), a screenshot cannot be written, or progress
// made in the session could not be saved (said by ZQUnsavedReport).
namespace ZQApplication {

// The phone screen the game is laid out for, in points; the device
// profile's content scale gives its pixels (750 x 1334 by default).
inline constexpr PVRTVec2 kFramePoints(375.0f, 667.0f);
// A headless run has no window to close: it stops after this many frames
// unless told otherwise.
inline constexpr long kHeadlessFrames = 300;

int run(const ZQLaunch& launch);

// The game's stores, each knowing whether the game needs it: the user
// defaults, their cloud copy, the leaderboards. The start refuses on a
// needed one that refuses, and the end names each one that owes changes.
std::vector<ZQ::KeyValueStore*> gameStores();

// The number of the frame being stepped, or else drawn last, as the options,
// the input file and the reports number frames: the engine's counter counts
// the frames stepped, and the first of them, drawn as the view is built, is
// frame 0.
int32_t frameNumber();

// The window's loop: one frame per display-link tick while the view is
// active, and in between (or while inactive) it waits for events, never
// spinning. Stops when the window is closed or `keepGoing` answers false
// before a frame. `afterFrame`, when given, is called after each frame the
// loop draws, before the events that came meanwhile are handled.
void runWindowLoop(ZQView& view, ZQWindowEvents& events, const std::function<bool()>& keepGoing,
                   const std::function<void()>& afterFrame = {});

// The headless loop: delivers the input file's events due at each frame
// just before it and draws, as fast as it can or (realtime) at the display
// link's ticks, from frame 1 (the view drew frame 0) until `frames` frames
// are drawn or, once SIGINT or SIGTERM has asked the game to stop
// (ZQStopSignals), one frame more is; the last one stays on the target.
// `afterFrame`, when given, is called after each frame the loop draws.
// `renders`, when given, says which frames (numbered as ZQShot numbers them)
// are drawn; the others are stepped (ZQView::stepView: rendered only when
// later frames rely on it, never presented). The last always is drawn.
void runHeadlessLoop(ZQView& view, ZQInputScript& input, long frames, bool realtime,
                     const std::function<void()>& afterFrame = {},
                     const std::function<bool(long frame)>& renders = {});

} // namespace ZQApplication
