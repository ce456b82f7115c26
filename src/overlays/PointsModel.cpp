#include "overlays/PointsModel.h"

#include "constants/ResourceNames.h"
#include "cords/GrainEmitter.h"
#include "cords/GrainModel.h"
#include "engine/Assert.h"
#include "engine/Composite.h"
#include "engine/EasingPresets.h"
#include "engine/Globals.h"
#include "engine/LeafActions.h"
#include "engine/MathHelpers.h"
#include "engine/RotateActions.h"
#include "engine/SoundAction.h"
#include "engine/TweenActions.h"
#include "levels/LevelModel.h"
#include "overlays/CaptionBox.h"
#include "overlays/CaptionCollection.h"
#include "overlays/FlowModel.h"
#include "overlays/FlowSteps.h"
#include "overlays/ScoreModel.h"
#include "overlays/StringScoreModel.h"
#include "overlays/TimerModel.h"
#include "render/GrainMesh.h"
#include "render/RenderTangle.h"
#include "render/Texture.h"

#include <algorithm>
#include <cmath>

namespace ZQ {

namespace {

constexpr float kRow = 0.175f; // the caption's height, of the screen's

// The grade metals in grade order, Golden to Obsidian, as the award knots
// show them.
std::vector<Material> gradeMaterials() {
    std::vector<Material> out;
    for (int32_t grade = 0; grade < PointsModel::kGrades; ++grade) {
        out.push_back(
            RenderTangle::materials[static_cast<std::size_t>(RenderTangle::kMetalCount - 1 - grade)]);
    }
    return out;
}

float lowerBound(const std::vector<std::pair<float, float>>& table, int32_t k) {
    return k == 0 ? 0.0f : table[static_cast<std::size_t>(k) - 1].first;
}

float upperBound(const std::vector<std::pair<float, float>>& table, int32_t k) {
    return table[static_cast<std::size_t>(k)].first;
}

// The world point under a screen pixel at half a screen height's depth.
PVRTVec3 emissionPoint(float x, float y) {
    const PVRTMat4 identity = PVRTMat4::identity();
    const PVRTVec3 near = unprojectPoint(identity, x, y, 0.0f);
    const PVRTVec3 far = unprojectPoint(identity, x, y, 1.0f);
    const float z = 0.5f * gGlobals.screenSize.y;
    const float along = far.z != near.z ? (z - near.z) / (far.z - near.z) : 0.0f;
    return near + (far - near) * along;
}

void emitBurst(const std::vector<PVRTVec2>& curve, float x, float y, int32_t frames, float durationA,
               float durationB) {
    if (curve.empty() || gGlobals.grainModel == nullptr) {
        return;
    }
    // The bands' minimum grains can add up past what a burst holds.
    const int32_t capacity = std::min(static_cast<int32_t>(curve.back().x), PointsModel::kMaxGrains);
    auto* emitter = new GrainEmitter(capacity, 0);
    emitter->setMaterialCurve(curve);
    emitter->layout.position = emissionPoint(x, y);
    GrainMesh::build(*emitter);
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    emitter->setAction(GrainEmitter::burstAction(static_cast<uint32_t>(capacity), frames, 0.5f * w, 0.5f * h,
                                                 0.5f * h, durationA, durationB));
    gGlobals.grainModel->addEmitter(emitter);
}

Action* sequence(std::vector<Action*> actions) {
    return new Sequence(std::move(actions));
}

} // namespace

void findGradeBands(const std::vector<std::pair<float, float>>& table, int32_t* fromBand, int32_t* toBand,
                    float a, float b) {
    *fromBand = 0;
    *toBand = 0;
    bool found = false;
    for (auto k = static_cast<int32_t>(table.size()) - 1; k >= 0; --k) {
        const float lower = lowerBound(table, k);
        if (!found && lower < b) {
            *toBand = k;
            found = true;
        }
        if (lower < a) {
            *fromBand = k;
            break;
        }
    }
}

void findGradeBands(int32_t* fromBand, int32_t* toBand, float a, float b) {
    ZQ_ASSERT(gGlobals.levelModel != nullptr);
    findGradeBands(gGlobals.levelModel->gradeTable(), fromBand, toBand, a, b);
}

void PointsModel::setUp() {
    grade = 0;
    std::fill(std::begin(tangles), std::end(tangles), 0);
    scorePoints = 0;
    timePoints = 0;
    levelPoints = 0;
    points = 0;
    done = 1;
    Model::setUp();
}

std::vector<PVRTVec2> PointsModel::burstCurve(const std::vector<std::pair<int32_t, float>>& shares,
                                              int32_t bandCount, int32_t minimum) {
    std::vector<PVRTVec2> curve;
    int32_t total = 0;
    for (const auto& [band, share] : shares) {
        const float grains = std::trunc(share * static_cast<float>(kMaxGrains));
        total += std::max(minimum, static_cast<int32_t>(grains));
        curve.emplace_back(static_cast<float>(total), static_cast<float>(bandCount - 1 - band));
    }
    return curve;
}

std::vector<std::pair<int32_t, float>>
PointsModel::scoreShares(const std::vector<std::pair<float, float>>& table, int32_t fromBand, float a) {
    std::vector<std::pair<int32_t, float>> out;
    for (auto k = static_cast<int32_t>(table.size()) - 1; k >= fromBand; --k) {
        const float lower = lowerBound(table, k);
        out.emplace_back(k, a <= lower ? upperBound(table, k) - lower : upperBound(table, k) - a);
    }
    return out;
}

std::vector<std::pair<int32_t, float>>
PointsModel::timeShares(const std::vector<std::pair<float, float>>& table, int32_t fromBand, int32_t toBand,
                        float a, float b) {
    std::vector<std::pair<int32_t, float>> out;
    if (fromBand == toBand) {
        out.emplace_back(fromBand, b - a);
        return out;
    }
    for (int32_t k = fromBand; k <= toBand; ++k) {
        const float share = k == fromBand ? upperBound(table, k) - a
                            : k == toBand ? b - lowerBound(table, k)
                                          : upperBound(table, k) - lowerBound(table, k);
        out.emplace_back(k, share);
    }
    return out;
}

void PointsModel::animPoints(int32_t value) {
    ZQ_ASSERT(gGlobals.flowModel != nullptr && gGlobals.captionBox != nullptr);
    CaptionCollection::setPointsValueText(value);
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    int32_t n = 0;
    gGlobals.flowModel->addFlow(gGlobals.captionBox->getCaption(ResourceNames::points_value), &flowId, &n,
                                1.5f * w, kRow * h, 0.0f);
    if (n < 1) {
        // Nothing to show: the award screen must not wait for a show that
        // never runs.
        done = 1;
        return;
    }
    const int32_t last = n - 1;
    const int32_t middle = (n - 1 < 0 ? n : n - 1) >> 1;
    const int32_t id = flowId;
    const auto move = [w, h](int32_t frames, float x) {
        return new FlowMoveAction(frames, PVRTVec3(x * w, kRow * h, 0.0f), easeSmooth());
    };
    const auto stop = [](int32_t frames) { return new FlowStopAction(frames); };
    const auto sound = [](PositionedSound play) { return new SoundAction(play); };
    const auto act = [](auto function) { return new LambdaAction([function](Cloudlet*) { function(); }); };
    const int32_t scoreText = scorePoints;

    // A letter named twice in a batch would lose its first action, and the
    // first letter's carries the show's steps: in a word too short to have a
    // middle or a last letter of their own, those letters only hang.
    const auto onOwnLetter = [](FlowModel::Batch* steps, int32_t letter, FlowAnim* anim) {
        for (const FlowStep* step : *steps) {
            if (static_cast<const FlowAnim*>(step)->letter == letter) {
                delete anim;
                return;
            }
        }
        steps->push_back(anim);
    };
    auto* enter = new FlowModel::Batch{
        new FlowAnim(id, 0,
                     sequence({act([this] { showGauge(); }), sound(&ISoundGateway::playRandomSwish17),
                               sound(&ISoundGateway::playScore1), move(45, 0.3f), stop(7), move(15, 0.1f),
                               stop(7), move(15, 0.3f)})),
    };
    onOwnLetter(enter, middle, new FlowAnim(id, middle, sequence({new WaitAction(45), stop(45)})));
    onOwnLetter(
        enter, last,
        new FlowAnim(id, last, sequence({move(45, 0.7f), stop(7), move(15, 0.9f), stop(7), move(15, 0.7f)})));
    auto* scorePart = new FlowModel::Batch{
        new FlowAnim(
            id, 0,
            sequence({act([this] { scoreBurst(); }),
                      new Parallel({sequence({sound(&ISoundGateway::playScore2), stop(60)}), move(60, 0.2f)}),
                      act([scoreText] { CaptionCollection::setPointsValueText(scoreText); }), move(30, 0.4f),
                      stop(30)})),
    };
    onOwnLetter(scorePart, last,
                new FlowAnim(id, last, sequence({move(60, 0.8f), move(30, 0.6f), stop(30)})));
    auto* timePart = new FlowModel::Batch{
        new FlowAnim(
            id, 0,
            sequence({sound(&ISoundGateway::playScore3), act([this] { timeBurst(); }), move(45, 0.2f),
                      act([this] { CaptionCollection::setPointsValueText(levelPoints); }), stop(30)})),
    };
    onOwnLetter(timePart, last, new FlowAnim(id, last, sequence({move(22, 0.8f), stop(30)})));
    auto* settle = new FlowModel::Batch{
        new FlowAnim(id, 0, sequence({move(15, 0.3f), move(15, 0.1f), act([this] { finish(); })})),
    };
    onOwnLetter(settle, last, new FlowAnim(id, last, sequence({move(15, 0.6f), move(15, 0.9f)})));
    auto* leave = new FlowModel::Batch{new FlowRemove(id)};
    gGlobals.flowModel->addSteps({enter, scorePart, timePart, settle, leave});
}

void PointsModel::showGauge() {
    if (gGlobals.gaugeModel == nullptr || gGlobals.levelModel == nullptr) {
        return;
    }
    const float w = gGlobals.screenSize.x;
    const float h = gGlobals.screenSize.y;
    auto* gauge = new GaugeInstance();
    gauge->layout.position = PVRTVec3(w / 2.0f, h / 2.0f, h / 2.0f);
    gauge->layout.angles = PVRTVec3(kPi / 6.0f, 0.0f, 0.0f);
    gauge->layout.scale = 1.5f;
    gauge->layout.alpha = 0.0f;
    gauge->materials = gradeMaterials();
    // Band of grade k: the table's entry n - 1 - k, rising; a grade the table
    // lacks never matches.
    const std::vector<std::pair<float, float>> table = gGlobals.levelModel->gradeTable();
    const auto n = static_cast<int32_t>(table.size());
    for (int32_t k = kGrades - 1; k >= 0; --k) {
        const float fraction = n > k ? table[static_cast<std::size_t>(n - 1 - k)].first : -1.0f;
        gauge->bands.emplace_back(fraction, static_cast<float>(k));
    }
    const Easing* easing = easeInOutQuint();
    gauge->setAction(new Parallel({
        sequence(
            {new Parallel({new FadeInAction(easing, 35, 1.0f), new GaugeDepthAction(easing, 1.0f, 45)})}),
        new RotateAction(PVRTVec3(0.0f, 0.0f, -kPi / 600.0f)),
    }));
    gGlobals.gaugeModel->addGauge(gauge);
}

PointsModel::Bands PointsModel::gradeBands() const {
    ZQ_ASSERT(gGlobals.levelModel != nullptr);
    Bands bands;
    bands.table = gGlobals.levelModel->gradeTable();
    const float base = static_cast<float>(std::max(basePoints, 1));
    bands.a = static_cast<float>(scorePoints) / base;
    bands.b = static_cast<float>(scorePoints + timePoints) / base;
    findGradeBands(bands.table, &bands.fromBand, &bands.toBand, bands.a, bands.b);
    return bands;
}

void PointsModel::scoreBurst() {
    if (gGlobals.scoreModel != nullptr) {
        gGlobals.scoreModel->hide();
    }
    GaugeInstance* gauge = gGlobals.gaugeModel != nullptr ? gGlobals.gaugeModel->showing() : nullptr;
    if (gauge != nullptr) {
        gauge->setAction(new Parallel({
            sequence({new GaugePointsAction(60, easeInOutQuint(), this)}),
            new RotateAction(PVRTVec3(0.0f, 0.0f, -kPi / 3000.0f)),
        }));
    }
    const Bands bands = gradeBands();
    const auto n = static_cast<int32_t>(bands.table.size());
    const Texture* ring = gGlobals.captionBox->getCaption(ResourceNames::ring)->texture;
    const float ringHeight = ring != nullptr ? static_cast<float>(ring->height) : 0.0f;
    emitBurst(burstCurve(scoreShares(bands.table, bands.fromBand, bands.a), n, 1),
              0.1f * gGlobals.screenSize.x, 0.97f * gGlobals.screenSize.y - ringHeight, 30, 27.000002f,
              45.0f);
}

void PointsModel::timeBurst() {
    if (gGlobals.timerModel != nullptr) {
        gGlobals.timerModel->hide();
    }
    if (gGlobals.stringScoreModel != nullptr) {
        gGlobals.stringScoreModel->hide();
    }
    GaugeInstance* gauge = gGlobals.gaugeModel != nullptr ? gGlobals.gaugeModel->showing() : nullptr;
    if (gauge != nullptr) {
        gauge->setAction(new Parallel({
            sequence({new GaugePointsTimerAction(30, easeInOutQuint(), this)}),
            new RotateAction(PVRTVec3(0.0f, 0.0f, -kPi / 12000.0f)),
        }));
    }
    const Bands bands = gradeBands();
    const auto n = static_cast<int32_t>(bands.table.size());
    emitBurst(burstCurve(timeShares(bands.table, bands.fromBand, bands.toBand, bands.a, bands.b), n, 2),
              0.1f * gGlobals.screenSize.x, 0.97f * gGlobals.screenSize.y, 15, 18.0f, 30.0f);
}

void PointsModel::finish() {
    done = 1;
    GaugeModel::showAction();
}

} // namespace ZQ
