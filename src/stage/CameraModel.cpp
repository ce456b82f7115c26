#include "stage/CameraModel.h"

#include "engine/Assert.h"
#include "engine/Cloudlet.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/Spot.h"
#include "engine/SpotAction.h"
#include "stage/CameraActions.h"

namespace ZQ {

CameraModel::~CameraModel() {
    release();
}

void CameraModel::release() {
    for (Cloudlet* item : cloudlets) {
        delete item;
    }
    cloudlets.clear();
    eye = target = up = nullptr;
    spot = nullptr;
}

void CameraModel::setUp() {
    Model::setUp();
    release(); // a second set-up starts over rather than leak the first items
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;

    eye = new Cloudlet();
    target = new Cloudlet();
    up = new Cloudlet();
    spot = new Spot();
    cloudlets = {eye, target, up, spot};

    eye->layout.position = PVRTVec3(0.5f * w, 0.5f * h, h);
    target->layout.position = PVRTVec3(0.5f * w, 0.5f * h, 0.0f);

    const RangeAction::Range rangeX{-1.2f * w, 1.2f * w};
    const RangeAction::Range rangeY{-0.3f * h, 0.3f * h};
    eye->setAction(
        new CameraOrientateAction(rangeX, rangeY, {-0.27f * h, 1.5f * h}, PVRTVec3(), 16.0f, 8.0f));
    up->setAction(new CameraRotateAction(easeSmooth(), 1, PVRTQuaternion(), PVRTVec3(0.0f, 1.0f, 0.0f)));
    target->setAction(new RangeAction(rangeX, rangeY, {-0.55f * h, 0.4f * h}));

    eye->step();
    up->step();
    target->step();
}

void CameraModel::tearDown() {
    release();
    Model::tearDown();
}

void CameraModel::doStep() {
    for (Cloudlet* item : cloudlets) {
        item->step();
    }
}

void CameraModel::getCloudlets(std::vector<Cloudlet*>& out) {
    if (eye != nullptr) {
        out.push_back(eye);
        out.push_back(target);
    }
}

PVRTMat4 CameraModel::viewMatrix() const {
    ZQ_ASSERT(eye != nullptr);
    return lookAt(eye->getPosition(), target->getPosition(), up->getPosition());
}

PVRTMat4 CameraModel::lookAt(const PVRTVec3& e, const PVRTVec3& t, const PVRTVec3& u0) {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const PVRTVec3 f = (e - t).normalized();
    const PVRTVec3 r = f.cross(u0).normalized();
    const PVRTVec3 u = r.cross(f).normalized();
    const PVRTVec3 p = e - PVRTVec3(0.5f * w, 0.5f * h, h);

    PVRTMat4 m; // zero: elements 3, 7 and 11 stay 0
    m(0, 0) = r.x;
    m(0, 1) = r.y;
    m(0, 2) = r.z;
    m(1, 0) = u.x;
    m(1, 1) = u.y;
    m(1, 2) = u.z;
    m(2, 0) = f.x;
    m(2, 1) = f.y;
    m(2, 2) = f.z;
    m.f[12] = -r.dot(p);
    m.f[13] = -u.dot(p);
    m.f[14] = -f.dot(p);
    m.f[15] = 1.0f;
    return m;
}

void CameraModel::spotPopIn(Spot* s) {
    ZQ_ASSERT(s != nullptr);
    s->setAction(new SpotAction(PVRTVec2(1.0f, 1.0f), 1.0f, easeOutQuad(), 15));
}

void CameraModel::spotPopOut(Spot* s) {
    ZQ_ASSERT(s != nullptr);
    s->setAction(new SpotAction(PVRTVec2(1.0f, 0.8f), 0.5f, easeOutQuad(), 7));
}

} // namespace ZQ
