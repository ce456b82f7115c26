#include "engine/physics/FxWorker.h"
#include "engine/physics/FxParticleSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

namespace {

using namespace ZQ::Fx;

TEST(WorkerTest, ARequestedStepRunsOnTheWorkerAndIsSeenAfterTheWait) {
    ParticleSystem world(kFlowWorld);
    world.setUp();
    world.addParticle(PVRTVec3());
    world.addTmpForce(new ConstantForce(0, PVRTVec3(90, 0, 0)));
    world.getWorker()->doStep();
    world.getWorker()->waitUntilIdle();
    EXPECT_EQ(world.getTmpForceCount(), 0);
    EXPECT_NEAR(world.getPosition(0).x, 0.1f, 1e-6f);

    world.getWorker()->doStep();
    world.getWorker()->doStep(); // waits for the first request before queuing
    world.getWorker()->waitUntilIdle();
    EXPECT_NEAR(world.getPosition(0).x, 0.1f * (1.0f + 0.995f + 0.995f * 0.995f), 1e-6f);
    world.tearDown();
}

TEST(WorkerTest, DestroyingAWorldFinishesTheRequestedStep) {
    bool moved = false;
    struct Probe : Force {
        bool& flag;
        explicit Probe(bool& f) : flag(f) {}
        void apply(PVRTVec3*, PVRTVec3*, PVRTVec3*) override { flag = true; }
    };
    {
        ParticleSystem world(kMainWorld);
        world.setUp();
        world.addTmpForce(new Probe(moved));
        world.getWorker()->doStep();
    }
    EXPECT_TRUE(moved);
}

#ifdef __linux__
long threadCount() {
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return std::distance(begin(tasks), end(tasks));
}

// Every world starts a worker thread; a world that is gone must not leave
// one blocked behind it.
TEST(WorkerTest, DestroyedWorldsLeaveNoThreadBehind) {
    // A sanitizer runtime may start a thread of its own with the first thread
    // the process makes: let one world come and go before counting.
    delete new ParticleSystem(kMainWorld);
    const long before = threadCount();
    for (int n = 0; n < 16; ++n) {
        ParticleSystem* world = new ParticleSystem(n % 2 ? kMainWorld : kBraidWorld);
        world->setUp();
        EXPECT_EQ(threadCount(), before + 1);
        world->tearDown();
        delete world;
    }
    EXPECT_EQ(threadCount(), before);
}
#endif

} // namespace
