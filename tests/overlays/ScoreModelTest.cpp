#include "overlays/ScoreModel.h"
#include "cords/HeadInstance.h"
#include "engine/DeviceProfile.h"
#include "overlays/HudFixture.h"
#include "overlays/StringScoreModel.h"
#include "render/Texture.h"

#include <gtest/gtest.h>

namespace {

// The three pictures share the top-left corner at a tenth of the width: the
// hourglass and the calm picture on the top row, the ring a ring's height
// below; each holds still, three-quarters opaque, while its display shows.
TEST_F(HudTest, ThePicturesSitInTheTopLeftCornerAndHoldStill) {
    const float w = ZQ::gGlobals.screenSize.x;
    const float h = ZQ::gGlobals.screenSize.y;
    const float depth = ZQ::DeviceProfile::get().hudDepth;
    timer.show();
    score.show();
    calm.show();
    const ZQ::CaptionInstance* hourglass = captions.findCaption("hourglass");
    const ZQ::CaptionInstance* ring = captions.findCaption("ring");
    const ZQ::CaptionInstance* zen = captions.findCaption("zen");
    ASSERT_TRUE(hourglass != nullptr && ring != nullptr && zen != nullptr);
    ASSERT_NE(ring->entry->texture, nullptr);
    const float ringHeight = static_cast<float>(ring->entry->texture->height);
    ASSERT_GT(ringHeight, 0.0f);
    EXPECT_EQ(hourglass->layout.position, PVRTVec3(0.1f * w, 0.97f * h, depth));
    EXPECT_EQ(ring->layout.position, PVRTVec3(0.1f * w, 0.97f * h - ringHeight, depth));
    EXPECT_EQ(zen->layout.position, PVRTVec3(0.1f * w, 0.97f * h, depth));
    // The numbers beside them on the same rows.
    EXPECT_EQ(timer.timerCaption->layout.position.y, hourglass->layout.position.y);
    EXPECT_EQ(score.caption->layout.position.y, ring->layout.position.y);
    EXPECT_EQ(calm.caption->layout.position.y, zen->layout.position.y);
    const ZQ::Layout still = hourglass->layout;
    step(300); // ten seconds of countdown
    for (const ZQ::CaptionInstance* picture : {hourglass, ring, zen}) {
        EXPECT_EQ(picture->layout.alpha, 0.75f) << picture->entry->name;
        EXPECT_EQ(countOf(picture->entry->name), 1u) << picture->entry->name;
    }
    EXPECT_EQ(hourglass->layout.position, still.position);
    EXPECT_EQ(hourglass->layout.angles, still.angles);
    EXPECT_EQ(hourglass->layout.scale, still.scale);
}

TEST_F(HudTest, TheScorePopsEachOldNumberAndSaturatesAt150) {
    score.count = 149;
    score.show();
    EXPECT_EQ(countOf("ring"), 1u);
    EXPECT_EQ(score.caption->entry->name, "score_149");
    ZQ::CaptionInstance* old = score.caption;
    score.advance();
    EXPECT_EQ(score.caption->entry->name, "score_150");
    EXPECT_NE(old, score.caption);
    score.advance();
    EXPECT_EQ(score.count, 150);
    EXPECT_EQ(score.caption->entry->name, "score_150");
    // The popped numbers shrink and fade over 10 frames, then go.
    step(5);
    EXPECT_LT(old->layout.scale, 1.0f);
    EXPECT_LT(old->layout.alpha, 0.75f);
    step(6);
    EXPECT_EQ(countOf("score_149"), 0u);
    EXPECT_EQ(countOf("score_150"), 1u);

    // A new level keeps the count; hiding pops the number and fades the ring.
    score.setUp();
    EXPECT_EQ(score.count, 150);
    EXPECT_EQ(score.caption, nullptr);
    score.count = 3;
    score.show();
    score.hide();
    EXPECT_EQ(score.caption, nullptr);
    step(11);
    EXPECT_EQ(countOf("score_3"), 0u);
    EXPECT_EQ(countOf("ring"), 0u);
}

TEST_F(HudTest, TheCalmStringsFollowTheCalmHeads) {
    // Four strings, two heads each, calming down one by one.
    for (int32_t i = 0; i < 8; ++i) {
        heads.heads.push_back(new ZQ::HeadInstance());
    }
    calm.show();
    EXPECT_EQ(countOf("zen"), 1u);
    EXPECT_EQ(calm.caption->entry->name, "timer_0");
    for (int32_t calmHeads = 1; calmHeads <= 8; ++calmHeads) {
        heads.heads[static_cast<std::size_t>(calmHeads - 1)]->calm = true;
        calm.update();
        EXPECT_EQ(calm.count, calmHeads / 2);
        EXPECT_EQ(calm.caption->entry->name, "timer_" + std::to_string(calmHeads / 2));
        step();
        EXPECT_EQ(countOf("timer_" + std::to_string(calmHeads / 2)), 1u) << "replaced at once";
        EXPECT_EQ(captions.captions.size(), 2u);
    }
    // Hiding removes the number at the next step and fades the picture.
    ZQ::CaptionInstance* zen = captions.findCaption("zen");
    calm.hide();
    step();
    EXPECT_EQ(captions.captions.size(), 1u);
    EXPECT_GT(zen->layout.alpha, 0.0f);
    step(10);
    EXPECT_TRUE(captions.captions.empty());
}

} // namespace
