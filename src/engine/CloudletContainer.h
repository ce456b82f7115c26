#pragma once

#include <vector>

namespace ZQ {

class Cloudlet;

// The face of a model that owns scene items (a second base beside Model).
// The game flow polls isReady to know when every animation of a screen has
// finished. Readiness is derived from the items each time, never stored.
class CloudletContainer {
public:
    virtual ~CloudletContainer() = default;

    // Appends the model's items to `out`.
    virtual void getCloudlets(std::vector<Cloudlet*>& out) = 0;
    // True when every item has no action or a finished one; true for none.
    virtual bool isReady();
    // True when the model yields no item.
    virtual bool isEmpty();
};

} // namespace ZQ
