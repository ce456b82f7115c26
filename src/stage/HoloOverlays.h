#pragma once

#include <cstdint>

namespace ZQ {

class HoloInstance;

// What the holograms ask of the interface overlays above the stage: the
// cursor disc that rides each hologram's scan line and the level map's text
// lines (knot name, level number, grade, time). The overlays register their
// side with the hologram model when the engine is built; a hologram model
// without one (tools, tests of the stage alone) makes no discs and moves no
// lines.
//
// Never deleted through this interface. Main thread only.
class HoloOverlays {
public:
    // Gives the hologram a follow cursor: a disc of the cursor model that
    // keeps under it on its scan line.
    virtual void addFollowCursor(HoloInstance& hologram) = 0;
    // Fades the text lines out, rewrites them for `level` and shows them again.
    virtual void updateHoloName(int32_t level) = 0;
    // The choice: slides the text lines to their places, fading out.
    virtual void moveHoloLines() = 0;
    // Fades every cursor disc out.
    virtual void hideCursor() = 0;

protected:
    ~HoloOverlays() = default;
};

} // namespace ZQ
