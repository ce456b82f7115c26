#include "HeadFixture.h"
#include "cords/HeadCollection.h"
#include "cords/HeadMoves.h"
#include "engine/Composite.h"
#include "engine/Decorators.h"
#include "engine/Random.h"

#include <cmath>

namespace {

using ZQ::Action;
using ZQ::HeadInstance;

using HeadModelTest = HeadFixture;

enum class Tree { Roaming, Hunting, Resting, Calm, Grabbed, Other };

Tree treeKind(const Action* root) {
    if (dynamic_cast<const ZQ::HeadGrabbedAction*>(root) != nullptr) {
        return Tree::Grabbed;
    }
    if (dynamic_cast<const ZQ::Limit*>(root) != nullptr) {
        return Tree::Resting;
    }
    if (dynamic_cast<const ZQ::Loop*>(root) != nullptr) {
        return Tree::Calm;
    }
    if (const auto* selector = dynamic_cast<const ZQ::Selector*>(root)) {
        const Action* first = selector->getChildren().front();
        if (dynamic_cast<const ZQ::Conditional*>(first) != nullptr) {
            return Tree::Roaming;
        }
        if (dynamic_cast<const ZQ::Parallel*>(first) != nullptr) {
            return Tree::Hunting;
        }
    }
    return Tree::Other;
}

TEST_F(HeadModelTest, CreateHeadsPutsTwoHeadsOnEveryStringInOrder) {
    placeLines(2, 5, kTangled, kTangled);
    heads.createHeads();
    ASSERT_EQ(heads.heads.size(), 4u);
    const int expected[4][4] = {{0, 0, 1, 0}, {0, 4, 3, 1}, {1, 5, 6, 0}, {1, 9, 8, 1}};
    for (int i = 0; i < 4; ++i) {
        const HeadInstance& h = head(i);
        EXPECT_EQ(h.segmentIndex, expected[i][0]) << i;
        EXPECT_EQ(h.headParticle, expected[i][1]) << i;
        EXPECT_EQ(h.neckParticle, expected[i][2]) << i;
        EXPECT_EQ(h.side, expected[i][3]) << i;
        EXPECT_EQ(h.target, nullptr);
        EXPECT_EQ(h.chosenParticle, -1);
        EXPECT_FALSE(h.calm || h.grabbed || h.fear);
        // Agitated and free: one of the three drawn trees, bound and reset.
        const Tree kind = treeKind(h.getAction());
        EXPECT_TRUE(kind == Tree::Roaming || kind == Tree::Hunting || kind == Tree::Resting) << i;
        EXPECT_EQ(h.getAction()->getCloudlet(), &h);
        EXPECT_EQ(h.getAction()->getState(), Action::NotStarted);
    }
    EXPECT_TRUE(headEvents.released.empty());
    EXPECT_EQ(headEvents.grabbed, 0);
    EXPECT_EQ(heads.sight.size(), 4);

    std::vector<ZQ::Cloudlet*> listed;
    heads.getCloudlets(listed);
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[3], &head(3));
}

TEST_F(HeadModelTest, AStringThatStartedUntangledIsCalmFromCreation) {
    // One string: the threshold is 1.35, and a start at it is never agitated.
    placeLines(1, 6, 1.35f, 1.35f);
    heads.createHeads();
    ASSERT_EQ(headEvents.released.size(), 2u);
    EXPECT_EQ(headEvents.released[0], &head(0));
    EXPECT_EQ(headEvents.released[1], &head(1));
    EXPECT_TRUE(head(0).calm && head(1).calm);
    EXPECT_EQ(treeKind(head(0).getAction()), Tree::Calm);
}

TEST_F(HeadModelTest, AgitationIsTenPercentOfTheStartExcess) {
    placeLines(1, 4, kTangled, 2.35f); // one string: excess 1.0 over 1.35
    EXPECT_TRUE(ZQ::HeadModel::isAgitated(*cord, 0));
    cord->energy[0] = 1.46f; // t = 0.11
    EXPECT_TRUE(ZQ::HeadModel::isAgitated(*cord, 0));
    cord->energy[0] = 1.44f; // t = 0.09
    EXPECT_FALSE(ZQ::HeadModel::isAgitated(*cord, 0));
    cord->energy[0] = 0.5f; // below the threshold: t clamps to 0
    EXPECT_FALSE(ZQ::HeadModel::isAgitated(*cord, 0));
    cord->energy[0] = 9.0f; // beyond the start: still agitated
    EXPECT_TRUE(ZQ::HeadModel::isAgitated(*cord, 0));
    cord->startEnergy[0] = 1.3f;
    EXPECT_FALSE(ZQ::HeadModel::isAgitated(*cord, 0));
}

