#include "cords/GraspFactory.h"

#include "cords/CordModel.h"
#include "engine/Assert.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"

#include <cmath>

namespace ZQ {

float GraspFactory::touchRadius(float reported) {
    return reported >= 1.0f ? reported : DeviceProfile::get().touchRadius;
}

void DragFactory::select() {
    selection.clear();
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    const CordModel& cord = *gGlobals.cordModel;
    const PVRTMat4 view = currentView();
    const float reach = 2.0f * radius;

    // Of the particles within reach, the one nearest the viewer; ascending
    // indices with a strict comparison keep the lowest index on a tie.
    int best = -1;
    float bestZ = 0.0f;
    for (int i = 0; i < cord.count; ++i) {
        const PVRTVec3 p = cord.getParticlePos(i);
        if ((screenProjection(view, p) - pickPoint).length() > reach) {
            continue;
        }
        if (best < 0 || p.z > bestZ) {
            best = i;
            bestZ = p.z;
        }
    }
    if (best >= 0) {
        selection.insert(best);
    }
}

DragGrasp* DragFactory::make() {
    if (selection.empty()) {
        return nullptr;
    }
    const int p = *selection.begin();
    ZQ_ASSERT(gGlobals.particleSystem1 != nullptr);
    const float speed = gGlobals.particleSystem1->getVelocity(p).length();

    // State 2 marks the one call at which the held particle got fast: the
    // game flow sounds it and counts a move.
    switch (dragState) {
    case 2:
        dragState = 1;
        break;
    case 1:
        if (speed < kSlowSpeed) {
            dragState = 0;
        }
        break;
    default:
        dragState = speed > kFastSpeed ? 2 : 0;
        break;
    }
    return new DragGrasp(selection, p, dragState, currentPoint);
}

void RotateFactory::select() {
    const PVRTVec2 v = capAtUnit(endPoint - startPoint);
    const float a = -kTurn * v.x;
    const float b = kTurn * v.y;
    const float ca = std::cos(a);
    const float sa = std::sin(a);
    const float cb = std::cos(b);
    const float sb = std::sin(b);

    // Ry: (x, y, z) -> (x cos a - z sin a, y, x sin a + z cos a)
    PVRTMat4 ry = PVRTMat4::identity();
    ry(0, 0) = ca;
    ry(0, 2) = -sa;
    ry(2, 0) = sa;
    ry(2, 2) = ca;
    // Rx: (x, y, z) -> (x, y cos b + z sin b, z cos b - y sin b)
    PVRTMat4 rx = PVRTMat4::identity();
    rx(1, 1) = cb;
    rx(1, 2) = sb;
    rx(2, 1) = -sb;
    rx(2, 2) = cb;
    rotation = ry * rx;
}

RotateGrasp* RotateFactory::make() {
    if (endFrame - startFrame > kMaxFrames) {
        return nullptr;
    }
    return new RotateGrasp(rotation);
}

} // namespace ZQ
