#include "engine/physics/FxParticleSystem.h"

namespace ZQ::Fx {

// The order inside a substep matters: pair forces see the positions the last
// constraints left, the velocity carried into the next substep includes this
// substep's corrections, and temporary objects die only after every pass.
void ParticleSystem::step(bool inertia) {
    for (int32_t s = 0; s < substeps; ++s) {
        addCollisionForces();

        for (int32_t n = 0; n < p_count; ++n) {
            accelerations[n] = PVRTVec3();
        }
        for (int32_t k = 0; k < fp_count; ++k) {
            permanentForces[k]->apply(positions, oldPositions, accelerations);
        }
        applyTemporaryForces();

        integrate(inertia);
        satisfyConstraints();
        deleteTemporaries();
    }
}

void ParticleSystem::addCollisionForces() {
    if (!selfCollision || p_count <= 1) {
        return;
    }
    if (pairSearch == PairSearch::Plain) {
        int32_t* found = partners.data();
        for (int32_t i = 0; i < p_count - 1; ++i) {
            const int32_t n = findClosePartnersPlain(positions, p_count, i, found);
            for (int32_t k = 0; k < n; ++k) {
                addContact(i, found[k]);
            }
        }
        return;
    }
    grid.build(positions, p_count);
    for (int32_t i = 0; i < p_count - 1; ++i) {
        for (const int32_t j : grid.partnersOf(i)) {
            addContact(i, j);
        }
    }
}

// In table order, as virtual calls would run them. Every contact of a
// substep rubs with the same coefficient, the world's. A particle's
// friction drag depends only on its own last move, so every contact it is in
// adds the same drag: it is worked out once per particle, not per contact.
void ParticleSystem::applyTemporaryForces() {
    PVRTVec3* const p = positions;
    PVRTVec3* const o = oldPositions;
    PVRTVec3* const acc = accelerations;
    if (contactCount > 0) {
        const float mu = frictionCoefficient;
        for (int32_t n = 0; n < p_count; ++n) {
            drags[n] = FrictionForce::drag(p[n] - o[n], mu);
        }
    }
    visitTemporaryForces(
        [&](Contact& c) {
            c.collision.apply(p, o, acc);
            acc[c.frictionI.i] = acc[c.frictionI.i] + drags[c.frictionI.i];
            acc[c.frictionJ.i] = acc[c.frictionJ.i] + drags[c.frictionJ.i];
        },
        [&](Force* force) { force->apply(p, o, acc); });
}

// Position Verlet, component by component, in this arithmetic order:
//   a = acceleration * dt²
//   displacement = (position - oldPosition) * 0.995 + a   (a alone without inertia)
//   displacement capped at length 0.25 when the clamp is on
//   next = position + displacement
// then old <- current <- next <- old: the buffers trade roles, nothing is copied.
void ParticleSystem::integrate(bool inertia) {
    const float dt2 = dt * dt;
    const bool clamp = clampDisplacement != 0.0f;
    PVRTVec3* const p = positions;
    PVRTVec3* const o = oldPositions;
    PVRTVec3* const acc = accelerations;
    PVRTVec3* const disp = displacements;
    PVRTVec3* const next = nextPositions;
    for (int32_t n = 0; n < p_count; ++n) {
        const PVRTVec3 a = acc[n] * dt2;
        PVRTVec3 d = inertia ? (p[n] - o[n]) * kInertia + a : a;
        if (clamp) {
            const float l = d.length();
            if (l > kMaxDisplacement) {
                d = d * (kMaxDisplacement / l);
            }
        }
        disp[n] = d;
        next[n] = p[n] + d;
    }
    PVRTVec3* const formerOld = oldPositions;
    oldPositions = positions;
    positions = nextPositions;
    nextPositions = formerOld;
}

// Gauss-Seidel: each constraint sees the corrections of the ones before it.
// The few temporary ones run as queued; the permanent passes run as planned,
// which gives the same floats faster, unless the reference order is asked for.
void ParticleSystem::satisfyConstraints() {
    for (int32_t pass = 0; pass < kConstraintPasses; ++pass) {
        satisfyInOrder(temporaryConstraints, temporaryKinds, ct_count, positions, p_count);
    }
    if (passOrder == PassOrder::Table) {
        for (int32_t pass = 0; pass < kConstraintPasses; ++pass) {
            satisfyInOrder(permanentConstraints, permanentKinds, cp_count, positions, p_count);
        }
        return;
    }
    if (!schedulePlanned) {
        schedule.plan(permanentConstraints, permanentKinds, cp_count, kConstraintPasses);
        schedulePlanned = true;
    }
    schedule.run(positions, p_count);
}

void ParticleSystem::deleteTemporaries() {
    dropTemporaryForces();
    for (int32_t k = 0; k < ct_count; ++k) {
        delete temporaryConstraints[k];
    }
    ct_count = 0;
}

} // namespace ZQ::Fx
