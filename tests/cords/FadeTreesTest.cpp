#include "FadeFixture.h"
#include "cords/BraidActions.h"
#include "cords/BraidMeshWorker.h"
#include "cords/CordFades.h"
#include "engine/Composite.h"
#include "engine/Spot.h"
#include "engine/TweenActions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using ZQ::BraidInstance;
using Segment = ZQ::CordModel::Segment;

bool sameSegment(const Segment& a, const Segment& b) {
    return a.first == b.first && a.last == b.last && a.index == b.index;
}

// A test-only cord that is nearly straight: 56 world units with small bends,
// laid well inside the room. Untangled from the start, so it is solved as
// soon as its energies are measured.
std::unique_ptr<ZQ::Cord> nearlyStraightCord(int strings) {
    return makeCord({PVRTVec3(-28.0f, 0.0f, 0.0f), PVRTVec3(-10.0f, 0.6f, 0.0f), PVRTVec3(10.0f, -0.4f, 0.3f),
                     PVRTVec3(28.0f, 0.2f, 0.0f)},
                    strings, false);
}

// The sound calls of the fades, in order.
std::vector<std::string> cues(const RecordingSoundGateway& sound) {
    std::vector<std::string> out;
    for (const std::string& name : sound.names()) {
        if (name == "playStringIn" || name == "playStringOut") {
            out.push_back(name);
        }
    }
    return out;
}

ZQ::BraidMoveAction* moveOf(BraidInstance* braid) {
    auto* root = dynamic_cast<ZQ::Sequence*>(braid->getAction());
    if (root == nullptr || root->getChildren().size() != 2) {
        return nullptr;
    }
    auto* flight = dynamic_cast<ZQ::Parallel*>(root->getChildren()[0]);
    if (flight == nullptr || flight->getChildren().size() != 2 ||
        dynamic_cast<ZQ::FadeInAction*>(flight->getChildren()[0]) == nullptr ||
        dynamic_cast<ZQ::FadeOutAction*>(root->getChildren()[1]) == nullptr) {
        return nullptr;
    }
    return dynamic_cast<ZQ::BraidMoveAction*>(flight->getChildren()[1]);
}

class FadeTreesTest : public FadeFixture {
protected:
    void load(int strings, int level) {
        catalogue->level = level;
        knot = nearlyStraightCord(strings);
        cord->loadCord(*knot, catalogue->currentLevel().cordSettings());
        cord->instance->layout.position = PVRTVec3(7.0f, 8.0f, 9.0f);
    }
    // Faded in and live.
    void loadLive(int strings, int level) {
        load(strings, level);
        cord->fadeIn();
        ASSERT_GT(runCordTree(), 0);
    }

    std::unique_ptr<ZQ::Cord> knot;
};

TEST_F(FadeTreesTest, TheFadeInCuesItsSoundAtTheCordThenLightsTheRoomAndGrowsTheTube) {
    load(1, 0);
    camera.spot->pair = PVRTVec2(1.0f, 0.8f);
    camera.spot->third = 0.5f;
    cord->fadeIn();
    for (int f = 1; f <= 30; ++f) {
        frame();
    }
    EXPECT_EQ(sound.count("playStringIn"), 0u);
    frame(); // 31
    ASSERT_EQ(sound.count("playStringIn"), 1u);
    EXPECT_EQ(sound.last("playStringIn").args, (std::vector<double>{7, 8, 9}));
    for (int f = 32; f <= 40; ++f) {
        frame();
    }
    EXPECT_EQ(cord->instance->radius, 0.0f);
    EXPECT_EQ(camera.spot->pair.y, 0.8f);
    frame(); // 41: the spot pops in and the tube starts
    EXPECT_GT(cord->instance->radius, 0.0f);
    for (int f = 42; f <= 60; ++f) {
        frame();
    }
    EXPECT_EQ(camera.spot->pair, PVRTVec2(1.0f, 1.0f));
    EXPECT_EQ(camera.spot->third, 1.0f);
}

