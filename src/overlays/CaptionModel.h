#pragma once

#include "engine/CloudletContainer.h"
#include "engine/Model.h"

#include <list>
#include <string>

namespace ZQ {

class Action;
class CaptionInstance;

// Every caption quad on screen, in the order they were added (later ones
// drawn over earlier ones). A caption lives exactly as long as its root
// action runs: shown with an action that never ends, hidden by one that
// finishes, and deleted at the first step after it has.
//
// Ownership: owns its captions. Threads: main thread only.
class CaptionModel : public Model, public CloudletContainer {
public:
    CaptionModel() = default;
    ~CaptionModel() override;
    CaptionModel(const CaptionModel&) = delete;
    CaptionModel& operator=(const CaptionModel&) = delete;

    // Leaves the paused flag as it is: a model paused before a restart stays
    // paused until resumed.
    void setUp() override {}
    void tearDown() override;
    void doStep() override;
    void collectCaptions(std::unordered_set<std::string>& names) override;
    // Nothing while paused, so no caption is drawn.
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // A new caption of the box's caption `name` at the default pose, appended
    // with `action` (owned) as its root.
    CaptionInstance* addCaption(const std::string& name, Action* action);
    // The first caption on screen showing `name`, or null.
    CaptionInstance* findCaption(const std::string& name) const;

    // Fades every caption of that name out in 10 frames (from its current
    // alpha when it already fades).
    void hideCaption(const std::string& name);
    void hideAllCaptions();

    std::list<CaptionInstance*> captions;
};

} // namespace ZQ
