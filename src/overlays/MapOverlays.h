#pragma once

#include "stage/HoloOverlays.h"

namespace ZQ {

// The overlays' side of the holograms: each hologram's follow cursor (a disc
// of the cursor model under it, the first of the small, medium and large
// discs wider than the knot's larger horizontal extent) and the level map's
// text lines, through the caption collection. Reached through mapOverlays()
// and registered with the hologram model when the engine is built.
//
// Holds nothing; uses the cursor and caption models of the engine globals
// (a missing model is skipped). Main thread only.
class MapOverlays final : public HoloOverlays {
public:
    void addFollowCursor(HoloInstance& hologram) override;
    void updateHoloName(int32_t level) override;
    // The knot name, level number, every grade line and the time slide to
    // their lines fading out; a line not shown is skipped.
    void moveHoloLines() override;
    void hideCursor() override;

    // The larger of the hologram's box extents in x and z (model space).
    static float followSize(const HoloInstance& hologram);
};

// The process-wide one.
MapOverlays& mapOverlays();

} // namespace ZQ
