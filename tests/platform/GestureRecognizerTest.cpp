#include "platform/ZQGestureRecognizer.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Gesture {
    std::string kind;
    PVRTVec2 location;
    float value; // direction or radius
    bool operator==(const Gesture&) const = default;
};

class GestureLog : public ZQGestureTarget {
public:
    void handleSwipe(PVRTVec2 l, int d) override { gestures.push_back({"swipe", l, static_cast<float>(d)}); }
    void handleTap(PVRTVec2 l, float r) override { gestures.push_back({"tap", l, r}); }
    void handleDoubleTap(PVRTVec2 l) override { gestures.push_back({"doubleTap", l, 0.0f}); }
    std::vector<Gesture> gestures;
};

constexpr float kTouchRadius = 36.0f;

// The view's set: four swipes, the single tap, the double tap, fed alike.
class GestureRecognizerTest : public ::testing::Test {
protected:
    GestureRecognizerTest() {
        recognizers = {
            std::make_unique<ZQSwipeGestureRecognizer>(kSwipeLeft, log),
            std::make_unique<ZQSwipeGestureRecognizer>(kSwipeRight, log),
            std::make_unique<ZQSwipeGestureRecognizer>(kSwipeUp, log),
            std::make_unique<ZQSwipeGestureRecognizer>(kSwipeDown, log),
            std::make_unique<ZQTapGestureRecognizer>(1, kTouchRadius, log),
            std::make_unique<ZQTapGestureRecognizer>(2, kTouchRadius, log),
        };
    }

    static ZQTouch at(int64_t id, PVRTVec2 p, double t) {
        ZQTouch touch;
        touch.id = id;
        touch.location = p;
        touch.timestamp = t;
        return touch;
    }

    void began(const ZQTouchSet& t) {
        for (auto& r : recognizers)
            r->touchesBegan(t);
    }
    void moved(const ZQTouchSet& t) {
        for (auto& r : recognizers)
            r->touchesMoved(t);
    }
    void ended(const ZQTouchSet& t) {
        for (auto& r : recognizers)
            r->touchesEnded(t);
    }
    void cancelled(const ZQTouchSet& t) {
        for (auto& r : recognizers)
            r->touchesCancelled(t);
    }

    // One finger from `from` to `to` in `seconds`, reported in `steps` moves.
    void stroke(PVRTVec2 from, PVRTVec2 to, double start, double seconds, int steps = 6) {
        began({at(1, from, start)});
        for (int i = 1; i <= steps; ++i) {
            const float f = static_cast<float>(i) / static_cast<float>(steps);
            moved({at(1, from + (to - from) * f, start + seconds * f)});
        }
        ended({at(1, to, start + seconds)});
    }

    void tapAt(PVRTVec2 p, double start) {
        began({at(1, p, start)});
        ended({at(1, p, start + 0.08)});
    }

    GestureLog log;
    std::array<std::unique_ptr<ZQGestureRecognizer>, 6> recognizers;
};

TEST_F(GestureRecognizerTest, AFastStraightStrokeIsASwipeInItsDirectionOnly) {
    const PVRTVec2 start(150.0f, 300.0f);
    struct Case {
        PVRTVec2 travel;
        int direction;
    };
    // Up is towards the top of the view, where y is smallest.
    const Case cases[] = {{{120.0f, 8.0f}, kSwipeRight},
                          {{-120.0f, -8.0f}, kSwipeLeft},
                          {{-8.0f, -120.0f}, kSwipeUp},
                          {{8.0f, 120.0f}, kSwipeDown}};
    double t = 0.0;
    for (const Case& c : cases) {
        log.gestures.clear();
        stroke(start, start + c.travel, t, 0.15);
        t += 1.0;
        EXPECT_EQ(log.gestures, (std::vector<Gesture>{{"swipe", start, static_cast<float>(c.direction)}}))
            << "direction " << c.direction;
    }
}

TEST_F(GestureRecognizerTest, SlowShortSlantedOrTwoFingerStrokesAreNoSwipes) {
    const PVRTVec2 start(150.0f, 300.0f);
    // Too slow for the speed (a drag), too short, too slanted, too long in coming.
    stroke(start, start + PVRTVec2(120.0f, 0.0f), 0.0, 0.6);
    stroke(start, start + PVRTVec2(45.0f, 0.0f), 1.0, 0.05);
    stroke(start, start + PVRTVec2(100.0f, 60.0f), 2.0, 0.1);
    began({at(1, start, 3.0)});
    moved({at(1, start + PVRTVec2(20.0f, 0.0f), 3.6)});
    moved({at(1, start + PVRTVec2(150.0f, 0.0f), 3.7)});
    ended({at(1, start + PVRTVec2(150.0f, 0.0f), 3.7)});
    // Two fingers.
    began({at(1, start, 4.0), at(2, start + PVRTVec2(0.0f, 50.0f), 4.0)});
    moved({at(1, start + PVRTVec2(120.0f, 0.0f), 4.1), at(2, start + PVRTVec2(120.0f, 50.0f), 4.1)});
    ended({at(1, start + PVRTVec2(120.0f, 0.0f), 4.1), at(2, start + PVRTVec2(120.0f, 50.0f), 4.1)});
    EXPECT_TRUE(log.gestures.empty()) << log.gestures.size() << " gestures";
}

