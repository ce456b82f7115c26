#include "overlays/FlowModel.h"

#include "constants/ResourceNames.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/DeviceProfile.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/Log.h"
#include "engine/Random.h"
#include "engine/SoundAction.h"
#include "engine/physics/FxParticleSystem.h"
#include "overlays/CaptionBox.h"
#include "overlays/FlowInstance.h"
#include "overlays/FlowSteps.h"
#include "render/Texture.h"

namespace ZQ {

namespace {

constexpr int32_t kExitFrames = 30;

// A uniform value in [0, 1], as the exits draw their heights.
float unitDraw() {
    return static_cast<float>(arc4random()) / 4294967295.0f;
}

} // namespace

void deleteBatch(FlowModel::Batch* batch) {
    for (FlowStep* step : *batch) {
        delete step;
    }
    delete batch;
}

FlowModel::~FlowModel() {
    for (FlowInstance* letter : letters) {
        delete letter;
    }
    for (Batch* batch : queue) {
        deleteBatch(batch);
    }
}

Fx::ParticleSystem& FlowModel::world() const {
    ZQ_ASSERT(gGlobals.particleSystem2 != nullptr);
    return *gGlobals.particleSystem2;
}

void FlowModel::setUp() {
    nextFlowId = 0;
    flowsToRemove.clear();
    for (Batch* batch : queue) {
        deleteBatch(batch);
    }
    queue.clear();
    for (FlowInstance* letter : letters) {
        delete letter;
    }
    letters.clear();
    Model::setUp();
}

void FlowModel::tearDown() {
    for (FlowInstance* letter : letters) {
        delete letter;
    }
    letters.clear();
    for (Batch* batch : queue) {
        deleteBatch(batch);
    }
    queue.clear();
    flowsToRemove.clear();
    Model::tearDown();
}

void FlowModel::collectCaptions(std::unordered_set<std::string>& names) {
    for (const FlowInstance* letter : letters) {
        if (letter->entry != nullptr) {
            names.insert(letter->entry->name);
        }
    }
}

void FlowModel::getCloudlets(std::vector<Cloudlet*>& out) {
    if (paused) {
        return;
    }
    out.insert(out.end(), letters.begin(), letters.end());
}

FlowInstance* FlowModel::findLetter(int32_t flow, int32_t letter) const {
    for (FlowInstance* instance : letters) {
        if (instance->flow == flow && instance->letter == letter) {
            return instance;
        }
    }
    return nullptr;
}

int32_t FlowModel::letterCount(int32_t flow) const {
    int32_t n = 0;
    for (const FlowInstance* instance : letters) {
        n += instance->flow == flow ? 1 : 0;
    }
    return n;
}

void FlowModel::addFlow(CaptionEntry* entry, int32_t* flowIdOut, int32_t* letterCountOut, float x, float y,
                        float z) {
    ZQ_ASSERT(entry != nullptr);
    const auto* texture = dynamic_cast<const TextureMetrics*>(entry->texture);
    const std::vector<double>* edges = texture != nullptr ? &texture->metrics : nullptr;
    const int32_t count = edges != nullptr && !edges->empty() ? static_cast<int32_t>(edges->size()) - 1 : 0;
    const int32_t id = nextFlowId++;
    *flowIdOut = id;
    *letterCountOut = count;
    if (count < 1) {
        return;
    }
    // Nothing frees a single particle: a world too full for the whole word
    // takes none of it, rather than indexing past its arrays.
    Fx::ParticleSystem& flowWorld = world();
    if (count > Fx::PARTICLE_ARRAY_SIZE - flowWorld.getParticleCount() ||
        count > Fx::FORCE_ARRAY_SIZE - flowWorld.getForceCount() ||
        count - 1 > Fx::CONSTRAINT_ARRAY_SIZE - flowWorld.getConstraintCount()) {
        logMessage(LogLevel::Warning, "Flow of \"%s\" refused: %d letters, %d particles free",
                   entry->name.c_str(), count, Fx::PARTICLE_ARRAY_SIZE - flowWorld.getParticleCount());
        *letterCountOut = 0;
        return;
    }
    const float s = gGlobals.worldScale;
    float px = x * s;
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0) {
            px += s * static_cast<float>((*edges)[static_cast<std::size_t>(i)] -
                                         (*edges)[static_cast<std::size_t>(i) - 1]);
        }
        const int32_t particle = flowWorld.addParticle(PVRTVec3(px, y * s, z * s));
        letters.push_back(new FlowInstance(entry, i, id, particle));
        flowWorld.addForce(new Fx::GravityForce(particle));
        if (i > 0) {
            flowWorld.addConstaint(new Fx::LinkConstraint(particle - 1, particle, kLinkLength));
        }
    }
}

void FlowModel::applyFront() {
    Batch* batch = queue.front();
    queue.pop_front();
    for (FlowStep* step : *batch) {
        step->apply(this);
    }
    deleteBatch(batch);
}

