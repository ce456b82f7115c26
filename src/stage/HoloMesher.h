#pragma once

#include "levels/LevelModel.h"

#include <cstdint>
#include <memory>

namespace ZQ {

class CordModel;
class HoloInstance;
namespace Fx {
class ParticleSystem;
}

// Meshes a level's knot into a hologram: the knot is laid and settled as a
// cord, measured, turned into full-radius tubes with round end domes and
// uploaded once (GL_STATIC_DRAW); the CPU arrays are freed at once.
//
// The knot is laid on a cord model and a particle world of the mesher's own,
// never the game's: building a hologram leaves the playing cord, its world
// and the friction of every game world exactly as it found them, whenever it
// runs.
//
// Ownership: owns its scratch world (made on first use, its arrays held only
// during a build) and its scratch cord model. Threads: main thread with a
// current context; the tube jobs run on the calling thread.
class HoloMesher {
public:
    HoloMesher();
    ~HoloMesher();
    HoloMesher(const HoloMesher&) = delete;
    HoloMesher& operator=(const HoloMesher&) = delete;

    // Fills `hologram`'s mesh (which must exist, empty) and its box from the
    // level's cord. A level without a cord leaves the mesh without ranges
    // and the box at zero.
    void build(const LevelModel::Level& level, HoloInstance& hologram);

private:
    std::unique_ptr<Fx::ParticleSystem> world;
    std::unique_ptr<CordModel> cord;
};

} // namespace ZQ