TEST_F(HeadModelTest, SeveralStringsMeasureAgitationFromOne) {
    placeLines(2, 4, kTangled, 3.0f); // excess 2.0 over 1.0
    cord->energy[1] = 1.21f;          // t = 0.105
    EXPECT_TRUE(ZQ::HeadModel::isAgitated(*cord, 1));
    cord->energy[1] = 1.19f; // t = 0.095
    EXPECT_FALSE(ZQ::HeadModel::isAgitated(*cord, 1));
    cord->startEnergy[1] = 1.0f;
    cord->energy[1] = 5.0f;
    EXPECT_FALSE(ZQ::HeadModel::isAgitated(*cord, 1));
}

TEST_F(HeadModelTest, GrabAndFearThresholdsCountParticlesFromTheHead) {
    placeLines(1, 20, kTangled, kTangled); // heads at 0 and 19; half the string is 10
    heads.createHeads();
    struct Case {
        std::set<int> held;
        bool grabbed0, fear0, grabbed1, fear1;
    };
    const Case cases[] = {
        {{2}, true, false, false, true},     // two from head 0; seventeen from head 1
        {{3}, false, false, false, true},    // the fourth particle is no grab
        {{11}, false, true, false, false},   // eleven away scares; eight does not
        {{10}, false, false, false, false},  // ten away is no fear; nine neither
        {{17}, false, true, true, false},    // two from head 1
        {{2, 18}, true, false, false, true}, // both heads go by the lower particle
        {{}, false, false, false, false},
    };
    for (const Case& c : cases) {
        release();
        if (!c.held.empty()) {
            hold(c.held);
        }
        heads.doStep();
        const int first = c.held.empty() ? -1 : *c.held.begin();
        EXPECT_EQ(head(0).grabbed, c.grabbed0) << "holding " << first;
        EXPECT_EQ(head(0).fear, c.fear0) << "holding " << first;
        EXPECT_EQ(head(1).grabbed, c.grabbed1) << "holding " << first;
        EXPECT_EQ(head(1).fear, c.fear1) << "holding " << first;
    }
}

TEST_F(HeadModelTest, ParticlesOfOtherStringsNeitherGrabNorScare) {
    placeLines(2, 20, kTangled, kTangled);
    heads.createHeads();
    hold({21, 39}); // string 1, near its own heads only
    heads.doStep();
    EXPECT_FALSE(head(0).grabbed || head(0).fear || head(1).grabbed || head(1).fear);
    EXPECT_TRUE(head(2).grabbed);
    EXPECT_TRUE(head(3).fear); // 21 is the lower particle: 18 from head 3
}

TEST_F(HeadModelTest, AGrabRePlansAtOnceAndTheReleaseOnlyAfterTheGrabbedActionEnds) {
    placeLines(1, 20, kTangled, kTangled);
    heads.createHeads();
    head(0).setAction(ZQ::HeadCollection::restingTree()); // a tree that runs for 61 frames
    heads.doStep();
    ASSERT_EQ(head(0).getAction()->getState(), Action::Running);

    hold({1});
    const int32_t before = world->getTmpForceCount();
    heads.doStep();
    Action* grabbedRoot = head(0).getAction();
    EXPECT_EQ(treeKind(grabbedRoot), Tree::Grabbed);
    EXPECT_EQ(headEvents.grabbed, 1);
    // The grabbed action saw this frame's flag and kicked head 0 once.
    const auto queued = queuedForces();
    int kicks = 0;
    for (size_t k = static_cast<size_t>(before); k < queued.size(); ++k) {
        if (queued[k].first == 0) {
            ++kicks;
            EXPECT_NEAR(queued[k].second.length(), 10.0f, 1e-4f);
        }
    }
    EXPECT_EQ(kicks, 1);

    heads.doStep(); // still held: no new plan
    EXPECT_EQ(head(0).getAction(), grabbedRoot);
    EXPECT_EQ(headEvents.grabbed, 1);

    release();
    heads.doStep(); // the grabbed action ends itself; no plan yet
    EXPECT_EQ(head(0).getAction(), grabbedRoot);
    EXPECT_EQ(grabbedRoot->getState(), Action::Success);
    EXPECT_FALSE(head(0).grabbed);

    heads.doStep(); // the finished tree is replaced by a drawn one
    const Tree kind = treeKind(head(0).getAction());
    EXPECT_TRUE(kind == Tree::Roaming || kind == Tree::Hunting || kind == Tree::Resting);
    EXPECT_EQ(headEvents.grabbed, 1);
}

