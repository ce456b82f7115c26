#include "engine/Composite.h"

#include "engine/Assert.h"

#include <utility>

namespace ZQ {

Composite::Composite(std::vector<Action*> list) : children(std::move(list)) {
    for (const Action* child : children) {
        ZQ_ASSERT(child != nullptr);
    }
}

Composite::~Composite() {
    for (Action* child : children) {
        delete child;
    }
}

void Composite::reset() {
    Action::reset();
    current = 0;
    for (Action* child : children) {
        child->reset();
    }
}

void Composite::setCloudlet(Cloudlet* cloudlet) {
    Action::setCloudlet(cloudlet);
    for (Action* child : children) {
        child->setCloudlet(cloudlet);
    }
}

} // namespace ZQ
