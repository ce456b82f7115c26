#include "stage/HoloActions.h"

#include "HoloFixture.h"
#include "engine/EasingPresets.h"
#include "engine/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using ZQ::Action;
using ZQ::HoloInstance;
using ZQ::HoloModel;

constexpr float kPi = std::numbers::pi_v<float>;

// A hologram without a mesh, for the actions alone.
class HoloActionsTest : public HoloFixture {
protected:
    HoloInstance h{3};
};

TEST_F(HoloActionsTest, ASweepWritesBeforeItAdvancesAndTurnsAtTheTop) {
    h.scannerPhase = 0.0f;
    h.scannerDirection = 1;
    h.setAction(new ZQ::HoloScannerAction(60));
    std::vector<float> written;
    while (h.getAction()->tick() == Action::Running) {
        written.push_back(h.scannerPhase);
        ASSERT_LT(written.size(), 100u);
    }
    ASSERT_GE(written.size(), 60u);
    EXPECT_EQ(written[0], 0.0f);
    EXPECT_FLOAT_EQ(written[1], 1.0f / 60.0f);
    for (std::size_t k = 1; k < written.size(); ++k) {
        EXPECT_GT(written[k], written[k - 1]);
    }
    EXPECT_LE(written.back(), 1.0f);
    EXPECT_GT(written.back() + 1.0f / 60.0f, 1.0f) << "the next value would have left [0, 1]";
    EXPECT_EQ(h.scannerDirection, -1);

    // The next sweep starts from the line's clamped place and goes down.
    const float top = h.scannerPhase;
    h.setAction(new ZQ::HoloScannerAction(60));
    h.getAction()->tick();
    EXPECT_EQ(h.scannerPhase, top);
    h.getAction()->tick();
    EXPECT_LT(h.scannerPhase, top);
}

TEST_F(HoloActionsTest, ALinePushedBelowTheKnotIsClampedAndTurnsUpward) {
    h.scannerPhase = -1.0f;
    h.scannerDirection = -1;
    h.setAction(HoloModel::scannerAction());
    h.getAction()->tick();
    EXPECT_EQ(h.scannerPhase, 0.0f);
    EXPECT_EQ(h.scannerDirection, 1);
    h.getAction()->tick();
    EXPECT_GT(h.scannerPhase, 0.0f);
}

TEST_F(HoloActionsTest, AGlitchHoldsOneDisplacementForFifteenToThirtyOneFrames) {
    const float w = ZQ::gGlobals.screenSize.x;
    int shortest = 1000;
    int longest = 0;
    for (int n = 0; n < 200; ++n) {
        h.setAction(new ZQ::HoloGlitchAction(15, 30, w / 150.0f, w / 35.0f));
        h.getAction()->tick();
        const PVRTVec3 noise = h.noise;
        const float amplitude = noise.length();
        ASSERT_GE(amplitude, w / 150.0f * 0.999f);
        ASSERT_LT(amplitude, w / 35.0f * 1.001f);
        EXPECT_NEAR(noise.z, 0.0f, 1e-6f);
        int frames = 1;
        while (h.getAction()->tick() == Action::Running) {
            ASSERT_EQ(h.noise, noise) << "the same vector on every running tick";
            ++frames;
        }
        EXPECT_EQ(h.noise, PVRTVec3()) << "calm again on the last";
        shortest = std::min(shortest, frames);
        longest = std::max(longest, frames);
    }
    EXPECT_GE(shortest, 15);
    // 15 to 31 frames drawn; a sum of n steps of 1/n that falls short of 1 in
    // floats adds one run.
    EXPECT_LE(longest, 32);
    EXPECT_LT(shortest, 18) << "the whole range is drawn";
    EXPECT_GT(longest, 28);
}

TEST_F(HoloActionsTest, TheSyncSucceedsAtOnceHalfOfTheTimeEvenWhenTheLineIsLow) {
    int atOnce = 0;
    constexpr int kTrials = 400;
    for (int n = 0; n < kTrials; ++n) {
        h.scannerPhase = 0.1f;
        h.setAction(new ZQ::HoloSyncAction());
        if (h.getAction()->tick() == Action::Success) {
            ++atOnce;
            continue;
        }
        // A waiting one goes once the line has reached 0.9, and not above 1.
        h.scannerPhase = 0.89f;
        EXPECT_EQ(h.getAction()->tick(), Action::Running);
        h.scannerPhase = 0.9f;
        EXPECT_EQ(h.getAction()->tick(), Action::Success);
    }
    EXPECT_NEAR(atOnce, kTrials / 2, kTrials / 8);
}

TEST_F(HoloActionsTest, AFadeInEndsOpaqueAndCalmAtItsSlot) {
    h.scannerPhase = 0.5f;
    h.setAction(HoloModel::fadeInAction(3));
    ZQ::Layout slot;
    HoloModel::placeOnOrbit(slot, HoloModel::slotAngle(3));
    h.getAction()->tick();
    EXPECT_LT(h.layout.alpha, 0.2f) << "it starts transparent";
    EXPECT_GT(h.noise.x, 50.0f) << "with a burst of noise";
    for (int f = 0; f < 40; ++f) {
        h.getAction()->tick();
    }
    EXPECT_EQ(h.layout.alpha, 1.0f);
    EXPECT_EQ(h.noise, PVRTVec3());
    EXPECT_EQ(h.layout.position, slot.position);
    EXPECT_NEAR(h.layout.angles.y, slot.angles.y + kPi, 1e-5f) << "turned half a turn";
    EXPECT_EQ(h.getAction()->getState(), Action::Running) << "it goes on scanning";
}

