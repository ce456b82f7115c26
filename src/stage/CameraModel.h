#pragma once

#include "engine/CloudletContainer.h"
#include "engine/Model.h"
#include "engine/PVRTMatrix.h"
#include "engine/PVRTVector.h"
#include "engine/SceneCamera.h"

#include <vector>

namespace ZQ {

class Cloudlet;
class Spot;

// The scene camera: an eye, the point it looks at and an up direction, each a
// scene item whose position the view matrix is built from, plus a spot whose
// values scale the room's lighting. Every frame the eye's spring and the
// target's range action pull them toward the cords' smoothed centre (of the
// previous frame: the camera steps before the cord model), so the camera
// follows the knot softly within fixed bounds.
//
// Positions are pixels. The model owns its four items from setUp to tearDown.
class CameraModel : public Model, public CloudletContainer, public SceneCamera {
public:
    CameraModel() = default;
    ~CameraModel() override;
    CameraModel(const CameraModel&) = delete;
    CameraModel& operator=(const CameraModel&) = delete;

    // Creates the items at their start positions, binds their actions and
    // steps eye, up and target once, so the up item holds (0, 1, 0).
    void setUp() override;
    void tearDown() override;
    // Steps eye, target, up and spot.
    void doStep() override;
    // The eye, then the target.
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // The view matrix of the eye, target and up items (see lookAt).
    PVRTMat4 viewMatrix() const override;

    // The look-at view used by the camera and the light, column-major: rows r,
    // u, f with f = normalize(eye - target), r = normalize(f x up) and
    // u = normalize(r x f), and a translation that works on points already
    // offset by (-W/2, -H/2, -H). Because r is f x up and not up x f, the first
    // row mirrors the usual look-at's; the projection and every pass expect it.
    static PVRTMat4 lookAt(const PVRTVec3& eye, const PVRTVec3& target, const PVRTVec3& up);

    // Eases the spot's values back to (1, 1) and 1 over 15 frames (the room
    // lit fully again), from wherever they are now.
    static void spotPopIn(Spot* spot);
    // Eases the spot's values to (1.0, 0.8) and 0.5 over 7 frames (the room
    // dimmed, while paused).
    static void spotPopOut(Spot* spot);
    void spotPopIn() override { spotPopIn(spot); }
    void spotPopOut() { spotPopOut(spot); }

    Cloudlet* eye = nullptr;
    Cloudlet* target = nullptr;
    Spot* spot = nullptr;
    Cloudlet* up = nullptr;
    std::vector<Cloudlet*> cloudlets; // eye, target, up, spot

private:
    void release();
};

} // namespace ZQ
