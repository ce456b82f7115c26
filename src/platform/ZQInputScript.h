#pragma once

#include "engine/PVRTVector.h"
#include "platform/ZQTouch.h"

#include <cstdint>
#include <istream>
#include <span>
#include <string>
#include <vector>

class ZQView;

// A file of timed touches and gestures that a headless run replays through
// the view's own delivery (touches through the recognisers too), one event a
// line, in points from the view's top-left corner:
//   FRAME began|moved|ended|cancelled FINGER X Y [RADIUS [TOLERANCE]]
//   FRAME swipe X Y right|left|up|down
//   FRAME tap X Y [RADIUS]
//   FRAME doubletap X Y
// FRAME numbers frames as the game numbers them everywhere: from 0, the frame
// drawn as the game starts. An event at FRAME reaches the game just before
// that frame is drawn, so that frame is the first to show it; frame 0 is
// drawn before any input can come, so an event at 0 comes with those at 1.
// Touches of one kind on consecutive lines of one frame arrive together, as
// fingers moving at once do. A touch's time is its frame's. '#' starts a
// comment; frames never go back. A line of more than 4096 characters or a
// file of more than 16 MB is refused before it fills the memory.
//
// Ownership: holds its events only. Threads: main thread, between frames.
class ZQInputScript {
public:
    struct Event {
        enum class Kind { Began, Moved, Ended, Cancelled, Swipe, Tap, DoubleTap };
        int32_t frame = 0;
        Kind kind = Kind::Began;
        int64_t finger = 0;
        PVRTVec2 location;
        bool hasRadius = false;
        float radius = 0.0f;
        float tolerance = 0.0f;
        int direction = 0;
    };

    // False with "line N: ..." in `error` at the first line it cannot use.
    bool parse(std::istream& in, std::string& error);
    // parse on a file; a file that cannot be read is an error naming it and
    // saying why.
    bool load(const std::string& path, std::string& error);

    // The frame that first shows an event at `frame`.
    static int32_t frameShowing(int32_t frame) { return frame > 0 ? frame : 1; }

    // The events frame `frame` is the first to show, in order, each handed
    // out once: those at `frame` and any earlier ones not taken yet.
    std::span<const Event> take(int32_t frame);
    // Hands the events of take(frame) to the view, just before it draws that
    // frame. `secondsPerFrame` times the touches for the recognisers; a tap
    // without a radius gets `touchRadius`.
    void deliver(ZQView& view, int32_t frame, double secondsPerFrame, float touchRadius);

    // The event as its line gives it, without the frame.
    static std::string describe(const Event& event);

    const std::vector<Event>& events() const { return list; }
    bool finished() const { return next >= list.size(); }

private:
    std::vector<Event> list;
    std::size_t next = 0;
};
