#pragma once

#include "engine/Action.h"

namespace ZQ {

// Wraps one owned child and calls its start and run directly, not its tick:
// the child's own state stays "not started" and the decorator's state is the
// child's.
class Decorate : public Action {
public:
    // child must not be null.
    explicit Decorate(Action* child);
    ~Decorate() override;

    State start() override;
    State run() override;
    void reset() override;
    void setCloudlet(Cloudlet* cloudlet) override;

protected:
    Action* child = nullptr;
};

// Runs its child while the condition holds. The condition is reset and
// ticked afresh every frame; when it fails, the conditional succeeds in that
// frame without running the child. The child is started when the
// conditional starts, whatever the condition says.
class Conditional : public Decorate {
public:
    // Both are owned and must not be null.
    Conditional(Action* condition, Action* child);
    ~Conditional() override;

    State run() override;
    void reset() override;
    void setCloudlet(Cloudlet* cloudlet) override;

private:
    Action* condition = nullptr;
};

// Runs its child at most limit times; the run after those succeeds without
// running the child. A child that finishes earlier ends the limit with its
// own result.
class Limit : public Decorate {
public:
    Limit(int32_t limit, Action* child);

    State run() override;
    void reset() override;

private:
    int32_t limit = 0;
    int32_t count = 0;
};

// Swaps success and failure of its child; anything else reads as running.
class Invert : public Decorate {
public:
    using Decorate::Decorate;

    State start() override;
    State run() override;
};

} // namespace ZQ
