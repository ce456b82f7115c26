#include "cords/GrainEmitter.h"
#include "engine/MathHelpers.h"

#include "cords/GrainActions.h"
#include "cords/RandomUnit.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/Log.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

namespace {

// A quarter turn a second: the spin of each grain per frame is a random part
// of pi/30.
constexpr float kSpin = 0.10471976f;
// Relative to the screen width: where grains appear, and where they fly to.
constexpr float kEmitSizeOfWidth = 0.03f;
constexpr float kFlightRadiusOfWidth = 0.06f;
constexpr int32_t kFlightFrames = 30;

} // namespace

GrainEmitter::GrainEmitter(int32_t requested, int32_t grainShape)
    : maxCount(std::clamp(requested, 0, kMaxGrains)), shape(grainShape) {
    if (maxCount != requested) {
        platformLog("Grain burst of %d limited to %d", requested, maxCount);
    }
}

GrainEmitter::~GrainEmitter() {
    release();
}

Action* GrainEmitter::burstAction(uint32_t maxCount, int emitFrames, float centreX, float centreY,
                                  float centreZ, float durationA, float durationB) {
    const float width = gGlobals.screenSize.x;
    const int32_t total = static_cast<int32_t>(std::min<uint32_t>(maxCount, kMaxGrains));
    return new Parallel({
        new GrainScoreEmitAction(total, kEmitSizeOfWidth * width, easeInOutQuint(), emitFrames),
        new GrainsUpdateAction(kFlightFrames, kFlightRadiusOfWidth * width,
                               PVRTVec3(centreX, centreY, centreZ), durationA, durationB, kSpin,
                               easeOutCubic()),
    });
}

void GrainEmitter::setMaterialCurve(const std::vector<PVRTVec2>& points) {
    delete materialCurve;
    materialCurve = new std::vector<PVRTVec2>(points);
}

int32_t GrainEmitter::materialAt(float x) const {
    if (materialCurve == nullptr || materialCurve->empty()) {
        return 0;
    }
    const std::vector<PVRTVec2>& c = *materialCurve;
    if (x < c.front().x) {
        return static_cast<int32_t>(c.front().y);
    }
    if (x > c.back().x) {
        return static_cast<int32_t>(c.back().y);
    }
    // k: the last point whose x does not exceed x. A grain on a point takes
    // that point's material; one past it belongs to the next part.
    const auto after =
        std::upper_bound(c.begin(), c.end(), x, [](float v, const PVRTVec2& p) { return v < p.x; });
    const auto k = after - 1;
    if (k->x == x) {
        return static_cast<int32_t>(k->y);
    }
    return static_cast<int32_t>(after->y);
}

void GrainEmitter::addGrain(float size) {
    const float a = randomUnit() * kPi;
    const float b = randomUnit() * kTwoPi;
    const int32_t material = materialAt(static_cast<float>(count + 1));
    // clang-format off
    ZQ_ASSERT(count+1<=maxCount);
    // clang-format on
    const PVRTVec3 p =
        layout.position + PVRTVec3(std::sin(a) * std::cos(b), std::sin(a) * std::sin(b), std::cos(a)) * size;
    float* q = orientations[count];
    q[0] = 0.0f;
    q[1] = 0.0f;
    q[2] = 0.0f;
    q[3] = 1.0f;
    float* pa = positionsAlpha[count];
    pa[0] = p.x;
    pa[1] = p.y;
    pa[2] = p.z;
    pa[3] = 1.0f;
    indexMaterials[count] = static_cast<float>(material);
    ++count;
}

void GrainEmitter::release() {
    delete materialCurve;
    materialCurve = nullptr;
    if (mesh != nullptr) {
        ZQ_ASSERT(releaseMesh != nullptr);
        releaseMesh(*this);
        ZQ_ASSERT(mesh == nullptr);
    }
}

} // namespace ZQ
