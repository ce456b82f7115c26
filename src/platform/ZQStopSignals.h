#pragma once

#include <signal.h>

// SIGINT and SIGTERM as a request to end a headless run as it ends at its
// last frame: the frame loop reads the request at each frame boundary, and
// the game goes on to its summary, its tear-down and status 0. (A window
// needs none of this: SDL turns both signals into the quit its close button
// makes.)
//
// The handler does nothing but note the signal in a lock-free atomic, which
// a handler may write and which the main thread sees whatever thread the
// signal lands on. It is installed with SA_RESTART, so that a store's write
// under way is not cut short with EINTR, and with SA_RESETHAND, so that a
// second signal takes the default action and still ends a game that no
// longer reaches a frame boundary.
//
// Ownership: puts back the handlers it replaced when it goes; one at a time.
// Threads: made and read on the main thread.
class ZQStopSignals {
public:
    ZQStopSignals();
    ~ZQStopSignals();
    ZQStopSignals(const ZQStopSignals&) = delete;
    ZQStopSignals& operator=(const ZQStopSignals&) = delete;

    // The signal that asked the game to end, or 0 while none has.
    static int received();

private:
    struct sigaction previousInterrupt;
    struct sigaction previousTerminate;
};
