#include "stage/HoloModel.h"

#include "HoloFixture.h"
#include "cords/Cord.h"
#include "cords/CordMeshWorker.h"
#include "cords/MeshBuffer.h"
#include "engine/LeafActions.h"
#include "engine/physics/FxParticleSystem.h"
#include "levels/LevelModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using ZQ::HoloInstance;
using ZQ::HoloModel;

constexpr float kHoloPi = std::numbers::pi_v<float>;

using HoloModelTest = HoloFixture;

// Everything of the playing cord a hologram build could disturb: the cord
// model's fields, bit for bit, and the main world's particles, links and
// friction, with the other worlds' friction.
struct CordSnapshot {
    std::vector<uint8_t> positions;
    std::vector<uint8_t> screen;
    std::vector<uint8_t> corners;
    std::vector<ZQ::CordModel::Segment> segments;
    std::vector<float> energy;
    std::vector<float> startEnergy;
    bool energyFlag = false;
    bool solved = false;
    PVRTVec3 centre;
    int32_t count = 0;
    float radius = 0.0f;
    float alpha = 0.0f;
    std::vector<uint8_t> world;
    int32_t particles = 0;
    int32_t constraints = 0;
    float friction = 0.0f;

    static std::vector<uint8_t> bytes(const void* p, std::size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        return {b, b + n};
    }

    static CordSnapshot of(const ZQ::CordModel& cord, const ZQ::Fx::ParticleSystem& world) {
        CordSnapshot s;
        s.positions = bytes(cord.positions, sizeof cord.positions);
        s.screen = bytes(cord.screenPositions, sizeof cord.screenPositions);
        s.corners = bytes(cord.corners, sizeof cord.corners);
        s.segments = cord.segments;
        s.energy = cord.energy;
        s.startEnergy = cord.startEnergy;
        s.energyFlag = cord.energyFlag;
        s.solved = cord.solved;
        s.centre = cord.centre;
        s.count = cord.count;
        s.radius = cord.instance->radius;
        s.alpha = cord.instance->layout.alpha;
        s.particles = world.getParticleCount();
        s.constraints = world.getConstraintCount();
        s.world = bytes(world.getPositions(), sizeof(PVRTVec3) * static_cast<std::size_t>(s.particles));
        s.friction = world.getFrictionCoefficient();
        return s;
    }

    bool operator==(const CordSnapshot& o) const {
        return positions == o.positions && screen == o.screen && corners == o.corners &&
               std::equal(segments.begin(), segments.end(), o.segments.begin(), o.segments.end(),
                          [](const auto& a, const auto& b) {
                              return a.first == b.first && a.last == b.last && a.index == b.index;
                          }) &&
               energy == o.energy && startEnergy == o.startEnergy && energyFlag == o.energyFlag &&
               solved == o.solved && centre == o.centre && count == o.count && radius == o.radius &&
               alpha == o.alpha && world == o.world && particles == o.particles &&
               constraints == o.constraints && friction == o.friction;
    }
};

TEST_F(HoloModelTest, AfterSetUpNothingIsListedWhateverHologramsExist) {
    EXPECT_EQ(holo->current, -1);
    EXPECT_EQ(holo->count, 0);
    ASSERT_EQ(holo->instances.size(), static_cast<std::size_t>(catalogue->levelCount()));
    for (const HoloInstance* h : holo->instances) {
        EXPECT_EQ(h, nullptr);
    }
    holo->instances[0] = holo->buildMesh(0);
    holo->instances[1] = holo->buildMesh(1);
    EXPECT_EQ(listed(), 0u) << "count 0 lists no slot";
    // A second set-up keeps them and the slot count.
    holo->setUp();
    EXPECT_NE(at(0), nullptr);
    EXPECT_EQ(holo->instances.size(), static_cast<std::size_t>(catalogue->levelCount()));
    holo->count = 2;
    EXPECT_EQ(listed(), 2u);
}

