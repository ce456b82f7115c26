#pragma once

#include "game/TutorialNode.h"

namespace ZQ {

// The steps of the tutorial's two rooms. Room 0 teaches the gestures on a
// single knot: TNWait, TNSingleKnot, TNSlide, TNDrag, TNRotate, TNTry.
// Room 1 teaches pulling the strings apart and ends the tutorial: TNWait,
// TNAttractor, TNSeparate, TNEnd. Each line of a step is the caption
// "tutorial_" + name + "_" + its number.

// Waits until every flowing letter on screen is idle; shows nothing.
class TNWait : public TutorialNode {
public:
    std::string name() const override { return "TNWait"; }
    void enter() override {}
    void poll() override;
    void leave() override {}
};

// Two lines about the knot, with every gesture off; over when they have
// run out their hold.
class TNSingleKnot : public TutorialNode {
public:
    std::string name() const override { return "TNSingleKnot"; }
    bool canDrag() const override { return false; }
    bool canSlide() const override { return false; }
    bool canRotate() const override { return false; }
    void enter() override;
};

// Only the slide; over at the first slide grasp.
class TNSlide : public TutorialNode {
public:
    std::string name() const override { return "TNSlide"; }
    bool canDrag() const override { return false; }
    bool canRotate() const override { return false; }
    void enter() override;
    void onGrasp(Grasp* grasp) override;
};

// Only the drag; over at the first drag grasp.
class TNDrag : public TutorialNode {
public:
    std::string name() const override { return "TNDrag"; }
    bool canSlide() const override { return false; }
    bool canRotate() const override { return false; }
    void enter() override;
    void onGrasp(Grasp* grasp) override;
};

// Only the rotation; over at the first rotate grasp.
class TNRotate : public TutorialNode {
public:
    std::string name() const override { return "TNRotate"; }
    bool canDrag() const override { return false; }
    bool canSlide() const override { return false; }
    void enter() override;
    void onGrasp(Grasp* grasp) override;
};

// The player's own try with the mode's display and the heads; over when
// the cord is solved. A time-up never fails the room: the timer starts
// again with the extra-time message.
class TNTry : public TutorialNode {
public:
    std::string name() const override { return "TNTry"; }
    void enter() override;
    void onSolved() override;
    void onTimeUp() override;
};

// Only the drag; over when a drag goes on long enough to make a second
// grasp while its first still holds, which also starts the mode's display.
class TNAttractor : public TutorialNode {
public:
    std::string name() const override { return "TNAttractor"; }
    bool canSlide() const override { return false; }
    bool canRotate() const override { return false; }
    void enter() override;
    void onGrasp(Grasp* grasp) override;
};

// One line and the heads; over when the strings are apart (solved).
class TNSeparate : public TutorialNode {
public:
    std::string name() const override { return "TNSeparate"; }
    void enter() override;
    void onSolved() override;
    void onTimeUp() override;
};

// The end of the tutorial: silent; when it leaves, the tutorial is marked
// completed in both stores and the tutorial flag is cleared, before the
// room's award, so a quit there cannot lose it.
class TNEnd : public TutorialNode {
public:
    std::string name() const override { return "TNEnd"; }
    void enter() override;
    void leave() override;
};

} // namespace ZQ
