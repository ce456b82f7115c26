#include "overlays/PointsModel.h"
#include "cords/GrainEmitter.h"
#include "overlays/CaptionCollection.h"
#include "overlays/HudFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using ZQ::PointsModel;

// Three bands: Bronze to 0.5, Silver to 0.8, Golden to 1.
const std::vector<std::pair<float, float>> kTable = {{0.5f, 2.0f}, {0.8f, 1.0f}, {1.0f, 0.0f}};

TEST(GradeBandsTest, EachFractionFallsInTheBandAboveItsLowerBound) {
    int32_t from = -1;
    int32_t to = -1;
    ZQ::findGradeBands(kTable, &from, &to, 0.3f, 0.6f);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 1);
    ZQ::findGradeBands(kTable, &from, &to, 0.5f, 0.8f);
    EXPECT_EQ(from, 0) << "a boundary belongs to the lower band";
    EXPECT_EQ(to, 1);
    ZQ::findGradeBands(kTable, &from, &to, 0.0f, 1.7f);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 2) << "more than the base points: the top band";
    ZQ::findGradeBands(kTable, &from, &to, -0.2f, 0.9f);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 2);
}

TEST(GradeBandsTest, BurstsCoverTheirBandsWithTheirMinimumGrains) {
    // No points at all: every band at its full width, and two grains in band 0.
    const std::vector<PVRTVec2> none =
        PointsModel::burstCurve(PointsModel::scoreShares(kTable, 0, 0.0f), 3, 1);
    ASSERT_EQ(none.size(), 3u);
    EXPECT_EQ(none[0], PVRTVec2(25.0f, 0.0f)) << "top band first: 0.2 of 128, material 3 - 1 - 2";
    EXPECT_EQ(none[1], PVRTVec2(25.0f + 38.0f, 1.0f));
    EXPECT_EQ(none[2], PVRTVec2(25.0f + 38.0f + 64.0f, 2.0f));
    const auto time = PointsModel::burstCurve(PointsModel::timeShares(kTable, 0, 0, 0.0f, 0.0f), 3, 2);
    ASSERT_EQ(time.size(), 1u);
    EXPECT_EQ(time[0], PVRTVec2(2.0f, 2.0f));
    // Across bands: the part above a, the bands between, the part below b;
    // the shares add up to b - a.
    const auto shares = PointsModel::timeShares(kTable, 0, 2, 0.25f, 0.9f);
    float sum = 0.0f;
    for (const auto& [band, share] : shares) {
        sum += share;
    }
    EXPECT_NEAR(sum, 0.65f, 1e-6f);
    EXPECT_NEAR(shares.front().second, 0.25f, 1e-6f);
    EXPECT_NEAR(shares.back().second, 0.1f, 1e-6f);
}

class PointsTest : public HudTest {};

// A burst's material curve worked out from the grade table directly: each
// band in `bands` gets 128 grains per unit of its overlap with (lo, hi], at
// least `minimum`, in the metal of its grade.
std::vector<PVRTVec2> expectedCurve(const std::vector<std::pair<float, float>>& table,
                                    const std::vector<int32_t>& bands, float lo, float hi, int32_t minimum) {
    std::vector<PVRTVec2> curve;
    float total = 0.0f;
    for (const int32_t k : bands) {
        const float lower = k == 0 ? 0.0f : table[static_cast<std::size_t>(k) - 1].first;
        const float upper = table[static_cast<std::size_t>(k)].first;
        const float overlap = std::min(upper, hi) - std::max(lower, lo);
        total += static_cast<float>(std::max(minimum, static_cast<int32_t>(overlap * 128.0f)));
        curve.emplace_back(total, table[static_cast<std::size_t>(k)].second);
    }
    return curve;
}

