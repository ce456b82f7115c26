#pragma once

#include "cords/Grasp.h"
#include "engine/PVRTMatrix.h"
#include "engine/PVRTVector.h"

#include <cstdint>
#include <set>

namespace ZQ {

class MeshInstance;

// The maker of one gesture's grasps: it keeps the gesture's points, chooses
// the cord particles to hold (select) and creates a grasp from that choice
// (make) as often as the game controller asks. The controller owns the
// factories and deletes them through their concrete types.
//
// Points are pixels with the origin at the bottom left. The radius is the
// touch radius in points, compared unscaled with pixel distances and cells.
class GraspFactory {
public:
    virtual void select() = 0;
    // A new grasp the caller owns, or null when the choice holds nothing.
    virtual Grasp* make() = 0;

    // The radius a factory works with: a reported radius below one pixel (a
    // mouse reports 0) would shrink the pick grid's cells to nothing, so it
    // becomes the device profile's touch radius.
    static float touchRadius(float reported);

    bool blocked = false; // made while the level was not being played: never make
    int32_t id = 0;       // the touch's id
    float radius = 0.0f;
    PVRTVec2 lastPoint; // the touch's latest point; a moved or lifted touch is matched by it

protected:
    GraspFactory() = default;
    ~GraspFactory() = default;
    GraspFactory(const GraspFactory&) = default;
    GraspFactory& operator=(const GraspFactory&) = default;
};

// A finger held on the cord: selects the front-most particle near where the
// touch began once, then makes a short drag grasp toward the finger whenever
// the controller asks.
class DragFactory final : public GraspFactory {
public:
    // Held-particle speeds (world units a step) that start and end a "fast" spell.
    static constexpr float kFastSpeed = 0.2f;
    static constexpr float kSlowSpeed = 0.1f;

    // The particle whose screen projection lies within 2 x radius of
    // pickPoint with the greatest z (nearest the viewer; the lowest index on
    // a tie), or none.
    void select() override;
    // Null without a selection. Advances dragState: 0 -> 2 when the held
    // particle moves faster than kFastSpeed, 2 -> 1 at the next call, 1 -> 0
    // once it is slower than kSlowSpeed.
    DragGrasp* make() override;

    int32_t dragState = 0;
    MeshInstance* marker = nullptr; // the held particle's marker, not owned
    int32_t counter = 0;            // frames since the touch began
    PVRTVec2 pickPoint;             // where the drag began
    PVRTVec2 currentPoint;          // the finger now
    std::set<int> selection;
};

// A short stroke along a string, judged once when the finger lifts: finds the
// stretch of cord the stroke ran along and makes one slide grasp that pushes
// the cord along itself.
class SlideFactory final : public GraspFactory {
public:
    // Finds the anchor: a string's loose end the stroke ran along, else the
    // window of particles the stroke passed closest, else none (-1).
    void select() override;
    // Null without an anchor; else the path from one particle behind the
    // anchor onward in the stroke's direction while the cord keeps it.
    SlideGrasp* make() override;

    // Distance of a screen point from the stroke startPoint-endPoint.
    float strokeDistance(const PVRTVec2& q) const;
    // Particles in a window of the window search for a stroke of this length.
    int32_t windowLength(float strokeLength) const;

    PVRTVec2 startPoint;
    PVRTVec2 endPoint;
    PVRTVec2 direction;
    int32_t anchor = -1;
    int32_t sign = 0;
    int32_t beganFrame = 0; // engine frame counter at touch began
    int32_t endedFrame = 0; // and at touch ended

private:
    bool selectAtEnd(const PVRTVec2& dn);
    void selectWindow();
};

// A horizontal swipe at the bottom of the screen: one small turn of the whole
// cord about the vertical axis. One per game controller, reused by every swipe.
class RotateFactory final : public GraspFactory {
public:
    static constexpr float kTurn = 0.02617994f; // 1.5 degrees in radians
    static constexpr int32_t kMaxFrames = 15;   // a longer swipe turns nothing

    // rotation = Ry Rx from the swipe's screen direction.
    void select() override;
    // Null when the swipe took longer than kMaxFrames.
    RotateGrasp* make() override;

    PVRTMat4 rotation;
    PVRTVec2 startPoint;
    PVRTVec2 endPoint;
    int32_t startFrame = 0;
    int32_t endFrame = 0;
};

} // namespace ZQ
