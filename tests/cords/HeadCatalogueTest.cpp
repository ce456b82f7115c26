#include "HeadFixture.h"
#include "cords/HeadCollection.h"
#include "engine/Random.h"
#include "levels/LevelModel.h"
#include "support/CatalogueSuite.h"

#include <cmath>

namespace {

// The last level of four strings and the most particles: eight heads.
constexpr int kFourStringLevel = 73;

// A catalogue level played with its heads: the cord laid, settled and live,
// the heads created as on the player's first grasp, and every model stepped
// in the engine's order. Now and then the "player" holds a particle for a
// second: next to a head (a grab), in the middle of a string (fear) or
// anywhere.
class HeadCatalogueTest : public CatalogueSuite<HeadFixture> {
protected:
    void SetUp() override {
        CatalogueSuite::SetUp();
        catalogue->level = kFourStringLevel;
    }

    void startLevel(uint64_t seed) {
        ZQ::seedRandom(seed);
        ZQ::Cord* knot = catalogue->currentLevel().cord;
        ASSERT_NE(knot, nullptr);
        ASSERT_EQ(knot->strings, 4);
        cord->loadCord(*knot, catalogue->currentLevel().cordSettings());
        cord->measureEnergies();
        frame();
        heads.createHeads();
    }

    // The particle the player holds in this frame, or -1.
    int heldParticle(int f) {
        const int phase = f % 90;
        if (phase >= 30) {
            return -1;
        }
        if (phase == 0) {
            const ZQ::CordModel::Segment& s = cord->segments[ZQ::arc4random_uniform(4)];
            switch (ZQ::arc4random_uniform(3)) {
            case 0:
                holding = s.first + 1;
                break;
            case 1:
                holding = (s.first + s.last) / 2;
                break;
            default:
                holding = s.first + static_cast<int>(ZQ::arc4random_uniform(s.last - s.first + 1));
                break;
            }
        }
        return holding;
    }

    void playFrame(int f) {
        const int p = heldParticle(f);
        if (p >= 0) {
            // A drag lives two frames; the finger keeps it alive and pulls
            // the particle 40 pixels to the right of where it is shown.
            const PVRTVec2 finger = cord->screenPositions[p] + PVRTVec2(40.0f, 0.0f);
            grasps.admit(new ZQ::DragGrasp({p}, p, 1, finger));
        }
        frame();
    }

    int holding = -1;
};

TEST_F(HeadCatalogueTest, ThreeThousandFramesWithHeadsStayFinite) {
    startLevel(20261207);
    ASSERT_EQ(heads.heads.size(), 8u);
    int drawn = 0;
    const ZQ::Action* roots[8] = {};
    for (int f = 0; f < 3000; ++f) {
        playFrame(f);
        const PVRTVec3* p = world->getPositions();
        for (int i = 0; i < world->getParticleCount(); ++i) {
            ASSERT_TRUE(finite(p[i])) << "frame " << f << " particle " << i;
        }
        for (float e : cord->energy) {
            ASSERT_TRUE(std::isfinite(e)) << "frame " << f;
        }
        ASSERT_EQ(heads.sight.size(), 8);
        for (int h = 0; h < 8; ++h) {
            if (heads.heads[h]->getAction() != roots[h]) {
                roots[h] = heads.heads[h]->getAction();
                ++drawn;
            }
        }
    }
    // The heads lived: they re-planned many times and struggled when held.
    EXPECT_GT(drawn, 100);
    EXPECT_GT(headEvents.grabbed, 0);
}

TEST_F(HeadCatalogueTest, ASeededRunIsRepeatable) {
    std::vector<PVRTVec3> first;
    for (int run = 0; run < 2; ++run) {
        if (run == 1) {
            // Everything from scratch: world, camera, cord, grid and heads.
            TearDown();
            SetUp();
        }
        startLevel(7);
        for (int f = 0; f < 300; ++f) {
            playFrame(f);
        }
        const std::vector<PVRTVec3> positions(world->getPositions(),
                                              world->getPositions() + world->getParticleCount());
        if (run == 0) {
            first = positions;
        } else {
            ASSERT_EQ(positions.size(), first.size());
            for (size_t i = 0; i < positions.size(); ++i) {
                ASSERT_TRUE(positions[i] == first[i]) << "particle " << i;
            }
        }
    }
}

} // namespace
