#pragma once

#include "engine/PVRTVector.h"

#include <cstdint>
#include <vector>

// One finger on the view, as the window system reports it: where it is in
// points with a top-left origin, when (seconds on a steady clock, any
// origin), and the contact size where the device measures one. A mouse is
// one finger without a size.
struct ZQTouch {
    int64_t id = 0;
    PVRTVec2 location; // points, top-left origin
    double timestamp = 0.0;
    bool hasMajorRadius = false;
    float majorRadius = 0.0f;          // points
    float majorRadiusTolerance = 0.0f; // points
};

using ZQTouchSet = std::vector<ZQTouch>;

// Where recognised gestures go: locations in points, radius in points.
class ZQGestureTarget {
public:
    virtual void handleSwipe(PVRTVec2 location, int direction) = 0;
    virtual void handleTap(PVRTVec2 location, float radius) = 0;
    virtual void handleDoubleTap(PVRTVec2 location) = 0;

protected:
    ~ZQGestureTarget() = default;
};
