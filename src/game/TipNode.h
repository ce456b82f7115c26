#pragma once

#include "engine/EventListener.h"
#include "levels/TipFactory.h"

#include <string>
#include <vector>

namespace ZQ {

// An in-level hint of two lines, owned by the level record's catalogue. The
// game controller arms it (start) when a room is ready and registers it with
// the timer, cord, head and grasp models; the tip then decides from their
// events when to show its lines. The class decides when, the name decides
// what: line i shows the caption name + i.
//
// This file holds what the catalogue builds. The event handlers that show and
// close the lines belong with the tip scenes that draw them and override the
// EventListener operations here and in each tip class.
class TipNode : public EventListener {
public:
    explicit TipNode(const std::string& name);
    ~TipNode() override = default;
    TipNode(const TipNode&) = delete;
    TipNode& operator=(const TipNode&) = delete;

    virtual std::string name() const { return name_; }
    // Re-arms the tip: no lines, may show again.
    virtual void start();
    // Forgets the lines on screen; called once they have started to leave.
    virtual void clear();

    std::vector<int> groups; // flow ids of the lines on screen
    std::vector<float> rows; // per line, its height as a fraction of the screen height
    bool closed = false;     // shown or closed since the last start
    bool idleSeen = false;   // the timer reported the player idle

protected:
    // Two lines, the first above the second.
    void setTwoRows();

private:
    std::string name_;
};

// Shows when the player has been idle; the first grasp closes it for good.
class TPTooltip : public TipNode {
public:
    explicit TPTooltip(const std::string& name);
};

// Shows when a head calms down.
class TPIdle : public TipNode {
public:
    explicit TPIdle(const std::string& name);
};

// Shows the rotate gesture when the cord is almost solved after an idle spell.
class TPRotate : public TipNode {
public:
    explicit TPRotate(const std::string& name);
};

// Makes the classes above for the level catalogue; registered (see
// registerTipFactory) before the catalogue is built. It lives as long as the
// process.
TipFactory& tipNodeFactory();

} // namespace ZQ
