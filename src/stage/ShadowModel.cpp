#include "stage/ShadowModel.h"

#include "cords/CordMeshWorker.h"
#include "cords/MeshBuffer.h"
#include "engine/Assert.h"
#include "engine/DeviceProfile.h"

#include <cmath>

namespace ZQ {

ShadowModel::ShadowModel(int32_t meshThreads)
    : buffer(new MeshBuffer(GL_DYNAMIC_DRAW)), meshThreads(meshThreads), owner(std::this_thread::get_id()),
      ownerLock(mutex), thread(&ShadowModel::workerLoop, this) {}

ShadowModel::~ShadowModel() {
    // Only the thread that holds the mutex may release it to the worker.
    ZQ_ASSERT(std::this_thread::get_id() == owner);
    stopping = true;
    condition.notify_all();
    ownerLock.unlock();
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
        condition.notify_one();
        ownerLock.unlock();
        for (int32_t i = k; i < n; ++i) {
            jobs[static_cast<size_t>(i)]->process();
        }
        ownerLock.lock();
        // Once the worker has emptied its list both arrays are complete.
        condition.wait(ownerLock, [this] { return handedJobs.empty(); });
    }
}

void ShadowModel::workerLoop() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        condition.wait(lock, [this] { return stopping || !handedJobs.empty(); });
        if (stopping) {
            return;
        }
        for (CordMeshWorker* job : handedJobs) {
            job->process();
        }
        workerJobCount += static_cast<int64_t>(handedJobs.size());
        handedJobs.clear();
        condition.notify_one();
    }
}

} // namespace ZQ
