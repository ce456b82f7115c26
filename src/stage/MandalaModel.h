#pragma once

#include "engine/Cloudlet.h"
#include "engine/CloudletContainer.h"
#include "engine/Model.h"
#include "levels/PatternFunctions.h"

#include <pthread.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace ZQ {

class PatternGraph;
struct MandalaMesh;

// The relief of a room's wallpaper as the wallpaper pre-pass draws it. Never
// shown on screen itself: the pre-pass paints it into the room textures.
class MandalaInstance : public Cloudlet {
public:
    static constexpr int32_t kKind = 6;

    MandalaMesh* mesh = nullptr; // not owned: the model deletes meshes
    int32_t kind = kKind;
};

// The hand-over block between the main thread and the relief worker.
// `mutex` guards every other field; the worker holds it for a whole meshing
// run. One condition variable serves both directions: the worker waits for
// `pending` (or `leaving`), build and collect wait for `pending` to clear.
struct MandalaJob {
    MandalaMesh* result = nullptr; // built or being built; the block's until collected
    bool pending = false;          // a graph is queued or being meshed
    bool leaving = false;          // tearDown asks the worker to end
    PatternGraph* graph = nullptr; // the queued graph; the worker deletes it
    std::mutex mutex;
    std::condition_variable cond;
    std::thread thread;
};

// The wallpaper relief model: builds the pattern graph of a level on the
// calling thread, has its worker thread mesh it, and on collect uploads the
// mesh and wraps it in one MandalaInstance for the wallpaper pre-pass. The
// game flow drives it (clearInstances, build, collect); doStep does nothing.
//
// Ownership: the job block and the worker exist from setUp to tearDown;
// tearDown tells the worker to leave and joins it before freeing the block,
// so the model can be set up again. The model owns its instances and their
// meshes (a mesh shared by several instances is deleted once).
//
// Threads: build, collect, clearInstances, setUp and tearDown run on the main
// thread, which alone calls GL. The worker touches only the job block, under
// its mutex, and the graph and mesh it was handed; it runs at the lowest
// round-robin priority where the system allows it, otherwise at the normal one.
class MandalaModel : public Model, public CloudletContainer {
public:
    MandalaModel();
    ~MandalaModel() override;
    MandalaModel(const MandalaModel&) = delete;
    MandalaModel& operator=(const MandalaModel&) = delete;

    // Starts the worker with an idle job block.
    void setUp() override;
    // Clears the instances, stops and joins the worker, frees the block and
    // anything queued or uncollected in it.
    void tearDown() override;
    void doStep() override {}
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // Queues the pattern of the level `offset` places after the current one
    // (0 the current, 1 the next; wraps past the last level). The generator
    // runs here; a mesh built earlier but never collected is discarded.
    void build(int32_t offset);
    // Queues an already generated graph, which the worker then owns.
    void queue(PatternGraph* graph);
    // Waits for the worker, uploads the mesh and wraps it in a new instance,
    // which it returns. Without a build to collect: returns null and creates
    // nothing.
    MandalaInstance* collect();
    // Deletes every instance and each distinct mesh once.
    void clearInstances();

    // Asks for SCHED_RR at its lowest priority through `setParam`
    // (pthread_setschedparam's shape). A refusal for want of privilege
    // (EPERM) is expected on Linux and silent; any other failure is logged.
    // True when the priority was taken.
    using SetSchedParam = int (*)(pthread_t, int, const sched_param*);
    static bool requestLowestPriority(pthread_t thread, SetSchedParam setParam);

    bool changed = false; // a collected relief waits to be painted into the room textures
    float targetSize;     // edge of the square wallpaper textures, pixels
    MandalaJob* job = nullptr;
    std::vector<MandalaInstance*> instances;

private:
    static void workerLoop(MandalaJob* job);

    // The patterns are laid here, on the thread that calls build; level 72's
    // counter carries on from one build to the next, as the game's does.
    PatternBuildState patterns;
};

} // namespace ZQ
