#pragma once

#include "GameProcess.h"
#include "ScopedEnvironment.h"
#include "XvfbDisplay.h"

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
    // window is mapped and has the focus. False with the reason on failure.
    bool start(const std::string& arguments, std::string& failure, int width = 1024, int height = 768);

    // After each step the hand rests `stepPause`, longer than a slow frame
    // of a software GL driver, so that each step reaches the game in a frame
    // of its own as a hand's would.
    void setStepPause(std::chrono::milliseconds pause) { stepPause = pause; }
    bool tap(PVRTVec2 point);
    bool press(PVRTVec2 point);
    bool moveTo(PVRTVec2 point);
    bool release();
    // Press at `from`, `steps` moves along the line to `to`, release there.
    bool drag(PVRTVec2 from, PVRTVec2 to, int steps);
    void rest(std::chrono::milliseconds pause) const;
    // The window loses the focus to the desktop (the game becomes inactive
    // and its frames stop), then gets it back (active again).
    bool leaveWindow();
    bool returnToWindow();

    // Where a point of the game's screen is in the window, in window pixels
    // (the screen is letterboxed to keep its aspect, centred).
    PVRTVec2 windowPixel(PVRTVec2 point) const;
    PVRTVec2 windowSize() const { return window; }
    // The display's whole screen as it is now.
    bool readScreen(ZQImage& image) const { return xvfb.readScreen(image); }
    // True while the game's process runs.
    bool running();

    // Asks the game to end as the window's close button does (SDL turns
    // SIGTERM into the same quit), waits up to `patience` for it (then kills
    // it) and returns its exit status and everything it printed.
    GameRun stop(std::chrono::seconds patience = std::chrono::seconds(30));

private:
    bool xdotool(const std::string& arguments);

    XvfbDisplay xvfb;
    ScopedEnvironment environment;
    TempFolder folder;
    pid_t game = -1;
    int exitStatus = -1;
    std::string windowId;
    PVRTVec2 window;
    std::chrono::milliseconds stepPause{400};
};
