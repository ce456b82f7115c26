#include "engine/physics/FxParticleSystem.h"

#include "engine/Assert.h"
#include "engine/physics/FxWorker.h"

namespace ZQ::Fx {

ParticleSystem::ParticleSystem(float dt, int32_t substeps, float clampDisplacement, bool selfCollision)
    : dt(dt), substeps(substeps), clampDisplacement(clampDisplacement), selfCollision(selfCollision),
      grid(PARTICLE_ARRAY_SIZE), partners(PARTICLE_ARRAY_SIZE) {
    worker = new Worker(this);
    worker->setUp();
}

ParticleSystem::ParticleSystem(const WorldConfig& config)
    : ParticleSystem(config.dt, config.substeps, config.clampDisplacement, config.selfCollision) {}

// The worker goes first: it may still be stepping this world.
ParticleSystem::~ParticleSystem() {
    delete worker;
    release();
}

void ParticleSystem::setUp() {
    release();
    oldPositions = new PVRTVec3[PARTICLE_ARRAY_SIZE]();
    positions = new PVRTVec3[PARTICLE_ARRAY_SIZE]();
    nextPositions = new PVRTVec3[PARTICLE_ARRAY_SIZE]();
    accelerations = new PVRTVec3[PARTICLE_ARRAY_SIZE]();
    displacements = new PVRTVec3[PARTICLE_ARRAY_SIZE]();
    drags = new PVRTVec3[PARTICLE_ARRAY_SIZE]();
    permanentConstraints = new Constraint*[CONSTRAINT_ARRAY_SIZE]();
    temporaryConstraints = new Constraint*[CONSTRAINT_ARRAY_SIZE]();
    permanentKinds = new ConstraintKind[CONSTRAINT_ARRAY_SIZE]();
    temporaryKinds = new ConstraintKind[CONSTRAINT_ARRAY_SIZE]();
    permanentForces = new Force*[FORCE_ARRAY_SIZE]();
    temporaryForces = new Force*[FORCE_ARRAY_SIZE]();
    contactSlots = new ContactSlot[kContactSlots];
}

void ParticleSystem::tearDown() {
    worker->waitUntilIdle();
    release();
    Model::tearDown();
}

void ParticleSystem::clear() {
    worker->waitUntilIdle();
    deleteOwned();
}

void ParticleSystem::deleteOwned() {
    for (int32_t k = 0; k < cp_count; ++k) {
        delete permanentConstraints[k];
    }
    for (int32_t k = 0; k < ct_count; ++k) {
        delete temporaryConstraints[k];
    }
    for (int32_t k = 0; k < fp_count; ++k) {
        delete permanentForces[k];
    }
    dropTemporaryForces();
    p_count = cp_count = ct_count = fp_count = 0;
    schedule.clear();
    schedulePlanned = false;
}

void ParticleSystem::release() {
    deleteOwned();
    delete[] oldPositions;
    delete[] positions;
    delete[] nextPositions;
    delete[] accelerations;
    delete[] displacements;
    delete[] drags;
    delete[] permanentConstraints;
    delete[] temporaryConstraints;
    delete[] permanentKinds;
    delete[] temporaryKinds;
    delete[] permanentForces;
    delete[] temporaryForces;
    delete[] contactSlots;
    oldPositions = positions = nextPositions = accelerations = displacements = drags = nullptr;
    permanentConstraints = temporaryConstraints = nullptr;
    permanentKinds = temporaryKinds = nullptr;
    permanentForces = temporaryForces = nullptr;
    contactSlots = nullptr;
}

// Contacts are the world's own: they end with the arena's turn, not by delete.
void ParticleSystem::dropTemporaryForces() {
    visitTemporaryForces([](Contact&) {}, [](Force* force) { delete force; });
    for (int32_t m = 0; m < contactCount; ++m) {
        contactAt(m).~Contact();
    }
    ft_count = 0;
    contactCount = 0;
}

void ParticleSystem::addContact(int32_t i, int32_t j) {
    Contact* const contact = new (&contactSlots[contactCount++])
        Contact{CollisionForce(i, j, kContactDistance), FrictionForce(i, frictionCoefficient),
                FrictionForce(j, frictionCoefficient)};
    addTmpForce(&contact->collision);
    addTmpForce(&contact->frictionI);
    addTmpForce(&contact->frictionJ);
}

void ParticleSystem::doStep() {
    if (!paused) {
        step(true);
    }
}

// The capacity assertions come first and read exactly as below; the set-up
// check after them catches adding to a world that was torn down.
// clang-format off
int32_t ParticleSystem::addParticle(const PVRTVec3& position) {
    ZQ_ASSERT(p_count<PARTICLE_ARRAY_SIZE);
    ZQ_ASSERT(positions != nullptr);
    positions[p_count] = position;
    oldPositions[p_count] = position;
    accelerations[p_count] = PVRTVec3();
    displacements[p_count] = PVRTVec3();
    return p_count++;
}

void ParticleSystem::addConstaint(Constraint* constraint) {
    ZQ_ASSERT(cp_count<CONSTRAINT_ARRAY_SIZE);
    ZQ_ASSERT(permanentConstraints != nullptr);
    permanentKinds[cp_count] = constraintKindOf(constraint);
    schedulePlanned = false;
    permanentConstraints[cp_count++] = constraint;
}

void ParticleSystem::addTmpConstaint(Constraint* constraint) {
    ZQ_ASSERT(ct_count<CONSTRAINT_ARRAY_SIZE);
    ZQ_ASSERT(temporaryConstraints != nullptr);
    temporaryKinds[ct_count] = constraintKindOf(constraint);
    temporaryConstraints[ct_count++] = constraint;
}

void ParticleSystem::addForce(Force* force) {
    ZQ_ASSERT(fp_count<FORCE_ARRAY_SIZE);
    ZQ_ASSERT(permanentForces != nullptr);
    permanentForces[fp_count++] = force;
}

void ParticleSystem::addTmpForce(Force* force) {
    ZQ_ASSERT(ft_count<FORCE_ARRAY_SIZE);
    ZQ_ASSERT(temporaryForces != nullptr);
    temporaryForces[ft_count++] = force;
}
// clang-format on

} // namespace ZQ::Fx
