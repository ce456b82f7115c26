#pragma once

#include "engine/Action.h"

#include <vector>

namespace ZQ {

// An action that orders children. It owns them and deletes them with itself;
// binding and reset reach the whole subtree. Composites move through
// children that finish at once within the same tick, so a chain of instant
// actions costs one frame, not one frame each.
class Composite : public Action {
public:
    // Children in order; none may be null.
    explicit Composite(std::vector<Action*> children);
    ~Composite() override;

    State run() override = 0;
    void reset() override;
    void setCloudlet(Cloudlet* cloudlet) override;

    const std::vector<Action*>& getChildren() const { return children; }
    int32_t getCurrent() const { return current; }

protected:
    std::vector<Action*> children;
    int32_t current = 0;
};

// Runs its children one after another; fails with the first failure and
// succeeds after the last child. With no children it succeeds at once.
class Sequence : public Composite {
public:
    using Composite::Composite;
    State run() override;
};

// Tries its children one after another until one does not fail; fails when
// all have failed. With no children it fails at once.
class Selector : public Composite {
public:
    using Composite::Composite;
    State run() override;
};

// Ticks every child each frame, finished ones included (they answer their
// final state at no cost); fails with the first failure, succeeds when all
// have succeeded.
class Parallel : public Composite {
public:
    using Composite::Composite;
    State run() override;
};

// A sequence that starts over with the first child after the last, for ever;
// it ends only when a child fails. A tick ends when a child keeps running,
// or once every child has finished a whole fresh life within it: a pass in
// which nothing waits would otherwise repeat within the one tick for ever.
class Loop : public Sequence {
public:
    using Sequence::Sequence;
    State run() override;
};

} // namespace ZQ