TEST_F(HoloModelTest, TheRingPutsFiveSlotsOnACircleWithTheBackOnesTransparent) {
    const float r = ZQ::gGlobals.screenSize.x * 0.5f;
    for (int32_t k = 0; k < HoloModel::kSlots; ++k) {
        ZQ::Layout pose;
        pose.alpha = 0.5f;
        pose.scale = 3.0f;
        const float a = HoloModel::slotAngle(k);
        EXPECT_NEAR(a, -1.3f * kHoloPi + 0.4f * kHoloPi * static_cast<float>(k), 1e-5f);
        HoloModel::placeOnOrbit(pose, a);
        EXPECT_NEAR(pose.position.length(), r, 1e-3f) << "slot " << k;
        EXPECT_EQ(pose.position.y, 0.0f);
        EXPECT_EQ(pose.scale, 1.0f);
        EXPECT_EQ(pose.angles.x, 0.0f);
        EXPECT_EQ(pose.angles.z, 0.0f);
        EXPECT_NEAR(pose.angles.y, a - 1.5f * kHoloPi, 1e-5f);
        EXPECT_EQ(pose.alpha, (k == 0 || k == 4) ? 0.0f : 1.0f) << "slot " << k;
        // Mirror slots stand mirrored about the x = 0 plane.
        ZQ::Layout mirror;
        HoloModel::placeOnOrbit(mirror, HoloModel::slotAngle(4 - k));
        EXPECT_NEAR(mirror.position.x, -pose.position.x, 1e-3f);
        EXPECT_NEAR(mirror.position.z, pose.position.z, 1e-3f);
    }
    ZQ::Layout front;
    HoloModel::placeOnOrbit(front, HoloModel::slotAngle(2));
    EXPECT_NEAR(front.position.x, 0.0f, 1e-3f);
    EXPECT_NEAR(front.position.z, r, 1e-3f) << "the front slot is nearest the camera";
}

TEST_F(HoloModelTest, TheSizeFactorShrinksLargerKnotsBetweenItsKeys) {
    const float unit = 0.625f * ZQ::gGlobals.screenSize.x;
    EXPECT_EQ(HoloModel::sizeFactor(0.0f), 0.5f);
    EXPECT_EQ(HoloModel::sizeFactor(1.5f * unit), 0.5f);
    EXPECT_NEAR(HoloModel::sizeFactor(2.0f * unit), 0.4f, 1e-6f);
    EXPECT_EQ(HoloModel::sizeFactor(10.0f * unit), 0.3f);
    float last = 1.0f;
    for (float x = 1.0f; x <= 3.5f; x += 0.05f) {
        const float s = HoloModel::sizeFactor(x * unit);
        EXPECT_LE(s, last) << "at " << x;
        last = s;
    }
}

TEST_F(HoloModelTest, AMeshHasOneRangePerStringAndTheBoxOfTheSettledKnot) {
    for (int32_t level : {0, 7, 30}) {
        const ZQ::LevelModel::Level& record = catalogue->levels[static_cast<std::size_t>(level)];
        HoloInstance* h = holo->buildMesh(level);
        ASSERT_NE(h->mesh, nullptr);
        EXPECT_NE(h->mesh->vbo, 0u);
        EXPECT_NE(h->mesh->ibo, 0u);
        EXPECT_EQ(h->mesh->vertices, nullptr) << "the CPU arrays go after the upload";
        EXPECT_EQ(h->mesh->indexBytes, 0u);

        // The reference: the same knot laid by the game's cord model in the
        // main world.
        cord->loadCord(*record.cord, record.cordSettings());
        ASSERT_EQ(h->mesh->ranges.size(), cord->segments.size());
        int32_t first = 0;
        for (std::size_t k = 0; k < cord->segments.size(); ++k) {
            EXPECT_EQ(h->mesh->ranges[k].firstIndex, first);
            EXPECT_EQ(h->mesh->ranges[k].indexCount, ZQ::CordMeshWorker::indexCountFor(cord->segments[k]));
            first += h->mesh->ranges[k].indexCount;
        }
        PVRTVec3 lo(1e30f, 1e30f, 1e30f);
        PVRTVec3 hi(-1e30f, -1e30f, -1e30f);
        for (int32_t i = 0; i < world->getParticleCount(); ++i) {
            const PVRTVec3 p = world->getPositions()[i] / ZQ::gGlobals.worldScale;
            lo = PVRTVec3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
            hi = PVRTVec3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
        }
        EXPECT_EQ(h->corners[0], lo) << "level " << level;
        EXPECT_EQ(h->corners[7], hi) << "level " << level;
        EXPECT_EQ(h->corners[5], PVRTVec3(hi.x, lo.y, hi.z));
        EXPECT_FLOAT_EQ(h->baseLayout.scale, HoloModel::sizeFactor((hi - lo).length()));
        EXPECT_EQ(h->boxHeight(), hi.y - lo.y);

        // It spins a turn in 120 frames.
        const float y0 = h->layout.angles.y;
        h->step();
        EXPECT_NEAR(h->layout.angles.y - y0, kHoloPi / 60.0f, 1e-6f);
        cord->unload();
        delete h;
    }
}

