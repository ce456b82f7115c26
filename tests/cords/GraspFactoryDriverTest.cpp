#include "cords/GraspFactoryDriver.h"
#include "GraspFixture.h"
#include "cords/GraspFactory.h"
#include "engine/DeviceProfile.h"
#include "support/SeededRandom.h"

#include <algorithm>
#include <random>
#include <set>

namespace {

using ZQ::DragFactory;
using ZQ::Grasp;
using ZQ::GraspFactoryDriver;

// Records the hooks and lets only the kinds in `allowed` through.
class RecordingClient : public GraspFactoryDriver::Client {
public:
    bool permits(Grasp::Type kind) override {
        return std::find(allowed.begin(), allowed.end(), kind) != allowed.end();
    }
    void onDragStep(DragFactory& factory, int32_t counter, ZQ::DragGrasp& grasp) override {
        dragSteps.push_back(counter);
        EXPECT_EQ(*factory.selection.begin(), grasp.particle);
    }
    void onSlide(ZQ::SlideFactory& /*factory*/, ZQ::SlideGrasp& grasp) override { slides.push_back(&grasp); }
    void onRotate(ZQ::RotateGrasp& grasp) override { rotations.push_back(&grasp); }
    void onDragEnd(DragFactory& factory) override { endedIds.push_back(factory.id); }

    std::vector<Grasp::Type> allowed{Grasp::Slide, Grasp::Drag, Grasp::Rotate};
    std::vector<int32_t> dragSteps;
    std::vector<ZQ::SlideGrasp*> slides;
    std::vector<ZQ::RotateGrasp*> rotations;
    std::vector<int32_t> endedIds;
};

// Counts admissions.
class AdmissionCounter : public ZQ::EventListener {
public:
    void onGrasp(Grasp* grasp) override { types.push_back(grasp->getType()); }
    std::vector<int32_t> types;
};

// A row of 20 particles 20 pixels apart going right from (100, 500), the
// driver set up as the game controller sets up its factories, and touches of
// radius 10. A stroke from kStart to the right along the row's loose end is
// a slide when it is long enough.
class GraspFactoryDriverTest : public GraspFixture {
protected:
    static constexpr float kRadius = 10.0f;
    static constexpr PVRTVec2 kStart{95.0f, 505.0f};

    void SetUp() override {
        GraspFixture::SetUp();
        std::vector<PVRTVec2> pixels;
        for (int i = 0; i < 20; ++i) {
            pixels.emplace_back(100.0f + 20.0f * i, 500.0f);
        }
        placeOnScreen(pixels, {{0, 19, 0}});
        grasps.addListener(&admissions);
        driver.setUp();
    }

    void TearDown() override {
        driver.tearDown();
        GraspFixture::TearDown();
    }

    // Began at kStart, lifted `dx` to the right after `frames` play steps.
    ZQ::SlideGrasp* strokeRight(float dx, int frames = 2, bool blocked = false) {
        driver.touchBegan(kStart, kRadius, blocked);
        for (int i = 0; i < frames; ++i) {
            driver.step();
        }
        return driver.touchEnded(kStart + PVRTVec2(dx, 0.0f));
    }

    int32_t slidesAdmitted() const {
        return static_cast<int32_t>(
            std::count(admissions.types.begin(), admissions.types.end(), Grasp::Slide));
    }

