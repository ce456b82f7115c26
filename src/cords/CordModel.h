#pragma once

#include "constants/Material.h"
#include "engine/Cloudlet.h"
#include "engine/Model.h"
#include "engine/PVRTVector.h"

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace ZQ {

class Cord;
namespace Fx {
class ParticleSystem;
}

// The scene item that draws the cords. The tube meshes read its radius
// (pixels); its layout alpha is the cords' opacity. Both grow and shrink with
// the cord's fades.
class CordInstance : public Cloudlet {
public:
    float radius = 0.0f;
};

// What a cord takes from its level when it is laid: the colours of its
// strings, the friction its world rubs with, and the coefficients its grasps
// push with. The defaults are the base record's, for cords laid without a
// level (tools, tests of the cord alone).
struct CordSettings {
    std::vector<Material> materials; // material k belongs to string k
    float friction = 158.0f;
    float slide = 42.0f;
    float drag = 42.0f;
    float rotate = 100.0f;
};

// The playing cords: a knot laid into the main particle world (cords and
// heads) as one chain of particles cut into strings. Every frame it mirrors the
// particles in pixels, projects them to the screen, keeps the bounding box and
// the smoothed centre the camera follows, measures each string's tangle energy
// and raises onAlmostSolved and onSolved.
//
// Units: the particle world works in world units (the world is 20 units wide);
// positions, the box and the centre here are pixels (world units divided by the
// engine globals' world scale). Energies are measured in world units.
//
// The fields are read directly by the grasps, heads, tube meshes, cones and
// the game flow; only this model and the hologram build write them.
class CordModel : public Model {
public:
    static constexpr int32_t kMaxParticles = 1024;

    // One string of the cord (or one braid of the braid model): particles
    // first..last inclusive, and the string's place in the cord.
    struct Segment {
        int32_t first = 0;
        int32_t last = 0;
        int32_t index = 0;
    };

    // Energy thresholds of the solved rule. One string: almost solved in
    // [1.35, 2.025), solved below 1.35. Several: almost solved when every
    // string but the last lies in [1.0, 1.5], solved when all lie below 1.0.
    static constexpr float kSingleSolved = 1.35f;
    static constexpr float kSingleAlmost = 2.025f;
    static constexpr float kMultiSolved = 1.0f;
    static constexpr float kMultiAlmost = 1.5f;
    // What a freshly laid string reports until its energies go live.
    static constexpr float kLoadEnergy = 2.7f;

    // Makes the cord instance, which the model owns. The cords are laid into
    // the engine's main world.
    CordModel();
    // A cord model apart from the game's, laying into `world` (which must
    // outlive it) and handing its friction to that world alone: the hologram
    // build meshes knots on one, so the playing cord is never touched.
    explicit CordModel(Fx::ParticleSystem& world);
    ~CordModel() override;
    CordModel(const CordModel&) = delete;
    CordModel& operator=(const CordModel&) = delete;

    // Hides the cords (radius and alpha 0). The pause flag is left alone: the
    // game flow owns it.
    void setUp() override;
    // The model keeps its listeners and its cord across a tear-down.
    void tearDown() override {}
    void doStep() override;

    // Lays the cord's particles, bounds, links and distances into the main
    // particle world after whatever it already holds, cuts them into the
    // cord's strings and, when the cord asks for it, lets them settle.
    // Energies start at 2.7 and stay there until measureEnergies. The
    // settings stay until the next load; their friction goes to every
    // particle world there is, since braids and letters rub like the cord.
    void loadCord(Cord& cord, const CordSettings& settings = CordSettings());
    // Empties the main particle world and forgets the strings and energies.
    void unload();

    // Level start: binds the tree that grows the tube in with its sound and
    // then turns the energy measurement on (defined with the fades).
    void fadeIn();
    // Level end: binds the tree that shrinks the tube away with its sound; a
    // cord solved at this call turns each string into a braid.
    void fadeOut();

    // Turns the energy measurement on, measures once and records the result as
    // every string's start energy (the heads compare against it).
    void measureEnergies();
    // Per-string repulsion energies from the main world's positions; does
    // nothing while the energy flag is clear.
    void updateEnergies();

    // Queries on the mirrored particles. An index outside [0, count) is a
    // programming error.
    PVRTVec3 getParticlePos(int i) const;
    PVRTVec3& getParticleRef(int i);
    // The first string holding the particle; none logs and returns a shared
    // segment {0, 0, -1}.
    const Segment& getSegmentForParticle(int p_index) const;
    int getSegmentIndexForParticle(int p_index) const;
    // Where the particle lies along its string, 0 at the first particle and 1
    // at the last; -1 when no string holds it.
    float getSegmentPercentualeForParticle(int p_index) const;
    // Towards the next particle of the string (the previous one at its end),
    // shortened to unit length when longer.
    PVRTVec3 getParticleDir(int p_index) const;
    // The azimuth atan2(d.y, d.x) and the polar angle acos(d.z / |d|) of the
    // string's direction through the particle.
    PVRTVec2 getParticleAngle(int p_index) const;

    // The front-most particle (greatest z) of every occupied screen cell of
    // cellSize pixels, from the stored screen positions, into `out`. Defined
    // with the grasp factories, its only users.
    static void pickVisibleParticles(const CordModel& cord, std::unordered_set<int>& out, float cellSize);

    const PVRTVec3& boxMin() const { return corners[0]; }
    const PVRTVec3& boxMax() const { return corners[7]; }
    int32_t stringCount() const { return static_cast<int32_t>(segments.size()); }

    // Box corner k takes x from the maximum when bit 2 of k is set, y by bit 1,
    // z by bit 0: corner 0 is the minimum, corner 7 the maximum.
    PVRTVec3 corners[8];
    std::vector<Segment> segments;
    CordInstance* instance = nullptr; // owned
    bool solved = false;
    std::vector<float> energy;      // one per string
    std::vector<float> startEnergy; // one per string, the energy when it went live
    bool energyFlag = false;        // energies are measured only while set
    PVRTVec3 centre;                // smoothed centre of the tangle, pixels
    PVRTVec3 positions[kMaxParticles];
    PVRTVec2 screenPositions[kMaxParticles]; // pixels, origin bottom left
    int32_t count = 0;
    CordSettings settings; // of the cord laid last

private:
    // The world the cords are laid into.
    Fx::ParticleSystem& world() const;
    void mirrorParticles();
    void updateBoundingBox();
    void updateCentre();
    void applySolvedRules();

    Fx::ParticleSystem* ownWorld = nullptr; // null: the engine's main world
};

} // namespace ZQ