TEST_F(FadeTreesTest, EnergiesGoLiveOnlyWhenTheTubeIsWhole) {
    load(2, 1);
    cord->fadeIn();
    int frames = 0;
    while (!cord->instance->getAction()->isFinished() && frames < 200) {
        EXPECT_FALSE(cord->energyFlag);
        EXPECT_EQ(cord->energy, (std::vector<float>{2.7f, 2.7f})) << "frame " << frames;
        frame();
        ++frames;
    }
    EXPECT_EQ(frames, 40 + 62) << "the wait, then the 62 runs of the growth";
    EXPECT_EQ(events.solved, 0) << "no solved event while fading in";
    EXPECT_TRUE(cord->energyFlag);
    EXPECT_EQ(cord->instance->radius, 1.0f / ZQ::gGlobals.worldScale);
    ASSERT_EQ(cord->startEnergy.size(), 2u);
    EXPECT_EQ(cord->startEnergy, cord->energy) << "the start energies are the first measured ones";
    EXPECT_LT(cord->energy[0], 2.7f);
    EXPECT_EQ(cord->energy[0], cord->energy[1]);
}

TEST_F(FadeTreesTest, ANearlyStraightCordFadedInAndSteppedIsSolved) {
    load(1, 0);
    cord->fadeIn();
    int firstSolved = -1;
    int treeEnd = -1;
    for (int f = 1; f <= 150; ++f) {
        frame();
        if (treeEnd < 0 && cord->instance->getAction()->isFinished()) {
            treeEnd = f;
        }
        if (firstSolved < 0 && events.solved > 0) {
            firstSolved = f;
        }
    }
    ASSERT_GT(treeEnd, 0);
    ASSERT_GT(firstSolved, 0) << "onSolved was never raised";
    EXPECT_EQ(firstSolved, treeEnd + 1) << "the rule fires from the frame after the fade-in";
    EXPECT_TRUE(cord->solved);
}

TEST_F(FadeTreesTest, AnUnsolvedLevelFadesOutWithItsCueAndNoBraid) {
    loadLive(1, 0);
    cord->solved = false;
    cord->fadeOut();
    for (int f = 1; f <= 70; ++f) {
        frame();
        cord->solved = false; // the level ended unsolved, whatever the cord does now
    }
    EXPECT_EQ(sound.count("playStringOut"), 0u);
    frame(); // 71
    ASSERT_EQ(sound.count("playStringOut"), 1u);
    EXPECT_EQ(sound.last("playStringOut").args, (std::vector<double>{7, 8, 9}));
    const int rest = runCordTree();
    EXPECT_EQ(71 + rest, 30 + 62 + 30) << "pause, shrink, pause";
    EXPECT_EQ(cord->instance->radius, 0.0f);
    EXPECT_TRUE(braids->isEmpty());
    EXPECT_EQ(braidWorld->getParticleCount(), 0);
    EXPECT_EQ(cues(sound), (std::vector<std::string>{"playStringIn", "playStringOut"}));
}

TEST_F(FadeTreesTest, ASolvedFadeOutTurnsEveryStringIntoABraidThatFliesOff) {
    loadLive(2, 1);
    for (int f = 0; f < 5 && !cord->solved; ++f) {
        frame();
    }
    ASSERT_TRUE(cord->solved);
    cord->fadeOut();
    for (int f = 1; f <= 91; ++f) {
        frame();
    }
    EXPECT_TRUE(braids->isEmpty()) << "no braid before the tube is gone";
    frame(); // 92: the shrink succeeds and the strings turn into braids
    ASSERT_EQ(braids->getBraids().size(), 2u);
    ASSERT_EQ(braids->segments.size(), 2u);
    EXPECT_TRUE(sameSegment(braids->segments[0], {0, 2, 0}));
    EXPECT_TRUE(sameSegment(braids->segments[1], {3, 5, 1}));
    const std::vector<ZQ::LevelModel::Material>& materials = catalogue->levels[1].cordMaterials;
    int k = 0;
    for (BraidInstance* braid : braids->getBraids()) {
        EXPECT_EQ(braid->material.warm, materials[static_cast<size_t>(k)].warm);
        EXPECT_EQ(braid->material.cool, materials[static_cast<size_t>(k)].cool);
        EXPECT_NE(moveOf(braid), nullptr) << "fade in while flying, then fade out";
        ++k;
    }
    EXPECT_EQ(braids->getWorkers().size(), 2u);
    EXPECT_EQ(cord->count, world->getParticleCount()) << "the cord's own particles stay";

    // The braids fly off, fade and are gone; the braid world is emptied.
    int frames = 0;
    while (!braids->isEmpty() && frames < 600) {
        frame();
        ++frames;
    }
    EXPECT_TRUE(braids->isEmpty());
    EXPECT_EQ(braidWorld->getParticleCount(), 0);
    EXPECT_EQ(cues(sound), (std::vector<std::string>{"playStringIn", "playStringOut"}));
    EXPECT_EQ(sound.last("playStringOut").args, (std::vector<double>{7, 8, 9}));
}

