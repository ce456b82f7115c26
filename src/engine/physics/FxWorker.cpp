#include "engine/physics/FxWorker.h"

#include "engine/Assert.h"
#include "engine/physics/FxParticleSystem.h"

namespace ZQ::Fx {

Worker::Worker(ParticleSystem* system) : system(system) {}

Worker::~Worker() {
    if (!thread.joinable()) {
        return;
    }
    {
        std::unique_lock<std::mutex> lock(mutex);
        condition.wait(lock, [this] { return !pending; });
        stopping = true;
    }
    condition.notify_all();
    thread.join();
}

void Worker::setUp() {
    if (thread.joinable()) {
        return;
    }
    pending = false;
    stopping = false;
    thread = std::thread(&Worker::run, this);
}

// The step runs with the mutex held, so whoever waits on the flag also sees
// every position the step wrote.
void Worker::run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        condition.wait(lock, [this] { return pending || stopping; });
        if (stopping) {
            return;
        }
        system->step(true);
        pending = false;
        condition.notify_all();
    }
}

void Worker::doStep() {
    ZQ_ASSERT(thread.joinable());
    {
        std::unique_lock<std::mutex> lock(mutex);
        condition.wait(lock, [this] { return !pending; });
        pending = true;
    }
    condition.notify_all();
}

void Worker::waitUntilIdle() {
    std::unique_lock<std::mutex> lock(mutex);
    condition.wait(lock, [this] { return !pending; });
}

} // namespace ZQ::Fx
