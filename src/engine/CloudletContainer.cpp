#include "engine/CloudletContainer.h"

#include "engine/Action.h"
#include "engine/Cloudlet.h"

namespace ZQ {

bool CloudletContainer::isReady() {
    std::vector<Cloudlet*> items;
    getCloudlets(items);
    for (const Cloudlet* item : items) {
        const Action* action = item->getAction();
        if (action != nullptr && !action->isFinished()) {
            return false;
        }
    }
    return true;
}

bool CloudletContainer::isEmpty() {
    std::vector<Cloudlet*> items;
    getCloudlets(items);
    return items.empty();
}

} // namespace ZQ
