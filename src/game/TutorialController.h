#pragma once

#include "cords/Grasp.h"
#include "game/GameController.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ZQ {

class Model;
class TutorialNode;

// The tutorial: catalogue levels 0 and 1, played as rooms under the game
// controller's level machinery, with a list of guided steps on top. While a
// room is played the running step decides which gestures the player may use,
// watches the cord, grasp and timer models for its goal and shows its
// messages; after the last step the room is scored and ends like a level.
// A time-up or a solved cord never ends a tutorial room by itself: the steps
// react to them.
//
// The gesture limits live only in the running step: every gesture asks it
// afresh, and every way out of a room (quit, tear-down) lets go of the step,
// so nothing of a step outlives its room.
//
// Ownership: owns the steps of the current room (made when the room is
// ready, deleted by tearDown); the message flows and balloons belong to
// their models. Threads: main thread only.
class TutorialController : public GameController {
public:
    // The tutorial's rooms: catalogue levels 0 and 1.
    static constexpr int32_t kStageLength = 2;

    // Takes the cord, grasp and timer models of the engine globals as the
    // steps' sources: they must exist.
    TutorialController();
    ~TutorialController() override;

    void setUp() override;
    void tearDown() override;
    void doStep() override;

    // The steps react to these; the room goes on.
    void onTimeUp() override {}
    void onSolved() override {}

    TutorialNode* currentNode = nullptr; // the running step, or null
    std::vector<TutorialNode*> nodes;    // the room's steps, in play order
    std::vector<Model*> nodeSources;     // cord, grasp and timer models
    std::size_t nextNode = 0;            // index in nodes of the step after the running one

private:
    // The running step's limits: a slide, a drag or a rotation it forbids
    // makes no grasp (the touch itself is tracked as ever). Without a step
    // every gesture is allowed.
    bool permits(Grasp::Type kind) override;

    void roomReady();
    void playNodes();
    // Makes the step the running one: new again and listening to the sources.
    void join(TutorialNode* node);
    // The running step stops listening and no longer limits the gestures.
    void releaseCurrent();
    void deleteNodes();
};

} // namespace ZQ