class BraidConversionTest : public FadeFixture {
protected:
    // Three strings whose first particles lie at the given points (world units).
    void placeStrings(const std::vector<PVRTVec3>& heads) {
        std::vector<Segment> strings;
        for (const PVRTVec3& head : heads) {
            const int first = world->getParticleCount();
            for (int i = 0; i < 3; ++i) {
                world->addParticle(head + PVRTVec3(2.0f * static_cast<float>(i), 0.0f, 0.0f));
            }
            strings.push_back({first, first + 2, static_cast<int>(strings.size())});
        }
        cord->segments = strings;
        cord->energy.assign(strings.size(), ZQ::CordModel::kLoadEnergy);
        cord->startEnergy = cord->energy;
    }
};

TEST_F(BraidConversionTest, BraidsStartAtTwiceTheStringHeadsAndAimAtTheRoomsCorners) {
    cord->settings = catalogue->levels[5].cordSettings(); // three cord materials
    placeStrings({PVRTVec3(-3.0f, 1.0f, 2.0f), PVRTVec3(4.0f, -2.0f, 0.0f), PVRTVec3(0.0f, 0.0f, -1.0f)});
    ZQ::convertStringsToBraids();
    ASSERT_EQ(braids->getBraids().size(), 3u);
    ASSERT_EQ(braidWorld->getParticleCount(), 9);
    EXPECT_EQ(braidWorld->getConstraintCount(), 6);
    const PVRTVec3 heads[] = {PVRTVec3(-6, 2, 4), PVRTVec3(8, -4, 0), PVRTVec3(0, 0, -2)};
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(braidWorld->getPosition(3 * k + i),
                      heads[k] + PVRTVec3(2.0f * static_cast<float>(i), 0, 0));
        }
    }
    const float h = ZQ::gGlobals.worldSize.y;
    // x: 20 times the sign of 2x + 6, so a head at x = -3 aims at 0; y: the
    // room's height times the sign of 2y.
    const PVRTVec3 targets[] = {PVRTVec3(0, h, 4), PVRTVec3(20, -h, 0), PVRTVec3(20, 0, -2)};
    int k = 0;
    for (BraidInstance* braid : braids->getBraids()) {
        ZQ::BraidMoveAction* move = moveOf(braid);
        ASSERT_NE(move, nullptr);
        EXPECT_EQ(move->getTarget(), targets[k]) << "braid " << k;
        EXPECT_EQ(braid->material.warm, catalogue->levels[5].cordMaterials[static_cast<size_t>(k)].warm);
        ++k;
    }
    EXPECT_EQ(braids->getWorkers().size(), 3u);
}

TEST_F(BraidConversionTest, ASecondSolvedCordWhileBraidsStillFlyAddsItsOwnParticles) {
    cord->settings = catalogue->levels[1].cordSettings();
    placeStrings({PVRTVec3(-3.0f, 1.0f, 2.0f), PVRTVec3(4.0f, -2.0f, 0.0f)});
    ZQ::convertStringsToBraids();
    frame();
    ZQ::convertStringsToBraids();
    ASSERT_EQ(braids->segments.size(), 4u);
    EXPECT_TRUE(sameSegment(braids->segments[2], {6, 8, 2}));
    EXPECT_TRUE(sameSegment(braids->segments[3], {9, 11, 3}));
    EXPECT_EQ(braidWorld->getParticleCount(), 12);
    EXPECT_EQ(braids->getWorkers().size(), 4u);
    EXPECT_EQ(braids->getMesh().vertexCount, 4 * 448);
    frame();
    EXPECT_EQ(braids->getMesh().ranges[3].firstIndex, 3 * 2604);
}

} // namespace
