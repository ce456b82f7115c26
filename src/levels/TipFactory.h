#pragma once

#include <string>

namespace ZQ {

class TipNode;

// The classes of in-level tip a level can carry: when its lines show.
enum class TipClass {
    Tooltip, // when the player has been idle; the first grasp closes it for good
    Idle,    // when a head calms down
    Rotate,  // the rotate gesture, when the cord is almost solved after an idle spell
};

// Makes the catalogue's tips. The tip classes belong to the game flow, above
// the catalogue, so the catalogue names a class and a caption name and asks
// the factory the game registered for the object. A catalogue built while no
// factory is registered carries no tips (tools, tests of the levels alone).
//
// Ownership: a catalogue deletes its tips through the factory that made them,
// so a factory outlives every catalogue built while it was registered.
// Threads: main thread only.
class TipFactory {
public:
    virtual TipNode* makeTip(TipClass tipClass, const std::string& name) = 0;
    virtual void deleteTip(TipNode* tip) = 0;

protected:
    ~TipFactory() = default;
};

// Registers the factory catalogues built from now on use; null for none.
// Returns the one it replaces.
TipFactory* registerTipFactory(TipFactory* factory);
TipFactory* registeredTipFactory();

} // namespace ZQ
