#include "cords/TangleModel.h"
#include "engine/MathHelpers.h"

#include "cords/Cord.h"
#include "cords/TangleMesh.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/Decorators.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/RotateActions.h"

#include <algorithm>

namespace ZQ {

namespace {

constexpr int32_t kAwardSides = 14;
constexpr int32_t kRevealFrames = 60;
// One full turn on the first angle during the reveal, then a slow tumble of
// a turn every five seconds on all three.
constexpr float kRevealSpin = 0.10471976f; // pi/30 per frame
constexpr float kIdleSpin = 0.041887902f;  // 2 pi/150 per frame

} // namespace

TangleInstance::TangleInstance(TangleMesh* mesh, int32_t materialIndex, const PVRTVec3& scale)
    : mesh(mesh), materialIndex(materialIndex), scale(scale) {
    ZQ_ASSERT(mesh != nullptr);
}

TangleInstance::~TangleInstance() {
    delete mesh;
}

void TangleInstance::setUp() {
    mesh->setUp();
}

void TangleInstance::tearDown() {
    mesh->tearDown();
}

TangleSegmentsAction::TangleSegmentsAction(int32_t frames, const std::vector<bool>& flags)
    : frames(frames), n(static_cast<int32_t>(flags.size())), reverse(flags) {
    ZQ_ASSERT(n >= 1 && frames >= 1);
}

TangleInstance& TangleSegmentsAction::tangle() const {
    auto* instance = dynamic_cast<TangleInstance*>(target);
    ZQ_ASSERT(instance != nullptr && instance->mesh != nullptr);
    return *instance;
}

Action::State TangleSegmentsAction::start() {
    TangleInstance& t = tangle();
    const int32_t sides = t.mesh->sides;
    // Runs are cut on whole steps of two ring pairs; the last run takes the rest.
    quantum = 12 * (sides - 1);
    const int32_t total = 6 * (sides - 1) * t.mesh->rings;
    const int32_t per = quantum * ((total / quantum) / n);
    entries.clear();
    for (int32_t i = 0; i < n; ++i) {
        const int32_t to = i + 1 < n ? (i + 1) * per : total - 1;
        entries.push_back({i * per, to, reverse[static_cast<size_t>(i)]});
    }
    t.ranges.clear();
    for (const Entry& e : entries) {
        t.ranges.push_back({e.from, e.from});
    }
    progress = 0.0f;
    rate = 1.0f / static_cast<float>(frames);
    return Running;
}

Action::State TangleSegmentsAction::run() {
    TangleInstance& t = tangle();
    if (progress >= 1.0f) {
        // Opening in steps of two ring pairs would leave the closing ring
        // pair of the last run undrawn, a gap in the closed knot: the
        // finished reveal shows every run whole.
        for (size_t i = 0; i < entries.size(); ++i) {
            t.ranges[i] = {entries[i].from, entries[i].to};
        }
        return Success;
    }
    progress += rate;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const float from = static_cast<float>(e.from);
        const float to = static_cast<float>(e.to);
        const float x = e.reverse ? to + (from - to) * progress : from + (to - from) * progress;
        const int32_t q = std::clamp((static_cast<int32_t>(x) / quantum) * quantum, e.from, e.to);
        t.ranges[i] = e.reverse ? TangleInstance::Range{q, e.to} : TangleInstance::Range{e.from, q};
    }
    return Running;
}

TangleModel::~TangleModel() {
    deleteAll();
}

void TangleModel::tearDown() {
    deleteAll();
}

void TangleModel::deleteAll() {
    for (TangleInstance* tangle : tangles) {
        delete tangle;
    }
    tangles.clear();
}

void TangleModel::doStep() {
    if (tangles.empty()) {
        return;
    }
    const std::list<TangleInstance*> current = tangles;
    for (TangleInstance* tangle : current) {
        tangle->step();
        const Action* action = tangle->getAction();
        if (action == nullptr || action->isFinished()) {
            tangles.remove(tangle);
            delete tangle;
        }
    }
}

void TangleModel::getCloudlets(std::vector<Cloudlet*>& out) {
    out.insert(out.end(), tangles.begin(), tangles.end());
}

void TangleModel::addTangle(TangleInstance* tangle) {
    ZQ_ASSERT(tangle != nullptr);
    tangles.push_back(tangle);
}

TangleInstance* TangleModel::showAwardTangle(const Cord& levelCord, int32_t materialIndex,
                                             const std::vector<bool>& reverse, Revealed revealed) {
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;

    // The level's own knot shape at award size. The level keeps its
    // generator: the cord borrows it to build and lets go before anything
    // could delete it.
    Cord* cord = new Cord(0.25f * w, PVRTVec3(), 4, true, levelCord.generator);
    cord->build();
    cord->generator = nullptr;

    auto* tangle =
        new TangleInstance(new TangleMesh(kAwardSides, cord), materialIndex, PVRTVec3(1.0f, 1.0f, 0.25f));
    tangle->setUp();
    tangle->layout.position = PVRTVec3(0.5f * w, 0.52f * h, 0.5f * h);
    tangle->layout.angles = PVRTVec3(0.0f, 0.0f, -kHalfPi);
    addTangle(tangle);

    tangle->setAction(new Sequence({
        new Parallel({
            new TangleSegmentsAction(kRevealFrames, reverse),
            new Limit(kRevealFrames, new RotateAction(PVRTVec3(kRevealSpin, 0.0f, 0.0f))),
        }),
        new LambdaAction([revealed](Cloudlet*) {
            if (revealed != nullptr) {
                revealed();
            }
        }),
        new RotateAction(PVRTVec3(kIdleSpin, kIdleSpin, kIdleSpin)),
    }));
    return tangle;
}

} // namespace ZQ
