#include "overlays/MapOverlays.h"

#include "constants/GradeMaps.h"
#include "constants/ResourceNames.h"
#include "engine/Globals.h"
#include "overlays/CaptionCollection.h"
#include "overlays/CaptionInstance.h"
#include "overlays/CaptionModel.h"
#include "overlays/CursorModel.h"
#include "overlays/FollowHoloAction.h"
#include "stage/HoloInstance.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

float MapOverlays::followSize(const HoloInstance& hologram) {
    const PVRTVec3 extent = hologram.corners[7] - hologram.corners[0];
    return std::max(std::fabs(extent.x), std::fabs(extent.z));
}

void MapOverlays::addFollowCursor(HoloInstance& hologram) {
    if (CursorModel* cursors = gGlobals.cursorModel) {
        cursors->addFollowCursor(followSize(hologram), new FollowHoloAction(&hologram));
    }
}

void MapOverlays::updateHoloName(int32_t level) {
    if (gGlobals.captionModel != nullptr) {
        CaptionCollection::updateHoloName(level);
    }
}

void MapOverlays::moveHoloLines() {
    CaptionModel* captions = gGlobals.captionModel;
    if (captions == nullptr) {
        return;
    }
    const auto slide = [captions](const std::string& name, Action* (*to)()) {
        if (CaptionInstance* line = captions->findCaption(name)) {
            line->setAction(to());
        }
    };
    slide(ResourceNames::knots_name, &CaptionCollection::holoMoveTo25);
    slide(ResourceNames::holo_level, &CaptionCollection::holoMoveTo20);
    // Every grade line that may be shown, not only the current level's: a
    // line left behind would stay on screen after the map.
    for (const auto& [grade, name] : ResourceNames::tanglesByGrade) {
        CaptionCollection::moveHoloLine(ResourceNames::small_ + *name);
    }
    slide(ResourceNames::holo_timer, &CaptionCollection::holoMoveTo12);
}

void MapOverlays::hideCursor() {
    if (CursorModel* cursors = gGlobals.cursorModel) {
        cursors->hideCursor();
    }
}

MapOverlays& mapOverlays() {
    static MapOverlays overlays;
    return overlays;
}

} // namespace ZQ
