#include "overlays/CaptionCollection.h"
#include "constants/GradeMaps.h"
#include "engine/DeviceProfile.h"
#include "engine/LeafActions.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionGLFixture.h"
#include "overlays/CaptionInstance.h"
#include "overlays/PointsModel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace ZQ::CaptionCollection;

void steps(ZQ::CaptionModel& model, int count) {
    for (int i = 0; i < count; ++i) {
        model.doStep();
    }
}

int shown(const ZQ::CaptionModel& model, const std::string& name) {
    int count = 0;
    for (const ZQ::CaptionInstance* caption : model.captions) {
        count += caption->entry->name == name && caption->layout.alpha > 0.0f ? 1 : 0;
    }
    return count;
}

TEST_F(CaptionGLTest, NumberCaptionsPickTheirDigitsAndSitRightOfTheEdge) {
    const float w = ZQ::gGlobals.screenSize.x;
    const float h = ZQ::gGlobals.screenSize.y;
    const ZQ::CaptionInstance* timer = showTimer(2729);
    EXPECT_EQ(timer->entry->name, "timer_90");
    EXPECT_EQ(showTimer(-29)->entry->name, "timer_0");
    EXPECT_EQ(showStringScore(4)->entry->name, "timer_4");
    // The number's left edge at 0.1 w: its centre half its width further on.
    EXPECT_EQ(timer->layout.position.x, 0.1f * w + static_cast<float>(timer->entry->texture->width / 2));
    EXPECT_EQ(timer->layout.position.y, 0.97f * h);
    EXPECT_EQ(timer->layout.position.z, ZQ::DeviceProfile::get().hudDepth);
    EXPECT_EQ(timer->layout.alpha, 0.75f);

    const ZQ::CaptionInstance* score = showScore(3);
    EXPECT_EQ(score->entry->name, "score_3");
    EXPECT_EQ(score->layout.position.y,
              0.97f * h - static_cast<float>(box->findCaption("ring")->texture->height));
    steps(model, 50);
    EXPECT_EQ(model.captions.size(), 4u); // numbers stay until dropped

    popAction(model.captions.front());
    steps(model, 11);
    EXPECT_EQ(model.captions.size(), 3u);
}

TEST_F(CaptionGLTest, NumbersOutOfRangeStopTheProgram) {
    EXPECT_DEATH(showTimer(2730), "count >= 0 && count < TIMER_COUNT");
    EXPECT_DEATH(showStringScore(5), "count >= 0 && count <= MAX_CORD_STRINGS");
    EXPECT_DEATH(showScore(151), "count >= 0 && count < SCORE_COUNT");
}

TEST_F(CaptionGLTest, TotalsFadeAndGo) {
    animateTotals(); // neither on screen: nothing happens
    EXPECT_TRUE(model.isEmpty());
    model.addCaption("partials_total", new ZQ::NopAction());
    model.addCaption("small_totalpoints", new ZQ::NopAction());
    animateTotals();
    steps(model, 16);
    EXPECT_EQ(model.captions.size(), 1u);
    steps(model, 15);
    EXPECT_TRUE(model.isEmpty());
}

TEST_F(CaptionGLTest, HoloLinesAppearOnceAndUpdateHidesEveryStaleGradeLine) {
    ZQ::LevelModel levels;
    ZQ::gGlobals.levelModel = &levels;
    ZQ::PointsModel points;
    points.grade = 4;
    ZQ::gGlobals.pointsModel = &points;
    const std::string golden = "small_tangles_Golden";
    const std::string bronze = "small_tangles_Bronze";

    // The map's lines as its screen shows them.
    model.addCaption("knots_name", holoHoldAt25());
    model.addCaption("holo_level", holoHoldAt20());
    model.addCaption("holo_timer", holoEnterAt12());
    showHoloLine(golden);
    showHoloLine(golden);
    EXPECT_EQ(model.captions.size(), 4u);
    // A second copy of the grade line, as the award screen may leave behind.
    model.addCaption(golden, holoEnterAt16());
    steps(model, 60);
    EXPECT_EQ(shown(model, golden), 2);

    // Level 5 was never played: no grade line may stay visible.
    levels.tangleForlevel[5] = 0;
    levels.timerForlevel[5] = 0;
    updateHoloName(5);
    steps(model, 60);
    EXPECT_EQ(shown(model, golden), 0);
    EXPECT_EQ(label("knots_name"), levels.levels[5].name);
    EXPECT_EQ(label("holo_level"), "6/" + std::to_string(levels.levelCount()));
    EXPECT_EQ(label("holo_timer"), " ");
    EXPECT_EQ(shown(model, "knots_name"), 1);
    EXPECT_EQ(points.grade, 0) << "the grade of the level in front";

    // Level 6, played in 40 seconds to a bronze grade: exactly its line.
    levels.tangleForlevel[6] = 2;
    levels.timerForlevel[6] = 40;
    model.addCaption(golden, new ZQ::NopAction());
    updateHoloName(6);
    steps(model, 60);
    EXPECT_EQ(shown(model, golden), 0);
    EXPECT_EQ(shown(model, bronze), 1);
    EXPECT_EQ(label("holo_timer"), "40 seconds");
    EXPECT_EQ(points.grade, 2);
    for (const ZQ::CaptionInstance* caption : model.captions) {
        EXPECT_EQ(caption->layout.alpha, 1.0f) << caption->entry->name;
    }

    // Level 6 again with its line on screen: it fades out and back in, once.
    updateHoloName(6);
    steps(model, 60);
    EXPECT_EQ(shown(model, bronze), 1);
    ZQ::gGlobals.levelModel = nullptr;
    ZQ::gGlobals.pointsModel = nullptr;
}

} // namespace
