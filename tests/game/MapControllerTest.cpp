#include "game/MapController.h"

#include "constants/GradeMaps.h"
#include "constants/ResourceNames.h"
#include "engine/Action.h"
#include "engine/MathHelpers.h"
#include "engine/Random.h"
#include "game/SavedState.h"
#include "overlays/CaptionCollection.h"
#include "overlays/CaptionGLFixture.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CursorModel.h"
#include "overlays/FollowHoloAction.h"
#include "overlays/MapOverlays.h"
#include "overlays/PointsModel.h"
#include "render/MeshInstance.h"
#include "render/RenderProgram.h"
#include "stage/HoloInstance.h"
#include "stage/HoloModel.h"
#include "support/CatalogueSuite.h"
#include "support/RecordingSoundGateway.h"
#include "support/SeededRandom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using ZQ::HoloInstance;
using ZQ::MapController;

// The map over the models it drives: the catalogue, the hologram model with
// the overlays' side, the cursor, caption and points models, on the headless
// context with a small caption list; sounds recorded.
class MapControllerTest : public CatalogueSuite<CaptionGLTest> {
protected:
    void SetUp() override {
        CatalogueSuite::SetUp();
        ZQ::seedRandom(kTestSeed);
        ZQ::Globals& g = ZQ::gGlobals;
        g.holoModel = &holo;
        g.cursorModel = &cursors;
        g.pointsModel = &points;
        holo.overlays = &ZQ::mapOverlays();
        g.models = {catalogue, &points, &model, &cursors, &holo};
        for (ZQ::Model* each : g.models) {
            each->setUp();
        }
        points.points = 12345;
    }
    void TearDown() override {
        map.tearDown();
        cursors.tearDown();
        for (HoloInstance*& h : holo.instances) {
            delete h;
            h = nullptr;
        }
        CatalogueSuite::TearDown();
    }

    // The saved place: level `level` of `maxLevel` reached.
    void reach(int32_t level, int32_t maxLevel) {
        catalogue->max_level = maxLevel;
        catalogue->level = level;
    }

    // A frame of the map's models, the controller first as the master runs it.
    void frame() {
        map.doStep();
        cursors.doStep();
        holo.doStep();
        model.doStep();
    }

    void enter() {
        map.setUp();
        frame();
    }

    // The pixel (bottom-left origin) whose touch meets the screen plane at
    // the fractions (fx, fy).
    static PVRTVec2 pixelAt(float fx, float fy) {
        const float w = ZQ::gGlobals.screenSize.x;
        const float h = ZQ::gGlobals.screenSize.y;
        const PVRTVec2 ndc =
            ZQ::projectPoint(ZQ::RenderProgram::defaultView(), PVRTVec3(fx * w, fy * h, 0.0f), false);
        return PVRTVec2((ndc.x * 0.5f + 0.5f) * w, (ndc.y * 0.5f + 0.5f) * h);
    }

    HoloInstance* at(int32_t i) const {
        return i >= 0 && static_cast<std::size_t>(i) < holo.instances.size()
                   ? holo.instances[static_cast<std::size_t>(i)]
                   : nullptr;
    }

    std::size_t shown(const std::string& name) const {
        return static_cast<std::size_t>(
            std::count_if(model.captions.begin(), model.captions.end(), [&](const ZQ::CaptionInstance* c) {
                return c->entry != nullptr && c->entry->name == name;
            }));
    }

    ZQ::HoloModel holo;
    ZQ::CursorModel cursors;
    ZQ::PointsModel points;
    MapController map;
    RecordingSoundGateway sound;
    ScopedSoundGateway scopedSound{&sound};
};

TEST_F(MapControllerTest, WithOnlyTheFirstLevelReachedTheMapEndsAtOnceShowingNothing) {
    reach(0, 0);
    enter();
    EXPECT_TRUE(map.isDone());
    EXPECT_TRUE(sound.calls.empty());
    EXPECT_TRUE(model.captions.empty());
    EXPECT_TRUE(cursors.discs.empty());
    EXPECT_TRUE(
        std::all_of(holo.instances.begin(), holo.instances.end(), [](auto* h) { return h == nullptr; }));
    EXPECT_EQ(catalogue->level, 0);
}

