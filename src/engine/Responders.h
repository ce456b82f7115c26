#pragma once

#include "engine/PVRTVector.h"

namespace ZQ {

// Touch input: points in pixels, radius in points.
class TouchResponder {
public:
    virtual void touchBegan(PVRTVec2 point, float radius) = 0;
    virtual void touchMoved(PVRTVec2 point, float radius) = 0;
    virtual void touchEnded(PVRTVec2 point, float radius) = 0;
    virtual void touchCancelled(PVRTVec2 point, float radius) = 0;

protected:
    ~TouchResponder() = default;
};

// Gestures; a swipe direction is 1 right, 2 left, 4 up, 8 down.
class GestureResponder {
public:
    virtual void swipe(PVRTVec2 point, int direction) = 0;
    virtual void tap(PVRTVec2 point, float radius) = 0;
    virtual void doubleTap(PVRTVec2 point) = 0;

protected:
    ~GestureResponder() = default;
};

} // namespace ZQ