TEST_F(HeadModelTest, HeadsCalmDownForGoodWhenTheirStringComesDown) {
    placeLines(2, 10, kTangled, kTangled);
    heads.createHeads();
    heads.doStep();
    cord->energy[1] = 1.1f; // t = 0.05
    heads.doStep();
    ASSERT_EQ(headEvents.released.size(), 2u);
    EXPECT_EQ(headEvents.released[0], &head(2));
    EXPECT_EQ(headEvents.released[1], &head(3));
    EXPECT_TRUE(head(2).calm && head(3).calm);
    EXPECT_FALSE(head(0).calm || head(1).calm);
    EXPECT_EQ(treeKind(head(2).getAction()), Tree::Calm);
    const Action* calmRoot = head(2).getAction();
    for (int f = 0; f < 300; ++f) {
        heads.doStep();
    }
    EXPECT_EQ(head(2).getAction(), calmRoot); // the calm tree never finishes
    EXPECT_EQ(headEvents.released.size(), 2u);

    // Tangled again and grabbed: it struggles but stays calm.
    cord->energy[1] = kTangled;
    hold({11});
    heads.doStep();
    EXPECT_EQ(treeKind(head(2).getAction()), Tree::Grabbed);
    EXPECT_TRUE(head(2).calm);
    EXPECT_EQ(headEvents.grabbed, 1);

    // Untangled and grabbed anew: a fresh calm tree and the event again.
    release();
    heads.doStep();
    cord->energy[1] = 1.0f;
    hold({11});
    heads.doStep();
    EXPECT_EQ(treeKind(head(2).getAction()), Tree::Calm);
    EXPECT_EQ(headEvents.released.size(), 3u);
}

TEST_F(HeadModelTest, TheDrawPicksTheTreeByTheRandomValueModuloThree) {
    placeLines(1, 6, kTangled, kTangled);
    heads.createHeads();
    bool seen[3] = {false, false, false};
    for (uint64_t seed = 1; seed < 40; ++seed) {
        ZQ::seedRandom(seed);
        const uint32_t r = ZQ::arc4random();
        ZQ::seedRandom(seed);
        heads.chooseBehaviour(head(0));
        const Tree expected[3] = {Tree::Roaming, Tree::Hunting, Tree::Resting};
        EXPECT_EQ(treeKind(head(0).getAction()), expected[r % 3]) << "seed " << seed;
        seen[r % 3] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
}

TEST_F(HeadModelTest, AnEmptyListClearsTheSightAndStops) {
    placeLines(1, 6, kTangled, kTangled);
    heads.createHeads();
    heads.doStep();
    ASSERT_EQ(heads.sight.size(), 2);
    heads.clearHeads();
    hold({2});
    heads.doStep();
    EXPECT_EQ(heads.sight.size(), 0);
    EXPECT_FALSE(heads.sight(0, 1));
}

TEST_F(HeadModelTest, APausedModelTicksNothing) {
    placeLines(1, 6, kTangled, kTangled);
    heads.createHeads();
    heads.pause();
    heads.doStep();
    EXPECT_EQ(head(0).getAction()->getState(), Action::NotStarted);
    EXPECT_EQ(world->getTmpForceCount(), 0);
    heads.resume();
    heads.doStep();
    EXPECT_NE(head(0).getAction()->getState(), Action::NotStarted);
}

TEST_F(HeadModelTest, CreatingHeadsTwiceAppendsAndTheSightGrowsWithTheList) {
    placeLines(4, 6, kTangled, kTangled);
    heads.createHeads();
    heads.createHeads(); // a tutorial step after the game flow: 16 heads, twice the strings' limit
    ASSERT_EQ(heads.heads.size(), 16u);
    EXPECT_EQ(heads.sight.size(), 16);
    EXPECT_EQ(head(8).headParticle, head(0).headParticle);
    for (int f = 0; f < 30; ++f) {
        frame();
        ASSERT_EQ(heads.sight.size(), 16);
        // The second batch shares particles with the first, so it sees the
        // same as its twin and never the twin itself (they share a cell).
        for (int i = 0; i < 8; ++i) {
            EXPECT_FALSE(heads.sight(i, i + 8));
        }
    }
}

TEST_F(HeadModelTest, TheModelDeletesTheHeadsItStillListsWhenItGoes) {
    placeLines(1, 6, kTangled, kTangled);
    // A root action that tells when its head deletes it.
    struct Witness : Action {
        explicit Witness(bool& flag) : deleted(flag) {}
        ~Witness() override { deleted = true; }
        bool& deleted;
    };
    auto* model = new ZQ::HeadModel();
    ZQ::gGlobals.headModel = model;
    model->createHeads();
    ASSERT_EQ(model->heads.size(), 2u);
    bool deleted = false;
    model->heads[1]->setAction(new Witness(deleted));
    delete model;
    EXPECT_TRUE(deleted);
    ZQ::gGlobals.headModel = &heads;
}

} // namespace