TEST_F(MapControllerTest, EnteringBuildsTheRingTheTotalsAndTheLevelLines) {
    reach(0, 3);
    catalogue->timerForlevel[0] = 42;
    catalogue->tangleForlevel[0] = 1;
    enter();
    EXPECT_EQ(map.getState(), MapController::Choosing);
    EXPECT_EQ(sound.names(), (std::vector<std::string>{"playMapMusic", "playIgnition01"}));
    // Level 0 in front: nothing to its left.
    EXPECT_EQ(holo.current, 0);
    EXPECT_EQ(holo.count, 4);
    EXPECT_EQ(at(0)->orbitAngle, ZQ::HoloModel::slotAngle(2));
    EXPECT_EQ(at(1)->orbitAngle, ZQ::HoloModel::slotAngle(3));
    EXPECT_EQ(at(2)->orbitAngle, ZQ::HoloModel::slotAngle(4));
    EXPECT_EQ(at(3), nullptr);
    EXPECT_EQ(cursors.discs.size(), 3u) << "one disc per hologram";
    for (const ZQ::MeshInstance* disc : cursors.discs) {
        EXPECT_NE(dynamic_cast<const ZQ::FollowHoloAction*>(disc->getAction()), nullptr);
    }
    // The totals wait two seconds before they fade in.
    const ZQ::CaptionInstance* total = model.findCaption(ZQ::ResourceNames::partials_total);
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(total->layout.position.y, 0.85f * ZQ::gGlobals.screenSize.y);
    EXPECT_EQ(shown(ZQ::ResourceNames::small_totalpoints), 1u);
    EXPECT_EQ(shown(ZQ::ResourceNames::knots_name), 1u);
    EXPECT_EQ(shown(ZQ::ResourceNames::holo_level), 1u);
    EXPECT_EQ(shown(ZQ::ResourceNames::holo_timer), 1u);
    EXPECT_EQ(shown("small_tangles_Silver"), 1u) << "a level with a time shows its grade";
    for (int f = 0; f < 100; ++f) {
        frame();
    }
    EXPECT_EQ(total->layout.alpha, 1.0f);
    EXPECT_EQ(model.findCaption(ZQ::ResourceNames::small_totalpoints)->layout.alpha, 0.5f);
    EXPECT_EQ(at(0)->layout.alpha, 1.0f);
}

TEST_F(MapControllerTest, ALevelWithoutATimeShowsNoGradeLine) {
    reach(2, 5);
    catalogue->timerForlevel[2] = 0;
    enter();
    for (const auto& [grade, name] : ZQ::ResourceNames::tanglesByGrade) {
        EXPECT_EQ(shown(ZQ::ResourceNames::small_ + *name), 0u);
    }
    EXPECT_EQ(shown(ZQ::ResourceNames::holo_timer), 1u);
}

TEST_F(MapControllerTest, TheTotalsOfTheAwardScreenAreReusedAndFadeInAgain) {
    reach(1, 2);
    ZQ::CaptionInstance* before = model.addCaption(ZQ::ResourceNames::partials_total, nullptr);
    before->layout.alpha = 1.0f;
    enter();
    EXPECT_EQ(shown(ZQ::ResourceNames::partials_total), 1u);
    EXPECT_EQ(model.findCaption(ZQ::ResourceNames::partials_total), before);
    EXPECT_EQ(before->layout.alpha, 0.0f);
}

TEST_F(MapControllerTest, TapsOutsideTheBandOrBetweenTheZonesDoNothing) {
    reach(4, 8);
    enter();
    const std::size_t sounds = sound.calls.size();
    for (PVRTVec2 f : {PVRTVec2(0.1f, 0.29f), PVRTVec2(0.1f, 0.61f), PVRTVec2(0.9f, 0.2f),
                       PVRTVec2(0.34f, 0.45f), PVRTVec2(0.66f, 0.45f), PVRTVec2(0.5f, 0.7f)}) {
        const PVRTVec2 back = MapController::planeFraction(pixelAt(f.x, f.y));
        ASSERT_NEAR(back.x, f.x, 1e-3f);
        ASSERT_NEAR(back.y, f.y, 1e-3f);
        map.tap(pixelAt(f.x, f.y), 20.0f);
        map.doubleTap(pixelAt(f.x, f.y));
    }
    EXPECT_EQ(sound.calls.size(), sounds);
    EXPECT_EQ(holo.current, 4);
    EXPECT_EQ(map.getState(), MapController::Choosing);
}

TEST_F(MapControllerTest, TapsAndSwipesStepOneLevelAndStopAtTheEnds) {
    reach(3, 3);
    enter();
    map.tap(pixelAt(0.9f, 0.45f), 20.0f);
    EXPECT_EQ(holo.current, 3) << "nothing right of the last level";
    EXPECT_EQ(sound.count("playIgnition16"), 1u);
    map.swipe(PVRTVec2(), 1);
    EXPECT_EQ(holo.current, 2) << "a swipe to the right steps left";
    map.tap(pixelAt(0.1f, 0.45f), 20.0f);
    EXPECT_EQ(holo.current, 1);
    map.swipe(PVRTVec2(), 2);
    EXPECT_EQ(holo.current, 2);
    map.swipe(PVRTVec2(), 4);
    map.swipe(PVRTVec2(), 8);
    EXPECT_EQ(holo.current, 2);
    EXPECT_EQ(sound.count("playIgnition16"), 4u);
}

