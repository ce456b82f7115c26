#pragma once

#include "GameProcess.h"
#include "XvfbDisplay.h"
#include "support/ScopedEnvironment.h"

#include "engine/PVRTVector.h"
#include "platform/ZQSnapshot.h"
#include "support/TempFolder.h"

#include <sys/types.h>

#include <chrono>
#include <string>

// The real game in its window on a private X server, driven by xdotool as a
// player's hand drives it: taps, presses, moves and drags given in points of
// the game's 375 x 667 screen, placed where the window shows them. The game
// runs with --report-input, so what it prints when it ends says how many
// touches and gestures reached it (readInputReport); the display's screen
// can be read at any moment to see what the window presents.
//
// The game reads the window's events once a frame, and on a busy machine a
// software GL frame can take a second. So after each step the hand waits
// for the frames the game prints (--print-frames) rather than for a fixed
// time: two frames after a step, the game has read it. Clicking sooner is
// not only early: SDL swallows a click it reads within 10 ms of a focus
// change as the click that focused the window, and a focus change and a
// click read in the same batch are that close.
//
// Ownership: owns the X server and the game's process; both are ended, by
// their own process ids, when the object goes. Threads: the test's thread.
class GameWindow {
public:
    // Empty when Xvfb and xdotool are installed; otherwise what is missing.
    static std::string missingTools();

    GameWindow() = default;
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;
    ~GameWindow();

    // Starts a display of width x height and the game on it with
    // `arguments` (shell words, e.g. "--frames 600"), and waits until its
    // window is mapped, has the focus and the game has read that. False
    // with the reason on failure.
    bool start(const std::string& arguments, std::string& failure, int width = 1024, int height = 768);

    // Each step reaches the game in a frame of its own, as a hand's would;
    // a step fails when the game stops, or draws no frame after it for
    // `framePatience`: it hangs (or its window lost the focus), which fails
    // the test too.
    bool tap(PVRTVec2 point);
    bool press(PVRTVec2 point);
    bool moveTo(PVRTVec2 point);
    bool release();
    // Press at `from`, `steps` moves along the line to `to`, release there.
    bool drag(PVRTVec2 from, PVRTVec2 to, int steps);
    // Presses and lets go of a key (xdotool's name for it, e.g. "F11").
    bool key(const std::string& name);
    // The same stroke as a flick: the press, the moves and the lift in one
    // go, 20 ms apart, without waiting for frames between them (a stroke
    // the game takes for a flick must end within a few frames of its start).
    bool flick(PVRTVec2 from, PVRTVec2 to, int steps);
    void rest(std::chrono::milliseconds pause) const;
    // The window loses the focus to the desktop (the game becomes inactive
    // and its frames stop), then gets it back (active again: returns once
    // its frames have come back).
    bool leaveWindow();
    bool returnToWindow();
    // The number of the last frame the game has printed, -1 before any.
    long lastFrame() const;
    // Waits until the game has drawn `count` frames more.
    bool waitFrames(long count);
    // Waits for the line "`text` at frame F" the game prints (e.g. "state 4"
    // with --print-states) and returns F; -1 when `frames` more frames came
    // first or the game stopped drawing. A line printed earlier counts.
    long waitForLine(const std::string& text, long frames);
    // Everything the game has printed so far.
    std::string output() const;

    // Where a point of the game's screen is in the window, in window pixels
    // (the screen is letterboxed to keep its aspect, centred).
    PVRTVec2 windowPixel(PVRTVec2 point) const;
    PVRTVec2 windowSize() const { return window; }
    // The display's whole screen as it is now.
    bool readScreen(ZQImage& image) const { return xvfb.readScreen(image); }
    // The window's part of the screen as it is now.
    bool readWindow(ZQImage& image) const;
    // True while the game's process runs.
    bool running();

    // Asks the game to end as the window's close button does (SDL turns
    // SIGTERM into the same quit), waits for it and returns its exit status
    // and everything it printed. One that has not ended after `patience`
    // hangs: it is killed, and the test fails.
    GameRun stop(std::chrono::seconds patience = std::chrono::minutes(2));

private:
    bool xdotool(const std::string& arguments);
    // Waits until the game has drawn `count` frames past `frame`; with two,
    // it has read every event sent before the first of them was drawn.
    bool framesAfter(long frame, long count = 2);
    // The frame of the line "`text` at frame F" in the game's output, or -1.
    long frameOfLine(const std::string& text) const;
    // One step of the hand: the xdotool command, then the frames after it.
    bool step(const std::string& arguments);
    // Fails the test: no frame came after frame `seen` within framePatience.
    void reportNoFrames(long seen) const;

    XvfbDisplay xvfb;
    ScopedEnvironment environment;
    TempFolder folder;
    pid_t game = -1;
    int exitStatus = -1;
    std::string windowId;
    PVRTVec2 window;
    PVRTVec2 windowPlace; // its top-left corner on the screen
    std::chrono::seconds framePatience{30};
};
