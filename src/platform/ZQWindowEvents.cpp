#include "platform/ZQWindowEvents.h"

#include "platform/ZQAppDelegate.h"
#include "platform/ZQEGLContext.h"
#include "platform/ZQView.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include <algorithm>

namespace {

double seconds(uint32_t ticks) {
    return static_cast<double>(ticks) / 1000.0;
}

} // namespace

ZQWindowEvents::ZQWindowEvents(ZQView& view, ZQAppDelegate& delegate, const ZQEGLContext& context,
                               PVRTVec2 frame)
    : view(view), delegate(delegate), context(context), frame(frame) {
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

PVRTVec2 ZQWindowEvents::windowSize(uint32_t windowID) {
    SDL_Window* window = SDL_GetWindowFromID(windowID);
    // A touch screen SDL has not tied to a window (id 0) touches the focused one.
    if (window == nullptr) {
        window = SDL_GetKeyboardFocus();
    }
    if (window == nullptr) {
        return PVRTVec2(0.0f, 0.0f);
    }
    if (!measuredNow) {
        measured = measure(window);
        measuredNow = true;
    }
    return measured;
}

PVRTVec2 ZQWindowEvents::measure(SDL_Window* window) const {
    int width = 0;
    int height = 0;
    int pixelWidth = 0;
    int pixelHeight = 0;
    SDL_GetWindowSize(window, &width, &height);
    SDL_GetWindowSizeInPixels(window, &pixelWidth, &pixelHeight);
    const int drawableWidth = context.drawableWidth();
    const int drawableHeight = context.drawableHeight();
    if (pixelWidth <= 0 || pixelHeight <= 0 || drawableWidth <= 0 || drawableHeight <= 0) {
        return PVRTVec2(static_cast<float>(width), static_cast<float>(height));
    }
    // The drawable in SDL's window units. SDL's records of the window in
    // units and in pixels are wrong alike after a full screen never granted
    // (X11, where a unit is a pixel) and right alike otherwise, so their
    // ratio, the display's scale, holds either way.
    return PVRTVec2(
        static_cast<float>(width) * static_cast<float>(drawableWidth) / static_cast<float>(pixelWidth),
        static_cast<float>(height) * static_cast<float>(drawableHeight) / static_cast<float>(pixelHeight));
}

PVRTVec2 ZQWindowEvents::toPoints(PVRTVec2 position, PVRTVec2 size, PVRTVec2 frame) {
    const float fit = std::min(size.x / frame.x, size.y / frame.y);
    if (!(fit > 0.0f)) {
        return position;
    }
    const PVRTVec2 offset((size.x - frame.x * fit) * 0.5f, (size.y - frame.y * fit) * 0.5f);
    return (position - offset) / fit;
}

bool ZQWindowEvents::handle(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        return false;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEMOTION:
        mouse(event);
        break;
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP:
        finger(event);
        break;
    case SDL_WINDOWEVENT:
        window(event);
        break;
    case SDL_SYSWMEVENT:
        system(event);
        break;
    case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_F11 && event.key.repeat == 0) {
            switchFullScreen(event.key.windowID);
        }
        break;
    default:
        break;
    }
    return true;
}

void ZQWindowEvents::system(const SDL_Event& event) {
    hasServerTime = false;
#if defined(SDL_VIDEO_DRIVER_X11)
    const SDL_SysWMmsg* message = event.syswm.msg;
    if (message == nullptr || message->subsystem != SDL_SYSWM_X11) {
        return;
    }
    const XEvent& x = message->msg.x11.event;
    // SDL passes on no resize to the size it already has on record, which
    // may be a full screen it never got.
    if (x.type == ConfigureNotify) {
        measuredNow = false;
    }
    if (x.type == ButtonPress || x.type == ButtonRelease) {
        serverTime = static_cast<uint32_t>(x.xbutton.time);
    } else if (x.type == MotionNotify) {
        serverTime = static_cast<uint32_t>(x.xmotion.time);
    } else {
        return;
    }
    hasServerTime = true;
    // The quickest read bounds the offset between the two clocks best; the
    // event SDL makes of this one is stamped now too.
    const int64_t offset = static_cast<int64_t>(event.syswm.timestamp) - static_cast<int64_t>(serverTime);
    if (!hasServerOffset || offset < serverOffset) {
        serverOffset = offset;
        hasServerOffset = true;
    }
#else
    (void)event;
#endif
}

double ZQWindowEvents::pointerTime(uint32_t ticks) {
    if (!hasServerTime) {
        return seconds(ticks);
    }
    hasServerTime = false;
    const int64_t when = static_cast<int64_t>(serverTime) + serverOffset;
    // Never later than SDL read it (the offset only shrinks).
    return static_cast<double>(std::min<int64_t>(when, ticks)) / 1000.0;
}

