#include "game/MapController.h"

#include "constants/GradeMaps.h"
#include "constants/ResourceNames.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/Decorators.h"
#include "engine/DeviceProfile.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/MathHelpers.h"
#include "engine/Model.h"
#include "engine/SoundGateway.h"
#include "engine/TweenActions.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionCollection.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"
#include "overlays/PointsModel.h"
#include "stage/HoloActions.h"
#include "stage/HoloInstance.h"
#include "stage/HoloModel.h"
#include "stage/HoloOverlays.h"

#include <iterator>
#include <numbers>

namespace ZQ {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

// The totals wait two seconds, then fade in.
constexpr int32_t kTotalsWait = 60;
constexpr int32_t kTotalsFade = 30;
constexpr int32_t kEnterFrames = 30;

// Where the totals stand, as fractions of the screen, and how opaque.
struct TotalLine {
    const std::string* name;
    float x;
    float y;
    float alpha;
};
// clang-format off
const TotalLine kTotalLines[] = {
    // caption                          x     y     alpha
    {&ResourceNames::small_totalpoints, 0.5f, 0.80f, 0.5f}, // 0
    {&ResourceNames::partials_total,    0.5f, 0.85f, 1.0f}, // 1
};
// clang-format on
static_assert(std::size(kTotalLines) == 2);

// The input zones, as fractions of the screen plane.
constexpr float kBandBottom = 0.3f;
constexpr float kBandTop = 0.6f;
constexpr float kLeftEdge = 0.17f;
constexpr float kRightEdge = 0.83f;
constexpr float kCentreLeft = 0.35f;
constexpr float kCentreRight = 0.65f;

HoloModel& holoModel() {
    ZQ_ASSERT(gGlobals.holoModel != nullptr);
    return *gGlobals.holoModel;
}

LevelModel& levelModel() {
    ZQ_ASSERT(gGlobals.levelModel != nullptr);
    return *gGlobals.levelModel;
}

CaptionModel& captionModel() {
    ZQ_ASSERT(gGlobals.captionModel != nullptr);
    return *gGlobals.captionModel;
}

// The caption `name` on screen, reused when shown, else made.
CaptionInstance* captionFor(const std::string& name) {
    CaptionInstance* caption = captionModel().findCaption(name);
    return caption != nullptr ? caption : captionModel().addCaption(name, nullptr);
}

// The front hologram's entry: it turns in from behind while its noise dies
// away and its scan line sweeps fast, then idles.
Action* frontEntry() {
    Layout from;
    HoloModel::placeOnOrbit(from, HoloModel::slotAngle(2));
    from.alpha = 0.0f;
    Layout to;
    HoloModel::placeOnOrbit(to, HoloModel::slotAngle(2));
    to.angles.y += kPi;
    return new Sequence({
        new Parallel({
            new EasingStaticAction(from, to, easeOutExpo(), kEnterFrames),
            new HoloFadeInAction(),
            new Limit(kEnterFrames, new Loop({new HoloScannerAction(kEnterFrames)})),
        }),
        HoloModel::idleAction(),
    });
}

} // namespace

void MapController::setUp() {
    listenToModels();
    state = Start;
}

void MapController::tearDown() {
    stopListeningToModels();
}

void MapController::doStep() {
    switch (state) {
    case Start:
        if (levelModel().max_level == 0) {
            state = Done;
            return;
        }
        build();
        state = Choosing;
        return;
    case Choosing:
        return;
    case Closing:
        if (holoModel().isReady()) {
            state = Done;
        }
        return;
    case Done:
        return;
    }
}

void MapController::build() {
    ISoundGateway* sound = SoundGateway::instance();
    sound->playMapMusic();
    showTotals();
    sound->playIgnition01();
    showCarousel();
    showLevelLines();
}

void MapController::showTotals() {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    const float depth = DeviceProfile::get().hudDepth;
    for (const TotalLine& line : kTotalLines) {
        if (line.name == &ResourceNames::partials_total) {
            const PointsModel* points = gGlobals.pointsModel;
            CaptionCollection::setPartialsTotalText(points != nullptr ? points->points : 0);
        }
        // Shown by the award screen before, it jumps here and fades in again.
        CaptionInstance* caption = captionFor(*line.name);
        caption->layout.position = PVRTVec3(line.x * w, line.y * h, depth);
        caption->layout.alpha = 0.0f;
        caption->setAction(
            new Sequence({new WaitAction(kTotalsWait),
                          new FadeInAction(easeInQuart(), kTotalsFade, line.alpha), new NopAction()}));
    }
}

