#pragma once

#include "engine/Responders.h"

namespace ZQ {

// The input object: the platform view hands it every touch and gesture in
// pixels with a top-left origin; it flips y to a bottom-left origin and
// passes them on to the master game controller. No state of its own.
class GameEngine final : public TouchResponder, public GestureResponder {
public:
    void touchBegan(PVRTVec2 point, float radius) override;
    void touchMoved(PVRTVec2 point, float radius) override;
    void touchEnded(PVRTVec2 point, float radius) override;
    void touchCancelled(PVRTVec2 point, float radius) override;
    void swipe(PVRTVec2 point, int direction) override;
    void tap(PVRTVec2 point, float radius) override;
    void doubleTap(PVRTVec2 point) override;
};

} // namespace ZQ
