#include "HeadFixture.h"
#include "cords/GraspFactoryDriver.h"
#include "cords/MeshBuffer.h"
#include "engine/DeviceIdentification.h"
#include "engine/DeviceProfile.h"
#include "stage/ShadowModel.h"
#include "support/CatalogueSuite.h"
#include "support/SeededRandom.h"

#include <cstddef>
#include <cstdint>
#include <ios>
#include <iterator>
#include <ostream>
#include <string>

// Golden hashes of seeded runs. A catalogue level is laid, settled and
// played with its heads for kFrames frames while a scripted finger drags
// two strings; the bytes of every particle position of every frame, and of
// the tube mesh every kMeshEvery frames, are hashed. Each level runs twice,
// meshing on one thread and on two; both runs must give the golden values.
//
// The build has no fused multiply-add and no fast-math, so these bytes are
// the same on every run and at every optimisation level of this toolchain.
// When a deliberate change moves the simulation or the mesh (the physics,
// the cord model, the heads, the grasps, the knot tables, the tube
// mesher...), the runs of the levels it touches fail with their new hash
// printed. Check that the change is meant, then copy the printed values into
// kGolden. A hash that differs between one mesh thread and two, or from run
// to run, is a fault to find, never a value to copy.

namespace {

constexpr uint64_t kFnvOffset = 0xcbf29ce484222325ull;
constexpr uint64_t kFnvPrime = 0x100000001b3ull;

// FNV-1a, 64 bits, continued from `hash` over `size` bytes.
uint64_t fnv1a(uint64_t hash, const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= kFnvPrime;
    }
    return hash;
}

// Positions are hashed as raw bytes: no padding may hide among them.
static_assert(sizeof(PVRTVec3) == 3 * sizeof(float));

struct Golden {
    int level;
    int strings;
    uint64_t positions; // every frame's particle positions, chained
    uint64_t mesh;      // the vertex and index arrays every kMeshEvery frames, chained
};

// The first level (one string), the first with four strings, and the
// four-string level with the most particles.
// clang-format off
constexpr Golden kGolden[] = {
    // level strings positions               mesh
    {0,     1,      0xe7bf043dac6285f0ull, 0x2697df6dda093b3cull},
    {10,    4,      0xa540726da5a43d1cull, 0xed4f30357e5fbe80ull},
    {73,    4,      0x991370176b306beeull, 0x4c91a815e11f2a08ull},
};
// clang-format on
static_assert(std::size(kGolden) == 3);

// Names the level in gtest's messages instead of dumping the record's bytes.
void PrintTo(const Golden& golden, std::ostream* out) {
    *out << "level " << golden.level;
}

constexpr int kFrames = 300;
constexpr int kMeshEvery = 30;   // a whole mesh is ~1 MB: every frame would be slow under the sanitizers
constexpr float kRadius = 36.0f; // touch radius, pixels

struct Hashes {
    uint64_t positions = kFnvOffset;
    uint64_t mesh = kFnvOffset;
};

// The level's run, driven the way the game controller drives it: the touch
// handlers between frames, the play step at the start of each frame, then
// the models in list order, the cord-mesh model's meshing (without its GL
// upload) after the grid.
class DeterminismTest : public CatalogueSuite<HeadFixture>, public ::testing::WithParamInterface<Golden> {
protected:
    void SetUp() override {
        CatalogueSuite::SetUp();
        catalogue->level = GetParam().level;
    }

    // The golden values hold for the device profile a plain run picks; a
    // tester standing in for another device (VELMORA_DEVICE) gets another
    // touch radius and tube texture scale.
    static bool defaultDevice() {
        namespace id = ZQ::DeviceIdentification;
        const uint32_t type = id::platformTypeFor(id::kDefaultIdentifier, id::kMainScreenWidthPoints);
        return &ZQ::DeviceProfile::get() == &ZQ::DeviceProfile::forPlatformType(type);
    }

