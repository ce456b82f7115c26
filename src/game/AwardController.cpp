#include "game/AwardController.h"

#include "constants/GradeMaps.h"
#include "constants/ResourceNames.h"
#include "cords/GrainEmitter.h"
#include "cords/GrainModel.h"
#include "cords/TangleModel.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/DeviceProfile.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/Log.h"
#include "engine/Model.h"
#include "engine/Preferences.h"
#include "engine/SocialGateway.h"
#include "engine/SoundAction.h"
#include "engine/SoundGateway.h"
#include "engine/TweenActions.h"
#include "game/GameController.h"
#include "game/Sharing.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionCollection.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"
#include "overlays/FlowModel.h"
#include "overlays/FlowSteps.h"
#include "overlays/PointsModel.h"
#include "overlays/ScoreModel.h"
#include "overlays/StringScoreModel.h"
#include "overlays/TileCollection.h"
#include "overlays/TileModel.h"
#include "overlays/TimerModel.h"
#include "stage/GaugeModel.h"

#include <algorithm>
#include <array>
#include <list>

namespace ZQ {

namespace {

constexpr float kPi = 3.14159265f;

// Grade to the metal record of the tangle pass.
// clang-format off
constexpr std::array<int32_t, 5> kMetalByGrade = {
    4, // Golden: gold
    3, // Silver: polished silver
    2, // Bronze: polished bronze
    1, // Steel: chrome
    0, // Obsidian: obsidian
};
// clang-format on
static_assert(kMetalByGrade.size() == 5);

// The states' names, indexed by state.
// clang-format off
constexpr std::array kStateNames = {
    "ClearSnapshot", // 0
    "ShowPoints",    // 1
    "PointsRun",     // 2
    "SkipPoints",    // 3
    "ShowAward",     // 4
    "AwaitChoice",   // 5
    "TakeBackScore", // 6
    "StartExit",     // 7
    "ExitRuns",      // 8
    "Done",          // 9
};
// clang-format on
static_assert(kStateNames.size() == AwardController::kStateCount);

// The grade's name hangs across the top of the screen for a day of frames,
// until the exit animation lets it go.
constexpr int32_t kHangFrames = 2592000;

float hudDepth() {
    return DeviceProfile::get().hudDepth;
}

// An item's layout at (x, y) on the overlay plane.
Layout overlayAt(float x, float y, float scale, float alpha) {
    Layout layout;
    layout.position = PVRTVec3(x, y, hudDepth());
    layout.scale = scale;
    layout.alpha = alpha;
    return layout;
}

// The visible caption of that name, or a new one.
CaptionInstance* findOrAddCaption(const std::string& name) {
    CaptionModel& captions = *gGlobals.captionModel;
    CaptionInstance* caption = captions.findCaption(name);
    return caption != nullptr ? caption : captions.addCaption(name, nullptr);
}

void deleteGrainActions() {
    for (GrainEmitter* emitter : gGlobals.grainModel->getEmitters()) {
        emitter->setAction(nullptr);
    }
}

Action* flowMove(int32_t frames, float x, float y) {
    return new FlowMoveAction(frames, PVRTVec3(x, y, 0.0f), easeSmooth());
}

} // namespace

const char* AwardController::stateName(State state) {
    const auto index = static_cast<std::size_t>(state);
    return index < kStateNames.size() ? kStateNames[index] : "";
}

int32_t AwardController::metalForGrade(int32_t grade) {
    ZQ_ASSERT(grade >= 0 && grade < static_cast<int32_t>(kMetalByGrade.size()));
    return kMetalByGrade[static_cast<std::size_t>(grade)];
}

void AwardController::setUp() {
    if (!listening) {
        listenToModels();
        listening = true;
    }
    state = State::ClearSnapshot;
    gradeFlowId = -1;
}

void AwardController::tearDown() {
    if (!listening) {
        return;
    }
    stopListeningToModels();
    listening = false;
}

void AwardController::tap(PVRTVec2 point, float) {
    const float x = point.x / gGlobals.screenSize.x;
    const float y = point.y / gGlobals.screenSize.y;
    if (!(x > 0.1f && x < 0.9f && y > 0.3f && y < 0.7f)) {
        return;
    }
    if (state == State::AwaitChoice) {
        state = State::StartExit;
    } else if (state == State::PointsRun) {
        state = State::SkipPoints;
    }
}

void AwardController::onTile(int tileId) {
    if (tileId == TileCollection::kContinue && state == State::PointsRun) {
        state = State::SkipPoints;
    }
}

void AwardController::doStep() {
    PointsModel& points = *gGlobals.pointsModel;
    switch (state) {
    case State::ClearSnapshot:
        SocialGateway::instance()->clearSnapshot();
        state = State::ShowPoints;
        break;
    case State::ShowPoints:
        showPoints();
        state = State::PointsRun;
        break;
    case State::PointsRun:
        if (points.done == 1 && gGlobals.grainModel->isReady()) {
            deleteGrainActions();
            state = State::ShowAward;
        }
        break;
    case State::SkipPoints:
        skipPoints();
        state = State::ShowAward;
        break;
    case State::ShowAward:
        showAward();
        state = State::AwaitChoice;
        requestReview();
        break;
    case State::TakeBackScore:
        // The level is played again: its points and its knot go back, and
        // only the replay's solve counts.
        GameController::takeBackLevelScore();
        state = State::StartExit;
        break;
    case State::StartExit:
        exitAnimation();
        state = State::ExitRuns;
        break;
    case State::ExitRuns:
        if (points.done == 1) {
            state = State::Done;
        }
        break;
    case State::AwaitChoice:
    case State::Done:
        break;
    }
}

void AwardController::showPoints() {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    TileCollection::showPointsUi();
    PointsModel& points = *gGlobals.pointsModel;
    points.flowId = -1;
    points.done = 0;
    points.animPoints(1000 + 100 * gGlobals.levelModel->level);
    // The message pops up, stays about seven and a half seconds and shrinks away.
    const Layout small = overlayAt(0.5f * w, 0.25f * h, 0.0001f, 1.0f);
    const Layout full = overlayAt(0.5f * w, 0.25f * h, 1.0f, 1.0f);
    gGlobals.captionModel->addCaption(
        ResourceNames::messages_points,
        new Sequence({new EasingStaticAction(small, full, easeOutElastic(), 45), new WaitAction(225),
                      new EasingAction(small, easeInElastic(), 30)}));
}

void AwardController::skipPoints() {
    CaptionModel& captions = *gGlobals.captionModel;
    for (const std::string* name : {&ResourceNames::messages_points, &ResourceNames::partials_time,
                                    &ResourceNames::partials_score, &ResourceNames::small_totalpoints}) {
        captions.hideCaption(*name);
    }
    GaugeModel::showAction();
    deleteGrainActions();
    PointsModel& points = *gGlobals.pointsModel;
    if (points.flowId >= 0) {
        gGlobals.flowModel->exitFlow();
        points.done = 1;
        points.flowId = -1;
    }
}

void AwardController::showAward() {
    Globals& g = gGlobals;
    const float w = g.screenSize.x;
    const float h = g.screenSize.y;
    const PointsModel& points = *g.pointsModel;

    // The total, and its label fading in under it.
    CaptionCollection::setPartialsTotalText(points.points);
    CaptionInstance* total = findOrAddCaption(ResourceNames::partials_total);
    total->layout = overlayAt(0.5f * w, 0.2f * h, 1.0f, 1.0f);
    total->setAction(new NopAction());
    CaptionInstance* label = findOrAddCaption(ResourceNames::small_totalpoints);
    label->layout = overlayAt(0.5f * w, 0.24f * h, 1.0f, 0.0f);
    label->setAction(new Sequence(
        {new WaitAction(15), new EasingAction(overlayAt(0.5f * w, 0.24f * h, 1.0f, 1.0f), easeInQuart(), 30),
         new NopAction()}));

    SoundGateway::instance()->playAwardMusic();
    g.stringScoreModel->hide();
    g.scoreModel->hide();
    g.timerModel->hide();

    // The grade's name drops in from above and hangs across the top.
    const std::string& gradeName = *ResourceNames::tanglesByGrade.at(points.grade);
    int32_t letters = 0;
    g.flowModel->addFlow(g.captionBox->getCaption(gradeName), &gradeFlowId, &letters, 0.5f * w, 1.5f * h,
                         0.0f);
    if (letters > 0) {
        auto* hang = new FlowModel::Batch{
            new FlowAnim(
                gradeFlowId, 0,
                new Sequence({new FlowStopAction(45), new SoundAction(&ISoundGateway::playRandomSwish17),
                              flowMove(15, 0.3f * w, 0.9f * h), flowMove(90, 0.1f * w, 0.9f * h),
                              new FlowStopAction(kHangFrames)})),
            new FlowAnim(gradeFlowId, letters - 1,
                         new Sequence({new FlowStopAction(45), flowMove(15, 0.7f * w, 0.9f * h),
                                       flowMove(90, 0.9f * w, 0.9f * h), new FlowStopAction(kHangFrames)})),
        };
        g.flowModel->addSteps({hang});
    }

    // The knot just solved, in the metal of its grade.
    const LevelModel::Level& level = g.levelModel->currentLevel();
    if (level.cord != nullptr) {
        g.tangleModel->showAwardTangle(*level.cord, metalForGrade(points.grade), {true, false},
                                       &requestShareSnapshot);
    }

    TileCollection::showAwardUi();
}

void AwardController::requestReview() {
    if (gGlobals.levelModel->currentIndex() < 3 || preferences.isAppRated()) {
        return;
    }
    // There is no store to ask here: the request is kept in the log, and
    // made once, as the store would.
    preferences.setAppRated();
    platformLog("Store review requested");
}

void AwardController::exitAnimation() {
    Globals& g = gGlobals;
    const float w = g.screenSize.x;
    const float h = g.screenSize.y;
    CaptionCollection::animateTotals();

    // The grade's name lets go of its ends and is flung off by one letter.
    const int32_t n = gradeFlowId >= 0 ? g.flowModel->letterCount(gradeFlowId) : 0;
    if (n > 0) {
        PVRTVec2 target;
        int32_t pivot = 0;
        switch (arc4random() % 3) {
        case 0:
            target = PVRTVec2(-w, 0.95f * h);
            pivot = 1;
            break;
        case 1:
            target = PVRTVec2(2.0f * w, 0.95f * h);
            pivot = n - 2;
            break;
        default:
            target = PVRTVec2(w * (static_cast<float>(arc4random()) / 4294967295.0f), 2.0f * h);
            pivot = n / 2;
            break;
        }
        // A grade name of one or two letters has no inner letter to pull.
        pivot = std::clamp(pivot, 0, n - 1);
        auto* release = new FlowModel::Batch{
            new FlowAnim(gradeFlowId, 0, new WaitAction(0)),
            new FlowAnim(gradeFlowId, n - 1, new WaitAction(0)),
            new FlowAnim(gradeFlowId, pivot,
                         new Sequence({new SoundAction(&ISoundGateway::playRandomSwish16),
                                       flowMove(30, target.x, target.y)})),
        };
        auto* remove = new FlowModel::Batch{new FlowRemove(gradeFlowId)};
        g.flowModel->addSteps({release, remove});
    }
    gradeFlowId = -1;

    // The knot turns over and shrinks off to the left.
    for (TangleInstance* tangle : g.tangleModel->getTangles()) {
        Layout to = tangle->layout;
        to.position.x -= w;
        to.angles += PVRTVec3(kPi, kPi, kPi);
        to.scale = 0.1f;
        tangle->setAction(new EasingAction(to, easeInOutQuart(), 30));
    }

    g.tileModel->hideTile();
}

} // namespace ZQ
