#include "CordModelFixture.h"

namespace {

using CordModelRulesTest = CordModelFixture;

class OneStringRules : public CordModelFixture {
protected:
    void withEnergy(float e) {
        placeParticles({PVRTVec3(0, 0, 0), PVRTVec3(2, 0, 0), PVRTVec3(4, 0, 0), PVRTVec3(6, 0, 0)},
                       {{0, 3, 0}});
        cord->energyFlag = false;
        cord->energy = {e};
    }
};

TEST_F(OneStringRules, JustBelowTheUpperThresholdIsAlmostSolved) {
    withEnergy(2.024f);
    cord->doStep();
    EXPECT_EQ(events.almostSolved, 1);
    EXPECT_EQ(events.solved, 0);
    EXPECT_FALSE(cord->solved);
}

TEST_F(OneStringRules, OnTheUpperThresholdNothingIsRaised) {
    withEnergy(2.025f);
    cord->doStep();
    EXPECT_EQ(events.almostSolved + events.solved, 0);
    EXPECT_FALSE(cord->solved);
}

TEST_F(OneStringRules, OnTheSolvedThresholdItIsOnlyAlmostSolved) {
    withEnergy(1.35f);
    cord->doStep();
    EXPECT_EQ(events.almostSolved, 1);
    EXPECT_EQ(events.solved, 0);
    EXPECT_FALSE(cord->solved);
}

TEST_F(OneStringRules, BelowTheSolvedThresholdItIsSolvedEveryFrame) {
    withEnergy(1.3499f);
    for (int i = 0; i < 4; ++i) {
        cord->doStep();
    }
    EXPECT_EQ(events.solved, 4);
    EXPECT_EQ(events.almostSolved, 0);
    EXPECT_TRUE(cord->solved);
    // Solved is recomputed every frame.
    cord->energy = {1.5f};
    cord->doStep();
    EXPECT_FALSE(cord->solved);
}

class ThreeStringRules : public CordModelFixture {
protected:
    void withEnergies(std::vector<float> e) {
        std::vector<PVRTVec3> points;
        for (int i = 0; i < 12; ++i) {
            points.emplace_back(3.0f * i, 0.0f, 0.0f);
        }
        placeParticles(points, {{0, 3, 0}, {4, 7, 1}, {8, 11, 2}});
        cord->energyFlag = false;
        cord->energy = std::move(e);
        cord->doStep();
    }
};

TEST_F(ThreeStringRules, TheLastStringIsNotConsulted) {
    withEnergies({1.2f, 1.2f, 0.5f});
    EXPECT_EQ(events.almostSolved, 1);
    EXPECT_EQ(events.solved, 0);
}

TEST_F(ThreeStringRules, OneStringBelowTheBandIsNeitherSolvedNorAlmost) {
    withEnergies({0.9f, 1.2f, 1.2f});
    EXPECT_EQ(events.almostSolved + events.solved, 0);
    EXPECT_FALSE(cord->solved);
}

TEST_F(ThreeStringRules, AllBelowOneIsSolved) {
    withEnergies({0.9f, 0.8f, 0.9f});
    EXPECT_EQ(events.solved, 1);
    EXPECT_EQ(events.almostSolved, 0);
    EXPECT_TRUE(cord->solved);
}

TEST_F(ThreeStringRules, TheBandIncludesItsBounds) {
    withEnergies({1.0f, 1.5f, 9.0f});
    EXPECT_EQ(events.almostSolved, 1);
    EXPECT_FALSE(cord->solved);
}

TEST_F(CordModelRulesTest, OneStringEnergyIsTheMeanCrowdingBeyondTheNeighbours) {
    // Five particles 2 apart: S0 = 4/16 + 4/36 + 4/64, S1 = 4/16 + 4/36,
    // S2 = 4/16, averaged over the three.
    placeParticles(
        {PVRTVec3(0, 0, 0), PVRTVec3(2, 0, 0), PVRTVec3(4, 0, 0), PVRTVec3(6, 0, 0), PVRTVec3(8, 0, 0)},
        {{0, 4, 0}});
    cord->updateEnergies();
    const double expected = (0.25 + 1.0 / 9.0 + 0.0625 + 0.25 + 1.0 / 9.0 + 0.25) / 3.0;
    EXPECT_NEAR(cord->energy[0], expected, 1e-6);
}

TEST_F(CordModelRulesTest, PairEnergyIsNormalisedByTheLaterStringsSpan) {
    // String 0: (0,0) and (0,2); string 1: (2,0), (2,2), (2,4).
    // Pair sum = 1 + 0.5 + 0.5 + 1 + 0.2 + 0.5 = 3.7, over string 1's span 2.
    placeParticles(
        {PVRTVec3(0, 0, 0), PVRTVec3(0, 2, 0), PVRTVec3(2, 0, 0), PVRTVec3(2, 2, 0), PVRTVec3(2, 4, 0)},
        {{0, 1, 0}, {2, 4, 1}});
    cord->updateEnergies();
    EXPECT_NEAR(cord->energy[0], 1.85f, 1e-5f);
    EXPECT_EQ(cord->energy[0], cord->energy[1]);
}

TEST_F(CordModelRulesTest, EachStringTakesItsWorstContact) {
    // Strings 0 and 1 touch; string 2 is far from both.
    placeParticles({PVRTVec3(0, 0, 0), PVRTVec3(0, 2, 0), PVRTVec3(2, 0, 0), PVRTVec3(2, 2, 0),
                    PVRTVec3(2, 4, 0), PVRTVec3(100, 0, 0), PVRTVec3(100, 2, 0)},
                   {{0, 1, 0}, {2, 4, 1}, {5, 6, 2}});
    cord->updateEnergies();
    EXPECT_NEAR(cord->energy[0], 1.85f, 1e-4f);
    EXPECT_NEAR(cord->energy[1], 1.85f, 1e-4f);
    EXPECT_LT(cord->energy[2], 0.01f);
    EXPECT_GT(cord->energy[2], 0.0f);
}

TEST_F(CordModelRulesTest, TwoStringsAlwaysShareOneEnergy) {
    auto knot = makeCord({PVRTVec3(0, 0, 0), PVRTVec3(10, 0, 0), PVRTVec3(10, 10, 2), PVRTVec3(0, 10, 0),
                          PVRTVec3(5, -2, 1), PVRTVec3(5, 14, -1)},
                         2, true);
    cord->loadCord(*knot);
    cord->measureEnergies();
    for (int i = 0; i < 30; ++i) {
        frame();
        ASSERT_EQ(cord->energy[0], cord->energy[1]);
    }
    EXPECT_GT(cord->energy[0], 0.0f);
}

TEST_F(CordModelRulesTest, MeasuringRecordsTheStartEnergies) {
    auto line = makeLine(30.0f);
    cord->loadCord(*line);
    EXPECT_EQ(cord->energy[0], 2.7f);
    cord->measureEnergies();
    EXPECT_TRUE(cord->energyFlag);
    EXPECT_NE(cord->energy[0], 2.7f);
    EXPECT_EQ(cord->startEnergy, cord->energy);
}

TEST_F(CordModelRulesTest, EnergiesStayPutWhileTheFlagIsClear) {
    placeParticles({PVRTVec3(0, 0, 0), PVRTVec3(2, 0, 0), PVRTVec3(4, 0, 0), PVRTVec3(6, 0, 0)}, {{0, 3, 0}});
    cord->energyFlag = false;
    cord->energy = {7.0f};
    cord->updateEnergies();
    EXPECT_EQ(cord->energy[0], 7.0f);
}

TEST_F(CordModelRulesTest, AStringTooShortForAPairMeasuresZero) {
    placeParticles({PVRTVec3(0, 0, 0), PVRTVec3(2, 0, 0)}, {{0, 1, 0}});
    cord->updateEnergies();
    EXPECT_EQ(cord->energy[0], 0.0f);
}

} // namespace
