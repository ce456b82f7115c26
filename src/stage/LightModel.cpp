#include "stage/LightModel.h"

#include "cords/CordModel.h"
#include "engine/Assert.h"
#include "engine/Cloudlet.h"
#include "engine/Globals.h"
#include "stage/CameraModel.h"

namespace ZQ {

LightModel::~LightModel() {
    release();
}

void LightModel::release() {
    for (Cloudlet* item : cloudlets) {
        delete item;
    }
    cloudlets.clear();
    eye = target = up = nullptr;
}

void LightModel::setUp() {
    Model::setUp();
    release();
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    eye = new Cloudlet();
    up = new Cloudlet();
    target = new Cloudlet();
    cloudlets = {eye, up, target};
    eye->layout.position = PVRTVec3(0.5f * w, 0.6f * h, 0.6f * h);
    up->layout.position = PVRTVec3(0.0f, 1.0f, 0.0f);
}

void LightModel::tearDown() {
    release();
    Model::tearDown();
}

void LightModel::doStep() {
    ZQ_ASSERT(eye != nullptr);
    ZQ_ASSERT(gGlobals.cameraModel != nullptr && gGlobals.cameraModel->eye != nullptr);
    ZQ_ASSERT(gGlobals.cordModel != nullptr);
    for (Cloudlet* item : cloudlets) {
        item->step();
    }
    PVRTVec3 position = gGlobals.cameraModel->eye->getPosition();
    position.y = -0.6f * gGlobals.screenSize.y;
    eye->layout.position = position;
    target->layout.position = gGlobals.cordModel->centre;
}

void LightModel::getCloudlets(std::vector<Cloudlet*>& out) {
    if (eye != nullptr) {
        out.push_back(eye);
        out.push_back(target);
    }
}

PVRTMat4 LightModel::lightProjection() {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    PVRTMat4 p;
    p.f[0] = h / w;
    p.f[5] = 1.0f;
    p.f[10] = (3.0f * h + 15.0f) / (15.0f - 3.0f * h);
    p.f[11] = -1.0f;
    p.f[14] = 90.0f * h / (15.0f - 3.0f * h);
    return p;
}

PVRTMat4 LightModel::viewMatrix() const {
    ZQ_ASSERT(eye != nullptr);
    return CameraModel::lookAt(eye->getPosition(), target->getPosition(), up->getPosition());
}

PVRTMat4 LightModel::lightMatrix() const {
    return lightProjection() * viewMatrix();
}

} // namespace ZQ
