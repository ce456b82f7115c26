#pragma once

#include "engine/PVRTMatrix.h"

namespace ZQ {

// The camera as the cords see it. The camera model lives on the stage, above
// the cords, and follows their centre; the cords in turn project their
// particles, aim their grasps and pop the room's light back in through this
// view of it, so neither layer needs the other's header.
//
// Reached through gGlobals.sceneCamera, set with gGlobals.cameraModel. Main
// thread only. Never deleted through this interface.
class SceneCamera {
public:
    // The view matrix of the camera as it stands this frame.
    virtual PVRTMat4 viewMatrix() const = 0;
    // Eases the room's lighting back to full (the end of a pause dim, or a
    // cord fading in).
    virtual void spotPopIn() = 0;

protected:
    ~SceneCamera() = default;
};

} // namespace ZQ
