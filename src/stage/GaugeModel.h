#pragma once

#include "constants/Material.h"
#include "engine/Action.h"
#include "engine/Cloudlet.h"
#include "engine/CloudletContainer.h"
#include "engine/Model.h"
#include "engine/RotateActions.h"

#include <cstdint>
#include <list>
#include <utility>
#include <vector>

namespace ZQ {

class Easing;

// The points gauge of the points screen: a coiled metal ribbon drawn from its
// start up to `fill`, each ring in the metal of the grade band its fraction
// falls in.
//
// Ownership: owns its root action (as a cloudlet) and its tables. Threads:
// main thread only.
class GaugeInstance : public Cloudlet {
public:
    static constexpr int32_t kGrades = 5;
    static constexpr float kMinFill = 0.002f;

    float fill = 1.0f; // drawn fraction of the spiral
    // One per grade, Golden to Obsidian.
    std::vector<Material> materials;
    int32_t state = 0; // 0: the gauge the leave animation and the pass pick
    // (upper fraction, material index), bounds rising: a ring at fraction f
    // takes the index of the first pair whose bound is at least f.
    std::vector<std::pair<float, float>> bands;
    float depth = 4.0f; // the helix pitch factor
};

// The gauges on show, in the order they came. The points animation appends
// them; the model drops a gauge from its list at the first step after its
// root action has ended and deletes it then, as nothing else holds it.
//
// Ownership: owns the listed gauges. Threads: main thread only.
class GaugeModel : public Model, public CloudletContainer {
public:
    GaugeModel() = default;
    ~GaugeModel() override;
    GaugeModel(const GaugeModel&) = delete;
    GaugeModel& operator=(const GaugeModel&) = delete;

    // The list keeps its gauges across set-up and tear-down.
    void setUp() override {}
    void tearDown() override {}
    void doStep() override;
    void getCloudlets(std::vector<Cloudlet*>& out) override;

    // Takes ownership.
    void addGauge(GaugeInstance* gauge) { gauges.push_back(gauge); }
    // The first gauge whose state is 0, or null.
    GaugeInstance* showing() const;

    // The first gauge of state 0 sinks back, fades out and spins as it leaves;
    // nothing when there is none.
    static void showAction();

    std::list<GaugeInstance*> gauges; // owned
};

// The points the fill actions read when they start, as the points screen
// holds them for the level just solved.
class GaugePoints {
public:
    virtual int32_t gaugeBasePoints() const = 0;
    virtual int32_t gaugeScorePoints() const = 0;
    virtual int32_t gaugeTimePoints() const = 0;

protected:
    ~GaugePoints() = default;
};

// Spins the gauge like RotateAction, but ends after `frames` frames.
class GaugeRotateAction : public RotateAction {
public:
    GaugeRotateAction(const PVRTVec3& rate, int32_t frames);

    State start() override;
    State run() override;

    // a + rate wrapped into [0, 2π) as the gauge wraps it.
    static float wrap(float angle);

private:
    float progress = 0.0f;
    float step = 0.0f;
    int32_t frames;
};

// Moves the gauge's helix pitch from its value at start to `to`.
class GaugeDepthAction : public Action {
public:
    GaugeDepthAction(const Easing* easing, float to, int32_t frames);

    State start() override;
    State run() override;

private:
    const Easing* easing;
    float progress = 0.0f;
    float step = 0.0f;
    float to;
    float from = 0.0f;
    int32_t frames;
};

// Eases the gauge's fill from its value at start to a ratio of the points,
// never below GaugeInstance::kMinFill; the last run writes the ratio exactly.
class GaugeSpiralRangeAction : public Action {
public:
    State run() override;

protected:
    GaugeSpiralRangeAction(int32_t frames, const Easing* easing, const GaugePoints* points);
    State startAt(float ratio);

    const GaugePoints* points; // not owned
    const Easing* easing;
    float to = 0.0f;
    float from = 0.0f;
    float progress = 0.0f;
    float step = 0.0f;
    int32_t frames;
};

// Fills to the play's points over the level's base points.
class GaugePointsAction : public GaugeSpiralRangeAction {
public:
    GaugePointsAction(int32_t frames, const Easing* easing, const GaugePoints* points)
        : GaugeSpiralRangeAction(frames, easing, points) {}
    State start() override;
};

// Fills to the play's and the time's points over the level's base points.
class GaugePointsTimerAction : public GaugeSpiralRangeAction {
public:
    GaugePointsTimerAction(int32_t frames, const Easing* easing, const GaugePoints* points)
        : GaugeSpiralRangeAction(frames, easing, points) {}
    State start() override;
};

} // namespace ZQ
