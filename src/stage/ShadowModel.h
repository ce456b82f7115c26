#pragma once

#include "cords/CordModel.h"
#include "engine/Model.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace ZQ {

class CordMeshWorker;
struct MeshBuffer;

// The cord-mesh model: every frame it re-meshes each string of the cord as a
// tube into one shared MeshBuffer and uploads it, for the cord and shadow-map
// passes. With more than one string (and a profile that allows it) the
// worker thread meshes the first jobs while the calling thread meshes the
// rest.
//
// Threads: the model is constructed, stepped and destroyed on one thread
// (the main thread), which holds the mutex at all times except inside
// meshJobs (doStep's meshing) between handing the worker its jobs and waiting
// for them. The worker only ever runs jobs it was handed under that mutex and
// never calls GL. The handed list doubles as the pending flag: non-empty means
// work is pending. The hand-over is kept cheap: the worker sleeps on an atomic
// hand-over count (a futex) rather than on the mutex, and the owner polls the
// worker's start and completion counts for a bounded while before it blocks
// on the condition variable, which serves the worker-to-owner direction.
class ShadowModel : public Model {
public:
    // Takes the mutex for the calling thread and starts the worker. No GL
    // call: the buffer names are made by the first upload.
    explicit ShadowModel(int32_t meshThreads);
    // Stops and joins the worker, deletes the jobs, the arrays and the GL names.
    ~ShadowModel() override;
    ShadowModel(const ShadowModel&) = delete;
    ShadowModel& operator=(const ShadowModel&) = delete;

    // Nothing without jobs; otherwise meshes every string and uploads both arrays.
    void doStep() override;
    // The meshing part of doStep without the upload: every job runs once, the
    // worker's share on the worker. Returns when all are done.
    void meshJobs();

    // Level start: one job per segment in order, runs following one another,
    // arrays sized for their totals. The segments must stay in place until
    // unloadJobs. Replaces the jobs of an earlier level.
    void loadJobs(const std::vector<CordModel::Segment>& segments);
    // Level end: deletes the jobs and frees both arrays; the GL buffers keep
    // their last upload.
    void unloadJobs();

    const MeshBuffer& getBuffer() const { return *buffer; }
    const std::vector<CordMeshWorker*>& getJobs() const { return jobs; }
    // Jobs the worker has run so far. Owner thread, outside doStep (the
    // owner then holds the mutex, so the count is settled).
    int64_t getWorkerJobCount() const { return workerJobCount; }

private:
    // Jobs the worker takes of n: round(n x 0.5 + 0.5), halves away from zero.
    static int32_t workerShare(int32_t jobCount);
    void workerLoop();

    MeshBuffer* buffer;
    std::vector<CordMeshWorker*> jobs;
    const int32_t meshThreads;
    const std::thread::id owner;
    std::mutex mutex;
    std::condition_variable condition;
    std::unique_lock<std::mutex> ownerLock; // the owner's hold on the mutex between frames
    std::vector<CordMeshWorker*> handedJobs;
    // Hand-overs so far (one a frame, one more to stop), which the worker
    // sleeps on, and the last ones the worker has started and finished, which
    // the owner polls before it blocks. Hints only: the list under the mutex
    // decides.
    std::atomic<uint32_t> handOvers{0};
    std::atomic<uint32_t> starts{0};
    std::atomic<uint32_t> completions{0};
    // The core the worker last ran on, seen at its start and after each job.
    std::atomic<int32_t> workerCore{-1};
    bool stopping = false;
    int64_t workerJobCount = 0;
    std::thread thread; // last: starts once everything above exists
};

} // namespace ZQ
