#include "cords/HeadTrees.h"

#include "cords/HeadCollection.h"
#include "cords/HeadConditions.h"
#include "cords/HeadHelix.h"
#include "cords/HeadInstance.h"
#include "cords/HeadMoves.h"
#include "engine/Decorators.h"
#include "engine/LeafActions.h"

namespace ZQ {

Action::State HeadRoamLoop::run() {
    ZQ_ASSERT(!children.empty());
    const uint32_t count = static_cast<uint32_t>(children.size());
    uint32_t successes = 0;
    for (;;) {
        const State result = children[current]->tick();
        if (result != Success) {
            return result;
        }
        ++successes;
        state = Running;
        current = static_cast<int32_t>((static_cast<uint32_t>(current) + 1) % count);
        children[current]->reset();
        // Every child has now had a whole fresh life within this tick.
        if (successes > count) {
            return Running;
        }
    }
}

Action::State HeadCollection::fear(Cloudlet* head) {
    ZQ_ASSERT(head != nullptr);
    return static_cast<HeadInstance*>(head)->fear ? Action::Running : Action::Failure;
}

// Flee along helices while afraid until stuck, then grip a particle of the
// cord; without fear the tree succeeds at once.
Action* HeadCollection::roamingTree() {
    return new Selector({
        new Conditional(
            new Invert(new HeadCheckFear()),
            new Parallel({
                new Limit(90, new HeadRoamLoop({new HeadChooseDestination(), new HeadHelixAction()})),
                new Loop({new HeadStuckCheck()}),
            })),
        new Conditional(new HeadCheckFear(),
                        new Conditional(new LambdaCondition(fear),
                                        new Sequence({new HeadChooseParticle(), new HeadGripAction()}))),
    });
}

// Look around for a head; lunge at the other end of the own string, or
// ambush, reach and wrap around a head of another string.
Action* HeadCollection::huntingTree() {
    return new Selector({
        new Parallel({
            new Sequence({new HeadScanAction(-1.5707964f, 60), new HeadScanAction(3.1415927f, 120)}),
            new Limit(180, new HeadChooseTarget()),
        }),
        new Conditional(
            new HeadHasTarget(),
            new Sequence({
                new Selector({
                    new Sequence(
                        {new HeadCheckEnemy(), new Limit(60, new HeadPointAction()), new HeadAttackAction()}),
                    new Sequence({new HeadAmbushAction(), new HeadReachAction(), new HeadWrapAction(),
                                  new HeadWrapAction(), new HeadWrapAction()}),
                }),
            })),
    });
}

// Half a sway.
Action* HeadCollection::restingTree() {
    return new Limit(60, new Loop({new HeadIdleAction()}));
}

// Sways for ever.
Action* HeadCollection::calmTree() {
    return new Loop({new HeadIdleAction()});
}

Action* HeadCollection::grabbedTree() {
    return new HeadGrabbedAction();
}

} // namespace ZQ
