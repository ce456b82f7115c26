#pragma once

#include <string>

namespace velmora_sim {

// The in-level displays over a room shot, as the game shows them while a level
// plays: the timer and the move count in the timed mode, the calm strings in
// the calm mode, the points show that follows a solve, or the tutorial's slide
// lesson lines (how its lines read over the room). Makes the caption
// box, the display models and their passes, installs them in the engine
// globals beside the room's and removes them again. Main thread only, with the room
// shot's GL context current.
class HudShot {
public:
    HudShot();
    ~HudShot();
    HudShot(const HudShot&) = delete;
    HudShot& operator=(const HudShot&) = delete;

    // "arcade", "zen", "points" or "tutorial"; false for anything else. The level cursor must be on
    // the level shown.
    bool show(const std::string& mode);
    // One frame of the displays' models.
    void step();

private:
    struct Parts;
    Parts* parts;
};

} // namespace velmora_sim
