#include "cords/Grasp.h"

#include "cords/CordModel.h"
#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/MathHelpers.h"
#include "engine/SceneCamera.h"
#include "engine/physics/FxForce.h"
#include "engine/physics/FxParticleSystem.h"

#include <utility>

namespace ZQ {

namespace {

const CordModel& cordModel() {
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    return *gGlobals.cordModel;
}

// The coefficients of the level whose cord is laid.
const CordSettings& cordSettings() {
    return cordModel().settings;
}

// The world owns the force and deletes it after its next step.
void push(int i, const PVRTVec3& force) {
    ZQ_ASSERT(gGlobals.particleSystem1 != nullptr);
    gGlobals.particleSystem1->addTmpForce(new Fx::ConstantForce(i, force));
}

// Pushes a along the string's direction b -> a.
void pushAlong(const CordModel& cord, int a, int b, float coefficient) {
    const PVRTVec3 v = capAtUnit(cord.getParticlePos(a) - cord.getParticlePos(b));
    push(a, v * coefficient);
}

} // namespace

PVRTMat4 currentView() {
    ZQ_ASSERT(gGlobals.sceneCamera != nullptr);
    return gGlobals.sceneCamera->viewMatrix();
}

PVRTVec2 screenProjection(const PVRTMat4& view, const PVRTVec3& p) {
    const PVRTVec2 ndc = projectPoint(view, p, false);
    const PVRTVec2& screen = gGlobals.screenSize;
    return PVRTVec2((0.5f + 0.5f * ndc.x) * screen.x, (0.5f + 0.5f * ndc.y) * screen.y);
}

PVRTVec2 screenProjection(const PVRTVec3& p) {
    return screenProjection(currentView(), p);
}

Grasp::Grasp(std::set<int> held, int32_t mainParticle, int32_t lives)
    : particles(std::move(held)), particle(mainParticle), life(lives), initialLife(lives) {}

SlideGrasp::SlideGrasp(int32_t anchor, int32_t pathSign, const PVRTVec2& strokeDirection,
                       std::vector<int> pathOrder)
    : Grasp(std::set<int>(pathOrder.begin(), pathOrder.end()), anchor, kLife), sign(pathSign),
      direction(strokeDirection), path(std::move(pathOrder)) {
    // The push front reads path[cursor + 2].
    ZQ_ASSERT(path.size() >= 3);
}

void SlideGrasp::update() {
    const CordModel& cord = cordModel();
    const float ks = cordSettings().slide;
    const size_t k = static_cast<size_t>(cursor);
    pushAlong(cord, path[k + 2], path[k + 1], ks);
    pushAlong(cord, path[k + 1], path[k], ks);
    // Every third frame the front moves one particle on, while a pair remains
    // ahead of it: at most ten steps in the grasp's 31 updates.
    if (life % 3 == 0 && cursor < static_cast<int32_t>(path.size()) - 3) {
        ++cursor;
    }
}

DragGrasp::DragGrasp(std::set<int> selection, int32_t held, int32_t state, const PVRTVec2& finger)
    : Grasp(std::move(selection), held, kLife), dragState(state), touchPoint(finger) {}

void DragGrasp::update() {
    if (particles.empty()) {
        return;
    }
    const CordModel& cord = cordModel();
    const PVRTMat4 view = currentView();
    const PVRTVec3 p = cord.getParticlePos(*particles.begin());
    const PVRTVec2 at = screenProjection(view, p);
    const PVRTVec2 d = capAtUnit(touchPoint - at);
    // The pull lies in the world's x-y plane and has the length of the
    // capped pixel delta, so it never pushes the cord toward or away from the
    // viewer. Its direction is the one in that plane that the camera shows
    // running toward the finger: the screen steps of a unit move along world
    // x and y (the camera leans and its perspective skews them) form a 2 x 2
    // map, solved for d. Taking d as world x and y instead would pull away
    // from the finger, because the camera's view mirrors x.
    const PVRTVec2 sx = screenProjection(view, p + PVRTVec3(1.0f, 0.0f, 0.0f)) - at;
    const PVRTVec2 sy = screenProjection(view, p + PVRTVec3(0.0f, 1.0f, 0.0f)) - at;
    const float det = sx.x * sy.y - sy.x * sx.y;
    // A camera edge-on to the plane would show no direction in it; the
    // finger on the particle asks for none.
    const PVRTVec2 along = det != 0.0f
                               ? PVRTVec2((sy.y * d.x - sy.x * d.y) / det, (sx.x * d.y - sx.y * d.x) / det)
                               : PVRTVec2(0.0f, 0.0f);
    const float length = along.length();
    const PVRTVec2 pull =
        length > 0.0f ? along * (d.length() / length * cordSettings().drag) : PVRTVec2(0.0f, 0.0f);
    const PVRTVec3 force(pull.x, pull.y, 0.0f);
    for (int i : particles) {
        push(i, force);
    }
}

RotateGrasp::RotateGrasp(const PVRTMat4& turn) : Grasp({}, 0, kLife), rotation(turn) {}

void RotateGrasp::update() {
    const CordModel& cord = cordModel();
    const PVRTVec3& m = cord.centre;
    const PVRTMat4 about =
        PVRTMat4::translation(m.x, m.y, m.z) * rotation * PVRTMat4::translation(-m.x, -m.y, -m.z);
    // The level's coefficient at the first update, easing to exactly 1 at the
    // last (life -1).
    const float kr = cordSettings().rotate;
    const float elapsed = static_cast<float>(initialLife - life) / static_cast<float>(initialLife + 1);
    const float s = 1.0f + (kr - 1.0f) * (1.0f - elapsed);
    for (int i = 0; i < cord.count; ++i) {
        const PVRTVec3 p = cord.getParticlePos(i);
        push(i, capAtUnit(about.transformPoint(p) - p) * s);
    }
}

} // namespace ZQ