void MapController::showCarousel() {
    HoloModel& holo = holoModel();
    const LevelModel& levels = levelModel();
    const auto slots = static_cast<std::size_t>(levels.levelCount());
    if (holo.instances.size() < slots) {
        holo.instances.resize(slots, nullptr);
    }
    holo.current = levels.currentIndex();
    holo.count = levels.max_level + 1;
    // Holograms left from an earlier visit: a new disc each (the last visit's
    // were hidden), and parked at the back on their side of the front one.
    for (int32_t k = 0; k < holo.count && static_cast<std::size_t>(k) < holo.instances.size(); ++k) {
        HoloInstance* h = holo.instances[static_cast<std::size_t>(k)];
        if (h == nullptr) {
            continue;
        }
        if (holo.overlays != nullptr) {
            holo.overlays->addFollowCursor(*h);
        }
        if (k != holo.current) {
            const float a = HoloModel::slotAngle(k < holo.current ? 0 : HoloModel::kSlots - 1);
            HoloModel::placeOnOrbit(h->layout, a);
            h->orbitAngle = a;
        }
    }
    holo.createInstance(true);
    for (int32_t j = -2; j <= 2; ++j) {
        const int32_t i = holo.current + j;
        if (i < 0 || i >= holo.count) {
            continue;
        }
        HoloInstance* h = holo.instances[static_cast<std::size_t>(i)];
        ZQ_ASSERT(h != nullptr);
        if (j == 0) {
            h->setAction(frontEntry());
        } else if (j == -1 || j == 1) {
            h->setAction(HoloModel::fadeInAction(j + 2));
        } else {
            h->setAction(new NopAction());
        }
    }
}

void MapController::showLevelLines() {
    const LevelModel& levels = levelModel();
    const int32_t current = holoModel().current;
    const auto i = static_cast<std::size_t>(current);
    CaptionCollection::setKnotNameText(levels.levels[i].name);
    captionModel().addCaption(ResourceNames::knots_name, CaptionCollection::holoHoldAt25());
    CaptionCollection::setHoloLevelText(current + 1, levels.levelCount());
    captionModel().addCaption(ResourceNames::holo_level, CaptionCollection::holoHoldAt20());
    const int32_t seconds = levels.timerForlevel[current];
    if (seconds != 0) {
        // The grade of the level in front, as the line shows it when the
        // carousel turns to it.
        const int32_t grade = levels.tangleForlevel[current];
        CaptionCollection::showHoloLine(ResourceNames::small_ + *ResourceNames::tanglesByGrade.at(grade));
    }
    CaptionCollection::setHoloTimerText(seconds);
    captionModel().addCaption(ResourceNames::holo_timer, CaptionCollection::holoEnterAt12());
}

PVRTVec2 MapController::planeFraction(PVRTVec2 pixel) {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    // The overlay view: the default eye, one unit in front of the screen.
    const PVRTMat4 view = PVRTMat4::translation(0.0f, 0.0f, -1.0f);
    const PVRTVec3 p0 = unprojectPoint(view, pixel.x, pixel.y, 0.0f);
    const PVRTVec3 p1 = unprojectPoint(view, pixel.x, pixel.y, 1.0f);
    const float k = p0.z / (p0.z - p1.z);
    const PVRTVec3 hit = p0 + (p1 - p0) * k;
    return PVRTVec2(hit.x / w, hit.y / h);
}

MapController::Zone MapController::zoneOf(PVRTVec2 pixel) {
    const PVRTVec2 f = planeFraction(pixel);
    if (!(f.y >= kBandBottom && f.y <= kBandTop)) {
        return Zone::None;
    }
    if (f.x < kLeftEdge) {
        return Zone::Left;
    }
    if (f.x > kRightEdge) {
        return Zone::Right;
    }
    if (f.x > kCentreLeft && f.x < kCentreRight) {
        return Zone::Centre;
    }
    return Zone::None;
}

void MapController::tap(PVRTVec2 position, float /*radius*/) {
    if (state != Choosing) {
        return;
    }
    switch (zoneOf(position)) {
    case Zone::Left:
        stepLeft();
        break;
    case Zone::Right:
        stepRight();
        break;
    case Zone::Centre:
        choose();
        break;
    case Zone::None:
        break;
    }
}

void MapController::doubleTap(PVRTVec2 position) {
    if (state != Choosing) {
        return;
    }
    switch (zoneOf(position)) {
    case Zone::Left:
        SoundGateway::instance()->playIgnition16();
        holoModel().pendingPrevious = kDoubleTapSteps;
        break;
    case Zone::Right:
        SoundGateway::instance()->playIgnition16();
        holoModel().pendingNext = kDoubleTapSteps;
        break;
    case Zone::Centre:
        choose();
        break;
    case Zone::None:
        break;
    }
}

void MapController::swipe(PVRTVec2 /*position*/, int direction) {
    if (state != Choosing) {
        return;
    }
    if (direction == 1) {
        stepLeft();
    } else if (direction == 2) {
        stepRight();
    }
}

void MapController::stepLeft() {
    SoundGateway::instance()->playIgnition16();
    HoloModel& holo = holoModel();
    if (holo.current > 0) {
        holo.current -= 1;
        HoloModel::changeAction(&holo);
    }
}

void MapController::stepRight() {
    SoundGateway::instance()->playIgnition16();
    HoloModel& holo = holoModel();
    if (holo.current < holo.count - 1) {
        holo.current += 1;
        HoloModel::changeAction(&holo);
    }
}

void MapController::choose() {
    // The fade-out also drops the steps still pending, so the level the
    // cursor takes is the one in front now and the fades run to their end.
    HoloModel::fadeOutAction(&holoModel());
    CaptionCollection::animateTotals();
    state = Closing;
}

} // namespace ZQ
