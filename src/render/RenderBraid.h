#pragma once

#include "render/Render.h"

#include <vector>

namespace ZQ {

class Cloudlet;

// Draws every braid of the moment with one indexed draw from the braid
// model's shared mesh (built in world coordinates, so the model matrix is the
// identity). Braid i of the model's list is shaded with material slot i; all
// take the first braid's opacity, so a batch fades together. Only four slots
// exist: braids past the fourth are shaded with the fourth's material.
// Under a mirroring camera view the pass draws with clockwise front faces and
// gives the frame its counter-clockwise ones back, so the braids' outsides
// face the viewer.
//
// Ownership: owns its program; the mesh is the braid model's. Threads: main
// thread only.
class RenderBraid : public Render {
public:
    RenderBraid();
    void render() override;

private:
    std::vector<Cloudlet*> braids; // this frame's, reused
};

} // namespace ZQ
