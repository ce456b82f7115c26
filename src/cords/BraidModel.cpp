#include "cords/BraidModel.h"

#include "cords/BraidMeshWorker.h"
#include "engine/Assert.h"
#include "engine/Globals.h"
#include "engine/physics/FxConstraint.h"
#include "engine/physics/FxParticleSystem.h"

namespace ZQ {

namespace {

constexpr float kLinkLength = 2.0f;
// The braid tube is half a world unit thick, in pixels.
constexpr float kRadiusWorldUnits = 0.5f;

Fx::ParticleSystem& braidWorld() {
    ZQ_ASSERT(gGlobals.particleSystem3 != nullptr);
    return *gGlobals.particleSystem3;
}

} // namespace

BraidInstance::BraidInstance(const CordModel::Segment& segment, const Material& material)
    : segment(segment), material(material) {}

BraidModel::BraidModel() : mesh(new BraidMeshBuffer()) {}

BraidModel::~BraidModel() {
    deleteBraidsAndWorkers();
    delete mesh;
}

void BraidModel::setUp() {
    mesh->generateNames();
}

void BraidModel::tearDown() {
    deleteBraidsAndWorkers();
    segments.clear();
    count = 0;
    mesh->release();
    mesh->deleteNames();
}

void BraidModel::deleteBraidsAndWorkers() {
    for (BraidInstance* braid : braids) {
        delete braid;
    }
    braids.clear();
    for (BraidMeshWorker* worker : workers) {
        delete worker;
    }
    workers.clear();
}

void BraidModel::getCloudlets(std::vector<Cloudlet*>& out) {
    out.insert(out.end(), braids.begin(), braids.end());
}

BraidInstance* BraidModel::addBraid(const PVRTVec3& head, const Material& material) {
    Fx::ParticleSystem& world = braidWorld();
    const int32_t first = world.getParticleCount();
    for (int32_t i = 0; i < kParticlesPerBraid; ++i) {
        world.addParticle(head + PVRTVec3(kLinkLength * static_cast<float>(i), 0.0f, 0.0f));
    }
    const int32_t last = first + kParticlesPerBraid - 1;
    for (int32_t i = first; i < last; ++i) {
        world.addConstaint(new Fx::LinkConstraint(i, i + 1, kLinkLength));
    }
    const CordModel::Segment segment{first, last, static_cast<int32_t>(segments.size())};
    segments.push_back(segment);
    auto* braid = new BraidInstance(segment, material);
    braids.push_back(braid);
    return braid;
}

void BraidModel::prepareWorkers() {
    for (BraidMeshWorker* worker : workers) {
        delete worker;
    }
    workers.clear();
    int32_t vertices = 0;
    int32_t indices = 0;
    for (const CordModel::Segment& s : segments) {
        vertices += BraidMeshWorker::vertexCountFor(s);
        indices += BraidMeshWorker::indexCountFor(s);
    }
    mesh->allocate(vertices, indices, segments.size());

    int32_t firstVertex = 0;
    int32_t firstIndex = 0;
    for (const CordModel::Segment& s : segments) {
        workers.push_back(new BraidMeshWorker(s, *mesh, firstVertex, firstIndex));
        firstVertex += workers.back()->GetVertexCount();
        firstIndex += workers.back()->GetTriangleIndexCount();
    }
}

void BraidModel::emptyAll() {
    Fx::ParticleSystem& world = braidWorld();
    world.tearDown();
    world.setUp();
    segments.clear();
    count = 0;
    deleteBraidsAndWorkers();
    mesh->release();
}

void BraidModel::mirrorParticles() {
    const Fx::ParticleSystem& world = braidWorld();
    count = world.getParticleCount();
    ZQ_ASSERT(count <= kMaxParticles);
    const PVRTVec3* p = world.getPositions();
    const float scale = 2.0f * gGlobals.worldScale;
    for (int32_t i = 0; i < count; ++i) {
        positions[i] = p[i] / scale;
    }
}

void BraidModel::doStep() {
    if (braids.empty()) {
        return;
    }
    if (isReady()) {
        emptyAll();
        return;
    }
    for (BraidInstance* braid : braids) {
        braid->step();
    }
    mirrorParticles();

    const float radius = kRadiusWorldUnits / gGlobals.worldScale;
    for (BraidMeshWorker* worker : workers) {
        worker->process(positions, count, radius);
    }
    mesh->upload();
}

} // namespace ZQ
