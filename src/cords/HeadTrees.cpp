#include "cords/HeadCollection.h"
#include "cords/HeadConditions.h"
#include "cords/HeadHelix.h"
#include "cords/HeadInstance.h"
#include "cords/HeadMoves.h"
#include "engine/Composite.h"
#include "engine/Decorators.h"
#include "engine/LeafActions.h"

namespace ZQ {

Action::State HeadCollection::fear(Cloudlet* head) {
    ZQ_ASSERT(head != nullptr);
    return static_cast<HeadInstance*>(head)->fear ? Action::Running : Action::Failure;
}

// Flee along helices while afraid until stuck, then grip a particle of the
// cord; without fear the tree succeeds at once. A destination picked within
// 4 units of the head ends its helix at once, so a whole pass of the roaming
// loop can be instant: the loop then ends the tick and picks again next frame.
Action* HeadCollection::roamingTree() {
    return new Selector({
        new Conditional(new Invert(new HeadCheckFear()),
                        new Parallel({
                            new Limit(90, new Loop({new HeadChooseDestination(), new HeadHelixAction()})),
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