TEST_F(HoloActionsTest, TheRotateCentreEndsJustShortOfItsAngleAndKeepsTheSpin) {
    const float from = HoloModel::slotAngle(1);
    const float to = HoloModel::slotAngle(2);
    HoloModel::placeOnOrbit(h.layout, from);
    h.setAction(new ZQ::HoloRotateCenterAction(from, to, 30));
    int runs = 0;
    while (h.getAction()->tick() == Action::Running) {
        // A spin of 0.01 a frame from elsewhere.
        h.layout.angles.y += 0.01f;
        ++runs;
    }
    ++runs;
    EXPECT_EQ(runs, 30);
    const float last = from + (to - from) * ZQ::easeOutQuad()->ease(29.0f / 30.0f);
    EXPECT_NEAR(h.orbitAngle, last, 1e-5f);
    EXPECT_NEAR((h.orbitAngle - from) / (to - from), 0.993f, 0.001f);
    ZQ::Layout ring;
    HoloModel::placeOnOrbit(ring, h.orbitAngle);
    EXPECT_EQ(h.layout.position, ring.position);
    EXPECT_NEAR(h.layout.angles.y - ring.angles.y, 0.01f * 29.0f, 1e-4f) << "the spin is carried along";
}

TEST_F(HoloActionsTest, AFadeOutSwellsTheNoiseDropsTheLineAndEndsInvisible) {
    h.scannerPhase = 0.6f;
    h.setAction(new ZQ::HoloFadeOutAction(60));
    float lastPhase = 0.6f;
    int runs = 0;
    while (h.getAction()->tick() == Action::Running) {
        EXPECT_LT(h.scannerPhase, lastPhase);
        lastPhase = h.scannerPhase;
        ++runs;
    }
    EXPECT_GE(runs, 60);
    EXPECT_NEAR(lastPhase, -1.0f, 0.03f);
    // The last running value is eased just past t = 1, where the elastic
    // curve still overshoots a little.
    EXPECT_NEAR(h.noise.x, 100.0f, 10.0f);
    EXPECT_EQ(h.layout.alpha, 0.0f);
}

TEST_F(HoloActionsTest, AChangeGlidesTheWindowOneSlotAndBuildsTheEnteringOnesInPlace) {
    enterMap(5, 10);
    for (int f = 0; f < 40; ++f) {
        holo->doStep();
    }
    float before[10];
    for (int32_t i = 3; i <= 7; ++i) {
        before[i] = at(i)->orbitAngle;
    }
    ASSERT_EQ(at(8), nullptr);
    holo->current = 6;
    HoloModel::changeAction(holo.get());
    ASSERT_NE(at(8), nullptr) << "entered the window";
    const ZQ::Layout entered = at(8)->layout;
    EXPECT_EQ(at(8)->orbitAngle, HoloModel::slotAngle(4));
    EXPECT_EQ(overlays.names, std::vector<int32_t>{6});
    for (int f = 0; f < 31; ++f) {
        holo->doStep();
    }
    for (int32_t i = 4; i <= 7; ++i) {
        const float moved = at(i)->orbitAngle - before[i];
        EXPECT_NEAR(moved, -0.4f * kPi * ZQ::easeOutQuad()->ease(29.0f / 30.0f), 1e-4f) << "level " << i;
    }
    EXPECT_EQ(at(8)->layout.position, entered.position) << "a new back hologram does not move";
    EXPECT_EQ(at(3)->orbitAngle, before[3]) << "left the window: untouched";
}

TEST_F(HoloActionsTest, TheChoiceFadesEveryHologramAndTheBackOnesGoAtOnce) {
    enterMap(5, 10);
    for (int f = 0; f < 40; ++f) {
        holo->doStep();
    }
    HoloModel::fadeOutAction(holo.get());
    EXPECT_EQ(catalogue->level, 5);
    EXPECT_EQ(sound.names(), (std::vector<std::string>{"playButton", "pauseMusic", "playIgnition17"}));
    EXPECT_EQ(overlays.calls, (std::vector<std::string>{"moveHoloLines", "hideCursor"}));
    EXPECT_EQ(at(3)->getAction(), nullptr);
    holo->doStep();
    EXPECT_EQ(at(3), nullptr);
    EXPECT_EQ(at(7), nullptr);
    EXPECT_FALSE(holo->isReady());
    for (int f = 0; f < 40 && at(4) != nullptr; ++f) {
        holo->doStep();
    }
    EXPECT_EQ(at(4), nullptr) << "the others fade in 30 frames";
    EXPECT_NE(at(5), nullptr) << "the chosen one takes 60";
    for (int f = 0; f < 30 && !holo->isReady(); ++f) {
        holo->doStep();
    }
    EXPECT_TRUE(holo->isReady());
}

TEST_F(HoloActionsTest, ChoosingWithStepsPendingStartsExactlyTheLevelInFrontAndEnds) {
    enterMap(5, 10);
    holo->doStep();
    holo->pendingNext = 10; // a double tap at the right edge
    holo->doStep();
    holo->doStep();
    const int32_t front = holo->current;
    ASSERT_EQ(front, 6);
    HoloModel::fadeOutAction(holo.get());
    EXPECT_EQ(catalogue->level, front);
    int frames = 0;
    while (!holo->isReady() && frames < 200) {
        holo->doStep();
        ++frames;
    }
    EXPECT_TRUE(holo->isReady()) << "the map is not left waiting";
    EXPECT_LT(frames, 70);
    EXPECT_EQ(holo->current, front) << "no step is made after the choice";
    EXPECT_EQ(catalogue->level, front);
    EXPECT_EQ(sound.count("playIgnition16"), 1u);
}

} // namespace
