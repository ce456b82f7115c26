#include "GraspFixture.h"
#include "cords/GraspFactory.h"

#include <memory>

namespace {

using ZQ::SlideFactory;
using ZQ::SlideGrasp;

class SlideFactoryTest : public GraspFixture {
protected:
    // One string of n particles 20 pixels apart going right from (100, 500).
    void placeRow(int n) {
        std::vector<PVRTVec2> pixels;
        for (int i = 0; i < n; ++i) {
            pixels.emplace_back(100.0f + 20.0f * i, 500.0f);
        }
        placeOnScreen(pixels, {{0, n - 1, 0}});
    }

    static SlideFactory stroke(const PVRTVec2& from, const PVRTVec2& to, float radius = 10.0f) {
        SlideFactory f;
        f.radius = radius;
        f.startPoint = from;
        f.endPoint = to;
        f.select();
        return f;
    }

    static std::vector<int> range(int from, int to) {
        std::vector<int> out;
        for (int i = from; from <= to ? i <= to : i >= to; i += from <= to ? 1 : -1) {
            out.push_back(i);
        }
        return out;
    }
};

TEST(SlideStrokeTest, DistanceIsToTheSegmentNotTheLine) {
    SlideFactory f;
    f.startPoint = PVRTVec2(0.0f, 0.0f);
    f.endPoint = PVRTVec2(100.0f, 0.0f);
    EXPECT_FLOAT_EQ(f.strokeDistance(PVRTVec2(50.0f, 7.0f)), 7.0f);
    EXPECT_FLOAT_EQ(f.strokeDistance(PVRTVec2(103.0f, 4.0f)), 5.0f);  // past the end
    EXPECT_FLOAT_EQ(f.strokeDistance(PVRTVec2(-6.0f, -8.0f)), 10.0f); // before the start
    // A stroke of no length is its start point.
    f.endPoint = f.startPoint;
    EXPECT_FLOAT_EQ(f.strokeDistance(PVRTVec2(3.0f, 4.0f)), 5.0f);
}

TEST(SlideStrokeTest, WindowsOfThreeFourAndFive) {
    SlideFactory f;
    f.radius = 10.0f;
    EXPECT_EQ(f.windowLength(9.9f), 3);
    EXPECT_EQ(f.windowLength(10.0f), 3);
    EXPECT_EQ(f.windowLength(54.9f), 3);
    EXPECT_EQ(f.windowLength(55.0f), 4); // L - r = 4.5 r
    EXPECT_EQ(f.windowLength(99.0f), 4);
    EXPECT_EQ(f.windowLength(100.0f), 5);
    EXPECT_EQ(f.windowLength(100.1f), 5);
    EXPECT_EQ(f.windowLength(5000.0f), 5);
}

TEST_F(SlideFactoryTest, AStrokeAlongALooseEndAnchorsAtItsInnerNeighbour) {
    placeRow(20);
    SlideFactory f = stroke({95.0f, 505.0f}, {145.0f, 505.0f});
    EXPECT_EQ(f.anchor, 1);

    std::unique_ptr<SlideGrasp> grasp(f.make());
    ASSERT_NE(grasp, nullptr);
    EXPECT_EQ(grasp->getType(), ZQ::Grasp::Slide);
    EXPECT_EQ(grasp->particle, 1);
    EXPECT_EQ(grasp->sign, 1);
    EXPECT_EQ(f.sign, 1);
    EXPECT_EQ(grasp->life, 30);
    EXPECT_EQ(grasp->initialLife, 30);
    EXPECT_EQ(grasp->cursor, 0);
    EXPECT_EQ(grasp->direction, PVRTVec2(1.0f, 0.0f));
    // The string is straight along the stroke: the path runs to its end.
    EXPECT_EQ(grasp->path, range(0, 19));
    EXPECT_EQ(grasp->particles.size(), 20u);
}

TEST_F(SlideFactoryTest, AStrokeAlongTheOtherEndRunsDownTheIndices) {
    placeRow(20); // particle 19 at x = 480
    SlideFactory f = stroke({485.0f, 505.0f}, {435.0f, 505.0f});
    EXPECT_EQ(f.anchor, 18);
    std::unique_ptr<SlideGrasp> grasp(f.make());
    ASSERT_NE(grasp, nullptr);
    EXPECT_EQ(grasp->sign, -1);
    EXPECT_EQ(grasp->path, range(19, 0));
}

TEST_F(SlideFactoryTest, AStrokeAcrossAnEndFallsBackToTheWindowSearch) {
    placeRow(20);
    // Straight down through particle 0: the end is not along the stroke.
    // Length 50 gives windows of trunc(3 + 2 x 40 / 90) = 3; the closest is
    // 1, 2, 3, whose middle is 2.
    SlideFactory f = stroke({100.0f, 530.0f}, {100.0f, 480.0f});
    EXPECT_EQ(f.anchor, 2);
}

TEST_F(SlideFactoryTest, TheWindowAnchorsWhereTheStrokeRunsAlongTheMiddle) {
    placeRow(20);
    // From x = 210 to 270, away from both ends: length 60 gives windows of 4.
    // 5..8 and 6..9 both cost 10 + 0 + 0 + 0 (particles at 200 to 280), and
    // the earlier window stays: anchor (5 + 8) / 2.
    SlideFactory f = stroke({210.0f, 500.0f}, {270.0f, 500.0f});
    EXPECT_EQ(f.anchor, 6);
    std::unique_ptr<SlideGrasp> grasp(f.make());
    ASSERT_NE(grasp, nullptr);
    EXPECT_EQ(grasp->sign, 1);
    EXPECT_EQ(grasp->path, range(5, 19));

    // The same stroke backwards runs the path the other way.
    SlideFactory back = stroke({270.0f, 500.0f}, {210.0f, 500.0f});
    EXPECT_EQ(back.anchor, 6);
    std::unique_ptr<SlideGrasp> backGrasp(back.make());
    ASSERT_NE(backGrasp, nullptr);
    EXPECT_EQ(backGrasp->sign, -1);
    EXPECT_EQ(backGrasp->path, range(7, 0));
}

TEST_F(SlideFactoryTest, AStrokeFarFromEveryParticleMakesNothing) {
    placeRow(20);
    SlideFactory f = stroke({100.0f, 600.0f}, {300.0f, 600.0f}); // 100 > 2 x 10 above the row
    EXPECT_EQ(f.anchor, -1);
    EXPECT_EQ(f.make(), nullptr);
}

TEST_F(SlideFactoryTest, ThePathStopsWhereTheCordTurnsAwayFromTheStroke) {
    // Ten particles going right, then ten going up from the corner.
    std::vector<PVRTVec2> pixels;
    for (int i = 0; i < 10; ++i) {
        pixels.emplace_back(100.0f + 20.0f * i, 500.0f);
    }
    for (int i = 10; i < 20; ++i) {
        pixels.emplace_back(280.0f, 500.0f + 20.0f * static_cast<float>(i - 9));
    }
    placeOnScreen(pixels, {{0, 19, 0}});
    SlideFactory f = stroke({95.0f, 505.0f}, {145.0f, 505.0f});
    std::unique_ptr<SlideGrasp> grasp(f.make());
    ASSERT_NE(grasp, nullptr);
    EXPECT_EQ(grasp->path, range(0, 9));
}

TEST_F(SlideFactoryTest, OnAStringOfThreeOnlyTheEndTestAnchors) {
    placeOnScreen({{100.0f, 500.0f}, {120.0f, 500.0f}, {140.0f, 500.0f}}, {{0, 2, 0}});
    SlideFactory along = stroke({95.0f, 503.0f}, {135.0f, 503.0f});
    std::unique_ptr<SlideGrasp> grasp(along.make());
    ASSERT_NE(grasp, nullptr);
    EXPECT_EQ(grasp->particle, 1);
    EXPECT_EQ(grasp->path, range(0, 2));

    // Across the middle: close enough, but no window fits in three particles.
    SlideFactory across = stroke({120.0f, 530.0f}, {120.0f, 470.0f});
    EXPECT_EQ(across.anchor, -1);
    EXPECT_EQ(across.make(), nullptr);
}

TEST_F(SlideFactoryTest, HiddenEndsDoNotAnchor) {
    // Particle 0 sits behind particle 5 in the same pick cell; the stroke
    // runs along 0's string end, but only what the player sees can anchor.
    std::vector<PVRTVec2> pixels;
    for (int i = 0; i < 5; ++i) {
        pixels.emplace_back(100.0f + 20.0f * i, 500.0f);
    }
    pixels.emplace_back(101.0f, 501.0f);
    for (int i = 6; i < 10; ++i) {
        pixels.emplace_back(101.0f, 501.0f + 20.0f * static_cast<float>(i - 5));
    }
    placeOnScreen(pixels, {{0, 4, 0}, {5, 9, 1}}, 0.0f, {0, 0, 0, 0, 0, 50, 50, 50, 50, 50});
    // Neither string is long enough for a window, so nothing anchors.
    SlideFactory f = stroke({95.0f, 505.0f}, {145.0f, 505.0f});
    EXPECT_EQ(f.anchor, -1);
}

} // namespace
