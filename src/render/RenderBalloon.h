#pragma once

#include "render/Balloon.h"
#include "render/Render.h"

#include <vector>

namespace ZQ {

class BalloonProgram;
class Cloudlet;

// Draws the tutorial's balloons in screen space, alternating sky blue and
// yellow by their place in the balloon model's list, each as opaque as its
// layout alpha. The scene camera does not move them. The pass sets no blend,
// cull or depth state of its own.
//
// Ownership: owns its program and the shared balloon mesh. Threads: main
// thread only.
class RenderBalloon : public Render {
public:
    RenderBalloon();
    // The program, then the mesh.
    void setUp() override;
    // The program, then the mesh's buffers.
    void tearDown() override;
    void render() override;

    // T(p) Rz(a3) Rx(a1) Ry(a2) S(s): s the layout scale in world units,
    // turned into pixels.
    static void modelMatrix(float out[16], const Cloudlet& balloon);

    const Balloon& getBalloon() const { return balloon; }

private:
    Balloon balloon;
    std::vector<Cloudlet*> balloons; // this frame's, reused
};

} // namespace ZQ