TEST_F(HoloModelTest, BuildingAHologramLeavesThePlayingCordExactlyAsItFoundIt) {
    ZQ::Fx::ParticleSystem braidWorld(ZQ::Fx::kBraidWorld);
    ZQ::gGlobals.particleSystem3 = &braidWorld;
    const ZQ::LevelModel::Level& playing = catalogue->levels[12];
    cord->loadCord(*playing.cord, playing.cordSettings());
    cord->fadeIn();
    for (int f = 0; f < 20; ++f) {
        frame();
    }
    braidWorld.setFrictionCoefficient(77.0f);
    const CordSnapshot before = CordSnapshot::of(*cord, *world);
    ASSERT_GT(before.particles, 0);

    // A knot of another friction.
    std::size_t other = 0;
    while (other < catalogue->levels.size() && catalogue->levels[other].friction == playing.friction) {
        ++other;
    }
    ASSERT_LT(other, catalogue->levels.size());
    delete holo->buildMesh(static_cast<int32_t>(other));
    EXPECT_TRUE(CordSnapshot::of(*cord, *world) == before);
    EXPECT_EQ(braidWorld.getFrictionCoefficient(), 77.0f);
    ZQ::gGlobals.particleSystem3 = nullptr;
}

TEST_F(HoloModelTest, BuildingWithNoCordInTheGameLeavesTheWorldEmpty) {
    const CordSnapshot before = CordSnapshot::of(*cord, *world);
    delete holo->buildMesh(5);
    EXPECT_TRUE(CordSnapshot::of(*cord, *world) == before);
    EXPECT_EQ(world->getParticleCount(), 0);
}

TEST_F(HoloModelTest, TheWindowIsClippedToTheBrowsableLevels) {
    enterMap(0, 10);
    EXPECT_EQ(at(0)->orbitAngle, HoloModel::slotAngle(2));
    EXPECT_EQ(at(1)->orbitAngle, HoloModel::slotAngle(3));
    EXPECT_EQ(at(2)->orbitAngle, HoloModel::slotAngle(4));
    EXPECT_EQ(at(3), nullptr);
    EXPECT_EQ(overlays.followed.size(), 3u) << "one follow cursor per new hologram";

    holo->current = 9;
    holo->createInstance(true);
    EXPECT_EQ(at(9)->orbitAngle, HoloModel::slotAngle(2));
    EXPECT_EQ(at(7)->orbitAngle, HoloModel::slotAngle(0));
    EXPECT_EQ(at(10), nullptr) << "count 10: nothing beyond level 9";
    EXPECT_EQ(overlays.followed.size(), 6u);
}

