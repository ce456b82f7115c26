#include "TipFixture.h"

#include <set>
#include <string>
#include <vector>

namespace {

// The levels whose tips the catalogue gives each name, and so each class.
struct TipCase {
    int level;
    const char* name;
};
constexpr TipCase kTooltips[] = {
    {2, "tips_TPCone_"},  {3, "tips_TPStretch_"}, {4, "tips_TPHold_"},
    {7, "tips_TPRaged_"}, {26, "tips_TPHands_"},
};
constexpr TipCase kIdleTip = {10, "tips_TPIdle_"};
constexpr TipCase kRotateTip = {5, "tips_TPRotate_"};

class TipEventsTest : public TipFixture {
protected:
    // The flows on screen, by id.
    std::set<int32_t> flowsOnScreen() const {
        std::set<int32_t> ids;
        for (int32_t id = 0; id < flows.nextFlowId; ++id) {
            if (flows.letterCount(id) > 0) {
                ids.insert(id);
            }
        }
        return ids;
    }

    // The tip's lines are on screen: one flow per row, each with letters.
    void expectShown(const ZQ::TipNode& tip) {
        EXPECT_TRUE(tip.closed);
        ASSERT_EQ(tip.groups.size(), tip.rows.size());
        for (int id : tip.groups) {
            EXPECT_GT(flows.letterCount(id), 0) << tip.name() << " line " << id;
        }
    }

    // Runs until every line has gone; no flow step may have missed its
    // letter on the way (a line released twice or addressed after release).
    void expectLinesGoneCleanly(const ZQ::TipNode& tip, int limit) {
        testing::internal::CaptureStderr();
        const int frames = runUntilEmpty(limit);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_LT(frames, limit) << tip.name() << ": lines still on screen";
        EXPECT_EQ(log.find("dropped"), std::string::npos) << log;
        EXPECT_TRUE(tip.groups.empty());
        EXPECT_TRUE(flows.queue.empty());
    }
};

TEST_F(TipEventsTest, ATooltipShowsOnTheFirstIdleAndItsLinesLeaveByThemselves) {
    for (const TipCase& c : kTooltips) {
        ZQ::TipNode* tip = tipOf(c.level);
        ASSERT_NE(tip, nullptr);
        EXPECT_EQ(tip->name(), c.name);
        EXPECT_TRUE(flows.letters.empty());
        tip->onIdle();
        expectShown(*tip);
        EXPECT_TRUE(tip->idleSeen);
        const std::vector<int> lines = tip->groups;
        // A second idle spell shows nothing more.
        tip->onIdle();
        EXPECT_EQ(tip->groups, lines);
        // 45 frames between the lines, a 60-frame swing and a 120-frame hold,
        // then two 15-frame exits: gone within ten seconds.
        expectLinesGoneCleanly(*tip, 300);
    }
}

TEST_F(TipEventsTest, ATooltipGraspedBeforeAnyIdleNeverShowsInThatAttempt) {
    ZQ::TipNode* tip = tipOf(kTooltips[0].level);
    tip->onGrasp(nullptr);
    EXPECT_TRUE(tip->closed);
    tip->onIdle();
    EXPECT_TRUE(tip->groups.empty());
    EXPECT_TRUE(flows.letters.empty());
    // Re-armed, as a replay of the level does, it may show again.
    tip->start();
    tip->onIdle();
    expectShown(*tip);
    expectLinesGoneCleanly(*tip, 300);
}

TEST_F(TipEventsTest, TheIdleTipShowsOnTheFirstHeadReleaseOnly) {
    ZQ::TipNode* tip = tipOf(kIdleTip.level);
    EXPECT_EQ(tip->name(), kIdleTip.name);
    tip->onIdle();
    tip->onGrasp(nullptr);
    tip->onAlmostSolved();
    EXPECT_TRUE(flows.letters.empty()) << "only a released head shows it";
    tip->onHeadReleased(nullptr);
    expectShown(*tip);
    const std::set<int32_t> shown = flowsOnScreen();
    tip->onHeadReleased(nullptr);
    EXPECT_EQ(flowsOnScreen(), shown);
    expectLinesGoneCleanly(*tip, 300);
}

TEST_F(TipEventsTest, TheRotateTipShowsOnAnAlmostSolvedCordOnlyAfterAnIdleSpell) {
    ZQ::TipNode* tip = tipOf(kRotateTip.level);
    EXPECT_EQ(tip->name(), kRotateTip.name);
    tip->onAlmostSolved();
    tip->onHeadReleased(nullptr);
    tip->onGrasp(nullptr);
    EXPECT_TRUE(flows.letters.empty());
    EXPECT_FALSE(tip->closed);
    tip->onIdle();
    EXPECT_TRUE(flows.letters.empty()) << "idle alone does not show it";
    tip->onAlmostSolved();
    expectShown(*tip);
    const std::set<int32_t> shown = flowsOnScreen();
    tip->onAlmostSolved();
    EXPECT_EQ(flowsOnScreen(), shown);
    expectLinesGoneCleanly(*tip, 300);
}

// The three closes that come while a tip's lines are still held on screen,
// with their own exits queued: each line must be flung off and released
// once, and no queued exit may reach for it afterwards.
TEST_F(TipEventsTest, AClosedTipFlingsItsHeldLinesOffAndReleasesEachOnce) {
    struct Close {
        const char* what;
        TipCase tip;
        void (*show)(ZQ::TipNode&);
        void (*close)(ZQ::TipNode&);
    };
    const Close closes[] = {
        {"a grasp after the idle tooltip", kTooltips[2], [](ZQ::TipNode& t) { t.onIdle(); },
         [](ZQ::TipNode& t) { t.onGrasp(nullptr); }},
        {"the solve after the almost-solved tip", kRotateTip,
         [](ZQ::TipNode& t) {
             t.onIdle();
             t.onAlmostSolved();
         },
         [](ZQ::TipNode& t) { t.onSolved(); }},
        {"time up while a tip shows", kIdleTip, [](ZQ::TipNode& t) { t.onHeadReleased(nullptr); },
         [](ZQ::TipNode& t) { t.onTimeUp(); }},
    };
    for (const Close& c : closes) {
        SCOPED_TRACE(c.what);
        for (int held : {0, 1, 50, 150}) {
            SCOPED_TRACE(held);
            ZQ::TipNode* tip = tipOf(c.tip.level);
            c.show(*tip);
            expectShown(*tip);
            for (int f = 0; f < held; ++f) {
                frame();
            }
            c.close(*tip);
            EXPECT_TRUE(tip->closed);
            EXPECT_TRUE(tip->groups.empty());
            // The fling takes 30 frames where the own exit would have waited
            // for the whole hold.
            expectLinesGoneCleanly(*tip, 120);
        }
    }
}

TEST_F(TipEventsTest, ACloseAfterTheLinesHaveStartedToLeaveTouchesNothing) {
    ZQ::TipNode* tip = tipOf(kTooltips[1].level);
    tip->onIdle();
    // Until the first line's exit has begun and forgotten the lines.
    int frames = 0;
    while (!tip->groups.empty() && frames < 400) {
        frame();
        ++frames;
    }
    ASSERT_LT(frames, 400);
    EXPECT_FALSE(flows.letters.empty()) << "the lines are still leaving";
    tip->onTimeUp();
    EXPECT_FALSE(tip->idleSeen);
    expectLinesGoneCleanly(*tip, 120);
}

} // namespace
