#pragma once

#include <signal.h>

#include <functional>
#include <string>

// SIGINT and SIGTERM as a request to end a headless run as it ends at its
// last frame: the frame loop reads the request at each frame boundary, and
// the game goes on to its summary, its tear-down and status 0. (A window
// needs none of this: SDL turns both signals into the quit its close button
// makes, and ZQBoxSignals hands them on to SDL from under a box.)
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

// SIGINT and SIGTERM while a box is up: they close it at once, and once it
// is gone they are handed on to the handlers in place before it, as if no
// box had held them. A refused start, whose box comes before SDL's handlers,
// so ends by the signal's default action; a box over the window ends the
// game as its close button does (SDL's quit); the could-not-save box ends
// the run with status 1, its caller reading received().
//
// SDL's box is modal: the main thread waits in SDL for a process SDL forks
// to show it (its X11 box, zenity under Wayland), and SDL's own handlers
// only turn a signal into a quit event that nobody reads until a player
// closes the box. So a signal kills that process (closable), and standard
// error says which signal closed which box. A signal that comes while no
// box process runs kills the next one as it is forked, before it shows.
//
// Made on the main thread around a box; they nest, and the outermost one
// takes and gives back the handlers. A signal ignored when it is made
// (a background job's SIGINT) stays ignored: nobody asked it to end.
//
// Ownership: puts back the handlers it replaced when it goes. Threads: made,
// closable and received on the main thread; the handler runs on any.
class ZQBoxSignals {
public:
    explicit ZQBoxSignals(std::string title);
    ~ZQBoxSignals();
    ZQBoxSignals(const ZQBoxSignals&) = delete;
    ZQBoxSignals& operator=(const ZQBoxSignals&) = delete;

    // Runs `show`, which shows the box in a process it forks on this thread
    // and waits for (as SDL_ShowMessageBox does), and returns what it
    // returns; -1 without running it once a signal has come.
    int closable(const std::function<int()>& show) const;

    // The signal that came while the outermost guard was up, or 0.
    static int received();

private:
    std::string title;
    bool outermost;
    bool tookInterrupt = false;
    bool tookTerminate = false;
    struct sigaction previousInterrupt;
    struct sigaction previousTerminate;
};
