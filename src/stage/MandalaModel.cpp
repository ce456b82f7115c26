#include "stage/MandalaModel.h"

#include "engine/Assert.h"
#include "engine/DeviceProfile.h"
#include "engine/Globals.h"
#include "engine/Log.h"
#include "levels/LevelModel.h"
#include "stage/MandalaMesher.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <set>

namespace ZQ {

MandalaModel::MandalaModel() : targetSize(DeviceProfile::get().targetSize) {}

MandalaModel::~MandalaModel() {
    // A model dropped without tearDown must still not leave a worker behind.
    if (job != nullptr) {
        tearDown();
    }
}

void MandalaModel::setUp() {
    // A second setUp would orphan the first worker.
    ZQ_ASSERT(job == nullptr);
    Model::setUp();
    changed = false;
    job = new MandalaJob();
    job->thread = std::thread(&MandalaModel::workerLoop, job);
    requestLowestPriority(job->thread.native_handle(), pthread_setschedparam);
}

void MandalaModel::tearDown() {
    clearInstances();
    if (job != nullptr) {
        {
            std::lock_guard<std::mutex> lock(job->mutex);
            job->leaving = true;
        }
        job->cond.notify_all();
        job->thread.join();
        // The worker is gone: whatever it left or never took is ours to free.
        delete job->graph;
        MandalaMesh::destroy(job->result);
        delete job;
        job = nullptr;
    }
    changed = false;
    Model::tearDown();
}

void MandalaModel::getCloudlets(std::vector<Cloudlet*>& out) {
    out.insert(out.end(), instances.begin(), instances.end());
}

bool MandalaModel::requestLowestPriority(pthread_t thread, SetSchedParam setParam) {
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_RR);
    const int result = setParam(thread, SCHED_RR, &param);
    if (result != 0 && result != EPERM) {
        platformLog("The relief worker keeps its priority: %s", std::strerror(result));
    }
    return result == 0;
}

void MandalaModel::build(int32_t offset) {
    ZQ_ASSERT(gGlobals.levelModel != nullptr);
    const LevelModel& catalogue = *gGlobals.levelModel;
    const int32_t count = catalogue.levelCount();
    ZQ_ASSERT(count > 0);
    const int32_t index = ((catalogue.currentIndex() + offset) % count + count) % count;
    const LevelModel::Level& record = catalogue.levels[static_cast<std::size_t>(index)];
    PatternGraph* graph = nullptr;
    if (record.generator != nullptr) {
        graph = patterns.build(record.generator, static_cast<int>(record.width),
                               static_cast<int>(record.height), record.patterns);
    } else {
        platformLog("Level %d has no wallpaper pattern; its walls stay plain", index);
        graph = new PatternGraph();
    }
    queue(graph);
}

void MandalaModel::queue(PatternGraph* graph) {
    ZQ_ASSERT(job != nullptr);
    ZQ_ASSERT(graph != nullptr);
    {
        std::unique_lock<std::mutex> lock(job->mutex);
        job->cond.wait(lock, [this] { return !job->pending; });
        MandalaMesh::destroy(job->result);
        job->result = nullptr;
        job->graph = graph;
        job->pending = true;
    }
    job->cond.notify_one();
}

MandalaInstance* MandalaModel::collect() {
    ZQ_ASSERT(job != nullptr);
    MandalaMesh* mesh = nullptr;
    {
        std::unique_lock<std::mutex> lock(job->mutex);
        job->cond.wait(lock, [this] { return !job->pending; });
        mesh = job->result;
        job->result = nullptr;
    }
    if (mesh == nullptr) {
        return nullptr;
    }

    glGenBuffers(1, &mesh->vbo);
    mesh->count = static_cast<int32_t>(mesh->vertices.size());
    glBindBuffer(GL_ARRAY_BUFFER, mesh->vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh->vertices.size() * sizeof(MandalaVertex)),
                 mesh->vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    // The vertices now live only in the buffer.
    std::vector<MandalaVertex>().swap(mesh->vertices);

    const float t = targetSize;
    const float h = gGlobals.screenSize.y;
    auto* instance = new MandalaInstance();
    instance->layout.position = PVRTVec3(t * 0.5f, t * 0.5f, -0.55f * h);
    // fmax takes the other fit when one is NaN (a bound of zero width).
    instance->layout.scale =
        1.5f * std::fmax(t / (mesh->max.x - mesh->min.x), t / (mesh->max.y - mesh->min.y));
    instance->baseLayout = instance->layout;
    instance->mesh = mesh;
    instances.push_back(instance);
    changed = true;
    return instance;
}

void MandalaModel::clearInstances() {
    std::set<MandalaMesh*> meshes;
    for (MandalaInstance* instance : instances) {
        if (instance->mesh != nullptr) {
            meshes.insert(instance->mesh);
        }
        delete instance;
    }
    instances.clear();
    for (MandalaMesh* mesh : meshes) {
        MandalaMesh::destroy(mesh);
    }
}

void MandalaModel::workerLoop(MandalaJob* job) {
    std::unique_lock<std::mutex> lock(job->mutex);
    for (;;) {
        job->cond.wait(lock, [job] { return job->pending || job->leaving; });
        if (job->leaving) {
            return;
        }
        // Held for the whole run: build and collect wait in the lock itself.
        job->result = meshPattern(*job->graph);
        delete job->graph;
        job->graph = nullptr;
        job->pending = false;
        job->cond.notify_one();
    }
}

} // namespace ZQ
