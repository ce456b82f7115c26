#include "engine/Decorators.h"

#include "engine/Assert.h"

namespace ZQ {

Decorate::Decorate(Action* childAction) : child(childAction) {
    ZQ_ASSERT(child != nullptr);
}

Decorate::~Decorate() {
    delete child;
}

Action::State Decorate::start() {
    return child->start();
}

Action::State Decorate::run() {
    return child->run();
}

void Decorate::reset() {
    Action::reset();
    child->reset();
}

void Decorate::setCloudlet(Cloudlet* cloudlet) {
    Action::setCloudlet(cloudlet);
    child->setCloudlet(cloudlet);
}

Conditional::Conditional(Action* conditionAction, Action* childAction)
    : Decorate(childAction), condition(conditionAction) {
    ZQ_ASSERT(condition != nullptr);
}

// The condition is deleted first; Decorate deletes the child after it.
Conditional::~Conditional() {
    delete condition;
}

Action::State Conditional::run() {
    condition->reset();
    if (condition->tick() == Failure) {
        return Success;
    }
    return child->run();
}

void Conditional::reset() {
    Decorate::reset();
    condition->reset();
}

void Conditional::setCloudlet(Cloudlet* cloudlet) {
    Decorate::setCloudlet(cloudlet);
    condition->setCloudlet(cloudlet);
}

Limit::Limit(int32_t maxRuns, Action* childAction) : Decorate(childAction), limit(maxRuns) {}

Action::State Limit::run() {
    const int32_t old = count;
    ++count;
    if (old >= limit) {
        return Success;
    }
    return child->run();
}

void Limit::reset() {
    Decorate::reset();
    count = 0;
}

namespace {

Action::State inverted(Action::State s) {
    switch (s) {
    case Action::Success:
        return Action::Failure;
    case Action::Failure:
        return Action::Success;
    default:
        return Action::Running;
    }
}

} // namespace

Action::State Invert::start() {
    return inverted(child->start());
}

Action::State Invert::run() {
    return inverted(child->run());
}

} // namespace ZQ