void ZQWindowEvents::mouse(const SDL_Event& event) {
    const double timestamp = pointerTime(event.common.timestamp);
    // SDL also reports every finger as a mouse; the finger events carry it.
    const bool fromTouch = event.type == SDL_MOUSEMOTION ? event.motion.which == SDL_TOUCH_MOUSEID
                                                         : event.button.which == SDL_TOUCH_MOUSEID;
    if (fromTouch) {
        return;
    }
    auto it = std::find_if(held.begin(), held.end(), [](const ZQTouch& t) { return t.id == kMouseFinger; });
    ZQTouch touch;
    touch.id = kMouseFinger;
    touch.timestamp = timestamp;
    if (event.type == SDL_MOUSEMOTION) {
        if (it == held.end()) {
            return; // hovering, no button held
        }
        touch.location =
            toPoints(PVRTVec2(static_cast<float>(event.motion.x), static_cast<float>(event.motion.y)),
                     windowSize(event.motion.windowID), frame);
        *it = touch;
        view.touchesMoved({touch});
        return;
    }
    if (event.button.button != SDL_BUTTON_LEFT) {
        return;
    }
    touch.location =
        toPoints(PVRTVec2(static_cast<float>(event.button.x), static_cast<float>(event.button.y)),
                 windowSize(event.button.windowID), frame);
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        const bool onView = touch.location.x >= 0.0f && touch.location.y >= 0.0f &&
                            touch.location.x < frame.x && touch.location.y < frame.y;
        if (it == held.end() && onView) {
            held.push_back(touch);
            view.touchesBegan({touch});
        }
    } else if (it != held.end()) {
        held.erase(it);
        view.touchesEnded({touch});
    }
}

void ZQWindowEvents::finger(const SDL_Event& event) {
    const SDL_TouchFingerEvent& f = event.tfinger;
    ZQTouch touch;
    touch.id = static_cast<int64_t>(f.fingerId);
    touch.timestamp = seconds(f.timestamp);
    const PVRTVec2 size = windowSize(f.windowID);
    touch.location = toPoints(PVRTVec2(f.x * size.x, f.y * size.y), size, frame);
    if (f.pressure > 0.0f && f.pressure < 1.0f) {
        touch.hasMajorRadius = true;
        touch.majorRadius = f.pressure * kFullPressureRadius;
    }
    auto it = std::find_if(held.begin(), held.end(), [&](const ZQTouch& t) { return t.id == touch.id; });
    if (event.type == SDL_FINGERDOWN) {
        if (it == held.end()) {
            held.push_back(touch);
            view.touchesBegan({touch});
        }
    } else if (it != held.end()) {
        if (event.type == SDL_FINGERMOTION) {
            *it = touch;
            view.touchesMoved({touch});
        } else {
            held.erase(it);
            view.touchesEnded({touch});
        }
    }
}

void ZQWindowEvents::switchFullScreen(uint32_t windowID) {
    SDL_Window* window = SDL_GetWindowFromID(windowID);
    if (window == nullptr) {
        return;
    }
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) == 0) {
        measuredNow = false;
        const PVRTVec2 size = windowSize(windowID);
        windowedWidth = static_cast<int>(size.x + 0.5f);
        windowedHeight = static_cast<int>(size.y + 0.5f);
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
        SDL_SetWindowFullscreen(window, 0);
        // SDL keeps the full screen's size on record until the window system
        // says otherwise, and one that never granted it never will.
        if (windowedWidth > 0 && windowedHeight > 0) {
            SDL_SetWindowSize(window, windowedWidth, windowedHeight);
        }
    }
    measuredNow = false;
}

void ZQWindowEvents::window(const SDL_Event& event) {
    // Any change of the window's state may have come with a new size.
    measuredNow = false;
    const double timestamp = seconds(event.window.timestamp);
    switch (event.window.event) {
    case SDL_WINDOWEVENT_FOCUS_LOST:
        cancelHeld(timestamp);
        delegate.applicationWillResignActive();
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        delegate.applicationDidBecomeActive();
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        minimised = true;
        delegate.applicationDidEnterBackground();
        break;
    case SDL_WINDOWEVENT_RESTORED:
        // Also sent when a maximised window goes back to its size.
        if (minimised) {
            minimised = false;
            delegate.applicationWillEnterForeground();
        }
        break;
    default:
        break;
    }
}

void ZQWindowEvents::cancelHeld(double timestamp) {
    if (held.empty()) {
        return;
    }
    ZQTouchSet touches = std::move(held);
    held.clear();
    for (ZQTouch& touch : touches) {
        touch.timestamp = timestamp;
    }
    view.touchesCancelled(touches);
}
