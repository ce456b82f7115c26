#pragma once

#include "engine/Cloudlet.h"
#include "engine/CloudletContainer.h"
#include "engine/Model.h"

#include <list>
#include <vector>

namespace ZQ {

// One tutorial balloon. Its layout position is in pixels and its scale in
// world units; its root action animates both and the alpha.
class BalloonInstance : public Cloudlet {};

// The tutorial's balloons: coloured teardrops its gesture lessons float over
// the screen, in screen space. Each frame the model steps them and drops each
// one whose animation has ended.
//
// Ownership: the model owns its balloons; the tutorial appends them
// (addBalloon) and clears them away with easeAll. Threads: main thread only.
class BalloonModel : public Model, public CloudletContainer {
public:
    // The fade easeAll gives every balloon.
    static constexpr int32_t kEaseFrames = 15;

    BalloonModel() = default;
    ~BalloonModel() override;
    BalloonModel(const BalloonModel&) = delete;
    BalloonModel& operator=(const BalloonModel&) = delete;

    // Nothing to make: the shared mesh is the balloon pass's.
    void setUp() override {}
    void tearDown() override {}
    // Steps every balloon, then deletes those without a running action.
    // Paused, it does nothing at all.
    void doStep() override;

    // Balloons never hold up a caller waiting on the models.
    bool isReady() override { return true; }
    bool isEmpty() override { return true; }
    // The balloons in list order; none while paused.
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // Takes ownership; appended at the back.
    void addBalloon(BalloonInstance* balloon);
    // Fades every balloon out over kEaseFrames frames from where it is now,
    // replacing whatever it was doing.
    void easeAll();

    const std::list<BalloonInstance*>& getBalloons() const { return balloons; }

private:
    std::list<BalloonInstance*> balloons; // owned, in the order added
};

} // namespace ZQ
