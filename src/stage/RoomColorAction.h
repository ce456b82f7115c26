#pragma once

#include "constants/Material.h"
#include "engine/TweenActions.h"

#include <vector>

namespace ZQ {

// A scene item that carries a table of material records which a colour fade
// may blend (the room: one record per wallpaper pattern value).
class ColourTableItem {
public:
    virtual std::vector<Material>& colourTable() = 0;

protected:
    ~ColourTableItem() = default;
};

// Fades the bound item's colour table to the dark scheme of a finished room,
// every float of every record, on the easeInExpo curve. The item must be a
// ColourTableItem. The run after t has reached 1 writes the target table
// exactly and succeeds (run 16 of a 15-frame fade).
class RoomColorAction : public Tween {
public:
    explicit RoomColorAction(int32_t frames);

    State start() override;
    State run() override;

    // The four records the room fades to.
    static std::vector<Material> darkScheme();

private:
    std::vector<Material> from;
    std::vector<Material> to;
};

} // namespace ZQ
