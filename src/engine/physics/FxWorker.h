#pragma once

#include "engine/Model.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace ZQ::Fx {

class ParticleSystem;

// A thread that can run one step of its world with inertia on. Requests and
// their completion pass under one mutex and condition with a pending flag:
// doStep waits for the previous request, sets pending and signals; the
// thread runs the step, clears pending and signals back. The game hands it no
// steps (physics runs in the world's own doStep on the main thread), but the
// world's tearDown and the flow model still wait on the flag before they free
// or rebuild the arrays, so a request in flight is never cut short.
//
// Destruction finishes a pending step, then stops and joins the thread.
class Worker : public Model {
public:
    explicit Worker(ParticleSystem* system);
    ~Worker() override;

    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Starts the thread; a second call while it runs does nothing.
    void setUp() override;
    void tearDown() override {}
    // Requests one step of the world on the worker thread.
    void doStep() override;

    // Returns once no step is pending or running.
    void waitUntilIdle();

private:
    void run();

    ParticleSystem* const system; // not owned
    std::thread thread;
    std::mutex mutex;
    std::condition_variable condition;
    bool pending = false;
    bool stopping = false;
};

} // namespace ZQ::Fx
