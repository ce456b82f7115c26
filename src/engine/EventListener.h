#pragma once

namespace ZQ {

class Grasp;
class HeadInstance;

// Receives model notifications. Every operation has an empty default, so a
// listener overrides only what it handles. Listeners are never owned by the
// sources they register with.
class EventListener {
public:
    virtual ~EventListener() = default;

    virtual void onTile(int /*tileId*/) {}
    virtual void onGrasp(Grasp* /*grasp*/) {}
    virtual void onTimeUp() {}
    virtual void onSolved() {}
    virtual void onAlmostSolved() {}
    virtual void onHeadReleased(HeadInstance* /*head*/) {}
    virtual void onHeadGrabbed() {}
    virtual void onIdle() {}
};

} // namespace ZQ
