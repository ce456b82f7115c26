#pragma once

#include "engine/Action.h"
#include "engine/CloudletContainer.h"
#include "engine/Model.h"
#include "engine/PVRTVector.h"

#include <cstdint>
#include <list>

namespace ZQ {

class MeshInstance;

// The cursor discs: small models of the POD box that mark a place in the
// scene. The finger cursor drops onto the grasped cord particle and rides
// it; the rotation hint spins above the cord's centre; the map's discs follow
// the holograms. A disc lives exactly as long as its root action runs and is
// drawn by the mesh pass in list order.
//
// Ownership: owns its discs. Threads: main thread only.
class CursorModel : public Model, public CloudletContainer {
public:
    // The finger cursor's ring and the rotation hint's.
    static constexpr int32_t kCursorMesh = 0;
    static constexpr int32_t kMaterials = 5;
    static constexpr int32_t kHideFrames = 15;

    CursorModel() = default;
    ~CursorModel() override;
    CursorModel(const CursorModel&) = delete;
    CursorModel& operator=(const CursorModel&) = delete;

    void setUp() override {}
    // Deletes every disc.
    void tearDown() override;
    // Steps every disc, then deletes those whose action is missing or has
    // ended. Runs while paused too: a disc fading out finishes its fade.
    void doStep() override;
    // The discs in list order, also while paused.
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // A new disc (owned by the caller) of the POD box's model `meshId`, with
    // material `materialIndex`; unusable, and skipped by the pass, when the
    // box has no such model.
    static MeshInstance* makeCursorMesh(int32_t meshId, int32_t materialIndex);

    // Drops a disc onto cord particle `particle` over a third of a second;
    // it then rides the particle, turned along its string, until hidden. The
    // disc ends by itself when the particle leaves the cord (a new cord was
    // laid). Returns the disc, which stays the model's.
    MeshInstance* showCursor(int32_t particle, int32_t colour);
    // The rotation hint for a rotation grasp between (x1, y1) and (x2, y2):
    // a disc above the cord's centre turning half a turn about the axis
    // across the swipe in 30 frames.
    MeshInstance* showRotatingCursor(float x1, float y1, float x2, float y2);
    // A disc under a hologram whose larger horizontal extent is `size`: the
    // first of the small, medium and large discs wider than it (the large
    // one when none is), with `follow` (owned) as its root action.
    MeshInstance* addFollowCursor(float size, Action* follow);

    // Every disc fades out in 15 frames (from its current alpha) and goes.
    void hideCursor();
    // The same for one disc, when it is still the model's: the finger cursor
    // of a grasp that has ended. A disc already gone is ignored.
    void dropCursor(const MeshInstance* disc);

    // Every disc, in drawing order; owned.
    std::list<MeshInstance*> discs;

private:
    static void fade(MeshInstance* disc);
};

// Turns the bound item by up to half a turn about the axis across a swipe of
// direction `angle` over `frames` frames; succeeds on the last one without
// writing it.
class RotateCursorAction : public Action {
public:
    RotateCursorAction(float angle, int32_t frames);

    State start() override;
    State run() override;

private:
    float angle;
    int32_t frames;
    float t = 0.0f;
    float step = 0.0f;
    PVRTVec3 direction;
    PVRTVec3 axis;
};

} // namespace ZQ
