#include "GraspFixture.h"
#include "cords/GraspFactory.h"
#include "cords/GraspFactoryDriver.h"

#include <cmath>
#include <unordered_set>

namespace {

using ZQ::GraspFactoryDriver;

// Catalogue level 0 laid and played with touches driven the way the game
// controller drives them: the touch handlers between frames, the play step
// at the start of each frame, then the models in list order.
class GraspPlayTest : public GraspFixture {
protected:
    static constexpr float kRadius = 36.0f;

    void SetUp() override {
        GraspFixture::SetUp();
        ZQ::Cord* knot = catalogue->currentLevel().cord;
        ASSERT_NE(knot, nullptr);
        cord->loadCord(*knot, catalogue->currentLevel().cordSettings());
        cord->measureEnergies();
        driver.setUp();
        for (int i = 0; i < 30; ++i) {
            play();
        }
    }

    void TearDown() override {
        driver.tearDown();
        GraspFixture::TearDown();
    }

    void play() {
        ++ZQ::gGlobals.frameCount;
        driver.step();
        frame();
    }

    // The visible inner particle whose string runs straightest on screen
    // through it (the largest cosine between the steps before and after it).
    int straightVisibleParticle() const {
        std::unordered_set<int> visible;
        ZQ::CordModel::pickVisibleParticles(*cord, visible, kRadius);
        const PVRTVec2* s = cord->screenPositions;
        int best = -1;
        float bestCos = 0.0f;
        for (const ZQ::CordModel::Segment& seg : cord->segments) {
            for (int i = seg.first + 1; i < seg.last; ++i) {
                const PVRTVec2 a = s[i] - s[i - 1];
                const PVRTVec2 b = s[i + 1] - s[i];
                if (visible.count(i) == 0 || a.length() < 15.0f || b.length() < 15.0f) {
                    continue;
                }
                const float c = a.dot(b) / (a.length() * b.length());
                if (c > bestCos) {
                    best = i;
                    bestCos = c;
                }
            }
        }
        return best;
    }

    GraspFactoryDriver driver{grasps};
};

TEST_F(GraspPlayTest, AHeldDragBringsTheParticleTowardTheFinger) {
    const int target = straightVisibleParticle();
    ASSERT_GE(target, 0);
    // The finger comes down a little off a particle, then moves 120 pixels up
    // and stays there.
    const PVRTVec2 down = cord->screenPositions[target] + PVRTVec2(5.0f, 5.0f);
    ASSERT_NE(driver.touchBegan(down, kRadius, false), nullptr);
    const ZQ::DragFactory& drag = *driver.getDragFactories().front();
    ASSERT_EQ(drag.selection.size(), 1u);
    const int held = *drag.selection.begin();
    const PVRTVec2 finger = down + PVRTVec2(0.0f, 120.0f);
    driver.touchMoved(finger, kRadius);

    const auto gap = [&] { return (ZQ::screenProjection(cord->getParticlePos(held)) - finger).length(); };
    const float start = gap();
    std::vector<float> gaps;
    for (int f = 0; f < 60; ++f) {
        play();
        gaps.push_back(gap());
    }
    driver.touchEnded(finger);
    // The pull closes in for the first second, then holds the particle
    // within a fifth of the start distance of the finger.
    EXPECT_LT(gaps[9], start);
    EXPECT_LT(gaps[19], gaps[9]);
    EXPECT_LT(gaps[29], gaps[19]);
    for (size_t k = 30; k < gaps.size(); ++k) {
        EXPECT_LT(gaps[k], 0.2f * start) << "frame " << k << ", start " << start;
    }
}

TEST_F(GraspPlayTest, AStrokeAlongAStringSlidesIt) {
    const int target = straightVisibleParticle();
    ASSERT_GE(target, 0);
    const PVRTVec2 from = cord->screenPositions[target - 1];
    const PVRTVec2 to = cord->screenPositions[target + 1];
    const float travel = (to - from).length();
    ASSERT_GT(travel, kRadius);
    ASSERT_LT(travel, 10.0f * kRadius);

    driver.touchBegan(from, kRadius, false);
    play();
    driver.touchMoved(from + (to - from) * 0.5f, kRadius);
    play();
    driver.touchMoved(to, kRadius);
    play();
    const ZQ::SlideGrasp* slide = driver.touchEnded(to);
    ASSERT_NE(slide, nullptr);
    EXPECT_GE(slide->path.size(), 3u);
    // The path is a run of neighbours on one string, through the stroke.
    const ZQ::CordModel::Segment& seg = cord->getSegmentForParticle(slide->particle);
    for (size_t k = 1; k < slide->path.size(); ++k) {
        EXPECT_EQ(slide->path[k] - slide->path[k - 1], slide->sign);
    }
    EXPECT_GE(std::min(slide->path.front(), slide->path.back()), seg.first);
    EXPECT_LE(std::max(slide->path.front(), slide->path.back()), seg.last);
    EXPECT_LE(std::abs(slide->particle - target), 2);
    // Played out, it leaves the model after its 31 frames.
    for (int f = 0; f < 31; ++f) {
        EXPECT_EQ(grasps.grasps.back()->getType(), ZQ::Grasp::Slide);
        play();
    }
    EXPECT_EQ(grasps.count(), 0);
}

} // namespace
