#pragma once

#include "engine/PVRTVector.h"
#include "platform/ZQTouch.h"

#include <cstdint>
#include <vector>

union SDL_Event;
struct SDL_Window;
class ZQAppDelegate;
class ZQEGLContext;
class ZQView;

// Turns the window's SDL events into the view's touches and the
// application's life cycle. The left mouse button is one finger; SDL's
// finger events are real multi-touch, each finger with its own id (the
// mouse events SDL makes up from touches are ignored, so a finger is never
// delivered twice). Positions are mapped from the window, where the screen
// is letterboxed to keep its aspect, to points of the view. F11 switches
// between a window and the full screen.
//
// SDL takes a full screen it asks for as granted and records the display's
// size as the window's, but a window manager may refuse it, and a bare X
// server has none to grant it: the window keeps its size. So the touches
// are placed by the size of the context's drawable, which is the window
// system's, as the picture is; it is measured again after every event that
// may have changed it. Back from the full screen the window is given the
// size it had before, which puts SDL's record right again.
//
// SDL stamps an event when it reads it, and the game reads the window's
// events once a frame: behind a slow frame a quick tap would look like a
// hold. Where the window system says when the hand acted (X11's pointer
// event times), the touches carry that time instead, on SDL's clock.
//
// Ownership: refers to the view and the delegate. Threads: main thread only.
class ZQWindowEvents {
public:
    // A finger of a touch screen whose pressure is reported (strictly between
    // 0 and 1) counts as a contact of pressure x this radius; SDL gives no
    // contact size, and a pressure of exactly 0 or 1 means the device
    // measures none.
    static constexpr float kFullPressureRadius = 44.0f;
    static constexpr int64_t kMouseFinger = -1;

    // frame: the view's size in points. context: the window's.
    ZQWindowEvents(ZQView& view, ZQAppDelegate& delegate, const ZQEGLContext& context, PVRTVec2 frame);

    // Handles one event; false once the window has been closed.
    bool handle(const SDL_Event& event);

    // Where a window position falls on the view, in points: the view fills
    // the largest rectangle of its aspect centred in the window.
    static PVRTVec2 toPoints(PVRTVec2 windowPosition, PVRTVec2 windowSize, PVRTVec2 frame);

private:
    // Notes the window system's time of the pointer event SDL hands over next.
    void system(const SDL_Event& event);
    // When the pointer event read at SDL's `ticks` happened, in seconds.
    double pointerTime(uint32_t ticks);
    void mouse(const SDL_Event& event);
    void finger(const SDL_Event& event);
    void window(const SDL_Event& event);
    void switchFullScreen(uint32_t windowID);
    // The size of the window an event belongs to, in SDL's window units;
    // zero without a window.
    PVRTVec2 windowSize(uint32_t windowID);
    PVRTVec2 measure(SDL_Window* window) const;
    // Fingers held when the window loses the focus are cancelled: their
    // lifts will go elsewhere.
    void cancelHeld(double timestamp);

    ZQView& view;
    ZQAppDelegate& delegate;
    const ZQEGLContext& context;
    const PVRTVec2 frame;
    PVRTVec2 measured;
    bool measuredNow = false; // no event since `measured` was taken could have changed it
    int windowedWidth = 0;    // the window's size before F11 took it to the full screen
    int windowedHeight = 0;
    std::vector<ZQTouch> held; // fingers down, mouse included, as last delivered
    bool minimised = false;
    bool hasServerTime = false;
    uint32_t serverTime = 0; // ms, the window system's clock
    bool hasServerOffset = false;
    int64_t serverOffset = 0; // SDL's ticks less the server's, at the quickest read seen
};