TEST_F(GestureRecognizerTest, AFlickWithNoMovesBetweenIsStillASwipe) {
    began({at(7, PVRTVec2(100.0f, 100.0f), 5.0)});
    ended({at(7, PVRTVec2(100.0f, 180.0f), 5.1)});
    EXPECT_EQ(log.gestures, (std::vector<Gesture>{{"swipe", PVRTVec2(100.0f, 100.0f), kSwipeDown}}));
}

TEST_F(GestureRecognizerTest, ATapIsDeliveredAtOnceAndASecondOneAddsADoubleTap) {
    tapAt(PVRTVec2(50.0f, 60.0f), 0.0);
    EXPECT_EQ(log.gestures, (std::vector<Gesture>{{"tap", PVRTVec2(50.0f, 60.0f), kTouchRadius}}))
        << "not held back for a possible double tap";
    tapAt(PVRTVec2(55.0f, 58.0f), 0.25);
    const std::vector<Gesture> both = {{"tap", PVRTVec2(50.0f, 60.0f), kTouchRadius},
                                       {"tap", PVRTVec2(55.0f, 58.0f), kTouchRadius},
                                       {"doubleTap", PVRTVec2(55.0f, 58.0f), 0.0f}};
    EXPECT_EQ(log.gestures, both);

    // A third tap starts a new series: no second double tap from taps two
    // and three.
    tapAt(PVRTVec2(55.0f, 58.0f), 0.45);
    EXPECT_EQ(log.gestures.back().kind, "tap");
}

TEST_F(GestureRecognizerTest, TapsTooFarApartInTimeOrPlaceAreNoDoubleTap) {
    tapAt(PVRTVec2(50.0f, 60.0f), 0.0);
    tapAt(PVRTVec2(50.0f, 60.0f), 0.08 + kDoubleTapMaxInterval + 0.05);
    tapAt(PVRTVec2(50.0f + kDoubleTapMaxDistance + 5.0f, 60.0f), 0.6);
    ASSERT_EQ(log.gestures.size(), 3u);
    for (const Gesture& g : log.gestures) {
        EXPECT_EQ(g.kind, "tap");
    }
}

TEST_F(GestureRecognizerTest, AMovedHeldCancelledOrTwoFingerTouchIsNoTap) {
    began({at(1, PVRTVec2(50.0f, 60.0f), 0.0)});
    moved({at(1, PVRTVec2(50.0f, 60.0f + kTapMaxMovement + 1.0f), 0.05)});
    ended({at(1, PVRTVec2(50.0f, 60.0f), 0.1)}); // back in place: still spoilt
    began({at(1, PVRTVec2(50.0f, 60.0f), 1.0)});
    ended({at(1, PVRTVec2(50.0f, 60.0f), 1.0 + kTapMaxDuration + 0.05)});
    began({at(1, PVRTVec2(50.0f, 60.0f), 2.0)});
    cancelled({at(1, PVRTVec2(50.0f, 60.0f), 2.05)});
    began({at(1, PVRTVec2(50.0f, 60.0f), 3.0)});
    began({at(2, PVRTVec2(150.0f, 60.0f), 3.02)});
    ended({at(1, PVRTVec2(50.0f, 60.0f), 3.05)});
    ended({at(2, PVRTVec2(150.0f, 60.0f), 3.06)});
    EXPECT_TRUE(log.gestures.empty());
    // The spoilt touches leave nothing behind: the next tap is a plain one.
    tapAt(PVRTVec2(50.0f, 60.0f), 4.0);
    EXPECT_EQ(log.gestures, (std::vector<Gesture>{{"tap", PVRTVec2(50.0f, 60.0f), kTouchRadius}}));
}

TEST_F(GestureRecognizerTest, TheTapRadiusIsTheLargestSinceTheLastReset) {
    ZQTapGestureRecognizer tap(1, kTouchRadius, log);
    ZQTouch touch = at(1, PVRTVec2(10.0f, 10.0f), 0.0);
    touch.hasMajorRadius = true;
    touch.majorRadius = 30.0f;
    touch.majorRadiusTolerance = 5.0f;
    tap.touchesBegan({touch});
    touch.majorRadius = 20.0f;
    touch.timestamp = 0.05;
    tap.touchesMoved({touch});
    EXPECT_EQ(tap.radius(), 35.0f);
    tap.touchesEnded({touch});
    EXPECT_EQ(log.gestures.back().value, 35.0f);
    EXPECT_EQ(tap.radius(), 0.0f) << "reset once the finger is up";

    // Without a measured size a touch counts as the profile's radius.
    tap.touchesBegan({at(1, PVRTVec2(10.0f, 10.0f), 1.0)});
    EXPECT_EQ(tap.radius(), kTouchRadius);
}

TEST_F(GestureRecognizerTest, ALiftOfAFingerNeverSeenDownChangesNothing) {
    began({at(1, PVRTVec2(10.0f, 10.0f), 0.0)});
    ended({at(9, PVRTVec2(10.0f, 10.0f), 0.02)});
    ended({at(1, PVRTVec2(10.0f, 10.0f), 0.05)});
    EXPECT_EQ(log.gestures, (std::vector<Gesture>{{"tap", PVRTVec2(10.0f, 10.0f), kTouchRadius}}));
}

} // namespace
