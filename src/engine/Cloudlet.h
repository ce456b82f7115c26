#pragma once

#include "engine/Layout.h"

#include <cstdint>

namespace ZQ {

class Action;

// One item of the 3D scene that a model owns and steps: a caption quad, a
// tile, a head, a braid, a room, a camera spot... It carries a pose, one
// owned root action that animates it, and optionally the handle of a sound
// that follows it.
class Cloudlet {
public:
    Cloudlet() = default;
    Cloudlet(const Cloudlet&) = delete;
    Cloudlet& operator=(const Cloudlet&) = delete;
    // Deletes the root action; a playing sound is left to end by itself.
    virtual ~Cloudlet();

    // Ticks the root action once, then moves the item's sound to its
    // position. Models call it once a frame for each of their items.
    virtual void step();
    virtual PVRTVec3 getPosition() const { return layout.position; }

    // Replaces the root action (the old tree is deleted at once), binds the
    // new one to this item and resets it, so its first tick starts it.
    // Installing the current root again only rebinds and resets it. Null
    // leaves the item without an action.
    void setAction(Action* root);
    Action* getAction() const { return action; }

    Layout layout;     // the current pose; actions write it
    Layout baseLayout; // its scale is the item's base size (caption width, tile width)
    int32_t drawn = 1; // render passes skip items where this is 0
    int64_t sound = 0; // handle of the sound playing at this item, 0 for none

private:
    Action* action = nullptr;
};

} // namespace ZQ
