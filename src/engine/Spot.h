#pragma once

#include "engine/Cloudlet.h"

namespace ZQ {

// A lighting spot of the camera or light model: three values that the
// renderer reads and a spot action eases. pair.y is the room's diffuse
// factor and third its specular factor; pair.x has no reader in the
// renderer.
class Spot : public Cloudlet {
public:
    PVRTVec2 pair{1.0f, 1.0f};
    float third = 1.0f;
};

} // namespace ZQ