TEST_F(HoloModelTest, ReplaceMovesExistingHologramsBackToTheirSlotsAndFalseLeavesThem) {
    enterMap(5, 10);
    HoloInstance* h = at(6);
    h->layout.position = PVRTVec3(1.0f, 2.0f, 3.0f);
    h->layout.angles = PVRTVec3(0.1f, 0.2f, 0.3f);
    h->orbitAngle = 0.0f;
    holo->createInstance(false);
    EXPECT_EQ(h->layout.position, PVRTVec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(h->orbitAngle, 0.0f);
    EXPECT_EQ(at(6), h) << "not rebuilt";
    holo->createInstance(true);
    ZQ::Layout slot;
    HoloModel::placeOnOrbit(slot, HoloModel::slotAngle(3));
    EXPECT_EQ(h->layout, slot);
    EXPECT_EQ(h->orbitAngle, HoloModel::slotAngle(3));
    EXPECT_EQ(overlays.followed.size(), 5u);
}

TEST_F(HoloModelTest, AHologramIsFreedInTheStepAfterItsActionEndsAndBackOnesAreKept) {
    enterMap(5, 10);
    ASSERT_EQ(at(3)->layout.alpha, 0.0f);
    EXPECT_EQ(listed(), 3u) << "the two back slots are never listed";
    HoloInstance* h = at(4);
    const GLuint vbo = h->mesh->vbo;
    ASSERT_TRUE(glIsBuffer(vbo));
    h->setAction(new ZQ::TauAction(ZQ::Action::Success));
    at(6)->setAction(nullptr);
    holo->doStep();
    EXPECT_EQ(at(4), nullptr);
    EXPECT_EQ(at(6), nullptr);
    EXPECT_FALSE(glIsBuffer(vbo)) << "its GL buffers go with it";
    EXPECT_NE(at(3), nullptr) << "a back hologram still running stays";
    EXPECT_NE(at(7), nullptr);
    EXPECT_EQ(listed(), 1u);
}

TEST_F(HoloModelTest, PendingStepsComeOneEveryThirdFrameAndStopAtTheEnds) {
    enterMap(7, 10);
    holo->pendingNext = 2;
    holo->doStep();
    EXPECT_EQ(holo->current, 8) << "the first request is served in the frame it is seen";
    EXPECT_EQ(sound.count("playIgnition16"), 1u);
    EXPECT_EQ(overlays.names, std::vector<int32_t>{8});
    holo->doStep();
    holo->doStep();
    EXPECT_EQ(sound.count("playIgnition16"), 1u);
    holo->doStep();
    EXPECT_EQ(sound.count("playIgnition16"), 2u) << "three frames later";
    EXPECT_EQ(holo->current, 9);
    EXPECT_EQ(holo->pendingNext, 0);

    // Beyond the last browsable level: the sound, and nothing moves.
    holo->pendingNext = 1;
    for (int f = 0; f < 3; ++f) {
        holo->doStep();
    }
    EXPECT_EQ(sound.count("playIgnition16"), 3u) << "served on its third frame";
    EXPECT_EQ(holo->current, 9);
    EXPECT_EQ(overlays.names.size(), 2u);
}

TEST_F(HoloModelTest, AllNextStepsAreMadeBeforeAnyPreviousStep) {
    enterMap(4, 10);
    holo->pendingNext = 2;
    holo->pendingPrevious = 3;
    std::vector<int32_t> seen;
    for (int f = 0; f < 16; ++f) {
        holo->doStep();
        if (seen.empty() || seen.back() != holo->current) {
            seen.push_back(holo->current);
        }
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{5, 6, 5, 4, 3}));
    EXPECT_EQ(holo->pendingNext, 0);
    EXPECT_EQ(holo->pendingPrevious, 0);
}

TEST_F(HoloModelTest, ANewHologramsScanLineIsRandomInPhaseAndDirection) {
    int up = 0;
    float sum = 0.0f;
    constexpr int kBuilds = 48;
    for (int n = 0; n < kBuilds; ++n) {
        HoloInstance* h = holo->buildMesh(0);
        ASSERT_TRUE(h->scannerDirection == 1 || h->scannerDirection == -1);
        ASSERT_GE(h->scannerPhase, 0.0f);
        ASSERT_LT(h->scannerPhase, 1.0f);
        up += h->scannerDirection == 1 ? 1 : 0;
        sum += h->scannerPhase;
        EXPECT_EQ(h->noise, PVRTVec3());
        EXPECT_EQ(h->orbitAngle, 0.0f);
        delete h;
    }
    EXPECT_GT(up, kBuilds / 4);
    EXPECT_LT(up, 3 * kBuilds / 4);
    EXPECT_NEAR(sum / kBuilds, 0.5f, 0.15f);
}

} // namespace
