#include "platform/ZQStopSignals.h"

#include "engine/Assert.h"

#include <atomic>

namespace {

std::atomic<int> gReceived{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only touch a lock-free atomic");

bool gInstalled = false;

void noteStop(int signal) {
    gReceived.store(signal, std::memory_order_relaxed);
}

} // namespace

ZQStopSignals::ZQStopSignals() {
    ZQ_ASSERT(!gInstalled);
    gInstalled = true;
    gReceived.store(0, std::memory_order_relaxed);
    struct sigaction action = {};
    action.sa_handler = noteStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
}

ZQStopSignals::~ZQStopSignals() {
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
    gInstalled = false;
}

int ZQStopSignals::received() {
    return gReceived.load(std::memory_order_relaxed);
}
