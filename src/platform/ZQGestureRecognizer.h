#pragma once

#include "platform/ZQTouch.h"

#include <cstdint>
#include <vector>

// Our own gesture recognisers, fed the same touches as the engine (touches
// are never held back or cancelled for a gesture). Each one watches a touch
// sequence, from the first finger down until every finger is up again,
// recognises at most once in it and then starts afresh. None waits for
// another's failure: a single tap is delivered at once even when it turns out
// to be the first half of a double tap.
//
// The thresholds are what a phone user expects of a swipe and a tap; all are
// in points and seconds.
//
// Ownership: the view owns its recognisers; a recogniser refers to its
// target and owns nothing. Threads: main thread only, between frames.

// A swipe: one finger travelling fast along one axis.
inline constexpr float kSwipeMinDistance = 50.0f; // travel along the direction
inline constexpr float kSwipeMinSpeed = 250.0f;   // average, from touch-down
inline constexpr double kSwipeMaxDuration = 0.5;  // to reach the distance
inline constexpr float kSwipeMaxSlope = 0.5f;     // sideways drift per unit of travel (26.6 degrees)
// A tap: one finger down and up again nearly in place.
inline constexpr float kTapMaxMovement = 10.0f;
inline constexpr double kTapMaxDuration = 0.35;
// A double tap: two taps, the second starting soon after and near the first.
inline constexpr double kDoubleTapMaxInterval = 0.3; // first lift to second touch-down
inline constexpr float kDoubleTapMaxDistance = 40.0f;

// Swipe directions as the engine numbers them.
inline constexpr int kSwipeRight = 1;
inline constexpr int kSwipeLeft = 2;
inline constexpr int kSwipeUp = 4;
inline constexpr int kSwipeDown = 8;

// The common part: which fingers are down, and whether the sequence is over
// for this recogniser (recognised or failed). Subclasses see every touch
// through the four hooks; reset runs when the last finger lifts.
class ZQGestureRecognizer {
public:
    virtual ~ZQGestureRecognizer() = default;

    void touchesBegan(const ZQTouchSet& touches);
    void touchesMoved(const ZQTouchSet& touches);
    void touchesEnded(const ZQTouchSet& touches);
    void touchesCancelled(const ZQTouchSet& touches);

protected:
    virtual void began(const ZQTouch& touch) = 0;
    virtual void moved(const ZQTouch& touch) = 0;
    virtual void ended(const ZQTouch& touch) = 0;
    // Every touch of every callback, before the per-touch hooks.
    virtual void seen(const ZQTouchSet& /*touches*/) {}
    // Every finger has lifted; `done` still tells how the sequence went.
    virtual void reset() = 0;

    // Fingers down before this touch came.
    int32_t othersDown() const { return static_cast<int32_t>(down.size()) - 1; }
    // This sequence can no longer be recognised.
    bool done = false;

private:
    bool isDown(int64_t id) const;
    void lift(const ZQTouch& touch);
    std::vector<int64_t> down;
};

// One direction of swipe: delivered once the finger has gone
// kSwipeMinDistance along the direction, fast enough and straight enough,
// with the location where it started.
class ZQSwipeGestureRecognizer final : public ZQGestureRecognizer {
public:
    ZQSwipeGestureRecognizer(int direction, ZQGestureTarget& target);
    int direction() const { return swipeDirection; }

private:
    void began(const ZQTouch& touch) override;
    void moved(const ZQTouch& touch) override;
    void ended(const ZQTouch& touch) override;
    void reset() override {}

    const int swipeDirection;
    ZQGestureTarget& target;
    PVRTVec2 start;
    double startTime = 0.0;
};

// Taps of one finger; with tapsRequired 1 a single tap, delivered with the
// largest touch radius seen since the last reset (the measured contact plus
// its tolerance, or `touchRadius` for a touch without one); with 2 a double
// tap.
class ZQTapGestureRecognizer final : public ZQGestureRecognizer {
public:
    ZQTapGestureRecognizer(int32_t tapsRequired, float touchRadius, ZQGestureTarget& target);
    // 0 after a reset.
    float radius() const { return maxRadius; }

private:
    void began(const ZQTouch& touch) override;
    void moved(const ZQTouch& touch) override;
    void ended(const ZQTouch& touch) override;
    void seen(const ZQTouchSet& touches) override;
    void reset() override;

    const int32_t tapsRequired;
    const float touchRadius;
    ZQGestureTarget& target;
    float maxRadius = 0.0f;
    int32_t taps = 0; // taps finished in this series
    PVRTVec2 downLocation;
    double downTime = 0.0;
    PVRTVec2 lastTapLocation;
    double lastTapTime = 0.0;
};