    Hashes play(int meshThreads) {
        ZQ::seedRandom(kTestSeed);
        ZQ::Cord* knot = catalogue->currentLevel().cord;
        EXPECT_EQ(knot->strings, GetParam().strings);
        cord->loadCord(*knot, catalogue->currentLevel().cordSettings());
        cord->measureEnergies();
        cord->instance->radius = 1.0f / ZQ::gGlobals.worldScale; // the tube at full size
        ZQ::ShadowModel mesh(meshThreads);
        mesh.loadJobs(cord->segments);
        ZQ::GraspFactoryDriver driver(grasps);
        driver.setUp();
        Hashes hashes;
        for (int f = 0; f < kFrames; ++f) {
            script(driver, f);
            ++ZQ::gGlobals.frameCount;
            driver.step();
            frame();
            mesh.meshJobs();
            if (f == 0) {
                heads.createHeads(); // as on the player's first grasp
            }
            hashes.positions = fnv1a(hashes.positions, world->getPositions(),
                                     sizeof(PVRTVec3) * static_cast<size_t>(world->getParticleCount()));
            if ((f + 1) % kMeshEvery == 0) {
                const ZQ::MeshBuffer& buffer = mesh.getBuffer();
                hashes.mesh = fnv1a(hashes.mesh, buffer.vertices, buffer.vertexBytes);
                hashes.mesh = fnv1a(hashes.mesh, buffer.indices, buffer.indexBytes);
            }
        }
        driver.tearDown();
        return hashes;
    }

    // The finger takes the middle of the first string at frame 40 and pulls
    // it up and to the right for two seconds, then the middle of the last
    // string at frame 160, pulled left.
    void script(ZQ::GraspFactoryDriver& driver, int f) {
        const auto grab = [&](const ZQ::CordModel::Segment& s) {
            finger = cord->screenPositions[(s.first + s.last) / 2];
            EXPECT_NE(driver.touchBegan(finger, kRadius, false), nullptr) << "frame " << f;
        };
        if (f == 40) {
            grab(cord->segments.front());
        } else if (f > 40 && f <= 100) {
            finger += PVRTVec2(2.0f, 3.0f);
            driver.touchMoved(finger, kRadius);
        } else if (f == 130) {
            driver.touchEnded(finger);
        } else if (f == 160) {
            grab(cord->segments.back());
        } else if (f > 160 && f <= 220) {
            finger += PVRTVec2(-4.0f, 0.0f);
            driver.touchMoved(finger, kRadius);
        } else if (f == 250) {
            driver.touchEnded(finger);
        }
    }

    PVRTVec2 finger;
};

TEST(Fnv1aTest, MatchesThePublishedVectors) {
    EXPECT_EQ(fnv1a(kFnvOffset, "", 0), 0xcbf29ce484222325ull);
    EXPECT_EQ(fnv1a(kFnvOffset, "a", 1), 0xaf63dc4c8601ec8cull);
    EXPECT_EQ(fnv1a(kFnvOffset, "foobar", 6), 0x85944171f73967e8ull);
    // Continuing a hash is hashing the joined bytes.
    EXPECT_EQ(fnv1a(fnv1a(kFnvOffset, "foo", 3), "bar", 3), 0x85944171f73967e8ull);
}

TEST_P(DeterminismTest, ASeededRunGivesTheGoldenHashesOnOneMeshThreadAndOnTwo) {
    if (!defaultDevice()) {
        GTEST_SKIP() << "VELMORA_DEVICE picks another device profile; the golden hashes hold for the default";
    }
    const Golden& golden = GetParam();
    for (int threads : {1, 2}) {
        if (threads == 2) {
            // Everything from scratch: world, camera, cord, grasps, grid and heads.
            TearDown();
            SetUp();
        }
        const Hashes hashes = play(threads);
        EXPECT_EQ(hashes.positions, golden.positions)
            << "level " << golden.level << ", " << threads << " mesh thread(s): positions hash 0x" << std::hex
            << hashes.positions << "; after a deliberate change, put it in kGolden";
        EXPECT_EQ(hashes.mesh, golden.mesh)
            << "level " << golden.level << ", " << threads << " mesh thread(s): mesh hash 0x" << std::hex
            << hashes.mesh << "; after a deliberate change, put it in kGolden";
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, DeterminismTest, ::testing::ValuesIn(kGolden),
                         [](const ::testing::TestParamInfo<Golden>& info) {
                             return "Level" + std::to_string(info.param.level);
                         });

} // namespace
