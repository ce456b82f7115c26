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
// Every tip closes, taking its lines away, when the time runs out or the
// cord is solved; it shows at most once per arming.
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

    void onTimeUp() override;
    void onSolved() override;
    void onIdle() override;

    // Shows the lines unless the tip is closed, then closes it.
    void show();
    // Closes the tip and flings its lines still on screen off it.
    void close();

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
    void onGrasp(Grasp* grasp) override;
    void onIdle() override;
};

// Shows when a head calms down.
class TPIdle : public TipNode {
public:
    explicit TPIdle(const std::string& name);
    void onHeadReleased(HeadInstance* head) override;
};

// Shows the rotate gesture when the cord is almost solved after an idle spell.
class TPRotate : public TipNode {
public:
    explicit TPRotate(const std::string& name);
    void onAlmostSolved() override;
};

// Makes the classes above for the level catalogue; registered (see
// registerTipFactory) before the catalogue is built. It lives as long as the
// process.
TipFactory& tipNodeFactory();

} // namespace ZQ