void FlowModel::addSteps(const std::list<Batch*>& batches) {
    queue.insert(queue.end(), batches.begin(), batches.end());
    if (!queue.empty()) {
        applyFront();
    }
}

void FlowModel::doStep() {
    if (paused) {
        return;
    }
    const std::vector<FlowInstance*> snapshot(letters.begin(), letters.end());
    if (isReady() && !queue.empty()) {
        applyFront();
    }
    const float s = gGlobals.worldScale;
    const float depth = DeviceProfile::get().hudDepth;
    const Fx::ParticleSystem& flowWorld = world();
    for (FlowInstance* letter : snapshot) {
        letter->step();
        const PVRTVec3 p = flowWorld.getPosition(letter->particle);
        letter->layout.position = PVRTVec3(p.x / s, p.y / s, depth);
    }
    removeIdleFlows();
}

void FlowModel::removeIdleFlows() {
    if (flowsToRemove.empty()) {
        return;
    }
    const std::set<int32_t> marked = flowsToRemove;
    for (const int32_t id : marked) {
        bool busy = false;
        for (const FlowInstance* letter : letters) {
            const Action* action = letter->getAction();
            busy = busy || (letter->flow == id && action != nullptr && !action->isFinished());
        }
        if (busy) {
            continue;
        }
        for (auto it = letters.begin(); it != letters.end();) {
            if ((*it)->flow == id) {
                delete *it;
                it = letters.erase(it);
            } else {
                ++it;
            }
        }
        flowsToRemove.erase(id);
    }
    if (letters.empty()) {
        // The next flow starts again from particle 0.
        world().clear();
    }
}

void FlowModel::exitFlow() {
    for (Batch* batch : queue) {
        deleteBatch(batch);
    }
    queue.clear();
    flowsToRemove.clear();

    std::set<int32_t> ids;
    for (const FlowInstance* letter : letters) {
        ids.insert(letter->flow);
    }
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    auto* batch = new Batch();
    for (const int32_t id : ids) {
        const int32_t n = letterCount(id);
        const float y = h * unitDraw();
        PVRTVec3 target;
        int32_t pivot = 0;
        switch (arc4random() % 3) {
        case 0:
            target = PVRTVec3(-w, y, 0.0f);
            pivot = 1;
            break;
        case 1:
            target = PVRTVec3(2.0f * w, y, 0.0f);
            pivot = n - 2;
            break;
        default:
            target = PVRTVec3(w * unitDraw(), 2.0f * h, 0.0f);
            pivot = n / 2;
            break;
        }
        // A one-letter word has no second letter to pull it by: it goes by its
        // only one.
        pivot = std::clamp(pivot, 0, n - 1);
        for (int32_t i = 0; i < n; ++i) {
            batch->push_back(new FlowAnim(id, i, new WaitAction(0)));
        }
        batch->push_back(new FlowAnim(id, pivot,
                                      new Sequence({new SoundAction(&ISoundGateway::playRandomSwish16),
                                                    new FlowMoveAction(kExitFrames, target, easeSmooth())})));
        flowsToRemove.insert(id);
    }
    addSteps({batch});
}

void FlowModel::showExtraTime() {
    ZQ_ASSERT(gGlobals.captionBox != nullptr);
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    int32_t id = -1;
    int32_t n = 0;
    addFlow(gGlobals.captionBox->getCaption(ResourceNames::messages_extratime), &id, &n, 2.0f * w, 0.5f * h,
            0.0f);
    if (n < 1) {
        return;
    }
    const int32_t last = n - 1;
    auto* batch = new Batch();
    batch->push_back(new FlowAnim(
        id, 0,
        new Sequence({new SoundAction(&ISoundGateway::playRandomSwish17),
                      new FlowMoveAction(30, PVRTVec3(0.8f * w, 0.9f * h, 0.0f), easeSmooth()),
                      new FlowMoveAction(90, PVRTVec3(0.8f * w, 0.9f * h, 0.0f), easeSmooth()),
                      new FlowMoveAction(15, PVRTVec3(1.1f * w, 0.9f * h, 0.0f), easeOutCirc())})));
    batch->push_back(new FlowAnim(
        id, last >> 1,
        new Sequence(
            {new WaitAction(30), new FlowMoveAction(30, PVRTVec3(0.8f * w, 0.5f * h, 0.0f), easeSmooth())})));
    batch->push_back(new FlowAnim(
        id, last,
        new Sequence({new FlowMoveAction(30, PVRTVec3(0.8f * w, 0.1f * h, 0.0f), easeSmooth()),
                      new FlowMoveAction(90, PVRTVec3(0.8f * w, 0.1f * h, 0.0f), easeSmooth()),
                      new FlowMoveAction(15, PVRTVec3(1.1f * w, 0.1f * h, 0.0f), easeOutCirc())})));
    // Marked by its own batch, after its letters have their actions: marked
    // at once, a word whose batch waits in the queue would be removed idle
    // before its batch could move it.
    batch->push_back(new FlowRemove(id));
    addSteps({batch});
}

} // namespace ZQ
