#pragma once

#include "render/Render.h"

#include <cstdint>
#include <vector>

namespace ZQ {

class Cloudlet;
class ConeProgram;
class CordModel;

// Draws the light cones of the cone model, each in its string's material and
// as opaque as its string is still tangled. The frame calls it twice, front
// faces culled then back faces, additively without depth writes; the pass
// sets no blend, cull or depth state of its own.
//
// Ownership: owns its program (a ConeProgram). Threads: main thread only.
class RenderCone : public Render {
public:
    RenderCone();
    void render() override;

    // How tangled string `index` still is, in [0, 1]: 1 at its start energy,
    // falling linearly to 0 at the solved threshold (1.35 for a one-string
    // cord, 1 otherwise), 0 below it and for a string that started at or
    // below the threshold.
    static float tangleFactor(const CordModel& cord, int32_t index);

    // T(p) Ry(a) Rz(b) S(2r, 4r, 2r): the unit cone mesh turned along the
    // cone's second and third angles, 4r long and 2r wide at the rim.
    static void modelMatrix(float out[16], const Cloudlet& cone, float radius);

private:
    std::vector<Cloudlet*> cones; // this frame's, reused
};

} // namespace ZQ
