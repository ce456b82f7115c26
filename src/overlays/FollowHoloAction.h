#pragma once

#include "engine/Action.h"

#include <cstdint>

namespace ZQ {

class HoloInstance;

// Keeps a cursor disc under a hologram on its scan line: every tick the disc
// takes the hologram's pose, lowered by a hundredth of the screen height and
// moved by (scanner phase - 0.5) times the hologram's drawn height, at scale
// 1 and three quarters of the hologram's alpha. Start and run do the same.
//
// It runs while its hologram lives. A hologram is freed by the hologram
// model in the step after its own action ends, which may come before the
// disc is hidden: the action then succeeds without touching it, and the
// cursor model drops the disc, rather than read a freed hologram.
//
// Ownership: the hologram is not owned. Threads: main thread only.
class FollowHoloAction : public Action {
public:
    explicit FollowHoloAction(HoloInstance* hologram);

    State start() override { return follow(); }
    State run() override { return follow(); }

    HoloInstance* getHologram() const { return hologram; }

private:
    State follow();
    // True while the hologram model still holds the hologram.
    bool alive() const;

    HoloInstance* hologram;
    int32_t levelIndex;
};

} // namespace ZQ
