#pragma once

#include "engine/EventSource.h"
#include "engine/InitProtocol.h"

#include <string>
#include <unordered_set>

namespace ZQ {

// Base of every per-frame object: set up once, stepped once a frame in
// model-list order, pausable, and an event source for the controllers.
class Model : public EventSource, public InitProtocol {
public:
    ~Model() override = default;

    void setUp() override { paused = false; }
    void tearDown() override { removeAllListeners(); }
    virtual void doStep() {}
    virtual void pause() { paused = true; }
    virtual void resume() { paused = false; }
    // Adds the keys of the caption textures this model's items still use, so
    // the memory clean-up keeps them.
    virtual void collectCaptions(std::unordered_set<std::string>& /*keys*/) {}

    bool isPaused() const { return paused; }

protected:
    bool paused = false;
};

} // namespace ZQ
