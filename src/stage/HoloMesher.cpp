#include "stage/HoloMesher.h"

#include "cords/Cord.h"
#include "cords/CordMeshWorker.h"
#include "cords/CordModel.h"
#include "cords/MeshBuffer.h"
#include "engine/Assert.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/physics/FxParticleSystem.h"
#include "stage/HoloInstance.h"

#include <algorithm>

namespace ZQ {

HoloMesher::HoloMesher() = default;

HoloMesher::~HoloMesher() = default;

void HoloMesher::build(const LevelModel::Level& level, HoloInstance& hologram) {
    ZQ_ASSERT(hologram.mesh != nullptr);
    if (level.cord == nullptr) {
        return;
    }
    if (world == nullptr) {
        // Steps like the game's main world, so a knot settles the same way.
        world = std::make_unique<Fx::ParticleSystem>(Fx::kMainWorld);
        cord = std::make_unique<CordModel>(*world);
    }
    world->setUp();
    cord->loadCord(*level.cord, level.cordSettings());

    // The particles in pixels, and their box.
    const int32_t n = world->getParticleCount();
    ZQ_ASSERT(n > 0 && n <= CordModel::kMaxParticles);
    const float scale = gGlobals.worldScale;
    const PVRTVec3* p = world->getPositions();
    PVRTVec3* positions = cord->positions;
    for (int32_t i = 0; i < n; ++i) {
        positions[i] = p[i] / scale;
    }
    cord->count = n;
    PVRTVec3 lo = positions[0];
    PVRTVec3 hi = positions[0];
    for (int32_t i = 1; i < n; ++i) {
        lo = PVRTVec3(std::min(lo.x, positions[i].x), std::min(lo.y, positions[i].y),
                      std::min(lo.z, positions[i].z));
        hi = PVRTVec3(std::max(hi.x, positions[i].x), std::max(hi.y, positions[i].y),
                      std::max(hi.z, positions[i].z));
    }
    for (int k = 0; k < 8; ++k) {
        cord->corners[k] = PVRTVec3((k & 4) ? hi.x : lo.x, (k & 2) ? hi.y : lo.y, (k & 1) ? hi.z : lo.z);
    }
    // A hologram shows the tube at its full radius, never fading in.
    cord->instance->radius = 1.0f / scale;

    MeshBuffer& mesh = *hologram.mesh;
    std::vector<CordMeshWorker*> jobs = CordMeshWorker::makeJobs(
        cord->segments, mesh, DeviceProfile::get().tubeTextureScale, CordMeshWorker::kHoloCapSweep);
    for (CordMeshWorker* job : jobs) {
        job->process(cord->positions, cord->count, cord->instance->radius);
    }
    mesh.upload();
    mesh.release();
    for (CordMeshWorker* job : jobs) {
        delete job;
    }
    std::copy(std::begin(cord->corners), std::end(cord->corners), std::begin(hologram.corners));

    // Empty again, the arrays freed until the next build.
    cord->segments.clear();
    cord->energy.clear();
    cord->startEnergy.clear();
    cord->count = 0;
    world->tearDown();
}

} // namespace ZQ
