#include "engine/Globals.h"
#include "platform/ZQDisplayLink.h"
#include "platform/ZQLanguage.h"
#include "platform/ZQMotionParallax.h"
#include "platform/ZQWindowEvents.h"
#include "support/GlobalsTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

namespace {

using namespace std::chrono_literals;
using Clock = ZQDisplayLink::Clock;

TEST(DisplayLinkTest, TicksAtTheFrameIntervalAndNeverTwiceForOneTick) {
    ZQDisplayLink link(2);
    EXPECT_EQ(link.period(), std::chrono::duration_cast<Clock::duration>(1s) / 30);
    const Clock::time_point t0{};
    link.start(t0);
    EXPECT_EQ(link.due(), t0) << "the first frame at once";
    link.fired(t0 + 1ms);
    EXPECT_EQ(link.due(), t0 + link.period());

    // A frame that ends 2.5 periods late: the next tick is the first on the
    // schedule still ahead, not a burst of the missed ones.
    const Clock::time_point late = t0 + link.period() * 3 + link.period() / 2;
    link.fired(late);
    EXPECT_GT(link.due(), late);
    EXPECT_LE(link.due() - late, link.period());
    EXPECT_EQ((link.due() - t0) % link.period(), Clock::duration::zero()) << "on the original schedule";

    // Starting a running link keeps its schedule; after a stop it starts anew.
    const Clock::time_point due = link.due();
    link.start(late + 1s);
    EXPECT_EQ(link.due(), due);
    link.stop();
    link.start(late + 1s);
    EXPECT_EQ(link.due(), late + 1s);
}

TEST(DisplayLinkTest, AFrameCountedOverASecondOfSteadyTicksIsThirty) {
    ZQDisplayLink link(2);
    Clock::time_point now{};
    link.start(now);
    int frames = 0;
    // Simulated time in 1 ms steps: a frame whenever one is due.
    for (int ms = 0; ms < 1000; ++ms, now += 1ms) {
        if (now >= link.due()) {
            ++frames;
            link.fired(now);
        }
    }
    EXPECT_EQ(frames, 30);
}

const char* lookIn(const std::map<std::string, std::string>& env, const char* name) {
    const auto it = env.find(name);
    return it == env.end() ? nullptr : it->second.c_str();
}

std::map<std::string, std::string> gEnvironment;

std::string languageWith(std::map<std::string, std::string> env) {
    gEnvironment = std::move(env);
    return ZQLanguage::selectLanguage([](const char* name) { return lookIn(gEnvironment, name); });
}

TEST(LanguageTest, TheFirstVariableNamingAGameLanguageWins) {
    EXPECT_EQ(languageWith({}), "en");
    EXPECT_EQ(languageWith({{"LANG", "fr_FR.UTF-8"}}), "fr");
    EXPECT_EQ(languageWith({{"LANG", "it_IT.UTF-8"}, {"LC_MESSAGES", "ja_JP.UTF-8"}}), "ja");
    EXPECT_EQ(languageWith({{"LANG", "it_IT"}, {"LC_ALL", "de_DE@euro"}, {"LANGUAGE", "es:fr:en"}}), "fr");
    // Variables that name no language of the game are passed over.
    EXPECT_EQ(languageWith({{"LANGUAGE", ""}, {"LC_ALL", "C"}, {"LC_MESSAGES", "es_ES"}, {"LANG", "de_AT"}}),
              "de");
    EXPECT_EQ(languageWith({{"LANG", "POSIX"}}), "en");
    EXPECT_EQ(languageWith({{"LANG", "pt_BR.UTF-8"}}), "en");
    EXPECT_EQ(languageWith({{"LANG", "english"}}), "en") << "only exact codes match";
}

class MotionParallaxTest : public GlobalsTest {};

TEST_F(MotionParallaxTest, TheFormulaGivesTheDevicesVerticalAxis) {
    // Lying flat, screen up: no shift.
    EXPECT_EQ(ZQMotionParallax::parallaxFor({0.0f, 0.0f, 0.0f, 1.0f}), PVRTVec3(0.0f, 0.0f, -1.0f));
    // Any unit attitude gives a unit vector, and turning about the vertical
    // axis (z) changes nothing.
    for (float angle : {0.3f, 1.1f, 2.5f}) {
        const float s = std::sin(angle * 0.5f);
        const float c = std::cos(angle * 0.5f);
        EXPECT_NEAR(ZQMotionParallax::parallaxFor({0.0f, 0.0f, s, c}).z, -1.0f, 1e-6f);
        // Tilted about x by `angle`: the vertical leans into -y by sin(angle).
        const PVRTVec3 tilted = ZQMotionParallax::parallaxFor({s, 0.0f, 0.0f, c});
        EXPECT_NEAR(tilted.x, 0.0f, 1e-6f);
        EXPECT_NEAR(tilted.y, -std::sin(angle), 1e-6f);
        EXPECT_NEAR(tilted.z, -std::cos(angle), 1e-6f);
        EXPECT_NEAR(tilted.length(), 1.0f, 1e-6f);
    }
}

TEST_F(MotionParallaxTest, WithoutASensorOrWithTheEffectOffTheVectorIsZero) {
    const ZQMotionParallax::Attitude tilted{0.2f, 0.1f, 0.0f, std::sqrt(1.0f - 0.05f)};
    ZQMotionParallax motion;
    ZQ::gGlobals.parallax = PVRTVec3(9.0f, 9.0f, 9.0f);
    motion.motionRefresh(std::nullopt, false);
    EXPECT_EQ(ZQ::gGlobals.parallax, PVRTVec3()) << "a desktop has no attitude";
    motion.motionRefresh(tilted, true);
    EXPECT_EQ(ZQ::gGlobals.parallax, PVRTVec3()) << "reduced motion";
    motion.motionRefresh(tilted, false);
    EXPECT_EQ(ZQ::gGlobals.parallax, ZQMotionParallax::parallaxFor(tilted)) << "follows again at once";
    // The preference arrives too late for this process: read at the first refresh.
    motion.useDisableParallaxPreference(true);
    motion.motionRefresh(tilted, false);
    EXPECT_EQ(ZQ::gGlobals.parallax, ZQMotionParallax::parallaxFor(tilted));

    ZQMotionParallax off;
    off.useDisableParallaxPreference(true);
    off.motionRefresh(tilted, false);
    EXPECT_EQ(ZQ::gGlobals.parallax, PVRTVec3());
}

TEST(WindowMappingTest, WindowPositionsMapThroughTheLetterboxToPoints) {
    const PVRTVec2 frame(375.0f, 667.0f);
    // A window of the frame's own aspect at half size.
    EXPECT_EQ(ZQWindowEvents::toPoints(PVRTVec2(0.0f, 0.0f), frame * 0.5f, frame), PVRTVec2(0.0f, 0.0f));
    EXPECT_EQ(ZQWindowEvents::toPoints(PVRTVec2(80.0f, 100.0f), frame * 0.5f, frame),
              PVRTVec2(160.0f, 200.0f));
    // A landscape full screen: the view is centred between black bars.
    const PVRTVec2 screen(1920.0f, 1080.0f);
    const float fit = 1080.0f / 667.0f;
    const float bar = (1920.0f - 375.0f * fit) * 0.5f;
    const PVRTVec2 corner = ZQWindowEvents::toPoints(PVRTVec2(bar, 0.0f), screen, frame);
    EXPECT_NEAR(corner.x, 0.0f, 1e-3f);
    const PVRTVec2 far = ZQWindowEvents::toPoints(PVRTVec2(1920.0f - bar, 1080.0f), screen, frame);
    EXPECT_NEAR(far.x, 375.0f, 1e-3f);
    EXPECT_NEAR(far.y, 667.0f, 1e-3f);
    EXPECT_LT(ZQWindowEvents::toPoints(PVRTVec2(10.0f, 500.0f), screen, frame).x, 0.0f) << "on the bar";
}

} // namespace