TEST_F(MapControllerTest, ADoubleTapAtTheLeftEdgeRunsToLevelZeroOneStepEveryThreeFrames) {
    reach(4, 9);
    enter();
    map.doubleTap(pixelAt(0.1f, 0.45f));
    EXPECT_EQ(holo.pendingPrevious, MapController::kDoubleTapSteps);
    std::vector<int> stepFrames;
    int32_t last = holo.current;
    for (int f = 0; f < 40; ++f) {
        frame();
        if (holo.current != last) {
            stepFrames.push_back(f);
            last = holo.current;
        }
    }
    EXPECT_EQ(holo.current, 0);
    ASSERT_EQ(stepFrames.size(), 4u);
    for (std::size_t k = 1; k < stepFrames.size(); ++k) {
        EXPECT_EQ(stepFrames[k] - stepFrames[k - 1], 3);
    }
    // One sound for the double tap, one for each of the ten steps.
    EXPECT_EQ(sound.count("playIgnition16"), 11u);
}

TEST_F(MapControllerTest, ChoosingWithStepsPendingStartsExactlyTheLevelInFrontAndIgnoresLaterInput) {
    reach(2, 9);
    enter();
    map.doubleTap(pixelAt(0.9f, 0.45f));
    frame();
    frame();
    const int32_t front = holo.current;
    ASSERT_EQ(front, 3);
    map.tap(pixelAt(0.5f, 0.45f), 20.0f);
    EXPECT_EQ(map.getState(), MapController::Closing);
    EXPECT_EQ(catalogue->level, front);
    const std::size_t sounds = sound.calls.size();
    map.tap(pixelAt(0.9f, 0.45f), 20.0f);
    map.swipe(PVRTVec2(), 2);
    map.doubleTap(pixelAt(0.1f, 0.45f));
    EXPECT_EQ(sound.calls.size(), sounds) << "input after the choice is ignored";
    int frames = 0;
    while (!map.isDone() && frames < 200) {
        frame();
        ++frames;
    }
    EXPECT_TRUE(map.isDone()) << "the map is left once every hologram has faded";
    EXPECT_EQ(holo.current, front);
    EXPECT_EQ(catalogue->level, front);
    EXPECT_TRUE(cursors.discs.empty()) << "the discs are gone with the holograms";
}

TEST_F(MapControllerTest, BrowsingAndChoosingLeaveTheSavedGradesAndTimesAlone) {
    ZQ::SavedState saved(catalogue->levelCount());
    saved.level = 6;
    saved.max_level = 9;
    for (int32_t k = 0; k <= 9; ++k) {
        saved.tangleForlevel[static_cast<std::size_t>(k)] = k % 5;
        saved.timerForlevel[static_cast<std::size_t>(k)] = 10 + k;
    }
    ZQ::SavedState::Scores scores;
    ZQ::SavedState::Timer timer;
    saved.apply(*catalogue, scores, timer);
    const ZQ::SavedState before = saved;
    enter();
    map.swipe(PVRTVec2(), 1);
    map.doubleTap(pixelAt(0.1f, 0.45f));
    for (int f = 0; f < 7; ++f) {
        frame();
    }
    map.tap(pixelAt(0.5f, 0.45f), 20.0f);
    while (!map.isDone()) {
        frame();
    }
    const int32_t chosen = catalogue->level;
    EXPECT_LT(chosen, 6);
    for (int32_t k = 0; k <= 9; ++k) {
        EXPECT_EQ(catalogue->tangleForlevel[k], before.tangleForlevel[static_cast<std::size_t>(k)]);
        EXPECT_EQ(catalogue->timerForlevel[k], before.timerForlevel[static_cast<std::size_t>(k)]);
    }
    scores.grade = catalogue->tangleForlevel[chosen];
    saved.captureChoice(*catalogue, scores);
    EXPECT_EQ(saved.level, chosen);
    EXPECT_EQ(saved.tangleForlevel, before.tangleForlevel);
    EXPECT_EQ(saved.timerForlevel, before.timerForlevel);
}

TEST_F(MapControllerTest, TheFollowCursorTakesTheFirstDiscWiderThanTheKnot) {
    reach(0, 1);
    enter();
    const HoloInstance* h = at(0);
    ASSERT_NE(h, nullptr);
    const float size = ZQ::MapOverlays::followSize(*h);
    const PVRTVec3 extent = h->corners[7] - h->corners[0];
    EXPECT_EQ(size, std::max(std::fabs(extent.x), std::fabs(extent.z)));
    ASSERT_FALSE(cursors.discs.empty());
    ZQ::MeshInstance* disc = cursors.discs.front();
    EXPECT_EQ(disc->baseLayout.scale, ZQ::gGlobals.screenSize.x / 6.0f);
}

} // namespace
