#pragma once

#include "render/Render.h"

#include <cstdint>
#include <vector>

namespace ZQ {

class Cloudlet;
class GrainEmitter;

// Draws the grain model's bursts, one draw per burst. Only the grains the
// burst has thrown so far are drawn: the rest of its mesh would read uniform
// entries left over from another burst or frame.
//
// Ownership: owns its program; each burst owns its mesh. Threads: main
// thread only.
class RenderGrain : public Render {
public:
    RenderGrain();
    void render() override;

    // How many indices of the emitter's mesh hold its thrown grains.
    static int32_t drawnIndexCount(const GrainEmitter& emitter);

private:
    std::vector<Cloudlet*> emitters; // this frame's, reused
};

} // namespace ZQ
