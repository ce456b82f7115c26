#include "stage/ShadowModel.h"

#include "cords/CordMeshWorker.h"
#include "cords/MeshBuffer.h"
#include "engine/Assert.h"
#include "engine/DeviceProfile.h"

#include <chrono>
#include <cmath>
#include <sched.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace ZQ {

namespace {

// A blocked owner pays a futex wake and a scheduler round trip once the
// worker is done, which costs more than the worker's whole share of a light
// cord; so once its own jobs are done the owner polls instead, for at most
// about the worker's share of the heaviest cord the world holds, but only
// while the poll can pay: while the worker has started and runs on another
// core. A worker not yet started, or sharing the owner's core, is queued
// behind other threads, and polling would only hold it off. The owner would
// be idle anyway, and the poll ends with the frame's meshing: nothing spins
// between frames.
constexpr std::chrono::microseconds kFinishPoll{300};

void relaxCpu() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

// Polls `done` while `worthIt` holds, for at most `limit`.
template <typename Done, typename WorthIt>
void pollUntil(Done done, WorthIt worthIt, std::chrono::microseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (worthIt()) {
        for (int i = 0; i < 32; ++i) {
            if (done()) {
                return;
            }
            relaxCpu();
        }
        if (std::chrono::steady_clock::now() >= end) {
            return;
        }
    }
}

int32_t currentCore() {
    return static_cast<int32_t>(sched_getcpu());
}

} // namespace

ShadowModel::ShadowModel(int32_t meshThreads)
    : buffer(new MeshBuffer(GL_DYNAMIC_DRAW)), meshThreads(meshThreads), owner(std::this_thread::get_id()),
      ownerLock(mutex), thread(&ShadowModel::workerLoop, this) {}

ShadowModel::~ShadowModel() {
    // Only the thread that holds the mutex may release it to the worker.
    ZQ_ASSERT(std::this_thread::get_id() == owner);
    stopping = true;
    ownerLock.unlock();
    // A wake with nothing handed: the worker finds the stop under the mutex.
    handOvers.fetch_add(1, std::memory_order_release);
    handOvers.notify_one();
    thread.join();
    unloadJobs();
    buffer->deleteNames();
    delete buffer;
}

int32_t ShadowModel::workerShare(int32_t jobCount) {
    return static_cast<int32_t>(std::lround(static_cast<float>(jobCount) * 0.5f + 0.5f));
}

void ShadowModel::loadJobs(const std::vector<CordModel::Segment>& segments) {
    unloadJobs();
    jobs = CordMeshWorker::makeJobs(segments, *buffer, DeviceProfile::get().tubeTextureScale,
                                    CordMeshWorker::kCordCapSweep);
}

void ShadowModel::unloadJobs() {
    for (CordMeshWorker* job : jobs) {
        delete job;
    }
    jobs.clear();
    buffer->release();
}

void ShadowModel::doStep() {
    if (jobs.empty()) {
        return;
    }
    meshJobs();
    buffer->upload();
}

void ShadowModel::meshJobs() {
    // Unlocking a mutex on a thread that does not hold it is undefined.
    ZQ_ASSERT(std::this_thread::get_id() == owner);
    if (jobs.empty()) {
        return;
    }
    const int32_t n = static_cast<int32_t>(jobs.size());
    if (meshThreads == 1 || n == 1) {
        for (CordMeshWorker* job : jobs) {
            job->process();
        }
    } else {
        const int32_t k = workerShare(n);
        handedJobs.assign(jobs.begin(), jobs.begin() + k);
        // Unlock before waking the worker, so that it finds the mutex free
        // instead of blocking on it a second time.
        ownerLock.unlock();
        const uint32_t handOver = handOvers.fetch_add(1, std::memory_order_release) + 1;
        handOvers.notify_one();
        for (int32_t i = k; i < n; ++i) {
            jobs[static_cast<size_t>(i)]->process();
        }
        pollUntil([this, handOver] { return completions.load(std::memory_order_acquire) == handOver; },
                  [this, handOver] {
                      return starts.load(std::memory_order_relaxed) == handOver &&
                             workerCore.load(std::memory_order_relaxed) != currentCore();
                  },
                  kFinishPoll);
        ownerLock.lock();
        // Once the worker has emptied its list both arrays are complete.
        condition.wait(ownerLock, [this] { return handedJobs.empty(); });
    }
}

void ShadowModel::workerLoop() {
    uint32_t seen = 0;
    for (;;) {
        // The worker sleeps on the hand-over count rather than on the mutex,
        // which the owner holds between frames: it is woken once a frame,
        // after the owner has let go of the mutex, and never contends with
        // the owner for it.
        handOvers.wait(seen, std::memory_order_acquire);
        seen = handOvers.load(std::memory_order_acquire);
        workerCore.store(currentCore(), std::memory_order_relaxed);
        starts.store(seen, std::memory_order_relaxed);
        std::unique_lock<std::mutex> lock(mutex);
        if (stopping) {
            return;
        }
        // The list is set before the count moves and emptied only here, so a
        // wake always finds this frame's jobs.
        for (CordMeshWorker* job : handedJobs) {
            job->process();
            workerCore.store(currentCore(), std::memory_order_relaxed);
        }
        workerJobCount += static_cast<int64_t>(handedJobs.size());
        handedJobs.clear();
        lock.unlock();
        // Stored after the unlock, so that an owner that sees it takes the
        // mutex without a wait.
        completions.store(seen, std::memory_order_release);
        condition.notify_one();
    }
}

} // namespace ZQ
