#include "engine/Globals.h"

#include "engine/Controller.h"
#include "engine/Model.h"

namespace ZQ {

// gcc checks the promise of the header (constant-initialised, so no static
// initialiser can see it half-built). clang 14 cannot evaluate libstdc++ 12's
// std::string constructor at compile time, so there the object is zeroed
// statically and its constructor writes the same empty state again among the
// dynamic initialisers; no static initialiser reads the globals.
#if defined(__clang__)
Globals gGlobals;
#else
constinit Globals gGlobals;
#endif

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