    RecordingClient client;
    AdmissionCounter admissions;
    GraspFactoryDriver driver{grasps, &client};
};

TEST_F(GraspFactoryDriverTest, TouchIdsAreTheSmallestFree) {
    driver.touchBegan({600.0f, 1000.0f}, kRadius, false);
    driver.touchBegan({600.0f, 800.0f}, kRadius, false);
    driver.touchBegan({600.0f, 600.0f}, kRadius, false);
    std::vector<int32_t> ids;
    for (const DragFactory* f : driver.getDragFactories()) {
        ids.push_back(f->id);
    }
    EXPECT_EQ(ids, (std::vector<int32_t>{2, 1, 0})); // newest first
    EXPECT_EQ(driver.getSlideFactories().size(), 3u);

    driver.touchEnded({600.0f, 801.0f}); // the touch of id 1
    EXPECT_EQ(client.endedIds, std::vector<int32_t>{1});
    EXPECT_EQ(driver.getDragFactories().size(), 2u);
    EXPECT_EQ(driver.getSlideFactories().size(), 2u);
    driver.touchBegan({300.0f, 300.0f}, kRadius, false);
    EXPECT_EQ(driver.getDragFactories().front()->id, 1);
    EXPECT_EQ(driver.getSlideFactories().front()->id, 1);
}

TEST_F(GraspFactoryDriverTest, ManyTouchesInOneFrameGetTheIdsTheReferenceGives) {
    // Touches begin and end in a random order, each at a point of its own so
    // that lifting there ends exactly it. The plain search gets fewer: it is cubic.
    for (const auto& [search, touches] :
         {std::pair{ZQ::TouchIdSearch::Plain, 300}, std::pair{ZQ::TouchIdSearch::Marked, 2500}}) {
        GraspFactoryDriver hand{grasps};
        hand.setTouchIdSearch(search);
        std::mt19937 random(kTestSeed);
        std::set<int32_t> held;
        std::vector<std::pair<int32_t, PVRTVec2>> down; // id and point of each held touch
        for (int began = 0; began < touches;) {
            if (down.empty() || random() % 3 != 0) {
                const PVRTVec2 point(static_cast<float>(began % 64) * 10.0f,
                                     static_cast<float>(began / 64) * 10.0f);
                int32_t expected = 0;
                for (auto it = held.begin(); it != held.end() && *it == expected; ++it) {
                    ++expected;
                }
                hand.touchBegan(point, kRadius, true);
                ASSERT_EQ(hand.getDragFactories().front()->id, expected) << "touch " << began;
                held.insert(expected);
                down.emplace_back(expected, point);
                ++began;
            } else {
                const std::size_t k = random() % down.size();
                hand.touchEnded(down[k].second);
                held.erase(down[k].first);
                down[k] = down.back();
                down.pop_back();
            }
        }
        EXPECT_EQ(hand.getDragFactories().size(), held.size());
    }
}

TEST_F(GraspFactoryDriverTest, DroppedTouchesEndAsLiftedOnesDoAndTheRotationStays) {
    driver.setUp();
    driver.touchBegan({600.0f, 1000.0f}, kRadius, false);
    driver.touchBegan({600.0f, 800.0f}, kRadius, true);
    driver.resetTouches();
    // Blocked or not, every dropped touch is reported, newest first.
    EXPECT_EQ(client.endedIds, (std::vector<int32_t>{1, 0}));
    EXPECT_TRUE(driver.getDragFactories().empty());
    EXPECT_TRUE(driver.getSlideFactories().empty());
    EXPECT_NE(driver.getRotateFactory(), nullptr);
    // Their fingers lifting later find nothing to end.
    EXPECT_EQ(driver.touchEnded({600.0f, 1000.0f}), nullptr);
    EXPECT_EQ(client.endedIds.size(), 2u);
    driver.resetTouches();
    EXPECT_EQ(client.endedIds.size(), 2u);
}

TEST_F(GraspFactoryDriverTest, EventsWithoutFactoriesAreIgnored) {
    // A touch that began before the controller was set up ends or moves:
    // nothing to order, nothing happens.
    driver.touchMoved({100.0f, 500.0f}, kRadius);
    EXPECT_EQ(driver.touchEnded({100.0f, 500.0f}), nullptr);
    EXPECT_EQ(driver.touchCancelled({100.0f, 500.0f}), nullptr);
    driver.step();
    EXPECT_TRUE(admissions.types.empty());
    EXPECT_TRUE(client.endedIds.empty());

    // A torn-down driver has no rotate factory either.
    driver.tearDown();
    EXPECT_EQ(driver.swipe({300.0f, 20.0f}, GraspFactoryDriver::kSwipeRight), nullptr);
    EXPECT_EQ(driver.touchEnded({100.0f, 500.0f}), nullptr);
    EXPECT_TRUE(admissions.types.empty());
}

TEST_F(GraspFactoryDriverTest, RadiiBelowOnePixelTakeTheDevicesTouchRadius) {
    const float device = ZQ::DeviceProfile::get().touchRadius;
    driver.touchBegan({300.0f, 300.0f}, 0.0f, false);
    EXPECT_EQ(driver.getDragFactories().front()->radius, device);
    EXPECT_EQ(driver.getSlideFactories().front()->radius, device);
    driver.touchMoved({310.0f, 300.0f}, 0.25f);
    EXPECT_EQ(driver.getDragFactories().front()->radius, device);
    driver.touchMoved({320.0f, 300.0f}, 12.0f);
    EXPECT_EQ(driver.getDragFactories().front()->radius, 12.0f);
    // A mouse stroke along the row's end: judged with the device radius, it
    // is a slide (36 < 60 < 360).
    driver.tearDown();
    driver.setUp();
    driver.touchBegan(kStart, 0.0f, false);
    EXPECT_NE(driver.touchEnded(kStart + PVRTVec2(60.0f, 0.0f)), nullptr);
}

TEST_F(GraspFactoryDriverTest, SlideTravelBoundsAreStrict) {
    EXPECT_EQ(strokeRight(kRadius), nullptr);
    EXPECT_NE(strokeRight(kRadius + 1.0f), nullptr);
    EXPECT_NE(strokeRight(10.0f * kRadius - 1.0f), nullptr);
    EXPECT_EQ(strokeRight(10.0f * kRadius), nullptr);
    EXPECT_EQ(slidesAdmitted(), 2);
    EXPECT_EQ(client.slides.size(), 2u);
    EXPECT_TRUE(driver.getSlideFactories().empty());
    EXPECT_TRUE(driver.getDragFactories().empty());
}

TEST_F(GraspFactoryDriverTest, ATouchHeldPastCounterTenMakesNoSlide) {
    EXPECT_NE(strokeRight(50.0f, 10), nullptr);
    EXPECT_EQ(strokeRight(50.0f, 11), nullptr);
}

TEST_F(GraspFactoryDriverTest, BlockedTouchesMakeNothing) {
    // On particle 3; blocked as when the level is not being played.
    const ZQ::DragGrasp* began = driver.touchBegan({160.0f, 500.0f}, kRadius, true);
    EXPECT_EQ(began, nullptr);
    // The selection is still made: a blocked factory knows what it would hold.
    EXPECT_EQ(driver.getDragFactories().front()->selection, (std::set<int>{3}));
    for (int i = 0; i < 15; ++i) {
        driver.step();
    }
    EXPECT_EQ(driver.getDragFactories().front()->counter, 15);
    driver.touchEnded({160.0f, 500.0f});
    EXPECT_EQ(strokeRight(50.0f, 2, true), nullptr);
    EXPECT_TRUE(admissions.types.empty());
    EXPECT_TRUE(client.dragSteps.empty());
}

TEST_F(GraspFactoryDriverTest, AHeldFingerPullsAtFourNineAndEveryFrameFromTen) {
    const ZQ::DragGrasp* began = driver.touchBegan({161.0f, 502.0f}, kRadius, false);
    ASSERT_NE(began, nullptr);
    EXPECT_EQ(began->particle, 3);
    EXPECT_EQ(admissions.types.size(), 1u);
    for (int i = 0; i < 14; ++i) {
        driver.step();
    }
    EXPECT_EQ(client.dragSteps, (std::vector<int32_t>{4, 9, 10, 11, 12, 13}));
    EXPECT_EQ(admissions.types, std::vector<int32_t>(7, Grasp::Drag));
    EXPECT_EQ(driver.getDragFactories().front()->counter, 14);
}

TEST_F(GraspFactoryDriverTest, AMovedTouchIsFoundByItsLastPoint) {
    driver.touchBegan({161.0f, 502.0f}, kRadius, false); // id 0 on particle 3
    driver.touchBegan({401.0f, 502.0f}, kRadius, false); // id 1 on particle 15
    driver.touchMoved({170.0f, 540.0f}, kRadius);
    driver.touchMoved({180.0f, 580.0f}, kRadius);
    const DragFactory* first = driver.getDragFactories().back();
    const DragFactory* second = driver.getDragFactories().front();
    EXPECT_EQ(first->currentPoint, PVRTVec2(180.0f, 580.0f));
    EXPECT_EQ(first->pickPoint, PVRTVec2(161.0f, 502.0f));
    EXPECT_EQ(second->currentPoint, PVRTVec2(401.0f, 502.0f));
    for (int i = 0; i < 5; ++i) {
        driver.step();
    }
    // Each touch pulls its own particle toward its own finger.
    ASSERT_GE(grasps.count(), 2);
    std::vector<std::pair<int, PVRTVec2>> pulls;
    for (const Grasp* g : grasps.grasps) {
        const auto* drag = static_cast<const ZQ::DragGrasp*>(g);
        pulls.emplace_back(drag->particle, drag->touchPoint);
    }
    EXPECT_NE(std::find(pulls.begin(), pulls.end(), std::make_pair(3, PVRTVec2(180.0f, 580.0f))),
              pulls.end());
    EXPECT_NE(std::find(pulls.begin(), pulls.end(), std::make_pair(15, PVRTVec2(401.0f, 502.0f))),
              pulls.end());
}

TEST_F(GraspFactoryDriverTest, ALiftedTouchIsJudgedWithItsOwnStartPoint) {
    // A second finger goes down elsewhere after the stroke began; lifting the
    // first still judges the first touch's stroke.
    driver.touchBegan(kStart, kRadius, false);
    driver.touchBegan({600.0f, 1000.0f}, kRadius, false);
    const ZQ::SlideGrasp* slide = driver.touchEnded(kStart + PVRTVec2(50.0f, 0.0f));
    ASSERT_NE(slide, nullptr);
    EXPECT_EQ(slide->particle, 1);
    EXPECT_EQ(client.endedIds, std::vector<int32_t>{0});
    ASSERT_EQ(driver.getSlideFactories().size(), 1u);
    EXPECT_EQ(driver.getSlideFactories().front()->id, 1);
    EXPECT_EQ(driver.getDragFactories().front()->id, 1);
}

// Whether a lifted stroke was quick is its own touch's count, not that of
// the touch at the front of the list: the newest touch, or the one that
// moved last, may be another finger.
TEST_F(GraspFactoryDriverTest, ALiftedTouchIsJudgedByItsOwnCounter) {
    const PVRTVec2 held{301.0f, 502.0f}; // on particle 10
    const PVRTVec2 along = held + PVRTVec2(50.0f, 0.0f);
    driver.touchBegan(held, kRadius, false);
    for (int i = 0; i < 20; ++i) {
        driver.step();
    }
    // A flick while the held finger moved last: still a slide.
    driver.touchBegan(kStart, kRadius, false);
    driver.touchMoved(kStart + PVRTVec2(20.0f, 0.0f), kRadius);
    driver.touchMoved(held + PVRTVec2(0.0f, 10.0f), kRadius);
    driver.step();
    EXPECT_NE(driver.touchEnded(kStart + PVRTVec2(50.0f, 0.0f)), nullptr);

    // The held finger strokes along the cord and lifts while a newer touch
    // is down: a drag, no slide.
    driver.touchBegan({600.0f, 1000.0f}, kRadius, false);
    driver.step();
    EXPECT_EQ(driver.touchEnded(along), nullptr);
    EXPECT_EQ(client.endedIds, (std::vector<int32_t>{1, 0}));
    driver.touchEnded({600.0f, 1000.0f});

    // The same stroke made quickly is a slide.
    driver.touchBegan(held, kRadius, false);
    driver.step();
    EXPECT_NE(driver.touchEnded(along), nullptr);
    EXPECT_EQ(slidesAdmitted(), 2);
}

TEST_F(GraspFactoryDriverTest, SwipesTurnTheCordOnlyFromTheBottomNinth) {
    const float band = ZQ::gGlobals.screenSize.y * GraspFactoryDriver::kSwipeBand;
    ZQ::gGlobals.frameCount = 77;
    const ZQ::RotateGrasp* right = driver.swipe({300.0f, band}, GraspFactoryDriver::kSwipeRight);
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(driver.getRotateFactory()->startFrame, 77);
    EXPECT_EQ(driver.getRotateFactory()->endPoint, PVRTVec2(310.0f, band));
    const ZQ::RotateGrasp* left = driver.swipe({300.0f, 0.0f}, GraspFactoryDriver::kSwipeLeft);
    ASSERT_NE(left, nullptr);
    // Opposite turns about y.
    EXPECT_NEAR(right->rotation(0, 2), -left->rotation(0, 2), 1e-7f);
    EXPECT_NE(right->rotation(0, 2), 0.0f);

    EXPECT_EQ(driver.swipe({300.0f, band + 1.0f}, GraspFactoryDriver::kSwipeRight), nullptr);
    EXPECT_EQ(driver.swipe({300.0f, 10.0f}, 4), nullptr); // up
    EXPECT_EQ(driver.swipe({300.0f, 10.0f}, 8), nullptr); // down
    EXPECT_EQ(driver.swipe({300.0f, 10.0f}, 0), nullptr);
    EXPECT_EQ(admissions.types, (std::vector<int32_t>{Grasp::Rotate, Grasp::Rotate}));
    EXPECT_EQ(client.rotations.size(), 2u);
}

TEST_F(GraspFactoryDriverTest, TheClientGatesEachKind) {
    client.allowed = {Grasp::Slide};
    EXPECT_EQ(driver.touchBegan({161.0f, 502.0f}, kRadius, false), nullptr);
    for (int i = 0; i < 12; ++i) {
        driver.step();
    }
    driver.touchEnded({161.0f, 502.0f});
    EXPECT_EQ(driver.swipe({300.0f, 10.0f}, GraspFactoryDriver::kSwipeRight), nullptr);
    EXPECT_NE(strokeRight(50.0f), nullptr);
    EXPECT_EQ(admissions.types, (std::vector<int32_t>{Grasp::Slide}));

    client.allowed = {Grasp::Drag, Grasp::Rotate};
    EXPECT_EQ(strokeRight(50.0f), nullptr);
    EXPECT_NE(driver.swipe({300.0f, 10.0f}, GraspFactoryDriver::kSwipeRight), nullptr);
}

} // namespace
