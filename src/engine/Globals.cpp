#include "engine/Globals.h"

#include "engine/Controller.h"
#include "engine/Model.h"

namespace ZQ {

constinit Globals gGlobals;

void Globals::setScreenSize(float width, float height) {
    screenSize = PVRTVec2(width, height);
    worldSize = PVRTVec2(20.0f, 20.0f * height / width);
    worldScale = 20.0f / width;
    worldQuarter = worldScale * 0.25f * width;
}

void Globals::stepFrame() {
    frameCount += 1;
    if (masterController != nullptr) {
        masterController->doStep();
    }
    for (Model* model : models) {
        model->doStep();
    }
}

} // namespace ZQ
