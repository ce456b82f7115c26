#pragma once

#include "engine/Model.h"
#include "engine/PVRTVector.h"
#include "engine/physics/FxConstraint.h"
#include "engine/physics/FxConstraintSchedule.h"
#include "engine/physics/FxForce.h"
#include "engine/physics/FxPairGrid.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace ZQ::Fx {

inline constexpr int32_t PARTICLE_ARRAY_SIZE = 1024;
inline constexpr int32_t CONSTRAINT_ARRAY_SIZE = 16384; // permanent, and separately temporary
inline constexpr int32_t FORCE_ARRAY_SIZE = 102400;     // permanent, and separately temporary

// How one world steps.
struct WorldConfig {
    float dt;                // seconds per substep
    int32_t substeps;        // substeps per step
    float clampDisplacement; // any value but 0.0 caps each displacement at 0.25
    bool selfCollision;      // runs the pair test
};

// Cords and heads: three substeps a frame with the displacement cap, so a
// hard pull cannot tunnel a string through another.
inline constexpr WorldConfig kMainWorld = {1.0f / 30.0f, 3, 1.0f, true};
// Flowing letters.
inline constexpr WorldConfig kFlowWorld = {1.0f / 30.0f, 1, 0.0f, true};
// Braids.
inline constexpr WorldConfig kBraidWorld = {1.0f / 30.0f, 1, 0.0f, true};

// Which pair test finds touching particles. Both give the same pairs in the
// same order; Plain is the reference the grid is checked against.
enum class PairSearch { Plain, Grid };

// How the permanent constraint passes run: pass after pass in table order,
// or as a ConstraintSchedule planned them. Both give the same floats; Table
// is the reference the plan is checked against.
enum class PassOrder { Table, Planned };

class Worker;

// A fixed-capacity world of point particles integrated with position Verlet,
// moved by forces and corrected by constraints.
//
// Ownership: every constraint and force handed in belongs to the world.
// Permanent ones live until tearDown; temporary ones are deleted at the end of
// the next substep, so they act exactly once. All arrays are allocated at
// full capacity in setUp, so particle indices stay valid until the world is
// emptied by tearDown followed by setUp.
//
// Threads: main thread only, except for a step requested from the worker,
// which runs on the worker thread under the worker's mutex.
class ParticleSystem : public Model {
public:
    ParticleSystem(float dt, int32_t substeps, float clampDisplacement, bool selfCollision);
    explicit ParticleSystem(const WorldConfig& config);
    // Stops the worker and frees whatever tearDown has not freed.
    ~ParticleSystem() override;

    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    // An empty world. Does not change `paused`.
    void setUp() override;
    // Waits for the worker, then deletes every owned object and frees the arrays.
    void tearDown() override;
    // Waits for the worker, then deletes every particle, constraint and force
    // and keeps the arrays: the next particle is particle 0 again.
    void clear();
    // One step with inertia, unless paused.
    void doStep() override;

    // Runs `substeps` substeps. Without inertia only forces and constraints
    // move particles: the cord settles that way.
    void step(bool inertia);

    // Adds a particle at rest; returns its index.
    int32_t addParticle(const PVRTVec3& position);
    void addConstaint(Constraint* constraint);
    void addTmpConstaint(Constraint* constraint);
    void addForce(Force* force);
    void addTmpForce(Force* force);

    PVRTVec3 getPosition(int p_index) const;
    // The displacement of the last integration, before constraints.
    PVRTVec3 getVelocity(int p_index) const;

    // Bulk readers: the current positions buffer, valid until the next step
    // (the three position buffers trade roles every substep).
    int32_t getParticleCount() const { return p_count; }
    const PVRTVec3* getPositions() const { return positions; }
    // Each particle's acceleration as the last substep left it (the debugging
    // boxes draw it).
    const PVRTVec3* getAccelerations() const { return accelerations; }

    int32_t getConstraintCount() const { return cp_count; }
    int32_t getTmpConstraintCount() const { return ct_count; }
    int32_t getForceCount() const { return fp_count; }
    int32_t getTmpForceCount() const { return ft_count; }
    const Force* getTmpForce(int32_t k) const;

