#include "platform/ZQGestureRecognizer.h"

#include <algorithm>
#include <cmath>

void ZQGestureRecognizer::touchesBegan(const ZQTouchSet& touches) {
    seen(touches);
    for (const ZQTouch& touch : touches) {
        down.push_back(touch.id);
        if (!done) {
            began(touch);
        }
    }
}

// A finger the window system never reported down (it went down before the
// window had the focus) is no part of any sequence here.
bool ZQGestureRecognizer::isDown(int64_t id) const {
    return std::find(down.begin(), down.end(), id) != down.end();
}

void ZQGestureRecognizer::touchesMoved(const ZQTouchSet& touches) {
    seen(touches);
    for (const ZQTouch& touch : touches) {
        if (!done && isDown(touch.id)) {
            moved(touch);
        }
    }
}

void ZQGestureRecognizer::touchesEnded(const ZQTouchSet& touches) {
    seen(touches);
    for (const ZQTouch& touch : touches) {
        if (!done && isDown(touch.id)) {
            ended(touch);
        }
        lift(touch);
    }
}

void ZQGestureRecognizer::touchesCancelled(const ZQTouchSet& touches) {
    seen(touches);
    // A cancelled finger spoils whatever it was part of.
    done = true;
    for (const ZQTouch& touch : touches) {
        lift(touch);
    }
}

void ZQGestureRecognizer::lift(const ZQTouch& touch) {
    const auto it = std::find(down.begin(), down.end(), touch.id);
    if (it == down.end()) {
        return;
    }
    down.erase(it);
    if (down.empty()) {
        reset();
        done = false;
    }
}

ZQSwipeGestureRecognizer::ZQSwipeGestureRecognizer(int direction, ZQGestureTarget& target)
    : swipeDirection(direction), target(target) {}

void ZQSwipeGestureRecognizer::began(const ZQTouch& touch) {
    // Swipes are one-finger gestures: a second finger spoils the first's.
    if (othersDown() > 0) {
        done = true;
        return;
    }
    start = touch.location;
    startTime = touch.timestamp;
}

void ZQSwipeGestureRecognizer::moved(const ZQTouch& touch) {
    const PVRTVec2 d = touch.location - start;
    float along = 0.0f;
    float across = 0.0f;
    switch (swipeDirection) {
    case kSwipeRight:
        along = d.x, across = d.y;
        break;
    case kSwipeLeft:
        along = -d.x, across = d.y;
        break;
    case kSwipeUp:
        along = -d.y, across = d.x;
        break; // y grows downwards
    default:
        along = d.y, across = d.x;
        break;
    }
    const double elapsed = touch.timestamp - startTime;
    if (along < kSwipeMinDistance) {
        done = elapsed > kSwipeMaxDuration;
        return;
    }
    // The first event past the distance decides: a slow or slanted stroke is
    // a drag, and it stays one.
    done = true;
    const bool straight = std::fabs(across) <= along * kSwipeMaxSlope;
    const bool fast = elapsed <= 0.0 || along / elapsed >= kSwipeMinSpeed;
    if (straight && fast && elapsed <= kSwipeMaxDuration) {
        target.handleSwipe(start, swipeDirection);
    }
}

void ZQSwipeGestureRecognizer::ended(const ZQTouch& touch) {
    // A quick flick may report nothing between its touch-down and its lift.
    moved(touch);
}

ZQTapGestureRecognizer::ZQTapGestureRecognizer(int32_t tapsRequired, float touchRadius,
                                               ZQGestureTarget& target)
    : tapsRequired(tapsRequired), touchRadius(touchRadius), target(target) {}

void ZQTapGestureRecognizer::seen(const ZQTouchSet& touches) {
    // A tap's radius always includes the measured tolerance, whatever the
    // device profile says for touches.
    for (const ZQTouch& touch : touches) {
        const float r = touch.hasMajorRadius
                            ? static_cast<float>(static_cast<double>(touch.majorRadius) +
                                                 static_cast<double>(touch.majorRadiusTolerance))
                            : touchRadius;
        maxRadius = std::max(maxRadius, r);
    }
}

void ZQTapGestureRecognizer::began(const ZQTouch& touch) {
    if (othersDown() > 0) {
        done = true;
        return;
    }
    // Too late or too far for the next tap of the series: it starts a new one.
    if (taps > 0 && (touch.timestamp - lastTapTime > kDoubleTapMaxInterval ||
                     (touch.location - lastTapLocation).length() > kDoubleTapMaxDistance)) {
        taps = 0;
    }
    downLocation = touch.location;
    downTime = touch.timestamp;
}

void ZQTapGestureRecognizer::moved(const ZQTouch& touch) {
    if ((touch.location - downLocation).length() > kTapMaxMovement) {
        done = true;
    }
}

void ZQTapGestureRecognizer::ended(const ZQTouch& touch) {
    done = true;
    if ((touch.location - downLocation).length() > kTapMaxMovement ||
        touch.timestamp - downTime > kTapMaxDuration) {
        return;
    }
    taps += 1;
    lastTapLocation = touch.location;
    lastTapTime = touch.timestamp;
    if (taps < tapsRequired) {
        done = false; // waiting for the next tap of the series
        return;
    }
    if (tapsRequired == 1) {
        target.handleTap(touch.location, maxRadius);
    } else {
        target.handleDoubleTap(touch.location);
    }
}

void ZQTapGestureRecognizer::reset() {
    if (done) {
        taps = 0;
        maxRadius = 0.0f;
    }
}
