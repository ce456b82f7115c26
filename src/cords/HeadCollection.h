#pragma once

#include "engine/Action.h"

namespace ZQ {

class Cloudlet;
class HeadInstance;
class HeadModel;

// The head model's behaviour side: making the heads of a cord, choosing each
// head's behaviour and building its tree. The head model is its only class;
// the game flow calls createHeads on it.
//
// Every tree is built fresh, owned by its head (its root action) and deleted
// whole when the head gets its next root.
class HeadCollection {
public:
    // Appends two heads for every string of the cord model, in string order
    // (the first-particle head, then the last-particle head), gives every
    // listed head a new behaviour (heads listed before included), then
    // clears the sight matrix. It does not clear the list: a caller starting
    // over clears the heads first.
    void createHeads();
    // Gives the head a new root: the grabbed action while its string is
    // tangled and held (onHeadGrabbed), one of the three agitated trees
    // drawn at random while tangled and free, else the calm tree, for good
    // (the calm flag and onHeadReleased).
    void chooseBehaviour(HeadInstance& head);

    // The trees; each needs binding to its head.
    static Action* roamingTree();
    static Action* huntingTree();
    static Action* restingTree();
    static Action* calmTree();
    static Action* grabbedTree();

    // The fear condition of the roaming tree: running while the bound head's
    // fear flag is set, failure otherwise.
    static Action::State fear(Cloudlet* head);

protected:
    HeadCollection() = default;
    ~HeadCollection() = default;

private:
    HeadModel& model();
};

} // namespace ZQ
