#include "overlays/CaptionCollection.h"

#include "constants/GradeMaps.h"
#include "constants/ResourceNames.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/DeviceProfile.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/TweenActions.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"
#include "overlays/PointsModel.h"

#include <functional>

namespace ZQ::CaptionCollection {

namespace {

// The four hologram lines, as fractions of the screen height.
constexpr float kNameLine = 0.25f;
constexpr float kLevelLine = 0.20f;
constexpr float kGradeLine = 0.16f;
constexpr float kTimeLine = 0.12f;

constexpr int32_t kHoldFrames = 30;
constexpr int32_t kEnterWaitFrames = 15;
constexpr int32_t kEnterFrames = 30;
constexpr int32_t kMoveFrames = 7;

// A pose on a hologram line: centred, at the HUD depth, scale 1.
Layout onLine(float line, float alpha) {
    Layout layout;
    layout.position =
        PVRTVec3(0.5f * gGlobals.screenSize.x, line * gGlobals.screenSize.y, DeviceProfile::get().hudDepth);
    layout.alpha = alpha;
    return layout;
}

Action* holdAt(float line, const Easing* curve) {
    return new Sequence({new EasingStaticAction(onLine(line, 0.0f), onLine(line, 1.0f), curve, kHoldFrames),
                         new NopAction()});
}

Action* enterAt(float line) {
    return new Sequence(
        {new EasingStaticAction(onLine(line, 0.0f), onLine(line, 0.0f), easeInCubic(), kEnterWaitFrames),
         new EasingStaticAction(onLine(line, 0.0f), onLine(line, 1.0f), easeInCubic(), kEnterFrames),
         new NopAction()});
}

// Slides to the line fading out. The pose keeps the HUD depth: a line that
// left the depth range the caption pass draws would vanish mid-fade.
Action* moveTo(float line) {
    return new Sequence({new EasingAction(onLine(line, 0.0f), easeInQuart(), kMoveFrames)});
}

CaptionModel& model() {
    ZQ_ASSERT(gGlobals.captionModel != nullptr);
    return *gGlobals.captionModel;
}

// Fade out, rewrite the text while invisible, fade back in.
void refreshLine(const std::string& name, Action* out, std::function<void(Cloudlet*)> rewrite, Action* in) {
    CaptionInstance* caption = model().findCaption(name);
    if (caption == nullptr) {
        delete out;
        delete in;
        return;
    }
    caption->setAction(new Sequence({out, new LambdaAction(std::move(rewrite)), in}));
}

} // namespace

Action* holoHoldAt25() {
    return holdAt(kNameLine, easeInQuart());
}

Action* holoHoldAt20() {
    return holdAt(kLevelLine, easeInCubic());
}

Action* holoEnterAt12() {
    return enterAt(kTimeLine);
}

Action* holoEnterAt16() {
    return enterAt(kGradeLine);
}

Action* holoMoveTo25() {
    return moveTo(kNameLine);
}

Action* holoMoveTo20() {
    return moveTo(kLevelLine);
}

Action* holoMoveTo16() {
    return moveTo(kGradeLine);
}

Action* holoMoveTo12() {
    return moveTo(kTimeLine);
}

void showHoloLine(const std::string& name) {
    CaptionInstance* caption = model().findCaption(name);
    if (caption == nullptr) {
        caption = model().addCaption(name, nullptr);
        caption->layout = onLine(kGradeLine, 0.0f);
    }
    caption->setAction(holoEnterAt16());
}

void moveHoloLine(const std::string& name) {
    // Every copy: one left behind would stay on the line after it was hidden.
    for (CaptionInstance* caption : model().captions) {
        if (caption->entry != nullptr && caption->entry->name == name) {
            caption->setAction(holoMoveTo16());
        }
    }
}

void updateHoloName(int32_t level) {
    const LevelModel* levels = gGlobals.levelModel;
    ZQ_ASSERT(levels != nullptr && level >= 0 && level < levels->levelCount());

    refreshLine(
        ResourceNames::knots_name, holoMoveTo25(),
        [level](Cloudlet*) {
            setKnotNameText(gGlobals.levelModel->levels[static_cast<std::size_t>(level)].name);
        },
        holoHoldAt25());
    refreshLine(
        ResourceNames::holo_level, holoMoveTo20(),
        [level](Cloudlet*) { setHoloLevelText(level + 1, gGlobals.levelModel->levelCount()); },
        holoHoldAt20());

    // The points model's grade follows the level in front, as its grade
    // line does.
    const int32_t grade = levels->tangleForlevel[level];
    if (PointsModel* points = gGlobals.pointsModel) {
        points->grade = grade;
    }
    const std::string own = ResourceNames::small_ + *ResourceNames::tanglesByGrade.at(grade);
    for (const auto& [other, name] : ResourceNames::tanglesByGrade) {
        if (other != grade) {
            moveHoloLine(ResourceNames::small_ + *name);
        }
    }
    if (levels->timerForlevel[level] == 0) {
        moveHoloLine(own);
    } else if (CaptionInstance* shown = model().findCaption(own)) {
        // Only the first copy comes back; any other stays hidden.
        moveHoloLine(own);
        shown->setAction(new Sequence({holoMoveTo16(), holoEnterAt16()}));
    } else {
        showHoloLine(own);
    }

    refreshLine(
        ResourceNames::holo_timer, holoMoveTo12(),
        [level](Cloudlet*) { setHoloTimerText(gGlobals.levelModel->timerForlevel[level]); }, holoEnterAt12());
}

} // namespace ZQ::CaptionCollection
