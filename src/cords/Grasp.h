#pragma once

#include "engine/PVRTMatrix.h"
#include "engine/PVRTVector.h"

#include <cstdint>
#include <set>
#include <vector>

namespace ZQ {

// The pixel (origin bottom left) at which the camera shows p, a point in the
// cord model's pixel space: the perspective projection through `view`, mapped
// from [-1, 1] to the screen size of the engine globals.
PVRTVec2 screenProjection(const PVRTMat4& view, const PVRTVec3& p);
// The same through the camera model's current view.
PVRTVec2 screenProjection(const PVRTVec3& p);
// The camera model's current view matrix; callers that project many points
// fetch it once.
PVRTMat4 currentView();

// Directions taken from deltas are shortened to unit length only when longer:
// a finger a pixel away from its particle pulls more gently than one far away.
inline PVRTVec2 capAtUnit(const PVRTVec2& d) {
    const float length = d.length();
    return length > 1.0f ? d / length : d;
}
inline PVRTVec3 capAtUnit(const PVRTVec3& d) {
    const float length = d.length();
    return length > 1.0f ? d / length : d;
}

// The player's hold on the cord for a few frames. Every frame the grasp model
// lowers life by one and calls update, which hands temporary constant forces
// on cord particles to the main particle world (which owns and deletes them
// after its next step); once life is below 0 the grasp model deletes the
// grasp. A grasp made with life L is updated L + 1 times.
//
// Particle indices address the cord model's particles, which are the first
// particles of the main world. Forces are scaled by the current level's
// coefficients.
class Grasp {
public:
    enum Type : int32_t {
        Slide = 0,
        Drag = 1,
        Rotate = 3,
    };

    Grasp(std::set<int> held, int32_t mainParticle, int32_t lives);
    virtual ~Grasp() = default;
    Grasp(const Grasp&) = delete;
    Grasp& operator=(const Grasp&) = delete;

    // This frame's forces; called by the grasp model after life was lowered.
    virtual void update() = 0;
    virtual int32_t getType() const = 0;

    std::set<int> particles; // held particles, ascending
    int32_t id = 0;          // grasp count of the grasp model when admitted
    int32_t particle = 0;    // drag: the held particle; slide: the anchor; rotation: 0
    int32_t life = 0;        // frames left
    int32_t initialLife = 0;
};

// A quick stroke along a string: pushes the particles of its path along the
// cord's own direction, a front of two pushes that walks one particle along
// the path every third frame.
class SlideGrasp final : public Grasp {
public:
    static constexpr int32_t kLife = 30;

    // `path` holds the particles in the order the push walks them (at least
    // three); the held set is the same particles.
    SlideGrasp(int32_t anchor, int32_t pathSign, const PVRTVec2& strokeDirection, std::vector<int> pathOrder);

    void update() override;
    int32_t getType() const override { return Slide; }

    int32_t sign = 1;   // +1: the path runs up the particle indices, -1 down
    PVRTVec2 direction; // the stroke on screen, capped at unit length
    std::vector<int> path;
    int32_t cursor = 0; // where the push front stands on the path
};

// The finger's pull on one particle, for two frames.
class DragGrasp final : public Grasp {
public:
    static constexpr int32_t kLife = 1;

    DragGrasp(std::set<int> selection, int32_t held, int32_t state, const PVRTVec2& finger);

    void update() override;
    int32_t getType() const override { return Drag; }

    int32_t dragState = 0; // as the drag factory reported it; 2 once when the particle got fast
    PVRTVec2 touchPoint;   // the finger, pixels, origin bottom left
};

// A swipe at the bottom of the screen: turns the whole cord about its centre,
// the push fading to nothing extra over its 16 frames.
class RotateGrasp final : public Grasp {
public:
    static constexpr int32_t kLife = 15;

    explicit RotateGrasp(const PVRTMat4& turn);

    void update() override;
    int32_t getType() const override { return Rotate; }

    PVRTMat4 rotation;
};

} // namespace ZQ