TEST_F(PointsTest, AShowOf816PointsThrowsItsGrainsAndCountsUpTo816) {
    catalogue.level = 0;
    points.basePoints = catalogue.basePoints();
    points.scorePoints = 500;
    points.timePoints = 316;
    points.levelPoints = 816;
    timer.show();
    score.show();
    points.flowId = -1;
    points.done = 0;
    points.animPoints(0);
    ASSERT_GE(points.flowId, 0);
    EXPECT_EQ(flows.letterCount(points.flowId), 10);
    step();
    EXPECT_EQ(gauges.gauges.size(), 1u) << "the first batch shows the gauge";
    std::vector<std::string> texts;
    // Each burst as it is thrown: its size and its material curve.
    std::vector<std::pair<int32_t, std::vector<PVRTVec2>>> bursts;
    std::vector<const ZQ::GrainEmitter*> flying;
    int frames = 0;
    while (points.done == 0) {
        step();
        ++frames;
        ASSERT_LT(frames, 1000);
        if (texts.empty() || texts.back() != label("points_value")) {
            texts.push_back(label("points_value"));
        }
        const std::vector<const ZQ::GrainEmitter*> now(grains.getEmitters().begin(),
                                                       grains.getEmitters().end());
        for (const ZQ::GrainEmitter* emitter : now) {
            ASSERT_LE(emitter->getMaxCount(), PointsModel::kMaxGrains);
            if (std::find(flying.begin(), flying.end(), emitter) == flying.end()) {
                bursts.emplace_back(emitter->getMaxCount(), *emitter->getMaterialCurve());
            }
        }
        flying = now;
    }
    // From the value passed in, to the play's part, to the level's points.
    const std::vector<std::string> expectedTexts = {ZQ::CaptionCollection::pointsValueText(0),
                                                    ZQ::CaptionCollection::pointsValueText(500),
                                                    ZQ::CaptionCollection::pointsValueText(816)};
    EXPECT_EQ(texts, expectedTexts);
    // Level 0's two bands: Silver up to 0.7, Golden to 1. The play's part
    // (500 / 1100) throws the grains of every band above it, the time's part
    // those between it and 816 / 1100.
    const std::vector<std::pair<float, float>> table = catalogue.gradeTable();
    ASSERT_EQ(table.size(), 2u);
    const float a = 500.0f / 1100.0f;
    const float b = 816.0f / 1100.0f;
    ASSERT_EQ(bursts.size(), 2u) << "a burst for the play's points and one for the time's";
    EXPECT_EQ(bursts[0].second, expectedCurve(table, {1, 0}, a, 1.0f, 1));
    EXPECT_EQ(bursts[0].first, static_cast<int32_t>(bursts[0].second.back().x));
    EXPECT_EQ(bursts[1].second, expectedCurve(table, {0, 1}, a, b, 2));
    EXPECT_EQ(bursts[1].first, static_cast<int32_t>(bursts[1].second.back().x));
    EXPECT_GE(sound.count("playScore1"), 1u);
    EXPECT_GE(sound.count("playScore3"), 1u);
    EXPECT_FALSE(timer.running) << "the time part hides the clock";
    EXPECT_EQ(score.caption, nullptr) << "the score part hides the moves";
    // The gauge filled to the level's fraction before it leaves.
    ASSERT_EQ(gauges.gauges.size(), 1u);
    EXPECT_NEAR(gauges.gauges.front()->fill, 816.0f / 1100.0f, 1e-6f);
    step(300);
    EXPECT_TRUE(gauges.gauges.empty());
    EXPECT_TRUE(flows.letters.empty()) << "the caption is removed once idle";
    EXPECT_TRUE(grains.getEmitters().empty());
}

TEST_F(PointsTest, BurstsOfMorePointsThanTheBaseStayWithin128Grains) {
    // Three times the base points in time: the time burst's bands alone ask
    // for several hundred grains.
    points.basePoints = catalogue.basePoints();
    points.scorePoints = 0;
    points.timePoints = 3 * points.basePoints;
    points.levelPoints = points.timePoints;
    points.done = 0;
    points.animPoints(0);
    int32_t largest = 0;
    for (int frames = 0; points.done == 0; ++frames) {
        step();
        ASSERT_LT(frames, 1000);
        for (const ZQ::GrainEmitter* emitter : grains.getEmitters()) {
            ASSERT_LE(emitter->getMaxCount(), PointsModel::kMaxGrains);
            ASSERT_LE(emitter->getCount(), emitter->getMaxCount());
            largest = std::max(largest, emitter->getMaxCount());
        }
    }
    EXPECT_EQ(largest, PointsModel::kMaxGrains);
    EXPECT_EQ(gauges.gauges.front()->fill, 3.0f) << "the gauge is not clamped";
}

TEST_F(PointsTest, AShowOfAOneLetterWordStillFinishes) {
    // A word whose first letter is also its middle and last one.
    box->setCaption("points_value", "8");
    int32_t id = -1;
    int32_t n = 0;
    flows.addFlow(box->getCaption("points_value"), &id, &n, 0.0f, 0.0f, 0.0f);
    ASSERT_EQ(n, 1);
    flows.tearDown();
    flowWorld.clear();
    // setPointsValueText skips a value it has shown: show another first.
    points.basePoints = 1100;
    points.done = 0;
    ZQ::CaptionCollection::setPointsValueText(1);
    box->setCaption("points_value", "8");
    // animPoints writes the text of its value: pick one the setter skips.
    points.animPoints(1);
    ASSERT_EQ(flows.letterCount(points.flowId), 1);
    for (int frames = 0; points.done == 0; ++frames) {
        step();
        ASSERT_LT(frames, 1000) << "the finish step was lost";
    }
}

TEST_F(PointsTest, AShowWithoutLettersIsDoneAtOnce) {
    // A flow world with no room left lays no letters.
    while (true) {
        int32_t id = 0;
        int32_t n = 0;
        flows.addFlow(box->getCaption("messages_extratime"), &id, &n, 0.0f, 0.0f, 0.0f);
        if (n == 0) {
            break;
        }
    }
    points.done = 0;
    points.animPoints(816);
    EXPECT_EQ(points.done, 1);
    EXPECT_TRUE(gauges.gauges.empty());
    EXPECT_TRUE(flows.queue.empty());
}

TEST_F(PointsTest, SetUpKeepsTheBaseThePreviousTotalAndTheFlow) {
    points.grade = 3;
    points.tangles[3] = 2;
    points.points = 900;
    points.basePoints = 1200;
    points.previousPoints = 400;
    points.flowId = 7;
    points.done = 0;
    points.setUp();
    EXPECT_EQ(points.grade, 0);
    EXPECT_EQ(points.tangles[3], 0);
    EXPECT_EQ(points.points, 0);
    EXPECT_EQ(points.done, 1);
    EXPECT_EQ(points.basePoints, 1200);
    EXPECT_EQ(points.previousPoints, 400);
    EXPECT_EQ(points.flowId, 7);
}

} // namespace
