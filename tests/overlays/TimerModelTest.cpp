#include "overlays/TimerModel.h"
#include "overlays/HudFixture.h"

#include <gtest/gtest.h>

namespace {

// Counts the timer's events.
struct TimerListener : ZQ::EventListener {
    void onTimeUp() override {
        ++timeUps;
        if (hideOnTimeUp) {
            ZQ::gGlobals.timerModel->hide();
        }
    }
    void onIdle() override { ++idles; }
    int timeUps = 0;
    int idles = 0;
    bool hideOnTimeUp = false;
};

class TimerTest : public HudTest {
protected:
    void SetUp() override {
        HudTest::SetUp();
        timer.addListener(&listener);
    }

    std::string shownNumber() const {
        return timer.timerCaption != nullptr ? timer.timerCaption->entry->name : "";
    }

    TimerListener listener;
};

TEST_F(TimerTest, TheCaptionsCountDownFromTheLevelsLimit) {
    for (const auto& [level, seconds] : {std::pair{0, 31}, std::pair{68, 86}}) {
        timer.setUp();
        captions.tearDown();
        catalogue.level = level;
        timer.show();
        EXPECT_EQ(timer.remaining, (seconds - 1) * 30) << "level " << level;
        EXPECT_EQ(shownNumber(), "timer_" + std::to_string(seconds - 1));
        EXPECT_EQ(countOf("hourglass"), 1u);
        // Each whole second the number changes, the old one dropped at once.
        for (int second = seconds - 2; second >= 7; --second) {
            step(29);
            EXPECT_EQ(shownNumber(), "timer_" + std::to_string(second + 1));
            step();
            EXPECT_EQ(shownNumber(), "timer_" + std::to_string(second));
            EXPECT_EQ(countOf("timer_" + std::to_string(second + 1)), 0u) << "second " << second;
        }
        EXPECT_EQ(sound.count("playConfirm"), 0u) << "no tick above seven seconds";
        sound.calls.clear();
    }
}

TEST_F(TimerTest, TheLastSecondsTickAndPulseAndTimeRunsOutOnce) {
    timer.show(); // level 0: 900 frames
    timer.show();
    EXPECT_EQ(countOf("hourglass"), 1u) << "a second show changes nothing";
    step(900 - 181);
    EXPECT_EQ(timer.remaining, 181);
    EXPECT_EQ(sound.count("playConfirm"), 0u);
    step();
    EXPECT_EQ(sound.count("playConfirm"), 1u);
    EXPECT_EQ(shownNumber(), "timer_6");
    EXPECT_EQ(timer.timerCaption->layout.alpha, 0.0f) << "the new number fades in";
    step(6);
    EXPECT_EQ(timer.timerCaption->layout.alpha, 1.0f);
    EXPECT_EQ(countOf("timer_6") + countOf("timer_7"), 1u) << "the pulsing 7 is gone after its 6 frames";
    step(173);
    EXPECT_EQ(timer.remaining, 1);
    EXPECT_EQ(listener.timeUps, 0);
    step();
    EXPECT_EQ(listener.timeUps, 1);
    EXPECT_FALSE(timer.running);
    EXPECT_EQ(timer.elapsed, 900);
    EXPECT_EQ(sound.count("playConfirm"), 7u) << "6, 5, 4, 3, 2, 1 and 0 seconds";
    EXPECT_EQ(shownNumber(), "timer_0");
    step(60);
    EXPECT_EQ(listener.timeUps, 1);
    EXPECT_EQ(timer.remaining, 0);
}

TEST_F(TimerTest, PausingStopsBothCountsAndIdleCountingRunsWithoutTheClock) {
    timer.idleCounting = true;
    step(149);
    EXPECT_EQ(listener.idles, 0);
    timer.pause();
    step(10);
    EXPECT_EQ(timer.idleCounter, 149);
    timer.resume();
    step();
    EXPECT_EQ(listener.idles, 1) << "idle after five seconds in the calm mode too";
    step(300);
    EXPECT_EQ(listener.idles, 1) << "once per start of idle counting";

    timer.show();
    timer.pause();
    step(50);
    EXPECT_EQ(timer.remaining, 900);
    timer.resume();
    step(30);
    EXPECT_EQ(shownNumber(), "timer_29");
}

TEST_F(TimerTest, HidingIsSafeInTheCalmModeAndInsideTimeUp) {
    // The calm mode never shows the number: its solve hides the timer anyway.
    timer.idleCounting = true;
    timer.hide();
    EXPECT_EQ(timer.timerCaption, nullptr);
    EXPECT_FALSE(timer.idleCounting);
    step(10);
    EXPECT_TRUE(captions.captions.empty());

    // A listener that hides the clock at time-up without showing it again
    // leaves the step no number to pulse.
    listener.hideOnTimeUp = true;
    timer.show();
    timer.remaining = 1;
    step();
    EXPECT_EQ(listener.timeUps, 1);
    EXPECT_EQ(timer.timerCaption, nullptr);
    step(11);
    EXPECT_TRUE(captions.captions.empty()) << "hourglass faded, number dropped";
}

TEST_F(TimerTest, HidingDuringTheLastSecondsLetsThePulseFinish) {
    timer.show();
    timer.remaining = 151;
    step(); // 150: pulse of the old number, 5 fades in
    timer.hide();
    step();
    ASSERT_GE(captions.captions.size(), 1u);
    bool pulsing = false;
    for (const ZQ::CaptionInstance* caption : captions.captions) {
        pulsing = pulsing || caption->layout.scale > 1.0f;
    }
    EXPECT_TRUE(pulsing);
    step(12);
    EXPECT_TRUE(captions.captions.empty());
}

} // namespace