    // The world's worker; the flow model waits on it before rebuilding.
    Worker* getWorker() const { return worker; }

    // The coefficient the world's contacts rub with: the level's friction,
    // handed over by the cord model when a level's cord is laid. A world that
    // never got one (tools, tests of the physics alone) rubs like most levels.
    void setFrictionCoefficient(float mu) { frictionCoefficient = mu; }
    float getFrictionCoefficient() const { return frictionCoefficient; }

    void setPairSearch(PairSearch search) { pairSearch = search; }
    void setPassOrder(PassOrder order) { passOrder = order; }

    // The pair test of one substep: a collision force and two friction forces,
    // appended to the temporary forces, for every touching pair (i, j >= i + 2)
    // in ascending i, then j.
    void addCollisionForces();

    static constexpr float kInertia = 0.995f;
    static constexpr float kMaxDisplacement = 0.25f;
    static constexpr int32_t kConstraintPasses = 4;
    static constexpr float kBaseFriction = 158.0f; // the base record's coefficient

private:
    // The pair test's forces live in a world-owned arena instead of the heap:
    // a tight cord makes and drops thousands of them every substep. Each
    // touching pair is one Contact, its three forces side by side, and the
    // world applies them by direct calls. The arena has one contact more than
    // a full force table holds, so a contact can always be built before
    // addTmpForce checks the table.
    struct Contact {
        CollisionForce collision;
        FrictionForce frictionI;
        FrictionForce frictionJ;
    };
    struct alignas(Contact) ContactSlot {
        std::byte bytes[sizeof(Contact)];
    };
    static constexpr int32_t kContactSlots = FORCE_ARRAY_SIZE / 3 + 1;

    void addContact(int32_t i, int32_t j);
    Contact& contactAt(int32_t m) { return *std::launder(reinterpret_cast<Contact*>(&contactSlots[m])); }
    // Walks the temporary forces in table order, a contact's three forces as
    // one step: addContact files them as consecutive entries, contacts in
    // arena order.
    template <class OnContact, class OnOther>
    void visitTemporaryForces(OnContact onContact, OnOther onOther) {
        int32_t m = 0;
        for (int32_t k = 0; k < ft_count;) {
            if (m < contactCount && temporaryForces[k] == &contactAt(m).collision) {
                onContact(contactAt(m));
                k += 3;
                ++m;
            } else {
                onOther(temporaryForces[k]);
                ++k;
            }
        }
    }
    void applyTemporaryForces();
    void dropTemporaryForces();

    void release();
    void deleteOwned();
    void integrate(bool inertia);
    void satisfyConstraints();
    void deleteTemporaries();

    int32_t p_count = 0;
    int32_t cp_count = 0;
    int32_t ct_count = 0;
    int32_t fp_count = 0;
    int32_t ft_count = 0;

    PVRTVec3* oldPositions = nullptr;
    PVRTVec3* positions = nullptr;
    PVRTVec3* nextPositions = nullptr;
    PVRTVec3* accelerations = nullptr;
    PVRTVec3* displacements = nullptr;
    PVRTVec3* drags = nullptr; // per particle, the friction of a substep's contacts
    Constraint** permanentConstraints = nullptr;
    Constraint** temporaryConstraints = nullptr;
    ConstraintKind* permanentKinds = nullptr; // by constraintKindOf
    ConstraintKind* temporaryKinds = nullptr;
    Force** permanentForces = nullptr;
    Force** temporaryForces = nullptr;

    float dt;
    int32_t substeps;
    float clampDisplacement;
    bool selfCollision;
    float frictionCoefficient = kBaseFriction;
    Worker* worker = nullptr; // owned

    PairSearch pairSearch = PairSearch::Grid;
    PassOrder passOrder = PassOrder::Planned;
    PairGrid grid;
    std::vector<int32_t> partners; // scratch of the pair test
    ContactSlot* contactSlots = nullptr;
    int32_t contactCount = 0;

    // The permanent passes, planned again after the table grows.
    ConstraintSchedule schedule{PARTICLE_ARRAY_SIZE};
    bool schedulePlanned = false;
};

} // namespace ZQ::Fx
